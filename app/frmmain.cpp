#include "frmmain.h"

#include "artwork.h"
#include "backup.h"
#include "frmabout.h"
#include "frmaddkh.h"
#include "frmadmin.h"
#include "frmchexianbaodan.h"
#include "frmmykh.h"
#include "refdata.h"
#include "version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tolvaris {

namespace {

const QColor kBlue(0x2b, 0x6c, 0xb0);
const QColor kGreen(0x3a, 0x8d, 0x4f);
const QColor kOrange(0xd0, 0x7a, 0x1e);
const QColor kRed(0xb8, 0x3b, 0x3b);
const QColor kPurple(0x7a, 0x4f, 0xa8);
const QColor kTeal(0x1f, 0x8a, 0x8a);
const QColor kGrey(0x6b, 0x75, 0x80);

} // namespace

TFrmMain::TFrmMain(const Context &ctx, QWidget *parent) : QMainWindow(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowTitle(kMainCaption);
    setWindowIcon(artwork::appIcon());
    // F1/F2 reach the window when it (not a child control) has the focus.
    setFocusPolicy(Qt::StrongFocus);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(central);

    buildCommands();
    buildMenus();
    buildToolBar();
    buildSideBar(central);

    mdi_ = new QMdiArea(central);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    row->addWidget(mdi_, 1);
    buildBackground();
    buildStatusBar();
    buildTray();
    connectCommands();

    // The reminder pop-up timers: created stopped, started at the first show.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(5000);
    connect(timer1_, &QTimer::timeout, this, &TFrmMain::onReminderTimer1);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(5000);
    connect(timer2_, &QTimer::timeout, this, &TFrmMain::onReminderTimer2);

    // Keyboard locks can only be read from the key events that pass by.
    qApp->installEventFilter(this);
    resize(1024, 700);
}

TFrmMain::~TFrmMain()
{
    qApp->removeEventFilter(this);
}

// ------------------------------------------------------------ commands

QAction *TFrmMain::makeAction(const char *objectName, const QString &text, const QString &glyph,
                              const QColor &color)
{
    auto *a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(objectName));
    if (!glyph.isEmpty()) a->setIcon(artwork::glyphIcon(glyph, color));
    commands_.insert(a->objectName(), a);
    return a;
}

QAction *TFrmMain::command(const QString &objectName) const
{
    return commands_.value(objectName, nullptr);
}

