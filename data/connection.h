#pragma once
// A small interface over the database engine. Everything engine-specific
// (SQLite here) stays behind it, so another engine can be added later.
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace tolvaris {

// A failed statement or open. what() is UTF-8; message() for the user.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }
private:
    QString message_;
};

class Connection;

// A prepared statement with bound values. Move-only.
class Query {
public:
    Query(Connection &c, const QString &sql);
    Query(Query &&o) noexcept;
    Query &operator=(Query &&) = delete;
    ~Query();

    Query &bind(int index1, const QVariant &v);       // 1-based
    Query &bindAll(const QVariantList &values);
    bool step();                                      // true while a row is ready
    void exec();                                      // step to the end
    void reset();

    int columnCount() const;
    QString columnName(int i) const;
    bool isNull(int i) const;
    int columnType(int i) const;                      // SQLITE_INTEGER, ...
    qint64 int64(int i) const;
    double real(int i) const;
    QString text(int i) const;
    const char *utf8(int i, int *len) const;          // valid until the next step
    QVariant value(int i) const;

    sqlite3_stmt *handle() const { return stmt_; }

private:
    [[noreturn]] void fail(const char *what) const;
    Connection *conn_;
    sqlite3_stmt *stmt_ = nullptr;
    QByteArray key_;
};

class Connection {
public:
    // Inspect reads and writes nothing itself, but may tidy away the WAL
    // side files of a WAL database on close (a read-only open cannot).
    enum class Mode { ReadWrite, ReadOnly, Create, Inspect };
    // Opens the file; Create makes a new file and fails if one exists.
    static std::unique_ptr<Connection> open(const QString &path, Mode mode = Mode::ReadWrite);
    static std::unique_ptr<Connection> openMemory();
    ~Connection();

    void exec(const QString &sql);
    void exec(const QString &sql, const QVariantList &values);
    // First column of the first row, or an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const QVariantList &values = {});
    qint64 lastInsertId() const;
    int changes() const;

    int userVersion();
    void setUserVersion(int v);
    bool hasTable(const QString &name);
    QStringList tableColumns(const QString &table);

    // Copies a consistent snapshot of the whole database into a new file.
    void backupTo(const QString &path);

    const QString &path() const { return path_; }
    sqlite3 *handle() const { return db_; }
    QString lastError() const;

private:
    Connection(sqlite3 *db, QString path) : db_(db), path_(std::move(path)) {}
    sqlite3 *db_;
    QString path_;
    friend class Transaction;
    friend class Query;
    int savepointDepth_ = 0;
    // Prepared statements kept for reuse, by their text (reset, unbound).
    QHash<QByteArray, sqlite3_stmt *> cache_;
};

// Unit of work: commits on commit(), rolls back when it leaves scope
// without one. Nests through savepoints.
class Transaction {
public:
    explicit Transaction(Connection &c);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
private:
    Connection &c_;
    QString name_;
    bool done_ = false;
};

} // namespace tolvaris
