#include "demo.h"

#include "capital.h"
#include "money.h"
#include "policymath.h"
#include "schema.h"
#include "values.h"

#include <QHash>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tolvaris {

namespace {

// ------------------------------------------------------------ randomness

// splitmix64: tiny, fast and the same on every platform, unlike the
// standard distributions.
class Rng {
public:
    explicit Rng(quint64 seed) : s_(seed ^ 0x6A09E667F3BCC909ULL) {}
    quint64 next()
    {
        quint64 z = (s_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }  // inclusive
    bool chance(int percent) { return below(100) < percent; }
    const QString &pick(const QStringList &l) { return l[below(int(l.size()))]; }
    QString digits(int n)
    {
        QString s(n, u'0');
        for (int i = 0; i < n; ++i) s[i] = QChar(u'0' + below(10));
        return s;
    }
    QString upper(int n, const char *alphabet = "ABCDEFGHJKLMNPRSTUVWXYZ")
    {
        const int len = int(qstrlen(alphabet));
        QString s(n, u' ');
        for (int i = 0; i < n; ++i) s[i] = QLatin1Char(alphabet[below(len)]);
        return s;
    }

private:
    quint64 s_;
};

QStringList words(const char *spaceSeparated)
{
    return QString::fromUtf8(spaceSeparated).split(u' ', Qt::SkipEmptyParts);
}

// ------------------------------------------------------------ word lists

const QStringList kSurnames = words(
    "王 李 张 刘 陈 杨 赵 黄 周 吴 徐 孙 胡 朱 高 林 何 郭 马 罗 梁 宋 郑 谢 韩 唐 冯 于 董 程 曹 袁 邓 许 傅 "
    "沈 曾 彭 吕 苏 卢 蒋 蔡 贾 丁 魏 薛 叶 阎 余 潘 杜 戴 夏 钟 汪 田 任 姜 范 方 石 姚 谭 廖 邹 熊 金 陆 郝 "
    "孔 白 崔 康 毛 邱 秦 江 史 顾 侯 邵 孟 龙 万 段 雷 钱 汤 尹 黎 易 常 武 乔 贺 赖 龚 文 欧阳 司马");
const QStringList kMaleGiven = words(
    "伟 强 磊 军 勇 杰 涛 斌 超 明 刚 平 辉 鹏 华 飞 鑫 波 宇 浩 凯 健 俊 帆 帅 旭 宁 龙 林 阳 建国 建华 志强 "
    "志明 海涛 文博 晓东 子豪 宏伟 国栋 振华 永刚 德明 少华 浩然 思远 立新 卫东 小龙 天佑 家豪 俊杰 博文");
const QStringList kFemaleGiven = words(
    "芳 娜 敏 静 丽 艳 娟 霞 婷 雪 慧 颖 琳 晶 欣 倩 洁 玲 秀英 丽娟 桂英 佳怡 梦琪 雨涵 晓燕 淑华 玉兰 "
    "海燕 春梅 秀兰 思琪 雅婷 欣怡 丽华 美玲 红梅 文静 晓丽 凤英");

struct City {
    QString name, areaCode, plateLetter;
    QStringList districts;
};
const std::vector<City> kCities = {
    {u"西安"_s, u"029"_s, u"A"_s, words("雁塔区 碑林区 新城区 莲湖区 未央区 灞桥区 长安区 高新区")},
    {u"咸阳"_s, u"029"_s, u"D"_s, words("秦都区 渭城区")},
    {u"宝鸡"_s, u"0917"_s, u"C"_s, words("渭滨区 金台区 陈仓区")},
    {u"渭南"_s, u"0913"_s, u"E"_s, words("临渭区 华州区")},
    {u"延安"_s, u"0911"_s, u"J"_s, words("宝塔区 安塞区")},
    {u"汉中"_s, u"0916"_s, u"F"_s, words("汉台区 南郑区")},
    {u"榆林"_s, u"0912"_s, u"K"_s, words("榆阳区 横山区")},
};
const QStringList kRoads = words(
    "长安路 友谊路 南二环路 科技路 高新路 太白路 含光路 朱雀大街 解放路 东大街 西大街 人民路 建设路 文化路 "
    "中山路 劳动路 北关正街 凤城一路 未央路 雁塔路 锦业路 丈八东路 电子正街 翠华路 经济技术开发区");
const QStringList kEstates = words("阳光小区 金色家园 锦绣花园 枫林绿洲 曲江花园 紫薇城市花园 绿地世纪城 万科城 "
                                   "融侨馨苑 天朗蓝湖树");

// Brand words with their pinyin for web and mail addresses.
const QStringList kBrands = words("华信 鼎盛 长城 恒通 金泰 宏达 瑞丰 天元 秦龙 汉唐 博远 正大 中联 佳美 新世纪 "
                                  "东方 永兴 昌盛 华夏 九州");
const QStringList kBrandPinyin = words("huaxin dingsheng changcheng hengtong jintai hongda ruifeng tianyuan qinlong "
                                       "hantang boyuan zhengda zhonglian jiamei xinshiji dongfang yongxing "
                                       "changsheng huaxia jiuzhou");
const QStringList kTrades = words("科技 建筑工程 商贸 物流 机械制造 食品 医药 房地产开发 电子 化工 文化传媒 "
                                  "汽车销售 装饰工程 餐饮管理 农业开发 进出口贸易");
const QStringList kCompanySuffix = words("有限公司 有限责任公司 股份有限公司");
const QStringList kDepartments = words("办公室 财务部 行政部 采购部 销售部 综合部 后勤部");
const QStringList kPositions = words("经理 主任 总经理 会计 科长 副总经理 出纳 部长");
const QStringList kHobbies = words("钓鱼 羽毛球 旅游 书法 摄影 读书 乒乓球 登山 篮球 象棋 游泳 太极拳");
const QStringList kMobilePrefixes = words("139 138 137 136 135 134 150 151 152 158 159 182 183 187 188 130 131 132 "
                                          "155 156 185 186 133 153 180 189 177 181");
const QStringList kIdRegions = words("610113 610102 610103 610104 610111 610112 610116 610402 610302 610502 610602");
const QStringList kRemarks = words("老客户，续保意愿强 需定期回访 对价格敏感 已推荐两位新客户 年底集中投保 "
                                   "联系时请避开午休");

const QStringList kWays = words("现金 支票 转账 转账 转账 抵转");
const QStringList kCancelReasons = words("客户退保 重复投保 车辆已转让 录入错误 保单作废 贷款提前结清");

struct CarModel {
    QString name, seats, tons;
    int priceLo, priceHi;  // yuan
};
const std::vector<CarModel> kCarModels = {
    {u"大众帕萨特1.8T"_s, u"5"_s, {}, 180000, 260000}, {u"大众捷达1.6L"_s, u"5"_s, {}, 80000, 110000},
    {u"丰田卡罗拉1.6L"_s, u"5"_s, {}, 110000, 150000}, {u"丰田凯美瑞2.0L"_s, u"5"_s, {}, 180000, 250000},
    {u"本田雅阁2.4L"_s, u"5"_s, {}, 180000, 260000},   {u"别克君威2.0L"_s, u"5"_s, {}, 170000, 230000},
    {u"别克GL8"_s, u"7"_s, {}, 230000, 330000},         {u"比亚迪F3"_s, u"5"_s, {}, 55000, 75000},
    {u"奇瑞QQ3"_s, u"4"_s, {}, 30000, 45000},           {u"现代伊兰特1.6L"_s, u"5"_s, {}, 90000, 120000},
    {u"日产轩逸1.6L"_s, u"5"_s, {}, 100000, 140000},    {u"福特福克斯1.8L"_s, u"5"_s, {}, 110000, 150000},
    {u"长安之星"_s, u"7"_s, {}, 35000, 50000},          {u"五菱之光"_s, u"7"_s, {}, 30000, 42000},
    {u"解放CA1041"_s, u"3"_s, u"2"_s, 90000, 120000},   {u"江铃JX1040"_s, u"3"_s, u"1.5"_s, 70000, 100000},
    {u"奥迪A6L 2.4"_s, u"5"_s, {}, 380000, 480000},
};

// Limits with a typical premium each.
struct Priced {
    QString text;
    int premium;
};
const std::vector<Priced> kLiabilityLimits = {{u"5万元"_s, 673},   {u"10万元"_s, 972},  {u"20万元"_s, 1182},
                                              {u"30万元"_s, 1304}, {u"50万元"_s, 1568}, {u"100万元"_s, 2040}};
const std::vector<Priced> kPassengerLimits = {{u"5000元"_s, 21}, {u"1万元"_s, 42}, {u"2万元"_s, 84}, {u"5万元"_s, 210}};
const std::vector<Priced> kScratchLimits = {{u"2000元"_s, 400}, {u"5000元"_s, 570}, {u"10000元"_s, 760}};

const QStringList kNetRatios = words("80 85 87.5 90 75 82");
const QStringList kFeeRatios = words("8 10 12 15 6.5");
const QStringList kRetainedRatios = words("2 3 5 2.5 4");
const QStringList kFeeOnNetRatios = words("5 8 10 12");

Money yuan(qint64 y) { return Money::fromWhole(y); }
Money pct(Money base, const char *percent) { return base.percentOf(QString::fromLatin1(percent)).value_or(Money()); }

// ------------------------------------------------------------ row writer

// One prepared INSERT over every column of a table but its key, built from
// the schema declaration. A fresh row holds what an editor writes for an
// untouched field ("" for text, the zero date, NULL for amounts and whole
// numbers, 0 for flags); columns the program never writes stay NULL or get
// their schema default.
class RowWriter {
public:
    RowWriter(Connection &c, const QString &table, const QStringList &unwritten = {})
        : t_(findTable(table)), q_(c, insertSql(*t_))
    {
        for (const auto &col : t_->columns) {
            if (col.type == ColType::AutoNumber) continue;
            index_.insert(col.name, int(blank_.size()));
            types_.push_back(col.type);
            lengths_.push_back(col.length);
            QVariant v;
            if (!col.defaultSql.isEmpty()) v = col.defaultSql.toLongLong();
            else if (!unwritten.contains(col.name)) v = blankValue(col.type);
            blank_.push_back(v);
        }
        for (const auto &n : unwritten) columnIndex(n);  // catches a misspelt name
        row_ = blank_;
    }

