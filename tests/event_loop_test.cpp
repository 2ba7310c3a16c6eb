// The event loop driven through the headless back end: each step of a script
// is what one mouse poll sees, plus the keys typed and the clock at that
// moment. Past the script's end Escape is held, which ends the loop.
#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/browser.h"
#include "app/layout.h"
#include "base/timer.h"
#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/headless.h"
#include "net/navigate.h"
#include "tests/work_dir.h"

namespace fs = std::filesystem;

namespace {
struct Step {
    int x = -1, y = -1, buttons = 0;
    std::string keys;     // typed before this poll, one byte per key
    double clock = 0;     // 0: leave the clock as it is
    std::string special;  // a two-byte key, typed after `keys`
    int polls = 1;        // how many polls see this step
};

const Step kRelease{};
Step press(int x, int y) { return Step{x, y, 1, "", 0, "", 1}; }
// Keys typed while the pointer rests, lasting long enough for the box to
// read each of them (one key per cycle).
Step typing(int x, int y, int buttons, const std::string& keys) {
    return Step{x, y, buttons, keys, 0, "", int(keys.size()) + 1};
}
Step specialKey(const std::string& key) { return Step{-1, -1, 0, "", 0, key, 2}; }
Step atClock(double seconds) { return Step{-1, -1, 0, "", seconds, "", 2}; }

class EventLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        setFakeClock(1000.0);
        useHeadless();
        openSurface(495, 430);
        clearPageState();
    }
    void TearDown() override { useRealClock(); }
    void writeFile(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
    }
    // Runs the loop over the script and returns how many polls it took.
    int run(const std::vector<Step>& steps) {
        std::vector<Step> script;
        for (const Step& step : steps) {
            script.push_back(step);
            Step held = step;
            held.keys.clear();
            held.special.clear();
            held.clock = 0;
            for (int i = 1; i < step.polls; ++i) script.push_back(held);
        }
        headlessSetKeyDown(1, false);
        const int start = headlessPollCount();
        headlessOnPoll([script, start](int poll) {
            poll -= start;
            if (poll > int(script.size())) {
                headlessSetMouse(MouseState{-1, -1, -1, -1});
                headlessSetKeyDown(1, true);
                return;
            }
            const Step& step = script[poll - 1];
            for (char c : step.keys) headlessTypeKey(std::string(1, c));
            if (!step.special.empty()) headlessTypeKey(step.special);
            if (step.clock > 0) setFakeClock(step.clock);
            headlessSetMouse(MouseState{step.x, step.y, 0, step.buttons});
        });
        runEventLoop();
        return headlessPollCount() - start;
    }
    // A page with a link on window row 2 at cursor x 0, labelled "Next".
    std::string linkPage(const std::string& target) { return "||\n_Next>" + target + "\n"; }
    // Many rows, so the page continues below the window.
    std::string longPage(int rows) {
        std::string text;
        for (int i = 0; i < rows; ++i) text += "$row " + std::to_string(i) + "\n|\n";
        return text;
    }

    WorkDir work;
};

const int kAddressX = 100, kAddressY = 424;
const int kBackX = 20, kBackY = 400;
const int kGoX = 358, kGoY = 424;

TEST_F(EventLoopTest, ClickOnLinkNavigatesOnceAndWaitsForRelease) {
    writeFile("a.vek", linkPage("b.vek"));
    writeFile("b.vek", linkPage("a.vek"));  // its link lies under the pointer too
    navigate("a.vek");
    // Link "Next": x 3..26 exclusive of the ends, row 2 is y 16..23.
    run({press(10, 20), press(10, 20), press(10, 20), kRelease, kRelease});
    EXPECT_EQ(page.location, "b.vek");
    EXPECT_EQ(page.previousLocation, "a.vek");
}

TEST_F(EventLoopTest, LinkHitRectangleIsStrict) {
    writeFile("a.vek", linkPage("b.vek"));
    writeFile("b.vek", "");
    struct Case { int x, y; bool hit; } cases[] = {
        {2, 20, false}, {3, 20, true}, {25, 20, true}, {26, 20, false},
        {10, 16, false}, {10, 17, true}, {10, 22, true}, {10, 23, false},
    };
    for (const Case& c : cases) {
        clearPageState();
        navigate("a.vek");
        run({press(c.x, c.y), kRelease});
        EXPECT_EQ(page.location, c.hit ? "b.vek" : "a.vek") << c.x << "," << c.y;
    }
}

