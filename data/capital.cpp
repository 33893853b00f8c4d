#include "capital.h"

namespace tolvaris {

namespace {

const QChar kDigits[] = {u'零', u'壹', u'贰', u'叁', u'肆', u'伍', u'陆', u'柒', u'捌', u'玖'};
const QChar kUnits[] = {QChar(), u'拾', u'佰', u'仟'};
const char16_t *const kGroups[] = {u"", u"万", u"亿", u"万亿"};

// One group of four digits; zeros between non-zero digits read as one 零,
// trailing zeros are silent.
QString readGroup(int g)
{
    QString s;
    bool zero = false;
    for (int pos = 3; pos >= 0; --pos) {
        int p10 = 1;
        for (int i = 0; i < pos; ++i) p10 *= 10;
        const int d = (g / p10) % 10;
        if (d == 0) {
            zero = !s.isEmpty();
            continue;
        }
        if (zero) s += kDigits[0];
        zero = false;
        s += kDigits[d];
        if (!kUnits[pos].isNull()) s += kUnits[pos];
    }
    return s;
}

QString readInteger(quint64 n)
{
    int groups[4] = {};
    int count = 0;
    while (n > 0 && count < 4) {
        groups[count++] = int(n % 10000);
        n /= 10000;
    }
    QString s;
    bool pendingZero = false;
    for (int k = count - 1; k >= 0; --k) {
        const int g = groups[k];
        if (g == 0) {
            pendingZero = !s.isEmpty();
            continue;
        }
        // A group after a zero group, or one with a leading zero, starts with 零.
        if (!s.isEmpty() && (pendingZero || g < 1000)) s += kDigits[0];
        s += readGroup(g);
        s += QString::fromUtf16(kGroups[k]);
        pendingZero = false;
    }
    return s;
}

} // namespace

QString capitalAmount(Money amount)
{
    qint64 cents = amount.roundedToCents().units() / 100;
    QString sign;
    if (cents < 0) {
        sign = QStringLiteral("负");
        cents = -cents;
    }
    const quint64 yuan = quint64(cents) / 100;
    const int jiao = int(cents / 10 % 10);
    const int fen = int(cents % 10);
    if (yuan == 0) {
        if (jiao == 0 && fen == 0) return QStringLiteral("零元整");
        QString s = sign;
        if (jiao) s += kDigits[jiao] + QStringLiteral("角");
        if (fen) s += kDigits[fen] + QStringLiteral("分");
        else s += QStringLiteral("整");
        return s;
    }
    QString s = sign + readInteger(yuan) + QStringLiteral("元");
    if (jiao == 0 && fen == 0) return s + QStringLiteral("整");
    if (jiao == 0) return s + kDigits[0] + kDigits[fen] + QStringLiteral("分");
    if (yuan % 10 == 0) s += kDigits[0];
    s += kDigits[jiao] + QStringLiteral("角");
    return fen ? s + kDigits[fen] + QStringLiteral("分") : s + QStringLiteral("整");
}

QString capitalAmountOfText(const QString &text)
{
    return capitalAmount(Money::parse(text).value_or(Money()));
}

} // namespace tolvaris
