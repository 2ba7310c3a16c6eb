// Rendering passes timed on the headless surface: a window of wrapped text,
// a pass at the end of a 10 MB page against fold over the same text, and one
// long record without spaces at two sizes. Prints figures; never fails.
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/surface.h"

namespace {

double secondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double bestOf(int times, const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < times; ++i) best = std::min(best, secondsOf(run));
    return best;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Words of 1 to 10 letters from a fixed sequence, so every run is the same.
std::string words(size_t length, uint32_t& seed) {
    std::string s;
    while (s.size() < length) {
        seed = seed * 1664525u + 1013904223u;
        if (!s.empty()) s += ' ';
        s.append(1 + (seed >> 16) % 10, char('a' + (seed >> 8) % 26));
    }
    return s;
}

// Paragraphs of about 600 characters as text records with a line break
// after each, and the same paragraphs one to a line for fold.
void makeTextPage(size_t bytes, const std::string& pageFile, const std::string& textFile) {
    std::string pageText, plain;
    uint32_t seed = 7;
    while (plain.size() < bytes) {
        const std::string p = words(600, seed);
        pageText += "$" + p + "\n|\n";
        plain += p + "\n";
    }
    writeFile(pageFile, pageText);
    if (!textFile.empty()) writeFile(textFile, plain);
}

void renderAt(const std::string& file, int32_t scrollRow) {
    page.location = file;
    page.scrollRow = scrollRow;
    renderPage();
}

// Whether a pass at this scroll position draws anything at all.
bool reachesWindow(const std::string& file, int32_t scrollRow) {
    fillRectangle(0, 0, 494, 429, 13);
    renderAt(file, scrollRow);
    for (int y = 0; y <= 383; ++y) {
        for (int x = 2; x <= 482; ++x) {
            if (surfacePixel(x, y) != 13) return true;
        }
    }
    return false;
}

// The last scroll position (a multiple of 16) whose window shows the page,
// the one scrolling down step by step ends on.
int32_t lastScrollRow(const std::string& file) {
    int32_t lo = 0, hi = 1;
    while (reachesWindow(file, 16 * hi)) {
        lo = hi;
        hi *= 2;
    }
    while (hi - lo > 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        (reachesWindow(file, 16 * mid) ? lo : hi) = mid;
    }
    return 16 * lo;
}

void windowOfText() {
    makeTextPage(64 * 1024, "window.vek", "");
    const int passes = 2000;
    renderAt("window.vek", 0);
    const double t = secondsOf([&] {
        for (int i = 0; i < passes; ++i) renderAt("window.vek", 0);
    });
    std::printf("window of wrapped text, scroll row 0: %.3f ms per pass (goal <= 1 ms)\n",
                1000 * t / passes);
}

void endOfLargePage() {
    makeTextPage(10 * 1000 * 1000, "large.vek", "large.txt");
    const int32_t scroll = lastScrollRow("large.vek");
    const double pass = bestOf(5, [&] { renderAt("large.vek", scroll); });
    const double fold = bestOf(5, [] {
        if (std::system("fold -s -w 80 large.txt > /dev/null") != 0) std::puts("fold failed");
    });
    std::printf("10 MB page, pass at scroll row %d (atEnd %d): %.1f ms; fold -s -w 80: %.1f ms; "
                "ratio %.2f (goal <= 1)\n",
                scroll, page.atEnd, 1000 * pass, 1000 * fold, pass / fold);
}

double longRecordPass(size_t length) {
    writeFile("long.vek", "$" + std::string(length, 'w') + "\n");
    const int32_t scroll = lastScrollRow("long.vek");
    return bestOf(7, [&] { renderAt("long.vek", scroll); });
}

void longRecordWithoutSpaces() {
    const double half = longRecordPass(5 * 1000 * 1000);
    const double full = longRecordPass(10 * 1000 * 1000);
    std::printf("one record without spaces, laid out to its end: 5 MB %.1f ms, 10 MB %.1f ms; "
                "ratio %.2f (linear: about 2)\n",
                1000 * half, 1000 * full, full / half);
}

}  // namespace

int main() {
    char name[] = "/tmp/nuva-bench-XXXXXX";
    if (!mkdtemp(name) || chdir(name) != 0) return 1;
    mkdir("SYS", 0755);
    // Without the font every glyph is blank, which would flatter the figures.
    std::error_code noFont;
    std::filesystem::copy_file(NUVA_SOURCE_DIR "/SYS/FONT.DAT", "SYS/FONT.DAT", noFont);
    if (noFont) std::puts("note: no SYS/FONT.DAT; text draws no pixels");
    loadFont();
    useHeadless();
    openSurface(495, 430);
    clearPageState();
    resetForNavigation();
    windowOfText();
    endOfLargePage();
    longRecordWithoutSpaces();
    std::filesystem::remove_all(name);
    return 0;
}
