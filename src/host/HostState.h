#pragma once
// The host's state file: the bytes of the parameter block that the last
// successful run left in the parameters handle, so that --repeat can hand
// the plug-in the same block in a later process.  It lives in the system
// folder as "HostParameters.state".
#include <cstdint>
#include <string>
#include <vector>

std::string HostState_Path();
// False when there is no state file or it cannot be read.
bool HostState_Load(std::vector<uint8_t>& block);
// Brings the scripted integers of a loaded block into their ranges, with a
// warning on standard error naming the state file, the key and both values.
// A block too short to hold them is left as it is.
void HostState_Clamp(std::vector<uint8_t>& block);
// Writes under a temporary name and renames; false on failure.
bool HostState_Save(const std::vector<uint8_t>& block);
