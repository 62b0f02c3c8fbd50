// The real plug-in library through the host core: selectors, globals, the
// parameter block, strip heights, silent runs and their failures.
#include "PluginTestSupport.h"
#include "ScopedNoDisplay.h"

namespace {

using namespace plugin_test;

HostParamBlock Block(const FilterHost& host) { return BlockFromBytes(host.Parameters()); }

void StartFrom(FilterHost& host, const ShadeParams& params) { host.SetParameters(BlockBytes(BlockOf(params))); }

ShadeParams NoShadows() {
    ShadeParams params = DefaultParams();
    params.ShadowEnableMain = params.ShadowEnableSub = 0;
    return params;
}

bool SameImage(const HostImageSt& a, const HostImageSt& b) { return a.pixels == b.pixels; }

using PluginEntry = PluginTest;

TEST_F(PluginEntry, UnknownSelectorOnlyMakesTheGlobals) {
    FilterHost host(PatternImage(8, 8, 3), {});
    const int32_t maxSpace = host.Record().maxSpace;
    EXPECT_EQ(host.Call(Entry(), 7), 0);
    EXPECT_EQ(host.Stats().strips, 0);
    EXPECT_EQ(host.Record().maxSpace, maxSpace);
    // New globals validate the parameters: a fresh block.
    const HostParamBlock block = Block(host);
    EXPECT_EQ(block.StripRows, 1);
    EXPECT_EQ(block.ShowDialog, 0);
    EXPECT_EQ(block.texturePath[0], 0);
}

TEST_F(PluginEntry, ParametersSelectorAsksForTheDialog) {
    FilterHost host(PatternImage(8, 8, 3), {});
    EXPECT_EQ(host.Call(Entry(), kSelectorParameters), 0);
    EXPECT_EQ(Block(host).ShowDialog, 1);
}

TEST_F(PluginEntry, DialogWithoutDisplayLeavesLayerAndEntriesUnchanged) {
    const morvanel_test::ScopedNoDisplay noDisplay;
    const HostImageSt image = PatternImage(16, 12, 4);
    FilterHost host(image, {});
    ShadeParams params = DefaultParams();
    params.Height = 33;
    StartFrom(host, params);
    const HostParamBlock before = Block(host);
    host.ClearRecordedDescriptor(kPlayDialogDisplay);
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.RunFilter(Entry(), true), kResultUserCanceled);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Morvanel: No display is available"), std::string::npos);
    EXPECT_TRUE(SameImage(host.Image(), image));
    const HostParamBlock after = Block(host);
    EXPECT_EQ(std::memcmp(&before, &after, offsetof(HostParamBlock, ShowDialog)), 0);
    EXPECT_EQ(after.ShowDialog, 0);
}

TEST_F(PluginEntry, SilentRunShadesTheObjectAndEndsTheRequest) {
    HostImageSt image = PatternImage(40, 30, 4);
    SetAlpha(image, 0);
    for (int32_t y = 8; y < 22; ++y)
        for (int32_t x = 10; x < 30; ++x) image.Pixel(x, y)[3] = 255;
    FilterHost host(image, {});
    host.SetMaxSpace(4000);
    StartFrom(host, NoShadows());
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(host.RunFilter(Entry(), false), 0);
    EXPECT_FALSE(SameImage(host.Image(), image));
    EXPECT_EQ(host.Image().Pixel(0, 0)[3], 0);
    EXPECT_EQ(std::memcmp(host.Image().Pixel(0, 0), image.Pixel(0, 0), 4), 0);
    EXPECT_GT(host.Stats().strips, 4);
    EXPECT_EQ(host.Stats().paddingWrites, 0);
    EXPECT_EQ(host.Record().inRect.bottom, 0);
}

TEST_F(PluginEntry, StripRowsGrowFromTheStoredValueInStepsOfTen) {
    // Row cost 10 + 2 * 3 * 10 = 70 bytes.
    FilterHost small(PatternImage(10, 50, 3), {});
    StartFrom(small, NoShadows());
    EXPECT_EQ(small.Call(Entry(), kSelectorPrepare), 0);
    EXPECT_EQ(Block(small).StripRows, 50);

    // A tenth of 50000 is 5000: from 50 the height stops at 80 (70 * 80 >=
    // 5000); a new block counting from 1 would stop at 81.
    FilterHost tall(PatternImage(10, 200, 3), {});
    tall.SetParameters(small.Parameters());
    tall.SetMaxSpace(50000);
    tall.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(tall.RunFilter(Entry(), false), 0);
    EXPECT_EQ(Block(tall).StripRows, 80);
    EXPECT_EQ(tall.Record().maxSpace, 80 * 70);
    EXPECT_EQ(tall.Stats().maxStripRows, 80);

    FilterHost fresh(PatternImage(10, 200, 3), {});
    StartFrom(fresh, NoShadows());
    fresh.SetMaxSpace(50000);
    EXPECT_EQ(fresh.Call(Entry(), kSelectorPrepare), 0);
    EXPECT_EQ(Block(fresh).StripRows, 81);
}

