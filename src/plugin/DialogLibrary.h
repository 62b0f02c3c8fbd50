#pragma once
// The dialog library (DialogModule.h), loaded beside the plug-in library on
// first use and kept for the life of the process: the Qt application it
// makes outlives every dialog.
#include "DialogModule.h"

// Null when the library is missing or unusable (a build without the dialog
// layer, or a plug-in linked into a program rather than loaded).
const DialogModuleSt* DialogLibrary_Module();
