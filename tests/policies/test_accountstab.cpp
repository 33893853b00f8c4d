#include "accountstab.h"
#include "connection.h"
#include "database.h"
#include "dataset.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

using Kind = AccountsSettings::Kind;

AccountsSettings settingsOf(Kind k)
{
    switch (k) {
    case Kind::Motor: return AccountsSettings::motor();
    case Kind::Marine: return AccountsSettings::marine();
    default: return AccountsSettings::nonMotor();
    }
}

const char *kindName(Kind k) { return k == Kind::Motor ? "motor" : k == Kind::Marine ? "marine" : "non-motor"; }

// As the user types: the old text selected and replaced key by key; an
// empty text deletes it.
void type(QLineEdit *e, const QString &text)
{
    e->selectAll();
    if (text.isEmpty()) QTest::keyClick(e, Qt::Key_Backspace);
    else QTest::keyClicks(e, text);
    ASSERT_EQ(e->text(), text) << "the field refused " << text.toStdString();
}

QString plain(const AmountEdit *a) { return a->plainText(); }

// Settlement rows by amount column.
const AccountsTab::Row &rowOf(const AccountsTab &t, const char *column)
{
    for (int i = 0; i < t.rowCount(); ++i)
        if (t.row(i).amountColumn == s(column)) return t.row(i);
    throw std::logic_error(column);
}

// ------------------------------------------------------------- arithmetic

// A step sets one field: "P" the premium, "r1".."r4" a ratio (typed),
// "d1".."d4" a derived amount (set as a load or a recomputation would).
struct Step {
    const char *field;
    const char *text;
};

struct SplitCase {
    const char *name;
    Kind kind;
    std::vector<Step> steps;
    const char *expected[4];  // plain texts of 净保费, 按保费计算的费用, 自留, 按净保费计算的费用
};

void apply(AccountsTab &t, const Step &st)
{
    const QString f = QString::fromLatin1(st.field);
    const QString text = QString::fromLatin1(st.text);
    if (f == u"P") {
        if (t.premium()->isEnabled()) type(t.premium(), text);
        else t.premium()->setPlainText(text);  // the marine copy of the first tab's premium
    } else if (f.startsWith(u'r')) {
        type(t.ratio(f.mid(1).toInt() - 1), text);
    } else {
        t.derived(f.mid(1).toInt() - 1)->setPlainText(text);
    }
}

