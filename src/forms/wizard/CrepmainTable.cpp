// The working table CRDATA.DB: creating and emptying it, recording the
// selected fields, storing their order and positions, and the controls of
// "Field Definitions" that edit its current row.
#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "core/app/SharedRoutines.h"
#include "core/catalogue/ContactFields.h"
#include "core/catalogue/EventFields.h"
#include "core/store/ReportFile.h"
#include "core/store/WorkingTable.h"
#include "core/wizard/DatabaseAlias.h"
#include "engine/DatabaseError.h"
#include "forms/wizard/ListEntries.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTableWidget>

void TFrmCReport::CreateDataTable() { WorkingTable::create(TblCRData, DatabaseAlias); }

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
    WorkingTable::empty(table);
}

void TFrmCReport::RecordDBType(const QString& fieldName, const QString& header, Table& table,
                               int dbType)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    WorkingTable::recordField(table, fieldName, header, dbType);
}

void TFrmCReport::removeRowsExcept(const QStringList& fields, Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    WorkingTable::removeRowsExcept(table, fields);
}

void TFrmCReport::WriteFieldOrders(Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    QStringList fields;
    for (const QString& entry : entriesOf(m_ui->lbAllFields))
        fields << CaptionToField(EventKind, entry);
    WorkingTable::writeOrders(table, fields);
}

void TFrmCReport::WriteColWidthsGridToTable(Table& table)
{
    table.open();
    if (&table == &TblCRData)
        postPendingFieldEdit();
    auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = m_ui->sgCol->item(row, column);
        return item ? item->text() : QString();
    };
    // sgCol's title row is its header; grid row r (from 1) is table row r - 1.
    QList<ColumnPositionTexts> rows;
    for (int r = 0; r < m_ui->sgCol->rowCount(); ++r) {
        const QListWidgetItem* entry = m_ui->lbAllFields->item(r);
        rows << ColumnPositionTexts{CaptionToField(EventKind, cell(r, 0)),
                                    entry ? entry->text() : QString(), cell(r, 1), cell(r, 2),
                                    cell(r, 3)};
    }
    WorkingTable::writePositions(table, rows);
    if (&table == &TblCRData) {
        m_storedPositions.order = entriesOf(m_ui->lbAllFields);
        m_storedPositions.columns = m_ui->SpinCol->boundedValue();
        m_storedPositions.width = m_ui->SpinMargin->boundedValue();
        m_storedPositions.valid = true;
    }
}

void TFrmCReport::CheckFieldTypes()
{
    if (!WorkingTable::hasCurrentRow(TblCRData))
        return;
    // Only the contact table's column list is needed: its header is read,
    // never its rows.
    const SummaryOptions options =
        ::CheckFieldTypes(TblContact.fieldDefs(), TblCRData.asString(WorkingTable::Field));
    m_ui->DBCBTotal->setVisible(options.totaled);
    m_ui->DBCBCount->setVisible(options.counted);
    m_ui->DBCBAverage->setVisible(options.averaged);
    m_ui->DBCBMin->setVisible(options.minValue);
    m_ui->DBCBMax->setVisible(options.maxValue);
}

// ---- The controls of "Field Definitions", bound to the current row --------

namespace {

struct BoundBox
{
    QCheckBox* Ui::TFrmCReport::*box;
    const QString* field;
};

const BoundBox kBoundBoxes[] = {
    {&Ui::TFrmCReport::cbDotLead, &WorkingTable::LDots},
    {&Ui::TFrmCReport::cbDotTrail, &WorkingTable::RDots},
    {&Ui::TFrmCReport::DBCBTotal, &WorkingTable::Total},
    {&Ui::TFrmCReport::DBCBCount, &WorkingTable::Count},
    {&Ui::TFrmCReport::DBCBAverage, &WorkingTable::Average},
    {&Ui::TFrmCReport::DBCBMin, &WorkingTable::Min},
    {&Ui::TFrmCReport::DBCBMax, &WorkingTable::Max},
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
    connect(m_ui->DBEdit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        guarded([&] {
            if (!WorkingTable::hasCurrentRow(TblCRData))
                return;
            TblCRData.edit();
            TblCRData.setAsString(WorkingTable::Header, text);
        });
    });
    connect(m_ui->DBEdit1, &QLineEdit::editingFinished, this,
            [this] { guarded([this] { DBEdit1Exit(); }); });

    // A tick is stored at once, whether a click or an assistive tool (whose
    // toggle makes no click) made it; the row's own values, shown below,
    // are not ticks.
    for (const BoundBox& bound : kBoundBoxes) {
        QCheckBox* box = (*m_ui).*bound.box;
        const QString field = *bound.field;
        connect(box, &QCheckBox::toggled, this, [this, field](bool checked) {
            guarded([&] {
                if (!WorkingTable::hasCurrentRow(TblCRData))
                    return;
                TblCRData.edit();
                TblCRData.setAsBoolean(field, checked);
                WorkingTable::postOrCancel(TblCRData);
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
        if (WorkingTable::hasCurrentRow(TblCRData)) {
            const QString header = TblCRData.asString(WorkingTable::Header);
            if (m_ui->DBEdit1->text() != header) {
                const QSignalBlocker showing(m_ui->DBEdit1);
                m_ui->DBEdit1->setText(header);
            }
            for (const BoundBox& bound : kBoundBoxes) {
                const QSignalBlocker showing((*m_ui).*bound.box);
                ((*m_ui).*bound.box)->setChecked(TblCRData.asBoolean(*bound.field));
            }
            shown = true;
        }
    } catch (const DatabaseError&) {
        shown = false;
    }
    if (!shown) {
        const QSignalBlocker showing(m_ui->DBEdit1);
        m_ui->DBEdit1->clear();
        for (const BoundBox& bound : kBoundBoxes) {
            const QSignalBlocker showing((*m_ui).*bound.box);
            ((*m_ui).*bound.box)->setChecked(false);
        }
    }
    m_ui->DBEdit1->setEnabled(shown);
    for (const BoundBox& bound : kBoundBoxes)
        ((*m_ui).*bound.box)->setEnabled(shown);
}

void TFrmCReport::DBEdit1Exit()
{
    if (!TblCRData.isActive() || !WorkingTable::isEditing(TblCRData))
        return;
    const std::optional<QString> problem = ReportFile::checkHeader(
        TblCRData.asString(WorkingTable::Field), TblCRData.asString(WorkingTable::Header));
    if (!problem) {
        WorkingTable::postOrCancel(TblCRData);
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
    const int row = m_ui->LBFieldDefs->currentRow();
    if (row < 0 || !TblCRData.isActive() || WorkingTable::isEditing(TblCRData))
        return;
    TblCRData.setIndexName(QString());
    TblCRData.findKey({CaptionToField(EventKind, m_ui->LBFieldDefs->item(row)->text())});
    CheckFieldTypes();
    showCurrentFieldRow();
}

void TFrmCReport::postPendingFieldEdit()
{
    if (TblCRData.isActive() && WorkingTable::isEditing(TblCRData))
        WorkingTable::postOrCancel(TblCRData);
}
