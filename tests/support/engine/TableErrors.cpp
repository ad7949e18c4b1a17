#include "TableErrors.h"

#include "engine/DatabaseError.h"
#include "engine/Session.h"
#include "engine/Table.h"

#include <iostream>
#include <string>

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DatabaseError& e) {
        return e.message();
    }
    return QString();
}

int holdTableLock(const QString& aliasFile, const QString& tableName)
{
    Session::instance().setAliasFile(aliasFile);
    Table t;
    t.setDatabaseName(QStringLiteral("VESKA"));
    t.setTableName(tableName);
    t.setExclusive(true);
    try {
        t.open();
    } catch (const DatabaseError& e) {
        std::cout << "failed: " << e.message().toStdString() << std::endl;
        return 1;
    }
    std::cout << "locked" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
