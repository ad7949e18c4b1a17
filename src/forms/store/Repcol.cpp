#include "forms/store/Repcol.h"

#include "ui_Repcol.h"

#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "core/store/ColumnCheck.h"
#include "core/store/WorkingTable.h"
#include "core/wizard/DatabaseAlias.h"
#include "engine/DatabaseError.h"
#include "engine/Table.h"
#include "forms/store/ColumnPreviewWidget.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <climits>
#include <exception>
#include <optional>
#include <utility>

namespace {

struct GridColumn
{
    const char* caption;
    const char* field;
    int widthChars;
    bool editable;
};
// The grid's columns: the field name (read-only) and the three positions.
constexpr GridColumn kColumns[] = {
    {"Field", "Field", 20, false},
    {"Line", "Line", 8, true},
    {"Left Margin", "LPosition", 12, true},
    {"Right Margin", "RPosition", 12, true},
};
constexpr int kColumnCount = int(std::size(kColumns));

// Limits of the editable columns: print lines 1 to 9, margins 1 to 300.
struct Limit
{
    const char* field;
    int minimum;
    int maximum;
};
constexpr Limit kLimits[] = {{"Line", 1, 9}, {"LPosition", 1, 300}, {"RPosition", 1, 300}};

void showInformation(const QString& text)
{
    Platform::instance().messageBox(Platform::Icon::Information, text, Platform::Buttons::Ok);
}

// Runs work with the cursor's bound controls suspended.
template <typename F> auto withControlsDisabled(Table& table, F&& work)
{
    table.disableControls();
    struct Resume
    {
        Table& t;
        ~Resume() { t.enableControls(); }
    } resume{table};
    return work();
}
std::optional<int> optionalInt(const Table& table, const QString& field)
{
    if (table.isNull(field))
        return std::nullopt;
    return table.asInteger(field);
}
} // namespace

TFrmColumn::TFrmColumn(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFrmColumn>()), m_table(new Table(this))
{
    m_ui->setupUi(this);
    m_table->setObjectName(QStringLiteral("tblColumn"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    QTableWidget* grid = m_ui->DBGrid1;
    const int charWidth = grid->fontMetrics().averageCharWidth();
    QStringList captions;
    int totalWidth = 0;
    for (int c = 0; c < kColumnCount; ++c) {
        captions << QString::fromLatin1(kColumns[c].caption);
        const int width = qMax(kColumns[c].widthChars * charWidth + 12,
                               grid->fontMetrics().horizontalAdvance(captions.last()) + 16);
        grid->setColumnWidth(c, width);
        totalWidth += width;
    }
    grid->setHorizontalHeaderLabels(captions);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setMinimumWidth(totalWidth + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                          2 * grid->frameWidth() + 4);

    connect(grid, &QTableWidget::itemChanged, this, &TFrmColumn::gridItemChanged);
    connect(grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (m_reloadAfterEdit)
            scheduleReload();
    });
    connect(m_ui->BtnOK, &QPushButton::clicked, this, &TFrmColumn::BtnOKClick);
    connect(m_ui->BtnCheck, &QPushButton::clicked, this, &TFrmColumn::BtnCheckClick);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &TFrmColumn::BtnCancelClick);
    // "Pre&view" beside "Check for Errors", shown once a preview action is set.
    if (auto* buttons = findChild<QBoxLayout*>(QStringLiteral("buttonLayout"))) {
        m_previewButton = new QPushButton(QStringLiteral("Pre&view"), this);
        m_previewButton->setObjectName(QStringLiteral("BtnPreview"));
        m_previewButton->setAutoDefault(false);
        m_previewButton->hide();
        buttons->insertWidget(buttons->indexOf(m_ui->BtnCheck) + 1, m_previewButton);
        connect(m_previewButton, &QPushButton::clicked, this, &TFrmColumn::BtnPreviewClick);
    }
    // The live page preview under the grid; it edits through the grid's cells.
    if (auto* mainBox = qobject_cast<QBoxLayout*>(layout())) {
        ColumnPreviewWidget* preview =
            ColumnPreviewWidget::addTo(mainBox, grid, 0, 3, mainBox->indexOf(grid) + 1);
        preview->setPrintableWidthSource([this] { return m_ui->LblMargin->text().toInt(); });
        preview->setHeaderTable(DatabaseAlias);
    }
    // The grid follows its cursor, unless the cursor's controls are
    // suspended. The reload waits for the event loop: a change is often
    // reported while the grid is still inside the edit that caused it.
    connect(m_table, &Table::dataChanged, this, [this] {
        if (!m_loading && m_table->isActive())
            scheduleReload();
    });
}

TFrmColumn::~TFrmColumn()
{
    // The grid is going away; it must not hear from its cursor any more.
    m_table->disconnect(this);
}

