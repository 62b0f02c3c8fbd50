// The whole dialog the way a user meets it: the real plug-in library loaded
// by the real host, its start selector opening the dialog on an image, and
// the test pressing the dialog's own buttons.  The dialog's classes live
// inside the plug-in, so the test finds the buttons by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

#include <QAbstractButton>
#include <QDialog>

#include "DialogTestSupport.h"
#include "FilterHost.h"
#include "HostImageFile.h"
#include "PluginLoader.h"

namespace {

HostImageSt LoadStar() {
    HostImageSt image;
    std::string error;
    EXPECT_TRUE(HostImage_Load(MORVANEL_TEST_DATA "/Samples/Star.png", image, error)) << error;
    return image;
}

class DialogThroughHost : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(plugin_.Load(MORVANEL_TEST_PLUGIN, error)) << error;
    }

    static QAbstractButton* Button(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button;
    }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_{dir_};
    PluginLoader plugin_;
    const HostImageSt image_ = LoadStar();
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
        EXPECT_NE(host.Image().pixels, image_.pixels);  // the star is shaded
        EXPECT_GT(progressCalls, 1);
        EXPECT_TRUE(host.HasRecordedDescriptor());  // finish recorded the dialog's parameters
    }
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