void TFrmMain::buildCommands()
{
    // System.
    makeAction("actUserManagement", QStringLiteral("用户管理"), QStringLiteral("户"), kPurple);
    makeAction("actBackup", QStringLiteral("数据备份"), QStringLiteral("备"), kTeal);
    makeAction("actRestore", QStringLiteral("数据恢复"), QStringLiteral("恢"), kTeal);
    makeAction("actExit", QStringLiteral("退出系统"), QStringLiteral("退"), kRed);
    // Customers.
    makeAction("actNewCustomer", QStringLiteral("新增客户"), QStringLiteral("新"), kBlue);
    makeAction("actCustomerList", QStringLiteral("客户列表"), QStringLiteral("客"), kBlue);
    makeAction("actMyCustomers", QStringLiteral("我的客户"), QStringLiteral("客"), kBlue)
        ->setToolTip(QStringLiteral("我的客户列表"));
    // Policies.
    makeAction("actNewMotor", QStringLiteral("车险投保单"), QStringLiteral("车"), kGreen);
    makeAction("actNewMarine", QStringLiteral("水险投保单"), QStringLiteral("水"), kGreen);
    makeAction("actNewNonMotor", QStringLiteral("非车险投保单"), QStringLiteral("贷"), kGreen);
    makeAction("actPolicyList", QStringLiteral("保单列表"), QStringLiteral("单"), kGreen);
    makeAction("actMyPolicies", QStringLiteral("我的保单"), QStringLiteral("单"), kGreen)
        ->setToolTip(QStringLiteral("我的保单列表"));
    makeAction("actQuery", QStringLiteral("保单查询"), QStringLiteral("查"), kGreen);
    makeAction("actNewPolicyMenu", QStringLiteral("新增保单"), QStringLiteral("新"), kGreen);
    // Settlement.
    makeAction("actReceived", QStringLiteral("实收保费"), QStringLiteral("收"), kOrange);
    makeAction("actSettled", QStringLiteral("公司结费"), QStringLiteral("结"), kOrange);
    makeAction("actFeesPaid", QStringLiteral("费用支付"), QStringLiteral("付"), kOrange);
    makeAction("actRefunded", QStringLiteral("公司退费"), QStringLiteral("退"), kOrange);
    // Statistics.
    makeAction("actStatBusiness", QStringLiteral("业务统计"), QStringLiteral("业"), kPurple);
    makeAction("actStatPremium", QStringLiteral("交费统计"), QStringLiteral("交"), kPurple);
    makeAction("actStatSettlement", QStringLiteral("结费统计"), QStringLiteral("结"), kPurple);
    makeAction("actStatRefund", QStringLiteral("退费统计"), QStringLiteral("退"), kPurple);
    makeAction("actStatMenu", QStringLiteral("统计分析"), QStringLiteral("统"), kPurple);
    // Personal assistant.
    makeAction("actWorkLog", QStringLiteral("工作日志"), QStringLiteral("志"), kTeal);
    makeAction("actClauses", QStringLiteral("保险条款"), QStringLiteral("款"), kTeal);
    makeAction("actAlertSettings", QStringLiteral("提醒设置"), QStringLiteral("醒"), kTeal);
    makeAction("actAlertRenewal", QStringLiteral("保单续保提醒"), QStringLiteral("续"), kTeal);
    makeAction("actAlertPremium", QStringLiteral("保费催交提醒"), QStringLiteral("催"), kTeal);
    makeAction("actAlertBirthday", QStringLiteral("客户生日提醒"), QStringLiteral("生"), kTeal);
    // Reference data: the menu's and the tool-bar drop-down's captions differ.
    makeAction("actYwly", QStringLiteral("业务来源维护"), QStringLiteral("源"), kGrey);
    makeAction("actBdlb", QStringLiteral("标的类别维护"), QStringLiteral("标"), kGrey);
    makeAction("actDkyh", QStringLiteral("贷款银行维护"), QStringLiteral("银"), kGrey);
    makeAction("actHylb", QStringLiteral("行业类别维护"), QStringLiteral("行"), kGrey);
    makeAction("actToolYwly", QStringLiteral("业务来源"), QStringLiteral("源"), kGrey);
    makeAction("actToolBdlb", QStringLiteral("保险标的"), QStringLiteral("标"), kGrey);
    makeAction("actToolDkyh", QStringLiteral("贷款银行"), QStringLiteral("银"), kGrey);
    makeAction("actToolHylb", QStringLiteral("行业类别"), QStringLiteral("行"), kGrey);
    makeAction("actDataMenu", QStringLiteral("数据维护"), QStringLiteral("维"), kGrey)
        ->setToolTip(QStringLiteral("基础数据维护"));
    // Window and help.
    makeAction("actCascade", QStringLiteral("层叠"));
    makeAction("actTileHorizontal", QStringLiteral("水平"));
    makeAction("actTileVertical", QStringLiteral("平铺"));
    makeAction("actContents", QStringLiteral("目录与索引"));
    makeAction("actFeedback", QStringLiteral("建议反馈"));
    makeAction("actPrivacy", QStringLiteral("隐私条款"));
    makeAction("actAbout", QStringLiteral("关于"), QStringLiteral("T"), kBlue);
    makeAction("actHelp", QStringLiteral("系统帮助"), QStringLiteral("?"), kBlue);
    // Tray.
    makeAction("actTrayToggle", QStringLiteral("显示/隐藏主窗体"));
    makeAction("actTrayHelp", QStringLiteral("帮助"));
    makeAction("actTrayExit", QStringLiteral("退出"));

    // Commands whose windows are not part of the program yet.
    for (const char *name :
         {"actNewMarine", "actNewNonMotor", "actPolicyList", "actMyPolicies", "actQuery", "actReceived", "actSettled",
          "actFeesPaid", "actRefunded", "actStatBusiness", "actStatPremium", "actStatSettlement", "actStatRefund",
          "actWorkLog", "actClauses", "actAlertSettings", "actAlertRenewal", "actAlertPremium", "actAlertBirthday"})
        command(QString::fromLatin1(name))->setEnabled(false);
}

