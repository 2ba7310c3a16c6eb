// Placeholder bodies so that everything links while the parts are written.
#include "gfx/surface.h"
#include "gfx/headless.h"
#include "gfx/font.h"
#include "gfx/icon.h"
#include "gfx/png.h"
#include "gfx/palette.h"
