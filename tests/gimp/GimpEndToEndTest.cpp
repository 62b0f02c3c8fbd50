// The GIMP plug-in in a real GIMP: gimp-console-2.10 in batch mode, with its
// folders, the home and the XDG folders inside a temporary folder.  The
// plug-in is installed with scripts/install-gimp-plugin.sh after GIMP made
// its folder on a first start; its result must match `morvanel apply` for
// the same image, selection, rectangle and style.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "HostImageFile.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using Environment = std::map<std::string, std::string>;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs argv through the shell with the environment changes (an empty value
// unsets); standard output and error go to log.  Every word is quoted in
// single quotes, so none may hold one.
int RunProcess(const std::vector<std::string>& argv, const Environment& environment, const std::string& log) {
    std::string command = "env", assignments;
    for (const auto& [name, value] : environment) {
        if (value.empty()) command += " -u " + name;
        else assignments += " " + name + "='" + value + "'";
    }
    command += assignments;
    for (const std::string& arg : argv) {
        EXPECT_EQ(arg.find('\''), std::string::npos) << arg;
        command += " '" + arg + "'";
    }
    const int status = std::system((command + " >>'" + log + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

HostImageSt Load(const std::string& path) {
    HostImageSt image;
    std::string error;
    EXPECT_TRUE(HostImage_Load(path, image, error)) << error;
    return image;
}

// The bounds of the non-zero selection bytes (GIMP's filter area) as
// `--rect` wants them; soft counts the bytes between 0 and 255.
std::string SelectionRect(const std::vector<uint8_t>& mask, int32_t width, int32_t height, int& soft) {
    int32_t left = width, top = height, right = 0, bottom = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t value = mask[std::size_t(y) * width + x];
            soft += value != 0 && value != 255;
            if (value == 0) continue;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
        }
    EXPECT_LT(left, right);
    return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right - left) + "," +
           std::to_string(bottom - top);
}

// Pixels that differ, leaving out the colour of pixels transparent in both.
int CountDifferences(const HostImageSt& a, const HostImageSt& b) {
    int differences = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) {
            const uint8_t* p = a.Pixel(x, y);
            const uint8_t* q = b.Pixel(x, y);
            differences += (p[3] != 0 || q[3] != 0) && !std::equal(p, p + 4, q);
        }
    return differences;
}

class GimpEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v gimp-console-2.10 > /dev/null") != 0) GTEST_SKIP() << "GIMP 2.10 is not installed (no gimp-console-2.10 on PATH): skipped";
        if (std::string(MORVANEL_GIMP_EXECUTABLE).empty())
            GTEST_SKIP() << "morvanel-gimp was not built (libgimp 2.0 missing): skipped";
        environment_ = {{"GIMP2_DIRECTORY", dir_.file("gimp2")}, {"MORVANEL_PLUGIN", ""}, {"MORVANEL_DATA", ""}};
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "MORVANEL_HOME"}) {
            environment_[name] = dir_.file(name);
            fs::create_directories(environment_[name]);
        }
    }

    // gimp-console in batch mode with the commands, then quit.  GIMP exits
    // with 0 even when a command fails; the log tells.
    std::string Batch(const std::vector<std::string>& commands, const std::string& logName) {
        std::vector<std::string> argv{"gimp-console-2.10", "-i", "--no-fonts"};
        for (const std::string& command : commands) argv.insert(argv.end(), {"-b", command});
        argv.insert(argv.end(), {"-b", "(gimp-quit 0)"});
        const std::string log = dir_.file(logName);
        EXPECT_EQ(RunProcess(argv, environment_, log), 0) << ReadFile(log);
        return ReadFile(log);
    }

    void Install() {
        Batch({}, "first-start.log");
        const fs::path plugins = fs::path(dir_.file("gimp2")) / "plug-ins/morvanel-gimp";
        ASSERT_TRUE(fs::is_directory(dir_.file("gimp2"))) << "GIMP made no folder on its first start";
        const std::string log = dir_.file("install.log");
        const std::vector<std::string> install{MORVANEL_INSTALL_SCRIPT, "--no-build", "--build-dir",
                                               MORVANEL_BUILD_DIR};
        ASSERT_EQ(RunProcess(install, environment_, log), 0) << ReadFile(log);
        ASSERT_TRUE(fs::exists(plugins / "morvanel-gimp"));
        ASSERT_TRUE(fs::exists(plugins / "libmorvanel.so"));
    }

    morvanel_test::TempDir dir_;
    Environment environment_;
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
    const std::string run = Batch({selectionAndLayer + script, grey}, "run.log");
    // The run succeeds, the grey layer fails.
    const std::size_t failure = run.find("batch command experienced an execution error");
    ASSERT_NE(failure, std::string::npos) << run;
    ASSERT_LT(run.find("batch command executed successfully"), failure) << run;
    const std::string refusal = "only RGB layers can be shaded, and this one is grey or indexed";
    EXPECT_NE(run.find(refusal, failure), std::string::npos) << run;
    const auto messageOf = [&run](const std::string& prefix) {
        const std::size_t at = run.find(prefix);
        if (at == std::string::npos) return std::string("(missing)");
        return run.substr(at + prefix.size(), run.find('\n', at) - at - prefix.size());
    };
    EXPECT_NE(messageOf("morvanel-test before: "), "(missing)") << run;
    EXPECT_EQ(messageOf("morvanel-test before: "), messageOf("morvanel-test after: ")) << run;
    // The layer keeps the action of its run: the 59 entries, the style's
    // texture among them.
    EXPECT_NE(run.find("morvanel-test relief: {"), std::string::npos) << run;
    EXPECT_NE(run.find("\"key\":\"pLsd\""), std::string::npos) << run;

    const HostImageSt original = Load(input);
    const HostImageSt fromGimp = Load(output);
    ASSERT_EQ(fromGimp.planes, 4);
    ASSERT_EQ(fromGimp.width, original.width);
    std::vector<uint8_t> selection;
    std::string error;
    ASSERT_TRUE(HostImage_LoadSelection(mask, original.width, original.height, selection, error)) << error;
    int soft = 0;
    const std::string rect = SelectionRect(selection, original.width, original.height, soft);
    EXPECT_GT(soft, 0) << "the ellipse has soft edges";

    const std::string reference = dir_.file("reference.png");
    Environment commandEnvironment = environment_;
    commandEnvironment["MORVANEL_HOME"] = dir_.file("reference");
    fs::create_directories(commandEnvironment["MORVANEL_HOME"]);
    commandEnvironment["MORVANEL_PLUGIN"] = MORVANEL_TEST_PLUGIN;
    const std::string log = dir_.file("command.log");
    const std::vector<std::string> apply{MORVANEL_COMMAND, "apply", input, "-o", reference, "--selection", mask,
                                         "--rect", rect, "--style", MORVANEL_TEST_STYLES "/Gold.mv"};
    ASSERT_EQ(RunProcess(apply, commandEnvironment, log), 0) << ReadFile(log);
    const HostImageSt expected = Load(reference);
    EXPECT_EQ(CountDifferences(fromGimp, expected), 0);
    EXPECT_GT(CountDifferences(fromGimp, original), 1000) << "the relief changed the selected area";
    // The last values, replayed on a copy of the layer, give the same look.
    EXPECT_EQ(CountDifferences(Load(repeated), fromGimp), 0);
}

}  // namespace
