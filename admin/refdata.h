#pragma once
// Maintenance of the four reference lists whose titles feed the selectors of
// other windows: business sources (ywly), subject-matter categories (bdlb),
// loan banks (dkyh) and industry categories (hylb). Each list has a modal
// list window and a small add window that adds or changes one entry. The four
// pairs are one implementation driven by the table refPairs(), so they cannot
// drift apart; the named classes only pick their row of that table.
#include "context.h"
#include "dataset.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;

namespace tolvaris {

class DataGrid;
class FormBuilder;
class MemoEdit;
class RefAddWindow;
class RefListWindow;

enum class RefKind { BusinessSource, SubjectCategory, LoanBank, Industry };

// One pair of windows: everything in which the four differ.
struct RefPair {
    RefKind kind;
    QString table;
    QString listClass;         // class name of the list window
    QString listCaption;
    QString titleCaption;      // grid caption of `title`
    QString listStatement;     // all rows; the rights rule narrows it
    bool loadOnShow;           // reload at every show instead of once at creation
    bool addStartsEmptyRow;    // "增加" first starts an empty row in the list
    QString addClass;          // class name of the add window
    QString addCaption;
    QString emptyNameMessage;  // title "提示"
    QString deleteQuestion;    // title "删除提示"
    RefListWindow *(*makeList)(const Context &, QWidget *);
    RefAddWindow *(*makeAdd)(const Context &, QWidget *);
};

const std::array<RefPair, 4> &refPairs();
const RefPair &refPair(RefKind kind);

// The list window's statement for the logged-in user: all rows for an
// advanced user, his own rows for an ordinary one.
Statement refListStatement(const RefPair &pair, const AppState &state);

// The list window of one pair: a tool bar ("增加", "修改", "删除", "退出")
// over a grid of the table's rows.
class RefListWindow : public QDialog {
    Q_OBJECT
public:
    RefListWindow(const Context &ctx, RefKind kind, QWidget *parent);
    ~RefListWindow() override;

    const RefPair &pair() const { return pair_; }
    // The process-wide reference to the open list window of a pair, through
    // which its add window writes; null when none is open.
    static RefListWindow *current(RefKind kind);

    // The list's own query, with the row number RecID.
    Dataset ADOQuery1;

    QToolBar *ToolBar1 = nullptr;
    QToolButton *btnAdd = nullptr;     // 增加
    QToolButton *btnModify = nullptr;  // 修改
    QToolButton *btnDelete = nullptr;  // 删除
    QToolButton *btnExit = nullptr;    // 退出
    DataGrid *dxDBGrid1 = nullptr;

    void AddClick();
    void ModifyClick();
    void DeleteClick();
    void LoadList();

protected:
    void showEvent(QShowEvent *e) override;

private:
    Context ctx_;
    const RefPair &pair_;
};

// The add window of one pair: "名称：" and "备注：", "确定" and "取消". It
// writes through the dataset of its list window.
class RefAddWindow : public QDialog {
    Q_OBJECT
public:
    RefAddWindow(const Context &ctx, RefKind kind, QWidget *parent);
    ~RefAddWindow() override;

    const RefPair &pair() const { return pair_; }

    QLineEdit *edtName = nullptr;    // 名称： (objectName "title")
    MemoEdit *memRemark = nullptr;   // 备注： (objectName "beizhu")
    QPushButton *btnOk = nullptr;    // 确定
    QPushButton *btnCancel = nullptr;  // 取消

    void btnOkClick();

private:
    Context ctx_;
    const RefPair &pair_;
    FormBuilder *form_ = nullptr;
};

// The classes by the names the program knows them by; each only picks its
// row of refPairs().
class TFrmYwLy : public RefListWindow {
    Q_OBJECT
public:
    explicit TFrmYwLy(const Context &ctx, QWidget *parent = nullptr)
        : RefListWindow(ctx, RefKind::BusinessSource, parent) {}
};
class TFrmBdlb : public RefListWindow {
    Q_OBJECT
public:
    explicit TFrmBdlb(const Context &ctx, QWidget *parent = nullptr)
        : RefListWindow(ctx, RefKind::SubjectCategory, parent) {}
};
class TFrmDKYH : public RefListWindow {
    Q_OBJECT
public:
    explicit TFrmDKYH(const Context &ctx, QWidget *parent = nullptr)
        : RefListWindow(ctx, RefKind::LoanBank, parent) {}
};
class TFrmHYLB : public RefListWindow {
    Q_OBJECT
public:
    explicit TFrmHYLB(const Context &ctx, QWidget *parent = nullptr)
        : RefListWindow(ctx, RefKind::Industry, parent) {}
};
class TFrmAddYWLY : public RefAddWindow {
    Q_OBJECT
public:
    explicit TFrmAddYWLY(const Context &ctx, QWidget *parent = nullptr)
        : RefAddWindow(ctx, RefKind::BusinessSource, parent) {}
};
class TFrmAddBDLB : public RefAddWindow {
    Q_OBJECT
public:
    explicit TFrmAddBDLB(const Context &ctx, QWidget *parent = nullptr)
        : RefAddWindow(ctx, RefKind::SubjectCategory, parent) {}
};
class TFrmAddDKYH : public RefAddWindow {
    Q_OBJECT
public:
    explicit TFrmAddDKYH(const Context &ctx, QWidget *parent = nullptr)
        : RefAddWindow(ctx, RefKind::LoanBank, parent) {}
};
class TFrmAddhylb : public RefAddWindow {
    Q_OBJECT
public:
    explicit TFrmAddhylb(const Context &ctx, QWidget *parent = nullptr)
        : RefAddWindow(ctx, RefKind::Industry, parent) {}
};

// Opens the list window of `kind` modally and destroys it when it closes.
void openReferenceWindow(const Context &ctx, QWidget *parent, RefKind kind);

} // namespace tolvaris
