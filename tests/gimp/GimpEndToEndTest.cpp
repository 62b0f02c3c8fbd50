// The GIMP plug-in in a real GIMP: gimp-console-2.10 in batch mode, with its
// folders, the home and the XDG folders inside a temporary folder.  The
// plug-in is installed with scripts/install-gimp-plugin.sh after GIMP made
// its folder on a first start; its result must match `morvanel apply` for
// the same image, selection, rectangle and style.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "FilterHost.h"
#include "HostImageFile.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::TempDir;

std::string FindGimp() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / "gimp-console-2.10";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs argv with the given environment changes; standard output and error
// go to log.  Returns the exit code, or -1.
int RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
        const std::string& log) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (const auto& [name, value] : environment) {
            if (value.empty()) ::unsetenv(name.c_str());
            else ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (std::freopen(log.c_str(), "a", stdout) == nullptr || ::dup2(STDOUT_FILENO, STDERR_FILENO) < 0) ::_exit(126);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

HostImageSt Load(const std::string& path) {
    HostImageSt image;
    std::string error;
    EXPECT_TRUE(HostImage_Load(path, image, error)) << error;
    return image;
}

// The bounds of the non-zero selection bytes: GIMP's filter area.
HostRect SelectionBounds(const std::vector<uint8_t>& mask, int32_t width, int32_t height) {
    HostRect bounds{int16_t(height), int16_t(width), 0, 0};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (mask[std::size_t(y) * width + x] != 0) {
                bounds.top = std::min<int16_t>(bounds.top, y);
                bounds.left = std::min<int16_t>(bounds.left, x);
                bounds.bottom = std::max<int16_t>(bounds.bottom, y + 1);
                bounds.right = std::max<int16_t>(bounds.right, x + 1);
            }
    return bounds;
}

// Pixels that differ, leaving out the colour of pixels transparent in both.
int CountDifferences(const HostImageSt& a, const HostImageSt& b) {
    int differences = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) {
            const uint8_t* p = a.Pixel(x, y);
            const uint8_t* q = b.Pixel(x, y);
            if (p[3] == 0 && q[3] == 0) continue;
            if (!std::equal(p, p + 4, q)) ++differences;
        }
    return differences;
}

class GimpEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        gimp_ = FindGimp();
        if (gimp_.empty()) GTEST_SKIP() << "GIMP 2.10 is not installed (no gimp-console-2.10 on PATH): skipped";
        if (std::string(MORVANEL_GIMP_EXECUTABLE).empty())
            GTEST_SKIP() << "morvanel-gimp was not built (libgimp 2.0 missing): skipped";
        const fs::path root = dir_.path();
        for (const char* folder : {"home", "config", "cache", "data", "morvanel", "reference"})
            fs::create_directories(root / folder);
        gimpFolder_ = (root / "gimp2").string();
        environment_ = {{"HOME", (root / "home").string()},
                        {"XDG_CONFIG_HOME", (root / "config").string()},
                        {"XDG_CACHE_HOME", (root / "cache").string()},
                        {"XDG_DATA_HOME", (root / "data").string()},
                        {"GIMP2_DIRECTORY", gimpFolder_},
                        {"MORVANEL_HOME", (root / "morvanel").string()},
                        {"MORVANEL_PLUGIN", ""},
                        {"MORVANEL_DATA", ""}};
    }

    // gimp-console in batch mode with the commands, then quit.  GIMP exits
    // with 0 even when a command fails; the log tells.
    std::string Batch(const std::vector<std::string>& commands, const std::string& logName) {
        std::vector<std::string> argv{gimp_, "-i", "--no-fonts"};
        for (const std::string& command : commands) {
            argv.push_back("-b");
            argv.push_back(command);
        }
        argv.push_back("-b");
        argv.push_back("(gimp-quit 0)");
        const std::string log = dir_.file(logName);
        EXPECT_EQ(RunProcess(argv, environment_, log), 0) << ReadFile(log);
        return ReadFile(log);
    }

    void Install() {
        Batch({}, "first-start.log");
        ASSERT_TRUE(fs::is_directory(gimpFolder_)) << "GIMP made no folder on its first start";
        const std::string log = dir_.file("install.log");
        ASSERT_EQ(RunProcess({MORVANEL_INSTALL_SCRIPT, "--no-build", "--build-dir", MORVANEL_BUILD_DIR}, environment_, log), 0)
            << ReadFile(log);
        ASSERT_TRUE(fs::exists(fs::path(gimpFolder_) / "plug-ins/morvanel-gimp/morvanel-gimp"));
        ASSERT_TRUE(fs::exists(fs::path(gimpFolder_) / "plug-ins/morvanel-gimp/libmorvanel.so"));
    }

    TempDir dir_;
    std::string gimp_;
    std::string gimpFolder_;
    std::map<std::string, std::string> environment_;
};

