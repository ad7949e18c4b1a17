#include "TempInstallation.h"

#include "core/app/StartUp.h"
#include "engine/AppPaths.h"
#include "engine/Session.h"

#include <QDir>
#include <QFile>

TempInstallation::TempInstallation() : m_previousFolder(QDir::currentPath())
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("exe"));
    root.mkpath(QStringLiteral("net"));
    root.mkpath(QStringLiteral("data"));
    exeFolder = root.filePath(QStringLiteral("exe"));
    netFolder = root.filePath(QStringLiteral("net"));
    dataFolder = root.filePath(QStringLiteral("data"));
    write(exePath(QStringLiteral("NETDIR.INI")),
          "[Options]\r\nNetDir=" + netFolder.toLocal8Bit() + "\r\n");
    const QString aliases = exePath(QStringLiteral("ALIASES.INI"));
    writeAliasFile(aliases, dataFolder);
    Session::instance().reset();
    // The program's two table passwords, as its start-up registers them: the
    // host's tables (the sample ones included) are protected.
    StartUp::registerTablePasswords();
    AppPaths::setExecutableFolder(exeFolder);
    Session::instance().setAliasFile(aliases);
    Session::instance().setNetDir(netFolder);
    Session::instance().setPrivateDir(m_root.path());
}

TempInstallation::~TempInstallation()
{
    QDir::setCurrent(m_previousFolder);
    Session::instance().reset();
    Session::instance().setAliasFile(QString());
    AppPaths::setExecutableFolder(QString());
}

bool TempInstallation::write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size();
}

bool TempInstallation::writeAliasFile(const QString& iniPath, const QString& dataFolder)
{
    return write(iniPath,
                 "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=" + dataFolder.toLocal8Bit() + "\r\n");
}

QString TempInstallation::dataPath(const QString& name) const
{
    return QDir(dataFolder).filePath(name);
}

QString TempInstallation::exePath(const QString& name) const
{
    return QDir(exeFolder).filePath(name);
}
