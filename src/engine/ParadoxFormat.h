#pragma once

#include "engine/ParadoxTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

// Facts of the Paradox table file layout shared by the reader and the writer.
// Header integers are little-endian; field values inside records are stored
// big-endian with the sign bit flipped, so that bytes compare in value order
// and an all-zero field means "empty".
namespace ParadoxFormat {

// Fixed header offsets.
constexpr int OffRecordSize = 0x00;
constexpr int OffHeaderSize = 0x02;
constexpr int OffFileType = 0x04;
constexpr int OffMaxTableSize = 0x05; // block size in KiB
constexpr int OffRecordCount = 0x06;
constexpr int OffUsedBlocks = 0x0A;
constexpr int OffFileBlocks = 0x0C;
constexpr int OffFirstBlock = 0x0E;
constexpr int OffLastBlock = 0x10;
constexpr int OffFieldCount = 0x21;
constexpr int OffKeyFieldCount = 0x23;
constexpr int OffEncryption1 = 0x25;
constexpr int OffSortOrder = 0x29;
constexpr int OffFileVersion = 0x39;
constexpr int OffMaxBlocks = 0x3A;
// Present from version 4.0 on in table files.
constexpr int OffFileVersion3 = 0x58;
constexpr int OffFileVersion4 = 0x5A;
constexpr int OffEncryption2 = 0x5C;
constexpr int OffUpdateTime = 0x60;
constexpr int OffHighFieldId = 0x64;
constexpr int OffCodePage = 0x6A;

constexpr int BaseHeaderEnd = 0x58;     // field info of 3.x tables starts here
constexpr int ExtendedHeaderEnd = 0x78; // field info of 4.0+ tables starts here
constexpr int BlockHeaderSize = 6;      // next, previous, offset of last record
constexpr int BlobPointerSize = 10;     // offset, length, modification number
constexpr int MbBlockSize = 4096;
constexpr int GraphicPrefixSize = 8; // graphic blobs start with 8 bytes of their own

constexpr quint32 NoEncryptionMarker = 0xFF00FF00u;

enum FileType : quint8 {
    IndexedTable = 0,
    PrimaryIndex = 1,
    NonIndexedTable = 2,
};

// The header's version byte as 30, 35, 40, 50 or 70; 0 when unknown.
int versionFromId(int id);

// In-record size of a field, given the header's type and size bytes.
// Returns 0 when the combination is impossible.
int storedSize(FieldType type, int headerSize);
bool isKnownType(quint8 code);
bool isBlobType(FieldType type);

// The name ICU knows a code page by, e.g. 1252 -> "windows-1252", 866 -> "IBM866".
QByteArray codecName(int codePage);

// Code page used when the header records none. Tables written by Windows
// tools without a language driver are mostly Windows-1252; DOS-era tables
// (like a 3.5 table created under a Cyrillic DOS) may hold OEM text instead,
// which then decodes as Latin-1 lookalikes: there is nothing in such a file
// that tells the two apart.
constexpr int DefaultCodePage = 1252;

inline quint16 le16(const char* p) { return quint16(quint8(p[0]) | (quint8(p[1]) << 8)); }
inline quint32 le32(const char* p)
{
    return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8) | (quint32(quint8(p[2])) << 16) |
           (quint32(quint8(p[3])) << 24);
}
inline void putLe16(char* p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}
inline void putLe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline quint64 be(const char* p, int n)
{
    quint64 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | quint8(p[i]);
    return v;
}
inline void putBe(char* p, int n, quint64 v)
{
    for (int i = n - 1; i >= 0; --i) {
        p[i] = char(v & 0xFF);
        v >>= 8;
    }
}
inline bool allZero(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

// Doubles: positive values have the sign bit set, negative ones have every
// bit inverted.
inline double decodeDouble(const char* p)
{
    quint64 v = be(p, 8);
    if (v & 0x8000000000000000ull)
        v &= ~0x8000000000000000ull;
    else
        v = ~v;
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}
inline void encodeDouble(char* p, double d)
{
    if (d == 0.0)
        d = 0.0; // no negative zero
    quint64 v;
    std::memcpy(&v, &d, sizeof v);
    if (v & 0x8000000000000000ull)
        v = ~v;
    else
        v |= 0x8000000000000000ull;
    putBe(p, 8, v);
}
// Signed integers of n bytes: the sign bit is flipped.
inline qint64 decodeInt(const char* p, int n)
{
    const quint64 sign = 1ull << (8 * n - 1);
    const quint64 v = be(p, n) ^ sign;
    return (v & sign) ? qint64(v) - qint64(sign << 1) : qint64(v);
}
inline void encodeInt(char* p, int n, qint64 value)
{
    const quint64 sign = 1ull << (8 * n - 1);
    const quint64 mask = (n == 8) ? ~0ull : ((1ull << (8 * n)) - 1);
    putBe(p, n, (quint64(value) & mask) ^ sign);
}

// Days are counted from 1 January of year 1, which is day 1.
qint64 dayNumber(const QDate& date);
QDate dateFromDayNumber(qint64 days);

} // namespace ParadoxFormat
