#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "DivideBy.h"
#include "ImageFunc.h"

namespace {

using Rect = std::array<int32_t, 4>;  // left, top, right, bottom

Rect Edges(const tagRECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::vector<uint8_t> Pixels(DibEx& dib) {
    return std::vector<uint8_t>(dib.CommitPixel(), dib.CommitPixel() + dib.GetPixelSize());
}

// An 8-bit bitmap whose pixel (x, line) holds x, or line * 10 + x.
void MakeColumnRamp(DibEx& dib, int32_t width, int32_t height, bool withLine = false) {
    dib.Setup(width, height, 8);
    for (int32_t line = 0; line < height; ++line)
        for (int32_t x = 0; x < width; ++x)
            dib.CommitLine(line, x)[0] = static_cast<uint8_t>(withLine ? line * 10 + x : x);
}

void MakeMask(DibEx& dib, const std::vector<const char*>& rowsTopDown) {
    const auto height = static_cast<int32_t>(rowsTopDown.size());
    const auto width = static_cast<int32_t>(std::strlen(rowsTopDown[0]));
    dib.Setup(width, height, 8);
    for (int32_t row = 0; row < height; ++row)
        for (int32_t x = 0; x < width; ++x)
            dib.CommitLine(height - 1 - row, x)[0] = rowsTopDown[static_cast<size_t>(row)][x] == '#' ? 90 : 0;
}

// Half a pass of the blur computed straight from its definition: the mean
// over a (2r + 1) window with zeros beyond the edges, across or down.
std::vector<int> DirectBoxFilter(const std::vector<int>& in, int width, int height, int channels, int r, bool across) {
    std::vector<int> out(in.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (int k = -r; k <= r; ++k) {
                    const int sx = across ? x + k : x;
                    const int sy = across ? y : y + k;
                    if (sx >= 0 && sx < width && sy >= 0 && sy < height)
                        sum += in[static_cast<size_t>((sy * width + sx) * channels + c)];
                }
                out[static_cast<size_t>((y * width + x) * channels + c)] = sum / (2 * r + 1);
            }
    return out;
}

}  // namespace

TEST(ImageRect, CorrectProportionCentresTheFittedRectangle) {
    const struct { Rect area; int32_t width, height; Rect expected; } cases[] = {
        {{0, 0, 200, 100}, 1, 1, {50, 0, 150, 100}},
        {{10, 20, 110, 220}, 4, 3, {10, 82, 110, 157}},  // height 100 * 3 / 4 = 75, top + 125 / 2
        {{0, 0, 3, 1000}, 1000, 1, {0, 499, 3, 500}},    // height would be 0: at least 1
        {{0, 0, 40, 50}, 0, 1, {0, 0, 40, 50}},
    };
    for (const auto& k : cases) {
        tagRECT r{k.area[0], k.area[1], k.area[2], k.area[3]};
        CorrectProportionRect(&r, k.width, k.height);
        EXPECT_EQ(Edges(r), k.expected) << k.width << " : " << k.height;
    }
}

TEST(ImageNearest, ReductionTakesTheMiddleOfEachBlockAndEnlargementRepeats) {
    DibEx source;
    MakeColumnRamp(source, 100, 1);
    DibEx target;
    target.Setup(10, 1, 8);
    ASSERT_EQ(IMAGE_Nearest(&target, &source, nullptr, nullptr), 1);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(target.CommitLine(0, x)[0], 10 * x + 5);

    MakeColumnRamp(source, 10, 2, true);
    target.Setup(100, 4, 8);
    ASSERT_EQ(IMAGE_Copy(&target, &source, nullptr, nullptr), 1);
    for (int32_t line = 0; line < 4; ++line)
        for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(target.CommitLine(line, x)[0], (line / 2) * 10 + x / 10);
}

TEST(ImageMove, CopiesOnlyWhatTheSourceHoldsAndPlacesTheRectangle) {
    DibEx source;
    MakeColumnRamp(source, 5, 3, true);
    DibEx target;
    target.Setup(6, 6, 8);
    target.Fill(255);
    const tagRECT to{0, 0, 6, 6};
    const tagRECT from{3, 1, 5, 3};  // only 2 x 2 source pixels exist from (3, 1) on
    ASSERT_EQ(IMAGE_Move(&target, &source, &to, &from), 1);
    EXPECT_EQ(target.CommitLine(0, 0)[0], 13);
    EXPECT_EQ(target.CommitLine(1, 1)[0], 24);
    EXPECT_EQ(target.CommitLine(0, 2)[0], 255);
    EXPECT_EQ(target.CommitLine(2, 0)[0], 255);

    // A bitmap moved onto itself, overlapping, copies the original lines.
    MakeColumnRamp(source, 4, 4, true);
    const tagRECT up{0, 1, 4, 4};
    const tagRECT origin{0, 0, 4, 3};
    ASSERT_EQ(IMAGE_Move(&source, &source, &up, &origin), 1);
    for (int32_t line = 1; line < 4; ++line) EXPECT_EQ(source.CommitLine(line, 2)[0], (line - 1) * 10 + 2);
}

TEST(ImageResize, ScalesPixelsKeepsKindAndPaletteAndCarriesTheRect) {
    DibEx dib(2);
    MakeColumnRamp(dib, 8, 4);
    dib.CommitPalette()[3] = RGBQUAD{1, 2, 3, 0};
    tagRECT r{2, 1, 6, 3};
    ASSERT_EQ(IMAGE_Resize(&dib, 4, 2, &r), 1);
    EXPECT_EQ(dib.GetWidth(), 4);
    EXPECT_EQ(dib.GetHeight(), 2);
    EXPECT_EQ(dib.GetKind(), 2);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(dib.CommitLine(1, x)[0], 2 * x + 1);
    EXPECT_EQ(dib.CommitPalette()[3].rgbRed, 3);
    EXPECT_EQ(Edges(r), (Rect{1, 0, 3, 1}));
    tagRECT whole{0, 0, 4, 2};
    ASSERT_EQ(IMAGE_Resize(&dib, 7, 5, &whole), 1);
    EXPECT_EQ(Edges(whole), (Rect{0, 0, 7, 5}));
}

// A hole ('.') whose four neighbours are all set closes to 255 ('@'), and so
// does a set pixel ('#', 90) with four set neighbours; every pixel looks at
// the old values, and a neighbour beyond the edge is the pixel itself.
TEST(ImageSaturation, ClosesOnePixelHolesFromTheOldValues) {
    const tagRECT left{0, 0, 2, 3};
    const struct { std::vector<const char*> mask; const tagRECT* rect; std::vector<const char*> expected; } cases[] = {
        {{"#####", "#.###", "###..", "#####"}, nullptr, {"@#@@@", "#@###", "@##..", "@@@##"}},
        {{"#.#", "###", "###"}, nullptr, {"#.#", "@#@", "@@@"}},           // a hole on the edge stays
        {{"#####", "#.#.#", "#####"}, &left, {"@####", "#@#.#", "@####"}},  // only inside the rectangle
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.mask[1]);
        DibEx mask;
        MakeMask(mask, k.mask);
        ASSERT_EQ(IMAGE_Saturation(&mask, k.rect), 1);
        const auto height = static_cast<int32_t>(k.expected.size());
        for (int32_t row = 0; row < height; ++row)
            for (int32_t x = 0; k.expected[static_cast<size_t>(row)][x] != 0; ++x) {
                const char want = k.expected[static_cast<size_t>(row)][x];
                EXPECT_EQ(mask.CommitLine(height - 1 - row, x)[0], want == '@' ? 255 : want == '#' ? 90 : 0)
                    << "row " << row << " x " << x;
            }
    }
}

