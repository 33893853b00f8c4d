#include "frmchexianbaodan.h"

#include "accountstab.h"
#include "formbuilder.h"
#include "values.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>

namespace tolvaris {

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

const QString kTabInsured = QStringLiteral("被保险人信息");
const QString kTabCovers = QStringLiteral("基本险信息");
const QString kTabAccounts = QStringLiteral("帐务");
const QString kGroupInsured = QStringLiteral("被保险人资料");
const QString kGroupVehicle = QStringLiteral("车辆信息");

const QString kPrivateCar = QStringLiteral("个人车辆");
const QString kCompanyCar = QStringLiteral("企业车辆");
const QString kNumberPrefix = QStringLiteral("21700002203010600");
constexpr int kNumberLength = 20;

const QString kSaveTitle = QStringLiteral("保存提示");
const QString kNoticeTitle = QStringLiteral("提示");

// Column (or object) names of the fields the editor's own rules use.
const QString cSource = QStringLiteral("业务来源");
const QString cCarKind = QStringLiteral("车辆种类");
const QString cCarKind2 = QStringLiteral("车辆种类2");  // the vehicle group's copy, never saved
const QString cNumber = QStringLiteral("保单号");
const QString cInsured = QStringLiteral("被保险人");
const QString cOwner = QStringLiteral("行驶证车主");
const QString cDocKind = QStringLiteral("证件类型");
const QString cContact = QStringLiteral("联系人");
const QString cFirstReg = QStringLiteral("初登年月");
const QString cStart = QStringLiteral("保险起期");
const QString cEnd = QStringLiteral("保险止期");

QStringList list(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items) out << u8(i);
    return out;
}

struct Spec {
    const char *tab;
    const char *group;
    const char *caption;
    FieldKind kind;
    const char *column;
    QStringList items = {};
    unsigned options = 0;
    const char *row = "";
    const char *objectName = "";
    int maxLength = -1;
    const char *suffix = "";
};

