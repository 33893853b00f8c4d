#include "fakeservices.h"
#include "frmmain.h"

#include <QLabel>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

// Stand-ins for list windows.
class ListA : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};
class ListB : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};
class ListC : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

struct Policy {
    const char *user;
    qint64 received, settled, refunded;  // 实收保费, 公司结费, 公司退费 in ten-thousandths; -1 for NULL
};

QVariant amount(qint64 units) { return units < 0 ? QVariant() : QVariant(units); }

// A database with a few policies of several users, two reminders (one due
// today) and a main window on it; the user is logged in as `user`.
class MainFixture {
public:
    MainFixture(const char *user, const char *quanxian, std::initializer_list<Policy> nonMotor,
                std::initializer_list<Policy> motor)
        : session(dir.filePath(QStringLiteral("data.dat")))
    {
        {
            auto c = createDatabase(session.path(), {QStringLiteral("first"), QStringLiteral("x"), true});
            auto insert = [&c](const char *table, const Policy &p) {
                c->exec(QStringLiteral("insert into %1 (用户, 实收保费, 公司结费, 公司退费) values (?, ?, ?, ?)")
                            .arg(QString::fromUtf8(table)),
                        {QString::fromUtf8(p.user), amount(p.received), amount(p.settled), amount(p.refunded)});
            };
            for (const Policy &p : nonMotor) insert("个贷投保单", p);
            for (const Policy &p : motor) insert("车险投保单", p);
            const QDate today = fake.clock.today();
            for (const QDate &d : {today, today.addDays(-1)})
                c->exec(QStringLiteral("insert into alert (AlertDate, leibie, AlertCaption) values (?, ?, ?)"),
                        {dateToStorage(d), QStringLiteral("客户生日提醒"), QStringLiteral("生日")});
        }
        session.open();
        state.logIn(QString::fromUtf8(user), QString::fromLatin1(quanxian));
        ctx = Context{fake.services(), &session, &state};
        win = std::make_unique<TFrmMain>(ctx);
    }

    void show()
    {
        win->resize(1280, 800);
        win->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(win.get()));
    }
    QString label(const char *name) const
    {
        auto *l = win->findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
    }
    QAction *cmd(const char *name) const
    {
        QAction *a = win->command(QString::fromLatin1(name));
        EXPECT_TRUE(a) << name;
        return a;
    }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
    std::unique_ptr<TFrmMain> win;
};

// Captions of a menu: "-" for a separator, "title[...]" for a sub-menu.
QString describe(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions) {
        if (a->isSeparator()) out << QStringLiteral("-");
        else if (a->menu()) out << a->text() + QLatin1Char('[') + describe(a->menu()->actions()) + QLatin1Char(']');
        else out << a->text();
    }
    return out.join(QLatin1Char(','));
}

} // namespace

