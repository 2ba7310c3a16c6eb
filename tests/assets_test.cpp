// The committed font and icon files are what the browser loads at start-up;
// these checks catch a generator change that breaks their format.
#include <gtest/gtest.h>

#include "gfx/cp437.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string assetPath(const std::string& name) {
    return std::string(NUVA_SOURCE_DIR) + "/SYS/" + name;
}

// The comma-separated pieces of every line, in file order. A trailing comma
// yields an empty piece, just as it yields an extra field for the loader.
std::vector<std::string> fontFields() {
    std::vector<std::string> fields;
    std::ifstream in(assetPath("FONT.DAT"));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = 0;
        for (;;) {
            size_t comma = line.find(',', start);
            fields.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return fields;
}

// Lit cells among the 48 fields of a glyph; the file starts at glyph 1.
int litCells(const std::vector<std::string>& fields, int glyph) {
    int lit = 0;
    for (int n = (glyph - 1) * 48; n < glyph * 48; ++n) lit += fields[n] == "-1";
    return lit;
}

TEST(FontFile, HoldsGlyphs1To255AsZeroOrMinusOne) {
    std::vector<std::string> fields = fontFields();
    // 255 glyphs of 8 by 6: glyph 0 is not in the file.
    ASSERT_EQ(fields.size(), 12240u);
    for (size_t n = 0; n < fields.size(); ++n) {
        ASSERT_TRUE(fields[n] == "0" || fields[n] == "-1")
            << "field " << n << " is \"" << fields[n] << "\"";
    }
}

TEST(FontFile, LetterAIsLitAndSpaceIsBlank) {
    std::vector<std::string> fields = fontFields();
    ASSERT_EQ(fields.size(), 12240u);
    EXPECT_GT(litCells(fields, 'A'), 0);
    EXPECT_EQ(litCells(fields, ' '), 0);
}

TEST(IconFiles, AreExactly1024Bytes) {
    for (const char* name : {"back.f5i", "home.f5i", "nhome.f5i"}) {
        std::ifstream in(assetPath(name), std::ios::binary | std::ios::ate);
        ASSERT_TRUE(in.is_open()) << name;
        EXPECT_EQ(static_cast<long long>(in.tellg()), 1024) << name;
    }
}

// The table is generated with the font, from the same code page list.
TEST(Cp437FromUnicode, MapsSymbolsButNotControlCodes) {
    struct Case { uint32_t codePoint; int byte; };
    const Case cases[] = {
        {'A', 65},      {' ', 32},      {'~', 126},
        {0x263A, 1},    {0x2302, 127},  {0x00C7, 128},
        {0x2550, 205},  {0x00A0, 255},  {0x03B1, 224},
        {1, 0},         {13, 0},        {127, 0},
        {0, 0},         {0x20AC, 0},    {0x1F600, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp437FromUnicode(c.codePoint), c.byte) << "U+" << std::hex << c.codePoint;
    }
}

}  // namespace
