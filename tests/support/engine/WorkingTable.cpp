#include "WorkingTable.h"

#include "engine/Table.h"

void defineWorkingTable(Table& t)
{
    t.clearFieldDefs();
    t.addFieldDef(QStringLiteral("Field"), FieldType::Alpha, 50, true);
    t.addFieldDef(QStringLiteral("Order"), FieldType::Long, 0, true);
    t.addFieldDef(QStringLiteral("Header"), FieldType::Alpha, 50, false);
    for (const char* flag : {"LDots", "RDots", "Total", "Count", "Average", "Min", "Max"})
        t.addFieldDef(QString::fromLatin1(flag), FieldType::Logical, 0, false);
    for (const char* number : {"DbType", "Line", "LPosition", "RPosition"})
        t.addFieldDef(QString::fromLatin1(number), FieldType::Long, 0, false);
    t.clearIndexDefs();
    t.addIndexDef(QStringLiteral("PrimaryField"), QStringLiteral("Field"), true, true, false);
    t.addIndexDef(QStringLiteral("iOrder"), QStringLiteral("Line;Order"), false, false, true);
}

std::unique_ptr<Table> workingCursor()
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(QStringLiteral("VESKA"));
    t->setTableName(QStringLiteral("CRDATA.DB"));
    return t;
}

void createWorkingTable()
{
    std::unique_ptr<Table> t = workingCursor();
    defineWorkingTable(*t);
    t->createTable();
}
