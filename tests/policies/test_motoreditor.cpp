#include "accountstab.h"
#include "fakeservices.h"
#include "formbuilder.h"
#include "frmchexianbaodan.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

// A 20-digit policy number ending in n.
QString number(int n) { return s("21700002203010600") + QString::number(n).rightJustified(3, u'0'); }

using Row = QVariantMap;

// A database file, a logged-in advanced user and fake services.
class MotorFixture : public ::testing::Test {
protected:
    MotorFixture() : session(dir.filePath(QStringLiteral("data.dat")))
    {
        createDatabase(session.path(), {s("张三"), s("x"), true});
        session.open();
        db().exec(s("insert into ywly (title, 用户) values ('直销', '张三'), ('代理', '李四')"));
        state.CurrentUser = s("张三");
        state.IsOrdinaryUser = false;
        ctx = Context{fake.services(), &session, &state};
    }

    Connection &db() { return session.connection(); }
    Dataset &policies() { return session.dm().AdoChexian; }
    Dataset &customers() { return session.dm().ADOQuery1; }

    std::unique_ptr<TFrmCheXianBaodan> openNew()
    {
        state.EditMode = s("N");
        auto e = std::make_unique<TFrmCheXianBaodan>(ctx);
        e->show();
        return e;
    }

    // The policy list's way: AdoChexian on the row, in edit state, "M", load.
    std::unique_ptr<TFrmCheXianBaodan> openOn(int row)
    {
        if (!policies().isActive()) policies().open();
        policies().moveTo(row);
        policies().edit();
        state.EditMode = s("M");
        auto e = std::make_unique<TFrmCheXianBaodan>(ctx);
        e->load();
        e->show();
        return e;
    }

    // A stored policy with its companion customer row, as a new-policy save leaves them.
    qint64 storePolicy(const QString &no, const QString &contact, bool cancelled = false)
    {
        db().exec(s("insert into khgx (baodanhao, xianzhong, khly, zlxr, 用户) values (?, '机动车辆保险', '直销', ?, '李四')"),
                  {no, contact});
        db().exec(s("insert into 车险投保单 (险种, 业务来源, 车辆种类, 保单号, 被保险人, 联系人, 行驶区域, 保险起期, 保险止期,"
                    " 审核, 用户, 注销, Flag) values ('机动车辆保险', '直销', '个人车辆', ?, ?, ?, '北京境内', '2024-01-01',"
                    " '2025-01-01', '未审核', '李四', ?, ?)"),
                  {no, s("被保险人") + no.right(3), contact, cancelled ? 1 : 0, cancelled ? 1 : 0});
        return db().lastInsertId();
    }

    QList<Row> rows(const QString &sql, const QVariantList &params = {})
    {
        Query q(db(), sql);
        q.bindAll(params);
        QList<Row> out;
        while (q.step()) {
            Row r;
            for (int c = 0; c < q.columnCount(); ++c) r.insert(q.columnName(c), q.value(c));
            out << r;
        }
        return out;
    }
    int count(const QString &table) { return db().scalar(s("select count(*) from ") + quoteIdent(table)).toInt(); }

    template <class T> static T *f(TFrmCheXianBaodan &e, const char *key) { return e.form().field<T>(s(key)); }
    static QPushButton *button(TFrmCheXianBaodan &e, const char *name)
    {
        return e.findChild<QPushButton *>(QString::fromLatin1(name));
    }

    // Every required field filled and a valid cover period.
    void fillValid(TFrmCheXianBaodan &e, const QString &no)
    {
        f<ComboField>(e, "业务来源")->setText(s("直销"));
        f<ComboField>(e, "车辆种类")->setText(s("个人车辆"));
        f<QLineEdit>(e, "保单号")->setText(no);
        f<QLineEdit>(e, "被保险人")->setText(s("王五"));
        f<QLineEdit>(e, "联系人")->setText(s("王小五"));
        f<DateEdit>(e, "保险止期")->setDate(fake.clock.today().addYears(1));
    }

    // Every message as title|text.
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : fake.messages.messages()) out << m.title + u'|' + m.text;
        return out;
    }

    static bool hasFocus(TFrmCheXianBaodan &e, QWidget *w)
    {
        QWidget *fw = e.focusWidget();
        return fw && (fw == w || w->isAncestorOf(fw));
    }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
};

const char *const kSaveTitle = "保存提示";

} // namespace

// ------------------------------------------------------------- checks

