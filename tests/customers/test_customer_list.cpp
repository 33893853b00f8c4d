#include "session_fixture.h"
#include "datagrid.h"
#include "fields.h"
#include "frmaddkh.h"
#include "frmmykh.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tolvaris;
using namespace tolvaris::testing;

namespace {

class ListFixture : public SessionFixture {
public:
    ListFixture()
    {
        exec("insert into khlb (name) values ('VIP'), ('普通')");
        exec("insert into ywly (title, 用户) values ('电话', 'alice'), ('网络', 'bob'), ('上门', 'alice')");
        exec("insert into hylb (title, 用户) values ('制造业', 'bob'), ('IT', 'alice')");
        exec("insert into khgx (khjc, zlxr, hylb, khlb, xianzhong, khly, sr, sdkh, 用户) values "
             "('张三', '李四', '制造业', 'VIP', '非车险', '电话', '1980-05-06', 0, 'alice'),"
             "('O''Brien', '王_五', 'IT', '普通', '机动车辆保险', '网络', '', 1, 'alice'),"
             "('100%纯', '赵六', '制造', 'VIP', NULL, '电话营销', NULL, 0, 'alice'),"
             "('张x五', '王x五', '', '', '非车险', '上门', NULL, 0, 'alice'),"
             "('张三丰', '李四', '制造业', 'VIP', '非车险', '电话', NULL, 0, 'bob')");
        list = std::make_unique<TFrmMyKh>(ctx);
        list->show();
    }

    Dataset &customers() { return session.dm().ADOQuery1; }
    QString found() { return datasetColumn(customers(), "khjc"); }
    void type(const QString &objectName, const QString &text)
    {
        QWidget *w = list->findChild<QWidget *>(objectName);
        if (auto *e = qobject_cast<QLineEdit *>(w)) e->setText(text);
        else if (auto *c = qobject_cast<ComboField *>(w)) c->setEditText(text);
        else ADD_FAILURE() << "no search field " << objectName.toStdString();
    }
    void selectKhjc(const QString &khjc)
    {
        const int c = customers().columnIndex(QStringLiteral("khjc"));
        for (int r = 0; r < customers().recordCount(); ++r)
            if (customers().displayText(r, c) == khjc) customers().moveTo(r);
    }
    static QString items(const ComboField *c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out.join(QLatin1Char('|'));
    }

    std::unique_ptr<TFrmMyKh> list;
};

const char *kAllOfAlice = "张三|O'Brien|100%纯|张x五";

} // namespace

TEST(CustomerList, OpensOnTheUsersCustomersWithItsSelectors)
{
    ListFixture f;
    f.state.IsOrdinaryUser = false;  // the list is the user's own whatever his rights
    EXPECT_EQ(f.list->windowTitle(), u8("我的客户"));
    EXPECT_EQ(f.found(), u8(kAllOfAlice));
    EXPECT_EQ(ListFixture::items(f.list->cbKhlb), u8("VIP|普通"));
    EXPECT_EQ(ListFixture::items(f.list->cbHylb), u8("IT"));
    EXPECT_EQ(ListFixture::items(f.list->cbKhly), u8("电话|上门"));
    EXPECT_EQ(ListFixture::items(f.list->cbXianzhong), u8("非车险|机动车辆保险"));
    for (ComboField *c : {f.list->cbHylb, f.list->cbKhlb, f.list->cbXianzhong, f.list->cbKhly})
        EXPECT_EQ(c->text(), u8("(全部)"));
    const DatasetModel &m = *f.list->dxDBGrid1->gridModel();
    QStringList captions;
    for (int c = 0; c < m.columnCount(); ++c) captions << m.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              u8("序号|客户来源|保单号|险种|主联系人|客户简称|性别|生日|客户类别|公司名称|单位电话|单位地址|传真|网址|部门|"
                 "职务|称呼|手机|电子邮件|QQ/MSN|兴趣爱好|备注|成立时间|锁定客户|公司帐户|行业类别"));
}

