// Datasets: statement, navigation, edit/append/post/cancel/remove against the
// table, RecID, codecs on fields, the signals a grid follows, big rows.
#include "dataset.h"
#include "database.h"

#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

QString s(const char *utf8) { return QString::fromUtf8(utf8); }
std::string joined(const QStringList &l) { return l.join(QLatin1Char('|')).toStdString(); }

struct DatasetTest : ::testing::Test {
    std::unique_ptr<Connection> c = Connection::openMemory();
    Dataset d{QStringLiteral("d")};
    QStringList log;  // signals as "kind row count", count = recordCount() when it fired

    void SetUp() override
    {
        createSchema(*c);
        d.setConnection(c.get());
        auto rec = [this](const char *kind) {
            return [this, kind](int row) { log << QStringLiteral("%1 %2 %3").arg(s(kind)).arg(row).arg(d.recordCount()); };
        };
        QObject::connect(&d, &Dataset::rowInserted, rec("ins"));
        QObject::connect(&d, &Dataset::rowChanged, rec("chg"));
        QObject::connect(&d, &Dataset::rowRemoved, rec("rem"));
        QObject::connect(&d, &Dataset::currentRowChanged, rec("cur"));
    }

    void users(const QStringList &names)
    {
        for (const auto &n : names)
            c->exec(QStringLiteral("insert into admin (name, pass, quanxian) values (?, 'p', '0')"), {n});
    }
    void openUsers(const QStringList &names)
    {
        users(names);
        d.reopen(Statement("select * from admin order by id"));
        log.clear();
    }
    QStringList namesInTable() const
    {
        Query q(*c, QStringLiteral("select name from admin order by id"));
        QStringList out;
        while (q.step()) out << q.text(0);
        return out;
    }
    QStringList namesInDataset() const
    {
        QStringList out;
        const int col = d.columnIndex(QStringLiteral("name"));
        for (int r = 0; r < d.recordCount(); ++r) out << d.cell(r, col).toString();
        return out;
    }
    QVariant stored(const char *column, qint64 id)
    {
        return c->scalar(QStringLiteral("select %1 from 个贷投保单 where id=?").arg(quoteIdent(s(column))), {id});
    }
};

const QStringList kABC = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};

} // namespace

TEST_F(DatasetTest, ReplacedStatementStaysWithTheDataset)
{
    users(kABC);
    d.reopen(Statement("select * from admin"));
    const Statement other(QStringLiteral("select * from admin where name<>? order by id desc"), {QStringLiteral("b")});
    d.setStatement(other);
    EXPECT_FALSE(d.isActive());
    d.open();
    EXPECT_EQ(joined(namesInDataset()), "c|a");
    d.last();
    d.edit();
    // A later window finds statement, row and state as the last one left them.
    EXPECT_EQ(d.statement(), other);
    EXPECT_EQ(d.currentRow(), 1);
    EXPECT_EQ(d.state(), Dataset::State::Edit);
    EXPECT_EQ(d.text(QStringLiteral("name")), QStringLiteral("a"));
    EXPECT_EQ(d.table(), findTable(QStringLiteral("admin")));
}

