// Typed text reaches the browser as Unicode; pages and the font use code
// page 437 bytes.
#pragma once
#include <cstdint>

// Code page 437 byte for a Unicode code point; 0 when it has none.
unsigned char cp437FromUnicode(uint32_t codePoint);
