// bench_motor_save: one motor policy save as the motor editor does it (the
// number check on `ds`, then the customer row and the policy row in one
// transaction through ADOQuery1 and AdoChexian), against a bare prepared
// insert of the same two rows through the sqlite3 C API.
//
//   bench_motor_save DATABASE [SAVES]
//
// DATABASE is a demo database (tolvaris-db demo FILE --customers 100000
// --policies 100000). It is never written: every run works on copies in a
// temporary folder. SAVES (default 200) saves are timed in each run, each
// with its own policy number. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
//
// Besides the editor and the bare figure it prints two in between, to show
// where a save's time goes: the datasets' statements through sqlite3 with
// each one prepared per save, and the datasets driven without the window.
//
// The shared datasets are set up as the running program has them after the
// main window's first show: the session reconnected (every dataset closed),
// AdoAlert on today's reminders, the counters leaving AdoGedai and
// AdoChexian closed on their "实收保费 <>0" statements, ADOQuery1 and ds
// closed on their design statements. The editor opens the closed datasets
// for appending on its first save; that save is shown on its own.
#include "fakeservices.h"
#include "formbuilder.h"
#include "accountstab.h"
#include "frmchexianbaodan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <vector>

using namespace tolvaris;

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

// Policy numbers the demo never uses (its numbers do not start with 99).
QString policyNumber(int run, int i)
{
    return u8("99") + QString::number(run) + QString::number(i).rightJustified(17, u'0');
}

struct Stats {
    double median = 0, p10 = 0, p90 = 0, mean = 0, min = 0, max = 0;
};

Stats stats(std::vector<double> v)
{
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[size_t(q * double(v.size() - 1) + 0.5)]; };
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    s.p10 = at(0.1);
    s.p90 = at(0.9);
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    s.min = v.front();
    s.max = v.back();
    return s;
}

void printStats(const char *what, const std::vector<double> &us)
{
    const Stats s = stats(us);
    std::printf("  %-44s median %9.1f us  p10 %9.1f  p90 %9.1f  mean %9.1f  max %9.1f  (n=%zu)\n", what, s.median,
                s.p10, s.p90, s.mean, s.max, us.size());
}

double usSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1000.0; }

QString copyOf(const QString &demo, const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!QFile::copy(demo, path)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(demo), qPrintable(path));
        std::exit(1);
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// The data module after the main window's first show (see the top).
void asAfterFirstShow(Session &session, const Context &ctx)
{
    session.reconnect();
    TDataModule1 &dm = session.dm();
    dm.AdoAlert.reopen(Statement(u8("Select * from Alert where AlertDate=?"), {dateToStorage(ctx.clock().today())}));
    dm.AdoGedai.setStatement(Statement(u8("select * from 个贷投保单 where 实收保费 <>0")));
    dm.AdoChexian.setStatement(Statement(u8("select * from 车险投保单 where 实收保费 <>0 ")));
}

// What a user types for one policy: the required fields, the insured's
// and the vehicle's details, the cover period and premiums, the accounts.
void fill(TFrmCheXianBaodan &e, const QString &number, int i)
{
    FormBuilder &f = e.form();
    f.field<ComboField>(u8("业务来源"))->setText(u8("直销"));
    f.field<ComboField>(u8("车辆种类"))->setText(u8("个人车辆"));
    f.field<QLineEdit>(u8("保单号"))->setText(number);
    f.field<QLineEdit>(u8("被保险人"))->setText(u8("王五") + QString::number(i));
    f.field<ComboField>(u8("证件类型"))->setText(u8("居民身份证"));
    f.field<QLineEdit>(u8("证件号码"))->setText(u8("61010219800101") + QString::number(1000 + i % 9000));
    f.field<QLineEdit>(u8("联系人"))->setText(u8("王小五"));
    f.field<QLineEdit>(u8("手机"))->setText(u8("139") + QString::number(10000000 + i));
    f.field<QLineEdit>(u8("通讯地址"))->setText(u8("西安市雁塔区科技路") + QString::number(i % 300) + u8("号"));
    f.field<QLineEdit>(u8("牌照号码"))->setText(u8("陕A") + QString::number(10000 + i % 90000));
    f.field<QLineEdit>(u8("厂牌车型"))->setText(u8("大众朗逸1.6"));
    f.field<QLineEdit>(u8("发动机号"))->setText(u8("EA211") + QString::number(100000 + i));
    f.field<QLineEdit>(u8("车架号"))->setText(u8("LSVAA4180E2") + QString::number(100000 + i));
    f.field<ComboField>(u8("使用性质"))->setText(u8("非营业"));
    f.field<ComboField>(u8("行驶区域"))->setText(u8("陕西境内"));
    f.field<QLineEdit>(u8("座位"))->setText(u8("5"));
    f.field<QLineEdit>(u8("新车购置价"))->setText(u8("128000"));
    f.field<QLineEdit>(u8("保险金额"))->setText(u8("128000"));
    f.field<QLineEdit>(u8("车损保险费"))->setText(u8("2150.40"));
    f.field<ComboField>(u8("赔偿限额"))->setText(u8("20万元"));
    f.field<QLineEdit>(u8("三责保险费"))->setText(u8("1010"));
    const QDate start(2024, 3, 16);
    f.field<DateEdit>(u8("保险起期"))->setDate(start);
    f.field<DateEdit>(u8("保险止期"))->setDate(start.addYears(1).addDays(-1));
    e.accounts()->premium()->setPlainText(u8("3160.40"));
    e.accounts()->ratio(0)->setText(u8("85"));
}

