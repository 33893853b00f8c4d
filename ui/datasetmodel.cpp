#include "datasetmodel.h"

#include <QBrush>

namespace tolvaris {

// ------------------------------------------------------------ footer text

FooterPattern parseFooterFormat(const QString &format, FooterKind kind)
{
    FooterPattern p;
    const qsizetype start = format.indexOf(QLatin1Char('0'));
    if (start < 0) {
        p.prefix = format;
        p.decimals = kind == FooterKind::Sum ? 2 : 0;
        return p;
    }
    qsizetype end = start;
    while (end < format.size() && format[end] == u'0') ++end;
    if (end + 1 < format.size() && format[end] == u'.' && format[end + 1] == u'0') {
        qsizetype f = end + 1;
        while (f < format.size() && format[f] == u'0') ++f;
        p.decimals = int(f - end - 1);
        end = f;
    }
    p.prefix = format.left(start);
    p.suffix = format.mid(end);
    return p;
}

QString moneyText(Money m, int decimals)
{
    decimals = std::clamp(decimals, 0, 4);
    qint64 div = 1;
    for (int i = decimals; i < 4; ++i) div *= 10;
    const qint64 u = m.units();
    // Halves away from zero.
    const qint64 q = u >= 0 ? (u + div / 2) / div : -((-u + div / 2) / div);
    const quint64 a = q < 0 ? quint64(-q) : quint64(q);
    quint64 scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    QString s = QString::number(a / scale);
    if (decimals > 0) s += QLatin1Char('.') + QString::number(a % scale).rightJustified(decimals, QLatin1Char('0'));
    return q < 0 ? QLatin1Char('-') + s : s;
}

QString formatFooter(const QString &format, const FooterValue &v)
{
    if (v.kind == FooterKind::None) return {};
    const FooterPattern p = parseFooterFormat(format, v.kind);
    const QString number = v.kind == FooterKind::Count ? moneyText(Money::fromWhole(v.count), p.decimals)
                                                       : moneyText(v.sum, p.decimals);
    return p.prefix + number + p.suffix;
}

// ------------------------------------------------------------------ model

namespace {

ColumnKind kindOfType(ColType t)
{
    switch (t) {
    case ColType::Currency: return ColumnKind::Currency;
    case ColType::Date: return ColumnKind::Date;
    case ColType::YesNo: return ColumnKind::CheckBox;
    case ColType::Integer:
    case ColType::AutoNumber: return ColumnKind::Number;
    default: return ColumnKind::Plain;
    }
}

// Grid order for `n` rows of which the first `p` were read by open(): row 0,
// then the appended rows (RecID 1, in the order they were added), then the rest.
int toDataset(int r, int p, int n)
{
    const int k = n - p;
    if (p == 0 || k == 0 || r == 0) return r;
    return r <= k ? p + r - 1 : r - k;
}

int toModel(int d, int p, int n)
{
    const int k = n - p;
    if (p == 0 || k == 0 || d == 0) return d;
    return d >= p ? d - p + 1 : d + k;
}

} // namespace

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent) {}

