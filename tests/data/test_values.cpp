// Value codecs: editor text -> stored value -> editor and grid text.
#include "values.h"

#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

const ColumnDef &motorColumn(const char *name)
{
    const ColumnDef *c = findTable(kMotorTable)->column(QString::fromUtf8(name));
    EXPECT_NE(c, nullptr) << name;
    return *c;
}

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TEST(Values, DatesFromStorage)
{
    struct Case { QVariant stored; QDate expected; };
    const Case cases[] = {
        {QVariant(), QDate()},
        {QVariant(QStringLiteral("1899-12-30")), QDate()},
        {QVariant(QStringLiteral("1899-12-30 00:00:00")), QDate()},
        {QVariant(QString()), QDate()},
        {QVariant(QStringLiteral("2024-02-29")), QDate(2024, 2, 29)},
        {QVariant(QStringLiteral("2024-02-29 13:45:00")), QDate(2024, 2, 29)},
        {QVariant(QStringLiteral("junk")), QDate()},
        {QVariant(QStringLiteral("2023-02-29")), QDate()},
    };
    for (const auto &c : cases) {
        const QDate d = dateFromStorage(c.stored);
        EXPECT_EQ(d, c.expected) << c.stored.toString().toStdString();
        EXPECT_EQ(dateText(d), c.expected.isValid() ? c.expected.toString(QStringLiteral("yyyy-MM-dd")) : QString());
    }
    EXPECT_EQ(dateToStorage(QDate()), kZeroDateText);
    EXPECT_EQ(dateToStorage(QDate(2025, 1, 5)), QStringLiteral("2025-01-05"));
}

TEST(Values, StorageFromText)
{
    const ColumnDef &integer = motorColumn("后排保险费");
    const ColumnDef &currency = motorColumn("保险费合计");
    const ColumnDef &date = motorColumn("保险起期");
    const ColumnDef &text = motorColumn("备注");
    const ColumnDef &yesno = motorColumn("注销");
    const ColumnDef memo{QStringLiteral("bz"), ColType::Memo, 0, {}};
    const QString long60 = QString(60, QChar(u'保'));
    const QString long70k = QString(70000, QChar(u'x'));

    struct Case { const ColumnDef *col; QString in; QVariant expected; };
    const Case cases[] = {
        {&integer, s(""), QVariant()},
        {&integer, s(" 42 "), QVariant(qint64(42))},
        {&integer, s("-7"), QVariant(qint64(-7))},
        {&integer, s("+2147483647"), QVariant(qint64(2147483647))},
        {&currency, s(""), QVariant()},
        {&currency, s("0"), QVariant()},
        {&currency, s("0.00"), QVariant()},
        {&currency, s("0.004"), QVariant()},           // rounds to zero: empty
        {&currency, s("12.345"), QVariant(qint64(123500))},
        {&currency, s("12.344"), QVariant(qint64(123400))},
        {&currency, s("-0.005"), QVariant(qint64(-100))},
        {&currency, s("1234.5"), QVariant(qint64(12345000))},
        {&date, s(""), QVariant(kZeroDateText)},
        {&date, s(" 2024-03-01 "), QVariant(QStringLiteral("2024-03-01"))},
        {&text, s(""), QVariant(QString())},
        {&text, long60, QVariant(long60.left(50))},
        {&text, s("O'Brien"), QVariant(s("O'Brien"))},
        {&memo, long70k, QVariant(long70k)},
        {&yesno, s("1"), QVariant(qint64(1))},
        {&yesno, s("是"), QVariant(qint64(1))},
        {&yesno, s(""), QVariant(qint64(0))},
        {&yesno, s("0"), QVariant(qint64(0))},
    };
    for (const auto &c : cases) {
        const QVariant v = storageFromText(*c.col, c.in);
        EXPECT_EQ(v.isNull(), c.expected.isNull()) << c.col->name.toStdString() << " " << c.in.left(20).toStdString();
        if (!c.expected.isNull()) {
            EXPECT_EQ(v, c.expected) << c.col->name.toStdString() << " " << c.in.left(20).toStdString();
        }
    }
    EXPECT_EQ(storageFromText(text, long60).toString().size(), 50);
}

TEST(Values, RefusedTextNamesColumnAndValue)
{
    struct Case { const char *column; const char *in; const char *field; const char *named; };
    const Case cases[] = {
        {"利润", "350.5", "", "利润"},
        {"后排保险费", "350.5", "", "后排保险费"},
        {"后排保险费", "abc", "", "后排保险费"},
        {"后排保险费", "2147483648", "", "后排保险费"},  // beyond a 32-bit column
        {"后排保险费", "1e3", "后排座位保费", "后排座位保费"},
        {"保险费合计", "1,000", "", "保险费合计"},
        {"保险费合计", "abc", "保险费", "保险费"},
        {"保险起期", "2024-02-30", "", "保险起期"},
        {"保险起期", "tomorrow", "", "保险起期"},
    };
    for (const auto &c : cases) {
        try {
            storageFromText(motorColumn(c.column), s(c.in), s(c.field));
            ADD_FAILURE() << c.column << " accepted " << c.in;
        } catch (const ValueError &e) {
            EXPECT_TRUE(e.message().contains(s(c.named))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(s(c.in))) << e.message().toStdString();
        }
    }
}

TEST(Values, EditAndDisplayText)
{
    struct Case { ColType type; QVariant stored; const char *edit; const char *display; };
    const Case cases[] = {
        {ColType::Currency, QVariant(), "", ""},
        {ColType::Currency, QVariant(qint64(12345000)), "1234.5", "1,234.50"},
        {ColType::Currency, QVariant(qint64(-50000)), "-5", "-5.00"},
        {ColType::Date, QVariant(kZeroDateText), "", ""},
        {ColType::Date, QVariant(), "", ""},
        {ColType::Date, QVariant(QStringLiteral("2024-06-01")), "2024-06-01", "2024-06-01"},
        {ColType::YesNo, QVariant(), "0", "否"},
        {ColType::YesNo, QVariant(qint64(1)), "1", "是"},
        {ColType::Integer, QVariant(), "", ""},
        {ColType::Integer, QVariant(qint64(0)), "0", "0"},
        {ColType::Text, QVariant(), "", ""},
        {ColType::Text, QVariant(QStringLiteral("张三")), "张三", "张三"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(editTextFromStorage(c.type, c.stored), s(c.edit)) << int(c.type) << " " << c.edit;
        EXPECT_EQ(displayTextFromStorage(c.type, c.stored), s(c.display)) << int(c.type) << " " << c.display;
    }
}

TEST(Values, MoneyStorageRoundTrip)
{
    EXPECT_TRUE(moneyToStorage(Money()).isNull());
    EXPECT_TRUE(moneyToStorage(Money::fromUnits(49)).isNull());  // below half a cent
    EXPECT_EQ(moneyToStorage(Money::fromUnits(50)), QVariant(qint64(100)));
    EXPECT_EQ(moneyFromStorage(QVariant(qint64(123400))), Money::fromUnits(123400));
    EXPECT_TRUE(moneyFromStorage(QVariant()).isZero());
    // Amounts that a table keeps as text read the same way.
    EXPECT_EQ(moneyFromStorage(QVariant(QStringLiteral("12.34"))), Money::fromUnits(123400));
}
