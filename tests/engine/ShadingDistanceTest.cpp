// The distance field and the bevel profile.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "EngineTestShapes.h"

namespace {

// Distances in 1/256 pixel: a pixel fully inside one step from the outside
// holds 256, the centre of a disc of radius 100 holds 25577, and nothing
// goes beyond the cap of 2500 pixels.
TEST(CreateDistance, MapValuesAndMaximum) {
    const auto none = [](int32_t, int32_t) { return 0; };
    const auto line = [](int32_t x, int32_t y) { return y == 4 && x >= 5 && x < 35 ? 255 : 0; };
    const auto partial = [](int32_t x, int32_t y) {
        if (x < 2 || x > 9 || y < 2 || y > 9) return 0;
        return x == 2 ? 128 : 255;
    };
    const auto big = [](int32_t x, int32_t y) { return x > 0 && y > 0 && x < 5299 && y < 5299 ? 255 : 0; };
    struct Probe {
        int32_t x, y, value;
    };
    std::vector<Probe> onLine;
    for (int32_t x = 5; x < 35; ++x) onLine.push_back({x, 4, 256});
    const struct {
        const char* name;
        int32_t width, height;
        std::function<int(int32_t, int32_t)> coverage;
        bool wholeRect;  // the object rectangle is the whole image
        std::vector<Probe> probes;
        int32_t maxDistance;  // -1: not checked
    } cases[] = {
        {"disc", 221, 221, Disc(110, 110, 100), true, {{110, 110, 25577}, {5, 5, 0}, {110, 10, 256}}, 25577},
        {"one-pixel line keeps its coverage", 40, 9, line, false, onLine, 256},
        // Partial coverage is scaled; the next pixel is one step further
        // from the partial neighbour.
        {"partial coverage", 12, 12, partial, false, {{2, 5, 128 * 256 / 255}, {3, 5, 128 * 256 / 255 + 256}}, -1},
        {"empty mask", 10, 10, none, true, {}, 1},
        {"cap", 5300, 5300, big, false, {{2650, 2650, 640000}}, ShadingBase::kMaxDistance},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        TestScene s;
        MakeScene(s, k.width, k.height, k.coverage);
        if (k.wholeRect) s.block.objectRect = CMacRect(0, 0, k.width, k.height);
        ShadingBase engine;
        EXPECT_EQ(engine.CreateDistance(&s.block, 0, 100), 1);
        for (const Probe& p : k.probes)
            EXPECT_EQ(MapAt(engine.DistanceMap(), s.block, p.x, p.y), p.value) << p.x << "," << p.y;
        if (k.maxDistance >= 0) {
            EXPECT_EQ(engine.GetMaxDistance(), k.maxDistance);
        }
    }
}

TEST(MakeBevel, ProfileArcsAndReverse) {
    TestScene s;
    MakeScene(s, 60, 60, Disc(30, 30, 25));
    ShadingBase engine;
    s.block.pMbp = 40;
    s.block.pMbw = 100;
    s.block.standardSize = 50;
    engine.CreateDistance(&s.block, 0, 100);
    engine.FuncBevel(&s.block, 0, 100);
    engine.MakeBevel(&s.block, 0, 100);
    const int32_t L = engine.GetProfileLength();
    const int32_t* profile = engine.BevelProfile();
    ASSERT_EQ(L, 6058);
    EXPECT_EQ(profile[0], 0);
    // A concave quarter arc up to the knee, then a convex one up to L.
    const struct { int32_t at, height; } arcs[] = {{757, 132}, {2271, 2666}, {3785, 5305}, {5299, 5981}};
    for (const auto& p : arcs) EXPECT_EQ(profile[p.at], p.height) << p.at;
    EXPECT_EQ(profile[L], L);

    ShadingBase reversed;
    s.block.pMbr = 1;
    // The mask is unchanged by the stages so far; run them again.
    reversed.CreateDistance(&s.block, 0, 100);
    reversed.FuncBevel(&s.block, 0, 100);
    reversed.MakeBevel(&s.block, 0, 100);
    for (int32_t i = 0; i <= L; i += 37) EXPECT_EQ(reversed.BevelProfile()[i], L - profile[i]) << i;
    // The rim pixel rises near L, the outside stays 0.
    EXPECT_GT(MapAt(reversed.HeightMap(), s.block, 30, 5), L / 2);
    EXPECT_EQ(MapAt(reversed.HeightMap(), s.block, 1, 1), 0);
}

TEST(FuncAlpha, ShortProfileIsNotReadPastItsEnd) {
    // A tiny object: the profile is far shorter than 256 entries.
    TestScene s;
    MakeScene(s, 8, 8, [](int32_t x, int32_t y) { return x >= 2 && x < 6 && y >= 2 && y < 6 ? 255 : 0; });
    ShadingBase engine;
    s.block.pMle = 20;
    engine.CreateDistance(&s.block, 0, 100);
    engine.FuncBevel(&s.block, 0, 100);
    engine.MakeBevel(&s.block, 0, 100);
    ASSERT_LT(engine.BevelProfileCount(), 257);
    s.block.pMba = 100;
    EXPECT_EQ(engine.FuncAlpha(&s.block, 0, 100), 1);
    const int32_t top = std::max(engine.BevelProfile()[engine.GetProfileLength()], 256);
    const int32_t h = MapAt(engine.HeightMap(), s.block, 3, 3);
    EXPECT_EQ(*s.mask.CommitLine(3, 3), h < top ? h * 256 / top : 255);
}

}  // namespace
