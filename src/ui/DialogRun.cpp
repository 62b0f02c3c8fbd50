#include "DialogRun.h"

#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "CMainDlg.h"
#include "DialogModule.h"
#include "SplashDlg.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// The host may have no Qt application; the plug-in then makes one and keeps
// it for the life of the process (Qt allows one per process).
void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    // The arguments live on the heap: Qt keeps pointers to them, and the
    // library that made them may be unloaded before the process ends.
    static int* argc = new int(1);
    static char** argv = new char*[2]{strdup("morvanel"), nullptr};
    new QApplication(*argc, argv);
}

}  // namespace

bool DialogDisplayAvailable() {
    if (QApplication::instance() != nullptr) return true;
    return EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY") || EnvironmentSet("QT_QPA_PLATFORM");
}

DialogRunResult RunMainDialog(CShadeApp& app, MainDlgHost& host, const AppPaths& paths) {
    if (!DialogDisplayAvailable()) return DialogRunResult::NoDisplay;
    EnsureApplication();
    CMainDlg dialog(app, host, paths);
    dialog.OnTimer(-1);
    const int item = dialog.DoModal();
    return item == kItemOk && dialog.ResultWritten() ? DialogRunResult::Applied : DialogRunResult::Cancelled;
}

int ShowDialogMessage(const std::string& text, int style) {
    QWidget* window = QApplication::activeModalWidget();
    return MessageBox(window, QString::fromStdString(text), UiString(UiStringId::kCaption), style);
}

bool RunSplashDialog(const std::string& systemFolder) {
    if (!DialogDisplayAvailable()) return false;
    EnsureApplication();
    SplashDlg splash(systemFolder);
    splash.Modal();
    return true;
}

extern "C" __attribute__((visibility("default"))) const DialogModuleSt* MorvanelDialog_Module() {
    static const DialogModuleSt module{DialogDisplayAvailable, RunMainDialog, ShowDialogMessage, RunSplashDialog};
    return &module;
}
