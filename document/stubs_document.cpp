// Placeholder bodies so that everything links while the parts are written.
#include "document/page_state.h"
#include "document/renderer.h"
PageState page;
void resetForNavigation() {}
void resetForPass() {}
void pollMouseState() {}
void waitForRelease() {}
void clearPageState() {}
void renderPage() {}
