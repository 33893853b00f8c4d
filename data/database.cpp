#include "database.h"

#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tolvaris {

namespace {
bool folderWritable(const QString &dir)
{
    QDir d(dir);
    if (!d.exists() && !QDir().mkpath(dir)) return false;
    QTemporaryFile probe(d.filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}
} // namespace

QString databasePathFor(const QString &exeDir)
{
    const QString local = QDir(exeDir).filePath(QStringLiteral("Data"));
    if (QFile::exists(QDir(local).filePath(QStringLiteral("data.dat"))) || folderWritable(local))
        return QDir(local).filePath(QStringLiteral("data.dat"));
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Tolvaris/Data/data.dat");
}

void createSchema(Connection &c)
{
    Transaction tx(c);
    for (const auto &t : allTables()) {
        c.exec(createTableSql(t));
        for (const auto &i : createIndexSql(t)) c.exec(i);
    }
    c.setUserVersion(kSchemaVersion);
    tx.commit();
}

std::unique_ptr<Connection> createDatabase(const QString &path, const FirstUser &user)
{
    const QFileInfo fi(path);
    if (!QDir().mkpath(fi.absolutePath()))
        throw DbError(QStringLiteral("无法创建数据库文件夹：%1").arg(fi.absolutePath()));
    auto c = Connection::open(path, Connection::Mode::Create);
    try {
        createSchema(*c);
        c->exec(QStringLiteral("insert into admin (name, pass, quanxian) values (?, ?, ?)"),
                {user.name, user.password, user.advanced ? QStringLiteral("1") : QStringLiteral("0")});
    } catch (...) {
        c.reset();
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        throw;
    }
    return c;
}

const std::vector<Migration> &migrations()
{
    // No released schema change yet; add {version, step} entries in order.
    static const std::vector<Migration> steps;
    return steps;
}

void migrate(Connection &c, const std::vector<Migration> &steps, int target)
{
    for (const auto &m : steps) {
        if (m.toVersion <= c.userVersion() || m.toVersion > target) continue;
        Transaction tx(c);
        m.apply(c);
        c.setUserVersion(m.toVersion);
        tx.commit();
    }
}

QString whyNotOurs(Connection &c)
{
    try {
        // The file must be readable as a database and hold every table of ours.
        for (const auto &t : allTables())
            if (!c.hasTable(t.name)) return QStringLiteral("缺少数据表“%1”").arg(t.name);
    } catch (const DbError &) {
        return QStringLiteral("不是数据库文件");
    }
    return {};
}

std::unique_ptr<Connection> openDatabase(const QString &path)
{
    if (!QFile::exists(path)) throw DbError(QStringLiteral("数据库文件不存在：%1").arg(path));
    // Look at the file read-only first: opening read-write switches it to WAL
    // mode (and writes a header into an empty file), and a file that is not
    // ours must be left exactly as it was.
    int version = 0;
    QString why;
    try {
        auto probe = Connection::open(path, Connection::Mode::ReadOnly);
        version = probe->userVersion();
        if (version <= kSchemaVersion) why = whyNotOurs(*probe);
    } catch (const DbError &e) {
        throw DbError(QStringLiteral("无法打开数据库文件%1，它不是本系统的数据库或已损坏。\n%2").arg(path, e.message()));
    }
    if (version < 1)
        throw DbError(QStringLiteral("%1 不是本系统的数据库文件（未知的数据库版本%2）。").arg(path).arg(version));
    if (version > kSchemaVersion)
        throw DbError(QStringLiteral("数据库文件%1来自更新版本的程序（版本%2），本程序只认识版本%3，请升级程序。")
                          .arg(path)
                          .arg(version)
                          .arg(kSchemaVersion));
    if (!why.isEmpty()) throw DbError(QStringLiteral("%1 不是本系统的数据库文件（%2）。").arg(path, why));
    auto c = Connection::open(path, Connection::Mode::ReadWrite);
    if (version < kSchemaVersion) migrate(*c, migrations(), kSchemaVersion);
    return c;
}

CheckResult checkDatabase(const QString &path)
{
    if (!QFile::exists(path)) return {false, QStringLiteral("文件不存在：%1").arg(path)};
    try {
        auto c = Connection::open(path, Connection::Mode::Inspect);
        const QVariant ok = c->scalar(QStringLiteral("PRAGMA integrity_check"));
        if (ok.toString() != QLatin1String("ok"))
            return {false, QStringLiteral("完整性检查未通过：%1").arg(ok.toString())};
        const int v = c->userVersion();
        if (v < 1 || v > kSchemaVersion) return {false, QStringLiteral("未知的数据库版本：%1").arg(v)};
        const QString why = whyNotOurs(*c);
        if (!why.isEmpty()) return {false, QStringLiteral("不是本系统的数据库：%1").arg(why)};
    } catch (const DbError &e) {
        return {false, e.message().simplified()};
    }
    return {true, {}};
}

} // namespace tolvaris
