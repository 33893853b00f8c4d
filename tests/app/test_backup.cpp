#include "backup.h"
#include "fakeservices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

// A session on Data/data.dat in a temporary folder, with some customers, and
// an advanced user logged in.
class BackupFixture {
public:
    BackupFixture() : session(QDir(dir.path()).filePath(QStringLiteral("Data/data.dat")))
    {
        createDatabase(session.path(), {QStringLiteral("admin"), QStringLiteral("pw"), true});
        session.open();
        addCustomers({QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("o'brien")});
        state.CurrentUser = QStringLiteral("admin");
        state.IsOrdinaryUser = false;
        ctx = Context{fake.services(), &session, &state};
    }

    void addCustomers(const QStringList &names)
    {
        for (const QString &n : names)
            session.connection().exec(QStringLiteral("insert into khgx (khjc, 用户) values (?, 'admin')"), {n});
    }

    // The customers as a window reloading its dataset sees them.
    QStringList customers()
    {
        Dataset &d = ctx.dm().ADOQuery1;
        d.reopen(Statement("select * from khgx"));
        QStringList out;
        for (int r = 0; r < d.recordCount(); ++r) out << d.cell(r, d.columnIndex(QStringLiteral("khjc"))).toString();
        return out;
    }

    static QStringList customersIn(const QString &path)
    {
        auto c = Connection::open(path, Connection::Mode::ReadOnly);
        Query q(*c, QStringLiteral("select khjc from khgx order by ID"));
        QStringList out;
        while (q.step()) out << q.text(0);
        return out;
    }

    static QStringList filesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString dataFolder() const { return QFileInfo(session.path()).absolutePath(); }
    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QStringList messageTexts() const
    { return fake.messages.texts(); }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
};

const QStringList kThree = {QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("o'brien")};
const QString kBackupOk = QStringLiteral("提示|提示：数据备份成功");
const QString kBackupFailed = QStringLiteral("提示|提示：数据备份失败");
const QString kRestoreOk = QStringLiteral("提示|提示：数据恢复成功,建议您重起程序");
const QString kRestoreFailed = QStringLiteral("提示|提示：数据恢复失败");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(Backup, SnapshotOfTheOpenDatabaseReplacesTheChosenFile)
{
    BackupFixture f;
    f.fake.clock.setToday(QDate(2024, 3, 15));
    QDir(f.dir.path()).mkpath(QStringLiteral("backups"));
    const QString typed = f.path(QStringLiteral("backups/周五"));  // no extension typed
    const QString target = typed + QStringLiteral(".bck");
    writeFile(target, "an older file under the same name");
    f.fake.files.savePaths = {typed};

    backupDatabase(f.ctx, nullptr);

    ASSERT_EQ(f.fake.files.calls.size(), 1u);
    const ServiceCall &dlg = f.fake.files.calls[0];
    EXPECT_EQ(dlg.kind, ServiceCall::Kind::SaveFile);
    EXPECT_EQ(dlg.filter, QStringLiteral("数据库文件 (*.bck)"));
    EXPECT_EQ(dlg.proposedName, QStringLiteral("2024-03-15"));
    EXPECT_EQ(dlg.defaultExtension, QStringLiteral("bck"));
    EXPECT_EQ(f.messageTexts(), QStringList{kBackupOk});
    EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Information);

    // The rows still sit in the live file's WAL; the copy has them all and
    // stands on its own.
    const CheckResult check = checkDatabase(target);
    EXPECT_TRUE(check.ok) << check.reason.toStdString();
    EXPECT_EQ(BackupFixture::customersIn(target), kThree);
    EXPECT_EQ(BackupFixture::filesIn(f.path(QStringLiteral("backups"))), QStringList{QStringLiteral("周五.bck")});
    EXPECT_EQ(f.customers(), kThree);  // the program goes on with its file
}

TEST(Backup, CancellingEitherDialogDoesNothing)
{
    BackupFixture f;
    f.fake.files.savePaths = {QString()};
    f.fake.files.openPaths = {QString()};
    const QStringList before = BackupFixture::filesIn(f.dataFolder());

    backupDatabase(f.ctx, nullptr);
    restoreDatabase(f.ctx, nullptr);

    ASSERT_EQ(f.fake.log.size(), 2u);
    EXPECT_EQ(f.fake.log[0].kind, ServiceCall::Kind::SaveFile);
    EXPECT_EQ(f.fake.log[1].kind, ServiceCall::Kind::OpenFile);
    EXPECT_EQ(f.fake.log[1].filter, QStringLiteral("数据库文件 (*.bck)"));
    EXPECT_EQ(BackupFixture::filesIn(f.dataFolder()), before);
    EXPECT_TRUE(f.session.isOpen());
}

