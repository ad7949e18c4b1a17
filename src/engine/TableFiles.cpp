#include "engine/TableFiles.h"

#include "engine/DatabaseError.h"
#include "engine/Paths.h"
#include "engine/Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The extensions of the files that make up one Paradox table.
bool isCompanionSuffix(const QString& suffix)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(DB|MB|PX|VAL|TV|FAM|X[0-9A-F]{2}|Y[0-9A-F]{2}|XG[0-9A-F]|YG[0-9A-F])$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(suffix).hasMatch();
}

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

} // namespace

namespace TableFiles {

QString resolvePath(const QString& alias, const QString& tableName)
{
    if (alias.isEmpty())
        throw DatabaseError(QStringLiteral("No database is set for the table %1.").arg(tableName));
    if (tableName.isEmpty())
        throw DatabaseError(QStringLiteral("No table name is set for the database %1.").arg(alias));
    const QString folder = Session::instance().aliasFolder(alias);
    // Without a folder the table would land in whatever the current
    // folder happens to be; refuse instead.
    if (IsBlank(folder))
        throw DatabaseError(
            QStringLiteral("The database %1 names no folder: set its PATH= "
                           "line in %2.")
                .arg(alias, QDir::toNativeSeparators(Session::instance().aliasFile())));
    const QString path = JoinPath(folder, tableName);
    if (QFileInfo::exists(path))
        return QFileInfo(path).absoluteFilePath();
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString& name : names) {
        if (name.compare(tableName, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(name);
    }
    return QFileInfo(path).absoluteFilePath();
}

void requireFolder(const QString& path, const QString& alias)
{
    const QString folder = folderOf(path);
    if (!QFileInfo(folder).isDir())
        throw DatabaseError(QStringLiteral("The folder %1 of the database %2 cannot be found.")
                                .arg(QDir::toNativeSeparators(folder), alias));
}

void requireFile(const QString& path, const QString& tableName, const QString& alias)
{
    requireFolder(path, alias);
    if (!QFileInfo(path).isFile())
        throw DatabaseError(QStringLiteral("The table %1 cannot be found in %2.")
                                .arg(tableName, QDir::toNativeSeparators(folderOf(path))));
}

QStringList companionFiles(const QString& path)
{
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    QString base = info.fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    QStringList files;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const qsizetype d = name.lastIndexOf(QLatin1Char('.'));
        if (d <= 0)
            continue;
        if (name.left(d).compare(base, Qt::CaseInsensitive) != 0)
            continue;
        if (!isCompanionSuffix(name.mid(d + 1)))
            continue;
        files << dir.absoluteFilePath(name);
    }
    return files;
}

void removeLeftoverCompanions(const QString& path, bool hasMemo, bool hasKey)
{
    for (const QString& file : companionFiles(path)) {
        const QString suffix = QFileInfo(file).suffix().toUpper();
        const bool keep = suffix == QLatin1String("DB") ||
                          (suffix == QLatin1String("MB") && hasMemo) ||
                          (suffix == QLatin1String("PX") && hasKey);
        if (!keep)
            QFile::remove(file);
    }
}

void removeTable(const QString& path, const QString& tableName)
{
    QStringList files = companionFiles(path);
    files.removeAll(path);
    files << path;
    for (const QString& file : files) {
        if (QFileInfo::exists(file) && !QFile::remove(file))
            throw DatabaseError(QStringLiteral("The table %1 cannot be deleted: %2 cannot be "
                                               "removed.")
                                    .arg(tableName, QDir::toNativeSeparators(file)));
    }
}

Stamp stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

} // namespace TableFiles
