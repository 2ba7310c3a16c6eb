// The 6 by 8 bitmap font: the glyph table loaded from SYS/FONT.DAT and text
// drawn with it. A rendering pass draws tens of thousands of glyph cells, so
// each glyph also keeps the list of its lit cells and a whole string is drawn
// under one hold of the surface lock.
#include "gfx/font.h"
#include <cstring>
#include "base/textfile.h"
#include "gfx/surface_internal.h"

namespace {

const int glyphCount = 256, glyphRows = 8, glyphColumns = 6;

// Cell (code, row 1..8, column 1..6), non-zero when lit; index 0 unused.
int32_t glyphTable[glyphCount][glyphRows + 1][glyphColumns + 1];

struct LitCell { uint8_t row, column; };
struct LitGlyph {
    int count = 0;
    LitCell cells[glyphRows * glyphColumns];
};
LitGlyph litGlyphs[glyphCount];

void collectLitCells() {
    for (int c = 0; c < glyphCount; ++c) {
        LitGlyph& g = litGlyphs[c];
        g.count = 0;
        for (int r = 1; r <= glyphRows; ++r)
            for (int k = 1; k <= glyphColumns; ++k)
                if (glyphTable[c][r][k] != 0) g.cells[g.count++] = {uint8_t(r), uint8_t(k)};
    }
}

}  // namespace

void loadFont() {
    std::memset(glyphTable, 0, sizeof glyphTable);
    FileHandle file;
    openFile(file, "SYS/FONT.DAT", FileMode::Input);
    // Glyph 0 is never in the file. A closed handle reads 0 for every field,
    // so a missing file leaves a blank font.
    for (int c = 1; c < glyphCount; ++c)
        for (int r = 1; r <= glyphRows; ++r)
            for (int k = 1; k <= glyphColumns; ++k)
                glyphTable[c][r][k] = int32_t(0u - uint32_t(readIntField(file)));
    closeFile(file);
    collectLitCells();
}

// Only y snaps to the scale (truncating toward zero) and the glyph starts
// one cell below it; x is used as given.
void drawText(const std::string& text, int32_t colour, int x, int y, int scale) {
    if (text.empty()) return;
    if (scale > 10) scale = 10;
    if (scale < 1) scale = 1;
    const int64_t yCells = y / scale;
    const uint8_t c8 = uint8_t(colour);
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    for (size_t i = 0; i < text.size(); ++i) {
        const LitGlyph& g = litGlyphs[uint8_t(text[i])];
        const int64_t left = int64_t(x) + int64_t(6) * scale * int64_t(i);
        for (int n = 0; n < g.count; ++n) {
            const int64_t px = left + int64_t(g.cells[n].column - 1) * scale;
            const int64_t py = (yCells + g.cells[n].row) * scale;
            if (px + scale <= 0 || px >= s.width || py + scale <= 0 || py >= s.height) continue;
            if (scale == 1)
                putPixel(s, int(px), int(py), c8);
            else
                fillClipped(s, int(px), int(py), int(px) + scale - 1, int(py) + scale - 1, c8);
        }
    }
    const int64_t top = (yCells + 1) * scale, bottom = (yCells + glyphRows + 1) * scale - 1;
    if (bottom >= 0 && top < s.height) markRowsDirty(s, int(top), int(bottom));
}
