// Number payloads of the markup are parsed on every rendering pass, so the
// parser works in one forward scan and hands the digits to a correctly
// rounding converter only after cutting them down to what a double can use.
#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// A double is decided by at most 767 significant decimal digits; one more
// non-zero digit standing for everything dropped keeps halfway cases right.
constexpr size_t kKeptDigits = 780;
// Exponents beyond this are already infinite or zero; clamping stops a
// million-digit exponent from overflowing.
constexpr int64_t kExponentClamp = 1000000000;

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

int digitValue(unsigned char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

double parseRadix(const unsigned char* p, const unsigned char* end, int base) {
    uint64_t value = 0;  // wraps on overflow, as the rule asks
    for (int d; p < end && (d = digitValue(*p, base)) >= 0; ++p)
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    return static_cast<double>(static_cast<int64_t>(value));
}

// Reads the digits after an exponent letter; false when none follow, so the
// letter is not part of the number.
bool parseExponent(const unsigned char* p, const unsigned char* end, int64_t& exponent) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p >= end || !isDigit(*p)) return false;
    exponent = 0;
    for (; p < end && isDigit(*p); ++p)
        if (exponent < kExponentClamp) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
    return true;
}

struct Mantissa {
    std::string digits;   // significant digits, leading zeros removed
    bool dropped = false; // a non-zero digit beyond kKeptDigits was seen
    int64_t pointExponent = 0;  // value is 0.<digits> times 10^pointExponent
    bool anyDigit = false;
};

void keepDigit(Mantissa& m, unsigned char c) {
    if (m.digits.size() < kKeptDigits) m.digits += static_cast<char>(c);
    else if (c != '0') m.dropped = true;
}

const unsigned char* parseMantissa(const unsigned char* p, const unsigned char* end, Mantissa& m) {
    for (; p < end && isDigit(*p); ++p) {
        m.anyDigit = true;
        if (*p == '0' && m.digits.empty()) continue;
        keepDigit(m, *p);
        if (m.pointExponent < kExponentClamp) ++m.pointExponent;
    }
    if (p < end && *p == '.') {
        for (++p; p < end && isDigit(*p); ++p) {
            m.anyDigit = true;
            if (*p == '0' && m.digits.empty()) {
                if (m.pointExponent > -kExponentClamp) --m.pointExponent;
                continue;
            }
            keepDigit(m, *p);
        }
    }
    return p;
}

double parseDecimal(const unsigned char* p, const unsigned char* end) {
    while (p < end && (*p == ' ' || (*p >= 9 && *p <= 13))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    Mantissa m;
    p = parseMantissa(p, end, m);
    if (!m.anyDigit || m.digits.empty()) return negative ? -0.0 : 0.0;
    int64_t exponent = 0;
    if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd'))
        parseExponent(p + 1, end, exponent);
    int64_t total = m.pointExponent + exponent;
    std::string text = "0." + m.digits + (m.dropped ? "1" : "") + "e" + std::to_string(total);
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = total > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

}  // namespace

double parseNumber(const std::string& text) {
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    auto end = p + text.size();
    while (p < end && *p == ' ') ++p;
    if (end - p >= 2 && p[0] == '&') {
        switch (p[1]) {
        case 'H': case 'h': return parseRadix(p + 2, end, 16);
        case 'O': case 'o': return parseRadix(p + 2, end, 8);
        case 'B': case 'b': return parseRadix(p + 2, end, 2);
        default: break;
        }
    }
    return parseDecimal(p, end);
}

namespace {

int32_t toInt32OrMinimum(double whole) {
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(whole);
}

}  // namespace

int32_t roundToInt(double value) {
    if (std::isnan(value) || std::isinf(value)) return INT32_MIN;
    // Done by hand rather than with the rounding mode, which a library
    // could change under us.
    double below = std::floor(value);
    double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) below += 1.0;
    return toInt32OrMinimum(below);
}

int32_t floorToInt(double value) {
    if (std::isnan(value) || std::isinf(value)) return INT32_MIN;
    return toInt32OrMinimum(std::floor(value));
}