TEST_F(MotorFixture, RequiredFieldsInEachSavesOrder)
{
    enum Kind { SaveNew, SaveAndNew, SaveModify };
    struct Case {
        Kind kind;
        std::vector<const char *> emptied;
        const char *message;
        const char *focused;
    };
    const char *source = "提示：业务来源不能为空！", *car = "提示：车辆种类不能为空！",
               *no = "提示：保单号不能为空！", *contact = "提示：联系人姓名不能为空！",
               *insured = "提示：被保险人不能为空！";
    const std::vector<const char *> all = {"业务来源", "车辆种类", "保单号", "联系人", "被保险人"};
    const Case cases[] = {
        {SaveNew, all, source, "业务来源"},
        {SaveNew, {"车辆种类", "保单号", "联系人", "被保险人"}, car, "车辆种类"},
        {SaveNew, {"保单号", "联系人", "被保险人"}, no, "保单号"},
        {SaveNew, {"联系人", "被保险人"}, contact, "联系人"},  // the contact first here
        {SaveNew, {"被保险人"}, insured, "被保险人"},
        {SaveAndNew, all, source, "业务来源"},
        {SaveAndNew, {"保单号", "联系人", "被保险人"}, no, "保单号"},
        {SaveAndNew, {"联系人", "被保险人"}, insured, "被保险人"},
        {SaveAndNew, {"联系人"}, contact, "联系人"},
        {SaveModify, all, source, "业务来源"},
        {SaveModify, {"车辆种类", "联系人", "被保险人"}, car, "车辆种类"},
        {SaveModify, {"联系人", "被保险人"}, insured, "被保险人"},
        {SaveModify, {"联系人"}, contact, "联系人"},
    };
    storePolicy(number(1), s("赵六"));
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.message) + " / kind " + std::to_string(c.kind));
        fake.messages.calls.clear();
        std::unique_ptr<TFrmCheXianBaodan> e;
        if (c.kind == SaveModify) {
            e = openOn(0);
            button(*e, "btnModify")->click();
        } else {
            e = openNew();
            fillValid(*e, number(2));
        }
        e->tabs()->setCurrentIndex(2);
        for (const char *key : c.emptied) {
            if (auto *combo = f<ComboField>(*e, key)) combo->clearText();
            else f<QLineEdit>(*e, key)->clear();
        }
        const Row before = rows(s("select * from 车险投保单")).first();
        button(*e, c.kind == SaveAndNew ? "btnSaveNew" : "btnSave")->click();

        EXPECT_EQ(messages(), QStringList{s(kSaveTitle) + u'|' + s(c.message)});
        EXPECT_EQ(fake.messages.last()->icon, QMessageBox::Information);
        EXPECT_EQ(e->tabs()->currentIndex(), 0);
        EXPECT_TRUE(hasFocus(*e, e->form().widget(s(c.focused))));
        EXPECT_TRUE(e->isVisible());
        EXPECT_EQ(count(kMotorTable), 1);
        EXPECT_EQ(rows(s("select * from 车险投保单")).first(), before);
        EXPECT_EQ(count(s("khgx")), 1);
    }
}

TEST_F(MotorFixture, CoverPeriodMustRunForward)
{
    const QDate today = fake.clock.today();
    struct Case {
        const char *what;
        QDate start, end;
        const char *message;  // nullptr: the save goes through
    };
    const Case cases[] = {
        {"both today (the defaults)", today, today, "提示：保险起期不能等于保险止期！"},
        {"end before start", today, today.addDays(-1), "提示：保险起期不能大于保险止期！"},
        {"end empty (the zero date)", today, {}, "提示：保险起期不能大于保险止期！"},
        {"both empty", {}, {}, "提示：保险起期不能等于保险止期！"},
        {"start empty", {}, today, nullptr},
        {"one day", today, today.addDays(1), nullptr},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fake.messages.calls.clear();
        auto e = openNew();
        fillValid(*e, number(++n));
        f<DateEdit>(*e, "保险起期")->setDate(c.start);
        f<DateEdit>(*e, "保险止期")->setDate(c.end);
        const int before = count(kMotorTable);
        button(*e, "btnSave")->click();
        if (c.message) {
            EXPECT_EQ(messages(), QStringList{s(kSaveTitle) + u'|' + s(c.message)});
            EXPECT_EQ(e->tabs()->currentWidget(), e->form().page(s("基本险信息")));
            EXPECT_TRUE(hasFocus(*e, f<DateEdit>(*e, "保险起期")));
            EXPECT_EQ(count(kMotorTable), before);
        } else {
            EXPECT_EQ(count(kMotorTable), before + 1);
            EXPECT_EQ(e->result(), QDialog::Accepted);
        }
    }
}

TEST_F(MotorFixture, PolicyNumberTakesTwentyDigitsAndOnePoint)
{
    auto e = openNew();
    QLineEdit *no = f<QLineEdit>(*e, "保单号");
    QTest::keyClicks(no, QStringLiteral("12a3.4.5-6 "));
    EXPECT_EQ(no->text(), QStringLiteral("123.456"));
    no->clear();
    QTest::keyClicks(no, QStringLiteral("123456789012345678901"));
    EXPECT_EQ(no->text(), QStringLiteral("12345678901234567890"));

    // Nineteen characters are refused before anything is looked up.
    fillValid(*e, number(7).left(19));
    e->tabs()->setCurrentIndex(1);
    button(*e, "btnSave")->click();
    EXPECT_EQ(messages(), QStringList{s("提示|提示：您输入的保单号位数不符！")});
    EXPECT_EQ(e->tabs()->currentIndex(), 0);
    EXPECT_TRUE(hasFocus(*e, no));
    EXPECT_EQ(count(kMotorTable), 0);

    // The phone field: digits and one point, eleven characters.
    QLineEdit *phone = f<QLineEdit>(*e, "手机");
    QTest::keyClicks(phone, QStringLiteral("139-1234.5678.90"));
    EXPECT_EQ(phone->text(), QStringLiteral("1391234.567"));
}

