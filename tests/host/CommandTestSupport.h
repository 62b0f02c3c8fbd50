#pragma once
// Running the morvanel command as a child process, and test images.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FilterHost.h"
#include "HostImageFile.h"

namespace morvanel_test {

// Runs the command with args; its standard error goes to errorFile.
// Returns the exit code, or -1 when it did not exit normally.
inline int RunMorvanel(const std::vector<std::string>& args, const std::string& errorFile) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(MORVANEL_COMMAND)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (std::freopen(errorFile.c_str(), "w", stderr) == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr)
            ::_exit(126);
        ::setenv("MORVANEL_PLUGIN", MORVANEL_TEST_PLUGIN, 1);
        ::execv(MORVANEL_COMMAND, argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

}  // namespace morvanel_test
