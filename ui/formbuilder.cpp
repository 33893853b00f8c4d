#include "formbuilder.h"

#include "dataset.h"
#include "schema.h"
#include "values.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <stdexcept>

namespace tolvaris {

// -------------------------------------------------------------- MemoEdit

MemoEdit::MemoEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &MemoEdit::enforceLimit);
}

void MemoEdit::setMaxLength(int n)
{
    maxLength_ = n > 0 ? n : 0;
    enforceLimit();
}

void MemoEdit::enforceLimit()
{
    if (maxLength_ <= 0) return;
    const QString t = toPlainText();
    if (t.size() <= maxLength_) return;
    // Refuse what goes beyond the limit where it was typed or pasted.
    QTextCursor c = textCursor();
    const int pos = c.position();
    const int extra = int(t.size()) - maxLength_;
    c.setPosition(std::max(0, pos - extra));
    c.setPosition(pos, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    setTextCursor(c);
}

// ----------------------------------------------------------- FormBuilder

namespace {

const QString kLabelPrefix = QStringLiteral("label_");

bool isLineKind(FieldKind k)
{
    return k == FieldKind::Text || k == FieldKind::Numeric || k == FieldKind::Phone || k == FieldKind::Amount
        || k == FieldKind::Date;
}

// setText cuts to maxLength: a stored text longer than the field's limit is
// shown whole (and kept on save) by widening the limit for it.
void setLineText(QLineEdit *e, const QString &text, int declared)
{
    const int limit = declared > 0 ? declared : 32767;
    e->setMaxLength(std::max<int>(limit, int(text.size())));
    e->setText(text);
}

} // namespace

FormBuilder::FormBuilder(const QString &table, std::vector<FieldDecl> fields, QObject *parent)
    : QObject(parent), decls_(std::move(fields)), chain_(new EnterChain(this))
{
    setSourceTable(0, table);
    // Unique object names: the column, else the caption; repeats get a number.
    QStringList used;
    for (auto &d : decls_) {
        if (d.objectName.isEmpty()) d.objectName = d.column.isEmpty() ? fieldName(d) : d.column;
        QString name = d.objectName;
        for (int n = 2; used.contains(name); ++n) name = d.objectName + QLatin1Char('_') + QString::number(n);
        d.objectName = name;
        used << name;
    }
}

FormBuilder::~FormBuilder() = default;

void FormBuilder::setSourceTable(int source, const QString &table)
{
    if (source < 0) return;
    if (size_t(source) >= sourceTables_.size()) sourceTables_.resize(size_t(source) + 1, nullptr);
    sourceTables_[size_t(source)] = table.isEmpty() ? nullptr : findTable(table);
}

QString FormBuilder::fieldName(const FieldDecl &d)
{
    QString n = d.caption.trimmed();
    while (n.endsWith(u'：') || n.endsWith(u':')) n.chop(1);
    return n.trimmed();
}

int FormBuilder::declaredMax(const FieldDecl &d) const
{
    if (d.maxLength >= 0) return d.maxLength;
    if (d.kind == FieldKind::Phone) return 11;
    if (d.column.isEmpty() || d.source < 0 || size_t(d.source) >= sourceTables_.size()) return 0;
    const TableDef *t = sourceTables_[size_t(d.source)];
    const ColumnDef *c = t ? t->column(d.column) : nullptr;
    return c && c->type == ColType::Text ? c->length : 0;
}

QWidget *FormBuilder::makeWidget(const FieldDecl &d, int index)
{
    Q_UNUSED(index);
    const bool readOnly = d.options & FieldOption::ReadOnly;
    const int max = declaredMax(d);
    QWidget *w = nullptr;
    switch (d.kind) {
    case FieldKind::Text:
    case FieldKind::Numeric:
    case FieldKind::Phone: {
        auto *e = new QLineEdit;
        if (d.kind == FieldKind::Numeric) installNumericFilter(e);
        if (d.kind == FieldKind::Phone) installPhoneFilter(e, max);
        if (max > 0) e->setMaxLength(max);
        e->setReadOnly(readOnly);
        w = e;
        break;
    }
    case FieldKind::Memo: {
        auto *e = new MemoEdit;
        e->setMaxLength(max);
        e->setReadOnly(readOnly);
        e->setFixedHeight(e->fontMetrics().lineSpacing() * 3 + 12);
        w = e;
        break;
    }
    case FieldKind::Amount: {
        auto *e = new AmountEdit;
        if (max > 0) e->setMaxChars(max);
        e->setReadOnly(readOnly);
        w = e;
        break;
    }
    case FieldKind::Date: {
        auto *e = new DateEdit;
        e->setReadOnly(readOnly);
        w = e;
        break;
    }
    case FieldKind::Combo: {
        auto *c = new ComboField;
        c->addItems(d.items);
        c->setMaxTextLength(max);
        c->setListOnly(listOnlyMode_ && (d.options & FieldOption::ListOnly));
        c->clearText();
        w = c;
        break;
    }
    case FieldKind::Check:
        w = new QCheckBox(d.caption);
        break;
    case FieldKind::Choice:
        w = new ChoicePair(d.items.value(0), d.items.value(1));
        break;
    }
    if (readOnly && !isLineKind(d.kind) && d.kind != FieldKind::Memo) w->setEnabled(false);
    w->setObjectName(d.objectName);
    return w;
}

QWidget *FormBuilder::build(QWidget *parent)
{
    if (form_) return form_;
    // Pages and groups in order of first appearance.
    bool anyTab = false;
    for (const auto &d : decls_) anyTab = anyTab || !d.tab.isEmpty();
    for (const auto &d : decls_)
        if (!d.tab.isEmpty() && !pageNames_.contains(d.tab)) pageNames_ << d.tab;
    if (pageNames_.isEmpty()) pageNames_ << QString();

    if (anyTab) {
        tabs_ = new QTabWidget(parent);
        tabs_->setObjectName(QStringLiteral("tabs"));
        form_ = tabs_;
    }

    struct PageLayout {
        QFormLayout *top = nullptr;
        QGridLayout *groups = nullptr;
        int groupCount = 0;
    };
    std::vector<PageLayout> pl(size_t(pageNames_.size()));
    auto newForm = [] {
        auto *f = new QFormLayout;
        f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        f->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        f->setRowWrapPolicy(QFormLayout::DontWrapRows);
        return f;
    };
    for (qsizetype p = 0; p < pageNames_.size(); ++p) {
        auto *page = new QWidget(anyTab ? nullptr : parent);
        page->setObjectName(anyTab ? QStringLiteral("page_") + pageNames_[p] : QStringLiteral("form"));
        auto *v = new QVBoxLayout(page);
        pl[size_t(p)].top = newForm();
        pl[size_t(p)].groups = new QGridLayout;
        for (int c = 0; c < groupColumns_; ++c) pl[size_t(p)].groups->setColumnStretch(c, 1);
        v->addLayout(pl[size_t(p)].top);
        v->addLayout(pl[size_t(p)].groups);
        v->addStretch(1);
        pages_.push_back(page);
        if (anyTab) tabs_->addTab(page, pageNames_[p]);
        else form_ = page;
    }

    std::vector<QFormLayout *> groupForms;
    widgets_.assign(decls_.size(), nullptr);
    labels_.assign(decls_.size(), nullptr);
    QHBoxLayout *rowLayout = nullptr;
    QString rowKey;
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        const int p = d.tab.isEmpty() ? 0 : int(pageNames_.indexOf(d.tab));
        QFormLayout *form = pl[size_t(p)].top;
        if (!d.group.isEmpty()) {
            const QString key = pageNames_[p] + QLatin1Char('/') + d.group;
            qsizetype g = groupKeys_.indexOf(key);
            if (g < 0) {
                auto *box = new QGroupBox(d.group);
                box->setObjectName(QStringLiteral("group_") + d.group);
                auto *f = newForm();
                box->setLayout(f);
                PageLayout &L = pl[size_t(p)];
                L.groups->addWidget(box, L.groupCount / groupColumns_, L.groupCount % groupColumns_,
                                    Qt::AlignTop);
                ++L.groupCount;
                groups_.push_back(box);
                groupKeys_ << key;
                groupForms.push_back(f);
                g = groupKeys_.size() - 1;
            }
            form = groupForms[size_t(g)];
        }

        QWidget *w = makeWidget(d, int(i));
        widgets_[i] = w;
        QLabel *label = nullptr;
        if (d.kind != FieldKind::Check && !d.caption.isEmpty()) {
            label = new QLabel(d.caption);
            label->setObjectName(kLabelPrefix + d.objectName);
            label->setBuddy(w);
        }
        labels_[i] = label;

        // A field continuing the previous field's row stands beside it.
        const bool continues = !d.row.isEmpty() && d.row == rowKey && rowLayout
            && (i > 0 && decls_[i - 1].group == d.group && decls_[i - 1].tab == d.tab);
        if (continues) {
            if (label) rowLayout->addWidget(label);
            rowLayout->addWidget(w, 1);
        } else {
            rowLayout = new QHBoxLayout;
            rowLayout->setContentsMargins(0, 0, 0, 0);
            rowLayout->addWidget(w, 1);
            if (label) form->addRow(label, rowLayout);
            else form->addRow(QString(), rowLayout);
            rowKey = d.row;
        }
        if (!d.suffix.isEmpty()) {
            auto *s = new QLabel(d.suffix);
            s->setObjectName(QStringLiteral("suffix_") + d.objectName);
            rowLayout->addWidget(s);
        }
    }
    // Settle the pages' layouts now, so that a dialog asked for its size
    // before it is shown (to centre it) gets the size it will have.
    for (QWidget *p : pages_)
        if (p->layout()) p->layout()->activate();
    if (form_->layout()) form_->layout()->activate();
    return form_;
}

