#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QPushButton;
class QTableWidgetItem;
class Table;

namespace Ui {
class TFrmColumn;
}

// The column position editor "Column Widths": one grid row per field of the
// report in hand, with its print line and left and right margins, edited
// directly in the working table through a cursor of its own.
//
// Use: create it; openTable(alias) opens its cursor on CRDATA.DB with the
// "iOrder" index and the editing limits; setReportName(description) and
// setMargin(printable width); optionally setSaveAction() with the work that
// rewrites the report file; then exec(). On Accepted the working table holds
// the edited positions (and the save action, when given, has succeeded).
// On Rejected every position edited in the dialog is put back as it was.
class TFrmColumn : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmColumn(QWidget* parent = nullptr);
    ~TFrmColumn() override;

    // Points the cursor at the alias's CRDATA.DB, opens it in "iOrder" order
    // with the limits of the editable columns, and fills the grid.
    void openTable(const QString& alias);

    void setReportName(const QString& description);
    void setMargin(int printableWidth);

    // Work to run on OK before the dialog reports success and closes, such
    // as refreshing the wizard's cursor and rewriting the report file. If it
    // throws, the error is shown and the dialog stays open.
    void setSaveAction(std::function<void()> action) { m_saveAction = std::move(action); }
    // Work that "Pre&view" runs once the typed values are stored: showing the
    // report's pages. Without one the button is hidden.
    void setPreviewAction(std::function<void()> action);

protected:
    void reject() override;

private:
    // Runs the position check over a cursor on the working table and shows
    // its warning; true when the positions are acceptable.
    static bool CheckColumnPositions(int maxMargin, Table& table);

    void BtnCheckClick();
    void BtnPreviewClick();
    void BtnOKClick();
    void BtnCancelClick();

    // Re-reads the rows from the cursor into the grid (done by itself after
    // every change once the event loop runs).
    void loadGrid();
    // A cell the grid has committed, waiting to be stored.
    struct PendingCell
    {
        QString field;
        int column;
        QString text;
    };
    void gridItemChanged(QTableWidgetItem* item);
    // Stores the cells the grid has committed since the last call; false
    // (after the box) when the table refused one.
    bool storePendingCells();
    // Posts one cell; the table's message when it refuses the value.
    QString storeCell(const PendingCell& cell);
    bool locate(const QString& field);
    void scheduleReload();
    void restoreOriginalPositions();

    std::unique_ptr<Ui::TFrmColumn> m_ui;
    // The editor's own cursor on the working table, "tblColumn", a child of
    // the dialog.
    Table* m_table;
    std::function<void()> m_saveAction;
    std::function<void()> m_previewAction;
    QPushButton* m_previewButton = nullptr;
    // Line, LPosition and RPosition of each field as the dialog found them.
    QHash<QString, QVariantList> m_original;
    QList<PendingCell> m_pendingCells;
    bool m_storePending = false;
    bool m_loading = false;
    bool m_reloadPending = false;
    bool m_reloadAfterEdit = false;
};
