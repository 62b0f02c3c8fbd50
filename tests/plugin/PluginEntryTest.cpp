// The real plug-in library through the host core: selectors, globals, the
// parameter block, strip heights, silent runs and their failures.
#include "PluginTestSupport.h"
#include "ScopedNoDisplay.h"

namespace {

using namespace plugin_test;

HostParamBlock Block(const FilterHost& host) { return BlockFromBytes(host.Parameters()); }

using PluginEntry = PluginTest;

TEST_F(PluginEntry, SelectorsBeforeTheRender) {
    // An unknown selector only makes the globals, which validate the
    // parameters into a fresh block.
    FilterHost host(PatternImage(8, 8, 3), {});
    EXPECT_EQ(host.Call(Entry(), 7), 0);
    EXPECT_EQ(Block(host).StripRows, 1);
    EXPECT_EQ(Block(host).ShowDialog, 0);
    EXPECT_EQ(Block(host).texturePath[0], 0);
    // The parameters selector asks for the dialog.
    EXPECT_EQ(host.Call(Entry(), kSelectorParameters), 0);
    EXPECT_EQ(Block(host).ShowDialog, 1);

    // Missing handle procedures are a full memory.
    FilterHost bare(PatternImage(8, 8, 3), {});
    bare.Record().handleProcs = nullptr;
    EXPECT_EQ(bare.Call(Entry(), kSelectorPrepare), kResultMemFull);
}

TEST_F(PluginEntry, DialogWithoutDisplayLeavesLayerAndEntriesUnchanged) {
    const morvanel_test::ScopedNoDisplay noDisplay;
    const HostImageSt image = PatternImage(16, 12, 4);
    FilterHost host(image, {});
    ShadeParams params = DefaultParams();
    params.Height = 33;
    host.SetParameters(BlockBytes(BlockOf(params)));
    const HostParamBlock before = Block(host);
    host.ClearRecordedDescriptor(kPlayDialogDisplay);
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.RunFilter(Entry(), true), kResultUserCanceled);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Morvanel: No display is available"), std::string::npos);
    EXPECT_EQ(host.Image().pixels, image.pixels);
    const HostParamBlock after = Block(host);
    EXPECT_EQ(std::memcmp(&before, &after, offsetof(HostParamBlock, ShowDialog)), 0);
    EXPECT_EQ(after.ShowDialog, 0);
}

TEST_F(PluginEntry, StripRowsGrowFromTheStoredValue) {
    // Row cost 10 + 2 * 3 * 10 = 70 bytes; a tenth of 50000 is 5000: from a
    // stored 50 the height stops at 80, and the block keeps it.
    FilterHost host(PatternImage(10, 200, 3), {});
    HostParamBlock block = BlockOf(NoShadows());
    block.StripRows = 50;
    host.SetParameters(BlockBytes(block));
    host.SetMaxSpace(50000);
    host.ClearRecordedDescriptor(kPlayDialogDontDisplay);
    EXPECT_EQ(host.RunFilter(Entry(), false), 0);
    EXPECT_EQ(Block(host).StripRows, 80);
    EXPECT_EQ(host.Record().maxSpace, 80 * 70);
    EXPECT_EQ(host.Stats().maxStripRows, 80);
}

// Opaque layers: outside the selection EraseOutside clears the transparency
// and keeps the colours; with nothing selected the layer has no object and
// is written back as it was.
TEST_F(PluginEntry, EraseOutsideAndEmptySelections) {
    HostImageSt image = PatternImage(40, 30, 4);
    SetAlpha(image, 255);
    std::vector<uint8_t> box(40 * 30, 0);
    for (int32_t y = 10; y < 20; ++y)
        for (int32_t x = 15; x < 25; ++x) box[std::size_t(y) * 40 + x] = 255;
    const struct {
        const char* name;
        bool empty;
        int erase;
        uint8_t cornerAlpha;
    } cases[] = {{"box, keep", false, 0, 255}, {"box, erase", false, 1, 0}, {"nothing, erase", true, 1, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterHost host(image, c.empty ? std::vector<uint8_t>(box.size(), 0) : box);
        ShadeParams params = NoShadows();
        params.EraseOutside = c.erase;
        PrepareSilent(host, params);
        EXPECT_EQ(host.RunFilter(Entry(), false), 0);
        EXPECT_EQ(host.Image().Pixel(2, 2)[3], c.cornerAlpha);
        EXPECT_EQ(std::memcmp(host.Image().Pixel(2, 2), image.Pixel(2, 2), 3), 0);
        if (c.empty) {
            EXPECT_EQ(host.Image().pixels, image.pixels);
        } else {
            EXPECT_EQ(host.Image().Pixel(20, 15)[3], 255);
        }
    }
}

TEST_F(PluginEntry, RunsThatCannotRenderWriteNothing) {
    const HostImageSt image = PatternImage(8, 8, 3);
    // 30000 x 30000 colour pixels do not fit in one bitmap.
    FilterHost large(image, {});
    PrepareSilent(large);
    EXPECT_EQ(large.Call(Entry(), kSelectorPrepare), 0);
    large.Record().filterRect = {0, 0, 30000, 30000};
    testing::internal::CaptureStderr();
    EXPECT_EQ(large.Call(Entry(), kSelectorStart), kResultUserCanceled);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not enough memory"), std::string::npos);
    EXPECT_EQ(large.Stats().strips, 0);
    EXPECT_EQ(large.Record().inRect.bottom, 0);

    // An empty filter area ends the run at once.
    FilterHost empty(image, {});
    empty.SetFilterRect({2, 2, 2, 6});
    PrepareSilent(empty);
    EXPECT_EQ(empty.RunFilter(Entry(), false), 0);
    EXPECT_EQ(empty.Stats().strips, 0);
    EXPECT_EQ(empty.Image().pixels, image.pixels);
    EXPECT_GE(Block(empty).StripRows, 1);
}

}  // namespace
