#include "HostTerminal.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>

#include "SafeFileWriter.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;
std::atomic<int> signalCount{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in the signal handler");

// Every signal first removes the temporary file of a save in progress, so
// the old output stays and no hidden file is left behind.  The first one
// then only marks the run as interrupted; a later one (which may arrive on
// another thread while the first is still handled) ends the process as the
// signal does by default.
void OnInterrupt(int signal) {
    interrupted = 1;
    SafeFileWriter_AbandonAll();
    if (signalCount.fetch_add(1) == 0) return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kBarWidth = 40;
// The elapsed time is redrawn this often while the percentage stands still.
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

std::string Elapsed(std::chrono::steady_clock::duration duration) {
    const double seconds = std::chrono::duration<double>(duration).count();
    char text[32];
    if (seconds < 60) std::snprintf(text, sizeof text, "%.1f s", seconds);
    else std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    return text;
}

}  // namespace

void HostTerminal_CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool HostTerminal_Interrupted() { return interrupted != 0; }

HostProgressBar::HostProgressBar(int items, std::FILE* stream, bool terminal)
    : items_(std::max(items, 1)),
      stream_(stream),
      terminal_(terminal),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

HostProgressBar::HostProgressBar(int items) : HostProgressBar(items, stderr, ::isatty(STDERR_FILENO) == 1) {}

HostProgressBar::~HostProgressBar() { Finish(); }

void HostProgressBar::StartItem(int index) {
    started_ = true;
    item_ = std::clamp(index, 0, items_);
    itemPercent_ = 0;
    Draw();
}

void HostProgressBar::Show(int32_t done, int32_t total) {
    started_ = true;
    if (total > 0) itemPercent_ = static_cast<int>(int64_t{std::clamp(done, 0, total)} * 100 / total);
    Draw();
}

void HostProgressBar::Finish() {
    if (finished_ || !started_) return;
    finished_ = true;
    // The bar ends where the work got: at 100% when the last item finished.
    if (itemPercent_ == 100 && item_ == items_ - 1) {
        item_ = items_;
        itemPercent_ = 0;
    }
    std::fprintf(stream_, "%s%s\n", terminal_ ? "\r" : "", Line().c_str());
    std::fflush(stream_);
}

void HostProgressBar::Note(const std::string& text) {
    std::fprintf(stream_, "%s%s\n", terminal_ ? "\r\x1b[K" : "", text.c_str());
    drawnPercent_ = -1;
    Draw();
}

int HostProgressBar::Percent() const {
    const int64_t percent = (int64_t{item_} * 100 + itemPercent_) / items_;
    return static_cast<int>(std::min<int64_t>(percent, 100));
}

std::string HostProgressBar::Line() const {
    const int percent = Percent();
    const int filled = percent * kBarWidth / 100;
    std::string line = "morvanel: [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] ";
    char number[32];
    std::snprintf(number, sizeof number, "%3d%%  ", percent);
    line += number;
    if (items_ > 1) line += std::to_string(std::min(item_ + 1, items_)) + "/" + std::to_string(items_) + "  ";
    return line + Elapsed(std::chrono::steady_clock::now() - start_);
}

void HostProgressBar::Draw() {
    if (!terminal_ || finished_) return;
    const auto now = std::chrono::steady_clock::now();
    const int percent = Percent();
    if (percent == drawnPercent_ && now - lastDraw_ < kRedrawInterval) return;
    drawnPercent_ = percent;
    lastDraw_ = now;
    // Clears what a longer line left behind.
    std::fprintf(stream_, "\r%s\x1b[K", Line().c_str());
    std::fflush(stream_);
}
