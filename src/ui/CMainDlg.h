#pragma once
// CMainDlg: the main dialog.  The preview monitor on the left; on the right
// the tool buttons, the style list with its add and delete buttons, the tab
// view with the five panes, and OK and Cancel.  Every parameter change keeps
// an undo step first, changes the record and re-renders the preview at
// once; OK renders the whole area with a progress window and hands the
// result to the host.  The state and its rules live in MainDlgModel; this
// class shows them and forwards the user's actions.
#include <array>
#include <cstdint>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include "AppFolder.h"
#include "CDialog.h"
#include "CTabPane.h"
#include "MainDlgModel.h"
#include "MessageTarget.h"
#include "PsControlButton.h"
#include "ShadingBase.h"
#include "StyleFile.h"

class CProgressDlg;
class CShadeApp;
class CTabView;
class MainDlgHost;
class PsComboView;
class PsMonitor;
class QPushButton;

// Dialog items of the main dialog.
namespace MainItem {
inline constexpr short kTab = 3;
inline constexpr short kMonitor = 4;
inline constexpr short kUndo = 5;
inline constexpr short kRedo = 6;
inline constexpr short kLoad = 7;
inline constexpr short kSave = 8;
inline constexpr short kSettings = 9;
inline constexpr short kManual = 10;
inline constexpr short kAddStyle = 11;
inline constexpr short kDeleteStyle = 12;
inline constexpr short kStyleList = 13;
inline constexpr short kZoom = 14;
inline constexpr short kMotion = 15;
inline constexpr short kCapture = 16;
inline constexpr short kRedraw = 17;
inline constexpr short kCount = 17;
}  // namespace MainItem

// The file type (UserFileType numbering) of a path by its extension, 0 for
// an extension the dialog neither loads nor saves.
int32_t UserFileTypeOfPath(const std::string& path);

class CMainDlg : public CDialog, public MainDlgView, public PaneOwner, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int16_t kResourceId = 16001;
    // Slider drags re-render on every move while the drag's renders take no
    // longer than this; slower ones wait for the release.
    static constexpr double kLivePreviewBudgetMs = 60.0;

    CMainDlg(CShadeApp& app, MainDlgHost& host, const AppPaths& paths, QWidget* parent = nullptr);
    ~CMainDlg() override;

    bool OnInitDialog() override;
    bool DoAction(short* item) override;
    // Runs the dialog with its 0.05 s timer; saves the settings on the way
    // out and returns 1 (OK) or 2 (Cancel).
    int DoModal() override;
    void OnOK() override;
    void OnCancel() override;
    // time -1: the delayed start (the image is read, the dialog built and the
    // first preview rendered); otherwise the motion step due at `time` ticks.
    void OnTimer(int64_t time);
    // Re-renders the preview of the current view and shows it.
    void UpdatePsMonitor();
    // Marks the images the last render could not read in their lists and
    // tells the user of each file once in this dialog.
    void ReportUnreadableImages();
    void StopMotion(bool restore) { model_.StopMotion(restore); }
    void ProgressProc(int percent);
    bool IsAbort();
    // One pass of the idle work: hover, motion, the pane's idle.
    void DoIdle();

    long PostMessage(long message, long argument = 0, long second = 0) override;

    // PaneOwner
    void OnUpdatePsControl(int notification, int id) override;
    void PaneChanged(bool dragging) override;
    void PaneGestureEnded() override;
    ShadeParams& Params() override { return model_.Params(); }
    MainDlgModel* PaneModel() override { return &model_; }
    void PaneLocksChanged() override { EnableControls(); }

    // MainDlgView
    bool AskYesNo(int stringId) override;
    void RefreshPanes() override;
    void RequestPreview() override { UpdatePsMonitor(); }
    void EnableUndoRedo(bool undo, bool redo) override;
    void ShowPage(int32_t page) override;
    void MoveWindowTo(int32_t x, int32_t y) override;
    void EnableControls() override;
    void SetMotionButton(bool running) override;
    void ReportWriteFailure(const std::string& path) override;
    void ShowMessage(int messageId, const std::string& text) override;

    // True after OK when the render ran to its end and went to the host.
    bool ResultWritten() const { return written_; }
    MainDlgModel& Model() { return model_; }
    PsMonitor* GetMonitor() const { return monitor_; }
    CTabView* GetTabView() const { return tabView_; }
    PsComboView* GetStyleView() const { return styleView_; }
    PsControlButton* GetButton(short item) const;
    PsControlButton* GetFirstButton() const { return firstButton_; }
    PsControlButton* GetLastButton() const { return lastButton_; }
    void SetFocusButton(PsControlButton* button) { hover_ = button; }
    int GetCountDefaultItems() const { return countDefaultItems_; }
    void UpdateControls();
    CProgressDlg* GetProgressWindow() const { return progress_; }
    // Milliseconds the last preview render took (render, blend, repaint).
    double LastRenderMs() const { return lastRenderMs_; }

private:
    // Progress and abort of the whole-area render, for the engine.
    class RenderProgress : public ShadingProgressWindow {
    public:
        explicit RenderProgress(CMainDlg& dialog) : dialog_(dialog) {}
        void PostMessage(long message, int value, int second) override {
            dialog_.PostMessage(message, value, second);
        }
        bool UserAborted() override { return dialog_.IsAbort(); }

    private:
        CMainDlg& dialog_;
    };

    void BuildLayout();
    void SetupButtons();
    void InstallShortcuts();
    void DoTask();
    void AskWholeImageQuestion();
    void OnSettings();
    void OnLoad();
    void OnSave();
    bool ChooseUserFile(bool save, std::string& path, int32_t& type);
    void RunBackupDialog(bool backup, const std::string& path);
    void OnAddStyle();
    void OnDeleteStyle();
    void OnManual();
    void OnZoom(bool zoom);
    void OnMotion();
    void OnCapture();
    void OpenHelpPage(const std::string& path);
    int64_t Ticks() const;
    QString Message(int id, const QString& text) const;

    CShadeApp& app_;
    MainDlgHost& host_;
    AppPaths paths_;
    StyleFile styleFile_;
    MainDlgModel model_;
    RenderProgress renderProgress_{*this};

    PsMonitor* monitor_ = nullptr;
    PsComboView* styleView_ = nullptr;
    CTabView* tabView_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    CProgressDlg* progress_ = nullptr;
    std::array<PsControlButton*, MainItem::kCount + 1> buttons_{};
    PsControlButton* firstButton_ = nullptr;
    PsControlButton* lastButton_ = nullptr;
    // A pane's buttons go with the pane when another tab is chosen.
    QPointer<PsControlButton> hover_;
    int countDefaultItems_ = 0;

    QTimer timer_;
    QElapsedTimer clock_;
    bool wholeImageQuestion_ = false;
    bool written_ = false;
    bool rendering_ = false;
    bool renderPending_ = false;
    bool dragRendered_ = false;
    double lastRenderMs_ = 0.0;
};
