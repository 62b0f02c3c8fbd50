#pragma once
// A MainDlgHost over image files: the filter area is an image file (a PNG's
// alpha channel is the region to shade; without one the whole image is),
// and OK writes the result to another PNG file with its alpha.  The screenshot tool and the preview
// benchmark run the main dialog with it.
#include <string>

#include "MainDlgHost.h"

class CShadeApp;

class ImageFileDlgHost : public MainDlgHost {
public:
    ImageFileDlgHost(CShadeApp& app, std::string input, std::string output);

    bool LoadImage() override;
    bool SaveImage() override;
    bool IsWholeImage() const override { return wholeImage_; }
    void ProgressProc(int percent) override { lastPercent_ = percent; }
    bool IsAbort() override { return abortAt_ >= 0 && lastPercent_ >= abortAt_; }
    void ErrorMessage(int code) override { lastError_ = code; }
    int AppStatus() const override { return lastError_ == 0 ? 1 : 0; }

    // The host's abort test answers yes once progress reaches percent (-1: never).
    void AbortAt(int percent) { abortAt_ = percent; }
    int LastPercent() const { return lastPercent_; }
    int LastError() const { return lastError_; }
    int Saves() const { return saves_; }

private:
    CShadeApp& app_;
    std::string input_;
    std::string output_;
    bool wholeImage_ = false;
    int lastPercent_ = -1;
    int abortAt_ = -1;
    int lastError_ = 0;
    int saves_ = 0;
};
