#pragma once

#include "core/store/PreviewRenderer.h"
#include "core/store/WorkingTable.h"

#include <QHash>
#include <QLabel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableWidget>
#include <QWidget>

#include <functional>
#include <optional>

class QBoxLayout;
class QScrollArea;

// A live page preview of a column grid: the grid of the "Column Widths"
// page or of the column editor, whose columns are field, line, starting
// position and ending position. It shows what PreviewRenderer draws and
// follows the grid as it changes, keystroke by keystroke while a cell is
// being typed in.
//
// Clicking a box selects the field's grid row. Dragging a box moves the
// column; dragging its left or right edge moves that position. Positions
// snap to whole tenths and stay within 1 to 300. Each change is written into
// the grid's cell as if typed there, so the grid's own handling (storing,
// checking) applies unchanged.
//
// From the keyboard: Up and Down choose the field; Left and Right move its
// column a tenth (with Ctrl an inch); Shift with Left or Right moves its
// right edge, Alt with Left or Right its left edge; Escape during a drag
// puts the column back.
class ColumnPreviewWidget : public QWidget
{
    Q_OBJECT
public:
    // Grid columns the preview reads.
    enum GridColumn { FieldColumn = 0, LineColumn = 1, LeftColumn = 2, RightColumn = 3 };
    static constexpr int minPosition = 1;
    static constexpr int maxPosition = 300;

    explicit ColumnPreviewWidget(QWidget* parent = nullptr);
    ~ColumnPreviewWidget() override;

    void setGrid(QTableWidget* grid);
    QTableWidget* grid() const { return m_grid; }

    // Printable width in tenths of an inch.
    void setPrintableWidth(int tenths);
    // Or read it, whenever the preview is drawn, from wherever the window
    // keeps it (a label, a spin box).
    void setPrintableWidthSource(std::function<int()> source);
    int printableWidth() const;

    // The text written in a field's box; the field name itself by default.
    void setLabelLookup(std::function<QString(const QString& field)> lookup);
    // Labels the boxes with the headers stored in a layout table (the
    // working table of the alias), read through a cursor of the preview's
    // own and read again whenever the grid is filled anew. A field without a
    // row there is labelled with its grid text.
    void setHeaderTable(const QString& alias, const QString& tableName = WorkingTable::tableName);

    // The grid's rows as the preview reads them, text being typed included.
    QList<PreviewColumn> columns() const;
    const PreviewLayout& previewLayout() const;
    // Where the box of a grid row stands in this widget; empty when the row
    // has no box.
    QRect boxRect(int gridRow) const;
    QString boxToolTip(int gridRow) const;
    // What the check says about the columns, written out beside the
    // preview: each warning once, after the fields it concerns, one a line.
    // Empty when every column is fine.
    QString warningText() const;
    // The label that shows warningText() (made by addTo()).
    QLabel* warningLabel() const { return m_warningLabel; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Puts a preview for the grid into the layout (at `index`, or at its
    // end), in a scroll area that shows `visibleLines` print lines and
    // scrolls to the others, with the label of its warnings under it.
    static ColumnPreviewWidget* addTo(QBoxLayout* layout, QTableWidget* grid, int printableWidth,
                                      int visibleLines = 3, int index = -1);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Drag
    {
        int row = -1;
        PreviewHit part = PreviewHit::None;
        int startX = 0;
        int startLeft = 0;
        int startRight = 0;
        bool active() const { return row >= 0; }
    };

    void invalidate();
    void ensureLayout() const;
    void watchEditor(QWidget* editor);
    int selectedRow() const;
    void selectRow(int row);
    // New positions for a column after moving `part` by `delta` tenths.
    void movedPositions(PreviewHit part, int left, int right, int delta, int* newLeft,
                        int* newRight) const;
    void applyPositions(int row, int left, int right);
    void writeCell(int row, int column, int value);
    void nudge(PreviewHit part, int delta);
    void updateCursor(QPoint pos);
    void updateWarningLabel();

    QPointer<QTableWidget> m_grid;
    // The grid's viewport, kept apart so that events arriving while the grid
    // is being destroyed are recognised without calling into it.
    QPointer<QWidget> m_viewport;
    int m_printableWidth = 75;
    std::function<int()> m_widthSource;
    std::function<QString(const QString&)> m_labelLookup;
    // The cell being typed in, and its text so far.
    QPersistentModelIndex m_editIndex;
    QString m_editText;
    QPointer<QWidget> m_editor;
    Drag m_drag;

    QString m_headerAlias;
    QString m_headerTable;
    mutable std::optional<QHash<QString, QString>> m_headers;

    QPointer<QLabel> m_warningLabel;
    mutable bool m_dirty = true;
    bool m_measurePending = false; // a queued measure of height and warnings
    mutable PreviewLayout m_layout;
};
