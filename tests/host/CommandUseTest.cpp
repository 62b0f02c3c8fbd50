// The morvanel command as people use it: partial actions, progress, Ctrl-C,
// styles by name, recording, batches.  Real files through the real command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CommandTestSupport.h"
#include "HostAction.h"
#include "HostCommand.h"
#include "HostStyle.h"
#include "HostTerminal.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::DiscImage;
using morvanel_test::LoadImage;
using morvanel_test::ReadFile;
using CommandUse = morvanel_test::CommandTest;

const std::string kGoldStyle = std::string(MORVANEL_TEST_STYLES) + "/Gold.mv";

void SaveAction(const std::string& path, const DescriptorItems& items) {
    HostActionSt action;
    action.descriptor = items;
    std::string error;
    ASSERT_TRUE(HostAction_Save(path, action, error)) << error;
}

DescriptorItem IntegerItem(const char* key, int32_t value) {
    DescriptorItem item;
    item.key = Descriptor_KeyFromName(key);
    item.integer = value;
    return item;
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(CommandUse, PartialActionChangesOnlyItsKeysOfTheDefaults) {
    Write("in.png", DiscImage(48, 40, 4));
    DescriptorItems full = HostStyle_Descriptor(HostStyle_Defaults());
    const DescriptorItem height = IntegerItem("pMhe", 35);
    for (DescriptorItem& item : full)
        if (item.key == height.key) item.integer = height.integer;
    SaveAction(File("full.json"), full);
    SaveAction(File("height.json"), {height});

    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("full.png"), "--action", File("full.json")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("height.png"), "--action", File("height.json")}), kExitOk)
        << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("default.png")}), kExitOk) << errors_;
    EXPECT_EQ(ReadFile(File("height.png")), ReadFile(File("full.png")));
    EXPECT_NE(ReadFile(File("height.png")), ReadFile(File("default.png")));

    // A repeat keeps the last run's values, not the defaults.
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("height.png"), "--action", File("height.json")}), kExitOk);
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("repeat.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_EQ(ReadFile(File("repeat.png")), ReadFile(File("full.png")));
}

TEST_F(CommandUse, ProgressIsABarOnATerminalAndOneFinalLineElsewhere) {
    Write("in.png", DiscImage(200, 160, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("out.png")}), kExitOk) << errors_;
    EXPECT_EQ(CountOf(errors_, "\n"), 1) << errors_;
    EXPECT_EQ(CountOf(errors_, "%"), 1) << errors_;
    EXPECT_NE(errors_.find("] 100%"), std::string::npos) << errors_;

    std::string terminal;
    const int code = morvanel_test::RunMorvanelOnTerminal({"apply", File("in.png"), "-o", File("tty.png")}, terminal);
    if (code == morvanel_test::kNoTerminal) GTEST_SKIP() << "no pseudo-terminal on this system";
    ASSERT_EQ(code, kExitOk) << terminal;
    EXPECT_GT(CountOf(terminal, "\r"), 5) << terminal;  // redrawn in place
    EXPECT_GT(CountOf(terminal, "%"), 10) << terminal;  // percentages on the way
    EXPECT_NE(terminal.find("] 100%"), std::string::npos) << terminal;
    EXPECT_EQ(ReadFile(File("tty.png")), ReadFile(File("out.png")));
}

TEST_F(CommandUse, CtrlCStopsASilentRenderAndWritesNothing) {
    Write("big.png", DiscImage(2400, 1800, 4));
    std::ofstream(File("out.png")) << "previous output";
    std::string terminal;
    const int code =
        morvanel_test::RunMorvanelOnTerminal({"apply", File("big.png"), "-o", File("out.png")}, terminal, true);
    if (code == morvanel_test::kNoTerminal) GTEST_SKIP() << "no pseudo-terminal on this system";
    EXPECT_EQ(code, kExitCancelled) << terminal;
    EXPECT_NE(terminal.find("cancelled"), std::string::npos) << terminal;
    EXPECT_EQ(terminal.find("100%"), std::string::npos) << terminal;  // stopped, not finished
    EXPECT_EQ(ReadFile(File("out.png")), "previous output");
}

TEST_F(CommandUse, StylesAreFoundByName) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("path.png"), "--style", kGoldStyle}), kExitOk) << errors_;
    for (const std::string name : {"Gold", "gold"}) {
        ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("name.png"), "--style", name}), kExitOk) << errors_;
        EXPECT_EQ(ReadFile(File("name.png")), ReadFile(File("path.png"))) << name;
    }
    // The working folder holds the user's own; the system folder comes first.
    fs::copy_file(kGoldStyle, File("Mine.mv"));
    fs::copy_file(std::string(MORVANEL_TEST_STYLES) + "/Wood.mv", File("Default.mv"));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("mine.png"), "--style", "Mine"}, dir_.path()), kExitOk)
        << errors_;
    EXPECT_EQ(ReadFile(File("mine.png")), ReadFile(File("path.png")));
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("none.png"), "--style", "Absent"}), kExitBadAction);
    EXPECT_NE(errors_.find("no style called Absent"), std::string::npos) << errors_;

    ASSERT_EQ(Run({"styles"}, dir_.path()), kExitOk) << errors_;
    EXPECT_NE(output_.find("Gold "), std::string::npos) << output_;
    EXPECT_NE(output_.find((dir_.path() / "system" / "Style" / "Gold.mv").string()), std::string::npos) << output_;
    EXPECT_NE(output_.find("Mine.mv"), std::string::npos) << output_;
    EXPECT_EQ(CountOf(output_, "Default"), 2) << output_;  // once, with the system folder's file
    EXPECT_NE(output_.find((dir_.path() / "system" / "Style" / "Default.mv").string()), std::string::npos);
}

