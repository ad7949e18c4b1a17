#include "core/app/Platform.h"
#include "forms/app/WidgetPlatform.h"
#include "forms/wizard/Crepmain.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <exception>

namespace {

// An error that no handler caught (of the engine or of file access) is shown
// in the application's error box, and the program goes on, as the wizard's
// own handlers do.
class Application : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            TFrmCReport::showUnhandledError(error);
            return false;
        }
    }
};

// With the environment variable TV_QUIT_WHEN_SHOWN set, the program prints
// "shown" on standard output once the wizard has been painted for the first
// time, and quits. The start-up benchmark (bench/) times this against a bare
// window that does the same; nothing else uses it.
class QuitWhenShown : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, watched, [] {
                std::puts("shown");
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    WidgetPlatform platform;
    Platform::setDefault(&platform);

    QuitWhenShown quitWhenShown;
    return TFrmCReport::runProgram([&](TFrmCReport& wizard) {
        if (qEnvironmentVariableIsSet("TV_QUIT_WHEN_SHOWN"))
            wizard.installEventFilter(&quitWhenShown);
    });
}
