#include "MathTbl.h"

#include <gtest/gtest.h>

// Expected entries were computed independently in python3 from the curve
// formulas (double arithmetic, half-up rounding, truncation where stated).

TEST(MathTbl, ConstructorIsIdentity)
{
    MathTbl t;
    for (int i = 0; i < MathTbl::kSize; ++i)
        ASSERT_EQ(t[i], i);
}

TEST(MathTbl, SigmoidRisingAndFallingCurves)
{
    MathTbl edge;
    edge.Sigmoid(0.05, 0.2, 0.0, 1.0);
    EXPECT_EQ(edge[0], 0);
    EXPECT_EQ(edge[25], 39);
    EXPECT_EQ(edge[51], 118);
    EXPECT_EQ(edge[100], 233);
    EXPECT_EQ(edge[255], 255);

    // The solarization curve falls from 255 to 76.5, which rounds up to 77.
    MathTbl sol;
    sol.Sigmoid(0.01, 1.0, 1.0, 0.3);
    EXPECT_EQ(sol[0], 255);
    EXPECT_EQ(sol[64], 231);
    EXPECT_EQ(sol[128], 194);
    EXPECT_EQ(sol[192], 140);
    EXPECT_EQ(sol[255], 77);
    for (int i = 1; i < MathTbl::kSize; ++i)
        ASSERT_LE(sol[i], sol[i - 1]) << i;

    MathTbl steep;
    steep.Sigmoid(0.1, 0.5, 0.0, 1.0);
    EXPECT_EQ(steep[64], 0);
    EXPECT_EQ(steep[128], 131);
    EXPECT_EQ(steep[192], 255);
}

TEST(MathTbl, SigmoidInverseCurve)
{
    MathTbl t;
    t.Sigmoid(-0.05, 0.5, 0.0, 1.0);
    const int inputs[] = {0, 1, 64, 100, 128, 160, 200, 254, 255};
    const int expected[] = {0, 24, 106, 119, 128, 138, 153, 231, 255};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(t[inputs[k]], expected[k]) << inputs[k];
}

TEST(MathTbl, SigmoidDegenerateGainAndRange)
{
    MathTbl line;
    line.Sigmoid(0.0005, 0.3, 0.0, 1.0);
    for (int i = 0; i < MathTbl::kSize; ++i)
        ASSERT_EQ(line[i], i);

    line.Sigmoid(0.0, 0.5, 0.2, 0.8); // 51 + 153 i / 255, truncated
    EXPECT_EQ(line[0], 51);
    EXPECT_EQ(line[100], 111);
    EXPECT_EQ(line[255], 204);

    MathTbl flat;
    flat.Sigmoid(0.05, 0.5, 0.5, 0.5);
    for (int i = 0; i < MathTbl::kSize; ++i)
        ASSERT_EQ(flat[i], 127);
    flat.Sigmoid(0.05, 0.5, 2.0, 2.0); // 510 clamps
    EXPECT_EQ(flat[7], 255);
    flat.Sigmoid(0.0, 0.5, -1.0, 3.0); // line beyond both ends clamps
    EXPECT_EQ(flat[0], 0);
    EXPECT_EQ(flat[255], 255);
}

TEST(MathTbl, GammaCurves)
{
    MathTbl t;
    t.Sigmoid(0.1, 0.5, 0.0, 1.0);
    t.Gamma(1.0, 0.0, 1.0);
    for (int i = 0; i < MathTbl::kSize; ++i)
        ASSERT_EQ(t[i], i);

    t.Gamma(2.0, 0.0, 1.0);
    EXPECT_EQ(t[1], 0);
    EXPECT_EQ(t[16], 1);
    EXPECT_EQ(t[128], 64);
    EXPECT_EQ(t[200], 156);
    EXPECT_EQ(t[255], 255);

    // 255^(1/9) * s lands just below 255 and truncates to 254.
    t.Gamma(1.0 / 9.0, 0.0, 1.0);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[1], 137);
    EXPECT_EQ(t[16], 187);
    EXPECT_EQ(t[128], 236);
    EXPECT_EQ(t[255], 254);

    MathTbl kept;
    kept.Gamma(-0.5, 0.0, 1.0);
    EXPECT_EQ(kept[77], 77);
}

TEST(MathTbl, ArcCurves)
{
    MathTbl t;
    t.Arc(0.5, 0.0, 1.0);
    const int inputs[] = {0, 64, 126, 127, 128, 192, 255};
    const int expected[] = {0, 17, 108, 127, 138, 238, 255};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(t[inputs[k]], expected[k]) << inputs[k];

    t.Arc(0.0, 0.0, 1.0); // one convex quarter circle
    EXPECT_EQ(t[1], 22);
    EXPECT_EQ(t[64], 168);
    EXPECT_EQ(t[128], 221);
    t.Arc(1.0, 0.0, 1.0); // one concave quarter circle, top reached at 255
    EXPECT_EQ(t[128], 34);
    EXPECT_EQ(t[254], 232);
    EXPECT_EQ(t[255], 255);
}

TEST(MathTbl, SmoothKeepsEndsAndBlursAStep)
{
    MathTbl step;
    for (int i = 0; i < MathTbl::kSize; ++i)
        step[i] = i < 128 ? 0 : 255;
    MathTbl copy = step;
    copy.Smooth(0);
    for (int i = 0; i < MathTbl::kSize; ++i)
        ASSERT_EQ(copy[i], step[i]);

    MathTbl once = step;
    once.Smooth(1);
    const int expected1[] = {0, 0, 28, 85, 170, 226, 255, 255};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(once[124 + k], expected1[k]) << 124 + k;

    MathTbl ten = step;
    ten.Smooth(10);
    const int expected10[] = {4, 9, 16, 27, 43, 63, 87, 113, 141, 167, 191, 211, 227, 238, 245, 250};
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(ten[120 + k], expected10[k]) << 120 + k;

    MathTbl ends;
    ends[0] = 200;
    ends[255] = 10;
    ends.Smooth(5);
    EXPECT_EQ(ends[0], 200);
    EXPECT_EQ(ends[255], 10);
}