TEST(MainWindow, CaptionsOfMenusToolBarNavigationAndTray)
{
    MainFixture f("张三", "0", {}, {});
    EXPECT_EQ(f.win->objectName(), QStringLiteral("TFrmMain"));
    EXPECT_EQ(f.win->windowTitle(), QStringLiteral("TolvarisV2.0"));
    EXPECT_FALSE(f.win->windowIcon().isNull());

    const std::vector<std::pair<const char *, const char *>> menus = {
        {"系统功能", "用户管理,-,数据备份,数据恢复,-,退出系统"},
        {"客户关系", "新增客户,客户列表"},
        {"保单处理", "保单新增[车险投保单,非车险投保单],保单查询"},
        {"收付结算", "实收保费,公司结费,费用支付,公司退费"},
        {"个人助理", "工作日志,保险条款,提醒设置[保单续保提醒,保费催交提醒,客户生日提醒]"},
        {"数据维护", "业务来源维护,-,标的类别维护,贷款银行维护,-,行业类别维护"},
        {"统计分析", "业务统计,-,交费统计,结费统计,退费统计"},
        {"窗口", "层叠,水平,平铺"},
        {"帮助", "目录与索引,-,建议反馈,隐私条款,-,关于"},
    };
    const QList<QAction *> top = f.win->menuBar()->actions();
    ASSERT_EQ(size_t(top.size()), menus.size());
    for (size_t i = 0; i < menus.size(); ++i) {
        EXPECT_EQ(top[i]->text(), QString::fromUtf8(menus[i].first));
        EXPECT_EQ(describe(top[i]->menu()->actions()), QString::fromUtf8(menus[i].second)) << menus[i].first;
    }

    auto *tb = f.win->findChild<QToolBar *>(QStringLiteral("toolBar"));
    ASSERT_TRUE(tb);
    EXPECT_EQ(describe(tb->actions()),
              QStringLiteral("我的客户,我的保单,新增保单[车险投保单,水险投保单,非车险投保单],-,工作日志,提醒设置,"
                             "统计分析[业务统计,-,交费统计,结费统计,退费统计],"
                             "数据维护[业务来源,-,保险标的,贷款银行,-,行业类别],-,系统帮助,退出系统"));
    EXPECT_EQ(tb->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    for (QAction *a : tb->actions()) {
        if (a->isSeparator()) continue;
        auto *b = qobject_cast<QToolButton *>(tb->widgetForAction(a));
        ASSERT_TRUE(b) << a->text().toStdString();
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        if (a->menu()) {
            EXPECT_EQ(b->popupMode(), QToolButton::InstantPopup) << a->text().toStdString();
        }
    }
    EXPECT_EQ(f.cmd("actMyCustomers")->toolTip(), QStringLiteral("我的客户列表"));
    EXPECT_EQ(f.cmd("actMyPolicies")->toolTip(), QStringLiteral("我的保单列表"));
    EXPECT_EQ(f.cmd("actDataMenu")->toolTip(), QStringLiteral("基础数据维护"));

    auto *nav = f.win->findChild<QTreeWidget *>(QStringLiteral("navBar"));
    ASSERT_TRUE(nav);
    QStringList groups;
    for (int g = 0; g < nav->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = nav->topLevelItem(g);
        EXPECT_TRUE(group->isExpanded());
        QStringList items;
        for (int i = 0; i < group->childCount(); ++i) {
            items << group->child(i)->text(0);
            EXPECT_FALSE(group->child(i)->icon(0).isNull());
        }
        groups << group->text(0) + QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    EXPECT_EQ(groups.join(QLatin1Char(';')),
              QStringLiteral("客户关系[客户列表,新增客户];保单处理[保单列表,保单查询];"
                             "收付结算[实收保费,公司结费,费用支付,公司退费];"
                             "统计分析[业务统计,交费统计,结费统计,退费统计];个人助理[工作日志,保险条款,提醒设置]"));
    auto *toggle = f.win->findChild<QToolButton *>(QStringLiteral("sideBarToggle"));
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("隐藏/显示侧边栏"));

    EXPECT_EQ(describe(f.win->trayMenu()->actions()), QStringLiteral("显示/隐藏主窗体,-,帮助,关于,-,退出"));

    // Status panes, left to right.
    QStringList panes;
    f.show();
    QList<QLabel *> labels = f.win->statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->x() < b->x(); });
    for (QLabel *l : labels) panes << l->objectName();
    EXPECT_EQ(panes.join(QLatin1Char(',')),
              QStringLiteral("paneWelcome,paneKeys,paneUser,paneRights,paneClock,paneBlink"));
    EXPECT_EQ(f.label("paneWelcome"), QStringLiteral("欢迎使用Tolvaris系统"));
    EXPECT_EQ(f.label("paneClock"), QStringLiteral("09:30:00"));
    EXPECT_TRUE(f.label("paneBlink").isEmpty());
}

TEST(MainWindow, NavigationItemsFollowTheirCommandsAndOneIsHighlighted)
{
    MainFixture f("张三", "0", {}, {});
    auto *nav = f.win->findChild<QTreeWidget *>(QStringLiteral("navBar"));
    QTreeWidgetItem *stat = nav->topLevelItem(3)->child(0);    // 业务统计
    QTreeWidgetItem *clause = nav->topLevelItem(4)->child(1);  // 保险条款
    EXPECT_TRUE(stat->isDisabled());  // its window is not part of the program yet

    QAction *a = f.cmd("actStatBusiness");
    QSignalSpy triggered(a, &QAction::triggered);
    a->setEnabled(true);
    f.cmd("actClauses")->setEnabled(true);
    EXPECT_FALSE(stat->isDisabled());
    f.show();
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->visualItemRect(stat).center());
    EXPECT_EQ(triggered.count(), 1);
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->visualItemRect(clause).center());
    EXPECT_EQ(nav->selectedItems(), QList<QTreeWidgetItem *>{clause});

    f.win->setSideBarVisible(false);
    EXPECT_FALSE(nav->isVisible());
    QTest::mouseClick(f.win->findChild<QToolButton *>(QStringLiteral("sideBarToggle")), Qt::LeftButton);
    EXPECT_TRUE(nav->isVisible());
}