TEST_F(MotorFixture, DownArrowPutsTheOfficePrefix)
{
    auto e = openNew();
    QLineEdit *no = f<QLineEdit>(*e, "保单号");
    no->setText(QStringLiteral("999"));
    QTest::keyClick(no, Qt::Key_Down);
    EXPECT_EQ(no->text(), QStringLiteral("21700002203010600"));
    EXPECT_EQ(no->cursorPosition(), 17);
    QTest::keyClicks(no, QStringLiteral("0423"));
    EXPECT_EQ(no->text(), QStringLiteral("21700002203010600042"));
}

TEST_F(MotorFixture, DuplicateNumbersRefusedExceptTheRowsOwn)
{
    storePolicy(number(1), s("甲"));
    storePolicy(number(2), s("乙"));

    // New mode: an existing number.
    {
        auto e = openNew();
        fillValid(*e, number(2));
        button(*e, "btnSave")->click();
        EXPECT_EQ(messages(), QStringList{s("提示|您输入的保单号在数据库中已存在！\r\r请检查后重新输入")});
        EXPECT_EQ(count(kMotorTable), 2);
        EXPECT_EQ(count(s("khgx")), 2);
        EXPECT_TRUE(e->isVisible());
        EXPECT_TRUE(hasFocus(*e, f<QLineEdit>(*e, "保单号")));
    }
    // Modify mode: another row's number is refused, its own is accepted.
    fake.messages.calls.clear();
    auto e = openOn(0);
    button(*e, "btnModify")->click();
    f<QLineEdit>(*e, "保单号")->setText(number(2));
    button(*e, "btnSave")->click();
    EXPECT_EQ(messages(), QStringList{s("提示|您输入的保单号在数据库中已存在！\r\r请检查后重新修改")});
    EXPECT_TRUE(e->isVisible());

    fake.messages.calls.clear();
    f<QLineEdit>(*e, "保单号")->setText(number(1));
    button(*e, "btnSave")->click();
    EXPECT_EQ(messages(), QStringList{s("编辑保存提示|您确认要保存编辑后的数据吗？")});
    EXPECT_EQ(fake.messages.last()->icon, QMessageBox::Question);
    EXPECT_EQ(e->result(), QDialog::Accepted);
    EXPECT_FALSE(e->isVisible());
}

// ------------------------------------------------------------- writes

TEST_F(MotorFixture, NewPolicyWritesPolicyAndCustomerRow)
{
    auto e = openNew();
    state.AuditState = s("已审核");  // stale: the save derives its own
    fillValid(*e, number(5));
    f<QLineEdit>(*e, "行驶证车主")->setText(s("王五之妻"));
    f<ComboField>(*e, "证件类型")->setText(s("护照"));
    f<QLineEdit>(*e, "三责保险费")->setText(s("1200.5"));
    f<QLineEdit>(*e, "后排保险费")->setText(s("350"));
    f<ComboField>(*e, "赔偿限额")->setText(s("15万元"));  // typed: new mode takes typed text here
    e->accounts()->premium()->setValue(Money::fromWhole(3000));
    e->accounts()->profit()->setText(s("88"));
    button(*e, "btnSave")->click();

    EXPECT_EQ(messages(), QStringList{s("提示|友情提示：\r您输入的投保单信息已成功添加！")});
    EXPECT_EQ(e->result(), QDialog::Accepted);
    const QList<Row> pol = rows(s("select * from 车险投保单"));
    ASSERT_EQ(pol.size(), 1);
    const Row &p = pol.first();
    EXPECT_EQ(p[s("险种")], s("机动车辆保险"));
    EXPECT_EQ(p[s("用户")], s("张三"));
    EXPECT_EQ(p[s("审核")], s("未审核"));
    EXPECT_EQ(state.AuditState, s("未审核"));
    EXPECT_EQ(p[s("保单号")], number(5));
    EXPECT_EQ(p[s("行驶证车主")], s("王五之妻"));
    EXPECT_EQ(p[s("证件类型")], s("护照"));
    EXPECT_EQ(p[s("赔偿限额")], s("15万元"));
    EXPECT_EQ(p[s("三责保险费")].toLongLong(), 12005000);
    EXPECT_EQ(p[s("后排保险费")].toLongLong(), 350);
    EXPECT_TRUE(p[s("车损保险费")].isNull());  // empty amounts are NULL
    EXPECT_EQ(p[s("保险费合计")].toLongLong(), 30000000);
    EXPECT_EQ(p[s("利润")].toLongLong(), 88);
    EXPECT_EQ(p[s("出单日期")], s("2024-03-15"));
    EXPECT_EQ(p[s("初登年月")], s("2024-03-15"));
    EXPECT_EQ(p[s("实收保费日期")], s("1899-12-30"));
    EXPECT_EQ(p[s("Flag")].toInt(), 0);
    EXPECT_EQ(p[s("注销")].toInt(), 0);

    const QList<Row> cus = rows(s("select * from khgx"));
    ASSERT_EQ(cus.size(), 1);
    EXPECT_EQ(cus[0][s("zlxr")], s("王小五"));
    EXPECT_EQ(cus[0][s("xianzhong")], s("机动车辆保险"));
    EXPECT_EQ(cus[0][s("khly")], s("直销"));
    EXPECT_EQ(cus[0][s("baodanhao")], number(5));
    EXPECT_EQ(cus[0][s("用户")], s("张三"));

    // The shared datasets show both rows without a reload.
    EXPECT_EQ(policies().recordCount(), 1);
    EXPECT_EQ(policies().text(s("保单号")), number(5));
    EXPECT_EQ(customers().recordCount(), 1);
    EXPECT_EQ(policies().state(), Dataset::State::Browse);
}

