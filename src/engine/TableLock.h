#pragma once

#include <QString>

#include <memory>

// A lock on one table file that other processes respect, held through a
// companion lock file beside the table ("CRDATA.DB" -> "CRDATA.LCK"). Within
// this program a lock is shared: every cursor that asks for it gets the same
// one, and it is released when the last of them lets go. Another program
// that asks for it while it is held is refused.
//
// The lock file itself is never deleted: removing it while it is held would
// let a second program lock a new file of the same name.
class TableLock
{
public:
    ~TableLock();
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    // Takes the lock on the table file (or shares the one this program
    // already holds). Throws DatabaseError when another program holds it or
    // when the lock file cannot be made.
    static std::shared_ptr<TableLock> acquire(const QString& tablePath);

    // True when another program holds the lock on the table file.
    static bool lockedElsewhere(const QString& tablePath);

    // True when this program holds the lock on the table file.
    static bool heldHere(const QString& tablePath);

    static QString lockFilePath(const QString& tablePath);

private:
    TableLock() = default;
    QString m_lockPath;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};
