#include "engine/ParadoxReader.h"

#include "engine/CodePages.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxFormat.h"

#include <QBitArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QTime>

#include <array>
#include <cmath>
#include <optional>

using namespace ParadoxFormat;

struct ParadoxReader::Private
{
    QString path;
    QFile db;
    qint64 dbSize = 0;
    qint64 bytesRead = 0;

    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0;
    int versionId = 0;
    int version = 0;
    int keyFieldCount = 0;
    int codePage = 0;
    int firstBlock = 0;
    qint64 recordCount = 0;
    bool encrypted = false;
    quint32 checksum = 0;
    QString tableName;
    QList<FieldDef> fields;
    QList<int> offsets; // of each field inside a record
    // Set when the table is protected and a password with its checksum was
    // given: data blocks and memo bytes pass through it.
    std::optional<ParadoxCipher> cipher;

    QStringDecoder decoder;
    // For single-byte code pages, the exact character of each byte: decoding
    // a text is then a look-up per byte (the table's millions of texts made
    // the converter the largest cost), and Qt's deviations from the code
    // page are corrected (see CodePages.h).
    const std::array<char16_t, 256>* byteTable = nullptr;

    std::unique_ptr<QFile> mb;
    qint64 mbSize = 0;
    // The memo bytes of a protected table last unscrambled, and where they
    // start: a value's head, its entry and its text usually lie in one block.
    QByteArray mbPlain;
    qint64 mbPlainStart = -1;
    // Values already read from the memo file, by pointer: rows that share a
    // value share its bytes, and a damaged file whose pointers overlap cannot
    // make us hold more than a few times the memo file's size.
    QHash<quint64, QByteArray> blobCache; // pointer, and bit 32 for a graphic
    qint64 blobBytes = 0;
    bool cacheBlobs = true;

    [[noreturn]] void damaged(const QString& what) const
    {
        throw DatabaseError(QStringLiteral("The table file \"%1\" is damaged: %2.")
                                .arg(QDir::toNativeSeparators(path), what));
    }

    // What a message names: a text, or a function that makes it (so that
    // reading millions of values builds no message until one is needed).
    static QString describe(const QString& what) { return what; }
    template <typename F> static QString describe(const F& what) { return what(); }

    // Reads exactly len bytes at offset, or reports the file as damaged.
    template <typename What>
    QByteArray readAt(QFile& file, qint64 fileSize, qint64 offset, qint64 len, const What& what)
    {
        if (offset < 0 || len < 0 || offset > fileSize || len > fileSize - offset)
            damaged(QStringLiteral("%1 lies beyond the end of %2")
                        .arg(describe(what), QFileInfo(file.fileName()).fileName()));
        if (!file.seek(offset))
            damaged(
                QStringLiteral("cannot seek to %1 (%2)").arg(describe(what), file.errorString()));
        QByteArray data = file.read(len);
        bytesRead += data.size();
        if (data.size() != len)
            damaged(QStringLiteral("cannot read %1 (%2)").arg(describe(what), file.errorString()));
        return data;
    }

    // The memo file is read through a window of a few blocks: the values of
    // rows read in order mostly follow one another in the file, and one
    // read of the window saves the two system calls of each small value.
    static constexpr qint64 MbWindowSize = 64 * 1024;
    QByteArray mbWindow;
    qint64 mbWindowStart = -1;
    template <typename What> QByteArray readMbAt(qint64 offset, qint64 len, const What& what)
    {
        if (offset < 0 || len < 0 || offset > mbSize || len > mbSize - offset || len > MbWindowSize)
            return readAt(*mb, mbSize, offset, len, what); // large, or reports the damage
        if (mbWindowStart < 0 || offset < mbWindowStart ||
            offset + len > mbWindowStart + mbWindow.size()) {
            mbWindowStart = offset;
            mbWindow = readAt(*mb, mbSize, offset, qMin(MbWindowSize, mbSize - offset), what);
        }
        return mbWindow.mid(offset - mbWindowStart, len);
    }