TEST_F(MotorFixture, FailedSecondWriteLeavesNeitherRow)
{
    // The customer row is written first, the policy second: a failure of
    // either write must leave both tables and both datasets as they were.
    const char *triggers[] = {
        "create temp trigger fail after insert on 车险投保单 begin select raise(abort, '磁盘已满'); end",
        "create temp trigger fail before insert on khgx begin select raise(abort, '磁盘已满'); end",
    };
    storePolicy(number(1), s("甲"));
    policies().open();
    customers().open();
    for (const char *trigger : triggers) {
        SCOPED_TRACE(trigger);
        fake.messages.calls.clear();
        db().exec(s(trigger));
        auto e = openNew();
        fillValid(*e, number(9));
        button(*e, "btnSave")->click();

        ASSERT_EQ(fake.messages.calls.size(), 1u);
        EXPECT_EQ(fake.messages.last()->kind, ServiceCall::Kind::Error);
        EXPECT_TRUE(fake.messages.last()->text.contains(s("磁盘已满")));
        EXPECT_TRUE(e->isVisible());
        EXPECT_EQ(count(kMotorTable), 1);
        EXPECT_EQ(count(s("khgx")), 1);
        for (Dataset *d : {&policies(), &customers()}) {
            EXPECT_EQ(d->recordCount(), 1) << d->name().toStdString();
            EXPECT_EQ(d->state(), Dataset::State::Browse) << d->name().toStdString();
        }

        // Once the fault is gone the same editor saves both rows.
        db().exec(s("drop trigger fail"));
        fake.messages.calls.clear();
        button(*e, "btnSave")->click();
        EXPECT_EQ(messages(), QStringList{s("提示|友情提示：\r您输入的投保单信息已成功添加！")});
        EXPECT_EQ(count(kMotorTable), 2);
        EXPECT_EQ(count(s("khgx")), 2);
        EXPECT_EQ(policies().recordCount(), 2);
        EXPECT_EQ(customers().recordCount(), 2);
        db().exec(s("delete from 车险投保单 where 保单号=?"), {number(9)});
        db().exec(s("delete from khgx where baodanhao=?"), {number(9)});
        policies().reopen(policies().statement());
        customers().reopen(customers().statement());
    }
}

TEST_F(MotorFixture, UnstorableNumbersRefusedBeforeAnyWrite)
{
    struct Case {
        const char *key;  // column of a form field, or 利润
        const char *typed;
        const char *message;
        const char *tab;
    };
    const Case cases[] = {
        {"三责保险费", "一千", "第三者责任险—保险费：“一千”不是有效的金额，无法保存。", "基本险信息"},
        {"后排保险费", "350.5", "车上人员责任险—保险费（后排）：“350.5”不是整数，无法保存。", "基本险信息"},
        {"新车购置价", "12万", "车辆损失险—新车购置价：“12万”不是有效的金额，无法保存。", "基本险信息"},
        {"利润", "12.5", "利润：“12.5”不是整数，无法保存。", "帐务"},
    };
    storePolicy(number(1), s("甲"));
    policies().open();
    for (bool modify : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.key) + (modify ? " modify" : " new"));
            fake.messages.calls.clear();
            auto e = modify ? openOn(0) : openNew();
            if (modify) button(*e, "btnModify")->click();
            else fillValid(*e, number(3));
            QLineEdit *field = s(c.key) == s("利润") ? e->accounts()->profit() : f<QLineEdit>(*e, c.key);
            field->setText(s(c.typed));
            const QList<Row> before = rows(s("select * from 车险投保单"));
            button(*e, "btnSave")->click();

            QStringList expected;
            if (modify) expected << s("编辑保存提示|您确认要保存编辑后的数据吗？");
            expected << s(kSaveTitle) + u'|' + s(c.message);
            EXPECT_EQ(messages(), expected);
            EXPECT_EQ(e->tabs()->tabText(e->tabs()->currentIndex()), s(c.tab));
            EXPECT_TRUE(hasFocus(*e, field));
            EXPECT_EQ(rows(s("select * from 车险投保单")), before);
            EXPECT_EQ(count(s("khgx")), 1);
            EXPECT_EQ(policies().recordCount(), 1);
            // The row being modified keeps its edit state with its stored values.
            EXPECT_EQ(policies().state(), modify ? Dataset::State::Edit : Dataset::State::Browse);
            EXPECT_EQ(policies().text(s("联系人")), s("甲"));
        }
    }
}

