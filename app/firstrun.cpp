#include "firstrun.h"

#include "services.h"
#include "session.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvaris {

namespace {
const QString kInfoTitle = QStringLiteral("信息");
const QString kNoticeTitle = QStringLiteral("提示");
constexpr int kMaxText = 50;  // the admin columns are text(50)

QLineEdit *makeEdit(QWidget *parent, const char *name, bool password)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(kMaxText);
    if (password) e->setEchoMode(QLineEdit::Password);
    return e;
}
} // namespace

FirstUserDialog::FirstUserDialog(MessageService &messages, QWidget *parent)
    : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("FirstUserDialog"));
    setWindowTitle(QStringLiteral("新建数据库"));

    auto *note = new QLabel(QStringLiteral("这是第一次使用本系统。请设置第一个用户的名称和密码，\n"
                                           "该用户为高级用户，可以管理其他用户。"),
                            this);
    note->setObjectName(QStringLiteral("lbNote"));

    edName_ = makeEdit(this, "edName", false);
    edPassword_ = makeEdit(this, "edPassword", true);
    edPassword2_ = makeEdit(this, "edPassword2", true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称："), edName_);
    form->addRow(QStringLiteral("用户密码："), edPassword_);
    form->addRow(QStringLiteral("确认密码："), edPassword2_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FirstUserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FirstUserDialog::reject);

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(note);
    lay->addLayout(form);
    lay->addWidget(buttons);
    edName_->setFocus();
}

FirstUser FirstUserDialog::user() const
{
    return FirstUser{edName_->text().trimmed(), edPassword_->text(), true};
}

void FirstUserDialog::accept()
{
    if (edName_->text().trimmed().isEmpty()) {
        messages_.information(this, kInfoTitle, QStringLiteral("提示：用户名称不能为空！"));
        edName_->setFocus();
        return;
    }
    if (edPassword_->text().isEmpty()) {
        messages_.information(this, kInfoTitle, QStringLiteral("提示：用户密码不能为空！"));
        edPassword_->setFocus();
        return;
    }
    if (edPassword_->text() != edPassword2_->text()) {
        messages_.information(this, kInfoTitle, QStringLiteral("提示：两次输入的密码不一致，请重新输入！"));
        edPassword2_->clear();
        edPassword2_->setFocus();
        return;
    }
    QDialog::accept();
}

DatabaseReady openOrCreateDatabase(Session &session, const Services &services, QWidget *parent)
{
    const QString path = session.path();
    if (!QFileInfo::exists(path)) {
        if (!services.messages->question(parent, kNoticeTitle,
                                         QStringLiteral("没有找到数据库文件：\r%1\r是否新建一个数据库？").arg(path)))
            return DatabaseReady::Cancelled;
        FirstUserDialog dialog(*services.messages, parent);
        if (services.modal->run(dialog) != QDialog::Accepted) return DatabaseReady::Cancelled;
        try {
            createDatabase(path, dialog.user());
        } catch (const DbError &e) {
            services.messages->error(parent, kNoticeTitle, QStringLiteral("无法新建数据库：\r%1").arg(e.message()));
            return DatabaseReady::Failed;
        }
    }
    try {
        session.open();
    } catch (const DbError &e) {
        services.messages->error(parent, kNoticeTitle, e.message());
        return DatabaseReady::Failed;
    }
    return DatabaseReady::Open;
}

} // namespace tolvaris
