#include "engine/ParadoxTypes.h"

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Alpha:
        return QStringLiteral("Alpha");
    case FieldType::Date:
        return QStringLiteral("Date");
    case FieldType::Short:
        return QStringLiteral("Short");
    case FieldType::Long:
        return QStringLiteral("Long Integer");
    case FieldType::Money:
        return QStringLiteral("Money");
    case FieldType::Number:
        return QStringLiteral("Number");
    case FieldType::Logical:
        return QStringLiteral("Logical");
    case FieldType::Memo:
        return QStringLiteral("Memo");
    case FieldType::Blob:
        return QStringLiteral("Binary");
    case FieldType::FmtMemo:
        return QStringLiteral("Formatted Memo");
    case FieldType::Ole:
        return QStringLiteral("OLE");
    case FieldType::Graphic:
        return QStringLiteral("Graphic");
    case FieldType::Time:
        return QStringLiteral("Time");
    case FieldType::Timestamp:
        return QStringLiteral("Timestamp");
    case FieldType::AutoInc:
        return QStringLiteral("Autoincrement");
    case FieldType::Bcd:
        return QStringLiteral("BCD");
    case FieldType::Bytes:
        return QStringLiteral("Bytes");
    }
    return QStringLiteral("Unknown (0x%1)").arg(int(type), 2, 16, QLatin1Char('0'));
}
