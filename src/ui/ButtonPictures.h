#pragma once
// The pictures of the main dialog's buttons, drawn as vector shapes in one
// ink colour so that they are sharp at every device pixel ratio.
#include <QColor>
#include <QRectF>

class QPainter;

namespace ButtonPicture {
inline constexpr int kMotion = 1100;
inline constexpr int kLoad = 1101;
inline constexpr int kDeleteStyle = 1102;
inline constexpr int kAddStyle = 1103;
inline constexpr int kCapture = 1104;
inline constexpr int kSave = 1106;
inline constexpr int kUndo = 1107;
inline constexpr int kSettings = 1108;
inline constexpr int kManual = 1109;
inline constexpr int kZoom = 1110;
inline constexpr int kLock = 1111;
inline constexpr int kRedo = 1112;
}  // namespace ButtonPicture

// True when the picture exists.
bool HasButtonPicture(int pictureId);
// Draws the picture into box with ink; nothing for an unknown picture.
void DrawButtonPicture(QPainter& painter, int pictureId, const QRectF& box, const QColor& ink);
