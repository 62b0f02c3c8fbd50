#include "HostCommandLine.h"

#include <charconv>
#include <limits>
#include <vector>

namespace {

int32_t ParseRectNumber(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc() || stop != end)
        throw HostUsageError("--rect needs four integers X,Y,W,H, got \"" + text + "\"");
    return value;
}

// "X,Y,W,H": the left and top edge, the width and the height, in pixels
// from the top-left corner of the image.
HostRect ParseRect(const std::string& text) {
    std::vector<int32_t> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        numbers.push_back(ParseRectNumber(text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (numbers.size() != 4) throw HostUsageError("--rect needs four integers X,Y,W,H, got \"" + text + "\"");
    const int64_t x = numbers[0], y = numbers[1], w = numbers[2], h = numbers[3];
    constexpr int64_t kLimit = std::numeric_limits<int16_t>::max();
    if (x < 0 || y < 0 || w < 1 || h < 1 || x + w > kLimit || y + h > kLimit)
        throw HostUsageError("--rect " + text + ": X and Y must not be negative, W and H at least 1");
    return {static_cast<int16_t>(y), static_cast<int16_t>(x), static_cast<int16_t>(y + h), static_cast<int16_t>(x + w)};
}

class ArgumentReader {
public:
    ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
    bool Done() const { return next_ >= argc_; }
    std::string Next() { return argv_[next_++]; }
    std::string ValueOf(const std::string& option) {
        if (Done()) throw HostUsageError(option + " needs a value");
        return Next();
    }

private:
    int argc_;
    const char* const* argv_;
    int next_ = 1;
};

void SetOnce(std::string& field, const std::string& option, std::string value) {
    if (!field.empty()) throw HostUsageError(option + " is given twice");
    if (value.empty()) throw HostUsageError(option + " needs a value");
    field = std::move(value);
}

void ParseApplyArgument(const std::string& argument, ArgumentReader& reader, HostCommandLineSt& line) {
    if (argument == "-o" || argument == "--output") SetOnce(line.output, argument, reader.ValueOf(argument));
    else if (argument == "--out-dir") SetOnce(line.outDir, argument, reader.ValueOf(argument));
    else if (argument == "--style") SetOnce(line.style, argument, reader.ValueOf(argument));
    else if (argument == "--selection") SetOnce(line.selection, argument, reader.ValueOf(argument));
    else if (argument == "--action") SetOnce(line.action, argument, reader.ValueOf(argument));
    else if (argument == "--record") SetOnce(line.record, argument, reader.ValueOf(argument));
    else if (argument == "--plugin") SetOnce(line.plugin, argument, reader.ValueOf(argument));
    else if (argument == "--rect") line.rect = ParseRect(reader.ValueOf(argument));
    else if (argument == "--background") {
        const std::string value = reader.ValueOf(argument);
        if (!HostBackground_Parse(value, line.background))
            throw HostUsageError("--background needs a colour #rrggbb or none, got \"" + value + "\"");
    }
    else if (argument == "--dialog") line.dialog = true;
    else if (argument == "--repeat") line.repeat = true;
    else if (!argument.empty() && argument[0] == '-') throw HostUsageError("unknown option " + argument);
    else line.inputs.push_back(argument);
}

void CheckApply(const HostCommandLineSt& line) {
    if (line.inputs.empty()) throw HostUsageError("apply needs an input image");
    if (!line.output.empty() && !line.outDir.empty()) throw HostUsageError("-o and --out-dir exclude each other");
    if (line.outDir.empty()) {
        if (line.output.empty()) throw HostUsageError("apply needs an output image (-o OUT) or --out-dir DIR");
        if (line.inputs.size() > 1) throw HostUsageError("several input images need --out-dir DIR instead of -o");
    } else if (line.inputs.size() > 1 && (line.dialog || !line.record.empty())) {
        throw HostUsageError("--dialog and --record take a single input image");
    }
    const int sources = !line.style.empty() + !line.action.empty() + line.repeat;
    if (sources > 1) throw HostUsageError("--style, --action and --repeat exclude each other");
}

}  // namespace

HostCommandLineSt HostCommandLine_Parse(int argc, const char* const* argv) {
    HostCommandLineSt line;
    ArgumentReader reader(argc, argv);
    if (reader.Done()) throw HostUsageError("no command given");
    const std::string command = reader.Next();
    if (command == "--help" || command == "-h" || command == "help") {
        line.kind = HostCommandKind::Help;
        return line;
    }
    if (command == "about") {
        line.kind = HostCommandKind::About;
        while (!reader.Done()) {
            const std::string argument = reader.Next();
            if (argument != "--plugin") throw HostUsageError("unknown option " + argument + " for about");
            SetOnce(line.plugin, argument, reader.ValueOf(argument));
        }
        return line;
    }
    if (command == "styles") {
        line.kind = HostCommandKind::Styles;
        if (!reader.Done()) throw HostUsageError("styles takes no arguments");
        return line;
    }
    if (command == "backup" || command == "restore") {
        const bool restore = command == "restore";
        for (int i = 2; i < argc; ++i)
            if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") return line;
        line.kind = restore ? HostCommandKind::Restore : HostCommandKind::Backup;
        line.backup = HostBackupLine_Parse(restore, argc, argv, 2);
        return line;
    }
    if (command != "apply") throw HostUsageError("unknown command " + command);
    line.kind = HostCommandKind::Apply;
    while (!reader.Done()) {
        const std::string argument = reader.Next();
        if (argument == "--help" || argument == "-h") {
            line.kind = HostCommandKind::Help;
            return line;
        }
        ParseApplyArgument(argument, reader, line);
    }
    CheckApply(line);
    return line;
}

const char* HostCommandLine_Help() {
    return R"(usage: morvanel apply IN -o OUT [options]
       morvanel apply IN... --out-dir DIR [options]
       morvanel styles
       morvanel about [--plugin LIBRARY]
       morvanel backup OUT.mvz [--mode style|styles|all]
       morvanel restore IN.mvz [--into FOLDER] [--on-conflict ask|overwrite|rename|skip]
       morvanel --help

apply renders IN with the Morvanel plug-in and writes OUT.  IN and OUT are
PNG, JPEG, TIFF or BMP files: IN is recognised by its content, OUT by its
extension in any case.  An alpha channel of IN (PNG, TIFF) is the layer's
transparency and is written back when OUT is PNG or TIFF; JPEG and BMP have
none and receive the result over a background.  An IN without alpha gives
an OUT without alpha.
With --out-dir, every IN is rendered with the same parameters and written to
DIR under its own file name; a file that fails is named and skipped.

options of apply:
  -o, --output OUT      the image to write (replaced only when the run succeeds)
  --out-dir DIR         write each output to DIR (made when missing)
  --style STYLE         apply a style, replayed silently: a file (FILE.mv or a
                        path with "/"), or a name such as Gold, looked up in
                        the system folder's Style folder, then here
  --action FILE.json    replay a recorded action (silently unless its
                        playInfo is 1, which asks for the dialog); entries
                        it does not hold keep their defaults
  --repeat              run again with the parameters of the last run
  --record FILE.json    after the image, write the action the run recorded
                        (a file name that is not UTF-8 is kept as {"hex": ...})
  --selection MASK      a grey image of IN's size: the selection
  --rect X,Y,W,H        filter only this rectangle (pixels, from the top left)
  --background COLOUR   what a JPEG or BMP OUT shows under transparent pixels:
                        #rrggbb (default #ffffff), or none for the colours
                        as they are
  --dialog              run the plug-in with its dialog
  --plugin LIBRARY      the plug-in library (default: $MORVANEL_PLUGIN, else
                        libmorvanel.so beside this program, else the build's)
Without --style, --action or --repeat the default parameters are applied.
--style, --action and --repeat exclude each other.

styles lists the styles that --style finds by name, with their files.

about sends the plug-in its about selector: with a display the about window
opens (a click on its link opens the web page, any click closes it); without
one the plug-in prints its about text and where the window's description
(Splash.inf) and the manual are.

backup packs the library into OUT.mvz: with --mode style the selected style,
with styles every style of the style list, with all also every image of the
texture and foreground lists (default: the mode last chosen, at first
styles); each style's texture and foreground images and the three lists go
with it.  The pack is replaced only when it was written completely.

restore unpacks IN.mvz into FOLDER (default: the image folder of the
settings), creating it when missing.  The whole pack is checked first; a
damaged one is refused before anything is written.  Files already there and
identical are left alone; a differing one is settled by --on-conflict: ask
(the default: the question is read from standard input, and without an
answer the file is skipped), overwrite, rename (NAME-1.ext, NAME-2.ext ...)
or skip.  Each file is written under a temporary name and renamed into
place.  The restored styles and lists are pointed at FOLDER, and the lists
become the library's lists.

The system folder ($MORVANEL_HOME, else $XDG_CONFIG_HOME/Morvanel, else
~/.config/Morvanel) holds the plug-in's data and the host's state file with
the parameters of the last run.  Progress is shown on standard error (a bar
on a terminal, else one final line).  Ctrl-C cancels a run.

exit codes (a batch exits with the highest code of the files that failed):
  0  success
  1  unexpected internal error
  2  usage: unknown command or option, missing or malformed argument,
     a rectangle outside the image, an unknown output format, a record file
     that names an image or style of the run, --dialog without a display
  3  the input image or the selection cannot be read (or has another size)
  4  the style or action file cannot be read or is malformed, or there is
     no last run to repeat
  5  the plug-in cannot be loaded or reports a failure
  6  the run was cancelled (Ctrl-C, or the plug-in answered "cancelled")
  7  the output image or the record file cannot be written (when only the
     record fails, the image has been written)
backup and restore:
  3  backup: the library cannot be packed (an empty style list, a missing
     or unreadable file); restore: the pack cannot be read or is refused
  7  backup: the pack cannot be written; restore: a file cannot be written
     into FOLDER (the restore stops, the files written so far stay, and the
     report lists what was and was not restored)
)";
}
