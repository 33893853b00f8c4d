#include "frmadmin.h"

#include "artwork.h"
#include "toolbar.h"
#include "fields.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvaris {

namespace {

const QString kAddPasswordLabel = QStringLiteral("用户密码：");
const QString kAddConfirmLabel = QStringLiteral("确认密码：");
const QString kOldPasswordLabel = QStringLiteral("    旧密码：");
const QString kNewPasswordLabel = QStringLiteral("    新密码：");
const QString kModifyCaption = QStringLiteral("修改");
const QString kCancelCaption = QStringLiteral("取消");
const QString kDeleteTitle = QStringLiteral("删除提示");

const Statement kAllUsers("select * from admin");

QLineEdit *lineEdit(QWidget *parent, const QString &objectName, bool password)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setMaxLength(50);  // the admin columns are text(50)
    if (password) {
        e->setEchoMode(QLineEdit::Password);
        // Passwords show as "*", not the style's bullet.
        e->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    }
    return e;
}

} // namespace

TFrmAdmin::TFrmAdmin(const Context &ctx, QWidget *parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmAdmin"));
    setWindowTitle(QStringLiteral("用户管理"));

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setMovable(false);
    btnNewUser = addToolButton(ToolBar1, QStringLiteral("btnNewUser"), QStringLiteral("新添用户"),
                            artwork::glyphIcon(QStringLiteral("新"), QColor(0x3a, 0x7d, 0x44)));
    btnModify = addToolButton(ToolBar1, QStringLiteral("btnModify"), kModifyCaption,
                           artwork::glyphIcon(QStringLiteral("改"), QColor(0x1f, 0x4e, 0x79)));
    btnDelete = addToolButton(ToolBar1, QStringLiteral("btnDelete"), QStringLiteral("删除"),
                           artwork::glyphIcon(QStringLiteral("删"), QColor(0xb0, 0x3a, 0x2e)));
    ToolBar1->addSeparator();
    btnExit = addToolButton(ToolBar1, QStringLiteral("btnExit"), QStringLiteral("退出"),
                         artwork::glyphIcon(QStringLiteral("退"), QColor(0x6b, 0x6b, 0x6b)));

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlFields"));
    panel->setFrameShape(QFrame::StyledPanel);
    lblName = new QLabel(QStringLiteral("用户名称："), panel);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblPassword = new QLabel(kAddPasswordLabel, panel);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    lblConfirm = new QLabel(kAddConfirmLabel, panel);
    lblConfirm->setObjectName(QStringLiteral("lblConfirm"));
    lblRole = new QLabel(QStringLiteral("用户角色："), panel);
    lblRole->setObjectName(QStringLiteral("lblRole"));
    edtName = lineEdit(panel, QStringLiteral("edtName"), false);
    edtPassword = lineEdit(panel, QStringLiteral("edtPassword"), true);
    edtConfirm = lineEdit(panel, QStringLiteral("edtConfirm"), true);
    cbRole = new QComboBox(panel);  // not editable: the list only
    cbRole->setObjectName(QStringLiteral("cbRole"));
    cbRole->addItems({QStringLiteral("普通用户"), QStringLiteral("高级用户")});
    cbRole->setCurrentIndex(0);
    lblName->setBuddy(edtName);
    lblPassword->setBuddy(edtPassword);
    lblConfirm->setBuddy(edtConfirm);
    lblRole->setBuddy(cbRole);

    btnOk = new QPushButton(QStringLiteral("确定"), panel);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("取消"), panel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(10);
    const QList<QPair<QLabel *, QWidget *>> rows = {
        {lblName, edtName}, {lblPassword, edtPassword}, {lblConfirm, edtConfirm}, {lblRole, cbRole}};
    for (int r = 0; r < rows.size(); ++r) {
        grid->addWidget(rows[r].first, r, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(rows[r].second, r, 1);
    }
    grid->setColumnMinimumWidth(1, 170);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(14, 14, 14, 12);
    panelLayout->addLayout(grid);
    panelLayout->addStretch();
    panelLayout->addLayout(buttons);

    lvUsers = new QListWidget(this);
    lvUsers->setObjectName(QStringLiteral("lvUsers"));
    lvUsers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvUsers->setSelectionMode(QAbstractItemView::SingleSelection);
    lvUsers->setIconSize(QSize(16, 16));
    lvUsers->setFixedWidth(150);
    // Grid lines between the entries.
    lvUsers->setStyleSheet(QStringLiteral("QListWidget::item { border-bottom: 1px solid palette(midlight); "
                                          "padding: 2px; }"));

    auto *body = new QHBoxLayout;
    body->setContentsMargins(8, 6, 8, 8);
    body->setSpacing(8);
    body->addWidget(panel, 1);
    body->addWidget(lvUsers);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addLayout(body, 1);
    resize(480, 250);

    auto *chain = new EnterChain(this);
    chain->addSequence({edtName, edtPassword, edtConfirm, btnOk});

    connect(btnNewUser, &QToolButton::clicked, this, &TFrmAdmin::btnNewUserClick);
    connect(btnModify, &QToolButton::clicked, this, &TFrmAdmin::btnModifyClick);
    connect(btnDelete, &QToolButton::clicked, this, &TFrmAdmin::btnDeleteClick);
    connect(btnExit, &QToolButton::clicked, this, &QDialog::reject);
    connect(btnOk, &QPushButton::clicked, this, &TFrmAdmin::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmAdmin::btnCancelClick);
    connect(lvUsers, &QListWidget::itemClicked, this, &TFrmAdmin::lvUsersClick);
    connect(lvUsers, &QListWidget::itemDoubleClicked, this, &TFrmAdmin::lvUsersDblClick);

    admin().reopen(kAllUsers);
}

Dataset &TFrmAdmin::admin() const { return ctx_.dm().AdoAdmin; }
bool TFrmAdmin::ordinary() const { return ctx_.state->IsOrdinaryUser; }

void TFrmAdmin::info(const QString &text) { ctx_.messages().information(this, QStringLiteral("信息"), text); }

bool TFrmAdmin::allFilled(std::initializer_list<std::pair<QLineEdit *, QString>> checks)
{
    // In order: the first empty field says its message and takes the focus.
    for (const auto &[edit, message] : checks) {
        if (!edit->text().isEmpty()) continue;
        info(message);
        edit->setFocus();
        return false;
    }
    return true;
}

int TFrmAdmin::roleIndex(const QString &quanxian)
{
    // The rights rule: ordinary exactly when the stored text is "0".
    return quanxian == QLatin1String("0") ? 0 : 1;
}

int TFrmAdmin::rowOfId(const QVariant &id) const
{
    const Dataset &d = admin();
    const int col = d.columnIndex(QStringLiteral("id"));
    for (int r = 0; r < d.recordCount(); ++r)
        if (d.cell(r, col) == id) return r;
    return -1;
}

void TFrmAdmin::ListUser()
{
    Dataset &d = admin();
    d.reopen(kAllUsers);
    lvUsers->clear();
    const int nameCol = d.columnIndex(QStringLiteral("name"));
    const int rightsCol = d.columnIndex(QStringLiteral("quanxian"));
    for (int r = 0; r < d.recordCount(); ++r) {
        const QString quanxian = d.cell(r, rightsCol).toString();
        bool isNumber = false;
        const int n = quanxian.trimmed().toInt(&isNumber);
        // A number shows the advanced picture only for 1; any other text
        // shows what its rights make the user (advanced unless "0").
        const bool advanced = isNumber ? n == 1 : roleIndex(quanxian) == 1;
        auto *item = new QListWidgetItem(artwork::userIcon(advanced), d.cell(r, nameCol).toString(), lvUsers);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    d.last();
    pickedId_ = QVariant();
}

void TFrmAdmin::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFrmAdmin::loadOwnRow()
{
    admin().reopen(Statement(QStringLiteral("select * from admin where name=?"), {ctx_.state->CurrentUser}));
}

void TFrmAdmin::setAddLabels()
{
    lblPassword->setText(kAddPasswordLabel);
    lblConfirm->setText(kAddConfirmLabel);
}

void TFrmAdmin::setChangeLabels()
{
    lblPassword->setText(kOldPasswordLabel);
    lblConfirm->setText(kNewPasswordLabel);
}

void TFrmAdmin::clearEdits()
{
    edtName->clear();
    edtPassword->clear();
    edtConfirm->clear();
}

void TFrmAdmin::FormShow()
{
    ListUser();
    if (!ordinary()) {
        AdminMode = 1;
        setAddLabels();
        return;
    }
    loadOwnRow();
    // The list shows everyone, but it is not his to pick from.
    lvUsers->setSelectionMode(QAbstractItemView::NoSelection);
    edtName->setText(ctx_.state->CurrentUser);
    edtName->setEnabled(false);
    cbRole->setCurrentIndex(roleIndex(admin().text(QStringLiteral("quanxian"))));
    cbRole->setEnabled(false);
    btnNewUser->setEnabled(false);
    btnDelete->setEnabled(false);
    setChangeLabels();
    edtPassword->clear();
    edtConfirm->clear();
    edtPassword->setEnabled(true);
    edtConfirm->setEnabled(true);
    edtPassword->setFocus();
    AdminMode = 2;
}

void TFrmAdmin::btnNewUserClick()
{
    if (ordinary()) return;
    AdminMode = 1;
    setAddLabels();
    for (QLineEdit *e : {edtName, edtPassword, edtConfirm}) {
        e->setEnabled(true);
        e->clear();
    }
    edtName->setFocus();
}

void TFrmAdmin::lvUsersClick(QListWidgetItem *item)
{
    if (ordinary() || !item) return;
    AdminMode = 2;
    Dataset &d = admin();
    const QString name = item->text();
    const int nameCol = d.columnIndex(QStringLiteral("name"));
    for (int r = 0; r < d.recordCount(); ++r) {
        if (d.cell(r, nameCol).toString().compare(name, Qt::CaseInsensitive) == 0) {
            d.moveTo(r);
            pickedId_ = d.value(QStringLiteral("id"));
            break;
        }
    }
    edtName->setText(name);
    edtName->setEnabled(false);
    btnModify->setEnabled(true);
}

void TFrmAdmin::lvUsersDblClick(QListWidgetItem *item)
{
    if (ordinary() || !item) return;
    lvUsersClick(item);
    cbRole->setCurrentIndex(roleIndex(admin().text(QStringLiteral("quanxian"))));
    setChangeLabels();
    edtPassword->clear();
    edtConfirm->clear();
    btnModify->setText(kCancelCaption);
    btnNewUser->setEnabled(false);
    btnDelete->setEnabled(false);
    edtPassword->setEnabled(true);
    edtConfirm->setEnabled(true);
    edtPassword->setFocus();
}

void TFrmAdmin::backToAdding()
{
    btnNewUser->setEnabled(true);
    btnDelete->setEnabled(true);
    btnModify->setText(kModifyCaption);
    edtName->setEnabled(true);
    edtName->clear();
    setAddLabels();
    edtName->setFocus();
}

void TFrmAdmin::btnModifyClick()
{
    if (ordinary()) {
        loadOwnRow();
        setChangeLabels();
        edtPassword->clear();
        edtConfirm->clear();
        edtPassword->setEnabled(true);
        edtConfirm->setEnabled(true);
        edtName->setEnabled(false);
        edtPassword->setFocus();
    }
    if (btnModify->text() == kCancelCaption) {
        // Leaves the change chosen by a double-click; the mode stays.
        backToAdding();
        btnModify->setEnabled(false);
    } else if (AdminMode == 2) {
        setChangeLabels();
        edtPassword->clear();
        edtConfirm->clear();
        edtPassword->setEnabled(true);
        edtConfirm->setEnabled(true);
        edtName->setEnabled(false);
        edtPassword->setFocus();
        edtName->setText(admin().text(QStringLiteral("name")));
        cbRole->setCurrentIndex(roleIndex(admin().text(QStringLiteral("quanxian"))));
    }
}

void TFrmAdmin::btnOkClick()
{
    if (AdminMode == 1) {
        if (ordinary()) return;  // adding is for advanced users only
        if (!allFilled({{edtName, QStringLiteral("提示：用户名称不能为空！")},
                        {edtPassword, QStringLiteral("提示：用户密码不能为空！")},
                        {edtConfirm, QStringLiteral("提示：确认密码不能为空！")}}))
            return;
        if (edtConfirm->text() != edtPassword->text()) {
            info(QStringLiteral("提示：您两次输入的密码不一致！"));
            edtConfirm->selectAll();
            edtPassword->setFocus();
            return;
        }
        Dataset &d = admin();
        d.append();
        d.setText(QStringLiteral("name"), edtName->text());
        d.setText(QStringLiteral("pass"), edtPassword->text());
        d.setText(QStringLiteral("quanxian"), QString::number(cbRole->currentIndex()));
        d.post();
        ListUser();
        clearEdits();
        cbRole->setCurrentIndex(0);
        info(QStringLiteral("提示：用户添加成功！"));
        return;
    }
    if (AdminMode != 2) return;

    if (!allFilled({{edtPassword, QStringLiteral("提示：旧密码不能为空！")},
                    {edtConfirm, QStringLiteral("提示：新密码不能为空！")}}))
        return;
    Dataset &d = admin();
    // No current row (an ordinary user whose row has gone) matches no password.
    if (d.currentRow() < 0 || edtPassword->text() != d.text(QStringLiteral("pass"))) {
        info(QStringLiteral("提示：旧密码输入不正确！"));
        edtPassword->selectAll();
        edtPassword->setFocus();
        return;
    }
    d.edit();
    d.setText(QStringLiteral("pass"), edtConfirm->text());
    if (!ordinary()) d.setText(QStringLiteral("quanxian"), QString::number(cbRole->currentIndex()));
    d.post();
    ctx_.messages().information(this, QStringLiteral("提示"), QStringLiteral("提示:您的密码已修改成功!"));
    if (ordinary()) {
        edtPassword->clear();
        edtConfirm->clear();
        edtPassword->setFocus();
    } else {
        // Back to adding, with the fields and tool bar of that state.
        clearEdits();
        backToAdding();
        AdminMode = 1;
    }
}

void TFrmAdmin::btnCancelClick()
{
    if (ordinary() || AdminMode != 2) {
        reject();
        return;
    }
    backToAdding();
    AdminMode = 1;
}

void TFrmAdmin::btnDeleteClick()
{
    if (ordinary()) return;
    Dataset &d = admin();
    if (d.recordCount() == 1) {
        ctx_.messages().information(this, kDeleteTitle, QStringLiteral("提示：请保留一位用户！"));
        return;
    }
    // Only a user picked in the list goes; the dataset's current row alone
    // (the last row after a reload) is nobody's choice.
    const int row = pickedId_.isValid() ? rowOfId(pickedId_) : -1;
    if (row >= 0 && ctx_.messages().question(this, kDeleteTitle, QStringLiteral("您确认要删除该用户吗？"))) {
        d.moveTo(row);
        d.remove();
        ListUser();
    }
    clearEdits();
}

} // namespace tolvaris
