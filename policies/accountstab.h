#pragma once
// The accounts tab ("帐务") shared by the three policy editors: the premium
// split by four ratios, ten settlement rows with their checks, the profit,
// and the audit state that follows from the seven automatic checks. The
// editors differ only in the settings below.
#include "fields.h"
#include "money.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tolvaris {

class Dataset;

struct AccountsSettings {
    enum class Kind { Motor, Marine, NonMotor };
    enum class IssueDate { Shown, Hidden, Mirrored };
    Kind kind;
    QString premiumColumn;        // 保险费合计 / 保费 / 保险费
    bool premiumEditable;         // marine: disabled copy of the first tab's 保费
    bool premiumSaved;            // whether save() writes premiumColumn (motor only; the other editors write it from their own field)
    IssueDate issueDate;          // motor Shown (saved to 出单日期), marine Hidden, non-motor Mirrored (not saved from here)
    bool derivedEditable;         // marine
    bool netChangeRecomputes;     // motor: a change of 净保费 applies formula 4
    bool emptiedRatioEmpties;     // non-motor reactions (and its own r1..r4 rules)
    bool waysListOnlyInNewMode;   // motor; marine and non-motor always typed
    bool clearEmptiesProfit;      // non-motor
    static AccountsSettings motor();
    static AccountsSettings marine();
    static AccountsSettings nonMotor();
};

class AccountsTab : public QWidget {   // objectName "tabAccounts"; caption of its tab page is "帐务"
    Q_OBJECT
public:
    explicit AccountsTab(const AccountsSettings &s, QWidget *parent = nullptr);
    ~AccountsTab() override;
    const AccountsSettings &settings() const;

    AmountEdit *premium() const;            // "保险费："
    DateEdit *issueDate() const;            // "出单日期：" (hidden for marine)
    QLineEdit *ratio(int i) const;          // 0..3: 净保费比例, 按保费计算的费用比例, 自留比例, 按净保费计算的费用比例
    AmountEdit *derived(int i) const;       // 0..3: 净保费, 按保费计算的费用, 自留, 按净保费计算的费用
    struct Row {
        QString caption;                    // "实收保费：" ...
        QString amountColumn;               // 实收保费, 公司结费, ... 自留1, 佣金
        AmountEdit *amount;
        ComboField *way;                    // entries "", "现金", "支票", "转账", "抵转"
        DateEdit *date;
        QCheckBox *manual;                  // "人工审核"
        QCheckBox *automatic;               // "自动审核"; nullptr on 公司退费, 费用支付, 佣金
    };
    int rowCount() const;                   // 10, in screen order
    const Row &row(int i) const;
    QLineEdit *profit() const;              // "利润"
    QWidget *field(const QString &column) const;   // any of its fields by column name

    // For the mirrored modes (non-motor): the policy page's fields the tab follows.
    void setIssueDateSource(DateEdit *policyPageDate);
    // The first tab's premium field. Marine: its value is copied into
    // "保险费：" on every change. Non-motor: the two fields mirror each other.
    // Motor: ignored (the premium is entered here).
    void setPremiumSource(AmountEdit *policyPagePremium);

    void load(const Dataset &ds);           // the current row, in the order the loading rules need
    void save(Dataset &ds) const;           // its columns into the edit buffer (ValueError names the caption)
    void clear();                           // the clearing rules of its settings
    void setInputsEnabled(bool on);
    void setModifyMode(bool modify);        // way boxes: list-only in new mode (motor), typed in modify mode
    bool allChecksTicked() const;
    QString auditState() const;             // "已审核" / "未审核"
    QList<QWidget *> enterOrder() const;    // the tab's Enter order, from 保险费/出单日期 (as shown) to 佣金's date

    // The row that carries automatic check `i` (0..6, in screen order), and
    // what that check compares with.
    static constexpr int kAutoRows = 7;
    const Row &autoRow(int i) const;
    AmountEdit *autoReference(int i) const;
    // The label in front of a field, by column ("" column: the premium).
    QLabel *caption(const QString &column) const;

signals:
    void premiumChanged(tolvaris::Money value);

private:
    struct RowSpec;
    void buildPremiumGroup(QWidget *box);
    void buildSettlementGroup(QWidget *box);
    void wireReactions();

    void onPremiumChanged();
    void onRatioChanged(int i);
    void onNetChanged();
    void onRowAmountChanged(int row);
    bool ruleHolds(int row) const;
    // Applies formula f (0..3) into its derived amount; nothing when the
    // ratio is no number.
    void applyFormula(int f);

    AccountsSettings s_;
    AmountEdit *premium_ = nullptr;
    DateEdit *issueDate_ = nullptr;
    QLineEdit *ratios_[4] = {};
    AmountEdit *derived_[4] = {};
    std::vector<Row> rows_;
    std::vector<AmountEdit *> rowRefs_;     // per row: the automatic check's reference, or nullptr
    std::vector<bool> needsPremium_;        // per row: rule re-applied only when amount and premium are set
    QLineEdit *profit_ = nullptr;
    QHash<QString, QWidget *> byColumn_;
    QHash<QString, QLabel *> captions_;
    QPointer<DateEdit> issueSource_;
    QPointer<AmountEdit> premiumSource_;
    bool modify_ = false;
};

} // namespace tolvaris
