#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>
#include <QMetaObject>

class TPickList;

// What a screen reader gets of a pick list: the list, and one list item per
// entry, named by its text, with its selection and, in the check-box style,
// its check box and check mark (the list draws them itself, so the
// platform's own list would announce neither). Toggling an item through an
// assistive tool is a user's click on it: the list's click handler runs,
// and with it the wizard's rules for the selection.
//
// Installed for every TPickList by installPickListAccessible().
class PickListAccessible : public QAccessibleWidget
{
public:
    explicit PickListAccessible(TPickList* list);
    ~PickListAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessible::State state() const override;

    TPickList* list() const;

private:
    void forgetItems();

    mutable QHash<int, QAccessible::Id> m_items;
    QList<QMetaObject::Connection> m_connections;
};

// Makes the accessibility layer use PickListAccessible for pick lists; the
// first TPickList calls it, later calls do nothing.
void installPickListAccessible();
