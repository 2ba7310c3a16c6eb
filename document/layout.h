// The layout state of one rendering pass and the row moves shared by the
// record handlers. Internal to the renderer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kLineLimit = 474;   // an element fits while cursorX + width <= this
constexpr int kWrapWidth = 80;    // characters a row holds from the left margin
constexpr int kRightEdge = 482;   // line-end and wrapped-piece fills stop here
constexpr int kWindowBottom = 383;
constexpr int kWindowRows = 48;

struct Layout {
    int32_t cursorX = 0;
    int32_t row = 0;        // page rows until drawing starts, window rows after
    bool drawing = false;
    bool stopped = false;   // the window is full: drop the rest of the pass
    int32_t textColour = 15;
    int32_t fillColour = 0;
};

// Starts drawing when the layout reaches scrollRow; stops the pass when the
// window is full. Made after every move to a new row.
void windowChecks(Layout& L);
// Moves to the start of the next row without any fill.
void nextRow(Layout& L);
// Fills the rest of the row, then moves to the start of the next one.
void lineBreak(Layout& L);
// Moves the cursor on by `width` pixels; past the line limit it goes to the
// next row with no fill. Widths are 64-bit: a label may be millions long.
void advance(Layout& L, int64_t width);
// Places a string with word wrapping at spaces, from the current cursor.
void layoutText(Layout& L, std::string_view s);

// Carries out one line of the page file as a record.
void carryOutRecord(Layout& L, std::string_view line);

// Drawing helpers that take far-off coordinates: a label of millions of
// characters must not cost more than the part that can reach the surface.
void fillClipped(int64_t x1, int y1, int64_t x2, int y2, int32_t colour);
void lineClipped(int64_t x1, int y, int64_t x2, int32_t colour);
// Text with its glyph cells on the row whose top is y + 1.
void textClipped(std::string_view s, int32_t colour, int x, int y);
