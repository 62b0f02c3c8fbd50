#pragma once
// The view of an image list (PsImageCombo): the chosen entry's thumbnail and
// name; a click opens the thumbnail chooser 4 pixels below it, a column of
// four cells over the entries with a scroll bar.  The list logic, the
// thumbnails and the chooser's rules live in src/shade; these only show and
// forward.
#include <functional>
#include <memory>

#include <QImage>
#include <QWidget>

#include "PsControl.h"
#include "PsImagePopup.h"

class DibEx;
class PsImageCombo;
class QScrollBar;

// A thumbnail as an image.
QImage ThumbnailImage(const DibEx& thumbnail);

class PsImagePopupView : public QWidget {
public:
    static constexpr int kCellHeight = 49;
    // done: runs once with the closed chooser.
    PsImagePopupView(PsImageCombo& list, int width, std::function<void(const PsImagePopup&)> done);
    PsImagePopup& Popup() { return popup_; }
    int CellAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    PsImageCombo& list_;
    PsImagePopup popup_;
    QScrollBar* scroll_;
    std::function<void(const PsImagePopup&)> done_;
    bool finished_ = false;
};

class PsImageComboView : public QWidget, public PsControl {
public:
    static constexpr int kPopupGap = 4;
    // chosen: runs after the chooser closed with a choice (an index >= 0).
    PsImageComboView(PsImageCombo& list, std::function<void()> beforeChoice, std::function<void(int)> chosen,
                     QWidget* parent = nullptr);
    // Opens the chooser below the list; it deletes itself when closed.
    PsImagePopupView* ShowPopup();
    QSize sizeHint() const override { return {220, 51}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PsImageCombo& list_;
    std::function<void()> beforeChoice_;
    std::function<void(int)> chosen_;
};
