#include "FieldBuilders.h"

#include <QStringList>

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

ReportFileField withFlags(ReportFileField f, FieldFlags flags)
{
    f.lDots = flags.lDots;
    f.rDots = flags.rDots;
    f.total = flags.total;
    f.count = flags.count;
    f.average = flags.average;
    f.min = flags.min;
    f.max = flags.max;
    return f;
}

namespace {

QString number(std::optional<int> v) { return v ? QString::number(*v) : QString(); }
QString flag(bool v) { return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

// The thirteen lines of one field block.
QStringList block(const ReportFileField& f)
{
    const QString dots(30, QLatin1Char('.'));
    return {number(f.dbType),
            f.lDots ? dots : QString(),
            f.rDots ? dots : QString(),
            f.header,
            f.field,
            number(f.line),
            number(f.lPosition),
            number(f.rPosition),
            flag(f.total),
            flag(f.count),
            flag(f.average),
            flag(f.min),
            flag(f.max)};
}

} // namespace

QByteArray report(const QString& description, const QString& order, const QString& kind,
                  const QString& width, const QList<ReportFileField>& fields)
{
    QStringList all{description, order, kind, width, QString::number(fields.size())};
    for (const ReportFileField& f : fields)
        all << block(f);
    QByteArray out;
    for (const QString& t : all)
        out += t.toLatin1() + "\r\n";
    return out;
}

QByteArray sampleReport(const QString& description)
{
    return report(
        description, QStringLiteral("Contact"), QStringLiteral("Contact"), QStringLiteral("110"),
        {withFlags(field(0, "CustomID", "CustomID", 1, 1, 10), {.lDots = true, .count = true}),
         withFlags(field(0, "Company name", "Company", 1, 12, 40),
                   {.rDots = true, .total = true, .average = true}),
         field(0, "Town", "City", 2, 1, 30),
         withFlags(field(0, "Notes", "Memo", 2, 42, 100),
                   {.total = true, .count = true, .average = true, .min = true, .max = true})});
}

} // namespace FieldBuilders
