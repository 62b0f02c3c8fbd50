#include "CMainDlg.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "BackupDlg.h"
#include "ButtonPictures.h"
#include "CFileDialog.h"
#include "CProgressDlg.h"
#include "CShadeApp.h"
#include "CTabView.h"
#include "MainDlgHost.h"
#include "PsComboView.h"
#include "PsControlButton.h"
#include "PsImageComboView.h"
#include "PsMonitor.h"
#include "SettingDlg.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

constexpr int kErrorLoadImage = -20;
constexpr int kErrorSaveImage = -21;
constexpr int kTimerIntervalMs = 50;
constexpr int kSideColumnWidth = 430;
constexpr int32_t kWaitCursorSide = 500;
constexpr const char* kSelectionHelpPage = "F_selection.htm";

struct ButtonSpec {
    short item;
    int picture;
    int helpTag;
};

// The buttons in chain order.
constexpr ButtonSpec kButtons[] = {
    {MainItem::kAddStyle, ButtonPicture::kAddStyle, UiStringId::kTipAddStyle},
    {MainItem::kDeleteStyle, ButtonPicture::kDeleteStyle, UiStringId::kTipDeleteStyle},
    {MainItem::kUndo, ButtonPicture::kUndo, UiStringId::kTipUndo},
    {MainItem::kRedo, ButtonPicture::kRedo, UiStringId::kTipRedo},
    {MainItem::kLoad, ButtonPicture::kLoad, UiStringId::kTipLoad},
    {MainItem::kSave, ButtonPicture::kSave, UiStringId::kTipSave},
    {MainItem::kSettings, ButtonPicture::kSettings, UiStringId::kTipSettings},
    {MainItem::kManual, ButtonPicture::kManual, UiStringId::kTipManual},
    {MainItem::kZoom, ButtonPicture::kZoom, UiStringId::kTipZoom},
    {MainItem::kMotion, ButtonPicture::kMotion, UiStringId::kTipMotion},
    {MainItem::kCapture, ButtonPicture::kCapture, UiStringId::kTipCapture},
};

MainDlgFolders FoldersOf(const AppPaths& paths) {
    return {paths.systemFolder, paths.settingsFile,     paths.styleFolder,
            paths.textureFolder, paths.foregroundFolder, paths.picturesFolder};
}

// The extension each file type is saved with, UserFileType numbering.
const char* const kTypeExtensions[] = {"", ".mv", ".mvs", ".mv1", ".mv2", ".mv3", ".mvz"};

QString TypeExtension(int32_t type) {
    return type >= 1 && type <= 6 ? QString(kTypeExtensions[type]) : QString();
}

int FilterIndexOf(const CFileDialog& chooser, int32_t type) {
    const int index = chooser.Filter().IndexOfExtension(TypeExtension(type));
    return index < 0 ? chooser.Filter().LastIndex() : index;
}

}  // namespace

int32_t UserFileTypeOfPath(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return 0;
    QString ext = QString::fromStdString(name.substr(dot)).toLower();
    for (int32_t type = 1; type <= 6; ++type)
        if (ext == kTypeExtensions[type]) return type;
    return 0;
}

CMainDlg::CMainDlg(CShadeApp& app, MainDlgHost& host, const AppPaths& paths, QWidget* parent)
    : CDialog(kResourceId, parent), app_(app), host_(host), paths_(paths),
      // The style file's refusals come as whole sentences.
      styleFile_(app.Params(), nullptr, paths.settingsFile,
                 [this](int, const std::string& text) {
                     MessageBox(this, QString::fromStdString(text), UiString(UiStringId::kCaption), kMbWarning);
                 }),
      model_(app.Params(), FoldersOf(paths), *this, styleFile_) {
    styleFile_.SetLocks(&model_.Locks());
    styleFile_.SetRefreshPanes([this] { RefreshPanes(); });
    setObjectName("MainDlg");
    clock_.start();
    timer_.setInterval(kTimerIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { DoTask(); });
    BeginWaitCursor();
}

CMainDlg::~CMainDlg() { EndWaitCursor(); }

int64_t CMainDlg::Ticks() const { return clock_.elapsed() * 60 / 1000 + 1; }

QString CMainDlg::Message(int id, const QString& text) const {
    QString message = UiString(id);
    return message.contains("%s") ? message.replace("%s", text) : message;
}

