// Byte strings. One byte is one character, positions count from 1, and an
// index or count outside the string selects nothing instead of failing.
#pragma once
#include <cstdint>
#include <string>

std::string leftChars(const std::string& s, int n);
std::string rightChars(const std::string& s, int n);
std::string midChars(const std::string& s, int start, int n);
// Position of the first `pattern` starting at or after `start`; 0 when none.
int findText(int start, const std::string& s, const std::string& pattern);
// Position of the last `pattern` starting at or before `start` (-1: from the
// end); 0 when none.
int findTextLast(const std::string& s, const std::string& pattern, int start);
std::string trimLeadingSpaces(const std::string& s);
std::string upperCase(const std::string& s);
std::string decimalText(int32_t i);
std::string hexText(int32_t i);
std::string charText(int32_t code);
int charCode(const std::string& s, int pos);
std::string repeatChar(int n, int32_t code);
std::string repeatChar(int n, const std::string& s);
