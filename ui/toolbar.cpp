#include "toolbar.h"

#include <QToolBar>
#include <QToolButton>

namespace tolvaris {

QToolButton *addToolButton(QToolBar *bar, const QString &objectName, const QString &caption, const QIcon &icon,
                           Qt::ToolButtonStyle style, const QString &hint)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setToolTip(hint.isEmpty() ? caption : hint);
    b->setIcon(icon);
    b->setToolButtonStyle(style);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

} // namespace tolvaris
