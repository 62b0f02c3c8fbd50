#pragma once
// Seeding the system folder from the installation data on first use.
#include <string>

// The installation data folder: installDataFolder when not empty, else
// $MORVANEL_DATA when set, else the data/ folder of the source tree.
std::string InstallDataFolder(const std::string& installDataFolder = {});

// When systemFolder does not exist or is empty, creates it and copies the
// installation data into it.  Returns 1 when the folder was seeded, 0 when
// it already had content (nothing is touched then), -1 when seeding failed.
int SeedSystemFolder(const std::string& systemFolder, const std::string& installDataFolder = {});
