#pragma once
// The program's one connection to its database file (the main window's
// ADOC) together with the data module whose datasets use it.
#include "database.h"
#include "datamodule.h"

namespace tolvaris {

class Session {
public:
    explicit Session(QString path) : path_(std::move(path)) {}
    ~Session() { close(); }

    const QString &path() const { return path_; }
    bool isOpen() const { return conn_ != nullptr; }
    Connection &connection();  // throws DbError when closed
    TDataModule1 &dm() { return dm_; }

    // Opens the file (ours, migrated); the datasets get the connection, closed.
    void open();
    // Closes and opens the connection again; every dataset closes.
    void reconnect();
    void close();

private:
    QString path_;
    std::unique_ptr<Connection> conn_;
    TDataModule1 dm_;
};

} // namespace tolvaris
