// What the back ends (gfx/headless.cpp, gfx/window_sdl.cpp) share with the
// surface core in gfx/surface.cpp. Nothing outside gfx/ includes this.
//
// Threads: the browser's logic draws and reads input on its own thread; a
// window back end feeds input and copies changed rows from another. Every
// function below may be called from any thread unless it says otherwise.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>
#include "gfx/surface.h"

// The pixels. Hold `lock` while reading or writing any field.
struct SurfaceBuffer {
    std::mutex lock;
    int width = 0, height = 0;          // 0 x 0 until opened, or when opening failed
    std::vector<uint8_t> pixels;        // width * height colour numbers, row by row
    int dirtyTop = 0, dirtyBottom = -1; // rows changed since the last takeDirtyRows
};
SurfaceBuffer& surfaceBuffer();

// With surfaceBuffer().lock held: the changed rows top..bottom (inclusive);
// false when none changed. Clears the record, so each change is taken once.
bool takeDirtyRows(int& top, int& bottom);

// For drawings made of many pixels (text, icons), with the lock held: one
// clipped pixel without bookkeeping; mark the rows with markRowsDirty.
inline void putPixel(SurfaceBuffer& s, int x, int y, uint8_t colour) {
    if (x >= 0 && x < s.width && y >= 0 && y < s.height) s.pixels[size_t(y) * s.width + x] = colour;
}
// With the lock held: every pixel between the corners (either order),
// clipped, and its rows marked changed.
void fillClipped(SurfaceBuffer& s, int x1, int y1, int x2, int y2, uint8_t colour);
// With the lock held: records rows top..bottom as changed, clipped.
void markRowsDirty(SurfaceBuffer& s, int top, int bottom);

// Appends a key to the 15-entry queue, dropping the oldest when full.
void queueKey(const std::string& key);
// Sets the held flag of a PC scan code; codes outside 0..127 are ignored.
void setKeyDown(int scanCode, bool down);
// Clears every held flag (the window became active or inactive).
void clearKeyFlags();
// The mouse as the back end sees it now; a button pressed here stays
// visible to the logic's next pollMouse even if released before it.
void setMouseState(MouseState state);
// Empties the key queue, clears the flags and sets the mouse to all -1.
void resetInput();
// Waits until queueKey/setKeyDown/setMouseState is called or the time
// passes; a window back end can install this as its waitForInput.
void waitForInputSignal(int milliseconds);

// A back end's hooks. Each may be null, which means the default given.
struct SurfaceBackEnd {
    // After the core has allocated the buffer; false when no window could be
    // opened, which leaves the surface 0 x 0 (drawing then does nothing).
    // Null: always succeeds.
    bool (*open)(int width, int height);
    // At the start of every pollMouse, before the mouse state is read.
    // Null: nothing.
    void (*beforePollMouse)();
    // Whether a key is held now. Null: the flags set through setKeyDown.
    bool (*keyHeld)(int scanCode);
    // Sleeps up to `milliseconds` or until input. Null: returns at once.
    void (*waitForInput)(int milliseconds);
};
// Makes `backEnd` (which must outlive the program) serve the surface calls.
// Call before the logic starts; the headless one serves until then.
void installBackEnd(const SurfaceBackEnd* backEnd);
// The in-memory back end's hooks, the default.
const SurfaceBackEnd* headlessBackEnd();
