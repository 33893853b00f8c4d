#pragma once
// Policy arithmetic shared by the accounts tab and the demo generator: the
// premium split, the automatic settlement checks and the audit state.
// Pure functions over Money; no widgets, no database.
#include "appstate.h"  // kAudited, kNotAudited
#include "money.h"

#include <QString>
#include <array>
#include <optional>

namespace tolvaris {

// The four split formulas. Ratios are percentages as typed ("12.5"); the
// result is rounded to cents; nullopt when the ratio is not a number.
std::optional<Money> netPremium(Money premium, const QString &netRatio);           // P × r1 / 100
std::optional<Money> feeOnPremium(Money premium, const QString &feeRatio);         // P × r2 / 100
std::optional<Money> retainedShare(Money premium, const QString &retainedRatio);   // P × r3 / 100
std::optional<Money> feeOnNetPremium(Money net, const QString &feeOnNetRatio);     // N × r4 / 100

struct PremiumSplit {
    Money net;
    Money feeOnPremium;
    Money retained;
    Money feeOnNet;
};
// All four amounts from a premium and four ratios, the fee on the net premium
// taken from the computed net premium. An empty ratio gives a zero amount;
// nullopt when a non-empty ratio is not a number.
std::optional<PremiumSplit> splitPremium(Money premium, const QString &r1, const QString &r2, const QString &r3,
                                         const QString &r4);

// An automatic check: the amount equals its reference when both read the
// same with two decimals, so two empty (zero) amounts are equal.
bool amountsMatch(Money amount, Money reference);

// The seven settlement steps with an automatic check, in screen order.
enum class AutoCheck {
    PremiumReceived,          // 实收保费 vs the premium
    CompanySettlement,        // 公司结费 vs the premium
    CompanyRefundOnPremium,   // 按保费计算的公司退费 vs 按保费计算的费用
    CompanyRefundOnNet,       // 净保费计算的公司退费 vs 按净保费计算的费用
    FeePaidOnPremium,         // 按保费计算的费用支付 vs 按保费计算的费用
    FeePaidOnNet,             // 净保费计算的费用支付 vs 按净保费计算的费用
    Retained,                 // 自留1 vs 自留
};
constexpr int kAutoCheckCount = 7;

struct CheckPair {
    Money amount;
    Money reference;
};
using AutoCheckPairs = std::array<CheckPair, kAutoCheckCount>;  // indexed by AutoCheck

// "已审核" when every check holds, else "未审核".
QString auditState(const std::array<bool, kAutoCheckCount> &ticked);
QString auditState(const AutoCheckPairs &pairs);

struct CheckColumns {
    QString amount;
    QString reference;
};
// The amount and reference column of each automatic check in a policy table
// (the premium column differs per table); empty names for another table.
std::array<CheckColumns, kAutoCheckCount> autoCheckColumns(const QString &policyTable);
// The premium column of a policy table: 保险费合计, 保费 or 保险费.
QString premiumColumn(const QString &policyTable);

} // namespace tolvaris