    // Every column except `written` is left alone by the writer.
    static QStringList allBut(const QString &table, const QStringList &written)
    {
        QStringList out;
        for (const auto &col : findTable(table)->columns)
            if (col.type != ColType::AutoNumber && !written.contains(col.name)) out << col.name;
        return out;
    }

    void set(const QString &col, const QVariant &v) { row_[columnIndex(col)] = v; }
    void text(const QString &col, const QString &v)
    {
        const int i = columnIndex(col);
        const int len = lengths_[size_t(i)];
        row_[i] = types_[size_t(i)] == ColType::Text && len > 0 && v.size() > len ? v.left(len) : v;
    }
    // Currency columns get the stored units (NULL for zero); the non-motor
    // table's text amounts get the plain text ("" for zero).
    void money(const QString &col, Money m)
    {
        const int i = columnIndex(col);
        row_[i] = types_[size_t(i)] == ColType::Currency ? moneyToStorage(m) : QVariant(m.plainText());
    }
    void date(const QString &col, const QDate &d) { row_[columnIndex(col)] = dateToStorage(d); }
    void flag(const QString &col, bool on) { row_[columnIndex(col)] = qint64(on ? 1 : 0); }

    void insert()
    {
        q_.bindAll(row_);
        q_.exec();
        q_.reset();
        row_ = blank_;
        ++count_;
    }
    qint64 count() const { return count_; }

private:
    static QString insertSql(const TableDef &t)
    {
        QStringList cols, marks;
        for (const auto &col : t.columns) {
            if (col.type == ColType::AutoNumber) continue;
            cols << quoteIdent(col.name);
            marks << u"?"_s;
        }
        return u"insert into %1 (%2) values (%3)"_s.arg(quoteIdent(t.name), cols.join(u", "_s), marks.join(u", "_s));
    }
    static QVariant blankValue(ColType type)
    {
        switch (type) {
        case ColType::Text:
        case ColType::Memo: return QString(u""_s);
        case ColType::Date: return kZeroDateText;
        case ColType::YesNo: return qint64(0);
        default: return {};
        }
    }
    int columnIndex(const QString &col) const
    {
        const auto it = index_.constFind(col);
        if (it == index_.constEnd()) throw DbError(u"演示数据：表%1没有列%2"_s.arg(t_->name, col));
        return *it;
    }

