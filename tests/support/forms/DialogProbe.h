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
// Texts of a shown window that its controls cut off, with whatever fonts
// are present: a label, button, check box or radio button narrower or lower
// than its text needs (a word-wrapped label: lower than its lines), a header
// section narrower than its label, a control outside the window.
QStringList cutTexts(const QWidget& window);
