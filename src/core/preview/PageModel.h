#pragma once

#include "core/preview/ReportRows.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QRgb>
#include <QString>

#include <functional>

class QImage;
class QPainter;

// The report's pages as they would print, in text: fixed pitch at 10
// characters per inch (one character a tenth of an inch, so a field's
// column runs from character LPosition to RPosition) and 6 lines per inch.
// Every page starts with the column headers, one header line per print line
// that has headers, and a rule; records follow, never split across pages;
// the summaries close the report.

enum class SpanKind { Header, Rule, Value, Dots, CutMark, Summary, Note };

struct PageSpan
{
    int start = 0; // character, from 0
    int length = 0;
    SpanKind kind = SpanKind::Value;
};

struct PageLine
{
    QString text; // exactly as wide as the page, blanks where nothing stands
    QList<PageSpan> spans;
};

struct PreviewPage
{
    int index = 0; // from 0
    QList<PageLine> lines;
};

struct PaperSize
{
    QString name;
    double lengthInches = 11.0;
};

class PageModel
{
public:
    static constexpr int charsPerInch = 10;
    static constexpr int linesPerInch = 6;
    static constexpr double marginInches = 0.5; // above and below the lines

    explicit PageModel(const ReportPlan& plan);

    // By printable width: 75 American portrait (11 in), 110 American
    // landscape (8.5 in), 77 A4 portrait (11.69 in), 115 A4 landscape
    // (8.27 in); any other width is a custom width on 11 in.
    static PaperSize paperFor(int printableWidth);

    int columns() const { return m_columns; } // characters: the printable width in tenths
    int linesPerPage() const { return m_linesPerPage; }
    double lengthInches() const { return m_paper.lengthInches; }
    const PaperSize& paper() const { return m_paper; }
    int recordLines() const { return m_recordLines; }
    int recordsPerPage() const { return m_recordsPerPage; }
    const QList<PageLine>& headerLines() const { return m_headers; }

    // Pages for `records` records, summaries included.
    int pageCount(qint64 records) const;
    // One page. `scan` gives the summaries; nothing (or an unfinished scan)
    // shows them as not yet known.
    PreviewPage page(int index, RowSource& rows, qint64 records, const ScanResult* scan) const;

    // The lines of one record from its field texts.
    QList<PageLine> recordLines(const QStringList& texts) const;
    QList<PageLine> summaryLines(const ScanResult* scan) const;

    // Writes a text into a line's column (left from 0, width in characters):
    // with dot leader and trailer filling the free space before and after
    // it, or cut at the column's edge and marked with how many characters
    // were cut. Nothing is written beyond the line's end.
    static void place(PageLine& line, int left, int width, const QString& text, bool leader,
                      bool trailer, SpanKind kind = SpanKind::Value);
    // The mark of a cut value: "…+N", N the characters cut.
    static QString cutMark(int cut);

private:
    PageLine blankLine() const;
    int recordBlock() const; // lines a record takes, the gap after it included

    ReportPlan m_plan;
    PaperSize m_paper;
    int m_columns = 75;
    int m_linesPerPage = 60;
    int m_recordLines = 1;
    int m_recordsPerPage = 1;
    QList<PageLine> m_headers;
};

// Painting pages: white paper as wide as the printable width and as long as
// the paper, the lines in a fixed-pitch font whose characters stand exactly
// a tenth of an inch apart.
class PagePainter
{
public:
    static QFont pageFont();
    // Paints a page on a device of `dpi` dots per inch, its top left at 0, 0.
    static void paint(QPainter& painter, const PreviewPage& page, const PageModel& model,
                      double dpi);
    static QImage render(const PreviewPage& page, const PageModel& model, double dpi);
    // Where a character cell of a page line stands, in pixels at `dpi`.
    static QRectF cellRect(int line, int column, double dpi);
    static QRgb colour(SpanKind kind);

    // Writes pages 0 to count-1 to a PDF file, each page the size of the
    // paper's length and the printable width.
    static bool writePdf(const QString& path, const PageModel& model, int count,
                         const std::function<PreviewPage(int)>& pageAt, QString* error,
                         const std::function<bool(int)>& progress = {});
};