TEST(Backup, FailureSaysSoAndLeavesNoFileBehind)
{
    struct Case {
        const char *what;
        QString target;   // relative to the temporary folder
        QString watched;  // folder whose listing must not change
    };
    const Case cases[] = {
        {"folder does not exist", QStringLiteral("missing/x.bck"), QString()},
        {"name of an existing folder", QStringLiteral("taken.bck"), QString()},
        {"the live database file", QStringLiteral("Data/data.dat"), QStringLiteral("Data")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        BackupFixture f;
        QDir(f.dir.path()).mkpath(QStringLiteral("taken.bck"));
        const QString watched = f.path(c.watched);
        const QStringList before = BackupFixture::filesIn(watched);
        f.fake.files.savePaths = {f.path(c.target)};

        backupDatabase(f.ctx, nullptr);

        EXPECT_EQ(f.messageTexts(), QStringList{kBackupFailed});
        EXPECT_EQ(BackupFixture::filesIn(watched), before);
        EXPECT_FALSE(QFile::exists(f.path(QStringLiteral("missing"))));
        EXPECT_EQ(f.customers(), kThree);
    }
}

TEST(Restore, RefusesFilesThatAreNotOurDatabase)
{
    struct Case {
        const char *what;
        std::function<void(const QString &)> make;
    };
    const Case cases[] = {
        {"garbage bytes", [](const QString &p) { writeFile(p, QByteArray(5000, 'x')); }},
        {"empty file", [](const QString &p) { writeFile(p, {}); }},
        {"another program's SQLite file",
         [](const QString &p) {
             auto c = Connection::open(p, Connection::Mode::Create);
             c->exec(QStringLiteral("create table admin (id integer primary key, name text)"));
         }},
        {"missing file", [](const QString &) {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        BackupFixture f;
        const QString chosen = f.path(QStringLiteral("chosen.bck"));
        c.make(chosen);
        f.fake.files.openPaths = {chosen};
        const QStringList before = BackupFixture::filesIn(f.dataFolder());

        restoreDatabase(f.ctx, nullptr);

        EXPECT_EQ(f.messageTexts(), QStringList{kRestoreFailed});
        EXPECT_TRUE(f.session.isOpen());
        EXPECT_EQ(f.customers(), kThree);
        EXPECT_EQ(BackupFixture::filesIn(f.dataFolder()), before);
    }
}

TEST(Restore, PutsTheBackupInPlaceAndReconnects)
{
    BackupFixture f;
    const QString backup = f.path(QStringLiteral("old.bck"));
    f.fake.files.savePaths = {backup};
    backupDatabase(f.ctx, nullptr);
    ASSERT_EQ(f.messageTexts(), QStringList{kBackupOk});

    // Work goes on after the backup.
    f.session.connection().exec(QStringLiteral("delete from khgx where khjc=?"), {QStringLiteral("乙公司")});
    f.addCustomers({QStringLiteral("丙公司")});
    ASSERT_EQ(f.customers(), (QStringList{QStringLiteral("甲公司"), QStringLiteral("o'brien"), QStringLiteral("丙公司")}));
    ASSERT_TRUE(f.ctx.dm().ADOQuery1.isActive());

    f.fake.files.openPaths = {backup};
    restoreDatabase(f.ctx, nullptr);

    EXPECT_EQ(f.messageTexts(), (QStringList{kBackupOk, kRestoreOk}));
    EXPECT_TRUE(f.session.isOpen());
    EXPECT_FALSE(f.ctx.dm().ADOQuery1.isActive());  // closed by the reconnect
    EXPECT_EQ(f.customers(), kThree);
    // The replaced file is gone once the restored one opened; no temporary
    // file is left, and the backup itself is untouched.
    for (const QString &name : BackupFixture::filesIn(f.dataFolder()))
        EXPECT_TRUE(name.startsWith(QStringLiteral("data.dat"))) << name.toStdString();
    EXPECT_FALSE(QFile::exists(f.session.path() + QStringLiteral(".before-restore")));
    EXPECT_EQ(BackupFixture::customersIn(backup), kThree);

    // Restoring the live file onto itself changes nothing.
    f.fake.files.openPaths = {f.session.path()};
    restoreDatabase(f.ctx, nullptr);
    EXPECT_EQ(f.messageTexts().last(), kRestoreOk);
    EXPECT_EQ(f.customers(), kThree);
}

TEST(Restore, OrdinaryUserCannotStartIt)
{
    BackupFixture f;
    const QString backup = f.path(QStringLiteral("b.bck"));
    f.session.connection().backupTo(backup);
    f.session.connection().exec(QStringLiteral("delete from khgx"));
    f.state.IsOrdinaryUser = true;
    f.fake.files.openPaths = {backup};

    restoreDatabase(f.ctx, nullptr);

    EXPECT_TRUE(f.fake.log.empty());  // not even the dialog
    EXPECT_TRUE(f.customers().isEmpty());
}