TEST(MainWindow, CountersCountAllUsersAndSkipNullAndZero)
{
    // 实收保费, 公司结费, 公司退费 per policy; -1 = NULL. The ordinary user
    // 张三 owns only some of them and still sees every row counted.
    MainFixture f("张三", "0",
                  {{"张三", 1000000, -1, 0}, {"李四", -1, 500000, 300000}, {"李四", 2000000, 0, -1}},
                  {{"张三", 0, -1, -1}, {"王五", 3000000, 3000000, 100}});
    for (const char *name : {"lblGedaiTotal", "lblChexianTotal"}) EXPECT_TRUE(f.label(name).isEmpty()) << name;
    f.show();

    const std::pair<const char *, const char *> expected[] = {
        {"lblGedaiTotal", "非车险保单共有：3份"},   {"lblChexianTotal", "车险保单共有：2份"},
        {"lblGedaiRefund", "非车险公司退费：1份"},  {"lblChexianRefund", "车险公司退费：1份"},
        {"lblGedaiSettled", "非车险公司结费：1份"}, {"lblChexianSettled", "车险公司结费：1份"},
        {"lblGedaiReceived", "非车险实收保费：2份"}, {"lblChexianReceived", "车险实收保费：1份"},
        {"lblCurrentUser", "当前用户："},           {"lblCheckList", "结帐清单"},
        {"paneUser", "操作员：张三"},               {"paneRights", "权限：普通用户"},
    };
    for (const auto &[name, text] : expected) EXPECT_EQ(f.label(name), QString::fromUtf8(text)) << name;

    // Left column: totals then refunds; right column: received then settled.
    auto pos = [&f](const char *name) { return f.win->findChild<QLabel *>(QString::fromLatin1(name))->pos(); };
    EXPECT_LT(pos("lblGedaiTotal").x(), pos("lblGedaiReceived").x());
    EXPECT_EQ(pos("lblGedaiTotal").y(), pos("lblGedaiReceived").y());
    EXPECT_LT(pos("lblChexianTotal").y(), pos("lblGedaiRefund").y());
    EXPECT_LT(pos("lblChexianReceived").y(), pos("lblGedaiSettled").y());

    // Today's reminders only; the policy datasets keep the last counted
    // statements, not loaded until a window opens them.
    EXPECT_EQ(f.ctx.dm().AdoAlert.recordCount(), 1);
    EXPECT_EQ(f.ctx.dm().AdoAlert.statement().params, QVariantList{QStringLiteral("2024-03-15")});
    EXPECT_EQ(f.ctx.dm().AdoGedai.statement().text, QStringLiteral("select * from 个贷投保单 where 实收保费 <>0"));
    EXPECT_EQ(f.ctx.dm().AdoChexian.statement().text, QStringLiteral("select * from 车险投保单 where 实收保费 <>0 "));
    EXPECT_FALSE(f.ctx.dm().AdoChexian.isActive());
    f.ctx.dm().AdoChexian.open();
    EXPECT_EQ(f.ctx.dm().AdoChexian.recordCount(), 1);

    // TOLVARIS_GRAB=file.png keeps a picture of the window for a look.
    if (qEnvironmentVariableIsSet("TOLVARIS_GRAB")) f.win->grab().save(qEnvironmentVariable("TOLVARIS_GRAB"));
}

TEST(MainWindow, RightsDecideRestoreAndCommandsOpenTheirWindows)
{
    struct Case {
        const char *quanxian;
        const char *rights;
        bool restore;
    } cases[] = {{"0", "权限：普通用户", false}, {"1", "权限：高级用户", true}, {"2", "权限：高级用户", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.quanxian);
        MainFixture f("张三", c.quanxian, {}, {});
        f.show();
        EXPECT_EQ(f.label("paneRights"), QString::fromUtf8(c.rights));
        EXPECT_EQ(f.cmd("actRestore")->isEnabled(), c.restore);
        EXPECT_TRUE(f.cmd("actUserManagement")->isEnabled());
        EXPECT_TRUE(f.cmd("actBackup")->isEnabled());

        f.fake.files.defaultSavePath.clear();  // the user cancels
        f.fake.files.defaultOpenPath.clear();
        for (const char *name : {"actUserManagement", "actAbout", "actBackup", "actRestore"}) f.cmd(name)->trigger();
        QStringList calls;
        for (const ServiceCall &call : f.fake.log) {
            switch (call.kind) {
            case ServiceCall::Kind::Modal: calls << call.text; break;
            case ServiceCall::Kind::SaveFile: calls << QStringLiteral("save"); break;
            case ServiceCall::Kind::OpenFile: calls << QStringLiteral("open"); break;
            default: calls << call.title + QLatin1Char('|') + call.text;
            }
        }
        EXPECT_EQ(calls.join(QLatin1Char(',')),
                  QStringLiteral("TFrmAdmin,TFrmAbout,save") + (c.restore ? QStringLiteral(",open") : QString()));
    }
}

