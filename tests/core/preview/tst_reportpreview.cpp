// The report preview's core: which rows a report prints, the fit check and
// summaries over them, the pages in fixed pitch, their picture and the PDF.

#include "PreviewTables.h"

#include "core/preview/PageModel.h"
#include "engine/ParadoxWriter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList column(const QList<QStringList>& rows, int i)
{
    QStringList out;
    for (const QStringList& r : rows)
        out << r.value(i);
    return out;
}

struct Preview
{
    ReportPlan plan;
    ScanResult scan;
    std::unique_ptr<RowSource> rows;

    Preview(const QString& folder, const ReportFileContent& report)
    {
        plan = ReportPlan::make(folder, report, PreviewTables::passwords());
        scan = scanReport(plan);
        rows = std::make_unique<RowSource>(plan);
        rows->setRecords(scan.records);
    }
    QList<QStringList> all() { return rows->records(0, 1000); }
};

// Whether some pixel of a rectangle is near the colour.
bool hasColour(const QImage& image, const QRect& r, QRgb colour, int tolerance = 90)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (p == qRgb(255, 255, 255))
                continue;
            if (qAbs(qRed(p) - qRed(colour)) + qAbs(qGreen(p) - qGreen(colour)) +
                    qAbs(qBlue(p) - qBlue(colour)) <
                tolerance)
                return true;
        }
    return false;
}