    void readHeader();
    void refuseWithoutPassword() const;
    // Reads (and unscrambles) data block `block` into data; returns its
    // record count.
    int loadBlock(int block, QByteArray& data);
    void openMemoFile();
    template <typename What> QByteArray readMemo(qint64 offset, qint64 len, const What& what);
    QVariant decodeField(int index, const char* p, qint64 recordNo);
    std::optional<QByteArray> blobData(const FieldDef& f, const char* p, qint64 recordNo);
    QString decodeText(const char* p, qsizetype len)
    {
        if (!byteTable)
            return decoder.decode(QByteArrayView(p, len));
        QString text(len, Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        const std::array<char16_t, 256>& table = *byteTable;
        for (qsizetype i = 0; i < len; ++i)
            out[i] = table[quint8(p[i])];
        return text;
    }
};

void ParadoxReader::Private::readHeader()
{
    dbSize = db.size();
    if (dbSize < BaseHeaderEnd)
        damaged(
            QStringLiteral("the file is too short to hold a table header (%1 bytes)").arg(dbSize));
    const QByteArray start = readAt(db, dbSize, 0, 4, QStringLiteral("the header"));
    headerSize = le16(start.constData() + OffHeaderSize);
    if (headerSize < BaseHeaderEnd || headerSize > dbSize)
        damaged(QStringLiteral("the header size %1 does not fit the file size %2")
                    .arg(headerSize)
                    .arg(dbSize));
    const QByteArray header = readAt(db, dbSize, 0, headerSize, QStringLiteral("the header"));
    const char* h = header.constData();

    recordSize = le16(h + OffRecordSize);
    fileType = quint8(h[OffFileType]);
    const int maxTableSize = quint8(h[OffMaxTableSize]);
    recordCount = le32(h + OffRecordCount);
    firstBlock = le16(h + OffFirstBlock);
    const int fieldCount = le16(h + OffFieldCount);
    keyFieldCount = le16(h + OffKeyFieldCount);
    versionId = quint8(h[OffFileVersion]);
    version = versionFromId(versionId);

    if (fileType != IndexedTable && fileType != NonIndexedTable)
        damaged(QStringLiteral("it is not a table data file (file type %1)").arg(fileType));
    if (version == 0)
        damaged(QStringLiteral("unknown file version code %1").arg(versionId));
    if (maxTableSize < 1 || maxTableSize > 32)
        damaged(QStringLiteral("invalid block size code %1").arg(maxTableSize));
    blockSize = maxTableSize * 1024;
    // A table with rows has at least one whole data block after its header;
    // a block size beyond the file would read the header's neighbours, or
    // nothing, as rows.
    if ((recordCount > 0 || firstBlock != 0) && qint64(headerSize) + blockSize > dbSize)
        damaged(QStringLiteral("its block size of %1 bytes is larger than the %2 bytes after its "
                               "header")
                    .arg(blockSize)
                    .arg(dbSize - headerSize));
    if (recordSize < 1 || recordSize > blockSize - BlockHeaderSize)
        damaged(QStringLiteral("invalid record size %1").arg(recordSize));
    if (fieldCount < 1)
        damaged(QStringLiteral("the table has no fields"));
    if (keyFieldCount > fieldCount)
        damaged(
            QStringLiteral("%1 key fields but only %2 fields").arg(keyFieldCount).arg(fieldCount));

    const bool extended = versionId >= 5;
    if (extended && headerSize < ExtendedHeaderEnd)
        damaged(QStringLiteral("the header is too short for version %1")
                    .arg(version / 10.0, 0, 'f', 1));
    codePage = extended ? le16(h + OffCodePage) : 0;
    checksum = extended ? le32(h + OffEncryption2) : le32(h + OffEncryption1);
    encrypted = checksum != 0;

    // Single-byte pages through their exact tables, any other page through
    // the converter; a page neither knows is read as the default.
    const int page = codePage ? codePage : DefaultCodePage;
    const CodePages::SingleByte* single = CodePages::singleByte(page);
    if (!single) {
        decoder = QStringDecoder(codecName(page).constData(), QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            single = CodePages::singleByte(DefaultCodePage);
    }
    byteTable = single ? &single->characters() : nullptr;

    // Field types and sizes, then a pointer to the table name and one pointer
    // per field name (meaningful only in memory), then the table name and the
    // field names as zero-terminated strings.
    qint64 pos = extended ? ExtendedHeaderEnd : BaseHeaderEnd;
    const int tableNameLength = versionId >= 12 ? 261 : 79;
    if (pos + qint64(fieldCount) * 6 + 4 + tableNameLength > headerSize)
        damaged(QStringLiteral("the field list of %1 fields does not fit in the header")
                    .arg(fieldCount));
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const quint8 code = quint8(h[pos + 2 * i]);
        const int size = quint8(h[pos + 2 * i + 1]);
        if (!isKnownType(code))
            damaged(QStringLiteral("field %1 has the unknown type code 0x%2")
                        .arg(i + 1)
                        .arg(code, 2, 16, QLatin1Char('0')));
        FieldDef f;
        f.type = FieldType(code);
        f.size = storedSize(f.type, size);
        if (f.size == 0)
            damaged(QStringLiteral("field %1 (%2) has the impossible size %3")
                        .arg(i + 1)
                        .arg(fieldTypeName(f.type))
                        .arg(size));
        if (f.type == FieldType::Bcd)
            f.decimals = size;
        offsets.append(offset);
        offset += f.size;
        fields.append(f);
    }
    if (offset != recordSize)
        damaged(QStringLiteral("the fields take %1 bytes but a record has %2")
                    .arg(offset)
                    .arg(recordSize));
    pos += qint64(fieldCount) * 2 + 4 + qint64(fieldCount) * 4;

    const char* name = h + pos;
    tableName = decodeText(name, qstrnlen(name, tableNameLength));
    pos += tableNameLength;
    for (int i = 0; i < fieldCount; ++i) {
        const qint64 left = headerSize - pos;
        const qsizetype len = left > 0 ? qstrnlen(h + pos, left) : 0;
        if (len >= left)
            damaged(
                QStringLiteral("the name of field %1 runs past the end of the header").arg(i + 1));
        fields[i].name = decodeText(h + pos, len);
        pos += len + 1;
    }
}

void ParadoxReader::Private::openMemoFile()
{
    if (mb)
        return;
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    QString mbPath;
    const QString suffix = info.suffix();
    const QString preferred =
        suffix.isEmpty() || suffix.at(0).isUpper() ? QStringLiteral("MB") : QStringLiteral("mb");
    const QString candidate = info.dir().filePath(base + QLatin1Char('.') + preferred);
    if (QFileInfo::exists(candidate)) {
        mbPath = candidate;
    } else {
        // Other spellings of the extension on case-sensitive file systems.
        const QStringList matches =
            info.dir().entryList({base + QStringLiteral(".mb")}, QDir::Files);
        for (const QString& m : matches)
            if (m.compare(base + QStringLiteral(".mb"), Qt::CaseInsensitive) == 0)
                mbPath = info.dir().filePath(m);
    }
    if (mbPath.isEmpty())
        damaged(
            QStringLiteral("its memo file %1 is missing").arg(QDir::toNativeSeparators(candidate)));
    auto file = std::make_unique<QFile>(mbPath);
    if (!file->open(QIODevice::ReadOnly))
        damaged(QStringLiteral("its memo file %1 cannot be opened (%2)")
                    .arg(QDir::toNativeSeparators(mbPath), file->errorString()));
    mbSize = file->size();
    mb = std::move(file);
}

// Memo bytes at `offset`. A protected table's memo file is scrambled in
// 256-byte pieces counted from the start of the file, so the whole pieces
// around the bytes are read and unscrambled. The pieces last unscrambled are
// kept: a value's text follows its head, so reading it usually only adds
// the pieces after them.
template <typename What>
QByteArray ParadoxReader::Private::readMemo(qint64 offset, qint64 len, const What& what)
{
    if (!cipher)
        return readMbAt(offset, len, what);
    constexpr qint64 Piece = ParadoxCipher::PieceSize;
    if (offset < 0 || len < 0 || offset > mbSize || len > mbSize - offset)
        return readAt(*mb, mbSize, offset, len, what); // reports the damage
    const qint64 cachedEnd = mbPlainStart + mbPlain.size();
    if (mbPlainStart >= 0 && offset >= mbPlainStart && offset + len <= cachedEnd)
        return mbPlain.mid(offset - mbPlainStart, len);
    const qint64 end = (offset + len + Piece - 1) / Piece * Piece;
    if (end > mbSize)
        damaged(QStringLiteral("%1 runs past the last whole piece of %2")
                    .arg(describe(what), QFileInfo(mb->fileName()).fileName()));
    // Extended only while small, so that no chain of reads (a damaged file's
    // overlapping values) can make it grow towards the file's size.
    if (mbPlainStart >= 0 && offset >= mbPlainStart && offset < cachedEnd &&
        mbPlain.size() <= MbBlockSize) {
        QByteArray more = readMbAt(cachedEnd, end - cachedEnd, what);
        cipher->decryptMemo(more.data(), more.size());
        mbPlain += more;
    } else {
        const qint64 start = offset / Piece * Piece;
        mbPlain = readMbAt(start, end - start, what);
        mbPlainStart = start;
        cipher->decryptMemo(mbPlain.data(), mbPlain.size());
    }
    return mbPlain.mid(offset - mbPlainStart, len);
}

std::optional<QByteArray> ParadoxReader::Private::blobData(const FieldDef& f, const char* p,
                                                           qint64 recordNo)
{
    const int leader = f.size - BlobPointerSize;
    const quint32 pointer = le32(p + leader);
    const quint32 length = le32(p + leader + 4);
    if (length == 0)
        return std::nullopt;
    // The place a message names; made only when one is needed.
    const auto where = [&] {
        QString w = QStringLiteral("record %1, field \"%2\"").arg(recordNo).arg(f.name);
        if (pointer != 0 && mb)
            w += QStringLiteral(" in the memo file %1").arg(QFileInfo(mb->fileName()).fileName());
        return w;
    };
    const bool graphic = f.type == FieldType::Graphic;
    const quint64 cacheKey = pointer | (quint64(graphic) << 32);
    QByteArray data;
    if (pointer == 0) {
        // Short values live entirely in the record.
        if (length > quint32(leader))
            damaged(QStringLiteral("%1 points to no memo block").arg(where()));
        data = QByteArray(p, length);
    } else {
        openMemoFile();
        const auto cached = blobCache.constFind(cacheKey);
        if (cached != blobCache.cend())
            return *cached;
    }
    if (pointer != 0) {
        if (length > mbSize)
            damaged(QStringLiteral("%1 claims %2 bytes, more than the memo file holds")
                        .arg(where())
                        .arg(length));
        const qint64 block = pointer & ~quint32(0xFF);
        const int index = int(pointer & 0xFF);
        const auto what = [&] { return QStringLiteral("the memo block of %1").arg(where()); };
        if (index == 0xFF) {
            // A block of its own: type 2, block count, length, modification number.
            const QByteArray head = readMemo(block, 9, what);
            const char* b = head.constData();
            if (quint8(b[0]) != 2)
                damaged(QStringLiteral("%1 is of type %2, not a blob block")
                            .arg(what())
                            .arg(quint8(b[0])));
            if (le32(b + 3) != length)
                damaged(QStringLiteral("%1 holds %2 bytes, the record says %3")
                            .arg(what())
                            .arg(le32(b + 3))
                            .arg(length));
            if (qint64(length) + 9 > qint64(le16(b + 1)) * MbBlockSize)
                damaged(QStringLiteral("%1 is longer than its blocks").arg(what()));
            data = readMemo(block + 9, length, what);
        } else if (index < 64) {
            // A block shared by up to 64 small values: type 3, then a table
            // of 5-byte entries (offset and length in 16-byte units,
            // modification number, length modulo 16).
            const QByteArray head = readMemo(block, 1, what);
            if (quint8(head[0]) != 3)
                damaged(QStringLiteral("%1 is of type %2, not a shared blob block")
                            .arg(what())
                            .arg(quint8(head[0])));
            const QByteArray entry = readMemo(block + 12 + index * 5, 5, what);
            const qint64 start = qint64(quint8(entry[0])) * 16;
            const qint64 units = quint8(entry[1]);
            if (start == 0 || length > units * 16 || length + 16 <= units * 16)
                damaged(QStringLiteral("%1 does not match its entry").arg(what()));
            if (start + length > MbBlockSize)
                damaged(QStringLiteral("%1 runs past its block").arg(what()));
            data = readMemo(block + start, length, what);
        } else {
            damaged(QStringLiteral("%1 has the invalid entry number %2").arg(where()).arg(index));
        }
        blobBytes += data.size();
        if (cacheBlobs && blobBytes > 2 * mbSize + 65536)
            damaged(QStringLiteral("%1 overlaps other values").arg(where()));
    }
    if (graphic) {
        if (data.size() < GraphicPrefixSize)
            damaged(QStringLiteral("%1 is too short for a graphic").arg(where()));
        data.remove(0, GraphicPrefixSize);
    }
    if (pointer != 0 && cacheBlobs)
        blobCache.insert(cacheKey, data);
    return data;
}

QVariant ParadoxReader::Private::decodeField(int index, const char* p, qint64 recordNo)
{
    const FieldDef& f = fields.at(index);
    if (isBlobType(f.type)) {
        const std::optional<QByteArray> data = blobData(f, p, recordNo);
        if (!data)
            return {};
        if (f.type == FieldType::Memo || f.type == FieldType::FmtMemo)
            return decodeText(data->constData(), data->size());
        return *data;
    }
    if (allZero(p, f.size))
        return {};
    const auto bad = [&](const QString& what) {
        damaged(QStringLiteral("record %1, field \"%2\": %3").arg(recordNo).arg(f.name, what));
    };
    switch (f.type) {
    case FieldType::Alpha:
        return decodeText(p, qstrnlen(p, f.size));
    case FieldType::Bytes:
        return QByteArray(p, f.size);
    case FieldType::Short:
        return int(decodeInt(p, 2));
    case FieldType::Long:
    case FieldType::AutoInc:
        return int(decodeInt(p, 4));
    case FieldType::Number:
    case FieldType::Money:
        return decodeDouble(p);
    case FieldType::Logical:
        return (quint8(p[0]) & 0x7F) != 0;
    case FieldType::Date: {
        const QDate d = dateFromDayNumber(decodeInt(p, 4));
        if (!d.isValid())
            bad(QStringLiteral("invalid date"));
        return d;
    }
    case FieldType::Time: {
        const qint64 ms = decodeInt(p, 4);
        if (ms < 0 || ms >= 86400000)
            bad(QStringLiteral("invalid time %1").arg(ms));
        return QTime::fromMSecsSinceStartOfDay(int(ms));
    }
    case FieldType::Timestamp: {
        // Milliseconds since the start of day 0 (31 December of year 0). The
        // value has no time zone; it is returned as a UTC date-time so that
        // its wall-clock reading is kept exactly.
        const double ms = decodeDouble(p);
        if (!std::isfinite(ms) || std::fabs(ms) > 1e17)
            bad(QStringLiteral("invalid timestamp"));
        qint64 days = qint64(std::floor(ms / 86400000.0));
        qint64 rest = std::llround(ms - double(days) * 86400000.0);
        if (rest >= 86400000) {
            ++days;
            rest -= 86400000;
        }
        if (rest < 0)
            rest = 0;
        const QDate d = dateFromDayNumber(days);
        if (!d.isValid())
            bad(QStringLiteral("invalid timestamp"));
        return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(rest)), Qt::UTC);
    }
    case FieldType::Bcd: {
        // Byte 0: sign (bit 7 set for positive) and the precision; then 32
        // decimal digits, one per half byte, inverted for negative values.
        const bool negative = !(quint8(p[0]) & 0x80);
        if (negative && allZero(p + 1, 16))
            return {}; // an empty value carries only the precision
        const int decimals = qBound(0, f.decimals, 32);
        QString digits;
        digits.reserve(33);
        for (int i = 0; i < 32; ++i) {
            int nibble = (quint8(p[1 + i / 2]) >> (i % 2 ? 0 : 4)) & 0x0F;
            if (negative)
                nibble = 0x0F - nibble;
            if (nibble > 9)
                bad(QStringLiteral("invalid BCD digit"));
            digits.append(QChar(u'0' + nibble));
        }
        QString whole = digits.left(32 - decimals);
        while (whole.size() > 1 && whole.at(0) == u'0')
            whole.remove(0, 1);
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        QString text = whole;
        if (decimals > 0)
            text += QLatin1Char('.') + digits.right(decimals);
        if (negative && digits.count(u'0') != digits.size())
            text.prepend(QLatin1Char('-'));
        return text;
    }
    default:
        break;
    }
    return {};
}

