#include "forms/wizard/ListEntries.h"

#include <QListWidget>

QStringList entriesOf(const QListWidget* list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}
