#pragma once
// The customer editor: a new customer (EditMode "N") or the customer on
// which the caller has put the shared customer dataset ADOQuery1 into edit
// state (EditMode "M"). It writes one khgx row through ADOQuery1, so the
// caller's grid shows it at once.
#include "context.h"

#include <QDialog>
#include <QHash>

class QPushButton;

namespace tolvaris {

class Dataset;
class FormBuilder;

class TFrmAddkh : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAddkh(const Context &ctx, QWidget *parent = nullptr);
    ~TFrmAddkh() override;

    // The fields, declared in the order their columns are written; each
    // widget's objectName is its khgx column ("khjc", "sj", "sr", "khly", ...).
    FormBuilder *form() const { return form_; }
    QWidget *field(const QString &column) const;

    // Modify mode: the caller fills every control from the current row of
    // `ds` (the editor itself never reads the row).
    void fillFrom(const Dataset &ds);

    // Disables / enables every input control (enabling focuses "客户简称：").
    void jinyong();
    void jieyong();

    QPushButton *btnHelp = nullptr;     // 帮助(&H), no action
    QPushButton *btnSaveNew = nullptr;  // 保存并新添
    QPushButton *btnSave = nullptr;     // 保存
    QPushButton *btnModify = nullptr;   // 修改
    QPushButton *btnExit = nullptr;     // 退出

    void btnSaveClick();
    void btnSaveNewClick();
    void btnModifyClick();

protected:
    void showEvent(QShowEvent *e) override;

private:
    bool sourceGiven();
    void insertRow();
    void writeColumns(Dataset &ds) const;
    void fillSelectors();

    Context ctx_;
    FormBuilder *form_ = nullptr;
    // Date texts as the caller filled them: written back unchanged unless the
    // user picks another date (a stored text need not be a valid date).
    QHash<QString, QString> loadedDates_;
};

// The main window's "新增客户": EditMode "N", then the editor, modally.
void openNewCustomer(const Context &ctx, QWidget *parent);

} // namespace tolvaris
