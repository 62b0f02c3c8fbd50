#include "HclColor.h"

#include <gtest/gtest.h>

// Expected values were worked out by hand from the integer formulas
// (quotients truncated toward zero) and re-checked with a python3 script.

namespace {

HCLCOLOR Rgb(int r, int g, int b) { return HCLCOLOR{r, g, b}; }
HCLCOLOR Hcl(int h, int c, int l) { return HCLCOLOR{0, 0, 0, h, c, l}; }

void ExpectLast(const HCLCOLOR& c, int h, int cc, int l)
{
    EXPECT_EQ(c.H, h);
    EXPECT_EQ(c.C, cc);
    EXPECT_EQ(c.L, l);
}

void ExpectRgb(const HCLCOLOR& c, int r, int g, int b)
{
    EXPECT_EQ(c.R, r);
    EXPECT_EQ(c.G, g);
    EXPECT_EQ(c.B, b);
}

} // namespace

TEST(HclColor, ThereAndBack)
{
    // Grey: L = 256*128 >> 8 = 128; H = (128 >> 1) + 168 = 232.
    HCLCOLOR grey = Rgb(128, 128, 128);
    RgbToHcl(&grey);
    ExpectLast(grey, 232, 0, 128);
    EXPECT_EQ(HclToRgb(&grey), 1);
    ExpectRgb(grey, 128, 128, 128);

    // Red: L = 77*255 >> 8 = 76.  Back: R = 7518*255/10752 + 76 = 178 + 76 =
    // 254, G = -255 + 254 and B = 254 - 255 are both -1 and clamp to 0.
    HCLCOLOR red = Rgb(255, 0, 0);
    RgbToHcl(&red);
    ExpectLast(red, 0, 255, 76);
    EXPECT_EQ(HclToRgb(&red), 0);
    ExpectRgb(red, 254, 0, 0);

    // L = 31900 >> 8 = 124, H = 50*42/150 = 14.  Back: R = 5404*150/10752 +
    // 124 = 75 + 124 = 199, G = -28*150/42 + 199 = 99, B = 199 - 150 = 49.
    HCLCOLOR warm = Rgb(200, 100, 50);
    RgbToHcl(&warm);
    ExpectLast(warm, 14, 150, 124);
    EXPECT_EQ(HclToRgb(&warm), 1);
    ExpectRgb(warm, 199, 99, 49);

    // H = -50*42/150 = -14 wraps to 238; L = 25750 >> 8 = 100.  Sextant 5:
    // R = 7126*150/10752 + 100 = 199, B = 199 - 28*150/42 = 99, G = 49.
    HCLCOLOR pink = Rgb(200, 50, 100);
    RgbToHcl(&pink);
    ExpectLast(pink, 238, 150, 100);
    EXPECT_EQ(HclToRgb(&pink), 1);
    ExpectRgb(pink, 199, 49, 99);
}

TEST(HclColor, PrimaryHuesAndTies)
{
    struct Case { int r, g, b, h, l; } cases[] = {
        {0, 255, 0, 84, 150},   {0, 0, 255, 168, 27},  {255, 255, 0, 42, 227},
        {0, 255, 255, 126, 178}, {255, 0, 255, 210, 104},
    };
    for (const Case& k : cases) {
        HCLCOLOR c = Rgb(k.r, k.g, k.b);
        RgbToHcl(&c);
        EXPECT_EQ(c.H, k.h) << k.r << "," << k.g << "," << k.b;
        EXPECT_EQ(c.C, 255);
        EXPECT_EQ(c.L, k.l);
    }
    // Grey hues wrap: L 255 gives 127 + 168 - 252 = 43, L 0 gives 168.
    HCLCOLOR white = Rgb(255, 255, 255);
    RgbToHcl(&white);
    EXPECT_EQ(white.H, 43);
    HCLCOLOR black = Rgb(0, 0, 0);
    RgbToHcl(&black);
    EXPECT_EQ(black.H, 168);
}

TEST(HclColor, EverySextantTruncatesTowardZero)
{
    // Second-channel numerators are negative here; flooring would be one off.
    struct Case { int h, c, l, r, g, b; } cases[] = {
        {10, 100, 100, 155, 79, 55},   // G = -3200/42 = -76
        {50, 100, 150, 147, 166, 66},
        {100, 100, 100, 36, 136, 75},  // B = -2600/42 = -61
        {140, 60, 120, 89, 129, 149},
        {190, 80, 90, 110, 68, 148},   // R = -1600/42 = -38
    };
    for (const Case& k : cases) {
        HCLCOLOR c = Hcl(k.h, k.c, k.l);
        EXPECT_EQ(HclToRgb(&c), 1) << k.h;
        ExpectRgb(c, k.r, k.g, k.b);
    }
}

