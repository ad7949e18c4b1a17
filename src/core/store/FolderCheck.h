#pragma once

#include "engine/ParadoxTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Checks the report files of a data folder the way the wizard would meet
// them: what loading refuses, what "Check Columns" refuses, which contact
// fields the contact table no longer has, and which event fields the
// report's event kind does not offer. Used by the tallyvane-check tool.

enum class ReportProblemKind {
    Refused,      // loading the file stops with an error
    Columns,      // the column position check refuses the positions
    ContactField, // a contact field the contact table does not have
    EventField,   // an event field the report's event kind does not offer
    FieldType,    // a field that is neither a contact (0) nor an event (1) field
};

struct ReportProblem
{
    ReportProblemKind kind;
    QString message;
    int line = 0;  // 1-based line of the report file, 0 when none applies
    QString field; // the field concerned, if any
};

struct ReportNote
{
    int line = 0;
    QString message;
};

// One report file and what was found in it.
struct ReportCheck
{
    QString fileName;    // as the folder holds it
    QString description; // line 1
    QString type;        // line 2 as it stands ("Contact" or "Calendar")
    QString kind;        // line 3 as it stands
    int fieldCount = 0;  // line 5
    QList<ReportProblem> problems;
    QList<ReportNote> notes; // oddities that loading accepts

    bool clean() const { return problems.isEmpty(); }
};

struct FolderCheckResult
{
    QString folder;
    bool ran = false; // false when the folder could not be read
    QString error;    // why it could not run
    // The contact table's field list could not be read; contact fields are
    // then reported as unchecked problems.
    QString contactTableError;
    QList<ReportCheck> reports;

    int cleanCount() const;
    int problemReportCount() const;
    int problemCount() const;
    // 0 every report clean, 1 some report has a problem, 2 could not run.
    int exitCode() const;
};

// A table's field list as the wizard reads it.
struct TableFields
{
    QString table; // the name asked for
    QString path;  // the file read
    QString error; // empty when read
    QList<FieldDef> fields;
};

class FolderCheck
{
public:
    static constexpr const char* contactTableName = "CONTACT.DB";
    static constexpr const char* eventTableName = "EVENT.DB";

    // The data folder of the alias, read from the session's alias file.
    // Empty with *error set when the alias or its folder is missing.
    static QString aliasFolder(const QString& alias, QString* error);

    // Checks every report file of the folder. The contact table is the
    // folder's own CONTACT.DB.
    static FolderCheckResult checkFolder(const QString& folder);

    // Checks one report file against the given contact columns (nothing:
    // the contact table could not be read, with the reason).
    static ReportCheck checkReport(const QString& path,
                                   const std::optional<QList<FieldDef>>& contactFields,
                                   const QString& contactError = QString());

    // The path of a file of the folder, its name compared without regard to
    // case; the plain join when there is none.
    static QString fileInFolder(const QString& folder, const QString& name);

    // The field list of a table file.
    static TableFields readFields(const QString& table, const QString& path);

    // Output: plain text, one line each, or JSON.
    static QString toText(const FolderCheckResult& result);
    static QByteArray toJson(const FolderCheckResult& result);
    static QString fieldsToText(const QList<TableFields>& tables);
    static QByteArray fieldsToJson(const QList<TableFields>& tables);

    static QString problemKindName(ReportProblemKind kind);
};
