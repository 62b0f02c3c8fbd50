#pragma once
// What the texture and foreground panes share: the image list with its
// thumbnail chooser, and the add and delete buttons.  Adding asks for a file
// and hands it to the list (copied into the image folder when the settings
// say so); deleting is offered while a listed image, not the placeholder, is
// chosen.
#include <string>

#include "CParamPane.h"

class PsImageCombo;
class PsImageComboView;

class CImageTabPane : public CParamPane {
    Q_OBJECT
public:
    CImageTabPane(PaneOwner& owner, int titleId, int lockIndex, int lockTipId);

    virtual PsImageCombo& List() = 0;
    // The add button after its file chooser: false when nothing was added.
    bool AddImage(const std::string& path);
    // The delete button: false when nothing was removed.
    bool DeleteImage();
    PsImageComboView* GetListView() const { return view_; }
    PsControlButton* GetAddButton() const { return add_; }
    PsControlButton* GetDeleteButton() const { return delete_; }

protected:
    // The list row: list, add and delete (locals 2, 3, 4).
    void BuildImageRow(QVBoxLayout& layout, int addTipId, int deleteTipId);
    void ShowSpecial() override;
    void EnableSpecial(bool locked) override;
    void ClearSpecial() override;

private:
    void OnAdd();
    void AfterListChange();

    PsImageComboView* view_ = nullptr;
    PsControlButton* add_ = nullptr;
    PsControlButton* delete_ = nullptr;
};
