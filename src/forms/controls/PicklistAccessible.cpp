#include "forms/controls/PicklistAccessible.h"

#include "forms/controls/Picklist.h"

#include <QPointer>

namespace {

// One entry of a pick list. It stands for a row; the list forgets its items
// whenever its rows change.
class PickListItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    PickListItemAccessible(TPickList* list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return m_list && m_row >= 0 && m_row < m_list->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override
    {
        QAccessibleInterface* p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface* parent() const override
    {
        return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        // Columns on tab stops are read as words apart.
        return m_list->item(m_row)->text().replace(QLatin1Char('\t'), QLatin1Char(' '));
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        QRect r = m_list->visualItemRect(m_list->item(m_row));
        r.moveTopLeft(m_list->viewport()->mapToGlobal(r.topLeft()));
        return r;
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool selected = m_list->isItemSelected(m_row);
        s.selectable = true;
        s.focusable = true;
        s.selected = selected;
        s.multiSelectable = m_list->multiSelect() && !m_list->extendedSelect();
        s.extSelectable = m_list->multiSelect() && m_list->extendedSelect();
        s.focused = m_list->hasFocus() && m_list->currentRow() == m_row;
        if (m_list->selectedStyle() == TPickList::psCheckbox) {
            s.checkable = true;
            s.checked = selected;
        }
        s.disabled = !m_list->isEnabled();
        const QRect viewport(m_list->viewport()->mapToGlobal(QPoint(0, 0)),
                             m_list->viewport()->size());
        if (!viewport.intersects(rect()))
            s.invisible = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& name) override
    {
        if (name == toggleAction() && isValid() && m_list->isEnabled())
            m_list->toggleByUser(m_row);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TPickList> m_list;
    int m_row;
};

QAccessibleInterface* pickListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TPickList"))
        if (auto* list = qobject_cast<TPickList*>(object))
            return new PickListAccessible(list);
    return nullptr;
}

} // namespace

PickListAccessible::PickListAccessible(TPickList* list) : QAccessibleWidget(list, QAccessible::List)
{
    QAbstractItemModel* model = list->model();
    const auto forget = [this] { forgetItems(); };
    m_connections << QObject::connect(model, &QAbstractItemModel::rowsInserted, list, forget)
                  << QObject::connect(model, &QAbstractItemModel::rowsRemoved, list, forget)
                  << QObject::connect(model, &QAbstractItemModel::rowsMoved, list, forget)
                  << QObject::connect(model, &QAbstractItemModel::modelReset, list, forget)
                  << QObject::connect(model, &QAbstractItemModel::layoutChanged, list, forget);
}

PickListAccessible::~PickListAccessible()
{
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        QObject::disconnect(c);
    forgetItems();
}

TPickList* PickListAccessible::list() const { return static_cast<TPickList*>(widget()); }

void PickListAccessible::forgetItems()
{
    const auto ids = m_items.values();
    m_items.clear();
    for (QAccessible::Id id : ids)
        QAccessible::deleteAccessibleInterface(id);
}

int PickListAccessible::childCount() const { return list()->count(); }

QAccessibleInterface* PickListAccessible::child(int index) const
{
    if (index < 0 || index >= list()->count())
        return nullptr;
    if (auto it = m_items.constFind(index); it != m_items.constEnd())
        return QAccessible::accessibleInterface(it.value());
    auto* item = new PickListItemAccessible(list(), index);
    m_items.insert(index, QAccessible::registerAccessibleInterface(item));
    return item;
}

int PickListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = m_items.constBegin(); it != m_items.constEnd(); ++it)
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    return -1;
}

QAccessibleInterface* PickListAccessible::childAt(int x, int y) const
{
    const QPoint local = list()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = list()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessible::State PickListAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = list()->multiSelect() && !list()->extendedSelect();
    s.extSelectable = list()->multiSelect() && list()->extendedSelect();
    return s;
}

void installPickListAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(pickListFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
