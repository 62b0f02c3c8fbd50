#include "HclColor.h"

#include <array>

#include <gtest/gtest.h>

// Expected values were worked out by hand from the integer formulas
// (quotients truncated toward zero) and re-checked with a python3 script.
// The last three fields hold hue, chroma, luma after the HCL conversion and
// hue, saturation, value after the HSV one.

namespace {

using Triple = std::array<int, 3>;

// HsvToRgb has no result; the tables expect 1 for it.
int HsvToRgbAlways1(HCLCOLOR* c)
{
    HsvToRgb(c);
    return 1;
}

} // namespace

TEST(HclColor, FromRgb)
{
    const struct { void (*convert)(HCLCOLOR*); Triple rgb, last; } cases[] = {
        {RgbToHcl, {128, 128, 128}, {232, 0, 128}},  // L = 256*128 >> 8, H = (128 >> 1) + 168
        {RgbToHcl, {255, 0, 0}, {0, 255, 76}},       // L = 77*255 >> 8
        {RgbToHcl, {200, 100, 50}, {14, 150, 124}},  // H = 50*42/150
        {RgbToHcl, {200, 50, 100}, {238, 150, 100}}, // H = -50*42/150 = -14 wraps
        {RgbToHcl, {0, 0, 255}, {168, 255, 27}},     {RgbToHcl, {0, 255, 255}, {126, 255, 178}},
        {RgbToHcl, {255, 255, 255}, {43, 0, 255}},   // grey hue 127 + 168 wraps past 252
        {RgbToHcl, {0, 0, 0}, {168, 0, 0}},
        // d = 150, S = 150*255/200 = 191, cg = 28, cb = 42, red is the
        // maximum: H = 42 - 28 = 14.
        {RgbToHsv, {200, 100, 50}, {14, 191, 200}},
        {RgbToHsv, {10, 200, 37}, {90, 242, 200}},
        {RgbToHsv, {0, 255, 255}, {126, 255, 255}},  // blue wins the tie
        {RgbToHsv, {255, 255, 0}, {42, 255, 255}},   // green wins over red
        {RgbToHsv, {128, 128, 128}, {232, 0, 128}},  {RgbToHsv, {90, 30, 250}, {180, 224, 250}},
    };
    for (const auto& k : cases) {
        HCLCOLOR c{k.rgb[0], k.rgb[1], k.rgb[2]};
        k.convert(&c);
        EXPECT_EQ((Triple{c.H, c.C, c.L}), k.last) << testing::PrintToString(k.rgb);
    }
}

TEST(HclColor, ToRgbTruncatesTowardZeroAndClamps)
{
    const struct { int (*convert)(HCLCOLOR*); Triple last, rgb; int inRange; } cases[] = {
        // The colours of FromRgb on their way back.
        {HclToRgb, {232, 0, 128}, {128, 128, 128}, 1},
        {HclToRgb, {0, 255, 76}, {254, 0, 0}, 0},    // R = 7518*255/10752 + 76; G, B = -1 clamp
        {HclToRgb, {238, 150, 100}, {199, 49, 99}, 1},
        // Second-channel numerators are negative here; flooring would be one off.
        {HclToRgb, {10, 100, 100}, {155, 79, 55}, 1},  // G = -3200/42 = -76
        {HclToRgb, {50, 100, 150}, {147, 166, 66}, 1},
        {HclToRgb, {100, 100, 100}, {36, 136, 75}, 1}, // B = -2600/42 = -61
        {HclToRgb, {140, 60, 120}, {89, 129, 149}, 1},
        {HclToRgb, {190, 80, 90}, {110, 68, 148}, 1},  // R = -1600/42 = -38
        {HclToRgb, {-1, 10, 10}, {17, 7, 7}, 1},       // -1 / 42 truncates to sextant 0
        // Hues outside 0..251 give black.
        {HclToRgb, {252, 10, 10}, {0, 0, 0}, 1},
        {HclToRgb, {-42, 10, 10}, {0, 0, 0}, 1},
        // p = 64*200/255 = 50, q = 150, G = 150*14/42 + 50 = 100.
        {HsvToRgbAlways1, {14, 191, 200}, {200, 100, 50}, 1},
        {HsvToRgbAlways1, {90, 242, 200}, {10, 200, 37}, 1},
        {HsvToRgbAlways1, {180, 224, 250}, {92, 30, 250}, 1},  // not exact
        {HsvToRgbAlways1, {60, 128, 200}, {156, 200, 99}, 1},
        {HsvToRgbAlways1, {150, 200, 100}, {21, 54, 100}, 1},
        {HsvToRgbAlways1, {230, 255, 255}, {255, 0, 133}, 1},
        {HsvToRgbAlways1, {300, 0, 90}, {90, 90, 90}, 1},    // saturation 0 needs no sector
        {HsvToRgbAlways1, {-1, 100, 100}, {100, 60, 60}, 1}, // sector 0: q = 40, G = 40*(-1)/42 + 60
        // Hues outside 0..251 leave the colour alone.
        {HsvToRgbAlways1, {252, 100, 100}, {99, 99, 99}, 1},
        {HsvToRgbAlways1, {-42, 100, 100}, {99, 99, 99}, 1},
    };
    for (const auto& k : cases) {
        HCLCOLOR c{99, 99, 99, k.last[0], k.last[1], k.last[2]};
        EXPECT_EQ(k.convert(&c), k.inRange) << testing::PrintToString(k.last);
        EXPECT_EQ((Triple{c.R, c.G, c.B}), k.rgb) << testing::PrintToString(k.last);
    }
}
