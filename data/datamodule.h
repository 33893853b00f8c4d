#pragma once
// The data module: the shared datasets through which windows read and write
// the customer, user, reminder and policy tables. Each dataset keeps its
// statement, current row and edit state between windows.
#include "dataset.h"

namespace tolvaris {

class TDataModule1 {
public:
    TDataModule1();

    // Replaces the connection: every dataset closes, as a reconnect does.
    void setConnection(Connection *c);
    Connection *connection() const { return conn_; }
    // Opens every dataset with the statement it holds.
    void openAll();
    void closeAll();
    std::vector<Dataset *> datasets();

    Dataset ADOQuery1{QStringLiteral("ADOQuery1"), Statement("select * from khgx")};
    Dataset AdoAdmin{QStringLiteral("AdoAdmin"), Statement("select * from admin")};
    Dataset AdoAlert{QStringLiteral("AdoAlert"), Statement("select * from alert")};
    Dataset AdoChexian{QStringLiteral("AdoChexian"), Statement("select * from 车险投保单")};
    Dataset AdoShuixian{QStringLiteral("AdoShuixian"), Statement("select * from 水险投保单")};
    Dataset AdoGedai{QStringLiteral("AdoGedai"), Statement("select * from 个贷投保单")};
    Dataset ds{QStringLiteral("ds"), Statement("select * from 个贷投保单")};

private:
    Connection *conn_ = nullptr;
};

// The module of the running program (set by the application at start-up).
TDataModule1 *&DataModule1();

} // namespace tolvaris
