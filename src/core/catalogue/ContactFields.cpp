#include "core/catalogue/ContactFields.h"

QStringList combinationFields()
{
    return {QStringLiteral("salutfirstlast"), QStringLiteral("firstlast"),
            QStringLiteral("citystatezip")};
}

QStringList specialFieldCaptions()
{
    return {QStringLiteral("SalutFirstLast"), QStringLiteral("FirstLast"),
            QStringLiteral("CityStateZip")};
}

QStringList contactPickListEntries(const QList<FieldDef>& contactFields)
{
    QStringList entries;
    entries.reserve(contactFields.size() + 3);
    for (const FieldDef& field : contactFields)
        entries << field.name;
    entries << combinationFields();
    return entries;
}

int indexOfEntry(const QStringList& entries, const QString& text)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

SummaryOptions summaryOptionsForType(FieldType type)
{
    SummaryOptions options;
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Logical:
    case FieldType::Memo:
        options.counted = true;
        break;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bytes:
        options = SummaryOptions{true, true, true, true, true};
        break;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        options.counted = true;
        options.maxValue = true;
        options.minValue = true;
        break;
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
    case FieldType::AutoInc:
    case FieldType::Bcd:
        break;
    }
    return options;
}

SummaryOptions CheckFieldTypes(const QList<FieldDef>& contactFields, const QString& field)
{
    for (const FieldDef& def : contactFields) {
        if (def.name.compare(field, Qt::CaseInsensitive) == 0)
            return summaryOptionsForType(def.type);
    }
    SummaryOptions eventOnly;
    eventOnly.counted = true;
    return eventOnly;
}
