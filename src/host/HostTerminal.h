#pragma once
// The terminal side of a run: a progress bar on standard error (only when it
// is a terminal) and Ctrl-C as the user's request to stop.
#include <cstdint>

// Installs the Ctrl-C handler: the first Ctrl-C only marks the run as
// interrupted (the plug-in's abort test then answers true); a second one
// ends the process as usual.
void HostTerminal_CatchInterrupt();
bool HostTerminal_Interrupted();

class HostProgressBar {
public:
    HostProgressBar();
    ~HostProgressBar();  // ends the bar's line
    HostProgressBar(const HostProgressBar&) = delete;
    HostProgressBar& operator=(const HostProgressBar&) = delete;

    // done of total; a total of 0 shows that work is going on.
    void Show(int32_t done, int32_t total);

private:
    bool enabled_;
    bool drawn_ = false;
    int lastPercent_ = -1;
};
