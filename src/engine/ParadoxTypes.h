#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Field types of Paradox tables, by the type code stored in the header.
enum class FieldType : quint8 {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FmtMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

// One column of a table. For Alpha, Bytes and the memo/blob types `size` is
// the stored size in the record as the header gives it; for BCD `decimals`
// holds the number of digits after the point.
struct FieldDef
{
    QString name;
    FieldType type = FieldType::Alpha;
    int size = 0;
    int decimals = 0;
    bool required = false;
};

// One index of a table. `fields` is the list of column names in key order.
struct IndexDef
{
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
    bool caseInsensitive = false;
};

// A row's values, one per field in field order. An empty field is a null
// QVariant, never 0 or a sentinel. Value types by field type:
//   Alpha, Memo, FmtMemo       -> QString
//   Short, Long, AutoInc       -> int
//   Number, Money              -> double
//   Bcd                        -> QString of the decimal digits, e.g. "-40.000000"
//   Date / Time / Timestamp    -> QDate / QTime / QDateTime
//   Logical                    -> bool
//   Bytes, Blob, Graphic, Ole  -> QByteArray
using Row = QList<QVariant>;

QString fieldTypeName(FieldType type);
