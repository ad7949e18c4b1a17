#include "core/store/FolderCheck.h"

#include "core/app/SharedRoutines.h"
#include "core/catalogue/ContactFields.h"
#include "core/catalogue/EventFields.h"
#include "core/store/ColumnCheck.h"
#include "core/store/DiskName.h"
#include "core/store/ReportFile.h"
#include "core/store/ReportList.h"
#include "core/store/ReportParser.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

constexpr int kHeaderLines = 5;
constexpr int kBlockLines = 13;

// Line of the report file that holds a line (1 to 13) of field block b
// (0-based).
int blockLine(qsizetype block, int lineOfBlock)
{
    return kHeaderLines + int(block) * kBlockLines + lineOfBlock;
}

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

// Text for a terminal: control characters (NUL, BEL, ESC and the rest of
// C0, DEL and C1) from report files and tables would ring, move the cursor
// or change colours; each is shown as \xNN instead (hex, upper case).
QString printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("\\x") +
                   QString::number(int(u), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

// The event kind whose fields a loaded report offers, as the loader picks it
// through the information buttons; nothing when the file's kind is unknown.
// A contacts-only report yields an empty kind, which offers no event field.
std::optional<QString> eventKindOf(const ParsedReport& report)
{
    const bool contactOrdered = report.order != ReportOrder::Calendar;
    const std::optional<InfoKind> kind = ReportFile::kindToCheck(report.kind, contactOrdered);
    if (!kind)
        return std::nullopt;
    const EventKindInfo* info = eventKindFor(*kind);
    return info ? info->keyword : QString();
}

void addProblem(ReportCheck& check, ReportProblemKind kind, const QString& message, int line,
                const QString& field = QString())
{
    check.problems << ReportProblem{kind, message, line, field};
}

void checkColumns(const ParsedReport& report, ReportCheck& check)
{
    // The rows in the layout table's print order: by line (blank first), and
    // by field order, which is the order of the file, within a line.
    QList<qsizetype> order(report.fields.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return report.fields[a].line < report.fields[b].line;
    });
    QList<ColumnRow> rows;
    for (qsizetype i : order) {
        const ReportFileField& f = report.fields[i];
        rows << ColumnRow{f.field, f.line, f.lPosition, f.rPosition};
    }
    const ColumnCheckResult result = ColumnCheck::CheckColumnPositions(report.printableWidth, rows);
    if (result.ok())
        return;
    const qsizetype block = order[result.row];
    const ReportFileField& f = report.fields[block];
    int lineOfBlock = 6; // the Line line, for an overlap
    if (result.warning == ColumnWarning::LeftAfterRight)
        lineOfBlock = 7;
    else if (result.warning == ColumnWarning::BeyondMaximum)
        lineOfBlock = 8;
    addProblem(check, ReportProblemKind::Columns,
               QStringLiteral("Check Columns: %1 (field %2, printable width %3 on line 4)")
                   .arg(result.message, quoted(f.field))
                   .arg(report.printableWidth),
               blockLine(block, lineOfBlock), f.field);
}

