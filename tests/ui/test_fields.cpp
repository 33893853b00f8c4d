#include "fields.h"
#include "values.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

// Types text one character at a time as a keyboard would, Chinese included
// (QTest::keyClicks cannot send non-Latin-1 text).
void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void commitText(QWidget *w, const QString &text)
{
    QInputMethodEvent ev;
    ev.setCommitString(text);
    QApplication::sendEvent(w, &ev);
}

void paste(QLineEdit *e, const QString &text)
{
    QApplication::clipboard()->setText(text);
    e->paste();
}

// A shown, active window so that focus really moves.
struct Window {
    QWidget w;
    QVBoxLayout *lay = new QVBoxLayout(&w);
    template <class T> T *add(T *child, const char *name)
    {
        child->setObjectName(QString::fromLatin1(name));
        lay->addWidget(child);
        return child;
    }
    void show()
    {
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
};

} // namespace

TEST(AmountEdit, TextsByFocus)
{
    struct Case { const char *value, *plain, *display; };
    const Case cases[] = {
        {"0", "", ""},
        {"0.004", "", ""},  // rounds to zero: empty
        {"800", "800", "800.00"},
        {"12.5", "12.5", "12.50"},
        {"41.66625", "41.67", "41.67"},  // 12.5 % of 333.33
        {"-0.005", "-0.01", "-0.01"},
        {"1234567.891", "1234567.89", "1,234,567.89"},
    };
    Window win;
    auto *amount = win.add(new AmountEdit, "amount");
    auto *other = win.add(new QLineEdit, "other");
    win.show();
    for (const auto &c : cases) {
        const Money m = *Money::parse(QString::fromLatin1(c.value));
        other->setFocus();
        amount->setValue(m);
        EXPECT_EQ(amount->plainText(), QString::fromLatin1(c.plain)) << c.value;
        EXPECT_EQ(amount->text(), QString::fromLatin1(c.display)) << c.value << " without focus";
        amount->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(amount->text(), QString::fromLatin1(c.plain)) << c.value << " with focus";
        EXPECT_EQ(amount->plainText(), QString::fromLatin1(c.plain)) << c.value;
    }
    other->setFocus();
    EXPECT_EQ(amount->text(), QStringLiteral("1,234,567.89"));
}

TEST(AmountEdit, TypingAndChangeSignal)
{
    Window win;
    auto *amount = win.add(new AmountEdit, "amount");
    auto *other = win.add(new QLineEdit, "other");
    win.show();
    QSignalSpy changed(amount, &AmountEdit::valueChanged);

    amount->setFocus();
    QTest::keyClicks(amount, QLatin1String("-12a.5.3"));
    EXPECT_EQ(amount->text(), QStringLiteral("-12.53"));
    EXPECT_EQ(amount->value(), *Money::parse(QStringLiteral("-12.53")));
    // "-" alone is zero (no change), then -1, -12, -12. (same value), -12.5, -12.53.
    EXPECT_EQ(changed.count(), 4);
    QTest::keyClick(amount, Qt::Key_Home);
    QTest::keyClicks(amount, QLatin1String("-"));  // a minus only at the start
    EXPECT_EQ(amount->text(), QStringLiteral("-12.53"));
    QTest::keyClick(amount, Qt::Key_End);
    QTest::keyClick(amount, Qt::Key_Backspace);
    EXPECT_EQ(amount->plainText(), QStringLiteral("-12.5"));
    EXPECT_EQ(changed.count(), 5);

    // Focus changes switch the text, not the value: no signal.
    other->setFocus();
    EXPECT_EQ(amount->text(), QStringLiteral("-12.50"));
    amount->setFocus();
    EXPECT_EQ(changed.count(), 5);

    // Setting a value signals like typing; the same value again does not.
    amount->setValue(Money::fromWhole(1600));
    amount->setValue(Money::fromWhole(1600));
    ASSERT_EQ(changed.count(), 6);
    EXPECT_EQ(changed.last().at(0).value<Money>(), Money::fromWhole(1600));
    // A mirror setting the same value back while the user types keeps the
    // half-typed text.
    QTest::keyClicks(amount, QLatin1String("."));
    amount->setValue(Money::fromWhole(1600));
    EXPECT_EQ(amount->text(), QStringLiteral("1600."));
    EXPECT_EQ(changed.count(), 6);

    // Deleting every digit empties the field: zero.
    amount->selectAll();
    QTest::keyClick(amount, Qt::Key_Delete);
    EXPECT_TRUE(amount->isEmpty());
    EXPECT_EQ(changed.count(), 7);

    // Paste goes through the same rule.
    paste(amount, QStringLiteral("1,000"));
    EXPECT_EQ(amount->text(), QString());
    paste(amount, QStringLiteral("99.9"));
    EXPECT_EQ(amount->plainText(), QStringLiteral("99.9"));

    amount->setReadOnly(true);
    QTest::keyClicks(amount, QLatin1String("5"));
    EXPECT_EQ(amount->plainText(), QStringLiteral("99.9"));
}