const SplitCase kSplitCases[] = {
    {"net premium and fee on it", Kind::Motor, {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}}, {"800", "", "", "80"}},
    {"premium change carries through to the fee on the net premium", Kind::Motor,
     {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}, {"P", "2000"}}, {"1600", "", "", "160"}},
    {"only the net ratio: a premium change recomputes nothing", Kind::Motor,
     {{"P", "1000"}, {"r1", "80"}, {"P", "2000"}}, {"800", "", "", ""}},
    {"premium change: fee on premium, then retained share only after it", Kind::Motor,
     {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}, {"r3", "5"}, {"P", "2000"}}, {"1600", "", "50", "160"}},
    {"premium change with every ratio", Kind::Motor,
     {{"P", "1000"}, {"r1", "80"}, {"r2", "10"}, {"r3", "5"}, {"r4", "10"}, {"P", "2000"}}, {"1600", "200", "100", "160"}},
    {"12.5 % of 333.33 rounds half away from zero", Kind::Motor,
     {{"P", "333.33"}, {"r1", "12.5"}, {"r2", "12.5"}, {"r3", "12.5"}}, {"41.67", "41.67", "41.67", ""}},
    {"a ratio without a premium computes nothing", Kind::Motor, {{"r1", "80"}, {"r2", "10"}, {"r3", "5"}}, {"", "", "", ""}},
    {"a lone point keeps the amount", Kind::Motor, {{"P", "1000"}, {"r1", "80"}, {"r1", "."}}, {"800", "", "", ""}},
    {"an emptied ratio keeps its amount", Kind::Motor, {{"P", "1000"}, {"r1", "80"}, {"r1", ""}}, {"800", "", "", ""}},
    {"fee on the net premium needs the net premium, not the premium", Kind::Motor,
     {{"d1", "100"}, {"r4", "10"}}, {"100", "", "", "10"}},

    {"marine: same split", Kind::Marine, {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}}, {"800", "", "", "80"}},
    {"marine: a typed net premium leaves the fee on it", Kind::Marine,
     {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}, {"d1", "500"}}, {"500", "", "", "80"}},
    {"marine: the fee ratio then uses the typed net premium", Kind::Marine,
     {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}, {"d1", "500"}, {"r4", "20"}}, {"500", "", "", "100"}},
    {"marine: premium change does not reach the fee on the net premium", Kind::Marine,
     {{"P", "1000"}, {"r1", "80"}, {"r4", "10"}, {"P", "2000"}}, {"1600", "", "", "80"}},

    {"non-motor: 100 at 80 % and 10 % of it", Kind::NonMotor, {{"P", "100"}, {"r1", "80"}, {"r4", "10"}}, {"80", "", "", "8"}},
    {"non-motor: a new net ratio leaves the fee on the net premium", Kind::NonMotor,
     {{"P", "100"}, {"r1", "80"}, {"r4", "10"}, {"r1", "50"}}, {"50", "", "", "8"}},
    {"non-motor: emptying the net ratio empties the net premium", Kind::NonMotor,
     {{"P", "100"}, {"r1", "80"}, {"r1", ""}}, {"", "", "", ""}},
    {"non-motor: emptying the fee ratio without a premium keeps the fee", Kind::NonMotor,
     {{"d2", "7"}, {"r2", "3"}, {"r2", ""}}, {"", "7", "", ""}},
    {"non-motor: emptying the retained ratio empties it even without a premium", Kind::NonMotor,
     {{"d3", "30"}, {"r3", "5"}, {"r3", ""}}, {"", "", "", ""}},
    {"non-motor: fee on the net premium needs the premium", Kind::NonMotor,
     {{"d1", "100"}, {"r4", "10"}}, {"100", "", "", ""}},
    {"non-motor: without the fee-on-net ratio a premium change recomputes nothing", Kind::NonMotor,
     {{"P", "100"}, {"r1", "80"}, {"r2", "10"}, {"r3", "5"}, {"P", "200"}}, {"80", "10", "5", ""}},
    {"non-motor: with it, the premium step skips the fee on the net premium", Kind::NonMotor,
     {{"P", "100"}, {"r1", "80"}, {"r2", "10"}, {"r3", "5"}, {"r4", "10"}, {"P", "200"}}, {"160", "20", "10", "8"}},
};

TEST(AccountsTab, PremiumSplitFollowsTheTriggerRules)
{
    for (const SplitCase &c : kSplitCases) {
        SCOPED_TRACE(std::string(kindName(c.kind)) + ": " + c.name);
        AccountsTab t(settingsOf(c.kind));
        for (const Step &st : c.steps) apply(t, st);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(plain(t.derived(i)), s(c.expected[i])) << "derived amount " << i + 1;
    }
}

