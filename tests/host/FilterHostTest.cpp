// The filter host driven by small test plug-ins written here: strips with
// padding, the selection and refused requests.  Progress, aborts, the data slot and the parameters are checked
// with the real plug-in.
#include <gtest/gtest.h>

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
    startBody = [&](FilterRecord& r) {
        ForEachStrip(r, [&](FilterRecord& rec, int16_t top) {
            rowBytes.push_back(rec.inRowBytes);
            InvertStrip(rec, top);
        });
    };
    ASSERT_EQ(host.RunFilter(TestPluginMain, false), 0);

    EXPECT_EQ(host.Stats().strips, 3);  // rows 1-3, 4-6, 7
    EXPECT_EQ(host.Stats().maxStripRows, 3);
    EXPECT_EQ(host.Stats().paddingWrites, 0);
    ASSERT_FALSE(rowBytes.empty());
    EXPECT_EQ(rowBytes[0], 5 * 4 + 5);
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

TEST_F(FilterHostTest, ConstructionRefusesImagesTheRecordCannotDescribe) {
    EXPECT_THROW(FilterHost(HostImage_Make(40000, 1, 3), {}), std::invalid_argument);
    EXPECT_THROW(FilterHost(HostImage_Make(4, 4, 2), {}), std::invalid_argument);
    EXPECT_THROW(FilterHost(HostImage_Make(4, 4, 3), std::vector<uint8_t>(15)), std::invalid_argument);
    FilterHost host(HostImage_Make(4, 4, 3), {});
    EXPECT_THROW(host.SetFilterRect({0, 0, 5, 4}), std::invalid_argument);
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
