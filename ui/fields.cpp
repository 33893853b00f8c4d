#include "fields.h"

#include "values.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tolvaris {

namespace {
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
} // namespace

// ------------------------------------------------------------ key filters

QValidator::State DigitsValidator::validate(QString &input, int &) const
{
    int points = 0;
    for (const QChar c : input) {
        if (c == u'.') {
            if (onePoint_ && ++points > 1) return Invalid;
        } else if (!isAsciiDigit(c)) {
            return Invalid;
        }
    }
    return Acceptable;
}

QValidator::State AmountValidator::validate(QString &input, int &) const
{
    if (maxChars_ > 0 && input.size() > maxChars_) return Invalid;
    int points = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == u'-' && i == 0) continue;
        if (c == u'.') {
            if (++points > 1) return Invalid;
        } else if (!isAsciiDigit(c)) {
            return Invalid;
        }
    }
    return Acceptable;
}

void installNumericFilter(QLineEdit *edit) { edit->setValidator(new DigitsValidator(true, edit)); }

void installPhoneFilter(QLineEdit *edit, int maxLength)
{
    edit->setValidator(new DigitsValidator(true, edit));
    if (maxLength > 0) edit->setMaxLength(maxLength);
}

// ---------------------------------------------------------- amount field

AmountEdit::AmountEdit(QWidget *parent) : QLineEdit(parent), validator_(new AmountValidator(this))
{
    setValidator(validator_);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the display text of a seven-digit amount.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-9,999,999.99")) + 12);
    connect(this, &QLineEdit::textEdited, this, &AmountEdit::onEdited);
}

void AmountEdit::setValue(Money m)
{
    const bool changed = m != value_;
    // The same value set while the user types ("100." is 100) leaves the
    // half-typed text alone.
    if (!changed && hasFocus()) return;
    value_ = m;
    showValue();
    if (changed) emit valueChanged(m);
}

bool AmountEdit::setPlainText(const QString &text)
{
    const auto m = Money::parse(text);
    if (!m) return false;
    setValue(*m);
    return true;
}

void AmountEdit::setMaxChars(int n) { validator_->setMaxChars(n); }

void AmountEdit::showValue()
{
    const QString plain = value_.plainText();
    const QString shown = hasFocus() || plain.isEmpty() ? plain : value_.displayText();
    if (text() != shown) setText(shown);
}

void AmountEdit::onEdited(const QString &text)
{
    // A half-typed "-" or "." counts as zero until a digit follows.
    const Money m = Money::parse(text).value_or(Money());
    if (m == value_) return;
    value_ = m;
    emit valueChanged(m);
}

void AmountEdit::focusInEvent(QFocusEvent *e)
{
    showValue();  // before the base class, which selects the text on Tab
    QLineEdit::focusInEvent(e);
}

void AmountEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    // A context menu takes the focus for a moment: stay in the plain form.
    if (e->reason() != Qt::PopupFocusReason) showValue();
}

// ------------------------------------------------------------ date field

namespace {

QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(200, 60, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) p.drawRect(3 + 3 * c, 7 + 2 * r, 1, 1);
    p.end();
    return QIcon(pm);
}

QDate parseTypedDate(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, kDateFormat);
    if (!d.isValid()) d = QDate::fromString(t, QStringLiteral("yyyy-M-d"));
    return d;
}

} // namespace

DateEdit::DateEdit(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9-]{0,10}")), this));
    setMaxLength(10);
    QAction *pick = addAction(calendarIcon(), QLineEdit::TrailingPosition);
    pick->setObjectName(QStringLiteral("calendarAction"));
    pick->setToolTip(QStringLiteral("请选择日期"));
    connect(pick, &QAction::triggered, this, &DateEdit::openCalendar);
    connect(this, &QLineEdit::textChanged, this, &DateEdit::onTextChanged);
    connect(this, &QLineEdit::returnPressed, this, &DateEdit::finishTyping);
    // Wide enough for yyyy-MM-dd and the button.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 40);
}

QString DateEdit::dateText() const { return tolvaris::dateText(date_); }

void DateEdit::setDate(const QDate &d)
{
    const QDate v = d.isValid() ? d : QDate();
    {
        settingText_ = true;
        const QString t = tolvaris::dateText(v);
        if (text() != t) setText(t);
        settingText_ = false;
    }
    commit(v);
}

void DateEdit::commit(const QDate &d)
{
    if (d == date_) return;
    date_ = d;
    emit dateChanged(d);
}

