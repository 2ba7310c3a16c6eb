#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/commandline.h"
#include "base/strings.h"

namespace {

struct SliceCase {
    const char* name;
    std::string (*slice)(const std::string&, int, int);
    std::string s;
    int a, b;
    std::string expected;
};

std::string left(const std::string& s, int n, int) { return leftChars(s, n); }
std::string right(const std::string& s, int n, int) { return rightChars(s, n); }

TEST(Strings, SlicesSelectNothingOutsideTheString) {
    const std::vector<SliceCase> cases = {
        {"left 0", left, "abc", 0, 0, ""},
        {"left -1", left, "abc", -1, 0, ""},
        {"left 2", left, "abc", 2, 0, "ab"},
        {"left past end", left, "abc", 5, 0, "abc"},
        {"left of empty", left, "", 3, 0, ""},
        {"right 5", right, "abc", 5, 0, "abc"},
        {"right 1", right, "abc", 1, 0, "c"},
        {"right 0", right, "abc", 0, 0, ""},
        {"right -2", right, "abc", -2, 0, ""},
        {"mid 2,1", midChars, "abc", 2, 1, "b"},
        {"mid from 4", midChars, "abc", 4, 1, ""},
        {"mid from 0", midChars, "abc", 0, 2, ""},
        {"mid count 0", midChars, "abc", 1, 0, ""},
        {"mid negative count", midChars, "abcd", 2, -1, "bcd"},
        {"mid count past end", midChars, "abcd", 3, 10, "cd"},
        {"mid of empty", midChars, "", 1, 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.slice(c.s, c.a, c.b), c.expected) << c.name;
}

TEST(Strings, FindTextFromAPosition) {
    struct Case { int start; std::string s, pattern; int expected; };
    const std::vector<Case> cases = {
        {1, "a>b>c", ">", 2},
        {3, "a>b>c", ">", 4},
        {5, "a>b>c", ">", 0},
        {4, "abc", "c", 0},
        {3, "abc", "c", 3},
        {1, "abc", "", 0},
        {1, "", "a", 0},
        {0, "abc", "a", 0},
        {-1, "abc", "a", 0},
        {1, "ab", "abc", 0},
        {2, "abcbc", "bc", 2},
        {3, "abcbc", "bc", 4},
        {1, std::string("a\0b", 3), std::string("\0", 1), 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findText(c.start, c.s, c.pattern), c.expected)
            << "start " << c.start << " in '" << c.s << "' for '" << c.pattern << "'";
}

TEST(Strings, FindTextLastUpToAPosition) {
    struct Case { std::string s, pattern; int start; int expected; };
    const std::vector<Case> cases = {
        {"a b c", " ", -1, 4},
        {"a b c", " ", 3, 2},
        {"a b c", " ", 5, 4},
        {"a b c", " ", 6, 0},
        {"a b c", " ", 0, 0},
        {"a b c", " ", 1, 0},
        {"a b c", " ", -7, 4},
        // A start where the whole pattern no longer fits is moved back.
        {"abab", "ab", 4, 3},
        {"abab", "ab", 3, 3},
        {"abab", "ab", 2, 1},
        {"abc", "", -1, 0},
        {"", " ", -1, 0},
        {"ab", "abc", -1, 0},
        {"aaa", "aa", -1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findTextLast(c.s, c.pattern, c.start), c.expected)
            << "'" << c.pattern << "' in '" << c.s << "' from " << c.start;
}

TEST(Strings, TrimAndUpperCaseTouchOnlyTheirBytes) {
    EXPECT_EQ(trimLeadingSpaces("   a b  "), "a b  ");
    EXPECT_EQ(trimLeadingSpaces("\t a"), "\t a");
    EXPECT_EQ(trimLeadingSpaces("    "), "");
    EXPECT_EQ(trimLeadingSpaces(""), "");
    EXPECT_EQ(upperCase("-ver az{}@`"), "-VER AZ{}@`");
    EXPECT_EQ(upperCase("\xe4\xfc"), "\xe4\xfc");
}

TEST(Strings, NumbersAsText) {
    struct Case { int32_t value; std::string decimal, hex; };
    const std::vector<Case> cases = {
        {0, "0", "0"},
        {3, "3", "3"},
        {9, "9", "9"},
        {10, "10", "A"},
        {255, "255", "FF"},
        {-7, "-7", "FFFFFFF9"},
        {-1, "-1", "FFFFFFFF"},
        {INT32_MIN, "-2147483648", "80000000"},
        {INT32_MAX, "2147483647", "7FFFFFFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimalText(c.value), c.decimal);
        EXPECT_EQ(hexText(c.value), c.hex);
    }
}

TEST(Strings, CharactersAreUnsignedBytes) {
    EXPECT_EQ(charText(65), "A");
    EXPECT_EQ(charText(321), "A");
    EXPECT_EQ(charText(-1), "\xff");
    EXPECT_EQ(charText(0), std::string(1, '\0'));
    EXPECT_EQ(charText(0).size(), 1u);

    EXPECT_EQ(charCode("\xff" "a", 1), 255);
    EXPECT_EQ(charCode("\xff" "a", 2), 97);
    EXPECT_EQ(charCode("ab", 3), 0);
    EXPECT_EQ(charCode("ab", 0), 0);
    EXPECT_EQ(charCode("", 1), 0);

    EXPECT_EQ(repeatChar(3, 65 + 256), "AAA");
    EXPECT_EQ(repeatChar(2, -1), "\xff\xff");
    EXPECT_EQ(repeatChar(0, 65), "");
    EXPECT_EQ(repeatChar(-2, 65), "");
    EXPECT_EQ(repeatChar(3, std::string("xy")), "xxx");
    EXPECT_EQ(repeatChar(3, std::string()), "");
    EXPECT_EQ(repeatChar(-1, std::string("x")), "");
}

TEST(CommandTail, JoinsTheArgumentsAfterTheProgramName) {
    struct Case { std::vector<std::string> argv; std::string expected; };
    const std::vector<Case> cases = {
        {{"nuva"}, ""},
        {{"nuva", "-s"}, "-s"},
        {{"nuva", "-S", "-VER"}, "-S -VER"},
        {{"nuva", "a b", "c"}, "a b c"},
    };
    for (auto c : cases) {
        std::vector<char*> argv;
        for (auto& a : c.argv) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        EXPECT_EQ(commandTail(static_cast<int>(c.argv.size()), argv.data()), c.expected);
    }
}

}  // namespace
