#include "datagrid.h"
#include "grid_fixture.h"

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;
using namespace tolvaris::testing;

namespace {

// RecID as the grid shows it, top to bottom.
QStringList recIds(const DatasetModel &m)
{
    QStringList out;
    const int c = m.columnOf(QStringLiteral("RecID"));
    for (int r = 0; r < m.rowCount(); ++r) out << m.data(m.index(r, c)).toString();
    return out;
}

QStringList numbers(const DatasetModel &m)
{
    QStringList out;
    const int c = m.columnOf(QStringLiteral("保单号"));
    for (int r = 0; r < m.rowCount(); ++r) out << m.data(m.index(r, c)).toString();
    return out;
}

} // namespace

TEST(GridFooter, FormatsNumberInsideText)
{
    struct Case { const char *format; FooterKind kind; qint64 count; qint64 units; const char *expected; };
    const Case cases[] = {
        {"0份", FooterKind::Count, 12, 0, "12份"},
        {" 0 份", FooterKind::Count, 0, 0, " 0 份"},
        {"合计：0.00", FooterKind::Sum, 0, 3000, "合计：0.30"},
        {"合计： 0.00", FooterKind::Sum, 0, 12345000, "合计： 1234.50"},
        {"保费合计：0.00", FooterKind::Sum, 0, 1234567891200, "保费合计：123456789.12"},
        {"0.00", FooterKind::Sum, 0, 0, "0.00"},
        {"0.00", FooterKind::Sum, 0, 50, "0.01"},       // halves away from zero
        {"0.00", FooterKind::Sum, 0, -50, "-0.01"},
        {"0.00", FooterKind::Sum, 0, -1234500, "-123.45"},
    };
    for (const Case &c : cases) {
        FooterValue v{c.kind, c.count, Money::fromUnits(c.units)};
        EXPECT_EQ(formatFooter(QString::fromUtf8(c.format), v), QString::fromUtf8(c.expected)) << c.format;
    }
}

TEST(GridFooter, CountsAndSumsExactly)
{
    MotorFixture f{
        {"A1", "张三", 1000, "2024-01-05", 0, 7},       // 0.10
        {"A2", "李四", 2000, "2024-02-06", 1, -2},      // 0.20
        {"A3", "王五", -1, nullptr, 0, 0},              // no amount
    };
    DatasetModel m(&f.ds, MotorFixture::columns());
    const int rec = m.columnOf(QStringLiteral("RecID"));
    const int premium = m.columnOf(QStringLiteral("保险费合计"));
    const int profit = m.columnOf(QStringLiteral("利润"));
    EXPECT_EQ(m.footerText(rec), QStringLiteral(" 3 份"));
    EXPECT_EQ(m.footerValue(premium).sum, Money::fromUnits(3000));  // 0.1 + 0.2, no binary rounding
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：0.30"));
    EXPECT_EQ(m.footerText(profit), QStringLiteral("5.00"));
    EXPECT_EQ(m.footerText(m.columnOf(QStringLiteral("保单号"))), QString());

    // A sum shown under another column.
    QList<GridColumn> cols = MotorFixture::columns();
    cols[5].footer = FooterKind::Sum;  // 出单日期 shows the premium total
    cols[5].footerFormat = QStringLiteral("0.00");
    cols[5].footerField = QStringLiteral("保险费合计");
    DatasetModel m2(&f.ds, cols);
    EXPECT_EQ(m2.footerText(5), QStringLiteral("0.30"));
}

TEST(GridFooter, FollowsTheDataset)
{
    MotorFixture f{{"A1", "张三", 1000, "2024-01-05", 0, 1}, {"A2", "李四", 2000, "2024-02-06", 0, 1}};
    DatasetModel m(&f.ds, MotorFixture::columns());
    QSignalSpy changed(&m, &DatasetModel::footerChanged);
    const int rec = m.columnOf(QStringLiteral("RecID"));
    const int premium = m.columnOf(QStringLiteral("保险费合计"));

    f.ds.append();
    f.ds.setText(QStringLiteral("保险费合计"), QStringLiteral("5"));
    EXPECT_EQ(m.footerText(rec), QStringLiteral(" 3 份"));
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：5.30"));  // the row being entered counts
    f.ds.post();
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：5.30"));

    f.ds.first();
    f.ds.edit();
    f.ds.setText(QStringLiteral("保险费合计"), QStringLiteral("0.15"));
    f.ds.post();
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：5.35"));

    f.ds.remove();
    EXPECT_EQ(m.footerText(rec), QStringLiteral(" 2 份"));
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：5.20"));

    f.ds.close();
    EXPECT_EQ(m.footerText(rec), QStringLiteral(" 0 份"));
    EXPECT_EQ(m.footerText(premium), QStringLiteral("合计：0.00"));
    EXPECT_GE(changed.count(), 5);
}

