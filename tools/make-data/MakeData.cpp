// make-data [FOLDER]: draws the textures, foreground pictures, samples and
// the about picture of the installation data into FOLDER (default: data)
// and its Texture, Foreground and Samples folders.  The output is the same
// on every run.
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "Pictures.h"

namespace {

struct Output {
    std::string name;  // relative to the data folder; the extension picks the format
    std::function<Canvas()> draw;
};

const std::vector<Output>& Outputs() {
    static const std::vector<Output> outputs = {
        {"Texture/wood.jpg", [] { return MakeWood(256); }},
        {"Texture/marble.jpg", [] { return MakeMarble(256); }},
        {"Texture/paper.jpg", [] { return MakePaper(256); }},
        {"Texture/brushed.jpg", [] { return MakeBrushedMetal(256); }},
        {"Texture/granite.jpg", [] { return MakeGranite(256); }},
        {"Foreground/sky.jpg", [] { return MakeSky(320, 240); }},
        {"Foreground/studio.jpg", [] { return MakeStudio(320, 240); }},
        {"Foreground/sunset.jpg", [] { return MakeSunset(320, 240); }},
        {"Samples/Word.png", [] { return MakeWordSample(640, 260); }},
        {"Samples/Star.png", [] { return MakeStarSample(320); }},
        {"Samples/Landscape.jpg", [] { return MakeLandscapeSample(480, 320); }},
        {"About.png", [] { return MakeAboutPicture(400, 300); }},
    };
    return outputs;
}

bool Write(const Canvas& canvas, const std::filesystem::path& path) {
    return path.extension() == ".png" ? canvas.SavePng(path.string()) : canvas.SaveJpeg(path.string());
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "data";
    int failures = 0;
    for (const Output& output : Outputs()) {
        const std::filesystem::path path = folder / output.name;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (!Write(output.draw(), path)) {
            std::cerr << "make-data: cannot write " << path.string() << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
