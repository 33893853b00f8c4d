#include "connection.h"
#include "database.h"
#include "dataset.h"
#include "formbuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;
using namespace tolvaris::FieldOption;

namespace {

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

// A small motor-policy form with a customer page of another dataset.
std::vector<FieldDecl> sampleFields()
{
    const QString basic = s("被保险人信息"), covers = s("基本险信息"), customer = s("客户信息");
    const QString insured = s("被保险人资料");
    return {
        {.caption = s("业务来源："), .kind = FieldKind::Combo, .column = s("业务来源"), .items = {QString(), s("直销"), s("代理")}, .tab = basic},
        {.caption = s("车辆种类："), .kind = FieldKind::Combo, .column = s("车辆种类"), .items = {QString(), s("个人车辆"), s("企业车辆")}, .options = ListOnly, .tab = basic},
        {.caption = s("保单号："), .kind = FieldKind::Numeric, .column = s("保单号"), .maxLength = 20, .tab = basic},
        {.caption = s("被保险人："), .kind = FieldKind::Text, .column = s("被保险人"), .group = insured, .tab = basic},
        {.caption = s("手机号："), .kind = FieldKind::Phone, .column = s("手机"), .group = insured, .tab = basic},
        {.caption = s("初登年月："), .kind = FieldKind::Date, .column = s("初登年月"), .group = insured, .tab = basic},
        {.caption = s("车辆种类："), .kind = FieldKind::Combo, .column = s("车辆种类"), .items = {QString(), s("个人车辆"), s("企业车辆")}, .options = ListOnly | LoadOnly, .group = s("车辆信息"), .tab = basic, .objectName = s("车辆种类2")},
        {.caption = s("保险金额："), .kind = FieldKind::Text, .column = s("保险金额"), .group = s("车辆损失险"), .tab = covers},
        {.caption = s("后排保险费："), .kind = FieldKind::Text, .column = s("后排保险费"), .group = s("车上人员责任险"), .tab = covers},
        {.caption = s("保险期限：自"), .kind = FieldKind::Date, .column = s("保险起期"), .group = s("保险期限"), .tab = covers, .row = s("period")},
        {.caption = s("零时起至"), .kind = FieldKind::Date, .column = s("保险止期"), .group = s("保险期限"), .tab = covers, .row = s("period"), .suffix = s("零时止")},
        {.caption = s("保险费："), .kind = FieldKind::Amount, .column = s("保险费合计"), .group = s("帐务"), .tab = covers},
        {.caption = s("净保费比例："), .kind = FieldKind::Numeric, .column = s("净保费比例"), .group = s("帐务"), .tab = covers, .suffix = s("%")},
        {.caption = s("净保费："), .kind = FieldKind::Amount, .column = s("净保费"), .options = ReadOnly, .group = s("帐务"), .tab = covers},
        {.caption = s("实收保费方式："), .kind = FieldKind::Combo, .column = s("实收保费方式"), .items = {QString(), s("现金"), s("支票"), s("转账"), s("抵转")}, .options = ListOnly, .group = s("帐务"), .tab = covers},
        {.caption = s("人工审核"), .kind = FieldKind::Check, .column = s("实收保费人工审核"), .group = s("帐务"), .tab = covers},
        {.caption = s("利润："), .kind = FieldKind::Text, .column = s("利润"), .options = KeepOnClear, .group = s("帐务"), .tab = covers},
        {.caption = s("出单日期："), .kind = FieldKind::Date, .column = s("出单日期"), .options = KeepOnClear, .group = s("帐务"), .tab = covers},
        {.caption = s("备注："), .kind = FieldKind::Memo, .column = s("备注"), .tab = covers},
        {.caption = s("客户简称："), .kind = FieldKind::Text, .column = s("khjc"), .group = s("单位信息"), .tab = customer, .source = 1},
        {.caption = s("性别："), .kind = FieldKind::Combo, .column = s("xb"), .items = {QString(), s("男"), s("女")}, .options = ListOnly, .group = s("附加信息"), .tab = customer, .source = 1},
        {.caption = s("锁定客户(禁止删除)"), .kind = FieldKind::Check, .column = s("sdkh"), .group = s("附加信息"), .tab = customer, .source = 1},
        {.caption = s("生日："), .kind = FieldKind::Date, .column = s("sr"), .group = s("附加信息"), .tab = customer, .source = 1},
        {.caption = s("备注："), .kind = FieldKind::Memo, .column = s("bz"), .group = s("附加信息"), .tab = customer, .source = 1},
    };
}

// The motor fixture row: every declared column set, an empty date, a NULL amount.
const QVariantList kMotorRow = {
    s("代理"), s("企业车辆"), s("21700002203010600123"), s("西安某某有限公司"), s("139.15"), s("2019-06-01"),
    qint64(1500000000), QVariant(), s("2024-03-16"), s("1899-12-30"), qint64(35000000), s("12.5"),
    qint64(4375000), s("转账"), qint64(1), qint64(120), s("2024-03-15"), s("备注<b>文字</b>"),
};
const QStringList kMotorCols = {
    s("业务来源"), s("车辆种类"), s("保单号"), s("被保险人"), s("手机"), s("初登年月"), s("保险金额"),
    s("后排保险费"), s("保险起期"), s("保险止期"), s("保险费合计"), s("净保费比例"), s("净保费"),
    s("实收保费方式"), s("实收保费人工审核"), s("利润"), s("出单日期"), s("备注"),
};

struct Db {
    std::unique_ptr<Connection> conn = Connection::openMemory();
    Dataset motor{s("AdoChexian"), Statement(s("select * from 车险投保单"))};
    Dataset customers{s("ADOQuery1"), Statement(s("select * from khgx"))};