TEST_F(MotorFixture, ModifySaveUpdatesThePolicyAndOnlyItsCustomerRow)
{
    storePolicy(number(1), s("甲"));
    storePolicy(number(2), s("乙"));
    // Rows that must not change: another kind's row and an older motor row
    // of the same number (a policy deleted and entered again).
    db().exec(s("insert into khgx (baodanhao, xianzhong, zlxr, khly) values (?, '非车险', '丙', '代理')"), {number(1)});
    db().exec(s("insert into khgx (khjc, zlxr) values ('散客', '丁')"));
    const qint64 olderId = db().scalar(s("select min(ID) from khgx where baodanhao=?"), {number(1)}).toLongLong();
    db().exec(s("insert into khgx (baodanhao, xianzhong, zlxr, khly) values (?, '机动车辆保险', '甲', '直销')"), {number(1)});
    const qint64 companion = db().lastInsertId();
    const QList<Row> customersBefore = rows(s("select * from khgx where ID<>? order by ID"), {companion});

    auto e = openOn(0);
    // Cancel first: nothing changes and the editor stays in modify mode.
    fake.messages.answers = {false, true};
    button(*e, "btnModify")->click();
    f<QLineEdit>(*e, "联系人")->setText(s("甲二"));
    f<ComboField>(*e, "业务来源")->setText(s("代理"));
    f<QLineEdit>(*e, "保单号")->setText(number(11));
    f<ComboField>(*e, "车辆种类")->setText(s("个人车辆"));
    const Row policyBefore = rows(s("select * from 车险投保单 where 保单号=?"), {number(1)}).first();
    button(*e, "btnSave")->click();
    EXPECT_TRUE(e->isVisible());
    EXPECT_TRUE(button(*e, "btnSave")->isEnabled());
    EXPECT_EQ(rows(s("select * from 车险投保单 where 保单号=?"), {number(1)}).first(), policyBefore);

    button(*e, "btnSave")->click();
    EXPECT_EQ(e->result(), QDialog::Accepted);
    EXPECT_EQ(messages().size(), 2);  // the two confirmations, no other message

    const Row p = rows(s("select * from 车险投保单 where id=?"), {policyBefore[s("id")]}).first();
    EXPECT_EQ(p[s("保单号")], number(11));
    EXPECT_EQ(p[s("联系人")], s("甲二"));
    EXPECT_EQ(p[s("用户")], s("张三"));
    EXPECT_EQ(p[s("行驶区域")], s("北京境内"));  // a stored value outside the list is kept
    const Row c = rows(s("select * from khgx where ID=?"), {companion}).first();
    EXPECT_EQ(c[s("zlxr")], s("甲二"));
    EXPECT_EQ(c[s("khly")], s("代理"));
    EXPECT_EQ(c[s("baodanhao")], number(11));
    EXPECT_EQ(rows(s("select * from khgx where ID<>? order by ID"), {companion}), customersBefore);
    EXPECT_EQ(rows(s("select zlxr from khgx where ID=?"), {olderId}).first()[s("zlxr")], s("甲"));
    // The list's dataset shows the change.
    EXPECT_EQ(policies().state(), Dataset::State::Browse);
    EXPECT_EQ(policies().text(s("联系人")), s("甲二"));
}

TEST_F(MotorFixture, ModifySaveWithoutEditsRewritesTheSameRow)
{
    // A policy saved by the editor, loaded and saved again unchanged: load
    // and save agree on every column.
    {
        auto e = openNew();
        fillValid(*e, number(4));
        f<ComboField>(*e, "车辆种类")->setText(s("企业车辆"));
        f<ComboField>(*e, "证件类型")->setText(s("税务登记证"));
        f<QLineEdit>(*e, "行驶证车主")->setText(s("某公司"));
        f<ComboField>(*e, "使用性质")->setText(s("营业"));
        f<QLineEdit>(*e, "盗抢保额")->setText(s("80000.25"));
        f<ComboField>(*e, "不计免赔")->setText(s("B"));
        e->accounts()->premium()->setValue(Money::fromWhole(1000));
        e->accounts()->ratio(0)->setText(s("80"));
        e->accounts()->row(0).amount->setValue(Money::fromWhole(1000));
        e->accounts()->row(0).way->setText(s("转账"));
        e->accounts()->row(0).manual->setChecked(true);
        button(*e, "btnSave")->click();
        ASSERT_EQ(e->result(), QDialog::Accepted);
    }
    const Row before = rows(s("select * from 车险投保单")).first();
    fake.messages.calls.clear();
    auto e = openOn(0);
    EXPECT_EQ(f<ComboField>(*e, "车辆种类2")->text(), s("企业车辆"));
    EXPECT_EQ(f<QLineEdit>(*e, "行驶证车主")->text(), s("某公司"));
    button(*e, "btnModify")->click();
    button(*e, "btnSave")->click();
    ASSERT_EQ(e->result(), QDialog::Accepted);
    EXPECT_EQ(rows(s("select * from 车险投保单")).first(), before);
}

