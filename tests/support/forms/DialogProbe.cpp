#include "DialogProbe.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
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

QStringList cutTexts(const QWidget& window)
{
    QStringList cut;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        const QString name = widget->objectName();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty())
                continue;
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(label->width()) <= label->height()
                                  : label->sizeHint().width() <= label->width() &&
                                        label->fontMetrics().height() <= label->height();
            if (!fits)
                cut << QStringLiteral("%1 %2x%3 needs %4x%5")
                           .arg(name)
                           .arg(label->width())
                           .arg(label->height())
                           .arg(label->sizeHint().width())
                           .arg(label->wordWrap() ? label->heightForWidth(label->width())
                                                  : label->sizeHint().height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (!button->text().isEmpty() &&
                (button->width() < button->sizeHint().width() ||
                 button->height() < button->minimumSizeHint().height()))
                cut << name;
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            // Header labels of the sections as the user finds them.
            if (header->orientation() != Qt::Horizontal || !header->model())
                continue;
            const int margin =
                2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int s = 0; s < header->count(); ++s) {
                const QString text = header->model()->headerData(s, Qt::Horizontal).toString();
                if (!header->isSectionHidden(s) &&
                    header->fontMetrics().horizontalAdvance(text) + margin > header->sectionSize(s))
                    cut << QStringLiteral("header %1").arg(text);
            }
            continue;
        }
        if (!window.rect().contains(widget->mapTo(&window, widget->rect().bottomRight())) &&
            (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)))
            cut << name + QStringLiteral(" (outside)");
    }
    return cut;
}
