// The filter host driven by small test plug-ins written here: strips with
// padding, the moment outData reaches the image, the selection, refused
// requests, the data slot and the parameters handle between selectors.
// Progress and aborts are checked with the real plug-in.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "FilterHost.h"
#include "HostHandles.h"

namespace {

// The test plug-in's behaviour for the start selector; the other selectors
// do nothing.  PluginMainProc has no context, hence the globals.
std::function<void(FilterRecord&)> startBody;
int16_t stripRows = 3;

void TestPluginMain(int16_t selector, void* record, intptr_t* /*data*/, int16_t* result) {
    *result = 0;
    if (selector == kSelectorStart && startBody) startBody(*static_cast<FilterRecord*>(record));
}

// Visits filterRect in strips of stripRows rows with all planes, calling
// body(record, strip top) after each advanceState; stops on an error.
void ForEachStrip(FilterRecord& r, const std::function<void(FilterRecord&, int16_t)>& body) {
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = static_cast<int16_t>(r.planes - 1);
    r.inRect = r.outRect = r.maskRect = r.filterRect;
    for (int16_t y = r.filterRect.top; y < r.filterRect.bottom; y = static_cast<int16_t>(y + stripRows)) {
        const int16_t bottom = std::min<int16_t>(static_cast<int16_t>(y + stripRows), r.filterRect.bottom);
        r.inRect.top = r.outRect.top = r.maskRect.top = y;
        r.inRect.bottom = r.outRect.bottom = r.maskRect.bottom = bottom;
        if (r.advanceState() != 0) return;
        body(r, y);
    }
    r.inRect = r.outRect = r.maskRect = HostRect{0, 0, 0, 0};
}

// Inverts the colour planes of every pixel of the strip.
void InvertStrip(FilterRecord& r, int16_t) {
    const int width = r.filterRect.right - r.filterRect.left;
    for (int row = 0; row < r.outRect.bottom - r.outRect.top; ++row) {
        const auto* in = static_cast<const uint8_t*>(r.inData) + row * r.inRowBytes;
        auto* out = static_cast<uint8_t*>(r.outData) + row * r.outRowBytes;
        for (int i = 0; i < width * r.planes; ++i) out[i] = (i % r.planes) < 3 ? uint8_t(255 - in[i]) : in[i];
    }
}

HostImageSt Gradient(int32_t width, int32_t height, int16_t planes) {
    HostImageSt image = HostImage_Make(width, height, planes);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 3);
    return image;
}

class FilterHostTest : public ::testing::Test {
protected:
    void TearDown() override {
        startBody = nullptr;
        stripRows = 3;
    }
};

TEST_F(FilterHostTest, StripsWithPaddingChangeOnlyTheFilterRectangle) {
    const HostImageSt original = Gradient(10, 8, 4);
    FilterHost host(original, {});
    host.SetFilterRect({1, 2, 8, 7});  // top, left, bottom, right
    host.SetRowPadding(5);
    std::vector<int32_t> rowBytes;
    // Whether the first strip's output has reached the image, after each
    // strip is written: outData is a buffer of its own, taken in at the next
    // call (and the last strip at return).
    std::vector<bool> firstStripInImage;
    startBody = [&](FilterRecord& r) {
        ForEachStrip(r, [&](FilterRecord& rec, int16_t top) {
            rowBytes.push_back(rec.inRowBytes);
            InvertStrip(rec, top);
            firstStripInImage.push_back(host.Image().Pixel(2, 1)[0] != original.Pixel(2, 1)[0]);
        });
    };
    ASSERT_EQ(host.RunFilter(TestPluginMain, false), 0);

    EXPECT_EQ(host.Stats().strips, 3);  // rows 1-3, 4-6, 7
    EXPECT_EQ(host.Stats().maxStripRows, 3);
    EXPECT_EQ(host.Stats().paddingWrites, 0);
    ASSERT_FALSE(rowBytes.empty());
    EXPECT_EQ(rowBytes[0], 5 * 4 + 5);
    EXPECT_EQ(firstStripInImage, (std::vector<bool>{false, true, true}));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            for (int p = 0; p < 4; ++p) {
                const uint8_t before = original.Pixel(x, y)[p];
                const bool inside = x >= 2 && x < 7 && y >= 1 && y < 8 && p < 3;
                EXPECT_EQ(host.Image().Pixel(x, y)[p], inside ? 255 - before : before) << x << "," << y << "," << p;
            }

    // A byte written past the pixels of a row, into its padding, is counted.
    FilterHost padded(Gradient(3, 3, 3), {});
    padded.SetRowPadding(2);
    startBody = [](FilterRecord& r) {
        ForEachStrip(r, [](FilterRecord& rec, int16_t) { static_cast<uint8_t*>(rec.outData)[9] = 0; });
    };
    ASSERT_EQ(padded.RunFilter(TestPluginMain, false), 0);
    EXPECT_EQ(padded.Stats().paddingWrites, 1);
}

