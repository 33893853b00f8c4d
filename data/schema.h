#pragma once
// The one declaration of every table: the CREATE statements, the value
// codecs, the grid column kinds and the export all read it.
#include <QString>
#include <QStringList>
#include <vector>

namespace tolvaris {

enum class ColType {
    AutoNumber,  // INTEGER PRIMARY KEY AUTOINCREMENT
    Text,        // TEXT, at most `length` characters
    Memo,        // TEXT, any length
    Integer,     // INTEGER, whole numbers only
    YesNo,       // INTEGER 0/1, NULL reads as false
    Date,        // TEXT yyyy-MM-dd, 1899-12-30 is the empty date
    Currency,    // INTEGER ten-thousandths, NULL for an empty amount
};

struct ColumnDef {
    QString name;
    ColType type = ColType::Text;
    int length = 0;          // Text only
    QString defaultSql;      // default clause value, empty for none
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    QStringList indexes;     // each entry: comma-separated column list

    const ColumnDef *column(const QString &name) const;  // case-insensitive
    int columnIndex(const QString &name) const;           // -1 when absent
    const ColumnDef &key() const { return columns.front(); }
};

constexpr int kSchemaVersion = 1;

const std::vector<TableDef> &allTables();
const TableDef *findTable(const QString &name);  // case-insensitive

// Table names of the three policy tables.
inline const QString kMotorTable = QStringLiteral("车险投保单");
inline const QString kMarineTable = QStringLiteral("水险投保单");
inline const QString kNonMotorTable = QStringLiteral("个贷投保单");

QString createTableSql(const TableDef &t);
QStringList createIndexSql(const TableDef &t);
QString quoteIdent(const QString &name);

} // namespace tolvaris
