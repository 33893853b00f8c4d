#pragma once
// The login window: pick a user, type the password. Four wrong passwords in a
// row end the program; the window cannot be closed until a login succeeds.
#include "context.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvaris {

class TFrmLogin : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAllowedFailures = 3;

    explicit TFrmLogin(const Context &ctx, QWidget *parent = nullptr);

    // After the window returns: true when a user logged in; false when the
    // user left with "退出(&E)" or failed too often (the program ends).
    bool loggedIn() const { return loggedIn_; }

    // Fills the user selector from AdoAdmin, in table order.
    void AddlistAdmin();

    void reject() override;  // Escape: blocked like the close box

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormShow();
    void btnLoginClick();
    void btnExitClick();

    Context ctx_;
    QComboBox *cbUser_;
    QLineEdit *edPassword_;
    QLabel *lbRegister_;
    QPushButton *btnLogin_;
    QPushButton *btnExit_;
    QString storedPassword_;
    int failures_ = 0;
    bool closeBlocked_ = true;
    bool loggedIn_ = false;
};

} // namespace tolvaris
