#include "../customers/session_fixture.h"
#include "datagrid.h"
#include "formbuilder.h"
#include "refdata.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

using namespace tolvaris;
using namespace tolvaris::testing;

namespace {

// What each pair must say and run, written out independently of the table
// the windows are built from.
struct PairCase {
    RefKind kind;
    const char *table;
    const char *listClass, *listCaption, *titleCaption;
    const char *allSql;
    const char *addClass, *addCaption;
    const char *emptyName, *deleteQuestion;
    bool loadOnShow, startsEmptyRow;
};

const PairCase kPairs[] = {
    {RefKind::BusinessSource, "ywly", "TFrmYwLy", "业务来源数据维护", "业务来源", "Select * from ywly", "TFrmAddYWLY",
     "增加业务来源", "业务来源名称不能为空！", "您确认要删除该业务来源吗？", false, false},
    {RefKind::SubjectCategory, "bdlb", "TFrmBdlb", "标的类别数据维护", "标的名称", "select * from bdlb", "TFrmAddBDLB",
     "增加保险标的", "标的名称不能为空！", "您确认要删除该标的记录吗？", true, true},
    {RefKind::LoanBank, "dkyh", "TFrmDKYH", "贷款银行数据维护", "银行名称", "Select * from dkyh", "TFrmAddDKYH",
     "增加贷款银行", "银行名称不能为空！", "您确认要删除该贷款银行记录吗？", false, false},
    {RefKind::Industry, "hylb", "TFrmHYLB", "行业类别数据维护", "行业类别", "Select * from hylb", "TFrmAddhylb",
     "新增行业类别", "标的名称不能为空！", "您确认要删除该行业类别吗？", false, false},
};

class RefFixture : public SessionFixture {
public:
    explicit RefFixture(const PairCase &c) : k(c), table(u8(c.table))
    {
        for (const auto &[user, title, remark] : {std::tuple{"alice", "甲", "r1"}, {"bob", "乙", "r2"}, {"alice", "丙", ""}})
            db().exec(QStringLiteral("insert into %1 (title, beizhu, 用户) values (?, ?, ?)").arg(table),
                      {u8(title), u8(remark), u8(user)});
        list.reset(refPair(c.kind).makeList(ctx, nullptr));
        list->show();
    }

    QString titles() { return column(("select title from " + std::string(k.table) + " order by id").c_str()); }
    QString owners() { return column(("select 用户 from " + std::string(k.table) + " order by id").c_str()); }
    Dataset &query() { return list->ADOQuery1; }
    void selectTitle(const QString &title)
    {
        const int c = query().columnIndex(QStringLiteral("title"));
        for (int r = 0; r < query().recordCount(); ++r)
            if (query().displayText(r, c) == title) query().moveTo(r);
    }
    // The next add window: `also` sees it as opened, then the fields are
    // filled and "确定" clicked; the script returns the result it closed with.
    void scriptOk(const QString &name, const QString &remark, std::function<void(RefAddWindow &)> also = {})
    {
        fake.modal.scripts.push_back([=](QDialog &d) {
            auto &w = dynamic_cast<RefAddWindow &>(d);
            if (also) also(w);
            w.edtName->setText(name);
            w.memRemark->setText(remark);
            w.btnOk->click();
            return d.result();
        });
    }

    const PairCase &k;
    QString table;
    std::unique_ptr<RefListWindow> list;
};

} // namespace

