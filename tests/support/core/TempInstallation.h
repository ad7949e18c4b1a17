#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away installation: an executable folder with NETDIR.INI and
// ALIASES.INI, a network control folder, and a data folder that the alias
// VESKA names. The session holds the program's two table passwords, and it
// and the program's folder point at it for its
// lifetime; everything is put back on exit, the process's current folder
// included.
class TempInstallation
{
public:
    TempInstallation();
    ~TempInstallation();
    TempInstallation(const TempInstallation&) = delete;
    TempInstallation& operator=(const TempInstallation&) = delete;

    // Writes `bytes` as the whole file; false when it cannot.
    static bool write(const QString& path, const QByteArray& bytes);
    // An alias file whose alias VESKA names `dataFolder` as a Paradox folder.
    static bool writeAliasFile(const QString& iniPath, const QString& dataFolder);

    QString dataPath(const QString& name) const;
    QString exePath(const QString& name) const;

    QString exeFolder;
    QString netFolder;
    QString dataFolder;

private:
    QTemporaryDir m_root;
    QString m_previousFolder;
};
