#include "forms/controls/Picklist.h"

#include "core/controls/PickListGeometry.h"
#include "forms/controls/PicklistAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

// Draws the items in the list's selection style and gives them the list's
// fixed item height; psStandard items are left to the platform's delegate.
class TPickList::ItemDelegate : public QStyledItemDelegate
{
public:
    explicit ItemDelegate(TPickList* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        if (m_list->selectedStyle() == psStandard) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        m_list->paintItem(painter, option.rect, index.row(),
                          option.state.testFlag(QStyle::State_Selected),
                          option.state.testFlag(QStyle::State_HasFocus), option);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (m_list->selectedStyle() != psStandard)
            size.setHeight(m_list->itemHeight());
        return size;
    }

private:
    TPickList* m_list;
};

TPickList::TPickList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new ItemDelegate(this));
    setUniformItemSizes(true);
    updateSelectionMode();
    installPickListAccessible();
}

TPickList::~TPickList() = default;

void TPickList::setUseTabStops(bool use)
{
    if (use == m_useTabStops)
        return;
    m_useTabStops = use;
    viewport()->update();
}

void TPickList::setSelectedStyle(TSelectedStyle style)
{
    if (style == m_selectedStyle)
        return;
    m_selectedStyle = style;
    relayoutItems();
}

QString TPickList::tabStops() const { return PickListGeometry::joinTabStops(m_tabStops); }

void TPickList::setTabStops(const QString& text)
{
    PickListGeometry::parseTabStops(text, m_tabStops); // throws before the repaint
    if (!text.isEmpty())
        viewport()->update();
}

void TPickList::setItemHeight(int height)
{
    if (height < 1 || height == m_itemHeight)
        return;
    m_itemHeight = height;
    if (m_selectedStyle != psStandard)
        relayoutItems();
}

void TPickList::setMultiSelect(bool multi)
{
    m_multiSelect = multi;
    updateSelectionMode();
}

void TPickList::setExtendedSelect(bool extended)
{
    m_extendedSelect = extended;
    updateSelectionMode();
}

void TPickList::updateSelectionMode()
{
    if (!m_multiSelect)
        setSelectionMode(QAbstractItemView::SingleSelection);
    else if (m_extendedSelect)
        setSelectionMode(QAbstractItemView::ExtendedSelection);
    else
        setSelectionMode(QAbstractItemView::MultiSelection);
}

void TPickList::relayoutItems()
{
    // The item heights depend on the style and the item height; the view
    // caches them, so have it lay the items out again and repaint.
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TPickList::setItemIndex(int row)
{
    if (row < 0 || row >= count()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    if (selectionMode() == QAbstractItemView::SingleSelection)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

QItemSelectionModel::SelectionFlags TPickList::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const
{
    if (!event && selectionMode() != QAbstractItemView::SingleSelection)
        return QItemSelectionModel::NoUpdate;
    return QListWidget::selectionCommand(index, event);
}

int TPickList::findItem(const QString& text) const
{
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text().compare(text, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

bool TPickList::isItemSelected(int row) const
{
    const QListWidgetItem* it = item(row);
    return it && it->isSelected();
}

void TPickList::setItemSelected(int row, bool selected)
{
    if (QListWidgetItem* it = item(row))
        it->setSelected(selected);
}

int TPickList::selectedItemCount() const
{
    int n = 0;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected())
            ++n;
    }
    return n;
}

void TPickList::Click()
{
    emit OnClick(this);
    if (currentRow() != m_lastItemIndex)
        Change();
}

void TPickList::Change()
{
    m_lastItemIndex = currentRow();
    emit OnChange(this);
}

template <typename Handler> void TPickList::trackUserInput(Handler handler)
{
    if (m_inputDepth == 0)
        m_selectionTouched = false;
    ++m_inputDepth;
    handler();
    --m_inputDepth;
    if (m_inputDepth == 0 && m_selectionTouched) {
        m_selectionTouched = false;
        Click();
    }
}

void TPickList::toggleByUser(int row)
{
    if (row < 0 || row >= count())
        return;
    trackUserInput([&] {
        const QModelIndex index = model()->index(row, 0);
        selectionModel()->setCurrentIndex(index, selectionMode() == SingleSelection
                                                     ? QItemSelectionModel::ClearAndSelect
                                                     : QItemSelectionModel::Toggle);
    });
}

void TPickList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListWidget::selectionChanged(selected, deselected);
    if (m_inputDepth > 0)
        m_selectionTouched = true;
    // The check mark comes and goes with the selection: tell screen readers.
    if (QAccessible::isActive() && m_selectedStyle == psCheckbox) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
        QAccessible::State changed;
        changed.checked = true;
        for (const QModelIndexList& rows : {selected.indexes(), deselected.indexes()}) {
            for (const QModelIndex& index : rows) {
                if (QAccessibleInterface* item = list ? list->child(index.row()) : nullptr) {
                    QAccessibleStateChangeEvent event(item, changed);
                    QAccessible::updateAccessibility(&event);
                }
            }
        }
    }
}

void TPickList::mousePressEvent(QMouseEvent* event)
{
    trackUserInput([&] { QListWidget::mousePressEvent(event); });
}

void TPickList::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    trackUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void TPickList::mouseReleaseEvent(QMouseEvent* event)
{
    trackUserInput([&] { QListWidget::mouseReleaseEvent(event); });
}

void TPickList::mouseDoubleClickEvent(QMouseEvent* event)
{
    trackUserInput([&] { QListWidget::mouseDoubleClickEvent(event); });
}

void TPickList::keyPressEvent(QKeyEvent* event)
{
    trackUserInput([&] { QListWidget::keyPressEvent(event); });
}

bool TPickList::hasDrawItemHandler() const
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&TPickList::OnDrawItem);
    return isSignalConnected(signal);
}