    Db()
    {
        createSchema(*conn);
        QStringList marks;
        for (qsizetype i = 0; i < kMotorCols.size(); ++i) marks << s("?");
        QStringList quoted;
        for (const auto &c : kMotorCols) quoted << quoteIdent(c);
        conn->exec(s("insert into 车险投保单 (%1) values (%2)").arg(quoted.join(u','), marks.join(u',')), kMotorRow);
        conn->exec(s("insert into khgx (khjc, xb, sdkh, sr, bz) values (?, ?, ?, ?, ?)"),
                   {s("某某公司"), s("女"), qint64(1), s("1980-02-29"), s("第一行\n第二行")});
        motor.setConnection(conn.get());
        customers.setConnection(conn.get());
        motor.open();
        customers.open();
    }

    QVariantList row(const QString &table, const QStringList &cols, qint64 id)
    {
        QStringList quoted;
        for (const auto &c : cols) quoted << quoteIdent(c);
        Query q(*conn, s("select %1 from %2 where id=?").arg(quoted.join(u','), quoteIdent(table)));
        q.bind(1, id);
        QVariantList out;
        if (q.step())
            for (int i = 0; i < q.columnCount(); ++i) out << q.value(i);
        return out;
    }
};

struct Form {
    FormBuilder builder{kMotorTable, sampleFields()};
    QWidget *form;
    Form()
    {
        builder.setSourceTable(1, s("khgx"));
        form = builder.build();
    }
    ~Form() { delete form; }
};

} // namespace

TEST(FormBuilder, BuildsCaptionsGroupsTabsAndLimits)
{
    Form f;
    QTabWidget *tabs = f.builder.tabWidget();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), s("被保险人信息"));
    EXPECT_EQ(tabs->tabText(2), s("客户信息"));
    QGroupBox *g = f.builder.group(s("被保险人资料"));
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isAncestorOf(f.builder.widget(s("被保险人"))));
    EXPECT_TRUE(f.builder.page(s("基本险信息"))->isAncestorOf(f.builder.widget(s("保险金额"))));
    EXPECT_EQ(f.builder.label(s("被保险人"))->text(), s("被保险人："));
    EXPECT_EQ(f.builder.label(s("被保险人"))->buddy(), f.builder.widget(s("被保险人")));
    EXPECT_EQ(f.builder.field<QCheckBox>(s("sdkh"))->text(), s("锁定客户(禁止删除)"));

    // Object names: the column; a repeated column gets its declared name.
    EXPECT_EQ(f.builder.widget(s("车辆种类"))->objectName(), s("车辆种类"));
    EXPECT_EQ(f.builder.widget(s("车辆种类2"))->objectName(), s("车辆种类2"));
    EXPECT_NE(f.builder.widget(s("车辆种类")), f.builder.widget(s("车辆种类2")));
    EXPECT_EQ(f.form->findChild<QWidget *>(s("label_保单号")), f.builder.label(s("保单号")));

    // Length limits: declared, else the text column's length; none for other types.
    EXPECT_EQ(f.builder.field<QLineEdit>(s("保单号"))->maxLength(), 20);
    EXPECT_EQ(f.builder.field<QLineEdit>(s("被保险人"))->maxLength(), 50);
    EXPECT_EQ(f.builder.field<QLineEdit>(s("手机"))->maxLength(), 11);
    EXPECT_EQ(f.builder.field<QLineEdit>(s("利润"))->maxLength(), 32767);
    EXPECT_EQ(f.builder.field<MemoEdit>(s("备注"))->maxLength(), 50);
    EXPECT_EQ(f.builder.field<MemoEdit>(s("bz"))->maxLength(), 0);

    // Kinds and options.
    EXPECT_TRUE(f.builder.field<ComboField>(s("车辆种类"))->isListOnly());
    EXPECT_FALSE(f.builder.field<ComboField>(s("业务来源"))->isListOnly());
    EXPECT_TRUE(f.builder.field<AmountEdit>(s("净保费"))->isReadOnly());
    EXPECT_EQ(f.builder.decl(s("保险止期"))->suffix, s("零时止"));
    EXPECT_NE(f.form->findChild<QLabel *>(s("suffix_净保费比例")), nullptr);
    EXPECT_EQ(FormBuilder::fieldName(*f.builder.decl(s("利润"))), s("利润"));
}

