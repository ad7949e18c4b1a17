#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QPainter;

// A picture of a report's columns as they will stand on the page: a ruler
// in inches from 0 to the printable width, one band per print line and one
// box per field from its left to its right position. Columns that the
// position check would refuse (left past right, past the printable width,
// overlapping another column of their line) are drawn in a warning colour.
//
// Positions are tenths of an inch counted from 1: the field 1 to 25 covers
// the first two and a half inches, so its box runs from x(0) to x(25).

// One field as the column grid shows it. A blank cell is no value.
struct PreviewColumn
{
    QString label; // the text written in the box
    std::optional<int> line;
    std::optional<int> left;
    std::optional<int> right;
};

// Where a box was drawn, and what the check says about its column.
struct PreviewBox
{
    int row = -1; // index of the column in the list given
    int line = 0; // print line, 1-based
    int left = 0; // positions as given
    int right = 0;
    QRect rect; // the pixels the box covers, border included
    QString label;
    QStringList warnings; // the check's warning texts; empty when the column is fine

    bool warned() const { return !warnings.isEmpty(); }
};

// Which part of a box a point lies on.
enum class PreviewHit { None, Body, LeftEdge, RightEdge };

struct PreviewLayout
{
    double scale = 1.0;     // pixels per tenth of an inch
    int origin = 0;         // x of position 0 (the report's left edge)
    int printableWidth = 0; // tenths
    int span = 0;           // tenths the ruler covers
    int lineCount = 1;      // bands drawn
    QSize size;             // the whole picture
    QList<PreviewBox> boxes;

    // x of the boundary after `tenths` tenths of an inch.
    int xFor(double tenths) const;
    // Tenths of an inch at pixel x (not rounded).
    double tenthsAt(int x) const;
    // The band of a print line (1-based).
    QRect bandRect(int line) const;
    QRect rulerRect() const;
    // Index into boxes of the box under the point, the topmost drawn one
    // winning; -1 when none. *hit tells which part of it.
    int boxAt(QPoint point, PreviewHit* hit = nullptr) const;
    // Index into boxes of the box of a column, -1 when it is not drawn.
    int boxOfRow(int row) const;
};

class PreviewRenderer
{
public:
    static constexpr int gutter = 26;      // room for the line numbers left of position 0
    static constexpr int rightMargin = 14; // room after the ruler's end
    static constexpr int rulerHeight = 28;
    static constexpr int bandHeight = 24;
    static constexpr int boxInset = 3;   // between a band's edge and its boxes
    static constexpr int maxLines = 30;  // bands beyond this are not drawn
    static constexpr int maxSpan = 1000; // tenths; columns further right are cut off

    // The check's warnings for each column, by the same rule as "Check
    // Columns": a column whose left margin is past its right, one whose right
    // margin is past the printable width, and every column of a line that
    // the check finds overlapping another one of that line. The columns must
    // come in the grid's order (by line, field order within a line).
    static QList<QStringList> columnWarnings(int printableWidth,
                                             const QList<PreviewColumn>& columns);

    // Tenths of an inch the ruler covers: the printable width or the
    // furthest position, whichever is larger, rounded up to a whole inch.
    static int spanFor(int printableWidth, const QList<PreviewColumn>& columns);

    // The geometry at a given scale (pixels per tenth). The ruler covers at
    // least minSpan tenths (a preview keeps its scale while a column is
    // being dragged).
    static PreviewLayout layout(const QList<PreviewColumn>& columns, int printableWidth,
                                double scale, int minSpan = 0);
    // The geometry that fills a given width in pixels.
    static PreviewLayout layoutToFit(const QList<PreviewColumn>& columns, int printableWidth,
                                     int pixelWidth);

    // Paints a layout. selectedRow (an index into the columns) gets a
    // heavier frame; withFocus adds a focus frame around it.
    static void paint(QPainter& painter, const PreviewLayout& layout, int selectedRow = -1,
                      bool withFocus = false);

    // The picture of the columns on the printable width, pixelWidth wide.
    static QImage render(const QList<PreviewColumn>& columns, int printableWidth, int pixelWidth,
                         int selectedRow = -1);
    static QImage render(const PreviewLayout& layout, int selectedRow = -1);

    // The ruler's texts as paint() writes them: the inch numbers (each with
    // the rectangle it covers) and the printable width in inches beside its
    // mark. An inch number that would come near that text or the mark's
    // line is left out.
    struct RulerText
    {
        QRect rect;
        QString text;
    };
    static RulerText limitText(const PreviewLayout& layout);
    static QList<RulerText> rulerNumbers(const PreviewLayout& layout);
    static constexpr int rulerTextGap = 3; // pixels kept free around the ruler's texts

    // The text written in a box: its label, cut with an ellipsis when the
    // box is too narrow for it.
    static QString boxText(const PreviewBox& box);
    // The room for the text inside a box.
    static QRect boxTextRect(const PreviewBox& box);
    static QFont rulerFont();
    static QFont labelFont();

    // The tool tip of a box: the warning texts, one a line, or for a clean
    // column its label and its place in tenths and inches.
    static QString toolTip(const PreviewBox& box);

    // Colours, for callers and tests that look at the picture.
    static QRgb paperColour();
    static QRgb beyondColour(); // paper past the printable width
    static QRgb boxFrameColour();
    static QRgb boxFillColour();
    static QRgb warningFrameColour();
    static QRgb warningFillColour();
    static QRgb limitColour(); // the printable-width mark
};
