#include "accountstab.h"

#include "dataset.h"
#include "policymath.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <functional>

namespace tolvaris {

namespace {

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

constexpr int kTextColumnLength = 50;

// The automatic check: an indicator whose state follows a rule. A click
// does not toggle it; it sets the box once to what the rule says.
class AutoCheckBox : public QCheckBox {
public:
    AutoCheckBox(const QString &text, std::function<bool()> rule, QWidget *parent)
        : QCheckBox(text, parent), rule_(std::move(rule)) {}

protected:
    void nextCheckState() override { setChecked(rule_()); }

private:
    std::function<bool()> rule_;
};

// Reference of an automatic check: what a settlement row's amount must equal.
enum Ref { NoCheck = -1, RefPremium = -2, RefFeeOnPremium = 1, RefRetained = 2, RefFeeOnNet = 3 };

struct RowDef {
    const char *caption;
    const char *column;
    int ref;
};

// Screen order of the settlement rows.
const RowDef kRows[] = {
    {"实收保费：", "实收保费", RefPremium},
    {"公司结费：", "公司结费", RefPremium},
    {"公司退费：", "公司退费", NoCheck},
    {"按保费计算的公司退费：", "按保费计算的公司退费", RefFeeOnPremium},
    {"净保费计算的公司退费：", "净保费计算的公司退费", RefFeeOnNet},
    {"费用支付：", "费用支付", NoCheck},
    {"按保费计算的费用支付：", "按保费计算的费用支付", RefFeeOnPremium},
    {"净保费计算的费用支付：", "净保费计算的费用支付", RefFeeOnNet},
    {"自留：", "自留1", RefRetained},
    {"佣金：", "佣金", NoCheck},
};
constexpr int kRowCount = int(std::size(kRows));

const char *const kRatioCaptions[4] = {"净保费比例：", "按保费计算的费用比例：", "自留比例：", "按净保费计算的费用比例："};
const char *const kRatioColumns[4] = {"净保费比例", "按保费计算的费用比例", "自留比例", "按净保费计算的费用比例"};
const char *const kDerivedCaptions[4] = {"净保费：", "按保费计算的费用：", "自留：", "按净保费计算的费用："};
const char *const kDerivedColumns[4] = {"净保费", "按保费计算的费用", "自留", "按净保费计算的费用"};

const QString kIssueDateColumn = QStringLiteral("出单日期");
const QString kProfitColumn = QStringLiteral("利润");

// The non-motor editor loads its settlement rows in its own column order;
// the order matters little (each row's check only reads references loaded
// before it) but follows the table's field map.
const int kNonMotorRowLoadOrder[kRowCount] = {9, 8, 0, 1, 5, 6, 7, 2, 3, 4};
const int kScreenRowOrder[kRowCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

QString fieldName(const QString &caption)
{
    QString n = caption;
    if (n.endsWith(u'：')) n.chop(1);
    return n;
}

// Amounts of a text column (the non-motor table keeps two that way) are
// the amount's plain text.
Money loadMoney(const Dataset &ds, const QString &column)
{
    const int c = ds.columnIndex(column);
    if (c >= 0 && ds.columnType(c) == ColType::Text) return Money::parse(ds.text(column)).value_or(Money());
    return ds.money(column);
}

void paintCaption(QCheckBox *box, bool red)
{
    QPalette pal = box->palette();
    const QPalette base = box->parentWidget() ? box->parentWidget()->palette() : QPalette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (auto role : {QPalette::WindowText, QPalette::ButtonText}) {
            pal.setColor(group, role, red ? QColor(Qt::red) : base.color(group, role));
        }
    }
    box->setPalette(pal);
}

} // namespace

// ---------------------------------------------------------------- settings

AccountsSettings AccountsSettings::motor()
{
    return {Kind::Motor, s("保险费合计"), true, true, IssueDate::Shown, false, true, false, true, false};
}

AccountsSettings AccountsSettings::marine()
{
    return {Kind::Marine, s("保费"), false, false, IssueDate::Hidden, true, false, false, false, false};
}

AccountsSettings AccountsSettings::nonMotor()
{
    return {Kind::NonMotor, s("保险费"), true, false, IssueDate::Mirrored, false, false, true, false, true};
}

// ------------------------------------------------------------------ build

AccountsTab::AccountsTab(const AccountsSettings &settings, QWidget *parent) : QWidget(parent), s_(settings)
{
    setObjectName(QStringLiteral("tabAccounts"));

    auto *premiumBox = new QGroupBox(this);
    premiumBox->setObjectName(QStringLiteral("grpPremium"));
    auto *settlementBox = new QGroupBox(this);
    settlementBox->setObjectName(QStringLiteral("grpSettlement"));
    buildPremiumGroup(premiumBox);
    buildSettlementGroup(settlementBox);

    profit_ = new QLineEdit(this);
    profit_->setObjectName(QStringLiteral("edProfit"));
    profit_->setFixedWidth(100);
    byColumn_.insert(kProfitColumn, profit_);
    auto *profitLabel = new QLabel(s("利润"), this);
    profitLabel->setBuddy(profit_);
    captions_.insert(kProfitColumn, profitLabel);

    auto *groups = new QHBoxLayout;
    groups->setSpacing(8);
    groups->addWidget(premiumBox, 0);
    groups->addWidget(settlementBox, 1);

    auto *profitRow = new QHBoxLayout;
    profitRow->setContentsMargins(10, 0, 0, 0);
    profitRow->addWidget(profitLabel);
    profitRow->addWidget(profit_);
    profitRow->addStretch(1);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(8, 8, 8, 8);
    lay->setSpacing(6);
    lay->addLayout(groups);
    lay->addLayout(profitRow);
    lay->addStretch(1);

    wireReactions();
    setModifyMode(false);
}

AccountsTab::~AccountsTab() = default;

void AccountsTab::buildPremiumGroup(QWidget *box)
{
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(9);
    int r = 0;
    issueDate_ = new DateEdit(box);
    issueDate_->setObjectName(QStringLiteral("edIssueDate"));
    // One width for the column, wide enough for a date and its button.
    const int fieldWidth = std::max(100, issueDate_->minimumWidth());
    auto addRow = [&](const QString &caption, const QString &column, QWidget *w, bool percent) {
        auto *label = new QLabel(caption, box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(w);
        captions_.insert(column, label);
        byColumn_.insert(column, w);
        w->setFixedWidth(fieldWidth);
        grid->addWidget(label, r, 0);
        grid->addWidget(w, r, 1);
        if (percent) grid->addWidget(new QLabel(QStringLiteral("%"), box), r, 2);
        ++r;
        return label;
    };

    premium_ = new AmountEdit(box);
    premium_->setObjectName(QStringLiteral("edPremium"));
    premium_->setEnabled(s_.premiumEditable);
    addRow(s("保险费："), s_.premiumColumn, premium_, false);

    QLabel *dateLabel = addRow(s("出单日期："), kIssueDateColumn, issueDate_, false);
    if (s_.issueDate == AccountsSettings::IssueDate::Hidden) {
        dateLabel->hide();
        issueDate_->hide();
    }

    for (int i = 0; i < 4; ++i) {
        ratios_[i] = new QLineEdit(box);
        ratios_[i]->setObjectName(QStringLiteral("edRatio%1").arg(i + 1));
        ratios_[i]->setMaxLength(kTextColumnLength);
        installNumericFilter(ratios_[i]);
        addRow(s(kRatioCaptions[i]), s(kRatioColumns[i]), ratios_[i], true);

        derived_[i] = new AmountEdit(box);
        derived_[i]->setObjectName(QStringLiteral("edDerived%1").arg(i + 1));
        derived_[i]->setReadOnly(!s_.derivedEditable);
        addRow(s(kDerivedCaptions[i]), s(kDerivedColumns[i]), derived_[i], false);
    }
    grid->setRowStretch(r, 1);
}

void AccountsTab::buildSettlementGroup(QWidget *box)
{
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(9);
    const QStringList ways = {QString(), s("现金"), s("支票"), s("转账"), s("抵转")};

    rows_.reserve(kRowCount);
    for (int r = 0; r < kRowCount; ++r) {
        const RowDef &d = kRows[r];
        const QString col = s(d.column);
        Row row;
        row.caption = s(d.caption);
        row.amountColumn = col;

        row.amount = new AmountEdit(box);
        row.amount->setObjectName(QStringLiteral("edAmount_") + col);
        row.amount->setFixedWidth(90);

        row.way = new ComboField(box);
        row.way->setObjectName(QStringLiteral("cbWay_") + col);
        row.way->setItems(ways);
        row.way->setMaxTextLength(kTextColumnLength);
        row.way->setMinimumContentsLength(3);

        row.date = new DateEdit(box);
        row.date->setObjectName(QStringLiteral("edDate_") + col);

        row.manual = new QCheckBox(s("人工审核"), box);
        row.manual->setObjectName(QStringLiteral("chkManual_") + col);

        row.automatic = nullptr;
        if (d.ref != NoCheck) {
            row.automatic = new AutoCheckBox(s("自动审核"), [this, r] { return ruleHolds(r); }, box);
            row.automatic->setObjectName(QStringLiteral("chkAuto_") + col);
        }

        auto *label = new QLabel(row.caption, box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(row.amount);
        captions_.insert(col, label);
        byColumn_.insert(col, row.amount);
        byColumn_.insert(col + s("方式"), row.way);
        byColumn_.insert(col + s("日期"), row.date);
        byColumn_.insert(col + s("人工审核"), row.manual);

        grid->addWidget(label, r, 0);
        grid->addWidget(row.amount, r, 1);
        grid->addWidget(new QLabel(s("方式："), box), r, 2);
        grid->addWidget(row.way, r, 3);
        grid->addWidget(new QLabel(s("时间："), box), r, 4);
        grid->addWidget(row.date, r, 5);
        grid->addWidget(row.manual, r, 6);
        if (row.automatic) grid->addWidget(row.automatic, r, 7);

        rows_.push_back(row);
        AmountEdit *ref = nullptr;
        if (d.ref == RefPremium) ref = premium_;
        else if (d.ref >= 0) ref = derived_[d.ref];
        rowRefs_.push_back(ref);
        // Received and settled premium: an amount or a premium not yet
        // entered leaves the box as it is.
        needsPremium_.push_back(d.ref == RefPremium);
    }
    grid->setColumnStretch(8, 1);
    grid->setRowStretch(kRowCount, 1);
}

void AccountsTab::wireReactions()
{
    connect(premium_, &AmountEdit::valueChanged, this, &AccountsTab::onPremiumChanged);
    for (int i = 0; i < 4; ++i) connect(ratios_[i], &QLineEdit::textChanged, this, [this, i] { onRatioChanged(i); });
    connect(derived_[0], &AmountEdit::valueChanged, this, &AccountsTab::onNetChanged);
    for (int r = 0; r < kRowCount; ++r) {
        connect(rows_[size_t(r)].amount, &AmountEdit::valueChanged, this, [this, r] { onRowAmountChanged(r); });
        if (QCheckBox *box = rows_[size_t(r)].automatic)
            connect(box, &QCheckBox::toggled, box, [box](bool on) { paintCaption(box, on); });
    }

    // Mirrored issue date: whatever is typed or picked here gives way to the
    // policy page's date at once.
    auto followSource = [this] {
        if (s_.issueDate != AccountsSettings::IssueDate::Mirrored || !issueSource_) return;
        if (issueDate_->text() != issueSource_->dateText() || issueDate_->date() != issueSource_->date())
            issueDate_->setDate(issueSource_->date());
        if (issueDate_->text() != issueSource_->dateText()) issueDate_->setText(issueSource_->dateText());
    };
    connect(issueDate_, &QLineEdit::textEdited, this, followSource);
    connect(issueDate_, &DateEdit::dateChanged, this, followSource);
}

// ------------------------------------------------------------- accessors

const AccountsSettings &AccountsTab::settings() const { return s_; }
AmountEdit *AccountsTab::premium() const { return premium_; }
DateEdit *AccountsTab::issueDate() const { return issueDate_; }
QLineEdit *AccountsTab::ratio(int i) const { return ratios_[i]; }
AmountEdit *AccountsTab::derived(int i) const { return derived_[i]; }
int AccountsTab::rowCount() const { return int(rows_.size()); }
const AccountsTab::Row &AccountsTab::row(int i) const { return rows_[size_t(i)]; }
QLineEdit *AccountsTab::profit() const { return profit_; }
QWidget *AccountsTab::field(const QString &column) const { return byColumn_.value(column); }
QLabel *AccountsTab::caption(const QString &column) const { return captions_.value(column); }

const AccountsTab::Row &AccountsTab::autoRow(int i) const
{
    int seen = 0;
    for (const Row &r : rows_) {
        if (!r.automatic) continue;
        if (seen++ == i) return r;
    }
    Q_ASSERT(false);
    return rows_.front();
}

AmountEdit *AccountsTab::autoReference(int i) const
{
    int seen = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (!rows_[r].automatic) continue;
        if (seen++ == i) return rowRefs_[r];
    }
    return nullptr;
}

// ------------------------------------------------------------- mirrors

void AccountsTab::setIssueDateSource(DateEdit *policyPageDate)
{
    if (issueSource_) disconnect(issueSource_, nullptr, this, nullptr);
    issueSource_ = policyPageDate;
    if (!issueSource_) return;
    connect(issueSource_, &DateEdit::dateChanged, this, [this](const QDate &d) { issueDate_->setDate(d); });
    issueDate_->setDate(issueSource_->date());
}

void AccountsTab::setPremiumSource(AmountEdit *policyPagePremium)
{
    if (s_.kind == AccountsSettings::Kind::Motor) return;
    if (premiumSource_) disconnect(premiumSource_, nullptr, this, nullptr);
    premiumSource_ = policyPagePremium;
    if (!premiumSource_) return;
    // The copy into "保险费：" runs the premium rule through its change.
    // Equal values are not copied: setValue re-renders the text, which
    // would cut a half-typed "100." in the field being typed into.
    auto copy = [this](Money m) {
        if (premium_->value() != m) premium_->setValue(m);
    };
    connect(premiumSource_, &AmountEdit::valueChanged, this, copy);
    copy(premiumSource_->value());
}

// ------------------------------------------------------------- reactions

void AccountsTab::applyFormula(int f)
{
    const QString ratio = ratios_[f]->text();
    std::optional<Money> m;
    switch (f) {
    case 0: m = netPremium(premium_->value(), ratio); break;
    case 1: m = feeOnPremium(premium_->value(), ratio); break;
    case 2: m = retainedShare(premium_->value(), ratio); break;
    default: m = feeOnNetPremium(derived_[0]->value(), ratio); break;
    }
    // A ratio that is no number (a lone ".") leaves the amount as it is.
    if (m) derived_[f]->setValue(*m);
}

void AccountsTab::onPremiumChanged()
{
    const Money p = premium_->value();
    if (s_.kind == AccountsSettings::Kind::NonMotor && premiumSource_ && premiumSource_->value() != p)
        premiumSource_->setValue(p);

    auto filled = [this](int i) { return !ratios_[i]->text().isEmpty(); };
    // Without both the net ratio and the fee-on-net ratio a new premium
    // leaves the split alone; the user retypes a ratio to recompute.
    if (filled(3) && filled(0)) {
        applyFormula(0);
        if (filled(1)) {
            applyFormula(1);
            if (filled(2)) applyFormula(2);
        }
    }
    emit premiumChanged(p);
}

void AccountsTab::onRatioChanged(int i)
{
    const bool ratioSet = !ratios_[i]->text().isEmpty();
    const bool premiumSet = !premium_->isEmpty();
    if (s_.emptiedRatioEmpties) {
        switch (i) {
        case 0:
        case 1:
            if (!premiumSet) return;
            if (ratioSet) applyFormula(i);
            else derived_[i]->clearValue();
            return;
        default:
            if (!ratioSet) derived_[i]->clearValue();
            else if (premiumSet) applyFormula(i);
            return;
        }
    }
    const bool baseSet = i == 3 ? !derived_[0]->isEmpty() : premiumSet;
    if (ratioSet && baseSet) applyFormula(i);
}

void AccountsTab::onNetChanged()
{
    if (s_.netChangeRecomputes && !ratios_[3]->text().isEmpty()) applyFormula(3);
}

bool AccountsTab::ruleHolds(int r) const
{
    const AmountEdit *ref = rowRefs_[size_t(r)];
    return ref && amountsMatch(rows_[size_t(r)].amount->value(), ref->value());
}

void AccountsTab::onRowAmountChanged(int r)
{
    const Row &row = rows_[size_t(r)];
    if (!row.automatic) return;
    if (needsPremium_[size_t(r)] && (row.amount->isEmpty() || premium_->isEmpty())) return;
    row.automatic->setChecked(ruleHolds(r));
}

// ------------------------------------------------------------- checks

bool AccountsTab::allChecksTicked() const
{
    for (const Row &r : rows_)
        if (r.automatic && !r.automatic->isChecked()) return false;
    return true;
}

QString AccountsTab::auditState() const
{
    std::array<bool, kAutoCheckCount> ticked{};
    for (int i = 0; i < kAutoCheckCount; ++i) ticked[size_t(i)] = autoRow(i).automatic->isChecked();
    return tolvaris::auditState(ticked);
}

// ------------------------------------------------------------- load/save

void AccountsTab::load(const Dataset &ds)
{
    premium_->setValue(loadMoney(ds, s_.premiumColumn));
    if (s_.issueDate == AccountsSettings::IssueDate::Shown) issueDate_->setDate(ds.date(kIssueDateColumn));

    // Each stored amount goes in after the ratio that would recompute it, so
    // the stored amounts are what shows. The non-motor table loads 自留
    // before its ratio: there the ratio's reaction has the last word.
    auto ratio = [&](int i) { ratios_[i]->setText(ds.text(s(kRatioColumns[i]))); };
    auto amount = [&](int i) { derived_[i]->setValue(loadMoney(ds, s(kDerivedColumns[i]))); };
    ratio(0), amount(0), ratio(1), amount(1);
    if (s_.kind == AccountsSettings::Kind::NonMotor) amount(2), ratio(2);
    else ratio(2), amount(2);
    ratio(3), amount(3);

    const int *order = s_.kind == AccountsSettings::Kind::NonMotor ? kNonMotorRowLoadOrder : kScreenRowOrder;
    for (int k = 0; k < kRowCount; ++k) {
        const Row &r = rows_[size_t(order[k])];
        const QString &col = r.amountColumn;
        r.amount->setValue(loadMoney(ds, col));
        r.way->setText(ds.text(col + s("方式")));
        r.date->setDate(ds.date(col + s("日期")));
        r.manual->setChecked(ds.flag(col + s("人工审核")));
    }
    profit_->setText(ds.text(kProfitColumn));
}

void AccountsTab::save(Dataset &ds) const
{
    // The only value that can be refused goes first, so a refusal leaves
    // the buffer as it was.
    ds.setText(kProfitColumn, profit_->text(), s("利润"));
    if (s_.premiumSaved) ds.setMoney(s_.premiumColumn, premium_->value());
    if (s_.issueDate == AccountsSettings::IssueDate::Shown) ds.setDate(kIssueDateColumn, issueDate_->date());
    for (int i = 0; i < 4; ++i) {
        ds.setText(s(kRatioColumns[i]), ratios_[i]->text(), fieldName(s(kRatioCaptions[i])));
        ds.setMoney(s(kDerivedColumns[i]), derived_[i]->value());
    }
    for (const Row &r : rows_) {
        const QString &col = r.amountColumn;
        ds.setMoney(col, r.amount->value());
        ds.setText(col + s("方式"), r.way->text(), fieldName(r.caption) + s("方式"));
        ds.setDate(col + s("日期"), r.date->date());
        ds.setFlag(col + s("人工审核"), r.manual->isChecked());
    }
}

// ------------------------------------------------------------- modes

void AccountsTab::clear()
{
    // Ratios first: with them empty, emptying the amounts recomputes nothing.
    for (QLineEdit *r : ratios_) r->clear();
    for (AmountEdit *d : derived_) d->clearValue();
    for (const Row &r : rows_) {
        r.amount->clearValue();
        r.way->clearText();
        r.date->clearDate();
        r.manual->setChecked(false);
    }
    // Emptied amounts may have ticked a box (two empty amounts are equal):
    // clearing leaves every box unticked.
    for (const Row &r : rows_)
        if (r.automatic) r.automatic->setChecked(false);
    if (s_.clearEmptiesProfit) profit_->clear();
}

void AccountsTab::setInputsEnabled(bool on)
{
    premium_->setEnabled(on && s_.premiumEditable);
    issueDate_->setEnabled(on);
    for (int i = 0; i < 4; ++i) {
        ratios_[i]->setEnabled(on);
        derived_[i]->setEnabled(on);
    }
    for (const Row &r : rows_) {
        r.amount->setEnabled(on);
        r.way->setEnabled(on);
        r.date->setEnabled(on);
        r.manual->setEnabled(on);
        if (r.automatic) r.automatic->setEnabled(on);
    }
    profit_->setEnabled(on);
}

void AccountsTab::setModifyMode(bool modify)
{
    modify_ = modify;
    const bool listOnly = s_.waysListOnlyInNewMode && !modify;
    for (const Row &r : rows_) r.way->setListOnly(listOnly);
}

QList<QWidget *> AccountsTab::enterOrder() const
{
    QList<QWidget *> order;
    if (s_.kind == AccountsSettings::Kind::Motor) {
        order << premium_;
        if (s_.issueDate == AccountsSettings::IssueDate::Shown) order << issueDate_;
    }
    for (int i = 0; i < 4; ++i) order << ratios_[i] << derived_[i];
    for (const Row &r : rows_) order << r.amount << r.way << r.date;
    return order;
}

} // namespace tolvaris