TEST(FormBuilder, LoadThenSaveCopiesTheRowExactly)
{
    Db db;
    Form f;
    QSignalSpy premium(f.builder.field<AmountEdit>(s("保险费合计")), &AmountEdit::valueChanged);
    QSignalSpy category(f.builder.field<ComboField>(s("车辆种类")), &ComboField::textChanged);
    f.builder.setListOnlyMode(false);  // modify mode: stored texts outside the lists show

    f.builder.load(db.motor);
    f.builder.load(db.customers, 1);
    EXPECT_EQ(premium.count(), 1);  // loading reacts as typing does
    EXPECT_GE(category.count(), 1);
    EXPECT_EQ(f.builder.field<QLineEdit>(s("保单号"))->text(), s("21700002203010600123"));
    EXPECT_EQ(f.builder.field<ComboField>(s("车辆种类2"))->text(), s("企业车辆"));
    EXPECT_EQ(f.builder.field<AmountEdit>(s("保险费合计"))->plainText(), s("3500"));
    EXPECT_EQ(f.builder.field<AmountEdit>(s("净保费"))->plainText(), s("437.5"));
    EXPECT_EQ(f.builder.field<QLineEdit>(s("保险金额"))->text(), s("150000"));
    EXPECT_TRUE(f.builder.field<DateEdit>(s("保险止期"))->isEmpty());
    EXPECT_EQ(f.builder.field<DateEdit>(s("sr"))->date(), QDate(1980, 2, 29));
    EXPECT_TRUE(f.builder.field<QCheckBox>(s("实收保费人工审核"))->isChecked());
    EXPECT_EQ(f.builder.fieldText(s("sdkh")), s("1"));
    EXPECT_EQ(f.builder.fieldText(s("保险止期")), QString());

    // Saved as a new row: every declared column equals the fixture's.
    db.motor.append();
    f.builder.save(db.motor);
    db.motor.post();
    const qint64 copyId = db.motor.value(s("id")).toLongLong();
    EXPECT_EQ(db.row(kMotorTable, kMotorCols, copyId), kMotorRow);

    // Saved over the row it came from: the row stays as it was.
    ASSERT_TRUE(db.motor.moveTo(0));
    const QVariantList before = db.row(kMotorTable, kMotorCols, 1);
    db.motor.edit();
    f.builder.save(db.motor);
    db.motor.post();
    EXPECT_EQ(db.row(kMotorTable, kMotorCols, 1), before);

    const QStringList custCols = {s("khjc"), s("xb"), s("sdkh"), s("sr"), s("bz")};
    const QVariantList custBefore = db.row(s("khgx"), custCols, 1);
    db.customers.edit();
    f.builder.save(db.customers, 1);
    db.customers.post();
    EXPECT_EQ(db.row(s("khgx"), custCols, 1), custBefore);
}

TEST(FormBuilder, ABadValueNamesTheCaptionAndWritesNothing)
{
    Db db;
    Form f;
    f.builder.setListOnlyMode(false);
    f.builder.load(db.motor);
    const QVariantList before = db.row(kMotorTable, kMotorCols, 1);

    struct Case { const char *column, *text, *name; };
    const Case cases[] = {
        {"利润", "12.5", "利润"},
        {"后排保险费", "两百", "后排保险费"},
        {"保险金额", "15万", "保险金额"},
    };
    for (const auto &c : cases) {
        f.builder.load(db.motor);
        db.motor.edit();
        f.builder.field<QLineEdit>(s("被保险人"))->setText(s("改过的名字"));
        f.builder.field<QLineEdit>(s(c.column))->setText(s(c.text));
        try {
            f.builder.save(db.motor);
            ADD_FAILURE() << "no error for " << c.column;
        } catch (const ValueError &e) {
            EXPECT_TRUE(e.message().startsWith(s(c.name) + s("："))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(s(c.text))) << e.message().toStdString();
        }
        // Nothing reached the edit buffer, so posting writes nothing either.
        EXPECT_EQ(db.motor.text(s("被保险人")), s("西安某某有限公司"));
        db.motor.post();
        EXPECT_EQ(db.row(kMotorTable, kMotorCols, 1), before) << c.column;
    }
}

