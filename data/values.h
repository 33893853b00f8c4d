#pragma once
// Conversions between what users type, what is stored and what is shown,
// per column type of the schema.
#include "money.h"
#include "schema.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace tolvaris {

// A value that cannot be stored in its column. The message names the field
// and the value and is meant for the user.
class ValueError : public std::runtime_error {
public:
    explicit ValueError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }
private:
    QString message_;
};

inline const QString kZeroDateText = QStringLiteral("1899-12-30");
inline const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
inline const QString kTimeFormat = QStringLiteral("HH:mm:ss");

// yyyy-MM-dd; a null date is the zero date.
QString dateToStorage(const QDate &d);
// The zero date, NULL, and unreadable text read as a null (empty) date.
QDate dateFromStorage(const QVariant &stored);
// yyyy-MM-dd or "" for an empty date.
QString dateText(const QDate &d);

// Whole number as typed: optional sign and digits, blanks around ignored.
// Empty text is "no value" (nullopt with ok=true).
std::optional<qint64> parseWholeNumber(const QString &text, bool *ok);

// Converts what an editor field holds (its text) to the value stored in the
// column. Throws ValueError naming `field` (the column name when empty).
//   Text/Memo: the text (Text cut to its length); Integer: whole number or NULL;
//   Currency: amount rounded to two decimals, NULL for empty or zero;
//   Date: yyyy-MM-dd or the zero date; YesNo: "1"/"true"/"是" → 1, else 0.
QVariant storageFromText(const ColumnDef &col, const QString &text, const QString &field = {});

// The text an editor field loads: amounts as plain text ("" for zero), dates
// yyyy-MM-dd ("" for the empty date), whole numbers, "1"/"0" for yes/no.
QString editTextFromStorage(ColType type, const QVariant &stored);

// The text a grid shows: amounts with two decimals and separators, dates
// yyyy-MM-dd ("" for the empty date), yes/no as 是/否.
QString displayTextFromStorage(ColType type, const QVariant &stored);

Money moneyFromStorage(const QVariant &stored);
QVariant moneyToStorage(Money m);  // NULL for zero, cents-rounded units otherwise

} // namespace tolvaris
