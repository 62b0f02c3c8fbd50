#include "IntAngle.h"

#include <climits>

#include <gtest/gtest.h>

// Expected angles come from a python3 re-implementation of the table search;
// atan2 in 256 steps is noted beside the off-axis cases for orientation.

TEST(IntAtan, AnglesOfVectors)
{
    // IntAngle answers from the same table.
    const IntAtan t;
    const IntAngle a;
    const struct { int x, y, angle; } cases[] = {
        {0, 0, 0},   {1, 0, 0},   {0, 1, 64},     {-1, 0, 128}, {0, -1, 192},
        {5, 5, 32},  {-1, 1, 96}, {-1, -1, 160},  {1, -1, 224},
        {10, 100, 60},    // 59.94
        {100, -10, 252},  // 251.94
        {3, 2, 23},       // 23.96
        {-7, -3, 144},    // 144.5
        {60, -100, 214},  // 214.02
        {1000, -1, 0},    // 256 - 0 wraps to 0
        {10000, 245, 0},  // ratio equals the first entry
        {10000, 246, 1},  // one above it
        {INT_MAX, INT_MIN, 223},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(t.GetAngle(k.x, k.y), k.angle) << k.x << "," << k.y;
        EXPECT_EQ(a.GetAngle(k.x, k.y), k.angle) << k.x << "," << k.y;
    }
}

TEST(IntAngle, CosineAndSineTables)
{
    const IntAngle a;
    EXPECT_EQ(a.Cos(128), -1.0);
    EXPECT_EQ(a.Sin(192), -1.0);
    EXPECT_NEAR(a.Cos(32), 0.7071232, 1e-7); // cos(32 * 6.283 / 256)
    EXPECT_EQ(a.Sin(-4), a.Sin(252));
    EXPECT_EQ(a.Cos(260), a.Cos(4));
}
