#include "fakeservices.h"
#include "frmadmin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

struct User {
    const char *name;
    const char *pass;
    const char *quanxian;
};

const std::vector<User> kThree = {{"admin", "root", "1"}, {"bob", "Secret", "0"}, {"carol", "c", "0"}};

// A database with exactly `users`, logged in as `login`, and the window shown.
class AdminFixture {
public:
    AdminFixture(const std::vector<User> &users, const char *login)
        : session(dir.filePath(QStringLiteral("data.dat")))
    {
        createDatabase(session.path(), {QStringLiteral("first"), QStringLiteral("x"), true});
        session.open();
        Connection &c = session.connection();
        c.exec(QStringLiteral("delete from admin"));
        for (const User &u : users) {
            c.exec(QStringLiteral("insert into admin (name, pass, quanxian) values (?, ?, ?)"),
                   {QString::fromUtf8(u.name), QString::fromUtf8(u.pass), QString::fromUtf8(u.quanxian)});
            if (qstrcmp(u.name, login) == 0) state.logIn(QString::fromUtf8(u.name), QString::fromUtf8(u.quanxian));
        }
        ctx = Context{fake.services(), &session, &state};
        w = std::make_unique<TFrmAdmin>(ctx, nullptr);
        w->show();
    }

    // Rows of admin as "name/pass/quanxian", in table order.
    QStringList rows()
    {
        Query q(session.connection(), QStringLiteral("select name, pass, quanxian from admin order by id"));
        QStringList out;
        while (q.step()) out << q.text(0) + QLatin1Char('/') + q.text(1) + QLatin1Char('/') + q.text(2);
        return out;
    }

    QStringList listed() const
    {
        QStringList out;
        for (int i = 0; i < w->lvUsers->count(); ++i) out << w->lvUsers->item(i)->text();
        return out;
    }

    void clickUser(const QString &name, bool twice = false)
    {
        const auto items = w->lvUsers->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty()) << name.toStdString();
        const QPoint at = w->lvUsers->visualItemRect(items.first()).center();
        // A double click arrives as a click followed by the double-click event.
        QTest::mouseClick(w->lvUsers->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(w->lvUsers->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(w->lvUsers->viewport(), Qt::LeftButton, {}, at);
        }
    }

    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    QStringList messageTexts() const
    { return fake.messages.texts(); }

    QString focused() const { return w->focusWidget() ? w->focusWidget()->objectName() : QString(); }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
    std::unique_ptr<TFrmAdmin> w;
};

QString info(const char *text) { return QStringLiteral("信息|") + QString::fromUtf8(text); }
const QString kChanged = QStringLiteral("提示|提示:您的密码已修改成功!");
const QString kOld = QStringLiteral("    旧密码：");
const QString kNew = QStringLiteral("    新密码：");

} // namespace

TEST(FrmAdmin, AdvancedUserOpensInAddingWithEveryUserListed)
{
    AdminFixture f({{"admin", "root", "1"}, {"bob", "Secret", "0"}, {"张三", "z", "x"}}, "admin");
    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("用户管理"));
    EXPECT_EQ(TFrmAdmin::AdminMode, 1);
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("admin"), QStringLiteral("bob"), QStringLiteral("张三")}));
    EXPECT_EQ(f.w->lblPassword->text(), QStringLiteral("用户密码："));
    EXPECT_EQ(f.w->lblConfirm->text(), QStringLiteral("确认密码："));
    EXPECT_EQ(f.w->cbRole->currentText(), QStringLiteral("普通用户"));
    EXPECT_FALSE(f.w->cbRole->isEditable());
    EXPECT_EQ(f.w->edtPassword->echoMode(), QLineEdit::Password);
    for (QWidget *c : std::initializer_list<QWidget *>{f.w->btnNewUser, f.w->btnModify, f.w->btnDelete, f.w->edtName,
                                                      f.w->edtPassword, f.w->edtConfirm, f.w->cbRole})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    // The dataset is left on the last row, but nobody has been picked.
    EXPECT_EQ(f.ctx.dm().AdoAdmin.currentRow(), 2);
    EXPECT_FALSE(f.w->pickedId().isValid());
    // Advanced and ordinary users get different pictures; a role that is no
    // number shows as the rights it gives (advanced).
    const auto key = [&](int i) { return f.w->lvUsers->item(i)->icon().pixmap(16).toImage(); };
    EXPECT_NE(key(0), key(1));
    EXPECT_EQ(key(0), key(2));
}

