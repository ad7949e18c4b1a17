#include "engine/Paths.h"

bool IsBlank(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u != u' ' && u != u'\r' && u != u'\n' && u != u'\b')
            return false;
    }
    return true;
}

QChar pathSeparator()
{
#ifdef Q_OS_WIN
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

QString JoinPath(const QString& folder, const QString& fileName)
{
    if (IsBlank(folder))
        return fileName;
    if (folder.endsWith(pathSeparator()))
        return folder + fileName;
    return folder + pathSeparator() + fileName;
}
