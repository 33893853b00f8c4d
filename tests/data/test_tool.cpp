// The tolvaris-db command-line tool, run as a separate process.
#include "connection.h"
#include "policymath.h"
#include "schema.h"
#include "values.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

struct ToolRun {
    int code = -1;
    QString out, err;
};

ToolRun tool(const QStringList &args)
{
    QProcess p;
    p.start(QString::fromUtf8(TOLVARIS_DB_TOOL), args);
    ToolRun r;
    if (!p.waitForFinished(120000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

const QString kToday = QStringLiteral("2024-06-15");

ToolRun demo(const QString &path, const char *seed)
{
    return tool({QStringLiteral("demo"), path, QStringLiteral("--customers"), QStringLiteral("50"),
                 QStringLiteral("--policies"), QStringLiteral("50"), QStringLiteral("--seed"), QString::fromLatin1(seed),
                 QStringLiteral("--today"), kToday});
}

// A digest of every table's rows (values with their storage types), so two
// files compare by content rather than by bytes.
QByteArray contentHash(const QString &path)
{
    auto c = Connection::open(path, Connection::Mode::ReadOnly);
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const auto &t : allTables()) {
        h.addData(t.name.toUtf8());
        Query q(*c, QStringLiteral("select * from %1 order by 1").arg(quoteIdent(t.name)));
        while (q.step())
            for (int i = 0; i < q.columnCount(); ++i) {
                h.addData(QByteArray::number(q.columnType(i)));
                h.addData(q.text(i).toUtf8());
                h.addData(QByteArrayView("\x1f", 1));
            }
    }
    return h.result().toHex();
}

} // namespace

TEST(Tool, InitCheckAndArguments)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("data.dat"));
    ToolRun r = tool({QStringLiteral("init"), db});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = tool({QStringLiteral("check"), db});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("ok"));
    {
        auto c = Connection::open(db, Connection::Mode::ReadOnly);
        EXPECT_EQ(c->scalar(QStringLiteral("select name || '/' || pass || '/' || quanxian from admin")).toString(),
                  QStringLiteral("admin/admin/1"));
    }

    // An existing file is refused, with one line, and left as it was.
    const QByteArray before = contentHash(db);
    r = tool({QStringLiteral("init"), db, QStringLiteral("--user"), QStringLiteral("王五"), QStringLiteral("--password"),
              QStringLiteral("x")});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err.trimmed().count(u'\n'), 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.trimmed().isEmpty());
    EXPECT_EQ(contentHash(db), before);
    r = tool({QStringLiteral("demo"), db, QStringLiteral("--customers"), QStringLiteral("1"), QStringLiteral("--policies"),
              QStringLiteral("1")});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(contentHash(db), before);

    const QString named = dir.filePath(QStringLiteral("named.dat"));
    r = tool({QStringLiteral("init"), named, QStringLiteral("--user"), QStringLiteral("王五"), QStringLiteral("--password"),
              QStringLiteral("p w"), QStringLiteral("--ordinary")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    {
        auto c = Connection::open(named, Connection::Mode::ReadOnly);
        EXPECT_EQ(c->scalar(QStringLiteral("select name || '/' || pass || '/' || quanxian from admin")).toString(),
                  QStringLiteral("王五/p w/0"));
    }

    const QString fresh = dir.filePath(QStringLiteral("fresh.dat"));
    const QList<QStringList> bad = {
        {},
        {QStringLiteral("init")},
        {QStringLiteral("frob"), fresh},
        {QStringLiteral("init"), fresh, QStringLiteral("--user"), QStringLiteral("a")},
        {QStringLiteral("init"), fresh, QStringLiteral("--ordinary")},
        {QStringLiteral("demo"), fresh},
        {QStringLiteral("demo"), fresh, QStringLiteral("--customers"), QStringLiteral("x"), QStringLiteral("--policies"),
         QStringLiteral("1")},
        {QStringLiteral("demo"), fresh, QStringLiteral("--customers"), QStringLiteral("1"), QStringLiteral("--policies"),
         QStringLiteral("1"), QStringLiteral("--today"), QStringLiteral("2024-13-01")},
        {QStringLiteral("check"), fresh, QStringLiteral("--extra")},
    };
    for (const auto &args : bad) {
        r = tool(args);
        EXPECT_EQ(r.code, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage"))) << args.join(u' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(Tool, CheckRejectsDamagedAndForeignFiles)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("demo.dat"));
    ASSERT_EQ(demo(db, "1").code, 0);
    ASSERT_EQ(tool({QStringLiteral("check"), db}).code, 0);

    const QString cut = dir.filePath(QStringLiteral("cut.dat"));
    ASSERT_TRUE(QFile::copy(db, cut));
    QFile f(cut);
    ASSERT_TRUE(f.resize(f.size() / 2));
    ToolRun r = tool({QStringLiteral("check"), cut});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.trimmed().isEmpty());
    EXPECT_EQ(r.err.trimmed().count(u'\n'), 0) << r.err.toStdString();

    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write(QByteArray("Tolvaris notes\n").repeated(400));
    t.close();
    r = tool({QStringLiteral("check"), text});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.trimmed().isEmpty());

    // A valid SQLite file that is not ours.
    const QString other = dir.filePath(QStringLiteral("other.db"));
    Connection::open(other, Connection::Mode::Create)->exec(QStringLiteral("create table t (x)"));
    EXPECT_EQ(tool({QStringLiteral("check"), other}).code, 1);
    EXPECT_EQ(tool({QStringLiteral("check"), dir.filePath(QStringLiteral("missing.dat"))}).code, 1);
}

TEST(Tool, DemoIsDeterministicAndConsistent)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.dat")), b = dir.filePath(QStringLiteral("b.dat")),
                  other = dir.filePath(QStringLiteral("c.dat"));
    ASSERT_EQ(demo(a, "7").code, 0);
    ASSERT_EQ(demo(b, "7").code, 0);
    ASSERT_EQ(demo(other, "8").code, 0);
    EXPECT_EQ(contentHash(a), contentHash(b));
    EXPECT_NE(contentHash(a), contentHash(other));

    auto c = Connection::open(a, Connection::Mode::ReadOnly);
    QStringList users;
    for (Query q(*c, QStringLiteral("select name, pass, quanxian from admin order by id")); q.step();)
        users << q.text(0) + u'/' + q.text(1) + u'/' + q.text(2);
    EXPECT_EQ(users, QStringList({QStringLiteral("admin/admin/1"), QStringLiteral("张三/1234/0"),
                                  QStringLiteral("李四/1234/0")}));
    EXPECT_EQ(c->scalar(QStringLiteral("select count(*) from khgx")).toInt(), 150);
    for (const char *ref : {"ywly", "hylb", "dkyh", "bdlb", "rizhileibie", "rizhi"})
        EXPECT_EQ(c->scalar(QStringLiteral("select count(distinct 用户) from %1").arg(QString::fromLatin1(ref))).toInt(), 3)
            << ref;
    EXPECT_GT(c->scalar(QStringLiteral("select count(*) from alert where AlertDate=?"), {kToday}).toInt(), 0);
    EXPECT_GT(c->scalar(QStringLiteral("select count(*) from alert where AlertDate>?"), {kToday}).toInt(), 0);

    const std::pair<QString, int> numberLengths[] = {{kMotorTable, 20}, {kMarineTable, 19}, {kNonMotorTable, 19}};
    QSet<QString> states;
    int cancelled = 0;
    for (const auto &[table, length] : numberLengths) {
        const TableDef &t = *findTable(table);
        Query q(*c, QStringLiteral("select * from %1").arg(quoteIdent(table)));
        const auto checks = autoCheckColumns(table);
        QSet<QString> numbers;
        int rows = 0;
        while (q.step()) {
            ++rows;
            auto col = [&](const QString &name) { return q.value(t.columnIndex(name)); };
            auto money = [&](const QString &name) { return moneyFromStorage(col(name)); };

            const QString number = col(QStringLiteral("保单号")).toString();
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{%1}$").arg(length)).match(number).hasMatch()) << number.toStdString();
            numbers.insert(number);

            // Audit state and split agree with the policy arithmetic.
            AutoCheckPairs pairs{};
            for (int i = 0; i < kAutoCheckCount; ++i)
                pairs[size_t(i)] = {money(checks[size_t(i)].amount), money(checks[size_t(i)].reference)};
            const QString state = col(QStringLiteral("审核")).toString();
            EXPECT_EQ(state, auditState(pairs)) << number.toStdString();
            states.insert(state);
            const auto split = splitPremium(money(premiumColumn(table)), col(QStringLiteral("净保费比例")).toString(),
                                            col(QStringLiteral("按保费计算的费用比例")).toString(),
                                            col(QStringLiteral("自留比例")).toString(),
                                            col(QStringLiteral("按净保费计算的费用比例")).toString());
            ASSERT_TRUE(split.has_value());
            EXPECT_EQ(money(QStringLiteral("净保费")), split->net);
            EXPECT_EQ(money(QStringLiteral("自留")), split->retained);
            EXPECT_EQ(money(QStringLiteral("按净保费计算的费用")), split->feeOnNet);

            // Empty amounts are NULL, never 0; dates are valid or the zero date.
            for (size_t i = 0; i < t.columns.size(); ++i) {
                const QVariant v = q.value(int(i));
                if (t.columns[i].type == ColType::Currency) {
                    EXPECT_TRUE(v.isNull() || (v.typeId() == QMetaType::LongLong && v.toLongLong() != 0))
                        << t.columns[i].name.toStdString();
                }
                if (t.columns[i].type == ColType::Date && !v.isNull()) {
                    EXPECT_TRUE(v.toString() == kZeroDateText || dateFromStorage(v).isValid())
                        << t.columns[i].name.toStdString();
                }
            }
            const bool isCancelled = col(QStringLiteral("Flag")).toInt() == 1;
            EXPECT_EQ(col(QStringLiteral("注销")).toInt() == 1, isCancelled);
            EXPECT_EQ(col(QStringLiteral("注销说明")).toString().isEmpty(), !isCancelled);
            cancelled += isCancelled;
        }
        EXPECT_EQ(rows, 50);
        EXPECT_EQ(numbers.size(), 50) << "policy numbers are unique";
    }
    EXPECT_EQ(states, QSet<QString>({kAudited, kNotAudited}));
    EXPECT_GT(cancelled, 0);

    // Motor and non-motor policies each brought one companion customer row.
    for (const auto &[table, kind] : {std::pair{kMotorTable, QStringLiteral("机动车辆保险")},
                                      std::pair{kNonMotorTable, QStringLiteral("非车险")}})
        EXPECT_EQ(c->scalar(QStringLiteral("select count(*) from %1 p join khgx k on k.baodanhao = p.保单号 "
                                           "and k.xianzhong = ? and k.用户 = p.用户")
                                .arg(quoteIdent(table)),
                            {kind})
                      .toInt(),
                  50);
}
