// The bitmap font: loading SYS/FONT.DAT and where drawText puts each cell.
#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/surface.h"
#include "tests/work_dir.h"

namespace {

namespace fs = std::filesystem;

// Glyphs of the test font, rows of '#' (lit) and '.'; all others blank.
const char fullBlock = 1, topLeftDot = 2, rightColumn = 3, bothEdges = 4;
const std::map<int, std::vector<std::string>> testGlyphs = {
    {fullBlock, {"######", "######", "######", "######", "######", "######", "######", "######"}},
    {topLeftDot, {"#.....", "......", "......", "......", "......", "......", "......", "......"}},
    {rightColumn, {".....#", ".....#", ".....#", ".....#", ".....#", ".....#", ".....#", ".....#"}},
    {bothEdges, {"#....#", "......", "......", "......", "......", "......", "......", "#....#"}},
    {255, {"......", "......", "......", "......", "......", "......", "......", ".....#"}},
};

// The font file as the tools write it: one glyph row per line, lit cells -1.
std::string fontFileText() {
    std::string text;
    for (int c = 1; c <= 255; ++c)
        for (int r = 0; r < 8; ++r) {
            auto g = testGlyphs.find(c);
            for (int k = 0; k < 6; ++k) {
                const bool lit = g != testGlyphs.end() && g->second[r][k] == '#';
                text += (lit ? "-1" : "0");
                text += (k < 5 ? "," : "\r\n");
            }
        }
    return text;
}

// Runs each test in a fresh working directory of its own, restored after.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadless();
        openSurface(495, 430);
    }
    void TearDown() override {
        loadFont();  // blank again, so no later test sees this font
    }
    static void writeFont(const std::string& text) {
        std::ofstream("SYS/FONT.DAT", std::ios::binary) << text;
        loadFont();
    }
    // The set of painted pixels, as a bounding box and a count.
    struct Painted { int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0; };
    static Painted painted() {
        Painted p;
        for (int y = 0; y < surfaceHeight(); ++y)
            for (int x = 0; x < surfaceWidth(); ++x)
                if (surfacePixel(x, y) != 0) {
                    p.left = std::min(p.left, x);
                    p.right = std::max(p.right, x);
                    p.top = std::min(p.top, y);
                    p.bottom = std::max(p.bottom, y);
                    ++p.count;
                }
        return p;
    }
    static std::vector<uint8_t> snapshot() {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < surfaceHeight(); ++y)
            for (int x = 0; x < surfaceWidth(); ++x) pixels.push_back(surfacePixel(x, y));
        return pixels;
    }
    WorkDir work;
};

struct PlacementCase {
    std::string text;
    int x, y, scale;
    int left, top, right, bottom, count;
};

class TextPlacementTest : public FontTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(TextPlacementTest, CellsLandWhereTheRuleSays) {
    writeFont(fontFileText());
    const PlacementCase& c = GetParam();
    drawText(c.text, 14, c.x, c.y, c.scale);
    const Painted p = painted();
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top);
    EXPECT_EQ(p.right, c.right);
    EXPECT_EQ(p.bottom, c.bottom);
    EXPECT_EQ(p.count, c.count);
}

INSTANTIATE_TEST_SUITE_P(Rule, TextPlacementTest, ::testing::Values(
    // y snaps to the scale, then one cell down; x is not snapped.
    PlacementCase{"\x02", 320, 384, 5, 320, 385, 324, 389, 25},
    PlacementCase{"\x02", 7, 7, 2, 7, 8, 8, 9, 4},
    PlacementCase{"\x01", 0, 7, 2, 0, 8, 11, 23, 12 * 16},
    PlacementCase{"\x01", 3, -1, 1, 3, 0, 8, 7, 48},
    PlacementCase{"\x01", 0, 0, 1, 0, 1, 5, 8, 48},
    // y / scale truncates toward zero: -7 / 2 is -3, so the cells start at
    // row -4 and rows 0..11 show (flooring would end them at row 9).
    PlacementCase{"\x01", 0, -7, 2, 0, 0, 11, 11, 12 * 12},
    // The loading message: 10 characters from (10, 320) at scale 5.
    PlacementCase{std::string(10, fullBlock), 10, 320, 5, 10, 325, 309, 364, 300 * 40},
    // Code 0 draws nothing and still advances by 6 cells.
    PlacementCase{std::string("\0\x02", 2), 0, -1, 1, 6, 0, 6, 0, 1},
    PlacementCase{std::string("\0\x02", 2), 0, 2, 3, 18, 3, 20, 5, 9},
    // No gap: column 6 of one glyph touches column 1 of the next.
    PlacementCase{"\x03\x04", 0, -1, 1, 5, 0, 11, 7, 8 + 4},
    // Clipped at the right edge.
    PlacementCase{"\x01\x01", 490, -1, 1, 490, 0, 494, 7, 5 * 8},
    // The last glyph in the file, its last cell.
    PlacementCase{"\xFF", 0, -1, 1, 5, 7, 5, 7, 1},
    PlacementCase{"", 10, 10, 1, 1 << 30, 1 << 30, -1, -1, 0}));