bool blank(const QImage& image, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_folder;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.filePath(QStringLiteral("data"));
        PreviewTables::write(m_folder);
    }

    void contactRowsFitAndSummaries()
    {
        Preview p(m_folder, PreviewTables::contactReport());
        QVERIFY2(p.plan.error.isEmpty(), qPrintable(p.plan.error));
        QVERIFY(p.scan.finished);
        const QList<QStringList> rows = p.all();
        QCOMPARE(column(rows, 0), QStringList({"Acme", "Borealis Trading Company", "", "Cyan"}));
        QCOMPARE(column(rows, 1), QStringList({"100.50", "250.00", "", "49.50"}));
        // The combination joins the parts that hold a value.
        QCOMPARE(column(rows, 2), QStringList({"Ada Lane", "Bo Park", "Cy", "Di Stone"}));

        // Company has 10 characters: one value of 24 does not fit.
        QCOMPARE(p.scan.fit[0].values, 3);
        QCOMPARE(p.scan.fit[0].tooLong, 1);
        QCOMPARE(p.scan.fit[0].longest, 24);
        QCOMPARE(p.scan.fit[0].example, QStringLiteral("Borealis Trading Company"));
        QCOMPARE(p.scan.fit[1].tooLong, 0);
        QCOMPARE(p.scan.fit[2].tooLong, 0);
        QCOMPARE(fitMessage(p.scan.fit[0], 10),
                 QStringLiteral("1 of 3 values do not fit 10 characters; the longest has 24: "
                                "Borealis Trading Company"));
        // Other widths from the same reading: "Acme" and "Cyan" have 4.
        QCOMPARE(p.scan.fit[0].beyond(3), 3);
        QCOMPARE(p.scan.fit[0].beyond(4), 1);
        QCOMPARE(p.scan.fit[0].beyond(24), 0);
        QVERIFY(fitMessage(p.scan.fit[0], 24).isEmpty());
        QCOMPARE(p.scan.fit[2].beyond(7), 2); // "Ada Lane", "Di Stone"

        QCOMPARE(p.scan.summary[1].count, 3);
        QCOMPARE(p.scan.summary[1].sum, 400.0);
        const auto texts = summaryTexts(p.plan.fields[1], p.scan.summary[1]);
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[0], std::make_pair(QStringLiteral("Total"), QStringLiteral("400.00")));
        QCOMPARE(texts[1], std::make_pair(QStringLiteral("Average"), QStringLiteral("133.33")));
        QCOMPARE(texts[2], std::make_pair(QStringLiteral("Max"), QStringLiteral("250.00")));

        // Before a scan, a contact-only report reads straight from the start.
        RowSource early(p.plan);
        QCOMPARE(early.recordCount(), 4);
        QCOMPARE(column(early.records(1, 2), 0), QStringList({"Borealis Trading Company", ""}));
    }

    void summariesFollowTheType()
    {
        ReportFileContent report = PreviewTables::contactReport();
        report.fields[0].total = true; // text: no total
        report.fields[0].count = true;
        ReportFileField created;
        created.dbType = 0;
        created.field = QStringLiteral("Created");
        created.header = QStringLiteral("Created");
        created.line = 2;
        created.lPosition = 1;
        created.rPosition = 10;
        created.min = true;
        created.max = true;
        created.average = true;
        report.fields << created;
        Preview p(m_folder, report);
        QVERIFY(p.scan.finished);
        const auto company = summaryTexts(p.plan.fields[0], p.scan.summary[0]);
        QCOMPARE(company[0].second, QStringLiteral("not for this type"));
        QCOMPARE(company[1].second, QStringLiteral("3"));
        const auto dates = summaryTexts(p.plan.fields[3], p.scan.summary[3]);
        QCOMPARE(dates[0].second, QStringLiteral("not for this type"));
        QCOMPARE(dates[1].second, QStringLiteral("12/31/2019"));
        QCOMPARE(dates[2].second, QStringLiteral("06/30/2021"));
    }

    void eventRows()
    {
        // Date-ordered: the calls in date and time order, each with its
        // contact; the orphan call has none.
        Preview byDate(m_folder, PreviewTables::callReport(ReportOrder::Calendar));
        QVERIFY2(byDate.scan.finished, qPrintable(byDate.scan.error));
        QVERIFY(byDate.plan.linked());
        QVERIFY(byDate.plan.assumptions.join(' ').contains("linked to contacts by CustomID"));
        QVERIFY(byDate.plan.assumptions.join(' ').contains("Kind is \"C\""));
        QList<QStringList> rows = byDate.all();
        QCOMPARE(column(rows, 1),
                 QStringList({"Early call", "First call", "Orphan", "Call about invoice"}));
        QCOMPARE(column(rows, 0), QStringList({"Cyan", "Acme", "", "Borealis Trading Company"}));
        QCOMPARE(byDate.scan.summary[1].count, 4);
        QCOMPARE(byDate.scan.fit[0].tooLong, 1);

        // Contact-ordered: every contact in key order, once per call; the
        // orphan call is not printed.
        Preview byContact(m_folder, PreviewTables::callReport(ReportOrder::Contact));
        rows = byContact.all();
        QCOMPARE(column(rows, 0), QStringList({"Acme", "Borealis Trading Company", "", "Cyan"}));
        QCOMPARE(column(rows, 1),
                 QStringList({"First call", "Call about invoice", "", "Early call"}));
        QCOMPARE(byContact.scan.summary[1].count, 3);

        // Without a column the tables share, the events stand alone.
        QTemporaryDir other;
        PreviewTables::write(other.path(), 0, false);
        Preview alone(other.path(), PreviewTables::callReport(ReportOrder::Calendar));
        QVERIFY(!alone.plan.linked());
        QVERIFY(alone.plan.assumptions.join(' ').contains("No column links events to contacts"));
        rows = alone.all();
        QCOMPARE(column(rows, 1).size(), 4);
        QCOMPARE(column(rows, 0), QStringList({"", "", "", ""}));
    }

    void protectedTablesNeedThePassword()
    {
        const ReportPlan plan =
            ReportPlan::make(m_folder, PreviewTables::contactReport(), {QStringLiteral("wrong")});
        const ScanResult scan = scanReport(plan);
        QVERIFY(!scan.finished);
        QVERIFY(scan.error.contains("password-protected"));
    }

    void placing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("leader");
        QTest::addColumn<bool>("trailer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << "abc" << 6 << false << false << "abc   ";
        QTest::newRow("leader") << "abc" << 6 << true << false << "...abc";
        QTest::newRow("trailer") << "abc" << 6 << false << true << "abc...";
        QTest::newRow("both") << "abc" << 6 << true << true << ".abc..";
        QTest::newRow("cut") << "Borealis Trading Company" << 10 << true << false
                             << QString::fromUtf8("Boreal\u2026+18");
        // The mark's own digits count: 1005 characters in 12 leave 7 shown
        // and 998 cut (a mark of 999 would leave room for one more).
        QTest::newRow("cut-long") << QString(1005, 'x') << 12 << false << false
                                  << QString(7, 'x') + QString::fromUtf8("\u2026+998");
        QTest::newRow("narrow") << "abcdef" << 3 << false << false << QString::fromUtf8("\u2026+6");
    }
    void placing()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, leader);
        QFETCH(bool, trailer);
        QFETCH(QString, expected);
        PageLine line;
        line.text = QString(20, ' ');
        PageModel::place(line, 2, width, text, leader, trailer);
        QCOMPARE(line.text.mid(2, width), expected);
        QCOMPARE(line.text.left(2), QStringLiteral("  "));
        QVERIFY(line.text.mid(2 + width).trimmed().isEmpty());
    }

    void paperSizes()
    {
        QCOMPARE(PageModel::paperFor(75).lengthInches, 11.0);
        QCOMPARE(PageModel::paperFor(110).lengthInches, 8.5);
        QCOMPARE(PageModel::paperFor(77).lengthInches, 11.69);
        QCOMPARE(PageModel::paperFor(115).lengthInches, 8.27);
        QCOMPARE(PageModel::paperFor(90).lengthInches, 11.0);
    }

    void pageText()
    {
        Preview p(m_folder, PreviewTables::contactReport());
        const PageModel model(p.plan);
        QCOMPARE(model.columns(), 75);
        QCOMPARE(model.linesPerPage(), 60); // 10 inches of lines at 6 a inch
        QCOMPARE(model.pageCount(4), 1);
        const PreviewPage page = model.page(0, *p.rows, 4, &p.scan);
        QStringList text;
        for (const PageLine& l : page.lines)
            text << l.text.trimmed();
        QCOMPARE(page.lines[0].text.left(35),
                 QStringLiteral("Company    Revenue   Name          "));
        QCOMPARE(text[1], QString(75, '-'));
        QCOMPARE(page.lines[2].text.left(35),
                 QStringLiteral("Acme       ...100.50 Ada Lane      "));
        QCOMPARE(page.lines[3].text.left(35),
                 QString::fromUtf8("Boreal\u2026+18 ...250.00 Bo Park       "));
        QCOMPARE(page.lines[4].text.left(35),
                 QStringLiteral("           ......... Cy            "));
        QCOMPARE(text[6], QString(75, '='));
        QCOMPARE(page.lines[7].text.left(29), QStringLiteral("           Revenue total: 400"));
        QCOMPARE(text.mid(7), QStringList({"Revenue total: 400.00", "Revenue average: 133.33",
                                           "Revenue max: 250.00"}));
        // Unfinished, the summaries say so.
        const PreviewPage early = model.page(0, *p.rows, 4, nullptr);
        QCOMPARE(early.lines[7].text.trimmed(), QStringLiteral("Revenue total: not known yet"));
    }

    void pagesAndPdf()
    {
        QTemporaryDir dir;
        PreviewTables::write(dir.path(), 126); // 130 contacts
        Preview p(dir.path(), PreviewTables::contactReport());
        const PageModel model(p.plan);
        QCOMPARE(model.recordsPerPage(), 58);
        QCOMPARE(model.pageCount(130), 3);
        // Headers above the records on every page.
        const PreviewPage second = model.page(1, *p.rows, 130, &p.scan);
        QCOMPARE(second.lines[0].text.left(7), QStringLiteral("Company"));
        QCOMPARE(second.lines[2].text.left(10), QStringLiteral("Filler 55 "));
        QCOMPARE(second.lines.size(), 60);
        const PreviewPage last = model.page(2, *p.rows, 130, &p.scan);
        QCOMPARE(last.lines.size(), 2 + 14 + 4);
        QCOMPARE(last.lines.last().text.trimmed(), QStringLiteral("Revenue max: 250.00"));

        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QVERIFY2(
            PagePainter::writePdf(
                pdf, model, 3, [&](int i) { return model.page(i, *p.rows, 130, &p.scan); }, &error),
            qPrintable(error));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(30000));
        const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(infoText.contains(QRegularExpression("Pages:\\s+3\\n")), qPrintable(infoText));
        // 7.5 by 11 inches.
        QVERIFY2(infoText.contains(QRegularExpression("Page size:\\s+540 x 792 pts")),
                 qPrintable(infoText));
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(extracted.contains(QString::fromUtf8("Boreal\u2026+18")), qPrintable(extracted));
        QVERIFY(extracted.contains("...100.50"));
        QVERIFY(extracted.contains("Filler 126"));
        QVERIFY(extracted.contains("Revenue total: 526.00"));
        QCOMPARE(extracted.count("Company"), 3);
    }

    // The scan shares the fields between two threads: over many blocks the
    // counts are those of every row, a memo file that breaks off stops the
    // scan with its error, and a cancel stops it unfinished.
    void scanOverManyBlocks()
    {
        QTemporaryDir dir;
        const QString table = dir.filePath(QStringLiteral("CONTACT.DB"));
        FieldDef company, note, revenue;
        company.name = QStringLiteral("Company");
        company.type = FieldType::Alpha;
        company.size = 30;
        note.name = QStringLiteral("Note");
        note.type = FieldType::Memo;
        note.size = 11;
        revenue.name = QStringLiteral("Revenue");
        revenue.type = FieldType::Money;
        QList<Row> rows;
        const int count = 5000;
        for (int i = 0; i < count; ++i)
            rows << Row{QStringLiteral("Company %1").arg(i),
                        QStringLiteral("a note long enough for the memo file, number %1").arg(i),
                        double(i % 7)};
        ParadoxWriter::writeTable(table, {company, note, revenue}, 0, rows, 1252,
                                  PreviewTables::password());
        ReportFileContent report;
        report.printableWidth = 75;
        for (const char* name : {"Company", "Note", "Revenue"}) {
            ReportFileField f;
            f.field = f.header = QString::fromLatin1(name);
            f.line = 1;
            const int left = 1 + 25 * int(report.fields.size());
            f.lPosition = left;
            f.rPosition = left + 10;
            f.total = QByteArray(name) == "Revenue";
            report.fields << f;
        }
        const ReportPlan plan = ReportPlan::make(dir.path(), report, PreviewTables::passwords());
        QVERIFY2(plan.error.isEmpty(), qPrintable(plan.error));
        ScanResult scan = scanReport(plan);
        QVERIFY2(scan.finished, qPrintable(scan.error));
        QCOMPARE(qint64(scan.records->size()), count);
        for (const FieldFit& f : scan.fit)
            QCOMPARE(f.values, count);
        qint64 tooLong = 0;
        double total = 0;
        for (int i = 0; i < count; ++i) {
            tooLong += QString::number(i).size() + 8 > plan.fields[0].width;
            total += i % 7;
        }
        QVERIFY(tooLong > 0);
        QCOMPARE(scan.fit[0].tooLong, tooLong);
        QCOMPARE(scan.fit[1].longest, 49);
        QCOMPARE(scan.fit[1].example, rows[1000][1].toString()); // the first of the longest
        QCOMPARE(scan.fit[1].tooLong, count);
        QCOMPARE(scan.summary[2].sum, total);

        // Stopped by the progress callback, and by the cancel flag.
        int asked = 0;
        scan = scanReport(plan, [&](double) { return ++asked > 1; });
        QCOMPARE(asked, 1);
        QVERIFY(!scan.finished);
        QVERIFY(scan.error.isEmpty());
        const std::atomic<bool> cancel = true;
        scan = scanReport(plan, {}, &cancel);
        QVERIFY(!scan.finished);

        QFile memos(dir.filePath(QStringLiteral("CONTACT.MB")));
        QVERIFY(memos.open(QIODevice::ReadWrite));
        QVERIFY(memos.resize(memos.size() / 2));
        memos.close();
        scan = scanReport(plan);
        QVERIFY(!scan.finished);
        QVERIFY2(scan.error.contains("CONTACT.MB"), qPrintable(scan.error));
    }

    void picture()
    {
        Preview p(m_folder, PreviewTables::contactReport());
        const PageModel model(p.plan);
        const PreviewPage page = model.page(0, *p.rows, 4, &p.scan);
        const double dpi = 96;
        const QImage image = PagePainter::render(page, model, dpi);
        QCOMPARE(image.size(), QSize(720, 1056)); // 7.5 by 11 inches
        auto cells = [&](int line, int from, int count) {
            return PagePainter::cellRect(line, from, dpi)
                .united(PagePainter::cellRect(line, from + count - 1, dpi))
                .toAlignedRect()
                .intersected(image.rect());
        };
        // The header "Company" over characters 0-6, in the header colour.
        QVERIFY(hasColour(image, cells(0, 0, 7), PagePainter::colour(SpanKind::Header)));
        QVERIFY(blank(image, cells(0, 7, 4)));
        // The dot leader before 100.50, then the value.
        QVERIFY(hasColour(image, cells(2, 11, 3), PagePainter::colour(SpanKind::Dots)));
        QVERIFY(!hasColour(image, cells(2, 11, 3), qRgb(0, 0, 0), 30));
        QVERIFY(hasColour(image, cells(2, 14, 6), qRgb(0, 0, 0)));
        // The cut value in black and its mark in red, at the column's edge.
        QVERIFY(hasColour(image, cells(3, 0, 6), qRgb(0, 0, 0)));
        QVERIFY(!hasColour(image, cells(3, 0, 6), PagePainter::colour(SpanKind::CutMark), 60));
        QVERIFY(hasColour(image, cells(3, 6, 4), PagePainter::colour(SpanKind::CutMark), 60));
        QVERIFY(blank(image, cells(3, 10, 1)));
        // The summary line with its value.
        QVERIFY(hasColour(image, cells(7, 11, 21), PagePainter::colour(SpanKind::Summary), 60));
        QVERIFY(blank(image, cells(7, 0, 11)));
        QVERIFY(blank(image, cells(7, 33, 40)));
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
