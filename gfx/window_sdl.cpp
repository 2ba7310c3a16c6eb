#include "gfx/window.h"
int runWithWindow(int (*logic)(int, char**), int argc, char** argv) { return logic(argc, argv); }