TEST_F(DatasetTest, NavigationAtBothEnds)
{
    openUsers(kABC);
    struct Step { void (Dataset::*move)(); int row; bool bof; bool eof; };
    const Step steps[] = {
        {&Dataset::next, 1, false, false}, {&Dataset::next, 2, false, false}, {&Dataset::next, 2, false, true},
        {&Dataset::next, 2, false, true},  {&Dataset::prior, 1, false, false}, {&Dataset::first, 0, true, false},
        {&Dataset::prior, 0, true, false}, {&Dataset::last, 2, false, true},   {&Dataset::prior, 1, false, false},
    };
    EXPECT_TRUE(d.bof());
    EXPECT_FALSE(d.eof());
    EXPECT_EQ(d.currentRow(), 0);
    for (size_t i = 0; i < std::size(steps); ++i) {
        (d.*steps[i].move)();
        EXPECT_EQ(d.currentRow(), steps[i].row) << "step " << i;
        EXPECT_EQ(d.bof(), steps[i].bof) << "step " << i;
        EXPECT_EQ(d.eof(), steps[i].eof) << "step " << i;
    }

    // The loops the windows write visit every row once, either way.
    QStringList seen;
    for (d.first(); !d.eof(); d.next()) seen << d.text(QStringLiteral("name"));
    EXPECT_EQ(joined(seen), "a|b|c");
    seen.clear();
    for (d.last(); !d.bof(); d.prior()) seen.prepend(d.text(QStringLiteral("name")));
    EXPECT_EQ(joined(seen), "a|b|c");

    d.reopen(Statement("select * from admin where 1=0"));
    for (void (Dataset::*move)() : {&Dataset::first, &Dataset::next, &Dataset::last, &Dataset::prior}) {
        (d.*move)();
        EXPECT_TRUE(d.bof());
        EXPECT_TRUE(d.eof());
        EXPECT_EQ(d.currentRow(), -1);
        EXPECT_TRUE(d.value(QStringLiteral("name")).isNull());
    }
    EXPECT_THROW(d.edit(), DbError);
}

TEST_F(DatasetTest, EditPostUpdatesTableAndHeldRow)
{
    openUsers(kABC);
    d.moveTo(1);
    log.clear();
    d.edit();
    d.setText(QStringLiteral("name"), s("O'Brien 张\"三"));
    d.setText(QStringLiteral("pass"), QString());
    EXPECT_EQ(d.text(QStringLiteral("name")), s("O'Brien 张\"三"));
    EXPECT_EQ(namesInTable()[1], QStringLiteral("b"));  // nothing written before post
    d.post();
    EXPECT_EQ(d.state(), Dataset::State::Browse);
    EXPECT_EQ(joined(namesInTable()), "a|O'Brien 张\"三|c");
    EXPECT_EQ(joined(namesInDataset()), joined(namesInTable()));
    EXPECT_EQ(joined(log), "chg 1 3");
    // An emptied text field is stored as the empty text, not NULL; others untouched.
    EXPECT_EQ(c->scalar(QStringLiteral("select typeof(pass) || quanxian from admin where name=?"), {s("O'Brien 张\"三")}),
              QVariant(QStringLiteral("text0")));

    // Moving off an edited row posts it.
    d.edit();
    d.setText(QStringLiteral("name"), QStringLiteral("b2"));
    d.next();
    EXPECT_EQ(namesInTable()[1], QStringLiteral("b2"));
    EXPECT_EQ(d.state(), Dataset::State::Browse);

    // A value with quotes is found again through a bound statement.
    c->exec(QStringLiteral("update admin set name=? where name='b2'"), {s("O'Brien")});
    d.reopen(Statement(QStringLiteral("select * from admin where name=?"), {s("O'Brien")}));
    EXPECT_EQ(d.recordCount(), 1);
}

TEST_F(DatasetTest, CancelEditRestoresValues)
{
    openUsers(kABC);
    d.moveTo(2);
    log.clear();
    d.edit();
    d.setText(QStringLiteral("name"), QStringLiteral("zzz"));
    d.cancel();
    EXPECT_EQ(d.state(), Dataset::State::Browse);
    EXPECT_EQ(d.text(QStringLiteral("name")), QStringLiteral("c"));
    EXPECT_EQ(joined(namesInTable()), "a|b|c");
    EXPECT_EQ(joined(log), "chg 2 3");
}