    const TableDef *t_;
    Query q_;
    QHash<QString, int> index_;
    std::vector<ColType> types_;
    std::vector<int> lengths_;
    QVariantList blank_, row_;
    qint64 count_ = 0;
};

// ------------------------------------------------------------ generator

struct User {
    QString name, password, rights;
    int weight;  // share of the rows this user owns, in percent
    QStringList sources, industries, banks, houses, logCategories;
};

struct Person {
    QString surname, name;
    bool male = true;
    QDate birth;
};

struct Company {
    QString name, shortName, pinyin;
    int city = 0;
};

struct Reminder {
    QDate date;
    QString kind, caption, remark;
};

class Demo {
public:
    Demo(Connection &c, const DemoOptions &o) : c_(c), o_(o), rng_(o.seed) {}

    DemoCounts run()
    {
        makeUsers();
        writeUsersAndReferenceData();
        writeCustomers();
        writeMotorPolicies();
        writeMarinePolicies();
        writeNonMotorPolicies();
        writeWorkLog();
        writeReminders();
        return counts_;
    }

private:
    // ---- small pieces of realistic data

    const User &owner()
    {
        int r = rng_.below(100);
        for (const auto &u : users_) {
            if (r < u.weight) return u;
            r -= u.weight;
        }
        return users_.front();
    }

    Person person(int minAge = 22, int maxAge = 65)
    {
        Person p;
        p.male = rng_.chance(58);
        const QStringList &given = p.male ? kMaleGiven : kFemaleGiven;
        p.surname = rng_.pick(kSurnames);
        QString first = rng_.pick(given);
        if (first.size() == 1 && rng_.chance(30)) first += rng_.pick(given).left(1);
        p.name = p.surname + first;
        p.birth = o_.today.addDays(-rng_.range(minAge * 365, maxAge * 365));
        return p;
    }

    QString idNumber(const Person &p)
    {
        QString id = rng_.pick(kIdRegions) + p.birth.toString(u"yyyyMMdd"_s);
        int seq = rng_.range(1, 999);
        if ((seq % 2 == 1) != p.male) seq = seq == 999 ? 998 : seq + 1;
        id += QString::number(seq).rightJustified(3, u'0');
        static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
        int sum = 0;
        for (int i = 0; i < 17; ++i) sum += (id[i].unicode() - u'0') * weights[i];
        id += QLatin1Char("10X98765432"[sum % 11]);
        return id;
    }

    Company company()
    {
        Company c;
        const int b = rng_.below(int(kBrands.size()));
        c.city = rng_.below(int(kCities.size()));
        const QString trade = rng_.pick(kTrades);
        c.shortName = kBrands[b] + trade;
        c.name = kCities[size_t(c.city)].name + c.shortName + rng_.pick(kCompanySuffix);
        c.pinyin = kBrandPinyin[b];
        return c;
    }

    int cityIndex() { return rng_.chance(55) ? 0 : rng_.below(int(kCities.size())); }

    QString address(int city, bool home)
    {
        const City &c = kCities[size_t(city)];
        QString a = c.name + u"市"_s + rng_.pick(c.districts);
        if (home) {
            a += rng_.pick(kEstates) + QString::number(rng_.range(1, 28)) + u"号楼"_s + QString::number(rng_.range(1, 4))
                + u"单元"_s + QString::number(rng_.range(1, 30)) + u"0"_s + QString::number(rng_.range(1, 4)) + u"室"_s;
        } else {
            a += rng_.pick(kRoads) + QString::number(rng_.range(1, 399)) + u"号"_s;
        }
        return a;
    }

    QString landline(int city)
    {
        const City &c = kCities[size_t(city)];
        return c.areaCode + u"-"_s + (c.areaCode.size() == 3 ? u"8"_s + rng_.digits(7) : u"3"_s + rng_.digits(6));
    }
    QString mobile() { return rng_.pick(kMobilePrefixes) + rng_.digits(8); }
    QString qq() { return QString::number(rng_.range(1, 9)) + rng_.digits(rng_.range(5, 9)); }
    QString plate(int city)
    {
        return u"陕"_s + kCities[size_t(city)].plateLetter + rng_.upper(1, "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ")
            + rng_.digits(4);
    }

    // A policy number: fixed prefix, two digits of the year and a serial
    // that is unique per index (an odd multiplier permutes 0..10^k-1).
    static QString policyNumber(const QString &prefix, int year, qint64 index, int serialDigits, quint64 modulus)
    {
        const quint64 serial = (quint64(index) * 7919ULL + 104729ULL) % modulus;
        return prefix + QString::number(year % 100).rightJustified(2, u'0')
            + QString::number(serial).rightJustified(serialDigits, u'0');
    }