void TPickList::drawItemText(QPainter* painter, const QString& text, int x, int top) const
{
    const QFontMetrics metrics(painter->font());
    const int baseline = top + metrics.ascent();
    if (!m_useTabStops) {
        painter->drawText(QPoint(x, baseline), text);
        return;
    }
    // Tab stops count from the left edge of the list's client area.
    const int average = metrics.averageCharWidth();
    const QList<int> positions = PickListGeometry::tabPositions(m_tabStops, average);
    const QStringList parts = text.split(QLatin1Char('\t'));
    int cx = x;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!parts.at(i).isEmpty()) {
            painter->drawText(QPoint(cx, baseline), parts.at(i));
            cx += metrics.horizontalAdvance(parts.at(i));
        }
        if (i + 1 < parts.size())
            cx = PickListGeometry::nextTabPosition(cx, positions, average);
    }
}

void TPickList::paintItem(QPainter* painter, const QRect& rect, int row, bool selected,
                          bool hasFocus, const QStyleOptionViewItem& option) const
{
    const QString text = item(row) ? item(row)->text() : QString();
    const QColor listColor = palette().color(QPalette::Base);
    const QColor fontColor = palette().color(QPalette::Text);

    painter->save();
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setFont(font());

    switch (m_selectedStyle) {
    case psCheckbox: {
        painter->fillRect(rect, listColor);
        painter->setPen(fontColor);
        const QRect box = PickListGeometry::checkBoxRect(rect, m_itemHeight);
        if (!box.isEmpty()) {
            painter->fillRect(box, QGuiApplication::palette().color(QPalette::Base));
            // The outline, one pixel wide, on the box's outermost pixels.
            painter->fillRect(QRect(box.left(), box.top(), box.width(), 1), fontColor);
            painter->fillRect(QRect(box.left(), box.bottom(), box.width(), 1), fontColor);
            painter->fillRect(QRect(box.left(), box.top(), 1, box.height()), fontColor);
            painter->fillRect(QRect(box.right(), box.top(), 1, box.height()), fontColor);
        }
        if (selected) {
            for (const QRect& stroke : PickListGeometry::checkMarkStrokes(rect))
                painter->fillRect(stroke, fontColor);
        }
        drawItemText(painter, text, PickListGeometry::checkBoxTextX(rect, m_itemHeight),
                     rect.top());
        break;
    }
    case psBoldText: {
        painter->fillRect(rect, listColor);
        painter->setPen(fontColor);
        QFont bold = font();
        bold.setBold(selected);
        painter->setFont(bold);
        drawItemText(painter, text, PickListGeometry::plainTextX(rect), rect.top());
        break;
    }
    case psOwnerDraw:
    case psStandard:
        if (hasDrawItemHandler()) {
            emit const_cast<TPickList*>(this)->OnDrawItem(painter, row, rect, selected);
        } else {
            // The list box's own plain drawing: highlight and text.
            painter->fillRect(rect,
                              palette().color(selected ? QPalette::Highlight : QPalette::Base));
            painter->setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(QPoint(PickListGeometry::plainTextX(rect),
                                     rect.top() + QFontMetrics(font()).ascent()),
                              text);
        }
        break;
    }

    if (hasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = rect;
        focus.backgroundColor = listColor;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
    painter->restore();
}