TEST(CustomerList, SearchesFindWhatTheFieldContains)
{
    struct Case {
        const char *field, *text, *found;
    };
    const Case cases[] = {
        {"edtKhjc", "张", "张三|张x五"},
        {"edtKhjc", "'", "O'Brien"},
        {"edtKhjc", "%", "100%纯"},
        {"edtKhjc", "_", ""},
        {"edtZlxr", "王_", "O'Brien"},
        {"edtZlxr", "李四", "张三"},
        {"cbHylb", "制造", "张三|100%纯"},
        {"cbHylb", "", kAllOfAlice},
        {"cbXianzhong", "机动", "O'Brien"},
        {"cbKhly", "电话", "张三|100%纯"},
        {"cbKhly", "", kAllOfAlice},
        // The category search looks through every user's customers.
        {"cbKhlb", "VIP", "张三|100%纯|张三丰"},
        {"cbKhlb", "%", ""},
    };
    ListFixture f;
    for (const Case &k : cases) {
        SCOPED_TRACE(std::string(k.field) + " \"" + k.text + "\"");
        f.list->ShowAllClick();
        f.type(QString::fromLatin1(k.field), u8(k.text));
        EXPECT_EQ(f.found(), u8(k.found));
    }
    // Values are bound and "%", "_" escaped, never spliced.
    f.type(QStringLiteral("edtKhjc"), u8("a'%_"));
    EXPECT_EQ(f.customers().statement(),
              Statement(u8("select * from khgx where 用户=? and khjc like ? escape '\\'"),
                        {u8("alice"), u8("%a'\\%\\_%")}));
}

TEST(CustomerList, EmptiedFieldsAndShowAll)
{
    ListFixture f;
    // Keystrokes search as they come.
    QTest::keyClicks(f.list->edtKhjc, QStringLiteral("O'"));
    EXPECT_EQ(f.found(), u8("O'Brien"));
    // Emptying a name field leaves the last search in force.
    for (QLineEdit *e : {f.list->edtKhjc, f.list->edtZlxr}) {
        e->setText(u8("王"));
        const Statement searched = f.customers().statement();
        ASSERT_TRUE(searched.params.contains(u8("%王%")));
        e->clear();
        EXPECT_EQ(f.customers().statement(), searched);
    }
    f.list->edtKhjc->setText(u8("张"));
    f.list->edtKhjc->clear();
    EXPECT_EQ(f.found(), u8("张三|张x五"));

    // "显示所有客户" lists all of the user's customers; the fields keep their texts.
    f.list->cbKhlb->setEditText(u8("VIP"));
    f.list->edtZlxr->setText(u8("李"));
    f.list->btnShowAll->click();
    EXPECT_EQ(f.found(), u8(kAllOfAlice));
    EXPECT_EQ(f.list->cbKhlb->text(), u8("VIP"));
    EXPECT_EQ(f.list->edtZlxr->text(), u8("李"));

    // Leaving an emptied selector shows "(全部)" again without a search.
    f.list->cbKhly->setEditText(u8("电话"));
    f.list->cbKhly->setEditText(QString());
    EXPECT_EQ(f.found(), u8(kAllOfAlice));
    const Statement before = f.customers().statement();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f.list->cbKhly, &out);
    EXPECT_EQ(f.list->cbKhly->text(), u8("(全部)"));
    EXPECT_EQ(f.customers().statement(), before);
    // A selector with a text keeps it.
    QApplication::sendEvent(f.list->cbKhlb, &out);
    EXPECT_EQ(f.list->cbKhlb->text(), u8("VIP"));
}

TEST(CustomerList, NewCustomerIsListedAtOnce)
{
    ListFixture f;
    f.list->edtKhjc->setText(u8("张"));
    f.fake.modal.scripts.push_back([&](QDialog &d) {
        auto &ed = dynamic_cast<TFrmAddkh &>(d);
        EXPECT_EQ(f.state.EditMode, QStringLiteral("N"));
        static_cast<QLineEdit *>(ed.field(QStringLiteral("khjc")))->setText(u8("钱七"));
        static_cast<ComboField *>(ed.field(QStringLiteral("khly")))->setText(u8("上门"));
        ed.btnSave->click();
        return d.result();
    });
    f.list->btnNew->click();
    EXPECT_EQ(f.found(), u8("张三|张x五|钱七"));
    EXPECT_EQ(f.column("select 用户 from khgx where khjc='钱七'"), u8("alice"));
}

