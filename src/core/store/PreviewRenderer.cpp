#include "core/store/PreviewRenderer.h"

#include "core/store/ColumnCheck.h"

#include <QFont>
#include <QFontMetrics>
#include <QMap>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {

ColumnRow toCheckRow(const PreviewColumn& column)
{
    return ColumnRow{column.label, column.line, column.left, column.right};
}

void addOnce(QStringList& list, const QString& text)
{
    if (!list.contains(text))
        list << text;
}

QString inches(int tenths) { return QString::number(tenths / 10.0, 'f', 1); }

// A box is drawn when its line and both positions hold values and the line
// is one of the bands.
bool drawable(const PreviewColumn& column)
{
    return column.line && column.left && column.right && *column.line >= 1 &&
           *column.line <= PreviewRenderer::maxLines;
}

// Fills r with frame colour and its inside, `frame` pixels in, with fill
// colour: exact pixels, whatever the painter's pen.
void frameRect(QPainter& p, const QRect& r, QRgb frame, QRgb fill, int width)
{
    p.fillRect(r, QColor::fromRgb(frame));
    const QRect inner = r.adjusted(width, width, -width, -width);
    if (inner.isValid())
        p.fillRect(inner, QColor::fromRgb(fill));
}

} // namespace

int PreviewLayout::xFor(double tenths) const { return origin + int(std::lround(tenths * scale)); }

double PreviewLayout::tenthsAt(int x) const { return scale > 0 ? (x - origin) / scale : 0.0; }

QRect PreviewLayout::rulerRect() const
{
    return QRect(0, 0, size.width(), PreviewRenderer::rulerHeight);
}

QRect PreviewLayout::bandRect(int line) const
{
    return QRect(0, PreviewRenderer::rulerHeight + (line - 1) * PreviewRenderer::bandHeight,
                 size.width(), PreviewRenderer::bandHeight);
}

int PreviewLayout::boxAt(QPoint point, PreviewHit* hit) const
{
    if (hit)
        *hit = PreviewHit::None;
    for (qsizetype i = boxes.size() - 1; i >= 0; --i) {
        const QRect& r = boxes[i].rect;
        if (!r.contains(point))
            continue;
        if (hit) {
            // The edges are grips: a few pixels, less on a narrow box, so
            // that its middle can always be taken to move it.
            const int grip = std::clamp(r.width() / 4, 1, 5);
            if (point.x() < r.left() + grip)
                *hit = PreviewHit::LeftEdge;
            else if (point.x() > r.right() - grip)
                *hit = PreviewHit::RightEdge;
            else
                *hit = PreviewHit::Body;
        }
        return int(i);
    }
    return -1;
}

int PreviewLayout::boxOfRow(int row) const
{
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        if (boxes[i].row == row)
            return int(i);
    }
    return -1;
}

