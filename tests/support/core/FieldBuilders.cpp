#include "FieldBuilders.h"

namespace FieldBuilders {

FieldDef field(const QString& name, FieldType type, int size)
{
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    return f;
}

ReportFileField field(std::optional<int> dbType, const QString& header, const QString& name,
                      std::optional<int> line, std::optional<int> left, std::optional<int> right)
{
    ReportFileField f;
    f.dbType = dbType;
    f.header = header;
    f.field = name;
    f.line = line;
    f.lPosition = left;
    f.rPosition = right;
    return f;
}

} // namespace FieldBuilders