void checkFields(const ParsedReport& report, ReportCheck& check,
                 const std::optional<QList<FieldDef>>& contactFields, const QString& contactError)
{
    const QStringList contactEntries =
        contactFields ? contactPickListEntries(*contactFields) : QStringList();
    const std::optional<QString> eventKind = eventKindOf(report);
    for (qsizetype b = 0; b < report.fields.size(); ++b) {
        const ReportFileField& f = report.fields[b];
        const int fieldLine = blockLine(b, 5);
        if (f.dbType == 0) {
            // The detail-level field is no column of the contact table.
            if (f.field.compare(QLatin1String("customid"), Qt::CaseInsensitive) == 0)
                continue;
            if (!contactFields) {
                addProblem(check, ReportProblemKind::ContactField,
                           QStringLiteral("contact field %1 could not be checked: %2")
                               .arg(quoted(f.field), contactError),
                           fieldLine, f.field);
            } else if (indexOfEntry(contactEntries, f.field) < 0) {
                addProblem(check, ReportProblemKind::ContactField,
                           QStringLiteral("contact field %1 is not in %2")
                               .arg(quoted(f.field), QLatin1String(FolderCheck::contactTableName)),
                           fieldLine, f.field);
            }
        } else if (f.dbType == 1) {
            if (!eventKind) {
                addProblem(check, ReportProblemKind::EventField,
                           QStringLiteral("event field %1 could not be checked: the information "
                                          "kind %2 on line 3 is not known")
                               .arg(quoted(f.field), quoted(report.kindText)),
                           fieldLine, f.field);
                continue;
            }
            const QList<EventFieldEntry>& table = eventFieldTable(*eventKind);
            const bool known =
                std::any_of(table.begin(), table.end(),
                            [&](const EventFieldEntry& e) { return e.fieldName == f.field; });
            if (known)
                continue;
            addProblem(check, ReportProblemKind::EventField,
                       eventKind->isEmpty()
                           ? QStringLiteral("event field %1 is in a report of contact information "
                                            "only, which has no event fields")
                                 .arg(quoted(f.field))
                           : QStringLiteral("event field %1 is not one of the %2 event fields")
                                 .arg(quoted(f.field), *eventKind),
                       fieldLine, f.field);
        } else {
            addProblem(check, ReportProblemKind::FieldType,
                       QStringLiteral("field %1 has the type %2; 0 (contact) or 1 (event) was "
                                      "expected")
                           .arg(quoted(f.field),
                                f.dbType ? QString::number(*f.dbType) : QStringLiteral("(empty)")),
                       blockLine(b, 1), f.field);
        }
    }
}

} // namespace

int FolderCheckResult::cleanCount() const
{
    return int(std::count_if(reports.begin(), reports.end(),
                             [](const ReportCheck& r) { return r.clean(); }));
}

int FolderCheckResult::problemReportCount() const { return int(reports.size()) - cleanCount(); }

int FolderCheckResult::problemCount() const
{
    int n = 0;
    for (const ReportCheck& r : reports)
        n += int(r.problems.size());
    return n;
}

int FolderCheckResult::exitCode() const
{
    if (!ran)
        return 2;
    return problemReportCount() > 0 ? 1 : 0;
}

QString FolderCheck::aliasFolder(const QString& alias, QString* error)
{
    QString folder;
    try {
        folder = AliasPath(alias);
    } catch (const DatabaseError& e) {
        *error = e.message();
        return QString();
    }
    if (folder.trimmed().isEmpty()) {
        *error = QStringLiteral("The alias %1 names no folder (no PATH= line).").arg(alias);
        return QString();
    }
    return folder;
}

