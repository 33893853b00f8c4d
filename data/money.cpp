#include "money.h"

namespace tolvaris {

namespace {

__int128 divRoundHalfAway(__int128 num, __int128 den)
{
    if (den < 0) { num = -num; den = -den; }
    const bool neg = num < 0;
    __int128 a = neg ? -num : num;
    __int128 q = a / den;
    if ((a % den) * 2 >= den) ++q;
    return neg ? -q : q;
}

constexpr qint64 pow10(int n)
{
    qint64 r = 1;
    while (n-- > 0) r *= 10;
    return r;
}

} // namespace

std::optional<Decimal> Decimal::parse(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) { neg = t[i] == u'-'; ++i; }
    qint64 mant = 0;
    int scale = 0, digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.') {
            if (point) return std::nullopt;
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9') return std::nullopt;
        if (mant == 0 && c == u'0' && !point) continue;  // leading zeros
        if (++digits > 18) return std::nullopt;
        mant = mant * 10 + (c.unicode() - u'0');
        if (point) ++scale;
    }
    // A lone point or a bare sign is not a number.
    if (t.isEmpty() || t == QLatin1String(".") || t == QLatin1String("-") || t == QLatin1String("+")
        || t == QLatin1String("-.") || t == QLatin1String("+."))
        return std::nullopt;
    Decimal d;
    d.mantissa = neg ? -mant : mant;
    d.scale = scale;
    return d;
}

std::optional<Money> Money::parse(const QString &text)
{
    if (text.trimmed().isEmpty()) return Money();
    auto d = Decimal::parse(text);
    if (!d) return std::nullopt;
    __int128 v = d->mantissa;
    if (d->scale <= 4) v *= pow10(4 - d->scale);
    else v = divRoundHalfAway(v, pow10(d->scale - 4));
    if (v > std::numeric_limits<qint64>::max() / 2 || v < -(std::numeric_limits<qint64>::max() / 2))
        return std::nullopt;
    return fromUnits(qint64(v));
}

Money Money::roundedToCents() const
{
    return fromUnits(qint64(divRoundHalfAway(v_, 100) * 100));
}

QString Money::fixedText() const
{
    const qint64 cents = qint64(divRoundHalfAway(v_, 100));
    const quint64 a = cents < 0 ? quint64(-cents) : quint64(cents);
    QString s = QString::number(a / 100) + QLatin1Char('.');
    const int frac = int(a % 100);
    s += QLatin1Char(char('0' + frac / 10));
    s += QLatin1Char(char('0' + frac % 10));
    return cents < 0 ? QLatin1Char('-') + s : s;
}

QString Money::plainText() const
{
    const qint64 cents = qint64(divRoundHalfAway(v_, 100));
    if (cents == 0) return QString();
    const quint64 a = cents < 0 ? quint64(-cents) : quint64(cents);
    QString s = QString::number(a / 100);
    const int frac = int(a % 100);
    if (frac != 0) {
        s += QLatin1Char('.');
        s += QLatin1Char(char('0' + frac / 10));
        if (frac % 10) s += QLatin1Char(char('0' + frac % 10));
    }
    return cents < 0 ? QLatin1Char('-') + s : s;
}

QString Money::displayText() const
{
    // Built backwards in a small buffer: grids format many of these.
    const qint64 cents = qint64(divRoundHalfAway(v_, 100));
    quint64 a = cents < 0 ? quint64(-cents) : quint64(cents);
    char buf[40];
    char *p = buf + sizeof buf;
    *--p = char('0' + a % 10);
    a /= 10;
    *--p = char('0' + a % 10);
    a /= 10;
    *--p = '.';
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--p = ',';
        *--p = char('0' + a % 10);
        a /= 10;
        ++digits;
    } while (a > 0);
    if (cents < 0) *--p = '-';
    return QString::fromLatin1(p, int(buf + sizeof buf - p));
}

std::optional<Money> Money::percentOf(const QString &percent) const
{
    auto d = Decimal::parse(percent);
    if (!d) return std::nullopt;
    // v × m / 10^scale / 100, rounded to cents: work in cents of the result.
    const __int128 num = __int128(v_) * d->mantissa;
    const __int128 den = __int128(pow10(d->scale)) * 100 * 100;  // → cents
    const __int128 cents = divRoundHalfAway(num, den);
    return fromUnits(qint64(cents * 100));
}

} // namespace tolvaris
