// Renders the main dialog offscreen on an image into PNG files, one per
// state: the fit view, the zoomed view, the style pop-up open and the
// progress window, and each tab pane; then the settings dialog and the about
// window with its first hot spot under the mouse.  scripts/screenshots.sh
// runs it on the shipped sample.
//
//     morvanel-dialog-shots IMAGE OUTDIR [WIDTHxHEIGHT ...] [--suffix TEXT]
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#include "AppFolder.h"
#include "CMainDlg.h"
#include "CImageTabPane.h"
#include "CParamPane.h"
#include "PsImageComboView.h"
#include "CProgressDlg.h"
#include "CShadeApp.h"
#include "ImageFileDlgHost.h"
#include "InstallData.h"
#include "PsComboView.h"
#include "PsControlCombo.h"
#include "PsMonitor.h"
#include "SettingDlg.h"
#include "SplashDlg.h"
#include "CTabView.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(const QPixmap& picture, const std::string& path) {
    if (picture.save(QString::fromStdString(path))) {
        std::printf("%s\n", path.c_str());
        return true;
    }
    std::fprintf(stderr, "morvanel-dialog-shots: cannot write %s\n", path.c_str());
    return false;
}

// The dialog with a window of its own drawn over it where it stands.
QPixmap WithOverlay(CMainDlg& dialog, QWidget& overlay, const QPoint& at) {
    QPixmap picture = dialog.grab();
    QPainter painter(&picture);
    const QPixmap window = overlay.grab();
    painter.drawPixmap(at, window);
    // Windows of their own have a frame on screen; the grab has none.
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(QRect(at, window.deviceIndependentSize().toSize()).adjusted(-1, -1, 0, 0));
    return picture;
}

// One picture per tab pane, and the lighting pane locked.
bool ShootPanes(CMainDlg& dialog, const std::string& prefix) {
    static const char* const kNames[CTabView::kPaneCount] = {"modeling", "material", "texture", "foreground",
                                                             "lighting"};
    CTabView& tabs = *dialog.GetTabView();
    bool ok = true;
    for (int i = 0; i < CTabView::kPaneCount; ++i) {
        tabs.setCurrentIndex(i);
        Settle();
        ok = Save(dialog.grab(), prefix + "pane-" + kNames[i] + ".png") && ok;
    }
    // The texture pane's thumbnail chooser, open below its list.
    tabs.setCurrentIndex(2);
    Settle();
    PsImageComboView* list = static_cast<CImageTabPane*>(tabs.Pane(2))->GetListView();
    PsImagePopupView* chooser = list->ShowPopup();
    Settle();
    const QPoint below = list->mapTo(&dialog, QPoint(0, list->height() + PsImageComboView::kPopupGap));
    ok = Save(WithOverlay(dialog, *chooser, below), prefix + "pane-texture-chooser.png") && ok;
    chooser->close();
    Settle();
    auto& lighting = static_cast<CParamPane&>(*tabs.Pane(CTabView::kPaneCount - 1));
    lighting.SetLock(true);
    Settle();
    ok = Save(dialog.grab(), prefix + "pane-lighting-locked.png") && ok;
    lighting.SetLock(false);
    tabs.setCurrentIndex(0);
    Settle();
    return ok;
}

