#pragma once

#include <QList>
#include <QString>

#include <optional>

// The position check that the column editor's "Check for Errors" and the
// wizard's "Check Columns" share: every column starts no later than it ends,
// ends within the printable width, and on each of the print lines 1 to 10
// begins after the column before it ends.

// One field's place, from a row of the layout table. A blank value counts as 0.
struct ColumnRow
{
    QString field;
    std::optional<int> line;
    std::optional<int> left;
    std::optional<int> right;
};

enum class ColumnWarning { None, LeftAfterRight, BeyondMaximum, Overlap };

struct ColumnCheckResult
{
    ColumnWarning warning = ColumnWarning::None;
    QString message; // the warning's text, empty when the positions check out
    int value = 0;   // the maximum, or the overlapping margin
    int row = -1;    // index of the row that caused the warning, -1 when none

    bool ok() const { return warning == ColumnWarning::None; }
};

class ColumnCheck
{
public:
    // rows must come in the layout table's "iOrder" order (by line, then by
    // field order); maximum is the largest right margin allowed.
    static ColumnCheckResult CheckColumnPositions(int maximum, const QList<ColumnRow>& rows);

    // Texts shown when the check passes.
    static QString editorOkText() { return QStringLiteral("Columns check out OK"); }
    static QString wizardOkText() { return QStringLiteral("Columns appear OK."); }
};
