#pragma once

#include "core/store/ReportFile.h"
#include "engine/DatabaseError.h"
#include "engine/Table.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct ParsedReport;

// A fault that leaves the wizard no working table to work on: the alias
// leads to no folder, or another wizard holds the working table of this data
// folder.
class WorkingTableRefused : public DatabaseError
{
public:
    using DatabaseError::DatabaseError;
};

// The positions of one field as the "Column Widths" grid holds them: texts,
// stored as numbers (a text that is no whole number is refused).
struct ColumnPositionTexts
{
    QString field;  // the field name of the row
    QString header; // the header a new row gets
    QString line;
    QString left;
    QString right;
};

// The wizard's working table CRDATA.DB: one row per field of the report in
// hand, keyed by its field name, read in print order through the "iOrder"
// index (by line, then by order). A row holds what a field block of the
// report file holds, and its order. Every function works on the cursor it
// is given; one that walks the rows keeps the controls bound to it still and
// leaves the cursor on the field it stood on.
class WorkingTable
{
public:
    static inline const QString tableName = QStringLiteral("CRDATA.DB");
    static inline const QString primaryIndex = QStringLiteral("PrimaryField");
    static inline const QString printOrderIndex = QStringLiteral("iOrder");

    // The columns, in the order of the table.
    static inline const QString Field = QStringLiteral("Field");
    static inline const QString Order = QStringLiteral("Order");
    static inline const QString Header = QStringLiteral("Header");
    static inline const QString LDots = QStringLiteral("LDots");
    static inline const QString RDots = QStringLiteral("RDots");
    static inline const QString Total = QStringLiteral("Total");
    static inline const QString Count = QStringLiteral("Count");
    static inline const QString Average = QStringLiteral("Average");
    static inline const QString Min = QStringLiteral("Min");
    static inline const QString Max = QStringLiteral("Max");
    static inline const QString DbType = QStringLiteral("DbType");
    static inline const QString Line = QStringLiteral("Line");
    static inline const QString LPosition = QStringLiteral("LPosition");
    static inline const QString RPosition = QStringLiteral("RPosition");
    // The seven logical columns (LDots to Max), all false in a new row.
    static const QStringList& flagColumns();

    // The titles of the "Column Widths" grid: "Field", "Line", "Starting At",
    // "Ending At". Refused positions are named by them.
    static QStringList gridHeaders();

    // Gives `table` the definition of the working table, replacing any it
    // had: fourteen columns (Field and Order required, Field and Header 50
    // characters), the primary index on Field and "iOrder" on Line;Order.
    static void defineSchema(Table& table);

    // Makes `table` the cursor on the working table as the wizard holds it:
    // exclusively, refused positions named as the grid names them.
    static void prepare(Table& table);

    // Makes the working table anew, deleting the old one. Raises
    // WorkingTableRefused when the alias has no folder or another wizard
    // holds the table; other faults of the engine as DatabaseError.
    static void create(Table& table, const QString& alias);

    // Opens the table and deletes all its rows, dropping an edit in hand.
    static void empty(Table& table);

    // Gives the field its type; a field without a row gets a new one with
    // this header, numbered after the rows there are, all flags false.
    static void recordField(Table& table, const QString& field, const QString& header, int dbType);
    // Deletes the rows whose field is not one of `fields`.
    static void removeRowsExcept(Table& table, const QStringList& fields);
    // Numbers the rows of these fields 1, 2, ... in this order; a field
    // without a row is passed over.
    static void writeOrders(Table& table, const QStringList& fields);
    // Stores the positions of the grid's rows; row r (from 1) of the grid
    // that has no row in the table gets a new one with Order r.
    static void writePositions(Table& table, const QList<ColumnPositionTexts>& rows);

    // The current row as a field block of the report file.
    static ReportFileField blockOf(const Table& table);
    // Every row as a field block, in print order.
    static QList<ReportFileField> blocksInPrintOrder(Table& table);

    // What loading a parsed report into the working table gives: the fields
    // whose header or name was longer than a row holds (they were cut), or
    // the one error that names the file, the line and the column of the
    // text the table refused.
    struct LoadResult
    {
        QStringList cutFields;
        std::optional<QString> error;
    };
    // One row per field block, numbered in file order; stops at the first
    // block the table refuses. `path` names the file in the error.
    static LoadResult load(Table& table, const ParsedReport& report, const QString& path);

    // Whether the cursor stands on a row, and whether it edits one.
    static bool hasCurrentRow(const Table& table);
    static bool isEditing(const Table& table);
    // Posts the edit or insert in hand; a refused post drops it, so that
    // the cursor is never left in the middle of an edit.
    static void postOrCancel(Table& table);
};
