#include "frmmykh.h"

#include "artwork.h"
#include "toolbar.h"
#include "datagrid.h"
#include "export.h"
#include "fields.h"
#include "frmaddkh.h"
#include "lookup.h"
#include "values.h"

#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvaris {

namespace {

const QString kDeleteTitle = QStringLiteral("删除提示");

QToolButton *toolButton(QToolBar *bar, const QString &objectName, const QString &caption, const QString &glyph,
                        const QColor &color, const QString &hint = {})
{
    return addToolButton(bar, objectName, caption, artwork::glyphIcon(glyph, color), Qt::ToolButtonTextBesideIcon,
                         hint);
}

QList<GridColumn> customerColumns()
{
    auto col = [](const char *caption, const char *field, ColumnKind kind = ColumnKind::Plain) {
        return GridColumn{.field = QString::fromUtf8(field), .caption = QString::fromUtf8(caption), .kind = kind};
    };
    return {
        col("序号", "RecID", ColumnKind::Number),
        col("客户来源", "khly"),
        col("保单号", "baodanhao"),
        col("险种", "xianzhong"),
        col("主联系人", "zlxr"),
        col("客户简称", "khjc"),
        col("性别", "xb"),
        col("生日", "sr", ColumnKind::Date),
        col("客户类别", "khlb"),
        col("公司名称", "gsmc"),
        col("单位电话", "dwdh"),
        col("单位地址", "dwdz"),
        col("传真", "cz"),
        col("网址", "wz"),
        col("部门", "bm"),
        col("职务", "zw"),
        col("称呼", "ch"),
        col("手机", "sj"),
        col("电子邮件", "dzyj"),
        col("QQ/MSN", "qq"),
        col("兴趣爱好", "xqah"),
        col("备注", "bz"),
        col("成立时间", "clsj", ColumnKind::Date),
        col("锁定客户", "sdkh", ColumnKind::CheckBox),
        col("公司帐户", "gszh"),
        col("行业类别", "hylb"),
    };
}

} // namespace

const std::array<CustomerSearch, 6> &customerSearches()
{
    // Two rows of three, as they stand in the search panel.
    static const std::array<CustomerSearch, 6> searches = {{
        {QStringLiteral("edtKhjc"), QStringLiteral("客户简称："), QStringLiteral("khjc"), false, false, false},
        {QStringLiteral("cbHylb"), QStringLiteral("行业类别："), QStringLiteral("hylb"), true, true, false},
        {QStringLiteral("cbKhlb"), QStringLiteral("客户类别："), QStringLiteral("khlb"), true, true, true},
        {QStringLiteral("edtZlxr"), QStringLiteral("主联系人："), QStringLiteral("zlxr"), false, false, false},
        {QStringLiteral("cbXianzhong"), QStringLiteral("险种名称："), QStringLiteral("xianzhong"), true, true, false},
        {QStringLiteral("cbKhly"), QStringLiteral("业务来源："), QStringLiteral("khly"), true, true, false},
    }};
    return searches;
}

Statement userCustomersStatement(const QString &user)
{
    return Statement(QStringLiteral("select * from khgx where 用户=?"), {user});
}

Statement customerSearchStatement(const CustomerSearch &s, const QString &user, const QString &text)
{
    Statement st = s.allUsers ? Statement("select * from khgx") : userCustomersStatement(user);
    st.where(s.column + QStringLiteral(" like ?") + kLikeEscape, {likeContains(text)});
    return st;
}

