// Every way a run of the morvanel command fails: its exit code, its message,
// and that it writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "CommandTestSupport.h"

namespace {

using namespace morvanel_test;

// AddressSanitizer reserves terabytes of address space for its shadow, so a
// sanitized command cannot start under an address-space limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr rlim_t kOneGigabyte = RLIM_INFINITY;
#else
constexpr rlim_t kOneGigabyte = rlim_t{1} << 30;
#endif

using MorvanelCommand = CommandTest;

// In the rows, "@name" is a file of the test folder, where "bad/" holds the
// committed corpus of broken files.  Each run is limited to 1 GB of address
// space (unless sanitized): the corpus headers claim 2 to 2.7 GB, and they
// must be refused before any pixel memory is taken.
TEST_F(MorvanelCommand, FailuresExitWithTheirCodeAndMessageAndWriteNothing) {
    const bool root = ::geteuid() == 0;  // root may read and write any file
    Write("in.png", DiscImage(32, 24, 3));
    Write("small.png", DiscImage(16, 12, 3));
    Write("a.png", DiscImage(20, 20, 4));
    fs::create_directory(File("sub"));
    Write("sub/a.png", DiscImage(20, 20, 4));
    std::ofstream(File("bad.json")) << R"({"descriptor": [{"key": "pMhe", "value": "high"}, {"key": 5}]})";
    std::ofstream(File("kept.png")) << "previous output";
    std::ofstream(File("locked.png")) << "precious";
    ::chmod(File("locked.png").c_str(), 0444);
    Write("unreadable.png", DiscImage(8, 8, 3));
    ::chmod(File("unreadable.png").c_str(), 0);
    for (const char* fifo : {"fifo.mv", "fifo.json", "fifo.png"})
        ASSERT_EQ(::mkfifo(File(fifo).c_str(), 0600), 0);
    fs::create_symlink(File("in.png"), File("link.json"));
    fs::create_directory_symlink(kBadFiles, File("bad"));
    const std::string inBytes = ReadFile(File("in.png"));
    const std::string damaged = "damaged";

    const struct {
        std::string commandLine;  // words split at spaces
        int code;
        std::string message;
        bool asUser = false;  // only for a user other than root
    } cases[] = {
        // Before any run there is nothing to repeat.
        {"apply @in.png -o @out.png --repeat", kExitBadAction, "no last run to repeat"},
        // Inputs that cannot be read.
        {"apply @absent.png -o @out.png", kExitBadInput, "no such file"},
        {"apply @fifo.png -o @out.png", kExitBadInput, "not a regular file"},  // without waiting for a writer
        {"apply @unreadable.png -o @out.png", kExitBadInput, "permission denied", true},
        {"apply @bad/blank-8000-square.png -o @out.png", kExitBadInput, "not enough memory for a 8000x8000 image"},
        {"apply @bad/claims-26000-square.png -o @out.png", kExitBadInput, damaged},
        {"apply @bad/cut-in-half.png -o @out.png", kExitBadInput, damaged},
        {"apply @bad/garbled-alpha.tif -o @out.png", kExitBadInput, damaged},
        {"apply @bad/run-length.bmp -o @out.png", kExitBadInput, "kind of BMP file that morvanel does not read"},
        {"apply @bad/text-named.png -o @out.png", kExitBadInput, "not an image"},
        {"apply @in.png -o @out.png --selection @small.png", kExitBadInput, "is 16x12, the image 32x24"},
        // Actions and styles that cannot be used.
        {"apply @in.png -o @kept.png --action @bad.json", kExitBadAction, "bad.json"},
        {"apply @in.png -o @out.png --action @fifo.json", kExitBadAction, "not a regular file"},
        {"apply @in.png -o @out.png --style @absent.mv", kExitBadAction, "absent.mv"},
        {"apply @in.png -o @out.png --style Absent", kExitBadAction, "no style called Absent"},
        {"apply @in.png -o @out.png --style @fifo.mv", kExitBadAction, "not a regular file"},
        {"apply @in.png -o @out.png --style @in.png", kExitBadAction, "is not a style file"},
        {"apply @in.png -o @out.png --style @bad/style-no-section.mv", kExitBadAction, "is not a style file"},
        // Command lines that make no sense.
        {"", kExitUsage, "no command given"},
        {"polish @in.png", kExitUsage, "unknown command polish"},
        {"apply @in.png", kExitUsage, "needs an output image"},
        {"apply @in.png -o @out.png --shiny", kExitUsage, "unknown option --shiny"},
        {"apply @in.png -o @out.png --rect 30,0,8,8", kExitUsage, "--rect"},
        {"apply @in.png -o @out.png --rect 0,0,0,8", kExitUsage, "--rect"},
        {"apply @in.png -o @out.png --rect 1,2,3", kExitUsage, "--rect needs four integers"},
        {"apply @in.png -o @out.gif", kExitUsage, "unknown image format"},
        {"apply @in.png -o @out.jpg --background #12345", kExitUsage, "--background needs a colour"},
        {"apply @in.png -o @out.jpg --background #12345g", kExitUsage, "--background needs a colour"},
        // Two inputs of one name would write one output twice; a batch into
        // the inputs' own folder would replace them.
        {"apply @a.png @sub/a.png --out-dir @twice", kExitUsage, "would write the same output"},
        {"apply @a.png @in.png -o @out.png", kExitUsage, "need --out-dir"},
        {"apply @a.png @in.png --out-dir @", kExitUsage, "would replace the input"},
        // A record may not name a file the run reads or writes.
        {"apply @in.png -o @kept.png --record @in.png", kExitUsage, "--record"},
        {"apply @in.png -o @kept.png --record @link.json", kExitUsage, "--record"},
        {"apply @in.png -o @kept.png --record @./kept.png", kExitUsage, "--record"},
        {"apply @in.png -o @kept.png --record @system/Style/Gold.mv --style Gold", kExitUsage, "--record"},
        // Outputs that cannot be written.
        {"apply @in.png -o @no/such/folder/out.png", kExitUnwritable, "folder is missing or not writable"},
        {"apply @in.png -o @out.png --record @no/such/folder/a.json",
         kExitUnwritable, "a.json: its folder is missing"},
        {"apply @in.png -o @locked.png", kExitUnwritable, "locked.png: the file is read-only", true},
        // The plug-in cannot be loaded.
        {"apply @in.png -o @out.png --plugin @absent.so", kExitPluginFailed, "cannot load the plug-in"},
        {"about --plugin @absent.so", kExitPluginFailed, "cannot load the plug-in"},
        // Backups.
        {"backup", kExitUsage, "needs a pack file"},
        {"backup @all.mvz --mode some", kExitUsage, "--mode takes style, styles or all"},
        {"restore @missing.mvz", kExitBadInput, "cannot be opened"},
        {"backup @no/such/folder/x.mvz", kExitUnwritable, "cannot be created"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        std::vector<std::string> args;
        std::istringstream words(c.commandLine);
        for (std::string word; words >> word;) args.push_back(word.front() == '@' ? File(word.substr(1)) : word);
        if (c.asUser && root) continue;
        EXPECT_EQ(Run(args, {}, kOneGigabyte), c.code) << errors_;
        EXPECT_NE(errors_.find(c.message), std::string::npos) << errors_;
        EXPECT_FALSE(fs::exists(File("out.png")));
    }
    EXPECT_EQ(ReadFile(File("kept.png")), "previous output");
    EXPECT_EQ(ReadFile(File("in.png")), inBytes);
    EXPECT_EQ(ReadFile(File("system/Style/Gold.mv")), ReadFile(kGoldStyle));
    if (!root) {
        EXPECT_EQ(ReadFile(File("locked.png")), "precious");
    }
    EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty());
}

}  // namespace
