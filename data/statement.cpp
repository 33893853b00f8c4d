#include "statement.h"

#include <QRegularExpression>

namespace tolvaris {

Statement &Statement::where(const QString &condition, const QVariantList &values)
{
    static const QRegularExpression hasWhere(QStringLiteral("\\bwhere\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    text += hasWhere.match(text).hasMatch() ? QStringLiteral(" and ") : QStringLiteral(" where ");
    text += condition;
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
