#include "wizard/DatabaseAlias.h"

QString DatabaseAlias = QStringLiteral("VESKA");