    QDate issueDate() { return o_.today.addDays(rng_.range(-1000, 90)); }

    // ---- users and reference data

    void makeUsers()
    {
        const QStringList commonSources = words("直接业务 个人代理 车行代理 银行代理");
        const QStringList industries = words("制造业 批发和零售业 建筑业 交通运输业 金融业 房地产业 教育 卫生和社会工作 "
                                             "住宿和餐饮业 信息技术服务业 农林牧渔业 公共管理");
        const QStringList banks = words("中国工商银行西安分行 中国建设银行陕西省分行 中国农业银行西安分行 "
                                        "中国银行陕西省分行 交通银行西安分行 招商银行西安分行 长安银行 西安银行");
        const QStringList houses = words("普通住宅 商品房 经济适用房 二手房 商住两用房 别墅");
        auto rotate = [](const QStringList &l, int by, int n) {
            QStringList out;
            for (int i = 0; i < n; ++i) out << l[(by + i) % l.size()];
            return out;
        };
        users_ = {
            {u"admin"_s, u"admin"_s, u"1"_s, 40, commonSources + words("电话销售 网络销售"), rotate(industries, 0, 8),
             rotate(banks, 0, 5), rotate(houses, 0, 5), words("客户拜访 业务会议 理赔跟进 培训学习")},
            {u"张三"_s, u"1234"_s, u"0"_s, 30, commonSources + words("4S店合作 老客户转介绍"), rotate(industries, 3, 8),
             rotate(banks, 2, 5), rotate(houses, 1, 4), words("客户拜访 续保跟进 个人事务")},
            {u"李四"_s, u"1234"_s, u"0"_s, 30, commonSources + words("社区推广 企业团购"), rotate(industries, 6, 8),
             rotate(banks, 4, 5), rotate(houses, 2, 4), words("电话回访 业务会议 理赔跟进 周总结")},
        };
    }

    void writeUsersAndReferenceData()
    {
        // createDatabase wrote admin as the first row; the others follow in order.
        RowWriter admin(c_, u"admin"_s);
        for (size_t i = 1; i < users_.size(); ++i) {
            admin.text(u"name"_s, users_[i].name);
            admin.text(u"pass"_s, users_[i].password);
            admin.text(u"quanxian"_s, users_[i].rights);
            admin.insert();
        }
        const QStringList remarks = words("重点渠道 2年以上合作 需跟进 新开发");
        auto writeRef = [&](const QString &table, QStringList User::*list) {
            RowWriter w(c_, table);
            for (const auto &u : users_)
                for (const auto &title : u.*list) {
                    w.text(u"title"_s, title);
                    w.text(u"beizhu"_s, rng_.chance(40) ? rng_.pick(remarks) : QString());
                    w.text(u"用户"_s, u.name);
                    w.insert();
                }
        };
        writeRef(u"ywly"_s, &User::sources);
        writeRef(u"hylb"_s, &User::industries);
        writeRef(u"dkyh"_s, &User::banks);
        writeRef(u"bdlb"_s, &User::houses);

        RowWriter khlb(c_, u"khlb"_s);
        khlbNames_ = words("重要客户 普通客户 潜在客户 大客户 流失客户");
        for (const auto &n : khlbNames_) {
            khlb.text(u"name"_s, n);
            khlb.insert();
        }
    }

    // ---- customers

    // The customer page's columns, as the customer editor and the non-motor
    // editor write them.
    void customerColumns(RowWriter &w, const Person &contact, bool withCompany)
    {
        const int city = cityIndex();
        if (withCompany) {
            const Company co = company();
            w.text(u"khjc"_s, co.shortName);
            w.text(u"gsmc"_s, co.name);
            w.text(u"dwdz"_s, address(co.city, false));
            w.text(u"dwdh"_s, landline(co.city));
            if (rng_.chance(50)) w.text(u"cz"_s, landline(co.city));
            if (rng_.chance(60)) w.text(u"wz"_s, u"www."_s + co.pinyin + (rng_.chance(50) ? u".com"_s : u".com.cn"_s));
            w.text(u"bm"_s, rng_.pick(kDepartments));
            w.text(u"zw"_s, rng_.pick(kPositions));
            if (rng_.chance(70)) w.text(u"gszh"_s, u"6102"_s + rng_.digits(15));
            w.text(u"clsj"_s, dateText(o_.today.addDays(-rng_.range(400, 9000))));
            if (rng_.chance(40)) w.text(u"dzyj"_s, co.pinyin + QString::number(rng_.range(1, 999)) + u"@163.com"_s);
        } else {
            w.text(u"khjc"_s, contact.name);
            w.text(u"dwdz"_s, address(city, true));
            if (rng_.chance(30)) w.text(u"dwdh"_s, landline(city));
            w.text(u"clsj"_s, dateText(o_.today));  // the editor's default: today
        }
        w.text(u"zlxr"_s, contact.name);
        w.text(u"ch"_s, contact.surname + (contact.male ? u"先生"_s : u"女士"_s));
        w.text(u"sj"_s, mobile());
        const QString q = qq();
        if (rng_.chance(60)) w.text(u"qq"_s, q);
        if (!withCompany && rng_.chance(40)) w.text(u"dzyj"_s, q + u"@qq.com"_s);
        w.text(u"sr"_s, dateText(contact.birth));
        if (rng_.chance(50)) w.text(u"xqah"_s, rng_.pick(kHobbies));
        w.text(u"xb"_s, rng_.chance(90) ? (contact.male ? u"男"_s : u"女"_s) : QString());
        w.flag(u"sdkh"_s, rng_.chance(10));
        if (rng_.chance(15)) w.text(u"bz"_s, rng_.pick(kRemarks));
    }

