#include "capital.h"

#include <gtest/gtest.h>

using namespace tolvaris;

TEST(CapitalAmount, ReadsAmountsInFinancialForm)
{
    struct Case { const char *amount; const char *text; };
    const Case cases[] = {
        // The reference table.
        {"0", "零元整"}, {"", "零元整"}, {"0.05", "伍分"}, {"0.5", "伍角整"}, {"10", "壹拾元整"},
        {"10.05", "壹拾元零伍分"}, {"10.5", "壹拾元零伍角整"}, {"101", "壹佰零壹元整"}, {"1005", "壹仟零伍元整"},
        {"1234.56", "壹仟贰佰叁拾肆元伍角陆分"}, {"10010", "壹万零壹拾元整"}, {"300000", "叁拾万元整"},
        {"100010", "壹拾万零壹拾元整"}, {"1000000", "壹佰万元整"},
        // Zeros across group boundaries, decimals, rounding and sign.
        {"100000001", "壹亿零壹元整"}, {"100001000", "壹亿零壹仟元整"}, {"1010101010", "壹拾亿壹仟零壹拾万壹仟零壹拾元整"},
        {"20000000000", "贰佰亿元整"}, {"10000100", "壹仟万零壹佰元整"}, {"0.55", "伍角伍分"},
        {"25.5", "贰拾伍元伍角整"}, {"30.07", "叁拾元零柒分"}, {"0.004", "零元整"}, {"0.005", "壹分"},
        {"-1234.5", "负壹仟贰佰叁拾肆元伍角整"}, {"abc", "零元整"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(capitalAmountOfText(QString::fromUtf8(c.amount)), QString::fromUtf8(c.text)) << c.amount;
}
