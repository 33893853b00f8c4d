// Start-up of the program. The full shell (login, main window) builds on this.
#include "database.h"

#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QTranslator>

using namespace tolvaris;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTr;
    if (qtTr.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTr);

    const QString path = databasePathFor(QCoreApplication::applicationDirPath());
    std::unique_ptr<Connection> conn;
    try {
        conn = openDatabase(path);
    } catch (const DbError &e) {
        QMessageBox::information(nullptr, QStringLiteral("提示"), e.message());
        return 1;
    }

    QMainWindow w;
    w.setObjectName(QStringLiteral("TFrmMain"));
    w.setWindowTitle(QStringLiteral("TolvarisV2.0"));
    auto *label = new QLabel(QStringLiteral("Tolvaris 保险代理业务秘书\n数据库：%1").arg(path));
    label->setAlignment(Qt::AlignCenter);
    w.setCentralWidget(label);
    w.showMaximized();
    return app.exec();
}
