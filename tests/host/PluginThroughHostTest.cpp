// The real plug-in driven in-process through the filter host: strips with
// padding under a small memory offer, a filter rectangle, progress and aborts.
#include <gtest/gtest.h>

#include "CommandTestSupport.h"
#include "HostHandles.h"
#include "HostStyle.h"
#include "PluginLoader.h"
#include "TempDir.h"

namespace {

class PluginThroughHost : public ::testing::Test {
protected:
    PluginThroughHost() : home_(dir_) {}
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(plugin_.Load(MORVANEL_TEST_PLUGIN, error)) << error;
    }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_;
    PluginLoader plugin_;
};

TEST_F(PluginThroughHost, SeveralPaddedStripsLeaveOutsideAndPaddingUntouched) {
    const HostImageSt original = morvanel_test::DiscImage(120, 90, 4);
    const DescriptorItems defaults = HostStyle_Descriptor(HostStyle_Defaults());
    const HostRect rect{10, 15, 80, 105};
    const std::size_t liveBefore = HostHandles_LiveCount();
    {
        FilterHost host(original, {});
        host.SetFilterRect(rect);
        host.SetMaxSpace(20000);
        host.SetRowPadding(11);
        host.SetRecordedDescriptor(defaults, kPlayDialogDontDisplay);
        ASSERT_EQ(host.RunFilter(plugin_.Entry(), false), 0);

        EXPECT_GT(host.Stats().strips, 4);  // reading and writing back, several strips each
        EXPECT_LT(host.Stats().maxStripRows, rect.bottom - rect.top);
        EXPECT_EQ(host.Stats().paddingWrites, 0);
        EXPECT_EQ(host.Stats().refusedRequests, 0);
        EXPECT_FALSE(morvanel_test::DiffersWithin(original, host.Image(), rect, false));
        EXPECT_TRUE(morvanel_test::DiffersWithin(original, host.Image(), rect, true));
    }
    EXPECT_EQ(HostHandles_LiveCount(), liveBefore);  // the plug-in disposed what it took
}

TEST_F(PluginThroughHost, SilentRunReportsProgressAndStopsWhenTheHostAborts) {
    const HostImageSt original = morvanel_test::DiscImage(160, 120, 4);
    const DescriptorItems defaults = HostStyle_Descriptor(HostStyle_Defaults());
    std::vector<std::pair<int32_t, int32_t>> reports;
    int polls = 0;
    int abortAfter = -1;  // never
    const auto run = [&] {
        reports.clear();
        polls = 0;
        FilterHost host(original, {});
        host.SetRecordedDescriptor(defaults, kPlayDialogDontDisplay);
        host.SetProgress([&](int32_t done, int32_t total) { reports.emplace_back(done, total); });
        host.SetAbortTest([&] { return ++polls > abortAfter && abortAfter >= 0; });
        const int16_t result = host.RunFilter(plugin_.Entry(), false);
        return std::make_pair(result, host.Image().pixels);
    };

    const auto [result, pixels] = run();
    EXPECT_EQ(result, 0);
    EXPECT_NE(pixels, original.pixels);
    ASSERT_GT(reports.size(), 10u);
    EXPECT_EQ(reports.front(), std::make_pair(0, 0));  // work begins, no measure yet
    for (std::size_t i = 2; i < reports.size(); ++i) EXPECT_GE(reports[i].first, reports[i - 1].first) << i;
    EXPECT_EQ(reports.back(), std::make_pair(100, 100));
    EXPECT_GT(polls, 10);  // asked all along the render

    abortAfter = polls / 2;
    const auto [aborted, untouched] = run();
    EXPECT_EQ(aborted, kResultUserCanceled);
    EXPECT_EQ(untouched, original.pixels);  // nothing half-rendered is written back
    EXPECT_EQ(polls, abortAfter + 1);       // stopped at the first yes
    EXPECT_LT(reports.back().first, 100);

    // Asked to stop at once, the host refuses the first strip and the
    // plug-in ends the run as cancelled before rendering anything.
    abortAfter = 0;
    const auto [refused, unread] = run();
    EXPECT_EQ(refused, kResultUserCanceled);
    EXPECT_EQ(unread, original.pixels);
    EXPECT_EQ(reports.back(), std::make_pair(0, 0));
}

}  // namespace