DatasetModel::DatasetModel(Dataset *ds, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent)
{
    configured_ = std::move(columns);
    setDataset(ds);
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::setDataset(Dataset *ds)
{
    beginResetModel();
    for (const auto &c : conns_) disconnect(c);
    conns_.clear();
    ds_ = ds;
    if (ds) {
        conns_ << connect(ds, &Dataset::opened, this, &DatasetModel::onOpened)
               << connect(ds, &Dataset::closed, this, &DatasetModel::onClosed)
               << connect(ds, &Dataset::rowInserted, this, &DatasetModel::onRowInserted)
               << connect(ds, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved)
               << connect(ds, &Dataset::rowChanged, this, &DatasetModel::onRowChanged)
               << connect(ds, &QObject::destroyed, this, [this] { setDataset(nullptr); });
    }
    resolve();
    recount();
    invalidateFooter();
    endResetModel();
}

void DatasetModel::setColumns(QList<GridColumn> columns)
{
    beginResetModel();
    configured_ = std::move(columns);
    resolve();
    invalidateFooter();
    endResetModel();
}

void DatasetModel::resolve()
{
    const bool active = ds_ && ds_->isActive();
    if (configured_.isEmpty()) {
        cols_.clear();
        if (active) {
            cols_.append(GridColumn{QStringLiteral("RecID"), QStringLiteral("序号")});
            for (int c = 0; c < ds_->columnCount(); ++c) cols_.append(GridColumn{ds_->columnName(c)});
        }
    } else {
        cols_ = configured_;
    }
    res_.assign(size_t(cols_.size()), Resolved{});
    for (qsizetype i = 0; i < cols_.size(); ++i) {
        const GridColumn &g = cols_[i];
        Resolved &r = res_[size_t(i)];
        if (active) {
            r.dsCol = ds_->columnIndex(g.field);
            if (r.dsCol != -1) r.type = ds_->columnType(r.dsCol);
            r.sumCol = g.footerField.isEmpty() ? r.dsCol : ds_->columnIndex(g.footerField);
            if (r.sumCol != -1) r.sumType = ds_->columnType(r.sumCol);
        } else if (g.field.compare(QLatin1String("RecID"), Qt::CaseInsensitive) == 0) {
            r.type = ColType::Integer;
        }
        r.kind = g.kind == ColumnKind::Auto ? kindOfType(r.type) : g.kind;
    }
    flagCol_ = -1;
    if (active && !flagField_.isEmpty()) {
        const int f = ds_->columnIndex(flagField_);
        if (f >= 0) flagCol_ = f;
    }
}

// Takes the dataset's row count and finds where the appended rows start:
// they form the tail of the dataset, and the first row after row 0 whose
// RecID is 1 begins it. (With one read row or none the order is the same
// either way.)
void DatasetModel::recount()
{
    const int n = ds_ && ds_->isActive() ? ds_->recordCount() : 0;
    count_ = n;
    if (n < 2 || ds_->recId(n - 1) != 1) { positional_ = n; return; }
    int lo = 1, hi = n - 1;  // recId(hi) == 1
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (ds_->recId(mid) == 1) hi = mid;
        else lo = mid + 1;
    }
    positional_ = lo;
}

void DatasetModel::invalidateFooter()
{
    footerDirty_ = true;
    emit footerChanged();
}

int DatasetModel::rows() const { return count_; }

void DatasetModel::onOpened()
{
    beginResetModel();
    resolve();
    recount();
    invalidateFooter();
    endResetModel();
}

void DatasetModel::onClosed()
{
    beginResetModel();
    recount();
    invalidateFooter();
    endResetModel();
}

// Rows are appended at the end of the dataset; the rows already announced
// keep their dataset rows and their order.
void DatasetModel::onRowInserted(int row)
{
    const int oldCount = count_, oldP = positional_;
    recount();
    const int m = modelRow(row);
    const int newCount = count_, newP = positional_;
    count_ = oldCount;
    positional_ = oldP;
    beginInsertRows({}, m, m);
    count_ = newCount;
    positional_ = newP;
    endInsertRows();
    invalidateFooter();
}

void DatasetModel::onRowRemoved(int row)
{
    const int oldP = positional_, oldN = count_;
    if (sorted_ && row == 0 && oldP >= 2 && oldN - oldP >= 1) {
        // The next read row becomes the first and moves above the appended
        // rows: simplest to lay the rows out anew.
        beginResetModel();
        recount();
        endResetModel();
    } else {
        const int m = sorted_ ? toModel(row, oldP, oldN) : row;
        pendingRemoved_ = row;
        beginRemoveRows({}, m, m);
        pendingRemoved_ = -1;
        recount();
        endRemoveRows();
        // The rows below are renumbered.
        const int rec = columnOf(QStringLiteral("RecID"));
        if (rec >= 0 && m < count_) emit dataChanged(index(m, rec), index(count_ - 1, rec), {Qt::DisplayRole});
    }
    invalidateFooter();
}

void DatasetModel::onRowChanged(int row)
{
    if (row < 0 || row >= rows()) return;
    const int m = modelRow(row);
    if (!cols_.isEmpty()) emit dataChanged(index(m, 0), index(m, int(cols_.size()) - 1));
    invalidateFooter();
}

void DatasetModel::setSortedByRecId(bool on)
{
    if (on == sorted_) return;
    beginResetModel();
    sorted_ = on;
    endResetModel();
}

int DatasetModel::datasetRow(int r) const
{
    int d = sorted_ ? toDataset(r, positional_, count_) : r;
    if (pendingRemoved_ >= 0) {
        if (d == pendingRemoved_) return -1;  // already gone from the dataset
        if (d > pendingRemoved_) --d;
    }
    return d;
}

int DatasetModel::modelRow(int d) const { return d < 0 ? -1 : sorted_ ? toModel(d, positional_, rows()) : d; }

void DatasetModel::setFlagField(const QString &field)
{
    flagField_ = field;
    resolve();
    if (rows() > 0) emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1), {Qt::BackgroundRole, Qt::ForegroundRole});
}

bool DatasetModel::isCancelledRow(int d) const
{
    return flagCol_ >= 0 && d >= 0 && d < ds_->recordCount() && ds_->intAt(d, flagCol_) == 1;
}

