// Moving to a location: one level of back history, the address bar, a fresh
// per-page state, the fetch of a remote page, and the render.
#include "net/navigate.h"

#include "base/strings.h"
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "net/downloader.h"

// Taken by value: callers pass PageState strings (previousLocation, a link's
// target, ...) that change below, so the copy must be made before anything.
void navigate(std::string location) {
    std::string oldLocation = page.location;
    page.location = location;
    page.addressText = location;

    fillRectangle(2, 421, 349, 428, 7);
    drawText(rightChars(page.addressText, 57), 0, 3, 421, 1);

    page.previousLocation = oldLocation;
    resetForNavigation();

    // Only this exact lower-case prefix is remote; "HTTP://x" is a local path.
    if (leftChars(page.location, 7) == "http://") {
        fillRectangle(2, 0, 482, 383, 7);
        drawText("Loading...", 0, 10, 320, 5);
        runDownloader("SYS/VEKT00.VEK", page.location);
    }
    renderPage();
}
