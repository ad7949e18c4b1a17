#pragma once

#include <QList>
#include <QString>

// The report files of the data folder, as the selection dialog lists them,
// and the rules for naming a new one.

struct ReportListEntry
{
    QString description;  // first line of the file
    QString type;         // second line ("Contact" or "Calendar")
    QString name;         // file name as shown, ASCII letters in lower case, as listed
    QString diskName;     // the name as the folder holds it (see DiskName: a name that
                          // is not valid UTF-8 keeps its bytes); what actions act on
    bool readable = true; // false when the file could not be read (texts are then empty)
};

enum class NameCheck { Ok, Empty, IllegalCharacters, ReservedName, Taken };

struct NameCheckResult
{
    NameCheck check = NameCheck::Ok;
    QString message; // the text to show when refused
    QString path;    // on Ok: the folder joined with the name plus ".rpt"

    bool ok() const { return check == NameCheck::Ok; }
};

class ReportList
{
public:
    // Every "*.rpt" entry of the folder (the whole path is used, however
    // long), found without regard to case; sub-folders of that name are not
    // reports and are left out. Sorted by description as SortGridRows does.
    // *error is set when the folder cannot be listed.
    static QList<ReportListEntry> list(const QString& folder, QString* error = nullptr);

    // GetDescription: the first two lines of the file (missing lines read as
    // empty). Reads only the start of the file. False when it cannot be read.
    static bool GetDescription(const QString& path, QString* description, QString* type);

    // SortGridRows' order of two keys: ASCII letters compared in upper case,
    // other characters by their Windows-1252 codes, a prefix first.
    static bool lessByKey(const QString& a, const QString& b);
    // Sorts by description in that order; entries with equal descriptions
    // keep their order.
    static void SortGridRows(QList<ReportListEntry>& entries);

    // The message shown when the folder holds no report.
    static QString noReportsText(const QString& folder);
    // The delete question for a listed file name, cut to 255 characters.
    static QString deleteQuestion(const QString& name);

    // The path of a listed report in the folder: the entry whose name equals
    // the given one without regard to case (a case-sensitive folder may hold
    // "WEEKLY.RPT" for the listed "weekly.rpt"); the plain join when there is
    // none. An empty name or one with a folder part gives empty text.
    static QString resolve(const QString& folder, const QString& name);

    // Deletes a listed report by the name the folder holds it under
    // (ReportListEntry::diskName): only a plain file, named without a
    // folder part, and never another of that name in another case.
    static bool remove(const QString& folder, const QString& diskName);

    // BitBtn2Click of the naming dialog: an empty name, characters other than
    // letters and digits, a device name of Windows, or a name whose report
    // file exists (compared without regard to case) are refused.
    static NameCheckResult checkNewName(const QString& folder, const QString& name);
};
