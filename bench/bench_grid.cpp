// bench_grid: how fast the motor policy list opens, paints, scrolls and
// exports with a hundred thousand rows.
//
//   bench_grid [DATABASE]
//
// DATABASE is a demo database (tolvaris-db demo FILE --customers 100000
// --policies 100000). Without one, a temporary database with 100,000 motor
// policies is filled first. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include "datagrid.h"
#include "database.h"
#include "dataset.h"
#include "export.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace tolvaris;

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

// The motor grid of the policy list.
QList<GridColumn> motorColumns()
{
    QList<GridColumn> c;
    c.append({.field = u8("RecID"), .caption = u8("序号"), .kind = ColumnKind::Number, .footer = FooterKind::Count,
              .footerFormat = u8(" 0 份")});
    for (const char *f : {"车辆种类", "业务来源", "保单号", "被保险人", "行驶证车主", "证件类型", "证件号码", "联系人",
                          "手机", "通讯地址", "厂牌车型", "座位", "吨位", "牌照号码", "发动机号", "车架号", "行驶区域"})
        c.append({.field = u8(f), .kind = ColumnKind::Plain});
    c.append({.field = u8("初登年月"), .kind = ColumnKind::Date});
    for (const char *f : {"使用性质", "所属性质", "防盗装置"}) c.append({.field = u8(f), .kind = ColumnKind::Plain});
    c.append({.field = u8("保险起期"), .kind = ColumnKind::Date});
    c.append({.field = u8("保险止期"), .kind = ColumnKind::Date});
    c.append({.field = u8("保险费合计"), .kind = ColumnKind::Currency, .footer = FooterKind::Sum,
              .footerFormat = u8("合计：0.00")});
    c.append({.field = u8("净保费"), .kind = ColumnKind::Currency});
    c.append({.field = u8("费用比例"), .caption = u8("费用比例(%)"), .kind = ColumnKind::Plain});
    c.append({.field = u8("自留"), .kind = ColumnKind::Plain});
    c.append({.field = u8("佣金"), .kind = ColumnKind::Plain});
    const char *steps[][4] = {{"实收保费", "实收保费方式", "实收方式", "实收日期"},
                              {"公司结费", "公司结费方式", "结费方式", "结费日期"},
                              {"费用支付", "费用支付方式", "支付方式", "支付日期"},
                              {"公司退费", "公司退费方式", "退费方式", "退费日期"}};
    for (const auto &s : steps) {
        c.append({.field = u8(s[0]), .kind = ColumnKind::Currency});
        c.append({.field = u8(s[1]), .caption = u8(s[2]), .kind = ColumnKind::Plain});
        c.append({.field = u8(s[0]) + u8("日期"), .caption = u8(s[3]), .kind = ColumnKind::Plain});
    }
    c.append({.field = u8("备注"), .kind = ColumnKind::Plain});
    c.append({.field = u8("出单日期"), .kind = ColumnKind::Plain});
    c.append({.field = u8("注销"), .kind = ColumnKind::CheckBox});
    c.append({.field = u8("注销日期"), .kind = ColumnKind::Plain});
    c.append({.field = u8("注销说明"), .kind = ColumnKind::Plain});
    c.append({.field = u8("审核"), .caption = u8("审核状态"), .kind = ColumnKind::Plain});
    return c;
}