TEST(AccountsTab, SettingsShapeTheFields)
{
    AccountsTab motor(AccountsSettings::motor()), marine(AccountsSettings::marine()),
        nonMotor(AccountsSettings::nonMotor());
    EXPECT_TRUE(motor.premium()->isEnabled());
    EXPECT_FALSE(marine.premium()->isEnabled());
    EXPECT_TRUE(nonMotor.premium()->isEnabled());
    EXPECT_FALSE(motor.issueDate()->isHidden());
    EXPECT_TRUE(marine.issueDate()->isHidden());
    EXPECT_FALSE(nonMotor.issueDate()->isHidden());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(motor.derived(i)->isReadOnly());
        EXPECT_FALSE(marine.derived(i)->isReadOnly());
        EXPECT_TRUE(nonMotor.derived(i)->isReadOnly());
    }
    // Ratios take digits and one point only.
    type(motor.ratio(0), s("1"));
    QTest::keyClicks(motor.ratio(0), QLatin1String("2a.5.%"));
    EXPECT_EQ(motor.ratio(0)->text(), s("12.5"));

    // Seven rows carry an automatic check; 公司退费, 费用支付 and 佣金 do not.
    ASSERT_EQ(motor.rowCount(), 10);
    QStringList withCheck, without;
    for (int i = 0; i < motor.rowCount(); ++i)
        (motor.row(i).automatic ? withCheck : without) << motor.row(i).amountColumn;
    EXPECT_EQ(without, (QStringList{s("公司退费"), s("费用支付"), s("佣金")}));
    EXPECT_EQ(withCheck.size(), 7);
    EXPECT_EQ(motor.findChild<QWidget *>(s("chkAuto_自留1")), rowOf(motor, "自留1").automatic);
    EXPECT_EQ(motor.field(s("保险费合计")), motor.premium());
    EXPECT_EQ(nonMotor.field(s("佣金方式")), rowOf(nonMotor, "佣金").way);
    EXPECT_EQ(motor.field(s("利润")), motor.profit());
}

// ------------------------------------------------------ automatic checks

QColor captionColour(const QCheckBox *b) { return b->palette().color(QPalette::WindowText); }

TEST(AccountsTab, ReceivedPremiumCheckFollowsOnlyItsOwnChanges)
{
    AccountsTab t(AccountsSettings::motor());
    const AccountsTab::Row &r = rowOf(t, "实收保费");
    const QColor normal = t.palette().color(QPalette::WindowText);
    ASSERT_NE(normal, QColor(Qt::red));

    type(t.premium(), s("1000"));
    type(r.amount, s("1000"));
    EXPECT_TRUE(r.automatic->isChecked());
    EXPECT_EQ(captionColour(r.automatic), QColor(Qt::red));

    // The premium is only a reference: deleting it re-applies nothing.
    type(t.premium(), QString());
    EXPECT_TRUE(r.automatic->isChecked());
    // With the premium empty the received amount's changes leave the box too.
    type(r.amount, s("900"));
    EXPECT_TRUE(r.automatic->isChecked());

    type(t.premium(), s("1000"));
    type(r.amount, s("999"));
    EXPECT_FALSE(r.automatic->isChecked());
    EXPECT_EQ(captionColour(r.automatic), normal);
}

TEST(AccountsTab, OtherChecksFollowEveryAmountChange)
{
    AccountsTab t(AccountsSettings::motor());
    // 自留 row: typing and then deleting with both amounts empty ticks it.
    const AccountsTab::Row &retained = rowOf(t, "自留1");
    type(retained.amount, s("5"));
    EXPECT_FALSE(retained.automatic->isChecked());
    type(retained.amount, QString());
    EXPECT_TRUE(retained.automatic->isChecked());
    EXPECT_EQ(captionColour(retained.automatic), QColor(Qt::red));

    // A changed fee leaves the rows that compare with it as they are.
    const AccountsTab::Row &refund = rowOf(t, "按保费计算的公司退费");
    type(t.premium(), s("1000"));
    type(t.ratio(1), s("10"));
    type(refund.amount, s("100"));
    EXPECT_TRUE(refund.automatic->isChecked());
    type(t.ratio(1), s("20"));
    EXPECT_EQ(plain(t.derived(1)), s("200"));
    EXPECT_TRUE(refund.automatic->isChecked());
}

