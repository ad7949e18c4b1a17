#pragma once

#include "core/preview/ReportRows.h"

#include <QObject>

#include <atomic>

class QAbstractButton;
class QProgressBar;
class QThread;
class QTimer;

// A scan of a report's rows (scanReport) in a worker thread, for a window
// that stays responsive meanwhile. When the reading takes longer than
// progressDelayMs, the given progress bar (range 0 to 1000) and cancel
// button are shown, and hidden again once it ends. done() is emitted on the
// window's thread when the scan has ended: finished, failed or cancelled.
class BackgroundScan : public QObject
{
    Q_OBJECT
public:
    static constexpr int progressDelayMs = 500;

    BackgroundScan(QProgressBar* bar, QAbstractButton* cancelButton, QObject* parent);
    // Cancels a scan still running and waits for it.
    ~BackgroundScan() override;

    // Starts reading the plan's rows; a scan still running is cancelled
    // first (without done() for it).
    void start(const ReportPlan& plan);
    // Waits for the running scan and ends it (done() is emitted).
    void wait();
    // Stops the running scan, waits for it and ends it.
    void cancel();

    bool running() const { return m_thread != nullptr; }
    // A scan has ended since the last start().
    bool ended() const { return m_ended; }
    bool cancelled() const { return m_cancel.load(); }
    // The result once ended (empty before).
    const ScanResult& result() const { return m_result; }

signals:
    void done();

private:
    void poll();
    void end(bool announce);

    QProgressBar* m_bar;
    QAbstractButton* m_cancelButton;
    QThread* m_thread = nullptr;
    QTimer* m_poll = nullptr;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_progress{0}; // thousandths
    qint64 m_started = 0;
    bool m_ended = false;
    int m_scanNumber = 0;
    ScanResult m_result; // written by the worker until it has finished
};
