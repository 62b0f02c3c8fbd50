// The parameter block's paths and entry slots, and the strip height.
#include "HostParamBlock.h"
#include "Selectors.h"

#include "PluginTestSupport.h"

namespace {

using namespace plugin_test;

TEST(HostParamBlock, EntriesAndPathsHaveTheirSlots) {
    ShadeParams params = DefaultParams();
    params.Height = 77;
    params.ShadowDist = -3;
    params.LightAngleH[2] = 200;
    const std::string longPath(kShadeParamsPathSize - 1, 'x');
    std::strcpy(params.TextureFilename, longPath.c_str());
    HostParamBlock block = BlockOf(params);
    EXPECT_EQ(*HostParamBlockInt(block, 7), 77);
    EXPECT_EQ(*HostParamBlockInt(block, 51), 200);
    EXPECT_EQ(block.entries38to58[20], -3);
    EXPECT_EQ(HostParamBlockInt(block, 24), nullptr);
    EXPECT_EQ(HostParamBlockInt(block, 59), nullptr);
    EXPECT_EQ(HostParamBlockPath(block, 7), nullptr);
    // A path is cut to 254 characters, with its length and a terminator.
    EXPECT_EQ(block.texturePath[0], 254);
    EXPECT_EQ(block.texturePath[254], 'x');
    EXPECT_EQ(block.texturePath[255], 0);
    EXPECT_EQ(block.foregroundPath[0], 0);
    EXPECT_EQ(block.foregroundPath[1], 0);
}

// Rows per strip grow from the stored value in steps of ten while a strip
// costs less than a tenth of the memory offered; a row costs
// width + 2 * planes * width bytes.
TEST(StripPlan, StoredRowsGrowInStepsOfTenUpToTheHeight) {
    const struct {
        int16_t stored;
        HostRect area;
        int32_t maxSpace;
        int16_t rows;
    } cases[] = {
        {1, {0, 0, 50, 10}, 1 << 24, 50},             // 1, 11, ..., 51: the height
        {1, {0, 0, 200, 10}, 50000, 81},              // 70 * 81 >= 5000
        {120, {0, 0, 200, 10}, 50000, 120},           // never shrunk
        {0, {0, 0, 200, 10}, 0, 1},                   // nothing offered, never below one row
        {7, {5, 0, 5, 10}, 1 << 20, 7},               // an empty area keeps it
        {32760, {0, 0, 32767, 1}, INT32_MAX, 32767},  // no 16-bit wrap
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " rows stored, " << c.maxSpace << " bytes");
        const StripPlanSt plan = PlanStrips(c.stored, c.area, 3, c.maxSpace);
        EXPECT_EQ(plan.stripRows, c.rows);
        if (c.maxSpace == 1 << 24) {
            EXPECT_EQ(plan.maxSpace, 50 * 70);
        }
    }
}

}  // namespace
