#include "forms/store/ColumnPreviewWidget.h"

#include "engine/DatabaseError.h"
#include "engine/Table.h"

#include <QAbstractItemModel>
#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QScrollArea* enclosingScrollArea(QWidget* widget)
{
    // A scroll area holds its widget in its viewport.
    QWidget* viewport = widget->parentWidget();
    return viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
}

QString keyHelp()
{
    return ColumnPreviewWidget::tr(
        "The columns on the page. Up and Down choose a field; Left and Right move its column "
        "a tenth of an inch, with Ctrl an inch; Shift with Left or Right moves its right edge, "
        "Alt with Left or Right its left edge.");
}

} // namespace

ColumnPreviewWidget::ColumnPreviewWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ColumnPreview"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(tr("Page preview"));
    setAccessibleDescription(keyHelp());
    setToolTip(keyHelp());
}

ColumnPreviewWidget::~ColumnPreviewWidget()
{
    // Widgets destroyed after this one must not call back into it.
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    if (m_editor)
        m_editor->removeEventFilter(this);
}

void ColumnPreviewWidget::setGrid(QTableWidget* grid)
{
    if (m_grid) {
        m_grid->disconnect(this);
        if (m_grid->model())
            m_grid->model()->disconnect(this);
        if (m_viewport)
            m_viewport->removeEventFilter(this);
    }
    m_grid = grid;
    m_viewport = grid ? grid->viewport() : nullptr;
    if (grid) {
        QAbstractItemModel* model = grid->model();
        connect(model, &QAbstractItemModel::dataChanged, this, &ColumnPreviewWidget::invalidate);
        // A grid filled anew may stand for rows whose headers changed.
        auto refill = [this] {
            m_headers.reset();
            invalidate();
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, refill);
        connect(model, &QAbstractItemModel::rowsRemoved, this, refill);
        connect(model, &QAbstractItemModel::columnsInserted, this,
                &ColumnPreviewWidget::invalidate);
        connect(model, &QAbstractItemModel::columnsRemoved, this, &ColumnPreviewWidget::invalidate);
        connect(model, &QAbstractItemModel::modelReset, this, refill);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ColumnPreviewWidget::invalidate);
        connect(grid, &QTableWidget::currentCellChanged, this, [this](int row) {
            update();
            const QRect r = boxRect(row);
            if (QScrollArea* area = enclosingScrollArea(this); area && !r.isEmpty())
                area->ensureVisible(r.center().x(), r.center().y(), 0, r.height());
        });
        connect(grid, &QObject::destroyed, this, &ColumnPreviewWidget::invalidate);
        // The cell editors are children of the viewport: watch for them to
        // follow the text as it is typed.
        grid->viewport()->installEventFilter(this);
    }
    invalidate();
}

void ColumnPreviewWidget::setHeaderTable(const QString& alias, const QString& tableName)
{
    m_headerAlias = alias;
    m_headerTable = tableName;
    m_headers.reset();
    setLabelLookup([this](const QString& field) {
        if (!m_headers) {
            m_headers.emplace();
            // A cursor of its own, opened for the reading only, so that the
            // cursors of the window and their bound controls stay put.
            try {
                Table table;
                table.setDatabaseName(m_headerAlias);
                table.setTableName(m_headerTable);
                table.open();
                for (table.first(); !table.eof(); table.next())
                    m_headers->insert(table.asString(WorkingTable::Field),
                                      table.asString(WorkingTable::Header));
                table.close();
            } catch (const DatabaseError&) {
                // No table yet, or none readable: the grid's texts will do.
            }
        }
        const QString header = m_headers->value(field);
        return header.isEmpty() ? field : header;
    });
}

void ColumnPreviewWidget::setPrintableWidth(int tenths)
{
    if (tenths == m_printableWidth)
        return;
    m_printableWidth = tenths;
    invalidate();
}

void ColumnPreviewWidget::setPrintableWidthSource(std::function<int()> source)
{
    m_widthSource = std::move(source);
    invalidate();
}

int ColumnPreviewWidget::printableWidth() const
{
    return m_widthSource ? m_widthSource() : m_printableWidth;
}

