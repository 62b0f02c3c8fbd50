#include "HostCommand.h"

#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
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
#include "SafeFileWriter.h"

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

// The style file that --style names; empty without --style.
std::string FindStyle(const HostCommandLineSt& line) {
    if (line.style.empty()) return {};
    const std::string path = HostStyle_Find(line.style);
    if (path.empty())
        throw CommandFailure{kExitBadAction, "there is no style called " + line.style + " in " +
                                                 GetPreferencesFolder() +
                                                 "/Style or here (morvanel styles lists them)"};
    return path;
}

ReplaySt PrepareReplay(const HostCommandLineSt& line, const std::string& style) {
    ReplaySt replay;
    std::string error;
    if (!line.action.empty()) {
        if (!HostAction_Load(line.action, replay.action, error)) throw CommandFailure{kExitBadAction, error};
        HostStyle_ClampDescriptor(replay.action.descriptor, line.action);
    } else if (line.repeat) {
        if (!HostState_Load(replay.block))
            throw CommandFailure{kExitBadAction, "there is no last run to repeat (" + HostState_Path() + ")"};
        HostState_Clamp(replay.block);
        replay.hasDescriptor = false;
    } else {
        ShadeParams params = HostStyle_Defaults();
        if (!style.empty() && !HostStyle_Load(style, params, error))
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

// The system folder receives the installation data it lacks until a
// seeding has completed; what could not be copied is named.
void SeedTheSystemFolder() {
    const std::string folder = GetPreferencesFolder();
    if (folder.empty()) {
        Warn("no system folder (neither MORVANEL_HOME nor HOME is set)");
        return;
    }
    std::vector<std::string> skipped;
    if (SeedSystemFolder(folder, {}, &skipped) >= 0) return;
    std::string message = "cannot set up the system folder " + folder;
    for (const std::string& entry : skipped) message += "\n  not copied: " + entry;
    Warn(message);
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
    // The host asks at every strip and render step: the bar's clock runs on.
    host.SetAbortTest([&bar] {
        bar.Tick();
        return HostTerminal_Interrupted();
    });
    host.SetProgress([&bar](int32_t done, int32_t total) { bar.Show(done, total); });
}

void CheckCancelled() {
    if (HostTerminal_Interrupted()) throw CommandFailure{kExitCancelled, "cancelled"};
}

void CheckResult(int16_t result) {
    CheckCancelled();
    if (result == kResultUserCanceled) throw CommandFailure{kExitCancelled, "the plug-in cancelled the run"};
    if (result != 0)
        throw CommandFailure{kExitPluginFailed, "the plug-in failed with result " + std::to_string(result)};
}

// The image is on disk by now: a record that cannot be written costs only
// the record.
void WriteRecord(const FilterHost& host, const std::string& path, const std::string& output) {
    const std::string kept = "wrote " + output + ", but ";
    std::string error;
    HostActionSt recorded;
    try {
        recorded.descriptor = host.RecordedDescriptor();
    } catch (const DescriptorError& e) {
        throw CommandFailure{kExitPluginFailed, kept + "the plug-in recorded no usable descriptor: " + e.what()};
    }
    if (!HostAction_Save(path, recorded, error)) throw CommandFailure{kExitUnwritable, kept + error};
}

// One input to one output.
struct HostJobSt {
    std::string input;
    std::string output;
};

// Whether two paths name the same file, existing or not (through links and
// "..", as far as the file system can tell).
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const auto canonical = [&ec](const std::string& path) {
        return std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec).lexically_normal();
    };
    const auto canonicalA = canonical(a);
    if (ec) return false;
    const auto canonicalB = canonical(b);
    return !ec && canonicalA == canonicalB;
}