TFrmMyKh::TFrmMyKh(const Context &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("TFrmMyKh"));
    setWindowTitle(QStringLiteral("我的客户"));

    // Tool bar.
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    btnNew = toolButton(ToolBar1, QStringLiteral("btnNew"), QStringLiteral("新增客户"), QStringLiteral("新"),
                        QColor(0x3a, 0x7d, 0x44), QStringLiteral("添加新客户"));
    btnModify = toolButton(ToolBar1, QStringLiteral("btnModify"), QStringLiteral("修改"), QStringLiteral("改"),
                           QColor(0x1f, 0x4e, 0x79));
    btnDelete = toolButton(ToolBar1, QStringLiteral("btnDelete"), QStringLiteral("删除"), QStringLiteral("删"),
                           QColor(0xb0, 0x3a, 0x2e));
    btnShowAll = toolButton(ToolBar1, QStringLiteral("btnShowAll"), QStringLiteral("显示所有客户"),
                            QStringLiteral("全"), QColor(0x7a, 0x5c, 0x1e));
    ToolBar1->addSeparator();
    btnExport = toolButton(ToolBar1, QStringLiteral("btnExport"), QStringLiteral("导出"), QStringLiteral("导"),
                           QColor(0x2e, 0x7d, 0x6b));
    btnPrint = toolButton(ToolBar1, QStringLiteral("btnPrint"), QStringLiteral("打印"), QStringLiteral("印"),
                          QColor(0x55, 0x55, 0x88));
    ToolBar1->addSeparator();
    btnClose = toolButton(ToolBar1, QStringLiteral("btnClose"), QStringLiteral("关闭"), QStringLiteral("关"),
                          QColor(0x6b, 0x6b, 0x6b));

    // Search panel: two rows of three fields.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlSearch"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    const auto &searches = customerSearches();
    for (size_t i = 0; i < searches.size(); ++i) {
        const CustomerSearch &s = searches[i];
        QWidget *w = nullptr;
        if (s.selector) {
            auto *c = new ComboField(panel);
            c->setListOnly(false);
            c->setMaxTextLength(50);
            c->setText(kAllEntries);
            c->installEventFilter(this);
            connect(c, &ComboField::textChanged, this, [this, &s](const QString &t) { search(s, t); });
            w = c;
        } else {
            auto *e = new QLineEdit(panel);
            e->setMaxLength(50);
            connect(e, &QLineEdit::textChanged, this, [this, &s](const QString &t) { search(s, t); });
            w = e;
        }
        w->setObjectName(s.objectName);
        w->setMinimumWidth(160);
        w->setMaximumWidth(260);
        auto *label = new QLabel(s.caption, panel);
        label->setObjectName(QStringLiteral("label_") + s.objectName);
        label->setBuddy(w);
        const int row = int(i) / 3, col = int(i) % 3;
        grid->addWidget(label, row, col * 2, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(w, row, col * 2 + 1);
        grid->setColumnStretch(col * 2 + 1, 1);
        if (col > 0) grid->setColumnMinimumWidth(col * 2, 90);
        searchFields_[i] = w;
    }
    grid->setColumnStretch(6, 2);  // beyond the fields on a wide window
    edtKhjc = static_cast<QLineEdit *>(searchFields_[0]);
    cbHylb = static_cast<ComboField *>(searchFields_[1]);
    cbKhlb = static_cast<ComboField *>(searchFields_[2]);
    edtZlxr = static_cast<QLineEdit *>(searchFields_[3]);
    cbXianzhong = static_cast<ComboField *>(searchFields_[4]);
    cbKhly = static_cast<ComboField *>(searchFields_[5]);
    {
        const QSignalBlocker block(cbXianzhong);
        cbXianzhong->addItems({kKindNonMotor, kKindMotor});
        cbXianzhong->setText(kAllEntries);
    }

    // Grid and its pop-up menu.
    dxDBGrid1 = new DataGrid(this);
    dxDBGrid1->setObjectName(QStringLiteral("dxDBGrid1"));
    dxDBGrid1->bind(&customers(), customerColumns());
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto menuItem = [this](const char *objectName, const char *text) {
        QAction *a = PopupMenu1->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(objectName));
        return a;
    };
    QAction *mnuNew = menuItem("mnuNew", "新增客户信息");
    QAction *mnuModify = menuItem("mnuModify", "修改此客户信息");
    QAction *mnuDelete = menuItem("mnuDelete", "删除此客户信息");
    PopupMenu1->addSeparator();
    menuItem("mnuRefresh", "刷新");
    PopupMenu1->addSeparator();
    menuItem("mnuPrint", "打印");
    QAction *mnuExport = menuItem("mnuExport", "导出Excel表");
    dxDBGrid1->setPopupMenu(PopupMenu1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(panel);
    layout->addWidget(dxDBGrid1, 1);
    resize(900, 560);

    connect(btnNew, &QToolButton::clicked, this, &TFrmMyKh::NewClick);
    connect(btnModify, &QToolButton::clicked, this, &TFrmMyKh::ModifyClick);
    connect(btnDelete, &QToolButton::clicked, this, &TFrmMyKh::DeleteClick);
    connect(btnShowAll, &QToolButton::clicked, this, &TFrmMyKh::ShowAllClick);
    connect(btnExport, &QToolButton::clicked, this, &TFrmMyKh::ExportClick);
    connect(btnClose, &QToolButton::clicked, this, &TFrmMyKh::CloseClick);
    connect(mnuNew, &QAction::triggered, this, &TFrmMyKh::NewClick);
    connect(mnuModify, &QAction::triggered, this, &TFrmMyKh::ModifyClick);
    connect(mnuDelete, &QAction::triggered, this, &TFrmMyKh::DeleteClick);
    connect(mnuExport, &QAction::triggered, this, &TFrmMyKh::ExportClick);
    connect(dxDBGrid1, &DataGrid::rowDoubleClicked, this, [this](int) { ModifyClick(); });
}

