#pragma once
#include <string>

// Moves to a location: back history, address bar, per-page reset, fetch of a
// remote page into SYS/VEKT00.VEK while "Loading..." shows, then a render.
void navigate(std::string location);