TEST_F(EventLoopTest, LeftAndRightButtonsTogetherDoNothing) {
    writeFile("a.vek", linkPage("b.vek"));
    navigate("a.vek");
    run({Step{10, 20, 3, "", 0, "", 1}, kRelease});
    EXPECT_EQ(page.location, "a.vek");
}

TEST_F(EventLoopTest, AddressEditEndedOnBackGoesBackInTheSamePass) {
    writeFile("a.vek", "$A\n");
    writeFile("b.vek", "$B\n");
    navigate("a.vek");
    navigate("b.vek");
    // The press on back ends the edit; had back waited for the next pass,
    // the release at the following poll would have stopped it.
    run({press(kAddressX, kAddressY), typing(kAddressX, kAddressY, 1, "xyz"),
         press(kBackX, kBackY), kRelease, kRelease});
    EXPECT_EQ(page.location, "a.vek");
    EXPECT_EQ(page.addressText, "a.vek");
}

TEST_F(EventLoopTest, AddressEditEndedOnGoNavigatesInTheNextPass) {
    writeFile("a.vek", "$A\n");
    writeFile("typed.vek", "$T\n");
    navigate("a.vek");
    const std::string typed = "\b\b\b\b\btyped.vek";
    run({press(kAddressX, kAddressY), typing(kAddressX, kAddressY, 0, typed),
         press(kGoX, kGoY), press(kGoX, kGoY), kRelease});
    EXPECT_EQ(page.location, "typed.vek");

    // Released before the next pass: the edit ends but nothing navigates.
    clearPageState();
    navigate("a.vek");
    run({press(kAddressX, kAddressY), typing(kAddressX, kAddressY, 0, typed),
         press(kGoX, kGoY), kRelease});
    EXPECT_EQ(page.location, "a.vek");
    EXPECT_EQ(page.addressText, "typed.vek");
}

TEST_F(EventLoopTest, EnterEndsAnEditWithoutActingOnThePointer) {
    writeFile("a.vek", "$A\n");
    writeFile("b.vek", "$B\n");
    navigate("a.vek");
    navigate("b.vek");
    // Enter while the pointer rests on back, button up: back needs a click.
    run({press(kAddressX, kAddressY), typing(kBackX, kBackY, 0, "q\r"), kRelease});
    EXPECT_EQ(page.location, "b.vek");
    EXPECT_EQ(page.addressText, "b.vekq");
}

TEST_F(EventLoopTest, FieldOfAFormWhoseButtonIsOffScreenCannotBeEdited) {
    // The field is on row 2, its submit button far below the window.
    writeFile("form.vek", "[>act\n||\n?q\n" + longPage(60) + "]\n");
    navigate("form.vek");
    ASSERT_NE(page.fields[1][1].row, 0);
    ASSERT_EQ(page.forms[1].row, 0);
    run({press(20, 20), typing(20, 20, 0, "abc"), kRelease});
    EXPECT_EQ(page.fields[1][1].value, "");
}

TEST_F(EventLoopTest, FieldEditKeepsItsValueAndSubmitSendsItOnce) {
    writeFile("form.vek", "[>result.vek\n||\n?q\n$ \n]&end\n");
    navigate("form.vek");
    const FieldEntry field = page.fields[1][1];
    const FormEntry form = page.forms[1];
    ASSERT_EQ(field.row, 2);
    ASSERT_EQ(form.row, 2);
    const int fieldX = field.x + 10, buttonX = form.x + 10, y = 20;
    // Click the field, type, click the submit button and hold it for long.
    std::vector<Step> script{press(fieldX, y), typing(fieldX, y, 0, "a b"),
                             press(buttonX, y)};
    for (int i = 0; i < 20; ++i) script.push_back(press(buttonX, y));
    script.push_back(kRelease);
    run(script);
    EXPECT_EQ(page.location, "result.vek?q=a+b&end");
    EXPECT_EQ(page.previousLocation, "form.vek");  // submitted once only
}