void DateEdit::onTextChanged(const QString &text)
{
    if (settingText_) return;
    // While typing only a complete yyyy-MM-dd counts; "2024-3-5" is taken
    // when the user leaves the field.
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        commit({});
        return;
    }
    const QDate d = QDate::fromString(t, kDateFormat);
    if (d.isValid()) commit(d);
}

void DateEdit::finishTyping()
{
    const QString t = text().trimmed();
    if (!t.isEmpty()) {
        const QDate d = parseTypedDate(t);
        if (d.isValid()) commit(d);
    }
    // A half-typed date goes back to the field's date; a full one is normalised.
    settingText_ = true;
    const QString shown = tolvaris::dateText(date_);
    if (text() != shown) setText(shown);
    settingText_ = false;
}

void DateEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_F4 || (e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier))) {
        openCalendar();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DateEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) finishTyping();
}

void DateEdit::openCalendar()
{
    if (isReadOnly() || !isEnabled()) return;
    if (calendar_) {
        calendar_->raise();
        calendar_->activateWindow();
        return;
    }
    auto *dlg = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dlg->setObjectName(QStringLiteral("calendarDialog"));
    dlg->setWindowTitle(QStringLiteral("请选择日期"));
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowModality(Qt::ApplicationModal);

    auto *cal = new QCalendarWidget(dlg);
    cal->setObjectName(QStringLiteral("calendar"));
    cal->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    cal->setGridVisible(true);
    if (date_.isValid()) cal->setSelectedDate(date_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
    buttons->setObjectName(QStringLiteral("calendarButtons"));
    QPushButton *clear = buttons->addButton(QStringLiteral("清空"), QDialogButtonBox::ResetRole);
    clear->setObjectName(QStringLiteral("clearDateButton"));

    auto *lay = new QVBoxLayout(dlg);
    lay->addWidget(cal);
    lay->addWidget(buttons);

    auto pickAndClose = [this, dlg](const QDate &d) {
        setDate(d);
        dlg->close();
        setFocus(Qt::OtherFocusReason);
    };
    connect(cal, &QCalendarWidget::activated, dlg, pickAndClose);
    connect(buttons, &QDialogButtonBox::accepted, dlg, [cal, pickAndClose] { pickAndClose(cal->selectedDate()); });
    connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::close);
    connect(clear, &QPushButton::clicked, dlg, [pickAndClose] { pickAndClose(QDate()); });

    calendar_ = dlg;
    calendarWidget_ = cal;
    connect(dlg, &QObject::destroyed, this, [this] { calendarWidget_ = nullptr; });
    dlg->adjustSize();
    dlg->move(mapToGlobal(rect().bottomLeft()));
    dlg->show();
    cal->setFocus();
}

// ------------------------------------------------------------- drop-down

ComboField::ComboField(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(6);
    connect(this, &QComboBox::currentTextChanged, this, &ComboField::textChanged);
}

void ComboField::setListOnly(bool on)
{
    if (on == isListOnly()) return;
    const QString t = currentText();
    setEditable(!on);
    if (!on) {
        // The typed text is what is saved: no inline completion may change it.
        setCompleter(nullptr);
        setInsertPolicy(QComboBox::NoInsert);
        if (maxTextLength_ > 0) lineEdit()->setMaxLength(std::max<int>(maxTextLength_, int(t.size())));
    }
    setText(t);
}

void ComboField::setMaxTextLength(int n)
{
    maxTextLength_ = n > 0 ? n : 0;
    if (isEditable()) lineEdit()->setMaxLength(maxTextLength_ > 0 ? maxTextLength_ : 32767);
}

void ComboField::setText(const QString &text)
{
    const int i = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (isEditable()) {
        if (i >= 0) setCurrentIndex(i);
        // A stored text longer than the limit is shown whole, not cut.
        if (maxTextLength_ > 0 && text.size() > lineEdit()->maxLength()) lineEdit()->setMaxLength(int(text.size()));
        setEditText(text);
    } else {
        setCurrentIndex(i);
    }
}

