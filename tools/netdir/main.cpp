#include "app/NetDirSetup.h"
#include "app/NetDirWidget.h"
#include "app/Platform.h"
#include "app/WidgetPlatform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Network Set-up"));
    WidgetPlatform platform;
    Platform::setDefault(&platform);

    NetDirWidget window(NetDirSetup::iniPath());
    window.show();
    return app.exec();
}
