#include "core/preview/PageModel.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

PaperSize PageModel::paperFor(int printableWidth)
{
    switch (ReportFile::paperButtonForWidth(printableWidth)) {
    case PaperButton::AmPor:
        return {QStringLiteral("American, portrait"), 11.0};
    case PaperButton::AmLan:
        return {QStringLiteral("American, landscape"), 8.5};
    case PaperButton::A4Por:
        return {QStringLiteral("A4, portrait"), 11.69};
    case PaperButton::A4Lan:
        return {QStringLiteral("A4, landscape"), 8.27};
    case PaperButton::Other:
        break;
    }
    return {QStringLiteral("custom width"), 11.0};
}

PageModel::PageModel(const ReportPlan& plan) : m_plan(plan)
{
    m_paper = paperFor(plan.report.printableWidth);
    m_columns = qBound(1, plan.report.printableWidth, 300);
    m_linesPerPage =
        qMax(4, int(std::floor((m_paper.lengthInches - 2 * marginInches) * linesPerInch + 1e-9)));
    m_recordLines = 1;
    for (const PreviewField& f : plan.fields)
        if (f.placed)
            m_recordLines = qMax(m_recordLines, qMin(*f.def.line, 30));
    for (int line = 1; line <= m_recordLines; ++line) {
        PageLine header = blankLine();
        bool any = false;
        for (const PreviewField& f : plan.fields) {
            if (!f.placed || *f.def.line != line || f.def.header.isEmpty())
                continue;
            place(header, *f.def.lPosition - 1, f.width, f.def.header, false, false,
                  SpanKind::Header);
            any = true;
        }
        if (any)
            m_headers << header;
    }
    PageLine rule = blankLine();
    rule.text.fill(u'-');
    rule.spans << PageSpan{0, m_columns, SpanKind::Rule};
    m_headers << rule;
    m_recordsPerPage = qMax(1, (m_linesPerPage - int(m_headers.size())) / recordBlock());
}

PageLine PageModel::blankLine() const
{
    PageLine line;
    line.text = QString(m_columns, u' ');
    return line;
}

int PageModel::recordBlock() const { return m_recordLines + (m_recordLines > 1 ? 1 : 0); }

QString PageModel::cutMark(int cut) { return QStringLiteral("\u2026+%1").arg(cut); }

void PageModel::place(PageLine& line, int left, int width, const QString& text, bool leader,
                      bool trailer, SpanKind kind)
{
    const int end = qMin(int(line.text.size()), left + width);
    if (left < 0 || left >= end)
        return;
    width = end - left;
    auto put = [&](int at, const QString& s, SpanKind k) {
        const int n = qMin(int(s.size()), end - at);
        if (n <= 0)
            return;
        line.text.replace(at, n, s.left(n));
        line.spans << PageSpan{at, n, k};
    };
    const int n = int(text.size());
    if (n > width) {
        // The shown part and the mark together fill the column; the mark's
        // number counts what is left out, so its own length settles it.
        int markLength = int(cutMark(n).size());
        QString mark;
        int shown = 0;
        for (int i = 0; i < 4; ++i) {
            shown = qMax(0, width - markLength);
            mark = cutMark(n - shown);
            if (int(mark.size()) == markLength)
                break;
            markLength = int(mark.size());
        }
        put(left, text.left(shown), kind);
        put(left + shown, mark, SpanKind::CutMark);
        return;
    }
    const int free = width - n;
    int before = 0;
    if (leader && trailer)
        before = free / 2;
    else if (leader)
        before = free;
    if (before > 0)
        put(left, QString(before, u'.'), SpanKind::Dots);
    put(left + before, text, kind);
    const int after = free - before;
    if (trailer && after > 0)
        put(left + before + n, QString(after, u'.'), SpanKind::Dots);
}

