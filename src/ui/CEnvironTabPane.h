#pragma once
// The foreground pane: the foreground image blended over the relief and the
// entries that place and tint it.
#include "CImageTabPane.h"

class CEnvironTabPane : public CImageTabPane {
    Q_OBJECT
public:
    explicit CEnvironTabPane(PaneOwner& owner);
    PsImageCombo& List() override;

protected:
    void Build(QVBoxLayout& layout) override;
};