void TFrmMain::buildMenus()
{
    auto addMenu = [this](const char *name, const QString &title) {
        QMenu *m = menuBar()->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto add = [this](QMenu *m, std::initializer_list<const char *> names) {
        for (const char *n : names) {
            if (!*n) m->addSeparator();
            else m->addAction(command(QString::fromLatin1(n)));
        }
    };
    menuBar()->setObjectName(QStringLiteral("menuBar"));

    add(addMenu("menuSystem", QStringLiteral("系统功能")),
        {"actUserManagement", "", "actBackup", "actRestore", "", "actExit"});
    add(addMenu("menuCustomers", QStringLiteral("客户关系")), {"actNewCustomer", "actCustomerList"});

    QMenu *policies = addMenu("menuPolicies", QStringLiteral("保单处理"));
    QMenu *newPolicy = policies->addMenu(QStringLiteral("保单新增"));
    newPolicy->setObjectName(QStringLiteral("menuNewPolicy"));
    add(newPolicy, {"actNewMotor", "actNewNonMotor"});
    add(policies, {"actQuery"});

    add(addMenu("menuSettlement", QStringLiteral("收付结算")),
        {"actReceived", "actSettled", "actFeesPaid", "actRefunded"});

    QMenu *assistant = addMenu("menuAssistant", QStringLiteral("个人助理"));
    add(assistant, {"actWorkLog", "actClauses"});
    QMenu *alerts = assistant->addMenu(QStringLiteral("提醒设置"));
    alerts->setObjectName(QStringLiteral("menuAlertSettings"));
    add(alerts, {"actAlertRenewal", "actAlertPremium", "actAlertBirthday"});

    add(addMenu("menuData", QStringLiteral("数据维护")), {"actYwly", "", "actBdlb", "actDkyh", "", "actHylb"});
    add(addMenu("menuStatistics", QStringLiteral("统计分析")),
        {"actStatBusiness", "", "actStatPremium", "actStatSettlement", "actStatRefund"});
    add(addMenu("menuWindow", QStringLiteral("窗口")), {"actCascade", "actTileHorizontal", "actTileVertical"});
    add(addMenu("menuHelp", QStringLiteral("帮助")), {"actContents", "", "actFeedback", "actPrivacy", "", "actAbout"});
}

void TFrmMain::buildToolBar()
{
    auto *tb = new QToolBar(QStringLiteral("工具栏"), this);
    tb->setObjectName(QStringLiteral("toolBar"));
    tb->setMovable(false);
    tb->setFloatable(false);
    tb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tb->setIconSize(QSize(22, 22));
    tb->toggleViewAction()->setEnabled(false);  // the tool bar is always there
    addToolBar(Qt::TopToolBarArea, tb);

    auto dropDown = [this](const char *action, const char *menuName, std::initializer_list<const char *> items) {
        auto *m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(menuName));
        for (const char *n : items) {
            if (!*n) m->addSeparator();
            else m->addAction(command(QString::fromLatin1(n)));
        }
        command(QString::fromLatin1(action))->setMenu(m);
    };
    dropDown("actNewPolicyMenu", "menuToolNewPolicy", {"actNewMotor", "actNewMarine", "actNewNonMotor"});
    dropDown("actStatMenu", "menuToolStatistics",
             {"actStatBusiness", "", "actStatPremium", "actStatSettlement", "actStatRefund"});
    dropDown("actDataMenu", "menuToolData", {"actToolYwly", "", "actToolBdlb", "actToolDkyh", "", "actToolHylb"});

    for (const char *n : {"actMyCustomers", "actMyPolicies", "actNewPolicyMenu", "", "actWorkLog",
                          "actAlertSettings", "actStatMenu", "actDataMenu", "", "actHelp", "actExit"}) {
        if (!*n) {
            tb->addSeparator();
            continue;
        }
        QAction *a = command(QString::fromLatin1(n));
        tb->addAction(a);
        auto *button = qobject_cast<QToolButton *>(tb->widgetForAction(a));
        if (!button) continue;
        button->setObjectName(QStringLiteral("tb_") + a->objectName());
        button->setMinimumSize(60, 40);
        if (a->menu()) button->setPopupMode(QToolButton::InstantPopup);
    }
}