PsControlButton* CMainDlg::GetButton(short item) const {
    return item >= 0 && item <= MainItem::kCount ? buttons_[static_cast<std::size_t>(item)] : nullptr;
}

// ---- building ----

void CMainDlg::OnTimer(int64_t time) {
    if (time >= 0) {
        model_.OnTimer(time, host_.AppStatus());
        return;
    }
    if (!host_.LoadImage()) host_.ErrorMessage(kErrorLoadImage);
    if (!OnInitDialog()) throw -1;
    EndWaitCursor();
    wholeImageQuestion_ = host_.IsWholeImage();
}

bool CMainDlg::OnInitDialog() {
    if (IsInitialized()) return true;
    CDialog::OnInitDialog();
    setWindowTitle(UiString(UiStringId::kCaption));
    BuildLayout();
    SetupButtons();
    InstallShortcuts();
    countDefaultItems_ = MainItem::kCount;

    model_.OnDialogStart();
    lastButton_->SetNext(tabView_->CurrentPane() != nullptr ? tabView_->CurrentPane()->GetFirstButton() : nullptr);
    // The monitor's rectangles come from its size in the laid-out dialog.
    layout()->activate();
    monitor_->Setup(this, MainItem::kMonitor, &app_.FullImage(), &app_.FullMask(), true);
    styleView_->Refresh();
    UpdatePsMonitor();
    EnableUndoRedo(false, false);
    GetButton(MainItem::kCapture)->EnableWindow(false);
    return true;
}

void CMainDlg::BuildLayout() {
    monitor_ = new PsMonitor;
    SetItem(MainItem::kMonitor, monitor_);
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new PsControlButton;
        buttons_[static_cast<std::size_t>(entry.item)] = button;
        SetItem(entry.item, button);
    }
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    const short groups[][3] = {{MainItem::kUndo, MainItem::kRedo, 0},
                               {MainItem::kLoad, MainItem::kSave, 0},
                               {MainItem::kZoom, MainItem::kMotion, MainItem::kCapture},
                               {MainItem::kSettings, MainItem::kManual, 0}};
    for (const auto& group : groups) {
        if (tools->count() > 0) tools->addSpacing(12);
        for (short item : group)
            if (item != 0) tools->addWidget(GetButton(item));
    }
    tools->addStretch();

    styleView_ = new PsComboView(model_.StyleList());
    // Return belongs to OK, wherever the focus is.
    styleView_->setAutoDefault(false);
    styleView_->SetBeforeChange([this] { OnUpdatePsControl(kNotifyChangeBegins, kStyleListId); });
    styleView_->SetAfterCommand([this] { EnableControls(); });
    SetItem(MainItem::kStyleList, styleView_);
    auto* styleRow = new QHBoxLayout;
    styleRow->setSpacing(4);
    auto* styleLabel = new QLabel(UiString(UiStringId::kStyleLabel));
    styleRow->addWidget(styleLabel);
    styleRow->addWidget(styleView_, 1);
    styleRow->addWidget(GetButton(MainItem::kAddStyle));
    styleRow->addWidget(GetButton(MainItem::kDeleteStyle));

    tabView_ = new CTabView(*this);
    tabView_->setUsesScrollButtons(false);
    SetItem(MainItem::kTab, tabView_);
    connect(tabView_, &QTabWidget::currentChanged, this, [this](int index) {
        model_.Ui().page = index;
        if (lastButton_ != nullptr)
            lastButton_->SetNext(tabView_->CurrentPane() != nullptr ? tabView_->CurrentPane()->GetFirstButton() : nullptr);
    });

    ok_ = new QPushButton(UiString(UiStringId::kOk));
    ok_->setObjectName("OK");
    ok_->setDefault(true);
    cancel_ = new QPushButton(UiString(UiStringId::kCancel));
    cancel_->setObjectName("Cancel");
    cancel_->setAutoDefault(false);
    for (QPushButton* button : {ok_, cancel_}) button->setMinimumWidth(96);
    SetItem(kItemOk, ok_);
    SetItem(kItemCancel, cancel_);
    connect(ok_, &QPushButton::clicked, this, [this] { ItemHit(kItemOk); });
    connect(cancel_, &QPushButton::clicked, this, [this] { ItemHit(kItemCancel); });
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(cancel_);
    okRow->addWidget(ok_);

    auto* side = new QVBoxLayout;
    side->setSpacing(8);
    side->addLayout(tools);
    side->addLayout(styleRow);
    side->addWidget(tabView_, 1);
    side->addLayout(okRow);
    auto* sideWidget = new QWidget;
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(kSideColumnWidth);
    side->setContentsMargins(0, 0, 0, 0);

    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(10, 10, 10, 10);
    main->setSpacing(10);
    main->addWidget(monitor_, 1);
    main->addWidget(sideWidget);

    progress_ = new CProgressDlg(this);

    // As large as the screen allows, leaving room for the desktop's panels.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    resize(std::clamp(area.width() - 60, 900, 1700), std::clamp(area.height() - 80, 560, 1040));
    CenterDialog(this);
}

