#pragma once

#include "engine/ParadoxTypes.h"

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
// Timestamp, Logical, Memo. FieldDef::size matters for Alpha (1 to 255
// bytes) and Memo (the in-record size, 11 to 250: the first size - 10 bytes
// of the memo are kept in the record, the whole memo in the .MB file when it
// is longer); other types get their fixed size. Names are at most 25
// characters and unique regardless of case; key fields cannot be memos.
//
// Values: a null QVariant or an empty string is an empty field (the format
// cannot tell an empty text from a missing one). Short takes -32767..32767
// and Long -2147483647..2147483647 (the lowest value of each means "empty" in
// the file). Timestamps are stored as their wall-clock date and time. Text
// that the code page cannot hold is refused, never replaced by '?'. Rows with
// equal keys are refused as a key violation. The same arguments always give
// the same bytes.
//
// With a password, the table is password-protected: the header stores the
// password's checksum and the data blocks and the whole .MB file are
// scrambled (ParadoxCrypt.h); the header and field list stay readable.
void writeTable(const QString& path, const QList<FieldDef>& fields, int keyFieldCount,
                const QList<Row>& rows, int codePage = 1252, const QString& password = QString());

} // namespace ParadoxWriter
