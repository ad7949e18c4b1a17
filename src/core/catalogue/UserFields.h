#pragma once

#include <QStringList>

// The 48 user fields of the contact manager, in the order the user field
// definitions dialog lists them: "User1" to "User16", "Date1" to "Date16",
// "Num1" to "Num8", "Money1" to "Money8". DATABASE.DB has one column of each
// name after "DB", holding the caption each database gives that field.
QStringList userFieldNames();
