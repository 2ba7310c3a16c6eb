#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "base/timer.h"

namespace {

TEST(ParseNumber, Table) {
    struct Case { std::string text; double expected; };
    const std::vector<Case> cases = {
        {" 12", 12},
        {"12abc", 12},
        {"-3.5", -3.5},
        {"+7", 7},
        {"1e2", 100},
        {"1D2", 100},
        {"1d2", 100},
        {"2E-2", 0.02},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {"3.7.1", 3.7},
        {".5", 0.5},
        {"5.", 5},
        {"007", 7},
        {"\t12", 12},
        {" \x0b\r 12", 12},
        {"&HFF", 255},
        {"&hff", 255},
        {"&h10", 16},
        {"&B101", 5},
        {"&b1012", 5},
        {"&O17", 15},
        {"&o78", 7},
        {"   &H10", 16},
        {"&H", 0},
        {"&HG1", 0},
        {"&", 0},
        {"&X5", 0},
        {"&H-1", 0},
        // The prefix is only seen right after the spaces.
        {"\t&H10", 0},
        {"&HFFFFFFFFFFFFFFFF", -1},
        {"&H10000000000000001", 1},
        {"x12", 0},
        {"abc", 0},
        {"-", 0},
        {".", 0},
        {"-.", 0},
        {"", 0},
        {"   ", 0},
        {"- 5", 0},
        {"0.1", 0.1},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"1e10", 1e10},
    };
    for (const auto& c : cases) EXPECT_EQ(parseNumber(c.text), c.expected) << "'" << c.text << "'";
}

TEST(ParseNumber, HugeExponentsSaturate) {
    EXPECT_EQ(parseNumber("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseNumber("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseNumber("1e-400"), 0.0);
    EXPECT_EQ(parseNumber("1e99999999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseNumber("1e-99999999999999999999999"), 0.0);
}

TEST(ParseNumber, MillionDigitPayloads) {
    const std::string million(1000000, '7');
    EXPECT_EQ(parseNumber(million), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseNumber("0." + std::string(1000000, '0') + "1"), 0.0);
    // Leading zeros of the fraction and the exponent balance out.
    EXPECT_EQ(parseNumber("0." + std::string(999999, '0') + "5e1000000"), 5.0);
    EXPECT_EQ(parseNumber(std::string(1000000, '0') + "42"), 42.0);
    EXPECT_EQ(parseNumber("1e" + million), std::numeric_limits<double>::infinity());
}

TEST(ParseNumber, DigitsPastWhatIsKeptStillRound) {
    // 2^53 + 1 lies halfway between two doubles: alone it rounds to even,
    // and any non-zero digit far behind it tips it upwards.
    const std::string halfway = "9007199254740993";
    EXPECT_EQ(parseNumber(halfway), 9007199254740992.0);
    EXPECT_EQ(parseNumber(halfway + "." + std::string(2000, '0')), 9007199254740992.0);
    EXPECT_EQ(parseNumber(halfway + "." + std::string(2000, '0') + "1"), 9007199254740994.0);
}

TEST(ParseNumber, AgreesWithTheLibraryOnOrdinaryNumbers) {
    for (const char* text : {"3.14159", "-0.000123", "6.02e23", "1.7976931348623157e308",
                             "4.9e-324", "2.2250738585072014e-308", "123.456e-7"})
        EXPECT_EQ(parseNumber(text), std::strtod(text, nullptr)) << text;
}

TEST(RoundToInt, HalvesGoToEven) {
    struct Case { double value; int32_t expected; };
    const std::vector<Case> cases = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {79.5, 80}, {-1.5, -2}, {-2.5, -2},
        {-0.5, 0}, {0.49999999999999994, 0}, {2.4, 2}, {-2.6, -3}, {0, 0},
        {2147483647.4, 2147483647}, {2147483647.5, INT32_MIN}, {-2147483648.5, INT32_MIN},
        {-2147483648.0, INT32_MIN}, {1e10, INT32_MIN}, {-1e10, INT32_MIN},
        {std::nan(""), INT32_MIN}, {std::numeric_limits<double>::infinity(), INT32_MIN},
        {-std::numeric_limits<double>::infinity(), INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(roundToInt(c.value), c.expected) << c.value;
    EXPECT_EQ(roundToInt(parseNumber("1e10")), INT32_MIN);
    EXPECT_EQ(roundToInt(2147483646.5), 2147483646);
}

TEST(FloorToInt, RoundsDown) {
    struct Case { double value; int32_t expected; };
    const std::vector<Case> cases = {
        {2.9, 2}, {-0.5, -1}, {-1, -1}, {0, 0}, {2147483647.9, 2147483647},
        {2147483648.0, INT32_MIN}, {-2147483648.0, INT32_MIN}, {-2147483648.5, INT32_MIN},
        {std::nan(""), INT32_MIN}, {1e300, INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(floorToInt(c.value), c.expected) << c.value;
}

TEST(Timer, FakeClockHoldsUntilTheRealOneIsBack) {
    setFakeClock(12.75);
    EXPECT_EQ(timerSeconds(), 12.75);
    EXPECT_EQ(timerSeconds(), 12.75);
    setFakeClock(-3);
    EXPECT_EQ(timerSeconds(), -3);
    useRealClock();
    double first = timerSeconds();
    double second = timerSeconds();
    EXPECT_GT(first, 0);
    EXPECT_GE(second, first);
}

}  // namespace
