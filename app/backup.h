#pragma once
// The main window's "数据备份" and "数据恢复" commands.
#include "context.h"

class QWidget;

namespace tolvaris {

// Asks for a file name (today's date proposed, ".bck" added when none is
// typed) and writes a consistent snapshot of the open database there,
// replacing an existing file. Reports success or failure; cancelling does
// nothing.
void backupDatabase(const Context &ctx, QWidget *parent);

// Advanced users only. Asks for a backup file, checks that it is a database
// of this program, and puts it in place of the session's file: the session
// closes (every dataset with it) and opens on the restored file. The old
// file is kept beside it until the restored one has opened, and comes back
// when it does not open.
void restoreDatabase(const Context &ctx, QWidget *parent);

} // namespace tolvaris
