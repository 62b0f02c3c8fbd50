// The morvanel command as a process on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CommandTestSupport.h"
#include "HostAction.h"
#include "HostCommand.h"
#include "ScopedNoDisplay.h"
#include "TempDir.h"

namespace {

using morvanel_test::DiffersWithin;
using morvanel_test::DiscImage;
using morvanel_test::LoadImage;
using morvanel_test::ReadFile;

const std::string kGoldStyle = std::string(MORVANEL_TEST_STYLES) + "/Gold.mv";

using MorvanelCommand = morvanel_test::CommandTest;

TEST_F(MorvanelCommand, PngAlphaIsTheTransparencyPlaneAndIsWrittenBack) {
    Write("in.png", DiscImage(64, 48, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("out.png")}), kExitOk) << errors_;
    const HostImageSt in = LoadImage(File("in.png"));
    const HostImageSt out = LoadImage(File("out.png"));
    ASSERT_EQ(out.planes, 4);
    ASSERT_EQ(out.width, 64);
    ASSERT_EQ(out.height, 48);
    // The corners lie outside the object (alpha 0): left as they were.
    EXPECT_FALSE(DiffersWithin(in, out, {0, 0, 4, 4}, true));
    EXPECT_EQ(out.Pixel(0, 0)[3], 0);
    // The disc is shaded and stays opaque.
    EXPECT_TRUE(DiffersWithin(in, out, {14, 22, 34, 42}, true));
    EXPECT_EQ(out.Pixel(32, 24)[3], 255);
}

TEST_F(MorvanelCommand, JpegTiffAndBmpAreReadAndWritten) {
    for (const std::string extension : {"jpg", "tif", "bmp"}) {
        Write("in." + extension, DiscImage(40, 32, 3));
        const std::string out = File("out." + extension);
        ASSERT_EQ(Run({"apply", File("in." + extension), "-o", out}), kExitOk) << extension << ": " << errors_;
        const HostImageSt result = LoadImage(out);
        EXPECT_EQ(result.width, 40) << extension;
        EXPECT_EQ(result.height, 32) << extension;
        EXPECT_TRUE(DiffersWithin(LoadImage(File("in." + extension)), result, {0, 0, 32, 40}, true)) << extension;
    }
}

TEST_F(MorvanelCommand, TiffAlphaIsKept) {
    Write("in.tif", DiscImage(40, 32, 4));
    ASSERT_EQ(LoadImage(File("in.tif")).planes, 4);
    ASSERT_EQ(Run({"apply", File("in.tif"), "-o", File("out.tif")}), kExitOk) << errors_;
    const HostImageSt out = LoadImage(File("out.tif"));
    ASSERT_EQ(out.planes, 4);
    EXPECT_EQ(out.Pixel(0, 0)[3], 0);
    EXPECT_EQ(out.Pixel(20, 16)[3], 255);
}

TEST_F(MorvanelCommand, SelectionAndRectangleLimitTheChange) {
    const HostImageSt image = DiscImage(48, 40, 3);
    Write("in.png", image);
    HostImageSt selection = HostImage_Make(48, 40, 3);
    for (int y = 10; y < 30; ++y)
        for (int x = 12; x < 36; ++x) std::fill_n(selection.Pixel(x, y), 3, uint8_t{255});
    Write("selection.png", selection);

    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("selected.png"), "--selection", File("selection.png")}),
              kExitOk)
        << errors_;
    const HostImageSt selected = LoadImage(File("selected.png"));
    // The rim and the shadow may reach a few pixels past the selection's
    // edge; farther out nothing changes.
    EXPECT_FALSE(DiffersWithin(image, selected, {4, 6, 36, 42}, false));
    EXPECT_TRUE(DiffersWithin(image, selected, {10, 12, 30, 36}, true));

    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("rect.png"), "--rect", "5,4,30,20"}), kExitOk) << errors_;
    const HostImageSt framed = LoadImage(File("rect.png"));
    EXPECT_FALSE(DiffersWithin(image, framed, {4, 5, 24, 35}, false));
    EXPECT_TRUE(DiffersWithin(image, framed, {4, 5, 24, 35}, true));
}

