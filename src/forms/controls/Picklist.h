#pragma once

#include <QListWidget>
#include <QStringList>

class QPainter;
class QStyleOptionViewItem;

// A list box for picking several entries out of a list. Selected items show a
// check mark in a check box (or bold text) instead of the usual highlight,
// item texts can be laid out on tab stops given as text, and OnChange is
// raised only when a user's click has really moved the current item.
//
// OnClick is raised whenever the user changes the selection (mouse, space bar,
// keyboard selection); selections made by the program raise nothing.
class TPickList : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(bool UseTabStops READ useTabStops WRITE setUseTabStops)
    Q_PROPERTY(TSelectedStyle SelectedStyle READ selectedStyle WRITE setSelectedStyle)
    Q_PROPERTY(QString TabStops READ tabStops WRITE setTabStops)
    Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
    Q_PROPERTY(bool MultiSelect READ multiSelect WRITE setMultiSelect)
    Q_PROPERTY(bool ExtendedSelect READ extendedSelect WRITE setExtendedSelect)

public:
    // How an item shows that it is selected.
    enum TSelectedStyle {
        psStandard,  // the platform's own drawing and highlight
        psCheckbox,  // a check box, with a check mark when selected
        psBoldText,  // bold text when selected
        psOwnerDraw, // drawn by an OnDrawItem handler, else plain text
    };
    Q_ENUM(TSelectedStyle)

    explicit TPickList(QWidget* parent = nullptr);
    ~TPickList() override;

    bool useTabStops() const { return m_useTabStops; }
    void setUseTabStops(bool use);

    TSelectedStyle selectedStyle() const { return m_selectedStyle; }
    void setSelectedStyle(TSelectedStyle style);

    // The tab stops, in average character widths, joined with ';'.
    QString tabStops() const;
    // Throws InvalidTabStop ("<piece> is an invalid tab stop") for a piece that
    // is not a whole number; the stops accepted before it are kept.
    void setTabStops(const QString& text);
    const QStringList& tabStopList() const { return m_tabStops; }

    // Fixed height of the items in every style but psStandard (default 16).
    // Values below 1 are ignored.
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);

    // Selection modes of a list box: MultiSelect off picks one item; on with
    // ExtendedSelect off, every click or space bar toggles one item; on with
    // ExtendedSelect on, Shift and Ctrl extend the selection.
    bool multiSelect() const { return m_multiSelect; }
    void setMultiSelect(bool multi);
    bool extendedSelect() const { return m_extendedSelect; }
    void setExtendedSelect(bool extended);

    // The current item (the caret in a multiple-selection list), -1 for none.
    // Setting it selects the item only in a single-selection list; in a
    // multiple-selection list it just moves the caret, as a list box does.
    // (QListWidget::setCurrentRow selects the item in every mode.)
    int itemIndex() const { return currentRow(); }
    void setItemIndex(int row);

    // The first item whose whole text equals `text` ignoring case, or -1.
    int findItem(const QString& text) const;
    // Selection of one item by row, without any notification.
    bool isItemSelected(int row) const;
    void setItemSelected(int row, bool selected);
    int selectedItemCount() const;

    // A user's click on item `row`, made through an assistive tool: the item
    // becomes current and its selection toggles (in a single-selection list
    // it is selected), and OnClick and OnChange follow as after a click.
    void toggleByUser(int row);

    // The current item at the last OnChange (-1 before the first).
    int lastItemIndex() const { return m_lastItemIndex; }

    // Runs after every selection change made by the user: raises OnClick,
    // then calls Change when the current item differs from the last one.
    virtual void Click();
    // Remembers the current item and raises OnChange.
    virtual void Change();

signals:
    void OnClick(TPickList* sender);
    void OnChange(TPickList* sender);
    // Connected handlers draw psOwnerDraw items themselves.
    void OnDrawItem(QPainter* painter, int index, const QRect& rect, bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    // Moving the current item from the program never selects in a
    // multiple-selection list.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    class ItemDelegate;
    friend class ItemDelegate;

    // Runs a user input handler and calls Click when it changed the selection.
    template <typename Handler> void trackUserInput(Handler handler);
    void updateSelectionMode();
    void relayoutItems();
    // Draws an item's text at x on the item's top edge, expanding tabs.
    void drawItemText(QPainter* painter, const QString& text, int x, int top) const;
    void paintItem(QPainter* painter, const QRect& rect, int row, bool selected, bool hasFocus,
                   const QStyleOptionViewItem& option) const;
    bool hasDrawItemHandler() const;

    bool m_useTabStops = true;
    TSelectedStyle m_selectedStyle = psCheckbox;
    int m_lastItemIndex = -1;
    QStringList m_tabStops;
    int m_itemHeight = 16;
    bool m_multiSelect = false;
    bool m_extendedSelect = true;
    int m_inputDepth = 0;
    bool m_selectionTouched = false;
};
