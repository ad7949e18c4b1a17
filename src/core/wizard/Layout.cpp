#include "core/wizard/Layout.h"

#include "core/store/WorkingTable.h"

#include <algorithm>

namespace Layout {

namespace {

bool isCustomId(const QString& entry) { return entry.toLower() == u"customid"; }

} // namespace

QString blankCell() { return QStringLiteral("BLANK"); }

QString tooManyFieldsMessage() { return QStringLiteral("You cannot have more than 18 fields!"); }

int clampColumns(int columns) { return std::clamp(columns, MinColumns, MaxColumns); }

QString Grid::text(int column, int row) const
{
    if (row < 0 || row >= cells.size() || column < 0 || column >= cells.at(row).size())
        return QString();
    const QString& entry = cells.at(row).at(column);
    return entry.isNull() ? blankCell() : entry;
}

QStringList gridEntries(const QStringList& order, bool detailLevel)
{
    QStringList entries = order;
    // The leading "CustomID" has its own column and is never laid out.
    if (detailLevel && !entries.isEmpty() && isCustomId(entries.first()))
        entries.removeFirst();
    return entries;
}

Grid SetGrid(const QStringList& order, int columns, bool detailLevel)
{
    Grid grid;
    grid.columns = clampColumns(columns);
    const QStringList entries = gridEntries(order, detailLevel);

    const int needed = (int(entries.size()) + grid.columns - 1) / grid.columns;
    grid.rows = std::clamp(needed, 1, MaxRows);
    grid.overflowed = needed > MaxRows;
    grid.cells.resize(grid.rows);
    for (QStringList& row : grid.cells)
        row.resize(grid.columns);

    for (int i = 0; i < entries.size(); ++i) {
        const int row = std::min(i / grid.columns, MaxRows - 1);
        grid.cells[row][i % grid.columns] = entries.at(i);
    }
    return grid;
}

QSize cellSize(const QSize& area, const Grid& grid)
{
    const int columns = std::max(grid.columns, 1);
    const int rows = std::max(grid.rows, 1);
    return QSize(area.width() / columns, area.height() / rows);
}

bool TooManyFieldsNotice::take(const Grid& grid)
{
    if (!grid.overflowed || m_shown)
        return false;
    m_shown = true;
    return true;
}

bool detailLevelShown(bool detailLevel, const QString& wizardMode, bool fieldsChanged)
{
    return detailLevel && (wizardMode == u"CREATE" || fieldsChanged);
}

bool usesStoredPositions(const QString& wizardMode, bool fieldsChanged)
{
    return wizardMode == u"MODIFY" && !fieldsChanged;
}

QList<QStringList> FillColTable(const QStringList& order, const Grid& grid, bool detailShown,
                                int width, const QStringList& previousLines)
{
    QList<QStringList> rows;
    rows << WorkingTable::gridHeaders();

    const int start = detailShown ? DetailLevelEnd + 1 : 1;
    QList<int> lineCounts(grid.cells.size() + 2, 0); // by line number, 1-based
    int firstRow = 1;
    if (detailShown) {
        rows << QStringList{QStringLiteral("CustomID"), QStringLiteral("1"), QStringLiteral("1"),
                            QString::number(DetailLevelEnd)};
        lineCounts[1] = 1;
        firstRow = 2;
    }

    // With the detail level shown its row stands first and a "CustomID" entry
    // has nothing more to add; otherwise every entry is a field like any other.
    for (const QString& entry : order) {
        if (detailShown && isCustomId(entry))
            continue;
        rows << QStringList{entry, QString(), QString(), QString()};
    }

    // Lines: where the layout put each field. A field the layout lost (past
    // the 18th row) keeps the line text it had before.
    QList<bool> placed(rows.size(), false);
    for (int r = firstRow; r < rows.size(); ++r) {
        QStringList& row = rows[r];
        const int previous = r - 1;
        if (previous < previousLines.size())
            row[1] = previousLines.at(previous);
        if (row.at(0).isEmpty())
            continue;
        for (int y = 0; y < grid.cells.size(); ++y) {
            for (const QString& cell : grid.cells.at(y)) {
                if (!cell.isNull() && cell == row.at(0)) {
                    row[1] = QString::number(y + 1);
                    ++lineCounts[y + 1];
                    placed[r] = true;
                }
            }
        }
    }

    const int fieldsOnFirstLine = lineCounts.at(1);
    const int slot = fieldsOnFirstLine > 0 ? (width - start) / fieldsOnFirstLine : 0;

    // Every position lies on the page: within 1 and the printable width, and
    // a column never ends before it starts.
    const int lastPosition = std::max(width, 1);
    auto setPositions = [lastPosition](QStringList& row, int left, int right) {
        left = std::clamp(left, 1, lastPosition);
        right = std::clamp(right, left, lastPosition);
        row[2] = QString::number(left);
        row[3] = QString::number(right);
    };
    if (detailShown)
        setPositions(rows[1], 1, DetailLevelEnd);

    // Every line shares the slots of line 1, so the columns stand one under
    // another; the place counter restarts whenever the line changes.
    int line = 1;
    int place = 0;
    for (int r = firstRow; r < rows.size(); ++r) {
        QStringList& row = rows[r];
        // A field the layout lost has the positions of the first field of a
        // line, and leaves the count of the line it stands in alone: the
        // fields laid out after it keep their own slots.
        if (!placed.at(r)) {
            setPositions(row, start, start + slot - 1);
            continue;
        }
        bool ok = false;
        int read = row.at(1).trimmed().toInt(&ok);
        if (!ok)
            read = 0;
        if (read == line) {
            ++place;
        } else {
            ++line;
            place = 1;
        }
        setPositions(row, start + (place - 1) * slot, start + place * slot - 1);
    }
    return rows;
}

} // namespace Layout
