#include "core/catalogue/UserFields.h"

QStringList userFieldNames()
{
    QStringList names;
    for (int i = 1; i <= 16; ++i)
        names << QStringLiteral("User%1").arg(i);
    for (int i = 1; i <= 16; ++i)
        names << QStringLiteral("Date%1").arg(i);
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("Num%1").arg(i);
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("Money%1").arg(i);
    return names;
}
