#pragma once

#include <QStringList>

class QListWidget;

// The texts of a list control's entries, top to bottom: how the wizard's
// pages read the field lists they hand to the field rules and the layout.
QStringList entriesOf(const QListWidget* list);
