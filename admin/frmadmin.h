#pragma once
// User management: an advanced user adds users with a role, deletes users
// and changes any user's password and role; an ordinary user changes only
// his own password. Works on the shared dataset AdoAdmin.
#include "context.h"

#include <QDialog>
#include <QVariant>
#include <initializer_list>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolBar;
class QToolButton;

namespace tolvaris {

class TFrmAdmin : public QDialog {
    Q_OBJECT
public:
    TFrmAdmin(const Context &ctx, QWidget *parent);

    // 1 while adding users, 2 while changing a password. Kept between
    // openings within one run.
    static inline int AdminMode = 0;

    // Reloads every user into AdoAdmin and the list; the dataset's current
    // row is then the last row and no user counts as picked.
    void ListUser();

    // Tool bar
    QToolBar *ToolBar1 = nullptr;
    QToolButton *btnNewUser = nullptr;  // 新添用户
    QToolButton *btnModify = nullptr;   // 修改 / 取消
    QToolButton *btnDelete = nullptr;   // 删除
    QToolButton *btnExit = nullptr;     // 退出
    // Fields
    QLabel *lblName = nullptr;
    QLabel *lblPassword = nullptr;
    QLabel *lblConfirm = nullptr;
    QLabel *lblRole = nullptr;
    QLineEdit *edtName = nullptr;
    QLineEdit *edtPassword = nullptr;   // password, or the old password
    QLineEdit *edtConfirm = nullptr;    // confirmation, or the new password
    QComboBox *cbRole = nullptr;
    QPushButton *btnOk = nullptr;       // 确定
    QPushButton *btnCancel = nullptr;   // 取消
    QListWidget *lvUsers = nullptr;

    // The id of the user picked in the list since the last ListUser; invalid
    // when none.
    QVariant pickedId() const { return pickedId_; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormShow();
    void btnNewUserClick();
    void btnModifyClick();
    void btnDeleteClick();
    void btnOkClick();
    void btnCancelClick();
    void lvUsersClick(QListWidgetItem *item);
    void lvUsersDblClick(QListWidgetItem *item);

    Dataset &admin() const;
    bool ordinary() const;
    void loadOwnRow();
    void setAddLabels();
    void setChangeLabels();
    void backToAdding();
    void clearEdits();
    void info(const QString &text);
    bool allFilled(std::initializer_list<std::pair<QLineEdit *, QString>> checks);
    // The role entry of a stored quanxian value.
    static int roleIndex(const QString &quanxian);
    int rowOfId(const QVariant &id) const;

    Context ctx_;
    QVariant pickedId_;
    bool shown_ = false;
};

} // namespace tolvaris
