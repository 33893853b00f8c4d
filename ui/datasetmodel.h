#pragma once
// The table model behind every data grid: a column list over a Dataset, read
// lazily cell by cell (nothing is copied out of the dataset), rows in the
// order of the row number "序号", the colours of cancelled rows and the
// footer's counts and sums.
#include "dataset.h"
#include "money.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPointer>
#include <vector>

namespace tolvaris {

// How a column shows its values. Auto takes the kind from the column's type
// in the schema: amounts as currency, dates as dates, yes/no as check boxes,
// whole numbers (and RecID) as numbers, everything else plain.
enum class ColumnKind { Auto, Plain, Number, Currency, Date, CheckBox };

enum class FooterKind { None, Count, Sum };

struct GridColumn {
    QString field;                // dataset column; "RecID" is the row number
    QString caption;              // empty: the field name
    ColumnKind kind = ColumnKind::Auto;
    bool hidden = false;
    FooterKind footer = FooterKind::None;
    QString footerFormat;         // "0份", " 0 份", "合计：0.00", "0.00" ...
    QString footerField;          // summed field when it is not `field`

    QString title() const { return caption.isEmpty() ? field : caption; }
};

// Footer value of one column.
struct FooterValue {
    FooterKind kind = FooterKind::None;
    qint64 count = 0;
    Money sum;
};

// Renders a footer format: the first run of zeros (with an optional ".00…")
// is the number, everything around it stays as written. "0份" → "12份",
// "合计：0.00" → "合计：1234.50" (no thousands separators, halves away from zero).
QString formatFooter(const QString &format, const FooterValue &v);
// Splits a footer format into the text before the number, the number of
// decimals and the text after it. A format without zeros is all prefix with
// the number appended.
struct FooterPattern {
    QString prefix;
    int decimals = 0;
    QString suffix;
};
FooterPattern parseFooterFormat(const QString &format, FooterKind kind);
// Money as text with `decimals` (0..4) places, halves away from zero.
QString moneyText(Money m, int decimals);

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static inline const QColor kCancelledBackground{192, 220, 192};  // money green
    static inline const QColor kCancelledText{Qt::red};

    explicit DatasetModel(QObject *parent = nullptr);
    DatasetModel(Dataset *ds, QList<GridColumn> columns, QObject *parent = nullptr);
    ~DatasetModel() override;

    void setDataset(Dataset *ds);
    Dataset *dataset() const { return ds_; }
    // An empty list shows "序号" and then every column of the result.
    void setColumns(QList<GridColumn> columns);
    const QList<GridColumn> &columns() const { return cols_; }
    const GridColumn &column(int c) const { return cols_[c]; }
    int columnOf(const QString &field) const;       // model column; -1 when absent
    ColumnKind kindAt(int c) const;                 // Auto resolved
    int datasetColumn(int c) const;                 // Dataset index, kRecId, or -1 when absent
    ColType typeAt(int c) const;                    // the dataset column's type (Text when absent)

    // Rows are ordered ascending on RecID, which is the dataset's order except
    // that appended rows (RecID 1) stand right after the first row.
    void setSortedByRecId(bool on);
    bool sortedByRecId() const { return sorted_; }
    int datasetRow(int modelRow) const;
    int modelRow(int datasetRow) const;

    // A row whose Flag is 1 (a cancelled policy) is drawn on money green with
    // red text. The column name is configurable; an empty name turns it off.
    void setFlagField(const QString &field);
    bool isCancelledRow(int datasetRow) const;

    bool hasFooter() const;
    FooterValue footerValue(int c) const;
    QString footerText(int c) const;                // "" for a column without footer

    // The cell as the grid shows it (check boxes as 是/否).
    QString cellText(int modelRow, int c) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void footerChanged();

private:
    struct Resolved {
        int dsCol = -1;
        ColumnKind kind = ColumnKind::Plain;
        ColType type = ColType::Text;
        int sumCol = -1;
        ColType sumType = ColType::Text;
    };
    void resolve();
    void recount();
    void invalidateFooter();
    void onOpened();
    void onClosed();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    int rows() const;

    QPointer<Dataset> ds_;
    QList<GridColumn> configured_;
    QList<GridColumn> cols_;
    std::vector<Resolved> res_;
    bool sorted_ = true;
    // The rows as the model last announced them: views may ask between a
    // begin/end pair, when the dataset has already changed.
    int count_ = 0;
    int positional_ = 0;       // rows read by open(); appended rows follow them
    int pendingRemoved_ = -1;  // dataset row just removed, until endRemoveRows
    QString flagField_ = QStringLiteral("Flag");
    int flagCol_ = -1;
    mutable std::vector<FooterValue> footer_;
    mutable bool footerDirty_ = true;
    QList<QMetaObject::Connection> conns_;
};

} // namespace tolvaris