std::vector<HostJobSt> PlanJobs(const HostCommandLineSt& line) {
    if (line.outDir.empty()) return {{line.inputs.front(), line.output}};
    std::vector<HostJobSt> jobs;
    std::set<std::string> names;
    for (const std::string& input : line.inputs) {
        const std::string name = std::filesystem::path(input).filename().string();
        if (!names.insert(name).second)
            throw CommandFailure{kExitUsage, "two inputs are called " + name + " and would write the same output"};
        HostJobSt job{input, (std::filesystem::path(line.outDir) / name).string()};
        // A batch into the inputs' own folder would replace the originals.
        if (SameFile(job.input, job.output))
            throw CommandFailure{kExitUsage, "--out-dir " + line.outDir + " would replace the input " + input};
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// A record written over an image or style of the run would destroy it.
void CheckRecordPath(const HostCommandLineSt& line, const std::vector<HostJobSt>& jobs, const std::string& style) {
    if (line.record.empty()) return;
    std::vector<std::pair<std::string, std::string>> files{{"selection", line.selection}, {"style", style}};
    for (const HostJobSt& job : jobs) {
        files.emplace_back("input image", job.input);
        files.emplace_back("output image", job.output);
    }
    for (const auto& [what, path] : files)
        if (!path.empty() && SameFile(line.record, path))
            throw CommandFailure{kExitUsage, "--record " + line.record + " names the " + what + " of this run"};
}

void CheckOutputFormat(const std::string& output) {
    if (!HostImage_IsWritable(output))
        throw CommandFailure{kExitUsage, output + ": unknown image format (use .png, .jpg, .tif or .bmp)"};
}

// Makes the batch's output folder when it is missing.
void PrepareOutDir(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        throw CommandFailure{kExitUnwritable, "cannot make the output folder " + folder};
}

// Renders one job and writes its output; throws CommandFailure.
void RunJob(PluginMainProc entry, const HostCommandLineSt& line, const ReplaySt& replay, const HostJobSt& job,
            HostProgressBar& bar) {
    HostImageSt image = LoadInput(job.input);
    std::vector<uint8_t> selection = LoadSelection(line, image);
    FilterHost host(std::move(image), std::move(selection));
    SetFilterRect(host, line);
    CheckCancelled();
    SetUpRun(host, line, replay, bar);
    CheckResult(host.RunFilter(entry, line.dialog));

    std::string error;
    if (!HostImage_Save(job.output, host.Image(), error, line.background)) {
        CheckCancelled();  // a signal during the save keeps the old output
        throw CommandFailure{kExitUnwritable, error};
    }
    if (!HostState_Save(host.Parameters())) Warn("cannot keep the parameters for --repeat in " + HostState_Path());
    if (!line.record.empty()) WriteRecord(host, line.record, job.output);
}

// Every job in turn, one progress bar over them all.  A failing job is
// reported by its input's name and the batch goes on; Ctrl-C ends it.
int RunBatch(PluginMainProc entry, const HostCommandLineSt& line, const ReplaySt& replay,
             const std::vector<HostJobSt>& jobs) {
    int worst = kExitOk;
    int failed = 0;
    HostProgressBar bar(static_cast<int>(jobs.size()));
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        bar.StartItem(static_cast<int>(index));
        try {
            RunJob(entry, line, replay, jobs[index], bar);
        } catch (const CommandFailure& failure) {
            if (failure.code == kExitCancelled) throw;
            bar.Note("morvanel: " + jobs[index].input + ": " + failure.message);
            worst = std::max<int>(worst, failure.code);
            ++failed;
        }
    }
    bar.StartItem(static_cast<int>(jobs.size()));
    bar.Finish();
    if (failed > 0)
        std::fprintf(stderr, "morvanel: %d of %zu images failed\n", failed, jobs.size());
    return worst;
}

// The dialog needs a display (or a Qt platform such as offscreen).
bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

int Apply(const HostCommandLineSt& line) {
    if (line.dialog && !DisplayAvailable())
        throw CommandFailure{kExitUsage, "--dialog needs a display: set DISPLAY or WAYLAND_DISPLAY, or "
                                         "QT_QPA_PLATFORM (for example offscreen); nothing was written"};
    HostTerminal_CatchInterrupt();
    const std::vector<HostJobSt> jobs = PlanJobs(line);
    for (const HostJobSt& job : jobs) CheckOutputFormat(job.output);
    // Styles are found by name in the system folder, which must hold them.
    SeedTheSystemFolder();
    const std::string style = FindStyle(line);
    CheckRecordPath(line, jobs, style);
    const ReplaySt replay = PrepareReplay(line, style);
    if (!line.outDir.empty()) PrepareOutDir(line.outDir);
    for (const HostJobSt& job : jobs) CheckWritable(job.output);
    if (!line.record.empty()) CheckWritable(line.record);

    PluginLoader plugin;
    LoadPlugin(plugin, line.plugin);
    CheckCancelled();
    if (!line.outDir.empty()) return RunBatch(plugin.Entry(), line, replay, jobs);
    HostProgressBar bar;
    RunJob(plugin.Entry(), line, replay, jobs.front(), bar);
    return kExitOk;
}

int Styles() {
    SeedTheSystemFolder();
    const std::vector<HostStyleNameSt> styles = HostStyle_List();
    if (styles.empty()) std::printf("no styles found\n");
    std::size_t width = 0;
    for (const HostStyleNameSt& style : styles) width = std::max(width, style.name.size());
    for (const HostStyleNameSt& style : styles)
        std::printf("%-*s  %s\n", static_cast<int>(width), style.name.c_str(), style.path.c_str());
    return kExitOk;
}

int About(const HostCommandLineSt& line) {
    PluginLoader plugin;
    LoadPlugin(plugin, line.plugin);
    FilterHost host(HostImage_Make(1, 1, 3), {});
    host.About(plugin.Entry());
    std::printf("Morvanel plug-in: %s\n", plugin.Path().c_str());
    return kExitOk;
}

}  // namespace

int HostCommand_Run(int argc, const char* const* argv) {
    try {
        const HostCommandLineSt line = HostCommandLine_Parse(argc, argv);
        switch (line.kind) {
            case HostCommandKind::Help: std::fputs(HostCommandLine_Help(), stdout); return kExitOk;
            case HostCommandKind::Styles: return Styles();
            case HostCommandKind::About: return About(line);
            case HostCommandKind::Apply: return Apply(line);
            case HostCommandKind::Backup: return HostBackup_Run(line.backup);
            case HostCommandKind::Restore: return HostRestore_Run(line.backup);
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