TFrmMyKh::~TFrmMyKh() = default;

Dataset &TFrmMyKh::customers() const { return ctx_.dm().ADOQuery1; }

void TFrmMyKh::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!shown_ && !e->spontaneous()) FormShow();
}

void TFrmMyKh::FormShow()
{
    shown_ = true;
    customers().reopen(userCustomersStatement(ctx_.state->CurrentUser));
    fillSelectors();
}

void TFrmMyKh::fillSelectors()
{
    Connection &db = ctx_.db();
    const QString &user = ctx_.state->CurrentUser;
    struct Fill {
        ComboField *box;
        Statement st;
        const char *column;
    };
    const Fill fills[] = {
        {cbKhlb, Statement("select * from khlb"), "name"},
        {cbHylb, Statement(QStringLiteral("select * from hylb where 用户=?"), {user}), "title"},
        {cbKhly, Statement(QStringLiteral("select * from ywly where 用户=?"), {user}), "title"},
    };
    for (const Fill &f : fills) {
        // Filling is no search: the text stays as it was.
        const QSignalBlocker block(f.box);
        const QString text = f.box->text();
        f.box->clear();
        f.box->addItems(columnValues(db, f.st, QString::fromLatin1(f.column)));
        f.box->setText(text);
    }
}

void TFrmMyKh::search(const CustomerSearch &s, const QString &text)
{
    if (text.isEmpty() && !s.onEmpty) return;
    customers().reopen(customerSearchStatement(s, ctx_.state->CurrentUser, text));
}

bool TFrmMyKh::eventFilter(QObject *watched, QEvent *e)
{
    // Leaving an emptied selector shows "(全部)" again, without a search.
    if (e->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(e)->reason();
        auto *box = qobject_cast<ComboField *>(watched);
        if (box && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason
            && box->text().isEmpty()) {
            const QSignalBlocker block(box);
            box->setText(kAllEntries);
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TFrmMyKh::ShowAllClick() { customers().reopen(userCustomersStatement(ctx_.state->CurrentUser)); }

void TFrmMyKh::NewClick()
{
    ctx_.state->EditMode = QStringLiteral("N");
    TFrmAddkh editor(ctx_, this);
    ctx_.modal().run(editor);
}

void TFrmMyKh::ModifyClick()
{
    Dataset &q = customers();
    if (q.recordCount() == 0) return;
    q.edit();
    ctx_.state->EditMode = QStringLiteral("M");
    TFrmAddkh editor(ctx_, this);
    editor.fillFrom(q);
    ctx_.modal().run(editor);
}

void TFrmMyKh::DeleteClick()
{
    Dataset &q = customers();
    if (q.recordCount() == 0) return;
    if (q.flag(QStringLiteral("sdkh"))) {
        ctx_.messages().information(this, kDeleteTitle,
                                    QStringLiteral("提示：您无法对已锁定的客户进行删除！\r\r            "
                                                   "请先解除对此客户的锁定."));
        return;
    }
    if (ctx_.messages().question(this, kDeleteTitle,
                                 QStringLiteral("您确认要删除该条客户记录吗？\r\r提示：该记录删除后将不可恢复")))
        q.remove();
}

void TFrmMyKh::ExportClick()
{
    if (customers().recordCount() == 0) {
        ctx_.messages().information(this, QStringLiteral("信息"), QStringLiteral("提示：数据为空，无法导出！"));
        return;
    }
    const QString proposed = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(ctx_.clock().today().toString(kDateFormat) + QStringLiteral(".xlsx"));
    const QString path = ctx_.files().saveFile(this, QStringLiteral("导出Excel表"),
                                               QStringLiteral("Excel文件(*.xlsx)"), proposed, QStringLiteral("xlsx"));
    if (path.isEmpty()) return;
    const QString failure = exportGridToXlsx(*dxDBGrid1, path);
    if (!failure.isEmpty()) ctx_.messages().error(this, QStringLiteral("提示"), failure);
}

void TFrmMyKh::CloseClick()
{
    // Inside the main window the frame is what closes (and destroys both).
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) sub->close();
    else close();
}

} // namespace tolvaris