TEST_F(EventLoopTest, ScrollButtonsRespectTheEndsOfThePage) {
    const int downX = 489, downY = 370, upX = 489, upY = 20;
    writeFile("short.vek", "$short\n");
    navigate("short.vek");
    ASSERT_EQ(page.atEnd, 1);
    run({press(downX, downY), kRelease});
    EXPECT_EQ(page.scrollRow, 0);

    writeFile("long.vek", longPage(60));  // one step down reaches its end
    clearPageState();
    navigate("long.vek");
    ASSERT_EQ(page.atEnd, 0);
    run({press(upX, upY), kRelease, press(downX, downY), press(downX, downY), kRelease});
    EXPECT_EQ(page.scrollRow, 16);  // up did nothing at the top; down acted once
    run({press(upX, upY), kRelease});
    EXPECT_EQ(page.scrollRow, 0);
}

TEST_F(EventLoopTest, ArrowKeysScrollWithinThePage) {
    writeFile("long.vek", longPage(100));  // its end shows from row 64 on
    navigate("long.vek");
    std::vector<Step> downs(6, specialKey("\xFFP"));
    run(downs);
    EXPECT_EQ(page.atEnd, 1);
    EXPECT_EQ(page.scrollRow, 64);
    run({specialKey("\xFFH")});
    EXPECT_EQ(page.scrollRow, 48);
    run({specialKey("\xFFH"), specialKey("\xFFH"), specialKey("\xFFH"), specialKey("\xFFH")});
    EXPECT_EQ(page.scrollRow, 0);
}

TEST_F(EventLoopTest, TimedRefreshFiresAfterItsSecondAndSpaceCancelsIt) {
    writeFile("wait.vek", "~2>next.vek\n$waiting\n");
    writeFile("next.vek", "$next\n");
    navigate("wait.vek");
    ASSERT_EQ(page.refreshAt, 1002);
    run({atClock(1002.9)});
    EXPECT_EQ(page.location, "wait.vek");  // 1002 is not past 1002
    run({atClock(1003.0)});
    EXPECT_EQ(page.location, "next.vek");

    clearPageState();
    setFakeClock(1000.0);
    navigate("wait.vek");
    run({typing(-1, -1, 0, " "), atClock(1010.0)});
    EXPECT_EQ(page.location, "wait.vek");
    EXPECT_EQ(page.refreshAt, 0);
    renderPage();  // as a scroll does: the deadline is armed again
    EXPECT_EQ(page.refreshAt, 1012);
}

TEST_F(EventLoopTest, SetHomeWritesTheLocationWithCrLf) {
    writeFile("SYS/VEK.INI", "old.vek\r\n");
    writeFile("here.vek", "$here\n");
    navigate("here.vek");
    run({press(80, 400), kRelease});
    EXPECT_EQ(page.homeLocation, "here.vek");
    std::ifstream in("SYS/VEK.INI", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "here.vek\r\n");
    EXPECT_FALSE(fs::exists("SYS/VEK.INI.new"));
}

TEST_F(EventLoopTest, SetHomeThatCannotWriteLeavesTheOldSettings) {
    writeFile("SYS/VEK.INI", "old.vek\r\n");
    fs::create_directory("SYS/VEK.INI.new");  // the new file cannot be created
    writeFile("here.vek", "$here\n");
    navigate("here.vek");
    run({press(80, 400), kRelease});
    std::ifstream in("SYS/VEK.INI", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old.vek\r\n");
}

TEST_F(EventLoopTest, IconHitRectanglesLeaveOutTheLeftAndTopLines) {
    writeFile("a.vek", "$A\n");
    writeFile("b.vek", "$B\n");
    struct Case { int x, y; bool hit; } cases[] = {
        {2, 400, false}, {3, 400, true}, {33, 400, true}, {34, 400, false},
        {20, 386, false}, {20, 387, true}, {20, 417, true}, {20, 418, false},
    };
    for (const Case& c : cases) {
        clearPageState();
        navigate("a.vek");
        navigate("b.vek");
        run({press(c.x, c.y), kRelease});
        EXPECT_EQ(page.location, c.hit ? "a.vek" : "b.vek") << c.x << "," << c.y;
    }
}
}  // namespace