ParadoxReader::ParadoxReader(const QString& path) : d(std::make_unique<Private>())
{
    d->path = path;
    d->db.setFileName(path);
    if (!d->db.open(QIODevice::ReadOnly))
        throw DatabaseError(QStringLiteral("The table file \"%1\" cannot be opened: %2.")
                                .arg(QDir::toNativeSeparators(path), d->db.errorString()));
    d->readHeader();
}

ParadoxReader::~ParadoxReader() = default;

QString ParadoxReader::path() const { return d->path; }
int ParadoxReader::version() const { return d->version; }
int ParadoxReader::fileType() const { return d->fileType; }
int ParadoxReader::recordSize() const { return d->recordSize; }
int ParadoxReader::blockSize() const { return d->blockSize; }
qint64 ParadoxReader::recordCount() const { return d->recordCount; }
int ParadoxReader::keyFieldCount() const { return d->keyFieldCount; }
int ParadoxReader::codePage() const { return d->codePage; }
bool ParadoxReader::encrypted() const { return d->encrypted; }
quint32 ParadoxReader::passwordChecksum() const { return d->checksum; }
QString ParadoxReader::tableName() const { return d->tableName; }
const QList<FieldDef>& ParadoxReader::fields() const { return d->fields; }
qint64 ParadoxReader::bytesRead() const { return d->bytesRead; }

