#include "forms/preview/ColumnFitWarnings.h"

#include "core/catalogue/EventFields.h"
#include "core/store/PreviewRenderer.h"
#include "forms/preview/BackgroundScan.h"

#include <QApplication>
#include <QBoxLayout>
#include <QBrush>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

QString cellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().trimmed() : QString();
}

// The layout that holds a widget, searched from the top of its parent.
QBoxLayout* layoutHolding(QLayout* layout, QWidget* widget, int* index)
{
    if (!layout)
        return nullptr;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) {
            *index = i;
            return qobject_cast<QBoxLayout*>(layout);
        }
        if (QBoxLayout* inner = layoutHolding(item->layout(), widget, index))
            return inner;
    }
    return nullptr;
}

} // namespace

QRgb ColumnFitWarnings::warningColour() { return PreviewRenderer::warningFillColour(); }

ColumnFitWarnings::ColumnFitWarnings(QTableWidget* grid, std::function<ReportFileContent()> report,
                                     std::function<QString()> dataFolder, QStringList passwords)
    : QObject(grid), m_grid(grid), m_report(std::move(report)), m_dataFolder(std::move(dataFolder)),
      m_passwords(std::move(passwords))
{
    m_row = new QWidget(grid->parentWidget());
    m_row->setObjectName(QStringLiteral("FitWarnings"));
    auto* box = new QHBoxLayout(m_row);
    box->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(m_row);
    m_label->setObjectName(QStringLiteral("LblFitWarnings"));
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for two lines of warnings, kept when the window's size is fixed.
    m_label->setMinimumHeight(2 * m_label->fontMetrics().lineSpacing() + 2);
    m_bar = new QProgressBar(m_row);
    m_bar->setObjectName(QStringLiteral("FitProgress"));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_bar->setMaximumWidth(120);
    m_bar->hide();
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), m_row);
    m_cancelButton->setObjectName(QStringLiteral("BtnFitCancel"));
    m_cancelButton->setAutoDefault(false);
    m_cancelButton->hide();
    box->addWidget(m_label, 1);
    box->addWidget(m_bar);
    box->addWidget(m_cancelButton);
    int index = -1;
    if (QBoxLayout* holder = layoutHolding(grid->parentWidget()->layout(), grid, &index))
        holder->insertWidget(index + 1, m_row);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
    connect(grid, &QTableWidget::itemChanged, this, [this] {
        if (!m_colouring)
            scheduleCheck();
    });
    connect(grid->model(), &QAbstractItemModel::modelReset, this,
            &ColumnFitWarnings::scheduleCheck);
    connect(grid->model(), &QAbstractItemModel::rowsInserted, this,
            &ColumnFitWarnings::scheduleCheck);
    grid->installEventFilter(this);
    m_scan = new BackgroundScan(m_bar, m_cancelButton, this);
    connect(m_scan, &BackgroundScan::done, this, &ColumnFitWarnings::scanDone);
}

ColumnFitWarnings::~ColumnFitWarnings()
{
    // The reading is stopped (and waited for) before the rest goes.
    delete m_scan;
}

bool ColumnFitWarnings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::Show)
        scheduleCheck();
    return QObject::eventFilter(watched, event);
}

void ColumnFitWarnings::scheduleCheck()
{
    if (m_checkQueued)
        return;
    m_checkQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_checkQueued = false;
        check();
    });
}

QString ColumnFitWarnings::fieldSignature() const
{
    QStringList fields;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        fields << cellText(m_grid, r, 0);
    return fields.join(QLatin1Char('\n'));
}

void ColumnFitWarnings::check()
{
    if (!m_grid || !m_grid->isVisible())
        return;
    if (fieldSignature() != m_signature && !m_scan->running())
        rescan();
    colour();
}

void ColumnFitWarnings::rescan()
{
    m_signature = fieldSignature();
    m_plan = ReportPlan::make(m_dataFolder(), m_report(), m_passwords);
    m_scan->start(m_plan);
    colour();
}

bool ColumnFitWarnings::running() const { return m_scan->running(); }

bool ColumnFitWarnings::finished() const { return m_scan->ended() && m_scan->result().finished; }

void ColumnFitWarnings::waitForScan() { m_scan->wait(); }

void ColumnFitWarnings::cancel() { m_scan->cancel(); }

void ColumnFitWarnings::scanDone()
{
    // Fields that changed while the tables were read are read again.
    if (!m_scan->cancelled() && m_grid && fieldSignature() != m_signature)
        scheduleCheck();
    colour();
}

QString ColumnFitWarnings::rowWarning(int row) const { return m_warnings.value(row); }

void ColumnFitWarnings::colour()
{
    if (!m_grid)
        return;
    m_colouring = true;
    m_warnings.clear();
    const QString kind = eventKeywordOf(m_plan.report.kind);
    QStringList lines;
    // A cell is being typed in when the focus is in an editor on the grid.
    const QWidget* focus = QApplication::focusWidget();
    const bool editing =
        focus && focus != m_grid->viewport() && m_grid->viewport()->isAncestorOf(focus);
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        const QString entry = cellText(m_grid, r, 0);
        const QString name = CaptionToField(kind, entry);
        QString warning;
        if (finished()) {
            bool okLeft = false, okRight = false;
            const int left = cellText(m_grid, r, 2).toInt(&okLeft);
            const int right = cellText(m_grid, r, 3).toInt(&okRight);
            for (int i = 0; i < m_plan.fields.size(); ++i) {
                if (m_plan.fields[i].def.field.compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                if (okLeft && okRight && right >= left)
                    warning = fitMessage(m_scan->result().fit.value(i), right - left + 1);
                break;
            }
        }
        if (!warning.isEmpty()) {
            m_warnings.insert(r, warning);
            lines << QStringLiteral("%1: %2").arg(entry, warning);
        }
        // Only what changes is set: a change of a cell being typed in would
        // put the stored text back into its editor.
        const QVariant background =
            warning.isEmpty() ? QVariant() : QVariant(QBrush(QColor::fromRgb(warningColour())));
        for (int c = 0; c < m_grid->columnCount(); ++c) {
            QTableWidgetItem* item = m_grid->item(r, c);
            if (!item || (editing && item == m_grid->currentItem()))
                continue;
            if (item->data(Qt::BackgroundRole) != background)
                item->setData(Qt::BackgroundRole, background);
            if (item->toolTip() != warning)
                item->setToolTip(warning);
        }
    }
    m_colouring = false;
    const ScanResult& scan = m_scan->result();
    if (m_scan->running())
        m_label->setText(QStringLiteral("Fit check: reading the tables..."));
    else if (m_scan->ended() && !scan.finished)
        m_label->setText(scan.error.isEmpty()
                             ? QStringLiteral("Fit check not finished: the reading was cancelled.")
                             : QStringLiteral("Fit check not finished: %1").arg(scan.error));
    else if (!m_scan->ended())
        m_label->clear();
    else if (lines.isEmpty())
        m_label->setText(QStringLiteral("Fit check: every value fits its column."));
    else
        m_label->setText(QStringLiteral("Fit check: ") + lines.join(QLatin1Char('\n')));
}