void TFrmMain::buildSideBar(QWidget *host)
{
    sidePanel_ = new QWidget(host);
    sidePanel_->setObjectName(QStringLiteral("sideBar"));
    auto *row = new QHBoxLayout(sidePanel_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    nav_ = new QTreeWidget(sidePanel_);
    nav_->setObjectName(QStringLiteral("navBar"));
    nav_->setHeaderHidden(true);
    nav_->setRootIsDecorated(false);
    nav_->setIndentation(12);
    nav_->setIconSize(QSize(18, 18));
    nav_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Clicked, not tabbed into: the window itself keeps the focus for F1/F2.
    nav_->setFocusPolicy(Qt::ClickFocus);
    nav_->setFixedWidth(150);
    nav_->setStyleSheet(QStringLiteral("QTreeWidget#navBar { background: #eef3f9; border: none; }"
                                       "QTreeWidget#navBar::item { padding: 3px 2px; }"));

    const struct {
        const char *group;
        std::initializer_list<const char *> items;
    } groups[] = {
        {"客户关系", {"actCustomerList", "actNewCustomer"}},
        {"保单处理", {"actPolicyList", "actQuery"}},
        {"收付结算", {"actReceived", "actSettled", "actFeesPaid", "actRefunded"}},
        {"统计分析", {"actStatBusiness", "actStatPremium", "actStatSettlement", "actStatRefund"}},
        {"个人助理", {"actWorkLog", "actClauses", "actAlertSettings"}},
    };
    for (const auto &g : groups) {
        auto *top = new QTreeWidgetItem(nav_, {QString::fromUtf8(g.group)});
        QFont f = nav_->font();
        f.setBold(true);
        top->setFont(0, f);
        top->setFlags(Qt::ItemIsEnabled);  // a heading: not selectable
        top->setBackground(0, QColor(0xd5, 0xe2, 0xf0));
        for (const char *n : g.items) {
            QAction *a = command(QString::fromLatin1(n));
            auto *item = new QTreeWidgetItem(top, {a->text()});
            item->setIcon(0, a->icon());
            item->setData(0, Qt::UserRole, QVariant::fromValue<QObject *>(a));
            auto sync = [item, a] {
                item->setDisabled(!a->isEnabled());
            };
            sync();
            connect(a, &QAction::changed, nav_, sync);
        }
        top->setExpanded(true);
    }
    // Headings cannot be collapsed: the groups stay open, as on a group bar.
    connect(nav_, &QTreeWidget::itemCollapsed, nav_, [](QTreeWidgetItem *i) { i->setExpanded(true); });
    connect(nav_, &QTreeWidget::itemClicked, this, [](QTreeWidgetItem *item) {
        if (auto *a = qobject_cast<QAction *>(item->data(0, Qt::UserRole).value<QObject *>())) a->trigger();
    });
    row->addWidget(nav_);

    // The hot spot that collapses and expands the panel.
    sideToggle_ = new QToolButton(sidePanel_);
    sideToggle_->setObjectName(QStringLiteral("sideBarToggle"));
    sideToggle_->setToolTip(QStringLiteral("隐藏/显示侧边栏"));
    sideToggle_->setAutoRaise(true);
    sideToggle_->setFixedWidth(10);
    sideToggle_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    sideToggle_->setArrowType(Qt::LeftArrow);
    connect(sideToggle_, &QToolButton::clicked, this, [this] { setSideBarVisible(!sideBarVisible()); });
    row->addWidget(sideToggle_);

    host->layout()->addWidget(sidePanel_);
}

void TFrmMain::setSideBarVisible(bool on)
{
    nav_->setVisible(on);
    sideToggle_->setArrowType(on ? Qt::LeftArrow : Qt::RightArrow);
}

bool TFrmMain::sideBarVisible() const
{
    return !nav_->isHidden();
}

void TFrmMain::buildBackground()
{
    // The labels sit on a panel below the child windows in the MDI viewport;
    // the picture itself is the area's background, redrawn to its size.
    overlay_ = new QWidget(mdi_->viewport());
    overlay_->setObjectName(QStringLiteral("counterPanel"));
    overlay_->setAttribute(Qt::WA_StyledBackground);
    overlay_->setStyleSheet(QStringLiteral(
        "QWidget#counterPanel { background: rgba(255,255,255,150); border: 1px solid rgba(31,78,121,90);"
        " border-radius: 8px; }"
        "QWidget#counterPanel QLabel { color: #1f3550; font-size: 14px; background: transparent; }"
        "QLabel#lblCurrentUser { font-size: 15px; }"
        "QLabel#lblCheckList { color: #1f4e79; font-size: 17px; font-weight: bold; }"));
    auto *grid = new QGridLayout(overlay_);
    grid->setContentsMargins(22, 16, 28, 18);
    grid->setHorizontalSpacing(48);
    grid->setVerticalSpacing(10);

    auto *user = new QLabel(QStringLiteral("当前用户："), overlay_);
    user->setObjectName(QStringLiteral("lblCurrentUser"));
    grid->addWidget(user, 0, 0, 1, 2);
    auto *list = new QLabel(QStringLiteral("结帐清单"), overlay_);
    list->setObjectName(QStringLiteral("lblCheckList"));
    grid->addWidget(list, 1, 0, 1, 2);

    // Left column: totals above, company refunds below; right column:
    // premiums received above, company settlements below.
    const struct {
        const char *name;
        int row, col;
    } cells[] = {
        {"lblGedaiTotal", 2, 0},    {"lblChexianTotal", 3, 0},    {"lblGedaiRefund", 4, 0},
        {"lblChexianRefund", 5, 0}, {"lblGedaiReceived", 2, 1},   {"lblChexianReceived", 3, 1},
        {"lblGedaiSettled", 4, 1},  {"lblChexianSettled", 5, 1},
    };
    for (const auto &c : cells) {
        auto *l = new QLabel(overlay_);
        l->setObjectName(QString::fromLatin1(c.name));
        l->setMinimumWidth(190);
        grid->addWidget(l, c.row, c.col);
        counters_.insert(l->objectName(), l);
    }
    overlay_->lower();
    mdi_->viewport()->installEventFilter(this);
    layoutBackground();
}

void TFrmMain::layoutBackground()
{
    const QSize size = mdi_->viewport()->size();
    if (!size.isEmpty()) mdi_->setBackground(artwork::backgroundPicture(size, devicePixelRatioF()));
    overlay_->adjustSize();
    overlay_->move(40, 32);
    overlay_->lower();
}

void TFrmMain::buildStatusBar()
{
    QStatusBar *sb = statusBar();
    sb->setObjectName(QStringLiteral("statusBar"));
    auto pane = [this, sb](const char *name, const QString &text, bool permanent) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setContentsMargins(6, 0, 6, 0);
        if (permanent) sb->addPermanentWidget(l);
        else sb->addWidget(l, 1);
        return l;
    };
    pane("paneWelcome", QStringLiteral("欢迎使用Tolvaris系统"), false);
    paneKeys_ = pane("paneKeys", {}, true);
    paneKeys_->setToolTip(QStringLiteral("大写锁定 / 数字锁定"));
    paneKeys_->setTextFormat(Qt::RichText);
    paneUser_ = pane("paneUser", QStringLiteral("操作员："), true);
    paneRights_ = pane("paneRights", QStringLiteral("权限："), true);
    paneClock_ = pane("paneClock", {}, true);
    paneBlink_ = pane("paneBlink", {}, true);
    paneBlink_->setFixedWidth(18);
    paneBlink_->setAutoFillBackground(true);
    updateKeyPane();
    updateClock();

    clockTimer_ = new QTimer(this);
    clockTimer_->setObjectName(QStringLiteral("clockTimer"));
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &TFrmMain::updateClock);
    clockTimer_->start();

    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(600);
    connect(blinkTimer_, &QTimer::timeout, this, [this] {
        blinkOn_ = !blinkOn_;
        QPalette p = paneBlink_->palette();
        p.setColor(QPalette::Window, blinkOn_ ? QColor(0x3a, 0x8d, 0x4f) : palette().color(QPalette::Window));
        paneBlink_->setPalette(p);
    });
    blinkTimer_->start();
}

