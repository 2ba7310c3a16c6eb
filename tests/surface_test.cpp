// The drawing surface: clipping, colours, the key queue, the mouse latch,
// the headless script and the PNG writer.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>
#include "gfx/headless.h"
#include "gfx/palette.h"
#include "gfx/png.h"
#include "gfx/surface.h"
#include "gfx/surface_internal.h"

namespace {

struct Rect { int left, top, right, bottom; };

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadless();
        openSurface(495, 430);
    }
    void TearDown() override { useHeadless(); }

    // How many pixels hold a non-zero colour.
    static int paintedCount() {
        int n = 0;
        for (int y = 0; y < surfaceHeight(); ++y)
            for (int x = 0; x < surfaceWidth(); ++x) n += surfacePixel(x, y) != 0;
        return n;
    }
    // Every pixel inside `r` holds `colour`.
    static bool filled(Rect r, uint8_t colour) {
        for (int y = r.top; y <= r.bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                if (surfacePixel(x, y) != colour) return false;
        return true;
    }
};

TEST_F(SurfaceTest, OpensAllBlackAtTheAskedSize) {
    EXPECT_EQ(surfaceWidth(), 495);
    EXPECT_EQ(surfaceHeight(), 430);
    fillRectangle(0, 0, 494, 429, 3);
    openSurface(640, 480);
    EXPECT_EQ(surfaceWidth(), 640);
    EXPECT_EQ(paintedCount(), 0);
}

struct FillCase { int x1, y1, x2, y2; Rect expected; };

class FillRectangleTest : public SurfaceTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillRectangleTest, FillsExactlyTheClippedRectangle) {
    const FillCase& c = GetParam();
    fillRectangle(c.x1, c.y1, c.x2, c.y2, 7);
    const Rect& r = c.expected;
    EXPECT_TRUE(filled(r, 7));
    EXPECT_EQ(paintedCount(), (r.right - r.left + 1) * (r.bottom - r.top + 1));
}

INSTANTIATE_TEST_SUITE_P(Corners, FillRectangleTest, ::testing::Values(
    FillCase{1, 7, 3, 9, {1, 7, 3, 9}},
    FillCase{3, 9, 1, 7, {1, 7, 3, 9}},
    FillCase{3, 7, 1, 9, {1, 7, 3, 9}},
    FillCase{5, 5, 5, 5, {5, 5, 5, 5}},
    FillCase{0, 0, 639, 479, {0, 0, 494, 429}},
    FillCase{-20, -20, 2, 1, {0, 0, 2, 1}},
    FillCase{490, 420, 600, 500, {490, 420, 494, 429}}));

TEST_F(SurfaceTest, ShapesWhollyOutsideDrawNothing) {
    fillRectangle(-10, -10, -1, -1, 7);
    fillRectangle(495, 0, 600, 10, 7);
    fillRectangle(0, 430, 10, 431, 7);
    drawRectangle(-10, -10, -1, -1, 7);
    drawRectangle(500, 5, 600, 10, 7);
    drawLine(-5, 3, -1, 9, 7);
    EXPECT_EQ(paintedCount(), 0);
    int top, bottom;
    std::lock_guard<std::mutex> guard(surfaceBuffer().lock);
    takeDirtyRows(top, bottom);  // the opening itself
    EXPECT_FALSE(takeDirtyRows(top, bottom));
}

TEST_F(SurfaceTest, OutlineEdgeOffTheSurfaceIsNotDrawnAtAll) {
    drawRectangle(1, -1, 483, 384, 8);
    EXPECT_TRUE(filled({1, 0, 1, 384}, 8));      // left edge
    EXPECT_TRUE(filled({483, 0, 483, 384}, 8));  // right edge
    EXPECT_TRUE(filled({1, 384, 483, 384}, 8));  // bottom edge
    EXPECT_TRUE(filled({2, 0, 482, 0}, 0));      // no top edge moved onto row 0
    EXPECT_EQ(paintedCount(), 2 * 385 + 481);
}