TEST(RefData, FourPairsSayAndWriteWhatTheyShould)
{
    for (const PairCase &k : kPairs) {
        SCOPED_TRACE(k.table);
        RefFixture f(k);
        RefListWindow &list = *f.list;
        EXPECT_EQ(list.objectName(), u8(k.listClass));
        EXPECT_STREQ(list.metaObject()->className(), ("tolvaris::" + std::string(k.listClass)).c_str());
        EXPECT_EQ(list.windowTitle(), u8(k.listCaption));
        const DatasetModel &m = *list.dxDBGrid1->gridModel();
        EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString() + u8("|") + m.headerData(1, Qt::Horizontal).toString()
                      + u8("|") + m.headerData(2, Qt::Horizontal).toString(),
                  u8("序号|") + u8(k.titleCaption) + u8("|备注"));

        // An ordinary user sees his own entries only; an advanced user all.
        EXPECT_EQ(f.query().statement(), Statement(u8(k.allSql) + u8(" where 用户=?"), {u8("alice")}));
        EXPECT_EQ(datasetColumn(f.query(), "title"), u8("甲|丙"));
        f.state.IsOrdinaryUser = false;
        list.LoadList();
        EXPECT_EQ(f.query().statement(), Statement(u8(k.allSql)));
        EXPECT_EQ(datasetColumn(f.query(), "title"), u8("甲|乙|丙"));

        // An empty name is refused with the pair's message; nothing is written.
        f.scriptOk(QString(), u8("x"));
        list.AddClick();
        ASSERT_EQ(f.fake.modal.calls.size(), 1u);
        EXPECT_EQ(f.fake.modal.calls[0].title, u8(k.addCaption));
        EXPECT_EQ(f.fake.modal.calls[0].text, u8(k.addClass));
        EXPECT_EQ(f.fake.modal.calls[0].answer, QStringLiteral("0"));
        EXPECT_EQ(f.messages(), QStringList{u8("提示|") + u8(k.emptyName)});
        EXPECT_EQ(f.titles(), u8("甲|乙|丙"));

        // A mode the add window does not know writes nothing and keeps it open.
        f.scriptOk(u8("丁"), QString(), [&](RefAddWindow &) { f.state.EditMode = QStringLiteral("C"); });
        list.AddClick();
        EXPECT_EQ(f.fake.modal.calls.back().answer, QStringLiteral("0"));
        EXPECT_EQ(f.titles(), u8("甲|乙|丙"));

        // Adding writes through the list's query: the row shows at once, with
        // RecID 1, and carries the user's name.
        f.scriptOk(u8("戊"), u8("新的备注"));
        list.AddClick();
        EXPECT_EQ(f.fake.modal.calls.back().answer, QStringLiteral("1"));
        EXPECT_EQ(f.titles(), u8("甲|乙|丙|戊"));
        EXPECT_EQ(f.owners(), u8("alice|bob|alice|alice"));
        EXPECT_EQ(f.column(("select beizhu from " + std::string(k.table) + " where title='戊'").c_str()), u8("新的备注"));
        EXPECT_EQ(datasetColumn(f.query(), "title"), u8("甲|乙|丙|戊"));
        EXPECT_EQ(datasetColumn(f.query(), "RecID"), u8("1|2|3|1"));

        // Modifying bob's entry fills the add window from the row and keeps
        // the owner.
        f.selectTitle(u8("乙"));
        QString shown;
        f.scriptOk(u8("乙二"), u8("r2b"), [&](RefAddWindow &w) {
            shown = w.edtName->text() + u8("/") + w.memRemark->text() + u8("/") + f.state.EditMode;
        });
        list.ModifyClick();
        EXPECT_EQ(shown, u8("乙/r2/M"));
        EXPECT_EQ(f.titles(), u8("甲|乙二|丙|戊"));
        EXPECT_EQ(f.owners(), u8("alice|bob|alice|alice"));
        EXPECT_EQ(datasetColumn(f.query(), "title"), u8("甲|乙二|丙|戊"));

        // Deleting asks first; Cancel keeps the row.
        f.selectTitle(u8("丙"));
        f.fake.messages.answers = {false, true};
        list.DeleteClick();
        EXPECT_EQ(f.titles(), u8("甲|乙二|丙|戊"));
        list.DeleteClick();
        EXPECT_EQ(f.titles(), u8("甲|乙二|戊"));
        const auto shownMessages = f.messages();
        EXPECT_EQ(shownMessages.mid(1), QStringList(2, u8("删除提示|") + u8(k.deleteQuestion)));
        EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Question);

        // On an empty list "修改" and "删除" do nothing.
        f.state.IsOrdinaryUser = true;
        f.state.CurrentUser = QStringLiteral("carol");
        list.LoadList();
        ASSERT_EQ(f.query().recordCount(), 0);
        const size_t modals = f.fake.modal.calls.size(), messages = f.fake.messages.calls.size();
        list.ModifyClick();
        list.DeleteClick();
        EXPECT_EQ(f.fake.modal.calls.size(), modals);
        EXPECT_EQ(f.fake.messages.calls.size(), messages);
    }
}

// The two points in which the pairs differ: when the list loads, and whether
// "增加" first starts an empty row in the list.
TEST(RefData, LoadingAndTheEmptyStartedRow)
{
    for (const PairCase &k : kPairs) {
        SCOPED_TRACE(k.table);
        RefFixture f(k);
        RefListWindow &list = *f.list;
        ASSERT_EQ(f.query().recordCount(), 2);
        f.db().exec(QStringLiteral("insert into %1 (title, 用户) values ('己', 'alice')").arg(f.table));
        list.hide();
        list.show();
        EXPECT_EQ(datasetColumn(f.query(), "title"), k.loadOnShow ? u8("甲|丙|己") : u8("甲|丙"));

        // Cancelled add: what the list holds while the add window is up and after.
        int rowsWhileOpen = -1;
        f.fake.modal.scripts.push_back([&](QDialog &) {
            rowsWhileOpen = f.query().recordCount();
            return int(QDialog::Rejected);
        });
        const int before = f.query().recordCount();
        list.AddClick();
        EXPECT_EQ(rowsWhileOpen, before + (k.startsEmptyRow ? 1 : 0));
        EXPECT_EQ(f.query().state() == Dataset::State::Insert, k.startsEmptyRow);
        // Moving to another row leaves no empty entry behind.
        f.query().moveTo(0);
        EXPECT_EQ(f.titles(), u8("甲|乙|丙|己"));

        // Saving writes exactly the entered entry, never an empty one.
        list.AddClick();  // rejected by the fake: the started row stays pending
        f.scriptOk(u8("庚"), QString());
        list.AddClick();
        EXPECT_EQ(f.titles(), u8("甲|乙|丙|己|庚"));
        EXPECT_EQ(f.query().recordCount(), before + 1);
        EXPECT_EQ(f.query().state(), Dataset::State::Browse);
    }
}

TEST(RefData, OpenReferenceWindowRunsTheListModally)
{
    RefFixture f(kPairs[3]);
    openReferenceWindow(f.ctx, nullptr, RefKind::LoanBank);
    ASSERT_EQ(f.fake.modal.calls.size(), 1u);
    EXPECT_EQ(f.fake.modal.calls[0].text, QStringLiteral("TFrmDKYH"));
    EXPECT_EQ(f.fake.modal.calls[0].title, u8("贷款银行数据维护"));
    // The add window reaches the list that is open now (the industry list of
    // the fixture), never a closed one.
    EXPECT_EQ(RefListWindow::current(RefKind::LoanBank), nullptr);
    EXPECT_EQ(RefListWindow::current(RefKind::Industry), f.list.get());
}