void TFrmColumn::openTable(const QString& alias)
{
    m_table->setDatabaseName(alias);
    m_table->setTableName(WorkingTable::tableName);
    // Refusals name a column as the grid shows it ("Right Margin").
    for (const GridColumn& column : kColumns)
        m_table->setDisplayLabel(QString::fromLatin1(column.field),
                                 QString::fromLatin1(column.caption));
    for (const Limit& limit : kLimits) {
        m_table->setRange(QString::fromLatin1(limit.field), limit.minimum, limit.maximum);
        m_table->setRequired(QString::fromLatin1(limit.field), true);
    }
    m_table->open();
    m_table->setIndexName(WorkingTable::printOrderIndex);

    m_original.clear();
    withControlsDisabled(*m_table, [this] {
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            m_original.insert(m_table->asString(WorkingTable::Field),
                              {m_table->value(WorkingTable::Line),
                               m_table->value(WorkingTable::LPosition),
                               m_table->value(WorkingTable::RPosition)});
        }
        m_table->first();
    });
    loadGrid();
}

void TFrmColumn::setReportName(const QString& description)
{
    m_ui->LblReportName->setText(description);
}

void TFrmColumn::setMargin(int printableWidth)
{
    m_ui->LblMargin->setText(QString::number(printableWidth));
}

void TFrmColumn::scheduleReload()
{
    if (m_reloadPending)
        return;
    m_reloadPending = true;
    QMetaObject::invokeMethod(this, &TFrmColumn::loadGrid, Qt::QueuedConnection);
}

void TFrmColumn::loadGrid()
{
    m_reloadPending = false;
    if (!m_table->isActive())
        return;
    QTableWidget* grid = m_ui->DBGrid1;
    // Refilling the grid under an open cell editor would throw away what the
    // user is typing; the grid is read again once the editor closes.
    const QList<QWidget*> editors =
        grid->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* editor : editors) {
        if (editor->isVisible()) {
            m_reloadAfterEdit = true;
            return;
        }
    }
    m_reloadAfterEdit = false;
    const int currentColumn = qMax(grid->currentColumn(), 1);
    const QString currentField = grid->currentRow() >= 0 && grid->item(grid->currentRow(), 0)
                                     ? grid->item(grid->currentRow(), 0)->text()
                                     : QString();

    m_loading = true;
    QList<QStringList> rows;
    withControlsDisabled(*m_table, [this, &rows] {
        const int position = m_table->recNo();
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            QStringList cells;
            for (const GridColumn& column : kColumns)
                cells << m_table->asString(QString::fromLatin1(column.field));
            rows << cells;
        }
        if (position >= 0)
            m_table->moveTo(position);
    });

    grid->clearContents();
    grid->setRowCount(int(rows.size()));
    int newCurrentRow = rows.isEmpty() ? -1 : 0;
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kColumnCount; ++c) {
            auto* item = new QTableWidgetItem(rows[r].value(c));
            if (!kColumns[c].editable)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            else
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(r, c, item);
        }
        if (rows[r].value(0) == currentField)
            newCurrentRow = r;
    }
    if (newCurrentRow >= 0)
        grid->setCurrentCell(newCurrentRow, currentColumn);
    m_loading = false;
}

bool TFrmColumn::locate(const QString& field)
{
    for (m_table->first(); !m_table->eof(); m_table->next()) {
        if (m_table->asString(WorkingTable::Field) == field)
            return true;
    }
    return false;
}

void TFrmColumn::gridItemChanged(QTableWidgetItem* item)
{
    if (m_loading || !item)
        return;
    const int column = item->column();
    if (column <= 0 || column >= kColumnCount || !kColumns[column].editable)
        return;
    const QTableWidgetItem* fieldItem = m_ui->DBGrid1->item(item->row(), 0);
    if (!fieldItem)
        return;
    // The grid reports the change while it is still committing its editor,
    // which it closes right after. A refusal opens a modal box, and a box
    // opened now would run while the editor is half gone; so the cell is
    // stored once the grid has finished, from the event loop (or at once,
    // when a button needs every typed value first).
    m_pendingCells.append({fieldItem->text(), column, item->text().trimmed()});
    if (!m_storePending) {
        m_storePending = true;
        QMetaObject::invokeMethod(
            this, [this] { storePendingCells(); }, Qt::QueuedConnection);
    }
}

bool TFrmColumn::storePendingCells()
{
    m_storePending = false;
    const QList<PendingCell> cells = std::exchange(m_pendingCells, {});
    if (cells.isEmpty() || !m_table->isActive())
        return true;
    // The grid is read again once, below, not after every post.
    m_loading = true;
    struct Loaded
    {
        bool& flag;
        ~Loaded() { flag = false; }
    };
    QString error;
    {
        Loaded loaded{m_loading};
        for (const PendingCell& cell : cells) {
            error = storeCell(cell);
            if (!error.isEmpty())
                break; // the edits after a refused one are dropped with it
        }
    }
    // Show what the table holds now: the new order after a post, or the old
    // value after a refusal, before the user reads why.
    loadGrid();
    if (!error.isEmpty()) {
        ShowError(error);
        return false;
    }
    return true;
}