TEST_F(GimpEndToEnd, EllipseOnPngWithAlphaMatchesTheCommandGreyLayerIsRefused) {
    Install();
    const std::string input = MORVANEL_TEST_SAMPLES "/Star.png";
    const std::string output = dir_.file("gimp.png");
    const std::string mask = dir_.file("mask.png");
    const std::string repeated = dir_.file("last.png");
    // The selection goes out as stored: a channel pasted into a grey image
    // of the same precision keeps its bytes, so the command gets the very
    // same selection.
    // What the user sees besides the layer: the selection (its mean and
    // bounds) and the active layer, the same before the run and after it.
    const std::string selectionAndLayer =
        "(define (selection-and-layer image)"
        "  (let ((histogram (gimp-drawable-histogram (car (gimp-image-get-selection image)) HISTOGRAM-VALUE 0 1))"
        "        (bounds (gimp-selection-bounds image)))"
        "    (string-append (number->string (car histogram)) \" \" (number->string (cadr bounds)) \" \""
        "                   (number->string (caddr bounds)) \" layer \""
        "                   (number->string (car (gimp-image-get-active-layer image))))))";
    const std::string script =
        "(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"" + input + "\" \"Star.png\")))"
        "       (layer (car (gimp-image-get-active-layer image)))"
        "       (copy (car (gimp-layer-copy layer TRUE))))"
        "  (gimp-image-insert-layer image copy 0 -1)"
        "  (gimp-image-set-active-layer image layer)"
        "  (gimp-context-set-antialias TRUE)"
        "  (gimp-image-select-ellipse image CHANNEL-OP-REPLACE 70 90 170 120)"
        "  (let* ((saved (car (gimp-selection-save image)))"
        "         (w (car (gimp-image-width image))) (h (car (gimp-image-height image)))"
        "         (maskImage (car (gimp-image-new w h GRAY)))"
        "         (maskLayer (car (gimp-layer-new maskImage w h GRAY-IMAGE \"mask\" 100 LAYER-MODE-NORMAL))))"
        "    (gimp-image-insert-layer maskImage maskLayer 0 0)"
        "    (gimp-selection-none image)"
        "    (gimp-edit-copy saved)"
        "    (gimp-image-select-item image CHANNEL-OP-REPLACE saved)"
        "    (gimp-floating-sel-anchor (car (gimp-edit-paste maskLayer FALSE)))"
        "    (file-png-save2 RUN-NONINTERACTIVE maskImage maskLayer \"" + mask + "\" \"mask.png\" 0 9 0 0 0 0 0 0 0)"
        "    (gimp-image-remove-channel image saved))"
        "  (gimp-message (string-append \"morvanel-test before: \" (selection-and-layer image)))"
        "  (plug-in-morvanel RUN-NONINTERACTIVE image layer \"Gold\")"
        "  (gimp-message (string-append \"morvanel-test after: \" (selection-and-layer image)))"
        "  (file-png-save2 RUN-NONINTERACTIVE image layer \"" + output + "\" \"gimp.png\" 0 9 0 0 0 0 0 0 1)"
        "  (plug-in-morvanel RUN-WITH-LAST-VALS image copy \"\")"
        "  (file-png-save2 RUN-NONINTERACTIVE image copy \"" + repeated + "\" \"last.png\" 0 9 0 0 0 0 0 0 1)"
        "  (gimp-message (string-append \"morvanel-test relief: \""
        "                  (caddr (car (gimp-item-get-parasite layer \"morvanel-relief\"))))))";
    // A grey layer is refused with a message, in a batch command of its own.
    const std::string grey =
        "(let* ((image (car (gimp-image-new 40 30 GRAY)))"
        "       (layer (car (gimp-layer-new image 40 30 GRAYA-IMAGE \"grey\" 100 LAYER-MODE-NORMAL))))"
        "  (gimp-image-insert-layer image layer 0 0)"
        "  (plug-in-morvanel RUN-NONINTERACTIVE image layer \"Gold\"))";
    const std::string log = Batch({selectionAndLayer + script, grey}, "run.log");
    // The run succeeds, the grey layer fails.
    const std::size_t failure = log.find("batch command experienced an execution error");
    ASSERT_NE(failure, std::string::npos) << log;
    int successes = 0;
    for (std::size_t at = 0; (at = log.find("batch command executed successfully", at)) < failure; ++at) ++successes;
    ASSERT_EQ(successes, 1) << log;
    EXPECT_NE(log.find("only RGB layers can be shaded, and this one is grey or indexed", failure), std::string::npos) << log;
    const auto messageOf = [&log](const std::string& prefix) {
        const std::size_t at = log.find(prefix);
        if (at == std::string::npos) return std::string("(missing)");
        return log.substr(at + prefix.size(), log.find('\n', at) - at - prefix.size());
    };
    EXPECT_NE(messageOf("morvanel-test before: "), "(missing)") << log;
    EXPECT_EQ(messageOf("morvanel-test before: "), messageOf("morvanel-test after: ")) << log;
    // The layer keeps the action of its run: the 59 entries, the style's
    // texture among them.
    EXPECT_NE(log.find("morvanel-test relief: {"), std::string::npos) << log;
    EXPECT_NE(log.find("\"key\":\"pLsd\""), std::string::npos) << log;

    const HostImageSt original = Load(input);
    const HostImageSt fromGimp = Load(output);
    ASSERT_EQ(fromGimp.planes, 4);
    ASSERT_EQ(fromGimp.width, original.width);
    std::vector<uint8_t> selection;
    std::string error;
    ASSERT_TRUE(HostImage_LoadSelection(mask, original.width, original.height, selection, error)) << error;
    const HostRect area = SelectionBounds(selection, original.width, original.height);
    ASSERT_LT(area.left, area.right);
    EXPECT_GT(std::count_if(selection.begin(), selection.end(), [](uint8_t v) { return v != 0 && v != 255; }), 0)
        << "the ellipse has soft edges";

    const std::string reference = dir_.file("reference.png");
    const std::string rect = std::to_string(area.left) + "," + std::to_string(area.top) + "," +
                             std::to_string(area.right - area.left) + "," + std::to_string(area.bottom - area.top);
    auto commandEnvironment = environment_;
    commandEnvironment["MORVANEL_HOME"] = dir_.file("reference");
    commandEnvironment["MORVANEL_PLUGIN"] = MORVANEL_TEST_PLUGIN;
    const std::string commandLog = dir_.file("command.log");
    ASSERT_EQ(RunProcess({MORVANEL_COMMAND, "apply", input, "-o", reference, "--selection", mask, "--rect", rect, "--style",
                   MORVANEL_TEST_STYLES "/Gold.mv"},
                  commandEnvironment, commandLog),
              0)
        << ReadFile(commandLog);
    const HostImageSt expected = Load(reference);
    EXPECT_EQ(CountDifferences(fromGimp, expected), 0);
    EXPECT_GT(CountDifferences(fromGimp, original), 1000) << "the relief changed the selected area";
    // The last values, replayed on a copy of the layer, give the same look.
    EXPECT_EQ(CountDifferences(Load(repeated), fromGimp), 0);
}

}  // namespace