void TFrmMain::updateClock()
{
    paneClock_->setText(ctx_.clock().now().toString(kTimeFormat));
}

void TFrmMain::buildTray()
{
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QStringLiteral("trayMenu"));
    trayMenu_->addAction(command(QStringLiteral("actTrayToggle")));
    trayMenu_->addSeparator();
    trayMenu_->addAction(command(QStringLiteral("actTrayHelp")));
    trayMenu_->addAction(command(QStringLiteral("actAbout")));
    trayMenu_->addSeparator();
    trayMenu_->addAction(command(QStringLiteral("actTrayExit")));

    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(artwork::appIcon(), this);
    tray_->setObjectName(QStringLiteral("trayIcon"));
    tray_->setToolTip(kProductName);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick) toggleMainWindow();
    });
    // Shown from the first show on: before the login it would offer the
    // main window to someone who has not logged in.
}

void TFrmMain::connectCommands()
{
    auto on = [this](const char *name, auto slot) {
        connect(command(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    on("actUserManagement", [this] {
        TFrmAdmin dlg(ctx_, this);
        ctx_.modal().run(dlg);
    });
    on("actBackup", [this] { backupDatabase(ctx_, this); });
    on("actRestore", [this] { restoreDatabase(ctx_, this); });
    on("actExit", [this] { endProgram(); });
    on("actTrayExit", [this] { endProgram(); });
    on("actAbout", [this] {
        TFrmAbout dlg(ctx_, this);
        ctx_.modal().run(dlg);
    });
    on("actCascade", [this] { mdi_->cascadeSubWindows(); });
    on("actTileHorizontal", [this] { tileHorizontally(); });
    on("actTileVertical", [this] { tileVertically(); });
    on("actTrayToggle", [this] { toggleMainWindow(); });

    // Customers: the list opens (or comes to the front) first, so a new
    // customer shows in it.
    auto customerList = [this] {
        openChild<TFrmMyKh>();
        setSideBarVisible(true);
    };
    on("actCustomerList", customerList);
    on("actMyCustomers", customerList);
    on("actNewCustomer", [this] {
        openChild<TFrmMyKh>();
        openNewCustomer(ctx_, this);
        setSideBarVisible(true);
    });

    // Reference data: the menu items and the tool bar's drop-down alike.
    const struct {
        const char *menu, *tool;
        RefKind kind;
    } refs[] = {{"actYwly", "actToolYwly", RefKind::BusinessSource},
                {"actBdlb", "actToolBdlb", RefKind::SubjectCategory},
                {"actDkyh", "actToolDkyh", RefKind::LoanBank},
                {"actHylb", "actToolHylb", RefKind::Industry}};
    for (const auto &r : refs) {
        const RefKind kind = r.kind;
        on(r.menu, [this, kind] { openReferenceWindow(ctx_, this, kind); });
        on(r.tool, [this, kind] { openReferenceWindow(ctx_, this, kind); });
    }

    // New policies always start in new-row mode, from the menu, the tool bar
    // and the keys alike.
    for (const char *n : {"actNewMotor", "actNewMarine", "actNewNonMotor"}) {
        QAction *a = command(QString::fromLatin1(n));
        connect(a, &QAction::triggered, this, [this, a] { newPolicy(a); });
    }
}

void TFrmMain::newPolicy(QAction *editorCommand)
{
    ctx_.state->EditMode = QStringLiteral("N");
    // The marine and non-motor editors are not part of the program yet;
    // their commands stay disabled.
    if (editorCommand == command(QStringLiteral("actNewMotor"))) openMotorPolicyNew(ctx_, this);
}

void TFrmMain::endProgram()
{
    close();
    QCoreApplication::quit();
}

// ------------------------------------------------------------ child windows

QMdiSubWindow *TFrmMain::findSubWindow(const QMetaObject &cls) const
{
    const QList<QMdiSubWindow *> subs = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
        QWidget *w = (*it)->widget();
        if (w && cls.cast(w)) return *it;
    }
    return nullptr;
}

QWidget *TFrmMain::findChildWindow(const QMetaObject &cls) const
{
    QMdiSubWindow *sub = findSubWindow(cls);
    return sub ? sub->widget() : nullptr;
}

bool TFrmMain::ShowChildIfOpen(const QMetaObject &cls)
{
    QMdiSubWindow *sub = findSubWindow(cls);
    if (!sub) return false;
    if (sub->isMinimized() || sub->isHidden()) sub->showMaximized();
    sub->widget()->show();
    mdi_->setActiveSubWindow(sub);
    sub->raise();
    return true;
}

void TFrmMain::addChildWindow(QWidget *w)
{
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->showMaximized();
    mdi_->setActiveSubWindow(sub);
}

// "水平": horizontal bands, one above the other, each as wide as the area;
// "平铺": vertical columns side by side (the usual MDI meaning of the two).
void TFrmMain::tileHorizontally()
{
    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *s : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (s->isVisible() && !s->isMinimized()) subs.append(s);
    if (subs.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int h = area.height() / int(subs.size());
    for (int i = 0; i < subs.size(); ++i) {
        subs[i]->showNormal();
        subs[i]->setGeometry(0, i * h, area.width(), i + 1 == subs.size() ? area.height() - i * h : h);
    }
}

void TFrmMain::tileVertically()
{
    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *s : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (s->isVisible() && !s->isMinimized()) subs.append(s);
    if (subs.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int w = area.width() / int(subs.size());
    for (int i = 0; i < subs.size(); ++i) {
        subs[i]->showNormal();
        subs[i]->setGeometry(i * w, 0, i + 1 == subs.size() ? area.width() - i * w : w, area.height());
    }
}

// ------------------------------------------------------------ first show

void TFrmMain::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (firstShown_) return;
    // Marked before the steps: a failing step is reported once, not on
    // every later show.
    firstShown_ = true;
    firstShow();
}

void TFrmMain::firstShow()
{
    ctx_.session->reconnect();
    ctx_.dm().AdoAlert.reopen(
        Statement(QStringLiteral("Select * from Alert where AlertDate=?"), {dateToStorage(ctx_.clock().today())}));

    ctx_.state->updateRightsText();
    command(QStringLiteral("actRestore"))->setEnabled(!ctx_.state->IsOrdinaryUser);

    loadCounters();
    layoutBackground();

    if (tray_) tray_->show();
    // The reminder pop-up: both timers start here (nothing else would).
    timer1_->start();
    timer2_->start();
}

void TFrmMain::loadCounters()
{
    // Counts over all users' rows, whatever the rights; "<>0" leaves out
    // NULL amounts as well as zeros.
    Dataset &gedai = ctx_.dm().AdoGedai;
    Dataset &chexian = ctx_.dm().AdoChexian;
    // Each statement is left with its dataset, as loading it would leave
    // it, but the rows are only counted: loading every policy row eight
    // times made the first show take seconds on a large file. The policy
    // windows replace these statements before they open the datasets.
    auto count = [this](Dataset &ds, const char *sql) {
        const Statement st(QString::fromUtf8(sql));
        ds.setStatement(st);
        return ctx_.db().scalar(QStringLiteral("select count(*) from (%1)").arg(st.text), st.params).toString();
    };
    auto show = [this](const char *label, const QString &text) {
        counters_.value(QString::fromLatin1(label))->setText(text);
    };

    show("lblGedaiTotal", QStringLiteral("非车险保单共有：%1份").arg(count(gedai, "select * from 个贷投保单")));
    show("lblChexianTotal", QStringLiteral("车险保单共有：%1份").arg(count(chexian, "select * from 车险投保单")));
    paneUser_->setText(QStringLiteral("操作员：") + ctx_.state->CurrentUser);
    paneRights_->setText(QStringLiteral("权限：") + ctx_.state->RightsText);
    show("lblGedaiRefund",
         QStringLiteral("非车险公司退费：%1份").arg(count(gedai, "select * from 个贷投保单 where 公司退费 <>0")));
    show("lblChexianRefund",
         QStringLiteral("车险公司退费：%1份").arg(count(chexian, "select * from 车险投保单 where 公司退费 <>0 ")));
    show("lblGedaiSettled",
         QStringLiteral("非车险公司结费：%1份").arg(count(gedai, "select * from 个贷投保单 where 公司结费 <>0")));
    show("lblChexianSettled",
         QStringLiteral("车险公司结费：%1份").arg(count(chexian, "select * from 车险投保单 where 公司结费 <>0 ")));
    show("lblGedaiReceived",
         QStringLiteral("非车险实收保费：%1份").arg(count(gedai, "select * from 个贷投保单 where 实收保费 <>0")));
    show("lblChexianReceived",
         QStringLiteral("车险实收保费：%1份").arg(count(chexian, "select * from 车险投保单 where 实收保费 <>0 ")));
}

// The reminder window opens on reminderDue(); its own code then grows it
// upwards from the screen's bottom edge. Until it exists the first timer
// only stops itself and announces the due reminders, and the second, which
// animates that window while the first runs, stops once the first has.
void TFrmMain::onReminderTimer1()
{
    timer1_->stop();
    if (ctx_.dm().AdoAlert.isActive() && ctx_.dm().AdoAlert.recordCount() > 0) emit reminderDue();
}

void TFrmMain::onReminderTimer2()
{
    if (!timer1_->isActive()) timer2_->stop();
}

// ------------------------------------------------------------ window state

void TFrmMain::toggleMainWindow()
{
    if (isMinimized() || !isVisible()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
    } else {
        showMinimized();
    }
}

void TFrmMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    // Minimised with a tray icon: leave only the tray icon (no task-bar
    // entry); the tray restores the window.
    if (e->type() == QEvent::WindowStateChange && tray_ && isMinimized())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) hide();
        });
}

