#pragma once
// The single-instance guard: one running copy per user. A lock file in the
// user's runtime folder stands for the running copy; the file of a copy that
// crashed (its process no longer exists) is taken over, not obeyed.
#include <QLockFile>
#include <QString>

class QWidget;

namespace tolvaris {

class MessageService;

// kInstanceLockName in the runtime folder, or in the temp folder when the
// system has no runtime folder.
QString instanceLockPath();

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &lockPath = instanceLockPath());
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False when another running copy holds the lock. Otherwise true, and the
    // lock is held until the guard goes (unless the file could not be made).
    bool tryAcquire();
    bool isHeld() const { return lock_.isLocked(); }
    const QString &path() const { return path_; }

private:
    QString path_;
    QLockFile lock_;
};

// Takes the guard for this copy; when another copy holds it, tells the user
// "Tolvaris系统已在本机运行！" and returns false: the caller ends at once.
bool claimSingleInstance(SingleInstanceGuard &guard, MessageService &messages, QWidget *parent = nullptr);

} // namespace tolvaris
