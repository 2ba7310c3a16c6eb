// The browser's interaction: one key per pass, the mouse poll, the timed
// refresh, and while the left button alone is down, the click dispatch over
// the page's links, forms and fields and then the fixed controls, in order.
#include <algorithm>
#include <cmath>

#include "app/browser.h"
#include "app/layout.h"
#include "app/settings.h"
#include "base/numbers.h"
#include "base/strings.h"
#include "base/timer.h"
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/editbox.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "net/download.h"
#include "net/forms.h"
#include "net/navigate.h"

namespace {
const std::string kUpKey = "\xFFH";
const std::string kDownKey = "\xFFP";
constexpr int kEscapeScanCode = 1;
// Longest sleep between passes. Input wakes the loop at once, so this only
// bounds how late a pass notices a change that sends no event.
constexpr int kIdleWaitMs = 10;

// Strictly inside a page element drawn at cursor x from `left` to `right`
// (window pixels) on window row `row`.
bool elementHit(int64_t left, int64_t right, int32_t row) {
    return page.mouseButtons == 1 && left < page.mouseX && page.mouseX < right &&
           8 * int64_t(row) < page.mouseY && page.mouseY < 8 * int64_t(row) + 7;
}

void testLinks() {
    for (int i = 1; i <= kLinkCount; ++i) {
        const LinkEntry& link = page.links[i];
        if (link.kind == None) continue;
        if (!elementHit(link.x + 2, link.x + 2 + 6 * int64_t(link.length), link.row)) continue;
        // Copies: rendering the next page rewrites the table entry.
        std::string target = link.target;
        if (link.kind == Navigate)
            navigate(target);
        else
            downloadFile(target);
        waitForRelease();
    }
}

void editFormField(FieldEntry& field) {
    page.refreshAt = 0;
    const int left = field.x + 2, top = 8 * field.row - 1, right = field.x + 49;
    field.value = editField(left, top, right, field.value, field.fillColour, field.textColour);
    fillRectangle(left, top, right, 8 * field.row + 7, field.fillColour);
    drawRectangle(left, top, right, 8 * field.row + 7, field.textColour);
    drawText(rightChars(field.value, 7), field.textColour, field.x + 4, 8 * field.row, 1);
}

void testForms() {
    for (int f = 1; f <= kFormCount; ++f) {
        if (page.forms[f].row == 0) continue;
        const FormEntry& form = page.forms[f];
        if (elementHit(form.x + 2, form.x + 38, form.row)) submitForm(f);
        for (int j = 1; j <= kFieldsPerForm; ++j) {
            FieldEntry& field = page.fields[f][j];
            if (field.row == 0) continue;
            if (elementHit(field.x + 3, field.x + 49, field.row)) editFormField(field);
        }
    }
}

// The controls that act once and then wait for the button to come up.
template <typename Action>
void actOnce(const Control& control, Action action) {
    outlineControl(control, kHighlightColour);
    action();
    waitForRelease();
    outlineControl(control, kOutlineColour);
}

void testControls() {
    if (controlHit(kGoButton)) actOnce(kGoButton, [] { navigate(page.addressText); });
    if (controlHit(kAddressBar)) {
        outlineControl(kAddressBar, kHighlightColour);
        page.addressText = editField(1, 420, 350, page.addressText, 7, 0);
        page.refreshAt = 0;
        outlineControl(kAddressBar, kOutlineColour);
    }
    if (page.atEnd == 0 && controlHit(kScrollDown))
        actOnce(kScrollDown, [] { page.scrollRow += 16; renderPage(); });
    if (page.scrollRow > 0 && controlHit(kScrollUp))
        actOnce(kScrollUp, [] { page.scrollRow -= 16; renderPage(); });
    if (controlHit(kBackButton)) actOnce(kBackButton, [] { navigate(page.previousLocation); });
    if (controlHit(kHomeButton)) actOnce(kHomeButton, [] { navigate(page.homeLocation); });
    if (controlHit(kSetHomeButton))
        actOnce(kSetHomeButton, [] {
            saveHomeSetting(page.location);
            page.homeLocation = page.location;
        });
}

bool refreshDue() {
    return page.refreshAt > 0 && floorToInt(timerSeconds()) > page.refreshAt;
}

// Milliseconds to sleep after a pass: none while keys wait, and never past
// the moment a pending timed refresh falls due.
int idleWait(bool keyWasRead) {
    if (keyWasRead) return 0;
    if (page.refreshAt <= 0) return kIdleWaitMs;
    const double due = double(page.refreshAt) + 1.0 - timerSeconds();
    return int(std::clamp(std::ceil(due * 1000.0), 0.0, double(kIdleWaitMs)));
}

// One pass; returns whether it read a key.
bool runPass() {
    const std::string key = readKey();
    if (key == " ") page.refreshAt = 0;
    if (key == kUpKey && page.scrollRow > 0) {
        page.scrollRow -= 16;
        renderPage();
    }
    if (key == kDownKey && page.atEnd == 0) {
        page.scrollRow += 16;
        renderPage();
    }
    pollMouseState();
    if (refreshDue()) navigate(page.refreshTarget);
    if (page.mouseButtons == 1) {
        testLinks();
        testForms();
        testControls();
    }
    return !key.empty();
}
}  // namespace

void runEventLoop() {
    for (;;) {
        const bool keyWasRead = runPass();
        if (isKeyDown(kEscapeScanCode)) return;
        const int wait = idleWait(keyWasRead);
        if (wait > 0) waitForInput(wait);
    }
}
