#include "HostBackupCommand.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "AppFolder.h"
#include "BackupDlgModel.h"
#include "BackupText.h"
#include "HostCommand.h"
#include "HostCommandLine.h"
#include "InstallData.h"
#include "MainDlgModel.h"
#include "StyleFile.h"

namespace {

int ParseMode(const std::string& text) {
    if (text == "style") return kBackupCurrentStyle;
    if (text == "styles") return kBackupAllStyles;
    if (text == "all") return kBackupEverything;
    throw HostUsageError("--mode takes style, styles or all, not \"" + text + "\"");
}

HostConflictPolicy ParsePolicy(const std::string& text) {
    if (text == "ask") return HostConflictPolicy::Ask;
    if (text == "overwrite") return HostConflictPolicy::Overwrite;
    if (text == "rename") return HostConflictPolicy::Rename;
    if (text == "skip") return HostConflictPolicy::Skip;
    throw HostUsageError("--on-conflict takes ask, overwrite, rename or skip, not \"" + text + "\"");
}

// The main dialog's model without its window: it owns the three lists and
// reads and writes the settings file.
struct NoWindow : MainDlgView {
    bool AskYesNo(int) override { return false; }
    void ReportWriteFailure(const std::string& path) override {
        std::fprintf(stderr, "morvanel: cannot write %s\n", path.c_str());
    }
};

// The user's library as the dialog would see it.
class Library {
public:
    Library() {
        const std::string system = GetPreferencesFolder();
        if (system.empty()) throw std::runtime_error("no system folder (neither MORVANEL_HOME nor HOME is set)");
        SeedSystemFolder(system);
        const AppPaths paths = SetupAppPaths();
        folders_ = {paths.systemFolder, paths.settingsFile, paths.styleFolder,
                    paths.textureFolder, paths.foregroundFolder, paths.picturesFolder};
        ShadeParamsSetDefaults(params_, paths.picturesFolder);
        style_ = std::make_unique<StyleFile>(params_, nullptr, paths.settingsFile, StyleFile::MessageSink{});
        model_ = std::make_unique<MainDlgModel>(params_, folders_, view_, *style_);
        model_->LoadUIParam();
    }
    ShadeParams& Params() { return params_; }
    MainDlgModel& Model() { return *model_; }
    BackupLists Lists() { return {model_->StyleList(), model_->TextureList(), model_->ForegroundList()}; }
    BackupFolders Folders() const {
        return {folders_.systemFolder, folders_.styleFolder, folders_.textureFolder, folders_.foregroundFolder};
    }

private:
    ShadeParams params_{};
    MainDlgFolders folders_;
    NoWindow view_;
    std::unique_ptr<StyleFile> style_;
    std::unique_ptr<MainDlgModel> model_;
};

// The answers of the command line: fixed by --on-conflict, or asked on the
// terminal.
class CommandQuestions : public BackupQuestions {
public:
    explicit CommandQuestions(HostConflictPolicy policy) : policy_(policy) {}

    OverwriteChoice AskOverwrite(const std::string& question, const std::string& fileName,
                                 std::string& newName) override {
        switch (policy_) {
            case HostConflictPolicy::Overwrite: return OverwriteChoice::OverwriteAll;
            case HostConflictPolicy::Skip: return OverwriteChoice::SkipAll;
            case HostConflictPolicy::Rename: return FreshName(fileName, newName);
            case HostConflictPolicy::Ask: break;
        }
        return Ask(question, fileName, newName);
    }
    bool AskCreateFolder(const std::string&) override { return true; }

private:
    // name-1.ext, name-2.ext ...: the restore asks again while a name is taken.
    OverwriteChoice FreshName(const std::string& fileName, std::string& newName) {
        if (fileName != lastFile_) suffix_ = 0;
        lastFile_ = fileName;
        const std::size_t dot = fileName.rfind('.');
        newName = OverWriteNewName(fileName.substr(0, dot) + "-" + std::to_string(++suffix_), fileName);
        return OverwriteChoice::Rename;
    }