TEST_F(FilterHostTest, SelectionArrivesAsMaskDataOfTheStrip) {
    std::vector<uint8_t> selection(6 * 4);
    for (std::size_t i = 0; i < selection.size(); ++i) selection[i] = static_cast<uint8_t>(i * 10);
    FilterHost host(Gradient(6, 4, 3), selection);
    host.SetFilterRect({1, 1, 4, 5});
    stripRows = 2;
    std::vector<uint8_t> seen;
    startBody = [&](FilterRecord& r) {
        EXPECT_EQ(r.haveMask, 1);
        ForEachStrip(r, [&](FilterRecord& rec, int16_t) {
            for (int row = 0; row < rec.maskRect.bottom - rec.maskRect.top; ++row)
                for (int x = 0; x < 4; ++x) seen.push_back(static_cast<uint8_t*>(rec.maskData)[row * rec.maskRowBytes + x]);
        });
    };
    ASSERT_EQ(host.RunFilter(TestPluginMain, false), 0);
    std::vector<uint8_t> expected;
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 5; ++x) expected.push_back(selection[y * 6 + x]);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(host.Stats().paddingWrites, 0);
}

TEST_F(FilterHostTest, RequestsOutsideTheImageOrPlanesAreRefused) {
    FilterHost host(Gradient(4, 4, 3), {});
    std::vector<HostErr> statuses;
    startBody = [&](FilterRecord& r) {
        r.inLoPlane = 0;
        r.inHiPlane = 2;
        r.inRect = {0, 0, 5, 4};  // one row below the image
        statuses.push_back(r.advanceState());
        r.inRect = {0, 0, 4, 4};
        r.inHiPlane = 3;  // a fourth plane the image does not have
        statuses.push_back(r.advanceState());
        r.inHiPlane = 2;
        statuses.push_back(r.advanceState());
        r.inRect = {0, 0, 0, 0};
    };
    ASSERT_EQ(host.RunFilter(TestPluginMain, false), 0);
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_NE(statuses[0], 0);
    EXPECT_NE(statuses[1], 0);
    EXPECT_EQ(statuses[2], 0);
    EXPECT_EQ(host.Stats().refusedRequests, 2);
}

// A strip of some planes only: the buffers hold just those planes of each
// pixel, and only they reach the image.
TEST_F(FilterHostTest, StripsOfSomePlanesCarryAndCommitOnlyThose) {
    const HostImageSt before = Gradient(5, 3, 4);
    FilterHost host(before, {});
    std::vector<uint8_t> delivered;
    startBody = [&](FilterRecord& r) {
        r.inLoPlane = r.outLoPlane = 1;
        r.inHiPlane = r.outHiPlane = 2;
        r.inRect = r.outRect = {0, 1, 3, 4};  // rows 0..2, columns 1..3
        ASSERT_EQ(r.advanceState(), 0);
        for (int row = 0; row < 3; ++row) {
            const auto* in = static_cast<const uint8_t*>(r.inData) + row * r.inRowBytes;
            auto* out = static_cast<uint8_t*>(r.outData) + row * r.outRowBytes;
            delivered.insert(delivered.end(), in, in + 6);
            for (int i = 0; i < 6; ++i) out[i] = static_cast<uint8_t>(in[i] ^ 0xFF);
        }
        r.inRect = r.outRect = {0, 0, 0, 0};
    };
    ASSERT_EQ(host.RunFilter(TestPluginMain, false), 0);
    std::vector<uint8_t> expected;
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 1; x < 4; ++x) expected.insert(expected.end(), before.Pixel(x, y) + 1, before.Pixel(x, y) + 3);
    EXPECT_EQ(delivered, expected);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            for (int p = 0; p < 4; ++p) {
                const bool written = x >= 1 && x < 4 && (p == 1 || p == 2);
                const uint8_t old = before.Pixel(x, y)[p];
                EXPECT_EQ(host.Image().Pixel(x, y)[p], written ? uint8_t(old ^ 0xFF) : old) << x << "," << y << "," << p;
            }
    EXPECT_EQ(host.Stats().paddingWrites, 0);
}