QWidget *FormBuilder::page(const QString &tab) const
{
    const qsizetype p = pageNames_.indexOf(tab);
    return p < 0 ? nullptr : pages_[size_t(p)];
}

QGroupBox *FormBuilder::group(const QString &title, const QString &tab) const
{
    for (qsizetype g = 0; g < groupKeys_.size(); ++g) {
        const QString &key = groupKeys_[g];
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        if (key.mid(slash + 1) == title && (tab.isEmpty() || key.left(slash) == tab)) return groups_[size_t(g)];
    }
    return nullptr;
}

int FormBuilder::indexOf(const QString &key) const
{
    for (size_t i = 0; i < decls_.size(); ++i)
        if (!decls_[i].column.isEmpty() && decls_[i].column.compare(key, Qt::CaseInsensitive) == 0) return int(i);
    for (size_t i = 0; i < decls_.size(); ++i)
        if (decls_[i].objectName == key) return int(i);
    return -1;
}

QWidget *FormBuilder::widget(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 || widgets_.empty() ? nullptr : widgets_[size_t(i)];
}

QLabel *FormBuilder::label(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 || labels_.empty() ? nullptr : labels_[size_t(i)];
}

const FieldDecl *FormBuilder::decl(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 ? nullptr : &decls_[size_t(i)];
}

