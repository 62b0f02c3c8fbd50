#pragma once
// The command line of the morvanel command.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostBackupCommand.h"
#include "HostImageFile.h"
#include "HostInterface.h"

enum class HostCommandKind { Apply, Styles, About, Help, Backup, Restore };

struct HostCommandLineSt {
    HostCommandKind kind = HostCommandKind::Help;
    std::vector<std::string> inputs;  // one, or many with --out-dir
    std::string output;     // -o OUT (one input)
    std::string outDir;     // --out-dir DIR (a batch: DIR/<input's file name>)
    std::string style;      // --style FILE.mv or NAME
    std::string selection;  // --selection MASK
    std::string action;     // --action FILE.json
    std::string record;     // --record FILE.json
    std::string plugin;     // --plugin LIBRARY
    std::optional<HostRect> rect;  // --rect X,Y,W,H (top, left, bottom, right)
    HostBackgroundSt background;   // --background '#rrggbb' or none
    bool dialog = false;    // --dialog
    bool repeat = false;    // --repeat
    HostBackupLineSt backup;  // backup and restore
};

// A command line that cannot be run; the message says why.
class HostUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses argv[1..argc-1].  Throws HostUsageError for an unknown command or
// option, a missing value, a malformed rectangle or options that exclude
// each other.
HostCommandLineSt HostCommandLine_Parse(int argc, const char* const* argv);

// The help text, exit codes included.
const char* HostCommandLine_Help();
