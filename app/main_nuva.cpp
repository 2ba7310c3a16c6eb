#include "app/browser.h"
#include "gfx/window.h"

int main(int argc, char** argv) { return runWithWindow(browserMain, argc, argv); }
