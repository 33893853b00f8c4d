#include "export.h"

#include "datagrid.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tolvaris {

namespace {

const char *const kFailed = "导出失败：";

QString failed(const QString &reason) { return QString::fromUtf8(kFailed) + reason; }

// Why the last write failed, from errno when it tells something useful.
QString osReason()
{
    switch (errno) {
    case ENOSPC: return QStringLiteral("磁盘空间不足");
    case EFBIG: return QStringLiteral("文件过大或磁盘空间不足");
    case EDQUOT: return QStringLiteral("超出磁盘配额");
    case EACCES:
    case EPERM: return QStringLiteral("没有写入权限");
    case EROFS: return QStringLiteral("磁盘只读");
    case ENOENT: return QStringLiteral("文件夹不存在");
    case EIO: return QStringLiteral("磁盘读写错误");
    default: return {};
    }
}

QString lxwReason(lxw_error e)
{
    const QString os = osReason();
    switch (e) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("内存不足");
    case LXW_ERROR_CREATING_XLSX_FILE: return os.isEmpty() ? QStringLiteral("无法创建文件") : os;
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE: return os.isEmpty() ? QStringLiteral("无法写入临时数据，磁盘可能已满") : os;
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_PARAMETER_ERROR: return os.isEmpty() ? QStringLiteral("写入文件时出错，磁盘可能已满") : os;
    default: return QStringLiteral("写入文件时出错（%1）").arg(QString::fromUtf8(lxw_strerror(e)));
    }
}

// How a column's cells go into the sheet.
enum class Cell { Text, Number, Money, Date, YesNo };

Cell cellKind(ColumnKind k, ColType t, int dsCol)
{
    if (k == ColumnKind::CheckBox || t == ColType::YesNo) return Cell::YesNo;
    if (k == ColumnKind::Currency || t == ColType::Currency) return Cell::Money;
    if (k == ColumnKind::Date || t == ColType::Date) return Cell::Date;
    if (k == ColumnKind::Number || t == ColType::Integer || t == ColType::AutoNumber || dsCol == Dataset::kRecId)
        return Cell::Number;
    return Cell::Text;
}

bool parseIsoDate(const QString &s, lxw_datetime *dt)
{
    if (s.size() < 10 || s[4] != u'-' || s[7] != u'-') return false;
    auto num = [&](int from, int len, int *out) {
        int v = 0;
        for (int i = from; i < from + len; ++i) {
            if (s[i] < u'0' || s[i] > u'9') return false;
            v = v * 10 + (s[i].unicode() - '0');
        }
        *out = v;
        return true;
    };
    *dt = lxw_datetime{};
    if (!num(0, 4, &dt->year) || !num(5, 2, &dt->month) || !num(8, 2, &dt->day)) return false;
    // Excel counts days from 1900; earlier dates (the zero date among them) stay text.
    return dt->year >= 1900 && dt->month >= 1 && dt->month <= 12 && dt->day >= 1 && dt->day <= 31;
}

// The footer format as an Excel number format: the text around the number
// quoted, so the cell holds the number and still reads like the footer.
QByteArray excelFooterFormat(const QString &footerFormat, FooterKind kind)
{
    const FooterPattern p = parseFooterFormat(footerFormat, kind);
    auto quoted = [](QString s) {
        s.remove(QLatin1Char('"'));
        return s.isEmpty() ? QString() : QLatin1Char('"') + s + QLatin1Char('"');
    };
    QString number = QStringLiteral("0");
    if (p.decimals > 0) number += QLatin1Char('.') + QString(p.decimals, QLatin1Char('0'));
    return (quoted(p.prefix) + number + quoted(p.suffix)).toUtf8();
}

constexpr int kMaxCellText = 32767;  // Excel's limit per cell

lxw_error writeText(lxw_worksheet *ws, lxw_row_t r, lxw_col_t c, const QString &s, lxw_format *f = nullptr)
{
    if (s.isEmpty()) return LXW_NO_ERROR;
    const QByteArray u = (s.size() > kMaxCellText ? s.left(kMaxCellText) : s).toUtf8();
    return worksheet_write_string(ws, r, c, u.constData(), f);
}

// The uncompressed size of `name` in the zip file at `path`, from its
// central directory; -1 when the entry is not found.
qint64 zipEntrySize(const QString &path, const QByteArray &name)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const qint64 size = f.size();
    const qint64 tailLen = std::min<qint64>(size, 65536 + 22);
    f.seek(size - tailLen);
    const QByteArray tail = f.read(tailLen);
    const qsizetype eocd = tail.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (eocd < 0 || eocd + 22 > tail.size()) return -1;
    auto u16 = [](const char *p) { return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8; };
    auto u32 = [&](const char *p) { return u16(p) | u16(p + 2) << 16; };
    const quint32 dirSize = u32(tail.constData() + eocd + 12);
    const quint32 dirOffset = u32(tail.constData() + eocd + 16);
    if (qint64(dirOffset) + dirSize > size) return -1;
    f.seek(dirOffset);
    const QByteArray dir = f.read(dirSize);
    for (qsizetype p = 0; p + 46 <= dir.size();) {
        const char *e = dir.constData() + p;
        if (u32(e) != 0x02014b50) return -1;
        const quint32 nameLen = u16(e + 28), extraLen = u16(e + 30), commentLen = u16(e + 32);
        if (p + 46 + qsizetype(nameLen) > dir.size()) return -1;
        if (QByteArray::fromRawData(e + 46, nameLen) == name) return u32(e + 24);
        p += 46 + nameLen + extraLen + commentLen;
    }
    return -1;
}

