#pragma once
// The program's pictures, drawn in code so they stay sharp at any DPI and
// need no image files beside the executable.
#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace tolvaris::artwork {

// A rounded badge in `color` with one character, for tool-bar, navigation and
// menu commands.
QIcon glyphIcon(const QString &glyph, const QColor &color);
// The program's icon (window and tray).
QIcon appIcon();
// Splash picture, 419 × 269 logical pixels: product name and "V2.0".
QPixmap splashPicture(qreal dpr = 1.0);
// A fountain pen on a soft background, for the login and About windows.
QPixmap penPicture(const QSize &size, qreal dpr = 1.0);
// Background of the main window's client area.
QPixmap backgroundPicture(const QSize &size, qreal dpr = 1.0);
// Picture of the progress window.
QPixmap progressPicture(const QSize &size, qreal dpr = 1.0);
// User-list pictures: advanced and ordinary users.
QIcon userIcon(bool advanced);

} // namespace tolvaris::artwork
