// The real plug-in driven in-process through the filter host: strips with
// padding under a small memory offer, a filter rectangle, the descriptor the
// finish selector records.
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

        const DescriptorItems recorded = host.RecordedDescriptor();
        ASSERT_EQ(recorded.size(), defaults.size());
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            EXPECT_EQ(recorded[i].key, defaults[i].key) << i;
            EXPECT_EQ(recorded[i].integer, defaults[i].integer) << i;
            EXPECT_EQ(recorded[i].text, defaults[i].text) << i;
        }
    }
    EXPECT_EQ(HostHandles_LiveCount(), liveBefore);  // the plug-in disposed what it took
}

TEST_F(PluginThroughHost, EmptyFilterRectangleWritesNothing) {
    const HostImageSt original = morvanel_test::DiscImage(30, 20, 3);
    FilterHost host(original, {});
    host.SetFilterRect({5, 5, 5, 25});
    host.SetRecordedDescriptor(HostStyle_Descriptor(HostStyle_Defaults()), kPlayDialogDontDisplay);
    EXPECT_EQ(host.RunFilter(plugin_.Entry(), false), 0);
    EXPECT_EQ(host.Image().pixels, original.pixels);
}

}  // namespace
