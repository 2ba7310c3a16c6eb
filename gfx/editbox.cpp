#include "gfx/editbox.h"

#include "base/strings.h"
#include "document/page_state.h"
#include "gfx/font.h"
#include "gfx/surface.h"

namespace {
constexpr int kEnter = 13;
constexpr int kBackspace = 8;
// Sleep per idle cycle; a key or a click wakes the box at once.
constexpr int kIdleWaitMs = 10;

struct EditBox {
    int x1, y, x2, width;
    int32_t fillColour, textColour;
};

void show(const EditBox& box, const std::string& text) {
    fillRectangle(box.x1 + 1, box.y + 1, box.x2 - 1, box.y + 8, box.fillColour);
    drawText(rightChars(text, box.width), box.textColour, box.x1 + 2, box.y + 1, 1);
}

bool insideInterior(const EditBox& box) {
    return box.x1 < page.mouseX && page.mouseX < box.x2 && box.y < page.mouseY &&
           page.mouseY < box.y + 9;
}
}  // namespace

std::string editField(int x1, int y, int x2, const std::string& text, int32_t fillColour,
                      int32_t textColour) {
    const EditBox box{x1, y, x2, (x2 - x1) / 6, fillColour, textColour};
    std::string edited = text;
    show(box, edited);
    for (;;) {
        const std::string key = readKey();
        if (!key.empty()) {
            const int code = charCode(key, 1);
            if (code == kEnter) break;
            if (code == kBackspace && !edited.empty()) {
                edited.pop_back();
                show(box, edited);
            } else if (code >= 32 && code <= 126) {
                edited += key;
                show(box, edited);
            }
        }
        pollMouseState();
        if (page.mouseButtons == 1 && !insideInterior(box)) break;
        if (key.empty()) waitForInput(kIdleWaitMs);
    }
    return edited;
}
