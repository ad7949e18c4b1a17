#include "core/app/NetDirSetup.h"
#include "core/app/Platform.h"
#include "forms/app/NetDirWidget.h"
#include "forms/app/WidgetPlatform.h"

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
