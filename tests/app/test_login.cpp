#include "fakeservices.h"
#include "frmlogin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

struct User {
    const char *name;
    const char *pass;
    const char *quanxian;  // nullptr for NULL
};

// A database file with exactly `users`, in that order, and a login window on it.
class LoginFixture {
public:
    explicit LoginFixture(std::initializer_list<User> users) : session(dir.filePath(QStringLiteral("data.dat")))
    {
        createDatabase(session.path(), {QStringLiteral("first"), QStringLiteral("x"), true});
        session.open();
        Connection &c = session.connection();
        c.exec(QStringLiteral("delete from admin"));
        for (const User &u : users)
            c.exec(QStringLiteral("insert into admin (name, pass, quanxian) values (?, ?, ?)"),
                   {QString::fromUtf8(u.name), QString::fromUtf8(u.pass),
                    u.quanxian ? QVariant(QString::fromUtf8(u.quanxian)) : QVariant()});
        ctx = Context{fake.services(), &session, &state};
        login = std::make_unique<TFrmLogin>(ctx);
        login->show();
    }

    QComboBox *user() const { return login->findChild<QComboBox *>(QStringLiteral("cbUser")); }
    QLineEdit *password() const { return login->findChild<QLineEdit *>(QStringLiteral("edPassword")); }
    QPushButton *button(const char *name) const
    {
        return login->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    // One attempt: the password typed, then Enter in the edit or a click on
    // "登录(&Q)" (both must count once).
    void attempt(const QString &typed, bool byEnter)
    {
        password()->setText(typed);
        if (byEnter) QTest::keyClick(password(), Qt::Key_Return);
        else QTest::mouseClick(button("btnLogin"), Qt::LeftButton);
    }

    QStringList messageTexts() const
    { return fake.messages.texts(); }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
    std::unique_ptr<TFrmLogin> login;
};

const QString kRetry = QStringLiteral("提示|用户名或密码不正确，请重新输入！");
const QString kTooMany = QStringLiteral("提示|密码错误已超过三次，程序将自动退出！");
const QString kNoName = QStringLiteral("信息|提示：用户名称不能为空！");
const QString kNoPassword = QStringLiteral("信息|提示：用户密码不能为空！");

} // namespace

TEST(Login, AttemptsMessagesAndOutcome)
{
    struct Case {
        const char *what;
        std::vector<User> users;
        int selected;
        QStringList typed;
        QStringList messages;
        bool loggedIn;
        bool stillOpen;
    };
    const std::vector<User> two = {{"admin", "Secret1", "1"}, {"o'brien", "pw", "0"}};
    const Case cases[] = {
        {"no users: empty name", {}, -1, {QStringLiteral("x")}, {kNoName}, false, true},
        {"empty password", two, 0, {QString()}, {kNoPassword}, false, true},
        {"right at once", two, 0, {QStringLiteral("Secret1")}, {}, true, false},
        {"wrong then right", two, 0, {QStringLiteral("wrong"), QStringLiteral("Secret1")}, {kRetry}, true, false},
        {"three wrong then right", two, 0,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("Secret1")},
         {kRetry, kRetry, kRetry}, true, false},
        {"four wrong ends", two, 0,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")},
         {kRetry, kRetry, kRetry, kTooMany}, false, false},
        {"letter case differs", two, 0, {QStringLiteral("secret1")}, {kRetry}, false, true},
        {"password of another user", two, 1, {QStringLiteral("Secret1")}, {kRetry}, false, true},
        {"empty fields do not count", two, 0,
         {QString(), QStringLiteral("a"), QString(), QStringLiteral("b"), QStringLiteral("c"), QString(),
          QStringLiteral("Secret1")},
         {kNoPassword, kRetry, kNoPassword, kRetry, kRetry, kNoPassword}, true, false},
        {"quoted name is bound", two, 1, {QStringLiteral("pw")}, {}, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        LoginFixture f({});
        Connection &db = f.session.connection();
        for (const User &u : c.users)
            db.exec(QStringLiteral("insert into admin (name, pass, quanxian) values (?, ?, ?)"),
                    {QString::fromUtf8(u.name), QString::fromUtf8(u.pass), QString::fromUtf8(u.quanxian)});
        f.login->AddlistAdmin();
        f.user()->setCurrentIndex(c.selected);
        bool byEnter = false;
        for (const QString &t : c.typed) {
            if (!f.login->isVisible()) break;
            f.attempt(t, byEnter = !byEnter);
        }
        EXPECT_EQ(f.messageTexts(), c.messages);
        EXPECT_EQ(f.login->loggedIn(), c.loggedIn);
        EXPECT_EQ(f.login->isVisible(), c.stillOpen);
        if (!c.loggedIn && c.stillOpen && !c.messages.isEmpty() && c.messages.last() == kRetry) {
            // After a wrong password the edit is emptied for the next try.
            EXPECT_TRUE(f.password()->text().isEmpty());
        }
        if (c.loggedIn) {
            EXPECT_EQ(f.state.CurrentUser, f.user()->currentText());
        }
    }
}