QList<PageLine> PageModel::recordLines(const QStringList& texts) const
{
    QList<PageLine> lines;
    for (int i = 0; i < m_recordLines; ++i)
        lines << blankLine();
    for (int i = 0; i < m_plan.fields.size() && i < texts.size(); ++i) {
        const PreviewField& f = m_plan.fields[i];
        if (!f.placed || *f.def.line > m_recordLines)
            continue;
        const QString& text = texts[i];
        if (text.isEmpty() && !f.def.lDots && !f.def.rDots)
            continue;
        place(lines[*f.def.line - 1], *f.def.lPosition - 1, f.width, text, f.def.lDots,
              f.def.rDots);
    }
    if (m_recordLines > 1)
        lines << blankLine();
    return lines;
}

QList<PageLine> PageModel::summaryLines(const ScanResult* scan) const
{
    QList<PageLine> lines;
    for (int i = 0; i < m_plan.fields.size(); ++i) {
        const PreviewField& f = m_plan.fields[i];
        const ReportFileField& d = f.def;
        if (!(d.total || d.count || d.average || d.min || d.max))
            continue;
        const QString name = d.header.isEmpty() ? d.field : d.header;
        const FieldSummary summary =
            scan && scan->finished ? scan->summary.value(i) : FieldSummary();
        for (const auto& [label, value] : summaryTexts(f, summary)) {
            PageLine line = blankLine();
            const QString text =
                QStringLiteral("%1 %2: %3")
                    .arg(name, label.toLower(),
                         scan && scan->finished ? value : QStringLiteral("not known yet"));
            const int left = f.placed ? *d.lPosition - 1 : 0;
            place(line, qMin(left, m_columns - 1), m_columns - qMin(left, m_columns - 1), text,
                  false, false, SpanKind::Summary);
            lines << line;
        }
    }
    if (!lines.isEmpty()) {
        PageLine rule = blankLine();
        rule.text.fill(u'=');
        rule.spans << PageSpan{0, m_columns, SpanKind::Rule};
        lines.prepend(rule);
    }
    return lines;
}

int PageModel::pageCount(qint64 records) const
{
    const int room = m_linesPerPage - int(m_headers.size());
    const qint64 recordPages = qMax<qint64>(1, (records + m_recordsPerPage - 1) / m_recordsPerPage);
    const int onLast = int(records - (recordPages - 1) * m_recordsPerPage);
    const int used = records == 0 ? 1 : onLast * recordBlock();
    int summary = int(summaryLines(nullptr).size());
    qint64 pages = recordPages;
    if (summary > room - used) {
        summary -= qMax(0, room - used);
        pages += (summary + room - 1) / room;
    }
    return int(qMin<qint64>(pages, 1 << 30));
}

PreviewPage PageModel::page(int index, RowSource& rows, qint64 records,
                            const ScanResult* scan) const
{
    PreviewPage page;
    page.index = index;
    page.lines = m_headers;
    const int room = m_linesPerPage - int(m_headers.size());
    const qint64 recordPages = qMax<qint64>(1, (records + m_recordsPerPage - 1) / m_recordsPerPage);
    if (index < recordPages) {
        const qint64 first = qint64(index) * m_recordsPerPage;
        const int count = int(qMin<qint64>(m_recordsPerPage, records - first));
        if (records == 0) {
            PageLine note = blankLine();
            place(note, 0, m_columns, QStringLiteral("(no records)"), false, false, SpanKind::Note);
            page.lines << note;
        }
        for (const QStringList& texts : rows.records(first, count))
            page.lines << recordLines(texts);
        if (index != recordPages - 1)
            return page;
    }
    // The summaries: after the last records, running on to further pages.
    const QList<PageLine> summary = summaryLines(scan);
    const qint64 onLast = records - (recordPages - 1) * m_recordsPerPage;
    const int used = records == 0 ? 1 : int(onLast) * recordBlock();
    const int firstRoom = qMax(0, room - used);
    int from = 0, to = 0;
    if (index == recordPages - 1) {
        to = qMin(int(summary.size()), firstRoom);
    } else {
        from = firstRoom + int(index - recordPages) * room;
        to = qMin(int(summary.size()), from + room);
    }
    for (int i = from; i < to; ++i)
        page.lines << summary[i];
    return page;
}

// ---- Painting ---------------------------------------------------------------

