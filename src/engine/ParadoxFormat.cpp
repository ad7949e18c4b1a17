#include "engine/ParadoxFormat.h"

#include <QDate>

namespace ParadoxFormat {

int versionFromId(int id)
{
    switch (id) {
    case 3:
        return 30;
    case 4:
        return 35;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        return 40;
    case 10:
    case 11:
        return 50;
    case 12:
        return 70;
    default:
        return 0;
    }
}

bool isKnownType(quint8 code)
{
    switch (code) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0C:
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
    case 0x14:
    case 0x15:
    case 0x16:
    case 0x17:
    case 0x18:
        return true;
    default:
        return false;
    }
}

bool isBlobType(FieldType type)
{
    switch (type) {
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return true;
    default:
        return false;
    }
}

int storedSize(FieldType type, int headerSize)
{
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        return headerSize >= 1 ? headerSize : 0;
    case FieldType::Short:
        return headerSize == 2 ? 2 : 0;
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoInc:
        return headerSize == 4 ? 4 : 0;
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp:
        return headerSize == 8 ? 8 : 0;
    case FieldType::Logical:
        return headerSize == 1 ? 1 : 0;
    case FieldType::Bcd:
        // The header holds the number of digits after the point; the value
        // always takes 17 bytes.
        return headerSize <= 32 ? 17 : 0;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return headerSize >= BlobPointerSize ? headerSize : 0;
    }
    return 0;
}

QByteArray codecName(int codePage)
{
    if ((codePage >= 1250 && codePage <= 1258) || codePage == 874)
        return "windows-" + QByteArray::number(codePage);
    return "IBM" + QByteArray::number(codePage);
}

static const qint64 dayOneJulian = QDate(1, 1, 1).toJulianDay();

qint64 dayNumber(const QDate& date) { return date.toJulianDay() - dayOneJulian + 1; }

QDate dateFromDayNumber(qint64 days) { return QDate::fromJulianDay(dayOneJulian + days - 1); }

} // namespace ParadoxFormat
