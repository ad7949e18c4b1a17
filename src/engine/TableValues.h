#pragma once

#include "engine/ParadoxTypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

// How the table engine shows, orders and takes the values of its columns.
// Internal to the engine: Table is its public face.
namespace TableValues {

// Orders two stored values: empty first, then by the value's own order.
// Returns -1, 0 or 1.
int compareValues(const QVariant& a, const QVariant& b, bool caseInsensitive);

// Orders two rows by the columns at `positions`, in turn.
int compareRows(const Row& a, const Row& b, const QList<int>& positions, bool caseInsensitive);

// A stored value as text: what asString() gives and messages show.
QString displayText(const QVariant& value);

// The key of a row in the columns at `positions`, for messages.
QString keyText(const Row& row, const QList<int>& positions);

} // namespace TableValues

// What one cursor adds to the definition of its columns: limits checked on
// assignment, the names its messages call the columns by, and columns it
// requires whatever the table says. With these it turns what a caller
// assigns into the value stored, and a stored value into a number or a
// logical value, refusing with DatabaseError in plain words (naming the
// value and the column) what does not fit. Columns are known by name,
// without regard to case.
class ColumnRules
{
public:
    void setRange(const QString& field, int minimum, int maximum);
    // The limits given with setRange(), or an empty value when there are none.
    QVariant minValue(const QString& field) const;
    QVariant maxValue(const QString& field) const;
    void setLabel(const QString& field, const QString& label);
    void setRequired(const QString& field, bool required);

    // The column as messages name it: its label, or its name.
    QString label(const FieldDef& def) const;
    bool isRequired(const FieldDef& def) const;

    // The stored value for a text; an empty text stores an empty value.
    QVariant fromText(const FieldDef& def, const QString& text) const;
    // The stored value for a whole number; `text` is how messages show it.
    QVariant fromInteger(const FieldDef& def, qint64 value, const QString& text) const;
    // The stored value for a value of any type.
    QVariant convert(const FieldDef& def, const QVariant& value) const;

    // A stored value read as a whole number (empty reads as 0) or as a
    // logical value (empty reads as false).
    int toInteger(const FieldDef& def, const QVariant& value) const;
    bool toBoolean(const FieldDef& def, const QVariant& value) const;

private:
    struct Range
    {
        qint64 minimum;
        qint64 maximum;
    };

    void checkRange(const FieldDef& def, qint64 value, const QString& text) const;
    void checkRangeDouble(const FieldDef& def, double value, const QString& text) const;

    QHash<QString, Range> m_ranges;           // by lower-case field name
    QHash<QString, bool> m_requiredOverrides; // by lower-case field name
    QHash<QString, QString> m_labels;         // by lower-case field name
};
