// Start-up: from the moment the process is started to the wizard painted for
// the first time, on the sample installation beside the program, against a
// bare Qt window started and closed the same way.

#include "BenchSupport.h"

#include "forms/wizard/Crepmain.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ChildRun
{
    bool ok = false;
    double secondsToShown = 0;
    std::string error;
};

// Starts the program with TV_QUIT_WHEN_SHOWN set, times it up to its "shown"
// line and waits for it to end.
ChildRun runUntilShown(const QString& program, const char* argument)
{
    ChildRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        run.error = "pipe failed";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const QByteArray path = QFile::encodeName(program);
    char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(argument), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        run.error = "cannot start " + path.toStdString();
        return run;
    }

    std::string seen;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        seen.append(buffer, size_t(n));
        if (seen.find("shown\n") != std::string::npos)
            break;
    }
    const auto shown = std::chrono::steady_clock::now();
    ::close(out[0]);

    int status = 0;
    ::waitpid(pid, &status, 0);
    if (seen.find("shown\n") == std::string::npos) {
        run.error = path.toStdString() + " ended without showing its window";
        return run;
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok)
        run.error = path.toStdString() + " did not end cleanly";
    run.secondsToShown = std::chrono::duration<double>(shown - start).count();
    return run;
}

void StartUp(benchmark::State& state, const char* program, const char* argument)
{
    qputenv("TV_QUIT_WHEN_SHOWN", "1");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString path = QDir(BenchSupport::binFolder()).filePath(QString::fromLatin1(program));
    for (auto _ : state) {
        const ChildRun run = runUntilShown(path, argument);
        if (!run.ok) {
            state.SkipWithError(run.error.c_str());
            break;
        }
        state.SetIterationTime(run.secondsToShown);
    }
    qunsetenv("TV_QUIT_WHEN_SHOWN");
}

} // namespace

BENCHMARK_CAPTURE(StartUp, Wizard, "tallyvane", nullptr)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(StartUp, BareWindow, "bench_barewindow", nullptr)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(StartUp, BareWindowWithText, "bench_barewindow", "--text")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

namespace {

// The wizard window alone, in a running program: created, shown and painted
// once, closed. What start-up pays for the window itself.
void WizardWindow(benchmark::State& state)
{
    BenchInstallation installation(BenchSupport::dataFolder("small"));
    for (auto _ : state) {
        TFrmCReport wizard;
        wizard.show();
        wizard.repaint();
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(WizardWindow)->Name("StartUp/WizardWindowInProcess")->Unit(benchmark::kMillisecond);
