// The morvanel command as people use it: selections, actions and repeats,
// Ctrl-C, styles by name, recording, batches.
#include <gtest/gtest.h>

#include "CommandTestSupport.h"
#include "HostStyle.h"

namespace {

using namespace morvanel_test;
using CommandUse = CommandTest;

TEST_F(CommandUse, SelectionAndRectangleLimitTheChange) {
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

// A recorded action replays to the same bytes; a partial action changes
// only its keys of the defaults; a repeat runs with the last run's values.
TEST_F(CommandUse, ActionsReplayAndRepeatToTheSameBytes) {
    Write("in.png", DiscImage(48, 40, 4));
    const auto apply = [&](const std::string& out, std::vector<std::string> options) {
        std::vector<std::string> args{"apply", File("in.png"), "-o", File(out)};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(Run(args), kExitOk) << out << ": " << errors_;
        return ReadFile(File(out));
    };
    const std::string styled = apply("styled.png", {"--style", kGoldStyle, "--record", File("gold.json")});
    EXPECT_EQ(apply("replayed.png", {"--action", File("gold.json")}), styled);
    const std::string defaults = apply("default.png", {});
    EXPECT_NE(styled, defaults);  // the style did something
    HostActionSt recorded;
    std::string error;
    ASSERT_TRUE(HostAction_Load(File("gold.json"), recorded, error)) << error;
    EXPECT_EQ(recorded.descriptor.size(), 59u);
    EXPECT_EQ(recorded.playInfo, kPlayDialogDontDisplay);

    DescriptorItems full = HostStyle_Descriptor(HostStyle_Defaults());
    const DescriptorKeyID height = Descriptor_KeyFromName("pMhe");
    for (DescriptorItem& item : full)
        if (item.key == height) item.integer = 35;
    WriteAction("full.json", full);
    WriteAction("height.json", {{height, kTypeInteger, 35, {}}});
    const std::string partial = apply("height.png", {"--action", File("height.json")});
    EXPECT_EQ(partial, apply("full.png", {"--action", File("full.json")}));
    EXPECT_NE(partial, defaults);
    EXPECT_EQ(apply("repeat-full.png", {"--repeat"}), partial);
    // The partial action starts from the defaults, not from the last run.
    apply("styled.png", {"--style", kGoldStyle});
    EXPECT_EQ(apply("partial-again.png", {"--action", File("height.json")}), partial);
    EXPECT_EQ(apply("repeat-partial.png", {"--repeat"}), partial);
}

// On a terminal the progress bar is redrawn in place with its percentage:
// Ctrl-C is sent when it shows one.
TEST_F(CommandUse, CtrlCStopsASilentRenderAndWritesNothing) {
    Write("big.png", DiscImage(2400, 1800, 4));
    std::ofstream(File("out.png")) << "previous output";
    std::string terminal;
    const int code = RunMorvanelOnTerminal({"apply", File("big.png"), "-o", File("out.png")}, terminal, true);
    if (code == kNoTerminal) GTEST_SKIP() << "no pseudo-terminal on this system";
    EXPECT_EQ(code, kExitCancelled) << terminal;
    EXPECT_NE(terminal.find("cancelled"), std::string::npos) << terminal;
    EXPECT_EQ(terminal.find("100%"), std::string::npos) << terminal;  // stopped, not finished
    EXPECT_EQ(ReadFile(File("out.png")), "previous output");
}

TEST_F(CommandUse, StylesAreFoundByName) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("path.png"), "--style", kGoldStyle}), kExitOk) << errors_;
    // The same style with LF line ends.
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("lf.png"), "--style", kBadFiles + "style-lf-line-ends.mv"}),
              kExitOk)
        << errors_;
    EXPECT_EQ(ReadFile(File("lf.png")), ReadFile(File("path.png")));
    // The working folder holds the user's own; the system folder comes first.
    fs::copy_file(kGoldStyle, File("Mine.mv"));
    fs::copy_file(std::string(MORVANEL_TEST_STYLES) + "/Wood.mv", File("Default.mv"));
    for (const std::string name : {"Gold", "gold", "Mine"}) {
        ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("name.png"), "--style", name}, dir_.path()), kExitOk)
            << errors_;
        EXPECT_EQ(ReadFile(File("name.png")), ReadFile(File("path.png"))) << name;
    }
    ASSERT_EQ(Run({"styles"}, dir_.path()), kExitOk) << errors_;
    EXPECT_NE(output_.find("Mine.mv"), std::string::npos) << output_;
    EXPECT_EQ(CountOf(output_, "Default"), 2) << output_;  // once, with the system folder's file
    EXPECT_NE(output_.find(File("system/Style/Default.mv")), std::string::npos);
}

