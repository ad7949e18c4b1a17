#pragma once

#include "core/preview/PageModel.h"
#include "forms/preview/BackgroundScan.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <memory>

class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QScrollArea;

// "Report Preview": the report's pages as they would print, made from the
// rows of the host's tables in the data folder, with the fit check of every
// field, and the pages saved as a PDF or printed.
//
// The first page of a contact-only report is read straight from the start of
// the contact table and shown at once. Meanwhile a worker thread reads every
// row once (the record index, the fit check, the summaries); when that takes
// longer than progressDelayMs a progress bar with Cancel appears, and the
// window stays responsive throughout. Until the reading has finished, the
// summaries and the fit check say that they are not known yet; a cancelled
// reading says so as well. Saving and printing wait for the reading.
class ReportPreviewWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int progressDelayMs = BackgroundScan::progressDelayMs;
    static constexpr double screenDpi = 96.0;

    ReportPreviewWindow(const ReportFileContent& report, const QString& dataFolder,
                        const QStringList& passwords, QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    // Opens the preview of a report on the data folder of the alias, with
    // the session's table passwords, modally over `parent`.
    static void showFor(const ReportFileContent& report, QWidget* parent);

    // The host's note, shown in one line.
    static QString hostNote();

    const ReportPlan& plan() const { return m_plan; }
    const PageModel& model() const { return *m_model; }
    bool scanFinished() const;
    bool scanRunning() const;
    const ScanResult& scan() const;
    int pageIndex() const { return m_page; }
    // Pages known so far (from the header's record count until the reading
    // has counted the rows).
    int pageCount() const;
    const PreviewPage& currentPage() const { return m_current; }
    QImage pageImage() const { return m_image; }

    // Every page into a PDF file. False with *error set when it cannot be
    // written or the rows are not all read.
    bool savePdf(const QString& path, QString* error);
    // Every page on a printer, each the size of the paper.
    bool printPages(QPrinter& printer, QString* error);

    void showPage(int index);
    void BtnPriorClick();
    void BtnNextClick();
    void BtnPdfClick();
    void BtnPrintClick();
    void BtnCancelScanClick();
    // Blocks until the reading has finished or stopped (tests, closing).
    void waitForScan();

private:
    void startScan();
    void scanDone();
    // The reading has ended (or could not start: the plan failed).
    bool scanEnded() const;
    void updateTexts();
    void updateButtons();

    ReportPlan m_plan;
    std::unique_ptr<PageModel> m_model;
    std::unique_ptr<RowSource> m_rows;
    BackgroundScan* m_scanner = nullptr;
    ScanResult m_planFailed; // the result when the plan could not be made
    bool m_busy = false;     // saving or printing

    int m_page = 0;
    PreviewPage m_current;
    QImage m_image;

    QLabel* m_title = nullptr;
    QLabel* m_assumed = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_pageLabel = nullptr;
    QLabel* m_pageView = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_fit = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_cancelScan = nullptr;
    QPushButton* m_prior = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_pdf = nullptr;
    QPushButton* m_print = nullptr;
};