TEST_F(FilterHostTest, ConstructionRefusesImagesTheRecordCannotDescribe) {
    EXPECT_THROW(FilterHost(HostImage_Make(40000, 1, 3), {}), std::invalid_argument);
    EXPECT_THROW(FilterHost(HostImage_Make(4, 4, 2), {}), std::invalid_argument);
    EXPECT_THROW(FilterHost(HostImage_Make(4, 4, 3), std::vector<uint8_t>(15)), std::invalid_argument);
    FilterHost host(HostImage_Make(4, 4, 3), {});
    EXPECT_THROW(host.SetFilterRect({0, 0, 5, 4}), std::invalid_argument);
}

// A plug-in that keeps a counter in a globals handle in the data slot and a
// run counter in the parameters handle, the way a filter keeps its state.
void CountingPluginMain(int16_t selector, void* record, intptr_t* data, int16_t* result) {
    auto& r = *static_cast<FilterRecord*>(record);
    *result = 0;
    if (*data == 0) *data = reinterpret_cast<intptr_t>(r.handleProcs->newProc(sizeof(int32_t)));
    auto* calls = static_cast<int32_t*>(r.handleProcs->lockProc(reinterpret_cast<Handle>(*data), 0));
    ++*calls;
    r.handleProcs->unlockProc(reinterpret_cast<Handle>(*data));
    if (selector != kSelectorStart) return;
    if (r.parameters == nullptr) r.parameters = r.handleProcs->newProc(sizeof(int32_t));
    auto* runs = static_cast<int32_t*>(r.handleProcs->lockProc(r.parameters, 0));
    *runs += 100 + *calls;
    r.handleProcs->unlockProc(r.parameters);
}

TEST_F(FilterHostTest, DataSlotAndParametersSurviveBetweenSelectorsAndRuns) {
    FilterHost host(Gradient(2, 2, 3), {});
    ASSERT_EQ(host.RunFilter(CountingPluginMain, true), 0);  // parameters, prepare, start, finish
    std::vector<uint8_t> block = host.Parameters();
    ASSERT_EQ(block.size(), 4u);
    int32_t runs = 0;
    std::memcpy(&runs, block.data(), 4);
    EXPECT_EQ(runs, 100 + 3);  // start was the third call

    FilterHost later(Gradient(2, 2, 3), {});
    later.SetParameters(block);
    ASSERT_EQ(later.RunFilter(CountingPluginMain, false), 0);  // prepare, start, finish
    std::memcpy(&runs, later.Parameters().data(), 4);
    EXPECT_EQ(runs, 103 + 102);
}

TEST(HostHandles, ProceduresRefuseStaleHandles) {
    HandleProcs* procs = HostHandles_Procs();
    const std::size_t before = HostHandles_LiveCount();
    Handle handle = procs->newProc(0);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(procs->lockProc(handle, 0), nullptr);  // even an empty handle locks
    EXPECT_EQ(procs->getSizeProc(handle), 0);
    EXPECT_EQ(HostHandles_LiveCount(), before + 1);
    procs->disposeProc(handle);
    EXPECT_EQ(procs->lockProc(handle, 0), nullptr);
    EXPECT_EQ(procs->getSizeProc(handle), 0);
    procs->disposeProc(handle);  // twice is harmless
    EXPECT_EQ(procs->newProc(-1), nullptr);
    EXPECT_EQ(HostHandles_LiveCount(), before);
}

}  // namespace