QList<QStringList> PreviewRenderer::columnWarnings(int printableWidth,
                                                   const QList<PreviewColumn>& columns)
{
    QList<QStringList> warnings(columns.size());
    QList<bool> leftAfterRight(columns.size(), false);

    // Each column on its own: the check's first two tests.
    for (qsizetype i = 0; i < columns.size(); ++i) {
        ColumnRow row = toCheckRow(columns[i]);
        ColumnCheckResult result = ColumnCheck::CheckColumnPositions(printableWidth, {row});
        if (result.warning == ColumnWarning::LeftAfterRight) {
            leftAfterRight[i] = true;
            addOnce(warnings[i], result.message);
            // The check stops at its first test; ask again without the left
            // margin for the width test.
            row.left.reset();
            result = ColumnCheck::CheckColumnPositions(printableWidth, {row});
        }
        if (result.warning == ColumnWarning::BeyondMaximum)
            addOnce(warnings[i], result.message);
    }

    // Overlaps, through the check's own line test on pairs of a line in
    // field order: a pair is refused when the later column does not start
    // after the earlier one ends. Comparing every two columns would take
    // minutes for a report of thousands of fields, so each column is paired
    // only with the earlier column that ends furthest right and the later
    // one that starts furthest left: if any pair of it is refused, so is one
    // of these. A column takes a few messages at most; the preview shows
    // them beside it. A column whose margins are the wrong way round is
    // already marked and would stop the check at its first test.
    constexpr qsizetype kMessagesPerColumn = 3;
    auto checkPair = [&](qsizetype a, qsizetype b) {
        if (warnings[a].size() >= kMessagesPerColumn && warnings[b].size() >= kMessagesPerColumn)
            return;
        const ColumnCheckResult result = ColumnCheck::CheckColumnPositions(
            INT_MAX, {toCheckRow(columns[a]), toCheckRow(columns[b])});
        if (result.warning != ColumnWarning::Overlap)
            return;
        for (qsizetype k : {a, b}) {
            if (warnings[k].size() < kMessagesPerColumn)
                addOnce(warnings[k], result.message);
        }
    };
    QMap<int, QList<qsizetype>> lines; // each line's columns, in field order
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (!leftAfterRight[i])
            lines[columns[i].line.value_or(0)].append(i);
    }
    auto left = [&](qsizetype i) { return columns[i].left.value_or(0); };
    auto right = [&](qsizetype i) { return columns[i].right.value_or(0); };
    for (const QList<qsizetype>& line : std::as_const(lines)) {
        QList<qsizetype> leftmostAfter(line.size(), -1);
        for (qsizetype n = line.size() - 2; n >= 0; --n) {
            const qsizetype next = line[n + 1];
            const qsizetype best = leftmostAfter[n + 1];
            leftmostAfter[n] = best >= 0 && left(best) <= left(next) ? best : next;
        }
        qsizetype rightmostBefore = -1;
        for (qsizetype n = 0; n < line.size(); ++n) {
            const qsizetype i = line[n];
            if (rightmostBefore >= 0)
                checkPair(rightmostBefore, i);
            if (leftmostAfter[n] >= 0)
                checkPair(i, leftmostAfter[n]);
            if (rightmostBefore < 0 || right(i) > right(rightmostBefore))
                rightmostBefore = i;
        }
    }
    return warnings;
}

int PreviewRenderer::spanFor(int printableWidth, const QList<PreviewColumn>& columns)
{
    int furthest = std::max(printableWidth, 10);
    for (const PreviewColumn& c : columns) {
        if (!drawable(c))
            continue;
        furthest = std::max({furthest, *c.left, *c.right});
    }
    furthest = std::min(furthest, maxSpan);
    return (furthest + 9) / 10 * 10;
}

PreviewLayout PreviewRenderer::layout(const QList<PreviewColumn>& columns, int printableWidth,
                                      double scale, int minSpan)
{
    PreviewLayout out;
    out.scale = scale > 0 ? scale : 1.0;
    out.origin = gutter;
    out.printableWidth = printableWidth;
    out.span = std::max(spanFor(printableWidth, columns), std::min(minSpan, maxSpan));

    int lines = 1;
    for (const PreviewColumn& c : columns) {
        if (drawable(c))
            lines = std::max(lines, *c.line);
    }
    out.lineCount = lines;
    out.size = QSize(out.xFor(out.span) + rightMargin, rulerHeight + lines * bandHeight + 1);

    const QList<QStringList> warnings = columnWarnings(printableWidth, columns);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const PreviewColumn& c = columns[i];
        if (!drawable(c))
            continue;
        PreviewBox box;
        box.row = int(i);
        box.line = *c.line;
        box.left = *c.left;
        box.right = *c.right;
        box.label = c.label;
        box.warnings = warnings[i];
        // A column whose margins are the wrong way round covers the same
        // tenths as if they were the right way round.
        const int lo = std::clamp(std::min(box.left, box.right), 1, maxSpan);
        const int hi = std::clamp(std::max(box.left, box.right), 1, maxSpan);
        const int x1 = out.xFor(lo - 1);
        const int x2 = std::max(out.xFor(hi) - 1, x1);
        const QRect band = out.bandRect(box.line);
        box.rect =
            QRect(QPoint(x1, band.top() + boxInset), QPoint(x2, band.bottom() - boxInset + 1));
        out.boxes << box;
    }
    return out;
}

PreviewLayout PreviewRenderer::layoutToFit(const QList<PreviewColumn>& columns, int printableWidth,
                                           int pixelWidth)
{
    const int span = spanFor(printableWidth, columns);
    const int room = std::max(pixelWidth - gutter - rightMargin, span / 4);
    return layout(columns, printableWidth, double(room) / span);
}

