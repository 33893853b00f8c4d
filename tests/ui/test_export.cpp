#include "datagrid.h"
#include "export.h"
#include "grid_fixture.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace tolvaris;
using namespace tolvaris::testing;

namespace {

// Reads a workbook back with openpyxl: per cell its Python type, value
// (dates as ISO text) and number format.
QJsonArray readBack(const QString &path)
{
    const char *script = R"(
import datetime, json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
out = []
for row in ws.iter_rows():
    cells = []
    for c in row:
        v = c.value
        if isinstance(v, (datetime.datetime, datetime.date)):
            v = v.isoformat()
        cells.append({"t": type(c.value).__name__, "v": v, "f": c.number_format})
    out.append(cells)
print(json.dumps(out))
)";
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!py.waitForFinished(60000) || py.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl failed: " << py.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(py.readAllStandardOutput()).array();
}

QJsonObject cell(const QJsonArray &rows, int r, int c) { return rows.at(r).toArray().at(c).toObject(); }

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(GridExport, WritesTypedCellsAndFooter)
{
    MotorFixture f{
        {"A1", "张三", 1000, "2024-03-05", 1, 7},     // 0.10
        {"A2", "李四", 2000, "1899-12-30", 0, -2},    // 0.20, empty date
        {"A3", "王五", -1, nullptr, 0, 0},            // no amount, no date
    };
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2024-03-05.xlsx"));
    std::vector<std::pair<int, int>> calls;
    const QString err = exportGridToXlsx(g, path, [&](int done, int total) { calls.emplace_back(done, total); });
    ASSERT_EQ(err, QString());
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("2024-03-05.xlsx")});  // no temporary left
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(3, 3));

    const QJsonArray rows = readBack(path);
    ASSERT_EQ(rows.size(), 5);  // captions, three rows, totals
    // Captions of the visible columns only (证件号码 is hidden).
    QStringList captions;
    for (const auto &c : rows.at(0).toArray()) captions << c.toObject().value(QStringLiteral("v")).toString();
    EXPECT_EQ(captions, L({"序号", "保单号", "被保险人", "保险费", "出单日期", "注销", "利润"}));

    // 序号 and 利润 as numbers, the amount exact with two decimals shown.
    EXPECT_EQ(cell(rows, 1, 0).value(QStringLiteral("t")).toString(), QStringLiteral("int"));
    EXPECT_EQ(cell(rows, 3, 0).value(QStringLiteral("v")).toInt(), 3);
    EXPECT_EQ(cell(rows, 1, 1).value(QStringLiteral("v")).toString(), QStringLiteral("A1"));
    EXPECT_EQ(cell(rows, 1, 2).value(QStringLiteral("v")).toString(), QStringLiteral("张三"));
    EXPECT_EQ(cell(rows, 1, 3).value(QStringLiteral("t")).toString(), QStringLiteral("float"));
    EXPECT_EQ(cell(rows, 1, 3).value(QStringLiteral("v")).toDouble(), 0.1);
    EXPECT_EQ(cell(rows, 1, 3).value(QStringLiteral("f")).toString(), QStringLiteral("0.00"));
    EXPECT_TRUE(cell(rows, 3, 3).value(QStringLiteral("v")).isNull());  // no amount: empty cell
    // Dates are dates; the zero date and a missing date are empty cells.
    EXPECT_EQ(cell(rows, 1, 4).value(QStringLiteral("t")).toString(), QStringLiteral("datetime"));
    EXPECT_EQ(cell(rows, 1, 4).value(QStringLiteral("v")).toString(), QStringLiteral("2024-03-05T00:00:00"));
    EXPECT_EQ(cell(rows, 1, 4).value(QStringLiteral("f")).toString(), QStringLiteral("yyyy-mm-dd"));
    EXPECT_TRUE(cell(rows, 2, 4).value(QStringLiteral("v")).isNull());
    EXPECT_TRUE(cell(rows, 3, 4).value(QStringLiteral("v")).isNull());
    // Check boxes as 是/否.
    EXPECT_EQ(cell(rows, 1, 5).value(QStringLiteral("v")).toString(), QStringLiteral("是"));
    EXPECT_EQ(cell(rows, 2, 5).value(QStringLiteral("v")).toString(), QStringLiteral("否"));
    EXPECT_EQ(cell(rows, 2, 6).value(QStringLiteral("v")).toInt(), -2);

    // The footer's totals: numbers, shown in the footer's format.
    EXPECT_EQ(cell(rows, 4, 0).value(QStringLiteral("v")).toInt(), 3);
    EXPECT_EQ(cell(rows, 4, 0).value(QStringLiteral("f")).toString(), QStringLiteral("\" \"0\" 份\""));
    EXPECT_EQ(cell(rows, 4, 3).value(QStringLiteral("v")).toDouble(), 0.3);
    EXPECT_EQ(cell(rows, 4, 3).value(QStringLiteral("f")).toString(), QStringLiteral("\"合计：\"0.00"));
    EXPECT_EQ(cell(rows, 4, 6).value(QStringLiteral("v")).toDouble(), 5.0);
    EXPECT_TRUE(cell(rows, 4, 1).value(QStringLiteral("v")).isNull());
}