void TFrmMain::closeEvent(QCloseEvent *e)
{
    // Closing the main window ends the program; nothing is left to save.
    if (tray_) tray_->hide();
    QMainWindow::closeEvent(e);
    QCoreApplication::quit();
}

void TFrmMain::keyPressEvent(QKeyEvent *e)
{
    QAction *a = nullptr;
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) a = command(QStringLiteral("actNewNonMotor"));
    if (e->key() == Qt::Key_F2 && e->modifiers() == Qt::NoModifier) a = command(QStringLiteral("actNewMotor"));
    if (!a) {
        QMainWindow::keyPressEvent(e);
        return;
    }
    a->trigger();  // does nothing while the command is disabled
    e->accept();
}

// ------------------------------------------------------------ events

bool TFrmMain::eventFilter(QObject *watched, QEvent *e)
{
    // A key press reaches its top-level window once, and then each widget
    // it propagates through; count it at the window only.
    if (e->type() == QEvent::KeyPress && watched->isWindowType()) noteKeyState(static_cast<QKeyEvent *>(e));
    if (mdi_ && watched == mdi_->viewport() && e->type() == QEvent::Resize) layoutBackground();
    return QMainWindow::eventFilter(watched, e);
}

// Qt offers no portable query of the lock keys, so the pane shows what key
// events reveal: a letter's case against Shift gives Caps Lock, a keypad key
// giving a digit or a movement gives Num Lock, and the lock keys toggle a
// state once it is known.
void TFrmMain::noteKeyState(QKeyEvent *e)
{
    const Lock oldCaps = caps_, oldNum = num_;
    const int key = e->key();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    auto flip = [](Lock l) { return l == Lock::On ? Lock::Off : l == Lock::Off ? Lock::On : Lock::Unknown; };
    if (key == Qt::Key_CapsLock) {
        caps_ = flip(caps_);
    } else if (key == Qt::Key_NumLock) {
        num_ = flip(num_);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z && e->text().size() == 1 &&
               !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        const QChar c = e->text().at(0);
        if (c.isLetter()) caps_ = (c.isUpper() != shift) ? Lock::On : Lock::Off;
    } else if (e->modifiers() & Qt::KeypadModifier) {
        if ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Period) num_ = Lock::On;
        else if (key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Left || key == Qt::Key_Right ||
                 key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
                 key == Qt::Key_Insert || key == Qt::Key_Delete || key == Qt::Key_Clear)
            num_ = Lock::Off;
    }
    if (caps_ != oldCaps || num_ != oldNum) updateKeyPane();
}

void TFrmMain::updateKeyPane()
{
    auto part = [](const char *name, Lock l) {
        const char *style = l == Lock::On ? "color:#1f4e79; font-weight:bold" : "color:#9aa3ad";
        return QStringLiteral("<span style=\"%1\">%2</span>")
            .arg(QString::fromLatin1(style), QString::fromLatin1(name));
    };
    paneKeys_->setText(part("CAPS", caps_) + QStringLiteral("&nbsp;") + part("NUM", num_));
    paneKeys_->setProperty("capsLock", caps_ == Lock::On);
    paneKeys_->setProperty("numLock", num_ == Lock::On);
}

} // namespace tolvaris
