#include "core/store/ColumnCheck.h"

#include <algorithm>
#include <vector>

ColumnCheckResult ColumnCheck::CheckColumnPositions(int maximum, const QList<ColumnRow>& rows)
{
    ColumnCheckResult result;

    // 1. Every column's left margin lies at or before its right margin.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].left.value_or(0) > rows[i].right.value_or(0)) {
            result.warning = ColumnWarning::LeftAfterRight;
            result.message = QStringLiteral("LEFT Margin is less than RIGHT margin");
            result.value = rows[i].left.value_or(0);
            result.row = int(i);
            return result;
        }
    }

    // 2. No right margin beyond the printable width.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].right.value_or(0) > maximum) {
            result.warning = ColumnWarning::BeyondMaximum;
            result.message =
                QStringLiteral("RIGHT margin greater than Right margin MAX of %1").arg(maximum);
            result.value = maximum;
            result.row = int(i);
            return result;
        }
    }

    // 3. On each of the lines 1 to 10, the margins read in field order
    //    (left, right, left, right, ...) are compared with the same margins
    //    sorted and without repeats, over the length of the latter. The first
    //    place where they differ is an overlap, reported with the margin that
    //    stands there in field order. The margins compare as numbers, so
    //    negative margins keep their numeric order.
    std::vector<int> inOrder;
    std::vector<int> rowOf;
    std::vector<int> sorted;
    for (int line = 1; line <= 10; ++line) {
        inOrder.clear();
        rowOf.clear();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (rows[i].line.value_or(0) != line)
                continue;
            inOrder.push_back(rows[i].left.value_or(0));
            inOrder.push_back(rows[i].right.value_or(0));
            rowOf.push_back(int(i));
            rowOf.push_back(int(i));
        }
        sorted = inOrder;
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        std::optional<size_t> at;
        for (size_t p = 0; p < sorted.size() && !at; ++p) {
            if (inOrder[p] != sorted[p])
                at = p;
        }
        // When the leading margins are all in order, the ones beyond them
        // repeat margins already used. Repeating the line's last margin (a
        // last column whose margins are equal) is accepted; any other repeat
        // means a column lies on top of an earlier one, such as two fields
        // with the very same margins, and is an overlap as well.
        if (!at && !sorted.empty()) {
            for (size_t p = sorted.size(); p < inOrder.size() && !at; ++p) {
                if (inOrder[p] != sorted.back())
                    at = p;
            }
        }
        if (at) {
            result.warning = ColumnWarning::Overlap;
            result.value = inOrder[*at];
            result.message =
                QStringLiteral("There are overlaps for right margin %1").arg(inOrder[*at]);
            result.row = rowOf[*at];
            return result;
        }
    }
    return result;
}
