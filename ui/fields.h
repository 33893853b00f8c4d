#pragma once
// Editor fields shared by every window: amount fields, key filters for
// numbers and phone numbers, date fields with a calendar, drop-downs that are
// list-only or typed, a two-way choice, and the Enter chain between fields.
#include "money.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QSet>
#include <QValidator>
#include <QWidget>

class QCalendarWidget;
class QRadioButton;
class QTabWidget;

namespace tolvaris {

// ------------------------------------------------------------ key filters
//
// Validators, not key-event filters: Qt runs them on every change a user
// makes (typed keys, paste, drag and drop, input-method commits), so
// nothing can slip past them. A text set by the program (a loaded value)
// is not checked; a stored text that does not fit can still be edited.

// Digits and the decimal point. With onePoint, a second "." is refused.
class DigitsValidator : public QValidator {
    Q_OBJECT
public:
    explicit DigitsValidator(bool onePoint = true, QObject *parent = nullptr)
        : QValidator(parent), onePoint_(onePoint) {}
    State validate(QString &input, int &pos) const override;
private:
    bool onePoint_;
};

// What amount fields accept while edited: an optional minus at the start,
// digits, one decimal point; at most maxChars characters (0 = no limit).
class AmountValidator : public QValidator {
    Q_OBJECT
public:
    explicit AmountValidator(QObject *parent = nullptr) : QValidator(parent) {}
    State validate(QString &input, int &pos) const override;
    void setMaxChars(int n) { maxChars_ = n; }
    int maxChars() const { return maxChars_; }
private:
    int maxChars_ = 0;
};

// Policy numbers, ratios, rates: digits, one decimal point, backspace.
void installNumericFilter(QLineEdit *edit);
// Mobile numbers: digits and one decimal point, at most maxLength characters.
void installPhoneFilter(QLineEdit *edit, int maxLength = 11);

// ---------------------------------------------------------- amount field

// Holds a Money. Shows the plain value while it has the focus and the
// currency display otherwise; zero shows as an empty field. Reactions
// (formulas, checks) connect to valueChanged: QLineEdit::textChanged also
// fires when the focus switches between the two forms.
class AmountEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit AmountEdit(QWidget *parent = nullptr);

    Money value() const { return value_; }
    void setValue(Money m);  // emits valueChanged when the value changes
    // The field's text as comparisons and saves read it: at most two
    // decimals (halves away from zero), no separators, "" for zero.
    QString plainText() const { return value_.plainText(); }
    bool isEmpty() const { return plainText().isEmpty(); }
    // Sets the value from a plain text ("" = zero); false when it is not an amount.
    bool setPlainText(const QString &text);
    void clearValue() { setValue(Money()); }

    // Longest text the user may type (the plain form); 0 = no limit. Not
    // QLineEdit::setMaxLength, which would cut the longer display text.
    void setMaxChars(int n);
    int maxChars() const { return validator_->maxChars(); }

signals:
    void valueChanged(tolvaris::Money value);

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void showValue();
    void onEdited(const QString &text);

    Money value_;
    AmountValidator *validator_;
};

// ------------------------------------------------------------ date field

// A date in yyyy-MM-dd with an empty state (a null QDate, stored as the
// zero date). A complete yyyy-MM-dd typed, a shorter "2024-3-5" when the
// field is left, or a day picked in the calendar sets it; an empty text (or
// Delete on the selected text) empties it; a text that is no date falls
// back to the field's date when the field is left. The
// calendar opens from the button at the right, or with Alt+Down / F4.
class DateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget *parent = nullptr);

    QDate date() const { return date_; }
    void setDate(const QDate &d);  // null = empty; emits dateChanged on a change
    void clearDate() { setDate({}); }
    bool isEmpty() const { return !date_.isValid(); }
    QString dateText() const;      // yyyy-MM-dd or ""

    // Opens the calendar window ("请选择日期"); it stays open until a date is
    // picked or it is cancelled, without blocking the caller.
    void openCalendar();
    QDialog *calendarDialog() const { return calendar_; }
    QCalendarWidget *calendarWidget() const { return calendarWidget_; }

signals:
    void dateChanged(const QDate &date);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void onTextChanged(const QString &text);
    void finishTyping();
    void commit(const QDate &d);

    QDate date_;
    bool settingText_ = false;
    QPointer<QDialog> calendar_;
    QCalendarWidget *calendarWidget_ = nullptr;
};

// ------------------------------------------------------------- drop-down

// A drop-down whose current text is what is saved. List-only offers only
// its entries; typed also accepts any text (so that a stored value outside
// the list is shown and kept).
class ComboField : public QComboBox {
    Q_OBJECT
public:
    explicit ComboField(QWidget *parent = nullptr);

    void setListOnly(bool on);
    bool isListOnly() const { return !isEditable(); }

    QString text() const { return currentText(); }
    // List-only: selects the matching entry, or none when the text is not
    // in the list. Typed: shows the text as it is.
    void setText(const QString &text);
    // The empty entry when the list has one, else no entry / no text.
    void clearText();
    void setItems(const QStringList &items);  // keeps the current text where it can
    // Longest typed text (a text column's length); 0 = no limit.
    void setMaxTextLength(int n);
    int maxTextLength() const { return maxTextLength_; }

signals:
    // Every change of the current text: picked, typed or set.
    void textChanged(const QString &text);

private:
    int maxTextLength_ = 0;
};

// ------------------------------------------------------------ choice pair

// Two exclusive choices ("已出" / "未出") where neither is chosen at first.
class ChoicePair : public QWidget {
    Q_OBJECT
public:
    ChoicePair(const QString &first, const QString &second, QWidget *parent = nullptr);

    int choice() const;          // 0, 1, or -1 for neither
    void setChoice(int which);   // -1 clears both
    bool firstChecked() const { return choice() == 0; }
    bool secondChecked() const { return choice() == 1; }
    QRadioButton *button(int which) const { return which == 0 ? first_ : second_; }

signals:
    void choiceChanged(int which);

private:
    QRadioButton *first_;
    QRadioButton *second_;
};

// ------------------------------------------------------------ Enter chain

// Enter (Return or the keypad's Enter) in a "from" field moves the focus to
// its target; a target may first bring a tab page to the front. Fields added
// with addStop() swallow Enter and keep the focus, so that Enter in a field
// without an entry neither moves nor presses a dialog's default button.
class EnterChain : public QObject {
    Q_OBJECT
public:
    explicit EnterChain(QObject *parent = nullptr);

    void add(QWidget *from, QWidget *to);
    void add(QWidget *from, QTabWidget *tabs, QWidget *page, QWidget *to);
    void addStop(QWidget *w);
    // Consecutive pairs of the list: a→b, b→c, ...
    void addSequence(const QList<QWidget *> &order);
    void remove(QWidget *from);

    QWidget *target(QWidget *from) const;
    // Moves on from `from` as Enter would; false when it has no entry or the
    // target cannot take the focus (left where it is, no error).
    bool advance(QWidget *from);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        QPointer<QWidget> to;
        QPointer<QTabWidget> tabs;
        QPointer<QWidget> page;
    };
    void watch(QWidget *w);
    QWidget *watchedOwner(QObject *o) const;

    QHash<QWidget *, Entry> entries_;
    QSet<QObject *> watched_;
};

// Focuses a field as moving there by keyboard does (a line edit selects its text).
void focusField(QWidget *w);

} // namespace tolvaris
