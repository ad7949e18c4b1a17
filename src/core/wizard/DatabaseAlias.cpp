#include "core/wizard/DatabaseAlias.h"

QString DatabaseAlias = QStringLiteral("VESKA");
