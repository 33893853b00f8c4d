#include "policymath.h"

#include "schema.h"

namespace tolvaris {

std::optional<Money> netPremium(Money premium, const QString &netRatio) { return premium.percentOf(netRatio); }
std::optional<Money> feeOnPremium(Money premium, const QString &feeRatio) { return premium.percentOf(feeRatio); }
std::optional<Money> retainedShare(Money premium, const QString &retainedRatio)
{
    return premium.percentOf(retainedRatio);
}
std::optional<Money> feeOnNetPremium(Money net, const QString &feeOnNetRatio) { return net.percentOf(feeOnNetRatio); }

std::optional<PremiumSplit> splitPremium(Money premium, const QString &r1, const QString &r2, const QString &r3,
                                         const QString &r4)
{
    bool ok = true;
    auto apply = [&ok](auto formula, Money base, const QString &ratio) {
        if (ratio.trimmed().isEmpty()) return Money();
        const auto m = formula(base, ratio);
        if (!m) ok = false;
        return m.value_or(Money());
    };
    PremiumSplit s;
    s.net = apply(netPremium, premium, r1);
    s.feeOnPremium = apply(feeOnPremium, premium, r2);
    s.retained = apply(retainedShare, premium, r3);
    s.feeOnNet = apply(feeOnNetPremium, s.net, r4);
    if (!ok) return std::nullopt;
    return s;
}

bool amountsMatch(Money amount, Money reference) { return amount.roundedToCents() == reference.roundedToCents(); }

QString auditState(const std::array<bool, kAutoCheckCount> &ticked)
{
    for (bool t : ticked)
        if (!t) return kNotAudited;
    return kAudited;
}

QString auditState(const AutoCheckPairs &pairs)
{
    std::array<bool, kAutoCheckCount> ticked{};
    for (int i = 0; i < kAutoCheckCount; ++i) ticked[size_t(i)] = amountsMatch(pairs[size_t(i)].amount, pairs[size_t(i)].reference);
    return auditState(ticked);
}

QString premiumColumn(const QString &policyTable)
{
    if (policyTable == kMotorTable) return QStringLiteral("保险费合计");
    if (policyTable == kMarineTable) return QStringLiteral("保费");
    if (policyTable == kNonMotorTable) return QStringLiteral("保险费");
    return {};
}

std::array<CheckColumns, kAutoCheckCount> autoCheckColumns(const QString &policyTable)
{
    const QString p = premiumColumn(policyTable);
    if (p.isEmpty()) return {};
    const QString onPremium = QStringLiteral("按保费计算的费用");
    const QString onNet = QStringLiteral("按净保费计算的费用");
    return {{
        {QStringLiteral("实收保费"), p},
        {QStringLiteral("公司结费"), p},
        {QStringLiteral("按保费计算的公司退费"), onPremium},
        {QStringLiteral("净保费计算的公司退费"), onNet},
        {QStringLiteral("按保费计算的费用支付"), onPremium},
        {QStringLiteral("净保费计算的费用支付"), onNet},
        {QStringLiteral("自留1"), QStringLiteral("自留")},
    }};
}

} // namespace tolvaris