TEST(AmountEdit, MaxCharsLimitsTypingNotTheDisplay)
{
    Window win;
    auto *amount = win.add(new AmountEdit, "amount");
    auto *other = win.add(new QLineEdit, "other");
    win.show();
    amount->setMaxChars(7);
    amount->setFocus();
    QTest::keyClicks(amount, QLatin1String("123456789"));
    EXPECT_EQ(amount->text(), QStringLiteral("1234567"));
    other->setFocus();
    EXPECT_EQ(amount->text(), QStringLiteral("1,234,567.00"));  // the display is not cut
}

TEST(KeyFilters, NumericFilterRefusesASecondPointAndEverythingElse)
{
    Window win;
    auto *e = win.add(new QLineEdit, "policyNo");
    installNumericFilter(e);
    win.show();
    e->setFocus();
    QTest::keyClicks(e, QLatin1String("12a.3.4 -+"));
    typeText(e, QStringLiteral("五"));
    EXPECT_EQ(e->text(), QStringLiteral("12.34"));
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), QStringLiteral("12.3"));

    // Paste and input-method commits cannot bypass the rule.
    paste(e, QStringLiteral("5.6"));
    EXPECT_EQ(e->text(), QStringLiteral("12.3"));
    paste(e, QStringLiteral("56"));
    EXPECT_EQ(e->text(), QStringLiteral("12.356"));
    commitText(e, QStringLiteral("七"));
    commitText(e, QStringLiteral("7"));
    EXPECT_EQ(e->text(), QStringLiteral("12.3567"));

    e->clear();
    QTest::keyClicks(e, QLatin1String("."));
    QTest::keyClicks(e, QLatin1String("."));
    EXPECT_EQ(e->text(), QStringLiteral("."));
}

TEST(KeyFilters, PhoneFilter)
{
    Window win;
    auto *phone = win.add(new QLineEdit, "sj");
    installPhoneFilter(phone, 11);
    win.show();
    phone->setFocus();
    for (const char *key : {"1", "3", "a", "9", ".", "1", ".", "5"}) QTest::keyClicks(phone, QLatin1String(key));
    EXPECT_EQ(phone->text(), QStringLiteral("139.15"));

    phone->clear();
    QTest::keyClicks(phone, QLatin1String("1380013800099"));
    EXPECT_EQ(phone->text(), QStringLiteral("13800138000"));
    phone->clear();
    paste(phone, QStringLiteral("139-1234-5678"));
    EXPECT_EQ(phone->text(), QString());
    paste(phone, QStringLiteral("1391234567899"));
    EXPECT_EQ(phone->text().size(), 11);

    // A stored text the filter would refuse is shown and can still be edited.
    phone->setText(QStringLiteral("010-8888"));
    phone->end(false);
    QTest::keyClick(phone, Qt::Key_Backspace);
    EXPECT_EQ(phone->text(), QStringLiteral("010-888"));
}