TEST_F(CommandUse, RecordIsWrittenAfterTheImageAndKeepsAnyPathByteForByte) {
    Write("in.png", DiscImage(48, 40, 4));
    // A texture path in another encoding than UTF-8 survives replay and record.
    const std::string latin1 = "Texture/caf\xe9.jpg";
    DescriptorItems items = HostStyle_Descriptor(HostStyle_Defaults());
    for (DescriptorItem& item : items)
        if (item.key == Descriptor_KeyFromName("pTpa")) item.text = latin1;
    SaveAction(File("latin1.json"), items);
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

TEST_F(CommandUse, RecordMayNotNameAFileOfTheRun) {
    Write("in.png", DiscImage(32, 24, 4));
    Write("mask.png", DiscImage(32, 24, 3));
    fs::copy_file(kGoldStyle, File("Gold.mv"));
    std::ofstream(File("out.png")) << "previous output";
    fs::create_symlink(File("in.png"), File("link.json"));
    const std::string inBytes = ReadFile(File("in.png"));
    const std::vector<std::vector<std::string>> cases = {
        {"--record", File("in.png")},
        {"--record", File("link.json")},
        {"--record", (dir_.path() / "." / "out.png").string()},
        {"--record", File("mask.png"), "--selection", File("mask.png")},
        {"--record", File("Gold.mv"), "--style", File("Gold.mv")},
        {"--record", (dir_.path() / "system" / "Style" / "Gold.mv").string(), "--style", "Gold"},
    };
    for (const auto& options : cases) {
        std::vector<std::string> args{"apply", File("in.png"), "-o", File("out.png")};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(Run(args), kExitUsage) << options[1];
        EXPECT_NE(errors_.find("--record"), std::string::npos) << errors_;
    }
    EXPECT_EQ(ReadFile(File("in.png")), inBytes);
    EXPECT_EQ(ReadFile(File("out.png")), "previous output");
    EXPECT_EQ(ReadFile(File("Gold.mv")), ReadFile(kGoldStyle));
    EXPECT_EQ(ReadFile((dir_.path() / "system" / "Style" / "Gold.mv").string()), ReadFile(kGoldStyle));
}

TEST_F(CommandUse, BatchWritesEachSuccessAndExitsWithTheWorstFailure) {
    Write("a.png", DiscImage(48, 40, 4));
    Write("b.jpg", DiscImage(40, 32, 3));
    std::ofstream(File("broken.png")) << "not an image";
    Write("c.png", DiscImage(30, 30, 4));
    fs::create_directories(File("out/c.png"));  // a folder where c's output would go
    const std::vector<std::string> inputs{File("a.png"), File("broken.png"), File("b.jpg"), File("c.png")};
    std::vector<std::string> args{"apply"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    args.insert(args.end(), {"--out-dir", File("out"), "--style", "Gold"});
    EXPECT_EQ(Run(args), kExitUnwritable) << errors_;
    EXPECT_NE(errors_.find(File("broken.png") + ": "), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(File("c.png") + ": "), std::string::npos) << errors_;
    EXPECT_EQ(CountOf(errors_, "%"), 1) << errors_;  // one bar over the files
    EXPECT_FALSE(fs::exists(File("out/broken.png")));

    // Each output is what a run of its own gives.
    for (const std::string name : {"a.png", "b.jpg"}) {
        ASSERT_EQ(Run({"apply", File(name), "-o", File("single-" + name), "--style", "Gold"}), kExitOk) << errors_;
        EXPECT_EQ(ReadFile(File("out/" + name)), ReadFile(File("single-" + name))) << name;
    }

    fs::remove(File("out/c.png"));
    EXPECT_EQ(Run({"apply", File("a.png"), File("broken.png"), "--out-dir", File("out")}), kExitBadInput);
    EXPECT_EQ(Run({"apply", File("a.png"), File("c.png"), "--out-dir", File("new")}), kExitOk) << errors_;
    EXPECT_TRUE(fs::exists(File("new/a.png")) && fs::exists(File("new/c.png")));
    // Two inputs of one name would write one output twice.
    fs::create_directory(File("sub"));
    Write("sub/a.png", DiscImage(20, 20, 4));
    EXPECT_EQ(Run({"apply", File("a.png"), File("sub/a.png"), "--out-dir", File("twice")}), kExitUsage);
    EXPECT_EQ(Run({"apply", File("a.png"), File("c.png"), "-o", File("x.png")}), kExitUsage);
    // A batch into the inputs' own folder would replace them.
    const std::string original = ReadFile(File("a.png"));
    EXPECT_EQ(Run({"apply", File("a.png"), File("c.png"), "--out-dir", dir_.path().string()}), kExitUsage);
    EXPECT_EQ(ReadFile(File("a.png")), original);
}

TEST(HostProgressBar, PercentRunsOverAllItemsAndOnlyTheFinalLineLeavesATerminal) {
    for (const bool terminal : {false, true}) {
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* stream = ::open_memstream(&text, &size);
        {
            HostProgressBar bar(4, stream, terminal);
            bar.StartItem(1);
            bar.Show(50, 100);  // one and a half of four
            std::fflush(stream);
            const std::string shown(text, size);
            if (terminal) EXPECT_NE(shown.find(" 37%  2/4"), std::string::npos) << shown;
            else EXPECT_EQ(shown, "");
            bar.StartItem(4);
        }
        std::fclose(stream);
        const std::string written(text, size);
        std::free(text);
        EXPECT_NE(written.find("] 100%  4/4"), std::string::npos) << written;
        EXPECT_EQ(CountOf(written, "\n"), 1) << written;
        if (terminal) EXPECT_GE(CountOf(written, "%"), 3) << written;
        else EXPECT_EQ(CountOf(written, "%"), 1) << written;
    }
}

}  // namespace
