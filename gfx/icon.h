#pragma once
#include <string>

// Draws a 32 by 32 .f5i icon (column-major bytes, 16..127 transparent) with
// its top-left pixel at (x0, y0). A missing file is created empty and draws
// a black square.
void drawIcon(const std::string& fileName, int x0, int y0);
