#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "command/number_rules.h"

namespace mk {
namespace {

struct AtoFCase {
    std::string text;
    double expected;
};

TEST(NumberRules, AtoFTakesTheLongestDecimalPrefix) {
    const AtoFCase cases[] = {
        {"720", 720.0},     {"  \t\n\v\f\r576", 576.0},
        {"395.9", 395.9},   {"-0.5", -0.5},
        {"+3", 3.0},        {".5", 0.5},
        {"5.", 5.0},        {"1e3", 1000.0},
        {"2E-2", 0.02},     {"1.5e+2px", 150.0},
        {"1e", 1.0},  // an exponent needs digits, else the number ends before "e"
        {"1e+", 1.0},       {"7e-x", 7.0},
        {"640x352", 640.0}, {"352 [PAR 1:1 DAR 20:11]", 352.0},
        {"1,5", 1.0},  // never a locale's decimal comma
        {"", 0.0},          {"abc", 0.0},
        {".", 0.0},         {"-", 0.0},
        {"- 5", 0.0},       {"x576", 0.0},
        {"0x10", 0.0},  // decimal only
        {"inf", 0.0},       {"1e-400", 0.0},
        {"00012.50", 12.5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AtoF(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberRules, AtoFOverflowGivesInfinityAndStaysInsideTheView) {
    EXPECT_EQ(AtoF("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(AtoF("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(AtoF("0.0001e-99999999999999"), 0.0);
    EXPECT_EQ(AtoF("1e99999999999999999999"), std::numeric_limits<double>::infinity());
    // A view into a longer buffer: the digits behind its end must not count.
    const std::string buffer = "123456";
    EXPECT_EQ(AtoF(std::string_view(buffer).substr(0, 3)), 123.0);
    const std::string exponent = "2e15";
    EXPECT_EQ(AtoF(std::string_view(exponent).substr(0, 2)), 2.0);
}

TEST(NumberRules, TruncateGoesTowardZeroAndSaturates) {
    const struct {
        double value;
        int expected;
    } cases[] = {
        {395.9, 395},
        {-0.5, 0},
        {-395.9, -395},
        {2147483647.9, INT_MAX},
        {2147483648.0, INT_MAX},
        {1e300, INT_MAX},
        {-2147483648.9, INT_MIN},
        {-2147483649.0, INT_MIN},
        {std::numeric_limits<double>::infinity(), INT_MAX},
        {-std::numeric_limits<double>::infinity(), INT_MIN},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TruncateToInt(c.value), c.expected) << c.value;
    }
}

TEST(NumberRules, IntToTextIsPlainDecimal) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-1), "-1");
    EXPECT_EQ(IntToText(720), "720");
    EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
}

TEST(NumberRules, WholeMeansFractionalPartWithinOneThousandth) {
    EXPECT_TRUE(IsWhole(2.0));
    EXPECT_TRUE(IsWhole(2.0009));
    EXPECT_TRUE(IsWhole(-3.0009));
    EXPECT_FALSE(IsWhole(2.0011));
    EXPECT_FALSE(IsWhole(0.5));
    // modf, not rounding: just below a whole number is not whole.
    EXPECT_FALSE(IsWhole(2.9995));
    EXPECT_FALSE(IsWhole(std::nan("")));
}

TEST(NumberRules, RoundUpToEven) {
    const struct {
        int a;
        int expected;
    } cases[] = {
        {7, 8},
        {8, 8},
        {-3, -2},
        {45, 46},
        {0, 0},
        {-4, -4},
        {INT_MIN, INT_MIN},
        {INT_MAX - 1, INT_MAX - 1},
        {INT_MAX, INT_MAX - 1},  // no even int above it: the largest one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundUpToEven(c.a), c.expected) << c.a;
    }
}

TEST(NumberRules, RoundUpToMultipleOf4) {
    const struct {
        int a;
        int expected;
    } cases[] = {
        {409, 412},
        {405, 408},
        {396, 396},
        {-3, 0},
        {281, 284},
        {721, 724},
        {0, 0},
        {-5, -4},
        {INT_MIN, INT_MIN},
        {INT_MAX - 3, INT_MAX - 3},
        {INT_MAX - 2, INT_MAX - 3},  // no multiple of 4 above it fits
        {INT_MAX, INT_MAX - 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundUpToMultipleOf4(c.a), c.expected) << c.a;
    }
}

}  // namespace
}  // namespace mk
