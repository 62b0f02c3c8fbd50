#pragma once
// The texture pane: the texture image laid over the relief and the entries
// that place and tint it.
#include "CParamPane.h"

class CTextureTabPane : public CParamPane {
    Q_OBJECT
public:
    explicit CTextureTabPane(PaneOwner& owner);

protected:
    void Build(QVBoxLayout& layout) override;
};
