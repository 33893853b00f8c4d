#pragma once
// The waiting window shown while a list loads: a frameless, always-on-top
// box centred on the desktop with a picture and a tip. One instance at most
// exists in the process, reached through the Progress* functions.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tolvaris {

class TFm_Progress : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 299;
    static constexpr int kPictureHeight = 109;

    explicit TFm_Progress(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const { return windowTitle(); }
    void setTip(const QString &tip);
    QString tip() const;
    void setMaximum(int max);
    int maximum() const;
    void setPosition(int pos);
    int position() const;

    QLabel *picture() const { return picture_; }
    QLabel *tipLabel() const { return tip_; }
    QProgressBar *bar() const { return bar_; }

    // Centres the window on the desktop (the screen's work area).
    void centreOnDesktop();

private:
    QLabel *picture_;
    QLabel *tip_;
    QProgressBar *bar_;
};

// The open progress window, or nullptr.
TFm_Progress *Fm_Progress();

// Creates and shows the window (a window still open is replaced), with
// position 0, and paints it at once.
void ProgressOpen(int max, const QString &title, const QString &tip);
// Moves the bar and lets pending events run so that the screen repaints.
void ProgressSetPosition(int pos);
// Closes and destroys the window.
void ProgressClose();

} // namespace tolvaris
