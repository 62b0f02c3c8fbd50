// The parameter block's paths and entry slots, and the strip height.
#include "HostParamBlock.h"
#include "PluginMessages.h"
#include "Selectors.h"

#include "PluginTestSupport.h"

namespace {

using namespace plugin_test;

TEST(HostParamBlockPaths, LongStringIsCutTo254WithLengthAndTerminator) {
    const std::string text(300, 'x');
    uint8_t field[kStr255Size];
    std::memset(field, 0xEE, sizeof field);
    StringToStr255(text.c_str(), field);
    EXPECT_EQ(field[0], 254);
    EXPECT_EQ(field[254], 'x');
    EXPECT_EQ(field[255], 0);
    char back[kShadeParamsPathSize];
    Str255ToString(field, back);
    EXPECT_EQ(std::string(back), text.substr(0, 254));

    StringToStr255("", field);
    EXPECT_EQ(field[0], 0);
    EXPECT_EQ(field[1], 0);
}

TEST(HostParamBlockPaths, EntriesTravelBothWays) {
    ShadeParams params = DefaultParams();
    params.Height = 77;
    params.ShadowDist = -3;
    params.LightAngleH[2] = 200;
    std::strcpy(params.TextureFilename, "Texture/wood.jpg");
    HostParamBlock block = BlockOf(params);
    EXPECT_EQ(*HostParamBlockInt(block, 7), 77);
    EXPECT_EQ(*HostParamBlockInt(block, 51), 200);
    EXPECT_EQ(block.entries38to58[20], -3);
    EXPECT_EQ(HostParamBlockInt(block, 24), nullptr);
    EXPECT_EQ(HostParamBlockInt(block, 59), nullptr);
    EXPECT_EQ(HostParamBlockPath(block, 7), nullptr);

    ShadeParams copy{};
    PhotoshopToApp(block, copy);
    EXPECT_EQ(copy.Height, 77);
    EXPECT_EQ(copy.ShadowDist, -3);
    EXPECT_EQ(copy.LightAngleH[2], 200);
    EXPECT_STREQ(copy.TextureFilename, "Texture/wood.jpg");
    EXPECT_EQ(copy.ColorH, 0);  // not scripted
}

TEST(StripPlan, GrowsInStepsOfTenAndIsCappedToTheHeight) {
    const HostRect fifty{0, 0, 50, 10};
    const StripPlanSt first = PlanStrips(1, fifty, 3, 1 << 24);
    EXPECT_EQ(first.stripRows, 50);  // 1, 11, ..., 51 -> 50
    EXPECT_EQ(first.maxSpace, 50 * 70);

    const HostRect tall{0, 0, 200, 10};
    EXPECT_EQ(PlanStrips(50, tall, 3, 50000).stripRows, 80);
    EXPECT_EQ(PlanStrips(1, tall, 3, 50000).stripRows, 81);
    // Already enough: the stored value is kept, never shrunk.
    EXPECT_EQ(PlanStrips(120, tall, 3, 50000).stripRows, 120);
    // Nothing offered: one row at a time.
    EXPECT_EQ(PlanStrips(1, tall, 3, 0).stripRows, 1);
}

TEST(StripPlan, NeverBelowOneRow) {
    EXPECT_EQ(PlanStrips(0, HostRect{0, 0, 200, 10}, 3, 0).stripRows, 1);
    EXPECT_EQ(PlanStrips(7, HostRect{5, 0, 5, 10}, 3, 1 << 20).stripRows, 7);
    // A height near the 16-bit limit does not wrap.
    EXPECT_EQ(PlanStrips(32760, HostRect{0, 0, 32767, 1}, 3, INT32_MAX).stripRows, 32767);
}

TEST(ShellMessages, ErrorShowsCodeAndCheckpointAndIsRemembered) {
    testing::internal::CaptureStderr();
    theApp.ErrorMessage(-555);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown.rfind("Morvanel: ", 0), 0u);
    EXPECT_NE(shown.find("-555"), std::string::npos);
    EXPECT_NE(shown.find("checkpoint " + std::to_string(theApp.Engine().GetCheckPoint())), std::string::npos);
    EXPECT_EQ(theApp.GetLastError(), -555);
    // A question cannot be answered without a window: No.
    testing::internal::CaptureStderr();
    EXPECT_EQ(theApp.DispMessageEx(kMessageStyleQuestion, "Open %s?", "help"), kAnswerNo);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Open help?"), std::string::npos);
}

}  // namespace