    void writeCustomers()
    {
        const QString table = u"khgx"_s;
        RowWriter w(c_, table, words("baodanhao xianzhong ywly"));
        for (int i = 0; i < o_.customers; ++i) {
            const User &u = owner();
            const Person contact = person();
            customerColumns(w, contact, rng_.chance(55));
            if (rng_.chance(75)) w.text(u"khlb"_s, rng_.pick(khlbNames_));
            w.text(u"khly"_s, rng_.pick(u.sources));
            if (rng_.chance(80)) w.text(u"hylb"_s, rng_.pick(u.industries));
            w.text(u"用户"_s, u.name);
            w.insert();
            if (birthdays_.size() < 12) {
                // Customers whose birthday comes within six weeks get a reminder.
                QDate next(o_.today.year(), contact.birth.month(), contact.birth.day());
                if (next.isValid() && next < o_.today) next = next.addYears(1);
                if (next.isValid() && next <= o_.today.addDays(42))
                    birthdays_.push_back({std::max(o_.today, next.addDays(-rng_.range(0, 3))), u"生日提醒"_s,
                                          u"客户生日提醒：%1"_s.arg(contact.name),
                                          u"客户%1将于%2过生日，记得电话问候并寄送贺卡。"_s.arg(contact.name, dateText(next))});
            }
        }
        counts_.customers += w.count();
    }

    // ---- premium split, settlement and audit (all three policy tables)

    // Ratios and derived amounts, the ten settlement steps in a state that
    // varies from nothing to fully settled, 利润 and the audit state.
    void accounts(RowWriter &w, Money premium, const QDate &issued)
    {
        const QString r1 = rng_.chance(92) ? rng_.pick(kNetRatios) : QString();
        const QString r2 = rng_.chance(85) ? rng_.pick(kFeeRatios) : QString();
        const QString r3 = rng_.chance(85) ? rng_.pick(kRetainedRatios) : QString();
        const QString r4 = rng_.chance(85) ? rng_.pick(kFeeOnNetRatios) : QString();
        const PremiumSplit s = splitPremium(premium, r1, r2, r3, r4).value_or(PremiumSplit{});
        w.text(u"净保费比例"_s, r1);
        w.money(u"净保费"_s, s.net);
        w.text(u"按保费计算的费用比例"_s, r2);
        w.money(u"按保费计算的费用"_s, s.feeOnPremium);
        w.text(u"自留比例"_s, r3);
        w.money(u"自留"_s, s.retained);
        w.text(u"按净保费计算的费用比例"_s, r4);
        w.money(u"按净保费计算的费用"_s, s.feeOnNet);

        // 0–11: nothing recorded yet, 12–46: fully settled, else partly.
        const int state = rng_.below(100);
        const bool none = state < 12, full = !none && state < 47;
        const std::array<Money, kAutoCheckCount> refs = {premium, premium, s.feeOnPremium, s.feeOnNet,
                                                         s.feeOnPremium, s.feeOnNet, s.retained};
        static const QStringList checked = words("实收保费 公司结费 按保费计算的公司退费 净保费计算的公司退费 "
                                                 "按保费计算的费用支付 净保费计算的费用支付 自留1");
        static const int partlyChance[kAutoCheckCount] = {85, 55, 45, 40, 45, 40, 50};
        AutoCheckPairs pairs{};
        int daysAfter = 0;
        for (int i = 0; i < kAutoCheckCount; ++i) {
            Money amount;
            if (!none && (full || rng_.chance(partlyChance[i]))) {
                amount = refs[size_t(i)];
                if (!full && rng_.chance(15)) amount = pct(amount, "50");  // a part payment
                daysAfter += rng_.range(0, 12);
                amount = step(w, checked[i], amount, issued.addDays(daysAfter));
            }
            pairs[size_t(i)] = {amount, refs[size_t(i)]};
        }
        // The three steps without a check.
        if (!none) {
            if (rng_.chance(40)) step(w, u"费用支付"_s, s.feeOnPremium + s.feeOnNet, issued.addDays(rng_.range(5, 40)));
            if (rng_.chance(35)) step(w, u"公司退费"_s, s.feeOnPremium, issued.addDays(rng_.range(5, 40)));
            if (rng_.chance(30)) step(w, u"佣金"_s, pct(s.feeOnPremium, "30"), issued.addDays(rng_.range(10, 60)));
        }
        if (!s.retained.isZero() && rng_.chance(60)) w.set(u"利润"_s, s.retained.units() / Money::kScale);
        w.text(u"审核"_s, auditState(pairs));
    }

    // One settlement step; nothing is recorded for a zero amount or a date
    // after today. Returns the amount recorded.
    Money step(RowWriter &w, const QString &amountColumn, Money amount, const QDate &when)
    {
        if (amount.isZero() || when > o_.today) return {};
        w.money(amountColumn, amount);
        w.text(amountColumn + u"方式"_s, rng_.pick(kWays));
        w.date(amountColumn + u"日期"_s, when);
        w.flag(amountColumn + u"人工审核"_s, rng_.chance(60));
        return amount;
    }

    void cancellation(RowWriter &w, const QDate &issued)
    {
        if (issued >= o_.today || !rng_.chance(4)) return;
        w.flag(u"注销"_s, true);
        w.text(u"注销日期"_s, dateText(std::min(issued.addDays(rng_.range(1, 60)), o_.today)));
        w.text(u"注销说明"_s, rng_.pick(kCancelReasons));
        w.set(u"Flag"_s, qint64(1));
    }

    // ---- motor

