#pragma once

#include "core/preview/ReportRows.h"
#include "forms/preview/BackgroundScan.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRgb>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QWidget;

// The fit check beside the rows of a column grid (field, line, starting
// and ending position): every row whose field has values longer than its
// column gets the warning colour of the column check and a tool tip that
// says how many values do not fit and which is the longest; a line under
// the grid lists them.
//
// The host's tables are read once, in a worker thread, whenever the grid
// is shown with other fields than last time; the lengths read serve every
// width typed afterwards. A reading that takes more than half a second
// shows a progress bar with Cancel; a cancelled or unfinished check says so.
class ColumnFitWarnings : public QObject
{
    Q_OBJECT
public:
    static constexpr int progressDelayMs = BackgroundScan::progressDelayMs;

    // `report` gives the report in hand (order, kind, fields and their
    // table); the positions are read from the grid.
    ColumnFitWarnings(QTableWidget* grid, std::function<ReportFileContent()> report,
                      std::function<QString()> dataFolder, QStringList passwords);
    ~ColumnFitWarnings() override;

    // The warning of a grid row; empty when its values fit or are not known.
    QString rowWarning(int row) const;
    QLabel* summaryLabel() const { return m_label; }
    bool running() const;
    bool finished() const;
    void waitForScan();
    void cancel();
    // Reads the tables again now (the grid's fields changed).
    void rescan();

    static QRgb warningColour();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleCheck();
    void check();
    void scanDone();
    void colour();
    QString fieldSignature() const;

    QPointer<QTableWidget> m_grid;
    std::function<ReportFileContent()> m_report;
    std::function<QString()> m_dataFolder;
    QStringList m_passwords;
    ReportPlan m_plan;
    BackgroundScan* m_scan = nullptr;
    QString m_signature;
    bool m_checkQueued = false;
    bool m_colouring = false;
    QHash<int, QString> m_warnings;

    QWidget* m_row = nullptr;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
