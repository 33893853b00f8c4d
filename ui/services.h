#pragma once
// Services that windows receive by injection instead of calling static Qt
// dialogs or the system clock, so that tests can script and record them:
// message boxes and confirmations, file dialogs, modal sub-dialogs, the clock.
#include <QDate>
#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <memory>

class QDialog;
class QFileDialog;
class QWidget;

namespace tolvaris {

// Message kinds and how each looks. The production boxes and the fakes read
// the same look, so what a fake records is what a user would see.
enum class MessageKind {
    Information,  // a notice: information icon, OK
    Question,     // a confirmation: question icon, OK and Cancel; OK goes ahead
    Error,        // a failure the user must know about (database, conversion)
};
QMessageBox::Icon messageIcon(MessageKind kind);
QMessageBox::StandardButtons messageButtons(MessageKind kind);
// Message texts carry "\r" where a line break stands.
QString messageDisplayText(const QString &text);

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    // true when the user pressed OK.
    virtual bool question(QWidget *parent, const QString &title, const QString &text) = 0;
    virtual void error(QWidget *parent, const QString &title, const QString &text) = 0;
};

class FileService {
public:
    virtual ~FileService() = default;
    // The chosen path, or "" when cancelled. The production dialog asks
    // before overwriting and appends defaultExtension ("xlsx" or ".xlsx")
    // when the typed name has none.
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &proposedName, const QString &defaultExtension) = 0;
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter) = 0;
};

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Shows the dialog modally; its result code (QDialog::Accepted, ...).
    virtual int run(QDialog &dialog) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
};

// What a window receives. Non-owning: the services outlive the windows.
struct Services {
    MessageService *messages = nullptr;
    FileService *files = nullptr;
    ModalRunner *modal = nullptr;
    Clock *clock = nullptr;
};

// ------------------------------------------------------------ production

class QtMessageService : public MessageService {
public:
    void information(QWidget *parent, const QString &title, const QString &text) override;
    bool question(QWidget *parent, const QString &title, const QString &text) override;
    void error(QWidget *parent, const QString &title, const QString &text) override;
    // The box a call shows (built but not shown), for the look to be checked.
    static std::unique_ptr<QMessageBox> makeBox(MessageKind kind, QWidget *parent, const QString &title,
                                                const QString &text);
};

class QtFileService : public FileService {
public:
    QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &proposedName,
                     const QString &defaultExtension) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter) override;
    // The dialogs the calls run (built but not shown).
    static std::unique_ptr<QFileDialog> makeSaveDialog(QWidget *parent, const QString &title, const QString &filter,
                                                       const QString &proposedName,
                                                       const QString &defaultExtension);
    static std::unique_ptr<QFileDialog> makeOpenDialog(QWidget *parent, const QString &title,
                                                       const QString &filter);
};

// "name" + ".ext" when the file name has no extension of its own.
QString withDefaultExtension(const QString &path, const QString &defaultExtension);

class ExecModalRunner : public ModalRunner {
public:
    int run(QDialog &dialog) override;
};

class SystemClock : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The process's production services (static instances).
Services productionServices();

} // namespace tolvaris
