#include "money.h"

#include <gtest/gtest.h>

using namespace tolvaris;

TEST(Money, ParsePlainAndDisplay)
{
    struct Case { const char *in; const char *plain; const char *display; };
    const Case cases[] = {
        {"", "", "0.00"},
        {"0", "", "0.00"},
        {"800", "800", "800.00"},
        {"12.5", "12.5", "12.50"},
        {"41.66625", "41.67", "41.67"},
        {"1234567.891", "1234567.89", "1,234,567.89"},
        {"-0.005", "-0.01", "-0.01"},
        {"  7.10 ", "7.1", "7.10"},
        {".5", "0.5", "0.50"},
    };
    for (const auto &c : cases) {
        const auto m = Money::parse(QString::fromUtf8(c.in));
        ASSERT_TRUE(m.has_value()) << c.in;
        EXPECT_EQ(m->plainText(), QString::fromUtf8(c.plain)) << c.in;
        EXPECT_EQ(m->displayText(), QString::fromUtf8(c.display)) << c.in;
    }
    for (const char *bad : {"abc", "1.2.3", "1,000", "-", ".", "1e5", "１２"})
        EXPECT_FALSE(Money::parse(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(Money, PercentOfRoundsHalfAwayFromZero)
{
    EXPECT_EQ(Money::parse(QStringLiteral("333.33"))->percentOf(QStringLiteral("12.5"))->plainText(), QStringLiteral("41.67"));
    EXPECT_EQ(Money::fromWhole(1000).percentOf(QStringLiteral("80"))->plainText(), QStringLiteral("800"));
    EXPECT_EQ(Money::fromWhole(-1).percentOf(QStringLiteral("0.5"))->plainText(), QStringLiteral("-0.01"));
    EXPECT_FALSE(Money::fromWhole(1).percentOf(QStringLiteral(".")).has_value());
}
