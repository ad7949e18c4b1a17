#include "core/preview/ColumnReader.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxFormat.h"
#include "engine/ParadoxReader.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstring>

using namespace ParadoxFormat;

namespace {

// Writes n as at least `width` digits with leading zeros.
char* putDigits(char* out, int n, int width)
{
    char tmp[12];
    int len = 0;
    do {
        tmp[len++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (len < width)
        tmp[len++] = '0';
    while (len > 0)
        *out++ = tmp[--len];
    return out;
}

// Day numbers of the dates with four-digit years, 01/01/0001 to 12/31/9999:
// each prints in 10 characters.
// (Day 1 is 01/01/0001; worked out here, not from the engine's own
// constant, which another file's static initialisation may not have set yet.)
constexpr qint64 firstFourDigitDay = 1;
const qint64 lastFourDigitDay =
    QDate(9999, 12, 31).toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1;

char* putDate(char* out, qint64 dayNumber)
{
    const QDate d = dateFromDayNumber(dayNumber);
    if (!d.isValid())
        return out;
    int y = 0, m = 0, day = 0;
    d.getDate(&y, &m, &day);
    out = putDigits(out, m, 2);
    *out++ = '/';
    out = putDigits(out, day, 2);
    *out++ = '/';
    if (y < 1) // a damaged or far-off value: the year as it is, with its sign
        return std::to_chars(out, out + 12, y).ptr;
    return putDigits(out, y, 4);
}

// A memo's lines joined by one blank each, the ends trimmed, written to
// `out` (when not null); returns the length. Stops at a zero byte.
int joinLines(const char* in, const char* end, char* out)
{
    int length = 0;
    bool blank = false;
    for (; in < end; ++in) {
        const char c = *in;
        if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
            blank = length > 0;
            continue;
        }
        if (c == '\0')
            break;
        if (blank) {
            if (out)
                out[length] = ' ';
            ++length;
        }
        blank = false;
        if (out)
            out[length] = c;
        ++length;
    }
    return length;
}

char* putTime(char* out, qint64 ms, bool withSeconds)
{
    const qint64 s = ms / 1000;
    out = putDigits(out, int(s / 3600), 2);
    *out++ = ':';
    out = putDigits(out, int(s / 60 % 60), 2);
    if (withSeconds && s % 60 != 0) {
        *out++ = ':';
        out = putDigits(out, int(s % 60), 2);
    }
    return out;
}

} // namespace

SummaryRule SummaryRule::forType(FieldType type)
{
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Logical:
    case FieldType::Memo:
        return {false, true, false, false, false};
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bytes:
        return {true, true, true, true, true};
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        return {false, true, false, true, true};
    default:
        return {};
    }
}

ColumnReader::ColumnReader(const QString& path, const QStringList& passwords)
    : m_reader(std::make_unique<ParadoxReader>(path))
{
    if (m_reader->encrypted()) {
        for (const QString& p : passwords) {
            if (paradoxPasswordChecksum(p) == m_reader->passwordChecksum()) {
                m_reader->setPassword(p);
                break;
            }
        }
    }
    for (int i = 0; i < m_reader->fields().size(); ++i) {
        m_offsets << m_reader->fieldOffset(i);
        const FieldDef& f = m_reader->fields().at(i);
        m_columns.push_back({f.type, f.size, m_reader->fieldOffset(i)});
    }
    m_singleByte = m_reader->singleByteText();
    // Rows are streamed once or fetched a page at a time: memo values need
    // not stay after their row.
    m_reader->setBlobCaching(false);
}

ColumnReader::~ColumnReader() = default;

const QList<FieldDef>& ColumnReader::fields() const { return m_reader->fields(); }

qint64 ColumnReader::recordCountHint() const { return m_reader->recordCount(); }

int ColumnReader::keyFieldCount() const { return m_reader->keyFieldCount(); }