TEST_F(MotorFixture, SaveAndNewClearsAndStaysNew)
{
    auto e = openNew();
    fillValid(*e, number(1));
    f<QLineEdit>(*e, "座位")->setText(s("5"));
    f<ComboField>(*e, "不计免赔")->setText(s("A"));
    f<QLineEdit>(*e, "车损保险费")->setText(s("900"));
    e->accounts()->issueDate()->setDate(QDate(2024, 3, 1));
    e->accounts()->profit()->setText(s("66"));
    e->accounts()->premium()->setValue(Money::fromWhole(500));
    e->accounts()->row(0).amount->setValue(Money::fromWhole(500));
    ASSERT_TRUE(e->accounts()->row(0).automatic->isChecked());
    e->tabs()->setCurrentIndex(2);
    button(*e, "btnSaveNew")->click();

    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(e->isVisible());
    EXPECT_TRUE(e->isNewMode());
    EXPECT_EQ(count(kMotorTable), 1);
    EXPECT_EQ(count(s("khgx")), 1);
    for (const char *key : {"业务来源", "车辆种类", "保单号", "被保险人", "联系人", "座位", "不计免赔", "车损保险费",
                            "初登年月", "保险起期", "保险止期"})
        EXPECT_TRUE(e->form().fieldText(s(key)).isEmpty()) << key;
    EXPECT_TRUE(e->accounts()->premium()->isEmpty());
    EXPECT_TRUE(e->accounts()->row(0).amount->isEmpty());
    EXPECT_FALSE(e->accounts()->row(0).automatic->isChecked());
    EXPECT_EQ(e->accounts()->issueDate()->date(), QDate(2024, 3, 1));
    EXPECT_EQ(e->accounts()->profit()->text(), s("66"));
    EXPECT_EQ(e->tabs()->currentIndex(), 0);
    EXPECT_TRUE(hasFocus(*e, f<ComboField>(*e, "业务来源")));

    // The next policy goes in as a new row of its own.
    fillValid(*e, number(2));
    button(*e, "btnSaveNew")->click();
    EXPECT_EQ(count(kMotorTable), 2);
    EXPECT_EQ(count(s("khgx")), 2);
    EXPECT_EQ(rows(s("select 出单日期 from 车险投保单 where 保单号=?"), {number(2)}).first()[s("出单日期")],
              s("2024-03-01"));
}

// ------------------------------------------------------------- viewing

