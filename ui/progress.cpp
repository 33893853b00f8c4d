#include "progress.h"

#include "artwork.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace tolvaris {

namespace {
QPointer<TFm_Progress> g_progress;
} // namespace

TFm_Progress::TFm_Progress(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Fm_Progress"));
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    picture_ = new QLabel(frame);
    picture_->setObjectName(QStringLiteral("Image1"));
    const QSize sz(kPictureWidth, kPictureHeight);
    picture_->setFixedSize(sz);
    picture_->setPixmap(artwork::progressPicture(sz, devicePixelRatioF()));

    tip_ = new QLabel(frame);
    tip_->setObjectName(QStringLiteral("lblTip"));
    tip_->setAlignment(Qt::AlignCenter);

    // Kept for its maximum and position; the window shows the tip instead.
    bar_ = new QProgressBar(frame);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->hide();

    auto *lay = new QVBoxLayout(frame);
    lay->setContentsMargins(1, 1, 1, 8);
    lay->setSpacing(6);
    lay->addWidget(picture_, 0, Qt::AlignHCenter);
    lay->addWidget(tip_);
    lay->addWidget(bar_);
    setFixedSize(sizeHint());
}

void TFm_Progress::setTitle(const QString &title) { setWindowTitle(title); }
void TFm_Progress::setTip(const QString &tip) { tip_->setText(tip); }
QString TFm_Progress::tip() const { return tip_->text(); }
void TFm_Progress::setMaximum(int max) { bar_->setMaximum(std::max(max, bar_->minimum())); }
int TFm_Progress::maximum() const { return bar_->maximum(); }
void TFm_Progress::setPosition(int pos) { bar_->setValue(std::clamp(pos, bar_->minimum(), bar_->maximum())); }
int TFm_Progress::position() const { return bar_->value(); }

void TFm_Progress::centreOnDesktop()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r(QPoint(), size());
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
}

TFm_Progress *Fm_Progress() { return g_progress.data(); }

void ProgressOpen(int max, const QString &title, const QString &tip)
{
    ProgressClose();
    auto *w = new TFm_Progress;
    w->setTitle(title);
    w->setTip(tip);
    w->setMaximum(max);
    w->setPosition(0);
    w->centreOnDesktop();
    g_progress = w;
    w->show();
    w->raise();
    w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressSetPosition(int pos)
{
    if (!g_progress) return;
    g_progress->setPosition(pos);
    // Repaint while a long load keeps the thread busy. User input stays
    // queued: a click must not start another load inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressClose()
{
    if (TFm_Progress *w = g_progress.data()) {
        g_progress.clear();
        w->close();
        delete w;
    }
}

} // namespace tolvaris
