#include "startup.h"

#include "artwork.h"
#include "context.h"
#include "firstrun.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmstart.h"
#include "singleinstance.h"
#include "values.h"
#include "version.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <memory>

namespace tolvaris {

namespace {
void report(MessageService *messages, const QString &text)
{
    if (messages) messages->error(QApplication::activeWindow(), QStringLiteral("提示"), text);
    else qWarning("%s", qUtf8Printable(text));
}
} // namespace

bool deliverGuarded(const std::function<bool()> &deliver, MessageService *messages)
{
    try {
        return deliver();
    } catch (const DbError &e) {
        report(messages, e.message());
    } catch (const ValueError &e) {
        report(messages, e.message());
    } catch (const std::exception &e) {
        report(messages, QString::fromUtf8(e.what()));
    }
    return false;
}

TolvarisApplication::TolvarisApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TolvarisApplication::notify(QObject *receiver, QEvent *event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, messages_);
}

namespace {
// From the database to the end of the message loop; its windows and session
// are gone when it returns.
int runProgram(const Services &services)
{
    Session session(databasePathFor(QCoreApplication::applicationDirPath()));
    switch (openOrCreateDatabase(session, services)) {
    case DatabaseReady::Open: break;
    case DatabaseReady::Cancelled: return 0;
    case DatabaseReady::Failed: return 1;
    }
    DataModule1() = &session.dm();
    // Cleared after the windows are gone and before the session goes.
    const std::unique_ptr<TDataModule1 *, void (*)(TDataModule1 **)> moduleRef(
        &DataModule1(), [](TDataModule1 **m) { *m = nullptr; });
    // The shared datasets stay closed here: the main window's first show
    // reconnects, which would close them again, and the login loads AdoAdmin
    // itself.
    const Context ctx{services, &session, &appState()};

    // The windows are built while the splash is up, so that the login
    // appears as soon as the splash goes.
    std::unique_ptr<TFrmMain> mainWindow;
    std::unique_ptr<TFrmLogin> login;
    TFrmStart::showSplash(TFrmStart::kShowTime, [&] {
        mainWindow = std::make_unique<TFrmMain>(ctx);
        login = std::make_unique<TFrmLogin>(ctx);
        login->ensurePolished();
        login->adjustSize();
        login->winId();  // the native window, ahead of the show
    });
    ctx.modal().run(*login);
    const bool loggedIn = login->loggedIn();
    login.reset();
    if (!loggedIn) return 0;
    mainWindow->showMaximized();
    return QApplication::exec();
}
} // namespace

int runTolvaris(int argc, char **argv)
{
    TolvarisApplication app(argc, argv);
    // Only the application name: a display name would be appended to every
    // window title on X11.
    QApplication::setApplicationName(kProductName);
    QApplication::setWindowIcon(artwork::appIcon());
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    const Services services = productionServices();
    app.setMessages(services.messages);

    // A second copy leaves before it looks at the database.
    SingleInstanceGuard guard;
    if (!claimSingleInstance(guard, *services.messages)) return 0;

    // An error outside any event handler (while the windows are built) is
    // shown like the others, then the program ends.
    int code = 1;
    deliverGuarded([&] { code = runProgram(services); return true; }, services.messages);
    return code;
}

} // namespace tolvaris
