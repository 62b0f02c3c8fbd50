#pragma once
// The small Windows-style helpers the dialogs are written against: points,
// colours, the two frame drawings, message boxes, the wait cursor and the
// message numbers that PostMessage delivers.
#include <cstdint>

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include "CMacRect.h"

class QPainter;
class QWidget;

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;
    CPoint() = default;
    CPoint(int32_t h, int32_t v) : x(h), y(v) {}
    explicit CPoint(const QPoint& p) : x(p.x()), y(p.y()) {}
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

// Messages delivered at once by PostMessage.
inline constexpr long kMessageRedraw = 3;
inline constexpr long kMessageControlNotify = 2024;
inline constexpr long kMessageUpdatePreview = 2025;
inline constexpr long kMessageProgress = 2026;
inline constexpr long kMessageChooserUp = 2023;

// Notifications of kMessageControlNotify.
inline constexpr int kNotifyChangeBegins = 1;
inline constexpr int kNotifyChanged = 3;

// Message box styles and answers.
inline constexpr int kMbWarning = 48;   // an alert with OK
inline constexpr int kMbQuestion = 112; // Yes / No; Yes answers kIdYes
inline constexpr int kMbQuestionBit = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

inline QColor RGB(int r, int g, int b) { return QColor(r, g, b); }

inline QRect ToQRect(const tagRECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
inline CMacRect ToMacRect(const QRect& r) { return CMacRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }

// A 2-pixel sunken frame on rect: left and top in RGB(192,192,192), right
// and bottom in RGB(220,220,220).
void DrawEdge(QPainter& painter, const CMacRect& rect);
// A 1-pixel frame: top and left in topLeft, bottom and right in
// bottomRight, plus an inner line one pixel inside the right edge.
void Draw3dRect(QPainter& painter, const CMacRect& rect, const QColor& topLeft, const QColor& bottomRight);

// Shows text (cut to 255 characters) with the caption; with kMbQuestionBit
// a Yes/No question answered kIdYes or kIdNo, otherwise a warning answered
// kIdOk.  The box sits over window (may be null).
int MessageBox(QWidget* window, const QString& text, const QString& caption, int flags);

// The watch cursor while a long step runs; nested uses are counted.
void BeginWaitCursor();
void EndWaitCursor();
class WaitCursor {
public:
    WaitCursor() { BeginWaitCursor(); }
    ~WaitCursor() { EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Puts window centred horizontally on its screen with its top a third of
// the way down the free height below a 20-pixel menu bar.
void CenterDialog(QWidget* window);
