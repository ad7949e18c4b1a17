#pragma once

#include <QString>
#include <QStringList>

class QPushButton;
class QTableWidget;
class QWidget;

// Reading a window's controls by their object names, as the dialog tests do.

// The push button `name` of `window`, or nullptr.
QPushButton* findButton(const QWidget& window, const char* name);
// The text of the label `name` of `window` (which must have it).
QString labelText(const QWidget& window, const char* name);
// Every row of `grid` as its cells' texts joined by '|', a missing cell as
// nothing.
QStringList gridRowTexts(const QTableWidget* grid);
