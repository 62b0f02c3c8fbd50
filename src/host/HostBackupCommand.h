#pragma once
// morvanel backup and morvanel restore: the library's backup and restore
// without a window, for scripts and for machines without a display.
#include <string>

// How a restore settles a file that exists in the folder and differs.
enum class HostConflictPolicy { Ask, Overwrite, Rename, Skip };

struct HostBackupLineSt {
    std::string pack;          // OUT.mvz or IN.mvz
    int backupMode = -1;       // --mode style|styles|all (0, 1, 2); -1: the settings' BackupMode
    std::string into;          // --into FOLDER; empty: the image folder (PathDefault)
    HostConflictPolicy onConflict = HostConflictPolicy::Ask;
};

// Parses the arguments after "backup" or "restore" (argv[first..argc-1]).
// Throws HostUsageError.
HostBackupLineSt HostBackupLine_Parse(bool restore, int argc, const char* const* argv, int first);

// Run the commands; the result is the process's exit code.
int HostBackup_Run(const HostBackupLineSt& line);
int HostRestore_Run(const HostBackupLineSt& line);
