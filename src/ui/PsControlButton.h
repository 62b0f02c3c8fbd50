#pragma once
// PsControlButton: a picture button.  Its status picks how the picture is
// drawn: normal (black), hover (black in a rounded frame), pressed (blue in
// the frame), disabled (grey).  The buttons of a dialog form a chain that the
// dialog walks for hover and clicks; a click acts on the release over the
// button that took the press.
#include <cstdint>

#include <QAbstractButton>

#include "PsControl.h"

inline constexpr int32_t kButtonNormal = 0;
inline constexpr int32_t kButtonHover = 1;
inline constexpr int32_t kButtonPressed = 2;
inline constexpr int32_t kButtonDisabled = 3;

class PsControlButton : public QAbstractButton, public PsControl {
    Q_OBJECT
public:
    // The picture's box; the widget adds 2 pixels on every side for the frame.
    static constexpr int kPictureSize = 26;
    static constexpr int kFrameMargin = 2;

    explicit PsControlButton(QWidget* parent = nullptr);

    // pictureId: the picture drawn (see ButtonPictures.h); helpTagId: the
    // string shown as the button's tip; item: the dialog item number.
    void Setup(int pictureId, int helpTagId, short item);

    void DrawItem() override { update(); }
    void Enable() override;
    void Disable() override;

    void SetStatus(int32_t status);
    int32_t GetStatus() const { return status_; }
    void SetValue(int32_t value) { value_ = value; }
    int32_t GetValue() const { return value_; }
    // Check buttons (zoom, motion) show their flag with a light ground.
    void SetCheck(bool check);
    bool GetCheck() const { return check_; }
    void SetNext(PsControlButton* next) { next_ = next; }
    PsControlButton* GetNext() const { return next_; }
    int GetPictureId() const { return pictureId_; }
    bool HasPicture() const { return hasPicture_; }
    // The frame rectangle (bounds grown by 2) in the parent's coordinates.
    QRect FrameRect() const { return geometry(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int pictureId_ = 0;
    bool hasPicture_ = false;
    int32_t status_ = kButtonNormal;
    int32_t value_ = 0;
    bool check_ = false;
    PsControlButton* next_ = nullptr;
};
