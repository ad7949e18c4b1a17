#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// The one way the tests wait for a modal window: a watch that looks at the
// active modal window from the event loop, which runs inside that window's
// own modal loop while the test's action is blocked in it. The first window
// that `wanted` takes (any, without it) goes to `act`, and the watch stops.
// With `tries` above zero the watch gives up after that many looks and hands
// `act` nullptr. It looks every `intervalMs`, the first time after one
// interval, so that a window that has just opened has its focus set. The
// watch is a timer owned by `owner`, so it ends with it.
inline QTimer* watchModal(QObject* owner, const std::function<void(QWidget*)>& act,
                          const std::function<bool(QWidget*)>& wanted = {}, int intervalMs = 20,
                          int tries = 0)
{
    auto* timer = new QTimer(owner);
    auto looks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && (!wanted || wanted(modal));
        if (!found && (tries <= 0 || ++*looks <= tries))
            return;
        timer->stop();
        act(found ? modal : nullptr);
    });
    timer->start(intervalMs);
    return timer;
}
