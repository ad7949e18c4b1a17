#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Where the files of a table lie and how they are named: the table file's
// path from its database alias and name, the checks that folder and file
// exist, the companion files that make up one table, and the stamp by
// which a change by another program is noticed. Internal to the engine:
// Table is its public face. Refusals raise DatabaseError.
namespace TableFiles {

// The table file's path: the alias folder joined with the table name. A
// file whose name differs only in case is found as well, since the tables
// come from a system whose file names ignore case. Refuses a missing alias
// or table name and an alias that names no folder.
QString resolvePath(const QString& alias, const QString& tableName);

// Refuses a table whose folder, or whose file, cannot be found.
void requireFolder(const QString& path, const QString& alias);
void requireFile(const QString& path, const QString& tableName, const QString& alias);

// The files that make up the table at `path` (the .DB file, its memo file,
// its indexes and so on), found without regard to case.
QStringList companionFiles(const QString& path);

// Removes the files of an earlier table at `path` that a new table, with
// or without memo fields and a key, does not have.
void removeLeftoverCompanions(const QString& path, bool hasMemo, bool hasKey);

// Removes every file of the table at `path`, the table file last, so that
// a failure leaves a table that can still be found and deleted again.
void removeTable(const QString& path, const QString& tableName);

// Size and modification time of a file; size -1 when there is none.
struct Stamp
{
    qint64 size = -1;
    QDateTime modified;
};
Stamp stampOf(const QString& path);

} // namespace TableFiles