TEST_F(SurfaceTest, OutlineCornersInEitherOrderAndEdgesClippedAlongTheirLength) {
    drawRectangle(483, 384, 1, -1, 8);
    EXPECT_EQ(paintedCount(), 2 * 385 + 481);
    openSurface(495, 430);
    drawRectangle(-3, 2, 10, 5, 9);  // left edge off the surface
    EXPECT_TRUE(filled({0, 2, 10, 2}, 9));
    EXPECT_TRUE(filled({0, 5, 10, 5}, 9));
    EXPECT_TRUE(filled({10, 2, 10, 5}, 9));
    EXPECT_EQ(surfacePixel(0, 3), 0);
    EXPECT_EQ(paintedCount(), 11 + 11 + 2);
}

struct LineCase { int x1, y1, x2, y2; Rect expected; bool none; };

class StraightLineTest : public SurfaceTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(StraightLineTest, CoversEveryPixelBetweenTheEnds) {
    const LineCase& c = GetParam();
    drawLine(c.x1, c.y1, c.x2, c.y2, 5);
    if (c.none) {
        EXPECT_EQ(paintedCount(), 0);
        return;
    }
    const Rect& r = c.expected;
    EXPECT_TRUE(filled(r, 5));
    EXPECT_EQ(paintedCount(), (r.right - r.left + 1) * (r.bottom - r.top + 1));
}

INSTANTIATE_TEST_SUITE_P(Clipping, StraightLineTest, ::testing::Values(
    LineCase{-5, 0, 5, 0, {0, 0, 5, 0}, false},
    LineCase{5, 0, -5, 0, {0, 0, 5, 0}, false},
    LineCase{10, -1, 20, -1, {}, true},
    LineCase{10, 430, 20, 430, {}, true},
    LineCase{100, 7, 100, 3, {100, 3, 100, 7}, false},
    LineCase{494, -9, 494, 1000, {494, 0, 494, 429}, false},
    LineCase{495, 0, 495, 10, {}, true},
    LineCase{7, 7, 7, 7, {7, 7, 7, 7}, false}));

// One pixel per step along the longer axis, both ends included.
TEST_F(SurfaceTest, SlopedLineTakesOnePixelPerStepAlongItsLongerAxis) {
    drawLine(2, 1, 12, 4, 6);
    EXPECT_EQ(surfacePixel(2, 1), 6);
    EXPECT_EQ(surfacePixel(12, 4), 6);
    EXPECT_EQ(paintedCount(), 11);
    for (int x = 2; x <= 12; ++x) {
        int inColumn = 0;
        for (int y = 0; y < 10; ++y) inColumn += surfacePixel(x, y) == 6;
        EXPECT_EQ(inColumn, 1) << "column " << x;
    }
    openSurface(495, 430);
    drawLine(3, 20, 0, 10, 6);
    EXPECT_EQ(paintedCount(), 11);
    EXPECT_EQ(surfacePixel(3, 20), 6);
    EXPECT_EQ(surfacePixel(0, 10), 6);
}

TEST_F(SurfaceTest, SetPixelOutsideTheSurfaceChangesNothing) {
    for (auto [x, y] : {std::pair{-1, 5}, {495, 5}, {5, -1}, {5, 430}}) setPixel(x, y, 9);
    EXPECT_EQ(paintedCount(), 0);
    setPixel(494, 429, 9);
    EXPECT_EQ(surfacePixel(494, 429), 9);
    EXPECT_EQ(surfacePixel(495, 429), 0);
}

struct ColourCase { int32_t colour; uint8_t stored; Rgb shown; };

