#include "app/TableState.h"

// Replaced by the table file code once the checksum is worked out.
quint32 paradoxPasswordChecksum(const QString&) { return 0; }
