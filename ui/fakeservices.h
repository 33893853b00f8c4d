#pragma once
// Scripted stand-ins for the injected services, for tests: every call is
// recorded (kind, title, text, icon, buttons, ...) and answered from a queue
// of scripted answers, or with a configurable default when the queue is empty.
#include "services.h"

#include <QPointer>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace tolvaris {

struct ServiceCall {
    enum class Kind { Information, Question, Error, SaveFile, OpenFile, Modal };
    Kind kind = Kind::Information;
    QPointer<QWidget> parent;
    QString title;                 // message/dialog title; a modal dialog's window title
    QString text;                  // message text as passed ("\r" kept); a modal dialog's objectName
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
    QString filter;                // file dialogs
    QString proposedName;          // save dialog
    QString defaultExtension;      // save dialog
    QString answer;                // what the fake answered: "OK"/"Cancel", a path, a result code
};

using CallLog = std::vector<ServiceCall>;

// Every fake writes into its own `calls`, and also into `sharedLog` when
// set (FakeServices sets it so the order across services shows).
class FakeBase {
public:
    CallLog calls;
    CallLog *sharedLog = nullptr;
    // Called with each call as it is recorded (e.g. to look at the window
    // while the "box" is up).
    std::function<void(const ServiceCall &)> onCall;

protected:
    void record(const ServiceCall &c);
};

class FakeMessages : public MessageService, public FakeBase {
public:
    std::deque<bool> answers;     // for questions; true = OK
    bool defaultAnswer = true;    // when `answers` is empty

    void information(QWidget *parent, const QString &title, const QString &text) override;
    bool question(QWidget *parent, const QString &title, const QString &text) override;
    void error(QWidget *parent, const QString &title, const QString &text) override;

    // The message calls only (information, question, error), in order.
    std::vector<ServiceCall> messages() const;
    // The same as "title|text", the form tests compare with.
    QStringList texts() const;
    const ServiceCall *last() const { return calls.empty() ? nullptr : &calls.back(); }
};

class FakeFiles : public FileService, public FakeBase {
public:
    // Scripted answers; "" means the user cancelled. Save answers go through
    // the production extension rule, as the real dialog would.
    std::deque<QString> savePaths, openPaths;
    QString defaultSavePath, defaultOpenPath;  // when the queues are empty

    QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &proposedName,
                     const QString &defaultExtension) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter) override;
};

class FakeModalRunner : public ModalRunner, public FakeBase {
public:
    // A script stands for the user: it may fill fields, click buttons, call
    // accept()/reject(), and returns the result code run() gives back.
    using Script = std::function<int(QDialog &)>;
    std::deque<Script> scripts;
    int defaultResult = 0;  // QDialog::Rejected: the user closed the dialog

    int run(QDialog &dialog) override;

    // A script that runs `fill` and then accepts the dialog.
    static Script acceptAfter(std::function<void(QDialog &)> fill = {});
    static Script rejectAfter(std::function<void(QDialog &)> fill = {});
};

class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0))) : now_(std::move(now)) {}
    QDate today() const override { return now_.date(); }
    QDateTime now() const override { return now_; }
    void set(const QDateTime &now) { now_ = now; }
    void setToday(const QDate &d) { now_.setDate(d); }
    void advanceSecs(qint64 s) { now_ = now_.addSecs(s); }

private:
    QDateTime now_;
};

// The four fakes with one shared log, handed to windows as `services()`.
class FakeServices {
public:
    FakeServices();
    FakeServices(const FakeServices &) = delete;
    FakeServices &operator=(const FakeServices &) = delete;

    Services services() { return Services{&messages, &files, &modal, &clock}; }

    FakeMessages messages;
    FakeFiles files;
    FakeModalRunner modal;
    FakeClock clock;
    CallLog log;  // every call of the three recording fakes, in order
};

} // namespace tolvaris