TEST(MainWindow, CommandsWithoutTheirWindowsAreDisabled)
{
    MainFixture f("张三", "1", {}, {});
    f.show();
    for (const char *name :
         {"actNewMarine", "actNewNonMotor", "actPolicyList", "actMyPolicies", "actQuery", "actReceived", "actSettled",
          "actFeesPaid", "actRefunded", "actStatBusiness", "actStatPremium", "actStatSettlement", "actStatRefund",
          "actWorkLog", "actClauses", "actAlertSettings", "actAlertRenewal", "actAlertPremium", "actAlertBirthday"})
        EXPECT_FALSE(f.cmd(name)->isEnabled()) << name;
    for (const char *name : {"actExit", "actTrayExit", "actAbout", "actCascade", "actTileHorizontal",
                             "actTileVertical", "actTrayToggle", "actNewPolicyMenu", "actStatMenu", "actDataMenu",
                             "actNewCustomer", "actCustomerList", "actMyCustomers", "actNewMotor", "actYwly",
                             "actBdlb", "actDkyh", "actHylb", "actToolYwly", "actToolBdlb", "actToolDkyh",
                             "actToolHylb"})
        EXPECT_TRUE(f.cmd(name)->isEnabled()) << name;
    EXPECT_EQ(f.win->command(QStringLiteral("actNoSuchCommand")), nullptr);
}

TEST(MainWindow, CustomerReferenceAndMotorCommandsOpenTheirWindows)
{
    MainFixture f("张三", "1", {}, {});
    f.show();
    struct Case {
        const char *command;
        const char *opens;  // modal dialogs run, in order
    } cases[] = {
        {"actYwly", "TFrmYwLy"},          {"actToolYwly", "TFrmYwLy"}, {"actBdlb", "TFrmBdlb"},
        {"actToolBdlb", "TFrmBdlb"},      {"actDkyh", "TFrmDKYH"},     {"actToolDkyh", "TFrmDKYH"},
        {"actHylb", "TFrmHYLB"},          {"actToolHylb", "TFrmHYLB"}, {"actNewMotor", "TFrmCheXianBaodan"},
        {"actNewCustomer", "TFrmAddkh"},  {"actCustomerList", ""},     {"actMyCustomers", ""},
    };
    for (const Case &c : cases) {
        f.fake.log.clear();
        f.state.EditMode = QStringLiteral("M");
        f.cmd(c.command)->trigger();
        QStringList modal;
        for (const ServiceCall &call : f.fake.log)
            if (call.kind == ServiceCall::Kind::Modal) modal << call.text;
        EXPECT_EQ(modal.join(QLatin1Char(',')), QString::fromUtf8(c.opens)) << c.command;
    }
    // The customer commands share one customer list, opened by the first of them.
    int lists = 0;
    for (QMdiSubWindow *sub : f.win->mdiArea()->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == QLatin1String("TFrmMyKh")) ++lists;
    EXPECT_EQ(lists, 1);
    EXPECT_TRUE(f.win->sideBarVisible());
}

