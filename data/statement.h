#pragma once
// A statement's text with its bound values. Windows build statements with the
// structure the screens describe ("select * from T where a=? and b like ?"),
// and every value from a user or a row is bound, never spliced into the text.
#include <QString>
#include <QVariant>

namespace tolvaris {

struct Statement {
    QString text;
    QVariantList params;

    Statement() = default;
    Statement(QString t, QVariantList p = {}) : text(std::move(t)), params(std::move(p)) {}  // NOLINT
    Statement(const char *t) : text(QString::fromUtf8(t)) {}  // NOLINT

    // Appends " where cond" the first time and " and cond" afterwards.
    Statement &where(const QString &condition, const QVariantList &values = {});
    Statement &append(const QString &tail, const QVariantList &values = {});

    bool operator==(const Statement &o) const { return text == o.text && params == o.params; }
};

// The pattern bound for "col like ?" that finds rows containing `text`:
// "%" + text + "%" with %, _ and the escape character itself escaped.
// Use it with the condition suffix kLikeEscape.
QString likeContains(const QString &text);
inline const QString kLikeEscape = QStringLiteral(" escape '\\'");

// The table a "select ... from T ..." statement reads; empty when none.
QString tableOfStatement(const QString &sql);

} // namespace tolvaris
