#include "SplashHotSpots.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "PrivateProfile.h"

namespace {

uint8_t ColourByte(const char* key, const char* path) {
    return static_cast<uint8_t>(std::clamp<int32_t>(GetPrivateProfileInt("MAIN", key, 0, path), 0, 255));
}

SplashHighlight HighlightOf(int32_t mode) {
    switch (mode) {
    case 1: return SplashHighlight::Underline;
    case 2: return SplashHighlight::Frame;
    default: return SplashHighlight::None;
    }
}

}  // namespace

bool SplashHotSpots::InitProfile(const std::string& path) {
    spots_ = {};
    count_ = 0;
    // Reading a missing profile would leave an empty one behind.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const char* file = path.c_str();
    count_ = std::clamp<int32_t>(GetPrivateProfileInt("MAIN", "HotSpot", 0, file), 0, kMaxHotSpots);
    red_ = ColourByte("HotSpotColorR", file);
    green_ = ColourByte("HotSpotColorG", file);
    blue_ = ColourByte("HotSpotColorB", file);
    for (int i = 0; i < count_; ++i) {
        const std::string section = "HotSpot" + std::to_string(i + 1);
        SplashHotSpot& spot = spots_[static_cast<std::size_t>(i)];
        char url[kUrlReadSize] = "";
        GetPrivateProfileString(section.c_str(), "URL", "", url, sizeof(url), file);
        spot.url = url;
        spot.mode = HighlightOf(GetPrivateProfileInt(section.c_str(), "Mode", 0, file));
        spot.rect = CMacRect(GetPrivateProfileInt(section.c_str(), "x1", 0, file),
                             GetPrivateProfileInt(section.c_str(), "y1", 0, file),
                             GetPrivateProfileInt(section.c_str(), "x2", 0, file),
                             GetPrivateProfileInt(section.c_str(), "y2", 0, file));
        spot.hover = false;
    }
    return true;
}

std::vector<CMacRect> SplashHotSpots::OnMouseMove(int32_t x, int32_t y) {
    std::vector<CMacRect> changed;
    for (int i = 0; i < count_; ++i) {
        SplashHotSpot& spot = spots_[static_cast<std::size_t>(i)];
        const bool inside = spot.rect.PtInRect(x, y);
        if (inside == spot.hover) continue;
        spot.hover = inside;
        changed.push_back(spot.rect);
    }
    return changed;
}

const SplashHotSpot* SplashHotSpots::HitTest(int32_t x, int32_t y) const {
    for (int i = 0; i < count_; ++i)
        if (spots_[static_cast<std::size_t>(i)].rect.PtInRect(x, y)) return &spots_[static_cast<std::size_t>(i)];
    return nullptr;
}
