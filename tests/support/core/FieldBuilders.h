#pragma once

#include "core/store/ReportFile.h"
#include "engine/ParadoxTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Short builders for the field lists the tests write: table columns and the
// field blocks of report files, and whole report files made of them. Both
// field builders are called `field`; their arguments tell them apart.
namespace FieldBuilders {

// A table column; `size` matters for alpha and memo columns.
FieldDef field(const QString& name, FieldType type, int size = 0);

// A report field block with its placement and no flags set.
ReportFileField field(std::optional<int> dbType, const QString& header, const QString& name,
                      std::optional<int> line, std::optional<int> left, std::optional<int> right);

// The seven flags of a report field block, named where they are set:
// withFlags(f, {.lDots = true, .count = true}). Unnamed ones stay off.
struct FieldFlags
{
    bool lDots = false;
    bool rDots = false;
    bool total = false;
    bool count = false;
    bool average = false;
    bool min = false;
    bool max = false;
};

// `f` with its flags replaced by `flags`.
ReportFileField withFlags(ReportFileField f, FieldFlags flags);

// A report file written out by hand, line by line with CR LF, as the
// wizard writes one: the four header lines, the count, then the thirteen
// lines of each field block.
QByteArray report(const QString& description, const QString& order, const QString& kind,
                  const QString& width, const QList<ReportFileField>& fields);

// A contact report of four fields on two lines, with every flag set
// somewhere: CustomID and Company name on line 1, Town and Notes on line 2.
QByteArray sampleReport(const QString& description);

} // namespace FieldBuilders
