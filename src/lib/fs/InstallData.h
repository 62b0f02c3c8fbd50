#pragma once
// Seeding the system folder from the installation data on first use.
#include <string>
#include <vector>

// The installation data folder: installDataFolder when not empty, else
// $MORVANEL_DATA when set, else the data/ folder of the source tree.
std::string InstallDataFolder(const std::string& installDataFolder = {});

// The file that marks a system folder whose seeding completed.
inline constexpr const char* kSeededMarkerName = ".seeded";

// Until systemFolder holds a complete seeding, creates it when missing and
// copies into it every file of the installation data that it lacks; a file
// that exists is never replaced.  A seeding that stopped half-way (a full
// disk, a killed process) is thus completed by a later run, and a completed
// one is marked so that files the user deleted later stay deleted.
// Returns 1 when files were copied, 0 when none was needed, -1 when seeding
// failed (skipped, when given, lists the entries that could not be copied).
int SeedSystemFolder(const std::string& systemFolder, const std::string& installDataFolder = {},
                     std::vector<std::string>* skipped = nullptr);
