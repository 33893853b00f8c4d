#include "datamodule.h"

namespace tolvaris {

TDataModule1::TDataModule1() = default;

std::vector<Dataset *> TDataModule1::datasets()
{
    return {&ADOQuery1, &AdoAdmin, &AdoAlert, &AdoChexian, &AdoShuixian, &AdoGedai, &ds};
}

void TDataModule1::setConnection(Connection *c)
{
    conn_ = c;
    for (auto *d : datasets()) d->setConnection(c);
}

void TDataModule1::openAll()
{
    for (auto *d : datasets()) d->open();
}

void TDataModule1::closeAll()
{
    for (auto *d : datasets()) d->close();
}

TDataModule1 *&DataModule1()
{
    static TDataModule1 *m = nullptr;
    return m;
}

} // namespace tolvaris
