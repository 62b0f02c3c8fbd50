// The about window on a description file of the test's own: clicks that
// open a web address and close the window.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <QApplication>
#include <QMouseEvent>

#include "DialogTestSupport.h"
#include "SplashDlg.h"
#include "TempDir.h"

namespace {

using morvanel_test::OnNextModal;

// Spot 1 underlined, spot 2 without highlight, spot 3 with an address that
// is not a web page.
std::string Profile() {
    const struct {
        const char* url;
        int mode, x1, y1, x2, y2;
    } spots[] = {
        {"https://example.org/one", 1, 20, 250, 220, 270},
        {"https://example.org/three", 0, 250, 120, 350, 180},
        {"file://localhost/etc/passwd", 2, 20, 120, 120, 180},
    };
    std::ostringstream text;
    text << "[MAIN]\nDevelop=\"tests\"\nHotSpot=3\nHotSpotColorR=255\nHotSpotColorG=0\nHotSpotColorB=255\n";
    for (int i = 0; i < 3; ++i) {
        const auto& spot = spots[i];
        text << "[HotSpot" << i + 1 << "]\nURL=\"" << spot.url << "\"\nMode=" << spot.mode << "\nx1=" << spot.x1
             << "\ny1=" << spot.y1 << "\nx2=" << spot.x2 << "\ny2=" << spot.y2 << "\n";
    }
    return text.str();
}

struct SplashFixture : ::testing::Test {
    morvanel_test::TempDir dir;
    QStringList opened;

    void SetUp() override { std::ofstream(dir.file("Splash.inf")) << Profile(); }
    std::unique_ptr<SplashDlg> Make() {
        auto splash = std::make_unique<SplashDlg>(dir.path().string());
        splash->SetBrowse([this](const QString& url) { opened << url; });
        return splash;
    }
};

TEST_F(SplashFixture, ClickOpensTheSpotsWebAddressAndAnyClickCloses) {
    struct Case {
        QPoint at;
        QStringList expected;
    } cases[] = {
        {QPoint(30, 260), {"https://example.org/one"}},
        {QPoint(300, 150), {"https://example.org/three"}},  // no highlight, still opens
        {QPoint(5, 5), {}},                                 // outside every spot
        {QPoint(50, 150), {}},                              // not a web address
    };
    for (const Case& c : cases) {
        opened.clear();
        auto splash = Make();
        OnNextModal<SplashDlg>([&c](SplashDlg* shown) {
            EXPECT_EQ(SplashDlg::Current(), shown);
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.at), QPointF(shown->mapToGlobal(c.at)),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(shown, &press);
        });
        EXPECT_EQ(splash->Modal(), 1);
        EXPECT_EQ(opened, c.expected) << c.at.x() << "," << c.at.y();
        EXPECT_FALSE(splash->isVisible());
        EXPECT_EQ(SplashDlg::Current(), nullptr);
    }
}

}  // namespace