QRgb PreviewRenderer::paperColour() { return qRgb(0xff, 0xff, 0xff); }
QRgb PreviewRenderer::beyondColour() { return qRgb(0xe4, 0xe4, 0xe4); }
QRgb PreviewRenderer::boxFrameColour() { return qRgb(0x2b, 0x57, 0x97); }
QRgb PreviewRenderer::boxFillColour() { return qRgb(0xdc, 0xe8, 0xf7); }
QRgb PreviewRenderer::warningFrameColour() { return qRgb(0xc0, 0x1c, 0x28); }
QRgb PreviewRenderer::warningFillColour() { return qRgb(0xfb, 0xd5, 0xd0); }
QRgb PreviewRenderer::limitColour() { return qRgb(0xd3, 0x54, 0x00); }

void PreviewRenderer::paint(QPainter& p, const PreviewLayout& l, int selectedRow, bool withFocus)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect all(QPoint(0, 0), l.size);
    p.fillRect(all, QColor::fromRgb(paperColour()));

    const QFont small = rulerFont();
    const QFont label = labelFont();

    const int limitX = l.xFor(l.printableWidth);
    const int endX = l.xFor(l.span);
    const int bandsBottom = rulerHeight + l.lineCount * bandHeight;

    // Bands, the paper past the printable width, and the line numbers.
    p.setFont(small);
    for (int line = 1; line <= l.lineCount; ++line) {
        const QRect band = l.bandRect(line);
        const QRect paper(QPoint(l.origin, band.top()), QPoint(endX - 1, band.bottom()));
        p.fillRect(paper,
                   QColor::fromRgb(line % 2 ? qRgb(0xf8, 0xfa, 0xfc) : qRgb(0xef, 0xf3, 0xf8)));
        if (limitX < endX)
            p.fillRect(QRect(QPoint(std::max(limitX, l.origin), band.top()),
                             QPoint(endX - 1, band.bottom())),
                       QColor::fromRgb(beyondColour()));
        p.setPen(QColor(0x60, 0x60, 0x60));
        p.drawText(QRect(0, band.top(), l.origin - 4, band.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(line));
    }
    p.fillRect(QRect(QPoint(l.origin, bandsBottom), QPoint(endX - 1, bandsBottom)),
               QColor(0xb0, 0xb0, 0xb0));

    // The ruler: a tick every tenth where there is room for it, longer ones
    // at half inches, and the inch numbers.
    const QRect ruler = l.rulerRect();
    p.fillRect(QRect(QPoint(l.origin, ruler.top()), QPoint(endX, ruler.bottom())),
               QColor(0xf4, 0xf4, 0xf4));
    const int base = ruler.bottom();
    const QColor ink(0x30, 0x30, 0x30);
    p.fillRect(QRect(QPoint(l.origin, base), QPoint(endX, base)), ink);
    const bool everyTenth = l.scale >= 2.5;
    for (int t = 0; t <= l.span; ++t) {
        int length = 0;
        if (t % 10 == 0)
            length = 10;
        else if (t % 5 == 0)
            length = 6;
        else if (everyTenth)
            length = 3;
        if (!length)
            continue;
        const int x = l.xFor(t);
        p.fillRect(QRect(QPoint(x, base - length), QPoint(x, base)), ink);
    }
    p.setPen(ink);
    for (const RulerText& number : rulerNumbers(l))
        p.drawText(number.rect, Qt::AlignCenter, number.text);

    // The printable width: a line down the ruler and the bands, with its
    // value in inches on the ruler.
    const QColor limit = QColor::fromRgb(limitColour());
    p.fillRect(QRect(QPoint(limitX, 0), QPoint(limitX, bandsBottom)), limit);
    QPolygon marker;
    marker << QPoint(limitX - 5, 0) << QPoint(limitX + 5, 0) << QPoint(limitX, 6);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(limit);
    p.drawPolygon(marker);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(limit);
    const RulerText widthText = limitText(l);
    p.drawText(widthText.rect, Qt::AlignCenter, widthText.text);

    // The boxes in grid order, the selected one last so that it lies on top.
    p.setFont(label);
    auto drawBox = [&](const PreviewBox& box, bool selected) {
        const QRgb frame = box.warned() ? warningFrameColour() : boxFrameColour();
        QRgb fill = box.warned() ? warningFillColour() : boxFillColour();
        if (selected)
            fill = box.warned() ? qRgb(0xf6, 0xb4, 0xac) : qRgb(0xb8, 0xd2, 0xf2);
        frameRect(p, box.rect, frame, fill, selected ? 2 : 1);
        const QRect text = boxTextRect(box);
        if (text.width() > 0) {
            p.save();
            p.setClipRect(box.rect.adjusted(selected ? 2 : 1, 1, selected ? -2 : -1, -1));
            p.setPen(QColor(0x10, 0x10, 0x10));
            p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, boxText(box));
            p.restore();
        }
        if (selected && withFocus) {
            QPen pen(QColor(0x10, 0x10, 0x10));
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.drawRect(box.rect.adjusted(-2, -2, 1, 1));
        }
    };
    int selectedBox = -1;
    for (qsizetype i = 0; i < l.boxes.size(); ++i) {
        if (l.boxes[i].row == selectedRow) {
            selectedBox = int(i);
            continue;
        }
        drawBox(l.boxes[i], false);
    }
    if (selectedBox >= 0)
        drawBox(l.boxes[selectedBox], true);
    p.restore();
}

