// One rendering pass: the page file from its first record, laid out in
// full above the window, drawn inside it, and stopped once it is full.
#include "document/renderer.h"
#include <string>
#include "base/strings.h"
#include "base/textfile.h"
#include "document/layout.h"
#include "document/page_state.h"
#include "gfx/surface.h"

namespace {

std::string pageFile() {
    // A remote page is read from the copy navigation fetched.
    return leftChars(page.location, 7) == "http://" ? "SYS/VEKT00.VEK" : page.location;
}

// Clears what lies below the end of a page that ends inside the window.
void finishPass(const Layout& L, bool endOfFile) {
    if (!endOfFile || !L.drawing) {
        page.atEnd = 0;
        return;
    }
    page.atEnd = 1;
    const int y = 8 * L.row;
    if (L.row <= kWindowRows - 1) fillRectangle(L.cursorX + 2, y, kRightEdge, y + 7, L.fillColour);
    if (L.row <= kWindowRows - 2) fillRectangle(2, y + 8, kRightEdge, kWindowBottom, L.fillColour);
}

}  // namespace

void renderPage() {
    FileHandle file;
    openFile(file, pageFile(), FileMode::Input);
    resetForPass();
    Layout L;
    windowChecks(L);
    if (isOpen(file)) {
        // The first line is read untested, so an empty file is one empty line.
        std::string line;
        do {
            readLine(file, line);
            carryOutRecord(L, line);
        } while (!L.stopped && !atEndOfFile(file));
    }
    finishPass(L, atEndOfFile(file));
    closeFile(file);
}