    void writeMotorPolicies()
    {
        const QString table = kMotorTable;
        // Columns the motor editor never writes; the rest it writes on every save.
        RowWriter w(c_, table, words("投被保险人 投证件类型 投证件号码 投联系人姓名 投联系电话 投通讯地址 停放地点 "
                                     "车上人保险费 费用比例 备注 注销日期 注销说明"));
        RowWriter companion(c_, u"khgx"_s, RowWriter::allBut(u"khgx"_s, words("baodanhao xianzhong khly zlxr 用户")));
        const QString kind = u"机动车辆保险"_s;
        const QStringList privateDocs = words("居民身份证 居民身份证 居民身份证 居民身份证 护照 军人证 港澳通行证及台胞证 其他");
        const QStringList companyDocs = words("组织机构代码证 组织机构代码证 税务登记证 其他");
        const QStringList areas = words("中国境内 陕西境内");
        const QStringList theftRatios = words("100% 90% 80% 50%");
        const QStringList waivers = words("不计免赔率 不计免赔率 A B");

        for (int i = 0; i < o_.policies; ++i) {
            const User &u = owner();
            const QDate issued = issueDate();
            const bool privateCar = rng_.chance(75);
            const int city = cityIndex();
            const Person holder = person();
            const QString number = policyNumber(u"217000022"_s, issued.year(), i, 9, 1000000000ULL);
            const QString source = rng_.pick(u.sources);

            QString insured, document;
            if (privateCar) {
                insured = holder.name;
                const QString docKind = rng_.pick(privateDocs);
                w.text(u"证件类型"_s, docKind);
                document = docKind == u"居民身份证"_s ? idNumber(holder) : rng_.upper(1) + rng_.digits(8);
            } else {
                insured = company().name;
                const QString docKind = rng_.pick(companyDocs);
                w.text(u"证件类型"_s, docKind);
                document = docKind == u"税务登记证"_s ? u"6101"_s + rng_.digits(11) : rng_.digits(8) + u"-"_s + rng_.digits(1);
            }
            w.text(u"险种"_s, kind);
            w.text(u"车辆种类"_s, privateCar ? u"个人车辆"_s : u"企业车辆"_s);
            w.text(u"保单号"_s, number);
            w.text(u"被保险人"_s, insured);
            w.text(u"证件号码"_s, document);
            w.text(u"联系人"_s, holder.name);
            if (rng_.chance(40)) w.text(u"电话总机"_s, landline(city));
            w.text(u"手机"_s, mobile());
            w.text(u"通讯地址"_s, address(city, privateCar));
            w.text(u"行驶证车主"_s, insured);

            const CarModel &car = kCarModels[size_t(rng_.below(int(kCarModels.size())))];
            w.text(u"厂牌车型"_s, car.name);
            w.text(u"座位"_s, car.seats);
            w.text(u"吨位"_s, car.tons);
            w.text(u"牌照号码"_s, plate(city));
            w.text(u"发动机号"_s, rng_.upper(3) + rng_.digits(6));
            w.text(u"车架号"_s, u"L"_s + rng_.upper(2) + rng_.upper(5, "0123456789ABCDEFGHJKLMNPRSTUVWXYZ")
                                  + rng_.digits(1) + rng_.upper(1, "ABCDEFGHJK") + rng_.upper(1) + rng_.digits(6));
            w.text(u"行驶区域"_s, rng_.chance(85) ? rng_.pick(areas) : QString());
            w.date(u"初登年月"_s, issued.addDays(-rng_.range(0, 3000)));
            w.text(u"使用性质"_s, rng_.chance(90) ? u"非营业"_s : u"营业"_s);
            w.text(u"所属性质"_s, privateCar ? u"个人"_s : u"企业"_s);
            w.text(u"防盗装置"_s, rng_.chance(50) ? u"防盗器"_s : rng_.chance(70) ? u"无"_s : QString());

            const QDate start = issued.addDays(rng_.range(0, 10));
            w.date(u"保险起期"_s, start);
            w.date(u"保险止期"_s, start.addYears(1));
            const QDate end = start.addYears(1);
            if (end >= o_.today && end <= o_.today.addDays(60) && renewals_.size() < 20)
                renewals_.push_back({std::max(o_.today, end.addDays(-rng_.range(7, 20))), u"续保提醒"_s,
                                     u"保单续保提醒：%1"_s.arg(insured),
                                     u"%1的车险保单%2将于%3到期，请及时联系客户办理续保。"_s.arg(insured, number, dateText(end))});

            // Covers: every premium adds to the total.
            const Money price = yuan(rng_.range(car.priceLo / 100, car.priceHi / 100) * 100);
            const Money sum = rng_.chance(70) ? price : pct(price, "80").roundedToCents();
            Money total;
            w.money(u"新车购置价"_s, price);
            w.money(u"保险金额"_s, sum);
            const Money damage = yuan(459) + pct(sum, "1.088");
            w.money(u"车损保险费"_s, damage);
            total += damage;
            const Priced &liability = kLiabilityLimits[size_t(rng_.below(int(kLiabilityLimits.size())))];
            w.text(u"赔偿限额"_s, liability.text);
            w.money(u"三责保险费"_s, yuan(liability.premium));
            total += yuan(liability.premium);
            if (rng_.chance(60)) {
                const Money theft = yuan(120) + pct(sum, "0.49");
                w.text(u"赔付比例"_s, rng_.pick(theftRatios));
                w.money(u"盗抢保额"_s, sum);
                w.money(u"盗抢保险费"_s, theft);
                total += theft;
            }
            if (rng_.chance(50)) {
                const Priced &p = kPassengerLimits[size_t(rng_.below(int(kPassengerLimits.size())))];
                const int seats = car.seats.toInt();
                const int front = std::min(seats - 1, rng_.range(1, 2));
                const int rear = std::max(0, seats - 1 - front);
                w.text(u"车上赔偿限额"_s, p.text);
                w.money(u"驾驶员"_s, yuan(p.premium));
                w.text(u"前排座位"_s, QString::number(front) + u"座"_s);
                w.money(u"前排保险费"_s, yuan(qint64(p.premium) * front * 65 / 100));
                total += yuan(p.premium) + yuan(qint64(p.premium) * front * 65 / 100);
                if (rear > 0) {
                    w.text(u"后排座位"_s, QString::number(rear) + u"座"_s);
                    const qint64 rearPremium = qint64(p.premium) * rear * 65 / 100;  // whole yuan: an integer column
                    w.set(u"后排保险费"_s, rearPremium);
                    total += yuan(rearPremium);
                }
            }
            if (rng_.chance(50)) {
                const bool imported = rng_.chance(20);
                const Money glass = pct(sum, imported ? "0.25" : "0.15");
                w.text(u"玻璃类别"_s, imported ? u"进口"_s : u"国产"_s);
                w.money(u"玻璃保险费"_s, glass);
                total += glass;
            }
            if (rng_.chance(25)) {
                const Money fire = pct(sum, "0.12");
                w.money(u"自燃保险费"_s, fire);
                total += fire;
            }
            if (rng_.chance(30)) {
                const Priced &p = kScratchLimits[size_t(rng_.below(int(kScratchLimits.size())))];
                w.text(u"车身赔偿限额"_s, p.text);
                w.money(u"车身保险费"_s, yuan(p.premium));
                total += yuan(p.premium);
            }
            if (rng_.chance(10)) {
                const Money noFault = pct(sum, "0.2");
                w.money(u"无过错保险费"_s, noFault);
                total += noFault;
            }
            if (rng_.chance(70)) w.text(u"不计免赔"_s, rng_.pick(waivers));
            total = total.roundedToCents();
            w.money(u"保险费合计"_s, total);
            w.text(u"业务来源"_s, source);
            w.date(u"出单日期"_s, issued);
            accounts(w, total, issued);
            cancellation(w, issued);
            w.text(u"用户"_s, u.name);

            // The editor posts the customer row first, then the policy.
            companion.text(u"baodanhao"_s, number);
            companion.text(u"xianzhong"_s, kind);
            companion.text(u"khly"_s, source);
            companion.text(u"zlxr"_s, holder.name);
            companion.text(u"用户"_s, u.name);
            companion.insert();
            w.insert();
        }
        counts_.customers += companion.count();
        counts_.policies += w.count();
    }

