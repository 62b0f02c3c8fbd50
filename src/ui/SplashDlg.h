#pragma once
// SplashDlg: the about window.  It shows the about picture with the name
// and version, and the hot spots that "Splash.inf" in the system folder
// describes: moving over one highlights it (an underline or a frame in the
// file's colour), clicking one opens its web address, and any click closes
// the window.  Without the description file the window is not shown and an
// alert says which file is missing.  The hot spots' rules live in
// SplashHotSpots.
#include <cstdint>
#include <functional>
#include <string>

#include <QDialog>
#include <QImage>

#include "SplashHotSpots.h"
#include "WinLayer.h"

class SplashDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int16_t kDialogId = 1000;
    static constexpr int16_t kPictureId = 2701;
    // The string shown when the description file is missing (its path).
    static constexpr int kMissingProfileStringId = 128;
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;
    // The picture, in the system folder or else the installation data.
    static constexpr const char* kPictureName = "About.png";

    // Opens a web address; the desktop's browser unless replaced.
    using BrowseProc = std::function<void(const QString& url)>;

    SplashDlg(const std::string& systemFolder, int16_t dialogId = kDialogId, int16_t pictureId = kPictureId,
              const std::string& profileName = kSplashProfileName, QWidget* parent = nullptr);
    ~SplashDlg() override;

    bool InitProfile(const std::string& name);
    bool ProfileRead() const { return profileRead_; }
    // Shows the window until a click closes it; without the description
    // file shows the alert instead.  Returns 1 when the window was shown.
    int Modal();
    bool OnInitDialog();
    void OnMouseMove(const CPoint& point);
    void OnLButtonDown(const CPoint& point);
    void Close();
    void OnOK() { Close(); }
    void Open() { modal_ = false; }

    const SplashHotSpots& HotSpots() const { return hotSpots_; }
    void SetBrowse(BrowseProc browse) { browse_ = std::move(browse); }
    // The splash window on screen, null when none is.
    static SplashDlg* Current();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void LoadPicture();
    void DrawItems(QPainter& painter) const;

    std::string systemFolder_;
    int16_t dialogId_;
    int16_t pictureId_;  // kept for the host; the picture is a file here
    std::string profilePath_;
    bool profileRead_ = false;
    bool modal_ = false;
    SplashHotSpots hotSpots_;
    QImage picture_;
    BrowseProc browse_;
};
