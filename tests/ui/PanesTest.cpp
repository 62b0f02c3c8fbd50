// The five panes of the real main dialog: every entry reached by its control
// and undone, locks, tab changes, the colour control, the light-direction
// disc, the bevel curve and the image lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>

#include "CLightingTabPane.h"
#include "CMaterialTabPane.h"
#include "CModelingTabPane.h"
#include "CTextureTabPane.h"
#include "MainDlgFixture.h"
#include "PsColor.h"
#include "PsControlAngle.h"
#include "PsControlMathTbl.h"
#include "PsImageCombo.h"
#include "PsImageComboView.h"
#include "PsParamSlider.h"

namespace {

using namespace morvanel_test;

struct PanesFixture : MainDlgFixture {
    void SetUp() override {
        MainDlgFixture::SetUp();
        Open();
    }
};

int PaneOfGroup(ShadeParamGroup group) {
    switch (group) {
    case ShadeParamGroup::Model: return kModeling;
    case ShadeParamGroup::Material: return kMaterial;
    case ShadeParamGroup::Texture: return kTexture;
    case ShadeParamGroup::Foreground: return kForeground;
    case ShadeParamGroup::Light: return kLighting;
    default: return -1;
    }
}

// Moves a slider to the end of its range away from its value, as the Home
// and End keys do; returns the value it took.
int MoveToOtherEnd(QSlider* slider) {
    const bool toMin = slider->value() != slider->minimum();
    slider->triggerAction(toMin ? QAbstractSlider::SliderToMinimum : QAbstractSlider::SliderToMaximum);
    return toMin ? slider->minimum() : slider->maximum();
}

TEST_F(PanesFixture, EveryPaneEntryIsReachedByItsControlAndUndone) {
    dialog->Model().Ui().colorMode = kColorModeRgb;
    int reached = 0;
    for (int script = 0; script < kShadeParamsScriptCount; ++script) {
        const ShadeParamEntry& entry = *ShadeParamByScriptIndex(script);
        const int pane = PaneOfGroup(entry.group);
        // The record's system and settings entries belong to the settings
        // dialog; the file names to the image lists.
        if (pane < 0 || entry.kind == ShadeParamKind::Text) continue;
        SCOPED_TRACE(std::string(entry.scriptKey));
        CParamPane& shown = Show(pane);
        const std::string key(entry.scriptKey);
        const int32_t before = ShadeParamInt(P(), entry);
        int32_t expected = 0;
        QWidget* control = nullptr;
        if (key.starts_with("pLh") || key.starts_with("pLv") || key.starts_with("pLp")) {
            auto& lighting = static_cast<CLightingTabPane&>(shown);
            const int channel = key.back() - '0';
            lighting.GetRadio(channel)->click();
            if (key.starts_with("pLp")) {
                control = shown.FindSlider("power")->GetSliderControl();
                expected = MoveToOtherEnd(static_cast<QSlider*>(control));
            } else {
                auto* field = shown.findChild<QLineEdit*>(key.starts_with("pLh") ? "AngleHField" : "AngleVField");
                control = field;
                expected = before == 7 ? 8 : 7;
                Type(field, QString::number(expected));
            }
        } else if (key == "pMcr" || key == "pMcg" || key == "pMcb") {
            const int slider = key == "pMcr" ? 0 : key == "pMcg" ? 1 : 2;
            control = static_cast<CMaterialTabPane&>(shown).GetColor()->GetSlider(slider)->Slider();
            expected = MoveToOtherEnd(static_cast<QSlider*>(control));
        } else if (QCheckBox* box = shown.FindCheck(key)) {
            control = box;
            box->click();
            expected = before == 0 ? 1 : 0;
        } else if (PsParamSlider* slider = shown.FindSlider(key)) {
            control = slider->GetSliderControl();
            expected = MoveToOtherEnd(slider->GetSliderControl());
            EXPECT_EQ(slider->GetEdit()->Field()->text().toInt(), expected);
        }
        ASSERT_NE(control, nullptr) << "no control";
        EXPECT_EQ(ShadeParamInt(P(), entry), expected);
        Undo();
        EXPECT_EQ(ShadeParamInt(P(), entry), before);
        ++reached;
    }
    // Every scripted entry but the version, the five settings and the two
    // file names.
    EXPECT_EQ(reached, kShadeParamsScriptCount - 8);
}

TEST_F(PanesFixture, HeightStopsAtOneAndBadNumbersRestoreTheField) {
    PsParamSlider* height = Show(kModeling).FindSlider("pMhe");
    QLineEdit* field = height->GetEdit()->Field();
    const int32_t before = P().Height;
    ASSERT_NE(before, 1);
    height->GetSliderControl()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(P().Height, 1);
    for (const char* bad : {"0", "101", "12a"}) {
        Type(field, bad);
        EXPECT_EQ(field->text(), "1") << bad;
        EXPECT_EQ(P().Height, 1) << bad;
    }
    // The move was one undo step, the refused numbers none.
    Undo();
    EXPECT_EQ(P().Height, before);
}

TEST_F(PanesFixture, LockDisablesThePaneAndALoadLeavesItsGroupTabChangesKeepBoth) {
    const std::string style = dir.file("red.mv");
    P().Specular = 40;
    P().Smooth = 30;
    ASSERT_EQ(dialog->Model().SaveUserFile(style.c_str(), 1), UserFileResult::Done);

    CParamPane& material = Show(kMaterial);
    material.FindSlider("pMsp")->GetSliderControl()->triggerAction(QAbstractSlider::SliderToMaximum);
    QTest::mouseClick(material.GetLockButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->Model().Locks().IsLocked(kLockMaterial));
    QSlider* specular = material.FindSlider("pMsp")->GetSliderControl();
    EXPECT_FALSE(specular->isEnabled());
    EXPECT_FALSE(static_cast<CMaterialTabPane&>(material).GetColor()->IsWindowEnabled());
    EXPECT_TRUE(material.GetLockButton()->isEnabled());

    P().Smooth = 70;
    ASSERT_EQ(dialog->Model().LoadUserFile(style.c_str(), 1), UserFileResult::Done);
    EXPECT_EQ(P().Specular, 100);  // locked
    EXPECT_EQ(P().Smooth, 30);     // loaded

    // A change of tab rebuilds the pane with its values and its lock; the
    // button unlocks.
    Show(kLighting);
    CParamPane& again = Show(kMaterial);
    EXPECT_EQ(again.FindSlider("pMsp")->GetEdit()->Field()->text(), "100");
    EXPECT_FALSE(again.FindSlider("pMsp")->GetSliderControl()->isEnabled());
    QTest::mouseClick(again.GetLockButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->Model().Locks().IsLocked(kLockMaterial));
    EXPECT_TRUE(again.FindSlider("pMsp")->GetSliderControl()->isEnabled());
}

TEST_F(PanesFixture, ColourIsShownFromItsRgbInBothModesAndRestsWithThrough) {
    // A colour whose hue, saturation and value no longer match (as after a
    // capture) is shown from its red, green and blue, which stay.
    dialog->Model().Ui().colorMode = kColorModeHsv;
    P().ColorR = 255, P().ColorG = 0, P().ColorB = 0;
    P().ColorH = 300, P().ColorS = 5, P().ColorV = 5;
    P().Through = 0;
    dialog->RefreshPanes();
    auto& material = Show<CMaterialTabPane>(kMaterial);
    PsColor& color = *material.GetColor();
    ASSERT_EQ(color.GetMode(), kColorHsv);
    // Pure red: hue 0, saturation 100, value 100.
    EXPECT_EQ(color.GetSlider(0)->Field()->text(), "0");
    EXPECT_EQ(color.GetSlider(1)->Field()->text(), "100");
    EXPECT_EQ(color.GetSlider(2)->Field()->text(), "100");
    EXPECT_EQ(P().ColorR, 255);
    EXPECT_EQ(P().ColorG, 0);

    // Hue 359 is the last step of the conversion's circle.
    Type(color.GetSlider(0)->Field(), "359");
    EXPECT_EQ(color.Working().H, 251);
    // Value through its field: empty text stands for the minimum.
    Type(color.GetSlider(2)->Field(), "");
    EXPECT_EQ(P().ColorV, 0);
    EXPECT_EQ(P().ColorR, 0);
    Type(color.GetSlider(2)->Field(), "50");
    const int32_t r = P().ColorR, g = P().ColorG, b = P().ColorB;
    EXPECT_GT(r, 0);
    QTest::mouseClick(color.Swatch(), Qt::LeftButton);
    EXPECT_EQ(color.GetMode(), kColorRgb);
    EXPECT_EQ(dialog->Model().Ui().colorMode, kColorModeRgb);
    EXPECT_EQ(P().ColorR, r);
    EXPECT_EQ(P().ColorG, g);
    EXPECT_EQ(P().ColorB, b);
    EXPECT_EQ(color.GetSlider(0)->Field()->text(), QString::number(r));

    material.FindCheck("pMth")->click();
    EXPECT_EQ(P().Through, 1);
    EXPECT_FALSE(color.GetSlider(0)->Slider()->isEnabled());
}

TEST_F(PanesFixture, LightDiscSetsBothAnglesFromTheMouse) {
    auto& lighting = Show<CLightingTabPane>(kLighting);
    lighting.GetRadio(kLightChannelMain)->click();
    PsControlAngle& disc = *lighting.GetAngle();
    const QRect d = disc.DiscRect();
    const QPoint centre = d.center();
    const int r = std::min(d.width(), d.height()) / 2;

    // Straight up, half way out: 90 degrees around, 45 high.
    QTest::mousePress(&disc, Qt::LeftButton, {}, centre);
    QTest::mouseMove(&disc, centre + QPoint(0, -r / 2));
    QTest::mouseRelease(&disc, Qt::LeftButton, {}, centre + QPoint(0, -r / 2));
    EXPECT_EQ(P().LightAngleH[kLightChannelMain], 360 * 64 / 256);
    EXPECT_EQ(P().LightAngleV[kLightChannelMain], 90 * (r / 2) / r);
    EXPECT_EQ(lighting.findChild<QLineEdit*>("AngleHField")->text(), "90");

    // Beyond the disc inside the item: the rim.
    EXPECT_TRUE(disc.MouseEvent(kMouseDown, QPoint(disc.width() - 1, centre.y())));
    EXPECT_EQ(P().LightAngleV[kLightChannelMain], 90);
    EXPECT_EQ(P().LightAngleH[kLightChannelMain], 0);
    // Outside the item without a drag: nothing.
    EXPECT_FALSE(disc.MouseEvent(kMouseDown, QPoint(-5, -5)));

    Type(lighting.findChild<QLineEdit*>("AngleHField"), "400");
    EXPECT_EQ(P().LightAngleH[kLightChannelMain], 360);
    EXPECT_EQ(lighting.findChild<QLineEdit*>("AngleHField")->text(), "360");

    // The ambient light has no direction: the disc rests.
    lighting.GetRadio(kLightChannelAmbient)->click();
    EXPECT_FALSE(disc.isEnabled());
}

TEST_F(PanesFixture, BevelCurveFollowsTheModelEntries) {
    auto& modeling = Show<CModelingTabPane>(kModeling);
    const PsControlMathTbl& curve = *modeling.GetCurve();
    Type(modeling.FindSlider("pMbw")->GetEdit()->Field(), "0");
    Type(modeling.FindSlider("pMle")->GetEdit()->Field(), "100");
    Type(modeling.FindSlider("pMhe")->GetEdit()->Field(), "100");
    if (P().BevelRvs != 0) modeling.FindCheck("pMbr")->click();
    for (int i = 0; i < 256; ++i) ASSERT_EQ(curve.Table()[i], i);
    Type(modeling.FindSlider("pMhe")->GetEdit()->Field(), "50");
    EXPECT_EQ(curve.Table()[255], 127);
    EXPECT_EQ(curve.Table()[100], 50);
    modeling.FindCheck("pMbr")->click();
    EXPECT_EQ(curve.Table()[0], 127);
    EXPECT_EQ(curve.Table()[255], 0);

}

TEST_F(PanesFixture, TexturesAreAddedChosenAndDeleted) {
    auto& texture = Show<CTextureTabPane>(kTexture);
    PsImageCombo& list = dialog->Model().TextureList();
    const std::string image = dir.file("mine.png");
    WriteDisc(image, 60, 40);

    const int32_t count = list.GetCount();
    ASSERT_TRUE(texture.AddImage(image));
    EXPECT_EQ(list.GetCount(), count + 1);
    EXPECT_STREQ(P().TextureFilename, image.c_str());
    EXPECT_TRUE(texture.GetDeleteButton()->isEnabled());

    // A choice in the chooser sets the entry.
    PsImageComboView* view = texture.GetListView();
    PsImagePopupView* popup = view->ShowPopup();
    QTest::keyClick(popup, Qt::Key_Up);
    QTest::keyClick(popup, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_STRNE(P().TextureFilename, image.c_str());
    Undo();
    EXPECT_STREQ(P().TextureFilename, image.c_str());

    // Escape changes nothing.  Scrolling the chooser draws the thumbnails
    // kept in memory: with the image folder gone none is made again.
    std::vector<QImage> thumbnails;
    for (int32_t i = 0; i < list.GetCount(); ++i) thumbnails.push_back(ThumbnailImage(list.Thumbnail(i)));
    const std::string away = paths.textureFolder + ".away";
    std::filesystem::rename(paths.textureFolder, away);
    std::filesystem::rename(image, image + ".away");
    popup = view->ShowPopup();
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        QTest::keyClick(popup, Qt::Key_Up);
        popup->repaint();
    }
    QTest::keyClick(popup, Qt::Key_Escape);
    QApplication::processEvents();
    std::filesystem::rename(away, paths.textureFolder);
    std::filesystem::rename(image + ".away", image);
    EXPECT_STREQ(P().TextureFilename, image.c_str());
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        EXPECT_EQ(list.GetStatus(i), i < list.GetFirst() ? kComboEntryEmpty : kComboEntryValid) << i;
        EXPECT_EQ(ThumbnailImage(list.Thumbnail(i)), thumbnails[static_cast<size_t>(i)]) << i;
    }

