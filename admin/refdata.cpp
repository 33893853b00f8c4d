#include "refdata.h"

#include "artwork.h"
#include "toolbar.h"
#include "datagrid.h"
#include "formbuilder.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace tolvaris {

namespace {

template <class T>
RefListWindow *makeListOf(const Context &ctx, QWidget *parent)
{
    return new T(ctx, parent);
}
template <class T>
RefAddWindow *makeAddOf(const Context &ctx, QWidget *parent)
{
    return new T(ctx, parent);
}

const QString kDeleteTitle = QStringLiteral("删除提示");
const QString kNoticeTitle = QStringLiteral("提示");

std::array<QPointer<RefListWindow>, 4> &openLists()
{
    static std::array<QPointer<RefListWindow>, 4> lists;
    return lists;
}

QToolButton *toolButton(QToolBar *bar, const QString &objectName, const QString &caption, const QString &glyph,
                        const QColor &color)
{
    return addToolButton(bar, objectName, caption, artwork::glyphIcon(glyph, color), Qt::ToolButtonTextUnderIcon);
}

} // namespace

const std::array<RefPair, 4> &refPairs()
{
    // clang-format off
    static const std::array<RefPair, 4> pairs = {{
        {RefKind::BusinessSource, QStringLiteral("ywly"),
         QStringLiteral("TFrmYwLy"), QStringLiteral("业务来源数据维护"), QStringLiteral("业务来源"),
         QStringLiteral("Select * from ywly"), false, false,
         QStringLiteral("TFrmAddYWLY"), QStringLiteral("增加业务来源"),
         QStringLiteral("业务来源名称不能为空！"), QStringLiteral("您确认要删除该业务来源吗？"),
         &makeListOf<TFrmYwLy>, &makeAddOf<TFrmAddYWLY>},
        {RefKind::SubjectCategory, QStringLiteral("bdlb"),
         QStringLiteral("TFrmBdlb"), QStringLiteral("标的类别数据维护"), QStringLiteral("标的名称"),
         QStringLiteral("select * from bdlb"), true, true,
         QStringLiteral("TFrmAddBDLB"), QStringLiteral("增加保险标的"),
         QStringLiteral("标的名称不能为空！"), QStringLiteral("您确认要删除该标的记录吗？"),
         &makeListOf<TFrmBdlb>, &makeAddOf<TFrmAddBDLB>},
        {RefKind::LoanBank, QStringLiteral("dkyh"),
         QStringLiteral("TFrmDKYH"), QStringLiteral("贷款银行数据维护"), QStringLiteral("银行名称"),
         QStringLiteral("Select * from dkyh"), false, false,
         QStringLiteral("TFrmAddDKYH"), QStringLiteral("增加贷款银行"),
         QStringLiteral("银行名称不能为空！"), QStringLiteral("您确认要删除该贷款银行记录吗？"),
         &makeListOf<TFrmDKYH>, &makeAddOf<TFrmAddDKYH>},
        // The industry add window shares the subject-matter window's message.
        {RefKind::Industry, QStringLiteral("hylb"),
         QStringLiteral("TFrmHYLB"), QStringLiteral("行业类别数据维护"), QStringLiteral("行业类别"),
         QStringLiteral("Select * from hylb"), false, false,
         QStringLiteral("TFrmAddhylb"), QStringLiteral("新增行业类别"),
         QStringLiteral("标的名称不能为空！"), QStringLiteral("您确认要删除该行业类别吗？"),
         &makeListOf<TFrmHYLB>, &makeAddOf<TFrmAddhylb>},
    }};
    // clang-format on
    return pairs;
}

const RefPair &refPair(RefKind kind) { return refPairs()[size_t(kind)]; }

Statement refListStatement(const RefPair &pair, const AppState &state)
{
    return withRights(Statement(pair.listStatement), state);
}

// ------------------------------------------------------------ list window

