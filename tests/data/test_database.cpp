// The database file (create, open, refuse, migrate) and the connection with
// its transactions and bound values.
#include "database.h"
#include "schema.h"
#include "statement.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tolvaris;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A plain SQLite file made without our layer (rollback journal, as most are).
void writeForeignSqlite(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

struct DbFile : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data/data.dat"));
    std::unique_ptr<Connection> create() { return createDatabase(path, {QStringLiteral("老王"), QStringLiteral("pw'1"), true}); }
};

} // namespace

TEST_F(DbFile, CreateMakesOursAndRefusesAnExistingFile)
{
    {
        auto c = create();
        EXPECT_TRUE(whyNotOurs(*c).isEmpty());
        EXPECT_EQ(c->userVersion(), kSchemaVersion);
        Query q(*c, QStringLiteral("select name, pass, quanxian from admin"));
        ASSERT_TRUE(q.step());
        EXPECT_EQ(q.text(0), s("老王"));
        EXPECT_EQ(q.text(1), s("pw'1"));
        EXPECT_EQ(q.text(2), s("1"));
        EXPECT_FALSE(q.step());
    }
    EXPECT_TRUE(checkDatabase(path).ok) << checkDatabase(path).reason.toStdString();
    // Checking a closed WAL database leaves no side files behind.
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-shm")));
    EXPECT_NO_THROW(openDatabase(path));

    // Anything already at the path stays as it is, ours or not.
    for (const QByteArray &existing : {fileBytes(path), QByteArray("not a database at all"), QByteArray()}) {
        writeFile(path, existing);
        EXPECT_THROW(create(), DbError);
        EXPECT_EQ(fileBytes(path), existing);
    }
}

TEST_F(DbFile, OpenRefusesFilesThatAreNotOursAndLeavesThemAlone)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    struct Case {
        const char *name;
        std::function<void()> make;
        const char *says;  // part of the message for the user
    };
    const Case cases[] = {
        {"newer version", [&] { create()->setUserVersion(kSchemaVersion + 1); }, "更新版本"},
        {"text file", [&] { writeFile(path, QByteArray(3000, 'x')); }, "不是本系统的数据库"},
        {"empty file", [&] { writeFile(path, QByteArray()); }, "不是本系统的数据库"},
        {"other sqlite", [&] { writeForeignSqlite(path, "create table t(a); insert into t values (1);"); }, "不是本系统的数据库"},
        {"most tables", [&] {
             create()->exec(QStringLiteral("drop table alert"));
         }, "alert"},
    };
    for (const auto &c : cases) {
        for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(path + s(suffix));
        c.make();
        const QByteArray before = fileBytes(path);
        try {
            openDatabase(path);
            ADD_FAILURE() << c.name << " opened";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains(s(c.says))) << c.name << ": " << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(path)) << c.name << ": " << e.message().toStdString();
        }
        EXPECT_EQ(fileBytes(path), before) << c.name;
        // A file in WAL mode may keep an empty -wal beside it: nothing written.
        EXPECT_EQ(QFileInfo(path + QStringLiteral("-wal")).size(), 0) << c.name;
        EXPECT_FALSE(checkDatabase(path).ok) << c.name;
    }
    QFile::remove(path);
    EXPECT_THROW(openDatabase(path), DbError);
    EXPECT_FALSE(QFile::exists(path));
}

namespace {

// A step that adds a column, and steps that must never run.
Migration addColumn(int to, const char *column)
{
    return {to, [column](Connection &c) { c.exec(QStringLiteral("alter table admin add column %1 TEXT").arg(s(column))); }};
}

Migration mustNotRun(int to)
{
    return {to, [to](Connection &) { ADD_FAILURE() << "step to " << to << " ran"; }};
}

} // namespace

TEST(Migrate, AppliesOrderedStepsAboveTheFileVersion)
{
    auto c = Connection::openMemory();
    createSchema(*c);
    const int v = kSchemaVersion;
    migrate(*c, {mustNotRun(v - 1), mustNotRun(v), addColumn(v + 1, "extra1"), addColumn(v + 2, "extra2"), mustNotRun(v + 3)},
            v + 2);
    EXPECT_EQ(c->userVersion(), v + 2);
    const QStringList cols = c->tableColumns(QStringLiteral("admin"));
    EXPECT_TRUE(cols.contains(QStringLiteral("extra1")));
    EXPECT_TRUE(cols.contains(QStringLiteral("extra2")));

    // Run again: everything is at or below the file's version now.
    migrate(*c, {mustNotRun(v + 1), mustNotRun(v + 2)}, v + 2);
    EXPECT_EQ(c->userVersion(), v + 2);
}

TEST(Migrate, AFailingStepChangesNothing)
{
    auto c = Connection::openMemory();
    createSchema(*c);
    const int v = kSchemaVersion;
    const QStringList before = c->tableColumns(QStringLiteral("admin"));
    const Migration failing{v + 1, [](Connection &c) {
                                c.exec(QStringLiteral("alter table admin add column extra TEXT"));
                                c.exec(QStringLiteral("insert into admin (name) values ('x')"));
                                throw DbError(QStringLiteral("step failed"));
                            }};
    EXPECT_THROW(migrate(*c, {failing, mustNotRun(v + 2)}, v + 2), DbError);
    EXPECT_EQ(c->userVersion(), v);
    EXPECT_EQ(c->tableColumns(QStringLiteral("admin")), before);
    EXPECT_EQ(c->scalar(QStringLiteral("select count(*) from admin")).toInt(), 0);
}

