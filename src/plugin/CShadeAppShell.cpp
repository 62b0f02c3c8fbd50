// The shell half of the application object: the main objects of one start
// selector, the host image exchange and the messages.
#include <cstdarg>

#include "CShadeApp.h"
#include "Globals.h"
#include "HostExchange.h"
#include "InstallData.h"
#include "PluginMessages.h"
#ifdef MORVANEL_WITH_DIALOG
#include "DialogLibrary.h"
#include "MainDlgHost.h"
#endif

namespace {

ShadeColorSt LowBytes(const HostRGBColor& colour) {
    return {static_cast<uint8_t>(colour.red & 0xff), static_cast<uint8_t>(colour.green & 0xff),
            static_cast<uint8_t>(colour.blue & 0xff)};
}

int32_t StripRowsOf(FilterRecord* record) {
    ParamBlockLock lock(record);
    return lock.Block() == nullptr ? 1 : lock.Block()->StripRows;
}

#ifdef MORVANEL_WITH_DIALOG
// The main dialog's view of this host: the exchange through the record, the
// host's progress and abort test, and the application's error report.
class ShellDialogHost : public MainDlgHost {
public:
    ShellDialogHost(CShadeApp& app, FilterRecord& record)
        : app_(app), record_(record), errorAtStart_(app.GetLastError()) {}
    bool LoadImage() override { return app_.LoadImage() == 1; }
    bool SaveImage() override { return app_.SaveImage() == 1; }
    bool IsWholeImage() const override { return app_.IsWholeImage(); }
    void ProgressProc(int percent) override {
        if (record_.progressProc != nullptr) record_.progressProc(percent, 100);
    }
    bool IsAbort() override { return record_.abortProc != nullptr && record_.abortProc() != 0; }
    void ErrorMessage(int code) override { app_.ErrorMessage(code); }
    int AppStatus() const override { return app_.IsSetup() && app_.GetLastError() == errorAtStart_ ? 1 : 0; }

private:
    CShadeApp& app_;
    FilterRecord& record_;
    int errorAtStart_;
};
#endif

}  // namespace

bool CShadeApp::SetupMainObject([[maybe_unused]] void* window, Globals* globals) {
    globals_ = globals;
    if (globals_ == nullptr) return false;
    const FilterRecord& record = *globals_->filterRecord;
    const int32_t width = record.filterRect.right - record.filterRect.left;
    const int32_t height = record.filterRect.bottom - record.filterRect.top;
    if (width < 1 || height < 1) return false;

    fullImage_.Setup(width, height, 24);
    fullMask_.Setup(width, height, 8);

    shadeParams_.TextureFilename[0] = '\0';
    shadeParams_.ForegroundFilename[0] = '\0';
    foregroundColor_ = LowBytes(record.foreground);
    backgroundColor_ = LowBytes(record.background);

    // The system folder receives the installation data on first use; the
    // library copies of the data folder are made from it.
    SeedSystemFolder(GetPreferencesFolder());
    paths_ = SetupAppPaths();
    SetFolders(paths_.systemFolder, paths_.textureFolder, paths_.foregroundFolder);

    // The main dialog's first timer step reads the image here; without a
    // dialog only the silent run reads it.
    setup_ = true;
    return true;
}

int CShadeApp::DispMainDlg() {
#ifdef MORVANEL_WITH_DIALOG
    if (globals_ == nullptr) return 0;
    const DialogModuleSt* dialogs = DialogLibrary_Module();
    if (dialogs == nullptr) {
        DispMessage("%s", LoadString(kStringNoDialog).c_str());
        return 0;
    }
    if (!dialogs->displayAvailable()) {
        DispMessage("%s", LoadString(kStringNoDisplay).c_str());
        return 0;
    }
    ShellDialogHost host(*this, *globals_->filterRecord);
    SetMessageWindow(dialogs->showMessage);
    DialogRunResult result = DialogRunResult::Cancelled;
    try {
        result = dialogs->runMainDialog(*this, host, paths_);
    } catch (...) {
        SetMessageWindow(nullptr);
        throw;
    }
    SetMessageWindow(nullptr);
    return result == DialogRunResult::Applied ? 1 : 0;
#else
    DispMessage("%s", LoadString(kStringNoDialog).c_str());
    return 0;
#endif
}

void CShadeApp::DeleteMainObject() {
    for (CachedImage* cache : {&foreground_, &texture_}) {
        cache->bitmap.Clear();
        cache->loadedName.clear();
    }
    fullMask_.Clear();
    fullImage_.Clear();
    // A fresh engine releases the work maps and forgets the last render.
    shadingBase_ = std::make_unique<ShadingBase>();
    objectRect_.SetRectEmpty();
    wholeImage_ = false;
    setup_ = false;
}

int CShadeApp::LoadImage() {
    if (globals_ == nullptr) return 0;
    FilterRecord& record = *globals_->filterRecord;
    HostExchangeLoadSt loaded;
    const bool done = HostExchange_Load(record, StripRowsOf(&record), fullImage_, fullMask_, loaded);
    objectRect_ = loaded.objectRect;
    wholeImage_ = loaded.wholeImage;
    return done ? 1 : 0;
}

int CShadeApp::SaveImage() {
    if (globals_ == nullptr) return 0;
    FilterRecord& record = *globals_->filterRecord;
    // Without an object nothing was rendered, and the layer goes back as it
    // came: erasing "outside" an empty object would erase the whole layer.
    const bool eraseOutside = shadeParams_.EraseOutside == 1 && !objectRect_.IsRectEmpty();
    return HostExchange_Save(record, StripRowsOf(&record), fullImage_, fullMask_, eraseOutside) ? 1 : 0;
}

void CShadeApp::ErrorMessage(int code) {
    lastError_ = code;
    if (code == -1) {
        ShowMessageText(LoadString(kStringNoMemory), kMessageStyleWarning);
        return;
    }
    const std::string format = LoadString(kStringErrorCode);
    DispMessage(format.c_str(), code, shadingBase_->GetCheckPoint());
}

void CShadeApp::DispMessage(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatMessageText(format, arguments);
    va_end(arguments);
    ShowMessageText(text, kMessageStyleWarning);
}

int CShadeApp::DispMessageEx(int style, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatMessageText(format, arguments);
    va_end(arguments);
    return ShowMessageText(text, style);
}
