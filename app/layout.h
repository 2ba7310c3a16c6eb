#pragma once

// Draws the fixed window layout once, element by element.
void drawWindowLayout();