int ColumnReader::column(const QString& name) const
{
    const QList<FieldDef>& f = fields();
    for (int i = 0; i < f.size(); ++i)
        if (f[i].name == name)
            return i;
    for (int i = 0; i < f.size(); ++i)
        if (f[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

FieldType ColumnReader::type(int column) const { return fields().at(column).type; }

qint64 ColumnReader::bytesRead() const { return m_reader->bytesRead(); }

void ColumnReader::forEach(
    const std::function<bool(const char* record, RecordLocator where)>& callback)
{
    m_reader->forEachRecord([&](const char* rec, int block, int slot) {
        return callback(rec, packLocator(block, slot));
    });
}

void ColumnReader::forEachBlock(
    const std::function<bool(const QByteArray& block, int number, int count)>& callback)
{
    m_reader->forEachBlock(callback);
}

const char* ColumnReader::inBlock(const QByteArray& block, int slot) const
{
    return block.constData() + BlockHeaderSize + slot * m_reader->recordSize();
}

bool ColumnReader::encrypted() const { return m_reader->encrypted(); }

int ColumnReader::recordSize() const { return m_reader->recordSize(); }

const char* ColumnReader::record(RecordLocator where)
{
    if (where == NoRecord)
        return nullptr;
    const int block = locatorBlock(where);
    if (block != m_blockNumber) {
        m_blockNumber = 0;
        m_blockRecords = m_reader->readBlock(block, &m_block);
        m_blockNumber = block;
    }
    const int slot = locatorSlot(where);
    if (slot >= m_blockRecords)
        return nullptr;
    return m_block.constData() + BlockHeaderSize + slot * m_reader->recordSize();
}

FieldValue ColumnReader::value(const char* record, int column, QByteArray& buffer)
{
    FieldValue v;
    if (!record || column < 0)
        return v;
    const FieldDef& f = fields().at(column);
    const char* p = record + m_offsets.at(column);
    if (isBlobType(f.type)) {
        if (f.type != FieldType::Memo && f.type != FieldType::FmtMemo) {
            if (allZero(p + f.size - BlobPointerSize + 4, 4))
                return v;
            buffer = QByteArrayLiteral("(binary)");
            v.empty = false;
            v.bytes = buffer.constData();
            v.length = int(buffer.size());
            return v;
        }
        const std::optional<QByteArray> memo = m_reader->blobValue(column, record, 0);
        if (!memo || memo->isEmpty())
            return v;
        m_memo.resize(memo->size());
        v.length = joinLines(memo->constData(), memo->constData() + memo->size(), m_memo.data());
        if (v.length == 0)
            return v;
        v.empty = false;
        v.bytes = m_memo.constData();
        v.codePageText = true;
        return v;
    }
    if (f.type == FieldType::Alpha) {
        int len = int(qstrnlen(p, f.size));
        while (len > 0 && p[len - 1] == ' ')
            --len;
        if (len == 0)
            return v;
        v.empty = false;
        v.bytes = p;
        v.length = len;
        v.codePageText = true;
        return v;
    }
    if (allZero(p, f.size))
        return v;
    if (buffer.size() < 64)
        buffer.resize(64);
    char* const start = buffer.data();
    char* out = start;
    char* const limit = start + 64;
    switch (f.type) {
    case FieldType::Short:
        v.number = double(decodeInt(p, 2));
        out = std::to_chars(out, limit, qint64(v.number)).ptr;
        break;
    case FieldType::Long:
    case FieldType::AutoInc:
        v.number = double(decodeInt(p, 4));
        out = std::to_chars(out, limit, qint64(v.number)).ptr;
        break;
    case FieldType::Money:
        v.number = decodeDouble(p);
        out = std::to_chars(out, limit, v.number, std::chars_format::fixed, 2).ptr;
        break;
    case FieldType::Number:
        v.number = decodeDouble(p);
        out = std::to_chars(out, limit, v.number).ptr;
        break;
    case FieldType::Logical: {
        const bool yes = (quint8(p[0]) & 0x7F) != 0;
        v.number = yes ? 1 : 0;
        std::memcpy(out, yes ? "Yes" : "No", yes ? 3 : 2);
        out += yes ? 3 : 2;
        break;
    }
    case FieldType::Date:
        v.number = double(decodeInt(p, 4));
        out = putDate(out, decodeInt(p, 4));
        break;
    case FieldType::Time: {
        const qint64 ms = decodeInt(p, 4);
        if (ms < 0 || ms >= 86400000)
            return v;
        v.number = double(ms);
        out = putTime(out, ms, true);
        break;
    }
    case FieldType::Timestamp: {
        const double ms = decodeDouble(p);
        if (!std::isfinite(ms) || std::fabs(ms) > 1e17)
            return v;
        v.number = ms;
        const qint64 days = qint64(std::floor(ms / 86400000.0));
        const qint64 rest = qBound(qint64(0), qint64(std::llround(ms - double(days) * 86400000.0)),
                                   qint64(86400000 - 1));
        out = putDate(out, days);
        *out++ = ' ';
        out = putTime(out, rest, false);
        break;
    }
    case FieldType::Bcd: {
        // Sign bit and precision, then 32 digits a half byte each, inverted
        // for a negative value.
        const bool negative = !(quint8(p[0]) & 0x80);
        const int decimals = qBound(0, fields().at(column).decimals, 32);
        char digits[32];
        for (int i = 0; i < 32; ++i) {
            int nibble = (quint8(p[1 + i / 2]) >> (i % 2 ? 0 : 4)) & 0x0F;
            if (negative)
                nibble = 0x0F - nibble;
            digits[i] = char('0' + qMin(nibble, 9));
        }
        int first = 0;
        while (first < 31 - decimals && digits[first] == '0')
            ++first;
        if (negative)
            *out++ = '-';
        for (int i = first; i < 32; ++i) {
            if (i == 32 - decimals)
                *out++ = '.';
            *out++ = digits[i];
        }
        v.number = std::strtod(std::string(start, out).c_str(), nullptr);
        break;
    }
    case FieldType::Bytes:
        std::memcpy(out, "(binary)", 8);
        out += 8;
        break;
    default:
        return v;
    }
    v.empty = out == start;
    v.bytes = start;
    v.length = int(out - start);
    return v;
}

namespace {
int digitCount(quint64 v)
{
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}
} // namespace

inline int ColumnReader::measureColumn(const char* record, int column, double* number,
                                       QByteArray& buffer)
{
    const Column& f = m_columns[size_t(column)];
    const char* p = record + f.offset;
    switch (f.type) {
    case FieldType::Alpha: {
        int len = int(qstrnlen(p, f.size));
        while (len > 0 && p[len - 1] == ' ')
            --len;
        if (len == 0 || m_singleByte)
            return len;
        return int(m_reader->decodeText(p, len).size());
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc: {
        const int n = f.type == FieldType::Short ? 2 : 4;
        if (allZero(p, n))
            return 0;
        const qint64 v = decodeInt(p, n);
        *number = double(v);
        return digitCount(quint64(v < 0 ? -v : v)) + (v < 0 ? 1 : 0);
    }
    case FieldType::Money: {
        if (allZero(p, 8))
            return 0;
        const double v = decodeDouble(p);
        const double a = std::fabs(v);
        // Two decimals: the whole part's digits, the point and the cents,
        // unless rounding to cents could carry into the whole part (then the
        // text itself is made).
        if (a < 1e15) {
            const double whole = std::floor(a);
            if (a - whole < 0.99) {
                *number = v;
                return digitCount(quint64(whole)) + 3 + (std::signbit(v) ? 1 : 0);
            }
        }
        break;
    }
    case FieldType::Date: {
        if (allZero(p, 4))
            return 0;
        const qint64 day = decodeInt(p, 4);
        if (day < firstFourDigitDay || day > lastFourDigitDay)
            break;
        *number = double(day);
        return 10;
    }
    case FieldType::Time: {
        if (allZero(p, 4))
            return 0;
        const qint64 ms = decodeInt(p, 4);
        if (ms < 0 || ms >= 86400000)
            return 0;
        *number = double(ms);
        return (ms / 1000) % 60 != 0 ? 8 : 5;
    }
    case FieldType::Timestamp: {
        if (allZero(p, 8))
            return 0;
        const double ms = decodeDouble(p);
        // A date of four-digit year, a blank and HH:MM.
        const double day = std::floor(ms / 86400000.0);
        if (!(day >= double(firstFourDigitDay) && day <= double(lastFourDigitDay)))
            break;
        *number = ms;
        return 16;
    }
    case FieldType::Logical:
        if (p[0] == 0)
            return 0;
        *number = (quint8(p[0]) & 0x7F) != 0 ? 1 : 0;
        return *number != 0 ? 3 : 2;
    case FieldType::Memo:
    case FieldType::FmtMemo: {
        if (!m_singleByte)
            break;
        // The joined length, without making the joined text.
        const std::optional<QByteArray> memo = m_reader->blobValue(column, record, 0);
        *number = 0;
        return memo ? joinLines(memo->constData(), memo->constData() + memo->size(), nullptr) : 0;
    }
    default:
        break;
    }
    const FieldValue v = value(record, column, buffer);
    *number = v.number;
    return characters(v);
}

int ColumnReader::measure(const char* record, int column, double* number, QByteArray& buffer)
{
    return measureColumn(record, column, number, buffer);
}

void ColumnReader::measure(const char* record, const int* columns, int count, int* lengths,
                           double* numbers, QByteArray& buffer)
{
    for (int k = 0; k < count; ++k) {
        numbers[k] = 0;
        lengths[k] = measureColumn(record, columns[k], &numbers[k], buffer);
    }
}

int ColumnReader::characters(const FieldValue& v) const
{
    if (v.empty)
        return 0;
    if (!v.codePageText || m_singleByte)
        return v.length;
    return int(m_reader->decodeText(v.bytes, v.length).size());
}

QString ColumnReader::text(const FieldValue& v) const
{
    if (v.empty)
        return QString();
    if (!v.codePageText)
        return QString::fromLatin1(v.bytes, v.length);
    return m_reader->decodeText(v.bytes, v.length);
}
