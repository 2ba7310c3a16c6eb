// Number rules shared by the markup, the font file and the timer.
#pragma once
#include <cstdint>
#include <string>

// The value the text begins with: "&H", "&O", "&B" prefixes or a decimal
// floating-point prefix; 0 when it begins with no number.
double parseNumber(const std::string& text);
// Nearest integer, halves to even; -2147483648 outside the int32 range.
int32_t roundToInt(double value);
// Largest integer not above the value; -2147483648 outside the int32 range.
int32_t floorToInt(double value);
