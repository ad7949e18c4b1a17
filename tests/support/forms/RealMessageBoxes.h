#pragma once

#include "core/app/Platform.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class WidgetPlatform;

// The desktop's own message boxes in a test. For its lifetime the real
// widget platform is installed, so that every box is a QMessageBox that runs
// its own modal event loop, as it does for the user. A timer watches for the
// boxes and answers each one from inside that loop, with the next button of
// the queue (OK, or the box's escape button, when the queue is empty). When
// a box closes, its owner window is activated again, as a window manager
// does.
class RealMessageBoxes
{
public:
    struct Seen
    {
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        // The event loop depth seen inside the box, above the depth at the
        // start: 1 or more when the box ran a modal loop of its own.
        int loopsAbove = 0;
    };

    RealMessageBoxes();
    ~RealMessageBoxes();
    RealMessageBoxes(const RealMessageBoxes&) = delete;
    RealMessageBoxes& operator=(const RealMessageBoxes&) = delete;

    void queueAnswer(QMessageBox::StandardButton button) { m_answers << button; }
    // Runs for each box before it is answered (for a screenshot, say).
    std::function<void(QMessageBox*)> onBox;

    // The texts of the boxes answered so far.
    QStringList texts() const;
    // Waits (running the event loop) until `count` boxes were answered and
    // the last one has closed.
    bool waitFor(int count, int timeoutMs = 5000) const;

    QList<Seen> seen;

private:
    void poll();

    std::unique_ptr<WidgetPlatform> m_platform;
    Platform* m_previous = nullptr;
    QList<QMessageBox::StandardButton> m_answers;
    QList<QPointer<QMessageBox>> m_answered;
    QTimer m_timer;
    int m_baseLoopLevel = 0;
};
