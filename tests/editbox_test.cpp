// The text entry box, driven by scripted keys and mouse polls.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include "document/page_state.h"
#include "gfx/editbox.h"
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/surface.h"
#include "tests/work_dir.h"

namespace fs = std::filesystem;

namespace {
struct Poll {
    MouseState mouse;
    std::string keys;  // typed before this poll
};

const MouseState kUp{200, 200, 0, 0};
MouseState left(int x, int y) { return MouseState{x, y, 0, 1}; }

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(NUVA_SOURCE_DIR) / "SYS/FONT.DAT", "SYS/FONT.DAT");
        loadFont();
        useHeadless();
        openSurface(495, 430);
        clearPageState();
    }
    void TearDown() override { loadFont(); }  // the font is gone with the directory
    // Scripts the polls; past the script's end a click far outside ends the
    // edit. `typedBefore` is waiting in the queue when the box opens.
    std::string edit(const std::string& text, const std::vector<Poll>& polls,
                     const std::string& typedBefore = "") {
        for (char c : typedBefore) headlessTypeKey(std::string(1, c));
        const int start = headlessPollCount();
        headlessOnPoll([polls, start](int poll) {
            const size_t i = size_t(poll - start - 1);
            if (i >= polls.size()) {
                headlessSetMouse(left(480, 10));
                return;
            }
            for (char c : polls[i].keys) headlessTypeKey(std::string(1, c));
            headlessSetMouse(polls[i].mouse);
        });
        return editField(kX1, kY, kX2, text, 7, 0);
    }
    // The interior's pixels, to compare with a box drawn by hand.
    std::vector<uint8_t> interior() {
        std::vector<uint8_t> pixels;
        for (int y = kY + 1; y <= kY + 8; ++y)
            for (int x = kX1 + 1; x <= kX2 - 1; ++x) pixels.push_back(surfacePixel(x, y));
        return pixels;
    }
    std::vector<uint8_t> boxShowing(const std::string& shown) {
        fillRectangle(kX1 + 1, kY + 1, kX2 - 1, kY + 8, 7);
        drawText(shown, 0, kX1 + 2, kY + 1, 1);
        return interior();
    }

    static constexpr int kX1 = 1, kY = 420, kX2 = 350;  // the address bar
    WorkDir work;
};

TEST_F(EditBoxTest, EnterFirstReturnsTheTextWithoutPollingTheMouse) {
    page.mouseX = 11, page.mouseY = 22, page.mouseButtons = 5;
    EXPECT_EQ(edit("abc", {}, "\r"), "abc");
    EXPECT_EQ(page.mouseX, 11);
    EXPECT_EQ(page.mouseButtons, 5);
}

TEST_F(EditBoxTest, AppendsPrintableBytesAndBackspaceRemovesFromTheEnd) {
    const std::string typed = "xy\bz\t\x1b\x7f\xe9!";
    std::vector<Poll> polls;
    for (char c : typed) polls.push_back({kUp, std::string(1, c)});
    polls.push_back({kUp, ""});
    EXPECT_EQ(edit("ab", polls), "abxz!");
}

TEST_F(EditBoxTest, OnlyALeftClickOutsideTheInteriorEndsTheEdit) {
    struct Case { MouseState mouse; bool ends; } cases[] = {
        {left(100, 424), false},             // inside, the click that opened it
        {MouseState{480, 10, 0, 3}, false},  // left and right together
        {MouseState{480, 10, 0, 2}, false},  // right alone
        {MouseState{-1, -1, -1, -1}, false}, // pointer outside the window
        {left(1, 424), true},                // on the frame line
        {left(100, 420), true},
        {left(480, 10), true},
    };
    for (const Case& c : cases) {
        // The case's poll comes first, then a key that shows whether the
        // box was still reading, then the ending click.
        std::string result = edit("", {{c.mouse, "k"}, {kUp, ""}});
        EXPECT_EQ(result, c.ends ? "" : "k")
            << c.mouse.x << "," << c.mouse.y << " " << c.mouse.buttons;
        if (c.ends) {
            EXPECT_EQ(page.mouseX, c.mouse.x);
        }
        while (!readKey().empty()) {}
    }
}

TEST_F(EditBoxTest, ShowsTheLastCharactersThatFit) {
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += char('A' + i % 26);
    std::vector<Poll> polls;
    for (char c : sixty) polls.push_back({kUp, std::string(1, c)});
    polls.push_back({kUp, ""});
    EXPECT_EQ(edit("", polls), sixty);
    const std::vector<uint8_t> shown = interior();
    EXPECT_EQ(shown, boxShowing(sixty.substr(2)));  // characters 3 to 60

    EXPECT_EQ(edit(sixty, {{kUp, "\b"}, {kUp, ""}}), sixty.substr(0, 59));
    const std::vector<uint8_t> afterBackspace = interior();
    EXPECT_EQ(afterBackspace, boxShowing(sixty.substr(1, 58)));  // 2 to 59
}

TEST_F(EditBoxTest, KeysThatChangeNothingDrawNothing) {
    // After the box has shown itself, put a mark inside it; Backspace on the
    // empty text and an arrow key must leave the mark where it is.
    headlessOnPoll([](int poll) {
        if (poll == 1) {
            setPixel(100, 424, 12);
            headlessTypeKey("\b");
            headlessTypeKey("\xFFK");
            headlessSetMouse(kUp);
        } else if (poll == 3) {
            headlessSetMouse(left(480, 10));
        }
    });
    EXPECT_EQ(editField(kX1, kY, kX2, "", 7, 0), "");
    EXPECT_EQ(surfacePixel(100, 424), 12);
}
}  // namespace
