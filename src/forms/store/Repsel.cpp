#include "forms/store/Repsel.h"

#include "ui_Repsel.h"

#include "core/app/SharedRoutines.h"
#include "core/store/ReportList.h"
#include "core/wizard/DatabaseAlias.h"
#include "engine/OwnerFile.h"
#include "forms/app/SelectionFollow.h"

#include <QDir>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>

namespace {
const QString kModeDelete = QStringLiteral("DELETE");
// Rows the grid shows before anything is listed (below its header).
constexpr int kEmptyRows = 19;

// The name cell keeps, besides the listed name, the name the folder holds
// the file under: the listed name is in lower case and may be shared by two
// files, or not be the file's bytes at all.
constexpr int kDiskNameRole = Qt::UserRole;

void setCell(QTableWidget* grid, int row, int column, const QString& text,
             const QVariant& diskName = QVariant())
{
    auto* item = grid->item(row, column);
    if (!item) {
        // Made with its text: the grid hears of the new cell once.
        item = new QTableWidgetItem(text);
        item->setData(kDiskNameRole, diskName);
        grid->setItem(row, column, item);
        return;
    }
    item->setText(text);
    item->setData(kDiskNameRole, diskName);
}

QVariant diskNameOf(const QTableWidget* grid, int row, int column)
{
    const auto* item = grid->item(row, column);
    return item ? item->data(kDiskNameRole) : QVariant();
}

QString cellText(const QTableWidget* grid, int row, int column)
{
    const auto* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

TFrmSelect::TFrmSelect(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TFrmSelect>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_ui->grid->setColumnWidth(0, 248);
    m_ui->grid->setColumnWidth(1, 97);
    m_ui->grid->setColumnWidth(2, 115);
    m_ui->grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Room for the three columns and a vertical scroll bar.
    m_ui->grid->setMinimumWidth(248 + 97 + 115 + 2 * m_ui->grid->frameWidth() +
                                m_ui->grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    m_ui->grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ui->grid->verticalHeader()->setDefaultSectionSize(m_ui->grid->fontMetrics().height() + 6);

    connect(m_ui->BtnOk, &QPushButton::clicked, this, &TFrmSelect::BtnOkClick);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &TFrmSelect::BtnCancelClick);
    connect(m_ui->grid, &QTableWidget::cellDoubleClicked, this, [this] { BtnOkClick(); });
    // A report chosen through an assistive tool is the one OK takes.
    followSelection(m_ui->grid);

    FormCreate();
}

TFrmSelect::~TFrmSelect() = default;

void TFrmSelect::FormCreate()
{
    if (!LoadIntoGrid())
        m_ui->BtnOk->setEnabled(false);
    m_ui->grid->setHorizontalHeaderLabels(
        {QStringLiteral("Description"), QStringLiteral("Type"), QStringLiteral("Name")});
    m_ui->grid->setFocus();
}

void TFrmSelect::setTitle(const QString& title) { m_ui->LblTitle->setText(title); }

void TFrmSelect::setSelectMode(const QString& mode) { SelectMode = mode; }

bool TFrmSelect::LoadIntoGrid()
{
    QTableWidget* grid = m_ui->grid;
    grid->clearContents();
    grid->setRowCount(kEmptyRows);

    // The whole folder name is used, however long: later file access by bare
    // report name relies on this folder being current.
    const QString folder = AliasPath(DatabaseAlias);
    // What killed saves left behind goes before the folder is read.
    OwnerFile::removeStaleTemporaries(folder);
    QString error;
    const QList<ReportListEntry> entries = ReportList::list(folder, &error);
    if (!error.isEmpty() || !QDir::setCurrent(folder)) {
        ShowError(error.isEmpty() ? QStringLiteral("The data folder %1 cannot be opened.")
                                        .arg(QDir::toNativeSeparators(folder))
                                  : error);
        return false;
    }
    if (entries.isEmpty()) {
        ShowError(ReportList::noReportsText(folder));
        return false;
    }

    // The grid grows once, not row by row: each growth costs the view a
    // relayout.
    grid->setRowCount(int(entries.size()));
    int row = 0;
    {
        // The view hears of the new cells once, below, instead of once per
        // cell: thousands of reports made thousands of repaint requests.
        const QSignalBlocker quiet(grid->model());
        for (const ReportListEntry& entry : entries) {
            setCell(grid, row, 0, entry.description);
            setCell(grid, row, 1, entry.type);
            setCell(grid, row, 2, entry.name, entry.diskName);
            ++row;
        }
    }
    if (row > 0) {
        QAbstractItemModel* model = grid->model();
        emit model->dataChanged(model->index(0, 0), model->index(row - 1, grid->columnCount() - 1));
    }
    // The rows come in the order of the listing: by description.
    grid->setRowCount(row);
    m_ui->lblCount->setText(QString::number(row));
    grid->setCurrentCell(0, 0);
    grid->selectRow(0);
    return true;
}

void TFrmSelect::BtnOkClick()
{
    const int row = m_ui->grid->currentRow();
    const QString fileName = row < 0 ? QString() : cellText(m_ui->grid, row, 2);
    // A row that holds no report (the empty grid after "no report files")
    // gives nothing to open or delete.
    if (fileName.isEmpty())
        return;
    // What is deleted or opened is the file of this row, by the name the
    // folder holds it under.
    const QVariant stored = diskNameOf(m_ui->grid, row, 2);
    const QString diskName = stored.isValid() ? stored.toString() : fileName;

    if (SelectMode == kModeDelete) {
        if (!ConfirmDefaultNo(ReportList::deleteQuestion(fileName)))
            return;
        if (!ReportList::remove(AliasPath(DatabaseAlias), diskName)) {
            ShowError(QStringLiteral("Unable to delete report"));
            return;
        }
        accept();
        return;
    }

    m_reportFile = fileName;
    m_reportDiskName = diskName;
    accept();
}

void TFrmSelect::BtnCancelClick() { reject(); }
