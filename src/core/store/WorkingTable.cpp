#include "core/store/WorkingTable.h"

#include "core/store/ReportParser.h"
#include "engine/TableLock.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

// The message when another wizard works on the same data folder.
QString workingTableInUse(const QString& path)
{
    return QStringLiteral("The working table %1 in %2 is in use by another report wizard. "
                          "Only one report can be designed at a time in a data folder: close "
                          "the other wizard and start this one again.")
        .arg(WorkingTable::tableName, QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

std::optional<int> optionalInt(const Table& table, const QString& column)
{
    if (table.isNull(column))
        return std::nullopt;
    return table.asInteger(column);
}

// Puts the cursor back on the row (by its field) it stood on when the scope
// began, after work that walks the table: the controls bound to the current
// row must go on showing and editing the same field.
auto keepCurrentRow(Table& table)
{
    QString field;
    if (WorkingTable::hasCurrentRow(table) && table.state() == Table::State::Browse)
        field = table.asString(WorkingTable::Field);
    return qScopeGuard([&table, field] {
        if (field.isEmpty() || !table.isActive())
            return;
        try {
            if (table.state() != Table::State::Browse)
                return;
            table.setIndexName(QString());
            table.findKey({field});
        } catch (const DatabaseError&) {
            // The work is done; where the cursor stands is secondary.
        }
    });
}

void setFlagsFalse(Table& table)
{
    for (const QString& flag : WorkingTable::flagColumns())
        table.setAsBoolean(flag, false);
}

// The table's own message, cut where it would quote a whole damaged line.
QString shortened(const QString& message)
{
    constexpr int limit = 240;
    return message.size() <= limit ? message : message.left(limit - 3) + QStringLiteral("...");
}

} // namespace

const QStringList& WorkingTable::flagColumns()
{
    static const QStringList flags{LDots, RDots, Total, Count, Average, Min, Max};
    return flags;
}

QStringList WorkingTable::gridHeaders()
{
    return {QStringLiteral("Field"), QStringLiteral("Line"), QStringLiteral("Starting At"),
            QStringLiteral("Ending At")};
}

void WorkingTable::defineSchema(Table& table)
{
    table.clearFieldDefs();
    table.addFieldDef(Field, FieldType::Alpha, 50, true);
    table.addFieldDef(Order, FieldType::Long, 0, true);
    table.addFieldDef(Header, FieldType::Alpha, 50, false);
    for (const QString& flag : flagColumns())
        table.addFieldDef(flag, FieldType::Logical, 0, false);
    for (const QString& number : {DbType, Line, LPosition, RPosition})
        table.addFieldDef(number, FieldType::Long, 0, false);

    table.clearIndexDefs();
    table.addIndexDef(primaryIndex, Field, true, true, false);
    table.addIndexDef(printOrderIndex, Line + QLatin1Char(';') + Order, false, false, true);
}

void WorkingTable::prepare(Table& table)
{
    table.setTableName(tableName);
    table.setExclusive(true);
    const QStringList headers = gridHeaders();
    table.setDisplayLabel(LPosition, headers.at(2));
    table.setDisplayLabel(RPosition, headers.at(3));
}

void WorkingTable::create(Table& table, const QString& alias)
{
    table.close();
    table.setDatabaseName(alias);
    table.setTableName(tableName);

    // An alias that leads to no folder gives the table no place at all.
    QString path;
    try {
        path = table.filePath();
    } catch (const DatabaseError& error) {
        throw WorkingTableRefused(error.message());
    }
    // Another wizard on this data folder holds its working table: it must
    // neither be deleted nor emptied under it.
    if (TableLock::lockedElsewhere(path))
        throw WorkingTableRefused(workingTableInUse(path));

    // The old table goes; one that is not there does not matter.
    try {
        table.deleteTable();
    } catch (const DatabaseError&) {
    }

    defineSchema(table);
    try {
        table.createTable();
    } catch (const TableInUse& error) {
        // Held through an owner file on a share whose locks do not hold:
        // the message names the holder.
        throw WorkingTableRefused(error.message());
    } catch (const DatabaseError&) {
        // The other wizard may have taken the table in the meantime.
        if (TableLock::lockedElsewhere(path))
            throw WorkingTableRefused(workingTableInUse(path));
        throw;
    }
}

void WorkingTable::empty(Table& table)
{
    table.open();
    QuietControls quiet(table);
    if (isEditing(table))
        table.cancel();
    // In one step: deleting row by row costs a pass over every row each.
    table.emptyTable();
}

void WorkingTable::recordField(Table& table, const QString& field, const QString& header,
                               int dbType)
{
    const int rows = table.recordCount();
    table.setIndexName(QString());
    if (table.findKey({field})) {
        table.edit();
    } else {
        table.insert();
        table.setAsString(Field, field);
        table.setAsString(Header, header);
        table.setAsInteger(Order, rows + 1);
        setFlagsFalse(table);
    }
    try {
        table.setAsInteger(DbType, dbType);
    } catch (...) {
        table.cancel();
        throw;
    }
    postOrCancel(table);
}

void WorkingTable::removeRowsExcept(Table& table, const QStringList& fields)
{
    QuietControls quiet(table);
    table.setIndexName(QString());
    QStringList gone;
    for (table.first(); !table.eof(); table.next()) {
        const QString field = table.asString(Field);
        if (!fields.contains(field))
            gone << field;
    }
    BatchedWrites batch(table);
    for (const QString& field : gone) {
        if (table.findKey({field}))
            table.deleteRow();
    }
    batch.finish();
}

void WorkingTable::writeOrders(Table& table, const QStringList& fields)
{
    QuietControls quiet(table);
    const auto keep = keepCurrentRow(table);
    table.setIndexName(QString());
    BatchedWrites batch(table);
    for (int i = 0; i < fields.size(); ++i) {
        if (!table.findKey({fields.at(i)}))
            continue; // an entry without a row has nothing to renumber
        table.edit();
        table.setAsInteger(Order, i + 1);
        postOrCancel(table);
    }
    batch.finish();
}

void WorkingTable::writePositions(Table& table, const QList<ColumnPositionTexts>& rows)
{
    QuietControls quiet(table);
    const auto keep = keepCurrentRow(table);
    table.setIndexName(QString());
    BatchedWrites batch(table);
    for (int r = 0; r < rows.size(); ++r) {
        const ColumnPositionTexts& row = rows.at(r);
        if (table.findKey({row.field})) {
            table.edit();
        } else {
            table.insert();
            table.setAsString(Field, row.field);
            table.setAsString(Header, row.header);
            setFlagsFalse(table);
            table.setAsInteger(Order, r + 1);
        }
        try {
            // A text that is no whole number is refused by the table, with
            // the value and the column named; nothing of this row is kept.
            table.setAsString(Line, row.line);
            table.setAsString(LPosition, row.left);
            table.setAsString(RPosition, row.right);
        } catch (...) {
            table.cancel();
            throw;
        }
        postOrCancel(table);
    }
    batch.finish();
}

ReportFileField WorkingTable::blockOf(const Table& t)
{
    ReportFileField f;
    f.dbType = optionalInt(t, DbType);
    f.lDots = t.asBoolean(LDots);
    f.rDots = t.asBoolean(RDots);
    f.header = t.asString(Header);
    f.field = t.asString(Field);
    f.line = optionalInt(t, Line);
    f.lPosition = optionalInt(t, LPosition);
    f.rPosition = optionalInt(t, RPosition);
    f.total = t.asBoolean(Total);
    f.count = t.asBoolean(Count);
    f.average = t.asBoolean(Average);
    f.min = t.asBoolean(Min);
    f.max = t.asBoolean(Max);
    return f;
}

QList<ReportFileField> WorkingTable::blocksInPrintOrder(Table& table)
{
    // The rows are read with the bound controls suspended; the cursor goes
    // back on its index and row, so that the controls of "Field
    // Definitions" keep showing the field they showed.
    table.open();
    if (table.state() != Table::State::Browse)
        table.post();
    const QString index = table.indexName();
    const int position = table.recNo();
    table.disableControls();
    const auto restore = qScopeGuard([&] {
        try {
            table.setIndexName(index);
            if (position >= 0 && position < table.recordCount())
                table.moveTo(position);
        } catch (const DatabaseError&) {
            // The rows were read; where the cursor stands is secondary.
        }
        table.enableControls();
    });
    QList<ReportFileField> blocks;
    table.setIndexName(printOrderIndex);
    for (table.first(); !table.eof(); table.next())
        blocks << blockOf(table);
    return blocks;
}

WorkingTable::LoadResult WorkingTable::load(Table& table, const ParsedReport& report,
                                            const QString& path)
{
    LoadResult result;
    table.open();
    // The rows are written to the file once, after the last one, instead of
    // once per row.
    table.beginBatch();
    auto columnSize = [&table](const QString& column) {
        for (const FieldDef& def : table.fieldDefs()) {
            if (def.name.compare(column, Qt::CaseInsensitive) == 0)
                return def.type == FieldType::Alpha ? int(def.size) : 0;
        }
        return 0;
    };
    const int headerLines = 5;
    const int blockLines = 13;
    for (int b = 0; b < report.fields.size(); ++b) {
        const ReportFileField& f = report.fields.at(b);
        const int firstLine = headerLines + 1 + b * blockLines;
        QString column;
        int line = firstLine;
        try {
            auto setNumber = [&](const QString& name, int offset, std::optional<int> value) {
                column = name;
                line = firstLine + offset;
                if (value)
                    table.setAsInteger(column, *value);
                else
                    table.clearValue(column);
            };
            auto setText = [&](const QString& name, int offset, const QString& text,
                               const QString& what) {
                column = name;
                line = firstLine + offset;
                // A text the table cannot hold is refused here, at its own
                // line, in words that do not quote the whole line back.
                if (text.contains(QChar(0)))
                    throw DatabaseError(QStringLiteral("the %1 holds a zero character, which the "
                                                       "table cannot store.")
                                            .arg(what));
                // A text longer than the table holds (a report made
                // elsewhere) is shortened to fit; the caller tells the user
                // which fields were.
                const int size = columnSize(column);
                if (size > 0 && text.size() > size) {
                    table.setAsString(column, text.left(size));
                    if (!result.cutFields.contains(f.field.left(size)))
                        result.cutFields << f.field.left(size);
                    return;
                }
                table.setAsString(column, text);
            };
            auto setFlag = [&](const QString& name, int offset, bool value) {
                column = name;
                line = firstLine + offset;
                table.setAsBoolean(column, value);
            };
            table.insert();
            setNumber(Order, 0, b + 1);
            setNumber(DbType, 0, f.dbType);
            setFlag(LDots, 1, f.lDots);
            setFlag(RDots, 2, f.rDots);
            setText(Header, 3, f.header, QStringLiteral("column header"));
            setText(Field, 4, f.field, QStringLiteral("field name"));
            setNumber(Line, 5, f.line);
            setNumber(LPosition, 6, f.lPosition);
            setNumber(RPosition, 7, f.rPosition);
            setFlag(Total, 8, f.total);
            setFlag(Count, 9, f.count);
            setFlag(Average, 10, f.average);
            setFlag(Min, 11, f.min);
            setFlag(Max, 12, f.max);
            column = Field;
            line = firstLine + 4;
            table.post();
        } catch (const DatabaseError& error) {
            if (table.state() != Table::State::Browse)
                table.cancel();
            table.endBatch();
            result.error =
                QStringLiteral("The report file %1 cannot be loaded: line %2, field %3: %4")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(line)
                    .arg(column, shortened(error.message()));
            return result;
        }
    }
    table.endBatch();
    return result;
}

bool WorkingTable::hasCurrentRow(const Table& table)
{
    return table.isActive() && table.recordCount() > 0 && table.recNo() >= 0;
}

bool WorkingTable::isEditing(const Table& table)
{
    return table.state() == Table::State::Edit || table.state() == Table::State::Insert;
}

void WorkingTable::postOrCancel(Table& table)
{
    try {
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
}
