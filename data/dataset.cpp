#include "dataset.h"

#include <sqlite3.h>
#include <algorithm>
#include <cstring>

namespace tolvaris {

// ------------------------------------------------------------- RowStore
// Each row is one encoded block in an arena: a flags byte, (n+1) offsets
// (16-bit, or 32-bit for big rows) and the cells. An empty cell is NULL;
// otherwise a tag byte and its payload: 'i' minimal little-endian integer,
// 'r' double, 't' UTF-8 text, 'b' blob. Changed rows are encoded anew.
class RowStore {
public:
    enum : quint8 { Wide = 1, Appended = 2 };
    enum : char { Int = 'i', Real = 'r', Txt = 't', Blob = 'b' };

    struct CellRef {
        char tag = 0;  // 0 for NULL
        const char *data = nullptr;
        int len = 0;
    };

    explicit RowStore(int ncols) : ncols_(ncols) {}

    int size() const { return int(rows_.size()); }
    bool appended(int r) const { return quint8(rows_[size_t(r)][0]) & Appended; }

    CellRef cell(int r, int c) const
    {
        const char *row = rows_[size_t(r)];
        const bool wide = quint8(row[0]) & Wide;
        quint32 a, b;
        if (wide) {
            std::memcpy(&a, row + 1 + 4 * c, 4);
            std::memcpy(&b, row + 1 + 4 * (c + 1), 4);
        } else {
            quint16 a16, b16;
            std::memcpy(&a16, row + 1 + 2 * c, 2);
            std::memcpy(&b16, row + 1 + 2 * (c + 1), 2);
            a = a16;
            b = b16;
        }
        if (a == b) return {};
        const char *payload = row + 1 + (wide ? 4 : 2) * (ncols_ + 1);
        return {payload[a], payload + a + 1, int(b - a - 1)};
    }

    static qint64 decodeInt(const CellRef &c)
    {
        quint64 u = 0;
        for (int i = c.len - 1; i >= 0; --i) u = (u << 8) | quint8(c.data[i]);
        const int shift = 64 - 8 * c.len;
        return shift > 0 ? qint64(u << shift) >> shift : qint64(u);
    }

    QVariant value(int r, int c) const
    {
        const CellRef x = cell(r, c);
        switch (x.tag) {
        case 0: return {};
        case Int: return QVariant(decodeInt(x));
        case Real: { double d; std::memcpy(&d, x.data, 8); return QVariant(d); }
        case Blob: return QByteArray(x.data, x.len);
        default: return QString::fromUtf8(x.data, x.len);
        }
    }

    // Encodes the current row of a stepped statement.
    const char *encode(sqlite3_stmt *st, bool appended)
    {
        parts_.resize(size_t(ncols_));
        size_t total = 0;
        for (int c = 0; c < ncols_; ++c) {
            Part &p = parts_[size_t(c)];
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_NULL: p = {0, nullptr, 0, 0}; break;
            case SQLITE_INTEGER: {
                const qint64 v = sqlite3_column_int64(st, c);
                p = {Int, nullptr, intBytes(v), v};
                break;
            }
            case SQLITE_FLOAT: {
                const double d = sqlite3_column_double(st, c);
                qint64 bits;
                std::memcpy(&bits, &d, 8);
                p = {Real, nullptr, 8, bits};
                break;
            }
            case SQLITE_BLOB:
                p = {Blob, static_cast<const char *>(sqlite3_column_blob(st, c)), sqlite3_column_bytes(st, c), 0};
                break;
            default:
                p = {Txt, reinterpret_cast<const char *>(sqlite3_column_text(st, c)), sqlite3_column_bytes(st, c), 0};
            }
            total += p.tag ? size_t(p.len) + 1 : 0;
        }
        return write(total, appended);
    }

    const char *encode(const QVariantList &vals, bool appended)
    {
        parts_.resize(size_t(ncols_));
        std::vector<QByteArray> keep(static_cast<size_t>(ncols_));
        size_t total = 0;
        for (int c = 0; c < ncols_; ++c) {
            const QVariant &v = vals[c];
            Part &p = parts_[size_t(c)];
            if (v.isNull() || !v.isValid()) {
                p = {0, nullptr, 0, 0};
            } else {
                switch (v.typeId()) {
                case QMetaType::Bool:
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong: {
                    const qint64 x = v.toLongLong();
                    p = {Int, nullptr, intBytes(x), x};
                    break;
                }
                case QMetaType::Double:
                case QMetaType::Float: {
                    const double d = v.toDouble();
                    qint64 bits;
                    std::memcpy(&bits, &d, 8);
                    p = {Real, nullptr, 8, bits};
                    break;
                }
                case QMetaType::QByteArray:
                    keep[size_t(c)] = v.toByteArray();
                    p = {Blob, keep[size_t(c)].constData(), int(keep[size_t(c)].size()), 0};
                    break;
                default:
                    keep[size_t(c)] = v.toString().toUtf8();
                    p = {Txt, keep[size_t(c)].constData(), int(keep[size_t(c)].size()), 0};
                }
            }
            total += p.tag ? size_t(p.len) + 1 : 0;
        }
        return write(total, appended);
    }

