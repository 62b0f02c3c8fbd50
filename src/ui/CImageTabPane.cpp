#include "CImageTabPane.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ButtonPictures.h"
#include "CFileDialog.h"
#include "MainDlgModel.h"
#include "PsControlButton.h"
#include "PsImageComboView.h"
#include "UiStrings.h"

namespace {
constexpr int kImageFilterId = 2203;
constexpr int kImageTitleId = 2204;
constexpr short kListItem = 2;
}  // namespace

CImageTabPane::CImageTabPane(PaneOwner& owner, int titleId, int lockIndex, int lockTipId)
    : CParamPane(owner, titleId, lockIndex, lockTipId) {
    UiStrings_Add({{kImageFilterId, "Images (*.png *.jpg *.jpeg *.bmp *.tif *.tiff)|*.png;*.jpg;*.jpeg;*.bmp;*.tif;*.tiff|"
                                    "All files|*|"},
                   {kImageTitleId, "Add an image to the list"}});
}

void CImageTabPane::BuildImageRow(QVBoxLayout& layout, int addTipId, int deleteTipId) {
    auto* row = new QHBoxLayout;
    layout.addLayout(row);
    view_ = new PsImageComboView(
        List(), [this] { BeginChange(kListItem); }, [this](int) { AfterListChange(); }, Content());
    view_->setObjectName("ImageList");
    view_->setToolTip("The image in use; click to choose another from the list");
    row->addWidget(view_, 1);
    add_ = new PsControlButton(Content());
    add_->Setup(ButtonPicture::kAddStyle, addTipId, 3);
    add_->setObjectName("AddImage");
    delete_ = new PsControlButton(Content());
    delete_->Setup(ButtonPicture::kDeleteStyle, deleteTipId, 4);
    delete_->setObjectName("DeleteImage");
    row->addWidget(add_);
    row->addWidget(delete_);
    // Both join the dialog's button chain after the lock button, for hover.
    GetLockButton()->SetNext(add_);
    add_->SetNext(delete_);
    connect(add_, &QAbstractButton::clicked, this, [this] { OnAdd(); });
    connect(delete_, &QAbstractButton::clicked, this, [this] { DeleteImage(); });
}

void CImageTabPane::OnAdd() {
    if (IsLocked()) return;
    MainDlgModel& model = Model();
    const bool foreground = &List() == &model.ForegroundList();
    CFileDialog chooser(CFileDialog::kOpen, QString(), UiString(kImageFilterId), this);
    chooser.SetTitle(UiString(kImageTitleId));
    chooser.SetInitialFolder(QString::fromUtf8(foreground ? model.Ui().pathUserForeground : model.Ui().pathUserTexture));
    if (chooser.DoModal() != 1) return;
    AddImage(chooser.GetPathName());
}

bool CImageTabPane::AddImage(const std::string& path) {
    if (IsLocked() || !Model().AddImageFile(List(), path.c_str(), kDefaultFileType)) return false;
    AfterListChange();
    return true;
}

bool CImageTabPane::DeleteImage() {
    if (IsLocked() || Model().DeleteImageFile(List()) == 0) return false;
    AfterListChange();
    return true;
}

void CImageTabPane::AfterListChange() {
    ShowSpecial();
    Update();
}

void CImageTabPane::ShowSpecial() {
    view_->update();
    EnableSpecial(IsLocked());
}

void CImageTabPane::EnableSpecial(bool locked) {
    add_->EnableWindow(!locked);
    delete_->EnableWindow(!locked && Model().CanDeleteImage(List()));
}

void CImageTabPane::ClearSpecial() {
    GetLockButton()->SetNext(nullptr);
    view_ = nullptr;
    add_ = nullptr;
    delete_ = nullptr;
}
