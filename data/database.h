#pragma once
// The database file: where it lives, making a new one, opening one of ours
// (refusing others, migrating older ones) and checking a file.
#include "connection.h"

#include <functional>
#include <memory>
#include <vector>

namespace tolvaris {

// Data/data.dat beside the executable; when that folder cannot be written
// (a system-wide install), $XDG_DATA_HOME/Tolvaris/Data/data.dat.
QString databasePathFor(const QString &exeDir);

struct FirstUser {
    QString name;
    QString password;
    bool advanced = true;
};

// Makes a new file with the full schema and its first user. Refuses to touch
// an existing file.
std::unique_ptr<Connection> createDatabase(const QString &path, const FirstUser &user);
// The schema on an empty connection (used by createDatabase and tests).
void createSchema(Connection &c);

struct Migration {
    int toVersion;
    std::function<void(Connection &)> apply;
};
// The ordered steps from older schema versions to kSchemaVersion.
const std::vector<Migration> &migrations();
// Applies every step above the file's version up to `target`, each in its
// own transaction together with the new version number.
void migrate(Connection &c, const std::vector<Migration> &steps, int target);

// Why the file is not a database of this program, or "" when it is.
QString whyNotOurs(Connection &c);

// Opens a database of this program, migrating an older version. Throws
// DbError with a message for the user when the file is missing, not a
// database, not ours, or from a newer version of the program.
std::unique_ptr<Connection> openDatabase(const QString &path);

struct CheckResult {
    bool ok = false;
    QString reason;  // one line when !ok
};
// Read-only: ours, a known version, and SQLite's integrity check passes.
CheckResult checkDatabase(const QString &path);

} // namespace tolvaris