TEST(FrmAdmin, AddingChecksFieldsInOrderThenAppends)
{
    struct Case {
        const char *what;
        const char *name, *pass, *confirm;
        int role;
        QString message;
        const char *focus;     // objectName after the message; nullptr: not checked
        const char *added;     // the new row, nullptr when none
    };
    const Case cases[] = {
        {"empty name", "", "p", "p", 0, info("提示：用户名称不能为空！"), "edtName", nullptr},
        {"empty password", "dave", "", "p", 0, info("提示：用户密码不能为空！"), "edtPassword", nullptr},
        {"empty confirmation", "dave", "p", "", 0, info("提示：确认密码不能为空！"), "edtConfirm", nullptr},
        {"different confirmation", "dave", "p1", "P1", 0, info("提示：您两次输入的密码不一致！"), "edtPassword",
         nullptr},
        {"ordinary user", "dave", "p1", "p1", 0, info("提示：用户添加成功！"), nullptr, "dave/p1/0"},
        {"advanced user, quote in name", "o'neil", "p'1", "p'1", 1, info("提示：用户添加成功！"), nullptr,
         "o'neil/p'1/1"},
        {"existing name is not refused", "bob", "x", "x", 0, info("提示：用户添加成功！"), nullptr, "bob/x/0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        AdminFixture f(kThree, "admin");
        const QStringList before = f.rows();
        f.w->edtName->setText(QString::fromUtf8(c.name));
        f.w->edtPassword->setText(QString::fromUtf8(c.pass));
        f.w->edtConfirm->setText(QString::fromUtf8(c.confirm));
        f.w->cbRole->setCurrentIndex(c.role);
        f.click(f.w->btnOk);

        EXPECT_EQ(f.messageTexts(), QStringList{c.message});
        EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Information);
        if (c.focus) {
            EXPECT_EQ(f.focused(), QString::fromUtf8(c.focus));
        }
        if (!c.added) {
            EXPECT_EQ(f.rows(), before);
            EXPECT_EQ(f.w->edtName->text(), QString::fromUtf8(c.name));  // nothing emptied
            continue;
        }
        EXPECT_EQ(f.rows(), before + QStringList{QString::fromUtf8(c.added)});
        EXPECT_EQ(f.listed().size(), before.size() + 1);
        EXPECT_EQ(f.listed().last(), QString::fromUtf8(c.name));
        EXPECT_TRUE(f.w->edtName->text().isEmpty());
        EXPECT_TRUE(f.w->edtPassword->text().isEmpty());
        EXPECT_TRUE(f.w->edtConfirm->text().isEmpty());
        EXPECT_EQ(f.w->cbRole->currentIndex(), 0);
    }
}

