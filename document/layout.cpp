// Row moves and the word-wrapping text placement of a rendering pass.
#include "document/layout.h"
#include <algorithm>
#include "document/page_state.h"
#include "gfx/font.h"
#include "gfx/surface.h"

void windowChecks(Layout& L) {
    if (!L.drawing && L.row == page.scrollRow) {
        L.drawing = true;
        L.row = 0;
    }
    if (L.drawing && L.row == kWindowRows) L.stopped = true;
}

void nextRow(Layout& L) {
    ++L.row;
    L.cursorX = 0;
    windowChecks(L);
}

void lineBreak(Layout& L) {
    if (L.drawing) {
        const int y = 8 * L.row;
        fillRectangle(L.cursorX + 2, y, kRightEdge, y + 7, L.fillColour);
    }
    nextRow(L);
}

void advance(Layout& L, int64_t width) {
    const int64_t x = L.cursorX + width;
    if (x > kLineLimit) {
        nextRow(L);
    } else {
        L.cursorX = int32_t(x);
    }
}

void layoutText(Layout& L, std::string_view s) {
    // The rest of s is a view into the record, so a record of any length is
    // laid out without copying what is left of it row after row.
    while (L.cursorX + 6 * int64_t(s.size()) > kLineLimit) {
        // The loop condition keeps room within 1..length(s).
        const size_t room = size_t(kWrapWidth - L.cursorX / 6);
        const size_t space = s.rfind(' ', room - 1);
        const size_t cut = space == std::string_view::npos ? room : space + 1;
        if (L.drawing) {
            const int y = 8 * L.row;
            fillRectangle(L.cursorX + 2, y, kRightEdge, y + 7, L.fillColour);
            textClipped(s.substr(0, cut), L.textColour, L.cursorX + 2, y - 1);
        }
        s.remove_prefix(cut);
        s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
        nextRow(L);
        if (L.stopped) return;
    }
    const int64_t width = 6 * int64_t(s.size());
    if (L.drawing) {
        const int x = L.cursorX + 2, y = 8 * L.row;
        fillClipped(x, y, x + width, y + 7, L.fillColour);
        textClipped(s, L.textColour, x, y - 1);
    }
    advance(L, width);
}

namespace {

// Pulls an x coordinate into -1..width: everything beyond either edge is
// clipped anyway, so the pixels drawn stay the same.
int clampX(int64_t x) {
    return int(std::clamp<int64_t>(x, -1, surfaceWidth()));
}

}  // namespace

void fillClipped(int64_t x1, int y1, int64_t x2, int y2, int32_t colour) {
    fillRectangle(clampX(x1), y1, clampX(x2), y2, colour);
}

void lineClipped(int64_t x1, int y, int64_t x2, int32_t colour) {
    drawLine(clampX(x1), y, clampX(x2), y, colour);
}

void textClipped(std::string_view s, int32_t colour, int x, int y) {
    // Characters that start right of the surface draw nothing.
    const int64_t visible = std::max<int64_t>(0, (int64_t(surfaceWidth()) - x + 5) / 6);
    const size_t n = size_t(std::min<int64_t>(visible, int64_t(s.size())));
    drawText(std::string(s.substr(0, n)), colour, x, y, 1);
}
