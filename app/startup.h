#pragma once
// The program's entry: the application object, single-instance guard, first
// run, splash, login and the main window.
#include <QApplication>
#include <functional>

namespace tolvaris {

class MessageService;

// Runs `deliver` (an event delivery). A database, conversion or other
// standard exception escaping it is shown with messages.error() (title
// "提示"), so the operation stops and the program goes on; returns false then.
bool deliverGuarded(const std::function<bool()> &deliver, MessageService *messages);

// The application: reports exceptions that escape an event handler instead of
// letting them end the process.
class TolvarisApplication : public QApplication {
    Q_OBJECT
public:
    TolvarisApplication(int &argc, char **argv);
    void setMessages(MessageService *messages) { messages_ = messages; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    MessageService *messages_ = nullptr;
};

int runTolvaris(int argc, char **argv);

} // namespace tolvaris
