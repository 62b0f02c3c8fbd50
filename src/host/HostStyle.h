#pragma once
// Styles for the host: a style file read into a record of defaults, and a
// record turned into the descriptor of its 59 scripted entries, so that a
// style reaches the plug-in the way a recorded action does.
#include <string>

#include "HostDescriptor.h"
#include "ShadeParams.h"

// The defaults (PathDefault: the user's pictures folder).
ShadeParams HostStyle_Defaults();
// Loads the style file over params.  False with error when it is refused.
bool HostStyle_Load(const std::string& path, ShadeParams& params, std::string& error);
// The 59 scripted entries in script order, texts as texts.
DescriptorItems HostStyle_Descriptor(const ShadeParams& params);