    void push(const char *row) { rows_.push_back(row); }
    void replace(int r, const char *row) { rows_[size_t(r)] = row; }
    void erase(int r) { rows_.erase(rows_.begin() + r); }

private:
    struct Part {
        char tag;
        const char *data;
        int len;
        qint64 num;
    };

    static int intBytes(qint64 v)
    {
        int n = 1;
        while (n < 8) {
            const qint64 lim = qint64(1) << (8 * n - 1);
            if (v >= -lim && v < lim) break;
            ++n;
        }
        return n;
    }

    const char *write(size_t payload, bool appended)
    {
        const bool wide = payload > 0xFFFF;
        const size_t offw = wide ? 4 : 2;
        const size_t size = 1 + offw * size_t(ncols_ + 1) + payload;
        char *row = allocate(size);
        row[0] = char((wide ? Wide : 0) | (appended ? Appended : 0));
        char *offs = row + 1;
        char *out = offs + offw * size_t(ncols_ + 1);
        quint32 pos = 0;
        for (int c = 0; c <= ncols_; ++c) {
            if (wide) std::memcpy(offs + 4 * c, &pos, 4);
            else { const quint16 p16 = quint16(pos); std::memcpy(offs + 2 * c, &p16, 2); }
            if (c == ncols_) break;
            const Part &p = parts_[size_t(c)];
            if (!p.tag) continue;
            out[pos] = p.tag;
            if (p.tag == Int || p.tag == Real) {
                const quint64 u = quint64(p.num);
                for (int i = 0; i < p.len; ++i) out[pos + 1 + quint32(i)] = char((u >> (8 * i)) & 0xFF);
            } else if (p.len > 0) {
                std::memcpy(out + pos + 1, p.data, size_t(p.len));
            }
            pos += quint32(p.len) + 1;
        }
        return row;
    }

    char *allocate(size_t n)
    {
        if (chunks_.empty() || used_ + n > chunkSize_) {
            const size_t sz = std::max(n, chunkSize_);
            chunks_.emplace_back(new char[sz]);
            used_ = 0;
            if (sz > chunkSize_) {  // an outsized row gets a chunk of its own
                char *p = chunks_.back().get();
                used_ = chunkSize_;  // force a fresh chunk next time
                return p;
            }
        }
        char *p = chunks_.back().get() + used_;
        used_ += n;
        return p;
    }

    int ncols_;
    std::vector<const char *> rows_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    size_t used_ = 0;
    const size_t chunkSize_ = 1 << 20;
    std::vector<Part> parts_;
};

// --------------------------------------------------------------- Dataset

Dataset::Dataset(QString name, Statement design, QObject *parent)
    : QObject(parent), name_(std::move(name)), stmt_(std::move(design))
{
}

Dataset::~Dataset() = default;

void Dataset::setConnection(Connection *c)
{
    close();
    conn_ = c;
}

void Dataset::setStatement(const Statement &st)
{
    close();
    stmt_ = st;
}

void Dataset::open() { openRows(true); }

void Dataset::openForAppend() { openRows(false); }

