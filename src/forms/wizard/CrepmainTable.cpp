// The working table CRDATA.DB: creating and emptying it, recording the
// selected fields, storing their order and positions, and the controls of
// "Field Definitions" that edit its current row.
#include "forms/wizard/Crepmain.h"

#include "engine/DatabaseError.h"
#include "core/app/SharedRoutines.h"
#include "engine/TableLock.h"
#include "core/catalogue/ContactFields.h"
#include "core/catalogue/EventFields.h"
#include "core/store/ReportFile.h"
#include "forms/wizard/ListEntries.h"
#include "core/wizard/DatabaseAlias.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

const QString kWorkingTable = QStringLiteral("CRDATA.DB");

// The seven logical columns of a row, all false in a new row.
const char* const kFlagFields[] = {"LDots", "RDots", "Total", "Count", "Average", "Min", "Max"};

// Keeps the bound controls still during a bulk change of the table; they
// read the table once when it ends.
class QuietControls
{
public:
    explicit QuietControls(Table& table) : m_table(table) { m_table.disableControls(); }
    ~QuietControls() { m_table.enableControls(); }
    QuietControls(const QuietControls&) = delete;
    QuietControls& operator=(const QuietControls&) = delete;

private:
    Table& m_table;
};

// Writes the table file once for a run of posts or deletes instead of once
// per row (see Table::beginBatch). finish() writes it and lets a failure
// through; a run cut short by an error is written on the way out as far as
// it can be.
class BatchedWrites
{
public:
    explicit BatchedWrites(Table& table) : m_table(table) { m_table.beginBatch(); }
    ~BatchedWrites()
    {
        if (m_finished)
            return;
        try {
            m_table.endBatch();
        } catch (const DatabaseError&) {
            // The error that cut the run short is the one reported.
        }
    }
    void finish()
    {
        m_finished = true;
        m_table.endBatch();
    }
    BatchedWrites(const BatchedWrites&) = delete;
    BatchedWrites& operator=(const BatchedWrites&) = delete;

private:
    Table& m_table;
    bool m_finished = false;
};

