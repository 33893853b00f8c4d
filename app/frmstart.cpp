#include "frmstart.h"

#include "artwork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace tolvaris {

TFrmStart::TFrmStart(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TFrmStart"));
    setWindowTitle(QStringLiteral("Tolvaris启动"));
    setFixedSize(kSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TFrmStart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(rect(), artwork::splashPicture(devicePixelRatioF()));
}

void TFrmStart::showSplash(std::chrono::milliseconds duration, const std::function<void()> &meanwhile)
{
    TFrmStart splash;
    QElapsedTimer shown;
    shown.start();
    splash.show();
    QApplication::processEvents();
    splash.repaint();
    QApplication::processEvents();
    if (meanwhile) meanwhile();
    duration -= std::chrono::milliseconds(shown.elapsed());
    if (duration.count() > 0) {
        // Wait without taking input: nothing else is on the screen yet, and
        // the splash still repaints if it is uncovered meanwhile.
        QEventLoop wait;
        QTimer::singleShot(duration, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    splash.close();
}

} // namespace tolvaris
