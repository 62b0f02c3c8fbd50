// Loading the filter area into the bitmaps and writing it back, with the
// host core serving padded strips of a few rows.
#include "HostExchange.h"

#include <array>

#include "PluginTestSupport.h"

namespace {

using namespace plugin_test;

constexpr int32_t kStripRows = 3;
using Pixels = std::vector<std::array<int, 3>>;  // x (or column), y (or line), value

struct Bitmaps {
    DibEx colour{1};
    DibEx alpha{1};
    Bitmaps(int32_t width, int32_t height) {
        colour.Setup(width, height, 24);
        alpha.Setup(width, height, 8);
    }
    uint8_t Alpha(int32_t x, int32_t line) { return alpha.CommitLine(line)[x]; }
};

bool Load(FilterHost& host, Bitmaps& bitmaps, HostExchangeLoadSt& loaded) {
    DirectStrips strips(host);
    const bool done = HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded);
    strips.Finish();
    return done;
}

void Save(FilterHost& host, Bitmaps& bitmaps, bool eraseOutside) {
    DirectStrips strips(host);
    EXPECT_TRUE(HostExchange_Save(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, eraseOutside));
    strips.Finish();
    EXPECT_EQ(host.Stats().paddingWrites, 0);
}

// A 12 x 8 layer read through strips: the colours land bottom-up in blue,
// green, red order, the alpha comes from the selection or else the
// transparency plane, and the object's box is relative to the area.
TEST(HostExchangeLoad, ColoursAlphaAndObjectBox) {
    const struct {
        const char* name;
        int16_t planes;
        uint8_t transparency;  // of every pixel but alphaPixels
        Pixels alphaPixels;
        Pixels selection;  // of a selection otherwise 0; none when empty
        HostRect area;     // top, left, bottom, right; empty: the image
        bool whole;
        CMacRect box;
        Pixels expected;  // column, line, alpha
    } cases[] = {
        {"background layer", 3, 0, {}, {}, {}, true, {0, 0, 12, 8}, {{0, 0, 255}, {11, 7, 255}}},
        {"part of the image", 3, 0, {}, {}, {1, 2, 6, 8}, false, {0, 0, 6, 5}, {{0, 4, 255}}},
        {"selection wins", 4, 255, {}, {{3, 2, 77}, {7, 6, 200}}, {}, false, {3, 1, 8, 6},
         {{3, 5, 77}, {7, 1, 200}, {0, 0, 0}}},
        {"transparency in an area", 4, 0, {{5, 3, 90}, {8, 4, 255}}, {}, {1, 4, 8, 12}, false, {1, 3, 5, 5},
         {{1, 4, 90}, {4, 3, 255}, {0, 0, 0}}},
        // A one-pixel hole is filled, a two-pixel one is not; interior
        // pixels become opaque, and so does an edge pixel whose missing
        // neighbour counts as itself.
        {"holes", 4, 120, {{3, 3, 0}, {8, 4, 0}, {9, 4, 0}}, {}, {}, false, {0, 0, 12, 8},
         {{3, 4, 255}, {8, 3, 0}, {9, 3, 0}, {5, 2, 255}, {0, 2, 255}}},
        {"nothing opaque", 4, 0, {}, {}, {}, false, {}, {{5, 5, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostImageSt image = PatternImage(12, 8, c.planes);
        if (c.planes == 4) SetAlpha(image, c.transparency);
        for (const auto& [x, y, value] : c.alphaPixels) image.Pixel(x, y)[3] = static_cast<uint8_t>(value);
        std::vector<uint8_t> selection(c.selection.empty() ? 0 : 12 * 8, 0);
        for (const auto& [x, y, value] : c.selection) selection[std::size_t(y * 12 + x)] = static_cast<uint8_t>(value);
        FilterHost host(image, selection);
        const bool wholeArea = c.area.bottom == 0;
        if (!wholeArea) host.SetFilterRect(c.area);
        const HostRect area = wholeArea ? HostRect{0, 0, 8, 12} : c.area;
        const int32_t width = area.right - area.left, height = area.bottom - area.top;
        Bitmaps bitmaps(width, height);
        HostExchangeLoadSt loaded;
        ASSERT_TRUE(Load(host, bitmaps, loaded));
        EXPECT_GT(host.Stats().strips, 1);
        EXPECT_EQ(loaded.wholeImage, c.whole);
        if (c.box.IsRectEmpty()) {
            EXPECT_TRUE(loaded.objectRect.IsRectEmpty());
        } else {
            EXPECT_EQ(loaded.objectRect, c.box);
        }
        for (const auto& [x, line, value] : c.expected) EXPECT_EQ(bitmaps.Alpha(x, line), value) << x << "," << line;
        for (int32_t line = 0; line < height; ++line)
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* rgb = image.Pixel(area.left + x, area.top + height - 1 - line);
                const uint8_t* bgr = bitmaps.colour.CommitLine(line) + x * 3;
                ASSERT_EQ(std::vector<int>(bgr, bgr + 3), (std::vector<int>{rgb[2], rgb[1], rgb[0]})) << x << "," << line;
            }
    }
}

TEST(HostExchangeLoad, RefusesWhatItCannotRead) {
    const struct {
        const char* name;
        int32_t bitmapHeight;
        HostErr (*advanceState)();
    } cases[] = {
        {"bitmaps of another size", 4, nullptr},
        {"failing advanceState", 5, [] { return HostErr{-1}; }},
        {"rows shorter than the pixels", 5,
         [] {
             const HostErr status = DirectStrips::Current().AdvanceState();
             DirectStrips::Current().Record().inRowBytes = 6 * 3 - 1;
             return status;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterHost host(PatternImage(6, 5, 3), {});
        Bitmaps bitmaps(6, c.bitmapHeight);
        DirectStrips strips(host);
        if (c.advanceState != nullptr) host.Record().advanceState = c.advanceState;
        HostExchangeLoadSt loaded;
        EXPECT_FALSE(HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded));
        if (c.advanceState == nullptr) {
            EXPECT_EQ(host.Stats().strips, 0);
        }
    }
}

int DirectBlend(int in, int c, int a) { return in + ((c - in) * a) / 255; }

// One row of five pixels painted (10, 20, 30) with the given alpha, blended
// into the pattern with differences of both signs truncated toward zero: the
// transparency plane keeps the larger alpha and loses the pixels of alpha 0
// with eraseOutside; four planes without one take the colours and alpha.
TEST(HostExchangeSave, TransparencyRules) {
    const struct {
        const char* name;
        bool transparency;
        bool erase;
        std::array<uint8_t, 5> oldAlpha, alpha, expectedAlpha;
    } cases[] = {
        {"larger alpha", true, false, {100, 200, 100, 60, 30}, {128, 128, 255, 0, 0}, {128, 200, 255, 60, 30}},
        {"erase outside", true, true, {255, 255, 255, 255, 40}, {255, 0, 0, 128, 0}, {255, 0, 0, 255, 0}},
        {"no transparency plane", false, true, {100, 200, 100, 60, 30}, {0, 90, 255, 0, 1}, {100, 90, 255, 60, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostImageSt before = PatternImage(5, 1, 4);
        for (int x = 0; x < 5; ++x) before.Pixel(x, 0)[3] = c.oldAlpha[std::size_t(x)];
        FilterHost host(before, {});
        if (!c.transparency) host.Record().inTransparencyMask = 0;
        Bitmaps bitmaps(5, 1);
        bitmaps.colour.Fill(10, 20, 30);
        std::memcpy(bitmaps.alpha.CommitLine(0), c.alpha.data(), 5);
        bitmaps.alpha.Decommit();
        Save(host, bitmaps, c.erase);
        for (int x = 0; x < 5; ++x) {
            const uint8_t* in = before.Pixel(x, 0);
            const uint8_t* out = host.Image().Pixel(x, 0);
            const int a = c.alpha[std::size_t(x)];
            EXPECT_EQ(out[3], c.expectedAlpha[std::size_t(x)]) << x;
            for (int p = 0; p < 3; ++p) {
                const int painted = 10 * (p + 1);
                const int expected = c.transparency ? DirectBlend(in[p], painted, a) : (a == 0 ? in[p] : painted);
                EXPECT_EQ(out[p], expected) << x << "," << p;
            }
        }
    }
}

}  // namespace
