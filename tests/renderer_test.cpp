// Rendering passes over small pages: wrapping, colours, rules, line breaks,
// fields and buttons, scrolling and the end of a page, checked pixel by
// pixel through the synthetic font.
#include "tests/renderer_fixture.h"

namespace {

using namespace rendertest;

TEST_F(RendererTest, WrapsTextAtSpacesWithinTheRoomLeft) {
    const std::string digits = "0123456789";
    struct Case { const char* name; Lines page; Lines rows; };
    const std::vector<Case> cases = {
        {"100 without spaces; cursor ends at 120", {"$" + rep(100, 'a'), "c90"},
         {rep(80, 'a'), rep(20, 'a') + "Z"}},
        {"space at the 80th position stays at the row's end",
         {"$" + rep(79, 'a') + " " + rep(20, 'b')}, {rep(79, 'a') + " ", rep(20, 'b')}},
        {"only space at the 81st is dropped", {"$" + rep(80, 'a') + " " + rep(19, 'b')},
         {rep(80, 'a'), rep(19, 'b')}},
        {"start at cursorX 60: room 70",
         {"$" + digits, "$" + rep(65, 'a') + " " + rep(4, 'b') + " " + rep(20, 'c')},
         {digits + rep(65, 'a') + " ", rep(4, 'b') + " " + rep(20, 'c')}},
        {"word longer than the room is cut", {"$" + digits, "$" + rep(100, 'x')},
         {digits + rep(70, 'x'), rep(30, 'x')}},
        {"leading spaces of the next row dropped", {"$" + rep(78, 'a') + "   bbbbb"},
         {rep(78, 'a') + "  ", "bbbbb"}},
        {"79 characters fit", {"$" + rep(79, 'a'), "c90"}, {rep(79, 'a') + "Z"}},
        {"80 characters wrap to an empty row", {"$" + rep(80, 'a'), "c90"}, {rep(80, 'a'), "Z"}},
        {"two text records share a row", {"$Hello", "$World"}, {"HelloWorld"}},
        {"three rows of words",
         {"$" + rep(40, 'a') + " " + rep(50, 'b') + " " + rep(60, 'c') + " d"},
         {rep(40, 'a') + " ", rep(50, 'b') + " ", rep(60, 'c') + " d"}},
        {"empty text record moves nothing", {"$ab", "$", "$cd"}, {"abcd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fillRectangle(0, 0, 494, 429, kStale);
        render(c.page);
        expectRows(c.rows);
        EXPECT_EQ(rowText(int(c.rows.size())), "");
        EXPECT_EQ(page.atEnd, 1);
    }
}

TEST_F(RendererTest, WrappedPiecesFillToTheRightEdgeAndTheLastOnlyItsWidth) {
    render({":3", "$" + rep(100, 'a'), ":5"});
    EXPECT_TRUE(rectIs(2, 7, 482, 7, 3));   // bottom glyph row: the fill shows
    EXPECT_EQ(surfacePixel(483, 7), kStale);
    EXPECT_TRUE(rectIs(2, 15, 121, 15, 3));
    EXPECT_TRUE(rectIs(122, 8, 482, 15, 5));  // end of page, in the last fill
    EXPECT_TRUE(rectIs(2, 16, 482, 383, 5));
    EXPECT_EQ(surfacePixel(1, 100), kStale);
    EXPECT_EQ(surfacePixel(100, 384), kStale);
}

TEST_F(RendererTest, ColourRecords) {
    struct Case { Lines page; int text, fill; };
    const std::vector<Case> cases = {
        {{"#4.5", "$A"}, 4, 0},         {{"#5.5", "$A"}, 6, 0},
        {{":1", "#red", "$A"}, 0, 1},   {{"#", "$A"}, 7, 0},
        {{"#3", "#", "$A"}, 7, 0},      {{"F12", "#", "$A"}, 12, 0},
        {{"F12", "F", "#", "$A"}, 7, 0}, {{"F12", "$A"}, 15, 0},
        {{"#300", "$A"}, 44, 0},        {{":4.5", "$A"}, 15, 4},
        {{":5.5", "$A"}, 15, 6},        {{":3", ":x", "$A"}, 15, 0},
        {{"B3", ":", "$A"}, 15, 3},     {{":5", "B3", "B", ":", "$A"}, 15, 0},
        {{"B3", "$A"}, 15, 0},          {{":2", ":", "$A"}, 15, 0},
        {{"f3", "b3", "C3", "$A"}, 15, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page[0] + " " + c.page[1]);
        resetForNavigation();
        render(c.page);
        EXPECT_EQ(surfacePixel(2, 0), c.text);
        EXPECT_EQ(surfacePixel(2, 7), c.fill);
    }
}

TEST_F(RendererTest, PageColoursCarryOverToLaterPassesOfThePage) {
    render({"#", "$A", "F12", "#3", ":4"});
    EXPECT_EQ(surfacePixel(2, 0), 7);
    render({"#", "$A", "F12", "#3", ":4"});
    EXPECT_EQ(surfacePixel(2, 0), 12);  // the F of the previous pass
    EXPECT_EQ(surfacePixel(2, 7), 0);   // fill starts at 0 in every pass
    resetForNavigation();
    render({"#", "$A"});
    EXPECT_EQ(surfacePixel(2, 0), 7);
    render({"$A"});
    EXPECT_EQ(surfacePixel(2, 0), 15);
}

TEST_F(RendererTest, RulesTakeARowOfTheirOwn) {
    struct Case { Lines page; Lines rows; };
    const std::vector<Case> cases = {
        {{"$ab", "=", "$cd"}, {"ab", rep(80, '='), "cd"}},
        {{"=196"}, {"", rep(80, char(196))}},
        {{"=321"}, {"", rep(80, 'A')}},
        {{"|", "="}, {"", "", rep(80, '=')}},
        {{"=", "="}, {"", rep(80, '='), "", rep(80, '=')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page[0]);
        render(c.page);
        expectRows(c.rows);
    }
    render({":2", "=abc", "$x"});  // code 0: a blank rule over its fill
    EXPECT_TRUE(rectIs(2, 8, 482, 15, 2));
    EXPECT_EQ(rowText(2), "x");
}

TEST_F(RendererTest, RuleReachingTheScrollPositionIsOnWindowRowZero) {
    Lines lines = {"$top"};
    for (int i = 0; i < 15; ++i) lines.push_back("|");
    lines.push_back("=");
    lines.push_back("$after");
    render(lines, 16);
    EXPECT_EQ(rowText(0), rep(80, '='));
    EXPECT_EQ(rowText(1), "after");
}

TEST_F(RendererTest, LineBreakRecordsBreakOncePerCharacter) {
    struct Case { Lines page; Lines rows; };
    const std::vector<Case> cases = {
        {{":2", "$a", "|", "$b"}, {"a", "b"}},
        {{":2", "$a", "|||", "$b"}, {"a", "", "", "b"}},
        {{":2", "$a", "|xyz", "$b"}, {"a", "", "", "", "b"}},
        {{":2", "$a", "|", "|", "$b"}, {"a", "", "b"}},
        {{":2", "$a", "", "unknown", "$b"}, {"ab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page[2]);
        fillRectangle(0, 0, 494, 429, kStale);
        render(c.page);
        expectRows(c.rows);
        for (size_t r = 0; r < c.rows.size(); ++r) {
            if (c.rows[r].empty()) {
                EXPECT_TRUE(rectIs(2, 8 * int(r), 482, 8 * int(r) + 7, 2));
            }
        }
    }
}

TEST_F(RendererTest, FieldsAndSubmitButtonsArePlacedWithoutAFitTest) {
    page.fields[1][1].value = "zzzzzAbcdefgh";
    render({":2", "|", "$" + rep(79, 'a'), "?nm", "$" + rep(75, 'b'), "]sfx", "#4", "$z"});
    // The field at cursorX 474: last 8 characters of its value from x 476.
    EXPECT_EQ(rowText(1), rep(79, 'a') + "Abc");
    EXPECT_TRUE(rectIs(476, 7, 494, 7, 15));   // top edge, one pixel above row 1
    EXPECT_TRUE(rectIs(476, 7, 476, 15, 15));  // left edge
    EXPECT_TRUE(rectIs(476, 15, 494, 15, 15)); // bottom edge
    EXPECT_EQ(surfacePixel(490, 13), 2);
    const FieldEntry& f = page.fields[1][1];
    EXPECT_EQ(f.name, "nm");
    EXPECT_EQ(f.x, 474);
    EXPECT_EQ(f.row, 1);
    EXPECT_EQ(f.textColour, 15);
    EXPECT_EQ(f.fillColour, 2);
    // The submit button at cursorX 450 on row 2, then the cursor moves on
    // to row 3 with no fill: x 489 on row 2 keeps what was there.
    EXPECT_EQ(rowText(2), rep(75, 'b') + "Submit");
    EXPECT_TRUE(rectIs(453, 23, 487, 23, 15));
    EXPECT_EQ(surfacePixel(452, 23), 2);
    EXPECT_EQ(surfacePixel(488, 23), 2);
    EXPECT_EQ(surfacePixel(489, 20), kStale);
    EXPECT_EQ(rowText(3, 4), "z");
    EXPECT_EQ(page.forms[1].x, 450);
    EXPECT_EQ(page.forms[1].row, 2);
    EXPECT_EQ(page.forms[1].suffix, "sfx");
}

TEST_F(RendererTest, CharacterRecordsUseTheLowEightBits) {
    render({":2", "c65", "c321", "c", "c65.5", "c66.5"});
    EXPECT_EQ(rowText(0), "AA.BB");
    EXPECT_TRUE(rectIs(14, 0, 19, 7, 2));  // code 0 draws only its fill
}

Lines sixtyRows() {
    Lines lines;
    for (int i = 0; i < 60; ++i) {
        lines.push_back("$r" + std::to_string(100 + i));
        lines.push_back("|");
    }
    lines.push_back("~5>next");
    return lines;
}

TEST_F(RendererTest, ScrollingRedrawsAndClearsBelowTheEnd) {
    setFakeClock(100.5);
    render(sixtyRows());
    for (int r = 0; r < 48; ++r) EXPECT_EQ(rowText(r), "r" + std::to_string(100 + r));
    EXPECT_EQ(page.atEnd, 0);
    EXPECT_EQ(page.refreshAt, 0);  // below the window: not read
    render(sixtyRows(), 16);
    for (int r = 0; r < 44; ++r) EXPECT_EQ(rowText(r), "r" + std::to_string(116 + r));
    EXPECT_TRUE(rectIs(2, 352, 482, 383, 0));
    EXPECT_EQ(page.atEnd, 1);
    EXPECT_EQ(page.refreshAt, 105);
    EXPECT_TRUE(rectIs(0, 0, 1, 429, kStale));
    EXPECT_TRUE(rectIs(483, 0, 494, 429, kStale));
    EXPECT_TRUE(rectIs(0, 384, 494, 429, kStale));
}

TEST_F(RendererTest, EndOfPageClearsTheRestOfTheWindowOnly) {
    struct Case { int breaks; int atEnd; };
    for (const Case c : {Case{46, 1}, Case{47, 1}, Case{48, 0}}) {
        SCOPED_TRACE(c.breaks);
        fillRectangle(0, 0, 494, 429, kStale);
        Lines lines = {":5"};
        lines.insert(lines.end(), size_t(c.breaks), "|");
        lines.push_back("$ab");
        render(lines);
        EXPECT_EQ(page.atEnd, c.atEnd);
        const int y = 8 * c.breaks;
        if (c.breaks <= 47) {
            EXPECT_EQ(rowText(c.breaks), "ab");
            EXPECT_TRUE(rectIs(14, y, 482, 383, 5));
        }
        EXPECT_EQ(surfacePixel(200, 384), kStale);
    }
    // A page whose last record fills the window still ends inside it.
    render(Lines(48, "|"));
    EXPECT_EQ(page.atEnd, 1);
}

TEST_F(RendererTest, APassThatNeverReachesTheWindowDrawsNothing) {
    page.links[1].kind = Navigate;
    render(sixtyRows(), 64);
    EXPECT_TRUE(rectIs(0, 0, 494, 429, kStale));
    EXPECT_EQ(page.atEnd, 0);
    EXPECT_EQ(page.links[1].kind, None);
}

TEST_F(RendererTest, LinkNotFittingOnTheLastRowIsDroppedWithTheWindowFull) {
    Lines lines;
    for (int i = 0; i < 47; ++i) lines.insert(lines.end(), {"$r", "|"});
    lines.insert(lines.end(), {"$" + rep(75, 'a'), "_label>t", "$more"});
    render(lines);
    EXPECT_EQ(rowText(47), rep(75, 'a'));
    EXPECT_TRUE(rectIs(452, 376, 482, 383, 0));
    EXPECT_EQ(page.links[1].kind, None);
    EXPECT_EQ(page.atEnd, 0);
}

TEST_F(RendererTest, AFullWindowDropsTheRestOfTheRecordAndThePage) {
    render({"$" + rep(80 * 60, 'q'), "~1>x"});
    EXPECT_EQ(rowText(47), rep(80, 'q'));
    EXPECT_EQ(page.refreshAt, 0);
    EXPECT_EQ(page.atEnd, 0);
}

TEST_F(RendererTest, MissingOrEmptyPagesClearTheWindow) {
    struct Case { const char* name; const char* location; const char* file; const char* bytes; };
    const std::vector<Case> cases = {
        {"missing", "nofile.vek", nullptr, nullptr},
        {"empty", "page.vek", "page.vek", ""},
        {"only unknown records", "page.vek", "page.vek", "xyz\n\nC1\n"},
        {"upper-case HTTP is a file path", "HTTP://h/p", "SYS/VEKT00.VEK", "$remote\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fillRectangle(0, 0, 494, 429, kStale);
        if (c.file) writeFile(c.file, c.bytes);
        page.links[1].kind = Navigate;
        page.forms[1].action = "a";
        page.location = c.location;
        renderPage();
        EXPECT_TRUE(rectIs(2, 0, 482, 383, 0));
        EXPECT_TRUE(rectIs(0, 0, 1, 383, kStale));
        EXPECT_EQ(page.atEnd, 1);
        EXPECT_EQ(page.links[1].kind, None);
        EXPECT_EQ(page.forms[1].action, "");
    }
    page.location = "http://h/p";
    renderPage();
    EXPECT_EQ(rowText(0), "remote");
}

TEST_F(RendererTest, LineEndsControlZAndByteOrderMark) {
    struct Case { const char* name; std::string bytes; std::string row0; };
    const std::vector<Case> cases = {
        {"CR LF", "$ab\r\n$cd\r\n", "abcd"},
        {"no final line end", "$ab\n$cd", "abcd"},
        {"lone CR stays in the line", "$ab\rcd\n", "ab\rcd"},
        {"Ctrl-Z ends the text", "$ab\n\x1a$cd\n", "ab"},
        {"Ctrl-Z inside a line", "$ab\x1a\n$cd\n", "ab"},
        {"byte-order mark line has no effect", "\xEF\xBB\xBF$ab\n$cd\n", "cd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        renderBytes(c.bytes);
        EXPECT_EQ(rowText(0), c.row0);
        EXPECT_EQ(page.atEnd, 1);
    }
}

TEST_F(RendererTest, AMillionCharacterWordEndsOnTheRowItShould) {
    // 12500 full rows, then one character on page row 12500.
    render({"$" + rep(80 * 12500 + 1, 'w'), "$!"}, 12496);
    EXPECT_EQ(rowText(3), rep(80, 'w'));
    EXPECT_EQ(rowText(4), "w!");
    EXPECT_EQ(page.atEnd, 1);
}

}  // namespace
