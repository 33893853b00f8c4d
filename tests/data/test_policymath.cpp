#include "policymath.h"
#include "schema.h"

#include <gtest/gtest.h>

using namespace tolvaris;

namespace {
Money m(const char *text) { return *Money::parse(QString::fromUtf8(text)); }
QString s(const char *text) { return QString::fromUtf8(text); }
} // namespace

TEST(PolicyMath, PremiumSplit)
{
    struct Case { const char *p, *r1, *r2, *r3, *r4, *net, *fee, *retained, *feeOnNet; };
    const Case cases[] = {
        {"1000", "80", "", "", "10", "800", "", "", "80"},
        {"2000", "80", "", "", "10", "1600", "", "", "160"},          // premium changed, N carries into r4
        {"100", "80", "", "", "10", "80", "", "", "8"},
        {"333.33", "", "12.5", "12.5", "", "", "41.67", "41.67", ""},  // 41.66625 rounds half away from zero
        {"1000", "85", "10", "3", "8", "850", "100", "30", "68"},
        {"", "80", "10", "3", "8", "", "", "", ""},                      // no premium: nothing to split
    };
    for (const auto &c : cases) {
        const auto split = splitPremium(m(c.p), s(c.r1), s(c.r2), s(c.r3), s(c.r4));
        ASSERT_TRUE(split.has_value()) << c.p;
        EXPECT_EQ(split->net.plainText(), s(c.net)) << c.p;
        EXPECT_EQ(split->feeOnPremium.plainText(), s(c.fee)) << c.p;
        EXPECT_EQ(split->retained.plainText(), s(c.retained)) << c.p;
        EXPECT_EQ(split->feeOnNet.plainText(), s(c.feeOnNet)) << c.p;
    }
    EXPECT_EQ(feeOnNetPremium(m("800"), s("10"))->plainText(), s("80"));
    EXPECT_FALSE(netPremium(m("1000"), s(".")).has_value());
    EXPECT_FALSE(splitPremium(m("1000"), s("80"), s("."), s(""), s("")).has_value());
}

TEST(PolicyMath, AutomaticChecksAndAuditState)
{
    EXPECT_TRUE(amountsMatch(Money(), Money()));                 // two empty amounts are equal
    EXPECT_TRUE(amountsMatch(m("0.004"), Money()));              // reads "" like the empty one
    EXPECT_TRUE(amountsMatch(m("800.004"), m("800")));
    EXPECT_FALSE(amountsMatch(m("800.005"), m("800")));          // reads 800.01
    EXPECT_FALSE(amountsMatch(m("800"), Money()));

    AutoCheckPairs all{};
    for (int i = 0; i < kAutoCheckCount; ++i) all[size_t(i)] = {m("1000"), m("1000")};
    all[size_t(AutoCheck::CompanyRefundOnNet)] = {Money(), Money()};
    EXPECT_EQ(auditState(all), s("已审核"));
    for (int i = 0; i < kAutoCheckCount; ++i) {
        AutoCheckPairs one = all;
        one[size_t(i)].amount = one[size_t(i)].amount + m("0.01");
        EXPECT_EQ(auditState(one), s("未审核")) << i;
    }
}

TEST(PolicyMath, CheckColumnsExistInEveryPolicyTable)
{
    for (const QString &table : {kMotorTable, kMarineTable, kNonMotorTable}) {
        const TableDef *t = findTable(table);
        ASSERT_NE(t, nullptr);
        ASSERT_NE(t->column(premiumColumn(table)), nullptr) << table.toStdString();
        for (const auto &c : autoCheckColumns(table)) {
            EXPECT_NE(t->column(c.amount), nullptr) << c.amount.toStdString();
            EXPECT_NE(t->column(c.reference), nullptr) << c.reference.toStdString();
        }
    }
    EXPECT_TRUE(autoCheckColumns(QStringLiteral("khgx"))[0].amount.isEmpty());
}
