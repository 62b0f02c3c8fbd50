// Loading the filter area into the bitmaps and writing it back, with the
// host core serving padded strips of a few rows.
#include "HostExchange.h"

#include "PluginTestSupport.h"

namespace {

using namespace plugin_test;

constexpr int32_t kStripRows = 3;

struct Bitmaps {
    DibEx colour{1};
    DibEx alpha{1};
    Bitmaps(int32_t width, int32_t height) {
        colour.Setup(width, height, 24);
        alpha.Setup(width, height, 8);
    }
    uint8_t Alpha(int32_t x, int32_t line) { return alpha.CommitLine(line)[x]; }
};

HostExchangeLoadSt Load(FilterHost& host, Bitmaps& bitmaps) {
    DirectStrips strips(host);
    HostExchangeLoadSt loaded;
    EXPECT_TRUE(HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded));
    strips.Finish();
    return loaded;
}

void Save(FilterHost& host, Bitmaps& bitmaps, bool eraseOutside) {
    DirectStrips strips(host);
    EXPECT_TRUE(HostExchange_Save(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, eraseOutside));
    strips.Finish();
    EXPECT_EQ(host.Stats().paddingWrites, 0);
}

TEST(HostExchangeLoad, BackgroundLayerIsWholeObjectWithColoursBottomUp) {
    const HostImageSt image = PatternImage(9, 7, 3);
    FilterHost host(image, {});
    Bitmaps bitmaps(9, 7);
    const HostExchangeLoadSt loaded = Load(host, bitmaps);
    EXPECT_TRUE(loaded.wholeImage);
    EXPECT_EQ(loaded.objectRect, CMacRect(0, 0, 9, 7));
    EXPECT_GT(host.Stats().strips, 2);
    for (int32_t y = 0; y < 7; ++y) {
        const uint8_t* line = bitmaps.colour.CommitLine(6 - y);
        for (int32_t x = 0; x < 9; ++x) {
            EXPECT_EQ(line[x * 3 + 0], image.Pixel(x, y)[2]);
            EXPECT_EQ(line[x * 3 + 2], image.Pixel(x, y)[0]);
            EXPECT_EQ(bitmaps.Alpha(x, 6 - y), 255);
        }
    }
}

TEST(HostExchangeLoad, PartOfTheImageIsNoWholeImage) {
    FilterHost host(PatternImage(9, 7, 3), {});
    host.SetFilterRect({1, 2, 6, 8});
    Bitmaps bitmaps(6, 5);
    const HostExchangeLoadSt loaded = Load(host, bitmaps);
    EXPECT_FALSE(loaded.wholeImage);
    EXPECT_EQ(loaded.objectRect, CMacRect(0, 0, 6, 5));
    // Host pixel (2, 1) is the first of the area, on the top line.
    EXPECT_EQ(bitmaps.colour.CommitLine(4)[2], host.Image().Pixel(2, 1)[0]);
}

TEST(HostExchangeLoad, SelectionWinsOverTransparencyAndGivesTheBox) {
    HostImageSt image = PatternImage(10, 8, 4);
    SetAlpha(image, 255);
    std::vector<uint8_t> selection(10 * 8, 0);
    selection[2 * 10 + 3] = 77;   // host (3, 2): line 5
    selection[6 * 10 + 7] = 200;  // host (7, 6): line 1
    FilterHost host(image, selection);
    Bitmaps bitmaps(10, 8);
    const HostExchangeLoadSt loaded = Load(host, bitmaps);
    EXPECT_FALSE(loaded.wholeImage);
    EXPECT_EQ(loaded.objectRect, CMacRect(3, 1, 8, 6));
    EXPECT_EQ(bitmaps.Alpha(3, 5), 77);
    EXPECT_EQ(bitmaps.Alpha(7, 1), 200);
    EXPECT_EQ(bitmaps.Alpha(0, 0), 0);
}

TEST(HostExchangeLoad, TransparencyPlaneBecomesAlphaAndBoxIsRelativeToTheArea) {
    HostImageSt image = PatternImage(12, 10, 4);
    SetAlpha(image, 0);
    image.Pixel(5, 3)[3] = 90;
    image.Pixel(8, 4)[3] = 255;
    FilterHost host(image, {});
    host.SetFilterRect({2, 4, 10, 12});  // 8 columns from x = 4, 8 rows from y = 2
    Bitmaps bitmaps(8, 8);
    const HostExchangeLoadSt loaded = Load(host, bitmaps);
    // (5, 3) -> column 1, line 8 - 1 - 1 = 6; (8, 4) -> column 4, line 5.
    EXPECT_EQ(loaded.objectRect, CMacRect(1, 5, 5, 7));
    EXPECT_EQ(bitmaps.Alpha(1, 6), 90);
    EXPECT_EQ(bitmaps.Alpha(4, 5), 255);
}