void ComboField::clearText()
{
    const int i = findText(QString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(i);
    if (isEditable()) {
        lineEdit()->setMaxLength(maxTextLength_ > 0 ? maxTextLength_ : 32767);
        setEditText(QString());
    }
}

void ComboField::setItems(const QStringList &items)
{
    const QString before = currentText();
    {
        const QSignalBlocker block(this);
        clear();
        addItems(items);
        setText(before);
    }
    if (currentText() != before) emit textChanged(currentText());
}

// ------------------------------------------------------------ choice pair

ChoicePair::ChoicePair(const QString &first, const QString &second, QWidget *parent)
    : QWidget(parent), first_(new QRadioButton(first, this)), second_(new QRadioButton(second, this))
{
    first_->setObjectName(QStringLiteral("choice0"));
    second_->setObjectName(QStringLiteral("choice1"));
    auto *group = new QButtonGroup(this);
    group->addButton(first_, 0);
    group->addButton(second_, 1);
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(first_);
    lay->addWidget(second_);
    lay->addStretch(1);
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit choiceChanged(id);
    });
}

int ChoicePair::choice() const
{
    if (first_->isChecked()) return 0;
    if (second_->isChecked()) return 1;
    return -1;
}

void ChoicePair::setChoice(int which)
{
    if (which == choice()) return;
    if (which == 0 || which == 1) {
        button(which)->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button: lift the rule for a moment.
    QButtonGroup *g = first_->group();
    g->setExclusive(false);
    first_->setChecked(false);
    second_->setChecked(false);
    g->setExclusive(true);
    emit choiceChanged(-1);
}

// ------------------------------------------------------------ Enter chain

void focusField(QWidget *w)
{
    if (!w) return;
    // Moving by keyboard: buttons draw their focus frame, so the user sees
    // that the next Enter presses them.
    if (QWidget *win = w->window()) win->setAttribute(Qt::WA_KeyboardFocusChange);
    w->setFocus(Qt::TabFocusReason);
}

EnterChain::EnterChain(QObject *parent) : QObject(parent) {}

void EnterChain::watch(QWidget *w)
{
    if (!w) return;
    if (watched_.contains(w)) return;
    watched_.insert(w);
    w->installEventFilter(this);
    // Keys reach an editable drop-down's line edit first; it may be replaced
    // later (setEditable), hence ChildAdded below too.
    for (QObject *child : w->children()) child->installEventFilter(this);
    connect(w, &QObject::destroyed, this, [this](QObject *o) {
        entries_.remove(static_cast<QWidget *>(o));
        watched_.remove(o);
    });
}

void EnterChain::add(QWidget *from, QWidget *to)
{
    if (!from) return;
    watch(from);
    entries_.insert(from, Entry{to, nullptr, nullptr});
}

void EnterChain::add(QWidget *from, QTabWidget *tabs, QWidget *page, QWidget *to)
{
    if (!from) return;
    watch(from);
    entries_.insert(from, Entry{to, tabs, page});
}

void EnterChain::addStop(QWidget *w)
{
    if (!w || entries_.contains(w)) return;
    watch(w);
    entries_.insert(w, Entry{});
}

void EnterChain::addSequence(const QList<QWidget *> &order)
{
    for (qsizetype i = 0; i + 1 < order.size(); ++i) add(order[i], order[i + 1]);
}

void EnterChain::remove(QWidget *from) { entries_.remove(from); }

QWidget *EnterChain::target(QWidget *from) const
{
    const auto it = entries_.constFind(from);
    return it == entries_.constEnd() ? nullptr : it->to.data();
}

bool EnterChain::advance(QWidget *from)
{
    const auto it = entries_.constFind(from);
    if (it == entries_.constEnd() || !it->to) return false;
    if (it->tabs && it->page) it->tabs->setCurrentWidget(it->page);
    QWidget *to = it->to;
    // A disabled field, one on a hidden page, or one that takes no focus:
    // stay where we are.
    if (!to->isEnabled() || !to->isVisibleTo(to->window()) || to->focusPolicy() == Qt::NoFocus) return false;
    focusField(to);
    return true;
}

QWidget *EnterChain::watchedOwner(QObject *o) const
{
    for (; o; o = o->parent()) {
        if (o->isWidgetType()) {
            auto *w = static_cast<QWidget *>(o);
            if (entries_.contains(w)) return w;
            if (w->isWindow()) return nullptr;  // e.g. a drop-down's pop-up list
        }
    }
    return nullptr;
}

bool EnterChain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child) child->installEventFilter(this);
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    if (ke->key() != Qt::Key_Return && ke->key() != Qt::Key_Enter) return false;
    if ((ke->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    QWidget *owner = watchedOwner(watched);
    if (!owner) return false;
    advance(owner);
    return true;  // handled: a dialog's default button must not fire
}

} // namespace tolvaris
