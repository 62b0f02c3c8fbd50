#include "AppFolder.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "FileUtilities.h"
#include "PrivateProfile.h"

namespace {

constexpr int kParameterError = -50;
constexpr int kFolderFieldSize = 260;  // FOLDER strings: at most 259 characters

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ConfigHome() {
    const std::string xdg = Environment("XDG_CONFIG_HOME");
    if (!xdg.empty()) return xdg;
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.config";
}

// The value of key (XDG_DOCUMENTS_DIR ...) in user-dirs.dirs, with $HOME
// expanded; empty when the file or the key is missing.
std::string UserDirsEntry(const std::string& key, const std::string& home) {
    const std::string config = ConfigHome();
    if (config.empty()) return {};
    std::ifstream file(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        if (!line.starts_with(key + "=")) continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) value = home + value.substr(5);
        return value.starts_with("/") ? value : std::string();
    }
    return {};
}

// A FOLDER string is one folder name: with a "/" or as ".." it would lead
// outside the documents folder.
bool IsPlainFolderName(const std::string& name) {
    return name.find('/') == std::string::npos && name != "." && name != "..";
}

std::string ReadFolderKey(const std::string& marker, const char* key) {
    char value[kFolderFieldSize] = "";
    GetPrivateProfileString("FOLDER", key, "", value, sizeof value, marker.c_str());
    return value;
}

}  // namespace

bool SetPathField(char* field, std::string_view value) {
    if (field == nullptr || value.size() > kAppPathMax) return false;
    std::memcpy(field, value.data(), value.size());
    field[value.size()] = '\0';
    return true;
}

std::string GetPreferencesFolder() {
    const std::string explicitHome = Environment("MORVANEL_HOME");
    if (!explicitHome.empty()) return explicitHome;
    const std::string config = ConfigHome();
    return config.empty() ? std::string() : config + "/Morvanel";
}

int SHGetFolderPath(void*, int folderId, void*, unsigned, std::string& destination) {
    const std::string home = Environment("HOME");
    if (home.empty()) return kParameterError;
    const char* key = nullptr;
    const char* fallback = nullptr;
    if (folderId == kFolderIdDocuments) {
        key = "XDG_DOCUMENTS_DIR";
        fallback = "Documents";
    } else if (folderId == kFolderIdPictures) {
        key = "XDG_PICTURES_DIR";
        fallback = "Pictures";
    } else {
        return kParameterError;
    }
    destination = UserDirsEntry(key, home);
    if (destination.empty()) destination = home + "/" + fallback;
    while (destination.size() > 1 && destination.back() == '/') destination.pop_back();
    return IsFolder(destination) ? 0 : kFsNotFound;
}

int CreateDataFolder(const char* path) {
    return INMakeDir(path) == kFsNoError ? 1 : 0;
}

int MakeDataFolderPath(char* destination, const char* source, const char* pathDefault) {
    if (destination == nullptr || source == nullptr) return 0;
    const std::string_view sourceText(source);
    if (sourceText.find('/') == std::string_view::npos) return SetPathField(destination, sourceText) ? 1 : 0;
    const std::string joined = FSJoin(pathDefault ? pathDefault : "", FSNamePart(sourceText));
    return SetPathField(destination, joined) ? 1 : 0;
}

bool WriteDataFolderSign(const std::string& folder) {
    const std::string path = FSJoin(folder, AppDataFolder::kSignName);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool written = std::fputs(AppDataFolder::kSignContent, file) >= 0;
    return std::fclose(file) == 0 && written;
}

AppDataFolder::AppDataFolder(std::string baseFolder)
    : baseFolder_(std::move(baseFolder)), markerPath_(FSJoin(baseFolder_, kMarkerName)) {
    if (GetFileAttributes(markerPath_.c_str()) == 0) {
        company_ = ReadFolderKey(markerPath_, "Company");
        product_ = ReadFolderKey(markerPath_, "Product");
        version_ = ReadFolderKey(markerPath_, "Version");
    }
    relativeName_ = company_;
    if (!product_.empty()) relativeName_ += "/" + product_;
    if (!version_.empty()) relativeName_ += "/" + version_;
    const bool plain = IsPlainFolderName(company_) && IsPlainFolderName(product_) && IsPlainFolderName(version_);
    usable_ = plain && !relativeName_.empty();
}

int AppDataFolder::Setup(std::string& destination) {
    int result = 0;
    std::string documents;
    if (!usable_) {
        dataFolder_ = baseFolder_;
    } else if (SHGetFolderPath(nullptr, kFolderIdDocuments, nullptr, 0, documents) == 0) {
        dataFolder_ = FSJoin(documents, relativeName_);
        if (dataFolder_.size() <= kAppPathMax && CreateDataFolder(dataFolder_.c_str()))
            result = WriteDataFolderSign(dataFolder_) ? 1 : 0;
    } else {
        dataFolder_ = FSJoin(baseFolder_, relativeName_);
    }
    destination = dataFolder_;
    return result;
}

int AppDataFolder::CopyFile(const std::string& sourceFolder, const std::string& subFolder,
                            std::vector<std::string>* skipped) {
    if (!usable_) return 0;
    const std::string target = FSJoin(dataFolder_, subFolder);
    if (target.size() > kAppPathMax || !CreateDataFolder(target.c_str())) return 0;
    if (!WriteDataFolderSign(target)) return 0;
    FsCopyReport report;
    const int status = INDirCopy(target.c_str(), sourceFolder.c_str(), &report);
    if (skipped != nullptr) skipped->insert(skipped->end(), report.skipped.begin(), report.skipped.end());
    return status == kFsNoError ? 1 : 0;
}

AppPaths SetupAppPaths() {
    AppPaths paths;
    paths.systemFolder = GetPreferencesFolder();
    const auto setFromSystemFolder = [&paths] {
        paths.settingsFile = FSJoin(paths.systemFolder, kSettingsFileName);
        paths.styleFolder = FSJoin(paths.systemFolder, "Style");
        paths.textureFolder = FSJoin(paths.systemFolder, "Texture");
        paths.foregroundFolder = FSJoin(paths.systemFolder, "Foreground");
        paths.helpFile = FSJoin(paths.systemFolder, "Help/JP/F_Manual.htm");
    };
    setFromSystemFolder();
    SHGetFolderPath(nullptr, kFolderIdPictures, nullptr, 0, paths.picturesFolder);

    AppDataFolder dataFolder(paths.systemFolder);
    paths.dataFolderReady = dataFolder.Setup(paths.dataFolder);
    if (paths.dataFolderReady) {
        dataFolder.CopyFile(paths.styleFolder, "Style", &paths.dataFolderSkipped);
        dataFolder.CopyFile(paths.textureFolder, "Texture", &paths.dataFolderSkipped);
        dataFolder.CopyFile(paths.foregroundFolder, "Foreground", &paths.dataFolderSkipped);
    }
    // The system's own files stay in the system folder; the data folder only
    // holds copies of the libraries.
    setFromSystemFolder();
    return paths;
}
