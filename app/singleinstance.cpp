#include "singleinstance.h"

#include "services.h"
#include "version.h"

#include <QDir>
#include <QStandardPaths>

namespace tolvaris {

QString instanceLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir)) dir = QDir::tempPath();
    return QDir(dir).filePath(kInstanceLockName);
}

SingleInstanceGuard::SingleInstanceGuard(const QString &lockPath) : path_(lockPath), lock_(lockPath)
{
    // The running copy never refreshes its file, so age must not make it
    // stale: only a lock whose process is gone is taken over.
    lock_.setStaleLockTime(0);
}

bool SingleInstanceGuard::tryAcquire()
{
    if (lock_.isLocked()) return true;
    if (lock_.tryLock(0)) return true;
    // Only another live copy refuses this one; a folder that cannot hold the
    // file must not keep the user out of his data.
    return lock_.error() != QLockFile::LockFailedError;
}

bool claimSingleInstance(SingleInstanceGuard &guard, MessageService &messages, QWidget *parent)
{
    if (guard.tryAcquire()) return true;
    messages.information(parent, QStringLiteral("提示"), QStringLiteral("Tolvaris系统已在本机运行！"));
    return false;
}

} // namespace tolvaris
