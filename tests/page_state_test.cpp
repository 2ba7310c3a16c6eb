// What the resets of navigation and of a rendering pass clear and keep, how
// the mouse fields are polled, and what a pass registers in the tables:
// links, forms and fields, the include cache and the timed refresh.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "document/page_state.h"
#include "gfx/headless.h"
#include "gfx/surface.h"
#include "tests/renderer_fixture.h"

namespace {

using namespace rendertest;
using PageTablesTest = RendererTest;

// Every field of every table entry set to something that is not a reset
// value, so a test sees exactly what a reset touches.
void fillEverything() {
    clearPageState();
    page.location = "loc";
    page.scrollRow = 32;
    page.atEnd = 1;
    page.refreshAt = 99;
    page.refreshTarget = "t";
    page.pageTextColour = 12;
    page.pageFillColour = 3;
    for (int i = 1; i <= kLinkCount; ++i) page.links[i] = {5, 6, 7, Navigate, "target"};
    for (int f = 1; f <= kFormCount; ++f) {
        page.forms[f] = {10, 11, "action", "suffix"};
        for (int k = 1; k <= kFieldsPerForm; ++k) page.fields[f][k] = {20, 21, "value", "name", 4, 5};
    }
    for (int n = 1; n <= kIncludeCount; ++n) page.includes[n].location = "frag";
}

TEST(PageState, ResetForNavigationClearsThePerPageState) {
    fillEverything();
    resetForNavigation();
    EXPECT_EQ(page.refreshAt, 0);
    EXPECT_EQ(page.pageTextColour, 7);
    EXPECT_EQ(page.pageFillColour, 0);
    EXPECT_EQ(page.scrollRow, 0);
    for (int n = 1; n <= kIncludeCount; ++n) EXPECT_EQ(page.includes[n].location, "");
    for (int f = 1; f <= kFormCount; ++f) {
        for (int k = 1; k <= kFieldsPerForm; ++k) {
            EXPECT_EQ(page.fields[f][k].value, "");
            EXPECT_EQ(page.fields[f][k].name, "name");  // the next pass resets it
        }
    }
    // Left for the pass that follows, or kept for the whole run.
    EXPECT_EQ(page.atEnd, 1);
    EXPECT_EQ(page.refreshTarget, "t");
    EXPECT_EQ(page.location, "loc");
    EXPECT_EQ(page.links[50].kind, Navigate);
}

TEST(PageState, ResetForPassClearsOnlyTheTableKeysAndRows) {
    fillEverything();
    resetForPass();
    for (int i = 1; i <= kLinkCount; ++i) {
        EXPECT_EQ(page.links[i].kind, None);
        EXPECT_EQ(page.links[i].target, "target");
    }
    for (int f = 1; f <= kFormCount; ++f) {
        EXPECT_EQ(page.forms[f].x, 0);
        EXPECT_EQ(page.forms[f].row, 0);
        EXPECT_EQ(page.forms[f].action, "");
        EXPECT_EQ(page.forms[f].suffix, "suffix");
        for (int k = 1; k <= kFieldsPerForm; ++k) {
            const FieldEntry& e = page.fields[f][k];
            EXPECT_EQ(e.name, "");
            EXPECT_EQ(e.row, 0);
            EXPECT_EQ(e.x, 20);
            EXPECT_EQ(e.value, "value");
            EXPECT_EQ(e.textColour, 4);
            EXPECT_EQ(e.fillColour, 5);
        }
    }
    EXPECT_EQ(page.includes[1].location, "frag");
    EXPECT_EQ(page.refreshAt, 99);
    EXPECT_EQ(page.pageTextColour, 12);
    EXPECT_EQ(page.scrollRow, 32);
}

TEST(PageState, PollMouseStateStoresPositionAndButtons) {
    useHeadless();
    openSurface(495, 430);
    headlessSetMouse({40, 50, 3, 1});
    pollMouseState();
    EXPECT_EQ(page.mouseX, 40);
    EXPECT_EQ(page.mouseY, 50);
    EXPECT_EQ(page.mouseButtons, 1);
    EXPECT_EQ(headlessPollCount(), 1);
}

TEST(PageState, WaitForReleasePollsUntilTheLeftButtonAloneIsNoLongerDown) {
    struct Case { const char* name; std::vector<int> buttons; int polls; int last; };
    const std::vector<Case> cases = {
        {"already released: one poll", {0}, 1, 0},
        {"held for three polls", {1, 1, 1, 0}, 4, 0},
        {"both buttons end the wait", {1, 3}, 2, 3},
        {"pointer leaving the window ends it", {1, -1}, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useHeadless();
        openSurface(495, 430);
        const std::vector<int> buttons = c.buttons;
        headlessOnPoll([buttons](int poll) {
            const int b = buttons[std::min<size_t>(size_t(poll), buttons.size()) - 1];
            headlessSetMouse(b == -1 ? MouseState{} : MouseState{7, 8, 0, b});
        });
        waitForRelease();
        EXPECT_EQ(headlessPollCount(), c.polls);
        EXPECT_EQ(page.mouseButtons, c.last);
    }
    useHeadless();
}

TEST_F(PageTablesTest, LinksRegisterWhileDrawnUpToFifty) {
    Lines lines;
    for (int i = 1; i <= 51; ++i) lines.push_back("_L>t" + std::to_string(i));
    render(lines);
    EXPECT_EQ(rowText(0), rep(51, 'L'));
    for (int i = 1; i <= 50; ++i) {
        const LinkEntry& l = page.links[i];
        EXPECT_EQ(l.kind, Navigate);
        EXPECT_EQ(l.target, "t" + std::to_string(i));
        EXPECT_EQ(l.x, 6 * (i - 1));
        EXPECT_EQ(l.row, 0);
        EXPECT_EQ(l.length, 1);
    }
    EXPECT_TRUE(rectIs(303, 7, 307, 7, 15));  // the 51st's underline
    EXPECT_EQ(surfacePixel(302, 7), 0);
}

TEST_F(PageTablesTest, LinkPlacementAndRegistration) {
    struct Case { const char* name; Lines page; int x, row, length, kind; const char* target; };
    const std::vector<Case> cases = {
        {"download link that just fits", {"$" + rep(75, 'a'), "^file>http://h/f.zip"},
         450, 0, 4, Download, "http://h/f.zip"},
        {"link that does not fit breaks first", {"$" + rep(76, 'a'), "_abcd>t"}, 0, 1, 4,
         Navigate, "t"},
        {"no > : empty label, whole target", {"$ab", "_nolabel"}, 12, 0, 0, Navigate, "nolabel"},
        {"later > belong to the target", {"_a>b>c"}, 0, 0, 1, Navigate, "b>c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        render(c.page);
        const LinkEntry& l = page.links[1];
        EXPECT_EQ(l.x, c.x);
        EXPECT_EQ(l.row, c.row);
        EXPECT_EQ(l.length, c.length);
        EXPECT_EQ(l.kind, c.kind);
        EXPECT_EQ(l.target, c.target);
        EXPECT_EQ(page.links[2].kind, None);
    }
    fillRectangle(0, 0, 494, 429, kStale);
    render({"_nolabel"});  // its underline runs leftwards from X + 1 to X - 1
    EXPECT_EQ(surfacePixel(1, 7), 15);
    render({"$" + rep(76, 'a'), "_abcd>t"});
    EXPECT_EQ(rowText(1), "abcd");
    EXPECT_TRUE(rectIs(458, 0, 482, 7, 0));  // the line break's fill
}

// Each form as "action;suffix;x;name@x name@x ...".
std::string describeForm(int f) {
    std::string s = page.forms[f].action + ";" + page.forms[f].suffix + ";" +
                    std::to_string(page.forms[f].x) + ";";
    for (int k = 1; k <= kFieldsPerForm; ++k) {
        const FieldEntry& e = page.fields[f][k];
        if (!e.name.empty()) s += e.name + "@" + std::to_string(e.x) + " ";
    }
    return s;
}

TEST_F(PageTablesTest, FormsAndFieldsPairByOrder) {
    struct Case { const char* name; Lines page; Lines forms; };
    const std::vector<Case> cases = {
        {"two forms", {"[x>act1", "?f1", "]s1", "[y>act2", "?f2", "?g2", "]s2"},
         {"act1;s1;48;f1@0 ", "act2;s2;180;f2@84 g2@132 ", ";;0;", ";;0;"}},
        {"submit at the margin keeps the form open", {"[x>act", "?a", "|", "]s1", "?b", "]s2"},
         {"act;s2;84;a@0 b@36 ", ";;0;", ";;0;", ";;0;"}},
        {"fields without a form", {"?a", "?b"}, {";;0;a@0 b@48 ", ";;0;", ";;0;", ";;0;"}},
        {"empty name leaves the entry free", {"?", "?b"}, {";;0;b@48 ", ";;0;", ";;0;", ";;0;"}},
        {"form without >", {"[act"}, {"act;;0;", ";;0;", ";;0;", ";;0;"}},
        {"empty action is filled by the next form", {"[x>", "[y>act", "[z"},
         {"act;;0;", "z;;0;", ";;0;", ";;0;"}},
        {"a fifth field is dropped", {"?a", "?b", "?c", "?d", "?e", "]s"},
         {";s;240;a@0 b@48 c@96 d@144 ", ";;0;", ";;0;", ";;0;"}},
        {"a fifth form is dropped", {"[1>a", "[2>b", "[3>c", "[4>d", "[5>e"},
         {"a;;0;", "b;;0;", "c;;0;", "d;;0;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearPageState();
        resetForNavigation();
        render(c.page);
        for (int f = 1; f <= kFormCount; ++f) EXPECT_EQ(describeForm(f), c.forms[f - 1]) << f;
    }
}

TEST_F(PageTablesTest, AboveTheWindowFormsRegisterWithoutRowsAndLinksNotAtAll) {
    Lines lines = {"_up>t0", "[x>act", "|", "|", "?above", "]s0"};
    for (int i = 0; i < 15; ++i) lines.push_back("|");
    for (const char* l : {"?below", "]go", "_lnk>t"}) lines.push_back(l);
    render(lines, 16);
    EXPECT_EQ(page.fields[1][1].name, "above");
    EXPECT_EQ(page.fields[1][1].row, 0);
    EXPECT_EQ(page.forms[1].x, 48);
    EXPECT_EQ(page.forms[1].row, 0);
    EXPECT_EQ(page.fields[2][1].name, "below");
    EXPECT_EQ(page.fields[2][1].row, 1);
    EXPECT_EQ(page.forms[2].x, 48);
    EXPECT_EQ(page.forms[2].row, 1);
    EXPECT_EQ(page.links[1].target, "t");
    EXPECT_EQ(page.links[1].row, 1);
    EXPECT_EQ(page.links[2].kind, None);
}

TEST_F(PageTablesTest, IncludesAreFetchedOncePerPageIntoFourSlots) {
    installFakeWget();
    render({"\"a", "|", "\"a", "|", "\"tag"});
    expectRows({"got a", "got a", "|#1"});
    render({"\"a", "|", "\"a", "|", "\"tag"});
    ASSERT_EQ(wgetCalls().size(), 2u);
    EXPECT_EQ(wgetCalls()[0], "--user-agent=NUVA/3 --output-document=SYS/VEKT01.VEK a");
    EXPECT_EQ(wgetCalls()[1], "--user-agent=NUVA/3 --output-document=SYS/VEKT02.VEK tag");
    resetForNavigation();
    render({"\"a", "|", "\"b", "|", "\"c", "|", "\"d", "|", "\"e"});
    expectRows({"got a", "got b", "got c", "got d", "e"});
    EXPECT_EQ(wgetCalls().size(), 6u);
    EXPECT_EQ(wgetCalls()[5], "--user-agent=NUVA/3 --output-document=SYS/VEKT04.VEK d");
    EXPECT_EQ(page.includes[4].location, "d");
}

TEST_F(PageTablesTest, IncludeFallbacks) {
    installFakeWget();
    struct Case { const char* name; const char* slotFile; Lines page; Lines rows; size_t calls; };
    const std::vector<Case> cases = {
        {"empty payload, no file: nothing", nullptr, {"$x", "\"", "$y"}, {"xy"}, 0},
        {"empty payload shows slot 1 unfetched", "old\nline\n", {"$x", "\"", "$y"}, {"xoldy"}, 0},
        {"nothing fetched: the location", nullptr, {"$x", "\"none", "$y"}, {"xnoney"}, 1},
        {"nothing fetched: the file left earlier", "old\n", {"$x", "\"none", "$y"}, {"xoldy"}, 1},
        {"empty fragment: empty text", nullptr, {"$x", "\"empty", "$y"}, {"xy"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetForNavigation();
        std::filesystem::remove("wget.log");
        std::filesystem::remove("SYS/VEKT01.VEK");
        if (c.slotFile) writeFile("SYS/VEKT01.VEK", c.slotFile);
        render(c.page);
        expectRows(c.rows);
        EXPECT_EQ(wgetCalls().size(), c.calls);
    }
}

TEST_F(PageTablesTest, IncludesAboveTheWindowAreFetchedToo) {
    installFakeWget();
    Lines lines = {"\"a"};
    for (int i = 0; i < 20; ++i) lines.push_back("|");
    render(lines, 16);
    EXPECT_EQ(wgetCalls().size(), 1u);
    EXPECT_EQ(page.includes[1].location, "a");
}

TEST_F(PageTablesTest, RefreshRecordArmsFromTheWholeSecond) {
    struct Case { double clock; const char* record; int at; const char* target; };
    const std::vector<Case> cases = {
        {100.7, "~5>next", 105, "next"}, {100.7, "~next", 100, "next"},
        {100.2, "~2.5>x", 102, "x"},     {100.2, "~3.5>x", 104, "x"},
        {100.9, "~abc>x", 100, "x"},     {100.0, "~5>a>b", 105, "a>b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        setFakeClock(c.clock);
        page.refreshAt = 0;
        render({c.record});
        EXPECT_EQ(page.refreshAt, c.at);
        EXPECT_EQ(page.refreshTarget, c.target);
    }
}

}  // namespace
