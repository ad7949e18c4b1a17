#pragma once

#include "engine/ParadoxTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ParadoxReader;

// Where a record stands in its table file: its data block (from 1) and its
// place in the block (from 0), packed in 32 bits (blocks fit in 16 bits,
// places in 16). Four bytes a record is all a report's row index keeps.
using RecordLocator = quint32;
constexpr RecordLocator NoRecord = 0xFFFFFFFFu;
inline RecordLocator packLocator(int block, int slot)
{
    return (RecordLocator(block) << 16) | RecordLocator(slot & 0xFFFF);
}
inline int locatorBlock(RecordLocator l) { return int(l >> 16); }
inline int locatorSlot(RecordLocator l) { return int(l & 0xFFFF); }

// A value as the report prints it, made from a field's bytes in the record
// without building a QVariant: numbers, dates and times are formatted into a
// small buffer, text is the record's own bytes. The formats are the
// preview's (the host's own print may format differently):
//   short, long, auto-increment  12345        money   1234.50
//   number     shortest exact decimal (0.25)  logical Yes / No
//   date       MM/DD/YYYY                     time    HH:MM, HH:MM:SS with seconds
//   timestamp  MM/DD/YYYY HH:MM               memo    its lines joined by blanks
//   BCD        its decimal digits             bytes, blobs, graphics  (binary)
struct FieldValue
{
    bool empty = true;
    // Text bytes: in the table's code page for alpha and memo fields,
    // ASCII for the formatted ones.
    const char* bytes = nullptr;
    int length = 0;
    bool codePageText = false; // alpha or memo: decode before showing
    // For summaries: the value as a number (numbers, money; dates as day
    // numbers; times in milliseconds; timestamps in milliseconds).
    double number = 0;
};

// How a field of a given type may be summarised: the summary boxes the
// wizard's "Field Definitions" page offers for a contact field of the type.
struct SummaryRule
{
    bool total = false, count = false, average = false, min = false, max = false;
    static SummaryRule forType(FieldType type);
};

// Reads a table file for the preview: header and field list on opening,
// then records as raw bytes, streamed in block order or fetched by locator,
// each field decoded only when asked for. Protected tables open with the
// first of the given passwords whose checksum the header stores.
class ColumnReader
{
public:
    // Throws DatabaseError (missing, damaged, or protected with no matching
    // password once records are read).
    ColumnReader(const QString& path, const QStringList& passwords);
    ~ColumnReader();
    ColumnReader(const ColumnReader&) = delete;
    ColumnReader& operator=(const ColumnReader&) = delete;

    const QList<FieldDef>& fields() const;
    qint64 recordCountHint() const; // the header's count
    int keyFieldCount() const;
    // The column of this name: exact first, then without regard to case; -1.
    int column(const QString& name) const;
    FieldType type(int column) const;

    // Streams every record in data-block-chain order (the key order of a
    // keyed table); the callback returns false to stop.
    void forEach(const std::function<bool(const char* record, RecordLocator where)>& callback);
    // The same a data block at a time, for a scan that hands blocks on to
    // another thread: each block's bytes (a new array per block, which the
    // callback may keep), its number and record count. inBlock() gives the
    // records of such a block.
    void forEachBlock(
        const std::function<bool(const QByteArray& block, int number, int count)>& callback);
    const char* inBlock(const QByteArray& block, int slot) const;
    bool encrypted() const;
    int recordSize() const;
    // The record at a locator; the last block read is kept, so neighbours
    // cost nothing more. nullptr when the locator names no record.
    const char* record(RecordLocator where);

    // The printed value of a column of a record. The returned bytes live in
    // `buffer` or in the record (or, for memos, in the reader) until the
    // next call.
    FieldValue value(const char* record, int column, QByteArray& buffer);
    // The length in characters of the printed value (0 when empty) and, in
    // *number, its value for summaries: what value() gives, without making
    // the text where its length follows from the type (dates, times,
    // logicals, whole numbers). Memo and other text values are made in
    // `buffer` as by value().
    int measure(const char* record, int column, double* number, QByteArray& buffer);
    // The same for `count` columns of one record at once: lengths[k] and
    // numbers[k] (0 when the type has none) for columns[k].
    void measure(const char* record, const int* columns, int count, int* lengths, double* numbers,
                 QByteArray& buffer);
    // A text's length in characters (code-page text and ASCII alike).
    int characters(const FieldValue& v) const;
    QString text(const FieldValue& v) const;

    qint64 bytesRead() const;

private:
    int measureColumn(const char* record, int column, double* number, QByteArray& buffer);

    struct Column
    {
        FieldType type;
        int size;
        int offset;
    };
    std::unique_ptr<ParadoxReader> m_reader;
    QList<int> m_offsets;
    std::vector<Column> m_columns; // the same, flat, for the per-value paths
    bool m_singleByte = true;
    QByteArray m_block;
    int m_blockNumber = 0;
    int m_blockRecords = 0;
    QByteArray m_memo;
};