struct EditorRun {
    double constructUs = 0;           // the one window's construction
    double firstSaveUs = 0;           // the first save (opens ADOQuery1)
    std::vector<double> saveUs;       // the saves after it
    QString path;                     // the copy the saves went into
};

// Saves one after another in one window, with "保存并新建".
EditorRun runEditorSaveAndNew(const QString &path, int saves)
{
    EditorRun r;
    r.path = path;
    FakeServices fake;
    Session session(path);
    AppState state;
    state.CurrentUser = u8("admin");
    state.IsOrdinaryUser = false;
    Context ctx{fake.services(), &session, &state};
    session.open();
    asAfterFirstShow(session, ctx);
    std::printf("  AdoChexian holds %d rows, AdoGedai %d; ADOQuery1 %s, ds %s\n",
                session.dm().AdoChexian.recordCount(), session.dm().AdoGedai.recordCount(),
                session.dm().ADOQuery1.isActive() ? "open" : "closed", session.dm().ds.isActive() ? "open" : "closed");

    state.EditMode = u8("N");
    QElapsedTimer t;
    t.start();
    TFrmCheXianBaodan editor(ctx);
    r.constructUs = usSince(t);
    editor.show();
    QApplication::processEvents();

    const qint64 before = session.connection().scalar(u8("select count(*) from 车险投保单")).toLongLong();
    for (int i = 0; i <= saves; ++i) {
        fill(editor, policyNumber(1, i), i);
        QApplication::processEvents();
        t.restart();
        editor.BitBtnSaveNewClick();
        const double us = usSince(t);
        if (!fake.log.empty()) {
            std::fprintf(stderr, "save %d refused: %s\n", i, qPrintable(fake.log.back().text));
            std::exit(1);
        }
        if (i == 0) r.firstSaveUs = us;
        else r.saveUs.push_back(us);
        QApplication::processEvents();
    }
    const qint64 after = session.connection().scalar(u8("select count(*) from 车险投保单")).toLongLong();
    if (after - before != saves + 1) {
        std::fprintf(stderr, "expected %d new policies, found %lld\n", saves + 1, after - before);
        std::exit(1);
    }
    std::printf("  after the saves: ADOQuery1 holds %d rows, AdoChexian %d\n", session.dm().ADOQuery1.recordCount(),
                session.dm().AdoChexian.recordCount());
    return r;
}

struct WindowRun {
    std::vector<double> constructUs, saveUs, totalUs;
};

// A window per policy, as the main window's new-policy command opens it:
// construct, fill, "保存" (which accepts), destroy. ADOQuery1 is already
// open here (a first save has happened), so every save is a steady one.
WindowRun runEditorWindowPerSave(const QString &path, int saves)
{
    WindowRun r;
    FakeServices fake;
    Session session(path);
    AppState state;
    state.CurrentUser = u8("admin");
    state.IsOrdinaryUser = false;
    Context ctx{fake.services(), &session, &state};
    session.open();
    asAfterFirstShow(session, ctx);
    for (int i = 0; i <= saves; ++i) {
        state.EditMode = u8("N");
        QElapsedTimer t;
        t.start();
        auto editor = std::make_unique<TFrmCheXianBaodan>(ctx);
        const double construct = usSince(t);
        editor->show();
        QApplication::processEvents();
        fill(*editor, policyNumber(2, i), i);
        fake.log.clear();
        t.restart();
        editor->BitBtnSaveClick();
        const double save = usSince(t);
        // The one message of a successful save is its notice.
        if (fake.log.size() != 1 || editor->result() != QDialog::Accepted) {
            std::fprintf(stderr, "window save %d failed: %s\n", i,
                         fake.log.empty() ? "not accepted" : qPrintable(fake.log.back().text));
            std::exit(1);
        }
        t.restart();
        editor.reset();
        const double destroy = usSince(t);
        QApplication::processEvents();
        if (i == 0) continue;  // opens ADOQuery1
        r.constructUs.push_back(construct);
        r.saveUs.push_back(save);
        r.totalUs.push_back(construct + save + destroy);
    }
    return r;
}

