// The about window on a description file of the test's own: the alert when
// the file is missing, hover highlights drawn in the file's colour, and
// clicks that open a web address and close the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>

#include "DialogTestSupport.h"
#include "SplashDlg.h"
#include "TempDir.h"

namespace {

using morvanel_test::OnNextModal;

// Spot 1 underlined, spot 2 framed, spot 3 without highlight, spot 4 with
// an address that is not a web page.
std::string Profile() {
    const struct {
        const char* url;
        int mode, x1, y1, x2, y2;
    } spots[] = {
        {"https://example.org/one", 1, 20, 250, 220, 270},
        {"http://example.org/two", 2, 250, 20, 350, 80},
        {"https://example.org/three", 0, 250, 120, 350, 180},
        {"file:///etc/passwd", 2, 20, 120, 120, 180},
    };
    std::ostringstream text;
    text << "[MAIN]\nDevelop=\"tests\"\nHotSpot=4\nHotSpotColorR=255\nHotSpotColorG=0\nHotSpotColorB=255\n";
    for (int i = 0; i < 4; ++i) {
        const auto& spot = spots[i];
        text << "[HotSpot" << i + 1 << "]\nURL=\"" << spot.url << "\"\nMode=" << spot.mode << "\nx1=" << spot.x1
             << "\ny1=" << spot.y1 << "\nx2=" << spot.x2 << "\ny2=" << spot.y2 << "\n";
    }
    return text.str();
}

void Send(QWidget* widget, QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
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
    static QImage Shot(SplashDlg& splash) {
        QApplication::processEvents();
        return splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(SplashFixture, MissingDescriptionShowsTheAlertInsteadOfTheWindow) {
    std::filesystem::remove(dir.file("Splash.inf"));
    auto splash = Make();
    EXPECT_FALSE(splash->ProfileRead());
    QString alert;
    OnNextModal<QMessageBox>([&alert](QMessageBox* box) {
        alert = box->text();
        box->accept();
    });
    EXPECT_EQ(splash->Modal(), 0);
    EXPECT_TRUE(alert.contains(QString::fromStdString(dir.file("Splash.inf")))) << alert.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir.file("Splash.inf")));
}

TEST_F(SplashFixture, HoverDrawsUnderlineAndFrameOnlyWhileTheMouseIsOver) {
    auto splash = Make();
    ASSERT_TRUE(splash->OnInitDialog());
    splash->show();
    const QImage calm = Shot(*splash);
    // Spot 1's bar is its bottom 2 rows; spot 2's frame its edges.
    const std::vector<QPoint> bar{{100, 268}, {100, 269}}, frame{{250, 50}, {349, 50}, {300, 79}};
    const struct {
        QPoint mouse;
        std::vector<QPoint> lit, unlit;
    } cases[] = {
        {{100, 255}, bar, {{100, 266}, frame[0]}},
        {{300, 50}, frame, {bar[0], {300, 50}}},
    };
    for (const auto& c : cases) {
        Send(splash.get(), QEvent::MouseMove, c.mouse);
        const QImage lit = Shot(*splash);
        for (const QPoint& at : c.lit) {
            EXPECT_NE(calm.pixel(at), qRgb(255, 0, 255)) << at.x() << "," << at.y();
            EXPECT_EQ(lit.pixel(at), qRgb(255, 0, 255)) << at.x() << "," << at.y();
        }
        for (const QPoint& at : c.unlit) EXPECT_EQ(lit.pixel(at), calm.pixel(at)) << at.x() << "," << at.y();
    }
    // A spot without highlight mode is hovered but never drawn.
    Send(splash.get(), QEvent::MouseMove, QPoint(300, 150));
    EXPECT_TRUE(splash->HotSpots().At(2).hover);
    EXPECT_EQ(Shot(*splash), calm);
}

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
            Send(shown, QEvent::MouseButtonPress, c.at);
        });
        EXPECT_EQ(splash->Modal(), 1);
        EXPECT_EQ(opened, c.expected) << c.at.x() << "," << c.at.y();
        EXPECT_FALSE(splash->isVisible());
        EXPECT_EQ(SplashDlg::Current(), nullptr);
    }
}

}  // namespace