TEST(AccountsTab, ClickSetsTheBoxToTheRule)
{
    AccountsTab t(AccountsSettings::motor());
    t.resize(1000, 640);
    t.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
    auto click = [](QCheckBox *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); };

    const AccountsTab::Row &pay = rowOf(t, "按保费计算的费用支付");
    type(pay.amount, s("10"));
    ASSERT_FALSE(pay.automatic->isChecked());
    click(pay.automatic);  // failing: stays unticked
    EXPECT_FALSE(pay.automatic->isChecked());
    click(pay.automatic);
    EXPECT_FALSE(pay.automatic->isChecked());

    type(t.premium(), s("100"));
    type(t.ratio(1), s("10"));  // the fee is now 10: the rule holds, the box does not know yet
    EXPECT_FALSE(pay.automatic->isChecked());
    click(pay.automatic);
    EXPECT_TRUE(pay.automatic->isChecked());
    click(pay.automatic);  // holding: a second click does not untick it
    EXPECT_TRUE(pay.automatic->isChecked());

    type(t.ratio(1), s("20"));  // ticked but failing now
    EXPECT_TRUE(pay.automatic->isChecked());
    click(pay.automatic);
    EXPECT_FALSE(pay.automatic->isChecked());
    // The click touches no other box.
    EXPECT_FALSE(rowOf(t, "按保费计算的公司退费").automatic->isChecked());
}

// A tab whose seven checks all hold, ticked through typed amounts.
void fillAudited(AccountsTab &t)
{
    apply(t, {"P", "1000"});
    type(t.ratio(0), s("80"));
    type(t.ratio(1), s("10"));
    type(t.ratio(2), s("5"));
    type(t.ratio(3), s("10"));
    const std::pair<const char *, const char *> amounts[] = {
        {"实收保费", "1000"}, {"公司结费", "1000"}, {"按保费计算的公司退费", "100"}, {"净保费计算的公司退费", "80"},
        {"按保费计算的费用支付", "100"}, {"净保费计算的费用支付", "80"}, {"自留1", "50"},
        {"公司退费", "3"}, {"费用支付", "4"}, {"佣金", "5"},
    };
    for (const auto &[col, v] : amounts) type(rowOf(t, col).amount, s(v));
}

TEST(AccountsTab, AuditStateNeedsAllSevenChecks)
{
    for (Kind k : {Kind::Motor, Kind::NonMotor}) {
        SCOPED_TRACE(kindName(k));
        AccountsTab t(settingsOf(k));
        fillAudited(t);
        EXPECT_TRUE(t.allChecksTicked());
        EXPECT_EQ(t.auditState(), s("已审核"));
        for (int i = 0; i < AccountsTab::kAutoRows; ++i) {
            const AccountsTab::Row &r = t.autoRow(i);
            SCOPED_TRACE(r.amountColumn.toStdString());
            const QString kept = r.amount->plainText();
            type(r.amount, s("1.23"));
            EXPECT_FALSE(t.allChecksTicked());
            EXPECT_EQ(t.auditState(), s("未审核"));
            type(r.amount, kept);
            EXPECT_EQ(t.auditState(), s("已审核"));
        }
    }
}

// ---------------------------------------------------------------- clearing

TEST(AccountsTab, ClearingEmptiesTheSplitAndSettlementsPerSettings)
{
    for (Kind k : {Kind::Motor, Kind::Marine, Kind::NonMotor}) {
        SCOPED_TRACE(kindName(k));
        AccountsTab t(settingsOf(k));
        DateEdit policyDate;
        policyDate.setDate(QDate(2024, 3, 15));
        if (k == Kind::NonMotor) t.setIssueDateSource(&policyDate);
        else t.issueDate()->setDate(QDate(2024, 3, 15));
        fillAudited(t);
        for (int i = 0; i < t.rowCount(); ++i) {
            t.row(i).way->setCurrentIndex(2);
            t.row(i).date->setDate(QDate(2024, 4, 1));
            t.row(i).manual->setChecked(true);
        }
        t.profit()->setText(s("120"));
        ASSERT_TRUE(t.allChecksTicked());

        t.clear();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(t.ratio(i)->text(), QString());
            EXPECT_EQ(plain(t.derived(i)), QString());
        }
        for (int i = 0; i < t.rowCount(); ++i) {
            const AccountsTab::Row &r = t.row(i);
            SCOPED_TRACE(r.amountColumn.toStdString());
            EXPECT_EQ(plain(r.amount), QString());
            EXPECT_EQ(r.way->text(), QString());
            EXPECT_TRUE(r.date->isEmpty());
            EXPECT_FALSE(r.manual->isChecked());
            if (r.automatic) {
                EXPECT_FALSE(r.automatic->isChecked());
            }
        }
        EXPECT_EQ(t.auditState(), s("未审核"));
        // The premium is the editor's to clear; the issue date stays.
        EXPECT_EQ(plain(t.premium()), s("1000"));
        if (k != Kind::Marine) {
            EXPECT_EQ(t.issueDate()->date(), QDate(2024, 3, 15));
        }
        EXPECT_EQ(t.profit()->text(), k == Kind::NonMotor ? QString() : s("120"));
    }
}

