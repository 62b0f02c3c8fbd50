#pragma once
// The texture pane: the texture image laid over the relief and the entries
// that place and tint it.
#include "CImageTabPane.h"

class CTextureTabPane : public CImageTabPane {
    Q_OBJECT
public:
    explicit CTextureTabPane(PaneOwner& owner);
    PsImageCombo& List() override;

protected:
    void Build(QVBoxLayout& layout) override;
};