int DatasetModel::columnOf(const QString &field) const
{
    for (qsizetype i = 0; i < cols_.size(); ++i)
        if (cols_[i].field.compare(field, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

ColumnKind DatasetModel::kindAt(int c) const { return res_[size_t(c)].kind; }
int DatasetModel::datasetColumn(int c) const { return res_[size_t(c)].dsCol; }
ColType DatasetModel::typeAt(int c) const { return res_[size_t(c)].type; }

bool DatasetModel::hasFooter() const
{
    for (const auto &c : cols_)
        if (c.footer != FooterKind::None) return true;
    return false;
}

FooterValue DatasetModel::footerValue(int c) const
{
    if (c < 0 || c >= cols_.size() || cols_[c].footer == FooterKind::None) return {};
    if (footerDirty_) {
        footer_.assign(size_t(cols_.size()), FooterValue{});
        const int n = ds_ && ds_->isActive() ? ds_->recordCount() : 0;
        for (qsizetype i = 0; i < cols_.size(); ++i) {
            FooterValue &v = footer_[size_t(i)];
            const Resolved &r = res_[size_t(i)];
            v.kind = cols_[i].footer;
            if (v.kind == FooterKind::Count) {
                if (r.sumCol == -1 || r.sumCol == Dataset::kRecId) {
                    v.count = n;
                } else {
                    for (int d = 0; d < n; ++d) v.count += ds_->isNull(d, r.sumCol) ? 0 : 1;
                }
            } else if (v.kind == FooterKind::Sum && r.sumCol != -1) {
                switch (r.sumType) {
                case ColType::Currency:
                    for (int d = 0; d < n; ++d) v.sum += ds_->moneyAt(d, r.sumCol);
                    break;
                case ColType::Text:
                case ColType::Memo:
                case ColType::Date:  // amounts kept as text
                    for (int d = 0; d < n; ++d)
                        if (const auto m = Money::parse(ds_->displayText(d, r.sumCol))) v.sum += *m;
                    break;
                default:
                    for (int d = 0; d < n; ++d) v.sum += Money::fromWhole(ds_->intAt(d, r.sumCol));
                }
            }
        }
        footerDirty_ = false;
    }
    return footer_[size_t(c)];
}

QString DatasetModel::footerText(int c) const
{
    if (c < 0 || c >= cols_.size() || cols_[c].footer == FooterKind::None) return {};
    return formatFooter(cols_[c].footerFormat, footerValue(c));
}

int DatasetModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows(); }
int DatasetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(cols_.size()); }

namespace {

bool truthy(const Dataset &ds, int d, int col, ColType t)
{
    if (t == ColType::Text || t == ColType::Memo) {
        const QString s = ds.displayText(d, col).trimmed().toLower();
        return s == QLatin1String("1") || s == QLatin1String("-1") || s == QLatin1String("true") || s == QStringLiteral("是");
    }
    return ds.intAt(d, col) != 0;
}

} // namespace

QString DatasetModel::cellText(int modelRow, int c) const
{
    const Resolved &r = res_[size_t(c)];
    const int d = datasetRow(modelRow);
    if (r.dsCol == -1 || d < 0 || d >= ds_->recordCount()) return {};
    if (r.kind == ColumnKind::CheckBox) return truthy(*ds_, d, r.dsCol, r.type) ? QStringLiteral("是") : QStringLiteral("否");
    return ds_->displayText(d, r.dsCol);
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows()) return {};
    const Resolved &r = res_[size_t(index.column())];
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    const int d = datasetRow(index.row());
    if (d < 0 || d >= ds_->recordCount()) return {};
    switch (role) {
    case Qt::DisplayRole:
        if (r.dsCol == -1 || r.kind == ColumnKind::CheckBox) return {};
        return ds_->displayText(d, r.dsCol);
    case Qt::CheckStateRole:
        if (r.dsCol == -1 || r.kind != ColumnKind::CheckBox) return {};
        return truthy(*ds_, d, r.dsCol, r.type) ? Qt::Checked : Qt::Unchecked;
    case Qt::BackgroundRole:
        if (isCancelledRow(d)) return QBrush(kCancelledBackground);
        return {};
    case Qt::ForegroundRole:
        if (isCancelledRow(d)) return QBrush(kCancelledText);
        return {};
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Vertical) {
        if (role == Qt::DisplayRole) return section + 1;
        return {};
    }
    if (section < 0 || section >= cols_.size()) return {};
    if (role == Qt::DisplayRole) return cols_[section].title();
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace tolvaris
