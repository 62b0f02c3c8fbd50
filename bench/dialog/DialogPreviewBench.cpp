// Preview latency of the real main dialog, offscreen, on a 4000 x 3000
// image with the default style: the time from a parameter change to the
// repainted preview (render of the preview bitmaps, blend, paint), as the
// median of many changes, for a lighting change (the shape stages are
// reused) and a shape change, in the fit view and in the zoomed 1:1 view.
//
//     QT_QPA_PLATFORM=offscreen morvanel_dialog_bench [changes] [WIDTHxHEIGHT]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>

#include "DialogBench.h"
#include "PsMonitor.h"

namespace {

using dialog_bench::Median;

// Times `changes` parameter changes, each followed by the dialog's preview
// update (render, blend, repaint); alternates between two values.
template <class Change>
double TimeChanges(CMainDlg& dialog, int changes, Change change) {
    std::vector<double> times;
    for (int i = 0; i < changes; ++i) {
        const auto start = std::chrono::steady_clock::now();
        change(i % 2 == 0);
        dialog.PaneChanged(false);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(times);
}

// The same changes rendered by the engine alone into the monitor's
// bitmaps: what the dialog adds is the rest (restore, blend, paint).
template <class Change>
double TimeEngineOnly(CShadeApp& app, PsMonitor& monitor, int changes, Change change) {
    std::vector<double> times;
    for (int i = 0; i < changes; ++i) {
        const auto start = std::chrono::steady_clock::now();
        change(i % 2 == 0);
        monitor.Undo();
        if (monitor.IsZoom()) {
            const CMacRect rect = monitor.GetRenderRect();
            app.Filter(&monitor.FullRender(), &monitor.FullRenderMask(), &rect, nullptr, nullptr);
        } else {
            app.Filter(&monitor.ReducedRender(), &monitor.ReducedRenderMask(), nullptr, nullptr, nullptr);
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const dialog_bench::BenchArgs args = dialog_bench::ParseArgs(argc, argv);
    const int changes = args.changes;
    const int width = args.width, height = args.height;

    dialog_bench::BenchDialog bench("morvanel-dialog-bench", width, height);
    CMainDlg& dialog = bench.Dialog();
    CShadeApp& app = bench.App();

    ShadeParams& p = app.Params();
    const auto lighting = [&p](bool even) { p.LightAngleH[kLightChannelMain] = even ? 30 : 60; };
    const auto shape = [&p](bool even) { p.Length = even ? 60 : 70; };
    const QRect preview = dialog.GetMonitor()->PreviewQRect();
    std::printf("image %dx%d, dialog %dx%d, fit preview %dx%d, median of %d changes\n", dialog_bench::kImageWidth,
                dialog_bench::kImageHeight, width, height, preview.width(), preview.height(), changes);

    PsMonitor& monitor = *dialog.GetMonitor();
    const double fitLight = TimeChanges(dialog, changes, lighting);
    const double fitShape = TimeChanges(dialog, changes, shape);
    const double fitLightEngine = TimeEngineOnly(app, monitor, changes, lighting);
    const double fitShapeEngine = TimeEngineOnly(app, monitor, changes, shape);
    dialog.ItemHit(MainItem::kZoom);
    const QRect zoom = monitor.ViewQRect();
    const double zoomLight = TimeChanges(dialog, changes, lighting);
    const double zoomShape = TimeChanges(dialog, changes, shape);
    const double zoomLightEngine = TimeEngineOnly(app, monitor, changes, lighting);
    const double zoomShapeEngine = TimeEngineOnly(app, monitor, changes, shape);

    std::printf("fit view   lighting change %7.2f ms (goal 8)   shape change %7.2f ms (goal 25)\n", fitLight, fitShape);
    std::printf("zoom view  lighting change %7.2f ms            shape change %7.2f ms   (view %dx%d)\n", zoomLight,
                zoomShape, zoom.width(), zoom.height());
    std::printf("engine alone: fit %.2f / %.2f ms, zoom %.2f / %.2f ms (lighting / shape)\n", fitLightEngine,
                fitShapeEngine, zoomLightEngine, zoomShapeEngine);
    std::printf("ratios     shape / lighting: fit %.2f, zoom %.2f; zoom / fit: lighting %.2f, shape %.2f\n",
                fitShape / fitLight, zoomShape / zoomLight, zoomLight / fitLight, zoomShape / fitShape);
    return 0;
}
