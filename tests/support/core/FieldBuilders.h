#pragma once

#include "engine/ParadoxTypes.h"
#include "core/store/ReportFile.h"

#include <QString>

#include <optional>

// Short builders for the field lists the tests write: table columns and the
// field blocks of report files. Both are called `field`; their arguments
// tell them apart.
namespace FieldBuilders {

// A table column; `size` matters for alpha and memo columns.
FieldDef field(const QString& name, FieldType type, int size = 0);

// A report field block with its placement and no flags set.
ReportFileField field(std::optional<int> dbType, const QString& header, const QString& name,
                      std::optional<int> line, std::optional<int> left,
                      std::optional<int> right);

} // namespace FieldBuilders
