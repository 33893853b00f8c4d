#pragma once
// "我的客户": the customer register, a child window of the main window. It
// lists the current user's customers through the shared dataset ADOQuery1,
// narrows the list with six search fields, and adds, changes, deletes and
// exports customers.
#include "context.h"

#include <QWidget>
#include <array>

class QAction;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;

namespace tolvaris {

class ComboField;
class DataGrid;

// One search field: each reloads the list with a condition of its own.
struct CustomerSearch {
    QString objectName;  // of its edit or selector
    QString caption;
    QString column;      // the khgx column searched
    bool selector;       // a drop-down with typing (else a plain edit)
    bool onEmpty;        // an emptied field searches too (else it leaves the list)
    bool allUsers;       // finds every user's customers
};
const std::array<CustomerSearch, 6> &customerSearches();

// The statement of a search for `text` by `user`. Quotes, "%" and "_" in the
// text are matched as they are.
Statement customerSearchStatement(const CustomerSearch &s, const QString &user, const QString &text);
// All customers of `user`.
Statement userCustomersStatement(const QString &user);

inline const QString kAllEntries = QStringLiteral("(全部)");

class TFrmMyKh : public QWidget {
    Q_OBJECT
public:
    explicit TFrmMyKh(const Context &ctx, QWidget *parent = nullptr);
    ~TFrmMyKh() override;

    // Search fields by their objectName ("edtKhjc", "cbHylb", "cbKhlb",
    // "edtZlxr", "cbXianzhong", "cbKhly").
    QLineEdit *edtKhjc = nullptr;
    QLineEdit *edtZlxr = nullptr;
    ComboField *cbHylb = nullptr;
    ComboField *cbKhlb = nullptr;
    ComboField *cbXianzhong = nullptr;
    ComboField *cbKhly = nullptr;

    QToolBar *ToolBar1 = nullptr;
    QToolButton *btnNew = nullptr;      // 新增客户
    QToolButton *btnModify = nullptr;   // 修改
    QToolButton *btnDelete = nullptr;   // 删除
    QToolButton *btnShowAll = nullptr;  // 显示所有客户
    QToolButton *btnExport = nullptr;   // 导出
    QToolButton *btnPrint = nullptr;    // 打印 (no action)
    QToolButton *btnClose = nullptr;    // 关闭
    DataGrid *dxDBGrid1 = nullptr;
    QMenu *PopupMenu1 = nullptr;        // actions mnuNew, mnuModify, mnuDelete, mnuRefresh, mnuPrint, mnuExport

    // The first show: loads the user's customers and fills the selectors.
    void FormShow();

    void NewClick();
    void ModifyClick();
    void DeleteClick();
    void ShowAllClick();
    void ExportClick();
    void CloseClick();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void search(const CustomerSearch &s, const QString &text);
    void fillSelectors();
    Dataset &customers() const;

    Context ctx_;
    std::array<QWidget *, 6> searchFields_{};
    bool shown_ = false;
};

} // namespace tolvaris
