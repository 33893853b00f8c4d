#include "fakeservices.h"
#include "firstrun.h"
#include "frmstart.h"
#include "session.h"
#include "singleinstance.h"
#include "startup.h"
#include "values.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A process id that is certainly not running: that of a child that has ended.
qint64 deadPid()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    if (!p.waitForStarted()) return -1;
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

void fillFirstUser(QDialog &d, const QString &name, const QString &pw, const QString &pw2)
{
    d.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(name);
    d.findChild<QLineEdit *>(QStringLiteral("edPassword"))->setText(pw);
    d.findChild<QLineEdit *>(QStringLiteral("edPassword2"))->setText(pw2);
}

} // namespace

// ------------------------------------------------------------ single instance

TEST(SingleInstance, SecondCopyIsRefusedWhileTheFirstRuns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kInstanceLockName);
    FakeServices fake;
    {
        SingleInstanceGuard first(path);
        ASSERT_TRUE(claimSingleInstance(first, fake.messages));
        EXPECT_TRUE(fake.messages.calls.empty());

        SingleInstanceGuard second(path);
        EXPECT_FALSE(claimSingleInstance(second, fake.messages));
        ASSERT_EQ(fake.messages.calls.size(), 1u);
        const ServiceCall &m = fake.messages.calls[0];
        EXPECT_EQ(m.kind, ServiceCall::Kind::Information);
        EXPECT_EQ(m.title, QStringLiteral("提示"));
        EXPECT_EQ(m.text, QStringLiteral("Tolvaris系统已在本机运行！"));
        EXPECT_FALSE(second.isHeld());
        EXPECT_TRUE(first.isHeld());
    }
    // After the first copy ends, the next one starts normally.
    SingleInstanceGuard next(path);
    EXPECT_TRUE(claimSingleInstance(next, fake.messages));
    EXPECT_EQ(fake.messages.calls.size(), 1u);
}

TEST(SingleInstance, LockOfACrashedCopyDoesNotBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kInstanceLockName);
    // A lock file exactly as a copy writes it, but naming a process that no
    // longer exists, as a crash leaves it behind.
    QByteArray content;
    {
        SingleInstanceGuard g(path);
        ASSERT_TRUE(g.tryAcquire());
        content = readAll(path);
    }
    ASSERT_FALSE(QFile::exists(path));
    const qint64 pid = deadPid();
    ASSERT_GT(pid, 0);
    const qsizetype eol = content.indexOf('\n');
    ASSERT_GT(eol, 0);
    writeFile(path, QByteArray::number(pid) + content.mid(eol));

    FakeServices fake;
    SingleInstanceGuard g(path);
    EXPECT_TRUE(claimSingleInstance(g, fake.messages));
    EXPECT_TRUE(g.isHeld());
    EXPECT_TRUE(fake.messages.calls.empty());
}

TEST(SingleInstance, LockLivesInTheRuntimeFolder)
{
    QTemporaryDir runtime;
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString path = instanceLockPath();
    qputenv("XDG_RUNTIME_DIR", old);
    EXPECT_EQ(path, runtime.filePath(kInstanceLockName));
}

// ------------------------------------------------------------------ first run

TEST(FirstRun, CreatesTheDatabaseWithAnAdvancedFirstUser)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data/data.dat"));
    FakeServices fake;
    fake.messages.answers = {true};
    fake.modal.scripts.push_back([](QDialog &d) {
        fillFirstUser(d, QStringLiteral(" 张经理 "), QStringLiteral("Pw'1"), QStringLiteral("Pw'1"));
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
        return d.result();
    });
    Session session(path);
    ASSERT_EQ(openOrCreateDatabase(session, fake.services()), DatabaseReady::Open);
    ASSERT_TRUE(session.isOpen());

    ASSERT_EQ(fake.log.size(), 2u);
    EXPECT_EQ(fake.log[0].kind, ServiceCall::Kind::Question);
    EXPECT_EQ(fake.log[0].title, QStringLiteral("提示"));
    EXPECT_TRUE(fake.log[0].text.contains(path));
    EXPECT_EQ(fake.log[1].kind, ServiceCall::Kind::Modal);
    EXPECT_EQ(fake.log[1].text, QStringLiteral("FirstUserDialog"));

    Query q(session.connection(), QStringLiteral("select name, pass, quanxian from admin"));
    ASSERT_TRUE(q.step());
    EXPECT_EQ(q.text(0), QStringLiteral("张经理"));
    EXPECT_EQ(q.text(1), QStringLiteral("Pw'1"));
    EXPECT_EQ(q.text(2), QStringLiteral("1"));
    EXPECT_FALSE(q.step());
}