// The editor's fields in screen order; load fills them in this order (the
// vehicle category before the document kind, the insured before the licence
// owner, so the stored owner is what shows).
std::vector<FieldDecl> motorFields()
{
    using namespace FieldOption;
    const QStringList cars = {QString(), kPrivateCar, kCompanyCar};
    const Spec specs[] = {
        {"被保险人信息", "", "业务来源：", FieldKind::Combo, "业务来源", {}, 0, "top"},
        {"被保险人信息", "", "车辆种类：", FieldKind::Combo, "车辆种类", cars, ListOnly, "top"},
        {"被保险人信息", "", "保单号：", FieldKind::Numeric, "保单号", {}, 0, "top", "", kNumberLength},

        {"被保险人信息", "被保险人资料", "被保险人：", FieldKind::Text, "被保险人"},
        {"被保险人信息", "被保险人资料", "行驶证车主：", FieldKind::Text, "行驶证车主"},
        {"被保险人信息", "被保险人资料", "证件类型：", FieldKind::Combo, "证件类型", {}, ListOnly},
        {"被保险人信息", "被保险人资料", "证件号码：", FieldKind::Text, "证件号码"},
        {"被保险人信息", "被保险人资料", "联系人：", FieldKind::Text, "联系人"},
        {"被保险人信息", "被保险人资料", "电话总机：", FieldKind::Text, "电话总机"},
        {"被保险人信息", "被保险人资料", "手机号：", FieldKind::Phone, "手机", {}, 0, "", "", 11},
        {"被保险人信息", "被保险人资料", "通讯地址：", FieldKind::Text, "通讯地址"},

        {"被保险人信息", "车辆信息", "牌照号码：", FieldKind::Text, "牌照号码"},
        {"被保险人信息", "车辆信息", "厂牌车型：", FieldKind::Text, "厂牌车型"},
        {"被保险人信息", "车辆信息", "发动机号：", FieldKind::Text, "发动机号"},
        {"被保险人信息", "车辆信息", "车架号：", FieldKind::Text, "车架号"},
        {"被保险人信息", "车辆信息", "使用性质：", FieldKind::Combo, "使用性质", list({"", "非营业", "营业"}), ListOnly, "use"},
        {"被保险人信息", "车辆信息", "所属性质：", FieldKind::Combo, "所属性质", list({"", "企业", "个人"}), ListOnly, "use"},
        {"被保险人信息", "车辆信息", "车辆种类：", FieldKind::Combo, "车辆种类", cars, ListOnly | LoadOnly, "kind", "车辆种类2"},
        {"被保险人信息", "车辆信息", "行驶区域：", FieldKind::Combo, "行驶区域", list({"", "中国境内", "陕西境内"}), ListOnly, "kind"},
        {"被保险人信息", "车辆信息", "防盗装置：", FieldKind::Combo, "防盗装置", list({"", "防盗器", "无"}), ListOnly, "guard"},
        {"被保险人信息", "车辆信息", "初登年月：", FieldKind::Date, "初登年月", {}, 0, "guard"},
        {"被保险人信息", "车辆信息", "座位：", FieldKind::Text, "座位", {}, 0, "seats"},
        {"被保险人信息", "车辆信息", "吨位：", FieldKind::Text, "吨位", {}, 0, "seats"},

        {"基本险信息", "车辆损失险", "新车购置价：", FieldKind::Text, "新车购置价"},
        {"基本险信息", "车辆损失险", "保险金额：", FieldKind::Text, "保险金额"},
        {"基本险信息", "车辆损失险", "保险费：", FieldKind::Text, "车损保险费"},
        {"基本险信息", "第三者责任险", "赔偿限额：", FieldKind::Combo, "赔偿限额",
         list({"", "2万元", "5万元", "10万元", "20万元", "30万元", "40万元", "50万元", "100万元"})},
        {"基本险信息", "第三者责任险", "保险费：", FieldKind::Text, "三责保险费"},
        {"基本险信息", "盗抢险", "赔付比例：", FieldKind::Combo, "赔付比例", list({"", "100%", "90%", "80%", "50%"})},
        {"基本险信息", "盗抢险", "保额：", FieldKind::Text, "盗抢保额"},
        {"基本险信息", "盗抢险", "保险费：", FieldKind::Text, "盗抢保险费"},
        {"基本险信息", "车上人员责任险", "赔偿限额：", FieldKind::Combo, "车上赔偿限额",
         list({"", "5000元", "1万元", "2万元", "5万元", "10万元", "20万元", "30万元", "40万元", "50万元", "100万元"})},
        {"基本险信息", "车上人员责任险", "驾驶员：", FieldKind::Text, "驾驶员"},
        {"基本险信息", "车上人员责任险", "前排座位：", FieldKind::Combo, "前排座位", list({"", "1座", "2座", "3座"}), 0, "front"},
        {"基本险信息", "车上人员责任险", "保险费：", FieldKind::Text, "前排保险费", {}, 0, "front"},
        {"基本险信息", "车上人员责任险", "后排座位：", FieldKind::Combo, "后排座位",
         list({"", "1座", "2座", "3座", "4座", "5座", "6座", "7座", "8座"}), 0, "rear"},
        {"基本险信息", "车上人员责任险", "保险费：", FieldKind::Text, "后排保险费", {}, 0, "rear"},
        {"基本险信息", "车身划痕损失险", "赔偿限额：", FieldKind::Combo, "车身赔偿限额", list({"", "2000元", "5000元", "10000元"})},
        {"基本险信息", "车身划痕损失险", "保险费：", FieldKind::Text, "车身保险费"},
        {"基本险信息", "玻璃单独破碎险", "玻璃类别：", FieldKind::Combo, "玻璃类别", list({"", "国产", "进口"})},
        {"基本险信息", "玻璃单独破碎险", "保险费：", FieldKind::Text, "玻璃保险费"},
        {"基本险信息", "自燃损失险", "保险费：", FieldKind::Text, "自燃保险费"},
        {"基本险信息", "无过错损失补偿险", "保险费：", FieldKind::Text, "无过错保险费"},
        {"基本险信息", "不计免赔", "风险水平：", FieldKind::Combo, "不计免赔", list({"", "A", "B", "不计免赔率"}), ListOnly},
        {"基本险信息", "保险期限", "自", FieldKind::Date, "保险起期", {}, 0, "period", "", -1, "零时起至"},
        {"基本险信息", "保险期限", "", FieldKind::Date, "保险止期", {}, 0, "period", "", -1, "零时止"},
    };
    std::vector<FieldDecl> out;
    for (const Spec &s : specs) {
        FieldDecl d;
        d.tab = u8(s.tab);
        d.group = u8(s.group);
        d.caption = u8(s.caption);
        d.kind = s.kind;
        d.column = u8(s.column);
        d.items = s.items;
        d.options = s.options;
        d.row = u8(s.row);
        d.objectName = u8(s.objectName);
        d.maxLength = s.maxLength;
        d.suffix = u8(s.suffix);
        out.push_back(d);
    }
    return out;
}

