#include "engine/AppPaths.h"

#include "engine/Paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString g_override;
}

QString AppPaths::executableFolder()
{
    QString folder = g_override;
    if (folder.isEmpty())
        folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!folder.endsWith(pathSeparator()))
        folder += pathSeparator();
    return folder;
}

void AppPaths::setExecutableFolder(const QString& folder) { g_override = folder; }

QString AppPaths::privateDirectory()
{
    return JoinPath(JoinPath(executableFolder(), QStringLiteral("Priv")), QStringLiteral("Report"));
}

QString AppPaths::programName(const QString& windowsName)
{
#ifdef Q_OS_WIN
    return windowsName;
#else
    QString name = windowsName;
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
#endif
}