RefListWindow::RefListWindow(const Context &ctx, RefKind kind, QWidget *parent)
    : QDialog(parent), ADOQuery1(QStringLiteral("ADOQuery1")), ctx_(ctx), pair_(refPair(kind))
{
    setObjectName(pair_.listClass);
    setWindowTitle(pair_.listCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    openLists()[size_t(kind)] = this;
    ADOQuery1.setConnection(&ctx_.db());

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    btnAdd = toolButton(ToolBar1, QStringLiteral("btnAdd"), QStringLiteral("增加"), QStringLiteral("增"),
                        QColor(0x3a, 0x7d, 0x44));
    btnModify = toolButton(ToolBar1, QStringLiteral("btnModify"), QStringLiteral("修改"), QStringLiteral("改"),
                           QColor(0x1f, 0x4e, 0x79));
    btnDelete = toolButton(ToolBar1, QStringLiteral("btnDelete"), QStringLiteral("删除"), QStringLiteral("删"),
                           QColor(0xb0, 0x3a, 0x2e));
    ToolBar1->addSeparator();
    btnExit = toolButton(ToolBar1, QStringLiteral("btnExit"), QStringLiteral("退出"), QStringLiteral("退"),
                         QColor(0x6b, 0x6b, 0x6b));

    dxDBGrid1 = new DataGrid(this);
    dxDBGrid1->setObjectName(QStringLiteral("dxDBGrid1"));
    dxDBGrid1->bind(&ADOQuery1, {
                                    {.field = QStringLiteral("RecID"), .caption = QStringLiteral("序号")},
                                    {.field = QStringLiteral("title"), .caption = pair_.titleCaption},
                                    {.field = QStringLiteral("beizhu"), .caption = QStringLiteral("备注")},
                                });
    // Three short columns: the remark takes what is left of the width.
    dxDBGrid1->horizontalHeader()->setStretchLastSection(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(dxDBGrid1, 1);
    resize(460, 340);

    connect(btnAdd, &QToolButton::clicked, this, &RefListWindow::AddClick);
    connect(btnModify, &QToolButton::clicked, this, &RefListWindow::ModifyClick);
    connect(btnDelete, &QToolButton::clicked, this, &RefListWindow::DeleteClick);
    connect(btnExit, &QToolButton::clicked, this, &QDialog::reject);
    connect(dxDBGrid1, &DataGrid::rowDoubleClicked, this, [this](int) { ModifyClick(); });

    if (!pair_.loadOnShow) LoadList();
}

RefListWindow::~RefListWindow()
{
    // The grid's model must let go of the query before the query goes.
    dxDBGrid1->bind(nullptr);
}

RefListWindow *RefListWindow::current(RefKind kind) { return openLists()[size_t(kind)]; }

void RefListWindow::LoadList() { ADOQuery1.reopen(refListStatement(pair_, *ctx_.state)); }

void RefListWindow::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (pair_.loadOnShow && !e->spontaneous()) LoadList();
}

void RefListWindow::AddClick()
{
    if (pair_.addStartsEmptyRow) {
        ADOQuery1.open();
        ADOQuery1.append();
    }
    ctx_.state->EditMode = QStringLiteral("N");
    const std::unique_ptr<RefAddWindow> add(pair_.makeAdd(ctx_, this));
    ctx_.modal().run(*add);
}

void RefListWindow::ModifyClick()
{
    if (ADOQuery1.recordCount() == 0) return;
    ADOQuery1.edit();
    ctx_.state->EditMode = QStringLiteral("M");
    const std::unique_ptr<RefAddWindow> add(pair_.makeAdd(ctx_, this));
    add->edtName->setText(ADOQuery1.text(QStringLiteral("title")));
    add->memRemark->setText(ADOQuery1.text(QStringLiteral("beizhu")));
    ctx_.modal().run(*add);
}

void RefListWindow::DeleteClick()
{
    if (ADOQuery1.recordCount() == 0) return;
    if (ctx_.messages().question(this, kDeleteTitle, pair_.deleteQuestion)) ADOQuery1.remove();
}

// ------------------------------------------------------------- add window

RefAddWindow::RefAddWindow(const Context &ctx, RefKind kind, QWidget *parent)
    : QDialog(parent), ctx_(ctx), pair_(refPair(kind))
{
    setObjectName(pair_.addClass);
    setWindowTitle(pair_.addCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    form_ = new FormBuilder(pair_.table,
                            {
                                {.caption = QStringLiteral("名称："), .column = QStringLiteral("title")},
                                {.caption = QStringLiteral("备注："), .kind = FieldKind::Memo,
                                 .column = QStringLiteral("beizhu")},
                            },
                            this);
    auto *box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("GroupBox1"));
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(form_->build(box));
    edtName = form_->field<QLineEdit>(QStringLiteral("title"));
    memRemark = form_->field<MemoEdit>(QStringLiteral("beizhu"));
    memRemark->setFixedHeight(memRemark->fontMetrics().lineSpacing() * 4 + 12);
    // Enter in the name moves to the remark; the remark keeps Enter for its
    // line breaks.
    form_->enterChain()->add(edtName, memRemark);

    btnOk = new QPushButton(QStringLiteral("确定"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->addWidget(box);
    layout->addLayout(buttons);
    resize(340, 200);

    connect(btnOk, &QPushButton::clicked, this, &RefAddWindow::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    edtName->setFocus();
}

RefAddWindow::~RefAddWindow() = default;

void RefAddWindow::btnOkClick()
{
    if (edtName->text().isEmpty()) {
        ctx_.messages().information(this, kNoticeTitle, pair_.emptyNameMessage);
        focusField(edtName);
        return;
    }
    const QString mode = ctx_.state->EditMode;
    if (mode != QLatin1String("N") && mode != QLatin1String("M")) return;
    RefListWindow *list = RefListWindow::current(pair_.kind);
    if (!list) return;
    Dataset &q = list->ADOQuery1;
    q.open();
    if (mode == QLatin1String("N")) {
        // The empty row the subject-matter list starts on "增加" is
        // discarded; the entered one is appended instead.
        if (q.state() == Dataset::State::Insert) q.cancel();
        q.append();
        form_->save(q);
        q.setText(QStringLiteral("用户"), ctx_.state->CurrentUser);
    } else {
        q.edit();
        form_->save(q);
    }
    q.post();
    accept();
}

void openReferenceWindow(const Context &ctx, QWidget *parent, RefKind kind)
{
    const std::unique_ptr<RefListWindow> list(refPair(kind).makeList(ctx, parent));
    ctx.modal().run(*list);
}

} // namespace tolvaris
