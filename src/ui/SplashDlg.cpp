#include "SplashDlg.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include "InstallData.h"
#include "UiStrings.h"

namespace {

SplashDlg* current = nullptr;

namespace Text {
inline constexpr int kTitle = 2700;
inline constexpr int kSubtitle = 2702;
inline constexpr int kLink = 2703;
inline constexpr int kCloseHint = 2704;
}  // namespace Text

void RegisterStrings() {
    static const bool registered = [] {
        UiStrings_Add({
            {SplashDlg::kMissingProfileStringId,
             "The about window cannot be shown: its description %s is missing."},
            {Text::kTitle, "Morvanel"},
            {Text::kSubtitle, "Relief shading filter"},
            {Text::kLink, "Morvanel on the web"},
            {Text::kCloseHint, "Click anywhere to close this window."},
        });
        return true;
    }();
    (void)registered;
}

// Where the dialog's texts sit on the picture.
constexpr QRect kTitleRect(20, 24, 360, 56);
constexpr QRect kSubtitleRect(20, 80, 360, 24);
constexpr QRect kLinkRect(20, 250, 200, 20);   // item 3, under the first hot spot
constexpr QRect kCloseRect(20, 274, 360, 18);  // item 2

// Only web addresses are opened; the description file is plain text that
// anyone may edit, and other schemes could start programs or open files.
bool IsWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty();
}

}  // namespace

SplashDlg::SplashDlg(const std::string& systemFolder, int16_t dialogId, int16_t pictureId,
                     const std::string& profileName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      systemFolder_(systemFolder),
      dialogId_(dialogId),
      pictureId_(pictureId),
      browse_([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); }) {
    RegisterStrings();
    setObjectName("SplashDlg");
    profileRead_ = InitProfile(profileName);
}

SplashDlg::~SplashDlg() {
    if (current == this) current = nullptr;
}

SplashDlg* SplashDlg::Current() { return current; }

bool SplashDlg::InitProfile(const std::string& name) {
    profilePath_ = systemFolder_ + "/" + name;
    return hotSpots_.InitProfile(profilePath_);
}

int SplashDlg::Modal() {
    if (!profileRead_) {
        QString text = UiString(kMissingProfileStringId);
        MessageBox(parentWidget(), text.replace("%s", QString::fromStdString(profilePath_)),
                   UiString(UiStringId::kCaption), kMbWarning);
        return 0;
    }
    if (!OnInitDialog()) return 0;
    modal_ = true;
    exec();
    modal_ = false;
    return 1;
}

bool SplashDlg::OnInitDialog() {
    if (dialogId_ != kDialogId) return false;  // no such dialog
    LoadPicture();
    setFixedSize(kWidth, kHeight);
    setMouseTracking(true);
    setWindowTitle(UiString(Text::kTitle));
    CenterDialog(this);
    current = this;
    return true;
}

void SplashDlg::LoadPicture() {
    if (picture_.load(QString::fromStdString(systemFolder_ + "/" + kPictureName))) return;
    picture_.load(QString::fromStdString(InstallDataFolder() + "/" + kPictureName));
}

void SplashDlg::OnMouseMove(const CPoint& point) {
    for (const CMacRect& rect : hotSpots_.OnMouseMove(point.x, point.y)) update(ToQRect(rect));
}

void SplashDlg::OnLButtonDown(const CPoint& point) {
    if (const SplashHotSpot* spot = hotSpots_.HitTest(point.x, point.y)) {
        const QUrl url(QString::fromStdString(spot->url));
        if (IsWebAddress(url) && browse_) browse_(url.toString());
    }
    Close();
}

void SplashDlg::Close() {
    if (current == this) current = nullptr;
    if (modal_) done(kIdOk);
    else close();
}

void SplashDlg::DrawItems(QPainter& painter) const {
    if (picture_.isNull()) {
        QLinearGradient ground(0, 0, 0, kHeight);
        ground.setColorAt(0, RGB(52, 74, 112));
        ground.setColorAt(1, RGB(18, 24, 40));
        painter.fillRect(rect(), ground);
    } else {
        painter.drawImage(QRect(0, 0, kWidth, kHeight), picture_);
    }
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(28);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter, UiString(Text::kTitle));
    font.setPointSize(12);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(kSubtitleRect, Qt::AlignLeft | Qt::AlignVCenter, UiString(Text::kSubtitle));
    font.setPointSize(10);
    painter.setFont(font);
    painter.drawText(kLinkRect, Qt::AlignLeft | Qt::AlignVCenter, UiString(Text::kLink));
    font.setPointSize(9);
    painter.setFont(font);
    painter.drawText(kCloseRect, Qt::AlignLeft | Qt::AlignVCenter, UiString(Text::kCloseHint));
}

void SplashDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItems(painter);
    const QColor colour = RGB(hotSpots_.Red(), hotSpots_.Green(), hotSpots_.Blue());
    for (int i = 0; i < hotSpots_.Count(); ++i) {
        const SplashHotSpot& spot = hotSpots_.At(i);
        if (!spot.hover || spot.rect.IsRectEmpty()) continue;
        if (spot.mode == SplashHighlight::Underline)
            painter.fillRect(spot.rect.left, spot.rect.bottom - 2, spot.rect.Width(), 2, colour);
        else if (spot.mode == SplashHighlight::Frame) {
            painter.setPen(colour);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(spot.rect.left, spot.rect.top, spot.rect.Width() - 1, spot.rect.Height() - 1);
        }
    }
}

void SplashDlg::mouseMoveEvent(QMouseEvent* event) { OnMouseMove(CPoint(event->position().toPoint())); }

void SplashDlg::mousePressEvent(QMouseEvent* event) { OnLButtonDown(CPoint(event->position().toPoint())); }