TEST(MainWindow, NewPolicyKeysAndMenuItemsSetNewMode)
{
    MainFixture f("张三", "0", {}, {});
    f.show();
    QAction *motor = f.cmd("actNewMotor");
    QAction *nonMotor = f.cmd("actNewNonMotor");
    QSignalSpy motorSpy(motor, &QAction::triggered), nonMotorSpy(nonMotor, &QAction::triggered);

    // Disabled: the key does nothing.
    f.state.EditMode = QStringLiteral("M");
    QTest::keyClick(f.win.get(), Qt::Key_F1);
    EXPECT_EQ(f.state.EditMode, QStringLiteral("M"));
    EXPECT_EQ(nonMotorSpy.count(), 0);

    for (QAction *a : {motor, nonMotor, f.cmd("actNewMarine")}) a->setEnabled(true);
    QTest::keyClick(f.win.get(), Qt::Key_F2);
    EXPECT_EQ(f.state.EditMode, QStringLiteral("N"));
    EXPECT_EQ(motorSpy.count(), 1);

    f.state.EditMode = QStringLiteral("M");
    QTest::keyClick(f.win.get(), Qt::Key_F1);
    EXPECT_EQ(f.state.EditMode, QStringLiteral("N"));
    EXPECT_EQ(nonMotorSpy.count(), 1);

    // The main menu's "保单新增" items and the tool bar's drop-down alike.
    auto *menu = f.win->findChild<QMenu *>(QStringLiteral("menuNewPolicy"));
    auto *drop = f.win->findChild<QMenu *>(QStringLiteral("menuToolNewPolicy"));
    ASSERT_TRUE(menu && drop);
    for (QMenu *m : {menu, drop})
        for (QAction *a : m->actions()) {
            f.state.EditMode = QStringLiteral("G");
            a->trigger();
            EXPECT_EQ(f.state.EditMode, QStringLiteral("N")) << a->text().toStdString();
        }
}

TEST(MainWindow, ChildWindowsOpenOnceAndComeToTheFront)
{
    MainFixture f("张三", "0", {}, {});
    f.show();
    int made = 0;
    auto makeA = [&made] {
        ++made;
        return new ListA;
    };
    QPointer<ListA> a = f.win->openChild<ListA>(makeA);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->parentWidget()->isMaximized());
    ListB *b = f.win->openChild<ListB>([] { return new ListB; });
    ASSERT_TRUE(b);
    EXPECT_EQ(f.win->mdiArea()->activeSubWindow()->widget(), b);

    EXPECT_EQ(f.win->openChild<ListA>(makeA), a.data());
    EXPECT_EQ(made, 1);
    EXPECT_EQ(f.win->mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(f.win->mdiArea()->activeSubWindow()->widget(), a.data());

    EXPECT_TRUE(f.win->ShowChildIfOpen(ListB::staticMetaObject));
    EXPECT_EQ(f.win->mdiArea()->activeSubWindow()->widget(), b);
    EXPECT_FALSE(f.win->ShowChildIfOpen(ListC::staticMetaObject));

    // Of two instances the most recently created one is found.
    auto *second = new ListB;
    f.win->mdiArea()->addSubWindow(second)->show();
    f.win->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(a->parentWidget()));
    EXPECT_TRUE(f.win->ShowChildIfOpen(ListB::staticMetaObject));
    EXPECT_EQ(f.win->mdiArea()->activeSubWindow()->widget(), second);

    // Closing destroys the window; the next request makes a new one.
    a->parentWidget()->close();
    QTRY_VERIFY(a.isNull());
    EXPECT_FALSE(f.win->ShowChildIfOpen(ListA::staticMetaObject));
    EXPECT_NE(f.win->openChild<ListA>(makeA), nullptr);
    EXPECT_EQ(made, 2);
}