void CMainDlg::SetupButtons() {
    PsControlButton* previous = nullptr;
    for (const ButtonSpec& entry : kButtons) {
        PsControlButton* button = GetButton(entry.item);
        button->Setup(entry.picture, entry.helpTag, entry.item);
        const short item = entry.item;
        connect(button, &QAbstractButton::clicked, this, [this, item] { ItemHit(item); });
        if (previous != nullptr) previous->SetNext(button);
        else firstButton_ = button;
        previous = button;
    }
    lastButton_ = previous;
}

void CMainDlg::InstallShortcuts() {
    const auto add = [this](const QKeySequence& keys, short item) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, item] {
            PsControlButton* button = GetButton(item);
            if (button == nullptr || button->isEnabled()) ItemHit(item);
        });
    };
    add(QKeySequence::Undo, MainItem::kUndo);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), MainItem::kRedo);
    add(QKeySequence(Qt::CTRL | Qt::Key_Y), MainItem::kRedo);
    const auto zoom = [this](const QKeySequence& keys, bool in) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, in] { OnZoom(in); });
    };
    zoom(QKeySequence(Qt::Key_Plus), true);
    zoom(QKeySequence(Qt::Key_Equal), true);
    zoom(QKeySequence(Qt::Key_Minus), false);
}

// ---- the loop ----

int CMainDlg::DoModal() {
    if (!IsInitialized()) OnTimer(-1);
    // The loop shows the dialog modal; one already shown would stay modeless.
    if (isVisible()) hide();
    timer_.start();
    QTimer::singleShot(0, this, [this] { DoTask(); });
    const int item = CDialog::DoModal();
    timer_.stop();
    model_.OnDialogEnd();
    EndWaitCursor();
    return item;
}

void CMainDlg::DoTask() {
    // Idle work only while the dialog is in front (no message box, chooser
    // or progress window over it).
    if (!isVisible() || QApplication::activeModalWidget() != this) return;
    if (wholeImageQuestion_) {
        wholeImageQuestion_ = false;
        AskWholeImageQuestion();
        return;
    }
    DoIdle();
}

void CMainDlg::DoIdle() {
    const QPoint global = QCursor::pos();
    const bool buttonDown = (QApplication::mouseButtons() & Qt::LeftButton) != 0;
    PsControlButton* found = nullptr;
    for (PsControlButton* b = firstButton_; b != nullptr; b = b->GetNext())
        if (b->isVisible() && b->rect().contains(b->mapFromGlobal(global))) {
            found = b;
            break;
        }
    if (found != nullptr && found->GetStatus() == kButtonDisabled) found = nullptr;
    if (hover_ != nullptr && hover_ != found && hover_->GetStatus() == kButtonHover) hover_->SetStatus(kButtonNormal);
    if (found != nullptr && found->GetStatus() != kButtonPressed)
        found->SetStatus(buttonDown && found->isDown() ? kButtonPressed : kButtonHover);
    hover_ = found;

    if (model_.IsMotionRunning()) OnTimer(Ticks());
    tabView_->DoIdle();
}

void CMainDlg::AskWholeImageQuestion() {
    if (MessageBox(this, UiString(UiStringId::kWholeImageQuestion), UiString(UiStringId::kCaption), kMbQuestion) !=
        kIdYes)
        return;
    const std::string folder = std::filesystem::path(paths_.helpFile).parent_path().string();
    OpenHelpPage(folder + "/" + kSelectionHelpPage);
}

