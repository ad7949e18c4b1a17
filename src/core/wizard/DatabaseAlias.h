#pragma once

#include <QString>

// The database alias through which every table and folder of the program is
// reached. The wizard sets it when it is created; it starts out as "VESKA" so
// that dialogs used on their own find the same data folder.
extern QString DatabaseAlias;