// ------------------------------------------------------------- bare

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
}

struct StoredRow {
    QStringList columns;   // every column but the key
    QVariantList values;
    int numberColumn = -1;
};

// The last row the editor stored in `table`, every column but the key.
StoredRow lastRow(sqlite3 *db, const char *table, const char *key, const char *numberColumn)
{
    StoredRow r;
    const QByteArray sql = "select * from \"" + QByteArray(table) + "\" order by \"" + key + "\" desc limit 1";
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db, "prepare");
    check(sqlite3_step(st), db, "step");
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, c));
        if (name.compare(QString::fromUtf8(key), Qt::CaseInsensitive) == 0) continue;
        if (name == QString::fromUtf8(numberColumn)) r.numberColumn = int(r.columns.size());
        r.columns << name;
        switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL: r.values << QVariant(); break;
        case SQLITE_INTEGER: r.values << QVariant(qint64(sqlite3_column_int64(st, c))); break;
        case SQLITE_FLOAT: r.values << QVariant(sqlite3_column_double(st, c)); break;
        default: r.values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
        }
    }
    sqlite3_finalize(st);
    return r;
}

sqlite3_stmt *prepareInsert(sqlite3 *db, const char *table, const StoredRow &r)
{
    QStringList names, marks;
    for (const QString &c : r.columns) {
        names << u8("\"") + c + u8("\"");
        marks << u8("?");
    }
    const QByteArray sql = (u8("insert into \"") + QString::fromUtf8(table) + u8("\" (") + names.join(u8(",")) +
                            u8(") values (") + marks.join(u8(",")) + u8(")"))
                               .toUtf8();
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db, "prepare insert");
    return st;
}

// The stored values, UTF-8 kept alive for the binds.
struct BoundRow {
    std::vector<QByteArray> text;
    explicit BoundRow(const StoredRow &r)
    {
        for (const QVariant &v : r.values) text.push_back(v.typeId() == QMetaType::QString ? v.toString().toUtf8() : QByteArray());
    }
};

void bindRow(sqlite3 *db, sqlite3_stmt *st, const StoredRow &r, const BoundRow &b, const QByteArray &number)
{
    for (int i = 0; i < int(r.values.size()); ++i) {
        const QVariant &v = r.values[i];
        int rc;
        if (i == r.numberColumn) rc = sqlite3_bind_text(st, i + 1, number.constData(), int(number.size()), SQLITE_STATIC);
        else if (v.isNull()) rc = sqlite3_bind_null(st, i + 1);
        else if (v.typeId() == QMetaType::LongLong) rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::Double) rc = sqlite3_bind_double(st, i + 1, v.toDouble());
        else rc = sqlite3_bind_text(st, i + 1, b.text[size_t(i)].constData(), int(b.text[size_t(i)].size()), SQLITE_STATIC);
        check(rc, db, "bind");
    }
}

struct BareRun {
    std::vector<double> insertUs;       // begin, two inserts, commit
    std::vector<double> checkInsertUs;  // the number check first, then the same
    std::vector<double> preparedEachUs; // the data layer's statements, each prepared per save
};