// The Enter chain of the first two tabs; the end date leads on to the
// accounts tab.
const QStringList kEnterOrder = {
    cSource, cCarKind, cNumber, cInsured, cOwner, cDocKind, QStringLiteral("证件号码"), cContact,
    QStringLiteral("电话总机"), QStringLiteral("手机"), QStringLiteral("通讯地址"), QStringLiteral("牌照号码"),
    QStringLiteral("厂牌车型"), QStringLiteral("发动机号"), QStringLiteral("车架号"), QStringLiteral("使用性质"),
    QStringLiteral("所属性质"), cCarKind2, QStringLiteral("行驶区域"), QStringLiteral("防盗装置"), cFirstReg,
    QStringLiteral("座位"), QStringLiteral("吨位"),
    QStringLiteral("新车购置价"), QStringLiteral("保险金额"), QStringLiteral("车损保险费"),
    QStringLiteral("赔偿限额"), QStringLiteral("三责保险费"),
    QStringLiteral("赔付比例"), QStringLiteral("盗抢保额"), QStringLiteral("盗抢保险费"),
    QStringLiteral("车上赔偿限额"), QStringLiteral("驾驶员"), QStringLiteral("前排座位"), QStringLiteral("前排保险费"),
    QStringLiteral("后排座位"), QStringLiteral("后排保险费"),
    QStringLiteral("车身赔偿限额"), QStringLiteral("车身保险费"),
    QStringLiteral("玻璃类别"), QStringLiteral("玻璃保险费"),
    QStringLiteral("自燃保险费"), QStringLiteral("无过错保险费"), QStringLiteral("不计免赔"), cStart, cEnd,
};

// How a refused amount names its field: the cover's premiums all read
// "保险费：" on screen, so the group says which one.
QString messageName(const FieldDecl &d)
{
    QString name = FormBuilder::fieldName(d);
    if (d.column == u8("前排保险费")) name += u8("（前排）");
    if (d.column == u8("后排保险费")) name += u8("（后排）");
    return d.group.isEmpty() || d.tab == kTabInsured ? name : d.group + u8("—") + name;
}

bool isNumberColumn(const ColumnDef *c)
{
    return c && (c->type == ColType::Currency || c->type == ColType::Integer);
}

// Lays a tab's groups out `columns` to a row, each row's groups of one
// height; the last group may take two columns. The cover tab holds ten
// small groups: three to a row keep the window low, with the cover period,
// the widest, on two columns of the last row.
void arrangeGroups(FormBuilder &form, const QString &tab, const QStringList &order, int columns)
{
    QGroupBox *first = form.group(order.first(), tab);
    QGridLayout *grid = nullptr;
    for (QGridLayout *g : form.page(tab)->findChildren<QGridLayout *>())
        if (g->indexOf(first) >= 0) grid = g;
    if (!grid) return;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QGroupBox *box = form.group(order[i], tab);
        grid->removeWidget(box);
        const int column = int(i % columns);
        const int span = i == order.size() - 1 ? std::min(2, columns - column) : 1;
        grid->addWidget(box, int(i / columns), column, 1, span);
    }
    for (int c = 0; c < columns; ++c) grid->setColumnStretch(c, 1);
}

} // namespace

// ------------------------------------------------------------- creation