// ------------------------------------------------------- load and save

struct Column {
    QString name;
    QVariant value;
};

// Settlement values: one row equal to its reference, one not, a typed way
// outside the list, empty and set dates, manual checks on and off.
std::vector<Column> settlementColumns(bool commissionAsText)
{
    std::vector<Column> c;
    auto row = [&c](const char *col, QVariant amount, const char *way, const char *date, QVariant manual) {
        const QString n = s(col);
        c.push_back({n, amount});
        c.push_back({n + s("方式"), s(way)});
        c.push_back({n + s("日期"), s(date)});
        c.push_back({n + s("人工审核"), manual});
    };
    row("实收保费", qint64(10000000), "现金", "2024-03-16", qint64(1));
    row("公司结费", qint64(9990000), "微信", "1899-12-30", qint64(0));
    row("公司退费", QVariant(), "", "1899-12-30", qint64(0));
    row("按保费计算的公司退费", qint64(1000100), "转账", "2024-04-01", qint64(1));
    row("净保费计算的公司退费", qint64(12300), "支票", "2024-04-02", qint64(0));
    row("费用支付", qint64(30000), "抵转", "2024-04-03", qint64(1));
    row("按保费计算的费用支付", QVariant(), "", "1899-12-30", qint64(0));
    row("净保费计算的费用支付", qint64(800300), "", "1899-12-30", qint64(0));
    row("自留1", qint64(500200), "现金", "2024-05-01", qint64(1));
    row("佣金", commissionAsText ? QVariant(s("66.6")) : QVariant(qint64(666000)), "现金", "2024-05-02", qint64(0));
    return c;
}

struct Fixture {
    const char *table;
    Kind kind;
    std::vector<Column> columns;
};

std::vector<Fixture> fixtures()
{
    // Stored amounts deliberately differ from what the ratios compute.
    auto split = [](const char *premiumCol, QVariant retained) {
        return std::vector<Column>{
            {s(premiumCol), qint64(10000000)},
            {s("净保费比例"), s("80")},
            {s("净保费"), qint64(7999900)},
            {s("按保费计算的费用比例"), s("10")},
            {s("按保费计算的费用"), qint64(1000100)},
            {s("自留比例"), s("5")},
            {s("自留"), retained},
            {s("按净保费计算的费用比例"), s("10")},
            {s("按净保费计算的费用"), qint64(800300)},
            {s("利润"), qint64(120)},
        };
    };
    std::vector<Fixture> f;
    f.push_back({"车险投保单", Kind::Motor, split("保险费合计", qint64(500200))});
    f.back().columns.push_back({s("出单日期"), s("2024-03-15")});
    f.push_back({"水险投保单", Kind::Marine, split("保费", qint64(500200))});
    f.push_back({"个贷投保单", Kind::NonMotor, split("保险费", s("12.34"))});
    for (Fixture &x : f) {
        auto rows = settlementColumns(x.kind == Kind::NonMotor);
        x.columns.insert(x.columns.end(), rows.begin(), rows.end());
    }
    return f;
}