TEST(GridExport, RowsInGridOrderAndEmptyGrid)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}};
    f.ds.append();
    f.ds.setText(QStringLiteral("保单号"), QStringLiteral("N1"));
    f.ds.post();
    DatasetModel m(&f.ds, MotorFixture::columns());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.xlsx"));
    ASSERT_EQ(exportToXlsx(m, {0, 1}, path), QString());
    QJsonArray rows = readBack(path);
    ASSERT_EQ(rows.size(), 5);
    QStringList order;
    for (int r = 1; r <= 3; ++r) order << cell(rows, r, 1).value(QStringLiteral("v")).toString();
    EXPECT_EQ(order, L({"A1", "N1", "A2"}));  // ascending 序号: the new row has 1

    // An empty grid writes its captions only; an existing file is replaced.
    f.ds.reopen(Statement("select * from 车险投保单 where 1 = 0"));
    ASSERT_EQ(exportToXlsx(m, {0, 1, 4}, path), QString());
    rows = readBack(path);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(cell(rows, 0, 2).value(QStringLiteral("v")).toString(), QStringLiteral("保险费"));
}

TEST(GridExport, FailuresAreReportedAndLeaveNoFile)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}};
    DatasetModel m(&f.ds, MotorFixture::columns());
    QTemporaryDir dir;

    const QString missing = dir.filePath(QStringLiteral("no/such/folder/x.xlsx"));
    const QString e1 = exportToXlsx(m, {0, 1}, missing);
    EXPECT_TRUE(e1.startsWith(QStringLiteral("导出失败："))) << e1.toStdString();
    EXPECT_TRUE(e1.contains(QStringLiteral("不存在"))) << e1.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));

    // Not writable, even for root.
    const QString e2 = exportToXlsx(m, {0, 1}, QStringLiteral("/proc/tolvaris-export.xlsx"));
    EXPECT_TRUE(e2.startsWith(QStringLiteral("导出失败："))) << e2.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/tolvaris-export.xlsx")));

    const QString e3 = exportToXlsx(m, {0, 1}, dir.path());
    EXPECT_TRUE(e3.startsWith(QStringLiteral("导出失败："))) << e3.toStdString();
}

// A disk that fills up while the workbook is written: simulated with a
// file-size limit. The earlier file of that name stays as it was.
TEST(GridExport, FullDiskKeepsThePreviousFile)
{
    MotorFixture f{};
    {
        Transaction tx(*f.conn);
        for (int i = 0; i < 3000; ++i)
            f.insert({QStringLiteral("P%1").arg(i).toUtf8().constData(), "被保险人名称较长的一位客户", 123456 + i,
                      "2024-01-01", i % 7 == 0, i});
        tx.commit();
    }
    f.ds.close();
    f.ds.open();
    DatasetModel m(&f.ds, MotorFixture::columns());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xlsx"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous export");
    }

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString err = exportToXlsx(m, {0, 1, 2, 4, 5, 6}, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(err.startsWith(QStringLiteral("导出失败："))) << err.toStdString();
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("previous export"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("list.xlsx")});

    // With room again the same export succeeds and replaces it.
    EXPECT_EQ(exportToXlsx(m, {0, 1, 2, 4, 5, 6}, path), QString());
    EXPECT_EQ(readBack(path).size(), 3002);
}