TEST(DateEdit, EmptyStateTypingAndClearing)
{
    Window win;
    auto *date = win.add(new DateEdit, "sr");
    auto *other = win.add(new QLineEdit, "other");
    win.show();
    QSignalSpy changed(date, &DateEdit::dateChanged);

    EXPECT_TRUE(date->isEmpty());
    EXPECT_EQ(date->text(), QString());
    EXPECT_EQ(dateToStorage(date->date()), QStringLiteral("1899-12-30"));
    date->setDate(dateFromStorage(QStringLiteral("1899-12-30")));
    EXPECT_TRUE(date->isEmpty());
    EXPECT_EQ(changed.count(), 0);

    date->setDate(QDate(2024, 3, 5));
    EXPECT_EQ(date->text(), QStringLiteral("2024-03-05"));
    EXPECT_EQ(changed.count(), 1);

    // A short date counts when the field is left; a text that is no date falls back.
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, QLatin1String("2023-1-9"));
    EXPECT_EQ(date->date(), QDate(2024, 3, 5));  // not yet: "2023-1-1" was on the way
    other->setFocus();
    EXPECT_EQ(date->date(), QDate(2023, 1, 9));
    EXPECT_EQ(date->text(), QStringLiteral("2023-01-09"));
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, QLatin1String("2023-02-30x"));
    EXPECT_EQ(date->text(), QStringLiteral("2023-02-30"));
    EXPECT_EQ(date->date(), QDate(2023, 1, 9));
    other->setFocus();
    EXPECT_EQ(date->text(), QStringLiteral("2023-01-09"));
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, QLatin1String("2023-12-31"));
    EXPECT_EQ(date->date(), QDate(2023, 12, 31));  // a complete date counts at once

    // Delete on the selected text empties the date.
    date->setFocus();
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    EXPECT_TRUE(date->isEmpty());
    EXPECT_EQ(date->dateText(), QString());
    EXPECT_EQ(changed.last().at(0).toDate(), QDate());
}

TEST(DateEdit, CalendarWindowPicksAndClears)
{
    Window win;
    auto *date = win.add(new DateEdit, "clsj");
    win.show();
    date->setDate(QDate(2024, 3, 5));
    date->setFocus();
    QTest::keyClick(date, Qt::Key_F4);
    QDialog *dlg = date->calendarDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("请选择日期"));
    QCalendarWidget *cal = date->calendarWidget();
    ASSERT_NE(cal, nullptr);
    EXPECT_EQ(cal->selectedDate(), QDate(2024, 3, 5));
    EXPECT_EQ(dlg->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));

    cal->setSelectedDate(QDate(2024, 4, 20));
    emit cal->activated(cal->selectedDate());  // double-click / Enter on a day
    QApplication::processEvents();
    EXPECT_EQ(date->date(), QDate(2024, 4, 20));
    EXPECT_TRUE(date->calendarDialog() == nullptr || !date->calendarDialog()->isVisible());

    date->openCalendar();
    ASSERT_NE(date->calendarDialog(), nullptr);
    date->calendarDialog()->findChild<QPushButton *>(QStringLiteral("clearDateButton"))->click();
    EXPECT_TRUE(date->isEmpty());

    // Cancel leaves the date alone; a read-only field opens no calendar.
    date->setDate(QDate(2020, 1, 1));
    date->openCalendar();
    date->calendarWidget()->setSelectedDate(QDate(2021, 1, 1));
    date->calendarDialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(date->date(), QDate(2020, 1, 1));
    QApplication::processEvents();
    date->setReadOnly(true);
    date->openCalendar();
    EXPECT_TRUE(date->calendarDialog() == nullptr || !date->calendarDialog()->isVisible());
}

