#include "statement.h"

#include <QRegularExpression>

namespace tolvaris {

Statement &Statement::where(const QString &condition, const QVariantList &values)
{
    static const QRegularExpression whereRe(QStringLiteral("\\bwhere\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderRe(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orRe(QStringLiteral("\\bor\\b"), QRegularExpression::CaseInsensitiveOption);
    // The new condition goes before an "order by" and binds to the whole
    // existing condition, so an "or" there cannot widen what it admits.
    QString tail;
    const auto order = orderRe.match(text);
    if (order.hasMatch()) {
        tail = QLatin1Char(' ') + text.mid(order.capturedStart());
        text = text.left(order.capturedStart()).trimmed();
    }
    const auto w = whereRe.match(text);
    if (w.hasMatch()) {
        const QString existing = text.mid(w.capturedEnd()).trimmed();
        if (orRe.match(existing).hasMatch())
            text = text.left(w.capturedEnd()) + QStringLiteral(" (") + existing + QLatin1Char(')');
        text += QStringLiteral(" and ");
    } else {
        text += QStringLiteral(" where ");
    }
    text += condition + tail;
    params += values;
    return *this;
}

Statement &Statement::append(const QString &tail, const QVariantList &values)
{
    text += tail;
    params += values;
    return *this;
}

QString likeContains(const QString &text)
{
    QString t;
    t.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_') t += u'\\';
        t += c;
    }
    return QLatin1Char('%') + t + QLatin1Char('%');
}

QString tableOfStatement(const QString &sql)
{
    static const QRegularExpression re(QStringLiteral("\\bfrom\\s+(?:\"([^\"]+)\"|\\[([^\\]]+)\\]|([^\\s;,()]+))"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(sql);
    if (!m.hasMatch()) return {};
    for (int i = 1; i <= 3; ++i)
        if (!m.captured(i).isEmpty()) return m.captured(i);
    return {};
}

} // namespace tolvaris
