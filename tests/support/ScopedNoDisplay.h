#pragma once
// Removes DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM from the environment
// for the lifetime of the object, so that a run asking for the dialog finds
// no display; restores them afterwards.
#include "TempDir.h"

namespace morvanel_test {

class ScopedNoDisplay {
public:
    ScopedNoDisplay() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env_.Unset(name);
    }

private:
    ScopedEnv env_;
};

}  // namespace morvanel_test
