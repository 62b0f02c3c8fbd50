#include "WinLayer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {
constexpr int kMessageMaxLength = 255;
constexpr int kMenuBarHeight = 20;
}  // namespace

void DrawEdge(QPainter& painter, const CMacRect& rect) {
    if (rect.IsRectEmpty()) return;
    const QColor dark = RGB(192, 192, 192);
    const QColor light = RGB(220, 220, 220);
    const int w = rect.Width();
    const int h = rect.Height();
    painter.fillRect(rect.left, rect.top, w, 2, dark);
    painter.fillRect(rect.left, rect.top, 2, h, dark);
    painter.fillRect(rect.right - 2, rect.top + 2, 2, h - 2, light);
    painter.fillRect(rect.left + 2, rect.bottom - 2, w - 2, 2, light);
}

void Draw3dRect(QPainter& painter, const CMacRect& rect, const QColor& topLeft, const QColor& bottomRight) {
    if (rect.IsRectEmpty()) return;
    const int w = rect.Width();
    const int h = rect.Height();
    painter.fillRect(rect.left, rect.top, w, 1, topLeft);
    painter.fillRect(rect.left, rect.top, 1, h, topLeft);
    painter.fillRect(rect.left, rect.bottom - 1, w, 1, bottomRight);
    painter.fillRect(rect.right - 1, rect.top, 1, h, bottomRight);
    if (w > 2) painter.fillRect(rect.right - 2, rect.top + 1, 1, h - 2, bottomRight);
}

int MessageBox(QWidget* window, const QString& text, const QString& caption, int flags) {
    QMessageBox box(window);
    box.setObjectName("MessageBox");
    box.setWindowTitle(caption);
    box.setText(text.left(kMessageMaxLength));
    const bool question = (flags & kMbQuestionBit) != 0;
    box.setIcon(question ? QMessageBox::Question : QMessageBox::Warning);
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (!question) return kIdOk;
    return answer == QMessageBox::Yes ? kIdYes : kIdNo;
}

void BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void EndWaitCursor() {
    if (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

void CenterDialog(QWidget* window) {
    QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameSize().isValid() ? window->frameSize() : window->size();
    const int left = area.left() + (area.width() - size.width()) / 2;
    const int top = area.top() + std::max(0, (area.height() - size.height() - kMenuBarHeight) / 3) + kMenuBarHeight;
    window->move(std::max(area.left(), left), std::min(top, std::max(area.top(), area.bottom() - size.height())));
}