// ------------------------------------------------------------ load/save

void FormBuilder::load(const Dataset &ds, int source)
{
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        if (d.source != source || d.column.isEmpty()) continue;
        QWidget *w = widgets_[i];
        switch (d.kind) {
        case FieldKind::Text:
        case FieldKind::Numeric:
        case FieldKind::Phone:
            setLineText(static_cast<QLineEdit *>(w), ds.text(d.column), declaredMax(d));
            break;
        case FieldKind::Memo: {
            auto *m = static_cast<MemoEdit *>(w);
            const QString t = ds.text(d.column);
            const int max = declaredMax(d);
            m->setMaxLength(max > 0 ? std::max<int>(max, int(t.size())) : 0);
            m->setText(t);
            break;
        }
        case FieldKind::Amount:
            static_cast<AmountEdit *>(w)->setValue(ds.money(d.column));
            break;
        case FieldKind::Date:
            static_cast<DateEdit *>(w)->setDate(ds.date(d.column));
            break;
        case FieldKind::Combo:
            static_cast<ComboField *>(w)->setText(ds.text(d.column));
            break;
        case FieldKind::Check:
            static_cast<QCheckBox *>(w)->setChecked(ds.flag(d.column));
            break;
        case FieldKind::Choice: {
            const bool first = ds.flag(d.column);
            const bool second = !d.column2.isEmpty() && ds.flag(d.column2);
            static_cast<ChoicePair *>(w)->setChoice(first ? 0 : second ? 1 : -1);
            break;
        }
        }
    }
}

