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

QString capitalAmountText(Money amount)
{
    static const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    static const QString units[4] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟")};

    const qint64 cents = amount.roundedToCents().units() / 100;
    const quint64 a = cents < 0 ? quint64(-cents) : quint64(cents);
    const quint64 whole = a / 100;
    const int jiao = int(a / 10 % 10);
    const int fen = int(a % 10);

    // The integer part, high digit first; a run of zeros before a non-zero
    // digit reads as one 零; 万 follows a group that holds a digit, 亿 always
    // follows its group once anything stands before it (壹万亿, not 壹万).
    QString integer;
    if (whole > 0) {
        const QString d = QString::number(whole);
        bool pendingZero = false, groupHasDigit = false;
        for (int i = 0; i < d.size(); ++i) {
            const int pos = int(d.size()) - 1 - i;  // power of ten
            const int digit = d[i].unicode() - u'0';
            if (digit == 0) {
                if (!integer.isEmpty()) pendingZero = true;
            } else {
                if (pendingZero) integer += digits[0];
                pendingZero = false;
                integer += digits[digit] + units[pos % 4];
                groupHasDigit = true;
            }
            if (pos == 8 && !integer.isEmpty()) integer += QStringLiteral("亿");
            else if ((pos == 4 || pos == 12) && groupHasDigit) integer += QStringLiteral("万");
            if (pos % 4 == 0) groupHasDigit = false;
        }
    }

    QString out = cents < 0 ? QStringLiteral("负") : QString();
    const QString zheng = QStringLiteral("整");
    if (whole == 0) {
        if (jiao == 0 && fen == 0) return out + QStringLiteral("零元整");
        if (jiao) out += digits[jiao] + QStringLiteral("角");
        return out + (fen ? digits[fen] + QStringLiteral("分") : zheng);
    }
    out += integer + QStringLiteral("元");
    if (jiao == 0 && fen == 0) return out + zheng;
    if (jiao == 0) return out + digits[0] + digits[fen] + QStringLiteral("分");
    if (whole % 10 == 0) out += digits[0];
    out += digits[jiao] + QStringLiteral("角");
    return out + (fen ? digits[fen] + QStringLiteral("分") : zheng);
}

} // namespace tolvaris
