#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// The arithmetic behind the pick list's drawing, kept free of widgets so it
// can be tested and fuzzed on its own: tab stop parsing, tab expansion and the
// geometry of a check-box item.
namespace PickListGeometry {

// Converts one tab stop piece to a whole number: optional leading blanks, an
// optional sign, then one or more decimal digits and nothing else; the value
// must fit a signed 32-bit integer.
bool parseTabStop(const QString& piece, int* value);

// Parses a tab stop text ("10;20;35") into `entries`, which is emptied first.
// Every piece is kept as the text it is. A ';' ends a piece unless it is the
// first character of the text, where it is part of the piece. The first piece
// that is not a whole number throws InvalidTabStop; the pieces accepted before
// it stay in `entries`. An empty text leaves `entries` empty.
void parseTabStops(const QString& text, QStringList& entries);

// The stored text of a tab stop list: the entries joined with ';'.
QString joinTabStops(const QStringList& entries);

// Tab positions in pixels from the left edge of the list's client area: each
// entry times the average character width. Values beyond the range of int are
// clamped. Throws InvalidTabStop for an entry that is not a whole number.
QList<int> tabPositions(const QStringList& entries, int averageCharWidth);

// Where text continues after a tab character met at pixel `x`:
// - no positions: the next multiple of eight average character widths;
// - one position: the next multiple of that distance;
// - several: the first position, in list order, greater than x; past the last
//   one, the next multiple of eight average character widths.
// A distance that is not positive falls back to eight average character
// widths; when that is not positive either, x is returned unchanged.
int nextTabPosition(int x, const QList<int>& positions, int averageCharWidth);

// The default distance between tabs when no tab stops are given.
constexpr int defaultTabChars = 8;

// Check-box items. `item` is the item's rectangle; `itemHeight` is the list's
// fixed item height. Coordinates are those of a widget (within +/-2^24).
//
// The box: columns item.left()+2 up to item.left()+itemHeight-1 and rows
// item.top()+1 up to item.top()+itemHeight-2 (an empty rectangle when the item
// height is below 3).
QRect checkBoxRect(const QRect& item, int itemHeight);

// The check mark of a selected item: vertical strokes one pixel wide and three
// tall. With h the item's height made odd (one less when even), m = h/2 + 1 and
// k = h/3, the short arm has a stroke in column left+1+i for i = 2..k starting
// at row top+m and one row lower each time; the long arm continues two rows
// higher, for i = k+1..h-3, one row higher each time. Heights above
// maxMarkHeight are treated as maxMarkHeight.
QList<QRect> checkMarkStrokes(const QRect& item);
constexpr int maxMarkHeight = 4096;

// Where the text of a check-box item starts.
inline int checkBoxTextX(const QRect& item, int itemHeight) { return item.left() + itemHeight + 4; }

// Where the text of a bold-text item or a plain owner-drawn item starts.
inline int plainTextX(const QRect& item) { return item.left() + 2; }

} // namespace PickListGeometry
