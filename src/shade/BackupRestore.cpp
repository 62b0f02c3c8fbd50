// The restore half of the backup dialog: checking a pack, the report, and
// unpacking it into a folder with the conflict rule, the path repair of the
// restored styles and set file, and the reload of the three lists.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "AppFolder.h"
#include "BackupDlgModel.h"
#include "BackupText.h"
#include "FileUtilities.h"
#include "Profile.h"
#include "SafeFileWriter.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

// An open pack, read a chunk at a time.
struct PackFile {
    std::FILE* file = nullptr;
    uint64_t length = 0;
    ~PackFile() {
        if (file != nullptr) std::fclose(file);
    }
};

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Style and set files compare equal when they differ only between double
// quotes (their paths).  The closing quote is looked for within the chunk.
bool SameOutsideQuotes(const char* a, std::size_t aLength, const char* b, std::size_t bLength) {
    std::size_t i = 0, j = 0;
    while (i < aLength && j < bLength) {
        if (a[i] != b[j]) return false;
        if (a[i] == '"') {
            const void* aClose = std::memchr(a + i + 1, '"', aLength - i - 1);
            const void* bClose = std::memchr(b + j + 1, '"', bLength - j - 1);
            i = aClose ? static_cast<std::size_t>(static_cast<const char*>(aClose) - a) + 1 : aLength;
            j = bClose ? static_cast<std::size_t>(static_cast<const char*>(bClose) - b) + 1 : bLength;
            continue;
        }
        ++i;
        ++j;
    }
    return i == aLength && j == bLength;
}

}  // namespace

class BackupDlgModel::PackReader : public PackFile {
public:
    bool Seek(uint64_t offset) { return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }
    std::size_t Read(char* buffer, std::size_t size) { return std::fread(buffer, 1, size, file); }
};

std::string BackupDlgModel::TargetOf(const std::string& name) const { return FSJoin(restoreFolder_, name); }

bool BackupDlgModel::OpenPack(PackReader& reader) {
    reader.file = std::fopen(packPath_.c_str(), "rb");
    struct stat info {};
    if (reader.file == nullptr || ::fstat(::fileno(reader.file), &info) != 0 || !S_ISREG(info.st_mode)) {
        ReportError(BackupString(kFileNotOpened), packPath_);
        return false;
    }
    reader.length = static_cast<uint64_t>(info.st_size);
    std::vector<uint8_t> bytes(kPackHeaderSize);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), reader.file);
    int32_t index = -1;
    const PackFault fault = PackHeader_Decode(bytes.data(), got, reader.length, header_, index);
    if (fault == PackFault::None) return true;
    header_ = PackHeaderSt{};
    ReportError(BackupFormat(PackFaultMessage(fault), index + 1), packPath_);
    return false;
}

void BackupDlgModel::OnInitRestore() {
    restoreFolder_ = params_.PathDefault;
    useRestoreFolder_ = params_.RestoreWork != 0;
    SetupRestore();
}

void BackupDlgModel::SetupRestore() {
    ResetReport();
    backup_ = false;
    PackReader reader;
    if (!OpenPack(reader)) return;
    report_.push_back(BackupFormat(kReportPack, packName_.c_str()));
    report_.push_back(BackupFormat(kReportCounts, header_.styleCount, static_cast<int>(header_.entries.size()),
                                   NumText(kPackHeaderSize + uint64_t{header_.totalSize}, 16, false).c_str()));
    report_.emplace_back();
    report_.push_back(BackupString(kReportRestore1));
    report_.push_back(BackupString(kReportRestore2));
    report_.emplace_back();
    AddFileLines();
    ready_ = true;
}

bool BackupDlgModel::CheckFolder() {
    while (restoreFolder_.size() > 1 && restoreFolder_.back() == '/') restoreFolder_.pop_back();
    if (restoreFolder_.size() > kAppPathMax) {
        ReportError(BackupFormat(kPathTooLong, restoreFolder_.c_str()), "");
        return false;
    }
    // A relative folder would land wherever the process happens to run.
    if (restoreFolder_.empty() || restoreFolder_.front() != '/') {
        ReportError(BackupString(kFolderNotMade), restoreFolder_);
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(restoreFolder_, error)) return true;
    if (Exists(restoreFolder_)) {
        ReportError(BackupString(kFolderNotMade), restoreFolder_);
        return false;
    }
    if (!questions_.AskCreateFolder(BackupFormat(kCreateFolderQuestion, restoreFolder_.c_str()))) return false;
    if (INMakeDir(restoreFolder_.c_str()) == kFsNoError) return true;
    ReportError(BackupString(kFolderNotMade), restoreFolder_);
    return false;
}

