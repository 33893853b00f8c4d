// Application state, the rights rule and the data module's shared datasets.
#include "appstate.h"
#include "database.h"
#include "datamodule.h"

#include <gtest/gtest.h>

using namespace tolvaris;

namespace {
QString s(const char *utf8) { return QString::fromUtf8(utf8); }
} // namespace

TEST(AppState, LoginDecidesOrdinaryUserAndRightsText)
{
    const AppState fresh;
    EXPECT_TRUE(fresh.IsOrdinaryUser);
    EXPECT_TRUE(fresh.CurrentUser.isEmpty() && fresh.RightsText.isEmpty() && fresh.EditMode.isEmpty());
    EXPECT_EQ(&appState(), &appState());

    struct Case { const char *quanxian; bool ordinary; const char *rights; };
    const Case cases[] = {
        {"0", true, "普通用户"}, {"1", false, "高级用户"}, {"2", false, "高级用户"},
        {"", false, "高级用户"}, {" 0", false, "高级用户"},
    };
    for (const auto &c : cases) {
        AppState st;
        st.logIn(s("张三"), s(c.quanxian));
        EXPECT_EQ(st.CurrentUser, s("张三"));
        EXPECT_EQ(st.IsOrdinaryUser, c.ordinary) << '"' << c.quanxian << '"';
        EXPECT_TRUE(st.RightsText.isEmpty());  // set when the main window shows
        st.updateRightsText();
        EXPECT_EQ(st.RightsText, s(c.rights)) << '"' << c.quanxian << '"';
    }
}

TEST(AppState, RightsRuleAddsTheBoundUserForOrdinaryUsersOnly)
{
    AppState ordinary, advanced;
    ordinary.logIn(s("O'Brien"), QStringLiteral("0"));
    advanced.logIn(s("老板"), QStringLiteral("1"));

    struct Case { const char *in; const char *ordinaryText; };
    const Case cases[] = {
        {"select * from ywly", "select * from ywly where 用户=?"},
        {"select * from 个贷投保单 where 2>1", "select * from 个贷投保单 where 2>1 and 用户=?"},
        {"Select * from rizhi WHERE leibie=?", "Select * from rizhi WHERE leibie=? and 用户=?"},
        // The user condition must bind to the whole condition and stay before the ordering.
        {"select * from khgx where khjc=? or gsmc=?", "select * from khgx where (khjc=? or gsmc=?) and 用户=?"},
        {"select * from rizhi order by riqi", "select * from rizhi where 用户=? order by riqi"},
    };
    for (const auto &c : cases) {
        QVariantList params;
        for (auto n = QString::fromUtf8(c.in).count(u'?'); n > 0; --n) params << s("类别");
        const Statement in(s(c.in), params);
        const Statement o = withRights(in, ordinary);
        EXPECT_EQ(o.text, s(c.ordinaryText));
        EXPECT_EQ(o.params, params + QVariantList{s("O'Brien")});
        EXPECT_EQ(withRights(in, advanced), in);
    }

    // Against a table: the ordinary user sees his own rows only.
    auto c = Connection::openMemory();
    createSchema(*c);
    for (const char *u : {"O'Brien", "老板", "O'Brien", "张三"})
        c->exec(QStringLiteral("insert into ywly (title, 用户) values ('t', ?)"), {s(u)});
    Dataset d(QStringLiteral("d"));
    d.setConnection(c.get());
    d.reopen(withRights(Statement("select * from ywly"), ordinary));
    EXPECT_EQ(d.recordCount(), 2);
    d.reopen(withRights(Statement("select * from ywly"), advanced));
    EXPECT_EQ(d.recordCount(), 4);
}

TEST(DataModule, OpensItsSevenDatasetsAndClosesThemOnReconnect)
{
    auto c = Connection::openMemory();
    createSchema(*c);
    TDataModule1 m;
    m.setConnection(c.get());
    m.openAll();

    struct Case { Dataset *d; const char *name; const char *design; const char *table; };
    const Case cases[] = {
        {&m.ADOQuery1, "ADOQuery1", "select * from khgx", "khgx"},
        {&m.AdoAdmin, "AdoAdmin", "select * from admin", "admin"},
        {&m.AdoAlert, "AdoAlert", "select * from alert", "alert"},
        {&m.AdoChexian, "AdoChexian", "select * from 车险投保单", "车险投保单"},
        {&m.AdoShuixian, "AdoShuixian", "select * from 水险投保单", "水险投保单"},
        {&m.AdoGedai, "AdoGedai", "select * from 个贷投保单", "个贷投保单"},
        {&m.ds, "ds", "select * from 个贷投保单", "个贷投保单"},
    };
    ASSERT_EQ(m.datasets().size(), std::size(cases));
    for (const auto &k : cases) {
        EXPECT_EQ(k.d->name(), s(k.name));
        EXPECT_EQ(k.d->statement().text, s(k.design)) << k.name;
        EXPECT_TRUE(k.d->isActive()) << k.name;
        EXPECT_EQ(k.d->connection(), c.get()) << k.name;
        ASSERT_EQ(k.d->table(), findTable(s(k.table))) << k.name;
        // Every column of the table, plus the row number.
        EXPECT_EQ(size_t(k.d->columnCount()), k.d->table()->columns.size()) << k.name;
        EXPECT_EQ(k.d->columnIndex(QStringLiteral("RecID")), Dataset::kRecId) << k.name;
    }

    // A window replaces a statement; the reconnect closes every dataset and
    // keeps the statements.
    m.ADOQuery1.reopen(Statement(QStringLiteral("select * from khgx where 用户=?"), {s("张三")}));
    auto other = Connection::openMemory();
    createSchema(*other);
    m.setConnection(other.get());
    for (const auto &k : cases) {
        EXPECT_FALSE(k.d->isActive()) << k.name;
        EXPECT_EQ(k.d->connection(), other.get()) << k.name;
    }
    EXPECT_EQ(m.ADOQuery1.statement().text, s("select * from khgx where 用户=?"));
    m.AdoAlert.open();
    EXPECT_TRUE(m.AdoAlert.isActive());
    m.closeAll();
    EXPECT_FALSE(m.AdoAlert.isActive());

    m.setConnection(nullptr);
    EXPECT_THROW(m.AdoAdmin.open(), DbError);
}