QString TFrmColumn::storeCell(const PendingCell& cell)
{
    const QString fieldName = QString::fromLatin1(kColumns[cell.column].field);
    QString error;
    withControlsDisabled(*m_table, [&] {
        if (!locate(cell.field))
            return;
        try {
            // Each cell is stored on its own, so only the cell typed into
            // must have a value: a row that came with blank positions can be
            // filled in one cell at a time.
            for (const Limit& limit : kLimits) {
                const QString name = QString::fromLatin1(limit.field);
                m_table->setRequired(name, name == fieldName);
            }
            m_table->edit();
            m_table->setAsString(fieldName, cell.text);
            m_table->post();
        } catch (const DatabaseError& e) {
            if (m_table->state() != Table::State::Browse)
                m_table->cancel();
            error = e.message();
        }
    });
    return error;
}

bool TFrmColumn::CheckColumnPositions(int maxMargin, Table& table)
{
    // The rows are read in print order with the bound controls suspended,
    // and the cursor is put back on the row it stood on.
    QList<ColumnRow> rows;
    withControlsDisabled(table, [&] {
        const QString current =
            table.recNo() >= 0 ? table.asString(WorkingTable::Field) : QString();
        table.setIndexName(WorkingTable::printOrderIndex);
        int position = -1;
        for (table.first(); !table.eof(); table.next()) {
            const QString field = table.asString(WorkingTable::Field);
            if (field == current)
                position = int(rows.size());
            rows << ColumnRow{field, optionalInt(table, WorkingTable::Line),
                              optionalInt(table, WorkingTable::LPosition),
                              optionalInt(table, WorkingTable::RPosition)};
        }
        table.moveTo(qMax(position, 0));
    });
    const ColumnCheckResult result = ColumnCheck::CheckColumnPositions(maxMargin, rows);
    if (result.ok())
        return true;
    Platform::instance().messageBox(Platform::Icon::Warning, result.message, Platform::Buttons::Ok);
    return false;
}

void TFrmColumn::BtnCheckClick()
{
    if (!storePendingCells())
        return;
    const int maxMargin = m_ui->LblMargin->text().toInt();
    if (CheckColumnPositions(maxMargin, *m_table))
        showInformation(ColumnCheck::editorOkText());
}

void TFrmColumn::BtnOKClick()
{
    // A value typed just before the click is stored first; a refused one
    // keeps the dialog open.
    if (!storePendingCells())
        return;
    if (m_saveAction) {
        QString error;
        try {
            m_saveAction();
        } catch (const DatabaseError& e) {
            error = e.message();
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        if (!error.isEmpty()) {
            ShowError(error);
            return;
        }
    }
    showInformation(QStringLiteral("Report successfully modified."));
    accept();
}

void TFrmColumn::BtnCancelClick() { reject(); }

void TFrmColumn::setPreviewAction(std::function<void()> action)
{
    m_previewAction = std::move(action);
    if (m_previewButton)
        m_previewButton->setVisible(bool(m_previewAction));
}

void TFrmColumn::BtnPreviewClick()
{
    // The pages show the positions as typed, so they are stored first (a
    // cell still open is committed by taking the focus from it); a refused
    // value keeps the preview closed.
    if (m_previewButton && m_ui->DBGrid1->isAncestorOf(QApplication::focusWidget()))
        m_previewButton->setFocus();
    if (!storePendingCells() || !m_previewAction)
        return;
    try {
        m_previewAction();
    } catch (const DatabaseError& e) {
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
}

void TFrmColumn::reject()
{
    // Values typed but not yet stored go with the rest.
    m_pendingCells.clear();
    try {
        restoreOriginalPositions();
    } catch (const DatabaseError& e) {
        // The dialog closes all the same; the next operation empties the
        // working table anyway.
        ShowError(e.message());
    }
    QDialog::reject();
}

void TFrmColumn::restoreOriginalPositions()
{
    if (!m_table->isActive() || m_original.isEmpty())
        return;
    // Values found when the dialog opened may lie outside the editing limits
    // (lines above 9 come from the layout grid) or be blank; put them back
    // unchecked.
    for (const Limit& limit : kLimits) {
        m_table->setRange(QString::fromLatin1(limit.field), INT_MIN, INT_MAX);
        m_table->setRequired(QString::fromLatin1(limit.field), false);
    }
    withControlsDisabled(*m_table, [this] {
        if (m_table->state() != Table::State::Browse)
            m_table->cancel();
        // Lines may change the order while we go, so look each field up anew.
        for (auto it = m_original.cbegin(); it != m_original.cend(); ++it) {
            if (!locate(it.key()))
                continue;
            const QVariantList& values = it.value();
            if (m_table->value(WorkingTable::Line) == values[0] &&
                m_table->value(WorkingTable::LPosition) == values[1] &&
                m_table->value(WorkingTable::RPosition) == values[2])
                continue;
            m_table->edit();
            m_table->setValue(WorkingTable::Line, values[0]);
            m_table->setValue(WorkingTable::LPosition, values[1]);
            m_table->setValue(WorkingTable::RPosition, values[2]);
            m_table->post();
        }
    });
}