void Dataset::openRows(bool withRows)
{
    if (isActive()) return;
    if (!conn_) throw DbError(QStringLiteral("数据集%1没有数据库连接").arg(name_));
    Query q(*conn_, withRows ? stmt_.text : QStringLiteral("select * from (%1) limit 0").arg(stmt_.text));
    q.bindAll(stmt_.params);
    const QString tableName = tableOfStatement(stmt_.text);
    const TableDef *table = findTable(tableName);
    const int n = q.columnCount();
    // The same table and result columns as last time (a reopen): the column
    // map stands as it is.
    bool same = table == table_ && tableName == tableName_ && n == int(colNames_.size());
    for (int c = 0; same && c < n; ++c)
        same = std::strcmp(sqlite3_column_name(q.handle(), c), colNames_[size_t(c)].constData()) == 0;
    if (!same) {
        tableName_ = tableName;
        table_ = table;
        cols_.clear();
        colIndex_.clear();
        exactIndex_.clear();
        quoted_.clear();
        colNames_.clear();
        keyCol_ = -1;
        for (int c = 0; c < n; ++c) {
            Col col{q.columnName(c), ColType::Text, nullptr};
            colNames_.push_back(QByteArray(sqlite3_column_name(q.handle(), c)));
            col.def = table_ ? table_->column(col.name) : nullptr;
            if (col.def) {
                col.type = col.def->type;
            } else {
                const char *decl = sqlite3_column_decltype(q.handle(), c);
                if (decl && QByteArray(decl).toUpper().contains("INT")) col.type = ColType::Integer;
            }
            if (table_ && col.def == &table_->key()) keyCol_ = c;
            colIndex_.insert(col.name.toLower(), c);
            exactIndex_.insert(col.name, c);
            quoted_ << quoteIdent(col.name);
            cols_.push_back(std::move(col));
        }
    }
    rows_ = std::make_unique<RowStore>(n);
    while (q.step()) rows_->push(rows_->encode(q.handle(), false));
    state_ = State::Browse;
    cur_ = rows_->size() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = rows_->size() == 0;
    emit opened();
    emit stateChanged();
    emit currentRowChanged(cur_);
}

void Dataset::close()
{
    if (!isActive()) return;
    state_ = State::Inactive;
    rows_.reset();
    buffer_.clear();
    cur_ = -1;
    bof_ = eof_ = true;
    emit closed();
    emit stateChanged();
}

int Dataset::columnIndex(const QString &name) const
{
    if (auto it = exactIndex_.constFind(name); it != exactIndex_.cend()) return it.value();
    if (name.compare(QLatin1String("RecID"), Qt::CaseInsensitive) == 0) return kRecId;
    return colIndex_.value(name.toLower(), -1);
}

int Dataset::requireColumn(const QString &col) const
{
    const int c = columnIndex(col);
    if (c == -1 || c == kRecId) throw DbError(QStringLiteral("数据集%1中没有字段“%2”").arg(name_, col));
    return c;
}

int Dataset::recordCount() const { return rows_ ? rows_->size() : 0; }

int Dataset::recNo() const
{
    if (cur_ < 0) return -1;
    if (state_ == State::Insert) return -1;
    return cur_ + 1;
}

int Dataset::recId(int row) const
{
    if (rows_->appended(row)) return 1;
    return row + 1;
}

void Dataset::setCurrent(int row)
{
    if (row == cur_) return;
    cur_ = row;
    emit currentRowChanged(cur_);
}

void Dataset::setState(State s)
{
    if (state_ == s) return;
    state_ = s;
    emit stateChanged();
}

// Moving off a row that is being edited posts it first, as leaving an
// edited record does; an appended row nobody has filled in is dropped
// instead, so an empty row started in a list is never written by moving on.
void Dataset::checkBrowse()
{
    if (state_ == State::Insert && std::find(modified_.begin(), modified_.end(), true) == modified_.end()) cancel();
    else if (state_ == State::Edit || state_ == State::Insert) post();
}

void Dataset::first()
{
    if (!isActive()) return;
    checkBrowse();
    setCurrent(recordCount() ? 0 : -1);
    bof_ = true;
    eof_ = recordCount() == 0;
}

void Dataset::last()
{
    if (!isActive()) return;
    checkBrowse();
    setCurrent(recordCount() - 1);
    eof_ = true;
    bof_ = recordCount() == 0;
}