TEST_F(DatasetTest, AppendPostGetsKeyDefaultsAndRecIdOne)
{
    c->exec(QStringLiteral("insert into 个贷投保单 (保单号) values ('P1'), ('P2')"));
    d.reopen(Statement("select * from 个贷投保单"));
    log.clear();
    d.append();
    EXPECT_EQ(d.state(), Dataset::State::Insert);
    EXPECT_EQ(d.recNo(), -1);
    EXPECT_EQ(d.text(QStringLiteral("RecID")), QStringLiteral("1"));
    d.setText(QStringLiteral("保单号"), QStringLiteral("P3"));
    d.setText(QStringLiteral("保险费"), QStringLiteral("1234.5"));
    d.post();
    EXPECT_EQ(joined(log), "ins 2 3|cur 2 3|chg 2 3");

    const qint64 id = d.value(QStringLiteral("id")).toLongLong();
    EXPECT_EQ(stored("保单号", id), QVariant(QStringLiteral("P3")));
    EXPECT_EQ(d.currentRow(), 2);
    EXPECT_FALSE(d.fieldIsNull(QStringLiteral("Flag")));
    EXPECT_EQ(d.intAt(2, d.columnIndex(QStringLiteral("Flag"))), 0);
    EXPECT_FALSE(d.fieldIsNull(QStringLiteral("注销")));
    EXPECT_FALSE(d.flag(QStringLiteral("注销")));
    EXPECT_EQ(d.money(QStringLiteral("保险费")), Money::fromUnits(12345000));
    EXPECT_EQ(d.displayText(2, d.columnIndex(QStringLiteral("保险费"))), QStringLiteral("1,234.50"));

    const int recId = d.columnIndex(QStringLiteral("RecID"));
    ASSERT_EQ(recId, Dataset::kRecId);
    auto recIds = [&] {
        QStringList out;
        for (int r = 0; r < d.recordCount(); ++r) out << d.displayText(r, recId);
        return out.join(QLatin1Char(','));
    };
    EXPECT_EQ(recIds(), QStringLiteral("1,2,1"));
    d.last();
    d.edit();  // editing the appended row later keeps its number
    d.cancel();
    EXPECT_EQ(recIds(), QStringLiteral("1,2,1"));
    d.close();
    d.open();
    EXPECT_EQ(recIds(), QStringLiteral("1,2,3"));
    d.last();
    EXPECT_EQ(d.text(QStringLiteral("保单号")), QStringLiteral("P3"));
    EXPECT_EQ(d.recNo(), 3);
}

TEST_F(DatasetTest, OpenForAppendLoadsNoRowsButWritesAndKeepsTheStatement)
{
    users(kABC);
    const Statement st(QStringLiteral("select * from admin where quanxian=?"), {QStringLiteral("0")});
    d.setStatement(st);
    d.openForAppend();
    EXPECT_TRUE(d.isActive());
    EXPECT_EQ(d.recordCount(), 0);
    EXPECT_NE(d.columnIndex(QStringLiteral("pass")), -1);
    d.append();
    d.setText(QStringLiteral("name"), QStringLiteral("d"));
    d.setText(QStringLiteral("quanxian"), QStringLiteral("0"));
    d.post();
    EXPECT_EQ(d.recordCount(), 1);
    EXPECT_EQ(d.text(QStringLiteral("id")), QStringLiteral("4"));
    EXPECT_EQ(namesInTable(), kABC + QStringList{QStringLiteral("d")});
    // The statement is unchanged: a reopen loads every row it selects.
    EXPECT_EQ(d.statement(), st);
    d.close();
    d.open();
    EXPECT_EQ(namesInDataset(), kABC + QStringList{QStringLiteral("d")});
}

TEST_F(DatasetTest, CancelAppendRemovesPendingRow)
{
    openUsers(kABC);
    d.moveTo(1);
    log.clear();
    d.append();
    d.setText(QStringLiteral("name"), QStringLiteral("never"));
    d.cancel();
    EXPECT_EQ(d.state(), Dataset::State::Browse);
    EXPECT_EQ(joined(namesInDataset()), "a|b|c");
    EXPECT_EQ(joined(namesInTable()), "a|b|c");
    EXPECT_EQ(d.currentRow(), 2);
    EXPECT_FALSE(d.bof() || d.eof());
    EXPECT_EQ(joined(log), "ins 3 4|cur 3 4|rem 3 3|cur 2 3");

    // On an empty dataset the cancel leaves it empty at both ends.
    d.reopen(Statement("select * from admin where 1=0"));
    d.append();
    d.cancel();
    EXPECT_EQ(d.recordCount(), 0);
    EXPECT_EQ(d.currentRow(), -1);
    EXPECT_TRUE(d.bof());
    EXPECT_TRUE(d.eof());
    // remove() of a pending append is its cancel.
    d.append();
    d.remove();
    EXPECT_EQ(d.recordCount(), 0);
    EXPECT_EQ(c->scalar(QStringLiteral("select count(*) from admin")).toInt(), 3);
}