long CMainDlg::PostMessage(long message, long argument, long second) {
    switch (message) {
    case kMessageRedraw:
    case kMessageUpdatePreview: UpdatePsMonitor(); return 1;
    case kMessageControlNotify:
        if (argument == kNotifyChanged) OnUpdatePsControl(static_cast<int>(argument), static_cast<int>(second));
        return 1;
    case kMessageProgress: ProgressProc(static_cast<int>(argument)); return 1;
    default: return 0;
    }
}

// ---- the preview ----

void CMainDlg::UpdatePsMonitor() {
    if (monitor_ == nullptr || !monitor_->IsImageReady() || rendering_) return;
    rendering_ = true;
    QElapsedTimer took;
    took.start();
    monitor_->Undo();
    try {
        if (monitor_->IsZoom()) {
            const bool large = app_.FullImage().GetWidth() > kWaitCursorSide &&
                               app_.FullImage().GetHeight() > kWaitCursorSide && !model_.IsMotionRunning();
            if (large) BeginWaitCursor();
            const CMacRect rect = monitor_->GetRenderRect();
            app_.Filter(&monitor_->FullRender(), &monitor_->FullRenderMask(), &rect, nullptr, nullptr);
            if (large) EndWaitCursor();
        } else {
            app_.Filter(&monitor_->ReducedRender(), &monitor_->ReducedRenderMask(), nullptr, nullptr, nullptr);
        }
    } catch (int code) {
        host_.ErrorMessage(code);
    }
    monitor_->Update();
    monitor_->repaint();
    renderPending_ = false;
    rendering_ = false;
    lastRenderMs_ = static_cast<double>(took.nsecsElapsed()) / 1e6;
    EnableControls();
    ReportUnreadableImages();
}

void CMainDlg::ReportUnreadableImages() {
    const std::vector<CShadeApp::UnreadableImage> unreadable = app_.TakeUnreadableImages();
    if (unreadable.empty()) return;
    std::vector<std::string> tell;
    for (const auto& image : unreadable)
        if (model_.NoteUnreadableImage(image.name, image.path)) tell.push_back(image.path);
    for (PsImageComboView* view : findChildren<PsImageComboView*>()) view->update();
    for (const std::string& path : tell) ShowMessage(UiStringId::kImageUnreadable, path);
}

void CMainDlg::PaneChanged(bool dragging) {
    // A drag judges by its own renders: what the render before it cost (a
    // style load renders every stage) says nothing of what a move of this
    // slider costs.  Its first move always renders.
    if (dragging && dragRendered_ && lastRenderMs_ > kLivePreviewBudgetMs) {
        renderPending_ = true;
        return;
    }
    UpdatePsMonitor();
    dragRendered_ = dragging;
}

void CMainDlg::PaneGestureEnded() {
    dragRendered_ = false;
    if (renderPending_) UpdatePsMonitor();
}

void CMainDlg::OnUpdatePsControl(int notification, int id) {
    if (notification == kNotifyChangeBegins) {
        model_.Store(id == kStyleListId);
        return;
    }
    if (notification == kNotifyChanged) UpdatePsMonitor();
}

// ---- the model's view ----

bool CMainDlg::AskYesNo(int stringId) {
    return MessageBox(this, UiString(stringId), UiString(UiStringId::kCaption), kMbQuestion) == kIdYes;
}

void CMainDlg::RefreshPanes() {
    if (tabView_ != nullptr) tabView_->SetParam();
    if (styleView_ != nullptr) styleView_->Refresh();
}

void CMainDlg::UpdateControls() { RefreshPanes(); }

void CMainDlg::EnableUndoRedo(bool undo, bool redo) {
    if (PsControlButton* b = GetButton(MainItem::kUndo)) b->EnableWindow(undo);
    if (PsControlButton* b = GetButton(MainItem::kRedo)) b->EnableWindow(redo);
}

void CMainDlg::ShowPage(int32_t page) {
    if (tabView_ != nullptr && page >= 0 && page < CTabView::kPaneCount) tabView_->setCurrentIndex(page);
}

void CMainDlg::MoveWindowTo(int32_t x, int32_t y) {
    // Only to a place on a screen that is there now.
    if (QGuiApplication::screenAt(QPoint(x + 40, y + 40)) != nullptr) move(x, y);
}

