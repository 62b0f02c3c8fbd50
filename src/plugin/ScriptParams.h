#pragma once
// Recording and replaying the scripted entries through the host's
// descriptor procedures: 59 four-character keys in script-entry order.
#include <array>
#include <cstdint>

#include "Globals.h"
#include "ShadeParams.h"

// The key table handed to the reader: the 59 keys, then 0.
using ScriptKeyTable = std::array<DescriptorKeyID, kShadeParamsScriptCount + 1>;
const ScriptKeyTable& ScriptKeys();

// The script entry of a key, or -1 for a key not in the table.
int ScriptIndexOfKey(DescriptorKeyID key);

// Descriptor parameters of version 0 with complete read (version 0, at
// least 18 procedures, all present) and write (version 0, at least 16)
// tables.
bool DescriptorsUsable(const PIDescriptorParameters* parameters);

// Fills the parameter block from the recorded descriptor and decides
// ShowDialog.  Returns 0 or the reader's closing status; a closing status
// other than 0 and -1715 also becomes the host's result.
HostErr ReadScriptParams(Globals* globals);
// Records the block's 59 entries as the new descriptor.  Returns 0.
HostErr WriteScriptParams(Globals* globals);