QFont PreviewRenderer::rulerFont()
{
    QFont font;
    font.setPixelSize(10);
    return font;
}

QFont PreviewRenderer::labelFont()
{
    QFont font;
    font.setPixelSize(12);
    return font;
}

PreviewRenderer::RulerText PreviewRenderer::limitText(const PreviewLayout& l)
{
    // Right of the mark where it fits, otherwise left of it.
    const QFontMetrics fm(rulerFont());
    const QString text = inches(l.printableWidth) + QStringLiteral("\"");
    const int width = fm.horizontalAdvance(text);
    const int limitX = l.xFor(l.printableWidth);
    const int x = limitX + 8 + width + 2 <= l.size.width() ? limitX + 8 : limitX - 8 - width;
    return {QRect(std::max(x - 2, 0), 1, width + 4, fm.height()), text};
}

QList<PreviewRenderer::RulerText> PreviewRenderer::rulerNumbers(const PreviewLayout& l)
{
    const QFontMetrics fm(rulerFont());
    // Every inch where there is room, every second or fifth one when the
    // scale is small.
    const int inchStep = std::max(
        1, int(std::ceil((fm.horizontalAdvance(QStringLiteral("88")) + 6) / (10 * l.scale))));
    const QRect keepFree = limitText(l).rect.adjusted(-rulerTextGap, 0, rulerTextGap, 0);
    const int limitX = l.xFor(l.printableWidth);
    const int base = rulerHeight - 1;
    QList<RulerText> numbers;
    for (int t = 0; t <= l.span; t += 10) {
        if ((t / 10) % inchStep != 0)
            continue;
        const QString n = QString::number(t / 10);
        const int w = fm.horizontalAdvance(n);
        const int x = l.xFor(t);
        QRect r(x - w / 2 - 1, base - 12 - fm.ascent(), w + 2, fm.height());
        // The last number stays inside the picture.
        if (r.right() >= l.size.width())
            r.moveRight(l.size.width() - 1);
        if (r.left() < 0)
            r.moveLeft(0);
        // The mark's triangle reaches 5 pixels either side of its line.
        const bool onMark = r.left() - 6 <= limitX && limitX <= r.right() + 6;
        if (onMark || r.intersects(keepFree))
            continue;
        numbers << RulerText{r, n};
    }
    return numbers;
}

QRect PreviewRenderer::boxTextRect(const PreviewBox& box)
{
    return box.rect.adjusted(4, 1, -2, -1);
}

QString PreviewRenderer::boxText(const PreviewBox& box)
{
    const QRect room = boxTextRect(box);
    if (room.width() <= 0)
        return QString();
    return QFontMetrics(labelFont()).elidedText(box.label, Qt::ElideRight, room.width());
}

QImage PreviewRenderer::render(const PreviewLayout& layout, int selectedRow)
{
    QImage image(layout.size, QImage::Format_RGB32);
    image.fill(paperColour());
    QPainter painter(&image);
    paint(painter, layout, selectedRow);
    painter.end();
    return image;
}

QImage PreviewRenderer::render(const QList<PreviewColumn>& columns, int printableWidth,
                               int pixelWidth, int selectedRow)
{
    return render(layoutToFit(columns, printableWidth, pixelWidth), selectedRow);
}

QString PreviewRenderer::toolTip(const PreviewBox& box)
{
    if (box.warned())
        return box.warnings.join(QLatin1Char('\n'));
    return QStringLiteral("%1: line %2, %3 to %4 (%5\" to %6\")")
        .arg(box.label)
        .arg(box.line)
        .arg(box.left)
        .arg(box.right)
        .arg(inches(box.left - 1), inches(box.right));
}
