// The fixed window layout and the hit rectangles of its controls.
#pragma once

// A fixed control: hit when the pointer lies strictly inside the hit
// rectangle; the outline is drawn blue while the control acts, black after.
struct Control {
    int hitLeft, hitTop, hitRight, hitBottom;
    int outlineLeft, outlineTop, outlineRight, outlineBottom;
};

extern const Control kGoButton;
extern const Control kAddressBar;
extern const Control kScrollDown;
extern const Control kScrollUp;
extern const Control kBackButton;
extern const Control kHomeButton;
extern const Control kSetHomeButton;

constexpr int kHighlightColour = 9;
constexpr int kOutlineColour = 0;

// Draws the fixed window layout once, element by element.
void drawWindowLayout();
// Whether the latest mouse poll shows the left button alone down on it.
bool controlHit(const Control& control);
void outlineControl(const Control& control, int colour);
