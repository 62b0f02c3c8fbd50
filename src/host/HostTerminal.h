#pragma once
// The terminal side of a run: a one-line progress bar on standard error and
// Ctrl-C as the user's request to stop.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// Installs the Ctrl-C (and SIGTERM) handler: the first signal marks the run
// as interrupted (the plug-in's abort test then answers true and the render
// stops at its next step) and abandons any file being saved (its temporary
// file is removed, the old file stays); a second one ends the process as
// usual.
void HostTerminal_CatchInterrupt();
bool HostTerminal_Interrupted();

// Progress over one or more items (the files of a batch), each reporting
// done of total as the plug-in's progress procedure does.  On a terminal the
// line is redrawn in place,
//     morvanel: [################                        ]  40%  2/5  3.1 s
// elsewhere only the final line is written, when the bar ends.
class HostProgressBar {
public:
    HostProgressBar(int items, std::FILE* stream, bool terminal);
    // Standard error, as a terminal when it is one.
    explicit HostProgressBar(int items = 1);
    ~HostProgressBar();  // Finish()
    HostProgressBar(const HostProgressBar&) = delete;
    HostProgressBar& operator=(const HostProgressBar&) = delete;

    // The item with this 0-based index begins; the ones before it are done.
    void StartItem(int index);
    // done of total of the current item; a total of 0 shows that work is
    // going on without a measure.
    void Show(int32_t done, int32_t total);
    // Keeps the elapsed time current while the work reports no progress
    // (the plug-in reads and writes the image without progress reports).
    void Tick() { Draw(); }
    // Writes the final line once, when any work was shown: how far it got
    // and how long it took.
    void Finish();
    // A message line of its own; on a terminal the bar is drawn again below it.
    void Note(const std::string& text);

private:
    int Percent() const;
    std::string Line() const;
    void Draw();

    int items_;
    std::FILE* stream_;
    bool terminal_;
    int item_ = 0;
    int itemPercent_ = 0;
    int drawnPercent_ = -1;
    bool started_ = false;
    bool finished_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};
