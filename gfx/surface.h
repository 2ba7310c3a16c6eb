// The whole of what the browser's logic may ask of the platform: one surface
// of colour numbers shown in a window, a key queue, key-held flags and the
// mouse. Two back ends sit behind it: a real window (gfx/window.h) and an
// in-memory one with scripted input (gfx/headless.h).
#pragma once
#include <cstdint>
#include <string>

struct MouseState {
    int32_t x = -1, y = -1, wheel = -1, buttons = -1;
};

// Opens the surface, every pixel colour 0. On the window back end this opens
// the window; when that fails, drawing does nothing and no input arrives.
void openSurface(int width, int height);
int surfaceWidth();
int surfaceHeight();

// Drawing is clipped to the surface; only the colour's low 8 bits are kept.
void setPixel(int x, int y, int32_t colour);
void drawLine(int x1, int y1, int x2, int y2, int32_t colour);
void drawRectangle(int x1, int y1, int x2, int y2, int32_t colour);
void fillRectangle(int x1, int y1, int x2, int y2, int32_t colour);
// The stored colour number, 0 outside the surface.
uint8_t surfacePixel(int x, int y);

// The oldest queued key: "" when none, one byte for a typed character,
// byte 255 and a second byte for a key that types nothing.
std::string readKey();
// Whether the key with this PC scan code (1 = Escape) is held now.
bool isKeyDown(int scanCode);
// All four fields -1 when the pointer is outside or the window is inactive.
MouseState pollMouse();

// Sleeps until input arrives or `milliseconds` pass, whichever is first, so
// polling loops need not burn a core.
void waitForInput(int milliseconds);
