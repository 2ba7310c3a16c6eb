// The fixture of the rendering tests: a fresh working directory, a
// synthetic font whose glyphs can be read back from the surface, a headless
// surface painted with a stale colour, and a fake wget on demand.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "base/timer.h"
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/surface.h"
#include "tests/work_dir.h"

namespace rendertest {

using Lines = std::vector<std::string>;
constexpr int32_t kStale = 9;  // what the surface held before a pass

inline std::string rep(int n, char c) { return std::string(size_t(n), c); }

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Glyph c: its top row fully lit, then c's bits in the second and third
// rows, the rest blank. So every drawn cell can be decoded, a space too,
// and the bottom row shows the fill or an underline.
inline void writeTestFont() {
    std::string out;
    for (int c = 1; c <= 255; ++c) {
        for (int r = 1; r <= 8; ++r) {
            for (int k = 1; k <= 6; ++k) {
                const bool lit = r == 1 || (r == 2 && ((c >> (k - 1)) & 1)) ||
                                 (r == 3 && k <= 2 && ((c >> (k + 5)) & 1));
                out += lit ? "-1" : "0";
                out += k < 6 ? "," : "\n";
            }
        }
    }
    writeFile("SYS/FONT.DAT", out);
}

inline bool rectIs(int x1, int y1, int x2, int y2, int colour) {
    for (int y = y1; y <= y2; ++y) {
        for (int x = x1; x <= x2; ++x) {
            if (surfacePixel(x, y) != colour) return false;
        }
    }
    return true;
}

// The characters drawn in `colour` on window row r, one per 6-pixel cell
// from x 2; "." for a cell holding no glyph; trailing "." dropped.
inline std::string rowText(int r, int colour = 15) {
    std::string s;
    for (int c = 0; c < 82; ++c) {
        const int x = 2 + 6 * c, y = 8 * r;
        if (!rectIs(x, y, x + 5, y, colour)) {
            s += '.';
            continue;
        }
        int code = 0;
        for (int k = 0; k < 6; ++k) code |= surfacePixel(x + k, y + 1) == colour ? 1 << k : 0;
        for (int k = 0; k < 2; ++k) code |= surfacePixel(x + k, y + 2) == colour ? 1 << (k + 6) : 0;
        s += char(code);
    }
    return s.substr(0, s.find_last_not_of('.') + 1);
}

class RendererTest : public ::testing::Test {
protected:
    WorkDir work;
    const std::string dir = work.path().string();
    std::string oldPath;

    void SetUp() override {
        writeTestFont();
        loadFont();
        useHeadless();
        openSurface(495, 430);
        fillRectangle(0, 0, 494, 429, kStale);
        clearPageState();
        resetForNavigation();
        oldPath = getenv("PATH") ? getenv("PATH") : "";
    }

    void TearDown() override {
        setenv("PATH", oldPath.c_str(), 1);
        useRealClock();
    }

    void renderBytes(const std::string& bytes, int scroll = 0) {
        writeFile("page.vek", bytes);
        page.location = "page.vek";
        page.scrollRow = scroll;
        renderPage();
    }

    void render(const Lines& lines, int scroll = 0) {
        std::string bytes;
        for (const std::string& l : lines) bytes += l + "\n";
        renderBytes(bytes, scroll);
    }

    // A wget on PATH that logs its arguments and writes "got LOCATION" and a
    // second line; "none" writes nothing, "empty" an empty file, "tag" a line
    // that looks like a record.
    void installFakeWget() {
        mkdir("bin", 0755);
        writeFile("bin/wget",
                  "#!/bin/sh\n"
                  "for a in \"$@\"; do case \"$a\" in --output-document=*) "
                  "out=\"${a#--output-document=}\";; esac; loc=\"$a\"; done\n"
                  "echo \"$*\" >> '" + dir + "/wget.log'\n"
                  "case \"$loc\" in\n"
                  "  none) ;;\n"
                  "  empty) : > \"$out\" ;;\n"
                  "  tag) printf '|#1\\n' > \"$out\" ;;\n"
                  "  *) printf 'got %s\\nsecond\\n' \"$loc\" > \"$out\" ;;\n"
                  "esac\n");
        chmod("bin/wget", 0755);
        setenv("PATH", (dir + "/bin:" + oldPath).c_str(), 1);
    }

    Lines wgetCalls() {
        Lines calls;
        std::istringstream in(readFile("wget.log"));
        for (std::string l; std::getline(in, l);) calls.push_back(l);
        return calls;
    }
};

inline void expectRows(const Lines& rows) {
    for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rowText(int(r)), rows[r]) << "row " << r;
}

}  // namespace rendertest
