#pragma once
// The morvanel command: parses the command line, runs it and returns the
// process's exit code (see HostCommandLine_Help for the codes).

enum HostExitCode : int {
    kExitOk = 0,
    kExitInternal = 1,
    kExitUsage = 2,
    kExitBadInput = 3,
    kExitBadAction = 4,
    kExitPluginFailed = 5,
    kExitCancelled = 6,
    kExitUnwritable = 7,
};

int HostCommand_Run(int argc, const char* const* argv);
