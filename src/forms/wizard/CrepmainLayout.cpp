// The layout of the fields in columns and print lines ("Column and Rows") and
// the default column positions ("Column Widths"). The arithmetic lives in
// Layout; the handlers here copy the results into the two grids.
#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "core/app/SharedRoutines.h"
#include "forms/wizard/BoundedSpinBox.h"
#include "forms/wizard/ListEntries.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTableWidget>

namespace {

// Sizes the cells of the layout grid so that its C x R cells fill the grid
// area, whenever the grid is laid out or changes size.
class LayoutCellSizer : public QObject
{
public:
    explicit LayoutCellSizer(QTableWidget* grid) : QObject(grid), m_grid(grid)
    {
        setObjectName(QStringLiteral("LayoutCellSizer"));
        grid->horizontalHeader()->setMinimumSectionSize(1);
        grid->verticalHeader()->setMinimumSectionSize(1);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->installEventFilter(this);
    }

    void apply() const
    {
        Layout::Grid shape;
        shape.columns = std::max(m_grid->columnCount(), 1);
        shape.rows = std::max(m_grid->rowCount(), 1);
        const QSize cell = Layout::cellSize(m_grid->viewport()->size(), shape);
        m_grid->horizontalHeader()->setDefaultSectionSize(std::max(cell.width(), 1));
        m_grid->verticalHeader()->setDefaultSectionSize(std::max(cell.height(), 1));
        for (int c = 0; c < m_grid->columnCount(); ++c)
            m_grid->setColumnWidth(c, std::max(cell.width(), 1));
        for (int r = 0; r < m_grid->rowCount(); ++r)
            m_grid->setRowHeight(r, std::max(cell.height(), 1));
    }

    static LayoutCellSizer* of(QTableWidget* grid)
    {
        auto* sizer = grid->findChild<QObject*>(QStringLiteral("LayoutCellSizer"),
                                                Qt::FindDirectChildrenOnly);
        if (!sizer)
            return new LayoutCellSizer(grid);
        return static_cast<LayoutCellSizer*>(sizer);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_grid && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
            apply();
        return QObject::eventFilter(watched, event);
    }

private:
    QTableWidget* m_grid;
};

} // namespace

void TFrmCReport::SetGrid()
{
    GridReady = false;
    const auto ready = qScopeGuard([this] { GridReady = true; });

    m_layoutGrid = Layout::SetGrid(entriesOf(m_ui->lbAllFields), m_ui->SpinCol->boundedValue(),
                                   m_ui->rbCustYes->isChecked());

    m_ui->StringGrid1->clearContents();
    m_ui->StringGrid1->setColumnCount(m_layoutGrid.columns);
    m_ui->StringGrid1->setRowCount(m_layoutGrid.rows);
    // The grid is display only, and so disabled; a screen reader reads it
    // from its description, one print line after the other, and hears an
    // empty place as what it is rather than the word drawn in it.
    QStringList spoken;
    for (int r = 0; r < m_layoutGrid.rows; ++r) {
        QStringList line;
        for (int c = 0; c < m_layoutGrid.columns; ++c) {
            const QString text = m_layoutGrid.text(c, r);
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignCenter);
            if (text == Layout::blankCell())
                item->setData(Qt::AccessibleTextRole, tr("no field"));
            else
                line << text;
            m_ui->StringGrid1->setItem(r, c, item);
        }
        spoken << tr("Line %1: %2.").arg(r + 1).arg(line.join(QStringLiteral(", ")));
    }
    m_ui->StringGrid1->setAccessibleDescription(spoken.join(QLatin1Char(' ')));
    m_ui->Label111->setText(QString::number(m_layoutGrid.rows));
    LayoutCellSizer::of(m_ui->StringGrid1)->apply();

    // The message comes once, and again only after a layout that fitted: the
    // page flow and the column count can lay out the same fields twice in a
    // row.
    if (!m_layoutGrid.overflowed)
        m_tooManyFields.reset();
    else if (m_tooManyFields.take(m_layoutGrid))
        showError(Layout::tooManyFieldsMessage());
}

void TFrmCReport::SpinColChange()
{
    ++m_controlInput;
    const auto done = qScopeGuard([this] { --m_controlInput; });
    // A count the user changes, by mouse, wheel or keyboard, asks for fresh
    // positions on "Column Widths"; one the program sets does not.
    if (!m_settingColumns)
        FieldsChanged = true;
    if (GridReady)
        SetGrid();
}

void TFrmCReport::SpinColClick() { FieldsChanged = true; }

void TFrmCReport::setColumnCount(int columns)
{
    m_settingColumns = true;
    const auto done = qScopeGuard([this] { m_settingColumns = false; });
    m_ui->SpinCol->setValue(columns);
}

bool TFrmCReport::storedPositionsStillFit() const
{
    return m_storedPositions.valid && m_storedPositions.order == entriesOf(m_ui->lbAllFields) &&
           m_storedPositions.columns == m_ui->SpinCol->boundedValue() &&
           m_storedPositions.width == m_ui->SpinMargin->boundedValue();
}

void TFrmCReport::FillColTable()
{
    // Positions the user has stored are shown again as long as the layout
    // they were made for stands: same fields in the same order, same column
    // count, same printable width.
    if (Layout::usesStoredPositions(WizardMode, FieldsChanged) || storedPositionsStillFit()) {
        FillColTableFromRows();
        return;
    }

    const QStringList order = entriesOf(m_ui->lbAllFields);
    QStringList previousLines;
    for (int r = 0; r < m_ui->sgCol->rowCount(); ++r) {
        const QTableWidgetItem* item = m_ui->sgCol->item(r, 1);
        previousLines << (item ? item->text() : QString());
    }
    const QList<QStringList> rows = Layout::FillColTable(
        order, m_layoutGrid,
        Layout::detailLevelShown(m_ui->rbCustYes->isChecked(), WizardMode, FieldsChanged),
        m_ui->SpinMargin->boundedValue(), previousLines);

    // The title row is the grid's header; "Field" and "Line" cannot be edited.
    m_ui->sgCol->clearContents();
    m_ui->sgCol->setColumnCount(4);
    m_ui->sgCol->setHorizontalHeaderLabels(rows.value(0));
    m_ui->sgCol->setRowCount(int(rows.size()) - 1);
    for (int r = 1; r < rows.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(rows.at(r).value(c));
            if (c < 2)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            m_ui->sgCol->setItem(r - 1, c, item);
        }
    }
    m_ui->sgCol->resizeColumnToContents(0);
    m_ui->sgCol->resizeRowsToContents();

    m_ui->LBFieldDefs->clear();
    m_ui->LBFieldDefs->addItems(order);
}