void ColumnPreviewWidget::setLabelLookup(std::function<QString(const QString&)> lookup)
{
    m_labelLookup = std::move(lookup);
    invalidate();
}

QList<PreviewColumn> ColumnPreviewWidget::columns() const
{
    QList<PreviewColumn> result;
    if (!m_grid)
        return result;
    const bool typing = m_editor && m_editIndex.isValid();
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        auto text = [&](int c) {
            if (typing && m_editIndex.row() == r && m_editIndex.column() == c)
                return m_editText;
            const QTableWidgetItem* item = m_grid->item(r, c);
            return item ? item->text() : QString();
        };
        const QString field = text(FieldColumn);
        result << PreviewColumn{m_labelLookup ? m_labelLookup(field) : field,
                                wholeNumber(text(LineColumn)), wholeNumber(text(LeftColumn)),
                                wholeNumber(text(RightColumn))};
    }
    return result;
}

void ColumnPreviewWidget::invalidate()
{
    m_dirty = true;
    update();
    // The height follows the number of print lines; a burst of changes
    // (a grid being filled) is measured once.
    if (m_measurePending)
        return;
    m_measurePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_measurePending = false;
            const int height = previewLayout().size.height();
            if (minimumHeight() != height) {
                setMinimumHeight(height);
                updateGeometry();
            }
            updateWarningLabel();
            // The picture says nothing to a screen reader: its description
            // says in words what the boxes show, then the warnings, then the
            // keys. A long report names its first boxes and counts the rest.
            constexpr qsizetype kSpokenBoxes = 40;
            const PreviewLayout& l = previewLayout();
            QStringList words;
            for (qsizetype i = 0; i < l.boxes.size() && i < kSpokenBoxes; ++i) {
                const PreviewBox& box = l.boxes.at(i);
                words << tr("%1, line %2, from %3 to %4.")
                             .arg(box.label)
                             .arg(box.line)
                             .arg(box.left)
                             .arg(box.right);
            }
            if (l.boxes.size() > kSpokenBoxes)
                words << tr("And %1 more fields.").arg(l.boxes.size() - kSpokenBoxes);
            const QString warnings = warningText();
            if (!warnings.isEmpty())
                words << warnings;
            words << keyHelp();
            const QString said = words.join(QLatin1Char(' '));
            if (accessibleDescription() != said)
                setAccessibleDescription(said);
        },
        Qt::QueuedConnection);
}

void ColumnPreviewWidget::ensureLayout() const
{
    if (m_widthSource && m_widthSource() != m_layout.printableWidth)
        m_dirty = true;
    if (!m_dirty)
        return;
    const QList<PreviewColumn> cols = columns();
    if (m_drag.active()) {
        // Keep the scale while a column is being dragged, so that it stays
        // under the mouse even when the ruler has to grow.
        m_layout = PreviewRenderer::layout(cols, printableWidth(), m_layout.scale, m_layout.span);
    } else {
        m_layout = PreviewRenderer::layoutToFit(cols, printableWidth(), std::max(width(), 100));
    }
    m_dirty = false;
}

const PreviewLayout& ColumnPreviewWidget::previewLayout() const
{
    ensureLayout();
    return m_layout;
}

QRect ColumnPreviewWidget::boxRect(int gridRow) const
{
    const PreviewLayout& l = previewLayout();
    const int i = l.boxOfRow(gridRow);
    return i >= 0 ? l.boxes[i].rect : QRect();
}

QString ColumnPreviewWidget::boxToolTip(int gridRow) const
{
    const PreviewLayout& l = previewLayout();
    const int i = l.boxOfRow(gridRow);
    return i >= 0 ? PreviewRenderer::toolTip(l.boxes[i]) : QString();
}