TEST(HclColor, ChromaZeroOutOfRangeHueAndClamping)
{
    for (int h = 0; h < 252; ++h) {
        HCLCOLOR c = Hcl(h, 0, 77);
        ASSERT_EQ(HclToRgb(&c), 1) << h;
        ASSERT_EQ(c.R, 77);
        ASSERT_EQ(c.G, 77);
        ASSERT_EQ(c.B, 77);
    }
    for (int h : {252, 300, -42}) {
        HCLCOLOR c = Hcl(h, 10, 10);
        c.R = c.G = c.B = 99;
        EXPECT_EQ(HclToRgb(&c), 1) << h;
        ExpectRgb(c, 0, 0, 0);
    }
    // -1 / 42 truncates to sextant 0: R = 7669*10/10752 + 10 = 17,
    // G = -43*10/42 + 17 = 7, B = 17 - 10 = 7.
    HCLCOLOR justBelowRed = Hcl(-1, 10, 10);
    EXPECT_EQ(HclToRgb(&justBelowRed), 1);
    ExpectRgb(justBelowRed, 17, 7, 7);
    HCLCOLOR over = Hcl(0, 255, 255);
    EXPECT_EQ(HclToRgb(&over), 0);
    ExpectRgb(over, 255, 178, 178);
}

TEST(HsvColor, RoundTrips)
{
    // (200,100,50): d = 150, S = 150*255/200 = 191, cg = 28, cb = 42, red is
    // the maximum: H = 42 - 28 = 14.  Back: p = 64*200/255 = 50, q = 150,
    // G = 150*14/42 + 50 = 100.
    struct Case { int r, g, b, h, s, v, r2, g2, b2; } cases[] = {
        {255, 0, 0, 0, 255, 255, 255, 0, 0},
        {200, 100, 50, 14, 191, 200, 200, 100, 50},
        {10, 200, 37, 90, 242, 200, 10, 200, 37},
        {0, 255, 255, 126, 255, 255, 0, 255, 255},   // blue wins the tie
        {255, 0, 255, 210, 255, 255, 255, 0, 255},
        {255, 255, 0, 42, 255, 255, 255, 255, 0},    // green wins over red
        {128, 128, 128, 232, 0, 128, 128, 128, 128},
        {0, 0, 0, 168, 0, 0, 0, 0, 0},
        {90, 30, 250, 180, 224, 250, 92, 30, 250},   // not exact
        {250, 50, 60, 249, 204, 250, 250, 50, 64},   // not exact
    };
    for (const Case& k : cases) {
        HCLCOLOR c = Rgb(k.r, k.g, k.b);
        RgbToHsv(&c);
        ExpectLast(c, k.h, k.s, k.v);
        HsvToRgb(&c);
        ExpectRgb(c, k.r2, k.g2, k.b2);
    }
}

TEST(HsvColor, SectorsAndHueOutOfRange)
{
    struct Case { int h, s, v, r, g, b; } cases[] = {
        {60, 128, 200, 156, 200, 99},
        {150, 200, 100, 21, 54, 100},
        {230, 255, 255, 255, 0, 133},
        {0, 0, 90, 90, 90, 90},
        {300, 0, 90, 90, 90, 90},  // saturation 0 needs no sector
    };
    for (const Case& k : cases) {
        HCLCOLOR c = Hcl(k.h, k.s, k.v);
        HsvToRgb(&c);
        ExpectRgb(c, k.r, k.g, k.b);
    }
    for (int h : {252, 400, -42}) {
        HCLCOLOR c{1, 2, 3, h, 100, 100};
        HsvToRgb(&c);
        ExpectRgb(c, 1, 2, 3);
    }
    // -1 / 42 truncates to sector 0: p = 155*100/255 = 60, q = 40,
    // green = 40*(-1)/42 + 60 = 60.
    HCLCOLOR justBelowRed{1, 2, 3, -1, 100, 100};
    HsvToRgb(&justBelowRed);
    ExpectRgb(justBelowRed, 100, 60, 60);
}
