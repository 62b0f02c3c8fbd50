// morvanel-strip OUT IN... [--height H] [--columns N]: lays the pictures IN
// out in rows on white, each reduced to height H (default 100), N to a row
// (default: all), and writes OUT.  Exits with 1 when a picture cannot be
// read or OUT cannot be written, naming the file.
#include <cstdio>
#include <string>
#include <vector>

#include "ContactStrip.h"
#include "HostImageFile.h"

namespace {

bool ParseCount(const char* text, int32_t& value) {
    try {
        std::size_t used = 0;
        const int parsed = std::stoi(text, &used);
        if (text[used] != '\0' || parsed < 1 || parsed > 4096) return false;
        value = parsed;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int Usage() {
    std::fputs("usage: morvanel-strip OUT IN... [--height H] [--columns N]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    ContactStripSt layout;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--height" || argument == "--columns") {
            int32_t& value = argument == "--height" ? layout.height : layout.columns;
            if (i + 1 == argc || !ParseCount(argv[++i], value)) return Usage();
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() < 2) return Usage();

    std::vector<HostImageSt> pictures;
    std::string error;
    for (std::size_t i = 1; i < files.size(); ++i) {
        HostImageSt picture;
        if (!HostImage_Load(files[i], picture, error)) {
            std::fprintf(stderr, "morvanel-strip: %s\n", error.c_str());
            return 1;
        }
        pictures.push_back(std::move(picture));
    }
    if (!HostImage_Save(files[0], ContactStrip_Make(pictures, layout), error)) {
        std::fprintf(stderr, "morvanel-strip: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