bool Shoot(CShadeApp& app, const AppPaths& paths, const std::string& image, const std::string& prefix, int width,
           int height) {
    ImageFileDlgHost host(app, image, "/dev/null");
    CMainDlg dialog(app, host, paths);
    dialog.OnTimer(-1);
    dialog.resize(width, height);
    dialog.show();
    // The shipped default style, chosen from the list as a user would.
    PsControlCombo& styles = dialog.Model().StyleList();
    for (int32_t i = 0; i < styles.GetCount(); ++i)
        if (styles.GetName(i) == "Default") styles.Select(i + 1, true);
    dialog.GetStyleView()->Refresh();
    Settle();
    bool ok = Save(dialog.grab(), prefix + "fit.png");

    // The offscreen screen is small and would move the menu; it is drawn
    // where it opens, below the list.
    PsComboView* styleView = dialog.GetStyleView();
    QMenu* popup = styleView->BuildPopup(&dialog);
    popup->setMinimumWidth(styleView->width());
    popup->popup(styleView->mapToGlobal(QPoint(0, styleView->height())));
    Settle();
    const QPoint below = styleView->mapTo(&dialog, QPoint(0, styleView->height()));
    ok = Save(WithOverlay(dialog, *popup, below), prefix + "style-popup.png") && ok;
    popup->close();
    delete popup;

    PsMonitor* monitor = dialog.GetMonitor();
    const QRect preview = monitor->PreviewQRect();
    monitor->MouseEvent(kMouseDown, preview.center() + QPoint(preview.width() / 5, 0));
    monitor->MouseEvent(kMouseUp, preview.center());
    Settle();
    ok = Save(dialog.grab(), prefix + "zoomed.png") && ok;

    ok = ShootPanes(dialog, prefix) && ok;

    CProgressDlg& progress = *dialog.GetProgressWindow();
    progress.Begin();
    progress.SetPercent(42);
    progress.adjustSize();
    Settle();
    const QPoint centre((dialog.width() - progress.width()) / 2, (dialog.height() - progress.height()) / 3);
    ok = Save(WithOverlay(dialog, progress, centre), prefix + "progress.png") && ok;
    progress.End();
    dialog.EndDialog(2);
    return ok;
}

bool ShootSettingsAndAbout(CShadeApp& app, const AppPaths& paths, const std::string& folder,
                           const std::string& suffix) {
    char lastFolder[256] = "";
    ShadeParamsSetDefaults(app.Params(), paths.picturesFolder);
    SettingDlg settings(app.Params(), lastFolder, sizeof(lastFolder));
    settings.OnInitDialog();
    settings.show();
    Settle();
    bool ok = Save(settings.grab(), folder + "/settings" + suffix + ".png");
    settings.EndDialog(kItemCancel);

    SplashDlg splash(paths.systemFolder);
    if (!splash.ProfileRead() || !splash.OnInitDialog()) {
        std::fprintf(stderr, "morvanel-dialog-shots: no about window in %s\n", paths.systemFolder.c_str());
        return false;
    }
    splash.show();
    if (splash.HotSpots().Count() > 0) {
        const CMacRect& spot = splash.HotSpots().At(0).rect;
        splash.OnMouseMove(CPoint(spot.left + 1, spot.top + 1));
    }
    Settle();
    ok = Save(splash.grab(), folder + "/about" + suffix + ".png") && ok;
    splash.Open();
    splash.Close();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::vector<std::string> sizes;
    std::string suffix;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--suffix" && i + 1 < argc) suffix = argv[++i];
        else positional.push_back(argument);
    }
    if (positional.size() < 2) {
        std::fprintf(stderr, "usage: morvanel-dialog-shots IMAGE OUTDIR [WIDTHxHEIGHT ...] [--suffix TEXT]\n");
        return 2;
    }
    for (std::size_t i = 2; i < positional.size(); ++i) sizes.push_back(positional[i]);
    if (sizes.empty()) sizes = {"1366x768", "1920x1080"};

    SeedSystemFolder(GetPreferencesFolder());
    const AppPaths paths = SetupAppPaths();
    bool ok = true;
    for (const std::string& size : sizes) {
        int width = 0;
        int height = 0;
        if (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 || width < 200 || height < 200) {
            std::fprintf(stderr, "morvanel-dialog-shots: bad size %s\n", size.c_str());
            return 2;
        }
        CShadeApp app;
        app.SetFolders(paths.systemFolder, paths.textureFolder, paths.foregroundFolder);
        const std::string prefix = positional[1] + "/" + size + suffix + "-";
        ok = Shoot(app, paths, positional[0], prefix, width, height) && ok;
    }
    CShadeApp app;
    ok = ShootSettingsAndAbout(app, paths, positional[1], suffix) && ok;
    return ok ? 0 : 1;
}