    // Back to the placeholder, nothing is left to delete.
    while (list.GetIndex() >= list.GetFirst()) ASSERT_TRUE(texture.DeleteImage());
    EXPECT_FALSE(texture.GetDeleteButton()->isEnabled());
    EXPECT_FALSE(texture.DeleteImage());
}

TEST_F(PanesFixture, AnUnreadableImageIsMarkedToldOnceAndRenderedWithout) {
    auto& texture = Show<CTextureTabPane>(kTexture);
    PsImageCombo& list = dialog->Model().TextureList();
    const std::string broken = dir.file("broken.png");
    std::ofstream(broken, std::ios::binary) << "\x89PNG\r\n\x1a\n but not an image";
    MessageRecorder messages;

    // Told once, however often the preview renders it or it is chosen again.
    ASSERT_TRUE(texture.AddImage(broken));
    const int32_t index = list.GetIndex();
    for (const int32_t chosen : {index, 0, index}) {
        list.Choose(chosen);
        dialog->UpdatePsMonitor();
    }
    QApplication::processEvents();
    EXPECT_EQ(messages.Count("broken.png"), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(list.GetStatus(index), kComboEntryInvalid);
    EXPECT_EQ(app.MakeBlock(&app.FullImage(), &app.FullMask(), nullptr).texture, nullptr);

    // The dialog goes on and finishes its render without the image.
    dialog->ItemHit(kItemOk);
    EXPECT_EQ(host->Saves(), 1);
}

}  // namespace