class ColourTest : public SurfaceTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(ColourTest, KeepsOnlyTheLowEightBits) {
    const ColourCase& c = GetParam();
    setPixel(1, 1, c.colour);
    fillRectangle(2, 2, 3, 3, c.colour);
    drawLine(4, 4, 5, 4, c.colour);
    EXPECT_EQ(surfacePixel(1, 1), c.stored);
    EXPECT_EQ(surfacePixel(3, 3), c.stored);
    EXPECT_EQ(surfacePixel(5, 4), c.stored);
    const Rgb shown = paletteColour(c.stored);
    EXPECT_EQ(shown.r, c.shown.r);
    EXPECT_EQ(shown.g, c.shown.g);
    EXPECT_EQ(shown.b, c.shown.b);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ColourTest, ::testing::Values(
    ColourCase{15, 15, {255, 255, 255}},
    ColourCase{271, 15, {255, 255, 255}},
    ColourCase{16, 16, {0, 0, 0}},
    ColourCase{-1, 255, {0, 0, 0}},
    ColourCase{-250, 6, {170, 85, 0}},
    ColourCase{1, 1, {0, 0, 170}},
    ColourCase{8, 8, {85, 85, 85}},
    ColourCase{12, 12, {255, 85, 85}}));

TEST_F(SurfaceTest, KeyQueueKeepsTheNewestFifteen) {
    for (int k = 1; k <= 16; ++k) headlessTypeKey(std::string(1, char('a' + k - 1)));
    for (int k = 2; k <= 16; ++k) EXPECT_EQ(readKey(), std::string(1, char('a' + k - 1)));
    EXPECT_EQ(readKey(), "");
}

TEST_F(SurfaceTest, TwoByteKeyComesOutWhole) {
    headlessTypeKey("\xFFH");
    EXPECT_EQ(readKey(), "\xFFH");
    EXPECT_EQ(readKey(), "");
}

TEST_F(SurfaceTest, KeyFlagsByScanCode) {
    headlessSetKeyDown(1, true);
    headlessSetKeyDown(200, true);
    EXPECT_TRUE(isKeyDown(1));
    EXPECT_FALSE(isKeyDown(2));
    EXPECT_FALSE(isKeyDown(200));
    EXPECT_FALSE(isKeyDown(-1));
    clearKeyFlags();
    EXPECT_FALSE(isKeyDown(1));
}

TEST_F(SurfaceTest, QuickClickBetweenPollsIsSeenByOnePoll) {
    headlessSetMouse({10, 20, 0, 0});
    EXPECT_EQ(pollMouse().buttons, 0);
    headlessSetMouse({10, 20, 0, 1});
    headlessSetMouse({10, 20, 0, 0});
    const MouseState m = pollMouse();
    EXPECT_EQ(m.buttons, 1);
    EXPECT_EQ(m.x, 10);
    EXPECT_EQ(m.y, 20);
    EXPECT_EQ(pollMouse().buttons, 0);
}

TEST_F(SurfaceTest, ButtonHeldAcrossAPollIsNotSeenAgainAfterItsRelease) {
    headlessSetMouse({10, 20, 0, 1});
    EXPECT_EQ(pollMouse().buttons, 1);
    headlessSetMouse({11, 20, 0, 1});  // moved while held
    headlessSetMouse({11, 20, 0, 0});
    EXPECT_EQ(pollMouse().buttons, 0);
}

TEST_F(SurfaceTest, PointerOutsideReadsAllMinusOneEvenAfterAPress) {
    headlessSetMouse({10, 20, 0, 1});
    headlessSetMouse({-1, -1, -1, -1});
    const MouseState m = pollMouse();
    EXPECT_EQ(m.x, -1);
    EXPECT_EQ(m.y, -1);
    EXPECT_EQ(m.wheel, -1);
    EXPECT_EQ(m.buttons, -1);
}

TEST_F(SurfaceTest, ScriptRunsBeforeEachPollWithItsNumber) {
    std::vector<int> seen;
    headlessOnPoll([&](int poll) {
        seen.push_back(poll);
        headlessSetMouse({poll, 0, 0, 0});
    });
    EXPECT_EQ(pollMouse().x, 1);
    EXPECT_EQ(pollMouse().x, 2);
    EXPECT_EQ(pollMouse().x, 3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(headlessPollCount(), 3);
}

TEST_F(SurfaceTest, UseHeadlessForgetsInputButKeepsPixels) {
    setPixel(3, 3, 4);
    headlessTypeKey("x");
    headlessSetKeyDown(1, true);
    headlessSetMouse({5, 5, 0, 1});
    int calls = 0;
    headlessOnPoll([&](int) { ++calls; });
    pollMouse();
    useHeadless();
    EXPECT_EQ(surfacePixel(3, 3), 4);
    EXPECT_EQ(readKey(), "");
    EXPECT_FALSE(isKeyDown(1));
    EXPECT_EQ(headlessPollCount(), 0);
    EXPECT_EQ(pollMouse().buttons, -1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(headlessPollCount(), 1);
}

TEST(HeadlessDeathTest, EndlessPollingAbortsWithAMessage) {
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            useHeadless();
            for (;;) pollMouse();
        },
        "never ended the loop");
    GTEST_FLAG_SET(death_test_style, style);
}