QString ColumnPreviewWidget::warningText() const
{
    // Each warning once, after the fields it concerns. A report of thousands
    // of fields may share one warning among most of them: look-ups go
    // through hashes, and a line names a few fields and counts the rest.
    constexpr qsizetype kNamedFields = 6;
    const PreviewLayout& l = previewLayout();
    QStringList warnings;
    QHash<QString, qsizetype> indexOf;
    QList<QStringList> fields;
    QList<QSet<QString>> seen;
    QList<qsizetype> unnamed;
    for (const PreviewBox& box : l.boxes) {
        for (const QString& warning : box.warnings) {
            auto it = indexOf.find(warning);
            if (it == indexOf.end()) {
                it = indexOf.insert(warning, warnings.size());
                warnings << warning;
                fields << QStringList();
                seen << QSet<QString>();
                unnamed << 0;
            }
            const qsizetype i = *it;
            if (seen[i].contains(box.label))
                continue;
            seen[i].insert(box.label);
            if (fields[i].size() < kNamedFields)
                fields[i] << box.label;
            else
                ++unnamed[i];
        }
    }
    QStringList lines;
    for (qsizetype i = 0; i < warnings.size(); ++i) {
        QString names = fields[i].join(QStringLiteral(", "));
        if (unnamed[i] > 0)
            names += QStringLiteral(" and %1 more").arg(unnamed[i]);
        lines << names + QStringLiteral(": ") + warnings[i];
    }
    return lines.join(QLatin1Char('\n'));
}

void ColumnPreviewWidget::updateWarningLabel()
{
    if (!m_warningLabel)
        return;
    const QString text = warningText();
    if (m_warningLabel->text() != text)
        m_warningLabel->setText(text);
}

QSize ColumnPreviewWidget::sizeHint() const { return QSize(640, previewLayout().size.height()); }

QSize ColumnPreviewWidget::minimumSizeHint() const
{
    return QSize(200, PreviewRenderer::rulerHeight + PreviewRenderer::bandHeight + 1);
}

ColumnPreviewWidget* ColumnPreviewWidget::addTo(QBoxLayout* layout, QTableWidget* grid,
                                                int printableWidth, int visibleLines, int index)
{
    auto* area = new QScrollArea;
    area->setObjectName(QStringLiteral("ColumnPreviewArea"));
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setFocusPolicy(Qt::NoFocus);
    auto* preview = new ColumnPreviewWidget;
    preview->setPrintableWidth(printableWidth);
    preview->setGrid(grid);
    area->setWidget(preview);
    area->setFixedHeight(PreviewRenderer::rulerHeight + visibleLines * PreviewRenderer::bandHeight +
                         1 + 2 * area->frameWidth());
    layout->insertWidget(index, area);

    // The warnings in words, for those who do not hover over a red box.
    auto* warnings = new QLabel;
    warnings->setObjectName(QStringLiteral("PreviewWarnings"));
    warnings->setWordWrap(true);
    warnings->setTextFormat(Qt::PlainText);
    QPalette red = warnings->palette();
    red.setColor(QPalette::WindowText, QColor::fromRgb(PreviewRenderer::warningFrameColour()));
    warnings->setPalette(red);
    // Room for two warnings at all times, so that the window does not jump
    // as the first ones come and go.
    warnings->setMinimumHeight(2 * warnings->fontMetrics().lineSpacing());
    warnings->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->insertWidget(index < 0 ? -1 : layout->indexOf(area) + 1, warnings);
    preview->m_warningLabel = warnings;
    preview->updateWarningLabel();
    return preview;
}

bool ColumnPreviewWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const PreviewLayout& l = previewLayout();
        const int selected = l.boxOfRow(selectedRow());
        int i = selected >= 0 && l.boxes[selected].rect.contains(help->pos())
                    ? selected
                    : l.boxAt(help->pos());
        if (i >= 0)
            QToolTip::showText(help->globalPos(), PreviewRenderer::toolTip(l.boxes[i]), this,
                               l.boxes[i].rect);
        else
            QToolTip::showText(help->globalPos(), toolTip(), this);
        return true;
    }
    return QWidget::event(event);
}

bool ColumnPreviewWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (m_viewport && watched == m_viewport && event->type() == QEvent::ChildPolished) {
        auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
        if (child && child != m_editor &&
            (qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractSpinBox*>(child)))
            watchEditor(child);
    } else if (watched == m_editor && event->type() == QEvent::Hide) {
        // The editor closed; what it committed arrives as a change of the
        // cell, what it dropped leaves the cell as it was.
        m_editor->removeEventFilter(this);
        m_editor = nullptr;
        m_editIndex = QPersistentModelIndex();
        invalidate();
    }
    return QWidget::eventFilter(watched, event);
}

