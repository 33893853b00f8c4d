#pragma once
// A realistic, deterministic demo database for manual use and benchmarks.
#include "connection.h"

#include <QDate>

namespace tolvaris {

struct DemoOptions {
    int customers = 0;          // customer-editor rows of khgx
    int policies = 0;           // rows of each policy table
    quint64 seed = 1;
    QDate today;                // dates are spread around it
};

struct DemoCounts {
    qint64 customers = 0;       // all khgx rows, companions included
    qint64 policies = 0;        // all three policy tables
};

// Fills a freshly created database (first user `admin` already present) in
// one transaction. The same options give the same table contents.
DemoCounts fillDemo(Connection &c, const DemoOptions &o);

} // namespace tolvaris
