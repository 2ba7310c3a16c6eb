// The in-memory back end: no window, readable pixels and scripted input. It
// is the default, and is what the tests and nuva-shot draw on.
#pragma once
#include <functional>
#include <string>
#include "gfx/surface.h"

// Selects the in-memory back end and forgets all scripted input.
void useHeadless();

// Queues a key as if typed (the 15-entry queue drops its oldest entry).
void headlessTypeKey(const std::string& key);
void headlessSetKeyDown(int scanCode, bool down);
void headlessSetMouse(MouseState state);
// Called at the start of every pollMouse with the number of that poll
// (1, 2, ...), before the mouse state is returned, so a test can script a
// whole interaction: move the mouse, type keys, hold Escape, move the clock.
void headlessOnPoll(std::function<void(int poll)> script);
int headlessPollCount();
