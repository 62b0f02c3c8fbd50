#pragma once
// Styles for the host: a style file read into a record of defaults, and a
// record turned into the descriptor of its 59 scripted entries, so that a
// style reaches the plug-in the way a recorded action does.
#include <string>
#include <vector>

#include "HostDescriptor.h"
#include "ShadeParams.h"

// A style given by name: a name without "/" that does not end in ".mv" is
// NAME.mv in the system folder's style folder, else in the working folder
// (the name's case need not match there); empty when it is in neither.
// Anything else is a path and is returned as it is.
std::string HostStyle_Find(const std::string& nameOrPath);

struct HostStyleNameSt {
    std::string name;  // the file name without ".mv"
    std::string path;
};
// The styles that can be given by name, sorted by name; a name found in both
// folders is listed once, with the file that HostStyle_Find chooses.
std::vector<HostStyleNameSt> HostStyle_List();

// The defaults (PathDefault: the user's pictures folder).
ShadeParams HostStyle_Defaults();
// Loads the style file over params.  False with error when it is refused.
// A value out of its range is clamped, with a warning on standard error that
// names the file, the key and both values.
bool HostStyle_Load(const std::string& path, ShadeParams& params, std::string& error);
// Clamps the integer items of a recorded descriptor into the ranges of their
// entries, with the same warning naming source (the action file).
void HostStyle_ClampDescriptor(DescriptorItems& items, const std::string& source);
// The value brought into the entry's range; a change is warned about on
// standard error, naming source (the file) and key.
int32_t HostStyle_ClampValue(const ShadeParamEntry& entry, int32_t value, const std::string& source,
                             const std::string& key);
// The warning of a value brought into range.
std::string HostStyle_RangeWarning(const std::string& source, const std::string& key, int32_t found,
                                   int32_t kept, const ShadeParamRange& range);
// The 59 scripted entries in script order, texts as texts.
DescriptorItems HostStyle_Descriptor(const ShadeParams& params);
