#include "backup.h"

#include "database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>

namespace tolvaris {

namespace {

const QString kTitle = QStringLiteral("提示");
const QString kFilter = QStringLiteral("数据库文件 (*.bck)");
const QString kBackupExtension = QStringLiteral("bck");
const QStringList kSideFiles = {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};

std::filesystem::path fsPath(const QString &p) { return std::filesystem::path(p.toStdU16String()); }

// Renames over an existing file in one step (QFile::rename refuses to).
bool replaceFile(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    return !ec;
}

// A database file together with the files SQLite keeps beside it.
void removeDatabaseFiles(const QString &path)
{
    QFile::remove(path);
    for (const QString &s : kSideFiles) QFile::remove(path + s);
}

// Moves a database file and whatever WAL/shared-memory files it still has.
bool moveDatabaseFiles(const QString &from, const QString &to)
{
    if (!replaceFile(from, to)) return false;
    for (const QString &s : kSideFiles)
        if (QFile::exists(from + s)) replaceFile(from + s, to + s);
    return true;
}

// A new empty file named after `base` in the same folder, left on disk;
// "" when the folder cannot be written.
QString makeTempFile(const QString &base)
{
    QTemporaryFile tmp(base + QStringLiteral(".XXXXXX.tmp"));
    tmp.setAutoRemove(false);
    if (!tmp.open()) return {};
    const QString name = tmp.fileName();
    tmp.close();
    return name;
}

bool samePath(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.exists() ? fa.canonicalFilePath() : fa.absoluteFilePath();
    const QString cb = fb.exists() ? fb.canonicalFilePath() : fb.absoluteFilePath();
    return ca == cb;
}

bool isDatabaseFileOf(const QString &target, const QString &db)
{
    if (samePath(target, db)) return true;
    for (const QString &s : kSideFiles)
        if (samePath(target, db + s)) return true;
    return false;
}

// The snapshot goes to a temporary file first, so a failure part-way never
// leaves a half-written backup under the chosen name nor spoils an older one.
bool writeBackup(Connection &db, const QString &target)
{
    // Replacing the open database file itself would detach the connection
    // from the file the program uses.
    if (isDatabaseFileOf(target, db.path())) return false;
    const QFileInfo fi(target);
    if (fi.isDir() || !fi.absoluteDir().exists()) return false;
    const QString tmp = makeTempFile(fi.absoluteFilePath());
    if (tmp.isEmpty()) return false;
    try {
        db.backupTo(tmp);
    } catch (const DbError &) {
        removeDatabaseFiles(tmp);
        return false;
    }
    if (!replaceFile(tmp, fi.absoluteFilePath())) {
        removeDatabaseFiles(tmp);
        return false;
    }
    return true;
}

// A name beside `base` that no file uses yet: a kept database from an
// interrupted restore is never overwritten.
QString freeName(const QString &base)
{
    QString name = base;
    for (int i = 1; QFile::exists(name); ++i) name = base + QLatin1Char('.') + QString::number(i);
    return name;
}

void reopenQuietly(Session &s)
{
    try {
        s.open();
    } catch (const DbError &) {
        // The caller reports the failure; the session stays closed.
    }
}

bool restoreFrom(Session &session, const QString &chosen)
{
    if (!checkDatabase(chosen).ok) return false;

    const QString live = QFileInfo(session.path()).absoluteFilePath();
    // Copy the backup beside the live file while everything still runs:
    // the backup API reads it consistently (a WAL beside it included), and
    // the final step is a rename within one folder.
    const QString staged = makeTempFile(live + QStringLiteral(".restore"));
    if (staged.isEmpty()) return false;
    try {
        auto src = Connection::open(chosen, Connection::Mode::ReadOnly);
        src->backupTo(staged);
    } catch (const DbError &) {
        removeDatabaseFiles(staged);
        return false;
    }

    // Fold the WAL into the main file so that the kept copy is complete on
    // its own; closing the last connection normally removes the WAL too.
    if (session.isOpen()) {
        try {
            session.connection().exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        } catch (const DbError &) {
            // The WAL moves along with the kept file below.
        }
    }
    session.close();

    const QString kept = freeName(live + QStringLiteral(".before-restore"));
    if (QFile::exists(live) && !moveDatabaseFiles(live, kept)) {
        removeDatabaseFiles(staged);
        reopenQuietly(session);
        return false;
    }
    // A stray WAL of the old file must never be applied to the new one.
    for (const QString &s : kSideFiles) QFile::remove(live + s);
    if (!replaceFile(staged, live)) {
        removeDatabaseFiles(staged);
        moveDatabaseFiles(kept, live);
        reopenQuietly(session);
        return false;
    }

    try {
        session.open();
    } catch (const DbError &) {
        session.close();
        removeDatabaseFiles(live);
        moveDatabaseFiles(kept, live);
        reopenQuietly(session);
        return false;
    }
    removeDatabaseFiles(kept);
    return true;
}

} // namespace

void backupDatabase(const Context &ctx, QWidget *parent)
{
    const QString proposed = ctx.clock().today().toString(QStringLiteral("yyyy-MM-dd"));
    const QString target = ctx.files().saveFile(parent, QStringLiteral("数据备份"), kFilter, proposed, kBackupExtension);
    if (target.trimmed().isEmpty()) return;
    bool ok = false;
    try {
        ok = writeBackup(ctx.db(), target);
    } catch (const DbError &) {
        ok = false;  // no open database
    }
    ctx.messages().information(parent, kTitle, ok ? QStringLiteral("提示：数据备份成功") : QStringLiteral("提示：数据备份失败"));
}

void restoreDatabase(const Context &ctx, QWidget *parent)
{
    // The main window disables the command for ordinary users; refuse here too.
    if (!ctx.state || ctx.state->IsOrdinaryUser) return;
    const QString chosen = ctx.files().openFile(parent, QStringLiteral("数据恢复"), kFilter);
    if (chosen.trimmed().isEmpty()) return;
    const bool ok = restoreFrom(*ctx.session, chosen);
    ctx.messages().information(parent, kTitle,
                               ok ? QStringLiteral("提示：数据恢复成功,建议您重起程序")
                                  : QStringLiteral("提示：数据恢复失败"));
}

} // namespace tolvaris
