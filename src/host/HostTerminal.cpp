#include "HostTerminal.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

constexpr int kBarWidth = 40;

}  // namespace

void HostTerminal_CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool HostTerminal_Interrupted() { return interrupted != 0; }

HostProgressBar::HostProgressBar() : enabled_(::isatty(STDERR_FILENO) == 1) {}

HostProgressBar::~HostProgressBar() {
    if (drawn_) std::fputs("\n", stderr);
}

void HostProgressBar::Show(int32_t done, int32_t total) {
    if (!enabled_) return;
    if (total <= 0) {
        if (!drawn_) std::fputs("morvanel: rendering...", stderr);
        drawn_ = true;
        return;
    }
    const int64_t clamped = done < 0 ? 0 : (done > total ? total : done);
    const int percent = static_cast<int>(clamped * 100 / total);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, ' ');
    std::fprintf(stderr, "\rmorvanel: [%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
}