    // ---- marine

    void writeMarinePolicies()
    {
        RowWriter w(c_, kMarineTable, words("费用比例 注销日期 注销说明"));
        const QStringList rates = words("0.03 0.05 0.08 0.1 0.12 0.15 0.2 0.25 0.3");
        const QStringList remarks = words("海运 铁路运输 公路运输 航空运输 集装箱 散货 冷藏货物");
        for (int i = 0; i < o_.policies; ++i) {
            const User &u = owner();
            const QDate issued = issueDate();
            const Company co = company();
            const Person contact = person();
            const bool dollars = rng_.chance(15);
            const QString currency = dollars ? u"美元"_s : u"人民币"_s;
            const Money sum = yuan(qint64(rng_.range(50, 5000)) * 1000);
            const QString rate = rng_.pick(rates);
            const Money premium = std::max(sum.percentOf(rate).value_or(Money()), yuan(50));

            w.text(u"险种名称"_s, u"货物运输险"_s);
            w.text(u"保单号"_s, policyNumber(u"12106"_s, issued.year(), i, 12, 1000000000000ULL));
            w.text(u"被保险人"_s, co.name);
            w.text(u"保单流水号"_s, u"HY"_s + QString::number(issued.year()) + rng_.digits(6));
            w.money(u"保险金额"_s, sum);
            w.text(u"保险金额币种"_s, currency);
            w.text(u"费率"_s, rate);
            w.money(u"保费"_s, premium);
            w.text(u"保费币种"_s, currency);
            w.date(u"出单日期"_s, issued);
            const int invoice = rng_.below(10);  // issued, not issued, or neither chosen
            w.flag(u"发票已出"_s, invoice < 6);
            w.flag(u"发票未出"_s, invoice >= 6 && invoice < 9);
            w.text(u"业务来源"_s, rng_.pick(u.sources));
            w.text(u"联系人"_s, contact.name);
            w.text(u"联系电话"_s, rng_.chance(60) ? mobile() : landline(co.city));
            accounts(w, premium, issued);
            if (rng_.chance(40)) w.text(u"备注"_s, rng_.pick(remarks));
            cancellation(w, issued);
            w.text(u"用户"_s, u.name);
            w.insert();
        }
        counts_.policies += w.count();
    }

    // ---- non-motor (housing-loan covers)