// ------------------------------------------------------------ Connection

namespace {
struct Conn : ::testing::Test {
    std::unique_ptr<Connection> c = Connection::openMemory();
    void SetUp() override { createSchema(*c); }
    int count() { return c->scalar(QStringLiteral("select count(*) from admin")).toInt(); }
    void add(int id, const QString &name)
    {
        c->exec(QStringLiteral("insert into admin (id, name) values (?, ?)"), {id, name});
    }
};
} // namespace

TEST_F(Conn, TransactionWritesAllOrNothing)
{
    EXPECT_THROW(
        {
            Transaction tx(*c);
            add(1, QStringLiteral("a"));
            add(1, QStringLiteral("b"));  // duplicate key
            tx.commit();
        },
        DbError);
    EXPECT_EQ(count(), 0);

    {
        Transaction tx(*c);
        add(1, QStringLiteral("a"));
        add(2, QStringLiteral("b"));
        tx.commit();
    }
    EXPECT_EQ(count(), 2);
}

TEST_F(Conn, NestedTransactions)
{
    {
        Transaction outer(*c);
        add(1, QStringLiteral("kept"));
        {
            Transaction inner(*c);
            add(2, QStringLiteral("rolled back"));
        }
        {
            Transaction inner(*c);
            add(3, QStringLiteral("committed inside"));
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(c->scalar(QStringLiteral("select group_concat(id) from (select id from admin order by id)")).toString(),
              QStringLiteral("1,3"));

    {
        Transaction outer(*c);
        {
            Transaction inner(*c);
            add(4, QStringLiteral("inner committed, outer not"));
            inner.commit();
        }
    }
    EXPECT_EQ(count(), 2);
    // The connection is usable and outside any transaction afterwards.
    EXPECT_TRUE(sqlite3_get_autocommit(c->handle()));
}

TEST_F(Conn, QuotedValuesAreStoredAndFoundThroughBoundStatements)
{
    const QStringList names = {s("O'Brien"), s("张\"三"), s("a%b_c\\"), s("'; drop table admin; --")};
    for (int i = 0; i < names.size(); ++i) add(i + 1, names[i]);
    for (const QString &n : names) {
        EXPECT_EQ(c->scalar(QStringLiteral("select count(*) from admin where name=?"), {n}).toInt(), 1) << n.toStdString();
        Statement st(QStringLiteral("select name from admin"));
        st.where(QStringLiteral("name like ?") + kLikeEscape, {likeContains(n.mid(1, 3))});
        Query q(*c, st.text);
        q.bindAll(st.params);
        ASSERT_TRUE(q.step()) << n.toStdString();
        EXPECT_EQ(q.text(0), n);
        EXPECT_FALSE(q.step()) << n.toStdString();
    }
    EXPECT_TRUE(c->hasTable(QStringLiteral("admin")));
}

TEST_F(Conn, BoundDatesCompareWithStoredDates)
{
    for (const char *d : {"2024-02-29", "2024-03-01", "1899-12-30"})
        c->exec(QStringLiteral("insert into alert (AlertDate, AlertCaption) values (?, ?)"), {s(d), s(d)});
    struct Case { const char *cond; const char *captions; };
    const Case cases[] = {
        {"AlertDate=?", "2024-03-01"},
        {"AlertDate>?", ""},
        {"AlertDate<?", "1899-12-30,2024-02-29"},
    };
    for (const auto &k : cases) {
        const QVariant caps = c->scalar(
            QStringLiteral("select group_concat(AlertCaption) from (select AlertCaption from Alert where %1 order by 1)")
                .arg(s(k.cond)),
            {QDate(2024, 3, 1)});
        EXPECT_EQ(caps.toString(), s(k.captions)) << k.cond;
    }
}

TEST(Statement, WhereAndTable)
{
    Statement st(QStringLiteral("select * from khgx"));
    st.where(QStringLiteral("用户=?"), {s("张三")}).where(QStringLiteral("khjc like ?"), {QStringLiteral("%x%")});
    EXPECT_EQ(st.text, s("select * from khgx where 用户=? and khjc like ?"));
    EXPECT_EQ(st.params, (QVariantList{s("张三"), QStringLiteral("%x%")}));

    struct Case { const char *sql; const char *table; };
    const Case cases[] = {
        {"select * from 个贷投保单 where 公司退费 <>0", "个贷投保单"},
        {"Select * from Alert where AlertDate=?", "Alert"},
        {"select * from \"车险投保单\"", "车险投保单"},
        {"select 1", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(tableOfStatement(s(c.sql)), s(c.table)) << c.sql;
    EXPECT_EQ(likeContains(s("5%_\\")), s("%5\\%\\_\\\\%"));
}
