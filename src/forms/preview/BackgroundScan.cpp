#include "forms/preview/BackgroundScan.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

BackgroundScan::BackgroundScan(QProgressBar* bar, QAbstractButton* cancelButton, QObject* parent)
    : QObject(parent), m_bar(bar), m_cancelButton(cancelButton)
{
    m_poll = new QTimer(this);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &BackgroundScan::poll);
}

BackgroundScan::~BackgroundScan()
{
    m_cancel = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void BackgroundScan::start(const ReportPlan& plan)
{
    if (m_thread) {
        m_cancel = true;
        end(false);
    }
    m_ended = false;
    m_result = ScanResult();
    m_cancel = false;
    m_progress = 0;
    m_started = QDateTime::currentMSecsSinceEpoch();
    m_thread = QThread::create([this, plan] {
        ScanResult result = scanReport(
            plan,
            [this](double share) {
                m_progress.store(int(share * 1000), std::memory_order_relaxed);
                return !m_cancel.load(std::memory_order_relaxed);
            },
            &m_cancel);
        // Handed over once the thread has finished (see end()).
        m_result = std::move(result);
    });
    // A scan waited for or replaced has ended already: its late "finished"
    // must not end the next one.
    const int scan = ++m_scanNumber;
    connect(m_thread, &QThread::finished, this, [this, scan] {
        if (scan == m_scanNumber)
            end(true);
    });
    m_poll->start();
    m_thread->start(QThread::LowPriority);
}

void BackgroundScan::wait() { end(true); }

void BackgroundScan::cancel()
{
    m_cancel = true;
    end(true);
}

void BackgroundScan::poll()
{
    if (!m_thread)
        return;
    if (QDateTime::currentMSecsSinceEpoch() - m_started >= progressDelayMs) {
        m_bar->show();
        m_cancelButton->show();
    }
    m_bar->setValue(m_progress.load(std::memory_order_relaxed));
}

void BackgroundScan::end(bool announce)
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_poll->stop();
    m_ended = true;
    m_bar->hide();
    m_cancelButton->hide();
    if (announce)
        emit done();
}
