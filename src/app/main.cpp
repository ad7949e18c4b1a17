#include "app/Platform.h"
#include "app/StartUp.h"
#include "app/WidgetPlatform.h"
#include "wizard/Crepmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    WidgetPlatform platform;
    Platform::setDefault(&platform);

    if (!StartUp::prepareSession())
        return 0;

    QApplication::setApplicationDisplayName(QStringLiteral("Tallyvane Pro"));
    TFrmCReport wizard;
    wizard.show();
    return app.exec();
}
