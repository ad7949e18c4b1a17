// The program itself: the start-up checks, the wizard window and the
// message loop. main() and the tests that run the whole program share it.
#include "forms/wizard/Crepmain.h"

#include "core/app/StartUp.h"

#include <QApplication>
#include <QGuiApplication>

int TFrmCReport::runProgram(const std::function<void(TFrmCReport&)>& beforeShow)
{
    // The network control directory is not set up: the user was asked
    // whether to set it up, and starts the program again afterwards.
    if (!StartUp::prepareSession())
        return 0;

    QApplication::setApplicationDisplayName(QStringLiteral("Tallyvane Pro"));
    // Lets the desktop match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tallyvane"));
    TFrmCReport wizard;
    // A wizard that could not start its work is never shown: its message
    // has told the user that the program ends.
    if (wizard.startRefused())
        return kExitStartRefused;
    if (beforeShow)
        beforeShow(wizard);
    wizard.show();
    return QApplication::exec();
}