struct Db {
    std::unique_ptr<Connection> conn = Connection::openMemory();
    Db() { createSchema(*conn); }

    void insert(const Fixture &f)
    {
        QStringList cols, marks;
        QVariantList values;
        for (const Column &c : f.columns) {
            cols << quoteIdent(c.name);
            marks << s("?");
            values << c.value;
        }
        conn->exec(s("insert into %1 (%2) values (%3)").arg(quoteIdent(s(f.table)), cols.join(u','), marks.join(u',')),
                   values);
    }

    QString stored(const char *table, const QString &column)
    {
        const QVariant v = conn->scalar(s("select %1 from %2").arg(quoteIdent(column), quoteIdent(s(table))));
        return v.isNull() ? s("<null>") : v.toString();
    }
};

QString asStored(const QVariant &v) { return v.isNull() ? s("<null>") : v.toString(); }

TEST(AccountsTab, LoadShowsTheStoredAmountsAndSaveWritesThemBack)
{
    for (const Fixture &f : fixtures()) {
        SCOPED_TRACE(f.table);
        Db db;
        db.insert(f);
        Dataset ds(s("policy"), Statement(s("select * from %1").arg(s(f.table))));
        ds.setConnection(db.conn.get());
        ds.open();
        ASSERT_EQ(ds.recordCount(), 1);

        AccountsTab t(settingsOf(f.kind));
        t.setModifyMode(true);
        t.load(ds);

        EXPECT_EQ(plain(t.premium()), s("1000"));
        EXPECT_EQ(plain(t.derived(0)), s("799.99"));  // not 800: the stored amount comes after its ratio
        EXPECT_EQ(plain(t.derived(1)), s("100.01"));
        EXPECT_EQ(plain(t.derived(3)), s("80.03"));
        // The non-motor table loads 自留 before its ratio, whose reaction wins.
        EXPECT_EQ(plain(t.derived(2)), f.kind == Kind::NonMotor ? s("50") : s("50.02"));
        EXPECT_EQ(t.ratio(2)->text(), s("5"));
        EXPECT_EQ(plain(rowOf(t, "佣金").amount), s("66.6"));
        EXPECT_EQ(rowOf(t, "公司结费").way->text(), s("微信"));
        EXPECT_EQ(rowOf(t, "实收保费").date->date(), QDate(2024, 3, 16));
        EXPECT_TRUE(rowOf(t, "公司结费").date->isEmpty());
        EXPECT_TRUE(rowOf(t, "实收保费").manual->isChecked());
        EXPECT_EQ(t.profit()->text(), s("120"));
        if (f.kind == Kind::Motor) {
            EXPECT_EQ(t.issueDate()->date(), QDate(2024, 3, 15));
        }
        // The amounts' reactions set the checks while loading.
        EXPECT_TRUE(rowOf(t, "实收保费").automatic->isChecked());
        EXPECT_FALSE(rowOf(t, "公司结费").automatic->isChecked());
        EXPECT_TRUE(rowOf(t, "按保费计算的公司退费").automatic->isChecked());
        EXPECT_TRUE(rowOf(t, "净保费计算的费用支付").automatic->isChecked());
        EXPECT_EQ(rowOf(t, "自留1").automatic->isChecked(), f.kind != Kind::NonMotor);

        ds.edit();
        t.save(ds);
        ds.post();
        for (const Column &c : f.columns) {
            SCOPED_TRACE(c.name.toStdString());
            QString expected = asStored(c.value);
            if (f.kind == Kind::NonMotor && c.name == s("自留")) expected = s("50");
            EXPECT_EQ(db.stored(f.table, c.name), expected);
        }
    }
}