TEST(GridModel, ColumnKindsAndCells)
{
    MotorFixture f{{"A1", "张三", 12345600, "2024-01-05", 1, 7}, {"A2", "李四", -1, "1899-12-30", 0, 0}};
    DatasetModel m(&f.ds, MotorFixture::columns());
    const int premium = m.columnOf(QStringLiteral("保险费合计"));
    const int issued = m.columnOf(QStringLiteral("出单日期"));
    const int cancelled = m.columnOf(QStringLiteral("注销"));
    EXPECT_EQ(m.kindAt(m.columnOf(QStringLiteral("RecID"))), ColumnKind::Number);
    EXPECT_EQ(m.kindAt(m.columnOf(QStringLiteral("保单号"))), ColumnKind::Plain);
    EXPECT_EQ(m.kindAt(premium), ColumnKind::Currency);
    EXPECT_EQ(m.kindAt(issued), ColumnKind::Date);
    EXPECT_EQ(m.kindAt(cancelled), ColumnKind::CheckBox);
    EXPECT_EQ(m.headerData(premium, Qt::Horizontal).toString(), QStringLiteral("保险费"));
    EXPECT_EQ(m.headerData(issued, Qt::Horizontal).toString(), QStringLiteral("出单日期"));

    EXPECT_EQ(m.data(m.index(0, premium)).toString(), QStringLiteral("1,234.56"));
    EXPECT_EQ(m.data(m.index(1, premium)).toString(), QString());
    EXPECT_EQ(m.data(m.index(0, issued)).toString(), QStringLiteral("2024-01-05"));
    EXPECT_EQ(m.data(m.index(1, issued)).toString(), QString());  // the zero date is empty
    EXPECT_FALSE(m.data(m.index(0, cancelled)).isValid());          // a tick, no text
    EXPECT_EQ(m.data(m.index(0, cancelled), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    EXPECT_EQ(m.data(m.index(1, cancelled), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(m.cellText(0, cancelled), QStringLiteral("是"));
    for (int c = 0; c < m.columnCount(); ++c)
        EXPECT_EQ(m.data(m.index(0, c), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter)) << c;
    EXPECT_FALSE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m.flags(m.index(0, cancelled)) & Qt::ItemIsUserCheckable);

    // Without a column list: 序号 and every column of the result.
    DatasetModel all(&f.ds, {});
    EXPECT_EQ(all.columnCount(), f.ds.columnCount() + 1);
    EXPECT_EQ(all.headerData(0, Qt::Horizontal).toString(), QStringLiteral("序号"));
}

TEST(GridModel, CancelledRowColours)
{
    MotorFixture f{{"A1", "张三", 1000, "2024-01-05", 0, 0}, {"A2", "李四", 2000, "2024-02-06", 1, 0}};
    DatasetModel m(&f.ds, MotorFixture::columns());
    EXPECT_FALSE(m.data(m.index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(m.data(m.index(0, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(m.data(m.index(1, 1), Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 220, 192));
    EXPECT_EQ(m.data(m.index(1, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));

    // Lifting the cancellation repaints the row in normal colours.
    QSignalSpy spy(&m, &QAbstractItemModel::dataChanged);
    f.ds.moveTo(1);
    f.ds.edit();
    f.ds.setValue(QStringLiteral("Flag"), 0);
    f.ds.post();
    ASSERT_FALSE(spy.isEmpty());
    EXPECT_EQ(spy.last().at(0).toModelIndex().row(), 1);
    EXPECT_FALSE(m.data(m.index(1, 1), Qt::BackgroundRole).isValid());
}

// The colours reach the screen, and the selection wins over them.
TEST(DataGridView, PaintsCancelledRowsUnlessSelected)
{
    MotorFixture f{{"A1", "张三", 1000, "2024-01-05", 1, 0}, {"A2", "李四", 2000, "2024-02-06", 1, 0},
                   {"A3", "王五", 3000, "2024-02-07", 0, 0}};
    DataGrid g;
    g.resize(700, 300);
    g.bind(&f.ds, MotorFixture::columns());
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    f.ds.moveTo(0);  // row 0 selected, row 1 cancelled and not selected, row 2 normal
    const QImage img = g.viewport()->grab().toImage();
    auto background = [&](int row) {
        const QRect r = g.visualRect(g.gridModel()->index(row, 1));
        return img.pixelColor(r.left() + 2, r.center().y());
    };
    EXPECT_EQ(background(1), QColor(192, 220, 192));
    EXPECT_NE(background(0), QColor(192, 220, 192));
    EXPECT_NE(background(2), QColor(192, 220, 192));
    // Some pixel of row 1's text is red.
    const QRect r1 = g.visualRect(g.gridModel()->index(1, 2));
    bool red = false;
    for (int x = r1.left(); x <= r1.right() && !red; ++x)
        for (int y = r1.top(); y <= r1.bottom() && !red; ++y) {
            const QColor c = img.pixelColor(x, y);
            red = c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_TRUE(red);
}

TEST(DataGridView, SelectionAndCurrentRowFollowEachOther)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}, {"A3", "王五", 3, nullptr, 0, 0}};
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    g.resize(600, 300);
    g.show();
    EXPECT_EQ(g.selectedRow(), 0);  // the dataset's current row after open

    g.selectRow(2);
    EXPECT_EQ(f.ds.currentRow(), 2);
    EXPECT_EQ(f.ds.text(QStringLiteral("保单号")), QStringLiteral("A3"));

    f.ds.prior();
    EXPECT_EQ(g.selectedRow(), 1);
    EXPECT_EQ(g.selectionModel()->selectedRows().size(), 1);

    // A click on a cell selects its whole row and moves the dataset.
    const QRect cell = g.visualRect(g.gridModel()->index(0, 2));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(f.ds.currentRow(), 0);
    EXPECT_EQ(g.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(g.selectionModel()->selectedIndexes().size(), g.gridModel()->columnCount());

    // Reopening selects the dataset's new current row.
    f.ds.reopen(Statement(QStringLiteral("select * from 车险投保单 where 保单号 = ?"), {QStringLiteral("A3")}));
    EXPECT_EQ(g.gridModel()->rowCount(), 1);
    EXPECT_EQ(g.selectedRow(), 0);
    f.ds.reopen(Statement(QStringLiteral("select * from 车险投保单 where 保单号 = ?"), {QStringLiteral("none")}));
    EXPECT_EQ(g.selectedRow(), -1);
}

TEST(DataGridView, LeavingAnEditedRowThatCannotPostKeepsTheRow)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}};
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    QSignalSpy errors(&g, &DataGrid::databaseError);
    f.ds.edit();
    f.ds.setText(QStringLiteral("被保险人"), QStringLiteral("赵六"));
    f.conn->exec(QStringLiteral("drop table 车险投保单"));  // the post must fail
    g.selectRow(1);
    EXPECT_EQ(errors.count(), 1);
    EXPECT_EQ(f.ds.currentRow(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.selectedRow(), 0);
}

TEST(DataGridView, ModelFollowsAppendPostRemove)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}, {"A3", "王五", 3, nullptr, 0, 0}};
    DataGrid g;
    // The tester compares column 0 around every insertion and removal; RecID
    // there would be renumbered by design, so the policy number comes first.
    QAbstractItemModelTester tester(g.gridModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    g.bind(&f.ds, {{.field = QStringLiteral("保单号")}, {.field = QStringLiteral("RecID")},
                   {.field = QStringLiteral("保险费合计")}});
    const DatasetModel &m = *g.gridModel();
    ASSERT_EQ(numbers(m), L({"A1", "A2", "A3"}));

    // An appended row has RecID 1 and so stands right after the first row.
    f.ds.append();
    f.ds.setText(QStringLiteral("保单号"), QStringLiteral("N1"));
    f.ds.post();
    EXPECT_EQ(numbers(m), L({"A1", "N1", "A2", "A3"}));
    EXPECT_EQ(recIds(m), L({"1", "1", "2", "3"}));
    EXPECT_EQ(g.selectedRow(), 3);  // dataset row of N1
    EXPECT_EQ(g.currentIndex().row(), 1);

    f.ds.append();
    f.ds.setText(QStringLiteral("保单号"), QStringLiteral("N2"));
    EXPECT_EQ(numbers(m), L({"A1", "N1", "N2", "A2", "A3"}));
    f.ds.cancel();
    EXPECT_EQ(numbers(m), L({"A1", "N1", "A2", "A3"}));

    // Editing shows the new text in place.
    f.ds.moveTo(1);
    f.ds.edit();
    f.ds.setText(QStringLiteral("保单号"), QStringLiteral("B2"));
    f.ds.post();
    EXPECT_EQ(numbers(m), L({"A1", "N1", "B2", "A3"}));

    // Removing a row renumbers those after it. The dataset alone decides
    // the new current row: the grid does not move it meanwhile.
    QSignalSpy moved(&f.ds, &Dataset::currentRowChanged);
    f.ds.remove();
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(numbers(m), L({"A1", "N1", "A3"}));
    EXPECT_EQ(recIds(m), L({"1", "1", "2"}));
    EXPECT_EQ(numbers(m).at(g.currentIndex().row()), QStringLiteral("A3"));

    // Removing the first row brings the next read row to the top.
    f.ds.first();
    f.ds.remove();
    EXPECT_EQ(numbers(m), L({"A3", "N1"}));
    EXPECT_EQ(recIds(m), L({"1", "1"}));
    EXPECT_EQ(g.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(f.ds.currentRow(), g.selectedRow());

    f.ds.close();
    EXPECT_EQ(m.rowCount(), 0);
    f.ds.open();
    EXPECT_EQ(numbers(m), L({"A3", "N1"}));  // reopened: table order, fresh numbers
    EXPECT_EQ(recIds(m), L({"1", "2"}));
}

TEST(DataGridView, LayoutHiddenColumnsAndFooter)
{
    MotorFixture f{{"A1", "张三", 1000, nullptr, 0, 0}, {"A2", "李四", 2000, nullptr, 0, 0}};
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    g.resize(800, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    const DatasetModel &m = *g.gridModel();
    EXPECT_TRUE(g.isColumnHidden(m.columnOf(QStringLiteral("证件号码"))));
    EXPECT_FALSE(g.visibleColumns().contains(m.columnOf(QStringLiteral("证件号码"))));
    EXPECT_EQ(g.visibleColumns().size(), m.columnCount() - 1);
    EXPECT_EQ(g.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(g.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(g.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(g.footerText(QStringLiteral("保险费合计")), QStringLiteral("合计：0.30"));

    // The footer lies between the rows and the bottom edge, as wide as the rows.
    ASSERT_TRUE(g.footer()->isVisible());
    const QRect vp = g.viewport()->geometry();
    const QRect ft = g.footer()->geometry();
    EXPECT_EQ(ft.top(), vp.bottom() + 1);
    EXPECT_EQ(ft.width(), vp.width());
    EXPECT_GT(ft.height(), 10);

    DataGrid plain;
    plain.bind(&f.ds, {{.field = QStringLiteral("保单号")}});
    plain.resize(300, 200);
    plain.show();
    EXPECT_FALSE(plain.footer()->isVisible());
}

TEST(DataGridView, DoubleClickAndContextMenuReportTheRow)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}, {"A3", "王五", 3, nullptr, 0, 0}};
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    g.resize(600, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QSignalSpy dbl(&g, &DataGrid::rowDoubleClicked);
    QSignalSpy menu(&g, &DataGrid::rowContextMenu);

    const QPoint p2 = g.visualRect(g.gridModel()->index(2, 1)).center();
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, p2);
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl.at(0).at(0).toInt(), 2);
    EXPECT_EQ(f.ds.currentRow(), 2);

    const QPoint p1 = g.visualRect(g.gridModel()->index(1, 1)).center();
    QContextMenuEvent ev(QContextMenuEvent::Mouse, p1, g.viewport()->mapToGlobal(p1));
    QCoreApplication::sendEvent(g.viewport(), &ev);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toInt(), 1);
    EXPECT_EQ(f.ds.currentRow(), 1);  // right click selects the row first

    const QPoint below(5, g.viewport()->height() - 3);
    QContextMenuEvent ev2(QContextMenuEvent::Mouse, below, g.viewport()->mapToGlobal(below));
    QCoreApplication::sendEvent(g.viewport(), &ev2);
    ASSERT_EQ(menu.count(), 2);
    EXPECT_EQ(menu.at(1).at(0).toInt(), -1);
    EXPECT_EQ(f.ds.currentRow(), 1);
}

// Removing the last row: the view would step to the row before it by itself,
// but only the dataset moves its current row, once.
TEST(DataGridView, RemovingTheSelectedLastRow)
{
    MotorFixture f{{"A1", "张三", 1, nullptr, 0, 0}, {"A2", "李四", 2, nullptr, 0, 0}, {"A3", "王五", 3, nullptr, 0, 0}};
    DataGrid g;
    g.bind(&f.ds, MotorFixture::columns());
    f.ds.last();
    ASSERT_EQ(g.selectedRow(), 2);
    QSignalSpy moved(&f.ds, &Dataset::currentRowChanged);
    f.ds.remove();
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(f.ds.currentRow(), 1);
    EXPECT_EQ(g.selectedRow(), 1);
}