QString FolderCheck::fileInFolder(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

TableFields FolderCheck::readFields(const QString& table, const QString& path)
{
    TableFields out;
    out.table = table;
    out.path = path;
    try {
        const ParadoxReader reader(path);
        out.fields = reader.fields();
    } catch (const DatabaseError& e) {
        out.error = e.message();
    }
    return out;
}

ReportCheck FolderCheck::checkReport(const QString& path,
                                     const std::optional<QList<FieldDef>>& contactFields,
                                     const QString& contactError)
{
    ReportCheck check;
    check.fileName = QFileInfo(path).fileName();
    const ParsedReport report = ReportParser::load(path);
    check.description = report.description;
    check.type = report.orderText;
    check.kind = report.kindText;
    check.fieldCount = report.declaredCount;
    for (const ReportParseNoteEntry& note : report.notes)
        check.notes << ReportNote{note.line, ReportParser::noteText(note.note)};
    std::stable_sort(check.notes.begin(), check.notes.end(),
                     [](const ReportNote& a, const ReportNote& b) { return a.line < b.line; });

    if (!report.ok()) {
        // Loading stops here; what it read before is not what the wizard
        // would show, so nothing further is judged.
        addProblem(check, ReportProblemKind::Refused, report.errorMessage, report.errorLine,
                   report.errorField == QLatin1String("Field") ? report.errorValue : QString());
        return check;
    }
    checkColumns(report, check);
    checkFields(report, check, contactFields, contactError);
    return check;
}

FolderCheckResult FolderCheck::checkFolder(const QString& folder)
{
    FolderCheckResult result;
    result.folder = folder;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir()) {
        result.error =
            QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    QString listError;
    QList<ReportListEntry> entries = ReportList::list(folder, &listError);
    if (!listError.isEmpty()) {
        result.error = listError;
        return result;
    }
    result.ran = true;

    const TableFields contact = readFields(QLatin1String(contactTableName),
                                           fileInFolder(folder, QLatin1String(contactTableName)));
    std::optional<QList<FieldDef>> contactFields;
    if (contact.error.isEmpty())
        contactFields = contact.fields;
    else
        result.contactTableError = contact.error;

    // By file name, so that the listing is the same from run to run.
    std::sort(entries.begin(), entries.end(),
              [](const ReportListEntry& a, const ReportListEntry& b) {
                  return a.diskName.compare(b.diskName, Qt::CaseInsensitive) < 0 ||
                         (a.diskName.compare(b.diskName, Qt::CaseInsensitive) == 0 &&
                          a.diskName < b.diskName);
              });
    for (const ReportListEntry& entry : entries) {
        result.reports << checkReport(QDir(folder).filePath(entry.diskName), contactFields,
                                      result.contactTableError);
        // Named as the user reads it; a name that is not valid UTF-8 shows
        // its odd bytes as Windows-1252 (see DiskName).
        result.reports.last().fileName = DiskName::readable(entry.diskName);
    }
    return result;
}

QString FolderCheck::problemKindName(ReportProblemKind kind)
{
    switch (kind) {
    case ReportProblemKind::Refused:
        return QStringLiteral("refused");
    case ReportProblemKind::Columns:
        return QStringLiteral("columns");
    case ReportProblemKind::ContactField:
        return QStringLiteral("contact-field");
    case ReportProblemKind::EventField:
        return QStringLiteral("event-field");
    case ReportProblemKind::FieldType:
        return QStringLiteral("field-type");
    }
    return QString();
}

QString FolderCheck::toText(const FolderCheckResult& result)
{
    QString out;
    if (!result.ran) {
        out += QStringLiteral("tallyvane-check: %1\n").arg(result.error);
        return out;
    }
    out += QStringLiteral("Folder %1\n").arg(printable(QDir::toNativeSeparators(result.folder)));
    if (!result.contactTableError.isEmpty())
        out += QStringLiteral("  %1 cannot be read: %2\n")
                   .arg(QLatin1String(contactTableName), printable(result.contactTableError));
    for (const ReportCheck& r : result.reports) {
        out += QStringLiteral("%1: %2, type %3, kind %4, %5 field%6\n")
                   .arg(printable(r.fileName), printable(quoted(r.description)), printable(r.type),
                        printable(r.kind))
                   .arg(r.fieldCount)
                   .arg(r.fieldCount == 1 ? QString() : QStringLiteral("s"));
        for (const ReportProblem& p : r.problems) {
            out += p.line > 0 ? QStringLiteral("  problem: line %1: %2\n")
                                    .arg(p.line)
                                    .arg(printable(p.message))
                              : QStringLiteral("  problem: %1\n").arg(printable(p.message));
        }
        for (const ReportNote& n : r.notes)
            out += QStringLiteral("  note: line %1: %2\n").arg(n.line).arg(printable(n.message));
        if (r.clean())
            out += QStringLiteral("  ok\n");
    }
    out += QStringLiteral("%1 report%2 checked: %3 clean, %4 with problems (%5 problem%6)\n")
               .arg(result.reports.size())
               .arg(result.reports.size() == 1 ? QString() : QStringLiteral("s"))
               .arg(result.cleanCount())
               .arg(result.problemReportCount())
               .arg(result.problemCount())
               .arg(result.problemCount() == 1 ? QString() : QStringLiteral("s"));
    return out;
}

QByteArray FolderCheck::toJson(const FolderCheckResult& result)
{
    QJsonObject root;
    root.insert(QStringLiteral("folder"), QDir::toNativeSeparators(result.folder));
    if (!result.ran) {
        root.insert(QStringLiteral("error"), result.error);
    } else {
        if (!result.contactTableError.isEmpty())
            root.insert(QStringLiteral("contactTableError"), result.contactTableError);
        QJsonArray reports;
        for (const ReportCheck& r : result.reports) {
            QJsonObject o;
            o.insert(QStringLiteral("file"), r.fileName);
            o.insert(QStringLiteral("description"), r.description);
            o.insert(QStringLiteral("type"), r.type);
            o.insert(QStringLiteral("kind"), r.kind);
            o.insert(QStringLiteral("fieldCount"), r.fieldCount);
            o.insert(QStringLiteral("clean"), r.clean());
            QJsonArray problems;
            for (const ReportProblem& p : r.problems) {
                QJsonObject po;
                po.insert(QStringLiteral("kind"), problemKindName(p.kind));
                po.insert(QStringLiteral("line"), p.line);
                if (!p.field.isEmpty())
                    po.insert(QStringLiteral("field"), p.field);
                po.insert(QStringLiteral("message"), p.message);
                problems.append(po);
            }
            o.insert(QStringLiteral("problems"), problems);
            QJsonArray notes;
            for (const ReportNote& n : r.notes)
                notes.append(QJsonObject{{QStringLiteral("line"), n.line},
                                         {QStringLiteral("message"), n.message}});
            o.insert(QStringLiteral("notes"), notes);
            reports.append(o);
        }
        root.insert(QStringLiteral("reports"), reports);
        root.insert(QStringLiteral("summary"),
                    QJsonObject{{QStringLiteral("reports"), int(result.reports.size())},
                                {QStringLiteral("clean"), result.cleanCount()},
                                {QStringLiteral("withProblems"), result.problemReportCount()},
                                {QStringLiteral("problems"), result.problemCount()}});
    }
    root.insert(QStringLiteral("exitCode"), result.exitCode());
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString FolderCheck::fieldsToText(const QList<TableFields>& tables)
{
    QString out;
    for (const TableFields& t : tables) {
        if (!t.error.isEmpty()) {
            out += QStringLiteral("%1: %2\n").arg(printable(t.table), printable(t.error));
            continue;
        }
        out += QStringLiteral("%1 (%2): %3 field%4\n")
                   .arg(printable(t.table), printable(QDir::toNativeSeparators(t.path)))
                   .arg(t.fields.size())
                   .arg(t.fields.size() == 1 ? QString() : QStringLiteral("s"));
        qsizetype nameWidth = 0;
        qsizetype typeWidth = 0;
        for (const FieldDef& f : t.fields) {
            nameWidth = std::max(nameWidth, printable(f.name).size());
            typeWidth = std::max(typeWidth, fieldTypeName(f.type).size());
        }
        for (const FieldDef& f : t.fields)
            out += QStringLiteral("  %1  %2  %3\n")
                       .arg(printable(f.name), -int(nameWidth))
                       .arg(fieldTypeName(f.type), -int(typeWidth))
                       .arg(f.size);
    }
    return out;
}

QByteArray FolderCheck::fieldsToJson(const QList<TableFields>& tables)
{
    QJsonArray out;
    for (const TableFields& t : tables) {
        QJsonObject o;
        o.insert(QStringLiteral("table"), t.table);
        o.insert(QStringLiteral("path"), QDir::toNativeSeparators(t.path));
        if (!t.error.isEmpty()) {
            o.insert(QStringLiteral("error"), t.error);
        } else {
            QJsonArray fields;
            for (const FieldDef& f : t.fields)
                fields.append(QJsonObject{{QStringLiteral("name"), f.name},
                                          {QStringLiteral("type"), fieldTypeName(f.type)},
                                          {QStringLiteral("size"), f.size}});
            o.insert(QStringLiteral("fields"), fields);
        }
        out.append(o);
    }
    return QJsonDocument(out).toJson(QJsonDocument::Indented);
}
