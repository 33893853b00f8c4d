#include "frmaddkh.h"

#include "dataset.h"
#include "formbuilder.h"
#include "lookup.h"
#include "values.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

namespace tolvaris {

namespace {

const QString kTitle = QStringLiteral("提示");
const QString kSourceColumn = QStringLiteral("khly");
const QString kShortNameColumn = QStringLiteral("khjc");
const QString kRemarkColumn = QStringLiteral("bz");
const QString kFoundedColumn = QStringLiteral("clsj");
const QString kPage = QStringLiteral("客户基本信息");

// The fields in the order their columns are written.
std::vector<FieldDecl> customerFields()
{
    const QString unit = QStringLiteral("单位信息");
    const QString contact = QStringLiteral("主联系人");
    const QString extra = QStringLiteral("附加信息");
    const QString kinds = QStringLiteral("重要程序分类");
    auto text = [&](const char *caption, const char *column, const QString &group, const char *row = "") {
        return FieldDecl{.caption = QString::fromUtf8(caption), .column = QString::fromUtf8(column),
                         .group = group, .tab = kPage, .row = QString::fromUtf8(row)};
    };
    auto typed = [&](FieldDecl d, FieldKind k) {
        d.kind = k;
        return d;
    };
    auto selector = [&](const char *caption, const char *column) {
        FieldDecl d = text(caption, column, kinds);
        d.kind = FieldKind::Combo;
        d.options = FieldOption::ListOnly;
        return d;
    };
    FieldDecl sex = selector("性别：", "xb");
    sex.group = extra;
    sex.row = QStringLiteral("xb");
    sex.items = {QString(), QStringLiteral("男"), QStringLiteral("女")};
    sex.options |= FieldOption::KeepOnClear;
    FieldDecl locked = typed(text("锁定客户(禁止删除)", "sdkh", extra, "xb"), FieldKind::Check);
    return {
        text("客户简称：", "khjc", unit),
        text("公司名称：", "gsmc", unit),
        text("单位地址：", "dwdz", unit),
        text("单位电话：", "dwdh", unit),
        text("传真：", "cz", unit),
        text("网址：", "wz", unit),
        text("主联系人：", "zlxr", contact),
        text("部门：", "bm", contact, "bm"),
        text("职务：", "zw", contact, "bm"),
        text("称呼：", "ch", contact, "ch"),
        typed(text("手机：", "sj", contact, "ch"), FieldKind::Phone),
        text("电子邮件：", "dzyj", contact, "dzyj"),
        text("QQ/MSN：", "qq", contact, "dzyj"),
        typed(text("生日：", "sr", contact), FieldKind::Date),
        text("兴趣爱好：", "xqah", contact),
        sex,
        locked,
        typed(text("成立时间：", "clsj", extra), FieldKind::Date),
        text("公司帐户：", "gszh", extra),
        typed(text("备注：", "bz", extra), FieldKind::Memo),
        selector("客户类别：", "khlb"),
        selector("来源：", "khly"),
        selector("行业类别：", "hylb"),
    };
}

QPushButton *button(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFrmAddkh::TFrmAddkh(const Context &ctx, QWidget *parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmAddkh"));
    setWindowTitle(QStringLiteral("新增客户"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    form_ = new FormBuilder(QStringLiteral("khgx"), customerFields(), this);
    form_->setGroupColumns(2);
    QWidget *tabs = form_->build(this);
    form_->wireEnterChain();
    // The remark keeps Enter for its line breaks.
    form_->enterChain()->remove(field(kRemarkColumn));

    btnHelp = button(this, QStringLiteral("btnHelp"), QStringLiteral("帮助(&H)"));
    btnSaveNew = button(this, QStringLiteral("btnSaveNew"), QStringLiteral("保存并新添"));
    btnSave = button(this, QStringLiteral("btnSave"), QStringLiteral("保存"));
    btnModify = button(this, QStringLiteral("btnModify"), QStringLiteral("修改"));
    btnExit = button(this, QStringLiteral("btnExit"), QStringLiteral("退出"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch();
    for (QPushButton *b : {btnSaveNew, btnSave, btnModify, btnExit}) buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSaveNew, &QPushButton::clicked, this, &TFrmAddkh::btnSaveNewClick);
    connect(btnSave, &QPushButton::clicked, this, &TFrmAddkh::btnSaveClick);
    connect(btnModify, &QPushButton::clicked, this, &TFrmAddkh::btnModifyClick);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);

    // Creation.
    const QDate today = ctx_.clock().today();
    for (const char *c : {"sr", "clsj"}) form_->field<DateEdit>(QString::fromLatin1(c))->setDate(today);
    fillSelectors();
    const QString mode = ctx_.state->EditMode;
    if (mode == QLatin1String("M")) {
        jinyong();
        btnSaveNew->setEnabled(false);
        btnSave->setEnabled(false);
        btnModify->setEnabled(true);
        // A stored category, source, industry or sex outside the lists must
        // still show and be saved unchanged.
        form_->setListOnlyMode(false);
    } else if (mode == QLatin1String("N")) {
        btnSaveNew->setEnabled(true);
        btnSave->setEnabled(true);
        btnModify->setEnabled(false);
        form_->setListOnlyMode(true);
    }
    field(kShortNameColumn)->setFocus();
}

TFrmAddkh::~TFrmAddkh() = default;

QWidget *TFrmAddkh::field(const QString &column) const { return form_->widget(column); }

void TFrmAddkh::fillSelectors()
{
    // Every user's entries: the editor's lists are not narrowed to the user.
    Connection &db = ctx_.db();
    form_->field<ComboField>(QStringLiteral("khlb"))
        ->setItems(columnValues(db, Statement("select * from khlb"), QStringLiteral("name")));
    form_->field<ComboField>(QStringLiteral("hylb"))
        ->setItems(columnValues(db, Statement("select * from hylb"), QStringLiteral("title")));
    form_->field<ComboField>(kSourceColumn)
        ->setItems(columnValues(db, Statement("select * from ywly"), QStringLiteral("title")));
    for (const char *c : {"khlb", "hylb", "khly"}) form_->field<ComboField>(QString::fromLatin1(c))->clearText();
}

void TFrmAddkh::fillFrom(const Dataset &ds)
{
    form_->load(ds);
    loadedDates_.clear();
    for (const FieldDecl &d : form_->fields())
        if (d.kind == FieldKind::Date) loadedDates_.insert(d.column, ds.text(d.column));
}

void TFrmAddkh::jinyong() { form_->setInputsEnabled(false); }

void TFrmAddkh::jieyong()
{
    form_->setInputsEnabled(true);
    focusField(field(kShortNameColumn));
}

void TFrmAddkh::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous() && ctx_.state->EditMode == QLatin1String("N"))
        form_->field<DateEdit>(kFoundedColumn)->setDate(ctx_.clock().today());
}

void TFrmAddkh::writeColumns(Dataset &ds) const
{
    for (const FieldDecl &d : form_->fields()) {
        if (d.column.isEmpty()) continue;
        QString text = form_->fieldText(d.column);
        if (d.kind == FieldKind::Date) {
            const auto loaded = loadedDates_.constFind(d.column);
            if (loaded != loadedDates_.constEnd()
                && dateFromStorage(*loaded) == form_->field<DateEdit>(d.column)->date())
                text = *loaded;
        }
        ds.setText(d.column, text, FormBuilder::fieldName(d));
    }
}

bool TFrmAddkh::sourceGiven()
{
    if (!form_->fieldText(kSourceColumn).isEmpty()) return true;
    ctx_.messages().information(this, kTitle, QStringLiteral("提示：客户来源不能为空！"));
    focusField(field(kSourceColumn));
    return false;
}

void TFrmAddkh::insertRow()
{
    Dataset &q = ctx_.dm().ADOQuery1;
    q.open();
    q.append();
    writeColumns(q);
    q.setText(QStringLiteral("用户"), ctx_.state->CurrentUser);
    q.post();
}

void TFrmAddkh::btnSaveClick()
{
    if (!sourceGiven()) return;
    const QString mode = ctx_.state->EditMode;
    if (mode == QLatin1String("N")) {
        insertRow();
        ctx_.messages().information(this, kTitle, QStringLiteral("您输入的资料已成功添加"));
        accept();
    } else if (mode == QLatin1String("M")) {
        if (!ctx_.messages().question(this, QStringLiteral("编辑保存提示"),
                                      QStringLiteral("您确认要保存编辑后的数据吗？")))
            return;
        Dataset &q = ctx_.dm().ADOQuery1;
        q.open();
        q.edit();
        writeColumns(q);
        q.post();
        accept();
    }
}

void TFrmAddkh::btnSaveNewClick()
{
    if (!sourceGiven()) return;
    if (ctx_.state->EditMode == QLatin1String("N")) insertRow();
    // Ready for the next customer; the sex choice stays.
    form_->clear();
    loadedDates_.clear();
    focusField(field(kShortNameColumn));
}

void TFrmAddkh::btnModifyClick()
{
    jieyong();
    btnSaveNew->setEnabled(false);
    btnSave->setEnabled(true);
    btnModify->setEnabled(false);
}

void openNewCustomer(const Context &ctx, QWidget *parent)
{
    ctx.state->EditMode = QStringLiteral("N");
    TFrmAddkh editor(ctx, parent);
    ctx.modal().run(editor);
}

} // namespace tolvaris
