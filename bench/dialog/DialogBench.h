#pragma once
// What the dialog benchmarks share: the 4000 x 3000 plate image, the real
// main dialog on it in a temporary system folder with the default style,
// and the median.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "AppFolder.h"
#include "CMainDlg.h"
#include "CShadeApp.h"
#include "ImageFileDlgHost.h"
#include "InstallData.h"
#include "RgbaPng.h"

namespace dialog_bench {

inline constexpr int32_t kImageWidth = 4000;
inline constexpr int32_t kImageHeight = 3000;

// A large rounded plate with a hole: an object with long edges, as text or
// a logo would have, on a transparent ground.
inline void WriteImage(const std::string& path) {
    DibEx colour(1), alpha(1);
    colour.Setup(kImageWidth, kImageHeight, 24);
    alpha.Setup(kImageWidth, kImageHeight, 8);
    const int64_t cx = kImageWidth / 2, cy = kImageHeight / 2;
    for (int32_t line = 0; line < kImageHeight; ++line) {
        uint8_t* c = colour.CommitLine(line);
        uint8_t* a = alpha.CommitLine(line);
        for (int32_t x = 0; x < kImageWidth; ++x, c += 3) {
            const int64_t dx = x - cx, dy = line - cy;
            const bool plate = std::abs(dx) < 1600 && std::abs(dy) < 1100;
            const bool hole = dx * dx + dy * dy < 500 * 500;
            a[x] = plate && !hole ? 255 : 0;
            c[0] = 60, c[1] = static_cast<uint8_t>(80 + x % 90), c[2] = static_cast<uint8_t>(120 + line % 80);
        }
    }
    colour.Decommit();
    alpha.Decommit();
    if (RgbaPng_Save(path, &colour, &alpha) != 1) std::exit(1);
}

// The benchmarks' arguments: [CHANGES] [WIDTHxHEIGHT] (41 changes, 1366x768).
struct BenchArgs {
    int changes = 41;
    int width = 1366;
    int height = 768;
};

inline BenchArgs ParseArgs(int argc, char** argv) {
    BenchArgs args;
    if (argc > 1) args.changes = std::max(3, std::atoi(argv[1]));
    if (argc > 2) std::sscanf(argv[2], "%dx%d", &args.width, &args.height);
    return args;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The main dialog on the plate image, shown at width x height with the
// default style chosen, in a system folder of its own under the temporary
// folder.  beforeDialog may change the seeded system folder first.
class BenchDialog {
public:
    BenchDialog(const char* name, int width, int height,
                const std::function<void(const AppPaths&)>& beforeDialog = {})
        : dir_(std::filesystem::temp_directory_path() / name) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "home");
        ::setenv("MORVANEL_HOME", (dir_ / "system").c_str(), 1);
        ::setenv("HOME", (dir_ / "home").c_str(), 1);
        const std::string input = (dir_ / "plate.png").string();
        WriteImage(input);
        SeedSystemFolder(GetPreferencesFolder());
        paths_ = SetupAppPaths();
        if (beforeDialog) beforeDialog(paths_);
        app_.SetFolders(paths_.systemFolder, paths_.textureFolder, paths_.foregroundFolder);
        host_ = std::make_unique<ImageFileDlgHost>(app_, input, (dir_ / "out.png").string());
        dialog_ = std::make_unique<CMainDlg>(app_, *host_, paths_);
        dialog_->OnTimer(-1);
        dialog_->resize(width, height);
        dialog_->show();
        QApplication::processEvents();
        PsControlCombo& styles = dialog_->Model().StyleList();
        for (int32_t i = 0; i < styles.GetCount(); ++i)
            if (styles.GetName(i) == "Default") styles.Select(i + 1, true);
        QApplication::processEvents();
    }
    ~BenchDialog() {
        dialog_->EndDialog(kItemCancel);
        dialog_.reset();
        std::filesystem::remove_all(dir_);
    }
    BenchDialog(const BenchDialog&) = delete;
    BenchDialog& operator=(const BenchDialog&) = delete;

    CMainDlg& Dialog() { return *dialog_; }
    CShadeApp& App() { return app_; }
    const AppPaths& Paths() const { return paths_; }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    AppPaths paths_;
    CShadeApp app_;
    std::unique_ptr<ImageFileDlgHost> host_;
    std::unique_ptr<CMainDlg> dialog_;
};

}  // namespace dialog_bench
