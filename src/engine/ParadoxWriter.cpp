#include "engine/ParadoxWriter.h"

#include "engine/CodePages.h"
#include "engine/DatabaseError.h"
#include "engine/OwnerFile.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxFormat.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

using namespace ParadoxFormat;

namespace {

constexpr int WrittenVersionId = 12; // 7.0: the first version with every type we write
constexpr int TableNameLength = 261;
constexpr int MaxFieldNameLength = 25;

// The bytes that open the header block of a memo file, as Paradox writes them
// for a memo file without free space.
const unsigned char memoHeaderStart[] = {0x00, 0x01, 0x00, 0x01, 0x00, 0x82, 0x73,
                                         0x02, 0x00, 0x29, 0x00, 0x00, 0x10, 0x00,
                                         0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08};
constexpr int memoHeaderMarkOffset = 0x29;
const unsigned char memoHeaderMark[] = {0xA1, 0x02};

struct Context
{
    QString path;
    int codePage = 1252;
    QStringEncoder encoder;
    QStringDecoder decoder;
    const CodePages::SingleByte* singleByte = nullptr; // set for single-byte pages

    [[noreturn]] void fail(const QString& what) const
    {
        throw DatabaseError(QStringLiteral("The table \"%1\" cannot be written: %2.")
                                .arg(QDir::toNativeSeparators(path), what));
    }

    QByteArray encode(const QString& text, const QString& what)
    {
        if (singleByte) {
            QByteArray bytes;
            if (!singleByte->encode(text, &bytes))
                fail(QStringLiteral("%1 holds characters that code page %2 cannot store")
                         .arg(what)
                         .arg(codePage));
            return bytes;
        }
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError() || decoder.decode(bytes) != text) {
            encoder.resetState();
            fail(QStringLiteral("%1 holds characters that code page %2 cannot store")
                     .arg(what)
                     .arg(codePage));
        }
        return bytes;
    }
};

bool isWritableType(FieldType type)
{
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::Logical:
    case FieldType::Memo:
        return true;
    default:
        return false;
    }
}

bool isEmptyValue(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.metaType().id() == QMetaType::QString)
        return v.toString().isEmpty();
    return false;
}

// Text keys in dictionary order, as the international sort orders of the
// format have it: letters with accents beside their base letters and case
// ignored first; exact comparison only breaks ties. Independent of the
// machine's locale, so the same rows always give the same file.
int compareText(const QString& a, const QString& b)
{
    const auto fold = [](const QString& s) {
        QString out;
        const QString decomposed = s.normalized(QString::NormalizationForm_KD);
        out.reserve(decomposed.size());
        for (const QChar c : decomposed)
            if (c.category() != QChar::Mark_NonSpacing)
                out.append(c);
        return out.toCaseFolded();
    };
    const int c = fold(a).compare(fold(b));
    return c ? c : a.compare(b);
}

