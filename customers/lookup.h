#pragma once
// Reading one column of a small table into a selector's list.
#include "connection.h"
#include "statement.h"

#include <QStringList>

namespace tolvaris {

// The values of `column` in the rows `st` selects, in the order it returns
// them (NULL as ""). The column is found by name, case-insensitively.
QStringList columnValues(Connection &c, const Statement &st, const QString &column);

} // namespace tolvaris
