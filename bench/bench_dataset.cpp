// Opens the motor dataset over a demo database and reads every cell's display
// text, against a bare sqlite3 loop that reads the same rows into QStrings.
//   bench_dataset FILE          timing of both, best of five, and the ratio
//   bench_dataset FILE memory   peak memory of the dataset path alone
#include "connection.h"
#include "dataset.h"
#include "database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <cstdio>

using namespace tolvaris;

namespace {

const QString kSql = QStringLiteral("select * from 车险投保单");

qint64 bare(Connection &c, qint64 *cells)
{
    Query q(c, kSql);
    sqlite3_stmt *st = q.handle();
    qint64 total = 0;
    *cells = 0;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            QString s;
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL: break;
            case SQLITE_INTEGER: s = QString::number(sqlite3_column_int64(st, i)); break;
            default:
                s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                      sqlite3_column_bytes(st, i));
            }
            total += s.size();
            ++*cells;
        }
    }
    return total;
}

qint64 viaDataset(Connection &c, qint64 *cells)
{
    Dataset d(QStringLiteral("AdoChexian"), kSql);
    d.setConnection(&c);
    d.open();
    qint64 total = 0;
    *cells = 0;
    const int rows = d.recordCount(), cols = d.columnCount();
    for (int r = 0; r < rows; ++r) {
        total += d.displayText(r, Dataset::kRecId).size();
        for (int col = 0; col < cols; ++col) total += d.displayText(r, col).size();
        *cells += cols;
    }
    return total;
}

long peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dataset FILE [memory]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    auto conn = openDatabase(path);
    qint64 cells = 0;
    if (argc > 2 && qstrcmp(argv[2], "memory") == 0) {
        const long before = peakKb();
        QElapsedTimer t;
        t.start();
        const qint64 chars = viaDataset(*conn, &cells);
        std::printf("dataset: %lld cells, %lld chars, %.0f ms\n", (long long)cells, (long long)chars,
                    double(t.nsecsElapsed()) / 1e6);
        const double fileMb = double(QFileInfo(path).size()) / 1048576.0;
        std::printf("peak memory: %.1f MB (before open %.1f MB); database file %.1f MB; ratio %.2f\n",
                    peakKb() / 1024.0, before / 1024.0, fileMb, peakKb() / 1024.0 / fileMb);
        return 0;
    }
    double best[2] = {1e18, 1e18};
    for (int round = 0; round < 5; ++round) {
        for (int which = 0; which < 2; ++which) {
            QElapsedTimer t;
            t.start();
            const qint64 chars = which == 0 ? bare(*conn, &cells) : viaDataset(*conn, &cells);
            const double ms = double(t.nsecsElapsed()) / 1e6;
            best[which] = std::min(best[which], ms);
            std::printf("%s round %d: %.0f ms (%lld cells, %lld chars)\n", which == 0 ? "bare   " : "dataset", round,
                        ms, (long long)cells, (long long)chars);
        }
    }
    std::printf("best bare %.0f ms, best dataset %.0f ms, ratio %.2f\n", best[0], best[1], best[1] / best[0]);
    return 0;
}
