// The string table of the shell and the message output on standard error.
#include "PluginMessages.h"

#include <cstdio>
#include <vector>

namespace {

struct StringResource {
    int id;
    const char* text;
};

constexpr StringResource kStrings[] = {
    {kStringCaption, "Morvanel"},
    {kStringNoMemory, "There is not enough memory to finish this operation."},
    {kStringErrorCode, "The operation stopped with error %d (checkpoint %d)."},
    {kStringNoDialog, "No dialog is available in this build; the layer is left unchanged."},
    {kStringNoDisplay,
     "No display is available for the dialog (set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM); "
     "the layer is left unchanged."},
    {kStringAbout, "Morvanel relief shading filter."},
    {kStringAboutNoWindow,
     "%s The about window needs a display (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM); "
     "its description is %s and the manual is %s."},
};

constexpr std::size_t kStringMaxLength = 255;

MessageWindowProc messageWindow = nullptr;

}  // namespace

std::string LoadString(int id) {
    for (const StringResource& resource : kStrings)
        if (resource.id == id) return std::string(resource.text).substr(0, kStringMaxLength);
    return {};
}

std::string FormatMessageText(const char* format, va_list arguments) {
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    return std::string(text.data(), static_cast<std::size_t>(length));
}

void SetMessageWindow(MessageWindowProc show) { messageWindow = show; }

int ShowMessageText(const std::string& text, int style) {
    if (messageWindow != nullptr) return messageWindow(text, style);
    std::fprintf(stderr, "%s: %s\n", LoadString(kStringCaption).c_str(), text.c_str());
    return (style & kMessageStyleQuestionBit) != 0 ? kAnswerNo : kAnswerOk;
}
