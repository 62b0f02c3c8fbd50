#pragma once
// The plug-in's dialog opens on the parameters of its settings file.  When
// the user opens it on a layer that keeps a relief, that relief is written
// into the settings file first, so the dialog starts from the layer's look
// and the user can adjust it.
#include <string>

#include "HostDescriptor.h"

// Puts the descriptor's entries into the settings file, keeping every other
// key it holds (a missing file is made).  False with error when the file
// cannot be written.
bool GimpDialogStart_Write(const DescriptorItems& relief, const std::string& settingsFile, std::string& error);