TFrmCheXianBaodan::TFrmCheXianBaodan(const Context &ctx, QWidget *parent)
    : QDialog(parent), ctx_(ctx), form_(std::make_unique<FormBuilder>(kMotorTable, motorFields()))
{
    setObjectName(QStringLiteral("TFrmCheXianBaodan"));
    setWindowTitle(QStringLiteral("机动车辆保险投保单"));

    form_->setGroupColumns(2);
    QWidget *tabsWidget = form_->build(this);
    arrangeGroups(*form_, kTabInsured, {kGroupInsured, kGroupVehicle}, 2);
    arrangeGroups(*form_, kTabCovers,
                  list({"车辆损失险", "第三者责任险", "盗抢险", "车上人员责任险", "车身划痕损失险", "玻璃单独破碎险",
                        "自燃损失险", "无过错损失补偿险", "不计免赔", "保险期限"}),
                  3);
    accounts_ = new AccountsTab(AccountsSettings::motor());
    tabs()->addTab(accounts_, kTabAccounts);

    cbSource_ = form_->field<ComboField>(cSource);
    cbCarKind_ = form_->field<ComboField>(cCarKind);
    cbDocKind_ = form_->field<ComboField>(cDocKind);
    edNumber_ = form_->field<QLineEdit>(cNumber);
    edInsured_ = form_->field<QLineEdit>(cInsured);
    edOwner_ = form_->field<QLineEdit>(cOwner);
    edStart_ = form_->field<DateEdit>(cStart);
    edEnd_ = form_->field<DateEdit>(cEnd);

    // The cancelled mark lies over the insured group.
    QGroupBox *insuredGroup = form_->group(kGroupInsured, kTabInsured);
    banner_ = new QLabel(QStringLiteral("此保单已注销"), insuredGroup);
    banner_->setObjectName(QStringLiteral("lblCancelled"));
    banner_->setAlignment(Qt::AlignCenter);
    banner_->setStyleSheet(QStringLiteral(
        "QLabel { color: #d01010; background: rgba(255, 245, 245, 235); border: 4px double #d01010;"
        " border-radius: 10px; padding: 10px 28px; font-size: 24pt; font-weight: bold; }"));
    banner_->hide();
    insuredGroup->installEventFilter(this);

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(tabsWidget, 1);
    buildButtons();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {btnPrior_, btnNext_, btnSaveNew_, btnSave_, btnModify_, btnExit_}) buttons->addWidget(b);
    lay->addLayout(buttons);

    wireReactions();
    wireEnterChain();

    // Creation, in the order the editor has always done it.
    ctx_.state->PolicyKind = kKindMotor;
    AddlistYwly();
    const QDate today = ctx_.clock().today();
    accounts_->issueDate()->setDate(today);
    edStart_->setDate(today);
    edEnd_->setDate(today);
    form_->field<DateEdit>(cFirstReg)->setDate(today);

    newMode_ = ctx_.state->EditMode != QStringLiteral("M");
    if (newMode_) {
        setNewModeInputs();
        cbSource_->setFocus();
    } else {
        Dataset &pol = ctx_.dm().AdoChexian;
        const bool cancelled = pol.isActive() && pol.currentRow() >= 0 && pol.flag(QStringLiteral("注销"));
        if (cancelled) setCancelledView();
        else setViewModeInputs();
    }
}

TFrmCheXianBaodan::~TFrmCheXianBaodan() = default;

QTabWidget *TFrmCheXianBaodan::tabs() const { return form_->tabWidget(); }

QWidget *TFrmCheXianBaodan::field(const QString &key) const
{
    if (QWidget *w = form_->widget(key)) return w;
    return accounts_->field(key);
}

QString TFrmCheXianBaodan::textOf(const QString &key) const { return form_->fieldText(key); }

