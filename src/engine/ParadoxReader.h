#pragma once

#include "engine/ParadoxTypes.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Reads a Paradox table file (.DB, versions 3.0 to 7.0) and the memo/blob
// file (.MB) beside it. Opening reads the header and field list only; rows
// are read on request. Every length and offset is checked against the file
// size, so a damaged or hostile file gives a DatabaseError, never a crash.
//
// Values come as ParadoxTypes.h lists them; an empty field is a null
// QVariant. Text (names and values) is decoded from the header's code page;
// a table that records none is read as Windows-1252. Timestamps carry no time
// zone in the file and are returned as Qt::UTC date-times so that their
// wall-clock reading is exact (compare date() and time(), or build the
// expected value with Qt::UTC). BCD values come as decimal text.
//
// Password-protected tables: the header and field list are in the clear and
// read as usual. Rows (and their memo values) are unscrambled once
// setPassword() was given a password whose checksum the header stores (see
// ParadoxCrypt.h); without one they are refused with a DatabaseError naming
// the table. Blocks that unscramble to nonsense are reported as damage.
class ParadoxReader
{
public:
    // Opens the file and reads the header and field list only. Throws
    // DatabaseError naming the file and what is wrong.
    explicit ParadoxReader(const QString& path);
    ~ParadoxReader();
    ParadoxReader(const ParadoxReader&) = delete;
    ParadoxReader& operator=(const ParadoxReader&) = delete;

    QString path() const;
    int version() const;  // 30, 35, 40, 50 or 70
    int fileType() const; // header file type byte
    int recordSize() const;
    int blockSize() const; // bytes
    qint64 recordCount() const;
    int keyFieldCount() const;
    int codePage() const; // 0 = none recorded
    bool encrypted() const;
    quint32 passwordChecksum() const;
    QString tableName() const; // as stored in the header, decoded
    const QList<FieldDef>& fields() const;

    // The password for a protected table. One whose checksum differs from
    // the header's (or an empty one) opens nothing.
    void setPassword(const QString& password);

    // Reads every record in data-block-chain order, memo and blob parts from
    // the .MB file. Throws DatabaseError on damage, or on a protected table
    // without a matching password.
    QList<Row> readAll();

    // Streams the records in data-block-chain order; the callback returns
    // false to stop early. Same errors as readAll().
    void forEachRow(const std::function<bool(const Row&)>& callback);

    // Raw access, for readers that decode only the fields they need.
    // Where each field starts inside a record.
    int fieldOffset(int index) const;
    // Streams the records' bytes (unscrambled) in data-block-chain order,
    // with the number of the block (from 1) and the record's place in it
    // (from 0); the callback returns false to stop early. Same errors as
    // forEachRow().
    void
    forEachRecord(const std::function<bool(const char* record, int block, int slot)>& callback);
    // The same a block at a time: each block's bytes as readBlock() gives
    // them (a new array per block, so a callback may keep it), its number
    // and its record count.
    void
    forEachBlock(const std::function<bool(const QByteArray& data, int block, int count)>& callback);
    // The records of one data block, unscrambled, into *data (block header
    // included, so record `slot` starts at 6 + slot * recordSize()). Returns
    // the number of records in it. Throws DatabaseError on damage.
    int readBlock(int block, QByteArray* data);
    // The bytes of a memo or blob field's value, given the record's bytes;
    // nothing when the value is empty. recordNo is named in messages only.
    std::optional<QByteArray> blobValue(int fieldIndex, const char* record, qint64 recordNo);
    // Memo and blob values are kept once read, so that rows sharing one
    // share its bytes. A reader that streams every row once turns that off
    // (the values then cost no memory after their row).
    void setBlobCaching(bool on);
    // Text in the table's code page, as the reader decodes it.
    QString decodeText(const char* p, qsizetype len) const;
    // True when every byte is one character (a single-byte code page), so a
    // text's length in characters is its length in bytes.
    bool singleByteText() const;

    // Bytes read from disk so far (.DB and .MB together).
    qint64 bytesRead() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
