#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "DibEx.h"

namespace {

// Value of pixel (x, line) in a small 8-bit test picture.
uint8_t PatternValue(int32_t line, int32_t x) { return static_cast<uint8_t>(line * 16 + x + 1); }

void DrawPattern(DibEx& dib) {
    for (int32_t line = 0; line < dib.GetHeight(); ++line)
        for (int32_t x = 0; x < dib.GetWidth(); ++x) dib.CommitLine(line, x)[0] = PatternValue(line, x);
}

// What buffer line d must hold after a GetBlock: a line the previous call
// held is kept with the values it had then; every other line comes from the
// bitmap as it is now.  Kept as whole lines of width values.
using Lines = std::vector<std::vector<uint8_t>>;

Lines ExpectedBlock(DibEx& dib, int32_t n, int32_t line, int32_t previous, const Lines& held) {
    const int32_t height = dib.GetHeight();
    Lines result;
    for (int32_t d = -n; d <= n; ++d) {
        const int32_t source = std::clamp(line + d, 0, height - 1);
        if (previous >= 0 && std::abs(source - previous) <= n) {
            result.push_back(held[static_cast<size_t>(source - previous + n)]);
        } else {
            const uint8_t* from = dib.CommitLine(source, 0);
            result.emplace_back(from, from + dib.GetWidth());
        }
    }
    return result;
}

Lines ReadBlock(const uint8_t* centre, int32_t n, int32_t width, int32_t unitY) {
    Lines result;
    for (int32_t d = -n; d <= n; ++d) {
        const uint8_t* row = centre + d * unitY;
        result.emplace_back(row, row + width);
    }
    return result;
}

}  // namespace

TEST(BlockBuffer, FirstBlockReplicatesTheEdges) {
    DibEx dib;
    dib.Setup(4, 3, 8);
    DrawPattern(dib);
    uint8_t* centre = dib.SetupBlockBuffer(1, DibEx::BORDER_REPLICATE);
    ASSERT_NE(centre, nullptr);
    EXPECT_EQ(dib.GetBlockBufferUnitX(), 1);
    EXPECT_EQ(dib.GetBlockBufferUnitY(), 8);  // 6 bytes padded to 8
    EXPECT_EQ(dib.GetBlock(0), centre);
    const int32_t unitY = dib.GetBlockBufferUnitY();
    for (int32_t x = -1; x <= 4; ++x) {
        const int32_t column = std::clamp(x, 0, 3);
        EXPECT_EQ(centre[x - unitY], PatternValue(0, column)) << x;  // line -1 copies line 0
        EXPECT_EQ(centre[x], PatternValue(0, column)) << x;
        EXPECT_EQ(centre[x + unitY], PatternValue(1, column)) << x;
    }
}

TEST(BlockBuffer, MatchesTheHeldLineRuleForAnyWalk) {
    std::mt19937 random(7);
    for (int32_t n = 0; n <= 3; ++n) {
        for (int32_t height = 1; height <= 6; ++height) {
            DibEx dib;
            dib.Setup(3, height, 8);
            DrawPattern(dib);
            const uint8_t* centre = dib.SetupBlockBuffer(n, 0);
            const int32_t unitY = dib.GetBlockBufferUnitY();
            Lines held;
            int32_t previous = -1;
            for (int step = 0; step < 40; ++step) {
                const int32_t line = static_cast<int32_t>(random() % static_cast<unsigned>(height));
                const Lines expected = ExpectedBlock(dib, n, line, previous, held);
                dib.GetBlock(line);
                held = ReadBlock(centre, n, 3, unitY);
                ASSERT_EQ(held, expected) << "n " << n << " height " << height << " step " << step;
                // Writes to the bitmap must not reach lines the buffer holds.
                dib.CommitLine(static_cast<int32_t>(random() % static_cast<unsigned>(height)), 1)[0] =
                    static_cast<uint8_t>(random());
                previous = line;
            }
        }
    }
}

TEST(BlockBuffer, RefusedForSubBytePixelsAndHugeMargins) {
    DibEx dib;
    EXPECT_EQ(dib.SetupBlockBuffer(1, 0), nullptr);
    dib.Setup(16, 2, 1);
    EXPECT_EQ(dib.SetupBlockBuffer(1, 0), nullptr);
    dib.Setup(2, 1, 24);
    EXPECT_NE(dib.SetupBlockBuffer(-4, 0), nullptr);  // N below 0 becomes 0
    EXPECT_EQ(dib.GetBlockBufferUnitX(), 3);
    EXPECT_EQ(dib.GetBlockBufferUnitY(), 8);
    EXPECT_THROW(dib.SetupBlockBuffer(INT32_MAX / 2, 0), int);  // beyond 32 bits
    EXPECT_EQ(dib.GetBlock(0), nullptr);
}