struct Workbook {
    lxw_workbook *wb = nullptr;
    ~Workbook()
    {
        if (wb) workbook_close(wb);  // only after a failure; the file is removed then
    }
};

} // namespace

QString exportToXlsx(const DatasetModel &model, const QList<int> &columns, const QString &path,
                     const ExportProgress &progress)
{
    const QFileInfo target(path);
    const QString dir = target.absolutePath();
    if (!QFileInfo(dir).isDir()) return failed(QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(dir)));
    if (target.isDir()) return failed(QStringLiteral("“%1”是一个文件夹。").arg(QDir::toNativeSeparators(path)));

    // Reserve a temporary name beside the target: same file system, so the
    // final rename cannot fail for lack of space and replaces atomically.
    QString tmpName;
    {
        QTemporaryFile tmp(dir + QStringLiteral("/.") + target.completeBaseName() + QStringLiteral(".XXXXXX.tmp"));
        tmp.setAutoRemove(false);
        if (!tmp.open()) {
            const QString why = osReason();
            return failed(QStringLiteral("无法在文件夹“%1”中创建文件%2。")
                              .arg(QDir::toNativeSeparators(dir),
                                   why.isEmpty() ? QString() : QStringLiteral("（%1）").arg(why)));
        }
        tmpName = tmp.fileName();
    }
    const QByteArray tmpPath = QFile::encodeName(tmpName);
    QByteArray tmpDir = QFile::encodeName(dir);

    auto fail = [&](const QString &reason) {
        QFile::remove(tmpName);
        return failed(reason + QStringLiteral("。"));
    };

    lxw_workbook_options opts{};
    opts.constant_memory = LXW_TRUE;
    opts.tmpdir = tmpDir.data();
    Workbook book;
    book.wb = workbook_new_opt(tmpPath.constData(), &opts);
    if (!book.wb) return fail(QStringLiteral("无法创建工作簿（%1）").arg(osReason().isEmpty() ? QStringLiteral("内存不足") : osReason()));
    lxw_worksheet *ws = workbook_add_worksheet(book.wb, nullptr);
    if (!ws) {
        const QString why = osReason();
        workbook_close(book.wb);
        book.wb = nullptr;
        return fail(QStringLiteral("无法写入临时数据%1").arg(why.isEmpty() ? QString() : QStringLiteral("（%1）").arg(why)));
    }

    lxw_format *header = workbook_add_format(book.wb);
    format_set_bold(header);
    format_set_align(header, LXW_ALIGN_CENTER);
    lxw_format *moneyFmt = workbook_add_format(book.wb);
    format_set_num_format(moneyFmt, "0.00");
    lxw_format *dateFmt = workbook_add_format(book.wb);
    format_set_num_format(dateFmt, "yyyy-mm-dd");

    struct Out {
        int col;
        int dsCol;
        Cell kind;
        lxw_format *footerFmt = nullptr;
    };
    std::vector<Out> outs;
    for (int c : columns) {
        if (c < 0 || c >= model.columnCount()) continue;
        const GridColumn &g = model.column(c);
        Out o{c, model.datasetColumn(c), cellKind(model.kindAt(c), model.typeAt(c), model.datasetColumn(c))};
        if (g.footer != FooterKind::None) {
            o.footerFmt = workbook_add_format(book.wb);
            format_set_num_format(o.footerFmt, excelFooterFormat(g.footerFormat, g.footer).constData());
        }
        outs.push_back(o);
    }

    // Column widths must come before the rows in constant-memory mode.
    for (size_t i = 0; i < outs.size(); ++i) {
        const double chars = model.column(outs[i].col).title().toUtf8().size() * 0.7 + 4;
        const double w = std::max(outs[i].kind == Cell::Date ? 12.0 : 8.0, std::min(chars, 40.0));
        worksheet_set_column(ws, lxw_col_t(i), lxw_col_t(i), w, nullptr);
    }

    lxw_error err = LXW_NO_ERROR;
    auto check = [&err](lxw_error e) {
        if (e != LXW_NO_ERROR && err == LXW_NO_ERROR) err = e;
    };
    for (size_t i = 0; i < outs.size(); ++i)
        check(writeText(ws, 0, lxw_col_t(i), model.column(outs[i].col).title(), header));

    const Dataset *ds = model.dataset();
    const int total = model.rowCount();
    if (progress) progress(0, total);
    for (int r = 0; r < total && err == LXW_NO_ERROR; ++r) {
        const lxw_row_t xr = lxw_row_t(r + 1);
        const int d = model.datasetRow(r);
        for (size_t i = 0; i < outs.size(); ++i) {
            const Out &o = outs[i];
            if (o.dsCol == -1) continue;
            const lxw_col_t xc = lxw_col_t(i);
            switch (o.kind) {
            case Cell::YesNo:
                check(writeText(ws, xr, xc, model.cellText(r, o.col)));
                break;
            case Cell::Number:
                if (o.dsCol == Dataset::kRecId || !ds->isNull(d, o.dsCol)) {
                    const ColType t = ds->columnType(o.dsCol);
                    if (o.dsCol == Dataset::kRecId || t == ColType::Integer || t == ColType::AutoNumber) {
                        check(worksheet_write_number(ws, xr, xc, double(ds->intAt(d, o.dsCol)), nullptr));
                    } else {
                        const QString s = ds->displayText(d, o.dsCol);
                        bool ok = false;
                        const double v = s.trimmed().toDouble(&ok);
                        check(ok ? worksheet_write_number(ws, xr, xc, v, nullptr) : writeText(ws, xr, xc, s));
                    }
                }
                break;
            case Cell::Money:
                if (!ds->isNull(d, o.dsCol)) {
                    if (ds->columnType(o.dsCol) == ColType::Currency) {
                        // The exact amount: units are ten-thousandths.
                        const Money m = ds->moneyAt(d, o.dsCol);
                        check(worksheet_write_number(ws, xr, xc, double(m.units()) / double(Money::kScale), moneyFmt));
                    } else if (ds->columnType(o.dsCol) == ColType::Integer) {
                        check(worksheet_write_number(ws, xr, xc, double(ds->intAt(d, o.dsCol)), moneyFmt));
                    } else {
                        // An amount kept as text: a number when it reads as one.
                        const QString s = ds->displayText(d, o.dsCol);
                        const auto m = s.trimmed().isEmpty() ? std::nullopt : Money::parse(s);
                        check(m ? worksheet_write_number(ws, xr, xc, double(m->units()) / double(Money::kScale), moneyFmt)
                                : writeText(ws, xr, xc, s));
                    }
                }
                break;
            case Cell::Date: {
                const QString s = ds->displayText(d, o.dsCol);
                lxw_datetime dt;
                if (s.isEmpty() || s.startsWith(kZeroDateText)) break;  // the empty date
                if (parseIsoDate(s, &dt)) check(worksheet_write_datetime(ws, xr, xc, &dt, dateFmt));
                else check(writeText(ws, xr, xc, s));
                break;
            }
            case Cell::Text:
                check(writeText(ws, xr, xc, ds->displayText(d, o.dsCol)));
                break;
            }
        }
        if (progress && (r + 1) % 1000 == 0) progress(r + 1, total);
    }

    // The footer's totals, as numbers shown in the footer's own format. An
    // empty grid writes its captions only.
    if (err == LXW_NO_ERROR && total > 0) {
        const lxw_row_t xr = lxw_row_t(total + 1);
        for (size_t i = 0; i < outs.size(); ++i) {
            const Out &o = outs[i];
            if (!o.footerFmt) continue;
            const FooterValue v = model.footerValue(o.col);
            const double x = v.kind == FooterKind::Count ? double(v.count)
                                                          : double(v.sum.units()) / double(Money::kScale);
            check(worksheet_write_number(ws, xr, lxw_col_t(i), x, o.footerFmt));
        }
    }
    if (progress) progress(total, total);

    if (err != LXW_NO_ERROR) {
        // Nothing useful can be saved; the close only frees the workbook.
        const QString why = lxwReason(err);
        workbook_close(book.wb);
        book.wb = nullptr;
        return fail(why);
    }
    // The library does not check writes to its temporary files, so a full
    // disk could leave a cut-off sheet inside an otherwise valid workbook.
    // Check the rows written so far, and after closing that the sheet in the
    // file is longer than they are.
    errno = 0;
    qint64 rowBytes = 0;
    if (ws->optimize_tmpfile) {
        if (std::fflush(ws->optimize_tmpfile) != 0 || std::ferror(ws->optimize_tmpfile)) {
            const QString why = osReason();
            workbook_close(book.wb);
            book.wb = nullptr;
            return fail(why.isEmpty() ? QStringLiteral("无法写入临时数据，磁盘可能已满") : why);
        }
        rowBytes = std::ftell(ws->optimize_tmpfile);
    }
    errno = 0;
    const lxw_error closed = workbook_close(book.wb);
    book.wb = nullptr;
    if (closed != LXW_NO_ERROR) return fail(lxwReason(closed));
    if (zipEntrySize(tmpName, QByteArrayLiteral("xl/worksheets/sheet1.xml")) <= rowBytes)
        return fail(QStringLiteral("写入的文件不完整，磁盘可能已满"));

    if (std::rename(tmpPath.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const QString why = osReason();
        return fail(QStringLiteral("无法保存为“%1”%2")
                        .arg(QDir::toNativeSeparators(path), why.isEmpty() ? QString() : QStringLiteral("（%1）").arg(why)));
    }
    return {};
}

QString exportGridToXlsx(const DataGrid &grid, const QString &path, const ExportProgress &progress)
{
    return exportToXlsx(*grid.gridModel(), grid.visibleColumns(), path, progress);
}

} // namespace tolvaris