// Orders key values: empty first, then by value.
int compareValues(FieldType type, const QVariant& a, const QVariant& b)
{
    const bool ea = isEmptyValue(a), eb = isEmptyValue(b);
    if (ea || eb)
        return int(eb) - int(ea);
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
        return compareText(a.toString(), b.toString());
    case FieldType::Short:
    case FieldType::Long: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Number:
    case FieldType::Money: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Date: {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Time: {
        const QTime x = a.toTime(), y = b.toTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Timestamp: {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        const auto kx = std::pair(x.date(), x.time()), ky = std::pair(y.date(), y.time());
        return kx < ky ? -1 : (kx > ky ? 1 : 0);
    }
    case FieldType::Logical:
        return int(a.toBool()) - int(b.toBool());
    default:
        return 0;
    }
}

struct MemoFile
{
    QByteArray data;
    MemoFile() : data(MbBlockSize, '\0')
    {
        std::memcpy(data.data(), memoHeaderStart, sizeof memoHeaderStart);
        std::memcpy(data.data() + memoHeaderMarkOffset, memoHeaderMark, sizeof memoHeaderMark);
    }
    // Stores a value in a block of its own and answers the pointer to it.
    quint32 add(const QByteArray& value)
    {
        const qint64 offset = data.size();
        const qint64 blocks = (value.size() + 9 + MbBlockSize - 1) / MbBlockSize;
        if (blocks > 0xFFFF || offset + blocks * MbBlockSize > 0x7FFFF000)
            return 0; // beyond what the pointers and block counts can address
        data.resize(offset + blocks * MbBlockSize, '\0');
        char* b = data.data() + offset;
        b[0] = 2;
        putLe16(b + 1, quint32(blocks));
        putLe32(b + 3, quint32(value.size()));
        putLe16(b + 7, 1);
        std::memcpy(b + 9, value.constData(), size_t(value.size()));
        return quint32(offset) | 0xFF;
    }
};

void encodeValue(Context& ctx, const FieldDef& f, const QVariant& v, char* p, MemoFile* memo,
                 qsizetype rowNo)
{
    if (isEmptyValue(v))
        return; // an empty field is all zero bytes
    const auto bad = [&](const QString& what) {
        ctx.fail(QStringLiteral("row %1, field \"%2\": %3").arg(rowNo).arg(f.name, what));
    };
    bool ok = true;
    switch (f.type) {
    case FieldType::Alpha: {
        const QString text = v.toString();
        const QByteArray bytes =
            ctx.encode(text, QStringLiteral("row %1, field \"%2\"").arg(rowNo).arg(f.name));
        if (bytes.contains('\0'))
            bad(QStringLiteral("the text holds a zero character"));
        if (bytes.size() > f.size)
            bad(QStringLiteral("the text is %1 characters long, the field holds %2")
                    .arg(bytes.size())
                    .arg(f.size));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        break;
    }
    case FieldType::Short: {
        const qint64 n = v.toLongLong(&ok);
        if (!ok || n < -32767 || n > 32767)
            bad(QStringLiteral("%1 is not a short integer").arg(v.toString()));
        encodeInt(p, 2, n);
        break;
    }
    case FieldType::Long: {
        const qint64 n = v.toLongLong(&ok);
        if (!ok || n < -2147483647LL || n > 2147483647LL)
            bad(QStringLiteral("%1 is not a long integer").arg(v.toString()));
        encodeInt(p, 4, n);
        break;
    }
    case FieldType::Number:
    case FieldType::Money: {
        const double x = v.toDouble(&ok);
        if (!ok || !std::isfinite(x))
            bad(QStringLiteral("%1 is not a number").arg(v.toString()));
        encodeDouble(p, x);
        break;
    }
    case FieldType::Date: {
        const QDate date = v.toDate();
        if (!date.isValid() || dayNumber(date) < 1 || dayNumber(date) > 0x7FFFFFFF)
            bad(QStringLiteral("%1 is not a date from year 1 on").arg(v.toString()));
        encodeInt(p, 4, dayNumber(date));
        break;
    }
    case FieldType::Time: {
        const QTime time = v.toTime();
        if (!time.isValid())
            bad(QStringLiteral("%1 is not a time").arg(v.toString()));
        encodeInt(p, 4, time.msecsSinceStartOfDay());
        break;
    }
    case FieldType::Timestamp: {
        // The wall-clock reading is stored, without a time zone.
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid() || dayNumber(dt.date()) < 1)
            bad(QStringLiteral("%1 is not a date and time from year 1 on").arg(v.toString()));
        encodeDouble(p,
                     double(dayNumber(dt.date())) * 86400000.0 + dt.time().msecsSinceStartOfDay());
        break;
    }
    case FieldType::Logical:
        p[0] = char(v.toBool() ? 0x81 : 0x80);
        break;
    case FieldType::Memo: {
        const QByteArray bytes =
            ctx.encode(v.toString(), QStringLiteral("row %1, field \"%2\"").arg(rowNo).arg(f.name));
        const int leader = f.size - BlobPointerSize;
        std::memcpy(p, bytes.constData(), size_t(qMin<qsizetype>(leader, bytes.size())));
        // A memo that fits in the record is kept there alone; a longer one
        // goes whole to the memo file, its start copied into the record.
        const quint32 pointer = bytes.size() <= leader ? 0 : memo->add(bytes);
        if (bytes.size() > leader && pointer == 0)
            bad(QStringLiteral("the memos are too long for one memo file"));
        putLe32(p + leader, pointer);
        putLe32(p + leader + 4, quint32(bytes.size()));
        putLe16(p + leader + 8, pointer ? 1 : 0);
        break;
    }
    default:
        bad(QStringLiteral("the type %1 cannot be written").arg(fieldTypeName(f.type)));
    }
}

