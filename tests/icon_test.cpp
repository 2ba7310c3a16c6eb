// Icons: the .f5i byte order, transparency, short, long and missing files.
#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <vector>
#include "gfx/headless.h"
#include "gfx/icon.h"
#include "gfx/surface.h"
#include "tests/work_dir.h"

namespace {

namespace fs = std::filesystem;

const uint8_t background = 4;
const int x0 = 100, y0 = 50;

// Each test in a fresh working directory, restored after; the surface is
// painted so that black and transparent pixels differ.
class IconTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadless();
        openSurface(495, 430);
        fillRectangle(0, 0, 494, 429, background);
    }
    static void writeIcon(const std::vector<uint8_t>& bytes) {
        std::ofstream("SYS/test.f5i", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // The icon's 32 x 32 area as drawn, by column then row.
    static std::vector<uint8_t> iconArea(int left, int top) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 32; ++i)
            for (int j = 0; j < 32; ++j) pixels.push_back(surfacePixel(left + i, top + j));
        return pixels;
    }
    // Pixels changed anywhere on the surface.
    static int changedCount() {
        int n = 0;
        for (int y = 0; y < surfaceHeight(); ++y)
            for (int x = 0; x < surfaceWidth(); ++x) n += surfacePixel(x, y) != background;
        return n;
    }
    WorkDir work;
};

TEST_F(IconTest, AllSixteensDrawNothing) {
    writeIcon(std::vector<uint8_t>(1024, 16));
    drawIcon("SYS/test.f5i", x0, y0);
    EXPECT_EQ(changedCount(), 0);
}

TEST_F(IconTest, FirstThirtyTwoBytesAreTheLeftmostColumn) {
    std::vector<uint8_t> bytes(1024, 16);
    std::fill(bytes.begin(), bytes.begin() + 32, 15);
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", x0, y0);
    for (int j = 0; j < 32; ++j) EXPECT_EQ(surfacePixel(x0, y0 + j), 15) << "row " << j;
    EXPECT_EQ(changedCount(), 32);
}

TEST_F(IconTest, ByteNIsColumnNOver32RowNMod32) {
    std::vector<uint8_t> bytes(1024, 16);
    bytes[33] = 9;           // column 1, row 1
    bytes[32 * 30 + 2] = 3;  // column 30, row 2
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", x0, y0);
    EXPECT_EQ(surfacePixel(x0 + 1, y0 + 1), 9);
    EXPECT_EQ(surfacePixel(x0 + 30, y0 + 2), 3);
    EXPECT_EQ(changedCount(), 2);
}

struct ByteCase { uint8_t byte; bool opaque; };

class IconByteTest : public IconTest, public ::testing::WithParamInterface<ByteCase> {};

// Signed below 16 is opaque, so bytes 128..255 draw (as black colour
// numbers) rather than vanish.
TEST_P(IconByteTest, OpaqueOnlyBelowSixteenAsASignedByte) {
    std::vector<uint8_t> bytes(1024, 16);
    bytes[0] = GetParam().byte;
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", x0, y0);
    EXPECT_EQ(surfacePixel(x0, y0), GetParam().opaque ? GetParam().byte : background);
}

INSTANTIATE_TEST_SUITE_P(Bytes, IconByteTest, ::testing::Values(
    ByteCase{0, true}, ByteCase{15, true}, ByteCase{16, false}, ByteCase{127, false},
    ByteCase{128, true}, ByteCase{200, true}, ByteCase{255, true}));

TEST_F(IconTest, ShortFileEndsInBlack) {
    writeIcon(std::vector<uint8_t>(1000, 9));
    drawIcon("SYS/test.f5i", x0, y0);
    for (int i = 0; i <= 30; ++i)
        for (int j = 0; j < 32; ++j) ASSERT_EQ(surfacePixel(x0 + i, y0 + j), 9) << i << "," << j;
    for (int j = 0; j < 8; ++j) EXPECT_EQ(surfacePixel(x0 + 31, y0 + j), 9) << "row " << j;
    for (int j = 8; j < 32; ++j) EXPECT_EQ(surfacePixel(x0 + 31, y0 + j), 0) << "row " << j;
}

TEST_F(IconTest, BytesAfterThe1024thAreNotRead) {
    std::vector<uint8_t> bytes(1024);
    for (size_t n = 0; n < bytes.size(); ++n) bytes[n] = uint8_t(n % 20);
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", x0, y0);
    const auto exact = iconArea(x0, y0);
    fillRectangle(0, 0, 494, 429, background);
    bytes.resize(1500, 7);
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", x0, y0);
    EXPECT_EQ(iconArea(x0, y0), exact);
}

TEST_F(IconTest, MissingFileIsCreatedEmptyAndDrawsABlackSquare) {
    drawIcon("SYS/none.f5i", x0, y0);
    EXPECT_EQ(iconArea(x0, y0), std::vector<uint8_t>(1024, 0));
    EXPECT_EQ(changedCount(), 1024);
    ASSERT_TRUE(fs::exists("SYS/none.f5i"));
    EXPECT_EQ(fs::file_size("SYS/none.f5i"), 0u);
}

TEST_F(IconTest, FileThatCannotBeCreatedDrawsABlackSquare) {
    drawIcon("no-such-dir/x.f5i", x0, y0);
    EXPECT_EQ(iconArea(x0, y0), std::vector<uint8_t>(1024, 0));
    EXPECT_FALSE(fs::exists("no-such-dir"));
}

TEST_F(IconTest, IconPartlyLeftOfTheSurfaceShowsItsRightHalf) {
    std::vector<uint8_t> bytes(1024);
    for (int i = 0; i < 32; ++i)
        std::fill(bytes.begin() + 32 * i, bytes.begin() + 32 * (i + 1), uint8_t(i / 2));
    writeIcon(bytes);
    drawIcon("SYS/test.f5i", -16, 0);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(surfacePixel(x, 0), (x + 16) / 2) << "column " << x;
    EXPECT_EQ(surfacePixel(16, 0), background);
    EXPECT_EQ(changedCount(), 16 * 32);
}

TEST_F(IconTest, IconPartlyOffTheBottomRightIsClipped) {
    writeIcon(std::vector<uint8_t>(1024, 2));
    drawIcon("SYS/test.f5i", 480, 420);
    EXPECT_EQ(surfacePixel(494, 429), 2);
    EXPECT_EQ(changedCount(), 15 * 10);
}

}  // namespace
