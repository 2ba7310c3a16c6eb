// What each record of a page does to the layout, to the page state and to
// the window.
#include <string>
#include "base/numbers.h"
#include "base/strings.h"
#include "base/textfile.h"
#include "base/timer.h"
#include "document/layout.h"
#include "document/page_state.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "net/downloader.h"

namespace {

int32_t numberOf(std::string_view payload) {
    return roundToInt(parseNumber(std::string(payload)));
}

// Split at the first ">": no ">" leaves the left part empty.
void splitPayload(std::string_view payload, std::string_view& left, std::string_view& right) {
    const size_t at = payload.find('>');
    if (at == std::string_view::npos) {
        left = {};
        right = payload;
    } else {
        left = payload.substr(0, at);
        right = payload.substr(at + 1);
    }
}

// The form that fields join and submit buttons complete; 0 when none.
int openForm() {
    for (int f = 1; f <= kFormCount; ++f) {
        if (page.forms[f].x == 0) return f;
    }
    return 0;
}

std::string fragmentFile(int slot) {
    return "SYS/VEKT0" + decimalText(slot) + ".VEK";
}

void includeRecord(Layout& L, std::string_view payload) {
    const std::string location(payload);
    int slot = 0;
    // An empty location matches the first free slot: shown, never fetched.
    for (int n = 1; n <= kIncludeCount && slot == 0; ++n) {
        if (page.includes[n].location == location) slot = n;
    }
    for (int n = 1; n <= kIncludeCount && slot == 0; ++n) {
        if (page.includes[n].location.empty()) {
            runDownloader(fragmentFile(n), location);
            page.includes[n].location = location;
            slot = n;
        }
    }
    // A fragment that cannot be had leaves its location to be shown.
    std::string text = location;
    if (slot != 0) {
        FileHandle h;
        openFile(h, fragmentFile(slot), FileMode::Input);
        readLine(h, text);
        closeFile(h);
    }
    layoutText(L, text);
}

void lineBreakRecord(Layout& L, std::string_view payload) {
    for (size_t i = 0; i <= payload.size() && !L.stopped; ++i) lineBreak(L);
}

void ruleRecord(Layout& L, std::string_view payload) {
    lineBreak(L);
    if (L.stopped) return;
    if (L.drawing) {
        const int y = 8 * L.row;
        const int32_t code = payload.empty() ? '=' : numberOf(payload);
        fillRectangle(2, y, kRightEdge, y + 7, L.fillColour);
        drawText(repeatChar(kWrapWidth, code), L.textColour, 2, y - 1, 1);
    }
    nextRow(L);
}

void fieldRecord(Layout& L, std::string_view payload) {
    const int f = openForm();
    int k = 0;
    for (int j = 1; f != 0 && j <= kFieldsPerForm && k == 0; ++j) {
        if (page.fields[f][j].name.empty()) k = j;
    }
    if (k != 0) {
        FieldEntry& field = page.fields[f][k];
        field.x = L.cursorX;
        field.name = std::string(payload);
        field.textColour = L.textColour;
        field.fillColour = L.fillColour;
        if (L.drawing) field.row = L.row;
    }
    if (L.drawing) {
        const int x = L.cursorX + 2, y = 8 * L.row;
        fillRectangle(x, y - 1, x + 47, y + 7, L.fillColour);
        drawRectangle(x, y - 1, x + 47, y + 7, L.textColour);
        if (k != 0) drawText(rightChars(page.fields[f][k].value, 8), L.textColour, x, y - 1, 1);
    }
    advance(L, 48);
}

void formRecord(std::string_view payload) {
    std::string_view left, right;
    splitPayload(payload, left, right);
    for (int f = 1; f <= kFormCount; ++f) {
        if (page.forms[f].action.empty()) {
            page.forms[f].action = std::string(right);
            return;
        }
    }
}

void submitRecord(Layout& L, std::string_view payload) {
    const int f = openForm();
    if (f != 0) {
        page.forms[f].x = L.cursorX;
        page.forms[f].suffix = std::string(payload);
        if (L.drawing) page.forms[f].row = L.row;
    }
    if (L.drawing) {
        const int x = L.cursorX + 2, y = 8 * L.row;
        fillRectangle(x, y, x + 36, y + 7, L.fillColour);
        drawText("Submit", L.textColour, x, y - 1, 1);
        fillRectangle(x + 1, y + 7, x + 35, y + 7, L.textColour);
    }
    advance(L, 36);
}

void characterRecord(Layout& L, std::string_view payload) {
    if (L.drawing) {
        const int x = L.cursorX + 2, y = 8 * L.row;
        fillRectangle(x, y, x + 6, y + 7, L.fillColour);
        drawText(charText(numberOf(payload)), L.textColour, x, y - 1, 1);
    }
    advance(L, 6);
}

void linkRecord(Layout& L, std::string_view payload, LinkKind kind) {
    std::string_view label, target;
    splitPayload(payload, label, target);
    const int64_t width = 6 * int64_t(label.size());
    if (L.cursorX + width > kLineLimit) {
        lineBreak(L);
        if (L.stopped) return;
    }
    if (L.drawing) {
        const int x = L.cursorX + 2, y = 8 * L.row;
        fillClipped(x, y, x + width, y + 7, L.fillColour);
        textClipped(label, L.textColour, x, y - 1);
        lineClipped(x + 1, y + 7, x + width - 1, L.textColour);
        for (int i = 1; i <= kLinkCount; ++i) {
            LinkEntry& link = page.links[i];
            if (link.kind != None) continue;
            link.x = L.cursorX;
            link.row = L.row;
            link.length = int32_t(label.size());
            link.target = std::string(target);
            link.kind = kind;
            break;
        }
    }
    advance(L, width);
}

void refreshRecord(std::string_view payload) {
    std::string_view seconds, target;
    splitPayload(payload, seconds, target);
    page.refreshAt = roundToInt(floorToInt(timerSeconds()) + parseNumber(std::string(seconds)));
    page.refreshTarget = std::string(target);
}

}  // namespace

void carryOutRecord(Layout& L, std::string_view line) {
    if (line.empty()) return;
    const std::string_view payload = line.substr(1);
    switch (line[0]) {
    case '$': layoutText(L, payload); break;
    case '"': includeRecord(L, payload); break;
    case '|': lineBreakRecord(L, payload); break;
    case '#': L.textColour = payload.empty() ? page.pageTextColour : numberOf(payload); break;
    case 'F': page.pageTextColour = payload.empty() ? 7 : numberOf(payload); break;
    case 'B': page.pageFillColour = payload.empty() ? 0 : numberOf(payload); break;
    case ':': L.fillColour = payload.empty() ? page.pageFillColour : numberOf(payload); break;
    case '=': ruleRecord(L, payload); break;
    case '?': fieldRecord(L, payload); break;
    case '[': formRecord(payload); break;
    case ']': submitRecord(L, payload); break;
    case 'c': characterRecord(L, payload); break;
    case '^': linkRecord(L, payload, Download); break;
    case '_': linkRecord(L, payload, Navigate); break;
    case '~': refreshRecord(payload); break;
    default: break;  // not a tag: no effect at all
    }
}