// A file written beside its final name and renamed over it on commit.
class PendingFile
{
public:
    PendingFile(Context& ctx, const QString& target) : m_ctx(ctx), m_target(target)
    {
        const QFileInfo info(target);
        m_tmp = std::make_unique<QTemporaryFile>(
            info.dir().filePath(OwnerFile::temporaryTemplate(info.fileName())));
        if (!m_tmp->open())
            ctx.fail(QStringLiteral("cannot create a file in %1 (%2)")
                         .arg(QDir::toNativeSeparators(info.absolutePath()), m_tmp->errorString()));
    }
    void write(const QByteArray& data)
    {
        if (m_tmp->write(data) != data.size() || !m_tmp->flush())
            m_ctx.fail(QStringLiteral("cannot write %1 (%2)")
                           .arg(QDir::toNativeSeparators(m_target), m_tmp->errorString()));
        QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther;
        if (QFileInfo::exists(m_target))
            perms = QFile::permissions(m_target);
        m_tmp->setPermissions(perms);
        m_tmp->close();
    }
    void commit()
    {
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(m_tmp->fileName().toStdU16String()),
                                std::filesystem::path(m_target.toStdU16String()), ec);
        if (ec)
            m_ctx.fail(
                QStringLiteral("cannot replace %1 (%2)")
                    .arg(QDir::toNativeSeparators(m_target), QString::fromStdString(ec.message())));
        m_tmp->setAutoRemove(false);
    }

private:
    Context& m_ctx;
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_tmp;
};

QString siblingPath(const QString& path, const char* upper)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    QString ext = QString::fromLatin1(upper);
    if (!suffix.isEmpty() && suffix.at(0).isLower())
        ext = ext.toLower();
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + ext);
}

} // namespace

