#include "InstallData.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "FileUtilities.h"

#ifndef MORVANEL_SOURCE_DATA_DIR
#define MORVANEL_SOURCE_DATA_DIR "data"
#endif

namespace {

// Installed data may be read-only; the system folder's copies are the
// user's to change.
void MakeOwnerWritable(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
}

}  // namespace

std::string InstallDataFolder(const std::string& installDataFolder) {
    if (!installDataFolder.empty()) return installDataFolder;
    const char* fromEnvironment = std::getenv("MORVANEL_DATA");
    if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') return fromEnvironment;
    return MORVANEL_SOURCE_DATA_DIR;
}

int SeedSystemFolder(const std::string& systemFolder, const std::string& installDataFolder) {
    if (systemFolder.empty()) return -1;
    std::error_code error;
    if (std::filesystem::exists(systemFolder, error) &&
        !std::filesystem::is_empty(systemFolder, error))
        return 0;
    const std::string source = InstallDataFolder(installDataFolder);
    if (INMakeDir(systemFolder.c_str()) != kFsNoError) return -1;
    if (GetFileAttributes(source.c_str()) != 0) return 1;  // nothing to seed with
    const int status = INFileCopy(FSJoin(systemFolder, "*.*").c_str(), FSJoin(source, "*.*").c_str(), 0, 1);
    if (status != kFsNoError) return -1;
    MakeOwnerWritable(systemFolder);
    return 1;
}