void CMainDlg::EnableControls() {
    if (styleView_ == nullptr) return;
    bool allLocked = true;
    for (int i = 0; i < kLockGroupCount; ++i) allLocked = allLocked && model_.Locks().IsLocked(i);
    if (allLocked && model_.IsMotionRunning()) model_.Capture();
    GetButton(MainItem::kLoad)->EnableWindow(!allLocked);
    GetButton(MainItem::kMotion)->EnableWindow(!allLocked);
    styleView_->EnableWindow(!allLocked);
    PsControlCombo& styles = model_.StyleList();
    GetButton(MainItem::kDeleteStyle)->EnableWindow(styles.GetCount() > styles.GetFirst());
    GetButton(MainItem::kZoom)->SetCheck(monitor_ != nullptr && monitor_->IsZoom());
}

void CMainDlg::SetMotionButton(bool running) {
    GetButton(MainItem::kMotion)->SetCheck(running);
    GetButton(MainItem::kCapture)->EnableWindow(running);
}

void CMainDlg::ReportWriteFailure(const std::string& path) {
    ShowMessage(UiStringId::kWriteFailed, path);
}

void CMainDlg::ShowMessage(int messageId, const std::string& text) {
    MessageBox(this, Message(messageId, QString::fromStdString(text)), UiString(UiStringId::kCaption), kMbWarning);
}

// ---- items ----

bool CMainDlg::DoAction(short* item) {
    if (tabView_ != nullptr && tabView_->DoAction(*item)) return true;
    switch (*item) {
    case kItemOk: OnOK(); break;
    case kItemCancel: OnCancel(); break;
    case MainItem::kTab:
    case MainItem::kMonitor: break;
    case MainItem::kUndo:
        model_.StopMotion(false);
        model_.Undo(true);
        break;
    case MainItem::kRedo:
        model_.StopMotion(false);
        model_.Undo(false);
        break;
    case MainItem::kLoad: OnLoad(); break;
    case MainItem::kSave: OnSave(); break;
    case MainItem::kSettings: OnSettings(); break;
    case MainItem::kManual: OnManual(); break;
    case MainItem::kAddStyle: OnAddStyle(); break;
    case MainItem::kDeleteStyle: OnDeleteStyle(); break;
    case MainItem::kStyleList: {
        PsControlCombo& styles = model_.StyleList();
        if (styles.GetCurrent() >= 0) styles.Select(styles.GetCurrent() + 1, true);
        break;
    }
    case MainItem::kZoom: OnZoom(!monitor_->IsZoom()); break;
    case MainItem::kMotion: OnMotion(); break;
    case MainItem::kCapture: OnCapture(); break;
    case MainItem::kRedraw: update(); break;
    default: return false;
    }
    if (QWidget* widget = GetDlgItem(*item)) widget->update();
    return true;
}

void CMainDlg::OnZoom(bool zoom) {
    if (monitor_ == nullptr || monitor_->IsZoom() == zoom) return;
    monitor_->SetZoom(zoom);
    GetButton(MainItem::kZoom)->SetCheck(zoom);
}

void CMainDlg::OnMotion() {
    if (model_.IsMotionRunning()) {
        model_.StopMotion(true);
        return;
    }
    model_.StartMotion(Ticks(), static_cast<uint32_t>(std::time(nullptr)));
}

void CMainDlg::OnCapture() { model_.Capture(); }

void CMainDlg::OnSettings() {
    model_.StopMotion(true);
    PsControlButton* button = GetButton(MainItem::kSettings);
    button->SetStatus(kButtonNormal);
    SettingDlg settings(model_.Params(), model_.Ui().pathUser, sizeof(model_.Ui().pathUser), this);
    // The size standard and the texture placement change the render.
    if (settings.DoModal() == kItemOk) UpdatePsMonitor();
    button->SetStatus(kButtonHover);
}