void ColumnPreviewWidget::watchEditor(QWidget* editor)
{
    if (m_editor)
        m_editor->removeEventFilter(this);
    m_editor = editor;
    m_editIndex = QPersistentModelIndex(m_grid->currentIndex());
    editor->installEventFilter(this);
    auto follow = [this](const QString& text) {
        m_editText = text;
        invalidate();
    };
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        m_editText = line->text();
        connect(line, &QLineEdit::textChanged, this, follow);
    } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
        m_editText = spin->text();
        connect(spin, &QSpinBox::textChanged, this, follow);
    } else if (auto* dspin = qobject_cast<QDoubleSpinBox*>(editor)) {
        m_editText = dspin->text();
        connect(dspin, &QDoubleSpinBox::textChanged, this, follow);
    }
    connect(editor, &QObject::destroyed, this, [this] {
        m_editIndex = QPersistentModelIndex();
        invalidate();
    });
    invalidate();
}

int ColumnPreviewWidget::selectedRow() const { return m_grid ? m_grid->currentRow() : -1; }

void ColumnPreviewWidget::selectRow(int row)
{
    if (!m_grid || row < 0 || row >= m_grid->rowCount())
        return;
    const int column = m_grid->currentColumn();
    m_grid->setCurrentCell(row,
                           column == LineColumn || column == RightColumn ? column : LeftColumn);
}

void ColumnPreviewWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(PreviewRenderer::paperColour()));
    PreviewRenderer::paint(painter, previewLayout(), selectedRow(), hasFocus());
    // The printable width may have changed without a word (it is read from
    // its source while painting); the warnings follow.
    if (m_warningLabel)
        QMetaObject::invokeMethod(this, &ColumnPreviewWidget::updateWarningLabel,
                                  Qt::QueuedConnection);
}

void ColumnPreviewWidget::resizeEvent(QResizeEvent* event)
{
    m_dirty = true;
    QWidget::resizeEvent(event);
}

void ColumnPreviewWidget::movedPositions(PreviewHit part, int left, int right, int delta,
                                         int* newLeft, int* newRight) const
{
    *newLeft = left;
    *newRight = right;
    if (part == PreviewHit::LeftEdge && left <= right) {
        // The left edge goes no further right than the right edge.
        *newLeft = std::clamp(left + delta, minPosition, std::max(minPosition, right));
    } else if (part == PreviewHit::RightEdge && left <= right) {
        *newRight = std::clamp(right + delta, std::min(maxPosition, left), maxPosition);
    } else {
        // The whole column keeps its width as long as it fits between 1
        // and 300; a column already outside has each position held there.
        const int lo = std::min(left, right);
        const int hi = std::max(left, right);
        const int d =
            std::clamp(delta, std::min(0, minPosition - lo), std::max(0, maxPosition - hi));
        *newLeft = std::clamp(left + d, minPosition, maxPosition);
        *newRight = std::clamp(right + d, minPosition, maxPosition);
    }
}

void ColumnPreviewWidget::writeCell(int row, int column, int value)
{
    QAbstractItemModel* model = m_grid->model();
    const QModelIndex index = model->index(row, column);
    if (!(model->flags(index) & Qt::ItemIsEditable))
        return;
    const QString text = QString::number(value);
    if (model->data(index, Qt::EditRole).toString() == text)
        return;
    // The same road as a typed value: the grid's model takes it and tells
    // its listeners.
    model->setData(index, text, Qt::EditRole);
}

void ColumnPreviewWidget::applyPositions(int row, int left, int right)
{
    if (!m_grid || row < 0 || row >= m_grid->rowCount())
        return;
    // Write the edge that moves away from the other first, so that the
    // column is never the wrong way round in between.
    const std::optional<int> oldRight = wholeNumber(
        m_grid->item(row, RightColumn) ? m_grid->item(row, RightColumn)->text() : QString());
    if (oldRight && right > *oldRight) {
        writeCell(row, RightColumn, right);
        writeCell(row, LeftColumn, left);
    } else {
        writeCell(row, LeftColumn, left);
        writeCell(row, RightColumn, right);
    }
}

void ColumnPreviewWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_grid) {
        QWidget::mousePressEvent(event);
        return;
    }
    const PreviewLayout& l = previewLayout();
    const QPoint pos = event->position().toPoint();
    PreviewHit hit = PreviewHit::None;
    int i = l.boxAt(pos, &hit);
    // The selected box is drawn on top of the others.
    const int selected = l.boxOfRow(selectedRow());
    if (selected >= 0 && selected != i && l.boxes[selected].rect.contains(pos)) {
        PreviewLayout only = l;
        only.boxes = {l.boxes[selected]};
        only.boxAt(pos, &hit);
        i = selected;
    }
    if (i < 0)
        return;
    const PreviewBox box = l.boxes[i];
    selectRow(box.row);
    m_drag = Drag{box.row, hit, pos.x(), box.left, box.right};
    if (hit == PreviewHit::Body)
        setCursor(Qt::ClosedHandCursor);
}

void ColumnPreviewWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_drag.active()) {
        updateCursor(pos);
        return;
    }
    const double scale = previewLayout().scale;
    const int delta = int(std::lround((pos.x() - m_drag.startX) / scale));
    int left = 0;
    int right = 0;
    movedPositions(m_drag.part, m_drag.startLeft, m_drag.startRight, delta, &left, &right);
    applyPositions(m_drag.row, left, right);
}

void ColumnPreviewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_drag.active())
        return;
    m_drag = Drag{};
    invalidate(); // fit the ruler to the widget again
    updateCursor(event->position().toPoint());
}

void ColumnPreviewWidget::updateCursor(QPoint pos)
{
    PreviewHit hit = PreviewHit::None;
    previewLayout().boxAt(pos, &hit);
    switch (hit) {
    case PreviewHit::LeftEdge:
    case PreviewHit::RightEdge:
        setCursor(Qt::SizeHorCursor);
        break;
    case PreviewHit::Body:
        setCursor(Qt::OpenHandCursor);
        break;
    case PreviewHit::None:
        unsetCursor();
        break;
    }
}

void ColumnPreviewWidget::nudge(PreviewHit part, int delta)
{
    const int row = selectedRow();
    const PreviewLayout& l = previewLayout();
    const int i = l.boxOfRow(row);
    if (i < 0)
        return;
    int left = 0;
    int right = 0;
    movedPositions(part, l.boxes[i].left, l.boxes[i].right, delta, &left, &right);
    applyPositions(row, left, right);
}

void ColumnPreviewWidget::keyPressEvent(QKeyEvent* event)
{
    if (!m_grid) {
        QWidget::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_drag.active()) {
            applyPositions(m_drag.row, m_drag.startLeft, m_drag.startRight);
            m_drag = Drag{};
            unsetCursor();
            invalidate();
            return;
        }
        break;
    case Qt::Key_Up:
        selectRow(std::max(selectedRow() - 1, 0));
        return;
    case Qt::Key_Down:
        selectRow(std::min(selectedRow() + 1, m_grid->rowCount() - 1));
        return;
    case Qt::Key_Home:
        selectRow(0);
        return;
    case Qt::Key_End:
        selectRow(m_grid->rowCount() - 1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (selectedRow() < 0) {
            selectRow(0);
            return;
        }
        const int step = (mods & Qt::ControlModifier) ? 10 : 1;
        const int delta = event->key() == Qt::Key_Left ? -step : step;
        PreviewHit part = PreviewHit::Body;
        if (mods & Qt::ShiftModifier)
            part = PreviewHit::RightEdge;
        else if (mods & Qt::AltModifier)
            part = PreviewHit::LeftEdge;
        nudge(part, delta);
        return;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void ColumnPreviewWidget::focusInEvent(QFocusEvent* event)
{
    if (m_grid && selectedRow() < 0 && m_grid->rowCount() > 0)
        selectRow(0);
    update();
    QWidget::focusInEvent(event);
}

void ColumnPreviewWidget::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}