// A database with `n` motor policies, for runs without a demo database.
void fillDatabase(const QString &path, int n)
{
    auto conn = createDatabase(path, {u8("admin"), u8("admin"), true});
    Transaction tx(*conn);
    Query q(*conn, u8("insert into 车险投保单 (险种, 车辆种类, 保单号, 被保险人, 证件号码, 联系人, 手机, 通讯地址, "
                      "厂牌车型, 牌照号码, 发动机号, 车架号, 保险起期, 保险止期, 保险费合计, 净保费, 费用比例, "
                      "实收保费, 实收保费方式, 实收保费日期, 出单日期, 审核, 用户, 注销, Flag) "
                      "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const char *surnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄"};
    const char *given[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军"};
    const QDate base(2024, 1, 1);
    for (int i = 0; i < n; ++i) {
        const QString name = u8(surnames[i % 8]) + u8(given[(i / 8) % 10]);
        const QDate start = base.addDays(i % 365);
        const qint64 premium = (120000 + (i * 7919) % 900000) * 100;
        q.reset();
        q.bindAll({u8("机动车辆保险"), i % 5 ? u8("个人车辆") : u8("企业车辆"),
                   QStringLiteral("2170000%1").arg(i, 13, 10, QLatin1Char('0')), name,
                   QStringLiteral("11010119800101%1").arg(i % 10000, 4, 10, QLatin1Char('0')), name,
                   QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')), u8("北京市朝阳区建国路88号"),
                   u8("大众帕萨特1.8T"), QStringLiteral("京A%1").arg(i % 100000, 5, 10, QLatin1Char('0')),
                   QStringLiteral("EN%1").arg(i), QStringLiteral("LSV%1").arg(i, 14, 10, QLatin1Char('0')),
                   dateToStorage(start), dateToStorage(start.addYears(1)), premium, premium * 3 / 4, u8("12"),
                   i % 3 ? QVariant(premium) : QVariant(), u8("转账"), dateToStorage(start.addDays(3)),
                   dateToStorage(start), i % 2 ? u8("已审核") : u8("未审核"), u8("admin"), i % 50 == 0 ? 1 : 0,
                   i % 50 == 0 ? 1 : 0});
        q.exec();
    }
    tx.commit();
}

// Waits until the widget has been painted once more.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *w) { w->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
    void wait()
    {
        while (!painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents();  // let the paint finish
        painted = false;
    }
};

// The cells the export writes, gathered beforehand, so that the bare
// library run measures nothing but libxlsxwriter.
struct BareCell {
    enum Kind : quint8 { Empty, Text, Number, Money, Date } kind = Empty;
    double num = 0;
    quint32 off = 0, len = 0;
};

struct BareSheet {
    QStringList captions;
    std::vector<BareCell> cells;  // row-major, captions excluded
    std::vector<BareCell> footer;
    std::vector<QByteArray> footerFormats;
    std::string text;
    int columns = 0;
};

BareSheet gather(const DatasetModel &m, const QList<int> &cols)
{
    BareSheet s;
    s.columns = int(cols.size());
    const Dataset &ds = *m.dataset();
    for (int c : cols) s.captions << m.column(c).title();
    s.cells.reserve(size_t(m.rowCount()) * size_t(cols.size()));
    auto addText = [&](const QString &t) {
        BareCell b;
        if (t.isEmpty()) return b;
        const QByteArray u = t.toUtf8();
        b.kind = BareCell::Text;
        b.off = quint32(s.text.size());
        b.len = quint32(u.size());
        s.text.append(u.constData(), size_t(u.size()));
        return b;
    };
    for (int r = 0; r < m.rowCount(); ++r) {
        const int d = m.datasetRow(r);
        for (int c : cols) {
            const int dc = m.datasetColumn(c);
            const ColType t = m.typeAt(c);
            BareCell b;
            if (dc == Dataset::kRecId) {
                b = {BareCell::Number, double(ds.recId(d))};
            } else if (m.kindAt(c) == ColumnKind::CheckBox) {
                b = addText(m.cellText(r, c));
            } else if (t == ColType::Currency) {
                if (!ds.isNull(d, dc)) b = {BareCell::Money, double(ds.moneyAt(d, dc).units()) / 10000.0};
            } else if (t == ColType::Date) {
                const QDate dt = dateFromStorage(ds.cell(d, dc));
                if (dt.isValid()) b = {BareCell::Date, double(dt.year() * 10000 + dt.month() * 100 + dt.day())};
            } else if (t == ColType::Integer) {
                if (!ds.isNull(d, dc)) b = {BareCell::Number, double(ds.intAt(d, dc))};
            } else {
                b = addText(ds.displayText(d, dc));
            }
            s.cells.push_back(b);
        }
    }
    for (int c : cols) {
        const FooterValue v = m.footerValue(c);
        BareCell b;
        if (v.kind == FooterKind::Count) b = {BareCell::Number, double(v.count)};
        if (v.kind == FooterKind::Sum) b = {BareCell::Money, double(v.sum.units()) / 10000.0};
        s.footer.push_back(b);
        const FooterPattern p = parseFooterFormat(m.column(c).footerFormat, v.kind);
        QString f = p.prefix.isEmpty() ? QString() : u8("\"") + p.prefix + u8("\"");
        f += p.decimals ? u8("0.") + QString(p.decimals, QLatin1Char('0')) : u8("0");
        if (!p.suffix.isEmpty()) f += u8("\"") + p.suffix + u8("\"");
        s.footerFormats.push_back(f.toUtf8());
    }
    return s;
}

void writeBare(const BareSheet &s, const QString &path)
{
    const QByteArray p = QFile::encodeName(path);
    lxw_workbook_options opts{};
    opts.constant_memory = LXW_TRUE;
    lxw_workbook *wb = workbook_new_opt(p.constData(), &opts);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format *money = workbook_add_format(wb);
    format_set_num_format(money, "0.00");
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    std::vector<lxw_format *> footerFmt;
    for (const QByteArray &f : s.footerFormats) {
        lxw_format *x = workbook_add_format(wb);
        format_set_num_format(x, f.constData());
        footerFmt.push_back(x);
    }
    for (int c = 0; c < s.columns; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), s.captions[c].toUtf8().constData(), bold);
    std::string buf;
    auto put = [&](lxw_row_t r, lxw_col_t c, const BareCell &b, lxw_format *numFmt) {
        switch (b.kind) {
        case BareCell::Empty: break;
        case BareCell::Text:
            buf.assign(s.text, b.off, b.len);
            worksheet_write_string(ws, r, c, buf.c_str(), nullptr);
            break;
        case BareCell::Number: worksheet_write_number(ws, r, c, b.num, numFmt); break;
        case BareCell::Money: worksheet_write_number(ws, r, c, b.num, numFmt ? numFmt : money); break;
        case BareCell::Date: {
            const int v = int(b.num);
            lxw_datetime dt{v / 10000, v / 100 % 100, v % 100, 0, 0, 0};
            worksheet_write_datetime(ws, r, c, &dt, date);
            break;
        }
        }
    };
    const size_t rows = s.columns ? s.cells.size() / size_t(s.columns) : 0;
    for (size_t r = 0; r < rows; ++r)
        for (int c = 0; c < s.columns; ++c) put(lxw_row_t(r + 1), lxw_col_t(c), s.cells[r * size_t(s.columns) + size_t(c)], nullptr);
    for (int c = 0; c < s.columns; ++c)
        if (s.footer[size_t(c)].kind != BareCell::Empty) put(lxw_row_t(rows + 1), lxw_col_t(c), s.footer[size_t(c)], footerFmt[size_t(c)]);
    workbook_close(wb);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty()) {
        path = tmp.filePath(u8("bench.dat"));
        QElapsedTimer f;
        f.start();
        fillDatabase(path, 100000);
        std::printf("filled %s with 100000 motor policies in %lld ms\n", qPrintable(path), f.elapsed());
    } else if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "no such database: %s\n", qPrintable(path));
        return 1;
    }
    auto conn = openDatabase(path);

    // Open the dataset and show the grid until its first paint.
    QElapsedTimer t;
    t.start();
    Dataset ds(u8("AdoChexian"), Statement(u8("select * from 车险投保单")));
    ds.setConnection(conn.get());
    ds.open();
    const qint64 openMs = t.elapsed();
    DataGrid grid;
    grid.resize(1280, 800);
    grid.bind(&ds, motorColumns());
    PaintWatch watch(grid.viewport());
    grid.show();
    watch.wait();
    const qint64 firstPaintMs = t.elapsed();
    std::printf("rows: %d, grid columns on view: %lld\n", ds.recordCount(), qlonglong(grid.visibleColumns().size()));
    std::printf("open dataset:                   %6lld ms\n", openMs);
    std::printf("open + show grid to first paint: %6lld ms (grid alone %lld ms)\n", firstPaintMs, firstPaintMs - openMs);
    std::printf("footer: %s / %s\n", qPrintable(grid.footerText(u8("RecID"))), qPrintable(grid.footerText(u8("保险费合计"))));

    // Jump to the last row (the dataset's last(), which the grid follows).
    t.restart();
    ds.last();
    watch.wait();
    const qint64 lastMs = t.elapsed();
    std::printf("move to last row and repaint:    %6lld ms (selected row %d)\n", lastMs, grid.selectedRow());

    // Page through from the top, repainting every page.
    QScrollBar *vs = grid.verticalScrollBar();
    vs->setValue(0);
    QApplication::processEvents();
    const int pages = 500;
    const int step = std::max(1, vs->maximum() / pages);
    t.restart();
    int painted = 0;
    for (int v = 0; v <= vs->maximum(); v += step, ++painted) {
        vs->setValue(v);
        grid.viewport()->repaint();
    }
    const qint64 scrollMs = t.elapsed();
    std::printf("scroll top to bottom, %d repaints: %6lld ms (%.2f ms per page)\n", painted, scrollMs,
                double(scrollMs) / std::max(painted, 1));

    // Export, then bare libxlsxwriter writing the same cells.
    const QString ours = tmp.filePath(u8("ours.xlsx"));
    const QString bare = tmp.filePath(u8("bare.xlsx"));
    int progressCalls = 0;
    QElapsedTimer g;
    g.start();
    const BareSheet sheet = gather(*grid.gridModel(), grid.visibleColumns());
    const qint64 gatherMs = g.elapsed();
    // Alternate the two writers and keep the best of three runs each, so
    // that disk caches and other load on the machine touch both alike.
    qint64 exportMs = -1, bareMs = -1;
    for (int round = 0; round < 3; ++round) {
        progressCalls = 0;
        t.restart();
        const QString err = exportGridToXlsx(grid, ours, [&](int, int) { ++progressCalls; });
        const qint64 e = t.elapsed();
        if (!err.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(err));
            return 1;
        }
        t.restart();
        writeBare(sheet, bare);
        const qint64 b = t.elapsed();
        std::printf("  round %d: ours %lld ms, bare %lld ms\n", round + 1, e, b);
        exportMs = exportMs < 0 ? e : std::min(exportMs, e);
        bareMs = bareMs < 0 ? b : std::min(bareMs, b);
    }
    std::printf("export (ours), best of 3:        %6lld ms, %lld bytes, %d progress calls\n", exportMs,
                QFileInfo(ours).size(), progressCalls);
    std::printf("bare libxlsxwriter, same cells:  %6lld ms, %lld bytes (cells gathered beforehand in %lld ms)\n",
                bareMs, QFileInfo(bare).size(), gatherMs);
    std::printf("ratio ours / bare:               %6.2f\n", double(exportMs) / double(std::max<qint64>(bareMs, 1)));
    return 0;
}
