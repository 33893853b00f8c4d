#include "connection.h"

#include <QFile>
#include <sqlite3.h>

namespace tolvaris {

namespace {
QString errorText(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}
} // namespace

// ---------------------------------------------------------------- Query

Query::Query(Connection &c, const QString &sql) : conn_(&c)
{
    const QByteArray u = sql.toUtf8();
    if (auto it = c.cache_.find(u); it != c.cache_.end()) {
        stmt_ = it.value();
        key_ = u;
        c.cache_.erase(it);
        return;
    }
    key_ = u;
    if (sqlite3_prepare_v2(c.handle(), u.constData(), int(u.size()), &stmt_, nullptr) != SQLITE_OK)
        throw DbError(QStringLiteral("数据库语句错误：%1\n%2").arg(errorText(c.handle()), sql));
}

Query::Query(Query &&o) noexcept : conn_(o.conn_), stmt_(o.stmt_), key_(std::move(o.key_)) { o.stmt_ = nullptr; }

Query::~Query()
{
    if (!stmt_) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    if (conn_->cache_.size() >= 64 || conn_->cache_.contains(key_)) {
        sqlite3_finalize(stmt_);
        return;
    }
    conn_->cache_.insert(key_, stmt_);
}

void Query::fail(const char *what) const
{
    throw DbError(QStringLiteral("数据库%1失败：%2").arg(QString::fromUtf8(what), errorText(conn_->handle())));
}

Query &Query::bind(int i, const QVariant &v)
{
    int rc;
    if (v.isNull() || !v.isValid()) {
        rc = sqlite3_bind_null(stmt_, i);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
            rc = sqlite3_bind_int64(stmt_, i, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, i, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt_, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray u = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK) fail("绑定参数");
    return *this;
}

Query &Query::bindAll(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) bind(i + 1, values[i]);
    return *this;
}

bool Query::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString msg = errorText(conn_->handle());
    sqlite3_reset(stmt_);
    throw DbError(QStringLiteral("数据库操作失败：%1").arg(msg));
}

void Query::exec()
{
    while (step()) {}
}

void Query::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Query::columnCount() const { return sqlite3_column_count(stmt_); }
QString Query::columnName(int i) const { return QString::fromUtf8(sqlite3_column_name(stmt_, i)); }
bool Query::isNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
int Query::columnType(int i) const { return sqlite3_column_type(stmt_, i); }
qint64 Query::int64(int i) const { return sqlite3_column_int64(stmt_, i); }
double Query::real(int i) const { return sqlite3_column_double(stmt_, i); }

QString Query::text(int i) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, i));
    return QString::fromUtf8(p, sqlite3_column_bytes(stmt_, i));
}

const char *Query::utf8(int i, int *len) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, i));
    *len = sqlite3_column_bytes(stmt_, i);
    return p;
}

QVariant Query::value(int i) const
{
    switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(stmt_, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt_, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt_, i)), sqlite3_column_bytes(stmt_, i));
    default: return text(i);
    }
}

// ----------------------------------------------------------- Connection

std::unique_ptr<Connection> Connection::open(const QString &path, Mode mode)
{
    if (mode == Mode::Create && QFile::exists(path))
        throw DbError(QStringLiteral("数据库文件已存在：%1").arg(path));
    if (mode != Mode::Create && !QFile::exists(path))
        throw DbError(QStringLiteral("数据库文件不存在：%1").arg(path));
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == Mode::Create) flags |= SQLITE_OPEN_CREATE;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = errorText(db);
        sqlite3_close(db);
        throw DbError(QStringLiteral("无法打开数据库文件%1：%2").arg(path, msg));
    }
    std::unique_ptr<Connection> c(new Connection(db, path));
    sqlite3_extended_result_codes(db, 1);
    // A second copy of the program may hold the file for a moment.
    sqlite3_busy_timeout(db, 5000);
    if (mode == Mode::ReadWrite || mode == Mode::Create) {
        c->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        c->exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    return c;
}

std::unique_ptr<Connection> Connection::openMemory()
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw DbError(QStringLiteral("无法创建内存数据库"));
    }
    return std::unique_ptr<Connection>(new Connection(db, QStringLiteral(":memory:")));
}

Connection::~Connection()
{
    for (sqlite3_stmt *s : std::as_const(cache_)) sqlite3_finalize(s);
    sqlite3_close_v2(db_);
}

void Connection::exec(const QString &sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        throw DbError(QStringLiteral("数据库操作失败：%1").arg(msg));
    }
}

void Connection::exec(const QString &sql, const QVariantList &values)
{
    Query q(*this, sql);
    q.bindAll(values).exec();
}

QVariant Connection::scalar(const QString &sql, const QVariantList &values)
{
    Query q(*this, sql);
    q.bindAll(values);
    return q.step() ? q.value(0) : QVariant();
}

qint64 Connection::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Connection::changes() const { return sqlite3_changes(db_); }
QString Connection::lastError() const { return errorText(db_); }

int Connection::userVersion() { return scalar(QStringLiteral("PRAGMA user_version")).toInt(); }
void Connection::setUserVersion(int v) { exec(QStringLiteral("PRAGMA user_version=%1").arg(v)); }

bool Connection::hasTable(const QString &name)
{
    return scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name=? collate nocase"),
                  {name})
               .toInt()
        > 0;
}

QStringList Connection::tableColumns(const QString &table)
{
    Query q(*this, QStringLiteral("select name from pragma_table_info(?)"));
    q.bind(1, table);
    QStringList out;
    while (q.step()) out << q.text(0);
    return out;
}

void Connection::backupTo(const QString &path)
{
    sqlite3 *dest = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const QString msg = errorText(dest);
        sqlite3_close(dest);
        throw DbError(QStringLiteral("无法写入备份文件%1：%2").arg(path, msg));
    }
    sqlite3_backup *b = sqlite3_backup_init(dest, "main", db_, "main");
    int rc = b ? sqlite3_backup_step(b, -1) : sqlite3_errcode(dest);
    if (b) sqlite3_backup_finish(b);
    if (rc == SQLITE_DONE) rc = sqlite3_errcode(dest);
    const QString msg = errorText(dest);
    // The copy must be one self-contained file, not a WAL pair.
    if (rc == SQLITE_OK) rc = sqlite3_exec(dest, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(dest);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw DbError(QStringLiteral("备份失败：%1").arg(msg));
}

// ---------------------------------------------------------- Transaction

Transaction::Transaction(Connection &c) : c_(c)
{
    name_ = QStringLiteral("tv_sp%1").arg(c_.savepointDepth_);
    c_.exec(QStringLiteral("SAVEPOINT ") + name_);
    ++c_.savepointDepth_;
}

Transaction::~Transaction()
{
    if (done_) return;
    --c_.savepointDepth_;
    const QByteArray rb = (QStringLiteral("ROLLBACK TO ") + name_ + QStringLiteral("; RELEASE ") + name_).toUtf8();
    sqlite3_exec(c_.handle(), rb.constData(), nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    if (done_) return;
    c_.exec(QStringLiteral("RELEASE ") + name_);
    done_ = true;
    --c_.savepointDepth_;
}

} // namespace tolvaris
