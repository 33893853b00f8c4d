#include "session_fixture.h"
#include "formbuilder.h"
#include "frmaddkh.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tolvaris;
using namespace tolvaris::testing;

namespace {

// Lists filled by two users: the editor offers every user's entries.
class EditorFixture : public SessionFixture {
public:
    EditorFixture()
    {
        exec("insert into khlb (name) values ('VIP'), ('普通')");
        exec("insert into ywly (title, 用户) values ('电话', 'alice'), ('网络', 'bob'), ('上门', 'alice')");
        exec("insert into hylb (title, 用户) values ('制造业', 'bob'), ('IT', 'alice')");
    }

    std::unique_ptr<TFrmAddkh> open(const char *mode)
    {
        state.EditMode = QString::fromLatin1(mode);
        auto e = std::make_unique<TFrmAddkh>(ctx);
        editor = e.get();
        return e;
    }

    QLineEdit *edit(const char *c) const { return editor->form()->field<QLineEdit>(QString::fromLatin1(c)); }
    ComboField *combo(const char *c) const { return editor->form()->field<ComboField>(QString::fromLatin1(c)); }
    DateEdit *date(const char *c) const { return editor->form()->field<DateEdit>(QString::fromLatin1(c)); }
    QCheckBox *check(const char *c) const { return editor->form()->field<QCheckBox>(QString::fromLatin1(c)); }

    static QString items(const ComboField *c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out.join(QLatin1Char('|'));
    }
    bool allInputsEnabled(bool on) const
    {
        for (const FieldDecl &d : editor->form()->fields())
            if (editor->field(d.column)->isEnabled() != on) return false;
        return true;
    }
    QString buttons() const
    {
        QString s;
        for (QPushButton *b : {editor->btnSaveNew, editor->btnSave, editor->btnModify, editor->btnExit})
            s += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }
    QString rows(const char *cols) { return column((std::string("select ") + cols + " from khgx order by ID").c_str()); }

    TFrmAddkh *editor = nullptr;
};

const char *kWriteOrder = "khjc|gsmc|dwdz|dwdh|cz|wz|zlxr|bm|zw|ch|sj|dzyj|qq|sr|xqah|xb|sdkh|clsj|gszh|bz|khlb|khly|hylb";

} // namespace

TEST(CustomerEditor, NewCustomerSaveAndSaveAndNew)
{
    EditorFixture f;
    f.session.dm().ADOQuery1.reopen(Statement(QStringLiteral("select * from khgx where 用户=?"), {u8("alice")}));
    auto ed = f.open("N");
    ed->show();

    QStringList order;
    for (const FieldDecl &d : ed->form()->fields()) order << d.column;
    EXPECT_EQ(order.join(QLatin1Char('|')), QString::fromLatin1(kWriteOrder));
    EXPECT_EQ(ed->windowTitle(), u8("新增客户"));
    EXPECT_EQ(f.buttons(), u8("1101"));
    EXPECT_TRUE(f.allInputsEnabled(true));
    // Every user's entries, list-only; the sex selector with its empty entry.
    EXPECT_EQ(EditorFixture::items(f.combo("khlb")), u8("VIP|普通"));
    EXPECT_EQ(EditorFixture::items(f.combo("khly")), u8("电话|网络|上门"));
    EXPECT_EQ(EditorFixture::items(f.combo("hylb")), u8("制造业|IT"));
    EXPECT_EQ(EditorFixture::items(f.combo("xb")), u8("|男|女"));
    for (const char *c : {"khlb", "khly", "hylb", "xb"}) EXPECT_TRUE(f.combo(c)->isListOnly()) << c;
    EXPECT_EQ(f.combo("khly")->text(), QString());
    EXPECT_EQ(f.date("sr")->dateText(), u8("2024-03-15"));
    EXPECT_EQ(f.date("clsj")->dateText(), u8("2024-03-15"));
    EXPECT_EQ(f.edit("khjc")->maxLength(), 50);
    EXPECT_EQ(f.edit("dzyj")->maxLength(), 50);
    EXPECT_EQ(f.edit("sj")->maxLength(), 11);

    // No source: refused, nothing written.
    f.edit("khjc")->setText(u8("张三"));
    ed->btnSaveClick();
    EXPECT_EQ(f.messages(), QStringList{u8("提示|提示：客户来源不能为空！")});
    EXPECT_EQ(f.rows("count(*)"), u8("0"));
    EXPECT_NE(ed->result(), int(QDialog::Accepted));

    // "保存并新添": written without a message, then empty except the sex.
    f.edit("gsmc")->setText(u8("张氏公司"));
    f.edit("sj")->setText(u8("13912345678"));
    f.combo("xb")->setText(u8("男"));
    f.check("sdkh")->setChecked(true);
    f.editor->form()->field<MemoEdit>(QStringLiteral("bz"))->setText(u8("第一行\n第二行"));
    f.combo("khlb")->setText(u8("VIP"));
    f.combo("khly")->setText(u8("网络"));
    f.combo("hylb")->setText(u8("IT"));
    ed->btnSaveNewClick();
    EXPECT_EQ(f.messages().size(), 1);
    EXPECT_EQ(f.rows("khjc||'/'||gsmc||'/'||sj||'/'||xb||'/'||sdkh||'/'||sr||'/'||clsj||'/'||bz||'/'||khlb||'/'||khly||'/'"
                     "||hylb||'/'||用户"),
              u8("张三/张氏公司/13912345678/男/1/2024-03-15/2024-03-15/第一行\n第二行/VIP/网络/IT/alice"));
    EXPECT_EQ(f.edit("khjc")->text(), QString());
    EXPECT_EQ(f.edit("sj")->text(), QString());
    EXPECT_TRUE(f.date("sr")->isEmpty());
    EXPECT_TRUE(f.date("clsj")->isEmpty());
    EXPECT_FALSE(f.check("sdkh")->isChecked());
    EXPECT_EQ(f.combo("khly")->text(), QString());
    EXPECT_EQ(f.combo("khlb")->text(), QString());
    EXPECT_EQ(f.combo("xb")->text(), u8("男"));
    EXPECT_NE(ed->result(), int(QDialog::Accepted));

    // "保存": written with the notice, the window closes; both rows are in
    // the shared dataset at once.
    f.edit("khjc")->setText(u8("李四"));
    f.combo("khly")->setText(u8("上门"));
    ed->btnSaveClick();
    EXPECT_EQ(f.messages().last(), u8("提示|您输入的资料已成功添加"));
    EXPECT_EQ(ed->result(), int(QDialog::Accepted));
    EXPECT_EQ(f.rows("khjc||'/'||xb||'/'||sr||'/'||khly||'/'||用户"), u8("张三/男/2024-03-15/网络/alice|李四/男//上门/alice"));
    EXPECT_EQ(datasetColumn(f.session.dm().ADOQuery1, "khjc"), u8("张三|李四"));

    // A mode the editor does not know writes nothing.
    auto other = f.open("C");
    f.edit("khjc")->setText(u8("王五"));
    f.combo("khly")->setText(u8("电话"));
    other->btnSaveClick();
    other->btnSaveNewClick();
    EXPECT_EQ(f.rows("count(*)"), u8("2"));
}

