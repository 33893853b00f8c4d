#pragma once
// The motor policy editor ("机动车辆保险投保单"): enters a new motor policy,
// views and steps through stored ones, and modifies one. It writes through
// the shared dataset AdoChexian and, for a new policy, adds the policy's
// customer-register row through ADOQuery1.
#include "context.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tolvaris {

class AccountsTab;
class ComboField;
class DateEdit;
class FormBuilder;

class TFrmCheXianBaodan : public QDialog {
    Q_OBJECT
public:
    // Reads EditMode: "N" opens empty for a new policy; "M" shows the
    // current row of AdoChexian once load() has run (read-only when the
    // policy is cancelled).
    explicit TFrmCheXianBaodan(const Context &ctx, QWidget *parent = nullptr);
    ~TFrmCheXianBaodan() override;

    // The load step: the current row of AdoChexian into every field.
    void load();

    // The buttons, as a click runs them.
    void BitBtnPriorClick();   // "上一条"
    void BitBtnNextClick();    // "下一条"
    void BitBtnSaveNewClick(); // "保存并新建(&A)"
    void BitBtnSaveClick();    // "保存"
    void BitBtnModifyClick();  // "修改"

    FormBuilder &form() const { return *form_; }
    AccountsTab *accounts() const { return accounts_; }
    QTabWidget *tabs() const;
    QLabel *cancelledBanner() const { return banner_; }
    bool isNewMode() const { return newMode_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class SaveKind { Save, SaveAndNew };

    void AddlistYwly();
    void buildButtons();
    void wireReactions();
    void wireEnterChain();
    void setNewModeInputs();
    void setViewModeInputs();
    void setCancelledView();
    void onCarKindChanged(const QString &kind);
    void placeBanner();

    // The checks of a save in their order; false (after the message) when
    // one fails.
    bool requiredFieldsFilled(bool contactBeforeInsured);
    bool coverPeriodValid();
    bool numberLengthValid();
    bool numberUnique();
    // Refuses amounts and whole numbers that cannot be stored, naming the field.
    bool numbersStorable();
    bool insertPolicy();
    bool updatePolicy();
    void clearForNext();
    void refuse(const QString &title, const QString &text, int tab, QWidget *focus);
    bool guardedSave(const std::function<void()> &write, const std::function<void()> &undo);
    void showFailure(const QString &text);

    QWidget *field(const QString &key) const;
    QString textOf(const QString &key) const;

    Context ctx_;
    std::unique_ptr<FormBuilder> form_;
    AccountsTab *accounts_ = nullptr;
    QLabel *banner_ = nullptr;
    ComboField *cbSource_ = nullptr;   // 业务来源
    ComboField *cbCarKind_ = nullptr;  // 车辆种类 (the saved one)
    ComboField *cbDocKind_ = nullptr;  // 证件类型
    QLineEdit *edNumber_ = nullptr;    // 保单号
    QLineEdit *edInsured_ = nullptr;   // 被保险人
    QLineEdit *edOwner_ = nullptr;     // 行驶证车主
    DateEdit *edStart_ = nullptr;      // 保险起期
    DateEdit *edEnd_ = nullptr;        // 保险止期
    QPushButton *btnPrior_ = nullptr;
    QPushButton *btnNext_ = nullptr;
    QPushButton *btnSaveNew_ = nullptr;
    QPushButton *btnSave_ = nullptr;
    QPushButton *btnModify_ = nullptr;
    QPushButton *btnExit_ = nullptr;
    bool newMode_ = true;
};

// The main window's new motor policy: EditMode "N", the editor run modally.
void openMotorPolicyNew(const Context &ctx, QWidget *parent);
// A list's modify command: the current row of AdoChexian is put into edit
// state, EditMode "M", the editor created and loaded, then run modally.
// Nothing happens when AdoChexian holds no row.
void openMotorPolicyModify(const Context &ctx, QWidget *parent);

} // namespace tolvaris