    void writeNonMotorPolicies()
    {
        RowWriter w(c_, kNonMotorTable,
                    words("保险费大写 费用比例 实收保费支付方式 收费日期 公司结费支付方式 结费日期 备注 注销日期 注销说明"));
        RowWriter companion(c_, u"khgx"_s, words("ywly khlb hylb"));
        const QString kind = u"非车险"_s;
        const QStringList docs = words("居民身份证 居民身份证 居民身份证 居民身份证 居民身份证 护照 军人证 港澳通行证及台胞证");
        const QStringList rates = words("0.06 0.08 0.1 0.12 0.15");
        const QStringList agreements = words("第一受益人为贷款银行。 本保单随贷款合同提前结清而终止。 "
                                             "保险期间内房屋出租须书面通知保险人。");
        for (int i = 0; i < o_.policies; ++i) {
            const User &u = owner();
            const QDate issued = issueDate();
            const Person borrower = person(24, 55);
            const int city = cityIndex();
            const QString number = policyNumber(u"31300"_s, issued.year(), i, 12, 1000000000000ULL);
            const QString source = rng_.pick(u.sources);
            const QString bank = rng_.pick(u.banks);
            const Money house = yuan(qint64(rng_.range(300, 2500)) * 1000);
            const Money loan = pct(house, rng_.chance(50) ? "70" : "60").roundedToCents();
            const QString rate = rng_.pick(rates);
            const Money premium = (house + loan).percentOf(rate).value_or(Money());
            const QDate start = issued.addDays(rng_.range(0, 15));
            static const int years[] = {5, 10, 15, 20, 25, 30};

            const QString docKind = rng_.chance(97) ? rng_.pick(docs) : QString();
            w.text(u"保单号"_s, number);
            w.text(u"被保险人"_s, borrower.name);
            w.text(u"证件类型"_s, docKind);
            w.text(u"证件号码"_s, docKind == u"居民身份证"_s ? idNumber(borrower)
                                  : docKind.isEmpty()     ? QString()
                                                          : rng_.upper(1) + rng_.digits(8));
            w.text(u"保险住房详细地址"_s, address(city, true));
            w.text(u"贷款银行"_s, bank);
            w.text(u"受益人"_s, bank);
            w.text(u"险种"_s, kind);
            w.date(u"保险期限"_s, start);
            w.date(u"保险止期"_s, start.addYears(years[rng_.below(6)]));
            w.money(u"财产损失保险保险金额"_s, house);
            w.text(u"财产损失保险保险金额大写"_s, capitalAmount(house));
            w.money(u"还贷保证保险赔偿限额"_s, loan);
            w.text(u"还贷保证保险赔偿限额大写"_s, capitalAmount(loan));
            w.text(u"保险年费率"_s, rate);
            w.money(u"保险费"_s, premium);
            if (rng_.chance(35)) w.text(u"特别约定"_s, rng_.pick(agreements));
            w.date(u"出单日期"_s, issued);
            w.text(u"业务来源"_s, source);
            accounts(w, premium, issued);
            cancellation(w, issued);
            w.text(u"用户"_s, u.name);

            companion.text(u"baodanhao"_s, number);
            companion.text(u"xianzhong"_s, kind);
            companion.text(u"khly"_s, source);
            customerColumns(companion, borrower, rng_.chance(15));
            companion.text(u"用户"_s, u.name);
            companion.insert();
            w.insert();
            if (dues_.size() < 12 && issued <= o_.today && rng_.chance(1)) {
                const int n = int(dues_.size());
                const QDate when = n < 2 ? o_.today : n % 3 == 0 ? o_.today.addDays(-rng_.range(1, 30))
                                                                  : o_.today.addDays(rng_.range(1, 60));
                dues_.push_back({when, u"保费催交"_s, u"保费催交：%1"_s.arg(borrower.name),
                                 u"%1的个贷保单%2（%3）保费尚未交清，请跟进。"_s.arg(borrower.name, number, bank)});
            }
        }
        counts_.customers += companion.count();
        counts_.policies += w.count();
    }

    // ---- work log and reminders

    void writeWorkLog()
    {
        RowWriter cats(c_, u"rizhileibie"_s);
        for (const auto &u : users_)
            for (const auto &name : u.logCategories) {
                cats.text(u"leibie"_s, name);
                cats.text(u"用户"_s, u.name);
                cats.insert();
            }
        const QStringList titles = words("拜访客户 续保提醒电话 理赔资料整理 部门例会 产品培训 保单送达 催收保费 "
                                         "新客户洽谈 月度总结 车险报价");
        const QStringList contents = words(
            "上午与客户面谈，介绍了今年的车险优惠方案，客户表示考虑后答复。 整理了三份理赔资料，已提交保险公司。 "
            "参加公司例会，传达了下季度业务目标。 电话联系到期客户，两位同意续保。 送达保单并讲解了条款要点。 "
            "下午培训新产品，重点是个贷房屋保险的投保流程。");
        RowWriter log(c_, u"rizhi"_s, words("ParentNodeID"));
        const int perUser = std::clamp(o_.customers / 50, 10, 2000);
        for (const auto &u : users_)
            for (int i = 0; i < perUser; ++i) {
                const QDate day = o_.today.addDays(-rng_.range(0, 700));
                log.text(u"riqi"_s, dateText(day));
                log.text(u"shijian"_s, QTime(rng_.range(8, 19), rng_.range(0, 59), rng_.range(0, 59)).toString(kTimeFormat));
                log.set(u"xinqing"_s, qint64(rng_.below(6)));
                log.text(u"tianqi"_s, QString::number(rng_.below(5)));
                log.text(u"biaoti"_s, rng_.pick(titles));
                log.text(u"leibie"_s, rng_.pick(u.logCategories));
                log.text(u"neirong"_s, rng_.pick(contents));
                log.text(u"用户"_s, u.name);
                log.insert();
            }
    }

    void writeReminders()
    {
        RowWriter w(c_, u"alert"_s);
        std::vector<Reminder> all = renewals_;
        all.insert(all.end(), dues_.begin(), dues_.end());
        all.insert(all.end(), birthdays_.begin(), birthdays_.end());
        // At least one reminder is due today even in a tiny demo.
        all.push_back({o_.today, u"续保提醒"_s, u"本周续保汇总"_s, u"请查看本周到期的车险保单，逐一电话联系客户续保。"_s});
        for (const auto &r : all) {
            w.date(u"AlertDate"_s, r.date);
            w.text(u"leibie"_s, r.kind);
            w.text(u"AlertCaption"_s, r.caption);
            w.text(u"Remark"_s, r.remark);
            w.insert();
        }
    }

    Connection &c_;
    DemoOptions o_;
    Rng rng_;
    std::vector<User> users_;
    QStringList khlbNames_;
    DemoCounts counts_;
    std::vector<Reminder> renewals_, dues_, birthdays_;  // samples for the reminders
};

} // namespace

DemoCounts fillDemo(Connection &c, const DemoOptions &o)
{
    Transaction tx(c);
    const DemoCounts n = Demo(c, o).run();
    tx.commit();
    return n;
}

} // namespace tolvaris
