#pragma once
// The main window: menus, navigation side bar, tool bar, tray icon, status
// bar, the policy counters over the background, and the MDI area in which the
// list windows live (at most one of each).
#include "context.h"

#include <QHash>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tolvaris {

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(const Context &ctx, QWidget *parent = nullptr);
    ~TFrmMain() override;

    // Looks through the child windows from the most recently created to the
    // first; the first instance of `cls` is shown and brought to the front.
    bool ShowChildIfOpen(const QMetaObject &cls);

    // The one list window of class T: the open one brought to the front, or
    // a new one from `factory` (returning a parentless T*), opened maximised
    // in the MDI area and destroyed when it is closed.
    template <class T, class Factory>
    T *openChild(Factory &&factory)
    {
        if (ShowChildIfOpen(T::staticMetaObject)) return qobject_cast<T *>(findChildWindow(T::staticMetaObject));
        T *w = factory();
        addChildWindow(w);
        return w;
    }
    template <class T>
    T *openChild()
    {
        return openChild<T>([this] { return new T(ctx_); });
    }

    QMdiArea *mdiArea() const { return mdi_; }
    // Every menu, tool-bar, navigation and tray command by objectName
    // ("actUserManagement", "actBackup", "actNewMotor", ...); nullptr if none.
    QAction *command(const QString &objectName) const;

    // Side bar (navigation) shown or hidden; the hot spot stays visible.
    void setSideBarVisible(bool on);
    bool sideBarVisible() const;

    // The tray's "显示/隐藏主窗体" and double-click: restore when minimised
    // (or hidden to the tray), otherwise minimise.
    void toggleMainWindow();

    // The tray menu (built also when no system tray exists, so the commands
    // stay reachable and testable); the tray icon itself only when available.
    QMenu *trayMenu() const { return trayMenu_; }
    QSystemTrayIcon *trayIcon() const { return tray_; }
    bool firstShowDone() const { return firstShown_; }

signals:
    // Today's reminders are due: the reminder window opens on this.
    void reminderDue();

protected:
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildCommands();
    void buildMenus();
    void buildToolBar();
    void buildSideBar(QWidget *host);
    void buildBackground();
    void buildStatusBar();
    void buildTray();
    void connectCommands();

    QAction *makeAction(const char *objectName, const QString &text, const QString &glyph = {},
                        const QColor &color = {});
    void firstShow();
    void loadCounters();
    void endProgram();
    void newPolicy(QAction *editorCommand);
    void tileHorizontally();
    void tileVertically();
    void onReminderTimer1();
    void onReminderTimer2();
    void noteKeyState(QKeyEvent *e);
    void updateKeyPane();
    void updateClock();
    void layoutBackground();

    QWidget *findChildWindow(const QMetaObject &cls) const;
    QMdiSubWindow *findSubWindow(const QMetaObject &cls) const;
    void addChildWindow(QWidget *w);

    Context ctx_;
    QHash<QString, QAction *> commands_;
    QMdiArea *mdi_ = nullptr;
    QWidget *sidePanel_ = nullptr;
    QTreeWidget *nav_ = nullptr;
    QToolButton *sideToggle_ = nullptr;
    QWidget *overlay_ = nullptr;
    QHash<QString, QLabel *> counters_;
    QLabel *paneKeys_ = nullptr, *paneUser_ = nullptr, *paneRights_ = nullptr, *paneClock_ = nullptr,
           *paneBlink_ = nullptr;
    QTimer *clockTimer_ = nullptr, *blinkTimer_ = nullptr;
    QTimer *timer1_ = nullptr, *timer2_ = nullptr;  // reminder pop-up
    QMenu *trayMenu_ = nullptr;
    QSystemTrayIcon *tray_ = nullptr;
    bool firstShown_ = false;
    bool blinkOn_ = false;
    // Keyboard locks as last seen in key events; unknown until a key shows them.
    enum class Lock { Unknown, Off, On };
    Lock caps_ = Lock::Unknown, num_ = Lock::Unknown;
};

} // namespace tolvaris
