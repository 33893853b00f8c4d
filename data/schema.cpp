#include "schema.h"

namespace tolvaris {

namespace {

ColumnDef key(const char *n) { return {QString::fromUtf8(n), ColType::AutoNumber, 0, {}}; }
ColumnDef txt(const char *n, int len = 50) { return {QString::fromUtf8(n), ColType::Text, len, {}}; }
ColumnDef memo(const char *n) { return {QString::fromUtf8(n), ColType::Memo, 0, {}}; }
ColumnDef integer(const char *n, const char *def = nullptr)
{
    return {QString::fromUtf8(n), ColType::Integer, 0, def ? QString::fromUtf8(def) : QString()};
}
ColumnDef yesno(const char *n, const char *def = nullptr)
{
    return {QString::fromUtf8(n), ColType::YesNo, 0, def ? QString::fromUtf8(def) : QString()};
}
ColumnDef date(const char *n) { return {QString::fromUtf8(n), ColType::Date, 0, {}}; }
ColumnDef money(const char *n) { return {QString::fromUtf8(n), ColType::Currency, 0, {}}; }

// A settlement step: amount, way of payment, date, manual check.
void step(std::vector<ColumnDef> &c, const char *amount, bool withAmount = true, bool amountAsText = false)
{
    const QString a = QString::fromUtf8(amount);
    if (withAmount)
        c.push_back(amountAsText ? ColumnDef{a, ColType::Text, 50, {}} : ColumnDef{a, ColType::Currency, 0, {}});
    c.push_back({a + QStringLiteral("方式"), ColType::Text, 50, {}});
    c.push_back({a + QStringLiteral("日期"), ColType::Date, 0, {}});
    c.push_back({a + QStringLiteral("人工审核"), ColType::YesNo, 0, {}});
}

// Steps 1 to 9 in the order of the settlement table.
void steps1to9(std::vector<ColumnDef> &c)
{
    for (const char *s : {"实收保费", "公司结费", "费用支付", "公司退费", "按保费计算的公司退费",
                          "净保费计算的公司退费", "按保费计算的费用支付", "净保费计算的费用支付", "自留1"})
        step(c, s);
}

const QStringList kPolicyIndexes = {
    QStringLiteral("保单号"), QStringLiteral("用户"), QStringLiteral("审核"), QStringLiteral("Flag"),
    QStringLiteral("出单日期"), QStringLiteral("实收保费日期"),
};

TableDef motorTable()
{
    TableDef t{kMotorTable, {}, {}};
    auto &c = t.columns;
    c = {key("id"), txt("险种"), txt("车辆种类"), txt("保单号"), txt("被保险人"), txt("证件类型"),
         txt("证件号码"), txt("联系人"), txt("电话总机"), txt("手机"), txt("通讯地址"), txt("投被保险人"),
         txt("投证件类型"), txt("投证件号码"), txt("投联系人姓名"), txt("投联系电话"), txt("投通讯地址"),
         txt("行驶证车主"), txt("厂牌车型"), txt("座位"), txt("吨位"), txt("牌照号码"), txt("发动机号"),
         txt("车架号"), txt("行驶区域"), date("初登年月"), txt("使用性质"), txt("所属性质"), txt("防盗装置"),
         txt("停放地点"), date("保险起期"), date("保险止期"), money("新车购置价"), money("保险金额"),
         money("车损保险费"), txt("赔偿限额"), money("三责保险费"), txt("赔付比例"), money("盗抢保额"),
         money("盗抢保险费"), txt("车上赔偿限额"), money("驾驶员"), txt("前排座位"), money("前排保险费"),
         txt("后排座位"), integer("后排保险费"), money("车上人保险费"), txt("玻璃类别"), money("玻璃保险费"),
         money("自燃保险费"), txt("车身赔偿限额"), money("车身保险费"), money("无过错保险费"), txt("不计免赔"),
         money("保险费合计"), txt("业务来源"), txt("净保费比例"), money("净保费"), txt("费用比例"),
         txt("按保费计算的费用比例"), money("按保费计算的费用"), txt("自留比例"), money("自留"),
         txt("按净保费计算的费用比例"), money("按净保费计算的费用"), money("佣金")};
    steps1to9(c);
    step(c, "佣金", false);
    c.insert(c.end(), {integer("利润"), txt("备注"), txt("审核"), date("出单日期"), yesno("注销", "0"),
                       txt("注销日期"), txt("注销说明"), txt("用户"), integer("Flag", "0")});
    t.indexes = kPolicyIndexes;
    t.indexes << QStringLiteral("保险止期");
    return t;
}

TableDef marineTable()
{
    TableDef t{kMarineTable, {}, {}};
    auto &c = t.columns;
    c = {key("id"), txt("险种名称"), txt("保单号"), txt("被保险人"), txt("保单流水号"), money("保险金额"),
         txt("保险金额币种"), txt("费率"), money("保费"), txt("保费币种"), date("出单日期"), yesno("发票已出"),
         yesno("发票未出"), txt("业务来源"), txt("联系人"), txt("联系电话"), txt("净保费比例"), money("净保费"),
         txt("费用比例"), txt("按保费计算的费用比例"), money("按保费计算的费用"), txt("自留比例"), money("自留"),
         txt("按净保费计算的费用比例"), money("按净保费计算的费用"), money("佣金")};
    steps1to9(c);
    step(c, "佣金", false);
    c.insert(c.end(), {integer("利润"), txt("备注"), yesno("注销", "0"), txt("注销日期"), txt("注销说明"),
                       txt("用户"), integer("Flag", "0"), txt("审核")});
    t.indexes = kPolicyIndexes;
    return t;
}

TableDef nonMotorTable()
{
    TableDef t{kNonMotorTable, {}, {}};
    auto &c = t.columns;
    c = {key("id"), txt("保单号"), txt("被保险人"), txt("证件类型"), txt("证件号码"), txt("保险住房详细地址"),
         txt("贷款银行"), txt("受益人"), txt("险种"), txt("用户"), date("保险期限"), date("保险止期"),
         money("财产损失保险保险金额"), txt("财产损失保险保险金额大写"), money("还贷保证保险赔偿限额"),
         txt("还贷保证保险赔偿限额大写"), txt("保险年费率"), money("保险费"), txt("保险费大写"), txt("特别约定"),
         date("出单日期"), txt("业务来源"), txt("净保费比例"), money("净保费"), txt("按保费计算的费用比例"),
         money("按保费计算的费用"), txt("自留比例"), txt("自留"), txt("按净保费计算的费用比例"),
         money("按净保费计算的费用"), integer("利润")};
    for (const char *s : {"实收保费", "公司结费", "公司退费", "按保费计算的公司退费", "净保费计算的公司退费",
                          "费用支付", "按保费计算的费用支付", "净保费计算的费用支付", "自留1"})
        step(c, s);
    step(c, "佣金", true, true);  // the commission amount is a text column here
    c.insert(c.end(), {txt("审核"), yesno("注销", "0"), txt("注销日期"), txt("注销说明"), integer("Flag", "0"),
                       txt("费用比例"), txt("实收保费支付方式"), date("收费日期"), txt("公司结费支付方式"),
                       date("结费日期"), txt("备注")});
    t.indexes = kPolicyIndexes;
    t.indexes << QStringLiteral("收费日期") << QStringLiteral("保险止期");
    return t;
}

TableDef refTable(const char *name)
{
    return {QString::fromUtf8(name), {key("id"), txt("title"), txt("beizhu"), txt("用户")}, {QStringLiteral("用户")}};
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> v;
    v.push_back({QStringLiteral("admin"), {key("id"), txt("name"), txt("pass"), txt("quanxian")}, {}});
    v.push_back({QStringLiteral("khgx"),
                 {key("ID"), txt("baodanhao"), txt("xianzhong"), txt("ywly"), txt("khjc"), txt("gsmc"), txt("dwdz"),
                  txt("dwdh"), txt("cz"), txt("wz"), txt("zlxr"), txt("bm"), txt("zw"), txt("ch"), txt("sj"),
                  txt("dzyj"), txt("qq"), txt("xqah"), memo("bz"), txt("clsj"), txt("xb"), yesno("sdkh"), txt("sr"),
                  txt("gszh"), txt("khly"), txt("khlb"), txt("hylb"), txt("用户")},
                 {QStringLiteral("用户"), QStringLiteral("baodanhao")}});
    v.push_back({QStringLiteral("khlb"), {key("id"), txt("name")}, {}});
    v.push_back({QStringLiteral("khly"), {key("id"), txt("title"), txt("beizhu")}, {}});
    for (const char *n : {"ywly", "hylb", "dkyh", "bdlb"}) v.push_back(refTable(n));
    v.push_back({QStringLiteral("rizhi"),
                 {key("id"), txt("riqi"), txt("shijian"), integer("xinqing"), txt("tianqi"), txt("biaoti"),
                  txt("leibie"), memo("neirong"), integer("ParentNodeID"), txt("用户")},
                 {QStringLiteral("用户")}});
    v.push_back({QStringLiteral("rizhileibie"), {key("id"), txt("leibie"), txt("用户")}, {QStringLiteral("用户")}});
    v.push_back({QStringLiteral("alert"),
                 {key("id"), date("AlertDate"), txt("leibie", 255), txt("AlertCaption", 255), memo("Remark")},
                 {QStringLiteral("AlertDate")}});
    v.push_back(motorTable());
    v.push_back(marineTable());
    v.push_back(nonMotorTable());
    return v;
}

} // namespace

const ColumnDef *TableDef::column(const QString &n) const
{
    const int i = columnIndex(n);
    return i < 0 ? nullptr : &columns[size_t(i)];
}

int TableDef::columnIndex(const QString &n) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == n) return int(i);
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(n, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const std::vector<TableDef> &allTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef *findTable(const QString &name)
{
    for (const auto &t : allTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

QString quoteIdent(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString createTableSql(const TableDef &t)
{
    QStringList cols;
    for (const auto &c : t.columns) {
        QString s = quoteIdent(c.name);
        switch (c.type) {
        case ColType::AutoNumber: s += QLatin1String(" INTEGER PRIMARY KEY AUTOINCREMENT"); break;
        // Text compares without regard to letter case, as users expect of
        // names and numbers typed in either case.
        case ColType::Text:
        case ColType::Memo: s += QLatin1String(" TEXT COLLATE NOCASE"); break;
        case ColType::Date: s += QLatin1String(" TEXT"); break;
        case ColType::Integer:
        case ColType::YesNo:
        case ColType::Currency: s += QLatin1String(" INTEGER"); break;
        }
        if (!c.defaultSql.isEmpty()) s += QLatin1String(" DEFAULT ") + c.defaultSql;
        cols << s;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(t.name), cols.join(QLatin1String(", ")));
}

QStringList createIndexSql(const TableDef &t)
{
    QStringList out;
    for (const QString &idx : t.indexes) {
        const QStringList cols = idx.split(QLatin1Char(','));
        QStringList quoted;
        for (const auto &c : cols) quoted << quoteIdent(c.trimmed());
        const QString name = QStringLiteral("idx_%1_%2").arg(t.name, cols.join(QLatin1Char('_')));
        out << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                   .arg(quoteIdent(name), quoteIdent(t.name), quoted.join(QLatin1String(", ")));
    }
    return out;
}

} // namespace tolvaris
