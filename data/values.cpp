#include "values.h"

namespace tolvaris {

QString dateToStorage(const QDate &d)
{
    return d.isValid() ? d.toString(kDateFormat) : kZeroDateText;
}

QDate dateFromStorage(const QVariant &stored)
{
    if (stored.isNull() || !stored.isValid()) return {};
    const QString s = stored.toString();
    if (s.size() < 10 || s.startsWith(kZeroDateText)) return {};
    return QDate::fromString(s.left(10), kDateFormat);
}

QString dateText(const QDate &d)
{
    return d.isValid() ? d.toString(kDateFormat) : QString();
}

std::optional<qint64> parseWholeNumber(const QString &text, bool *ok)
{
    const QString t = text.trimmed();
    *ok = true;
    if (t.isEmpty()) return std::nullopt;
    int i = 0;
    if (t[0] == u'-' || t[0] == u'+') i = 1;
    if (i == t.size() || t.size() - i > 10) { *ok = false; return std::nullopt; }
    for (int j = i; j < t.size(); ++j)
        if (t[j] < u'0' || t[j] > u'9') { *ok = false; return std::nullopt; }
    const qint64 v = t.toLongLong(ok);
    // Integer columns hold 32-bit values.
    if (!*ok || v > 2147483647LL || v < -2147483648LL) { *ok = false; return std::nullopt; }
    return v;
}

QVariant storageFromText(const ColumnDef &col, const QString &text, const QString &field)
{
    const QString name = field.isEmpty() ? col.name : field;
    switch (col.type) {
    case ColType::Text:
        return col.length > 0 && text.size() > col.length ? text.left(col.length) : text;
    case ColType::Memo:
        return text;
    case ColType::AutoNumber:
    case ColType::Integer: {
        bool ok = false;
        const auto v = parseWholeNumber(text, &ok);
        if (!ok) throw ValueError(QStringLiteral("%1：“%2”不是整数，无法保存。").arg(name, text));
        return v ? QVariant(*v) : QVariant();
    }
    case ColType::Currency: {
        const auto m = Money::parse(text);
        if (!m) throw ValueError(QStringLiteral("%1：“%2”不是有效的金额，无法保存。").arg(name, text));
        return moneyToStorage(*m);
    }
    case ColType::Date: {
        const QString t = text.trimmed();
        if (t.isEmpty()) return kZeroDateText;
        const QDate d = QDate::fromString(t, kDateFormat);
        if (!d.isValid()) throw ValueError(QStringLiteral("%1：“%2”不是有效的日期，无法保存。").arg(name, text));
        return dateToStorage(d);
    }
    case ColType::YesNo: {
        const QString t = text.trimmed().toLower();
        return qint64(t == QLatin1String("1") || t == QLatin1String("true") || t == QStringLiteral("是"));
    }
    }
    return text;
}

Money moneyFromStorage(const QVariant &stored)
{
    if (stored.isNull() || !stored.isValid()) return {};
    switch (stored.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return Money::fromUnits(stored.toLongLong());
    default:
        // Text-stored amounts (the non-motor table keeps two amounts as text).
        return Money::parse(stored.toString()).value_or(Money());
    }
}

QVariant moneyToStorage(Money m)
{
    const Money r = m.roundedToCents();
    return r.isZero() ? QVariant() : QVariant(r.units());
}

QString editTextFromStorage(ColType type, const QVariant &stored)
{
    switch (type) {
    case ColType::Currency: return moneyFromStorage(stored).plainText();
    case ColType::Date: return dateText(dateFromStorage(stored));
    case ColType::YesNo: return stored.toLongLong() != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case ColType::Integer:
    case ColType::AutoNumber: return stored.isNull() ? QString() : QString::number(stored.toLongLong());
    default: return stored.isNull() ? QString() : stored.toString();
    }
}

QString displayTextFromStorage(ColType type, const QVariant &stored)
{
    switch (type) {
    case ColType::Currency: return stored.isNull() ? QString() : moneyFromStorage(stored).displayText();
    case ColType::YesNo: return stored.toLongLong() != 0 ? QStringLiteral("是") : QStringLiteral("否");
    default: return editTextFromStorage(type, stored);
    }
}

} // namespace tolvaris
