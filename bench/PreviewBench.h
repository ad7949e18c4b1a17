#pragma once

#include "core/preview/ReportRows.h"

#include <QDir>

// The reports the preview benchmarks read from the 200,000-row contact
// table: every column of it (the fit check's worst case), and a plain
// address list of six columns (a first page as users make them).
namespace PreviewBench {

inline ReportFileField placed(const QString& name, int line, int left, int right)
{
    ReportFileField f;
    f.dbType = 0;
    f.field = name;
    f.header = name;
    f.line = line;
    f.lPosition = left;
    f.rPosition = right;
    return f;
}

inline ReportFileContent everyColumn(const QList<FieldDef>& fields)
{
    ReportFileContent c;
    c.description = QStringLiteral("Every column");
    c.printableWidth = 110;
    for (int i = 0; i < fields.size(); ++i)
        c.fields << placed(fields[i].name, 1 + i / 5, 1 + (i % 5) * 22, 20 + (i % 5) * 22);
    c.fields[21].total = c.fields[21].average = c.fields[21].max = true; // Revenue
    return c;
}

inline ReportFileContent addressList()
{
    ReportFileContent c;
    c.description = QStringLiteral("Addresses");
    c.printableWidth = 75;
    c.fields = {placed(QStringLiteral("CustomID"), 1, 1, 8),
                placed(QStringLiteral("Company"), 1, 10, 34),
                placed(QStringLiteral("firstlast"), 1, 36, 55),
                placed(QStringLiteral("Phone1"), 1, 57, 75),
                placed(QStringLiteral("Address1"), 2, 10, 34),
                placed(QStringLiteral("citystatezip"), 2, 36, 75)};
    c.fields[1].count = true;
    return c;
}

} // namespace PreviewBench
