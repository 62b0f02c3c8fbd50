#pragma once
// The dialog layer as a library of its own, libmorvanel_dialog.so beside the
// plug-in library.  The plug-in loads it only when a window is wanted, so a
// run without a dialog never loads Qt (its libraries cost about 14 MB of
// memory and 25 ms of loading per process).  The library resolves the
// plug-in's own code against the plug-in library that loads it, so both
// share one application object, one set of folders and one work pool.
#include <string>

#include "AppFolder.h"
#include "DialogRun.h"

class CShadeApp;
class MainDlgHost;

// What the dialog library offers; the functions of DialogRun.h.
struct DialogModuleSt {
    bool (*displayAvailable)();
    DialogRunResult (*runMainDialog)(CShadeApp& app, MainDlgHost& host, const AppPaths& paths);
    int (*showMessage)(const std::string& text, int style);
    bool (*runSplash)(const std::string& systemFolder);
};

inline constexpr const char* kDialogModuleFile = "libmorvanel_dialog.so";
// The library's one exported function, which returns its DialogModuleSt.
inline constexpr const char* kDialogModuleEntry = "MorvanelDialog_Module";
using DialogModuleEntryProc = const DialogModuleSt* (*)();
