// The one page state of the run and the resets that navigation and every
// rendering pass make to it.
#include "document/page_state.h"
#include "gfx/surface.h"

PageState page;

void resetForNavigation() {
    page.refreshAt = 0;
    page.pageTextColour = 7;
    page.pageFillColour = 0;
    for (int n = 1; n <= kIncludeCount; ++n) page.includes[n].location.clear();
    for (int f = 1; f <= kFormCount; ++f) {
        for (int k = 1; k <= kFieldsPerForm; ++k) page.fields[f][k].value.clear();
    }
    page.scrollRow = 0;
}

void resetForPass() {
    // Only the keys are cleared: the other fields of a free entry are
    // ignored until it is taken again.
    for (int i = 1; i <= kLinkCount; ++i) page.links[i].kind = None;
    for (int f = 1; f <= kFormCount; ++f) {
        page.forms[f].x = 0;
        page.forms[f].row = 0;
        page.forms[f].action.clear();
        for (int k = 1; k <= kFieldsPerForm; ++k) {
            page.fields[f][k].name.clear();
            page.fields[f][k].row = 0;
        }
    }
}

void pollMouseState() {
    const MouseState m = pollMouse();
    page.mouseX = m.x;
    page.mouseY = m.y;
    page.mouseButtons = m.buttons;
}

void waitForRelease() {
    for (;;) {
        pollMouseState();
        if (page.mouseButtons != 1) return;
        waitForInput(5);
    }
}

void clearPageState() {
    page = PageState();
}
