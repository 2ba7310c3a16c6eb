// Submitting a form as a query location: action?name=value&...suffix.
#include "net/forms.h"

#include <cstring>

#include "document/page_state.h"
#include "net/navigate.h"

std::string urlEncode(const std::string& text) {
    static const char kKept[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~";
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (c == ' ') {
            encoded += '+';
        } else if (c != 0 && std::strchr(kKept, c) != nullptr) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::string submissionLocation(int f) {
    if (f < 1 || f > kFormCount) return {};
    std::string location = page.forms[f].action;
    for (int j = 1; j <= kFieldsPerForm; ++j) {
        const FieldEntry& field = page.fields[f][j];
        // Row 0 means the last pass did not draw the field in the window.
        if (field.row == 0) continue;
        location += location.find('?') == std::string::npos ? "?" : "&";
        location += field.name + "=" + urlEncode(field.value);
    }
    return location;
}

void submitForm(int f) {
    if (f < 1 || f > kFormCount) return;
    std::string location = submissionLocation(f);
    // A button still held on the new page must not act there too.
    waitForRelease();
    location += page.forms[f].suffix;
    navigate(location);
}