TEST_F(DatasetTest, RemoveDeletesAndMovesSensibly)
{
    struct Case { int at; int current; const char *left; };
    const Case cases[] = {{0, 0, "b|c"}, {1, 1, "a|c"}, {2, 1, "a|b"}};
    for (const auto &k : cases) {
        c->exec(QStringLiteral("delete from admin"));
        openUsers(kABC);
        d.moveTo(k.at);
        log.clear();
        d.remove();
        EXPECT_EQ(joined(namesInDataset()), k.left) << k.at;
        EXPECT_EQ(joined(namesInTable()), k.left) << k.at;
        EXPECT_EQ(d.currentRow(), k.current) << k.at;
        EXPECT_EQ(d.text(QStringLiteral("name")), namesInDataset()[k.current]) << k.at;
        EXPECT_FALSE(d.eof()) << k.at;
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.first().toStdString(), "rem " + std::to_string(k.at) + " 2");
    }
    // An edit in progress is dropped, then the row goes; the last row leaves nothing current.
    c->exec(QStringLiteral("delete from admin"));
    openUsers({QStringLiteral("only")});
    d.edit();
    d.setText(QStringLiteral("name"), QStringLiteral("changed"));
    d.remove();
    EXPECT_EQ(d.recordCount(), 0);
    EXPECT_EQ(d.currentRow(), -1);
    EXPECT_TRUE(d.bof() && d.eof());
    EXPECT_TRUE(namesInTable().isEmpty());
    EXPECT_THROW(d.remove(), DbError);
}

TEST_F(DatasetTest, FieldCodecsOnWrite)
{
    d.reopen(Statement("select * from 个贷投保单"));
    d.append();
    d.setText(QStringLiteral("利润"), QStringLiteral("100"));
    d.setText(QStringLiteral("保险费"), QStringLiteral("500"));
    d.post();
    const qint64 id = d.value(QStringLiteral("id")).toLongLong();

    d.edit();
    try {
        d.setText(QStringLiteral("利润"), QStringLiteral("350.5"));
        ADD_FAILURE() << "a fraction was accepted in an integer column";
    } catch (const ValueError &e) {
        EXPECT_TRUE(e.message().contains(s("利润")) && e.message().contains(QStringLiteral("350.5")))
            << e.message().toStdString();
    }
    EXPECT_EQ(d.text(QStringLiteral("利润")), QStringLiteral("100"));
    d.setText(QStringLiteral("保险费"), QString());
    d.setText(QStringLiteral("出单日期"), QString());
    d.setText(QStringLiteral("保险止期"), QStringLiteral("2025-06-30"));
    d.setText(QStringLiteral("备注"), QString(60, QChar(u'长')));
    d.post();
    EXPECT_EQ(stored("利润", id), QVariant(qint64(100)));
    EXPECT_TRUE(stored("保险费", id).isNull());
    EXPECT_EQ(stored("出单日期", id), QVariant(kZeroDateText));
    EXPECT_EQ(stored("保险止期", id), QVariant(QStringLiteral("2025-06-30")));
    EXPECT_EQ(stored("备注", id).toString().size(), 50);

    const int row = d.currentRow();
    EXPECT_EQ(d.displayText(row, d.columnIndex(QStringLiteral("出单日期"))), QString());
    EXPECT_EQ(d.text(QStringLiteral("出单日期")), QString());
    EXPECT_FALSE(d.date(QStringLiteral("出单日期")).isValid());
    EXPECT_EQ(d.date(QStringLiteral("保险止期")), QDate(2025, 6, 30));
    EXPECT_EQ(d.displayText(row, d.columnIndex(QStringLiteral("保险费"))), QString());

    EXPECT_THROW(d.setText(QStringLiteral("利润"), QStringLiteral("1")), DbError);  // not editing
    d.edit();
    EXPECT_THROW(d.setText(QStringLiteral("nosuch"), QStringLiteral("1")), DbError);
    d.cancel();
}

