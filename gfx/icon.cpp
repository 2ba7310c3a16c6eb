// 32 by 32 .f5i icons: one byte per pixel, column by column, read straight
// from the file each time and drawn under one hold of the surface lock.
#include "gfx/icon.h"
#include "base/textfile.h"
#include "gfx/surface_internal.h"

namespace {
const int iconSize = 32;
}

void drawIcon(const std::string& fileName, int x0, int y0) {
    // Binary mode creates a missing file empty; every byte it lacks reads as
    // 0 (black), and on a handle that never opened the byte simply stays 0.
    uint8_t bytes[iconSize][iconSize];
    FileHandle file;
    openFile(file, fileName, FileMode::Binary);
    uint8_t current = 0;
    for (int i = 0; i < iconSize; ++i)
        for (int j = 0; j < iconSize; ++j) {
            readByte(file, current);
            bytes[i][j] = current;
        }
    closeFile(file);

    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < iconSize; ++i)
        for (int j = 0; j < iconSize; ++j) {
            // Signed below 16 is opaque: 0..15 are colours, and bytes 128..255
            // (negative) are stored as they are, which shows black.
            if (int8_t(bytes[i][j]) < 16) putPixel(s, x0 + i, y0 + j, bytes[i][j]);
        }
    markRowsDirty(s, y0, y0 + iconSize - 1);
}
