#pragma once
// Running the main dialog from the plug-in: a display check, the Qt
// application (made here when the host has none), and the dialog's run.
#include <string>

#include "AppFolder.h"

class CShadeApp;
class MainDlgHost;

enum class DialogRunResult {
    Applied,    // OK: the whole area was rendered and handed to the host
    Cancelled,  // Cancel, or an OK whose render was aborted or not written
    NoDisplay,  // no display to show the dialog on; nothing was shown
};

// True when a Qt application exists or the environment names a display
// (DISPLAY, WAYLAND_DISPLAY) or a Qt platform (QT_QPA_PLATFORM).
bool DialogDisplayAvailable();

// Runs the main dialog on app's filter area.
DialogRunResult RunMainDialog(CShadeApp& app, MainDlgHost& host, const AppPaths& paths);

// Shows a message of the application in a message box while a Qt
// application exists; returns the answer (kIdOk, kIdYes, kIdNo).
int ShowDialogMessage(const std::string& text, int style);

// Shows the about window of the system folder until a click closes it.
// False when there is no display.
bool RunSplashDialog(const std::string& systemFolder);
