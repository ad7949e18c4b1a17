#include "core/app/HelpFile.h"

#include <QFileInfo>

QString HelpFile::htmlPath(const QString& helpFile)
{
    const QFileInfo info(helpFile);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
}

QUrl HelpFile::contextUrl(const QString& helpFile, int context)
{
    QUrl url = QUrl::fromLocalFile(htmlPath(helpFile));
    url.setFragment(QStringLiteral("context-%1").arg(context));
    return url;
}
