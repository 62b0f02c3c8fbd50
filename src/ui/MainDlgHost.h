#pragma once
// What the main dialog needs of the host it runs in: moving the filter
// area's pixels in and out, the host's progress and abort test, and the
// application's error report.  The plug-in shell implements it over the
// host's record; tests and tools may implement it over image files.
class MainDlgHost {
public:
    virtual ~MainDlgHost() = default;
    // Reads the filter area into the application's image and mask; false on failure.
    virtual bool LoadImage() = 0;
    // Writes the application's image and mask back; false on failure.
    virtual bool SaveImage() = 0;
    // True when the filter area is the whole layer, opaque and unselected.
    virtual bool IsWholeImage() const = 0;
    // The host's progress display, percent of 100.
    virtual void ProgressProc(int percent) = 0;
    // The host's abort test (the user asked to stop).
    virtual bool IsAbort() = 0;
    // Reports an error code through the application.
    virtual void ErrorMessage(int code) = 0;
    // 1 while the application is set up and no error has been reported.
    virtual int AppStatus() const = 0;
};
