#pragma once

#include "app/ParadoxTypes.h"

#include <QList>
#include <QString>

namespace ParadoxWriter {

// Writes a complete new table: the .DB file, the .MB file when it has memo
// fields, and the .PX primary index when it has a key. Each file goes to a
// temporary file in the same folder and is renamed into place, so an
// interrupted write never leaves a half-written table. The first
// keyFieldCount fields form the primary key and rows are stored in key order.
// Alpha and memo text is encoded in codePage. Throws DatabaseError.
//
// Field types written: Alpha, Short, Long, Number, Money, Date, Time,
// Timestamp, Logical, Memo.
void writeTable(const QString& path, const QList<FieldDef>& fields, int keyFieldCount,
                const QList<Row>& rows, int codePage = 1252);

} // namespace ParadoxWriter
