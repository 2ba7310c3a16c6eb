#pragma once
#include <cstdint>

struct Rgb { uint8_t r, g, b; };

// Colour numbers 0..15 show the 16 standard colours, 16..255 show black.
Rgb paletteColour(uint8_t colour);
