#include "app/layout.h"

#include "document/page_state.h"
#include "gfx/font.h"
#include "gfx/icon.h"
#include "gfx/surface.h"

const Control kGoButton{351, 420, 366, 429, 351, 420, 366, 429};
const Control kAddressBar{1, 420, 350, 429, 1, 420, 350, 429};
const Control kScrollDown{485, 350, 493, 384, 485, 350, 493, 384};
const Control kScrollUp{485, 2, 493, 36, 485, 2, 493, 36};
// The icons' hit rectangles reach one pixel further right and down than
// their outlines, so the outline's left and top lines are not part of them.
const Control kBackButton{2, 386, 34, 418, 2, 386, 33, 417};
const Control kHomeButton{36, 386, 68, 418, 36, 386, 67, 417};
const Control kSetHomeButton{70, 386, 102, 418, 70, 386, 101, 417};

void drawWindowLayout() {
    fillRectangle(0, 0, 639, 479, 7);
    // The frame's top edge lies above the surface and is left out.
    drawRectangle(1, -1, 483, 384, 8);
    drawIcon("SYS/back.f5i", 2, 386);
    drawIcon("SYS/home.f5i", 36, 386);
    drawIcon("SYS/nhome.f5i", 70, 386);
    drawRectangle(1, 420, 350, 429, 0);
    drawRectangle(351, 420, 366, 429, 0);
    drawText("Go", 0, 353, 421, 1);
    drawRectangle(485, 2, 493, 36, 0);
    drawRectangle(485, 350, 493, 384, 0);
    drawText("NUVA 3", 0, 320, 384, 5);
    drawText("by NUVA developers", 0, 385, 418, 1);
}

bool controlHit(const Control& c) {
    return page.mouseButtons == 1 && c.hitLeft < page.mouseX && page.mouseX < c.hitRight &&
           c.hitTop < page.mouseY && page.mouseY < c.hitBottom;
}

void outlineControl(const Control& c, int colour) {
    drawRectangle(c.outlineLeft, c.outlineTop, c.outlineRight, c.outlineBottom, colour);
}
