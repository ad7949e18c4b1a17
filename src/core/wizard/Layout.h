#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The arithmetic of the "Column and Rows" and "Column Widths" pages: how the
// field order is laid out in columns and print lines, and the default
// positions of each field in tenths of an inch.
namespace Layout {

inline constexpr int MinColumns = 1;
inline constexpr int MaxColumns = 20;
inline constexpr int MaxRows = 18;
// The detail-level field always occupies 1 to 25 of line 1.
inline constexpr int DetailLevelEnd = 25;

QString blankCell();            // "BLANK"
QString tooManyFieldsMessage(); // "You cannot have more than 18 fields!"

// A column count taken within 1 to 20 (also for the count set from the
// number of fields).
int clampColumns(int columns);

// The layout of the fields in C columns and R rows.
struct Grid
{
    int columns = 1;
    int rows = 1;
    // cells[row][column]: the entry laid there, or a null string where none fell.
    QList<QStringList> cells;
    // An entry would have started a 19th row; the last row was reused.
    bool overflowed = false;

    // What StringGrid1 shows in a cell: the entry or "BLANK".
    QString text(int column, int row) const;
};

// The entries that are laid out: the field order without its leading
// "CustomID" when the detail level is on.
QStringList gridEntries(const QStringList& order, bool detailLevel);
// Lays the entries out row by row, left to right, in `columns` (taken within
// 1 to 20) columns and at most 18 rows; past the 18th row each further entry
// replaces the one in the same column of the last row.
Grid SetGrid(const QStringList& order, int columns, bool detailLevel);
// Size of one cell when the layout fills a grid area of `area` pixels.
QSize cellSize(const QSize& area, const Grid& grid);

// Shows "You cannot have more than 18 fields!" at most once: the wizard keeps
// one of these and asks it after every layout.
class TooManyFieldsNotice
{
public:
    // True when the message is due now (the layout overflowed and it has not
    // been shown); marks it shown.
    bool take(const Grid& grid);
    void reset() { m_shown = false; }
    bool shown() const { return m_shown; }

private:
    bool m_shown = false;
};

// Whether the computed positions show the detail-level field: the detail
// level is on and the report is new or its fields were changed.
bool detailLevelShown(bool detailLevel, const QString& wizardMode, bool fieldsChanged);
// Whether the "Column Widths" page reloads stored positions instead of
// computing them: a modified or copied report whose fields were not changed.
bool usesStoredPositions(const QString& wizardMode, bool fieldsChanged);

// The default positions for sgCol: the header row "Field", "Line",
// "Starting At", "Ending At", then one row per field as texts. `width` is the
// printable width in tenths of an inch; `previousLines` is sgCol's "Line"
// column (data rows from the first) before the call, kept for entries that
// the layout lost.
QList<QStringList> FillColTable(const QStringList& order, const Grid& grid, bool detailShown,
                                int width, const QStringList& previousLines = {});

} // namespace Layout
