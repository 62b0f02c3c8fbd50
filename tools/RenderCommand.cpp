// The render command: loads an image and its mask the way the host hands
// them over, sets the parameters, renders the whole image and saves it.
#include "RenderCommand.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "CShadeApp.h"
#include "DibEx.h"
#include "ImageFunc.h"
#include "RgbaPng.h"

namespace {

const ShadeParamEntry* FindEntry(const std::string& key) {
    const auto dot = key.find('.');
    if (dot != std::string::npos)
        return ShadeParamByKey(std::string_view(key).substr(0, dot), std::string_view(key).substr(dot + 1));
    for (const ShadeParamEntry& entry : ShadeParamTable())
        if (!entry.scriptKey.empty() && entry.scriptKey == key) return &entry;
    return nullptr;
}

std::string SystemFolder() {
    if (const char* home = std::getenv("MORVANEL_HOME"); home != nullptr && *home != '\0') return home;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0')
        return std::string(config) + "/Morvanel";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/Morvanel";
}

int Usage(std::ostream& err) {
    err << "usage: morvanel-render IN.png OUT.png [--selection=GREY.png] [--raw-mask] "
           "[--system=DIR] [KEY=VALUE ...]\n";
    return 1;
}

}  // namespace

bool SetParameter(ShadeParams& params, const std::string& key, const std::string& value) {
    const ShadeParamEntry* entry = FindEntry(key);
    if (entry == nullptr) return false;
    if (entry->kind == ShadeParamKind::Text) {
        if (value.size() >= kShadeParamsPathSize) return false;
        std::memcpy(ShadeParamText(params, *entry), value.c_str(), value.size() + 1);
        return true;
    }
    int32_t number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (ec != std::errc() || end != value.data() + value.size()) return false;
    // The engine expects every ranged entry inside its range.
    if (entry->range && (number < entry->range->minimum || number > entry->range->maximum)) return false;
    ShadeParamInt(params, *entry) = number;
    return true;
}

CMacRect MaskBounds(DibEx& mask) {
    CMacRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (int32_t y = 0; y < mask.GetHeight(); ++y) {
        const uint8_t* row = mask.CommitLine(y);
        for (int32_t x = 0; x < mask.GetWidth(); ++x) {
            if (row[x] == 0) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x + 1);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box.IsRectEmpty() ? CMacRect() : box;
}

int RenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    std::string selection;
    std::string system = SystemFolder();
    bool closeHoles = true;
    CShadeApp app;
    ShadeParamsSetDefaults(app.Params(), "");
    for (const std::string& arg : args) {
        if (arg.rfind("--selection=", 0) == 0) {
            selection = arg.substr(12);
        } else if (arg.rfind("--system=", 0) == 0) {
            system = arg.substr(9);
        } else if (arg == "--raw-mask") {
            closeHoles = false;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage(err);
        } else if (const auto eq = arg.find('='); eq != std::string::npos) {
            if (!SetParameter(app.Params(), arg.substr(0, eq), arg.substr(eq + 1))) {
                err << "morvanel-render: unknown parameter, or a value that is not a number in its range: " << arg << "\n";
                return 1;
            }
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return Usage(err);
    app.SetFolders(system, system + "/Texture", system + "/Foreground");

    try {
        DibEx& image = app.FullImage();
        DibEx& mask = app.FullMask();
        if (!RgbaPng_Load(files[0], &image, &mask)) {
            err << "morvanel-render: cannot read " << files[0] << "\n";
            return 2;
        }
        if (!selection.empty()) {
            DibEx grey(1);
            DibEx unused(1);
            if (!RgbaPng_Load(selection, &grey, &unused) || grey.GetWidth() != image.GetWidth() ||
                grey.GetHeight() != image.GetHeight()) {
                err << "morvanel-render: cannot use selection " << selection << "\n";
                return 2;
            }
            // The selection's grey level (its green channel) is the mask.
            for (int32_t y = 0; y < mask.GetHeight(); ++y) {
                const uint8_t* g = grey.CommitLine(y);
                uint8_t* m = mask.CommitLine(y);
                for (int32_t x = 0; x < mask.GetWidth(); ++x) m[x] = g[x * 3 + 1];
            }
        }
        app.SetObjectRect(MaskBounds(mask));
        if (closeHoles) IMAGE_Saturation(&mask, nullptr);
        app.Filter(&image, &mask, nullptr, nullptr, nullptr);
        if (!RgbaPng_Save(files[1], &image, &mask)) {
            err << "morvanel-render: cannot write " << files[1] << "\n";
            return 2;
        }
    } catch (int code) {
        err << "morvanel-render: not enough memory for this image (code " << code << ")\n";
        return 3;
    }
    out << "rendered " << files[0] << " -> " << files[1] << "\n";
    return 0;
}
