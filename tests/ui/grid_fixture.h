#pragma once
// A small motor-policy table in memory, shared by the grid and export tests.
#include "connection.h"
#include "database.h"
#include "dataset.h"
#include "datasetmodel.h"

#include <memory>

namespace tolvaris::testing {

struct MotorRow {
    const char *number;    // 保单号
    const char *insured;   // 被保险人
    qint64 premiumUnits;   // 保险费合计 in ten-thousandths; -1 for NULL
    const char *issued;    // 出单日期, nullptr for NULL
    int cancelled;         // 注销 and Flag
    qint64 profit;         // 利润
};

// Texts from UTF-8 literals.
inline QStringList L(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *s : items) out << QString::fromUtf8(s);
    return out;
}

inline QVariant units(qint64 u) { return u < 0 ? QVariant() : QVariant(u); }
inline QVariant text(const char *s) { return s ? QVariant(QString::fromUtf8(s)) : QVariant(); }

class MotorFixture {
public:
    explicit MotorFixture(std::initializer_list<MotorRow> rows)
        : conn(Connection::openMemory()), ds(QStringLiteral("AdoChexian"), Statement("select * from 车险投保单"))
    {
        createSchema(*conn);
        for (const MotorRow &r : rows) insert(r);
        ds.setConnection(conn.get());
        ds.open();
    }

    void insert(const MotorRow &r)
    {
        conn->exec(QStringLiteral("insert into 车险投保单 (保单号, 被保险人, 保险费合计, 出单日期, 注销, Flag, 利润) "
                                  "values (?, ?, ?, ?, ?, ?, ?)"),
                   {text(r.number), text(r.insured), units(r.premiumUnits), text(r.issued), r.cancelled,
                    r.cancelled, r.profit});
    }

    // The columns of a motor list: count under 序号, a currency sum, a
    // whole-number sum, a date, a check box and one hidden column.
    static QList<GridColumn> columns()
    {
        return {
            {.field = QStringLiteral("RecID"), .caption = QStringLiteral("序号"), .footer = FooterKind::Count,
             .footerFormat = QStringLiteral(" 0 份")},
            {.field = QStringLiteral("保单号")},
            {.field = QStringLiteral("被保险人")},
            {.field = QStringLiteral("证件号码"), .hidden = true},
            {.field = QStringLiteral("保险费合计"), .caption = QStringLiteral("保险费"), .footer = FooterKind::Sum,
             .footerFormat = QStringLiteral("合计：0.00")},
            {.field = QStringLiteral("出单日期")},
            {.field = QStringLiteral("注销")},
            {.field = QStringLiteral("利润"), .footer = FooterKind::Sum, .footerFormat = QStringLiteral("0.00")},
        };
    }

    std::unique_ptr<Connection> conn;
    Dataset ds;
};

} // namespace tolvaris::testing