void ParadoxReader::setPassword(const QString& password)
{
    // Only the checksum in the header is the key; the password must merely
    // have it.
    if (d->encrypted && !password.isEmpty() && paradoxPasswordChecksum(password) == d->checksum)
        d->cipher.emplace(d->checksum);
    else
        d->cipher.reset();
    d->mbPlain.clear();
    d->mbPlainStart = -1;
}

int ParadoxReader::fieldOffset(int index) const { return d->offsets.at(index); }

void ParadoxReader::setBlobCaching(bool on)
{
    d->cacheBlobs = on;
    if (!on)
        d->blobCache.clear();
}

bool ParadoxReader::singleByteText() const { return d->byteTable != nullptr; }

QString ParadoxReader::decodeText(const char* p, qsizetype len) const
{
    return d->decodeText(p, len);
}

std::optional<QByteArray> ParadoxReader::blobValue(int fieldIndex, const char* record,
                                                   qint64 recordNo)
{
    const FieldDef& f = d->fields.at(fieldIndex);
    if (!isBlobType(f.type))
        return std::nullopt;
    return d->blobData(f, record + d->offsets.at(fieldIndex), recordNo);
}

void ParadoxReader::Private::refuseWithoutPassword() const
{
    if (encrypted && !cipher)
        throw DatabaseError(QStringLiteral("The table \"%1\" is password-protected, and no "
                                           "password given opens it.")
                                .arg(QDir::toNativeSeparators(path)));
}