TEST_F(SurfaceTest, ChangedRowsAreRecordedOnceEach) {
    SurfaceBuffer& s = surfaceBuffer();
    int top = -1, bottom = -1;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        ASSERT_TRUE(takeDirtyRows(top, bottom));
        EXPECT_EQ(top, 0);
        EXPECT_EQ(bottom, 429);
        EXPECT_FALSE(takeDirtyRows(top, bottom));
    }
    setPixel(0, 40, 1);
    fillRectangle(0, 12, 5, 20, 2);
    drawRectangle(0, 425, 3, 440, 3);
    std::lock_guard<std::mutex> guard(s.lock);
    ASSERT_TRUE(takeDirtyRows(top, bottom));
    EXPECT_EQ(top, 12);
    EXPECT_EQ(bottom, 429);
}

const SurfaceBackEnd noWindow = {[](int, int) { return false; }, nullptr, nullptr, nullptr};

TEST_F(SurfaceTest, NoWindowMeansDrawingDoesNothing) {
    installBackEnd(&noWindow);
    openSurface(495, 430);
    fillRectangle(0, 0, 494, 429, 7);
    setPixel(1, 1, 7);
    EXPECT_EQ(surfacePixel(1, 1), 0);
    EXPECT_EQ(pollMouse().buttons, -1);
    EXPECT_EQ(readKey(), "");
}

TEST(InputSignalTest, WaitEndsWhenAKeyArrivesAndAtOnceWhenOneIsWaiting) {
    useHeadless();
    pollMouse();  // marks everything so far as seen
    std::thread typist([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        queueKey("a");
    });
    const auto start = std::chrono::steady_clock::now();
    waitForInputSignal(60000);
    const auto waited = std::chrono::steady_clock::now() - start;
    typist.join();
    EXPECT_LT(waited, std::chrono::seconds(30));
    waitForInputSignal(60000);  // the key is still queued
    EXPECT_EQ(readKey(), "a");
    useHeadless();
}

// --- PNG output ---

class PngTest : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        dir = std::filesystem::temp_directory_path() / ("nuva-png-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        SurfaceTest::TearDown();
    }
    std::filesystem::path dir;
};

TEST_F(PngTest, WritesTheWholeSurfaceThroughThePalette) {
    fillRectangle(0, 0, 494, 429, 1);
    setPixel(0, 0, 15);
    setPixel(494, 429, 12);
    setPixel(10, 5, 200);
    const std::string path = (dir / "shot.png").string();
    std::string error;
    ASSERT_TRUE(writeSurfacePng(path, error)) << error;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 495u);
    EXPECT_EQ(image.height, 430u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    auto at = [&](int x, int y) {
        const size_t n = (size_t(y) * 495 + x) * 3;
        return std::vector<int>{rgb[n], rgb[n + 1], rgb[n + 2]};
    };
    EXPECT_EQ(at(0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(at(494, 429), (std::vector<int>{255, 85, 85}));
    EXPECT_EQ(at(10, 5), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(at(200, 200), (std::vector<int>{0, 0, 170}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);  // no temporary left
}

TEST_F(PngTest, FailureIsReportedAndLeavesNoFile) {
    const std::filesystem::path missing = dir / "no-such-dir" / "shot.png";
    std::string error;
    EXPECT_FALSE(writeSurfacePng(missing.string(), error));
    EXPECT_NE(error.find("no-such-dir"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