TEST(AccountsTab, SaveWritesThePremiumOnlyWhereItIsEnteredHere)
{
    for (const Fixture &f : fixtures()) {
        SCOPED_TRACE(f.table);
        Db db;
        db.insert(f);
        Dataset ds(s("policy"), Statement(s("select * from %1").arg(s(f.table))));
        ds.setConnection(db.conn.get());
        ds.open();
        AccountsTab t(settingsOf(f.kind));
        t.load(ds);
        t.premium()->setPlainText(s("2500"));
        if (f.kind == Kind::Motor) t.issueDate()->setDate(QDate(2024, 6, 1));
        ds.edit();
        t.save(ds);
        ds.post();
        const QString premiumCol = f.columns.front().name;
        EXPECT_EQ(db.stored(f.table, premiumCol), f.kind == Kind::Motor ? s("25000000") : s("10000000"));
        if (f.kind != Kind::Marine) {
            EXPECT_EQ(db.stored(f.table, s("出单日期")), f.kind == Kind::Motor ? s("2024-06-01") : s("<null>"));
        }
    }
}

TEST(AccountsTab, ProfitMustBeAWholeNumber)
{
    Db db;
    const Fixture f = fixtures().front();
    db.insert(f);
    Dataset ds(s("policy"), Statement(s("select * from 车险投保单")));
    ds.setConnection(db.conn.get());
    ds.open();
    AccountsTab t(AccountsSettings::motor());
    t.load(ds);
    type(t.ratio(0), s("50"));
    t.profit()->setText(s("12.5"));
    ds.edit();
    try {
        t.save(ds);
        FAIL() << "a profit of 12.5 was accepted";
    } catch (const ValueError &e) {
        EXPECT_TRUE(e.message().contains(s("利润"))) << e.message().toStdString();
    }
    // Nothing reached the buffer.
    EXPECT_EQ(ds.text(s("净保费比例")), s("80"));
    t.profit()->clear();
    t.save(ds);
    ds.post();
    EXPECT_EQ(db.stored("车险投保单", s("利润")), s("<null>"));
    EXPECT_EQ(db.stored("车险投保单", s("净保费比例")), s("50"));
}

// ------------------------------------------------------------ modes

TEST(AccountsTab, WayBoxesAreListOnlyOnlyForNewMotorPolicies)
{
    struct Case {
        Kind kind;
        bool modify;
        bool listOnly;
    };
    const Case cases[] = {{Kind::Motor, false, true},   {Kind::Motor, true, false},  {Kind::Marine, false, false},
                          {Kind::Marine, true, false},  {Kind::NonMotor, false, false}, {Kind::NonMotor, true, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(kindName(c.kind)) + (c.modify ? " modify" : " new"));
        AccountsTab t(settingsOf(c.kind));
        t.setModifyMode(c.modify);
        for (int i = 0; i < t.rowCount(); ++i) {
            ComboField *way = t.row(i).way;
            EXPECT_EQ(way->isListOnly(), c.listOnly);
            EXPECT_EQ(way->count(), 5);
        }
        ComboField *way = t.row(0).way;
        way->setText(s("微信"));
        EXPECT_EQ(way->text(), c.listOnly ? QString() : s("微信"));
        way->setText(s("转账"));
        EXPECT_EQ(way->text(), s("转账"));
    }
}

TEST(AccountsTab, InputsEnableTogetherButTheMarinePremiumStaysACopy)
{
    AccountsTab motor(AccountsSettings::motor()), marine(AccountsSettings::marine());
    for (AccountsTab *t : {&motor, &marine}) {
        t->setInputsEnabled(false);
        EXPECT_FALSE(t->premium()->isEnabled());
        EXPECT_FALSE(t->ratio(2)->isEnabled());
        EXPECT_FALSE(t->row(9).date->isEnabled());
        EXPECT_FALSE(t->profit()->isEnabled());
        t->setInputsEnabled(true);
        EXPECT_TRUE(t->ratio(2)->isEnabled());
        EXPECT_TRUE(t->row(9).way->isEnabled());
        EXPECT_TRUE(t->row(0).automatic->isEnabled());
    }
    EXPECT_TRUE(motor.premium()->isEnabled());
    EXPECT_FALSE(marine.premium()->isEnabled());
}

