#include "lookup.h"

namespace tolvaris {

QStringList columnValues(Connection &c, const Statement &st, const QString &column)
{
    Query q(c, st.text);
    q.bindAll(st.params);
    int col = -1;
    for (int i = 0; i < q.columnCount(); ++i)
        if (q.columnName(i).compare(column, Qt::CaseInsensitive) == 0) col = i;
    if (col < 0) throw DbError(QStringLiteral("查询结果中没有字段“%1”").arg(column));
    QStringList out;
    while (q.step()) out << q.text(col);
    return out;
}

} // namespace tolvaris
