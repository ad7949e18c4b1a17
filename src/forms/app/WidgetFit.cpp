#include "forms/app/WidgetFit.h"

#include <QLayout>
#include <QWidget>

#include <algorithm>

void WidgetFit::fixToContents(QWidget* window, QSize smallest)
{
    QLayout* layout = window->layout();
    if (!layout) {
        window->setFixedSize(smallest.expandedTo(window->sizeHint()));
        return;
    }
    layout->activate();
    const int width = std::max(smallest.width(), layout->totalMinimumSize().width());
    int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                             : layout->sizeHint().height();
    height = std::max({height, layout->totalMinimumSize().height(), smallest.height()});
    window->setFixedSize(width, height);
}