// The message when another wizard works on the same data folder.
QString workingTableInUse(const QString& path)
{
    return QStringLiteral("The working table %1 in %2 is in use by another report wizard. "
                          "Only one report can be designed at a time in a data folder: close "
                          "the other wizard and start this one again.")
        .arg(kWorkingTable, QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

bool isEditing(const Table& table)
{
    return table.state() == Table::State::Edit || table.state() == Table::State::Insert;
}

bool hasCurrentRow(const Table& table)
{
    return table.isActive() && table.recordCount() > 0 && table.recNo() >= 0;
}

// Puts the cursor back on the row (by its field) it stood on when the scope
// began, after work that walks the table: the controls bound to the current
// row must go on showing and editing the same field.
class KeepCurrentRow
{
public:
    explicit KeepCurrentRow(Table& table) : m_table(table)
    {
        if (hasCurrentRow(table) && table.state() == Table::State::Browse)
            m_field = table.asString(QStringLiteral("Field"));
    }
    ~KeepCurrentRow()
    {
        if (m_field.isEmpty() || !m_table.isActive())
            return;
        try {
            if (m_table.state() != Table::State::Browse)
                return;
            m_table.setIndexName(QString());
            m_table.findKey({m_field});
        } catch (const DatabaseError&) {
            // The work is done; where the cursor stands is secondary.
        }
    }
    KeepCurrentRow(const KeepCurrentRow&) = delete;
    KeepCurrentRow& operator=(const KeepCurrentRow&) = delete;

private:
    Table& m_table;
    QString m_field;
};

// Posts the edit or insert in hand; a refused post drops it, so that the
// cursor is never left in the middle of an edit.
void postOrCancel(Table& table)
{
    try {
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
}

} // namespace

void TFrmCReport::CreateDataTable()
{
    TblCRData.close();
    TblCRData.setDatabaseName(DatabaseAlias);
    TblCRData.setTableName(kWorkingTable);

    // An alias that leads to no folder gives the table no place at all.
    QString path;
    try {
        path = TblCRData.filePath();
    } catch (const DatabaseError& error) {
        throw WorkingTableRefused(error.message());
    }
    // Another wizard on this data folder holds its working table: it must
    // neither be deleted nor emptied under it.
    if (TableLock::lockedElsewhere(path))
        throw WorkingTableRefused(workingTableInUse(path));

    // The old table goes; one that is not there does not matter.
    try {
        TblCRData.deleteTable();
    } catch (const DatabaseError&) {
    }

    TblCRData.clearFieldDefs();
    TblCRData.addFieldDef(QStringLiteral("Field"), FieldType::Alpha, 50, true);
    TblCRData.addFieldDef(QStringLiteral("Order"), FieldType::Long, 0, true);
    TblCRData.addFieldDef(QStringLiteral("Header"), FieldType::Alpha, 50, false);
    TblCRData.addFieldDef(QStringLiteral("LDots"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("RDots"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Total"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Count"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Average"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Min"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Max"), FieldType::Logical, 0, false);
    TblCRData.addFieldDef(QStringLiteral("DbType"), FieldType::Long, 0, false);
    TblCRData.addFieldDef(QStringLiteral("Line"), FieldType::Long, 0, false);
    TblCRData.addFieldDef(QStringLiteral("LPosition"), FieldType::Long, 0, false);
    TblCRData.addFieldDef(QStringLiteral("RPosition"), FieldType::Long, 0, false);

    TblCRData.clearIndexDefs();
    TblCRData.addIndexDef(QStringLiteral("PrimaryField"), QStringLiteral("Field"), true, true,
                          false);
    TblCRData.addIndexDef(QStringLiteral("iOrder"), QStringLiteral("Line;Order"), false, false,
                          true);
    try {
        TblCRData.createTable();
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

void TFrmCReport::ClearCustomTable(Table& table)
{
    // A working table that could not be made when the window opened (the
    // network control directory was not usable then) is made now, so that
    // the wizard goes on once the fault is mended, without a restart.
    if (&table == &TblCRData && !table.isActive() && !QFileInfo::exists(table.filePath()))
        CreateDataTable();
    table.open();
    if (&table == &TblCRData)
        m_storedPositions = StoredPositions();
    QuietControls quiet(table);
    if (isEditing(table))
        table.cancel();
    // In one step: deleting row by row costs a pass over every row each.
    table.emptyTable();
}

void TFrmCReport::RecordDBType(const QString& fieldName, const QString& header, Table& table,
                               int dbType)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    const int rows = table.recordCount();
    table.setIndexName(QString());
    if (table.findKey({fieldName})) {
        table.edit();
    } else {
        table.insert();
        table.setAsString(QStringLiteral("Field"), fieldName);
        table.setAsString(QStringLiteral("Header"), header);
        table.setAsInteger(QStringLiteral("Order"), rows + 1);
        for (const char* flag : kFlagFields)
            table.setAsBoolean(QLatin1String(flag), false);
    }
    try {
        table.setAsInteger(QStringLiteral("DbType"), dbType);
    } catch (...) {
        table.cancel();
        throw;
    }
    postOrCancel(table);
}

void TFrmCReport::removeRowsExcept(const QStringList& fields, Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    QuietControls quiet(table);
    table.setIndexName(QString());
    QStringList gone;
    for (table.first(); !table.eof(); table.next()) {
        const QString field = table.asString(QStringLiteral("Field"));
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

void TFrmCReport::WriteFieldOrders(Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    QuietControls quiet(table);
    KeepCurrentRow keep(table);
    table.setIndexName(QString());
    BatchedWrites batch(table);
    for (int i = 0; i < lbAllFields->count(); ++i) {
        const QString field = CaptionToField(EventKind, lbAllFields->item(i)->text());
        if (!table.findKey({field}))
            continue; // an entry without a row has nothing to renumber
        table.edit();
        table.setAsInteger(QStringLiteral("Order"), i + 1);
        postOrCancel(table);
    }
    batch.finish();
}

void TFrmCReport::WriteColWidthsGridToTable(Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    QuietControls quiet(table);
    KeepCurrentRow keep(table);
    table.setIndexName(QString());
    auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = sgCol->item(row, column);
        return item ? item->text() : QString();
    };
    // sgCol's title row is its header; grid row r (from 1) is table row r - 1.
    BatchedWrites batch(table);
    for (int r = 1; r <= sgCol->rowCount(); ++r) {
        const QString field = CaptionToField(EventKind, cell(r - 1, 0));
        if (table.findKey({field})) {
            table.edit();
        } else {
            table.insert();
            table.setAsString(QStringLiteral("Field"), field);
            const QListWidgetItem* entry = lbAllFields->item(r - 1);
            table.setAsString(QStringLiteral("Header"), entry ? entry->text() : QString());
            for (const char* flag : kFlagFields)
                table.setAsBoolean(QLatin1String(flag), false);
            table.setAsInteger(QStringLiteral("Order"), r);
        }
        try {
            // A text that is no whole number is refused by the table, with
            // the value and the column named; nothing of this row is kept.
            table.setAsString(QStringLiteral("Line"), cell(r - 1, 1));
            table.setAsString(QStringLiteral("LPosition"), cell(r - 1, 2));
            table.setAsString(QStringLiteral("RPosition"), cell(r - 1, 3));
        } catch (...) {
            table.cancel();
            throw;
        }
        postOrCancel(table);
    }
    batch.finish();
    if (&table == &TblCRData) {
        m_storedPositions.order = entriesOf(lbAllFields);
        m_storedPositions.columns = SpinCol->boundedValue();
        m_storedPositions.width = SpinMargin->boundedValue();
        m_storedPositions.valid = true;
    }
}

void TFrmCReport::CheckFieldTypes()
{
    if (!hasCurrentRow(TblCRData))
        return;
    // Only the contact table's column list is needed: its header is read,
    // never its rows.
    const SummaryOptions options =
        ::CheckFieldTypes(TblContact.fieldDefs(), TblCRData.asString(QStringLiteral("Field")));
    DBCBTotal->setVisible(options.totaled);
    DBCBCount->setVisible(options.counted);
    DBCBAverage->setVisible(options.averaged);
    DBCBMin->setVisible(options.minValue);
    DBCBMax->setVisible(options.maxValue);
}

// ---- The controls of "Field Definitions", bound to the current row --------

namespace {

struct BoundBox
{
    QCheckBox* TFrmCReport::*box;
    const char* field;
};

const BoundBox kBoundBoxes[] = {
    {&TFrmCReport::cbDotLead, "LDots"},  {&TFrmCReport::cbDotTrail, "RDots"},
    {&TFrmCReport::DBCBTotal, "Total"},  {&TFrmCReport::DBCBCount, "Count"},
    {&TFrmCReport::DBCBAverage, "Average"}, {&TFrmCReport::DBCBMin, "Min"},
    {&TFrmCReport::DBCBMax, "Max"},
};

} // namespace

void TFrmCReport::bindFieldControls()
{
    // The controls show whatever row the cursor stands on.
    connect(&TblCRData, &Table::dataChanged, this, [this] { showCurrentFieldRow(); });

    // Typing in the header edits the row; the edit is stored when the user
    // leaves the box, or before the cursor moves to another row. Text set
    // through an assistive tool (a screen reader's "set text") counts as
    // typed; only the row's own header, shown below, does not.
    connect(DBEdit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        guarded([&] {
            if (!hasCurrentRow(TblCRData))
                return;
            TblCRData.edit();
            TblCRData.setAsString(QStringLiteral("Header"), text);
        });
    });
    connect(DBEdit1, &QLineEdit::editingFinished, this,
            [this] { guarded([this] { DBEdit1Exit(); }); });

    // A tick is stored at once, whether a click or an assistive tool (whose
    // toggle makes no click) made it; the row's own values, shown below,
    // are not ticks.
    for (const BoundBox& bound : kBoundBoxes) {
        QCheckBox* box = this->*bound.box;
        const QString field = QLatin1String(bound.field);
        connect(box, &QCheckBox::toggled, this, [this, field](bool checked) {
            guarded([&] {
                if (!hasCurrentRow(TblCRData))
                    return;
                TblCRData.edit();
                TblCRData.setAsBoolean(field, checked);
                postOrCancel(TblCRData);
            });
            // A refused change shows the stored value again.
            showCurrentFieldRow();
        });
    }
    showCurrentFieldRow();
}

void TFrmCReport::showCurrentFieldRow()
{
    // Runs from the table's change signal: it must never throw.
    bool shown = false;
    try {
        if (hasCurrentRow(TblCRData)) {
            const QString header = TblCRData.asString(QStringLiteral("Header"));
            if (DBEdit1->text() != header) {
                const QSignalBlocker showing(DBEdit1);
                DBEdit1->setText(header);
            }
            for (const BoundBox& bound : kBoundBoxes) {
                const QSignalBlocker showing(this->*bound.box);
                (this->*bound.box)->setChecked(TblCRData.asBoolean(QLatin1String(bound.field)));
            }
            shown = true;
        }
    } catch (const DatabaseError&) {
        shown = false;
    }
    if (!shown) {
        const QSignalBlocker showing(DBEdit1);
        DBEdit1->clear();
        for (const BoundBox& bound : kBoundBoxes) {
            const QSignalBlocker showing(this->*bound.box);
            (this->*bound.box)->setChecked(false);
        }
    }
    DBEdit1->setEnabled(shown);
    for (const BoundBox& bound : kBoundBoxes)
        (this->*bound.box)->setEnabled(shown);
}

void TFrmCReport::DBEdit1Exit()
{
    if (!TblCRData.isActive() || !isEditing(TblCRData))
        return;
    const std::optional<QString> problem = ReportFile::checkHeader(
        TblCRData.asString(QStringLiteral("Field")), TblCRData.asString(QStringLiteral("Header")));
    if (!problem) {
        postOrCancel(TblCRData);
        return;
    }
    // The box waits until the focus has settled: this runs while the focus
    // leaves the box, often in the middle of a click elsewhere.
    TblCRData.cancel();
    showCurrentFieldRow();
    const QString message = *problem;
    QMetaObject::invokeMethod(
        this, [message] { ShowError(message); }, Qt::QueuedConnection);
}

void TFrmCReport::followHighlightedField()
{
    const int row = LBFieldDefs->currentRow();
    if (row < 0 || !TblCRData.isActive() || isEditing(TblCRData))
        return;
    TblCRData.setIndexName(QString());
    TblCRData.findKey({CaptionToField(EventKind, LBFieldDefs->item(row)->text())});
    CheckFieldTypes();
    showCurrentFieldRow();
}

void TFrmCReport::postPendingFieldEdit()
{
    if (TblCRData.isActive() && isEditing(TblCRData))
        postOrCancel(TblCRData);
}
