#pragma once

#include "engine/ParadoxTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// The contact side of the field catalogue: what the contact pick list holds
// and which summaries a report may print for a field.

// The three combination fields, always in this order and in lower case:
// "salutfirstlast", "firstlast", "citystatezip".
QStringList combinationFields();
// Check box captions of the special fields dialog, matching
// combinationFields() one for one: "SalutFirstLast", "FirstLast", "CityStateZip".
QStringList specialFieldCaptions();

// The contact pick list: every column of the contact table in the table's own
// order, none left out, then the three combination fields.
QStringList contactPickListEntries(const QList<FieldDef>& contactFields);

// Index of the first entry equal to `text` without regard to case, or -1
// (the way entries are looked up in list controls).
int indexOfEntry(const QStringList& entries, const QString& text);

// The five summary check boxes of the "Field Definitions" page.
struct SummaryOptions
{
    bool totaled = false;  // DBCBTotal
    bool counted = false;  // DBCBCount
    bool averaged = false; // DBCBAverage
    bool maxValue = false; // DBCBMax
    bool minValue = false; // DBCBMin

    friend bool operator==(const SummaryOptions&, const SummaryOptions&) = default;
};

// The summaries offered for a contact column of this type: numbers all five,
// dates and times count/max/min, text, logical and memo count only, anything
// else none.
SummaryOptions summaryOptionsForType(FieldType type);
// The summaries offered for the layout row whose Field is `field`: by the
// column's type when the contact table defines it (name compared without
// regard to case, as the engine does), otherwise "Counted" only (event
// fields, combination fields).
SummaryOptions CheckFieldTypes(const QList<FieldDef>& contactFields, const QString& field);
