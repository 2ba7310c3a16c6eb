// Comma-, blank- and line-separated fields: the settings file and the font.
#include <string>

#include "base/numbers.h"
#include "base/textfile.h"
#include "base/textfile_internal.h"

namespace {

constexpr size_t kTextFieldLimit = 4096, kIntFieldLimit = 67;

enum class FieldEnd { LineEnd, Comma, Blank, ClosingQuote, TextEnd, Limit };

bool isBlank(int c) { return c == ' ' || c == '\t'; }

void skipBlanks(FileHandle& h) {
    while (isBlank(peekTextByte(h))) skipTextByte(h);
}

// A bare CR ends a field like LF does, and takes an LF right after it along.
void skipLineEnd(FileHandle& h, int c) {
    skipTextByte(h);
    if (c == '\r' && peekTextByte(h) == '\n') skipTextByte(h);
}

// Collects one field's bytes. When a field reaches its length limit the
// rest of it is not thrown away: it is left where it is and becomes the
// start of the next field, exactly as any other byte after a field would.
FieldEnd collectField(FileHandle& h, bool integer, std::string& out) {
    size_t limit = integer ? kIntFieldLimit : kTextFieldLimit;
    skipBlanks(h);
    bool quoted = false;
    if (peekTextByte(h) == '"') {
        skipTextByte(h);
        quoted = true;
    }
    for (;;) {
        int c = peekTextByte(h);
        if (c < 0) return FieldEnd::TextEnd;
        if (c == '\n' || c == '\r') {
            skipLineEnd(h, c);
            return FieldEnd::LineEnd;
        }
        if (c == ',' && !quoted) {
            skipTextByte(h);
            return FieldEnd::Comma;
        }
        if (c == '"' && quoted) {
            // A number's closing quote only ends the quoting; its digits
            // may go on after it.
            skipTextByte(h);
            if (!integer) return FieldEnd::ClosingQuote;
            quoted = false;
            continue;
        }
        if (integer && !quoted && isBlank(c)) return FieldEnd::Blank;
        if (out.size() >= limit) return FieldEnd::Limit;
        out += static_cast<char>(c);
        skipTextByte(h);
    }
}

// After a field that did not end at its own separator, one separator that
// follows (after blanks) still belongs to it.
void finishField(FileHandle& h, FieldEnd end) {
    if (end == FieldEnd::LineEnd || end == FieldEnd::Comma) return;
    skipBlanks(h);
    int c = peekTextByte(h);
    if (c == ',') skipTextByte(h);
    else if (c == '\n' || c == '\r') skipLineEnd(h, c);
}

std::string readField(FileHandle& h, bool integer) {
    std::string field;
    if (!isOpen(h) || h.mode != FileMode::Input) return field;
    finishField(h, collectField(h, integer, field));
    return field;
}

int digitIn(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

int radixOf(char letter) {
    switch (letter) {
    case 'H': case 'h': return 16;
    case 'O': case 'o': return 8;
    case 'B': case 'b': return 2;
    default: return 0;
    }
}

// Digits are taken as an unsigned 32-bit number that a minus sign negates
// modulo 2^32, so "-1" and "4294967295" are both -1; a magnitude that does
// not fit in 32 bits at all gives -1, whatever its base and sign.
int32_t integerFromDigits(const std::string& text, size_t at, int base, bool negative) {
    uint64_t value = 0;
    bool any = false;
    for (int d; at < text.size() && (d = digitIn(text[at], base)) >= 0; ++at) {
        any = true;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > 0xffffffffu) return -1;
    }
    if (!any) return 0;
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

int32_t integerFromField(const std::string& text) {
    size_t marker = text.find_first_of(".EeDd");
    size_t ampersand = text.find('&');
    if (marker != std::string::npos && (ampersand == std::string::npos || ampersand > marker))
        return roundToInt(parseNumber(text));
    size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return 0;
    if (text[at] == '&' && at + 1 < text.size() && radixOf(text[at + 1]) != 0)
        return integerFromDigits(text, at + 2, radixOf(text[at + 1]), false);
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
    return integerFromDigits(text, at, 10, negative);
}

}  // namespace

std::string readTextField(FileHandle& h) { return readField(h, false); }

int32_t readIntField(FileHandle& h) { return integerFromField(readField(h, true)); }
