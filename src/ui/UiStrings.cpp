#include "UiStrings.h"

#include <cstring>
#include <map>
#include <string>

namespace {

constexpr int kStringMaxLength = 255;

std::map<int, std::string> BaseTable() {
    using namespace UiStringId;
    return {
        {kCaption, "Morvanel"},
        {kLoadFilter,
         "Style (*.mv)|*.mv|Style set (*.mvs)|*.mvs|Style list (*.mv1)|*.mv1|Texture list (*.mv2)|*.mv2|"
         "Foreground list (*.mv3)|*.mv3|Backup (*.mvz)|*.mvz|All Morvanel files|*.mv;*.mvs;*.mv1;*.mv2;*.mv3;*.mvz|"},
        {kSaveFilter,
         "Style set (*.mvs)|*.mvs|Style list (*.mv1)|*.mv1|Texture list (*.mv2)|*.mv2|"
         "Foreground list (*.mv3)|*.mv3|Backup (*.mvz)|*.mvz|Style (*.mv)|*.mv|"},
        {kAddStyleFilter, "Style (*.mv)|*.mv|All files|*|"},
        {kLoadTitle, "Load a style, a set or a list"},
        {kSaveTitle, "Save the style, a set or a list"},
        {kAddStyleTitle, "Add styles to the list"},
        {kMissingEntry, "Missing"},
        {kMissingFile, "The file %s cannot be found."},
        {kWriteFailed, "The file %s cannot be written. Your changes are kept in the dialog."},
        {kUnknownFileType, "%s is not a file Morvanel can load or save (use .mv, .mvs, .mv1, .mv2 or .mv3)."},
        {kPathUnusable, "The path %s is too long to be kept."},
        {kCopyImageFailed, "The image %s could not be copied into the image folder; the original is used."},
        {kUnlockQuestion, "This group is locked. Unlock it and go on?"},
        {kWholeImageQuestion,
         "The whole layer is opaque and nothing is selected, so the relief covers the whole image.\n"
         "Open the help page about selections?"},
        {kManualMissing, "The help page %s cannot be opened."},
        {kImageUnreadable, "The image %s cannot be read; the relief is rendered without it."},
        {kProgressTitle, "Rendering"},
        {kProgressText, "Rendering the relief over the whole area..."},
        {kAbort, "Abort"},
        {kOk, "OK"},
        {kCancel, "Cancel"},
        {kStyleLabel, "Style"},
        {kStyleNone, "(no style chosen)"},
        {kMenuClear, "Clear the list"},
        {kMenuToTop, "Move to the top"},
        {kMenuUp, "Move up"},
        {kMenuDown, "Move down"},
        {kMenuToBottom, "Move to the bottom"},
        {kTabModel, "Modeling"},
        {kTabMaterial, "Material"},
        {kTabTexture, "Texture"},
        {kTabEnviron, "Foreground"},
        {kTabLight, "Lighting"},
        {kTipUndo, "Undo (Ctrl+Z)"},
        {kTipRedo, "Redo (Ctrl+Shift+Z)"},
        {kTipLoad, "Load a style, a style set or a list"},
        {kTipSave, "Save the style, a style set or a list"},
        {kTipSettings, "Settings"},
        {kTipManual, "Open the help page"},
        {kTipZoom, "Zoom: one image pixel per screen pixel (+ / -)"},
        {kTipMotion, "Motion: let the look drift through random styles"},
        {kTipCapture, "Capture the look that motion shows"},
        {kTipAddStyle, "Add style files to the list"},
        {kTipDeleteStyle, "Remove the chosen style from the list"},
    };
}

std::map<int, std::string>& Table() {
    static std::map<int, std::string> table = BaseTable();
    return table;
}

}  // namespace

void UiStrings_Add(std::initializer_list<UiStringSt> strings) {
    for (const UiStringSt& s : strings) Table()[s.id] = s.text;
}

QString UiString(int id) {
    const auto found = Table().find(id);
    if (found == Table().end()) return {};
    return QString::fromUtf8(found->second.substr(0, kStringMaxLength));
}

void LoadString(int id, char* buffer, std::size_t size) {
    const auto found = Table().find(id);
    if (found == Table().end() || buffer == nullptr || size == 0) return;
    const std::size_t length = std::min({found->second.size(), size - 1, std::size_t{kStringMaxLength}});
    std::memcpy(buffer, found->second.data(), length);
    buffer[length] = '\0';
}
