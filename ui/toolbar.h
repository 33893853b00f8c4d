#pragma once
// Tool-bar buttons of the windows: captioned picture buttons.
#include <QIcon>
#include <QString>
#include <Qt>

class QToolBar;
class QToolButton;

namespace tolvaris {

// Adds a button to `bar`; its hint is `hint`, or the caption when empty.
QToolButton *addToolButton(QToolBar *bar, const QString &objectName, const QString &caption, const QIcon &icon,
                           Qt::ToolButtonStyle style = Qt::ToolButtonTextBesideIcon, const QString &hint = {});

} // namespace tolvaris