TEST(CustomerList, LockedCustomerIsRefusedUntilUnlocked)
{
    ListFixture f;
    f.selectKhjc(u8("O'Brien"));
    f.list->btnDelete->click();
    ASSERT_EQ(f.fake.messages.calls.size(), 1u);
    EXPECT_EQ(f.messages().last(),
              u8("删除提示|提示：您无法对已锁定的客户进行删除！\r\r            请先解除对此客户的锁定."));
    EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Information);
    EXPECT_EQ(f.found(), u8(kAllOfAlice));

    // Double-click modifies: the editor shows the row, "修改" then unlock and save.
    QString shown;
    f.fake.messages.answers = {true};
    f.fake.modal.scripts.push_back([&](QDialog &d) {
        auto &ed = dynamic_cast<TFrmAddkh &>(d);
        shown = static_cast<QLineEdit *>(ed.field(QStringLiteral("khjc")))->text() + u8("/")
            + static_cast<QLineEdit *>(ed.field(QStringLiteral("zlxr")))->text() + u8("/") + f.state.EditMode;
        ed.btnModify->click();
        static_cast<QCheckBox *>(ed.field(QStringLiteral("sdkh")))->setChecked(false);
        ed.btnSave->click();
        return d.result();
    });
    DataGrid *grid = f.list->dxDBGrid1;
    const int viewRow = grid->gridModel()->modelRow(f.customers().currentRow());
    const QRect cell = grid->visualRect(grid->gridModel()->index(viewRow, 5));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(shown, u8("O'Brien/王_五/M"));
    EXPECT_EQ(f.column("select sdkh from khgx where khjc='O''Brien'"), u8("0"));

    // Unlocked: asked first; Cancel keeps it, OK deletes it.
    f.fake.messages.answers = {false, true};
    f.list->btnDelete->click();
    EXPECT_EQ(f.messages().last(), u8("删除提示|您确认要删除该条客户记录吗？\r\r提示：该记录删除后将不可恢复"));
    EXPECT_EQ(f.fake.messages.calls.back().icon, QMessageBox::Question);
    EXPECT_EQ(f.column("select count(*) from khgx where khjc='O''Brien'"), u8("1"));
    f.list->btnDelete->click();
    EXPECT_EQ(f.column("select count(*) from khgx where khjc='O''Brien'"), u8("0"));
    EXPECT_EQ(f.found(), u8("张三|100%纯|张x五"));
}

TEST(CustomerList, EmptyListAndPopupMenu)
{
    ListFixture f;
    QStringList menu;
    for (QAction *a : f.list->PopupMenu1->actions()) menu << a->text();
    EXPECT_EQ(menu.join(QLatin1Char('|')), u8("新增客户信息|修改此客户信息|删除此客户信息||刷新||打印|导出Excel表"));

    f.list->edtKhjc->setText(u8("没有这个人"));
    ASSERT_EQ(f.customers().recordCount(), 0);
    for (const char *name : {"mnuModify", "mnuDelete"})
        f.list->PopupMenu1->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    f.list->btnModify->click();
    f.list->btnDelete->click();
    EXPECT_EQ(f.modalCount(), 0);
    EXPECT_TRUE(f.fake.log.empty());

    f.list->PopupMenu1->findChild<QAction *>(QStringLiteral("mnuExport"))->trigger();
    f.list->btnExport->click();
    EXPECT_EQ(f.messages(), QStringList(2, u8("信息|提示：数据为空，无法导出！")));
    EXPECT_EQ(f.fake.files.calls.size(), 0u);
}

TEST(CustomerList, ExportWritesTheGridToXlsx)
{
    ListFixture f;
    // Cancelled: nothing is written.
    f.fake.files.savePaths = {QString(), f.dir.filePath(QStringLiteral("kehu"))};
    f.list->btnExport->click();
    EXPECT_FALSE(QFileInfo::exists(f.dir.filePath(QStringLiteral("kehu.xlsx"))));

    f.list->btnExport->click();
    ASSERT_EQ(f.fake.files.calls.size(), 2u);
    const ServiceCall &c = f.fake.files.calls.back();
    EXPECT_EQ(c.filter, u8("Excel文件(*.xlsx)"));
    EXPECT_EQ(QFileInfo(c.proposedName).fileName(), u8("2024-03-15.xlsx"));
    EXPECT_EQ(c.defaultExtension, QStringLiteral("xlsx"));
    EXPECT_TRUE(f.fake.messages.calls.empty());

    const char *script = R"(
import datetime, json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = [[c.value.isoformat() if isinstance(c.value, (datetime.date, datetime.datetime)) else c.value
         for c in r] for r in ws.iter_rows()]
print(json.dumps(rows, ensure_ascii=False))
)";
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"), QString::fromUtf8(script), f.dir.filePath(QStringLiteral("kehu.xlsx"))});
    ASSERT_TRUE(py.waitForFinished(60000));
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(py.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), 5);  // captions and the four customers of alice
    const QJsonArray head = rows[0].toArray();
    EXPECT_EQ(head.size(), 26);
    EXPECT_EQ(head[0].toString(), u8("序号"));
    EXPECT_EQ(head[5].toString(), u8("客户简称"));
    EXPECT_EQ(head[23].toString(), u8("锁定客户"));
    const QJsonArray first = rows[1].toArray(), second = rows[2].toArray();
    EXPECT_EQ(first[0].toDouble(), 1.0);
    EXPECT_EQ(first[5].toString(), u8("张三"));
    EXPECT_TRUE(first[7].toString().startsWith(u8("1980-05-06"))) << first[7].toString().toStdString();
    EXPECT_EQ(second[5].toString(), u8("O'Brien"));
    EXPECT_EQ(second[23].toString(), u8("是"));
    EXPECT_EQ(first[23].toString(), u8("否"));
}