TEST(MainWindow, WindowMenuArrangesChildren)
{
    MainFixture f("张三", "0", {}, {});
    f.show();
    ListA *a = f.win->openChild<ListA>([] { return new ListA; });
    ListB *b = f.win->openChild<ListB>([] { return new ListB; });
    auto *sa = qobject_cast<QMdiSubWindow *>(a->parentWidget());
    auto *sb = qobject_cast<QMdiSubWindow *>(b->parentWidget());
    const QRect area = f.win->mdiArea()->viewport()->rect();

    f.cmd("actTileHorizontal")->trigger();  // bands one above the other
    EXPECT_EQ(sa->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(sb->geometry().top(), area.height() / 2);
    EXPECT_EQ(sb->width(), area.width());

    f.cmd("actTileVertical")->trigger();  // columns side by side
    EXPECT_EQ(sa->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(sb->geometry().left(), area.width() / 2);
    EXPECT_EQ(sb->height(), area.height());

    f.cmd("actCascade")->trigger();
    EXPECT_FALSE(sa->isMaximized());
    EXPECT_NE(sa->pos(), sb->pos());
}

TEST(MainWindow, FirstShowRunsOnceAndStartsTheReminderTimers)
{
    MainFixture f("张三", "1", {{"张三", 100, 0, 0}}, {});
    auto *t1 = f.win->findChild<QTimer *>(QStringLiteral("Timer1"));
    auto *t2 = f.win->findChild<QTimer *>(QStringLiteral("Timer2"));
    ASSERT_TRUE(t1 && t2);
    EXPECT_FALSE(t1->isActive() || t2->isActive());
    EXPECT_FALSE(f.win->firstShowDone());
    EXPECT_FALSE(f.ctx.dm().AdoAlert.isActive());

    f.show();
    EXPECT_TRUE(f.win->firstShowDone());
    EXPECT_TRUE(t1->isActive() && t2->isActive());
    EXPECT_EQ(t1->interval(), 5000);
    EXPECT_EQ(t2->interval(), 5000);

    // Hidden and shown again: no reconnect, no recount.
    f.ctx.db().exec(QStringLiteral("insert into 个贷投保单 (用户) values ('李四')"));
    f.ctx.dm().AdoGedai.reopen(Statement("select * from 个贷投保单"));
    f.win->hide();
    f.win->show();
    EXPECT_EQ(f.label("lblGedaiTotal"), QStringLiteral("非车险保单共有：1份"));
    EXPECT_TRUE(f.ctx.dm().AdoGedai.isActive());
    EXPECT_EQ(f.ctx.dm().AdoGedai.recordCount(), 2);

    // Today has a reminder: the first timer announces it once and stops.
    QSignalSpy due(f.win.get(), &TFrmMain::reminderDue);
    t1->start(1);
    QTRY_COMPARE(due.count(), 1);
    EXPECT_FALSE(t1->isActive());
    t2->start(1);
    QTRY_VERIFY(!t2->isActive());
}

TEST(MainWindow, NoReminderDueWithoutTodaysReminders)
{
    MainFixture f("张三", "1", {}, {});
    f.fake.clock.setToday(QDate(2030, 1, 1));
    f.show();
    EXPECT_EQ(f.ctx.dm().AdoAlert.recordCount(), 0);
    QSignalSpy due(f.win.get(), &TFrmMain::reminderDue);
    auto *t1 = f.win->findChild<QTimer *>(QStringLiteral("Timer1"));
    t1->start(1);
    QTRY_VERIFY(!t1->isActive());
    EXPECT_EQ(due.count(), 0);
}

TEST(MainWindow, ExitEndsWithoutAQuestion)
{
    for (const char *name : {"actExit", "actTrayExit"}) {
        MainFixture f("张三", "0", {}, {});
        f.show();
        f.cmd(name)->trigger();
        EXPECT_FALSE(f.win->isVisible()) << name;
        EXPECT_TRUE(f.fake.log.empty()) << name;
    }
}

TEST(MainWindow, TrayToggleMinimisesAndRestores)
{
    MainFixture f("张三", "0", {}, {});
    f.show();
    f.win->showMaximized();
    f.cmd("actTrayToggle")->trigger();
    EXPECT_TRUE(f.win->isMinimized());
    f.cmd("actTrayToggle")->trigger();
    EXPECT_FALSE(f.win->isMinimized());
    EXPECT_TRUE(f.win->isVisible());
    EXPECT_TRUE(f.win->windowState() & Qt::WindowMaximized);
}

TEST(MainWindow, KeyboardLockPaneFollowsKeyEvents)
{
    MainFixture f("张三", "0", {}, {});
    f.show();
    auto *pane = f.win->findChild<QLabel *>(QStringLiteral("paneKeys"));
    QWindow *w = f.win->windowHandle();
    auto press = [w](Qt::Key key, const QString &text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Press, w, key, text, mods);
        QTest::sendKeyEvent(QTest::Release, w, key, text, mods);
    };
    EXPECT_FALSE(pane->property("capsLock").toBool());
    press(Qt::Key_A, QStringLiteral("A"));
    EXPECT_TRUE(pane->property("capsLock").toBool());
    press(Qt::Key_A, QStringLiteral("a"), Qt::ShiftModifier);
    EXPECT_TRUE(pane->property("capsLock").toBool());
    press(Qt::Key_CapsLock, {});
    EXPECT_FALSE(pane->property("capsLock").toBool());
    press(Qt::Key_5, QStringLiteral("5"), Qt::KeypadModifier);
    EXPECT_TRUE(pane->property("numLock").toBool());
    press(Qt::Key_Home, {}, Qt::KeypadModifier);
    EXPECT_FALSE(pane->property("numLock").toBool());
}

#include "test_mainwindow.moc"
