#include "WorkingCursor.h"

#include "core/store/WorkingTable.h"
#include "engine/Table.h"

std::unique_ptr<Table> workingCursor()
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(QStringLiteral("VESKA"));
    t->setTableName(WorkingTable::tableName);
    return t;
}

void createWorkingTable()
{
    std::unique_ptr<Table> t = workingCursor();
    WorkingTable::defineSchema(*t);
    t->createTable();
}