// Runs the load or save chooser in the last folder with the last file type.
// True with the chosen path and its file type; false when cancelled or when
// the name is of no type of ours (which is told).
bool CMainDlg::ChooseUserFile(bool save, std::string& path, int32_t& type) {
    CFileDialog chooser(save ? CFileDialog::kSave : CFileDialog::kOpen, ".mv",
                        UiString(save ? UiStringId::kSaveFilter : UiStringId::kLoadFilter), this);
    chooser.SetTitle(UiString(save ? UiStringId::kSaveTitle : UiStringId::kLoadTitle));
    chooser.SetInitialFolder(QString::fromUtf8(model_.Ui().pathUser));
    chooser.SetFilterIndex(FilterIndexOf(chooser, model_.Ui().extUser));
    if (save) chooser.SetDefaultFileName(QString::fromStdString(model_.Ui().styleName));
    const int chosen = chooser.DoModal();
    if (!save) GetButton(MainItem::kLoad)->SetStatus(kButtonNormal);
    if (chosen != 1) return false;
    path = chooser.GetPathName();
    type = UserFileTypeOfPath(path);
    if (type != 0) return true;
    ShowMessage(UiStringId::kUnknownFileType, path);
    return false;
}

void CMainDlg::OnLoad() {
    model_.StopMotion(true);
    std::string path;
    int32_t type = 0;
    if (!ChooseUserFile(false, path, type)) return;
    WaitCursor wait;
    if (model_.LoadUserFile(path.c_str(), type) == UserFileResult::RunBackup) RunBackupDialog(false, path);
    RefreshPanes();
    EnableControls();
}

void CMainDlg::OnSave() {
    model_.StopMotion(true);
    std::string path;
    int32_t type = 0;
    if (!ChooseUserFile(true, path, type)) return;
    WaitCursor wait;
    if (model_.SaveUserFile(path.c_str(), type) == UserFileResult::RunBackup) RunBackupDialog(true, path);
    RefreshPanes();
    EnableControls();
}

// The backup dialog packs the library into path, or restores the pack at
// path; after a restore the preview is made again and, when the user chose
// so, the restore folder becomes the folder the file choosers start in.
void CMainDlg::RunBackupDialog(bool backup, const std::string& path) {
    const MainDlgFolders& folders = model_.Folders();
    BackupDlg dialog(this, backup, model_.Params(),
                     {model_.StyleList(), model_.TextureList(), model_.ForegroundList()},
                     {folders.systemFolder, folders.styleFolder, folders.textureFolder, folders.foregroundFolder},
                     path, [this](const std::string& folder, bool useFolder) {
                         if (useFolder) SetPathField(model_.Ui().pathUser, folder.c_str());
                         PostMessage(kMessageUpdatePreview);
                     });
    dialog.DoModal();
}

void CMainDlg::OnAddStyle() {
    model_.StopMotion(true);
    CFileDialog chooser(CFileDialog::kOpen, QString(), UiString(UiStringId::kAddStyleFilter), this);
    chooser.SetTitle(UiString(UiStringId::kAddStyleTitle));
    chooser.SetInitialFolder(QString::fromUtf8(model_.Ui().pathUser));
    chooser.SetFilterIndex(0);
    if (chooser.DoModal() != 1) return;
    WaitCursor wait;
    model_.AddStyleFile(chooser.GetPathName().c_str());
    styleView_->Refresh();
    EnableControls();
}

void CMainDlg::OnDeleteStyle() {
    model_.DeleteStyle();
    styleView_->Refresh();
    EnableControls();
}

void CMainDlg::OnManual() { OpenHelpPage(paths_.helpFile); }

void CMainDlg::OpenHelpPage(const std::string& path) {
    if (!std::filesystem::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        ShowMessage(UiStringId::kManualMissing, path);
}

// ---- OK and Cancel ----

void CMainDlg::OnOK() {
    timer_.stop();
    if (model_.IsMotionRunning()) model_.Capture();
    volatile int abortFlag = 0;
    progress_->Begin();
    try {
        app_.Filter(&app_.FullImage(), &app_.FullMask(), nullptr, &renderProgress_, &abortFlag);
    } catch (int code) {
        host_.ErrorMessage(code);
        abortFlag = -1;
    }
    progress_->End();
    if (abortFlag == 0) {
        written_ = host_.SaveImage();
        if (!written_) host_.ErrorMessage(kErrorSaveImage);
    }
    EndDialog(kItemOk);
}

void CMainDlg::OnCancel() {
    model_.StopMotion(true);
    EndDialog(kItemCancel);
}

void CMainDlg::ProgressProc(int percent) {
    host_.ProgressProc(percent);
    progress_->SetPercent(percent);
}

bool CMainDlg::IsAbort() { return progress_->IsAborted() || host_.IsAbort(); }
