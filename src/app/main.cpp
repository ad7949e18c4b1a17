#include "app/Platform.h"
#include "app/StartUp.h"
#include "app/WidgetPlatform.h"
#include "wizard/Crepmain.h"

#include <QApplication>

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

} // namespace

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    WidgetPlatform platform;
    Platform::setDefault(&platform);

    if (!StartUp::prepareSession())
        return 0;

    QApplication::setApplicationDisplayName(QStringLiteral("Tallyvane Pro"));
    TFrmCReport wizard;
    wizard.show();
    return app.exec();
}
