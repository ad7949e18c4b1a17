#include "forms/app/SelectionFollow.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

void followSelection(QAbstractItemView* view)
{
    QItemSelectionModel* model = view->selectionModel();
    QObject::connect(model, &QItemSelectionModel::selectionChanged, view, [view, model] {
        if (view->selectionMode() != QAbstractItemView::SingleSelection)
            return;
        const QModelIndexList selected = model->selectedIndexes();
        if (selected.isEmpty())
            return;
        const QModelIndex current = model->currentIndex();
        if (current.isValid() && current.row() == selected.first().row())
            return;
        const QModelIndex target =
            selected.first().siblingAtColumn(current.isValid() ? current.column() : 0);
        model->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    });
}
