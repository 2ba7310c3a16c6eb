#include "gfx/palette.h"

namespace {

const Rgb standardColours[16] = {
    {0, 0, 0},       {0, 0, 170},     {0, 170, 0},     {0, 170, 170},
    {170, 0, 0},     {170, 0, 170},   {170, 85, 0},    {170, 170, 170},
    {85, 85, 85},    {85, 85, 255},   {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},   {255, 85, 255},  {255, 255, 85},  {255, 255, 255},
};

}  // namespace

Rgb paletteColour(uint8_t colour) {
    if (colour < 16) return standardColours[colour];
    return {0, 0, 0};
}