TEST_F(PluginEntry, LayerWithoutAlphaIsWrittenBackUnchanged) {
    // An opaque layer whose selection is empty: with EraseOutside the
    // whole layer would otherwise be erased.
    HostImageSt image = PatternImage(20, 16, 4);
    SetAlpha(image, 255);
    FilterHost host(image, std::vector<uint8_t>(20 * 16, 0));
    ShadeParams params = NoShadows();
    params.EraseOutside = 1;
    StartFrom(host, params);
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(host.RunFilter(Entry(), false), 0);
    EXPECT_TRUE(SameImage(host.Image(), image));
}

TEST_F(PluginEntry, EraseOutsideClearsTransparencyOutsideTheSelection) {
    HostImageSt image = PatternImage(40, 30, 4);
    SetAlpha(image, 255);
    std::vector<uint8_t> selection(40 * 30, 0);
    for (int32_t y = 10; y < 20; ++y)
        for (int32_t x = 15; x < 25; ++x) selection[std::size_t(y) * 40 + x] = 255;
    for (int erase = 0; erase <= 1; ++erase) {
        FilterHost host(image, selection);
        ShadeParams params = NoShadows();
        params.EraseOutside = erase;
        StartFrom(host, params);
        host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
        EXPECT_EQ(host.RunFilter(Entry(), false), 0);
        const uint8_t* corner = host.Image().Pixel(2, 2);
        EXPECT_EQ(corner[3], erase ? 0 : 255);
        EXPECT_EQ(std::memcmp(corner, image.Pixel(2, 2), 3), 0);
        EXPECT_EQ(host.Image().Pixel(20, 15)[3], 255);
    }
}

TEST_F(PluginEntry, ImageTooLargeReportsMemoryAndCancels) {
    FilterHost host(PatternImage(8, 8, 3), {});
    StartFrom(host, NoShadows());
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(host.Call(Entry(), kSelectorPrepare), 0);
    // 30000 x 30000 colour pixels do not fit in one bitmap: the int -1.
    host.Record().filterRect = {0, 0, 30000, 30000};
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.Call(Entry(), kSelectorStart), kResultUserCanceled);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not enough memory"), std::string::npos);
    EXPECT_EQ(host.Stats().strips, 0);
    EXPECT_EQ(host.Record().inRect.bottom, 0);
}

TEST_F(PluginEntry, HostWithoutDisplayPixelsIsRefusedSilently) {
    const HostImageSt image = PatternImage(8, 8, 3);
    FilterHost host(image, {});
    StartFrom(host, NoShadows());
    host.Record().displayPixels = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.RunFilter(Entry(), false), kResultUserCanceled);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Block(host).HostProcsOk, 0);
    EXPECT_TRUE(SameImage(host.Image(), image));
}

TEST_F(PluginEntry, EmptyFilterAreaEndsWithoutWriting) {
    const HostImageSt image = PatternImage(8, 8, 3);
    FilterHost host(image, {});
    host.SetFilterRect({2, 2, 2, 6});
    StartFrom(host, NoShadows());
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(host.RunFilter(Entry(), false), 0);
    EXPECT_EQ(host.Stats().strips, 0);
    EXPECT_TRUE(SameImage(host.Image(), image));
    EXPECT_GE(Block(host).StripRows, 1);
}

TEST_F(PluginEntry, AboutMakesNoGlobals) {
    const morvanel_test::ScopedNoDisplay noDisplay;
    FilterHost host(PatternImage(8, 8, 3), {});
    testing::internal::CaptureStderr();
    host.About(Entry());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Morvanel: "), std::string::npos);
    EXPECT_TRUE(host.Parameters().empty());
}

TEST_F(PluginEntry, MissingHandleProcsGiveMemFull) {
    FilterHost host(PatternImage(8, 8, 3), {});
    host.Record().handleProcs = nullptr;
    EXPECT_EQ(host.Call(Entry(), kSelectorPrepare), kResultMemFull);
}

}  // namespace