TEST_F(CommandUse, RecordIsWrittenAfterTheImageAndKeepsAnyPathByteForByte) {
    Write("in.png", DiscImage(48, 40, 4));
    // A texture path in another encoding than UTF-8 survives replay and record.
    const std::string latin1 = "Texture/caf\xe9.jpg";
    DescriptorItems items = HostStyle_Descriptor(HostStyle_Defaults());
    for (DescriptorItem& item : items)
        if (item.key == Descriptor_KeyFromName("pTpa")) item.text = latin1;
    WriteAction("latin1.json", items);
    EXPECT_NE(ReadFile(File("latin1.json")).find("{\"hex\":\"546578747572652f636166e92e6a7067\"}"), std::string::npos);
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("out.png"), "--action", File("latin1.json"), "--record",
                   File("again.json")}),
              kExitOk)
        << errors_;
    HostActionSt again;
    std::string error;
    ASSERT_TRUE(HostAction_Load(File("again.json"), again, error)) << error;
    ASSERT_EQ(again.descriptor.size(), 59u);
    EXPECT_EQ(again.descriptor[24].text, latin1);

    // A record that cannot be written costs the record, not the image.
    fs::create_directory(File("taken.json"));
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("kept.png"), "--record", File("taken.json")}), kExitUnwritable);
    EXPECT_NE(errors_.find("wrote " + File("kept.png")), std::string::npos) << errors_;
    EXPECT_EQ(ReadFile(File("kept.png")), ReadFile(File("out.png")));
}

TEST_F(CommandUse, BatchWritesEachSuccessAndExitsWithTheWorstFailure) {
    Write("a.png", DiscImage(48, 40, 4));
    Write("b.jpg", DiscImage(40, 32, 3));
    std::ofstream(File("broken.png")) << "not an image";
    Write("c.png", DiscImage(30, 30, 4));
    fs::create_directories(File("out/c.png"));  // a folder where c's output would go
    // The worst failure (7) comes before a lesser one (3).
    EXPECT_EQ(Run({"apply", File("a.png"), File("c.png"), File("broken.png"), File("b.jpg"), "--out-dir",
                   File("out"), "--style", "Gold"}),
              kExitUnwritable)
        << errors_;
    EXPECT_NE(errors_.find(File("broken.png") + ": "), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(File("c.png") + ": "), std::string::npos) << errors_;
    EXPECT_EQ(CountOf(errors_, "%"), 1) << errors_;  // one bar over the files
    EXPECT_FALSE(fs::exists(File("out/broken.png")));

    // Each output is what a run of its own gives.
    for (const std::string name : {"a.png", "b.jpg"}) {
        ASSERT_EQ(Run({"apply", File(name), "-o", File("single-" + name), "--style", "Gold"}), kExitOk) << errors_;
        EXPECT_EQ(ReadFile(File("out/" + name)), ReadFile(File("single-" + name))) << name;
    }

    // A missing output folder is made.
    EXPECT_EQ(Run({"apply", File("a.png"), File("c.png"), "--out-dir", File("new")}), kExitOk) << errors_;
    EXPECT_TRUE(fs::exists(File("new/a.png")) && fs::exists(File("new/c.png")));
}

}  // namespace
