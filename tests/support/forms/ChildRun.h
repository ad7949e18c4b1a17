#pragma once

// Tests that need a second process run their own program again in a child
// role: `test_x --child ROLE ARGS...`. The child is a fresh process (no
// fork of a running Qt program, whose other threads could leave locks
// held), with its own QApplication on the offscreen platform; it does its
// work, prints what it saw on standard output and ends with exit code 0 when
// all went as expected. TV_TEST_MAIN_WITH_CHILDREN replaces QTEST_MAIN.

#include <QApplication>
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <cstdio>

namespace ChildRun {

struct Result
{
    bool finished = false; // ended on its own, not killed by the timeout
    int code = -1;
    QByteArray out;
    QByteArray err;
    QString describe() const
    {
        return QStringLiteral("exit code %1%2\n--- stdout\n%3\n--- stderr\n%4")
            .arg(code)
            .arg(finished ? QString() : QStringLiteral(" (did not finish)"))
            .arg(QString::fromLocal8Bit(out.right(2000)), QString::fromLocal8Bit(err.right(4000)));
    }
};

// Starts this program in a child role; the caller reads and waits.
inline QProcess* start(const QString& role, const QStringList& args, QObject* parent = nullptr)
{
    auto* p = new QProcess(parent);
    p->setProgram(QCoreApplication::applicationFilePath());
    p->setArguments(QStringList{QStringLiteral("--child"), role} + args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p->setProcessEnvironment(env);
    p->start();
    return p;
}

// Collects a finished (or timed out and killed) child.
inline Result finish(QProcess* p, int timeoutMs)
{
    Result r;
    r.finished = p->waitForFinished(timeoutMs);
    if (!r.finished) {
        p->kill();
        p->waitForFinished(5000);
    }
    r.code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    r.out = p->readAllStandardOutput();
    r.err = p->readAllStandardError();
    return r;
}

inline Result run(const QString& role, const QStringList& args, int timeoutMs = 120000)
{
    QProcess* p = start(role, args);
    Result r = finish(p, timeoutMs);
    delete p;
    return r;
}

// A line on standard output, at once (the parent may be waiting for it).
inline void say(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// A failure of the child: why, on standard error, and the exit code.
inline int fail(int code, const QString& why)
{
    std::fputs(qPrintable(why + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
    return code;
}

} // namespace ChildRun

// main() for a test program with child roles: `childMain(role, args)`
// handles `--child ROLE ARGS...`; anything else runs the tests.
#define TV_TEST_MAIN_WITH_CHILDREN(TestObject, childMain)                                          \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        if (argc > 2 && qstrcmp(argv[1], "--child") == 0) {                                        \
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                    \
                qputenv("QT_QPA_PLATFORM", "offscreen");                                           \
            QApplication app(argc, argv);                                                          \
            const QStringList all = QCoreApplication::arguments();                                 \
            return childMain(all.at(2), all.mid(3));                                               \
        }                                                                                          \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