TEST(CustomerEditor, ModifyShowsAndKeepsStoredValues)
{
    EditorFixture f;
    // Category, source, industry and sex outside the lists; a founding date
    // that is not a date.
    f.exec("insert into khgx (khjc, gsmc, khlb, khly, hylb, xb, sr, clsj, sdkh, bz, 用户) values "
           "('张三', '旧公司', '旧类别', '旧来源', '旧行业', '未知', '1980-05-06', '2001/2/3', 1, 'x', 'alice')");
    Dataset &q = f.session.dm().ADOQuery1;
    q.reopen(Statement(QStringLiteral("select * from khgx where 用户=?"), {u8("alice")}));
    q.edit();
    auto ed = f.open("M");
    ed->fillFrom(q);

    EXPECT_EQ(f.buttons(), u8("0011"));
    EXPECT_TRUE(f.allInputsEnabled(false));
    EXPECT_EQ(f.combo("khlb")->text(), u8("旧类别"));
    EXPECT_EQ(f.combo("khly")->text(), u8("旧来源"));
    EXPECT_EQ(f.combo("hylb")->text(), u8("旧行业"));
    EXPECT_EQ(f.combo("xb")->text(), u8("未知"));
    EXPECT_EQ(f.date("sr")->dateText(), u8("1980-05-06"));
    EXPECT_TRUE(f.check("sdkh")->isChecked());

    ed->btnModifyClick();
    EXPECT_EQ(f.buttons(), u8("0101"));
    EXPECT_TRUE(f.allInputsEnabled(true));
    EXPECT_EQ(f.combo("khlb")->maxTextLength(), 50);
    f.edit("gsmc")->setText(u8("新公司"));

    // Cancelling the confirmation keeps the window and writes nothing.
    f.fake.messages.answers = {false, true};
    ed->btnSaveClick();
    EXPECT_EQ(f.messages(), QStringList{u8("编辑保存提示|您确认要保存编辑后的数据吗？")});
    EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Question);
    EXPECT_NE(ed->result(), int(QDialog::Accepted));
    EXPECT_EQ(f.rows("gsmc"), u8("旧公司"));

    // OK: the changed field is written, everything else as it was, and the
    // owner is not rewritten.
    f.state.CurrentUser = QStringLiteral("bob");
    ed->btnSaveClick();
    EXPECT_EQ(ed->result(), int(QDialog::Accepted));
    EXPECT_EQ(f.rows("khjc||'/'||gsmc||'/'||khlb||'/'||khly||'/'||hylb||'/'||xb||'/'||sr||'/'||clsj||'/'||sdkh||'/'||用户"),
              u8("张三/新公司/旧类别/旧来源/旧行业/未知/1980-05-06/2001/2/3/1/alice"));
    EXPECT_EQ(q.state(), Dataset::State::Browse);
    EXPECT_EQ(datasetColumn(q, "gsmc"), u8("新公司"));
}

TEST(CustomerEditor, PhoneKeyFilter)
{
    EditorFixture f;
    auto ed = f.open("N");
    QLineEdit *sj = f.edit("sj");
    QTest::keyClicks(sj, QStringLiteral("13a9.1.5"));
    EXPECT_EQ(sj->text(), u8("139.15"));
    QTest::keyClicks(sj, QStringLiteral("x12345678"));
    EXPECT_EQ(sj->text(), u8("139.1512345"));
}

TEST(CustomerEditor, OpenNewCustomerRunsTheEditorForANewRow)
{
    EditorFixture f;
    f.state.EditMode = QStringLiteral("M");
    bool saveEnabled = false;
    f.fake.modal.scripts.push_back([&](QDialog &d) {
        saveEnabled = dynamic_cast<TFrmAddkh &>(d).btnSave->isEnabled();
        return int(QDialog::Rejected);
    });
    openNewCustomer(f.ctx, nullptr);
    EXPECT_EQ(f.state.EditMode, QStringLiteral("N"));
    ASSERT_EQ(f.modalCount(), 1);
    EXPECT_EQ(f.fake.modal.calls[0].text, QStringLiteral("TFrmAddkh"));
    EXPECT_TRUE(saveEnabled);
}
