// nuva-shot: renders a page exactly as the browser's window shows it, without
// a display, and writes the whole surface to a PNG file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/layout.h"
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/png.h"
#include "net/navigate.h"

namespace {
const char kUsage[] = "usage: nuva-shot [-S] [--scroll ROWS | --jump ROWS] LOCATION OUT.png\n";

struct ShotOptions {
    bool large = false;
    enum { Top, Scroll, Jump } mode = Top;
    long rows = 0;
    std::string location, output;
};

bool parseRows(const std::string& text, long& rows) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    rows = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

bool parseOptions(int argc, char** argv, ShotOptions& options) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-S" || arg == "-s") {
            options.large = true;
        } else if ((arg == "--scroll" || arg == "--jump") && options.mode == ShotOptions::Top &&
                   i + 1 < argc) {
            options.mode = arg == "--scroll" ? ShotOptions::Scroll : ShotOptions::Jump;
            if (!parseRows(argv[++i], options.rows)) return false;
        } else {
            break;
        }
    }
    if (argc - i != 2) return false;
    options.location = argv[i];
    options.output = argv[i + 1];
    return !options.output.empty();
}

// Moves down the page as the Down key does, leaving stale pixels as they are.
void scrollDown(long rows) {
    for (long step = 0; step < rows / 16 && page.atEnd == 0; ++step) {
        page.scrollRow += 16;
        renderPage();
    }
}
}  // namespace

int main(int argc, char** argv) {
    ShotOptions options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    useHeadless();
    loadFont();
    openSurface(options.large ? 640 : 495, options.large ? 480 : 430);
    drawWindowLayout();
    navigate(options.location);
    if (options.mode == ShotOptions::Scroll) scrollDown(options.rows);
    if (options.mode == ShotOptions::Jump) {
        page.scrollRow = int32_t(options.rows / 16 * 16);
        renderPage();
    }
    std::string error;
    if (!writeSurfacePng(options.output, error)) {
        // The error already names the file and the reason.
        std::fprintf(stderr, "nuva-shot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