bool BackupDlgModel::CheckTargets() {
    for (const PackEntrySt& entry : header_.entries) {
        const std::string target = TargetOf(entry.storedName);
        // Lists and styles keep paths of at most 254 characters.
        if (target.size() > kComboPathMax) {
            ReportError(BackupFormat(kPathTooLong, target.c_str()), "");
            return false;
        }
        std::error_code error;
        const auto status = std::filesystem::symlink_status(target, error);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
            !std::filesystem::is_symlink(status)) {
            ReportError(BackupString(kNotAFile), target);
            return false;
        }
    }
    return true;
}

bool BackupDlgModel::Identical(PackReader& reader, const PackEntrySt& entry, const std::string& target) {
    std::FILE* existing = std::fopen(target.c_str(), "rb");
    if (existing == nullptr) return false;
    const PackFileType type = PackFileTypeOf(entry.storedName);
    const bool skipQuotes = type == PackFileType::Style || type == PackFileType::Set;
    std::vector<char> packed(kChunkSize), present(kChunkSize);
    uint64_t remaining = static_cast<uint64_t>(entry.size);
    bool same = true;
    while (same && remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(remaining, kChunkSize));
        const std::size_t a = reader.Read(packed.data(), want);
        const std::size_t b = std::fread(present.data(), 1, kChunkSize, existing);
        same = a == want && (skipQuotes ? SameOutsideQuotes(packed.data(), a, present.data(), b)
                                        : a == b && std::memcmp(packed.data(), present.data(), a) == 0);
        remaining -= a;
    }
    same = same && std::fgetc(existing) == EOF;
    std::fclose(existing);
    return same;
}

bool BackupDlgModel::Settle(const PackEntrySt& entry, std::string& target, OverwriteChoice& choice) {
    const std::string question =
        BackupFormat(kOverwriteQuestion, entry.storedName.c_str(), BackupString(PackTypeNoun(PackFileTypeOf(entry.storedName))));
    while (true) {
        if (choice == OverwriteChoice::OverwriteAll) return true;
        if (choice == OverwriteChoice::SkipAll) return false;
        std::string newName = entry.storedName;
        choice = questions_.AskOverwrite(question, entry.storedName, newName);
        if (choice != OverwriteChoice::Rename) return choice == OverwriteChoice::Overwrite || choice == OverwriteChoice::OverwriteAll;
        const std::string renamed = TargetOf(newName);
        // Only a plain new name that is free is taken; anything else asks again.
        if (!PackNameIsPlain(newName) || renamed.size() > kComboPathMax || Exists(renamed)) continue;
        if (renames_.size() >= static_cast<std::size_t>(kPackMaxFiles)) return false;
        renames_.emplace_back(entry.storedName, newName);
        target = renamed;
        return true;
    }
}

bool BackupDlgModel::WriteFile(PackReader& reader, const PackEntrySt& entry, const std::string& target) {
    SafeFileWriter writer(target.c_str(), SafeFileLinks::Replace);
    std::FILE* out = writer.IsOpen() ? writer.Stream() : nullptr;
    if (out == nullptr) {
        ReportError(BackupString(kFileNotCreated), target);
        return false;
    }
    std::vector<char> buffer(kChunkSize);
    uint64_t remaining = static_cast<uint64_t>(entry.size);
    while (remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(remaining, kChunkSize));
        if (reader.Read(buffer.data(), want) != want) {
            ReportError(BackupString(kPackShortRead), packPath_);
            return false;
        }
        if (std::fwrite(buffer.data(), 1, want, out) != want) {
            ReportError(BackupString(kFileShortWrite), target);
            return false;
        }
        remaining -= want;
    }
    if (writer.Commit()) return true;
    ReportError(BackupString(kFileShortWrite), target);
    return false;
}

bool BackupDlgModel::RestoreFile(PackReader& reader, std::size_t index, OverwriteChoice& choice,
                                 std::vector<bool>& present) {
    const PackEntrySt& entry = header_.entries[index];
    std::string target = TargetOf(entry.storedName);
    uint64_t offset = kPackHeaderSize;
    for (std::size_t i = 0; i < index; ++i) offset += static_cast<uint64_t>(header_.entries[i].size);
    if (!reader.Seek(offset)) {
        ReportError(BackupString(kPackShortRead), packPath_);
        return false;
    }
    if (Exists(target)) {
        if (Identical(reader, entry, target)) {
            targets_[index] = target;
            present[index] = true;
            return true;
        }
        if (!Settle(entry, target, choice)) {
            notRestored_.push_back(entry.storedName);
            return true;
        }
        if (!reader.Seek(offset)) {
            ReportError(BackupString(kPackShortRead), packPath_);
            return false;
        }
    }
    if (!WriteFile(reader, entry, target)) return false;
    targets_[index] = target;
    present[index] = true;
    restored_.push_back(std::string(FSNamePart(target)));
    return true;
}

