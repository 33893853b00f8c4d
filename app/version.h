#pragma once
#include <QString>

namespace tolvaris {
// Texts that name the product and its release.
inline const QString kProductName = QStringLiteral("Tolvaris");
inline const QString kMainCaption = QStringLiteral("TolvarisV2.0");
inline const QString kLastUpdated = QStringLiteral("最近更新：2006-09-10");
// Name of the single-instance lock (one per user).
inline const QString kInstanceLockName = QStringLiteral("Tolvaris.lock");
} // namespace tolvaris