// The editor's two rows again, through statements prepared once: the
// connection set up as the program's (WAL, synchronous=NORMAL).
BareRun runBare(const QString &editorCopy, const QString &path, int saves)
{
    BareRun r;
    sqlite3 *src = nullptr;
    check(sqlite3_open_v2(editorCopy.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr), src, "open");
    const StoredRow policy = lastRow(src, "车险投保单", "id", "保单号");
    const StoredRow customer = lastRow(src, "khgx", "ID", "baodanhao");
    sqlite3_close(src);
    if (policy.numberColumn < 0 || customer.numberColumn < 0) {
        std::fprintf(stderr, "number columns not found\n");
        std::exit(1);
    }
    std::printf("  rows as the editor stored them: 车险投保单 %lld columns, khgx %lld columns\n",
                qint64(policy.columns.size()), qint64(customer.columns.size()));

    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr), db,
          "open");
    check(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), db, "wal");
    check(sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), db, "sync");
    sqlite3_stmt *insPolicy = prepareInsert(db, "车险投保单", policy);
    sqlite3_stmt *insCustomer = prepareInsert(db, "khgx", customer);
    sqlite3_stmt *begin = nullptr, *commit = nullptr, *exists = nullptr;
    check(sqlite3_prepare_v2(db, "begin", -1, &begin, nullptr), db, "prepare");
    check(sqlite3_prepare_v2(db, "commit", -1, &commit, nullptr), db, "prepare");
    check(sqlite3_prepare_v2(db, "select 1 from 车险投保单 where 保单号=? limit 1", -1, &exists, nullptr), db, "prepare");
    const BoundRow policyText(policy), customerText(customer);

    auto saveOne = [&](const QByteArray &number, bool withCheck) {
        if (withCheck) {
            sqlite3_bind_text(exists, 1, number.constData(), int(number.size()), SQLITE_STATIC);
            if (sqlite3_step(exists) == SQLITE_ROW) {
                std::fprintf(stderr, "number %s already stored\n", number.constData());
                std::exit(1);
            }
            sqlite3_reset(exists);
        }
        check(sqlite3_step(begin), db, "begin");
        sqlite3_reset(begin);
        bindRow(db, insCustomer, customer, customerText, number);
        check(sqlite3_step(insCustomer), db, "insert khgx");
        sqlite3_reset(insCustomer);
        bindRow(db, insPolicy, policy, policyText, number);
        check(sqlite3_step(insPolicy), db, "insert policy");
        sqlite3_reset(insPolicy);
        check(sqlite3_step(commit), db, "commit");
        sqlite3_reset(commit);
    };
    for (int run = 0; run < 2; ++run) {
        std::vector<double> &out = run == 0 ? r.insertUs : r.checkInsertUs;
        for (int i = 0; i <= saves; ++i) {
            const QByteArray number = policyNumber(3 + run, i).toUtf8();
            QElapsedTimer t;
            t.start();
            saveOne(number, run == 1);
            const double us = usSince(t);
            if (i > 0) out.push_back(us);  // the first warms the statements' pages
        }
    }
    for (sqlite3_stmt *s : {insPolicy, insCustomer, begin, commit, exists}) sqlite3_finalize(s);

    // The statement texts the datasets run for one save, each prepared,
    // run and finalized in turn: what the SQL side of a save costs while
    // nothing is kept prepared between saves.
    auto once = [&](const QByteArray &sql, const std::function<void(sqlite3_stmt *)> &bind, bool readAll) {
        sqlite3_stmt *st = nullptr;
        check(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr), db, "prepare");
        if (bind) bind(st);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            if (readAll)
                for (int c = 0; c < sqlite3_column_count(st); ++c) sqlite3_column_value(st, c);
        check(rc, db, "step");
        sqlite3_finalize(st);
    };
    auto readBack = [&](const char *table, const char *key) {
        const qint64 id = sqlite3_last_insert_rowid(db);
        once("SELECT * FROM \"" + QByteArray(table) + "\" WHERE \"" + key + "\"=?",
             [id](sqlite3_stmt *st) { sqlite3_bind_int64(st, 1, id); }, true);
    };
    for (int i = 0; i <= saves; ++i) {
        const QByteArray number = policyNumber(5, i).toUtf8();
        QElapsedTimer t;
        t.start();
        once("select * from 车险投保单 where 保单号=?",
             [&](sqlite3_stmt *st) { sqlite3_bind_text(st, 1, number.constData(), int(number.size()), SQLITE_STATIC); },
             true);
        once("SAVEPOINT tv_sp0", {}, false);
        sqlite3_stmt *ins = prepareInsert(db, "khgx", customer);
        bindRow(db, ins, customer, customerText, number);
        check(sqlite3_step(ins), db, "insert khgx");
        sqlite3_finalize(ins);
        readBack("khgx", "ID");
        ins = prepareInsert(db, "车险投保单", policy);
        bindRow(db, ins, policy, policyText, number);
        check(sqlite3_step(ins), db, "insert policy");
        sqlite3_finalize(ins);
        readBack("车险投保单", "id");
        once("RELEASE tv_sp0", {}, false);
        const double us = usSince(t);
        if (i > 0) r.preparedEachUs.push_back(us);
    }
    sqlite3_close(db);
    return r;
}

