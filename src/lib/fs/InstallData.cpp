#include "InstallData.h"

#include <cstdio>
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
void MakeOwnerWritable(const std::vector<std::string>& copied) {
    std::error_code error;
    for (const std::string& path : copied)
        std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
}

bool WriteSeededMarker(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    return file != nullptr && std::fclose(file) == 0;
}

}  // namespace

std::string InstallDataFolder(const std::string& installDataFolder) {
    if (!installDataFolder.empty()) return installDataFolder;
    const char* fromEnvironment = std::getenv("MORVANEL_DATA");
    if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') return fromEnvironment;
    return MORVANEL_SOURCE_DATA_DIR;
}

int SeedSystemFolder(const std::string& systemFolder, const std::string& installDataFolder,
                     std::vector<std::string>* skipped) {
    if (systemFolder.empty()) return -1;
    const std::string marker = FSJoin(systemFolder, kSeededMarkerName);
    if (GetFileAttributes(marker.c_str()) == 0) return 0;
    const std::string source = InstallDataFolder(installDataFolder);
    if (INMakeDir(systemFolder.c_str()) != kFsNoError) return -1;
    if (GetFileAttributes(source.c_str()) != 0) return 0;  // nothing to seed with
    // Only what is missing is copied: the user's files are never replaced.
    FsCopyReport report;
    const int status =
        INFileCopy(FSJoin(systemFolder, "*.*").c_str(), FSJoin(source, "*.*").c_str(), 1, 1, &report);
    MakeOwnerWritable(report.copied);
    if (skipped != nullptr) *skipped = report.skipped;
    // Until a seeding is complete, every run completes it.
    if (status != kFsNoError || !WriteSeededMarker(marker)) return -1;
    return report.copied.empty() ? 0 : 1;
}
