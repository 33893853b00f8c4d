#pragma once
// The process-wide application state every window reads and sets.
#include "statement.h"

#include <QString>

namespace tolvaris {

inline const QString kKindMotor = QStringLiteral("机动车辆保险");
inline const QString kKindNonMotor = QStringLiteral("非车险");
inline const QString kKindMarine = QStringLiteral("货物运输险");
inline const QString kAudited = QStringLiteral("已审核");
inline const QString kNotAudited = QStringLiteral("未审核");

struct AppState {
    QString CurrentUser;
    bool IsOrdinaryUser = true;  // true until a login says otherwise
    QString RightsText;
    QString EditMode;            // "N", "M", "C", "G" or "S"; kept until set again
    QString PolicyKind;
    QString AuditState;

    // The login: a user is ordinary exactly when quanxian is "0".
    void logIn(const QString &name, const QString &quanxian);
    // "普通用户" or "高级用户" from IsOrdinaryUser.
    void updateRightsText();
};

// The one instance of the process.
AppState &appState();

// The rights rule: an ordinary user's list statements add "用户=?" bound to
// his name; an advanced user's select all rows.
Statement &applyRights(Statement &st, const AppState &s);
inline Statement withRights(Statement st, const AppState &s) { applyRights(st, s); return st; }

} // namespace tolvaris