TEST(ImageBlur, MatchesTheBoxFilterDefinition) {
    // inner: only the middle third of each side holds anything but 0;
    // clipped: only `content` is read and only `wanted` compared.
    const tagRECT content{3, 2, 9, 8}, wanted{5, 1, 12, 6};
    const struct { int width, height, bits, radius, passes; bool inner, clipped = false; } cases[] = {
        {7, 5, 8, 1, 2, false}, {7, 5, 8, 2, 2, false}, {5, 4, 24, 1, 1, false},
        {3, 2, 8, 4, 2, false},  // radius beyond the bitmap
        {6, 6, 32, 2, 3, false}, {15, 12, 8, 1, 2, true}, {12, 15, 24, 2, 1, true},
        {14, 11, 8, 2, 2, false, true}, {13, 9, 24, 1, 3, false, true}, {10, 7, 8, 3, 2, false, true},
        {100, 4, 8, 20, 2, false}, {60, 3, 24, 17, 1, false},  // long runs of each kind along the lines
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.width << "x" << k.height << " bits " << k.bits << " r " << k.radius);
        const int channels = k.bits / 8;
        std::mt19937 random(static_cast<unsigned>(k.width * 131 + k.bits + k.radius));
        DibEx dib;
        dib.Setup(k.width, k.height, k.bits);
        std::vector<int> expected;
        for (int y = 0; y < k.height; ++y)
            for (int x = 0; x < k.width; ++x)
                for (int c = 0; c < channels; ++c) {
                    const bool outside = k.inner && (x < k.width / 3 || x >= k.width * 2 / 3 ||
                                                     y < k.height / 3 || y >= k.height * 2 / 3);
                    dib.CommitLine(y, x)[c] = outside ? 0 : static_cast<uint8_t>(random() % 256);
                    const bool unread = k.clipped && !CMacRect(content).PtInRect(x, y);
                    expected.push_back(unread ? 0 : dib.CommitLine(y, x)[c]);
                }
        for (int pass = 0; pass < k.passes; ++pass) {
            expected = DirectBoxFilter(expected, k.width, k.height, channels, k.radius, true);
            expected = DirectBoxFilter(expected, k.width, k.height, channels, k.radius, false);
        }
        ASSERT_EQ(IMAGE_BlurAroundZero(&dib, k.radius, k.passes, nullptr, k.clipped ? &content : nullptr,
                                       k.clipped ? &wanted : nullptr), 1);
        for (int y = 0, i = 0; y < k.height; ++y)
            for (int x = 0; x < k.width; ++x)
                for (int c = 0; c < channels; ++c, ++i) {
                    if (k.clipped && !CMacRect(wanted).PtInRect(x, y)) continue;
                    EXPECT_EQ(dib.CommitLine(y, x)[c], expected[static_cast<size_t>(i)]) << x << "," << y;
                }
    }
}