void Dataset::next()
{
    if (!isActive()) return;
    checkBrowse();
    if (cur_ + 1 < recordCount()) {
        setCurrent(cur_ + 1);
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void Dataset::prior()
{
    if (!isActive()) return;
    checkBrowse();
    if (cur_ > 0) {
        setCurrent(cur_ - 1);
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

bool Dataset::moveTo(int row)
{
    if (!isActive() || row < 0 || row >= recordCount()) return false;
    if (row != cur_) checkBrowse();
    setCurrent(row);
    bof_ = eof_ = false;
    return true;
}

QVariant Dataset::rowCell(int row, int col) const { return rows_->value(row, col); }

QVariant Dataset::cell(int row, int col) const
{
    if (col == kRecId) return recId(row);
    if (row == cur_ && (state_ == State::Edit || state_ == State::Insert)) return buffer_[col];
    return rowCell(row, col);
}

bool Dataset::isNull(int row, int col) const
{
    if (col == kRecId) return false;
    if (row == cur_ && (state_ == State::Edit || state_ == State::Insert)) return buffer_[col].isNull();
    return rows_->cell(row, col).tag == 0;
}

QString Dataset::displayText(int row, int col) const
{
    if (col == kRecId) return QString::number(recId(row));
    if (row == cur_ && (state_ == State::Edit || state_ == State::Insert))
        return displayTextFromStorage(cols_[size_t(col)].type, buffer_[col]);
    // Fast paths for the common cells of a big grid: no QVariant on the way.
    const RowStore::CellRef x = rows_->cell(row, col);
    const ColType t = cols_[size_t(col)].type;
    if (x.tag == 0) return t == ColType::YesNo ? QStringLiteral("否") : QString();
    if (x.tag == RowStore::Txt) {
        if (t == ColType::Date) {
            if (x.len >= 10 && std::memcmp(x.data, "1899-12-30", 10) == 0) return QString();
            return QString::fromUtf8(x.data, std::min(x.len, 10));
        }
        if (t != ColType::Currency) return QString::fromUtf8(x.data, x.len);
    }
    if (x.tag == RowStore::Int) {
        const qint64 v = RowStore::decodeInt(x);
        switch (t) {
        case ColType::Currency: return Money::fromUnits(v).displayText();
        case ColType::YesNo: return v ? QStringLiteral("是") : QStringLiteral("否");
        default: return QString::number(v);
        }
    }
    return displayTextFromStorage(t, rows_->value(row, col));
}

Money Dataset::moneyAt(int row, int col) const
{
    if (row != cur_ || state_ == State::Browse) {
        const RowStore::CellRef x = rows_->cell(row, col);
        if (x.tag == RowStore::Int) return Money::fromUnits(RowStore::decodeInt(x));
        if (x.tag == 0) return {};
    }
    return moneyFromStorage(cell(row, col));
}

qint64 Dataset::intAt(int row, int col) const
{
    if (col == kRecId) return recId(row);
    if (row != cur_ || state_ == State::Browse) {
        const RowStore::CellRef x = rows_->cell(row, col);
        if (x.tag == RowStore::Int) return RowStore::decodeInt(x);
        if (x.tag == 0) return 0;
    }
    return cell(row, col).toLongLong();
}

QVariant Dataset::value(const QString &col) const
{
    const int c = columnIndex(col);
    if (c == -1) throw DbError(QStringLiteral("数据集%1中没有字段“%2”").arg(name_, col));
    if (cur_ < 0) return {};
    return cell(cur_, c);
}

QString Dataset::text(const QString &col) const
{
    const int c = columnIndex(col);
    if (c == kRecId) return cur_ < 0 ? QString() : QString::number(recId(cur_));
    return editTextFromStorage(cols_[size_t(requireColumn(col))].type, value(col));
}

Money Dataset::money(const QString &col) const { return moneyFromStorage(value(col)); }
QDate Dataset::date(const QString &col) const { return dateFromStorage(value(col)); }
bool Dataset::flag(const QString &col) const { return value(col).toLongLong() != 0; }
bool Dataset::fieldIsNull(const QString &col) const { return value(col).isNull(); }

void Dataset::requireEditing(const char *what) const
{
    if (state_ != State::Edit && state_ != State::Insert)
        throw DbError(QStringLiteral("数据集%1不在编辑状态，无法%2").arg(name_, QString::fromUtf8(what)));
}

void Dataset::requireTable() const
{
    if (!table_ || keyCol_ < 0)
        throw DbError(QStringLiteral("数据集%1的结果不能写回数据表").arg(name_));
}

void Dataset::setText(const QString &col, const QString &text, const QString &field)
{
    requireEditing("修改字段");
    const int c = requireColumn(col);
    const Col &k = cols_[size_t(c)];
    const ColumnDef def = k.def ? *k.def : ColumnDef{k.name, k.type, 0, {}};
    buffer_[c] = storageFromText(def, text, field);
    modified_[size_t(c)] = true;
}

void Dataset::setValue(const QString &col, const QVariant &stored)
{
    requireEditing("修改字段");
    const int c = requireColumn(col);
    const Col &k = cols_[size_t(c)];
    QVariant v = stored;
    if (k.def && k.def->type == ColType::Text && k.def->length > 0 && !v.isNull()
        && v.toString().size() > k.def->length)
        v = v.toString().left(k.def->length);
    buffer_[c] = v;
    modified_[size_t(c)] = true;
}

void Dataset::setMoney(const QString &col, Money m)
{
    const int c = requireColumn(col);
    if (cols_[size_t(c)].type == ColType::Text) setValue(col, m.plainText());  // text-kept amounts
    else setValue(col, moneyToStorage(m));
}

void Dataset::setDate(const QString &col, const QDate &d) { setValue(col, dateToStorage(d)); }
void Dataset::setFlag(const QString &col, bool on) { setValue(col, qint64(on ? 1 : 0)); }

void Dataset::edit()
{
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (state_ != State::Browse || cur_ < 0)
        throw DbError(QStringLiteral("数据集%1没有可编辑的记录").arg(name_));
    buffer_.clear();
    for (int c = 0; c < columnCount(); ++c) buffer_ << rowCell(cur_, c);
    modified_.assign(size_t(columnCount()), false);
    setState(State::Edit);
}

void Dataset::append()
{
    if (!isActive()) throw DbError(QStringLiteral("数据集%1未打开").arg(name_));
    checkBrowse();
    buffer_.clear();
    for (int c = 0; c < columnCount(); ++c) buffer_ << QVariant();
    modified_.assign(size_t(columnCount()), false);
    rows_->push(rows_->encode(buffer_, true));
    const int row = rows_->size() - 1;
    state_ = State::Insert;
    cur_ = row;
    bof_ = eof_ = false;
    emit rowInserted(row);
    emit currentRowChanged(row);
    emit stateChanged();
}

void Dataset::post()
{
    if (state_ != State::Edit && state_ != State::Insert) return;
    requireTable();
    const QString t = quoteIdent(table_->name);
    const QString key = quoteIdent(table_->key().name);
    QStringList names;
    QVariantList vals;
    for (int c = 0; c < columnCount(); ++c) {
        if (c == keyCol_ || !modified_[size_t(c)] || !cols_[size_t(c)].def) continue;
        names << quoted_[c];
        vals << buffer_[c];
    }
    if (state_ == State::Edit) {
        if (!names.isEmpty()) {
            QStringList sets;
            for (const auto &n : names) sets << n + QLatin1String("=?");
            vals << buffer_[keyCol_];
            conn_->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3=?").arg(t, sets.join(QLatin1Char(',')), key), vals);
        }
        rows_->replace(cur_, rows_->encode(buffer_, rows_->appended(cur_)));
    } else {
        if (names.isEmpty()) {
            conn_->exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(t));
        } else {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
            conn_->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(t, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                        vals);
        }
        // Read the stored row back so that defaults and the new key show.
        const qint64 id = conn_->lastInsertId();
        Query q(*conn_, QStringLiteral("SELECT * FROM %1 WHERE %2=?").arg(t, key));
        q.bind(1, id);
        if (q.step()) {
            for (int c = 0; c < q.columnCount(); ++c) {
                const int mine = columnIndex(q.columnName(c));
                if (mine >= 0) buffer_[mine] = q.value(c);
            }
        }
        rows_->replace(cur_, rows_->encode(buffer_, true));
    }
    buffer_.clear();
    setState(State::Browse);
    emit rowChanged(cur_);
}

void Dataset::cancel()
{
    if (state_ == State::Edit) {
        buffer_.clear();
        setState(State::Browse);
        emit rowChanged(cur_);
    } else if (state_ == State::Insert) {
        const int row = cur_;
        buffer_.clear();
        rows_->erase(row);
        state_ = State::Browse;
        emit rowRemoved(row);
        cur_ = std::min(row, recordCount() - 1);
        bof_ = eof_ = recordCount() == 0;
        emit currentRowChanged(cur_);
        emit stateChanged();
    }
}

void Dataset::remove()
{
    if (state_ == State::Insert) { cancel(); return; }
    if (state_ == State::Edit) cancel();
    if (!isActive() || cur_ < 0) throw DbError(QStringLiteral("数据集%1没有可删除的记录").arg(name_));
    requireTable();
    conn_->exec(QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(quoteIdent(table_->name), quoteIdent(table_->key().name)),
                {rowCell(cur_, keyCol_)});
    const int row = cur_;
    rows_->erase(row);
    emit rowRemoved(row);
    cur_ = -2;  // force the notification below
    setCurrent(std::min(row, recordCount() - 1));
    bof_ = cur_ <= 0;
    eof_ = recordCount() == 0;
}

} // namespace tolvaris