TEST_F(DatasetTest, EmptyAndZeroAmountsAreNotSelectedByNotZero)
{
    d.reopen(Statement("select * from 个贷投保单"));
    for (const char *amount : {"", "0", "0.00", "12.5"}) {
        d.append();
        d.setText(QStringLiteral("保单号"), s(amount));
        d.setText(QStringLiteral("公司退费"), s(amount));
        d.post();
    }
    struct Case { const char *sql; const char *numbers; };
    const Case cases[] = {
        {"select * from 个贷投保单 where 公司退费 <>0", "12.5"},
        {"select * from 个贷投保单 where 公司退费=0", ""},
        {"select * from 个贷投保单 where 公司退费 is null", ",0,0.00"},
    };
    for (const auto &k : cases) {
        d.reopen(Statement(s(k.sql)));
        QStringList numbers;
        for (d.first(); !d.eof(); d.next()) numbers << d.text(QStringLiteral("保单号"));
        EXPECT_EQ(numbers.join(QLatin1Char(',')), s(k.numbers)) << k.sql;
    }
}

TEST_F(DatasetTest, BigRowsReadBackExactly)
{
    // 3000 customers; one remark well past 64 KB (wide offsets), one past the
    // arena's chunk size, the cells after them still in place.
    const QString wide = QString(70000, QChar(u'备')) + QStringLiteral("end");
    const QString huge = QString(1500000, QChar(u'x'));
    {
        Transaction tx(*c);
        Query q(*c, QStringLiteral("insert into khgx (khjc, bz, sdkh, 用户) values (?, ?, ?, ?)"));
        for (int i = 0; i < 3000; ++i) {
            const QString remark = i == 1234 ? wide : i == 2000 ? huge : QStringLiteral("备注%1").arg(i);
            q.bindAll({QStringLiteral("客户%1").arg(i), remark, i % 2, i % 3 ? QVariant(QStringLiteral("u")) : QVariant()});
            q.exec();
            q.reset();
        }
        tx.commit();
    }
    d.reopen(Statement("select * from khgx order by ID"));
    ASSERT_EQ(d.recordCount(), 3000);
    const int khjc = d.columnIndex(QStringLiteral("khjc")), bz = d.columnIndex(QStringLiteral("bz")),
              sdkh = d.columnIndex(QStringLiteral("sdkh")), user = d.columnIndex(QStringLiteral("用户")),
              id = d.columnIndex(QStringLiteral("ID"));
    for (int r = 0; r < 3000; ++r) {
        const QString remark = r == 1234 ? wide : r == 2000 ? huge : QStringLiteral("备注%1").arg(r);
        ASSERT_EQ(d.cell(r, khjc).toString(), QStringLiteral("客户%1").arg(r));
        ASSERT_EQ(d.cell(r, bz).toString(), remark) << r;
        ASSERT_EQ(d.displayText(r, sdkh), r % 2 ? s("是") : s("否")) << r;
        ASSERT_EQ(d.isNull(r, user), r % 3 == 0) << r;
        ASSERT_EQ(d.intAt(r, id), r + 1);
    }

    // An edited big row is encoded anew and still reads back.
    d.moveTo(1234);
    d.edit();
    d.setText(QStringLiteral("bz"), wide + QStringLiteral("!"));
    d.setText(QStringLiteral("xb"), s("女"));
    d.post();
    EXPECT_EQ(d.cell(1234, bz).toString(), wide + QStringLiteral("!"));
    EXPECT_EQ(d.cell(1234, d.columnIndex(QStringLiteral("xb"))).toString(), s("女"));
    EXPECT_EQ(d.cell(1234, user).toString(), QStringLiteral("u"));
    EXPECT_EQ(c->scalar(QStringLiteral("select bz from khgx where ID=1235")).toString(), wide + QStringLiteral("!"));
}
