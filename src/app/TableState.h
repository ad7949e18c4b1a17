#pragma once

#include "app/ParadoxTypes.h"

#include <QString>

// What every cursor of this program on one table file shares: the table's
// definition and rows once read, so that a row posted through one cursor is
// seen by the others. Owned jointly by the cursors; the session keeps a weak
// reference per file.
struct SharedTableState
{
    QString path;
    // The engine fills in the rest.
};

// The checksum a Paradox header stores for a table password.
quint32 paradoxPasswordChecksum(const QString& password);
