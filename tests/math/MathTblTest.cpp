#include "MathTbl.h"

#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// Expected entries were computed independently in python3 from the curve
// formulas (double arithmetic, half-up rounding, truncation where stated).

namespace {

using Samples = std::vector<std::pair<int, int>>; // input, expected entry
using Curve = std::function<void(MathTbl&)>;
int Identity(int i) { return i; }

Curve Sigmoid(double gain, double mid, double low, double high)
{
    return [=](MathTbl& t) { t.Sigmoid(gain, mid, low, high); };
}
Curve Gamma(double gamma) { return [=](MathTbl& t) { t.Gamma(gamma, 0.0, 1.0); }; }
Curve Arc(double bend) { return [=](MathTbl& t) { t.Arc(bend, 0.0, 1.0); }; }

} // namespace

TEST(MathTbl, Curves)
{
    const struct {
        const char* name;
        Curve make;
        Samples samples;
        std::function<int(int)> whole = nullptr; // every entry, where given
    } cases[] = {
        {"new table", [](MathTbl&) {}, {}, Identity},
        {"edge sigmoid", Sigmoid(0.05, 0.2, 0.0, 1.0), {{0, 0}, {25, 39}, {51, 118}, {100, 233}, {255, 255}}},
        // Falls from 255 to 76.5, which rounds up to 77.
        {"solarization", Sigmoid(0.01, 1.0, 1.0, 0.3), {{0, 255}, {64, 231}, {128, 194}, {192, 140}, {255, 77}}},
        {"inverse", Sigmoid(-0.05, 0.5, 0.0, 1.0), {{0, 0}, {1, 24}, {128, 128}, {200, 153}, {254, 231}, {255, 255}}},
        {"gain below the threshold", Sigmoid(0.0005, 0.3, 0.0, 1.0), {}, Identity},
        {"gain 0 is a line, truncated", Sigmoid(0.0, 0.5, 0.2, 0.8), {{0, 51}, {100, 111}, {255, 204}}},
        {"flat range", Sigmoid(0.05, 0.5, 0.5, 0.5), {}, [](int) { return 127; }},
        {"flat range clamps", Sigmoid(0.05, 0.5, 2.0, 2.0), {{7, 255}}},
        {"line beyond both ends clamps", Sigmoid(0.0, 0.5, -1.0, 3.0), {{0, 0}, {255, 255}}},
        {"gamma 1 after a curve",
         [](MathTbl& t) {
             t.Sigmoid(0.1, 0.5, 0.0, 1.0);
             t.Gamma(1.0, 0.0, 1.0);
         },
         {}, Identity},
        {"gamma 2", Gamma(2.0), {{1, 0}, {16, 1}, {128, 64}, {200, 156}, {255, 255}}},
        // 255^(1/9) * s lands just below 255 and truncates to 254.
        {"gamma 1/9", Gamma(1.0 / 9.0), {{0, 0}, {1, 137}, {16, 187}, {128, 236}, {255, 254}}},
        {"gamma below 0 keeps the table", Gamma(-0.5), {}, Identity},
        {"arc 0.5", Arc(0.5), {{0, 0}, {64, 17}, {126, 108}, {127, 127}, {128, 138}, {192, 238}, {255, 255}}},
        {"convex quarter circle", Arc(0.0), {{1, 22}, {64, 168}, {128, 221}}},
        {"concave quarter circle", Arc(1.0), {{128, 34}, {254, 232}, {255, 255}}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        MathTbl t;
        k.make(t);
        for (const auto& [in, out] : k.samples)
            EXPECT_EQ(t[in], out) << "at " << in;
        for (int i = 0; k.whole && i < MathTbl::kSize; ++i)
            ASSERT_EQ(t[i], k.whole(i)) << "at " << i;
    }
}

TEST(MathTbl, SmoothKeepsEndsAndBlursAStep)
{
    MathTbl step;
    for (int i = 0; i < MathTbl::kSize; ++i)
        step[i] = i < 128 ? 0 : 255;
    const struct { int times, from; std::vector<int> expected; } cases[] = {
        {0, 126, {0, 0, 255, 255}},
        {1, 124, {0, 0, 28, 85, 170, 226, 255, 255}},
        {10, 120, {4, 9, 16, 27, 43, 63, 87, 113, 141, 167, 191, 211, 227, 238, 245, 250}},
    };
    for (const auto& k : cases) {
        MathTbl t = step;
        t.Smooth(k.times);
        for (size_t j = 0; j < k.expected.size(); ++j)
            EXPECT_EQ(t[k.from + static_cast<int>(j)], k.expected[j]) << k.times << " times at " << k.from + j;
    }
    MathTbl ends;
    ends[0] = 200;
    ends[255] = 10;
    ends.Smooth(5);
    EXPECT_EQ(ends[0], 200);
    EXPECT_EQ(ends[255], 10);
}
