#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "ImageFunc.h"

namespace {

void ExpectRect(const tagRECT& r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
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

}  // namespace

TEST(ImageRect, DefaultRectClipsOrCoversTheBitmap) {
    DibEx dib;
    dib.Setup(10, 6, 8);
    tagRECT out{};
    image_DefaultRect(&dib, nullptr, &out);
    ExpectRect(out, 0, 0, 10, 6);
    const tagRECT wide{-3, -1, 12, 7};
    image_DefaultRect(&dib, &wide, &out);
    ExpectRect(out, 0, 0, 10, 6);
    const tagRECT inside{2, 3, 5, 4};
    image_DefaultRect(&dib, &inside, &out);
    ExpectRect(out, 2, 3, 5, 4);
}

TEST(ImageRect, CorrectProportionCentresTheFittedRectangle) {
    tagRECT r{0, 0, 200, 100};
    CorrectProportionRect(&r, 1, 1);
    ExpectRect(r, 50, 0, 150, 100);
    r = {10, 20, 110, 220};  // 100 x 200 area, a 4 : 3 image
    CorrectProportionRect(&r, 4, 3);
    ExpectRect(r, 10, 82, 110, 157);  // height 100 * 3 / 4 = 75, top + 125 / 2
    r = {0, 0, 3, 1000};
    CorrectProportionRect(&r, 1000, 1);  // height would be 0: at least 1
    ExpectRect(r, 0, 499, 3, 500);
    r = {0, 0, 40, 50};
    CorrectProportionRect(&r, 0, 1);
    ExpectRect(r, 0, 0, 40, 50);
}

TEST(ImageNearest, ReductionTakesTheMiddleOfEachBlock) {
    DibEx source;
    MakeColumnRamp(source, 100, 1);
    DibEx target;
    target.Setup(10, 1, 8);
    ASSERT_EQ(IMAGE_Nearest(&target, &source, nullptr, nullptr), 1);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(target.CommitLine(0, x)[0], 10 * x + 5);
}

TEST(ImageNearest, EnlargementRepeatsEachPixel) {
    DibEx source;
    MakeColumnRamp(source, 10, 2, true);
    DibEx target;
    target.Setup(100, 4, 8);
    ASSERT_EQ(IMAGE_Copy(&target, &source, nullptr, nullptr), 1);
    for (int32_t line = 0; line < 4; ++line)
        for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(target.CommitLine(line, x)[0], (line / 2) * 10 + x / 10);
}

TEST(ImageNearest, TwentyFourBitRectanglesAndRefusedDepths) {
    DibEx source;
    source.Setup(4, 4, 24);
    source.CommitLine(2, 2)[2] = 3;
    DibEx target;
    target.Setup(6, 6, 24);
    const tagRECT to{1, 1, 5, 5};
    const tagRECT from{2, 2, 4, 4};
    ASSERT_EQ(IMAGE_Nearest(&target, &source, &to, &from), 1);
    EXPECT_EQ(target.CommitLine(2, 2)[2], 3);
    EXPECT_EQ(target.CommitLine(3, 3)[2], 0);
    DibEx wide;
    wide.Setup(4, 4, 32);
    DibEx wide2;
    wide2.Setup(2, 2, 32);
    EXPECT_EQ(IMAGE_Nearest(&wide2, &wide, nullptr, nullptr), 0);
    EXPECT_EQ(IMAGE_Nearest(&target, nullptr, nullptr, nullptr), 0);
}

TEST(ImageCopy, DifferentDepthsReturnZeroAndChangeNothing) {
    DibEx grey;
    MakeColumnRamp(grey, 4, 4);
    DibEx colour;
    colour.Setup(4, 4, 24);
    colour.Fill(9, 8, 7);
    EXPECT_EQ(IMAGE_Copy(&colour, &grey, nullptr, nullptr), 0);
    EXPECT_EQ(IMAGE_Copy(&grey, &colour, nullptr, nullptr), 0);
    EXPECT_EQ(colour.CommitLine(3, 3)[0], 7);
    EXPECT_EQ(grey.CommitLine(3, 3)[0], 3);
    DibEx empty;
    EXPECT_EQ(IMAGE_Copy(&grey, &empty, nullptr, nullptr), 0);
}

TEST(ImageMove, CopiesOnlyWhatTheSourceHolds) {
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
}

TEST(ImageMove, SameSizeCopyPlacesTheRectangle) {
    DibEx source;
    MakeColumnRamp(source, 4, 4, true);
    DibEx target;
    target.Setup(4, 4, 8);
    const tagRECT to{1, 2, 3, 4};
    const tagRECT from{0, 0, 2, 2};
    ASSERT_EQ(IMAGE_Copy(&target, &source, &to, &from), 1);
    EXPECT_EQ(target.CommitLine(2, 1)[0], 0);
    EXPECT_EQ(target.CommitLine(3, 2)[0], 11);
    EXPECT_EQ(target.CommitLine(1, 1)[0], 0);
    // A bitmap moved onto itself, overlapping, copies the original lines.
    const tagRECT up{0, 1, 4, 4};
    const tagRECT origin{0, 0, 4, 3};
    ASSERT_EQ(IMAGE_Move(&source, &source, &up, &origin), 1);
    for (int32_t line = 1; line < 4; ++line) EXPECT_EQ(source.CommitLine(line, 2)[0], (line - 1) * 10 + 2);
}

TEST(ImageResize, SameSizeOrBadSizeReturnsZeroAndKeepsTheRect) {
    DibEx dib;
    MakeColumnRamp(dib, 8, 4);
    tagRECT r{1, 1, 3, 3};
    EXPECT_EQ(IMAGE_Resize(&dib, 8, 4, &r), 0);
    ExpectRect(r, 1, 1, 3, 3);
    EXPECT_EQ(IMAGE_Resize(&dib, 0, 4, &r), 0);
    EXPECT_EQ(IMAGE_Resize(&dib, 4, -1, &r), 0);
    ExpectRect(r, 1, 1, 3, 3);
    EXPECT_EQ(dib.GetWidth(), 8);
    DibEx empty;
    EXPECT_EQ(IMAGE_Resize(&empty, 2, 2, nullptr), 0);
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
    ExpectRect(r, 1, 0, 3, 1);
    tagRECT whole{0, 0, 4, 2};
    ASSERT_EQ(IMAGE_Resize(&dib, 7, 5, &whole), 1);
    ExpectRect(whole, 0, 0, 7, 5);
}

TEST(ImageSaturation, ClosesOnePixelHolesFromTheOldValues) {
    DibEx mask;
    MakeMask(mask, {"#####",
                    "#.###",
                    "###..",
                    "#####"});
    ASSERT_EQ(IMAGE_Saturation(&mask, nullptr), 1);
    // Picture row 1, column 1 is a hole with four set neighbours: closed.
    EXPECT_EQ(mask.CommitLine(2, 1)[0], 255);
    // Two adjacent holes each see the other: neither closes.  The one on the
    // edge has itself as its right neighbour.
    EXPECT_EQ(mask.CommitLine(1, 3)[0], 0);
    EXPECT_EQ(mask.CommitLine(1, 4)[0], 0);
    // Set pixels with four set neighbours become 255; others keep their value.
    EXPECT_EQ(mask.CommitLine(0, 2)[0], 255);
    EXPECT_EQ(mask.CommitLine(2, 2)[0], 90);  // its left neighbour was a hole
    EXPECT_EQ(mask.CommitLine(1, 2)[0], 90);  // its right neighbour is a hole
}

TEST(ImageSaturation, AZeroOnTheEdgeIsNeverClosed) {
    DibEx mask;
    MakeMask(mask, {"#.#",
                    "###",
                    "###"});
    const tagRECT all{0, 0, 3, 3};
    ASSERT_EQ(IMAGE_Saturation(&mask, &all), 1);
    EXPECT_EQ(mask.CommitLine(2, 1)[0], 0);
    EXPECT_EQ(mask.CommitLine(1, 1)[0], 90);  // its upper neighbour is the hole
}

TEST(ImageSaturation, WorksOnlyInsideTheRectangleAndOnlyOnEightBits) {
    DibEx mask;
    MakeMask(mask, {"#####",
                    "#.#.#",
                    "#####"});
    const tagRECT left{0, 0, 2, 3};
    ASSERT_EQ(IMAGE_Saturation(&mask, &left), 1);
    EXPECT_EQ(mask.CommitLine(1, 1)[0], 255);
    EXPECT_EQ(mask.CommitLine(1, 3)[0], 0);
    mask.ConvertTo24();
    EXPECT_EQ(IMAGE_Saturation(&mask, nullptr), 0);
}

namespace {

// One pass of the blur computed straight from its definition: the mean over
// a (2r + 1) window with zeros beyond the edges, across, then down.
std::vector<int> DirectBlurPass(const std::vector<int>& in, int width, int height, int channels, int r) {
    const int window = 2 * r + 1;
    std::vector<int> across(in.size());
    std::vector<int> out(in.size());
    auto at = [&](const std::vector<int>& v, int x, int y, int c) {
        return (x < 0 || x >= width || y < 0 || y >= height) ? 0 : v[static_cast<size_t>((y * width + x) * channels + c)];
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (int k = -r; k <= r; ++k) sum += at(in, x + k, y, c);
                across[static_cast<size_t>((y * width + x) * channels + c)] = sum / window;
            }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (int k = -r; k <= r; ++k) sum += at(across, x, y + k, c);
                out[static_cast<size_t>((y * width + x) * channels + c)] = sum / window;
            }
    return out;
}

void CheckBlurAgainstDefinition(int width, int height, int bits, int radius, int passes) {
    const int channels = bits / 8;
    std::mt19937 random(static_cast<unsigned>(width * 131 + bits + radius));
    DibEx dib;
    dib.Setup(width, height, bits);
    std::vector<int> expected(static_cast<size_t>(width * height * channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const int value = static_cast<int>(random() % 256);
                dib.CommitLine(y, x)[c] = static_cast<uint8_t>(value);
                expected[static_cast<size_t>((y * width + x) * channels + c)] = value;
            }
    for (int pass = 0; pass < passes; ++pass) expected = DirectBlurPass(expected, width, height, channels, radius);
    ASSERT_EQ(IMAGE_BlurAroundZero(&dib, radius, passes), 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                ASSERT_EQ(dib.CommitLine(y, x)[c], expected[static_cast<size_t>((y * width + x) * channels + c)])
                    << width << "x" << height << " r " << radius << " at " << x << "," << y << " channel " << c;
}

}  // namespace

TEST(ImageBlur, MatchesTheBoxFilterDefinition) {
    CheckBlurAgainstDefinition(7, 5, 8, 1, 2);
    CheckBlurAgainstDefinition(7, 5, 8, 2, 2);
    CheckBlurAgainstDefinition(5, 4, 24, 1, 1);
    CheckBlurAgainstDefinition(3, 2, 8, 4, 2);  // radius beyond the bitmap
    CheckBlurAgainstDefinition(6, 6, 32, 2, 3);
}

TEST(ImageBlur, FadesTowardTheBorder) {
    DibEx dib;
    dib.Setup(3, 1, 8);
    dib.Fill(255);
    ASSERT_EQ(IMAGE_BlurAroundZero(&dib, 1, 1), 1);
    // Across: 170, 255, 170; down, with the zero lines above and below: / 3.
    EXPECT_EQ(dib.CommitLine(0, 0)[0], 56);
    EXPECT_EQ(dib.CommitLine(0, 1)[0], 85);
}

TEST(ImageBlur, NothingDoneForBadArguments) {
    DibEx dib;
    dib.Setup(3, 3, 8);
    dib.Fill(90);
    EXPECT_EQ(IMAGE_BlurAroundZero(&dib, 0, 2), 0);
    EXPECT_EQ(IMAGE_BlurAroundZero(&dib, 1, 0), 0);
    EXPECT_EQ(IMAGE_BlurAroundZero(nullptr, 1, 2), 0);
    EXPECT_EQ(dib.CommitLine(1, 1)[0], 90);
    DibEx empty;
    EXPECT_EQ(IMAGE_BlurAroundZero(&empty, 1, 2), 0);
}