QFont PagePainter::pageFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QRgb PagePainter::colour(SpanKind kind)
{
    switch (kind) {
    case SpanKind::Header:
        return qRgb(0x10, 0x10, 0x60);
    case SpanKind::Rule:
    case SpanKind::Dots:
        return qRgb(0x70, 0x70, 0x70);
    case SpanKind::CutMark:
        return qRgb(0xC0, 0x00, 0x00);
    case SpanKind::Summary:
        return qRgb(0x00, 0x50, 0x20);
    case SpanKind::Note:
        return qRgb(0x60, 0x60, 0x60);
    case SpanKind::Value:
        break;
    }
    return qRgb(0, 0, 0);
}

QRectF PagePainter::cellRect(int line, int column, double dpi)
{
    const double cw = dpi / PageModel::charsPerInch;
    const double lh = dpi / PageModel::linesPerInch;
    return QRectF(column * cw, PageModel::marginInches * dpi + line * lh, cw, lh);
}

void PagePainter::paint(QPainter& painter, const PreviewPage& page, const PageModel& model,
                        double dpi)
{
    const QSizeF paper(model.columns() * dpi / PageModel::charsPerInch, model.lengthInches() * dpi);
    painter.fillRect(QRectF(QPointF(0, 0), paper), Qt::white);
    const double cw = dpi / PageModel::charsPerInch;
    const double lh = dpi / PageModel::linesPerInch;
    // The font's size such that its advance is one cell; the rest is made up
    // by letter spacing so that every character stands on its tenth.
    QFont font = pageFont();
    font.setPixelSize(100);
    const double advance100 =
        QFontMetricsF(font, painter.device()).horizontalAdvance(QLatin1Char('M'));
    const int pixels = qMax(1, int(std::floor(100.0 * cw / qMax(1.0, advance100) * 0.98)));
    font.setPixelSize(qMin(pixels, int(lh)));
    const double advance =
        QFontMetricsF(font, painter.device()).horizontalAdvance(QLatin1Char('M'));
    // Letter spacing is scaled with the device's resolution on some
    // devices (printers, PDF): measure how far one unit moves ten letters.
    const QString ten(10, u'M');
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    const double perUnit =
        (QFontMetricsF(font, painter.device()).horizontalAdvance(ten) - 10 * advance) / 10;
    font.setLetterSpacing(QFont::AbsoluteSpacing, perUnit > 0 ? (cw - advance) / perUnit : 0.0);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double baseline = (lh - metrics.height()) / 2 + metrics.ascent();
    for (int i = 0; i < page.lines.size(); ++i) {
        const PageLine& line = page.lines[i];
        const double y = PageModel::marginInches * dpi + i * lh + baseline;
        for (const PageSpan& span : line.spans) {
            QFont f = font;
            f.setBold(span.kind == SpanKind::Header);
            f.setItalic(span.kind == SpanKind::Note);
            painter.setFont(f);
            painter.setPen(QColor::fromRgb(colour(span.kind)));
            painter.drawText(QPointF(span.start * cw, y), line.text.mid(span.start, span.length));
        }
    }
}

QImage PagePainter::render(const PreviewPage& page, const PageModel& model, double dpi)
{
    const QSize size(int(std::ceil(model.columns() * dpi / PageModel::charsPerInch)),
                     int(std::ceil(model.lengthInches() * dpi)));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(dpi / 0.0254));
    image.setDotsPerMeterY(int(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, page, model, dpi);
    return image;
}

bool PagePainter::writePdf(const QString& path, const PageModel& model, int count,
                           const std::function<PreviewPage(int)>& pageAt, QString* error,
                           const std::function<bool(int)>& progress)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(
        QPageSize(QSizeF(model.columns() / double(PageModel::charsPerInch), model.lengthInches()),
                  QPageSize::Inch, model.paper().name, QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(model.paper().name);
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = QStringLiteral("The file %1 cannot be written.").arg(path);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (progress && !progress(i)) {
            painter.end();
            if (error)
                *error = QStringLiteral("Cancelled.");
            return false;
        }
        if (i > 0)
            writer.newPage();
        paint(painter, pageAt(i), model, writer.resolution());
    }
    painter.end();
    return true;
}