TEST(HostExchangeLoad, OnePixelHoleIsFilledTwoPixelHoleIsNot) {
    HostImageSt image = PatternImage(12, 8, 4);
    SetAlpha(image, 120);
    image.Pixel(3, 3)[3] = 0;  // alone
    image.Pixel(8, 4)[3] = 0;  // a pair
    image.Pixel(9, 4)[3] = 0;
    FilterHost host(image, {});
    Bitmaps bitmaps(12, 8);
    Load(host, bitmaps);
    EXPECT_EQ(bitmaps.Alpha(3, 7 - 3), 255);
    EXPECT_EQ(bitmaps.Alpha(8, 7 - 4), 0);
    EXPECT_EQ(bitmaps.Alpha(9, 7 - 4), 0);
    // Interior pixels become opaque; an edge pixel keeps its value, its
    // missing neighbour being itself only where it is non-zero.
    EXPECT_EQ(bitmaps.Alpha(5, 2), 255);
    EXPECT_EQ(bitmaps.Alpha(0, 2), 255);
}

TEST(HostExchangeLoad, LayerWithoutAlphaHasAnEmptyObject) {
    HostImageSt image = PatternImage(6, 5, 4);
    SetAlpha(image, 0);
    FilterHost host(image, {});
    Bitmaps bitmaps(6, 5);
    EXPECT_TRUE(Load(host, bitmaps).objectRect.IsRectEmpty());
}

TEST(HostExchangeLoad, RefusesBitmapsOfAnotherSize) {
    FilterHost host(PatternImage(6, 5, 3), {});
    Bitmaps bitmaps(6, 4);
    DirectStrips strips(host);
    HostExchangeLoadSt loaded;
    EXPECT_FALSE(HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded));
    EXPECT_EQ(host.Stats().strips, 0);
}

TEST(HostExchangeLoad, FailingAdvanceStateStops) {
    FilterHost host(PatternImage(6, 5, 3), {});
    Bitmaps bitmaps(6, 5);
    DirectStrips strips(host);
    host.Record().advanceState = [] { return HostErr{-1}; };
    HostExchangeLoadSt loaded;
    EXPECT_FALSE(HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded));
}

FilterHost* shortRowsHost = nullptr;

TEST(HostExchangeLoad, RefusesRowsShorterThanThePixels) {
    FilterHost host(PatternImage(6, 5, 3), {});
    Bitmaps bitmaps(6, 5);
    DirectStrips strips(host);
    shortRowsHost = &host;
    host.Record().advanceState = [] {
        const HostErr status = shortRowsHost->AdvanceState();
        shortRowsHost->Record().inRowBytes = 6 * 3 - 1;
        return status;
    };
    HostExchangeLoadSt loaded;
    EXPECT_FALSE(HostExchange_Load(host.Record(), kStripRows, bitmaps.colour, bitmaps.alpha, loaded));
}

// The rendered colour of bitmap pixel (x, line): red, green, blue.
void PaintColour(Bitmaps& bitmaps, int32_t width, int32_t height) {
    for (int32_t line = 0; line < height; ++line) {
        uint8_t* bgr = bitmaps.colour.CommitLine(line);
        uint8_t* a = bitmaps.alpha.CommitLine(line);
        for (int32_t x = 0; x < width; ++x) {
            bgr[x * 3 + 2] = static_cast<uint8_t>(255 - x * 11);
            bgr[x * 3 + 1] = static_cast<uint8_t>(line * 29);
            bgr[x * 3 + 0] = static_cast<uint8_t>(x * line * 5);
            a[x] = static_cast<uint8_t>((x * 37 + line * 53) % 256);
        }
    }
}

int DirectBlend(int in, int c, int a) { return in + ((c - in) * a) / 255; }