// And DivideInFloatBy for dividends below 2^24.
TEST(DivideSmallBy, GivesTheQuotientAroundEveryMultipleUpToTheLargestDividend) {
    for (const uint32_t d : {1u, 2u, 3u, 41u, 255u, 257u, 1001u, 65537u, 2147483647u, 2147483648u}) {
        const DivideSmallBy divide(d);
        for (const uint64_t q : {uint64_t{0}, uint64_t{1}, uint64_t{7}, uint64_t{255}, uint64_t{2147483648u / d}}) {
            for (const int64_t n : {int64_t(q * d) - 1, int64_t(q * d), int64_t(q * d) + 1}) {
                if (n < 0 || n >= 2147483648) continue;
                EXPECT_EQ(divide(static_cast<uint32_t>(n)), static_cast<uint32_t>(n) / d) << n << " / " << d;
                if (n < DivideInFloatBy::kLimit && d <= DivideInFloatBy::kLimit) {
                    EXPECT_EQ(DivideInFloatBy(d)(static_cast<uint32_t>(n)), static_cast<uint32_t>(n) / d) << n << " / " << d;
                }
            }
        }
    }
}

TEST(ImageFunc, RefusedCallsReturnZeroAndChangeNothing) {
    DibEx grey;
    MakeColumnRamp(grey, 8, 4);
    DibEx colour;
    colour.Setup(4, 4, 24);
    colour.Fill(9, 8, 7);
    DibEx wide;
    wide.Setup(4, 4, 32);
    DibEx wide2;
    wide2.Setup(2, 2, 32);
    DibEx empty;
    tagRECT r{1, 1, 3, 3};
    const struct { const char* name; std::function<int()> call; } cases[] = {
        {"nearest of 32 bits", [&] { return IMAGE_Nearest(&wide2, &wide, nullptr, nullptr); }},
        {"copy grey to colour", [&] { return IMAGE_Copy(&colour, &grey, nullptr, nullptr); }},
        {"copy from empty", [&] { return IMAGE_Copy(&grey, &empty, nullptr, nullptr); }},
        {"resize to the same size", [&] { return IMAGE_Resize(&grey, 8, 4, &r); }},
        {"resize to width 0", [&] { return IMAGE_Resize(&grey, 0, 4, &r); }},
        {"blur radius 0", [&] { return IMAGE_BlurAroundZero(&grey, 0, 2); }},
        {"blur no pass", [&] { return IMAGE_BlurAroundZero(&grey, 1, 0); }},
        {"blur no bitmap", [&] { return IMAGE_BlurAroundZero(nullptr, 1, 2); }},
        {"saturation of 24 bits", [&] { return IMAGE_Saturation(&colour, nullptr); }},
    };
    const std::vector<uint8_t> greyBefore = Pixels(grey);
    const std::vector<uint8_t> colourBefore = Pixels(colour);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(k.call(), 0);
        EXPECT_EQ(Pixels(grey), greyBefore);
        EXPECT_EQ(Pixels(colour), colourBefore);
        EXPECT_EQ(Edges(r), (Rect{1, 1, 3, 3}));
    }
}