TEST_F(MotorFixture, StepsThroughRowsAndStopsAtBothEnds)
{
    for (int i = 1; i <= 3; ++i) storePolicy(number(i), s("联系人%1").arg(i));
    auto e = openOn(0);
    QPushButton *prior = button(*e, "btnPrior"), *next = button(*e, "btnNext");
    auto shown = [&] { return f<QLineEdit>(*e, "保单号")->text(); };
    EXPECT_TRUE(prior->isEnabled());
    EXPECT_TRUE(next->isEnabled());

    prior->click();  // already the first row
    EXPECT_FALSE(prior->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(shown(), number(1));

    next->click();
    EXPECT_TRUE(prior->isEnabled());
    EXPECT_EQ(shown(), number(2));
    EXPECT_EQ(f<QLineEdit>(*e, "联系人")->text(), s("联系人2"));
    next->click();
    EXPECT_EQ(shown(), number(3));
    EXPECT_TRUE(next->isEnabled());
    next->click();  // already the last row
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(shown(), number(3));

    prior->click();
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(shown(), number(2));
    EXPECT_EQ(policies().currentRow(), 1);
    // Viewing writes nothing.
    EXPECT_EQ(rows(s("select count(*) n from 车险投保单 where 用户='李四'")).first()[s("n")].toInt(), 3);
}

TEST_F(MotorFixture, ModesSetInputsButtonsAndDropDowns)
{
    storePolicy(number(1), s("甲"));
    const char *listOnlyInNew[] = {"车辆种类", "证件类型", "使用性质", "所属性质", "车辆种类2", "行驶区域", "防盗装置", "不计免赔"};
    const char *typedInNew[] = {"业务来源", "赔偿限额", "赔付比例", "车上赔偿限额", "前排座位", "后排座位",
                                "车身赔偿限额", "玻璃类别"};
    auto enabled = [&](TFrmCheXianBaodan &e) {
        std::string on;
        for (const char *b : {"btnPrior", "btnNext", "btnSaveNew", "btnSave", "btnModify", "btnExit"})
            if (button(e, b)->isEnabled()) on += std::string(on.empty() ? "" : " ") + b;
        return on;
    };
    {
        auto e = openNew();
        EXPECT_EQ(state.PolicyKind, s("机动车辆保险"));
        EXPECT_EQ(enabled(*e), "btnSaveNew btnSave btnExit");
        for (const char *k : listOnlyInNew) EXPECT_TRUE(f<ComboField>(*e, k)->isListOnly()) << k;
        for (const char *k : typedInNew) EXPECT_FALSE(f<ComboField>(*e, k)->isListOnly()) << k;
        EXPECT_TRUE(e->accounts()->row(0).way->isListOnly());
        EXPECT_TRUE(f<ComboField>(*e, "不计免赔")->isEnabled());
        EXPECT_TRUE(hasFocus(*e, f<ComboField>(*e, "业务来源")));
        EXPECT_EQ(f<ComboField>(*e, "业务来源")->count(), 2);  // an advanced user's list: every source
        EXPECT_EQ(f<DateEdit>(*e, "保险起期")->date(), fake.clock.today());
        EXPECT_EQ(e->accounts()->issueDate()->date(), fake.clock.today());
    }
    {
        auto e = openOn(0);
        EXPECT_EQ(enabled(*e), "btnPrior btnNext btnModify btnExit");
        for (const char *k : listOnlyInNew) EXPECT_FALSE(f<ComboField>(*e, k)->isListOnly()) << k;
        EXPECT_FALSE(e->accounts()->row(0).way->isListOnly());
        EXPECT_FALSE(f<QLineEdit>(*e, "被保险人")->isEnabled());
        EXPECT_FALSE(e->accounts()->premium()->isEnabled());
        EXPECT_EQ(f<ComboField>(*e, "行驶区域")->text(), s("北京境内"));
        EXPECT_FALSE(e->cancelledBanner()->isVisible());

        button(*e, "btnModify")->click();
        EXPECT_EQ(state.EditMode, s("M"));
        EXPECT_EQ(enabled(*e), "btnSave btnExit");
        EXPECT_TRUE(f<QLineEdit>(*e, "被保险人")->isEnabled());
        EXPECT_TRUE(e->accounts()->premium()->isEnabled());
        EXPECT_FALSE(f<ComboField>(*e, "车辆种类")->isListOnly());
        EXPECT_TRUE(hasFocus(*e, f<QLineEdit>(*e, "保单号")));
    }
    // An ordinary user's source list holds only his own sources.
    state.IsOrdinaryUser = true;
    auto e = openNew();
    EXPECT_EQ(f<ComboField>(*e, "业务来源")->count(), 1);
    EXPECT_EQ(f<ComboField>(*e, "业务来源")->itemText(0), s("直销"));
}

TEST_F(MotorFixture, CancelledPolicyOpensReadOnlyWithBanner)
{
    storePolicy(number(1), s("甲"), true);
    auto e = openOn(0);
    EXPECT_TRUE(e->cancelledBanner()->isVisible());
    EXPECT_EQ(e->cancelledBanner()->text(), s("此保单已注销"));
    EXPECT_FALSE(e->tabs()->isEnabled());
    for (const char *b : {"btnPrior", "btnNext", "btnSaveNew", "btnSave", "btnModify"})
        EXPECT_FALSE(button(*e, b)->isEnabled()) << b;
    EXPECT_TRUE(button(*e, "btnExit")->isEnabled());
    EXPECT_EQ(f<QLineEdit>(*e, "保单号")->text(), number(1));
    button(*e, "btnExit")->click();
    EXPECT_EQ(e->result(), QDialog::Rejected);
    EXPECT_FALSE(e->isVisible());

    // Stepping from a live policy onto a cancelled one marks it too, and it
    // cannot be modified.
    storePolicy(number(2), s("乙"));
    policies().reopen(Statement(s("select * from 车险投保单 order by 保单号 desc")));
    auto v = openOn(0);
    EXPECT_FALSE(v->cancelledBanner()->isVisible());
    button(*v, "btnNext")->click();
    EXPECT_EQ(f<QLineEdit>(*v, "保单号")->text(), number(1));
    EXPECT_TRUE(v->cancelledBanner()->isVisible());
    EXPECT_FALSE(button(*v, "btnModify")->isEnabled());
    button(*v, "btnPrior")->click();
    EXPECT_FALSE(v->cancelledBanner()->isVisible());
    EXPECT_TRUE(button(*v, "btnModify")->isEnabled());
}

// ------------------------------------------------------------- reactions

TEST_F(MotorFixture, VehicleCategorySetsDocumentKinds)
{
    auto e = openNew();
    ComboField *car = f<ComboField>(*e, "车辆种类"), *doc = f<ComboField>(*e, "证件类型");
    auto items = [doc] {
        QStringList out;
        for (int i = 0; i < doc->count(); ++i) out << doc->itemText(i);
        return out;
    };
    EXPECT_TRUE(items().isEmpty());
    car->setText(s("企业车辆"));
    EXPECT_EQ(items(), QStringList({QString(), s("组织机构代码证"), s("税务登记证"), s("其他")}));
    doc->setText(s("税务登记证"));
    car->setText(s("个人车辆"));
    EXPECT_EQ(items(), QStringList({QString(), s("居民身份证"), s("护照"), s("军人证"), s("港澳通行证及台胞证"), s("其他")}));
    EXPECT_EQ(doc->currentIndex(), 0);  // the empty entry
    doc->setText(s("护照"));

    // Any key in the business source empties the category, and only it.
    QTest::keyClick(f<ComboField>(*e, "业务来源")->lineEdit(), Qt::Key_Z);
    EXPECT_EQ(car->text(), QString());
    EXPECT_EQ(items().size(), 6);
    EXPECT_EQ(doc->text(), s("护照"));
    EXPECT_EQ(f<ComboField>(*e, "业务来源")->text(), s("z"));

    car->setText(s("个人车辆"));
    car->clearText();
    EXPECT_TRUE(items().isEmpty());
}

TEST_F(MotorFixture, InsuredIsCopiedToLicenceOwner)
{
    auto e = openNew();
    QLineEdit *insured = f<QLineEdit>(*e, "被保险人"), *owner = f<QLineEdit>(*e, "行驶证车主");
    owner->setText(s("旧车主"));
    QTest::keyClicks(insured, QStringLiteral("Li"));
    EXPECT_EQ(owner->text(), QStringLiteral("Li"));
    insured->setText(s("西安某某公司"));
    EXPECT_EQ(owner->text(), s("西安某某公司"));
    // Every text field takes at most its column's 50 characters.
    QTest::keyClicks(insured, QString(60, u'x'));
    EXPECT_EQ(insured->text().size(), 50);
    EXPECT_EQ(f<QLineEdit>(*e, "通讯地址")->maxLength(), 50);
}

TEST_F(MotorFixture, EnterWalksTheChainAcrossTabs)
{
    auto e = openNew();
    QApplication::setActiveWindow(e.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(e.get()));
    const QStringList firstTabs = {
        s("业务来源"), s("车辆种类"), s("保单号"), s("被保险人"), s("行驶证车主"), s("证件类型"), s("证件号码"),
        s("联系人"), s("电话总机"), s("手机"), s("通讯地址"), s("牌照号码"), s("厂牌车型"), s("发动机号"),
        s("车架号"), s("使用性质"), s("所属性质"), s("车辆种类2"), s("行驶区域"), s("防盗装置"), s("初登年月"),
        s("座位"), s("吨位"), s("新车购置价"), s("保险金额"), s("车损保险费"), s("赔偿限额"), s("三责保险费"),
        s("赔付比例"), s("盗抢保额"), s("盗抢保险费"), s("车上赔偿限额"), s("驾驶员"), s("前排座位"),
        s("前排保险费"), s("后排座位"), s("后排保险费"), s("车身赔偿限额"), s("车身保险费"), s("玻璃类别"),
        s("玻璃保险费"), s("自燃保险费"), s("无过错保险费"), s("不计免赔"), s("保险起期"), s("保险止期"),
    };
    QList<QWidget *> expected;
    for (const QString &k : firstTabs) expected << e->form().widget(k);
    expected << e->accounts()->enterOrder() << button(*e, "btnSave");
    ASSERT_EQ(expected.size(), 46 + 2 + 8 + 30 + 1);

    QList<QWidget *> walked;
    QList<int> tabs;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget *fw = QApplication::focusWidget();
        QWidget *owner = nullptr;
        for (QWidget *w : expected)
            if (fw && (fw == w || w->isAncestorOf(fw))) owner = w;
        walked << owner;
        tabs << e->tabs()->currentIndex();
        if (fw) QTest::keyClick(fw, Qt::Key_Return);
    }
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(tabs.mid(0, 23), QList<int>(23, 0));
    EXPECT_EQ(tabs.mid(23, 23), QList<int>(23, 1));
    EXPECT_EQ(tabs.mid(46), QList<int>(expected.size() - 46, 2));
    // Enter on the focused "保存" saves (here: the first check refuses).
    EXPECT_EQ(messages(), QStringList{s("保存提示|提示：业务来源不能为空！")});
}