TEST_F(FontTest, ScaleIsClampedToOneThroughTen) {
    writeFont(fontFileText());
    const std::string text = "\x01\x04\x02";
    auto drawnAt = [&](int scale) {
        openSurface(495, 430);
        drawText(text, 9, 3, 33, scale);
        return snapshot();
    };
    const auto one = drawnAt(1), ten = drawnAt(10);
    EXPECT_NE(one, ten);
    EXPECT_EQ(drawnAt(0), one);
    EXPECT_EQ(drawnAt(-3), one);
    EXPECT_EQ(drawnAt(11), ten);
    EXPECT_EQ(drawnAt(1000), ten);
}

TEST_F(FontTest, RedrawingChangesOnlyLitCells) {
    writeFont(fontFileText());
    fillRectangle(0, 0, 20, 20, 4);
    drawText("\x04", 1, 0, -1, 1);
    drawText("\x04", 271, 0, -1, 1);
    EXPECT_EQ(surfacePixel(0, 0), 15);
    EXPECT_EQ(surfacePixel(5, 7), 15);
    EXPECT_EQ(surfacePixel(1, 0), 4);
    EXPECT_EQ(surfacePixel(6, 0), 4);
}

TEST_F(FontTest, MissingFontDrawsNothing) {
    writeFont(fontFileText());
    fs::remove("SYS/FONT.DAT");
    loadFont();  // must forget the glyphs loaded before
    fillRectangle(0, 0, 494, 429, 3);
    const auto before = snapshot();
    drawText(std::string(80, fullBlock), 15, 0, 7, 1);
    drawText("\x02\x04", 15, 100, 100, 5);
    EXPECT_EQ(snapshot(), before);
}

// The first row of glyph 1 from raw file text; the rest of the file is
// missing, so every later cell stays unlit.
struct FieldCase { std::string fileText; std::string firstRow; std::string secondRow; };

class FontFieldsTest : public FontTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FontFieldsTest, EachFieldFillsTheNextCell) {
    const FieldCase& c = GetParam();
    writeFont(c.fileText);
    drawText("\x01", 7, 0, -1, 1);
    std::string first, second;
    for (int x = 0; x < 6; ++x) {
        first += surfacePixel(x, 0) ? '#' : '.';
        second += surfacePixel(x, 1) ? '#' : '.';
    }
    EXPECT_EQ(first, c.firstRow);
    EXPECT_EQ(second, c.secondRow);
}

INSTANTIATE_TEST_SUITE_P(FileText, FontFieldsTest, ::testing::Values(
    FieldCase{"-1,0,-1,0,-1,0\n0,0,0,0,0,-1\n", "#.#.#.", ".....#"},
    // Line division carries no meaning; blanks, tabs and commas all separate.
    FieldCase{"-1 -1\t0\n-1,0\r\n0 0 0 0 0 -1", "##.#..", "....#."},
    // A comma ending a line adds an empty field, shifting every later cell
    // (without it the rows would read "##...." and ".....#").
    FieldCase{"-1,\n-1,0,0,0,0\n0,0,0,0,0,-1\n", "#.#...", "......"},
    // Any non-zero field lights its cell; text that is no number reads 0.
    FieldCase{"1,5,x,&H1,0,-7\n", "##.#.#", "......"},
    FieldCase{"", "......", "......"}));

}  // namespace