TEST_F(MorvanelCommand, RecordedActionReplaysToTheSameBytes) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("styled.png"), "--style", kGoldStyle, "--record",
                   File("gold.json")}),
              kExitOk)
        << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("replayed.png"), "--action", File("gold.json")}), kExitOk)
        << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("default.png")}), kExitOk) << errors_;
    const std::string styled = ReadFile(File("styled.png"));
    EXPECT_FALSE(styled.empty());
    EXPECT_EQ(styled, ReadFile(File("replayed.png")));
    EXPECT_NE(styled, ReadFile(File("default.png")));  // the style did something
    HostActionSt recorded;
    std::string error;
    ASSERT_TRUE(HostAction_Load(File("gold.json"), recorded, error)) << error;
    EXPECT_EQ(recorded.descriptor.size(), 59u);
    EXPECT_EQ(recorded.playInfo, kPlayDialogDontDisplay);
}

TEST_F(MorvanelCommand, RepeatRunsWithTheLastRunsParameters) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("repeat.png"), "--repeat"}), kExitBadAction);
    EXPECT_FALSE(std::filesystem::exists(File("repeat.png")));

    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("styled.png"), "--style", kGoldStyle}), kExitOk) << errors_;
    EXPECT_TRUE(std::filesystem::exists(dir_.path() / "system" / "HostParameters.state"));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("repeat.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_EQ(ReadFile(File("styled.png")), ReadFile(File("repeat.png")));
}

TEST_F(MorvanelCommand, FailuresExitWithTheirCodeAndWriteNothing) {
    Write("in.png", DiscImage(32, 24, 3));
    Write("small.png", DiscImage(16, 12, 3));
    std::ofstream(File("broken.png")) << "not an image at all";
    std::ofstream(File("bad.json")) << R"({"descriptor": [{"key": "pMhe", "value": "high"}, {"key": 5}]})";
    std::ofstream(File("kept.png")) << "previous output";
    const std::string in = File("in.png");
    const std::string out = File("out.png");
    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"apply", File("absent.png"), "-o", out}, kExitBadInput},
        {{"apply", File("broken.png"), "-o", out}, kExitBadInput},
        {{"apply", in, "-o", out, "--selection", File("small.png")}, kExitBadInput},
        {{"apply", in, "-o", out, "--action", File("bad.json")}, kExitBadAction},
        {{"apply", in, "-o", out, "--style", File("absent.mv")}, kExitBadAction},
        {{"apply", in, "-o", out, "--shiny"}, kExitUsage},
        {{"apply", in, "-o", out, "--rect", "30,0,8,8"}, kExitUsage},
        {{"apply", in, "-o", out, "--rect", "1,2,3"}, kExitUsage},
        {{"apply", in, "-o", File("out.gif")}, kExitUsage},
        {{"apply", in}, kExitUsage},
        {{"polish", in}, kExitUsage},
        {{"apply", in, "-o", File("no/such/folder/out.png")}, kExitUnwritable},
        {{"apply", in, "-o", out, "--record", File("no/such/folder/a.json")}, kExitUnwritable},
        {{"apply", in, "-o", out, "--plugin", File("absent.so")}, kExitPluginFailed},
        {{"apply", in, "-o", File("kept.png"), "--action", File("bad.json")}, kExitBadAction},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.code) << c.args.back();
        EXPECT_NE(errors_.find("morvanel: "), std::string::npos) << c.args.back();
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args.back();
    }
    EXPECT_EQ(ReadFile(File("kept.png")), "previous output");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        EXPECT_NE(entry.path().filename().string().rfind(".morvanel-", 0), 0u) << entry.path();
}

TEST_F(MorvanelCommand, HelpAndAboutSucceed) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    {
        // Without a display the about text says where the window's description is.
        const morvanel_test::ScopedNoDisplay noDisplay;
        EXPECT_EQ(Run({"about"}), kExitOk) << errors_;
        EXPECT_NE(errors_.find("Splash.inf"), std::string::npos) << errors_;
    }
    EXPECT_EQ(Run({"about", "--plugin", File("absent.so")}), kExitPluginFailed);
    EXPECT_EQ(Run({}), kExitUsage);
}

}  // namespace