TEST(Login, RightsFollowQuanxian)
{
    struct Case { const char *quanxian; bool ordinary; };
    const Case cases[] = {{"0", true}, {"1", false}, {"2", false}, {"", false}, {nullptr, false}, {" 0", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.quanxian ? c.quanxian : "NULL");
        LoginFixture f({{"张三", "pw", c.quanxian}});
        EXPECT_TRUE(f.state.IsOrdinaryUser);  // until a login says otherwise
        f.attempt(QStringLiteral("pw"), false);
        ASSERT_TRUE(f.login->loggedIn());
        EXPECT_EQ(f.state.CurrentUser, QStringLiteral("张三"));
        EXPECT_EQ(f.state.IsOrdinaryUser, c.ordinary);
    }
}

TEST(Login, ListsUsersInTableOrderAndWaitsForThePassword)
{
    LoginFixture f({{"zhang", "1", "0"}, {"admin", "2", "1"}, {"王五", "3", "0"}, {"bob", "4", "1"}});
    QStringList names;
    for (int i = 0; i < f.user()->count(); ++i) names << f.user()->itemText(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("zhang"), QStringLiteral("admin"), QStringLiteral("王五"),
                                  QStringLiteral("bob")}));
    EXPECT_EQ(f.user()->currentIndex(), 0);
    EXPECT_FALSE(f.user()->isEditable());
    EXPECT_EQ(f.password()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.login->focusWidget(), f.password());
    EXPECT_EQ(f.login->windowTitle(), QStringLiteral("用户登陆"));

    // Showing the window again reloads the list and starts the count anew.
    f.attempt(QStringLiteral("w"), false);
    f.attempt(QStringLiteral("w"), false);
    f.attempt(QStringLiteral("w"), false);
    f.session.connection().exec(QStringLiteral("insert into admin (name, pass, quanxian) values ('new', 'n', '0')"));
    f.login->hide();
    f.login->show();
    EXPECT_EQ(f.user()->count(), 5);
    f.user()->setCurrentIndex(1);
    f.attempt(QStringLiteral("w"), true);
    EXPECT_TRUE(f.login->isVisible());  // the fourth wrong one overall, the first since shown
    f.attempt(QStringLiteral("2"), true);
    EXPECT_TRUE(f.login->loggedIn());
    EXPECT_EQ(f.state.CurrentUser, QStringLiteral("admin"));
}

TEST(Login, CannotBeClosedBeforeLoggingIn)
{
    LoginFixture f({{"admin", "pw", "1"}});
    EXPECT_FALSE(f.login->close());
    QTest::keyClick(f.password(), Qt::Key_Escape);
    EXPECT_TRUE(f.login->isVisible());
    EXPECT_FALSE(f.login->loggedIn());

    // "退出(&E)" leaves the window without a login.
    QTest::mouseClick(f.button("btnExit"), Qt::LeftButton);
    EXPECT_FALSE(f.login->isVisible());
    EXPECT_FALSE(f.login->loggedIn());
    EXPECT_EQ(f.login->result(), QDialog::Rejected);
    EXPECT_TRUE(f.fake.messages.messages().empty());
}

TEST(Login, ShowsItsControls)
{
    LoginFixture f({{"admin", "pw", "1"}});
    EXPECT_EQ(f.button("btnLogin")->text(), QStringLiteral("登录(&Q)"));
    EXPECT_EQ(f.button("btnExit")->text(), QStringLiteral("退出(&E)"));
    auto *link = f.login->findChild<QLabel *>(QStringLiteral("lbRegister"));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("新注册一个用户")));
    // Clicking the link does nothing: no message, no dialog, still waiting.
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    EXPECT_TRUE(f.fake.log.empty());
    EXPECT_TRUE(f.login->isVisible());
}
