#pragma once
// The hot spots of the about window, read from its description file
// "Splash.inf": at most eight rectangles, each with a web address and a
// highlight shown while the mouse is over it.  The window asks which spots
// the mouse entered or left and which spot a click opens.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "CMacRect.h"

inline constexpr const char* kSplashProfileName = "Splash.inf";

enum class SplashHighlight : int32_t { None = 0, Underline = 1, Frame = 2 };

struct SplashHotSpot {
    CMacRect rect;
    std::string url;  // at most 254 characters
    SplashHighlight mode = SplashHighlight::None;
    bool hover = false;
};

class SplashHotSpots {
public:
    static constexpr int kMaxHotSpots = 8;
    static constexpr int kUrlReadSize = 255;

    // Reads the description file at path; false (and no hot spots) when no
    // file is there.  A count beyond eight keeps the first eight; a negative
    // one counts as none.
    bool InitProfile(const std::string& path);

    int Count() const { return count_; }
    const SplashHotSpot& At(int index) const { return spots_[static_cast<std::size_t>(index)]; }
    uint8_t Red() const { return red_; }
    uint8_t Green() const { return green_; }
    uint8_t Blue() const { return blue_; }

    // Hover flags after the mouse moved to (x, y); returns the rectangles
    // of the spots whose flag changed, to be redrawn.
    std::vector<CMacRect> OnMouseMove(int32_t x, int32_t y);
    // The spot a click at (x, y) opens: the first in number order whose
    // rectangle holds the point; null when none does.
    const SplashHotSpot* HitTest(int32_t x, int32_t y) const;

private:
    std::array<SplashHotSpot, kMaxHotSpots> spots_{};
    int count_ = 0;
    uint8_t red_ = 0, green_ = 0, blue_ = 0;
};
