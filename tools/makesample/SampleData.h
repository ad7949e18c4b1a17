#pragma once

#include "core/store/ReportFile.h"
#include "engine/ParadoxTypes.h"

#include <QList>
#include <QString>

// The made-up data of the sample installation. Everything comes from a fixed
// seed, so the same program always writes the same bytes. Names, companies,
// addresses and numbers are invented: telephone numbers use the 555-01xx
// range and mail addresses the reserved example domains.
namespace SampleData {

struct TableData
{
    QString fileName;
    QList<FieldDef> fields;
    int keyFieldCount = 0;
    QList<Row> rows;
    // The password that protects the table, as the host's tables are
    // protected; empty for an unprotected table.
    QString password;
};

// The host's tables are protected like a real installation's: CONTACT.DB and
// EVENT.DB with the program's first table password, DATABASE.DB with the
// second (StartUp::tablePassword).
//
// The host's contact table with `count` contacts.
TableData contacts(int count);
// The host's event table: calls, letters, meetings, to-dos, notes, sales
// and quotes for the first `contactCount` contacts.
TableData events(int contactCount);
// The host's database table: one row per database with the captions of its
// 48 user fields.
TableData databases();

struct SampleReport
{
    QString fileName; // at most eight letters and digits, then ".rpt"
    ReportFileContent content;
};
QList<SampleReport> reports();

// Writes a table with the Paradox writer. Throws DatabaseError.
void writeTable(const QString& folder, const TableData& table);

// Writes the data folder: the three tables and the sample reports. Returns
// an empty text on success, otherwise what went wrong.
QString writeDataFolder(const QString& folder, int contactCount);

// Lays out the sample installation in `binFolder`: the data folder
// "SampleData", the network control folder "NetCtl", NETDIR.INI naming it,
// and ALIASES.INI with the alias VESKA on the data folder.
QString writeInstallation(const QString& binFolder);

} // namespace SampleData
