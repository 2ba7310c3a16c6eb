#include "app/browser.h"
#include "app/layout.h"
#include "app/settings.h"
#include "base/commandline.h"
#include "base/strings.h"
#include "base/textfile.h"
#include "document/page_state.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "net/navigate.h"

namespace {
void printVersion() {
    writeConsoleLine("NUVA 3.0");
    writeConsoleLine("2026 NUVA developers");
    writeConsoleLine("Font: X11 misc-fixed 5x8 by its X contributors, extended by NUVA developers");
}
}  // namespace

int browserMain(int argc, char** argv) {
    const std::string commandLine = upperCase(commandTail(argc, argv));
    if (commandLine == "-VER") {
        printVersion();
        return 0;
    }
    loadFont();
    page.homeLocation = readHomeSetting();
    if (commandLine == "-S")
        openSurface(640, 480);
    else
        openSurface(495, 430);
    drawWindowLayout();
    navigate(page.homeLocation);
    runEventLoop();
    return 0;
}
