#include "frmlogin.h"

#include "artwork.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvaris {

namespace {
const QString kNoticeTitle = QStringLiteral("提示");
const QString kInfoTitle = QStringLiteral("信息");
constexpr QSize kPictureSize(130, 250);

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// The title: the same text twice, a dark one over a light one offset by two
// pixels, so it reads as text with a shadow.
QWidget *makeTitle(QWidget *parent)
{
    auto *box = new QWidget(parent);
    box->setObjectName(QStringLiteral("pnTitle"));
    QFont f = box->font();
    f.setPixelSize(22);
    f.setBold(true);
    const QString text = QStringLiteral("欢迎使用Tolvaris系统");
    auto *shadow = makeLabel(box, "lbTitleShadow", text);
    auto *front = makeLabel(box, "lbTitle", text);
    for (QLabel *l : {shadow, front}) l->setFont(f);
    shadow->setStyleSheet(QStringLiteral("color: #a9b8c8;"));
    front->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    shadow->setContentsMargins(2, 2, 0, 0);
    front->setContentsMargins(0, 0, 2, 2);

    auto *version = makeLabel(box, "lbVersion", QStringLiteral("------V2.0版"));
    QFont vf = box->font();
    vf.setPixelSize(14);
    vf.setBold(true);
    version->setFont(vf);
    version->setStyleSheet(QStringLiteral("color: #b5651d;"));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    grid->addWidget(shadow, 0, 0);
    grid->addWidget(front, 0, 0);  // added last: drawn on top of the shadow
    grid->addWidget(version, 1, 0);
    return box;
}
} // namespace

TFrmLogin::TFrmLogin(const Context &ctx, QWidget *parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmLogin"));
    setWindowTitle(QStringLiteral("用户登陆"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *picture = makeLabel(this, "imgPen", {});
    picture->setPixmap(artwork::penPicture(kPictureSize, devicePixelRatioF()));
    picture->setFixedSize(kPictureSize);

    cbUser_ = new QComboBox(this);
    cbUser_->setObjectName(QStringLiteral("cbUser"));
    cbUser_->setEditable(false);
    edPassword_ = new QLineEdit(this);
    edPassword_->setObjectName(QStringLiteral("edPassword"));
    edPassword_->setEchoMode(QLineEdit::Password);
    edPassword_->setMaxLength(50);
    auto *lbUser = makeLabel(this, "lbUser", QStringLiteral("用户名称："));
    auto *lbPassword = makeLabel(this, "lbPassword", QStringLiteral("用户密码："));
    lbUser->setBuddy(cbUser_);
    lbPassword->setBuddy(edPassword_);

    // Looks like a link; registering is done in user management instead.
    lbRegister_ = makeLabel(this, "lbRegister",
                            QStringLiteral("<a href=\"#\" style=\"color:#1f4e79;\">新注册一个用户</a>"));
    lbRegister_->setTextFormat(Qt::RichText);
    lbRegister_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    lbRegister_->setCursor(Qt::PointingHandCursor);

    btnLogin_ = new QPushButton(QStringLiteral("登录(&Q)"), this);
    btnLogin_->setObjectName(QStringLiteral("btnLogin"));
    btnExit_ = new QPushButton(QStringLiteral("退出(&E)"), this);
    btnExit_->setObjectName(QStringLiteral("btnExit"));
    // Enter in the password edit logs in through returnPressed; no default
    // button, or the same key press would log in twice.
    for (QPushButton *b : {btnLogin_, btnExit_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(84);
    }

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(10);
    fields->addWidget(lbUser, 0, 0);
    fields->addWidget(cbUser_, 0, 1);
    fields->addWidget(lbPassword, 1, 0);
    fields->addWidget(edPassword_, 1, 1);
    fields->addWidget(lbRegister_, 2, 1, Qt::AlignRight);
    fields->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnLogin_);
    buttons->addSpacing(12);
    buttons->addWidget(btnExit_);

    auto *right = new QVBoxLayout;
    right->setContentsMargins(16, 14, 18, 14);
    right->addWidget(makeTitle(this));
    right->addStretch(1);
    right->addLayout(fields);
    right->addStretch(2);
    right->addLayout(buttons);

    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(picture, 0, Qt::AlignTop);
    lay->addLayout(right, 1);
    setFixedSize(430, kPictureSize.height());

    connect(edPassword_, &QLineEdit::returnPressed, this, &TFrmLogin::btnLoginClick);
    connect(btnLogin_, &QPushButton::clicked, this, &TFrmLogin::btnLoginClick);
    connect(btnExit_, &QPushButton::clicked, this, &TFrmLogin::btnExitClick);
}

void TFrmLogin::AddlistAdmin()
{
    Dataset &admin = ctx_.dm().AdoAdmin;
    admin.reopen(Statement("select * from admin"));
    cbUser_->clear();
    for (admin.first(); !admin.eof(); admin.next()) cbUser_->addItem(admin.text(QStringLiteral("name")));
}

void TFrmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFrmLogin::FormShow()
{
    AddlistAdmin();
    if (cbUser_->count() > 0) cbUser_->setCurrentIndex(0);
    edPassword_->setFocus();
    failures_ = 0;
    closeBlocked_ = true;
}

void TFrmLogin::btnLoginClick()
{
    const QString name = cbUser_->currentText();
    if (name.isEmpty()) {
        ctx_.messages().information(this, kInfoTitle, QStringLiteral("提示：用户名称不能为空！"));
        cbUser_->setFocus();
        return;
    }
    if (edPassword_->text().isEmpty()) {
        ctx_.messages().information(this, kInfoTitle, QStringLiteral("提示：用户密码不能为空！"));
        edPassword_->setFocus();
        return;
    }
    ctx_.state->CurrentUser = name;

    Dataset &admin = ctx_.dm().AdoAdmin;
    admin.reopen(Statement(QStringLiteral("select * from admin where name=?"), {name}));
    QString quanxian;
    storedPassword_.clear();
    if (admin.recordCount() > 0) {
        admin.first();
        storedPassword_ = admin.text(QStringLiteral("pass"));
        quanxian = admin.text(QStringLiteral("quanxian"));
    }
    ctx_.state->logIn(name, quanxian);

    if (edPassword_->text() == storedPassword_) {
        closeBlocked_ = false;
        loggedIn_ = true;
        accept();
        return;
    }
    ++failures_;
    if (failures_ <= kAllowedFailures) {
        ctx_.messages().information(this, kNoticeTitle, QStringLiteral("用户名或密码不正确，请重新输入！"));
        edPassword_->clear();
        edPassword_->setFocus();
        return;
    }
    ctx_.messages().information(this, kNoticeTitle, QStringLiteral("密码错误已超过三次，程序将自动退出！"));
    QDialog::done(QDialog::Rejected);
}

void TFrmLogin::btnExitClick()
{
    // The close request itself is refused while blocked; the window still
    // returns, and the caller ends the program because nobody logged in.
    close();
    QDialog::done(QDialog::Rejected);
}

void TFrmLogin::reject()
{
    if (!closeBlocked_) QDialog::reject();
}

void TFrmLogin::closeEvent(QCloseEvent *event)
{
    if (closeBlocked_) event->ignore();
    else QDialog::closeEvent(event);
}

} // namespace tolvaris
