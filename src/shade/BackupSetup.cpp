// The backup half of the backup dialog: what goes into the pack, the report,
// and writing the pack.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "BackupDlgModel.h"
#include "BackupText.h"
#include "FileUtilities.h"
#include "Profile.h"
#include "SafeFileWriter.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
constexpr const char* kTempSetName = "temp.mvs";
// An image list has no selection key.
constexpr int32_t kNoListSelection = std::numeric_limits<int32_t>::min();

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// name with its extension (from its last ".") replaced by extension.
std::string WithExtension(std::string_view name, std::string_view extension) {
    const std::size_t dot = name.rfind('.');
    std::string result(dot == std::string_view::npos ? name : name.substr(0, dot));
    result += '.';
    result += extension;
    return result;
}

std::string ReadKey(const std::string& path, const char* section, const char* key) {
    char value[256] = "";
    Profile(path).Get(section, key, "", value, sizeof value);
    return value;
}

}  // namespace

std::string OverWriteNewName(const std::string& text, const std::string& fileName) {
    std::string name(FSNamePart(text.substr(0, std::min<std::size_t>(text.size(), 254))));
    const std::size_t fileDot = fileName.rfind('.');
    if (fileDot != std::string::npos) name = WithExtension(name, std::string_view(fileName).substr(fileDot + 1));
    const std::size_t nameDot = name.rfind('.');
    const bool onlyExtension = fileDot != std::string::npos && nameDot == 0;
    if (onlyExtension || !PackNameIsPlain(name) || name.size() >= kPackFieldSize) return {};
    return name;
}

BackupDlgModel::BackupDlgModel(ShadeParams& params, BackupLists lists, BackupFolders folders,
                               BackupQuestions& questions, std::string packPath)
    : params_(params), lists_(lists), folders_(std::move(folders)), questions_(questions),
      packPath_(std::move(packPath)), packName_(FSNamePart(packPath_)) {}

std::string BackupDlgModel::TempSetFile() const { return FSJoin(folders_.styleFolder, kTempSetName); }

void BackupDlgModel::ResetReport() {
    report_.clear();
    error_ = false;
    ready_ = false;
}

void BackupDlgModel::ReportError(const std::string& message, const std::string& path) {
    if (!error_) {
        report_.clear();
        report_.push_back(BackupString(kReportErrors));
        report_.emplace_back();
        error_ = true;
    }
    report_.push_back(message);
    if (!path.empty()) report_.push_back(path);
}

void BackupDlgModel::AddFileLines() {
    int number = 1;
    for (const PackEntrySt& entry : header_.entries) {
        char line[400];
        std::snprintf(line, sizeof line, "%d. %s (%d byte)", number++, entry.storedName.c_str(), entry.size);
        report_.push_back(line);
    }
}

bool BackupDlgModel::CanBackupCurrentStyle() const {
    const PsControlCombo& styles = lists_.style;
    return styles.GetCurrent() >= styles.GetFirst() && styles.GetCurrent() < styles.GetCount();
}

void BackupDlgModel::OnInitBackup() {
    if (params_.BackupMode == kBackupCurrentStyle && !CanBackupCurrentStyle()) params_.BackupMode = kBackupAllStyles;
    SetupBackup();
}

void BackupDlgModel::SetBackupMode(int32_t mode) {
    params_.BackupMode = std::clamp(mode, kBackupCurrentStyle, kBackupEverything);
    SetupBackup();
}

std::string BackupDlgModel::ResolvePath(const std::string& path, const std::string& folder) const {
    if (path.empty()) return {};
    if (path.find('/') != std::string::npos) {
        const std::string direct = path.front() == '/' ? path : FSJoin(folders_.systemFolder, path);
        if (IsRegularFile(direct)) return direct;
    }
    const std::string_view name = FSNamePart(path);
    if (params_.PathDefault[0] != '\0') {
        const std::string inPictures = FSJoin(params_.PathDefault, name);
        if (IsRegularFile(inPictures)) return inPictures;
    }
    const std::string inFolder = FSJoin(folder, name);
    return IsRegularFile(inFolder) ? inFolder : std::string();
}

bool BackupDlgModel::InPack(const std::string& resolved) const {
    return !resolved.empty() && std::find(resolved_.begin(), resolved_.end(), resolved) != resolved_.end();
}

