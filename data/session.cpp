#include "session.h"

namespace tolvaris {

Connection &Session::connection()
{
    if (!conn_) throw DbError(QStringLiteral("数据库连接未打开"));
    return *conn_;
}

void Session::open()
{
    if (conn_) return;
    conn_ = openDatabase(path_);
    dm_.setConnection(conn_.get());
}

void Session::reconnect()
{
    close();
    open();
}

void Session::close()
{
    dm_.setConnection(nullptr);
    conn_.reset();
}

} // namespace tolvaris