int ParadoxReader::Private::loadBlock(int block, QByteArray& data)
{
    const qint64 blockCount = (dbSize - headerSize) / blockSize;
    if (block < 1 || block > blockCount)
        damaged(QStringLiteral("data block %1 lies beyond the end of the file").arg(block));
    data = readAt(db, dbSize, headerSize + qint64(block - 1) * blockSize, blockSize,
                  [block] { return QStringLiteral("data block %1").arg(block); });
    if (cipher)
        cipher->decryptDataBlock(data.data(), blockSize, block);
    const int lastOffset = qint16(le16(data.constData() + 4));
    if (lastOffset < 0)
        return 0;
    if (lastOffset % recordSize != 0 || BlockHeaderSize + lastOffset + recordSize > blockSize)
        damaged(QStringLiteral("data block %1 has an invalid record count").arg(block));
    return lastOffset / recordSize + 1;
}

int ParadoxReader::readBlock(int block, QByteArray* data)
{
    d->refuseWithoutPassword();
    return d->loadBlock(block, *data);
}

void ParadoxReader::forEachRecord(
    const std::function<bool(const char* record, int block, int slot)>& callback)
{
    forEachBlock([&](const QByteArray& data, int block, int count) {
        const char* b = data.constData();
        for (int r = 0; r < count; ++r)
            if (!callback(b + BlockHeaderSize + r * d->recordSize, block, r))
                return false;
        return true;
    });
}