// ------------------------------------------------------------- callers

TEST_F(MotorFixture, CallersOpenNewAndModifyThroughTheModalRunner)
{
    state.EditMode = s("M");  // stale: the new-policy command sets "N" itself
    fake.modal.scripts.push_back([this](QDialog &d) {
        auto &e = static_cast<TFrmCheXianBaodan &>(d);
        EXPECT_TRUE(e.isNewMode());
        fillValid(e, number(8));
        button(e, "btnSave")->click();
        return d.result();
    });
    openMotorPolicyNew(ctx, nullptr);
    ASSERT_EQ(fake.modal.calls.size(), 1u);
    EXPECT_EQ(fake.modal.calls[0].title, s("机动车辆保险投保单"));
    EXPECT_EQ(fake.modal.calls[0].answer, QString::number(QDialog::Accepted));
    EXPECT_EQ(count(kMotorTable), 1);
    EXPECT_EQ(state.EditMode, s("N"));

    fake.modal.scripts.push_back([this](QDialog &d) {
        auto &e = static_cast<TFrmCheXianBaodan &>(d);
        EXPECT_FALSE(e.isNewMode());
        EXPECT_EQ(f<QLineEdit>(e, "保单号")->text(), number(8));
        EXPECT_EQ(policies().state(), Dataset::State::Edit);
        return int(QDialog::Rejected);
    });
    openMotorPolicyModify(ctx, nullptr);
    EXPECT_EQ(state.EditMode, s("M"));
    EXPECT_EQ(fake.modal.calls.size(), 2u);
}
