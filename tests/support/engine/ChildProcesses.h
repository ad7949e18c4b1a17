#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

// A process number that no process has now: a child's that has ended.
inline qint64 endedProcess()
{
    QProcess p;
    p.start(QStringLiteral("true"), QStringList{});
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

// Waits until the child printed a line starting with `prefix` and returns
// it; empty when the child ends or the time runs out first.
inline QString waitForLine(QProcess* p, const QString& prefix, int timeoutMs = 120000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (p->canReadLine()) {
            const QString line = QString::fromLocal8Bit(p->readLine()).trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        if (p->state() == QProcess::NotRunning)
            return QString();
        p->waitForReadyRead(100);
    }
    return QString();
}
