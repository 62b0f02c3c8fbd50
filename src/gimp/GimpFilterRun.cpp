#include "GimpFilterRun.h"

#include <unistd.h>

#include <cstdio>
#include <new>

#include "FilterHost.h"
#include "GimpLayerPixels.h"
#include "HostParamBlock.h"
#include "PluginLoader.h"

namespace {

// Collects what the plug-in writes on standard error during a run, so its
// messages reach GIMP's message area; the text is passed on to standard
// error as well.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = file_ != nullptr ? ::dup(STDERR_FILENO) : -1;
        if (saved_ >= 0) ::dup2(::fileno(file_), STDERR_FILENO);
    }
    ~StderrCapture() { Finish(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string Finish() {
        std::string text;
        if (saved_ < 0) return text;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
        std::rewind(file_);
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) text.append(buffer, got);
        std::fclose(file_);
        file_ = nullptr;
        std::fputs(text.c_str(), stderr);
        return text;
    }

private:
    std::FILE* file_;
    int saved_ = -1;
};

constexpr const char* kUnchanged = "; the layer is unchanged";

void LoadPlugin(PluginLoader& plugin, const std::string& path) {
    std::string error;
    if (!plugin.Load(path, error))
        throw GimpRunError(error + kUnchanged +
                           ". Install the plug-in with scripts/install-gimp-plugin.sh, or name the library in "
                           "MORVANEL_PLUGIN.");
}

FilterHost MakeHost(const GimpAreaSt& area) {
    try {
        return FilterHost(LayerPixels_ToHostImage(area.rgba, area.width, area.height, area.hasAlpha), area.selection);
    } catch (const std::invalid_argument& e) {
        throw GimpRunError("the filter area of " + std::to_string(area.width) + " x " + std::to_string(area.height) +
                           " pixels cannot be filtered: " + e.what() + kUnchanged);
    }
}

void SetUpReplay(FilterHost& host, const GimpReplaySt& replay, bool withDialog) {
    const int16_t playInfo = withDialog ? int16_t{kPlayDialogDisplay} : int16_t{kPlayDialogDontDisplay};
    if (replay.hasDescriptor) host.SetRecordedDescriptor(replay.descriptor, playInfo);
    else host.ClearRecordedDescriptor(playInfo);
    host.SetParameters(replay.block);
}

std::string WithMessages(std::string text, const std::string& messages) {
    if (!messages.empty()) text += "\n" + messages;
    return text;
}

void CheckResult(int16_t result, bool cancelled, bool withDialog, const std::string& messages) {
    if (cancelled) throw GimpRunError(std::string("cancelled") + kUnchanged);
    // A dialog that ends without a word from the plug-in was cancelled by
    // the user; with a message (no display, say) it could not run.
    if (withDialog && result == kResultUserCanceled && messages.empty())
        throw GimpRunCancelled(std::string("cancelled") + kUnchanged);
    if (result == kResultUserCanceled)
        throw GimpRunError(WithMessages(std::string("the plug-in ended the run without a result") + kUnchanged, messages));
    if (result != 0)
        throw GimpRunError(WithMessages(
            "the plug-in failed with result " + std::to_string(result) + kUnchanged, messages));
}

GimpRunResultSt Collect(const FilterHost& host, const std::string& pluginPath, std::string messages) {
    GimpRunResultSt out;
    out.block = host.Parameters();
    if (out.block.size() != sizeof(HostParamBlock))
        throw GimpRunError(pluginPath + " is a plug-in of another version: its parameter block has " +
                           std::to_string(out.block.size()) + " bytes where this host expects " +
                           std::to_string(sizeof(HostParamBlock)) + kUnchanged);
    try {
        out.recorded = host.RecordedDescriptor();
    } catch (const DescriptorError& e) {
        throw GimpRunError(pluginPath + " recorded no usable parameters (" + e.what() + ")" + kUnchanged);
    }
    out.rgba = LayerPixels_FromHostImage(host.Image());
    out.messages = std::move(messages);
    return out;
}

}  // namespace

GimpRunResultSt GimpFilterRun(const GimpAreaSt& area, const GimpReplaySt& replay, const GimpRunOptionsSt& options) {
    try {
        PluginLoader plugin;
        LoadPlugin(plugin, options.pluginPath);
        FilterHost host = MakeHost(area);
        SetUpReplay(host, replay, options.withDialog);
        bool cancelled = false;
        host.SetProgress([&](int32_t done, int32_t total) {
            const double fraction = total > 0 ? double(done) / total : 0.0;
            if (options.progress && !options.progress(fraction)) cancelled = true;
        });
        host.SetAbortTest([&cancelled] { return cancelled; });

        StderrCapture capture;
        const int16_t result = host.RunFilter(plugin.Entry(), options.withDialog);
        std::string messages = capture.Finish();
        CheckResult(result, cancelled, options.withDialog, messages);
        return Collect(host, plugin.Path(), std::move(messages));
    } catch (const std::bad_alloc&) {
        throw GimpRunError("there is not enough memory to filter " + std::to_string(area.width) + " x " +
                           std::to_string(area.height) + " pixels" + kUnchanged);
    }
}
