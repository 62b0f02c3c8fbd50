// The slider with its number field and the picture button, on a pane whose
// owner records what the controls ask of the dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "CTabPane.h"
#include "PsControlButton.h"
#include "PsControlSlider.h"
#include "ShadeParams.h"

namespace {

struct RecordingOwner : PaneOwner {
    ShadeParams params{};
    int undoSteps = 0;
    int renders = 0;
    int heldBack = 0;
    int gestures = 0;
    void OnUpdatePsControl(int notification, int) override { undoSteps += notification == 1 ? 1 : 0; }
    void PaneChanged(bool dragging) override { dragging ? ++heldBack : ++renders; }
    void PaneGestureEnded() override { ++gestures; }
    ShadeParams& Params() override { return params; }
};

// A slider of the bevel position, the way the panes write theirs.
class BevelPosSlider : public PsControlSlider {
public:
    void SetStatus() override {
        GetPane()->Owner().Params().BevelPos = GetValue();
        Update();
    }
};

struct SliderFixture : ::testing::Test {
    RecordingOwner owner;
    CTabPane pane{owner, "Modeling", 0};
    QSlider* slider = new QSlider(Qt::Horizontal, &pane);
    QLineEdit* field = new QLineEdit(&pane);
    BevelPosSlider control;

    void SetUp() override {
        slider->resize(200, 20);
        control.Setup(&pane, slider, 20, field, 21, -100, 100);
        control.SetValue(10);
        owner.params.BevelPos = 10;
    }
    void Type(const char* text) {
        field->setText(text);
        control.GetEdit()->SetStatus();
    }
};

TEST_F(SliderFixture, TypedNumberInsideTheRangeIsOneStep) {
    Type("100");
    EXPECT_EQ(owner.params.BevelPos, 100);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(owner.undoSteps, 1);
    EXPECT_EQ(owner.renders, 1);
    Type("-100");
    EXPECT_EQ(owner.params.BevelPos, -100);
    EXPECT_EQ(owner.undoSteps, 2);
}

TEST_F(SliderFixture, TypedNumberOutsideTheRangeShowsTheSliderAgain) {
    for (const char* text : {"150", "-101", "12a", ""}) {
        Type(text);
        EXPECT_EQ(field->text(), "10") << text;
    }
    EXPECT_EQ(owner.params.BevelPos, 10);
    EXPECT_EQ(owner.undoSteps, 0);
    EXPECT_EQ(owner.renders, 0);
}

TEST_F(SliderFixture, ReturnInTheFieldCommitsWithoutLeavingTheField) {
    field->setText("42");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(owner.params.BevelPos, 42);
    EXPECT_EQ(owner.undoSteps, 1);
}

TEST_F(SliderFixture, DragIsOneUndoStepAndTheFieldFollows) {
    slider->setSliderDown(true);  // as the mouse takes the handle
    for (int value : {20, 30, 40}) {
        slider->setSliderPosition(value);
        EXPECT_EQ(field->text(), QString::number(value));
        EXPECT_EQ(owner.params.BevelPos, value);
    }
    slider->setSliderDown(false);
    EXPECT_EQ(owner.undoSteps, 1);
    EXPECT_EQ(owner.heldBack, 3);  // the pane told the dialog a drag is on
    EXPECT_EQ(owner.gestures, 1);
}

TEST_F(SliderFixture, KeyStepsAreStepsOfTheirOwn) {
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(owner.params.BevelPos, 12);
    EXPECT_EQ(owner.undoSteps, 2);
    EXPECT_EQ(owner.renders, 2);
}

TEST(PsControlButton, StatesAndClicks) {
    QWidget window;
    auto* button = new PsControlButton(&window);
    button->Setup(1107, 1301, 5);
    window.resize(100, 100);
    button->move(10, 10);
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->GetStatus(), kButtonPressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->GetStatus(), kButtonHover);

    // A press that ends outside the button does nothing.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->GetStatus(), kButtonNormal);

    button->EnableWindow(false);
    EXPECT_EQ(button->GetStatus(), kButtonDisabled);
    EXPECT_FALSE(button->IsEnabled());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    button->EnableWindow(true);
    EXPECT_EQ(button->GetStatus(), kButtonNormal);
}

TEST(PsControlButton, PicturesDrawInTheStatusColour) {
    PsControlButton button;
    button.Setup(1107, 1301, 5);
    ASSERT_TRUE(button.HasPicture());
    const auto inkOf = [&button](int32_t status) {
        button.SetStatus(status);
        const QImage picture = button.grab().toImage();
        // The darkest pixel of the picture: its ink.
        QRgb darkest = qRgb(255, 255, 255);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (qGray(picture.pixel(x, y)) < qGray(darkest)) darkest = picture.pixel(x, y);
        return darkest;
    };
    EXPECT_EQ(inkOf(kButtonNormal), qRgb(0, 0, 0));
    EXPECT_EQ(inkOf(kButtonPressed), qRgb(0, 0, 255));
    EXPECT_EQ(inkOf(kButtonDisabled), qRgb(153, 153, 153));

    PsControlButton missing;
    missing.Setup(4242, 1301, 5);
    EXPECT_FALSE(missing.HasPicture());
}

}  // namespace