TEST(AccountsTab, EnterOrderRunsThroughTheSplitAndEachRow)
{
    QStringList tail;
    for (int i = 1; i <= 4; ++i) tail << s("edRatio%1").arg(i) << s("edDerived%1").arg(i);
    for (const char *col : {"实收保费", "公司结费", "公司退费", "按保费计算的公司退费", "净保费计算的公司退费", "费用支付",
                            "按保费计算的费用支付", "净保费计算的费用支付", "自留1", "佣金"})
        tail << s("edAmount_") + s(col) << s("cbWay_") + s(col) << s("edDate_") + s(col);
    for (Kind k : {Kind::Motor, Kind::Marine, Kind::NonMotor}) {
        SCOPED_TRACE(kindName(k));
        AccountsTab t(settingsOf(k));
        QStringList names;
        for (QWidget *w : t.enterOrder()) names << w->objectName();
        const QStringList expected =
            k == Kind::Motor ? QStringList{s("edPremium"), s("edIssueDate")} + tail : tail;
        EXPECT_EQ(names, expected);
    }

    // Walking it by keyboard, read-only amounts and the way boxes included.
    AccountsTab t(AccountsSettings::motor());
    EnterChain chain;
    chain.addSequence(t.enterOrder());
    t.resize(1000, 640);
    t.show();
    t.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&t));
    t.ratio(2)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), t.derived(2));
    rowOf(t, "公司结费").amount->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), rowOf(t, "公司退费").amount);
}

// -------------------------------------------------------------- mirrors

TEST(AccountsTab, NonMotorMirrorsThePolicyPage)
{
    AccountsTab t(AccountsSettings::nonMotor());
    AmountEdit policyPremium;
    DateEdit policyDate;
    policyDate.setDate(QDate(2024, 3, 15));
    t.setPremiumSource(&policyPremium);
    t.setIssueDateSource(&policyDate);
    EXPECT_EQ(t.issueDate()->date(), QDate(2024, 3, 15));

    type(t.ratio(0), s("80"));
    type(t.ratio(3), s("10"));
    QSignalSpy spy(&t, &AccountsTab::premiumChanged);
    type(&policyPremium, s("100"));
    EXPECT_EQ(plain(t.premium()), s("100"));
    EXPECT_EQ(plain(t.derived(0)), s("80"));
    type(t.premium(), s("200"));
    EXPECT_EQ(plain(&policyPremium), s("200"));
    EXPECT_EQ(plain(t.derived(0)), s("160"));
    ASSERT_FALSE(spy.isEmpty());
    EXPECT_EQ(spy.last().at(0).value<Money>(), Money::fromWhole(200));
    // The copy back must not disturb a half-typed decimal.
    type(&policyPremium, s("100.5"));
    EXPECT_EQ(plain(t.premium()), s("100.5"));

    policyDate.setDate(QDate(2024, 5, 1));
    EXPECT_EQ(t.issueDate()->date(), QDate(2024, 5, 1));
    t.issueDate()->selectAll();
    QTest::keyClicks(t.issueDate(), QLatin1String("2023-01-02"));  // typing here is undone at once
    EXPECT_EQ(t.issueDate()->text(), s("2024-05-01"));
    EXPECT_EQ(policyDate.date(), QDate(2024, 5, 1));
}

TEST(AccountsTab, MarineCopiesTheFirstTabsPremium)
{
    AccountsTab t(AccountsSettings::marine());
    AmountEdit firstTab;
    t.setPremiumSource(&firstTab);
    type(t.ratio(0), s("80"));
    type(t.ratio(3), s("10"));
    type(&firstTab, s("5000"));
    EXPECT_EQ(plain(t.premium()), s("5000"));
    EXPECT_EQ(plain(t.derived(0)), s("4000"));
}

} // namespace
