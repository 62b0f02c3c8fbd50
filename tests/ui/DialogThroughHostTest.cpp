// The whole dialog the way a user meets it: the real plug-in library loaded
// by the real host, its start selector opening the dialog on an image, and
// the test working the dialog's own widgets.  The dialog's classes live
// inside the plug-in, so the test finds its parts by name and reads them
// through Qt's properties.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <sys/wait.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>

#include "DialogTestSupport.h"
#include "FilterHost.h"
#include "PluginLoader.h"

namespace {

// A light ground with an opaque disc; the ground is transparent.
HostImageSt DiscImage(int32_t width, int32_t height) {
    HostImageSt image = HostImage_Make(width, height, 4);
    const int32_t radius = std::min(width, height) / 3;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dx = x - width / 2, dy = y - height / 2;
            uint8_t* pixel = image.Pixel(x, y);
            pixel[0] = 40, pixel[1] = static_cast<uint8_t>(90 + x % 60), pixel[2] = 160;
            pixel[3] = dx * dx + dy * dy <= radius * radius ? 255 : 0;
        }
    return image;
}

class DialogThroughHost : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(plugin_.Load(MORVANEL_TEST_PLUGIN, error)) << error;
    }

    // Runs the filter with the dialog on image; drive works the dialog and
    // must end it.  Returns the plug-in's result.
    int16_t RunDialog(FilterHost& host, std::function<void(QDialog&)> drive) {
        bool driven = false;
        morvanel_test::OnNextModal<QDialog>([&](QDialog* dialog) {
            ASSERT_EQ(dialog->objectName(), "MainDlg");
            driven = true;
            drive(*dialog);
        });
        host.ClearRecordedDescriptor(kPlayDialogDisplay);
        const int16_t result = host.RunFilter(plugin_.Entry(), true);
        EXPECT_TRUE(driven);
        return result;
    }

    static QAbstractButton* Button(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    static QWidget* Monitor(QDialog& dialog) { return dialog.findChild<QWidget*>("PsMonitor"); }
    static QImage Shown(QDialog& dialog) { return Monitor(dialog)->property("shownImage").value<QImage>(); }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_{dir_};
    PluginLoader plugin_;
    const HostImageSt image_ = DiscImage(360, 240);
};

TEST_F(DialogThroughHost, OkWritesTheRenderedImageCancelAndAbortedOkWriteNothing) {
    const struct {
        const char* name;
        const char* button;
        bool fromRecordedAction;  // the dialog asked for by a recorded action, not by the host
        bool abortWhileRendering;
        int16_t result;
    } cases[] = {
        {"OK", "OK", false, false, 0},
        {"recorded action", "OK", true, false, 0},
        {"Cancel", "Cancel", false, false, kResultUserCanceled},
        {"OK aborted by the host", "OK", false, true, kResultUserCanceled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterHost host(image_, {});
        int progressCalls = 0;
        host.SetProgress([&progressCalls](int32_t, int32_t) { ++progressCalls; });
        bool rendering = false;
        if (c.abortWhileRendering) host.SetAbortTest([&rendering] { return rendering; });
        bool opened = false;
        morvanel_test::OnNextModal<QDialog>([&](QDialog* dialog) {
            opened = dialog->objectName() == "MainDlg";
            rendering = true;
            Button(*dialog, c.button)->click();
        });
        if (c.fromRecordedAction) host.SetRecordedDescriptor({}, kPlayDialogDisplay);
        else host.ClearRecordedDescriptor(kPlayDialogDisplay);
        EXPECT_EQ(host.RunFilter(plugin_.Entry(), !c.fromRecordedAction), c.result);
        EXPECT_TRUE(opened);
        if (c.result != 0) {
            EXPECT_EQ(host.Image().pixels, image_.pixels);
            continue;
        }
        EXPECT_NE(std::memcmp(host.Image().Pixel(180, 120), image_.Pixel(180, 120), 3), 0);  // the disc is shaded
        EXPECT_GT(progressCalls, 1);
        EXPECT_TRUE(host.HasRecordedDescriptor());  // finish recorded the dialog's parameters
    }
}

TEST_F(DialogThroughHost, ZoomByClickPanByDragAndZoomOut) {
    FilterHost host(DiscImage(1600, 1200), {});
    RunDialog(host, [](QDialog& dialog) {
        QWidget* monitor = Monitor(dialog);
        const QImage fit = Shown(dialog);
        const QRect preview = monitor->property("previewRect").toRect();
        QTest::mouseClick(monitor, Qt::LeftButton, {}, preview.center());
        EXPECT_TRUE(monitor->property("zoomed").toBool());
        EXPECT_NE(Shown(dialog).size(), fit.size());  // one pixel per pixel now
        const QRect view = monitor->property("viewRect").toRect();

        // The image follows the hand.
        const QPoint from = monitor->rect().center();
        QTest::mousePress(monitor, Qt::LeftButton, {}, from);
        QMouseEvent drag(QEvent::MouseMove, QPointF(from + QPoint(-120, -40)), monitor->mapToGlobal(QPointF(from)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(monitor, &drag);
        QTest::mouseRelease(monitor, Qt::LeftButton, {}, from + QPoint(-120, -40));
        EXPECT_EQ(monitor->property("viewRect").toRect(), view.translated(120, 40));

        Button(dialog, "Button14")->click();  // the zoom button
        EXPECT_FALSE(monitor->property("zoomed").toBool());
        EXPECT_EQ(Shown(dialog), fit);
        Button(dialog, "Cancel")->click();
    });
}

TEST_F(DialogThroughHost, StyleChosenFromThePopupIsShownAndUndone) {
    FilterHost host(image_, {});
    RunDialog(host, [](QDialog& dialog) {
        const QImage before = Shown(dialog);
        morvanel_test::OnNextModal<QMenu>([](QMenu* menu) {
            for (QAction* action : menu->actions())
                if (action->text() == "Gold") action->trigger();
            menu->close();
        });
        Button(dialog, "StyleList")->click();
        EXPECT_EQ(Button(dialog, "StyleList")->text().left(4), "Gold");
        EXPECT_NE(Shown(dialog), before);
        Button(dialog, "Button5")->click();  // undo
        EXPECT_EQ(Shown(dialog), before);
        Button(dialog, "Cancel")->click();
    });
    EXPECT_EQ(host.Image().pixels, image_.pixels);
}

TEST_F(DialogThroughHost, MotionRunsOnTheTimerAndCancelLeavesTheLayer) {
    FilterHost host(image_, {});
    RunDialog(host, [](QDialog& dialog) {
        const QImage before = Shown(dialog);
        Button(dialog, "Button15")->click();  // motion
        EXPECT_TRUE(Button(dialog, "Button16")->isEnabled());  // capture is offered
        QTest::qWait(600);
        EXPECT_NE(Shown(dialog), before);
        Button(dialog, "Cancel")->click();
    });
    EXPECT_EQ(host.Image().pixels, image_.pixels);
}

TEST(DialogCommand, WithoutADisplayTheRunStopsAtOnce) {
    morvanel_test::TempDir dir;
    const std::string output = dir.file("out.png");
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM MORVANEL_HOME=") +
                                dir.file("system") + " HOME=" + dir.path().string() + " " + MORVANEL_COMMAND +
                                " apply " + MORVANEL_TEST_DATA + "/Samples/Word.png -o " + output +
                                " --dialog 2>" + dir.file("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(std::filesystem::exists(output));
    std::ifstream err(dir.file("err.txt"));
    const std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("needs a display"), std::string::npos) << text;
}

}  // namespace
