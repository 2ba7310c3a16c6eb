// The 6 by 8 bitmap font of SYS/FONT.DAT and text drawn with it.
#pragma once
#include <cstdint>
#include <string>

// Fills the glyph table from SYS/FONT.DAT; a missing file leaves every
// glyph blank.
void loadFont();
// Draws text with its first glyph row one cell below (y / scale) * scale;
// x is not scaled. The scale is clamped to 1..10.
void drawText(const std::string& text, int32_t colour, int x, int y, int scale);
