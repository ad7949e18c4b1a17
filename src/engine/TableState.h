#pragma once

#include "engine/ParadoxTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One row as the engine keeps it in memory: its values and an identity that
// stays the same while the row lives, so that every cursor can keep its
// place when another cursor inserts or deletes rows around it.
struct StoredRow
{
    quint64 id = 0;
    Row values;
};

// What every cursor of this program on one table file shares: the table's
// definition and rows once read, so that a row posted through one cursor is
// seen by the others. Owned jointly by the cursors; the session keeps a weak
// reference per file.
struct SharedTableState
{
    QString path;

    // Header, read when a cursor opens the table or asks for its columns.
    bool headerRead = false;
    QList<FieldDef> fields;
    int keyFieldCount = 0;
    int codePage = 0;
    bool encrypted = false;
    quint32 passwordChecksum = 0;
    QList<IndexDef> indexes;

    // Rows, read only when a cursor first needs them; kept in key order for
    // keyed tables and in file order otherwise.
    bool rowsRead = false;
    QList<StoredRow> rows;
    quint64 nextRowId = 1;

    // Bumped on every change of the header or the rows; cursors compare it
    // with the value they last saw to know when to rebuild their order.
    quint64 generation = 0;

    // Size and modification time of the file when it was last read or
    // written here; a difference means another program changed it.
    qint64 fileSize = -1;
    QDateTime fileModified;

    // Forgets header and rows, so that both are read again on next use.
    void invalidate()
    {
        headerRead = false;
        fields.clear();
        indexes.clear();
        keyFieldCount = 0;
        rowsRead = false;
        rows.clear();
        fileSize = -1;
        fileModified = QDateTime();
        ++generation;
    }
};