TEST(HostExchangeSave, BlendsToTheByteThroughPaddedStrips) {
    const HostImageSt before = PatternImage(11, 9, 3);
    FilterHost host(before, {});
    ASSERT_GT(host.RowPadding(), 0);
    Bitmaps bitmaps(11, 9);
    PaintColour(bitmaps, 11, 9);
    Save(host, bitmaps, false);
    for (int32_t y = 0; y < 9; ++y) {
        const int32_t line = 8 - y;
        const uint8_t* bgr = bitmaps.colour.CommitLine(line);
        for (int32_t x = 0; x < 11; ++x) {
            const int a = bitmaps.Alpha(x, line);
            const uint8_t* in = before.Pixel(x, y);
            const uint8_t* out = host.Image().Pixel(x, y);
            ASSERT_EQ(out[0], DirectBlend(in[0], bgr[x * 3 + 2], a)) << x << "," << y;
            ASSERT_EQ(out[1], DirectBlend(in[1], bgr[x * 3 + 1], a)) << x << "," << y;
            ASSERT_EQ(out[2], DirectBlend(in[2], bgr[x * 3 + 0], a)) << x << "," << y;
        }
    }
}

TEST(HostExchangeSave, NegativeDifferenceTruncatesTowardZero) {
    // in 200, c 0, a 1: 200 + (-200 * 1) / 255 = 200 (not 199).
    HostImageSt image = HostImage_Make(1, 1, 3);
    image.Pixel(0, 0)[0] = 200;
    FilterHost host(image, {});
    Bitmaps bitmaps(1, 1);
    bitmaps.alpha.CommitLine(0)[0] = 1;
    Save(host, bitmaps, false);
    EXPECT_EQ(host.Image().Pixel(0, 0)[0], 200);
}

TEST(HostExchangeSave, TransparencyRules) {
    HostImageSt image = PatternImage(5, 1, 4);
    const uint8_t oldAlpha[5] = {100, 200, 100, 60, 30};
    for (int x = 0; x < 5; ++x) image.Pixel(x, 0)[3] = oldAlpha[x];
    const HostImageSt before = image;
    FilterHost host(image, {});
    Bitmaps bitmaps(5, 1);
    bitmaps.colour.Fill(10, 20, 30);
    const uint8_t alpha[5] = {128, 128, 255, 0, 0};
    std::memcpy(bitmaps.alpha.CommitLine(0), alpha, 5);
    bitmaps.alpha.Decommit();
    Save(host, bitmaps, false);
    const HostImageSt& after = host.Image();
    EXPECT_EQ(after.Pixel(0, 0)[3], 128);  // max(100, 128)
    EXPECT_EQ(after.Pixel(1, 0)[3], 200);  // max(200, 128)
    EXPECT_EQ(after.Pixel(0, 0)[0], DirectBlend(before.Pixel(0, 0)[0], 10, 128));
    EXPECT_EQ(after.Pixel(2, 0)[3], 255);
    EXPECT_EQ(after.Pixel(2, 0)[0], 10);
    EXPECT_EQ(after.Pixel(2, 0)[2], 30);
    for (int x = 3; x < 5; ++x)
        EXPECT_EQ(std::memcmp(after.Pixel(x, 0), before.Pixel(x, 0), 4), 0) << x;
}

TEST(HostExchangeSave, EraseOutsideClearsOnlyTransparencyWhereAlphaIsZero) {
    HostImageSt image = PatternImage(4, 2, 4);
    SetAlpha(image, 255);
    const HostImageSt before = image;
    FilterHost host(image, {});
    Bitmaps bitmaps(4, 2);
    bitmaps.colour.Fill(1, 2, 3);
    bitmaps.alpha.CommitLine(1)[0] = 255;  // host (0, 0)
    bitmaps.alpha.Decommit();
    Save(host, bitmaps, true);
    EXPECT_EQ(host.Image().Pixel(0, 0)[3], 255);
    EXPECT_EQ(host.Image().Pixel(0, 0)[0], 1);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = (y == 0 ? 1 : 0); x < 4; ++x) {
            EXPECT_EQ(host.Image().Pixel(x, y)[3], 0);
            EXPECT_EQ(std::memcmp(host.Image().Pixel(x, y), before.Pixel(x, y), 3), 0);
        }
}

TEST(HostExchangeSave, FourPlanesWithoutTransparencyTakeColourAndAlpha) {
    HostImageSt image = PatternImage(2, 1, 4);
    FilterHost host(image, {});
    host.Record().inTransparencyMask = 0;
    Bitmaps bitmaps(2, 1);
    bitmaps.colour.Fill(40, 50, 60);
    bitmaps.alpha.CommitLine(0)[1] = 90;
    bitmaps.alpha.Decommit();
    Save(host, bitmaps, true);
    EXPECT_EQ(std::memcmp(host.Image().Pixel(0, 0), image.Pixel(0, 0), 4), 0);
    const uint8_t expected[4] = {40, 50, 60, 90};
    EXPECT_EQ(std::memcmp(host.Image().Pixel(1, 0), expected, 4), 0);
}

}  // namespace
