#include "engine/TableView.h"

#include "engine/DatabaseError.h"
#include "engine/TableState.h"
#include "engine/TableValues.h"

#include <algorithm>

using TableValues::compareRows;

TableView::TableView(const std::shared_ptr<SharedTableState>& shared, const QString& tableName)
    : m_shared(shared), m_tableName(tableName)
{
}

void TableView::invalidate()
{
    m_orderGeneration = kNever;
    m_keyOrderGeneration = kNever;
}

void TableView::clear()
{
    m_order.clear();
    invalidate();
    currentId = 0;
}

const QList<FieldDef>& TableView::fields() const { return m_shared->fields; }

int TableView::fieldIndexOf(const QString& name) const
{
    if (!m_shared)
        return -1;
    for (int i = 0; i < m_shared->fields.size(); ++i) {
        if (m_shared->fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int TableView::requireField(const QString& name) const
{
    const int i = fieldIndexOf(name);
    if (i < 0)
        throw DatabaseError(
            QStringLiteral("Field '%1' not found in the table %2.").arg(name, m_tableName));
    return i;
}

IndexDef TableView::currentIndex() const
{
    for (const IndexDef& def : m_shared->indexes) {
        if (indexName.isEmpty() ? def.primary
                                : def.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return def;
    }
    if (indexName.isEmpty())
        return IndexDef(); // no primary index: file order
    throw DatabaseError(
        QStringLiteral("The table %1 has no index named '%2'.").arg(m_tableName, indexName));
}

QList<int> TableView::indexFieldPositions(const IndexDef& def) const
{
    QList<int> positions;
    for (const QString& name : def.fields)
        positions << requireField(name);
    return positions;
}

QList<int> TableView::primaryPositions() const
{
    QList<int> positions;
    for (int i = 0; i < m_shared->keyFieldCount && i < m_shared->fields.size(); ++i)
        positions << i;
    return positions;
}

// The order of a view on an index: by the index's fields, rows with equal
// keys by the primary key (as the engine keeps a secondary index), then as
// they are stored.
auto TableView::viewOrder(const IndexDef& def, const QList<int>& positions) const
{
    return [this, positions, key = primaryPositions(),
            caseInsensitive = def.caseInsensitive](int x, int y) {
        const Row& a = m_shared->rows.at(x).values;
        const Row& b = m_shared->rows.at(y).values;
        const int c = compareRows(a, b, positions, caseInsensitive);
        if (c != 0 || key.isEmpty() || key == positions)
            return c < 0;
        return compareRows(a, b, key, false) < 0;
    };
}

bool TableView::isCurrent() const
{
    return m_orderGeneration == m_shared->generation && m_orderIndex == indexName;
}

void TableView::update()
{
    if (isCurrent())
        return;
    const IndexDef def = currentIndex();
    const QList<int> positions = indexFieldPositions(def);
    m_order.resize(m_shared->rows.size());
    for (int i = 0; i < m_order.size(); ++i)
        m_order[i] = i;
    if (!positions.isEmpty())
        std::stable_sort(m_order.begin(), m_order.end(), viewOrder(def, positions));
    m_orderGeneration = m_shared->generation;
    m_orderIndex = indexName;
    placeOnCurrent();
}

void TableView::markCurrent() { m_orderGeneration = m_shared->generation; }

const Row* TableView::currentRow() const
{
    if (pos < 0 || pos >= m_order.size())
        return nullptr;
    return &m_shared->rows.at(m_order.at(pos)).values;
}

void TableView::moveTo(int position)
{
    if (m_order.isEmpty()) {
        pos = -1;
        currentId = 0;
        eof = bof = true;
        return;
    }
    pos = std::clamp(position, 0, int(m_order.size()) - 1);
    currentId = m_shared->rows.at(m_order.at(pos)).id;
    bof = pos == 0;
    eof = false;
}

void TableView::placeOnCurrent()
{
    if (m_order.isEmpty()) {
        pos = -1;
        currentId = 0;
        eof = bof = true;
        return;
    }
    if (currentId != 0) {
        for (int i = 0; i < m_order.size(); ++i) {
            if (m_shared->rows.at(m_order.at(i)).id == currentId) {
                pos = i;
                return;
            }
        }
    }
    pos = std::clamp(pos, 0, int(m_order.size()) - 1);
    currentId = m_shared->rows.at(m_order.at(pos)).id;
}

int TableView::find(const IndexDef& def, const Row& key, const QList<int>& used) const
{
    // The order is the index's, so the first row with the key is found by
    // halving.
    const auto at = std::lower_bound(m_order.cbegin(), m_order.cend(), 0, [&](int x, int) {
        return compareRows(m_shared->rows.at(x).values, key, used, def.caseInsensitive) < 0;
    });
    if (at == m_order.cend() ||
        compareRows(m_shared->rows.at(*at).values, key, used, def.caseInsensitive) != 0)
        return -1;
    return int(at - m_order.cbegin());
}

int TableView::takeLastRowIntoView()
{
    const int last = int(m_shared->rows.size()) - 1;
    const IndexDef def = currentIndex();
    const QList<int> positions = indexFieldPositions(def);
    auto at = m_order.end();
    if (!positions.isEmpty())
        at = std::upper_bound(m_order.begin(), m_order.end(), last, viewOrder(def, positions));
    const int placed = int(at - m_order.begin());
    m_order.insert(placed, last);
    m_orderGeneration = m_shared->generation;
    m_orderIndex = indexName;
    return placed;
}

int TableView::reseatRowInView(int rowIndex)
{
    const IndexDef def = currentIndex();
    const QList<int> positions = indexFieldPositions(def);
    int at = -1;
    if (pos >= 0 && pos < m_order.size() && m_order.at(pos) == rowIndex)
        at = pos;
    for (int i = 0; at < 0 && i < m_order.size(); ++i) {
        if (m_order.at(i) == rowIndex)
            at = i;
    }
    if (at < 0 || positions.isEmpty())
        return at;
    m_order.removeAt(at);
    const auto place =
        std::upper_bound(m_order.begin(), m_order.end(), rowIndex, viewOrder(def, positions));
    const int placed = int(place - m_order.begin());
    m_order.insert(placed, rowIndex);
    return placed;
}

const std::vector<int>& TableView::primaryOrder()
{
    if (m_keyOrderGeneration == m_shared->generation)
        return m_keyOrder;
    const QList<int> key = primaryPositions();
    m_keyOrder.resize(size_t(m_shared->rows.size()));
    for (size_t i = 0; i < m_keyOrder.size(); ++i)
        m_keyOrder[i] = int(i);
    std::stable_sort(m_keyOrder.begin(), m_keyOrder.end(), [&](int x, int y) {
        return compareRows(m_shared->rows.at(x).values, m_shared->rows.at(y).values, key, false) <
               0;
    });
    m_keyOrderGeneration = m_shared->generation;
    return m_keyOrder;
}

size_t TableView::primaryPlace(const Row& values, int skip, int* clash)
{
    const QList<int> key = primaryPositions();
    const std::vector<int>& order = primaryOrder();
    const auto first = std::lower_bound(order.begin(), order.end(), 0, [&](int x, int) {
        return compareRows(m_shared->rows.at(x).values, values, key, false) < 0;
    });
    *clash = -1;
    for (auto it = first; it != order.end(); ++it) {
        if (compareRows(m_shared->rows.at(*it).values, values, key, false) != 0)
            break;
        if (*it != skip) {
            *clash = *it;
            break;
        }
    }
    return size_t(first - order.begin());
}

bool TableView::keyOrderCurrent() const { return m_keyOrderGeneration == m_shared->generation; }

void TableView::markKeyOrderCurrent() { m_keyOrderGeneration = m_shared->generation; }

void TableView::insertIntoKeyOrder(size_t place, int rowIndex)
{
    m_keyOrder.insert(m_keyOrder.begin() + qsizetype(place), rowIndex);
    m_keyOrderGeneration = m_shared->generation;
}
