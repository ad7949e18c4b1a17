#pragma once

#include "app/AppPaths.h"
#include "app/Session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A throw-away installation for the report store's dialogs: an executable
// folder with NETDIR.INI and ALIASES.INI, a network control folder, and a
// data folder that the alias VESKA names. Everything is put back on exit,
// the process's current folder included.
class StoreFixture
{
public:
    StoreFixture()
        : m_previousFolder(QDir::currentPath())
    {
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("exe"));
        root.mkpath(QStringLiteral("net"));
        root.mkpath(QStringLiteral("data"));
        exeFolder = root.filePath(QStringLiteral("exe"));
        netFolder = root.filePath(QStringLiteral("net"));
        dataFolder = root.filePath(QStringLiteral("data"));
        write(QDir(exeFolder).filePath(QStringLiteral("NETDIR.INI")),
              "[Options]\r\nNetDir=" + netFolder.toLocal8Bit() + "\r\n");
        const QString aliases = QDir(exeFolder).filePath(QStringLiteral("ALIASES.INI"));
        write(aliases, "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=" + dataFolder.toLocal8Bit() +
                           "\r\n");
        Session::instance().reset();
        AppPaths::setExecutableFolder(exeFolder);
        Session::instance().setAliasFile(aliases);
        Session::instance().setNetDir(netFolder);
        Session::instance().setPrivateDir(m_root.path());
    }
    ~StoreFixture()
    {
        QDir::setCurrent(m_previousFolder);
        Session::instance().reset();
        Session::instance().setAliasFile(QString());
        AppPaths::setExecutableFolder(QString());
    }

    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        return file.write(bytes) == bytes.size();
    }
    // A report file in the data folder with the given first lines.
    bool writeReport(const QString& name, const QByteArray& lines) const
    {
        return write(dataPath(name), lines);
    }
    QString dataPath(const QString& name) const { return QDir(dataFolder).filePath(name); }

    QString exeFolder;
    QString netFolder;
    QString dataFolder;

private:
    QTemporaryDir m_root;
    QString m_previousFolder;
};
