#pragma once
// The first start on a machine: no database yet. The program offers to make
// one and asks for its first (advanced) user. A file that exists but is not a
// database of ours is reported and left alone.
#include "database.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tolvaris {

class MessageService;
class Session;
struct Services;

// Asks for the first user's name and password (twice). OK checks the fields
// and closes only when they are complete and the passwords agree.
class FirstUserDialog : public QDialog {
    Q_OBJECT
public:
    explicit FirstUserDialog(MessageService &messages, QWidget *parent = nullptr);

    FirstUser user() const;  // always an advanced user
    void accept() override;

private:
    MessageService &messages_;
    QLineEdit *edName_;
    QLineEdit *edPassword_;
    QLineEdit *edPassword2_;
};

enum class DatabaseReady {
    Open,       // the session is open on a database of ours
    Cancelled,  // the user declined to create one: end quietly
    Failed,     // reported to the user: end
};

// Opens `session` on its file, first offering to create the file when there
// is none. A file that cannot be opened or is not ours is reported with the
// reason and never touched.
DatabaseReady openOrCreateDatabase(Session &session, const Services &services, QWidget *parent = nullptr);

} // namespace tolvaris