    OverwriteChoice Ask(const std::string& question, const std::string& fileName, std::string& newName) {
        while (true) {
            std::fprintf(stderr,
                         "%s\n  [o]verwrite, [s]kip, [r]ename NEWNAME, overwrite [a]ll, skip a[l]l? ",
                         question.c_str());
            std::string answer;
            if (!std::getline(std::cin, answer)) {
                std::fprintf(stderr, "\n(no answer: %s is skipped)\n", fileName.c_str());
                return OverwriteChoice::Skip;
            }
            if (answer == "o") return OverwriteChoice::Overwrite;
            if (answer == "s") return OverwriteChoice::Skip;
            if (answer == "a") return OverwriteChoice::OverwriteAll;
            if (answer == "l") return OverwriteChoice::SkipAll;
            if (answer.rfind("r ", 0) == 0) {
                newName = OverWriteNewName(answer.substr(2), fileName);
                if (!newName.empty()) return OverwriteChoice::Rename;
            }
        }
    }

    HostConflictPolicy policy_;
    std::string lastFile_;
    int suffix_ = 0;
};

void PrintReport(const std::vector<std::string>& report, std::FILE* to) {
    for (const std::string& line : report) std::fprintf(to, "%s\n", line.c_str());
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace

HostBackupLineSt HostBackupLine_Parse(bool restore, int argc, const char* const* argv, int first) {
    HostBackupLineSt line;
    const char* command = restore ? "restore" : "backup";
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') throw HostUsageError(argument + " needs a value");
            return argv[++i];
        };
        if (!restore && argument == "--mode") line.backupMode = ParseMode(value());
        else if (restore && argument == "--into") line.into = value();
        else if (restore && argument == "--on-conflict") line.onConflict = ParsePolicy(value());
        else if (!argument.empty() && argument[0] == '-')
            throw HostUsageError("unknown option " + argument + " for " + command);
        else if (!line.pack.empty()) throw HostUsageError(std::string(command) + " takes one pack file");
        else line.pack = argument;
    }
    if (line.pack.empty()) throw HostUsageError(std::string(command) + " needs a pack file (.mvz)");
    return line;
}

int HostBackup_Run(const HostBackupLineSt& line) {
    Library library;
    if (line.backupMode >= 0) library.Params().BackupMode = line.backupMode;
    CommandQuestions questions(HostConflictPolicy::Skip);
    BackupDlgModel backup(library.Params(), library.Lists(), library.Folders(), questions, Absolute(line.pack));
    if (line.backupMode == kBackupCurrentStyle && !backup.CanBackupCurrentStyle())
        std::fprintf(stderr, "morvanel: no style is selected in the style list; every style is packed\n");
    backup.OnInitBackup();
    if (!backup.CanOK()) {
        PrintReport(backup.Report(), stderr);
        return kExitBadInput;
    }
    if (!backup.Contract()) {
        PrintReport(backup.Report(), stderr);
        return kExitUnwritable;
    }
    PrintReport(backup.Report(), stdout);
    return kExitOk;
}

int HostRestore_Run(const HostBackupLineSt& line) {
    Library library;
    CommandQuestions questions(line.onConflict);
    BackupDlgModel restore(library.Params(), library.Lists(), library.Folders(), questions, line.pack);
    restore.OnInitRestore();
    if (!line.into.empty()) restore.SetRestoreFolder(Absolute(line.into));
    if (!restore.CanOK()) {
        PrintReport(restore.Report(), stderr);
        return kExitBadInput;
    }
    PrintReport(restore.Report(), stdout);
    if (!restore.Extract()) {
        PrintReport(restore.Report(), stderr);
        return kExitUnwritable;
    }
    PrintReport(restore.Report(), stdout);
    // The reloaded lists become the user's lists, as when the dialog closes.
    return library.Model().SaveUIParam() ? kExitOk : kExitUnwritable;
}
