#include "forms/preview/ReportPreviewWindow.h"

#include "forms/preview/BackgroundScan.h"

#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "core/wizard/DatabaseAlias.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

ReportPreviewWindow::ReportPreviewWindow(const ReportFileContent& report, const QString& dataFolder,
                                         const QStringList& passwords, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportPreviewWindow"));
    setWindowTitle(QStringLiteral("Report Preview"));
    m_plan = ReportPlan::make(dataFolder, report, passwords);
    m_model = std::make_unique<PageModel>(m_plan);
    m_rows = std::make_unique<RowSource>(m_plan);

    auto* box = new QVBoxLayout(this);
    m_title = label(QStringLiteral("LblPreviewTitle"), this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setText(QStringLiteral("%1 (%2 in, %3)")
                         .arg(report.description)
                         .arg(m_model->columns() / 10.0, 0, 'f', 1)
                         .arg(m_model->paper().name));
    box->addWidget(m_title);
    m_assumed = label(QStringLiteral("LblAssumed"), this);
    box->addWidget(m_assumed);
    m_note = label(QStringLiteral("LblHostNote"), this);
    m_note->setText(hostNote());
    m_note->setWordWrap(false);
    box->addWidget(m_note);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewScroll"));
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_pageView = new QLabel;
    m_pageView->setObjectName(QStringLiteral("PreviewPage"));
    m_scroll->setWidget(m_pageView);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setMinimumSize(760, 420);
    resize(900, 860);
    box->addWidget(m_scroll, 1);

    auto* nav = new QHBoxLayout;
    m_prior = button(QStringLiteral("P&revious page"), QStringLiteral("BtnPrior"), this);
    m_next = button(QStringLiteral("&Next page"), QStringLiteral("BtnNext"), this);
    m_pageLabel = label(QStringLiteral("LblPage"), this);
    m_pageLabel->setWordWrap(false);
    nav->addWidget(m_prior);
    nav->addWidget(m_pageLabel);
    nav->addWidget(m_next);
    nav->addStretch(1);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ReadProgress"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->hide();
    m_cancelScan = button(QStringLiteral("Cancel"), QStringLiteral("BtnCancelScan"), this);
    m_cancelScan->hide();
    nav->addWidget(m_progressBar);
    nav->addWidget(m_cancelScan);
    box->addLayout(nav);

    m_fit = label(QStringLiteral("LblFit"), this);
    m_fit->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_fit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* fitScroll = new QScrollArea(this);
    fitScroll->setObjectName(QStringLiteral("FitScroll"));
    fitScroll->setWidgetResizable(true);
    fitScroll->setFrameShape(QFrame::NoFrame);
    fitScroll->setWidget(m_fit);
    fitScroll->setMinimumHeight(5 * fontMetrics().height() + 8);
    box->addWidget(fitScroll);

    auto* buttons = new QHBoxLayout;
    m_pdf = button(QStringLiteral("Save as &PDF\u2026"), QStringLiteral("BtnPdf"), this);
    m_print = button(QStringLiteral("&Print\u2026"), QStringLiteral("BtnPrint"), this);
    auto* close = button(QStringLiteral("&Close"), QStringLiteral("BtnClose"), this);
    buttons->addWidget(m_pdf);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    buttons->addWidget(close);
    box->addLayout(buttons);

    connect(m_prior, &QPushButton::clicked, this, &ReportPreviewWindow::BtnPriorClick);
    connect(m_next, &QPushButton::clicked, this, &ReportPreviewWindow::BtnNextClick);
    connect(m_pdf, &QPushButton::clicked, this, &ReportPreviewWindow::BtnPdfClick);
    connect(m_print, &QPushButton::clicked, this, &ReportPreviewWindow::BtnPrintClick);
    m_scanner = new BackgroundScan(m_progressBar, m_cancelScan, this);
    connect(m_scanner, &BackgroundScan::done, this, &ReportPreviewWindow::scanDone);
    connect(m_cancelScan, &QPushButton::clicked, this, &ReportPreviewWindow::BtnCancelScanClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    startScan();
    showPage(0);
    updateTexts();
}

ReportPreviewWindow::~ReportPreviewWindow()
{
    // The reading is stopped (and waited for) before the rest goes.
    delete m_scanner;
}

void ReportPreviewWindow::showFor(const ReportFileContent& report, QWidget* parent)
{
    const QStringList passwords{StartUp::tablePassword(0), StartUp::tablePassword(1)};
    ReportPreviewWindow window(report, AliasPath(DatabaseAlias), passwords, parent);
    window.exec();
}

QString ReportPreviewWindow::hostNote()
{
    return QStringLiteral("The contact manager's own print may differ in fonts and page breaks.");
}

int ReportPreviewWindow::pageCount() const { return m_model->pageCount(m_rows->recordCount()); }

void ReportPreviewWindow::startScan()
{
    if (!m_plan.error.isEmpty()) {
        m_planFailed.error = m_plan.error;
        return;
    }
    m_scanner->start(m_plan);
}

bool ReportPreviewWindow::scanEnded() const
{
    return !m_plan.error.isEmpty() || m_scanner->ended();
}

bool ReportPreviewWindow::scanFinished() const { return scanEnded() && scan().finished; }

bool ReportPreviewWindow::scanRunning() const { return m_scanner->running(); }

const ScanResult& ReportPreviewWindow::scan() const
{
    return m_plan.error.isEmpty() ? m_scanner->result() : m_planFailed;
}

void ReportPreviewWindow::waitForScan() { m_scanner->wait(); }

void ReportPreviewWindow::scanDone()
{
    if (scan().finished)
        m_rows->setRecords(scan().records);
    if (!m_scanner->cancelled())
        showPage(qMin(m_page, pageCount() - 1));
    updateTexts();
}

void ReportPreviewWindow::BtnCancelScanClick() { m_scanner->cancel(); }

void ReportPreviewWindow::showPage(int index)
{
    m_page = qBound(0, index, qMax(0, pageCount() - 1));
    const bool rowsReady = m_rows->hasIndex() || !m_plan.usesEvents;
    if (!m_plan.error.isEmpty() || !rowsReady) {
        m_current = PreviewPage();
        m_current.lines = m_model->headerLines();
        PageLine note;
        note.text = QString(m_model->columns(), u' ');
        PageModel::place(note, 0, m_model->columns(),
                         m_plan.error.isEmpty() ? QStringLiteral("Reading the tables...")
                                                : QStringLiteral("No rows can be read."),
                         false, false, SpanKind::Note);
        m_current.lines << note;
    } else {
        m_current = m_model->page(m_page, *m_rows, m_rows->recordCount(),
                                  scanFinished() ? &scan() : nullptr);
    }
    m_image = PagePainter::render(m_current, *m_model, screenDpi);
    m_pageView->setPixmap(QPixmap::fromImage(m_image));
    m_pageView->resize(m_image.size());
    updateButtons();
}

void ReportPreviewWindow::updateButtons()
{
    const int count = pageCount();
    m_pageLabel->setText(
        QStringLiteral("Page %1 of %2%3")
            .arg(m_page + 1)
            .arg(count)
            .arg(m_rows->countKnown() ? QString() : QStringLiteral(" (counting)")));
    m_prior->setEnabled(!m_busy && m_page > 0);
    m_next->setEnabled(!m_busy && m_page + 1 < count);
    m_pdf->setEnabled(!m_busy && scanFinished());
    m_print->setEnabled(!m_busy && scanFinished());
}

void ReportPreviewWindow::updateTexts()
{
    QStringList assumed = m_plan.assumptions;
    if (!m_plan.error.isEmpty())
        assumed.prepend(QStringLiteral("The tables cannot be read: %1").arg(m_plan.error));
    m_assumed->setText(QStringLiteral("Assumed: ") + assumed.join(QLatin1Char(' ')));

    QStringList fit;
    if (!scanEnded()) {
        fit << QStringLiteral("Fit check: reading the tables...");
    } else if (!scan().finished) {
        fit << (scan().error.isEmpty()
                    ? QStringLiteral("Fit check not finished: the reading was cancelled.")
                    : QStringLiteral("Fit check not finished: %1").arg(scan().error));
    } else {
        for (int i = 0; i < m_plan.fields.size(); ++i) {
            const PreviewField& f = m_plan.fields[i];
            const QString message = fitMessage(scan().fit.value(i), f.width);
            if (f.placed && !message.isEmpty())
                fit << QStringLiteral("%1: %2").arg(f.def.field, message);
        }
        if (fit.isEmpty())
            fit << QStringLiteral("Fit check: every value fits its column.");
        else
            fit.prepend(QStringLiteral("Fit check:"));
    }
    m_fit->setText(fit.join(QLatin1Char('\n')));
    updateButtons();
}

void ReportPreviewWindow::BtnPriorClick() { showPage(m_page - 1); }

void ReportPreviewWindow::BtnNextClick() { showPage(m_page + 1); }

bool ReportPreviewWindow::savePdf(const QString& path, QString* error)
{
    if (!scanFinished()) {
        *error = QStringLiteral("The rows are not all read yet.");
        return false;
    }
    m_busy = true;
    updateButtons();
    m_progressBar->setRange(0, pageCount());
    m_progressBar->show();
    const qint64 records = m_rows->recordCount();
    const bool ok = PagePainter::writePdf(
        path, *m_model, pageCount(),
        [&](int i) { return m_model->page(i, *m_rows, records, &scan()); }, error,
        [&](int i) {
            if (i % 50 == 0) {
                m_progressBar->setValue(i);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
            return true;
        });
    m_progressBar->hide();
    m_progressBar->setRange(0, 1000);
    m_busy = false;
    updateButtons();
    return ok;
}

bool ReportPreviewWindow::printPages(QPrinter& printer, QString* error)
{
    if (!scanFinished()) {
        *error = QStringLiteral("The rows are not all read yet.");
        return false;
    }
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(
        QSizeF(m_model->columns() / double(PageModel::charsPerInch), m_model->lengthInches()),
        QPageSize::Inch, m_model->paper().name, QPageSize::ExactMatch));
    printer.setDocName(m_plan.report.description);
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = QStringLiteral("The printer cannot be started.");
        return false;
    }
    const qint64 records = m_rows->recordCount();
    const int count = pageCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            printer.newPage();
        PagePainter::paint(painter, m_model->page(i, *m_rows, records, &scan()), *m_model,
                           printer.resolution());
    }
    painter.end();
    return true;
}

void ReportPreviewWindow::BtnPdfClick()
{
    QString name = QFileInfo(m_plan.report.description).fileName();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9 _-]")), QString());
    if (name.trimmed().isEmpty())
        name = QStringLiteral("report");
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as PDF"), QDir::home().filePath(name + QStringLiteral(".pdf")),
        QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!savePdf(path, &error))
        ShowError(error);
}

void ReportPreviewWindow::BtnPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!printPages(printer, &error))
        ShowError(error);
}
