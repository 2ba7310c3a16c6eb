#pragma once
#include <cstdint>
#include <string>

// The one-line, append-only text entry box drawn over (x1, y)-(x2, y + 9).
// Runs until Enter or a left click outside the interior; returns the text.
std::string editField(int x1, int y, int x2, const std::string& text,
                      int32_t fillColour, int32_t textColour);
