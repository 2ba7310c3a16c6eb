// What stands in for the window when none could be opened.
#pragma once
#include "gfx/surface_internal.h"

// Puts the terminal, when standard input is one, into a mode where Escape
// can be read from it without Enter, restored at exit; returns the hooks
// under which Escape typed there reads as held.
const SurfaceBackEnd* consoleBackEnd();
// Gives the terminal back the mode it had; does nothing when it was never
// changed.
void restoreConsole();
