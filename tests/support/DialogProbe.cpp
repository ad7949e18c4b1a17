#include "DialogProbe.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

QPushButton* findButton(const QWidget& window, const char* name)
{
    return window.findChild<QPushButton*>(QLatin1String(name));
}

QString labelText(const QWidget& window, const char* name)
{
    return window.findChild<QLabel*>(QLatin1String(name))->text();
}

QStringList gridRowTexts(const QTableWidget* grid)
{
    QStringList result;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        result << cells.join(QLatin1Char('|'));
    }
    return result;
}
