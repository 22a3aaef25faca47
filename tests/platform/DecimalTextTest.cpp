#include "DecimalText.h"

#include <gtest/gtest.h>

#include <limits>

using platform::DecimalConversion;

TEST(DecimalConversion, TakesLeadingDigitsAfterBlanksAndSign) {
    EXPECT_EQ(DecimalConversion("50"), 50);
    EXPECT_EQ(DecimalConversion("  75"), 75);
    EXPECT_EQ(DecimalConversion("\t\n 12"), 12);
    EXPECT_EQ(DecimalConversion("120rows"), 120);
    EXPECT_EQ(DecimalConversion("-5"), -5);
    EXPECT_EQ(DecimalConversion("+7x"), 7);
    EXPECT_EQ(DecimalConversion("007"), 7);
}

TEST(DecimalConversion, NoDigitsGiveZero) {
    EXPECT_EQ(DecimalConversion(""), 0);
    EXPECT_EQ(DecimalConversion("abc"), 0);
    EXPECT_EQ(DecimalConversion("-"), 0);
    EXPECT_EQ(DecimalConversion("  +"), 0);
    EXPECT_EQ(DecimalConversion("- 5"), 0);
    EXPECT_EQ(DecimalConversion("0"), 0);
}

TEST(DecimalConversion, OutOfRangeHoldsAtTheLimit) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(DecimalConversion("2147483647"), kMax);
    EXPECT_EQ(DecimalConversion("2147483648"), kMax);
    EXPECT_EQ(DecimalConversion("99999999999999999999999999"), kMax);
    EXPECT_EQ(DecimalConversion("-2147483648"), kMin);
    EXPECT_EQ(DecimalConversion("-2147483649"), kMin);
    EXPECT_EQ(DecimalConversion("-99999999999999999999999999"), kMin);
}