TEST(FormBuilder, ClearEnableListModeAndLongStoredTexts)
{
    Db db;
    Form f;
    f.builder.setListOnlyMode(false);
    f.builder.load(db.motor);
    f.builder.load(db.customers, 1);

    f.builder.clear();
    EXPECT_EQ(f.builder.field<QLineEdit>(s("保单号"))->text(), QString());
    EXPECT_TRUE(f.builder.field<AmountEdit>(s("保险费合计"))->isEmpty());
    EXPECT_TRUE(f.builder.field<DateEdit>(s("初登年月"))->isEmpty());
    EXPECT_EQ(f.builder.field<ComboField>(s("实收保费方式"))->text(), QString());
    EXPECT_FALSE(f.builder.field<QCheckBox>(s("实收保费人工审核"))->isChecked());
    EXPECT_FALSE(f.builder.field<QCheckBox>(s("sdkh"))->isChecked());
    EXPECT_EQ(f.builder.field<MemoEdit>(s("bz"))->text(), QString());
    // Declared to keep their values.
    EXPECT_EQ(f.builder.field<QLineEdit>(s("利润"))->text(), s("120"));
    EXPECT_EQ(f.builder.field<DateEdit>(s("出单日期"))->date(), QDate(2024, 3, 15));

    f.builder.setInputsEnabled(false);
    for (const auto &d : f.builder.fields()) EXPECT_FALSE(f.builder.widget(d.objectName)->isEnabled()) << d.objectName.toStdString();
    f.builder.setInputsEnabled(true);
    for (const auto &d : f.builder.fields()) EXPECT_TRUE(f.builder.widget(d.objectName)->isEnabled()) << d.objectName.toStdString();

    f.builder.setListOnlyMode(true);
    EXPECT_TRUE(f.builder.field<ComboField>(s("xb"))->isListOnly());
    EXPECT_FALSE(f.builder.field<ComboField>(s("业务来源"))->isListOnly());
    f.builder.setListOnlyMode(false);
    EXPECT_FALSE(f.builder.field<ComboField>(s("xb"))->isListOnly());

    // A stored text longer than the field's limit is shown whole, not cut.
    const QString longNo = s("2170000220301060012345");
    db.motor.edit();
    db.motor.setText(s("保单号"), longNo);
    db.motor.post();
    f.builder.load(db.motor);
    EXPECT_EQ(f.builder.fieldText(s("保单号")), longNo);
    f.builder.clear();
    EXPECT_EQ(f.builder.field<QLineEdit>(s("保单号"))->maxLength(), 20);
}

TEST(FormBuilder, ChoicePairWritesBothColumns)
{
    auto conn = Connection::openMemory();
    createSchema(*conn);
    conn->exec(s("insert into 水险投保单 (发票已出, 发票未出) values (0, 1)"));
    Dataset ds(s("AdoShuixian"), Statement(s("select * from 水险投保单")));
    ds.setConnection(conn.get());
    ds.open();
    FormBuilder b(kMarineTable, {{.caption = s("发票："), .kind = FieldKind::Choice, .column = s("发票已出"),
                                  .items = {s("已出"), s("未出")}, .column2 = s("发票未出")}});
    std::unique_ptr<QWidget> form(b.build());
    auto *pair = b.field<ChoicePair>(s("发票已出"));
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->choice(), -1);  // neither at first
    b.load(ds);
    EXPECT_EQ(pair->choice(), 1);
    pair->button(0)->click();
    EXPECT_EQ(pair->choice(), 0);
    ds.edit();
    b.save(ds);
    ds.post();
    EXPECT_EQ(conn->scalar(s("select 发票已出 || ',' || 发票未出 from 水险投保单")).toString(), s("1,0"));
    b.clear();
    EXPECT_EQ(pair->choice(), -1);
}

TEST(FormBuilder, EnterChainFromDeclaredOrderCrossesTabs)
{
    Form f;
    f.builder.wireEnterChain({s("业务来源"), s("车辆种类"), s("保单号"), s("被保险人"), s("初登年月"), s("保险金额"), QString(),
                              s("保险费合计"), s("净保费比例")});
    f.form->show();
    f.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    QTabWidget *tabs = f.builder.tabWidget();

    QWidget *w = f.builder.widget(s("保单号"));
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_TRUE(f.builder.widget(s("被保险人"))->hasFocus());
    w = f.builder.widget(s("初登年月"));
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(tabs->currentWidget(), f.builder.page(s("基本险信息")));
    EXPECT_TRUE(f.builder.widget(s("保险金额"))->hasFocus());
    // After a break in the chain, and in a field left out of it: Enter stays.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(f.builder.widget(s("保险金额"))->hasFocus());
    w = f.builder.widget(s("备注"));
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_TRUE(w->hasFocus());
    EXPECT_EQ(f.builder.field<MemoEdit>(s("备注"))->text(), QString());  // no line break typed either

    // An unknown name is a programming error, reported at once.
    EXPECT_THROW(f.builder.wireEnterChain({s("保单号"), s("没有这个字段")}), std::invalid_argument);
}
