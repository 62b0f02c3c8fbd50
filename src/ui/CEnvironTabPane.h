#pragma once
// The foreground pane: the foreground image blended over the relief and the
// entries that place and tint it.
#include "CParamPane.h"

class CEnvironTabPane : public CParamPane {
    Q_OBJECT
public:
    explicit CEnvironTabPane(PaneOwner& owner);

protected:
    void Build(QVBoxLayout& layout) override;
};
