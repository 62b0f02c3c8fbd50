// The picture button: its states under the mouse and the colours of its
// pictures.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "PsControlButton.h"

namespace {

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
