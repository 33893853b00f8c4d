#pragma once
// An editor declares its fields once, as a table; the builder makes the
// widgets with their captions in groups and tab pages, and loads, saves,
// clears, enables and chains them from that same table, so load and save
// cannot disagree.
#include "fields.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QTabWidget;

namespace tolvaris {

class Dataset;
struct TableDef;

enum class FieldKind {
    Text,     // QLineEdit
    Memo,     // multi-line text (MemoEdit)
    Amount,   // AmountEdit
    Numeric,  // QLineEdit with the numeric filter (policy numbers, ratios, rates)
    Phone,    // QLineEdit with the phone filter (11 characters unless maxLength says)
    Date,     // DateEdit
    Combo,    // ComboField; `items` are its entries
    Check,    // QCheckBox; the caption is its text
    Choice,   // ChoicePair; `items` are the two captions, `column2` the second's column
};

namespace FieldOption {
enum : unsigned {
    ReadOnly = 1u << 0,     // shown, never typed into (line edits read-only, others disabled)
    ListOnly = 1u << 1,     // drop-down offers only its list while list-only mode is on
    LoadOnly = 1u << 2,     // filled from its column, never saved
    KeepOnClear = 1u << 3,  // clear() leaves it as it is
};
}

struct FieldDecl {
    QString caption;           // as shown, with its "：" ("保单号：")
    FieldKind kind = FieldKind::Text;
    QString column;            // empty: a field of the window only
    QStringList items;         // Combo entries; Choice captions
    int maxLength = -1;        // -1: the column's length (text columns); 0: no limit
    unsigned options = 0;      // FieldOption bits
    QString group;             // group box title; empty: directly on the page
    QString tab;               // tab page title; empty: the first page
    QString row;               // fields sharing a row name stand on one line
    QString suffix;            // a text after the field ("%")
    QString objectName;        // default: the column, else the caption without "："
    QString column2;           // Choice: the second choice's column
    int source = 0;            // which dataset load/save use (see load())
};

// Multi-line text with an optional length limit (a text column).
class MemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MemoEdit(QWidget *parent = nullptr);
    void setMaxLength(int n);  // 0 = no limit
    int maxLength() const { return maxLength_; }
    QString text() const { return toPlainText(); }
    void setText(const QString &t) { setPlainText(t); }
private:
    void enforceLimit();
    int maxLength_ = 0;
};

class FormBuilder : public QObject {
    Q_OBJECT
public:
    // `table`: the table of source 0, whose column lengths limit text input.
    FormBuilder(const QString &table, std::vector<FieldDecl> fields, QObject *parent = nullptr);
    ~FormBuilder() override;

    // Before build(): the table of another source, and how many group boxes
    // stand side by side on a page.
    void setSourceTable(int source, const QString &table);
    void setGroupColumns(int n) { groupColumns_ = n > 0 ? n : 1; }

    // Makes the widgets: a QTabWidget when any field names a tab, else one page.
    QWidget *build(QWidget *parent = nullptr);
    QWidget *form() const { return form_; }
    QTabWidget *tabWidget() const { return tabs_; }
    QWidget *page(const QString &tab) const;
    QGroupBox *group(const QString &title, const QString &tab = {}) const;

    const std::vector<FieldDecl> &fields() const { return decls_; }
    // By column (first declared field of that column), else by objectName.
    QWidget *widget(const QString &key) const;
    template <class T> T *field(const QString &key) const { return qobject_cast<T *>(widget(key)); }
    QLabel *label(const QString &key) const;
    const FieldDecl *decl(const QString &key) const;

    // The current row of `ds` into the fields of `source`, in declared order.
    // Values are set as typing would set them, so change reactions run.
    void load(const Dataset &ds, int source = 0);
    // The fields of `source` into the edit buffer of `ds` (edit or insert
    // state) through the column codecs. All values are converted first: a
    // ValueError (named after the caption) leaves the buffer untouched.
    void save(Dataset &ds, int source = 0) const;
    // The text a field saves: amounts plain, dates yyyy-MM-dd or "", checks "1"/"0".
    QString fieldText(const QString &key) const;

    void clear();
    void setInputsEnabled(bool on);
    // On: drop-downs declared ListOnly offer only their list, the others take
    // typed text. Off: every drop-down takes typed text.
    void setListOnlyMode(bool on);
    bool listOnlyMode() const { return listOnlyMode_; }

    // Enter moves along `order` (columns or objectNames; "" breaks the chain).
    // A step onto a field of another tab page brings that page to the front.
    // Every other field swallows Enter and keeps the focus.
    void wireEnterChain(const QStringList &order);
    // The declared order of the fields that take the focus (check boxes and
    // read-only fields skipped).
    void wireEnterChain();
    EnterChain *enterChain() const { return chain_; }

    // The caption as a field name in messages: without the trailing "：".
    static QString fieldName(const FieldDecl &d);

private:
    QWidget *makeWidget(const FieldDecl &d, int index);
    int declaredMax(const FieldDecl &d) const;
    QString textOf(size_t i) const;
    int indexOf(const QString &key) const;
    void wireIndices(const std::vector<int> &idx);

    std::vector<FieldDecl> decls_;
    std::vector<QWidget *> widgets_;
    std::vector<QLabel *> labels_;
    std::vector<const TableDef *> sourceTables_;
    QWidget *form_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    std::vector<QWidget *> pages_;
    QStringList pageNames_;
    std::vector<QGroupBox *> groups_;
    QStringList groupKeys_;
    int groupColumns_ = 1;
    bool listOnlyMode_ = true;
    EnterChain *chain_;
};

} // namespace tolvaris