struct DatasetRun {
    std::vector<double> saveUs;
};

// The editor's save without the window: the number check on ds, then the
// stored rows' values set column by column into ADOQuery1 and AdoChexian
// and both posted in one transaction. ADOQuery1 is opened before timing.
DatasetRun runDatasets(const QString &editorCopy, const QString &path, int saves)
{
    DatasetRun r;
    sqlite3 *src = nullptr;
    check(sqlite3_open_v2(editorCopy.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr), src, "open");
    const StoredRow policy = lastRow(src, "车险投保单", "id", "保单号");
    const StoredRow customer = lastRow(src, "khgx", "ID", "baodanhao");
    sqlite3_close(src);

    FakeServices fake;
    Session session(path);
    AppState state;
    state.CurrentUser = u8("admin");
    Context ctx{fake.services(), &session, &state};
    session.open();
    asAfterFirstShow(session, ctx);
    TDataModule1 &dm = session.dm();
    dm.ADOQuery1.openForAppend();
    dm.AdoChexian.openForAppend();
    auto setRow = [](Dataset &d, const StoredRow &row, const QString &number) {
        for (int c = 0; c < int(row.columns.size()); ++c)
            if (!row.values[c].isNull()) d.setValue(row.columns[c], c == row.numberColumn ? QVariant(number) : row.values[c]);
    };
    for (int i = 0; i <= saves; ++i) {
        const QString number = policyNumber(6, i);
        QElapsedTimer t;
        t.start();
        dm.ds.reopen(Statement(u8("select * from 车险投保单 where 保单号=?"), {number}));
        if (dm.ds.recordCount() != 0) std::exit(1);
        Transaction tx(session.connection());
        dm.AdoChexian.append();
        setRow(dm.AdoChexian, policy, number);
        dm.ADOQuery1.append();
        setRow(dm.ADOQuery1, customer, number);
        dm.ADOQuery1.post();
        dm.AdoChexian.post();
        tx.commit();
        const double us = usSince(t);
        if (i > 0) r.saveUs.push_back(us);
    }
    return r;
}

// The offscreen platform warns on every window shown; the figures matter here.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (msg.contains(QLatin1String("propagateSizeHints")) || msg.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(msg));
    if (type == QtFatalMsg) std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    if (argc < 2 || !QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr,
                     "usage: bench_motor_save DATABASE [SAVES]\n"
                     "  DATABASE: tolvaris-db demo FILE --customers 100000 --policies 100000 --seed 7\n");
        return 2;
    }
    const QString demo = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int saves = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::printf("motor policy save, %d saves each, on copies of %s\n", saves, qPrintable(demo));

    std::printf("\neditor, one window, 保存并新建 per policy:\n");
    const EditorRun editor = runEditorSaveAndNew(copyOf(demo, dir, "editor.dat"), saves);
    std::printf("  window construction: %.1f us\n", editor.constructUs);
    std::printf("  first save (opens ADOQuery1 on all of khgx): %.1f us\n", editor.firstSaveUs);
    printStats("save (check + two rows + clear for next)", editor.saveUs);

    std::printf("\neditor, a window per policy, 保存:\n");
    const WindowRun window = runEditorWindowPerSave(copyOf(demo, dir, "window.dat"), saves);
    printStats("construction", window.constructUs);
    printStats("save", window.saveUs);
    printStats("construction + save + destruction", window.totalUs);

    std::printf("\nbare sqlite3, statements prepared once:\n");
    const BareRun bare = runBare(editor.path, copyOf(demo, dir, "bare.dat"), saves);
    printStats("begin, insert khgx, insert policy, commit", bare.insertUs);
    printStats("number check, then the same", bare.checkInsertUs);
    printStats("the datasets' statements, prepared per save", bare.preparedEachUs);

    std::printf("\ndatasets without the window (ADOQuery1 already open):\n");
    const DatasetRun datasets = runDatasets(editor.path, copyOf(demo, dir, "datasets.dat"), saves);
    printStats("check + append/set/post both + commit", datasets.saveUs);

    const double e = stats(editor.saveUs).median, b = stats(bare.insertUs).median;
    const double w = stats(window.totalUs).median;
    std::printf("\nmedian editor save %.1f us / bare %.1f us = %.2f (target <= 3)\n", e, b, e / b);
    std::printf("median window-per-policy (construct + save) %.1f us / bare = %.2f\n", w, w / b);
    std::printf("first save of a run %.1f us / bare = %.0f\n", editor.firstSaveUs, editor.firstSaveUs / b);
    return 0;
}
