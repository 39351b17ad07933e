#include "model/money.h"

#include "support/environment.h"

#include <gtest/gtest.h>

#include <limits>

namespace tally {
namespace {

std::int64_t Count(std::string_view text, char sep = '.')
{
    auto money = MoneyFromText(text, sep);
    EXPECT_TRUE(money.has_value()) << text;
    return money ? money->Count : -999;
}

TEST(Money, TypedAmountsStayExact)
{
    EXPECT_EQ(Count("12.34"), 123400);
    EXPECT_EQ(Count("0.05"), 500);
    EXPECT_EQ(Count("0.1"), 1000);
    EXPECT_EQ(Count("-7.0001"), -70001);
    EXPECT_EQ(Count("  +3 "), 30000);
    EXPECT_EQ(Count("1234.0567"), 12340567);
    EXPECT_EQ(Count(".5"), 5000);
    EXPECT_EQ(Count("5."), 50000);
    EXPECT_EQ(Count("1.5e3"), 15000000);
    EXPECT_EQ(Count("25E-4"), 25);
    EXPECT_EQ(MoneyToText(Money {123400}, '.'), "12.34");
    EXPECT_EQ(MoneyToText(Money {500}, '.'), "0.05");
}

TEST(Money, RoundsToTheNearestCountTiesToEven)
{
    EXPECT_EQ(Count("0.00005"), 0);
    EXPECT_EQ(Count("0.00015"), 2);
    EXPECT_EQ(Count("0.00025"), 2);
    EXPECT_EQ(Count("0.000250001"), 3);
    EXPECT_EQ(Count("-0.00015"), -2);
    EXPECT_EQ(Count("0.00004999"), 0);
    EXPECT_EQ(Count("0.99995"), 10000);
    EXPECT_EQ(Count("1e-300"), 0);
}

TEST(Money, RejectsWhatIsNotANumberOrDoesNotFit)
{
    for (const char* text : {"", " ", "abc", "1.2.3", "1,5", "--1", "1e", "12a", "+", "."}) {
        EXPECT_FALSE(MoneyFromText(text, '.').has_value()) << text;
    }
    EXPECT_FALSE(MoneyFromText("922337203685478", '.').has_value());
    EXPECT_FALSE(MoneyFromText("1e400", '.').has_value());
    EXPECT_EQ(Count("922337203685477.5807"), INT64_MAX);
    EXPECT_EQ(Count("-922337203685477.5808"), INT64_MIN);
}

TEST(Money, ShortestTextWithAtMostFifteenDigits)
{
    EXPECT_EQ(MoneyToText(Money {0}, '.'), "0");
    EXPECT_EQ(MoneyToText(Money {125000}, '.'), "12.5");
    EXPECT_EQ(MoneyToText(Money {-5}, '.'), "-0.0005");
    EXPECT_EQ(MoneyToText(Money {12345678901234567}, '.'), "1234567890123.46");
    EXPECT_EQ(MoneyToText(Money {INT64_MAX}, '.'), "922337203685478");
    EXPECT_EQ(MoneyToText(Money {INT64_MIN}, '.'), "-922337203685478");
    EXPECT_EQ(MoneyToText(Money {99999999999999995}, '.'), "10000000000000");
}

TEST(Money, TextRoundTripsEveryCount)
{
    for (std::int64_t count : {0LL, 1LL, -1LL, 9999LL, 10001LL, 123456789LL, -4000000000000LL}) {
        auto back = MoneyFromText(MoneyToText(Money {count}, ','), ',');
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->Count, count);
    }
}

TEST(Money, UsesTheUsersDecimalSeparator)
{
    test::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.Ok());
    auto money = MoneyFromText("12,34");
    ASSERT_TRUE(money.has_value());
    EXPECT_EQ(money->Count, 123400);
    EXPECT_FALSE(MoneyFromText("12.34").has_value());
    EXPECT_EQ(MoneyToText(Money {125000}), "12,5");
}

TEST(Money, DataFileDoublesConvertByRounding)
{
    EXPECT_EQ(MoneyFromDouble(12.34).Count, 123400);
    EXPECT_EQ(MoneyFromDouble(0.1 + 0.2).Count, 3000);
    EXPECT_EQ(MoneyFromDouble(std::numeric_limits<double>::quiet_NaN()).Count, 0);
    EXPECT_EQ(MoneyFromDouble(1e300).Count, INT64_MAX);
    EXPECT_EQ(MoneyFromDouble(-1e300).Count, INT64_MIN);
    EXPECT_DOUBLE_EQ(MoneyToDouble(Money {123400}), 12.34);
}

} // namespace
} // namespace tally
