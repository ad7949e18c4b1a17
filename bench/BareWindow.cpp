// The floor of start-up: the least a Qt Widgets program of this tree pays to
// put a window on the screen. It starts and closes exactly as the wizard does
// under TV_QUIT_WHEN_SHOWN (see src/main.cpp): the window is shown, and
// after its first paint "shown" is printed and the program quits.
// With the argument --text the window holds one line of text, so that it
// also pays for the font database and a font, as every window with text does.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
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
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    if (QCoreApplication::arguments().contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("Welcome to the report wizard"), &window);
        label->move(20, 20);
    }
    QuitWhenShown quitWhenShown;
    if (qEnvironmentVariableIsSet("TV_QUIT_WHEN_SHOWN"))
        window.installEventFilter(&quitWhenShown);
    window.show();
    return app.exec();
}