QString FormBuilder::textOf(size_t i) const
{
    const FieldDecl &d = decls_[i];
    QWidget *w = widgets_[i];
    switch (d.kind) {
    case FieldKind::Text:
    case FieldKind::Numeric:
    case FieldKind::Phone: return static_cast<QLineEdit *>(w)->text();
    case FieldKind::Memo: return static_cast<MemoEdit *>(w)->text();
    case FieldKind::Amount: return static_cast<AmountEdit *>(w)->plainText();
    case FieldKind::Date: return static_cast<DateEdit *>(w)->dateText();
    case FieldKind::Combo: return static_cast<ComboField *>(w)->text();
    case FieldKind::Check: return static_cast<QCheckBox *>(w)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    case FieldKind::Choice: return static_cast<ChoicePair *>(w)->firstChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

QString FormBuilder::fieldText(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 || widgets_.empty() ? QString() : textOf(size_t(i));
}

void FormBuilder::save(Dataset &ds, int source) const
{
    struct Write {
        QString column, text, name;
    };
    std::vector<Write> writes;
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        if (d.source != source || d.column.isEmpty() || (d.options & FieldOption::LoadOnly)) continue;
        const QString name = fieldName(d);
        writes.push_back({d.column, textOf(i), name});
        if (d.kind == FieldKind::Choice && !d.column2.isEmpty()) {
            const bool second = static_cast<ChoicePair *>(widgets_[i])->secondChecked();
            writes.push_back({d.column2, second ? QStringLiteral("1") : QStringLiteral("0"), name});
        }
    }
    // Convert everything first: one bad value must not leave the others half-set.
    for (const Write &w : writes) {
        const int c = ds.columnIndex(w.column);
        if (c < 0 || c == Dataset::kRecId)
            throw DbError(QStringLiteral("数据集%1中没有字段“%2”").arg(ds.name(), w.column));
        const ColumnDef *def = ds.table() ? ds.table()->column(w.column) : nullptr;
        storageFromText(def ? *def : ColumnDef{w.column, ds.columnType(c), 0, {}}, w.text, w.name);
    }
    for (const Write &w : writes) ds.setText(w.column, w.text, w.name);
}

// --------------------------------------------------------- whole form

void FormBuilder::clear()
{
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        if (d.options & FieldOption::KeepOnClear) continue;
        QWidget *w = widgets_[i];
        switch (d.kind) {
        case FieldKind::Text:
        case FieldKind::Numeric:
        case FieldKind::Phone: setLineText(static_cast<QLineEdit *>(w), QString(), declaredMax(d)); break;
        case FieldKind::Memo: {
            auto *m = static_cast<MemoEdit *>(w);
            m->clear();
            m->setMaxLength(declaredMax(d));
            break;
        }
        case FieldKind::Amount: static_cast<AmountEdit *>(w)->clearValue(); break;
        case FieldKind::Date: static_cast<DateEdit *>(w)->clearDate(); break;
        case FieldKind::Combo: static_cast<ComboField *>(w)->clearText(); break;
        case FieldKind::Check: static_cast<QCheckBox *>(w)->setChecked(false); break;
        case FieldKind::Choice: static_cast<ChoicePair *>(w)->setChoice(-1); break;
        }
    }
}

void FormBuilder::setInputsEnabled(bool on)
{
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        // Read-only drop-downs and boxes stay disabled: they are never typed into.
        const bool fixedOff = (d.options & FieldOption::ReadOnly) && !isLineKind(d.kind) && d.kind != FieldKind::Memo;
        widgets_[i]->setEnabled(on && !fixedOff);
    }
}

void FormBuilder::setListOnlyMode(bool on)
{
    listOnlyMode_ = on;
    for (size_t i = 0; i < decls_.size(); ++i)
        if (decls_[i].kind == FieldKind::Combo && !widgets_.empty())
            static_cast<ComboField *>(widgets_[i])->setListOnly(on && (decls_[i].options & FieldOption::ListOnly));
}

void FormBuilder::wireEnterChain(const QStringList &order)
{
    std::vector<int> idx;
    for (const QString &key : order) {
        if (key.isEmpty()) {
            idx.push_back(-1);
            continue;
        }
        const int i = indexOf(key);
        if (i < 0 || widgets_.empty())
            throw std::invalid_argument("Enter chain: no field " + key.toStdString());
        idx.push_back(i);
    }
    wireIndices(idx);
}

void FormBuilder::wireEnterChain()
{
    std::vector<int> idx;
    for (size_t i = 0; i < decls_.size(); ++i) {
        const FieldDecl &d = decls_[i];
        if (d.kind == FieldKind::Check || d.kind == FieldKind::Choice || (d.options & FieldOption::ReadOnly)) continue;
        idx.push_back(int(i));
    }
    wireIndices(idx);
}

void FormBuilder::wireIndices(const std::vector<int> &idx)
{
    for (size_t k = 0; k + 1 < idx.size(); ++k) {
        const int a = idx[k], b = idx[k + 1];
        if (a < 0 || b < 0) continue;
        const QString &tabA = decls_[size_t(a)].tab, &tabB = decls_[size_t(b)].tab;
        QWidget *to = widgets_[size_t(b)];
        if (tabs_ && tabA != tabB)
            chain_->add(widgets_[size_t(a)], tabs_, page(tabB.isEmpty() ? pageNames_[0] : tabB), to);
        else
            chain_->add(widgets_[size_t(a)], to);
    }
    for (QWidget *w : widgets_) chain_->addStop(w);
}

} // namespace tolvaris