bool BackupDlgModel::AddFile(const std::string& path, const std::string& folder, const std::string& storedName) {
    if (header_.entries.size() >= static_cast<std::size_t>(kPackMaxFiles)) return false;
    const std::string resolved = ResolvePath(path, folder);
    if (resolved.empty()) {
        ReportError(BackupString(kFileNotFound), path);
        return false;
    }
    if (InPack(resolved)) return false;
    const std::string name = storedName.empty() ? std::string(FSNamePart(resolved)) : storedName;
    if (resolved.size() >= kPackFieldSize || name.size() >= kPackFieldSize) {
        ReportError(BackupString(kPackFieldTooLong), resolved);
        return false;
    }
    // Two files under one name would restore as one: the second would
    // replace the first and the styles using it would show the wrong image.
    for (const PackEntrySt& entry : header_.entries) {
        if (entry.storedName != name) continue;
        ReportError(BackupFormat(kPackNameTwice, name.c_str()), resolved);
        return false;
    }
    struct stat info {};
    std::FILE* file = std::fopen(resolved.c_str(), "rb");
    const bool opened = file != nullptr && ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    if (file != nullptr) std::fclose(file);
    if (!opened) {
        ReportError(BackupString(kFileNotOpened), resolved);
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ||
        header_.totalSize + size > std::numeric_limits<uint32_t>::max()) {
        ReportError(BackupString(kPackFileTooLarge), resolved);
        return false;
    }
    header_.entries.push_back({resolved, name, static_cast<int32_t>(size)});
    header_.totalSize += static_cast<uint32_t>(size);
    resolved_.push_back(resolved);
    return true;
}

void BackupDlgModel::AddStyle(int32_t index) {
    const std::string path = lists_.style.GetPathReal(index);
    // A list filled from the style folder may hold the temporary set file,
    // which goes into the pack as the set file, not as a style.
    if (ResolvePath(path, folders_.styleFolder) == TempSetFile()) return;
    if (!AddFile(path, folders_.styleFolder)) return;
    const std::string style = resolved_.back();
    const std::string texture = ReadKey(style, "TEXTURE", "Filename");
    const std::string foreground = ReadKey(style, "FOREGROUND", "Filename");
    if (!texture.empty()) AddFile(texture, folders_.textureFolder);
    if (!foreground.empty()) AddFile(foreground, folders_.foregroundFolder);
    ++header_.styleCount;
}

void BackupDlgModel::AddImageList(const PsImageCombo& list, const std::string& folder) {
    for (int32_t i = list.GetFirst(); i < list.GetCount(); ++i) {
        const std::string path = list.GetPathReal(i);
        if (!path.empty()) AddFile(path, folder);
    }
}

void BackupDlgModel::CleanList(const std::string& path, const char* section, const char* countKey,
                               int32_t first, int32_t selection) {
    const std::string& folder = std::string_view(section) == "STYLE"     ? folders_.styleFolder
                                : std::string_view(section) == "TEXTURE" ? folders_.textureFolder
                                                                         : folders_.foregroundFolder;
    Profile profile(path);
    const int32_t count = std::clamp(profile.Get(section, countKey, 0), 0, kComboMaxEntries);
    std::vector<std::string> kept;
    int32_t keptSelection = -1;
    for (int32_t i = 0; i < count; ++i) {
        const std::string key = "Path" + std::to_string(i + 1);
        char value[256] = "";
        profile.Get(section, key.c_str(), "", value, sizeof value);
        if (i >= first && !InPack(ResolvePath(value, folder))) continue;
        if (i == selection) keptSelection = static_cast<int32_t>(kept.size());
        kept.emplace_back(value);
    }
    if (static_cast<int32_t>(kept.size()) != count) {
        profile.Set(section, countKey, static_cast<int>(kept.size()));
        for (std::size_t i = 0; i < kept.size(); ++i)
            profile.Set(section, ("Path" + std::to_string(i + 1)).c_str(), kept[i].c_str());
        for (int32_t i = static_cast<int32_t>(kept.size()); i < count; ++i)
            profile.Del(section, ("Path" + std::to_string(i + 1)).c_str());
    }
    // The selection follows its entry to its new place; a style that was
    // not packed leaves the first one selected.
    if (selection != kNoListSelection) profile.Set(section, "IndexItem", static_cast<int>(std::max(keptSelection, first)));
}

void BackupDlgModel::CleanSetFile(const std::string& path) {
    const PsControlCombo& styles = lists_.style;
    CleanList(path, "STYLE", "NumItem", styles.GetFirst(), styles.GetCurrent());
    CleanList(path, "TEXTURE", "NumImage", lists_.texture.GetFirst(), kNoListSelection);
    CleanList(path, "FOREGROUND", "NumImage", lists_.foreground.GetFirst(), kNoListSelection);
}

