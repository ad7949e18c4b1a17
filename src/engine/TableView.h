#pragma once

#include "engine/ParadoxTypes.h"

#include <QList>
#include <QString>

#include <limits>
#include <memory>
#include <vector>

struct SharedTableState;

// One cursor's view of the rows that every cursor on a table shares: the
// rows in the order of the chosen index, the cursor's place in that order,
// and the primary-key order that the key check of a post searches. Both
// orders are made again only when the shared rows changed in a way that was
// not kept up in them. Internal to the engine: Table is its public face.
class TableView
{
public:
    // `shared` and `tableName` are the owning cursor's, read as they are
    // when used; `shared` must be set whenever rows are asked for.
    TableView(const std::shared_ptr<SharedTableState>& shared, const QString& tableName);

    // Forgets both orders, so that they are made again on next use.
    void invalidate();
    // Drops the order and the place (the table was closed).
    void clear();

    // The index in use: "" is the primary index (or file order when there
    // is none). Refuses an index the table does not have.
    QString indexName;
    IndexDef currentIndex() const;

    const QList<FieldDef>& fields() const;
    int fieldIndexOf(const QString& name) const; // -1 when missing
    int requireField(const QString& name) const; // refuses a missing one
    QList<int> indexFieldPositions(const IndexDef& def) const;
    QList<int> primaryPositions() const;

    // True when the order follows the shared rows and the chosen index.
    bool isCurrent() const;
    // Makes the order again unless it is current, and finds the current
    // row in it.
    void update();
    // The order follows the shared rows as they now stand: for a change
    // that was kept up in it by hand.
    void markCurrent();

    int size() const { return int(m_order.size()); }
    bool isEmpty() const { return m_order.isEmpty(); }
    // The position in the shared rows of the row at `position` in the order.
    int rowAt(int position) const { return m_order.at(position); }

    // The current row (nullptr when there is none) of an order that is
    // current.
    const Row* currentRow() const;
    // Moves to `position`, kept within the rows, of an order that is current.
    void moveTo(int position);
    // Finds the current row again after the order changed; a row that has
    // gone leaves the cursor on the row that took its place.
    void placeOnCurrent();

    // The position of the first row whose columns `used` equal those of
    // `key` in the order of `def` (the current index), or -1.
    int find(const IndexDef& def, const Row& key, const QList<int>& used) const;

    // Puts the last of the shared rows, just appended, into the order at the
    // place a stable sort would give it (after its equals), and marks the
    // order current. Returns that place.
    int takeLastRowIntoView();
    // Puts the shared row at `rowIndex`, whose values changed, back into the
    // order at its new place. Returns that place (-1 when not in the order).
    int reseatRowInView(int rowIndex);

    // Where `values` would stand in the primary-key order; *clash is set to
    // the position of a row (other than `skip`) with the same key, or -1.
    size_t primaryPlace(const Row& values, int skip, int* clash);
    bool keyOrderCurrent() const;
    // The key order follows the shared rows as they now stand: the change
    // kept the keys where they were.
    void markKeyOrderCurrent();
    // Takes the shared row at `rowIndex`, just appended, into the key order
    // at `place` (from primaryPlace()), and marks the key order current.
    void insertIntoKeyOrder(size_t place, int rowIndex);

    // The place in the order: the current row's identity and position, and
    // whether the cursor stands before the first or after the last row.
    quint64 currentId = 0;
    int pos = 0;
    bool eof = true;
    bool bof = true;

private:
    static constexpr quint64 kNever = std::numeric_limits<quint64>::max();

    auto viewOrder(const IndexDef& def, const QList<int>& positions) const;
    const std::vector<int>& primaryOrder();

    const std::shared_ptr<SharedTableState>& m_shared;
    const QString& m_tableName;

    // Positions into the shared rows in the order of the current index.
    QList<int> m_order;
    quint64 m_orderGeneration = kNever;
    QString m_orderIndex;

    // Positions into the shared rows in the order of the primary key, for the
    // key check of a post: a binary search instead of a look at every row.
    std::vector<int> m_keyOrder;
    quint64 m_keyOrderGeneration = kNever;
};
