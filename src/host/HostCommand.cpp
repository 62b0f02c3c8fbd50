#include "HostCommand.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "AppFolder.h"
#include "FilterHost.h"
#include "HostAction.h"
#include "HostCommandLine.h"
#include "HostImageFile.h"
#include "HostState.h"
#include "HostStyle.h"
#include "HostTerminal.h"
#include "InstallData.h"
#include "PluginLoader.h"

namespace {

// A failure that ends the command with its exit code and message.
struct CommandFailure {
    HostExitCode code;
    std::string message;
};

void Warn(const std::string& message) { std::fprintf(stderr, "morvanel: warning: %s\n", message.c_str()); }

// What the run replays: a recorded descriptor, or (for --repeat) none.
struct ReplaySt {
    bool hasDescriptor = true;
    HostActionSt action;
    std::vector<uint8_t> block;  // --repeat: the last run's parameter block
};

ReplaySt PrepareReplay(const HostCommandLineSt& line) {
    ReplaySt replay;
    std::string error;
    if (!line.action.empty()) {
        if (!HostAction_Load(line.action, replay.action, error)) throw CommandFailure{kExitBadAction, error};
    } else if (line.repeat) {
        if (!HostState_Load(replay.block))
            throw CommandFailure{kExitBadAction, "there is no last run to repeat (" + HostState_Path() + ")"};
        replay.hasDescriptor = false;
    } else {
        ShadeParams params = HostStyle_Defaults();
        if (!line.style.empty() && !HostStyle_Load(line.style, params, error))
            throw CommandFailure{kExitBadAction, error};
        replay.action.descriptor = HostStyle_Descriptor(params);
    }
    return replay;
}

HostImageSt LoadInput(const std::string& path) {
    HostImageSt image;
    std::string error;
    if (!HostImage_Load(path, image, error)) throw CommandFailure{kExitBadInput, error};
    return image;
}

std::vector<uint8_t> LoadSelection(const HostCommandLineSt& line, const HostImageSt& image) {
    std::vector<uint8_t> selection;
    std::string error;
    if (!line.selection.empty() &&
        !HostImage_LoadSelection(line.selection, image.width, image.height, selection, error))
        throw CommandFailure{kExitBadInput, error};
    return selection;
}

// Refuses an output whose folder cannot take a new file before any work.
void CheckWritable(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    std::error_code ec;
    if (!std::filesystem::is_directory(name, ec) || ::access(name.c_str(), W_OK | X_OK) != 0)
        throw CommandFailure{kExitUnwritable, "cannot write " + path + ": its folder is missing or not writable"};
}

void LoadPlugin(PluginLoader& plugin, const std::string& option) {
    std::string error;
    if (!plugin.Load(PluginLoader_ResolvePath(option), error)) throw CommandFailure{kExitPluginFailed, error};
}

// The system folder receives the installation data when it is new.
void SeedTheSystemFolder() {
    const std::string folder = GetPreferencesFolder();
    if (folder.empty()) {
        Warn("no system folder (neither MORVANEL_HOME nor HOME is set)");
        return;
    }
    if (SeedSystemFolder(folder) < 0) Warn("cannot set up the system folder " + folder);
}

void SetFilterRect(FilterHost& host, const HostCommandLineSt& line) {
    if (!line.rect) return;
    try {
        host.SetFilterRect(*line.rect);
    } catch (const std::invalid_argument&) {
        throw CommandFailure{kExitUsage, "--rect lies outside the " + std::to_string(host.Image().width) + "x" +
                                             std::to_string(host.Image().height) + " image"};
    }
}

void SetUpRun(FilterHost& host, const HostCommandLineSt& line, const ReplaySt& replay, HostProgressBar& bar) {
    const int16_t playInfo = line.dialog ? int16_t{kPlayDialogDisplay} : replay.action.playInfo;
    if (replay.hasDescriptor) host.SetRecordedDescriptor(replay.action.descriptor, playInfo);
    else host.ClearRecordedDescriptor(playInfo);
    host.SetParameters(replay.block);
    host.SetAbortTest(HostTerminal_Interrupted);
    host.SetProgress([&bar](int32_t done, int32_t total) { bar.Show(done, total); });
}

void CheckResult(int16_t result) {
    if (HostTerminal_Interrupted()) throw CommandFailure{kExitCancelled, "cancelled"};
    if (result == kResultUserCanceled) throw CommandFailure{kExitCancelled, "the plug-in cancelled the run"};
    if (result != 0)
        throw CommandFailure{kExitPluginFailed, "the plug-in failed with result " + std::to_string(result)};
}

void WriteRecord(const FilterHost& host, const std::string& path) {
    std::string error;
    HostActionSt recorded;
    try {
        recorded.descriptor = host.RecordedDescriptor();
    } catch (const DescriptorError& e) {
        throw CommandFailure{kExitPluginFailed, std::string("the plug-in recorded no usable descriptor: ") + e.what()};
    }
    if (!HostAction_Save(path, recorded, error)) throw CommandFailure{kExitUnwritable, error};
}

int Apply(const HostCommandLineSt& line) {
    HostTerminal_CatchInterrupt();
    if (!HostImage_IsWritable(line.output))
        throw CommandFailure{kExitUsage, line.output + ": unknown image format (use .png, .jpg, .tif or .bmp)"};
    HostImageSt image = LoadInput(line.input);
    std::vector<uint8_t> selection = LoadSelection(line, image);
    FilterHost host(std::move(image), std::move(selection));
    SetFilterRect(host, line);
    const ReplaySt replay = PrepareReplay(line);
    CheckWritable(line.output);
    if (!line.record.empty()) CheckWritable(line.record);

    PluginLoader plugin;
    LoadPlugin(plugin, line.plugin);
    SeedTheSystemFolder();
    if (HostTerminal_Interrupted()) throw CommandFailure{kExitCancelled, "cancelled"};
    int16_t result = 0;
    {
        HostProgressBar bar;
        SetUpRun(host, line, replay, bar);
        result = host.RunFilter(plugin.Entry(), line.dialog);
    }
    CheckResult(result);

    std::string error;
    if (!line.record.empty()) WriteRecord(host, line.record);
    if (!HostImage_Save(line.output, host.Image(), error)) throw CommandFailure{kExitUnwritable, error};
    if (!HostState_Save(host.Parameters())) Warn("cannot keep the parameters for --repeat in " + HostState_Path());
    return kExitOk;
}

int About(const HostCommandLineSt& line) {
    PluginLoader plugin;
    LoadPlugin(plugin, line.plugin);
    FilterHost host(HostImage_Make(1, 1, 3), {});
    host.About(plugin.Entry());
    std::printf("Morvanel plug-in: %s\n(the splash window is not available in this build)\n",
                plugin.Path().c_str());
    return kExitOk;
}

}  // namespace

int HostCommand_Run(int argc, const char* const* argv) {
    try {
        const HostCommandLineSt line = HostCommandLine_Parse(argc, argv);
        switch (line.kind) {
            case HostCommandKind::Help: std::fputs(HostCommandLine_Help(), stdout); return kExitOk;
            case HostCommandKind::About: return About(line);
            case HostCommandKind::Apply: return Apply(line);
        }
        return kExitInternal;
    } catch (const HostUsageError& e) {
        std::fprintf(stderr, "morvanel: %s\n(morvanel --help tells how to use it)\n", e.what());
        return kExitUsage;
    } catch (const CommandFailure& failure) {
        std::fprintf(stderr, "morvanel: %s\n", failure.message.c_str());
        return failure.code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvanel: internal error: %s\n", e.what());
        return kExitInternal;
    } catch (int code) {
        std::fprintf(stderr, "morvanel: internal error %d\n", code);
        return kExitInternal;
    }
}