void BackupDlgModel::SetupBackup() {
    ResetReport();
    backup_ = true;
    header_ = PackHeaderSt{};
    resolved_.clear();
    const std::string temp = TempSetFile();
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr || std::fclose(file) != 0) ReportError(BackupString(kFileNotCreated), temp);

    const PsControlCombo& styles = lists_.style;
    if (styles.GetCount() <= styles.GetFirst()) ReportError(BackupString(kEmptyStyleList), "");
    int32_t mode = std::clamp(params_.BackupMode, kBackupCurrentStyle, kBackupEverything);
    if (mode == kBackupCurrentStyle && !CanBackupCurrentStyle()) mode = kBackupAllStyles;
    if (mode == kBackupCurrentStyle) {
        AddStyle(styles.GetCurrent());
    } else {
        for (int32_t i = styles.GetFirst(); i < styles.GetCount(); ++i) AddStyle(i);
    }
    if (mode == kBackupEverything) {
        AddImageList(lists_.texture, folders_.textureFolder);
        AddImageList(lists_.foreground, folders_.foregroundFolder);
    }
    if (error_) return;

    // Every list is written even when an earlier one fails.
    const bool styleSaved = lists_.style.Save(temp.c_str());
    const bool textureSaved = lists_.texture.Save(temp.c_str());
    const bool foregroundSaved = lists_.foreground.Save(temp.c_str());
    if (!(styleSaved && textureSaved && foregroundSaved)) {
        ReportError(BackupString(kFileShortWrite), temp);
        return;
    }
    CleanSetFile(temp);
    AddFile(temp, folders_.styleFolder, WithExtension(packName_, "mvs"));
    if (error_) return;

    report_.push_back(BackupFormat(kReportPack, packName_.c_str()));
    report_.push_back(BackupFormat(kReportCounts, header_.styleCount, static_cast<int>(header_.entries.size()),
                                   NumText(kPackHeaderSize + uint64_t{header_.totalSize}, 16, false).c_str()));
    report_.emplace_back();
    report_.push_back(BackupString(kReportMode0 + 2 * mode));
    report_.push_back(BackupString(kReportMode0 + 2 * mode + 1));
    report_.push_back(BackupString(kReportFiles));
    report_.emplace_back();
    AddFileLines();
    ready_ = true;
}

bool BackupDlgModel::CopySource(std::FILE* pack, const PackEntrySt& entry, std::vector<char>& buffer) {
    std::FILE* source = std::fopen(entry.sourcePath.c_str(), "rb");
    if (source == nullptr) {
        ReportError(BackupString(kFileNotOpened), entry.sourcePath);
        return false;
    }
    uint64_t remaining = static_cast<uint64_t>(entry.size);
    bool ok = true;
    while (ok && remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(remaining, kChunkSize));
        const std::size_t got = std::fread(buffer.data(), 1, want, source);
        if (got != want) {
            ReportError(BackupString(kSourceChanged), entry.sourcePath);
            ok = false;
        } else if (std::fwrite(buffer.data(), 1, got, pack) != got) {
            ReportError(BackupString(kFileShortWrite), packPath_);
            ok = false;
        }
        remaining -= got;
    }
    // A file that grew since the report would be packed cut short.
    if (ok && std::fgetc(source) != EOF) {
        ReportError(BackupString(kSourceChanged), entry.sourcePath);
        ok = false;
    }
    std::fclose(source);
    return ok;
}

bool BackupDlgModel::Contract() {
    if (!backup_ || !CanOK()) return false;
    std::vector<uint8_t> header;
    if (!PackHeader_Encode(header_, header)) {
        ReportError(BackupString(kPackFieldTooLong), packPath_);
        return false;
    }
    // The pack is written beside its place and renamed over it at the end,
    // so a failed backup never spoils an older pack of the same name.
    SafeFileWriter writer(packPath_.c_str());
    std::FILE* pack = writer.IsOpen() ? writer.Stream() : nullptr;
    if (pack == nullptr) {
        ReportError(BackupString(kFileNotCreated), packPath_);
        return false;
    }
    if (std::fwrite(header.data(), 1, header.size(), pack) != header.size()) {
        ReportError(BackupString(kFileShortWrite), packPath_);
        return false;
    }
    std::vector<char> buffer(kChunkSize);
    for (const PackEntrySt& entry : header_.entries)
        if (!CopySource(pack, entry, buffer)) return false;
    if (!writer.Commit()) {
        ReportError(BackupString(kFileShortWrite), packPath_);
        return false;
    }
    return true;
}
