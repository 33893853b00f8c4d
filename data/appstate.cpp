#include "appstate.h"

namespace tolvaris {

void AppState::logIn(const QString &name, const QString &quanxian)
{
    CurrentUser = name;
    IsOrdinaryUser = quanxian == QLatin1String("0");
}

void AppState::updateRightsText()
{
    RightsText = IsOrdinaryUser ? QStringLiteral("普通用户") : QStringLiteral("高级用户");
}

AppState &appState()
{
    static AppState s;
    return s;
}

Statement &applyRights(Statement &st, const AppState &s)
{
    if (s.IsOrdinaryUser) st.where(QStringLiteral("用户=?"), {s.CurrentUser});
    return st;
}

} // namespace tolvaris