TEST(FirstRun, DecliningEndsWithoutAFile)
{
    struct Case { const char *what; bool createAnswer; bool dialogAccepts; int calls; };
    const Case cases[] = {
        {"question cancelled", false, false, 1},
        {"user dialog cancelled", true, false, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Data/data.dat"));
        FakeServices fake;
        fake.messages.answers = {c.createAnswer};
        fake.modal.scripts.push_back(FakeModalRunner::rejectAfter(
            [](QDialog &d) { fillFirstUser(d, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b")); }));
        Session session(path);
        EXPECT_EQ(openOrCreateDatabase(session, fake.services()), DatabaseReady::Cancelled);
        EXPECT_FALSE(session.isOpen());
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(int(fake.log.size()), c.calls);
    }
}

TEST(FirstRun, FileThatIsNotOursIsReportedAndLeftAlone)
{
    struct Case { const char *what; std::function<void(const QString &)> make; };
    const Case cases[] = {
        {"text file", [](const QString &p) { writeFile(p, "customer list, not a database\n"); }},
        {"empty file", [](const QString &p) { writeFile(p, {}); }},
        {"another program's database", [](const QString &p) {
             auto c = Connection::open(p, Connection::Mode::Create);
             c->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));  // as most programs leave theirs
             c->exec(QStringLiteral("create table notes (t text)"));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.dat"));
        c.make(path);
        const QByteArray before = readAll(path);
        FakeServices fake;
        Session session(path);
        EXPECT_EQ(openOrCreateDatabase(session, fake.services()), DatabaseReady::Failed);
        EXPECT_FALSE(session.isOpen());
        ASSERT_EQ(fake.log.size(), 1u);  // no offer to create: the file exists
        EXPECT_EQ(fake.log[0].kind, ServiceCall::Kind::Error);
        EXPECT_EQ(fake.log[0].title, QStringLiteral("提示"));
        EXPECT_TRUE(fake.log[0].text.contains(path)) << fake.log[0].text.toStdString();
        EXPECT_EQ(readAll(path), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("data.dat")});
    }
}

TEST(FirstRun, UserDialogChecksItsFields)
{
    struct Case { const char *name, *pw, *pw2, *message; };
    const Case cases[] = {
        {"", "a", "a", "提示：用户名称不能为空！"},
        {"   ", "a", "a", "提示：用户名称不能为空！"},
        {"admin", "", "", "提示：用户密码不能为空！"},
        {"admin", "abc", "abd", "提示：两次输入的密码不一致，请重新输入！"},
        {"admin", "abc", "ABC", "提示：两次输入的密码不一致，请重新输入！"},
        {"admin", " abc", " abc", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message ? c.message : "accepted");
        FakeMessages messages;
        FirstUserDialog d(messages);
        d.show();
        fillFirstUser(d, QString::fromUtf8(c.name), QString::fromUtf8(c.pw), QString::fromUtf8(c.pw2));
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
        if (c.message) {
            ASSERT_EQ(messages.calls.size(), 1u);
            EXPECT_EQ(messages.calls[0].title, QStringLiteral("信息"));
            EXPECT_EQ(messages.calls[0].text, QString::fromUtf8(c.message));
            EXPECT_TRUE(d.isVisible());
        } else {
            EXPECT_TRUE(messages.calls.empty());
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_EQ(d.user().password, QStringLiteral(" abc"));  // typed exactly, never trimmed
            EXPECT_TRUE(d.user().advanced);
        }
    }
}

// ------------------------------------------------------------ errors, splash

TEST(Startup, EscapingExceptionsAreShownAndStopTheOperation)
{
    struct Case { const char *what; std::function<bool()> deliver; const char *shown; bool result; };
    const Case cases[] = {
        {"database", [] () -> bool { throw DbError(QStringLiteral("磁盘已满")); }, "磁盘已满", false},
        {"value", [] () -> bool { throw ValueError(QStringLiteral("保险费：abc 不是金额")); },
         "保险费：abc 不是金额", false},
        {"other", [] () -> bool { throw std::runtime_error("bad alloc"); }, "bad alloc", false},
        {"none", [] { return true; }, nullptr, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeMessages messages;
        EXPECT_EQ(deliverGuarded(c.deliver, &messages), c.result);
        if (!c.shown) {
            EXPECT_TRUE(messages.calls.empty());
            continue;
        }
        ASSERT_EQ(messages.calls.size(), 1u);
        EXPECT_EQ(messages.calls[0].kind, ServiceCall::Kind::Error);
        EXPECT_EQ(messages.calls[0].title, QStringLiteral("提示"));
        EXPECT_EQ(messages.calls[0].text, QString::fromUtf8(c.shown));
    }
}

TEST(Startup, SplashShowsBorderlessAndCloses)
{
    TFrmStart probe;
    EXPECT_EQ(probe.size(), QSize(419, 269));
    EXPECT_TRUE(probe.windowFlags() & Qt::FramelessWindowHint);

    TFrmStart::showSplash(std::chrono::milliseconds(0));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->objectName() == QStringLiteral("TFrmStart"));
}