TEST(ComboField, ListOnlyAndTypedModes)
{
    Window win;
    auto *combo = win.add(new ComboField, "xb");
    win.show();
    combo->addItems({QString(), QStringLiteral("男"), QStringLiteral("女")});
    QSignalSpy changed(combo, &ComboField::textChanged);

    EXPECT_TRUE(combo->isListOnly());
    combo->setText(QStringLiteral("女"));
    EXPECT_EQ(combo->text(), QStringLiteral("女"));
    combo->setText(QStringLiteral("未知"));  // not in the list: nothing chosen
    EXPECT_EQ(combo->text(), QString());
    combo->clearText();
    EXPECT_EQ(combo->currentIndex(), 0);

    combo->setListOnly(false);
    combo->setText(QStringLiteral("未知"));
    EXPECT_EQ(combo->text(), QStringLiteral("未知"));
    combo->setText(QStringLiteral("男"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_GE(changed.count(), 3);

    // Typed text is kept as typed: no completion turns "女士" into anything else.
    combo->setFocus();
    combo->lineEdit()->clear();
    typeText(combo, QStringLiteral("女士"));
    EXPECT_EQ(combo->text(), QStringLiteral("女士"));
    QTest::keyClick(combo, Qt::Key_Backspace);
    EXPECT_EQ(combo->text(), QStringLiteral("女"));

    combo->setMaxTextLength(3);
    combo->lineEdit()->clear();
    QTest::keyClicks(combo, QLatin1String("abcdef"));
    EXPECT_EQ(combo->text(), QStringLiteral("abc"));

    // Back to list-only: a listed text stays chosen.
    combo->setText(QStringLiteral("女"));
    combo->setListOnly(true);
    EXPECT_EQ(combo->text(), QStringLiteral("女"));
    combo->setItems({QString(), QStringLiteral("女"), QStringLiteral("其他")});
    EXPECT_EQ(combo->text(), QStringLiteral("女"));
}

TEST(EnterChain, MovesAlongPairsShowsTabsAndIgnoresFieldsWithoutEntry)
{
    QDialog dlg;
    auto *lay = new QVBoxLayout(&dlg);
    auto *a = new QLineEdit(&dlg);
    auto *b = new ComboField(&dlg);
    b->setListOnly(false);
    auto *c = new QLineEdit(&dlg);
    auto *stop = new QLineEdit(&dlg);
    auto *unlisted = new QLineEdit(&dlg);
    auto *disabled = new QLineEdit(&dlg);
    disabled->setEnabled(false);
    auto *tabs = new QTabWidget(&dlg);
    auto *page1 = new QWidget;
    auto *page2 = new QWidget;
    auto *d = new QLineEdit(page2);
    tabs->addTab(page1, QStringLiteral("基本信息"));
    tabs->addTab(page2, QStringLiteral("帐务"));
    auto *ok = new QPushButton(QStringLiteral("保存"), &dlg);
    ok->setDefault(true);
    for (QWidget *w : QList<QWidget *>{a, b, c, stop, unlisted, disabled, tabs, ok}) lay->addWidget(w);
    QSignalSpy okClicks(ok, &QPushButton::clicked);

    EnterChain chain;
    chain.addSequence({a, b, c});
    chain.add(c, tabs, page2, d);
    chain.addStop(stop);
    chain.add(stop, disabled);  // an entry replaces the stop
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));

    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(b->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);  // the editable drop-down's line edit
    EXPECT_TRUE(c->hasFocus());
    EXPECT_EQ(tabs->currentWidget(), page1);
    QTest::keyClick(c, Qt::Key_Return);
    EXPECT_EQ(tabs->currentWidget(), page2);
    EXPECT_TRUE(d->hasFocus());

    // A target that cannot take the focus: Enter stays, raises nothing and
    // does not press the default button.
    stop->setFocus();
    QTest::keyClick(stop, Qt::Key_Return);
    EXPECT_TRUE(stop->hasFocus());
    EXPECT_EQ(okClicks.count(), 0);
    EXPECT_FALSE(chain.advance(unlisted));

    // The drop-down's line edit is made anew when its mode changes: still chained.
    b->setListOnly(true);
    b->setListOnly(false);
    b->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(c->hasFocus());
}