TEST(FrmAdmin, ChangingAPasswordNeedsThatUsersOldPassword)
{
    struct Case {
        const char *what;
        bool asOrdinary;  // bob changes his own; else admin changes bob's
        const char *oldPass, *newPass;
        int role;         // the role selector before 确定 (advanced only)
        QString message;
        const char *bobAfter;
    };
    const Case cases[] = {
        {"advanced: empty old", false, "", "n", 0, info("提示：旧密码不能为空！"), "bob/Secret/0"},
        {"advanced: empty new", false, "Secret", "", 0, info("提示：新密码不能为空！"), "bob/Secret/0"},
        {"advanced: letter case differs", false, "secret", "n", 0, info("提示：旧密码输入不正确！"), "bob/Secret/0"},
        {"advanced: own password is not bob's", false, "root", "n", 0, info("提示：旧密码输入不正确！"),
         "bob/Secret/0"},
        {"advanced: right, role raised", false, "Secret", "n'1", 1, kChanged, "bob/n'1/1"},
        {"ordinary: empty old", true, "", "n", 0, info("提示：旧密码不能为空！"), "bob/Secret/0"},
        {"ordinary: empty new", true, "Secret", "", 0, info("提示：新密码不能为空！"), "bob/Secret/0"},
        {"ordinary: wrong old", true, "root", "n", 0, info("提示：旧密码输入不正确！"), "bob/Secret/0"},
        {"ordinary: right", true, "Secret", "n2", 1, kChanged, "bob/n2/0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        AdminFixture f(kThree, c.asOrdinary ? "bob" : "admin");
        if (!c.asOrdinary) {
            f.clickUser(QStringLiteral("bob"), true);
            ASSERT_EQ(f.w->btnModify->text(), QStringLiteral("取消"));
            f.w->cbRole->setCurrentIndex(c.role);
        }
        ASSERT_EQ(TFrmAdmin::AdminMode, 2);
        ASSERT_EQ(f.focused(), QStringLiteral("edtPassword"));
        f.w->edtPassword->setText(QString::fromUtf8(c.oldPass));
        f.w->edtConfirm->setText(QString::fromUtf8(c.newPass));
        f.click(f.w->btnOk);

        EXPECT_EQ(f.messageTexts(), QStringList{c.message});
        const QStringList rows = f.rows();
        EXPECT_EQ(rows[1], QString::fromUtf8(c.bobAfter));
        EXPECT_EQ(rows[0], QStringLiteral("admin/root/1"));
        EXPECT_EQ(rows[2], QStringLiteral("carol/c/0"));
        if (c.message != kChanged) {
            EXPECT_EQ(TFrmAdmin::AdminMode, 2);
            // The empty new password is the only check that stays on the new field.
            const bool onNew = c.oldPass[0] && !c.newPass[0];
            EXPECT_EQ(f.focused(), onNew ? QStringLiteral("edtConfirm") : QStringLiteral("edtPassword"));
            continue;
        }
        EXPECT_TRUE(f.w->edtPassword->text().isEmpty());
        EXPECT_TRUE(f.w->edtConfirm->text().isEmpty());
        if (c.asOrdinary) {
            // Still changing his own password; still logged in as himself.
            EXPECT_EQ(TFrmAdmin::AdminMode, 2);
            EXPECT_EQ(f.w->lblPassword->text(), kOld);
            EXPECT_EQ(f.w->edtName->text(), QStringLiteral("bob"));
            EXPECT_EQ(f.focused(), QStringLiteral("edtPassword"));
        } else {
            // Back to adding.
            EXPECT_EQ(TFrmAdmin::AdminMode, 1);
            EXPECT_EQ(f.w->lblPassword->text(), QStringLiteral("用户密码："));
            EXPECT_EQ(f.w->lblConfirm->text(), QStringLiteral("确认密码："));
            EXPECT_TRUE(f.w->edtName->text().isEmpty());
            EXPECT_TRUE(f.w->edtName->isEnabled());
            EXPECT_EQ(f.w->btnModify->text(), QStringLiteral("修改"));
        }
        EXPECT_EQ(f.state.CurrentUser, QString::fromUtf8(c.asOrdinary ? "bob" : "admin"));
    }
}

TEST(FrmAdmin, OrdinaryUserSeesOnlyHisOwnRowToChange)
{
    AdminFixture f(kThree, "bob");
    EXPECT_EQ(f.listed(), (QStringList{QStringLiteral("admin"), QStringLiteral("bob"), QStringLiteral("carol")}));
    Dataset &d = f.ctx.dm().AdoAdmin;
    ASSERT_EQ(d.recordCount(), 1);
    EXPECT_EQ(d.text(QStringLiteral("name")), QStringLiteral("bob"));
    EXPECT_EQ(f.w->edtName->text(), QStringLiteral("bob"));
    EXPECT_FALSE(f.w->edtName->isEnabled());
    EXPECT_EQ(f.w->cbRole->currentIndex(), 0);
    EXPECT_FALSE(f.w->cbRole->isEnabled());
    EXPECT_FALSE(f.w->btnNewUser->isEnabled());
    EXPECT_FALSE(f.w->btnDelete->isEnabled());
    EXPECT_EQ(f.w->lblPassword->text(), kOld);
    EXPECT_EQ(f.w->lblConfirm->text(), kNew);
    EXPECT_EQ(TFrmAdmin::AdminMode, 2);
    EXPECT_EQ(f.focused(), QStringLiteral("edtPassword"));

    // Clicks in the list change nothing.
    f.clickUser(QStringLiteral("carol"));
    f.clickUser(QStringLiteral("admin"), true);
    EXPECT_EQ(f.w->edtName->text(), QStringLiteral("bob"));
    EXPECT_EQ(f.w->btnModify->text(), QStringLiteral("修改"));
    ASSERT_EQ(d.recordCount(), 1);
    EXPECT_EQ(d.text(QStringLiteral("name")), QStringLiteral("bob"));
    EXPECT_FALSE(f.w->pickedId().isValid());

    // 修改 reloads his own row and empties the password fields.
    f.w->edtPassword->setText(QStringLiteral("half"));
    f.click(f.w->btnModify);
    EXPECT_TRUE(f.w->edtPassword->text().isEmpty());
    EXPECT_EQ(d.recordCount(), 1);
    EXPECT_EQ(f.w->edtName->text(), QStringLiteral("bob"));

    // 取消 closes the window.
    f.click(f.w->btnCancel);
    EXPECT_FALSE(f.w->isVisible());
    EXPECT_TRUE(f.fake.messages.calls.empty());
}

TEST(FrmAdmin, ListClicksAndTheModifyButton)
{
    AdminFixture f({{"admin", "root", "1"}, {"Bob", "Secret", "1"}, {"carol", "c", "0"}}, "admin");
    Dataset &d = f.ctx.dm().AdoAdmin;

    // A click picks the user and fixes the name; 修改 then offers the change.
    f.clickUser(QStringLiteral("Bob"));
    EXPECT_EQ(TFrmAdmin::AdminMode, 2);
    EXPECT_EQ(d.text(QStringLiteral("name")), QStringLiteral("Bob"));
    EXPECT_EQ(f.w->edtName->text(), QStringLiteral("Bob"));
    EXPECT_FALSE(f.w->edtName->isEnabled());
    EXPECT_EQ(f.w->lblPassword->text(), QStringLiteral("用户密码："));
    f.w->edtPassword->setText(QStringLiteral("x"));
    f.click(f.w->btnModify);
    EXPECT_EQ(f.w->lblPassword->text(), kOld);
    EXPECT_EQ(f.w->lblConfirm->text(), kNew);
    EXPECT_TRUE(f.w->edtPassword->text().isEmpty());
    EXPECT_EQ(f.w->cbRole->currentIndex(), 1);
    EXPECT_EQ(f.focused(), QStringLiteral("edtPassword"));
    EXPECT_EQ(f.w->btnModify->text(), QStringLiteral("修改"));

    // The 取消 button returns to adding.
    f.click(f.w->btnCancel);
    EXPECT_TRUE(f.w->isVisible());
    EXPECT_EQ(TFrmAdmin::AdminMode, 1);
    EXPECT_TRUE(f.w->edtName->isEnabled());
    EXPECT_TRUE(f.w->edtName->text().isEmpty());
    EXPECT_EQ(f.w->lblPassword->text(), QStringLiteral("用户密码："));
    EXPECT_EQ(f.focused(), QStringLiteral("edtName"));

    // A double-click goes straight to changing; the caption 取消 leaves it.
    f.clickUser(QStringLiteral("carol"), true);
    EXPECT_EQ(f.w->btnModify->text(), QStringLiteral("取消"));
    EXPECT_FALSE(f.w->btnNewUser->isEnabled());
    EXPECT_FALSE(f.w->btnDelete->isEnabled());
    EXPECT_EQ(f.w->cbRole->currentIndex(), 0);
    EXPECT_EQ(f.w->lblConfirm->text(), kNew);
    f.click(f.w->btnModify);
    EXPECT_EQ(f.w->btnModify->text(), QStringLiteral("修改"));
    EXPECT_FALSE(f.w->btnModify->isEnabled());
    EXPECT_TRUE(f.w->btnNewUser->isEnabled());
    EXPECT_TRUE(f.w->btnDelete->isEnabled());
    EXPECT_TRUE(f.w->edtName->isEnabled());
    EXPECT_EQ(f.w->lblPassword->text(), QStringLiteral("用户密码："));
    EXPECT_EQ(TFrmAdmin::AdminMode, 2);  // the mode stays

    // 新添用户 returns to adding; 取消 in adding closes, as 退出 does.
    f.click(f.w->btnNewUser);
    EXPECT_EQ(TFrmAdmin::AdminMode, 1);
    EXPECT_EQ(f.focused(), QStringLiteral("edtName"));
    f.click(f.w->btnCancel);
    EXPECT_FALSE(f.w->isVisible());
    EXPECT_EQ(f.w->result(), QDialog::Rejected);
    EXPECT_TRUE(f.fake.messages.calls.empty());
}

TEST(FrmAdmin, DeletesOnlyAPickedUserAfterConfirmation)
{
    struct Case {
        const char *what;
        std::vector<User> users;
        const char *pick;  // clicked in the list; nullptr: no pick
        bool reloadAfterPick;
        bool answer;
        QStringList messages;
        QStringList namesAfter;
    };
    const QString ask = QStringLiteral("删除提示|您确认要删除该用户吗？");
    const QStringList all = {QStringLiteral("admin"), QStringLiteral("bob"), QStringLiteral("carol")};
    const Case cases[] = {
        {"the only user", {{"admin", "r", "1"}}, "admin", false, true,
         {QStringLiteral("删除提示|提示：请保留一位用户！")}, {QStringLiteral("admin")}},
        {"picked and confirmed", kThree, "bob", false, true, {ask},
         {QStringLiteral("admin"), QStringLiteral("carol")}},
        {"picked, then cancelled", kThree, "bob", false, false, {ask}, all},
        {"no pick: the last row is not a choice", kThree, nullptr, false, true, {}, all},
        {"a reload forgets the pick", kThree, "bob", true, true, {}, all},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        AdminFixture f(c.users, "admin");
        f.fake.messages.answers = {c.answer};
        if (c.pick) f.clickUser(QString::fromUtf8(c.pick));
        if (c.reloadAfterPick) f.w->ListUser();
        f.w->edtPassword->setText(QStringLiteral("typed"));
        f.click(f.w->btnDelete);

        EXPECT_EQ(f.messageTexts(), c.messages);
        if (!c.messages.isEmpty()) {
            EXPECT_EQ(f.fake.messages.calls.back().icon,
                      c.messages.first() == ask ? QMessageBox::Question : QMessageBox::Information);
        }
        QStringList names;
        for (const QString &r : f.rows()) names << r.section(QLatin1Char('/'), 0, 0);
        EXPECT_EQ(names, c.namesAfter);
        EXPECT_EQ(f.listed(), c.namesAfter);
        if (c.messages.value(0) == ask) {
            EXPECT_TRUE(f.w->edtPassword->text().isEmpty());
        }
    }
}
