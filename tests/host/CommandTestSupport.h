#pragma once
// Running the morvanel command as a child process, test images, and the
// fixture of a temporary folder with a system folder and home of its own.
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FilterHost.h"
#include "HostAction.h"
#include "HostCommand.h"
#include "HostImageFile.h"
#include "TempDir.h"

namespace morvanel_test {

namespace fs = std::filesystem;

inline const std::string kGoldStyle = std::string(MORVANEL_TEST_STYLES) + "/Gold.mv";
inline const std::string kTestData = std::string(MORVANEL_TEST_DATA) + "/";
inline const std::string kBadFiles = kTestData + "bad/";

// In a child process: runs the command with args and the test plug-in.
[[noreturn]] inline void ExecMorvanel(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(MORVANEL_COMMAND)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::setenv("MORVANEL_PLUGIN", MORVANEL_TEST_PLUGIN, 1);
    ::execv(MORVANEL_COMMAND, argv.data());
    ::_exit(127);
}

// Runs the command on a terminal of its own (a pseudo-terminal) and collects
// what it writes there.  With interrupt, the first time the progress bar
// shows a percentage between 1 and 50 the command gets SIGINT, as from Ctrl-C.
// kNoTerminal when the system gives no pseudo-terminal.
inline constexpr int kNoTerminal = -2;
inline int RunMorvanelOnTerminal(const std::vector<std::string>& args, std::string& text, bool interrupt = false) {
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) ExecMorvanel(args);
    if (child < 0) return kNoTerminal;
    text.clear();
    bool interrupted = false;
    char buffer[4096];
    for (ssize_t count; (count = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(count));
        for (int percent = 1; interrupt && !interrupted && percent <= 50; ++percent)
            if (text.find(" " + std::to_string(percent) + "%") != std::string::npos) {
                ::kill(child, SIGINT);
                interrupted = true;
            }
    }
    ::close(terminal);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Names of hidden files (temporaries) in a folder.
inline std::vector<std::string> HiddenFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.') names.push_back(entry.path().filename().string());
    return names;
}

// A light background with a dark disc in the middle; with 4 planes the
// disc is opaque and the background fully transparent.
inline HostImageSt DiscImage(int32_t width, int32_t height, int16_t planes) {
    HostImageSt image = HostImage_Make(width, height, planes);
    const int32_t radius = std::min(width, height) / 3;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dx = x - width / 2, dy = y - height / 2;
            const bool inDisc = dx * dx + dy * dy <= radius * radius;
            uint8_t* pixel = image.Pixel(x, y);
            pixel[0] = inDisc ? 40 : 200;
            pixel[1] = static_cast<uint8_t>(inDisc ? 90 : 150 + x % 50);
            pixel[2] = static_cast<uint8_t>(inDisc ? 160 : 100 + y % 50);
            if (planes == 4) pixel[3] = inDisc ? 255 : 0;
        }
    return image;
}

inline HostImageSt LoadImage(const std::string& path) {
    HostImageSt image;
    std::string error;
    HostImage_Load(path, image, error);
    return image;
}

// Whether any colour byte of the pixels inside (or outside) the rectangle
// differs between the two images of equal size.
inline bool DiffersWithin(const HostImageSt& a, const HostImageSt& b, HostRect rect, bool inside) {
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) {
            const bool in = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            if (in != inside) continue;
            for (int p = 0; p < std::min(a.planes, b.planes); ++p)
                if (a.Pixel(x, y)[p] != b.Pixel(x, y)[p]) return true;
        }
    return false;
}

// The command run on files in a temporary folder, with a system folder and
// home of its own.
class CommandTest : public ::testing::Test {
protected:
    CommandTest() : home_(dir_) {}

    std::string File(const std::string& name) const { return dir_.file(name); }

    // Runs the command with args in the folder cwd (empty: this one) and
    // keeps what it wrote to standard error and output.  With addressSpace
    // the child may map at most that many bytes.  Returns the exit code, or
    // -1 when it did not exit normally.
    int Run(const std::vector<std::string>& args, const std::string& cwd = {}, rlim_t addressSpace = RLIM_INFINITY) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (std::freopen(File("stderr.txt").c_str(), "w", stderr) == nullptr ||
                std::freopen(File("stdout.txt").c_str(), "w", stdout) == nullptr ||
                (!cwd.empty() && ::chdir(cwd.c_str()) != 0))
                ::_exit(126);
            const struct rlimit limit{addressSpace, addressSpace};
            if (addressSpace != RLIM_INFINITY && ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(125);
            ExecMorvanel(args);
        }
        int status = 0;
        const bool exited = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
        errors_ = ReadFile(File("stderr.txt"));
        output_ = ReadFile(File("stdout.txt"));
        return exited ? WEXITSTATUS(status) : -1;
    }

    void Write(const std::string& name, const HostImageSt& image) {
        std::string error;
        ASSERT_TRUE(HostImage_Save(File(name), image, error)) << error;
    }

    void WriteAction(const std::string& name, const DescriptorItems& items) {
        HostActionSt action;
        action.descriptor = items;
        std::string error;
        ASSERT_TRUE(HostAction_Save(File(name), action, error)) << error;
    }

    TempDir dir_;
    ScopedHome home_;
    std::string errors_;
    std::string output_;
};

}  // namespace morvanel_test