void TFrmCheXianBaodan::buildButtons()
{
    auto make = [this](const char *name, const char *text) {
        auto *b = new QPushButton(u8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        // Enter in a field moves along the chain; it must never press a
        // default button. A focused button still takes Enter (eventFilter).
        b->setAutoDefault(false);
        b->installEventFilter(this);
        return b;
    };
    btnPrior_ = make("btnPrior", "上一条");
    btnNext_ = make("btnNext", "下一条");
    btnSaveNew_ = make("btnSaveNew", "保存并新建(&A)");
    btnSave_ = make("btnSave", "保存");
    btnModify_ = make("btnModify", "修改");
    btnExit_ = make("btnExit", "退出");
    connect(btnPrior_, &QPushButton::clicked, this, &TFrmCheXianBaodan::BitBtnPriorClick);
    connect(btnNext_, &QPushButton::clicked, this, &TFrmCheXianBaodan::BitBtnNextClick);
    connect(btnSaveNew_, &QPushButton::clicked, this, &TFrmCheXianBaodan::BitBtnSaveNewClick);
    connect(btnSave_, &QPushButton::clicked, this, &TFrmCheXianBaodan::BitBtnSaveClick);
    connect(btnModify_, &QPushButton::clicked, this, &TFrmCheXianBaodan::BitBtnModifyClick);
    connect(btnExit_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmCheXianBaodan::wireReactions()
{
    connect(cbCarKind_, &ComboField::textChanged, this, &TFrmCheXianBaodan::onCarKindChanged);
    // The licence owner is usually the insured: every change is copied.
    connect(edInsured_, &QLineEdit::textChanged, edOwner_, &QLineEdit::setText);
    // Keys reach the source's line edit; the number field takes Down.
    cbSource_->installEventFilter(this);
    if (cbSource_->lineEdit()) cbSource_->lineEdit()->installEventFilter(this);
    edNumber_->installEventFilter(this);
}

void TFrmCheXianBaodan::wireEnterChain()
{
    form_->wireEnterChain(kEnterOrder);
    EnterChain *chain = form_->enterChain();
    const QList<QWidget *> order = accounts_->enterOrder();
    if (!order.isEmpty()) {
        chain->add(edEnd_, tabs(), accounts_, order.first());
        chain->addSequence(order);
        chain->add(order.last(), btnSave_);
    }
    // The rest of the accounts tab keeps Enter to itself.
    for (int i = 0; i < accounts_->rowCount(); ++i) {
        chain->addStop(accounts_->row(i).manual);
        chain->addStop(accounts_->row(i).automatic);
    }
    chain->addStop(accounts_->profit());
}

void TFrmCheXianBaodan::AddlistYwly()
{
    const Statement st = withRights(Statement("select * from ywly"), *ctx_.state);
    Query q(ctx_.db(), st.text);
    q.bindAll(st.params);
    int title = -1;
    for (int c = 0; c < q.columnCount(); ++c)
        if (q.columnName(c).compare(QLatin1String("title"), Qt::CaseInsensitive) == 0) title = c;
    QStringList titles;
    while (q.step()) titles << q.text(title);
    cbSource_->setItems(titles);
    cbSource_->clearText();
}

// ------------------------------------------------------------- modes

void TFrmCheXianBaodan::setNewModeInputs()
{
    form_->setInputsEnabled(true);
    accounts_->setInputsEnabled(true);
    form_->setListOnlyMode(true);
    accounts_->setModifyMode(false);
    btnModify_->setEnabled(false);
    btnPrior_->setEnabled(false);
    btnNext_->setEnabled(false);
    btnSaveNew_->setEnabled(true);
    btnSave_->setEnabled(true);
}

void TFrmCheXianBaodan::setViewModeInputs()
{
    form_->setInputsEnabled(false);
    accounts_->setInputsEnabled(false);
    // A stored value outside a list is shown and kept.
    form_->setListOnlyMode(false);
    accounts_->setModifyMode(true);
    btnModify_->setEnabled(true);
    btnPrior_->setEnabled(true);
    btnNext_->setEnabled(true);
    btnSaveNew_->setEnabled(false);
    btnSave_->setEnabled(false);
}

void TFrmCheXianBaodan::setCancelledView()
{
    setViewModeInputs();
    banner_->show();
    placeBanner();
    tabs()->setEnabled(false);
    for (QPushButton *b : {btnPrior_, btnNext_, btnSaveNew_, btnSave_, btnModify_}) b->setEnabled(false);
}

void TFrmCheXianBaodan::placeBanner()
{
    QWidget *group = banner_->parentWidget();
    banner_->adjustSize();
    banner_->move((group->width() - banner_->width()) / 2, (group->height() - banner_->height()) / 2);
    banner_->raise();
}

// ------------------------------------------------------------- reactions

void TFrmCheXianBaodan::onCarKindChanged(const QString &kind)
{
    if (kind.isEmpty()) {
        cbDocKind_->setItems({});
    } else if (kind == kPrivateCar) {
        cbDocKind_->setItems(list({"", "居民身份证", "护照", "军人证", "港澳通行证及台胞证", "其他"}));
    } else if (kind == kCompanyCar) {
        cbDocKind_->setItems(list({"", "组织机构代码证", "税务登记证", "其他"}));
    } else {
        return;  // a text still being typed (modify mode)
    }
    cbDocKind_->clearText();
}

bool TFrmCheXianBaodan::eventFilter(QObject *watched, QEvent *event)
{
    if (banner_ && watched == banner_->parentWidget()) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) placeBanner();
        return false;
    }
    const bool inSource = watched == cbSource_ || (cbSource_ && watched == cbSource_->lineEdit());
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int key = ke->key();
        if (inSource) {
            // Any key in the business source empties the vehicle category
            // (a new source, a new check of the category); the document
            // kinds stay as they are.
            const bool modifierOnly = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
                || key == Qt::Key_Meta || key == Qt::Key_AltGr;
            if (!modifierOnly && key != Qt::Key_Tab && key != Qt::Key_Backtab) {
                const QSignalBlocker block(cbCarKind_);
                cbCarKind_->clearText();
            }
            return false;
        }
        if (watched == edNumber_ && key == Qt::Key_Down && !edNumber_->isReadOnly()) {
            // The office's common prefix: the user types the last three digits.
            edNumber_->setText(kNumberPrefix);
            edNumber_->setCursorPosition(int(kNumberPrefix.size()));
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ke->modifiers() == Qt::NoModifier) {
            if (auto *b = qobject_cast<QPushButton *>(watched); b && b->isEnabled()) {
                b->click();
                return true;
            }
        }
    } else if (event->type() == QEvent::InputMethod && inSource) {
        // Chinese typed through an input method arrives as a commit, not a key.
        if (!static_cast<QInputMethodEvent *>(event)->commitString().isEmpty()) {
            const QSignalBlocker block(cbCarKind_);
            cbCarKind_->clearText();
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ------------------------------------------------------------- load

void TFrmCheXianBaodan::load()
{
    const Dataset &pol = ctx_.dm().AdoChexian;
    if (!pol.isActive() || pol.currentRow() < 0) return;
    form_->load(pol);
    accounts_->load(pol);
    if (!newMode_) {
        // A cancelled policy reached by stepping is marked too, and cannot
        // be modified.
        const bool cancelled = pol.flag(QStringLiteral("注销"));
        banner_->setVisible(cancelled);
        if (cancelled) placeBanner();
        if (tabs()->isEnabled() && !btnSave_->isEnabled()) btnModify_->setEnabled(!cancelled);
    }
}

// ------------------------------------------------------------- buttons

void TFrmCheXianBaodan::BitBtnPriorClick()
{
    Dataset &pol = ctx_.dm().AdoChexian;
    if (!pol.isActive()) return;
    // Viewing changes nothing: an edit state left by the caller is dropped
    // rather than posted by the move.
    if (pol.state() == Dataset::State::Edit) pol.cancel();
    pol.prior();
    btnNext_->setEnabled(true);
    if (pol.bof() && pol.currentRow() <= 0) btnPrior_->setEnabled(false);
    load();
}

void TFrmCheXianBaodan::BitBtnNextClick()
{
    Dataset &pol = ctx_.dm().AdoChexian;
    if (!pol.isActive()) return;
    if (pol.state() == Dataset::State::Edit) pol.cancel();
    pol.next();
    btnPrior_->setEnabled(true);
    if (pol.eof()) btnNext_->setEnabled(false);
    load();
}

void TFrmCheXianBaodan::BitBtnModifyClick()
{
    form_->setInputsEnabled(true);
    accounts_->setInputsEnabled(true);
    newMode_ = false;
    ctx_.state->EditMode = QStringLiteral("M");
    tabs()->setCurrentIndex(0);
    focusField(edNumber_);
    btnModify_->setEnabled(false);
    btnPrior_->setEnabled(false);
    btnNext_->setEnabled(false);
    btnSave_->setEnabled(true);
}

void TFrmCheXianBaodan::BitBtnSaveClick()
{
    ctx_.state->AuditState = accounts_->auditState();
    if (newMode_) {
        // The contact is checked before the insured here, unlike the other saves.
        if (!requiredFieldsFilled(true) || !coverPeriodValid() || !numberLengthValid() || !numberUnique()) return;
        if (!insertPolicy()) return;
        ctx_.messages().information(this, kNoticeTitle, QStringLiteral("友情提示：\r您输入的投保单信息已成功添加！"));
        accept();
        return;
    }
    if (!requiredFieldsFilled(false) || !coverPeriodValid() || !numberLengthValid() || !numberUnique()) return;
    if (!ctx_.messages().question(this, QStringLiteral("编辑保存提示"), QStringLiteral("您确认要保存编辑后的数据吗？")))
        return;
    if (!updatePolicy()) return;
    accept();
}

void TFrmCheXianBaodan::BitBtnSaveNewClick()
{
    if (!newMode_) return;
    ctx_.state->AuditState = accounts_->auditState();
    if (!requiredFieldsFilled(false) || !coverPeriodValid() || !numberLengthValid() || !numberUnique()) return;
    if (!insertPolicy()) return;
    clearForNext();
}

// ------------------------------------------------------------- checks

void TFrmCheXianBaodan::refuse(const QString &title, const QString &text, int tab, QWidget *focus)
{
    ctx_.messages().information(this, title, text);
    tabs()->setCurrentIndex(tab);
    focusField(focus);
}

bool TFrmCheXianBaodan::requiredFieldsFilled(bool contactBeforeInsured)
{
    struct Required {
        QString key;
        QString message;
    };
    std::vector<Required> order = {
        {cSource, QStringLiteral("提示：业务来源不能为空！")},
        {cCarKind, QStringLiteral("提示：车辆种类不能为空！")},
        {cNumber, QStringLiteral("提示：保单号不能为空！")},
        {cInsured, QStringLiteral("提示：被保险人不能为空！")},
        {cContact, QStringLiteral("提示：联系人姓名不能为空！")},
    };
    if (contactBeforeInsured) std::swap(order[3], order[4]);
    for (const Required &r : order) {
        if (!textOf(r.key).isEmpty()) continue;
        refuse(kSaveTitle, r.message, 0, field(r.key));
        return false;
    }
    return true;
}

bool TFrmCheXianBaodan::coverPeriodValid()
{
    // An empty date counts as the zero date.
    auto asShown = [](const DateEdit *e) { return e->isEmpty() ? QDate::fromString(kZeroDateText, kDateFormat) : e->date(); };
    const QDate start = asShown(edStart_), end = asShown(edEnd_);
    const int covers = tabs()->indexOf(form_->page(kTabCovers));
    if (end < start) {
        refuse(kSaveTitle, QStringLiteral("提示：保险起期不能大于保险止期！"), covers, edStart_);
        return false;
    }
    if (end == start) {
        refuse(kSaveTitle, QStringLiteral("提示：保险起期不能等于保险止期！"), covers, edStart_);
        return false;
    }
    return true;
}

bool TFrmCheXianBaodan::numberLengthValid()
{
    if (edNumber_->text().size() >= kNumberLength) return true;
    refuse(kNoticeTitle, QStringLiteral("提示：您输入的保单号位数不符！"), 0, edNumber_);
    return false;
}

bool TFrmCheXianBaodan::numberUnique()
{
    Dataset &ds = ctx_.dm().ds;
    const QString number = edNumber_->text();
    if (newMode_) {
        ds.reopen(Statement(QStringLiteral("select * from 车险投保单 where 保单号=?"), {number}));
    } else {
        const QVariant id = ctx_.dm().AdoChexian.value(QStringLiteral("id"));
        ds.reopen(Statement(QStringLiteral("select * from 车险投保单 where id <>? and 保单号=?"), {id, number}));
    }
    if (ds.recordCount() == 0) return true;
    refuse(kNoticeTitle,
           newMode_ ? QStringLiteral("您输入的保单号在数据库中已存在！\r\r请检查后重新输入")
                    : QStringLiteral("您输入的保单号在数据库中已存在！\r\r请检查后重新修改"),
           0, edNumber_);
    return false;
}

bool TFrmCheXianBaodan::numbersStorable()
{
    const TableDef *table = findTable(kMotorTable);
    for (const FieldDecl &d : form_->fields()) {
        const ColumnDef *col = table->column(d.column);
        if (!isNumberColumn(col) || (d.options & FieldOption::LoadOnly)) continue;
        try {
            storageFromText(*col, form_->fieldText(d.objectName), messageName(d));
        } catch (const ValueError &e) {
            refuse(kSaveTitle, e.message(), tabs()->indexOf(form_->page(d.tab)), form_->widget(d.objectName));
            return false;
        }
    }
    const ColumnDef *profit = table->column(QStringLiteral("利润"));
    try {
        storageFromText(*profit, accounts_->profit()->text(), QStringLiteral("利润"));
    } catch (const ValueError &e) {
        refuse(kSaveTitle, e.message(), tabs()->indexOf(accounts_), accounts_->profit());
        return false;
    }
    return true;
}

bool TFrmCheXianBaodan::guardedSave(const std::function<void()> &write, const std::function<void()> &undo)
{
    // A value the columns refuse, or a failed write: nothing stays written,
    // and the user is told why.
    try {
        write();
        return true;
    } catch (const ValueError &e) {
        undo();
        ctx_.messages().information(this, kSaveTitle, e.message());
    } catch (const DbError &e) {
        undo();
        showFailure(e.message());
    }
    return false;
}

void TFrmCheXianBaodan::showFailure(const QString &text)
{
    ctx_.messages().error(this, kNoticeTitle, text);
}

// ------------------------------------------------------------- writes

namespace {

// Every saved column of the editor into the policy row's buffer. The
// accounts tab goes first: its one refusable value (the profit) is set
// before anything else, and the form converts all its values before it
// sets any.
void writePolicy(Dataset &pol, const FormBuilder &form, const AccountsTab &accounts, const AppState &state)
{
    accounts.save(pol);
    form.save(pol);
    pol.setText(QStringLiteral("险种"), state.PolicyKind);
    pol.setText(QStringLiteral("审核"), state.AuditState);
    pol.setText(QStringLiteral("用户"), state.CurrentUser);
}

} // namespace

bool TFrmCheXianBaodan::insertPolicy()
{
    if (!numbersStorable()) return false;
    Dataset &pol = ctx_.dm().AdoChexian;
    Dataset &cus = ctx_.dm().ADOQuery1;
    std::optional<Transaction> tx;
    bool customerPosted = false, policyPosted = false;
    // Takes the rows of a failed save out of both datasets again. Runs while
    // the transaction is still open, so the removal of a posted row cannot
    // meet a row that someone else has stored since.
    auto undo = [&] {
        try {
            if (policyPosted) pol.remove();
            else if (pol.state() == Dataset::State::Insert) pol.cancel();
            if (customerPosted) cus.remove();
            else if (cus.state() == Dataset::State::Insert) cus.cancel();
        } catch (const DbError &) {
            // The rollback below still leaves the file as it was.
        }
        tx.reset();
    };
    return guardedSave(
        [&] {
            // A dataset no window shows need not load its rows to take one more.
            if (!pol.isActive()) pol.openForAppend();
            if (!cus.isActive()) cus.openForAppend();
            tx.emplace(ctx_.db());
            pol.append();
            writePolicy(pol, *form_, *accounts_, *ctx_.state);
            cus.append();
            cus.setText(QStringLiteral("zlxr"), textOf(cContact));
            cus.setText(QStringLiteral("xianzhong"), ctx_.state->PolicyKind);
            cus.setText(QStringLiteral("khly"), textOf(cSource));
            cus.setText(QStringLiteral("baodanhao"), textOf(cNumber));
            cus.setText(QStringLiteral("用户"), ctx_.state->CurrentUser);
            // The customer row first, then the policy, both or neither.
            cus.post();
            customerPosted = true;
            pol.post();
            policyPosted = true;
            tx->commit();
        },
        undo);
}

bool TFrmCheXianBaodan::updatePolicy()
{
    if (!numbersStorable()) return false;
    Dataset &pol = ctx_.dm().AdoChexian;
    Connection &db = ctx_.db();
    std::optional<Transaction> tx;
    // A refused or failed save leaves the row's edit buffer as it was
    // loaded, so that nothing half-set can be posted later by a move.
    auto undo = [&] {
        try {
            if (pol.state() == Dataset::State::Edit) {
                pol.cancel();
                pol.edit();
            }
        } catch (const DbError &) {
        }
        tx.reset();
    };
    return guardedSave(
        [&] {
            if (pol.state() != Dataset::State::Edit) pol.edit();
            writePolicy(pol, *form_, *accounts_, *ctx_.state);
            tx.emplace(db);
            // The companion customer row is the one this policy's new-policy
            // save created: its number is the policy's stored (old) number and
            // its kind the motor kind. It is found by key in the table, not in
            // ADOQuery1, whose statement belongs to whichever list loaded it
            // last and may not hold the row. Should older rows carry the same
            // number (a policy deleted and entered again), the newest is this
            // policy's; no other customer row is touched.
            const QVariant id = pol.value(QStringLiteral("id"));
            const QVariant oldNumber = db.scalar(QStringLiteral("select 保单号 from 车险投保单 where id=?"), {id});
            db.exec(QStringLiteral("update khgx set zlxr=?, khly=?, baodanhao=? where ID=(select max(ID) from khgx"
                                   " where baodanhao=? and xianzhong=?)"),
                    {textOf(cContact), textOf(cSource), textOf(cNumber), oldNumber, kKindMotor});
            pol.post();
            tx->commit();
        },
        undo);
}

void TFrmCheXianBaodan::clearForNext()
{
    form_->clear();
    accounts_->clear();
    accounts_->premium()->clearValue();
    tabs()->setCurrentIndex(0);
    focusField(cbSource_);
}

// ------------------------------------------------------------- callers

void openMotorPolicyNew(const Context &ctx, QWidget *parent)
{
    ctx.state->EditMode = QStringLiteral("N");
    TFrmCheXianBaodan dlg(ctx, parent);
    ctx.modal().run(dlg);
}

void openMotorPolicyModify(const Context &ctx, QWidget *parent)
{
    Dataset &pol = ctx.dm().AdoChexian;
    if (!pol.isActive() || pol.currentRow() < 0) return;
    pol.edit();
    ctx.state->EditMode = QStringLiteral("M");
    TFrmCheXianBaodan dlg(ctx, parent);
    dlg.load();
    ctx.modal().run(dlg);
}

} // namespace tolvaris
