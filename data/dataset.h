#pragma once
// A dataset: the rows of one statement held compactly in memory, a current
// row, and browse/edit/insert states. Rows are written back one at a time
// (post) to the table the statement selects from, by its key column, and the
// held rows are kept in step without reloading.
#include "connection.h"
#include "money.h"
#include "schema.h"
#include "statement.h"
#include "values.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <memory>
#include <vector>

namespace tolvaris {

class RowStore;

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    static constexpr int kRecId = -2;  // column index of the calculated row number

    explicit Dataset(QString name, Statement design = {}, QObject *parent = nullptr);
    ~Dataset() override;

    const QString &name() const { return name_; }
    void setConnection(Connection *c);  // closes the dataset
    Connection *connection() const { return conn_; }

    // The statement: close, replace, open keeps it with the dataset.
    void setStatement(const Statement &st);  // closes the dataset first
    const Statement &statement() const { return stmt_; }
    void reopen(const Statement &st) { setStatement(st); open(); }
    void open();
    // Opens with the statement's columns but none of its rows, for a window
    // that only appends: the statement stays as it is for the next reopen.
    void openForAppend();
    void close();
    bool isActive() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    // Columns of the result; names compare case-insensitively, "RecID" is kRecId.
    int columnCount() const { return int(cols_.size()); }
    const QString &columnName(int c) const { return cols_[size_t(c)].name; }
    ColType columnType(int c) const { return c == kRecId ? ColType::Integer : cols_[size_t(c)].type; }
    int columnIndex(const QString &name) const;  // -1 when absent
    const TableDef *table() const { return table_; }

    // Rows and the current row (0-based index; -1 when there is none).
    int recordCount() const;
    int currentRow() const { return cur_; }
    int recNo() const;  // 1-based position, -1 for an unposted appended row
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void first();
    void last();
    void next();
    void prior();
    bool moveTo(int row);  // false when out of range
    // 1-based position; 1 for rows appended since the dataset was opened.
    int recId(int row) const;

    // Cell access on any row (the current row's edit buffer while editing).
    QVariant cell(int row, int col) const;          // stored value
    bool isNull(int row, int col) const;
    QString displayText(int row, int col) const;    // grid text
    Money moneyAt(int row, int col) const;
    qint64 intAt(int row, int col) const;            // 0 for NULL

    // Field access on the current row, by column name.
    QVariant value(const QString &col) const;
    QString text(const QString &col) const;          // editor text (see values.h)
    Money money(const QString &col) const;
    QDate date(const QString &col) const;
    bool flag(const QString &col) const;
    bool fieldIsNull(const QString &col) const;

    // Setting fields requires the edit or insert state. Text goes through the
    // column's codec and throws ValueError when it cannot be stored.
    void setText(const QString &col, const QString &text, const QString &field = {});
    void setValue(const QString &col, const QVariant &stored);
    void setMoney(const QString &col, Money m);
    void setDate(const QString &col, const QDate &d);
    void setFlag(const QString &col, bool on);

    void edit();
    void append();
    void post();      // insert or update one row by key; throws DbError
    void cancel();
    void remove();    // deletes the current row from the table and the dataset

signals:
    void opened();
    void closed();
    void rowInserted(int row);
    void rowChanged(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void stateChanged();

private:
    struct Col {
        QString name;
        ColType type;
        const ColumnDef *def;
    };
    int requireColumn(const QString &col) const;
    void requireEditing(const char *what) const;
    void requireTable() const;
    void setCurrent(int row);
    void setState(State s);
    void checkBrowse();
    QVariant rowCell(int row, int col) const;
    void openRows(bool withRows);

    QString name_;
    Statement stmt_;
    Connection *conn_ = nullptr;
    const TableDef *table_ = nullptr;
    QString tableName_;
    int keyCol_ = -1;
    std::vector<Col> cols_;
    QHash<QString, int> colIndex_;
    QHash<QString, int> exactIndex_;   // as the result names them: no case folding on the common path
    QStringList quoted_;
    std::vector<QByteArray> colNames_;
    std::unique_ptr<RowStore> rows_;
    int cur_ = -1;
    bool bof_ = true, eof_ = true;
    State state_ = State::Inactive;
    QVariantList buffer_;          // edit buffer of the current row
    std::vector<bool> modified_;   // columns set since edit()/append()
};

} // namespace tolvaris
