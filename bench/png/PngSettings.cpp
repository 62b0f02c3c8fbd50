// Time and size of PNG writing for every zlib level and row filter on one
// image: morvanel_png_settings IN.png [OUT-FOLDER]
#include <png.h>

#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>

#include "RgbaPng.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s IN.png [OUT-FOLDER]\n", argv[0]);
        return 2;
    }
    RgbaPngPixelsSt image;
    if (!RgbaPng_LoadPixels(argv[1], image)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 3;
    }
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const std::string out = (folder / "morvanel-png-settings.png").string();
    struct Filter {
        const char* name;
        int flags;
    };
    const Filter filters[] = {{"none", PNG_FILTER_NONE}, {"sub", PNG_FILTER_SUB},    {"up", PNG_FILTER_UP},
                              {"paeth", PNG_FILTER_PAETH}, {"up+paeth", PNG_FILTER_UP | PNG_FILTER_PAETH},
                              {"all", PNG_ALL_FILTERS}};
    std::printf("%dx%d, %d planes\nlevel filter    cpu ms        bytes\n", image.width, image.height, image.planes);
    for (const int level : {1, 3, 4, 5, 6}) {
        for (const Filter& filter : filters) {
            // Processor time: the machine may be busy with other work.
            const std::clock_t start = std::clock();
            if (!RgbaPng_SavePixels(out, image.width, image.height, image.planes, image.pixels.data(),
                                    {level, filter.flags}))
                return 4;
            const double ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
            std::printf("%5d %-8s %8.1f %12ju\n", level, filter.name, ms,
                        static_cast<uintmax_t>(std::filesystem::file_size(out)));
        }
    }
    std::filesystem::remove(out);
    return 0;
}
