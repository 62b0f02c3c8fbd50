// A whole restore of any pack into a folder of a small library: whatever the
// pack holds, nothing appears outside the restore folder but the library's
// own thumbnails, and the restore folder holds nothing but the pack's files.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "BackupDlgModel.h"
#include "MainDlgModel.h"

namespace {

namespace fs = std::filesystem;

struct NoWindow : MainDlgView {
    bool AskYesNo(int) override { return false; }
};

struct NoStyles : StyleParamIO {
    int SaveParam(const char*) override { return 1; }
    std::vector<ProfileSetting> StyleKeys() const override { return {}; }
    int LoadParam(const char*) override { return 1; }
};

struct OverwriteAll : BackupQuestions {
    OverwriteChoice AskOverwrite(const std::string&, const std::string&, std::string&) override {
        return OverwriteChoice::OverwriteAll;
    }
    bool AskCreateFolder(const std::string&) override { return true; }
};

// The library and the restore folder live in a temporary folder of the run.
struct SandboxDir {
    std::string path;
    SandboxDir() {
        path = (fs::temp_directory_path() / "morvanel-fuzz-restore-XXXXXX").string();
        if (::mkdtemp(path.data()) == nullptr) std::abort();
        for (const char* sub : {"sys/Style", "sys/Texture", "sys/Foreground", "pics"})
            fs::create_directories(fs::path(path) / sub);
    }
    ~SandboxDir() {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

// Everything in the sandbox but the restore folder and the pack.
std::set<std::string> Outside(const std::string& sandbox) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(sandbox)) {
        const std::string path = entry.path().string();
        if (path.rfind(sandbox + "/r", 0) == 0 || path == sandbox + "/in.mvz") continue;
        // Thumbnails belong to the lists' positions and are made on reload.
        if (entry.path().filename().string().rfind("Thumbnail", 0) == 0) continue;
        names.insert(path);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const SandboxDir sandboxDir;
    const std::string& sandbox = sandboxDir.path;
    const std::string pack = sandbox + "/in.mvz";
    const std::string folder = sandbox + "/r";
    std::FILE* file = std::fopen(pack.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    fs::remove_all(folder);

    ShadeParams params{};
    ShadeParamsSetDefaults(params, sandbox + "/pics");
    const MainDlgFolders folders{sandbox + "/sys", sandbox + "/sys/Brenix.mv", sandbox + "/sys/Style",
                                 sandbox + "/sys/Texture", sandbox + "/sys/Foreground", sandbox + "/pics"};
    NoWindow view;
    NoStyles styles;
    MainDlgModel model(params, folders, view, styles);
    OverwriteAll questions;
    const std::set<std::string> before = Outside(sandbox);
    BackupDlgModel restore(params, {model.StyleList(), model.TextureList(), model.ForegroundList()},
                           {folders.systemFolder, folders.styleFolder, folders.textureFolder, folders.foregroundFolder},
                           questions, pack);
    restore.OnInitRestore();
    restore.SetRestoreFolder(folder);
    if (!restore.CanOK()) return 0;
    restore.Extract();

    if (Outside(sandbox) != before) std::abort();
    std::set<std::string> names;
    for (const PackEntrySt& entry : restore.Header().entries) names.insert(entry.storedName);
    if (fs::exists(folder))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (!entry.is_regular_file() || names.count(entry.path().filename().string()) == 0) std::abort();
    return 0;
}