namespace ParadoxWriter {

void writeTable(const QString& path, const QList<FieldDef>& fieldsIn, int keyFieldCount,
                const QList<Row>& rows, int codePage, const QString& password)
{
    Context ctx;
    ctx.path = path;
    ctx.codePage = codePage;
    const QByteArray codec = codecName(codePage);
    ctx.encoder = QStringEncoder(codec.constData(), QStringEncoder::Flag::Stateless);
    ctx.decoder = QStringDecoder(codec.constData(), QStringDecoder::Flag::Stateless);
    ctx.singleByte = CodePages::singleByte(codePage);
    if (codePage <= 0 || codePage > 0xFFFF || !ctx.encoder.isValid() || !ctx.decoder.isValid())
        ctx.fail(QStringLiteral("the code page %1 is not known").arg(codePage));

    for (const QChar c : password)
        if (c.unicode() > 0xFF)
            ctx.fail(QStringLiteral("the password holds a character that a table password "
                                    "cannot hold"));
    if (fieldsIn.isEmpty())
        ctx.fail(QStringLiteral("a table needs at least one field"));
    if (fieldsIn.size() > 255)
        ctx.fail(QStringLiteral("a table holds at most 255 fields"));
    if (keyFieldCount < 0 || keyFieldCount > fieldsIn.size())
        ctx.fail(QStringLiteral("%1 key fields is not possible for %2 fields")
                     .arg(keyFieldCount)
                     .arg(fieldsIn.size()));

    // Field definitions: check names and sizes, fix the sizes of fixed types.
    QList<FieldDef> fields = fieldsIn;
    QList<QByteArray> names;
    QSet<QString> seen;
    bool hasMemo = false;
    int recordSize = 0;
    for (int i = 0; i < fields.size(); ++i) {
        FieldDef& f = fields[i];
        if (f.name.trimmed().isEmpty())
            ctx.fail(QStringLiteral("field %1 has no name").arg(i + 1));
        if (f.name.size() > MaxFieldNameLength)
            ctx.fail(QStringLiteral("the field name \"%1\" is longer than %2 characters")
                         .arg(f.name)
                         .arg(MaxFieldNameLength));
        if (seen.contains(f.name.toUpper()))
            ctx.fail(QStringLiteral("the field name \"%1\" occurs twice").arg(f.name));
        seen.insert(f.name.toUpper());
        names.append(ctx.encode(f.name, QStringLiteral("the field name \"%1\"").arg(f.name)));
        if (names.last().contains('\0'))
            ctx.fail(QStringLiteral("the field name \"%1\" holds a zero character").arg(f.name));
        if (!isWritableType(f.type))
            ctx.fail(QStringLiteral("field \"%1\" is of type %2, which this program cannot create")
                         .arg(f.name, fieldTypeName(f.type)));
        if (f.type == FieldType::Alpha && (f.size < 1 || f.size > 255))
            ctx.fail(QStringLiteral("the alpha field \"%1\" must hold 1 to 255 characters, not %2")
                         .arg(f.name)
                         .arg(f.size));
        if (f.type == FieldType::Memo &&
            (f.size < BlobPointerSize + 1 || f.size > BlobPointerSize + 240))
            ctx.fail(QStringLiteral("the memo field \"%1\" must have a size of 11 to 250, not %2")
                         .arg(f.name)
                         .arg(f.size));
        if (f.type == FieldType::Memo) {
            hasMemo = true;
            if (i < keyFieldCount)
                ctx.fail(
                    QStringLiteral("the memo field \"%1\" cannot be part of the key").arg(f.name));
        }
        if (f.type != FieldType::Alpha && f.type != FieldType::Memo) {
            static const QList<std::pair<FieldType, int>> sizes = {
                {FieldType::Short, 2},     {FieldType::Long, 4},   {FieldType::Number, 8},
                {FieldType::Money, 8},     {FieldType::Date, 4},   {FieldType::Time, 4},
                {FieldType::Timestamp, 8}, {FieldType::Logical, 1}};
            for (const auto& [type, size] : sizes)
                if (type == f.type)
                    f.size = size;
        }
        f.decimals = 0;
        recordSize += f.size;
    }

    // Rows in key order; equal keys are a key violation.
    QList<qsizetype> order(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).size() != fields.size())
            ctx.fail(QStringLiteral("row %1 has %2 values for %3 fields")
                         .arg(i + 1)
                         .arg(rows.at(i).size())
                         .arg(fields.size()));
        order[i] = i;
    }
    const auto compareKeys = [&](qsizetype a, qsizetype b) {
        for (int k = 0; k < keyFieldCount; ++k) {
            const int c = compareValues(fields.at(k).type, rows.at(a).at(k), rows.at(b).at(k));
            if (c)
                return c;
        }
        return 0;
    };
    if (keyFieldCount > 0) {
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return compareKeys(a, b) < 0; });
        for (qsizetype i = 1; i < order.size(); ++i)
            if (compareKeys(order.at(i - 1), order.at(i)) == 0)
                ctx.fail(QStringLiteral("rows %1 and %2 have the same key (key violation)")
                             .arg(order.at(i - 1) + 1)
                             .arg(order.at(i) + 1));
    }

    // Block size: the smallest that fits a record and keeps the block count
    // within the 16-bit block numbers.
    int blockKb = 0;
    qint64 perBlock = 0, blockCount = 0;
    for (int kb : {2, 4, 8, 16, 32}) {
        const int size = kb * 1024;
        if (recordSize > size - BlockHeaderSize)
            continue;
        perBlock = (size - BlockHeaderSize) / recordSize;
        blockCount = (rows.size() + perBlock - 1) / perBlock;
        if (blockCount <= 0xFFFF) {
            blockKb = kb;
            break;
        }
    }
    if (blockKb == 0)
        ctx.fail(QStringLiteral("%1 rows of %2 bytes do not fit in one table")
                     .arg(rows.size())
                     .arg(recordSize));
    const int blockSize = blockKb * 1024;
    const int fieldCount = int(fields.size());

    // The header: fixed part, the 4.0+ part, field list, names.
    const QByteArray sortOrderName =
        (codePage >= 1250 && codePage <= 1258) ? QByteArray("ANSIINTL") : QByteArray("intl850");
    const quint8 sortOrderCode = (codePage >= 1250 && codePage <= 1258) ? 0x62 : 0x54;
    QByteArray tableName = ctx.encode(QFileInfo(path).fileName(), QStringLiteral("the table name"))
                               .left(TableNameLength - 1);
    qint64 needed = ExtendedHeaderEnd + fieldCount * 2 + 4 + fieldCount * 4 + TableNameLength;
    for (const QByteArray& n : names)
        needed += n.size() + 1;
    needed += fieldCount * 2 + sortOrderName.size() + 1;
    const qint64 headerSize = (needed + 0x7FF) / 0x800 * 0x800;
    if (headerSize > 0xF800)
        ctx.fail(QStringLiteral("the field list is too long"));

    QByteArray header(headerSize, '\0');
    char* h = header.data();
    putLe16(h + OffRecordSize, quint32(recordSize));
    putLe16(h + OffHeaderSize, quint32(headerSize));
    h[OffFileType] = char(keyFieldCount > 0 ? IndexedTable : NonIndexedTable);
    h[OffMaxTableSize] = char(blockKb);
    putLe32(h + OffRecordCount, quint32(rows.size()));
    putLe16(h + OffUsedBlocks, quint32(blockCount));
    putLe16(h + OffFileBlocks, quint32(blockCount));
    putLe16(h + OffFirstBlock, blockCount ? 1 : 0);
    putLe16(h + OffLastBlock, quint32(blockCount));
    putLe16(h + OffFieldCount, quint32(fieldCount));
    putLe16(h + OffKeyFieldCount, quint32(keyFieldCount));
    putLe32(h + OffEncryption1, NoEncryptionMarker);
    h[OffSortOrder] = char(sortOrderCode);
    h[OffFileVersion] = char(WrittenVersionId);
    putLe16(h + OffMaxBlocks, quint32(blockCount));
    h[0x3E] = 0x1F;
    h[0x3F] = 0x0F;
    h[0x56] = 0x20;
    putLe16(h + OffFileVersion3, 0x0100 | WrittenVersionId);
    putLe16(h + OffFileVersion4, 0x0100 | WrittenVersionId);
    putLe16(h + OffHighFieldId, quint32(fieldCount + 1));
    putLe16(h + OffCodePage, quint32(codePage));
    const quint32 checksum = paradoxPasswordChecksum(password);
    putLe32(h + OffEncryption2, checksum);
    std::optional<ParadoxCipher> cipher;
    if (checksum != 0)
        cipher.emplace(checksum);
    h[0x6C] = 0x01;
    h[0x6D] = 0x01;
    qint64 pos = ExtendedHeaderEnd;
    for (const FieldDef& f : fields) {
        h[pos++] = char(f.type);
        h[pos++] = char(f.size);
    }
    pos += 4 + fieldCount * 4; // in-memory pointers, zero on disk
    std::memcpy(h + pos, tableName.constData(), size_t(tableName.size()));
    pos += TableNameLength;
    for (const QByteArray& n : names) {
        std::memcpy(h + pos, n.constData(), size_t(n.size()));
        pos += n.size() + 1;
    }
    for (int i = 0; i < fieldCount; ++i, pos += 2)
        putLe16(h + pos, quint32(i + 1));
    std::memcpy(h + pos, sortOrderName.constData(), size_t(sortOrderName.size()));

    // Data blocks, chained in order.
    std::unique_ptr<MemoFile> memo = hasMemo ? std::make_unique<MemoFile>() : nullptr;
    QByteArray data;
    data.reserve(headerSize + blockCount * blockSize);
    data.append(header);
    for (qint64 blk = 0; blk < blockCount; ++blk) {
        QByteArray block(blockSize, '\0');
        char* b = block.data();
        const qint64 first = blk * perBlock;
        const qint64 count = qMin<qint64>(perBlock, rows.size() - first);
        putLe16(b, blk + 1 < blockCount ? quint32(blk + 2) : 0);
        putLe16(b + 2, quint32(blk)); // previous block number, 0 for the first
        putLe16(b + 4, quint32((count - 1) * recordSize));
        for (qint64 r = 0; r < count; ++r) {
            const qsizetype rowIndex = order.at(first + r);
            const Row& row = rows.at(rowIndex);
            char* rec = b + BlockHeaderSize + r * recordSize;
            int offset = 0;
            for (int i = 0; i < fieldCount; ++i) {
                encodeValue(ctx, fields.at(i), row.at(i), rec + offset, memo.get(), rowIndex + 1);
                offset += fields.at(i).size;
            }
        }
        if (cipher)
            cipher->encryptDataBlock(block.data(), blockSize, int(blk + 1));
        data.append(block);
    }
    if (memo && cipher)
        cipher->encryptMemo(memo->data.data(), memo->data.size());

    // Everything is built: write the new files beside the old ones, then
    // rename them into place, the table file last.
    const QString mbPath = siblingPath(path, "MB");
    const QString pxPath = siblingPath(path, "PX");
    std::unique_ptr<PendingFile> mbFile;
    if (memo) {
        mbFile = std::make_unique<PendingFile>(ctx, mbPath);
        mbFile->write(memo->data);
    }
    PendingFile dbFile(ctx, path);
    dbFile.write(data);
    if (mbFile)
        mbFile->commit();
    dbFile.commit();
    // A primary index or memo file left from an earlier table of this name no
    // longer describes it.
    QFile::remove(pxPath);
    if (!memo)
        QFile::remove(mbPath);
}

} // namespace ParadoxWriter