void ParadoxReader::forEachBlock(
    const std::function<bool(const QByteArray& data, int block, int count)>& callback)
{
    d->refuseWithoutPassword();
    if (d->firstBlock == 0)
        return;
    const qint64 blockCount = (d->dbSize - d->headerSize) / d->blockSize;
    QBitArray seen(int(qMin<qint64>(blockCount + 1, 65536)));
    int block = d->firstBlock;
    int previous = 0;
    QByteArray data;
    while (block != 0) {
        if (block > blockCount)
            d->damaged(QStringLiteral("data block %1 lies beyond the end of the file").arg(block));
        if (seen.testBit(block))
            d->damaged(
                QStringLiteral("the chain of data blocks loops back to block %1").arg(block));
        seen.setBit(block);
        const int count = d->loadBlock(block, data);
        const char* b = data.constData();
        const int next = le16(b);
        // Each block names the one before it in the chain. This also catches
        // a protected block that unscrambles to nonsense.
        if (le16(b + 2) != previous)
            d->damaged(QStringLiteral("the chain of data blocks is broken at block %1").arg(block));
        if (!callback(data, block, count))
            return;
        previous = block;
        block = next;
    }
}

void ParadoxReader::forEachRow(const std::function<bool(const Row&)>& callback)
{
    qint64 recordNo = 0;
    Row row;
    forEachRecord([&](const char* rec, int, int) {
        ++recordNo;
        row.resize(d->fields.size());
        for (int i = 0; i < d->fields.size(); ++i)
            row[i] = d->decodeField(i, rec + d->offsets.at(i), recordNo);
        return callback(row);
    });
}

QList<Row> ParadoxReader::readAll()
{
    QList<Row> rows;
    // The header's count is only a hint: never let it size memory beyond
    // what the file can hold.
    rows.reserve(qMin<qint64>(d->recordCount, (d->dbSize - d->headerSize) / d->recordSize + 1));
    forEachRow([&rows](const Row& row) {
        rows.append(row);
        return true;
    });
    return rows;
}
