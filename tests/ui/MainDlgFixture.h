#pragma once
// The main dialog on a real image file, with the real application object and
// engine: the system and home folders in a temporary folder with the shipped
// data seeded there, and the dialog opened on an opaque disc.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QLineEdit>
#include <QTest>

#include "AppFolder.h"
#include "CMainDlg.h"
#include "CParamPane.h"
#include "CShadeApp.h"
#include "CTabView.h"
#include "DialogItems.h"
#include "DialogTestSupport.h"
#include "ImageFileDlgHost.h"
#include "InstallData.h"
#include "PsControlButton.h"
#include "PsMonitor.h"
#include "RgbaPng.h"
#include "TempDir.h"

namespace morvanel_test {

// An opaque disc on a transparent ground, as a PNG with alpha.
inline void WriteDisc(const std::string& path, int32_t width, int32_t height) {
    DibEx colour(1), alpha(1);
    colour.Setup(width, height, 24);
    alpha.Setup(width, height, 8);
    const int32_t radius = std::min(width, height) / 3;
    for (int32_t line = 0; line < height; ++line) {
        uint8_t* c = colour.CommitLine(line);
        uint8_t* a = alpha.CommitLine(line);
        for (int32_t x = 0; x < width; ++x, c += 3) {
            const int32_t dx = x - width / 2, dy = line - height / 2;
            a[x] = dx * dx + dy * dy <= radius * radius ? 255 : 0;
            c[0] = 160, c[1] = static_cast<uint8_t>(60 + x % 100), c[2] = 40;
        }
    }
    colour.Decommit();
    alpha.Decommit();
    ASSERT_EQ(RgbaPng_Save(path, &colour, &alpha), 1);
}

// Types text into a number field and commits it with Return.
inline void Type(QLineEdit* field, const QString& text) {
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

enum PaneIndex { kModeling, kMaterial, kTexture, kForeground, kLighting };

struct MainDlgFixture : ::testing::Test {
    TempDir dir;
    ScopedHome home{dir};
    std::string input = dir.file("disc.png");
    std::string output = dir.file("out.png");
    AppPaths paths;
    CShadeApp app;
    std::unique_ptr<ImageFileDlgHost> host;
    std::unique_ptr<CMainDlg> dialog;

    void SetUp() override {
        WriteDisc(input, 160, 120);
        ASSERT_EQ(SeedSystemFolder(GetPreferencesFolder()), 1);
        paths = SetupAppPaths();
        app.SetFolders(paths.systemFolder, paths.textureFolder, paths.foregroundFolder);
        host = std::make_unique<ImageFileDlgHost>(app, input, output);
    }
    void Open() {
        dialog.reset();
        dialog = std::make_unique<CMainDlg>(app, *host, paths);
        dialog->OnTimer(-1);
        dialog->resize(900, 640);
        dialog->show();
        QApplication::processEvents();
    }
    // The pane at index, brought to the front.
    template <class Pane = CParamPane>
    Pane& Show(int index) {
        dialog->GetTabView()->setCurrentIndex(index);
        return *static_cast<Pane*>(dialog->GetTabView()->Pane(index));
    }
    ShadeParams& P() { return app.Params(); }
    QImage Preview() const { return dialog->GetMonitor()->ShownImage(); }
    PsControlButton* Button(short item) const { return dialog->GetButton(item); }
    void Undo() { dialog->ItemHit(MainItem::kUndo); }
};

}  // namespace morvanel_test
