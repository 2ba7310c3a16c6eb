// The real window. SDL owns the main thread and services the window while
// the browser's logic runs on a thread of its own.
#pragma once

// Runs `logic` on its own thread and the window's service loop on this one,
// until `logic` returns; returns its result. The window opens when the logic
// calls openSurface.
int runWithWindow(int (*logic)(int argc, char** argv), int argc, char** argv);
