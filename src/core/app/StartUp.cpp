#include "core/app/StartUp.h"

#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "engine/AppPaths.h"
#include "engine/IniFile.h"
#include "engine/Session.h"

#include <QDir>
#include <QFileInfo>

bool StartUp::CheckNetDir(QString& folder)
{
    const QString iniPath = AppPaths::executableFolder() + QStringLiteral("NETDIR.INI");
    QString value = IniFile::fromFile(iniPath).value(
        QStringLiteral("Options"), QStringLiteral("NetDir"), QStringLiteral("xx"));
    if (!value.isEmpty() && value.endsWith(QLatin1Char('/')))
        value.chop(1);

    if (value == QLatin1String("xx") || IsBlank(value)) {
        const auto answer = Platform::instance().messageBox(
            Platform::Icon::Information,
            QStringLiteral("The shared network control directory has not been initialized.  "
                           "Do you wish to run the NETDIR command now?"),
            Platform::Buttons::YesNo);
        if (answer == Platform::Answer::Yes) {
            const QString program = AppPaths::executableFolder() + pathSeparator() +
                                    AppPaths::programName(QStringLiteral("netdir.exe"));
            Platform::instance().startProgram(program, {});
        }
        return false;
    }
    folder = value;
    return true;
}

QString StartUp::tablePassword(int index)
{
    // The two passwords of the host's protected tables, put together one
    // character at a time so that neither stands in the binary as a string.
    QString password;
    if (index == 0) {
        for (char c : {'t', 'a', 'l', 'l', 'y', 'v'})
            password += QLatin1Char(c);
    } else if (index == 1) {
        for (int i = 0; i < 7; ++i)
            password += QLatin1Char(char('a' + (i * 5 + 7) % 26));
    }
    return password;
}

void StartUp::registerTablePasswords()
{
    for (int index = 0; index < 2; ++index) {
        QString password = tablePassword(index);
        Session::instance().addPassword(password);
        password.fill(QLatin1Char(' '));
    }
}

bool StartUp::prepareSession()
{
    registerTablePasswords();

    QString netDir;
    if (!CheckNetDir(netDir))
        return false;
    Session::instance().setNetDir(netDir);

    const QString priv = AppPaths::privateDirectory();
    QDir().mkpath(priv);
    if (!QFileInfo(priv).isDir())
        ShowError(QStringLiteral("Could not create the private directory ") + priv);
    Session::instance().setPrivateDir(priv);
    return true;
}
