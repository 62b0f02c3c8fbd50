#pragma once
// Action files: one recorded filter run as JSON,
//   {"playInfo": 0, "descriptor": [{"key": "pVer", "value": 1}, ...]}
// playInfo says whether a replay shows the dialog (kPlayDialogDisplay) or
// runs silently (kPlayDialogDontDisplay, kPlayDialogSilent).
#include <string>

#include "HostDescriptor.h"

struct HostActionSt {
    int16_t playInfo = kPlayDialogDontDisplay;
    DescriptorItems descriptor;
};

// Reads path into action.  On failure returns false and error says why
// (unreadable file, not JSON, a malformed item); action is then unchanged.
bool HostAction_Load(const std::string& path, HostActionSt& action, std::string& error);
// Writes the action under a temporary name and renames it over path, so a
// failure leaves no file behind.  false with error on failure.
bool HostAction_Save(const std::string& path, const HostActionSt& action, std::string& error);

// The same JSON as text, for hosts that keep an action somewhere else than
// in a file (GIMP keeps it on the layer).
std::string HostAction_ToText(const HostActionSt& action);
bool HostAction_FromText(const std::string& text, HostActionSt& action, std::string& error);
