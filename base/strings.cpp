// Byte-string slicing, searching and conversions. Every out-of-range index or
// count has a defined quiet result, so callers never check lengths first.
#include "base/strings.h"

#include <cstddef>

namespace {

int lengthOf(const std::string& s) {
    // Strings this large never occur; clamping keeps the int arithmetic safe.
    return s.size() > 0x7fffffffu ? 0x7fffffff : static_cast<int>(s.size());
}

}  // namespace

std::string leftChars(const std::string& s, int n) {
    if (n <= 0) return {};
    if (n >= lengthOf(s)) return s;
    return s.substr(0, static_cast<size_t>(n));
}

std::string rightChars(const std::string& s, int n) {
    if (n <= 0) return {};
    if (n >= lengthOf(s)) return s;
    return s.substr(s.size() - static_cast<size_t>(n));
}

std::string midChars(const std::string& s, int start, int n) {
    if (start < 1 || start > lengthOf(s) || n == 0) return {};
    size_t count = n < 0 ? std::string::npos : static_cast<size_t>(n);
    return s.substr(static_cast<size_t>(start - 1), count);
}

int findText(int start, const std::string& s, const std::string& pattern) {
    int length = lengthOf(s);
    if (s.empty() || pattern.empty() || start < 1 || start > length ||
        pattern.size() > s.size())
        return 0;
    size_t at = s.find(pattern, static_cast<size_t>(start - 1));
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

int findTextLast(const std::string& s, const std::string& pattern, int start) {
    int length = lengthOf(s);
    if (s.empty() || pattern.empty() || pattern.size() > s.size()) return 0;
    if (start == 0 || start > length) return 0;
    // The last place a whole pattern can still begin.
    int lastStart = length - static_cast<int>(pattern.size()) + 1;
    if (start < 0 || start > lastStart) start = lastStart;
    size_t at = s.rfind(pattern, static_cast<size_t>(start - 1));
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

std::string trimLeadingSpaces(const std::string& s) {
    size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string upperCase(const std::string& s) {
    std::string result = s;
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string decimalText(int32_t i) { return std::to_string(i); }

std::string hexText(int32_t i) {
    static const char digits[] = "0123456789ABCDEF";
    uint32_t value = static_cast<uint32_t>(i);
    std::string reversed;
    do {
        reversed += digits[value & 15u];
        value >>= 4;
    } while (value != 0);
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string charText(int32_t code) {
    return std::string(1, static_cast<char>(static_cast<uint32_t>(code) & 255u));
}

int charCode(const std::string& s, int pos) {
    if (pos < 1 || pos > lengthOf(s)) return 0;
    return static_cast<unsigned char>(s[static_cast<size_t>(pos - 1)]);
}

std::string repeatChar(int n, int32_t code) {
    if (n <= 0) return {};
    return std::string(static_cast<size_t>(n),
                       static_cast<char>(static_cast<uint32_t>(code) & 255u));
}

std::string repeatChar(int n, const std::string& s) {
    if (n <= 0 || s.empty()) return {};
    return std::string(static_cast<size_t>(n), s[0]);
}
