// SYS/VEK.INI, which holds only the home location.
#pragma once
#include <string>

// The first field of the settings file's first line; "" when it is missing.
std::string readHomeSetting();
// Writes the location and CR LF to a new file beside the old one and renames
// it over, so a failed or interrupted write leaves the old home in place.
// Returns false when the new file could not be written.
bool saveHomeSetting(const std::string& location);