std::string BackupDlgModel::RepairedPath(const std::string& value) const {
    if (value.empty()) return value;
    std::string name(FSNamePart(value));
    for (const auto& [oldName, newName] : renames_)
        if (oldName == name) name = newName;
    const std::string repaired = TargetOf(name);
    return repaired.size() <= kComboPathMax ? repaired : value;
}

void BackupDlgModel::RepairStyle(const std::string& path) {
    Profile profile(path);
    for (const char* section : {"TEXTURE", "FOREGROUND"}) {
        char value[256] = "";
        profile.Get(section, "Filename", "", value, sizeof value);
        const std::string repaired = RepairedPath(value);
        if (repaired != value) profile.Set(section, "Filename", repaired.c_str());
    }
}

void BackupDlgModel::RepairList(const std::string& path, const char* section, const char* countKey) {
    Profile profile(path);
    const int32_t count = std::clamp(profile.Get(section, countKey, 0), 0, kComboMaxEntries);
    for (int32_t i = 0; i < count; ++i) {
        const std::string key = "Path" + std::to_string(i + 1);
        char value[256] = "";
        profile.Get(section, key.c_str(), "", value, sizeof value);
        const std::string repaired = RepairedPath(value);
        if (repaired != value) profile.Set(section, key.c_str(), repaired.c_str());
    }
}

void BackupDlgModel::RepairPaths(const std::vector<bool>& present) {
    // Files the user chose to keep are left as they are.
    for (std::size_t i = 0; i < header_.entries.size(); ++i) {
        if (!present[i]) continue;
        const PackFileType type = PackFileTypeOf(targets_[i]);
        if (type == PackFileType::Style) RepairStyle(targets_[i]);
        if (type != PackFileType::Set) continue;
        RepairList(targets_[i], "STYLE", "NumItem");
        RepairList(targets_[i], "TEXTURE", "NumImage");
        RepairList(targets_[i], "FOREGROUND", "NumImage");
    }
}

void BackupDlgModel::ReloadLists(const std::vector<bool>& present) {
    std::string setFile;
    for (std::size_t i = 0; i < header_.entries.size() && setFile.empty(); ++i)
        if (present[i] && PackFileTypeOf(targets_[i]) == PackFileType::Set) setFile = targets_[i];
    if (!setFile.empty()) {
        PsControlCombo* lists[] = {&lists_.style, &lists_.texture, &lists_.foreground};
        for (PsControlCombo* list : lists) {
            // An image list loaded from a file remakes its thumbnails, which
            // belong to positions, not to images.
            list->Load(setFile.c_str(), list != &lists_.style);
            const int32_t count = list->GetCount();
            list->DelInvalid();
            if (list->GetCount() != count) list->Save(setFile.c_str());
        }
    }
    if (useRestoreFolder_) SetPathField(params_.PathDefault, restoreFolder_);
    params_.RestoreWork = useRestoreFolder_ ? 1 : 0;
    questions_.OnRestored(restoreFolder_, useRestoreFolder_);
}

void BackupDlgModel::ReportRestoreOutcome() {
    if (!error_) {
        report_.clear();
        report_.push_back(BackupString(kRestoreDone));
    }
    report_.emplace_back();
    report_.push_back(BackupFormat(kRestoredFiles, static_cast<int>(restored_.size())));
    report_.insert(report_.end(), restored_.begin(), restored_.end());
    report_.push_back(BackupFormat(kNotRestoredFiles, static_cast<int>(notRestored_.size())));
    report_.insert(report_.end(), notRestored_.begin(), notRestored_.end());
}

bool BackupDlgModel::Extract() {
    if (backup_ || error_) return false;
    restored_.clear();
    notRestored_.clear();
    renames_.clear();
    // The pack is checked whole before the folder is made or anything written.
    PackReader reader;
    if (!OpenPack(reader) || !CheckFolder() || !CheckTargets()) return false;
    const std::size_t count = header_.entries.size();
    targets_.assign(count, std::string());
    std::vector<bool> present(count, false);
    OverwriteChoice choice = OverwriteChoice::Skip;
    for (std::size_t i = 0; i < count; ++i) {
        if (RestoreFile(reader, i, choice, present)) continue;
        // Everything from the failing file on stays as it was.
        for (std::size_t j = i; j < count; ++j) notRestored_.push_back(header_.entries[j].storedName);
        ReportRestoreOutcome();
        return false;
    }
    RepairPaths(present);
    ReloadLists(present);
    ReportRestoreOutcome();
    return true;
}
