// The report preview window: the pages of a small known table, the fit
// check and what the window says it assumed, the progress of a long reading
// and its Cancel, the PDF (through its button and its file dialog) and
// printing.

#include "PreviewTables.h"
#include "RealMessageBoxes.h"
#include "Screenshots.h"
#include "ShareMount.h"

#include "forms/preview/BackgroundScan.h"
#include "forms/preview/ReportPreviewWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString labelText(const QWidget& w, const char* name)
{
    const auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("(no label %1)").arg(QString::fromLatin1(name));
}

QPushButton* buttonOf(const QWidget& w, const char* name)
{
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Types a path into the file dialog's name box, as the user would.
void typeFileName(QFileDialog* dialog, const QString& path)
{
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
}

} // namespace

class TestReportPreviewWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_small;
    QString m_big;

private slots:
    void initTestCase()
    {
        QVERIFY(!QFontInfo(PagePainter::pageFont()).family().isEmpty());
        m_small = m_dir.filePath(QStringLiteral("small"));
        PreviewTables::write(m_small);
        m_big = m_dir.filePath(QStringLiteral("big"));
        PreviewTables::write(m_big, 150000);
    }

    void showsTheFirstPage()
    {
        ReportPreviewWindow w(PreviewTables::contactReport(), m_small, PreviewTables::passwords());
        w.show();
        w.waitForScan();
        QVERIFY(w.scanFinished());
        QCOMPARE(labelText(w, "LblHostNote"),
                 QStringLiteral("The contact manager's own print may differ in fonts and page "
                                "breaks."));
        QVERIFY(labelText(w, "LblAssumed")
                    .contains("One record per contact, in the order of the "
                              "contact table's key."));
        QCOMPARE(labelText(w, "LblPage"), QStringLiteral("Page 1 of 1"));
        QCOMPARE(labelText(w, "LblFit"),
                 QStringLiteral("Fit check:\nCompany: 1 of 3 values do not fit 10 characters; the "
                                "longest has 24: Borealis Trading Company"));
        // The page shown is the page model's, summaries included.
        QCOMPARE(w.currentPage().lines[3].text.left(10), QString::fromUtf8("Boreal\u2026+18"));
        QCOMPARE(w.currentPage().lines[7].text.trimmed(), QStringLiteral("Revenue total: 400.00"));
        QCOMPARE(w.pageImage(),
                 PagePainter::render(w.currentPage(), w.model(), ReportPreviewWindow::screenDpi));
        QVERIFY(buttonOf(w, "BtnPdf")->isEnabled());
        QVERIFY(!buttonOf(w, "BtnNext")->isEnabled());
    }

    void eventReportSaysWhatItAssumed()
    {
        ReportPreviewWindow w(PreviewTables::callReport(ReportOrder::Calendar), m_small,
                              PreviewTables::passwords());
        w.waitForScan();
        const QString assumed = labelText(w, "LblAssumed");
        QVERIFY2(assumed.contains("Events are linked to contacts by CustomID."),
                 qPrintable(assumed));
        QVERIFY(assumed.contains("ordered by EventDate and EventTime"));
        QCOMPARE(w.currentPage().lines[2].text.left(21), QStringLiteral("Cyan       Early call"));

        QTemporaryDir unlinked;
        PreviewTables::write(unlinked.path(), 0, false);
        ReportPreviewWindow alone(PreviewTables::callReport(ReportOrder::Calendar), unlinked.path(),
                                  PreviewTables::passwords());
        alone.waitForScan();
        QVERIFY(labelText(alone, "LblAssumed").contains("the event fields are shown alone"));
    }

    // On a slow share (every read waits 40 ms) the reading takes seconds.
    void longReadingShowsProgressAndCancels()
    {
        if (const QString why = ShareMount::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ShareMount share({QStringLiteral("--read-delay-ms=40")});
        QVERIFY2(share.mounted(), qPrintable(share.error()));
        PreviewTables::write(share.path(), 20000);
        ReportPreviewWindow w(PreviewTables::contactReport(), share.path(),
                              PreviewTables::passwords());
        w.show();
        // The first page is there before the reading is done.
        QCOMPARE(w.currentPage().lines[2].text.left(4), QStringLiteral("Acme"));
        QVERIFY(labelText(w, "LblPage").endsWith("(counting)"));
        QVERIFY(!buttonOf(w, "BtnPdf")->isEnabled());
        auto* bar = w.findChild<QProgressBar*>(QStringLiteral("ReadProgress"));
        QVERIFY(!bar->isVisible());
        // While it runs the window answers: the next page comes at once.
        QTest::mouseClick(buttonOf(w, "BtnNext"), Qt::LeftButton);
        QCOMPARE(w.pageIndex(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible() || !w.scanRunning(), 5000);
        QVERIFY2(w.scanRunning(), "the slow share was read within half a second");
        QVERIFY(buttonOf(w, "BtnCancelScan")->isVisible());
        QVERIFY(Screenshots::save(&w, QStringLiteral("report-preview-reading")));
        QTest::mouseClick(buttonOf(w, "BtnCancelScan"), Qt::LeftButton);
        QVERIFY(!w.scanRunning());
        QVERIFY(!w.scanFinished());
        QVERIFY(!bar->isVisible());
        QCOMPARE(labelText(w, "LblFit"),
                 QStringLiteral("Fit check not finished: the reading was cancelled."));
        QVERIFY(!buttonOf(w, "BtnPdf")->isEnabled());
    }

    // A scan waited for and replaced at once: the first one's late
    // "finished" must neither end the second nor wait for it.
    void aReplacedScanEndsOnce()
    {
        QProgressBar bar;
        QPushButton cancel;
        BackgroundScan scan(&bar, &cancel, nullptr);
        QSignalSpy done(&scan, &BackgroundScan::done);
        const ReportPlan plan =
            ReportPlan::make(m_big, PreviewTables::contactReport(), PreviewTables::passwords());
        scan.start(plan);
        scan.wait();
        QCOMPARE(done.size(), 1);
        QVERIFY(scan.result().finished);
        scan.start(plan);
        QCoreApplication::processEvents(); // the first thread's "finished"
        QVERIFY(scan.running());
        QCOMPARE(done.size(), 1);
        QVERIFY(!scan.ended());
        QTRY_VERIFY_WITH_TIMEOUT(!scan.running(), 60000);
        QCOMPARE(done.size(), 2);
        QCOMPARE(qint64(scan.result().records->size()), 150004);
    }

    void savesAndPrints()
    {
        QTemporaryDir out;
        ReportPreviewWindow w(PreviewTables::contactReport(), m_small, PreviewTables::passwords());
        w.show();
        w.waitForScan();
        // Through the button and its file dialog.
        const QString path = out.filePath(QStringLiteral("preview.pdf"));
        QTimer::singleShot(100, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            typeFileName(dialog, path);
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(buttonOf(w, "BtnPdf"), Qt::LeftButton);
        QVERIFY(QFileInfo::exists(path));
        const QString text = pdfText(path);
        QVERIFY2(text.contains("Revenue total: 400.00"), qPrintable(text));
        QVERIFY(text.contains(QString::fromUtf8("Boreal\u2026+18")));

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString printed = out.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(printed);
        QString error;
        QVERIFY2(w.printPages(printer, &error), qPrintable(error));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {printed});
        QVERIFY(info.waitForFinished(30000));
        const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(infoText.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(infoText));
        QVERIFY2(infoText.contains(QRegularExpression("Page size:\\s+540 x 792 pts")),
                 qPrintable(infoText));
        const QString printedText = pdfText(printed);
        QVERIFY2(printedText.contains("Ada Lane"), qPrintable(printedText));
    }

    void aFailedSaveIsReported()
    {
        RealMessageBoxes boxes;
        ReportPreviewWindow w(PreviewTables::contactReport(), m_small, PreviewTables::passwords());
        w.show();
        w.waitForScan();
        QTemporaryDir out;
        // A folder where the file should be: it cannot be written.
        const QString path = out.filePath(QStringLiteral("taken.pdf"));
        QVERIFY(QDir().mkpath(path));
        QString error;
        QVERIFY(!w.savePdf(path, &error));
        QVERIFY(error.contains("cannot be written"));
        QTimer::singleShot(100, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                typeFileName(dialog, path);
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
            }
        });
        QTest::mouseClick(buttonOf(w, "BtnPdf"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QVERIFY2(boxes.texts().value(0).contains("cannot be written"),
                 qPrintable(boxes.texts().join('|')));
        QVERIFY(boxes.seen.value(0).loopsAbove >= 1);
    }
};

QTEST_MAIN(TestReportPreviewWindow)
#include "tst_reportpreviewwindow.moc"
