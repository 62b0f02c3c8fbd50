#pragma once
// Removes DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM from the environment
// for the lifetime of the object, so that a run asking for the dialog finds
// no display; restores them afterwards.
#include <array>
#include <cstdlib>
#include <optional>
#include <string>

namespace morvanel_test {

class ScopedNoDisplay {
public:
    ScopedNoDisplay() {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
            ::unsetenv(kNames[i]);
        }
    }
    ~ScopedNoDisplay() {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
    }
    ScopedNoDisplay(const ScopedNoDisplay&) = delete;
    ScopedNoDisplay& operator=(const ScopedNoDisplay&) = delete;

private:
    static constexpr std::array<const char*, 3> kNames{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::array<std::optional<std::string>, 3> saved_;
};

}  // namespace morvanel_test
