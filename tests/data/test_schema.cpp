// The created database matches the one schema declaration.
#include "database.h"
#include "schema.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

struct SchemaDb : ::testing::Test {
    std::unique_ptr<Connection> c = Connection::openMemory();
    void SetUp() override { createSchema(*c); }
};

QString affinity(ColType t)
{
    switch (t) {
    case ColType::Text:
    case ColType::Memo:
    case ColType::Date: return QStringLiteral("TEXT");
    default: return QStringLiteral("INTEGER");
    }
}

} // namespace

TEST(Schema, DeclaresEveryTable)
{
    QSet<QString> names;
    for (const auto &t : allTables()) names.insert(t.name);
    const QSet<QString> expected = {
        QStringLiteral("admin"), QStringLiteral("khgx"), QStringLiteral("khlb"), QStringLiteral("khly"),
        QStringLiteral("ywly"), QStringLiteral("hylb"), QStringLiteral("dkyh"), QStringLiteral("bdlb"),
        QStringLiteral("rizhi"), QStringLiteral("rizhileibie"), QStringLiteral("alert"), kMotorTable, kMarineTable,
        kNonMotorTable};
    EXPECT_EQ(names, expected);
    // Statements spell tables and columns in any case.
    ASSERT_NE(findTable(QStringLiteral("Alert")), nullptr);
    EXPECT_NE(findTable(QStringLiteral("KHGX"))->column(QStringLiteral("id")), nullptr);
    EXPECT_EQ(findTable(QStringLiteral("nosuch")), nullptr);
}

TEST(Schema, ColumnTypesOfNote)
{
    // Columns whose type decides what can be stored or how it reads.
    struct Case { const QString table; const char *column; ColType type; };
    const Case cases[] = {
        {kMotorTable, "后排保险费", ColType::Integer},
        {kMotorTable, "利润", ColType::Integer},
        {kMotorTable, "Flag", ColType::Integer},
        {kMotorTable, "注销", ColType::YesNo},
        {kMotorTable, "注销日期", ColType::Text},
        {kMotorTable, "保险费合计", ColType::Currency},
        {kMotorTable, "保险止期", ColType::Date},
        {kMarineTable, "发票未出", ColType::YesNo},
        {kNonMotorTable, "佣金", ColType::Text},
        {kNonMotorTable, "自留", ColType::Text},
        {kNonMotorTable, "公司退费", ColType::Currency},
        {kNonMotorTable, "收费日期", ColType::Date},
        {QStringLiteral("khgx"), "sdkh", ColType::YesNo},
        {QStringLiteral("khgx"), "bz", ColType::Memo},
        {QStringLiteral("khgx"), "ID", ColType::AutoNumber},
        {QStringLiteral("rizhi"), "xinqing", ColType::Integer},
        {QStringLiteral("rizhi"), "neirong", ColType::Memo},
        {QStringLiteral("alert"), "AlertDate", ColType::Date},
    };
    for (const auto &c : cases) {
        const ColumnDef *col = findTable(c.table)->column(QString::fromUtf8(c.column));
        ASSERT_NE(col, nullptr) << c.column;
        EXPECT_EQ(col->type, c.type) << c.column;
    }
    for (const auto &t : allTables()) {
        EXPECT_EQ(t.key().type, ColType::AutoNumber) << t.name.toStdString();
        for (const auto &col : t.columns) {
            if (col.type == ColType::Text && t.name != QLatin1String("alert")) {
                EXPECT_EQ(col.length, 50) << t.name.toStdString() << "." << col.name.toStdString();
            }
        }
    }
}

TEST_F(SchemaDb, TablesColumnsAndAffinities)
{
    EXPECT_EQ(c->userVersion(), kSchemaVersion);
    for (const auto &t : allTables()) {
        Query q(*c, QStringLiteral("select name, type, pk from pragma_table_info(?) order by cid"));
        q.bind(1, t.name);
        size_t i = 0;
        while (q.step()) {
            ASSERT_LT(i, t.columns.size()) << t.name.toStdString() << " has extra column " << q.text(0).toStdString();
            const ColumnDef &col = t.columns[i];
            EXPECT_EQ(q.text(0), col.name) << t.name.toStdString();
            EXPECT_EQ(q.text(1), affinity(col.type)) << t.name.toStdString() << "." << col.name.toStdString();
            EXPECT_EQ(q.int64(2) != 0, col.type == ColType::AutoNumber) << col.name.toStdString();
            ++i;
        }
        EXPECT_EQ(i, t.columns.size()) << t.name.toStdString();
    }
}

TEST_F(SchemaDb, DefaultsOfANewRow)
{
    for (const QString &t : {kMotorTable, kMarineTable, kNonMotorTable}) {
        c->exec(QStringLiteral("insert into %1 default values").arg(quoteIdent(t)));
        const qint64 id = c->lastInsertId();
        EXPECT_GT(id, 0);
        Query q(*c, QStringLiteral("select Flag, 注销 from %1 where id=?").arg(quoteIdent(t)));
        q.bind(1, id);
        ASSERT_TRUE(q.step());
        EXPECT_FALSE(q.isNull(0)) << t.toStdString();
        EXPECT_EQ(q.int64(0), 0) << t.toStdString();
        EXPECT_FALSE(q.isNull(1)) << t.toStdString();
        EXPECT_EQ(q.int64(1), 0) << t.toStdString();
    }
}

TEST_F(SchemaDb, DeclaredIndexesExist)
{
    for (const auto &t : allTables()) {
        QSet<QString> present;  // each index as its comma-joined columns
        Query il(*c, QStringLiteral("select name from pragma_index_list(?) where origin='c'"));
        il.bind(1, t.name);
        while (il.step()) {
            Query ii(*c, QStringLiteral("select name from pragma_index_info(?) order by seqno"));
            ii.bind(1, il.text(0));
            QStringList cols;
            while (ii.step()) cols << ii.text(0);
            present.insert(cols.join(QLatin1Char(',')));
        }
        for (const QString &idx : t.indexes) {
            QStringList cols = idx.split(QLatin1Char(','));
            for (auto &col : cols) col = col.trimmed();
            EXPECT_TRUE(present.contains(cols.join(QLatin1Char(',')))) << t.name.toStdString() << " " << idx.toStdString();
        }
        EXPECT_EQ(present.size(), t.indexes.size()) << t.name.toStdString();
    }
}
