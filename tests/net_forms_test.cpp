// Form submission: the percent-encoding of values and the query location
// built from the fields the last pass drew.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/page_state.h"
#include "gfx/headless.h"
#include "net/forms.h"

namespace {

struct EncodeCase {
    std::string text, expected;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class UrlEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncodeTest, EncodesByteByByte) {
    EXPECT_EQ(urlEncode(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UrlEncodeTest,
    ::testing::Values(
        EncodeCase{"", ""},
        EncodeCase{"a b&c", "a+b%26c"},
        EncodeCase{"%+=", "%25%2B%3D"},
        EncodeCase{"\t\n\r", "%09%0A%0D"},
        EncodeCase{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~",
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~"},
        EncodeCase{"/?#:@!*'()", "%2F%3F%23%3A%40%21%2A%27%28%29"},
        EncodeCase{std::string("a\0b", 3), "a%00b"},
        EncodeCase{"\x7f\x80\xe9\xff", "%7F%80%E9%FF"},
        EncodeCase{"  ", "++"}));

TEST(UrlEncode, EscapesEveryByteFrom128To255) {
    for (int code = 128; code <= 255; ++code) {
        static const char hex[] = "0123456789ABCDEF";
        std::string expected = {'%', hex[code >> 4], hex[code & 15]};
        EXPECT_EQ(urlEncode(std::string(1, static_cast<char>(code))), expected) << code;
    }
}

struct Field {
    std::string name, value;
    int row;
};

struct SubmitCase {
    std::string label, action;
    std::vector<Field> fields;  // fields 1, 2, ... of form 2
    std::string expected;
};

void PrintTo(const SubmitCase& c, std::ostream* os) { *os << c.label; }

class SubmissionLocationTest : public ::testing::TestWithParam<SubmitCase> {};

TEST_P(SubmissionLocationTest, BuildsTheQuery) {
    clearPageState();
    const SubmitCase& c = GetParam();
    // Form 2, so that a mix-up with form 1's entries shows.
    page.forms[1].action = "wrong";
    page.fields[1][1] = FieldEntry{0, 5, "wrong", "wrong", 0, 0};
    page.forms[2].action = c.action;
    page.forms[2].suffix = "SUFFIX";
    for (size_t j = 0; j < c.fields.size(); ++j) {
        FieldEntry& e = page.fields[2][j + 1];
        e.name = c.fields[j].name;
        e.value = c.fields[j].value;
        e.row = c.fields[j].row;
    }
    EXPECT_EQ(submissionLocation(2), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubmissionLocationTest,
    ::testing::Values(
        SubmitCase{"SearchWithEmptyField", "search", {{"q", "a b&c", 3}, {"n", "", 4}},
                   "search?q=a+b%26c&n="},
        SubmitCase{"ActionWithQuestionMark", "list?page=2", {{"q", "x", 3}}, "list?page=2&q=x"},
        SubmitCase{"NoFieldOnScreen", "act", {{"q", "x", 0}, {"r", "y", 0}}, "act"},
        SubmitCase{"OnlyFieldsOnScreen", "act", {{"a", "1", 0}, {"b", "2", 7}, {"c", "3", 0},
                   {"d", "4", 47}}, "act?b=2&d=4"},
        SubmitCase{"NamesVerbatim", "act", {{"a b&c=", "%", 1}}, "act?a b&c==%25"},
        SubmitCase{"QuestionMarkInAName", "act", {{"x?y", "1", 1}, {"z", "2", 1}},
                   "act?x?y=1&z=2"},
        SubmitCase{"EmptyAction", "", {{"q", "1", 1}}, "?q=1"},
        SubmitCase{"AllFourFields", "http://h/s", {{"a", "1", 1}, {"b", "2", 2}, {"c", "3", 3},
                   {"d", "4", 4}}, "http://h/s?a=1&b=2&c=3&d=4"}),
    [](const ::testing::TestParamInfo<SubmitCase>& p) { return p.param.label; });

TEST(SubmitForm, WaitsForTheReleaseThenNavigatesWithTheSuffix) {
    useHeadless();
    openSurface(495, 430);
    clearPageState();
    page.location = "start";
    page.forms[1].action = "no-such-dir/result";
    page.forms[1].suffix = "&x=a b";
    page.fields[1][1] = FieldEntry{0, 2, "v w", "q", 15, 0};
    // The button stays down for three polls, then is let go.
    int locationSeenWhileHeld = 0;
    headlessOnPoll([&](int poll) {
        if (page.location != "start") ++locationSeenWhileHeld;
        headlessSetMouse(poll <= 3 ? MouseState{40, 20, 0, 1} : MouseState{40, 20, 0, 0});
    });
    submitForm(1);
    headlessOnPoll(nullptr);
    EXPECT_EQ(page.location, "no-such-dir/result?q=v+w&x=a b");
    EXPECT_EQ(page.previousLocation, "start");
    EXPECT_EQ(locationSeenWhileHeld, 0);
    EXPECT_GE(headlessPollCount(), 4);
    // Navigation empties what was typed.
    EXPECT_EQ(page.fields[1][1].value, "");
}

}  // namespace
