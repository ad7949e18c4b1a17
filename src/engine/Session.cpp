#include "engine/Session.h"

#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "engine/IniFile.h"
#include "engine/ParadoxCrypt.h"
#include "engine/Paths.h"
#include "engine/TableState.h"

#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

struct Session::Private
{
    QStringList passwords;
    QString netDir;
    QString privateDir;
    QString aliasFile;
    QHash<QString, std::weak_ptr<SharedTableState>> tables;
    QHash<QString, QList<IndexDef>> indexDefs;
    QHash<QString, QStringList> requiredFields;
    bool netDirChecked = false;
};

Session::Session() : d(std::make_unique<Private>()) {}

Session::~Session() = default;

Session& Session::instance()
{
    static Session session;
    return session;
}

void Session::addPassword(const QString& password) { d->passwords << password; }

int Session::passwordCount() const { return int(d->passwords.size()); }

int Session::matchPassword(quint32 checksum) const
{
    if (checksum == 0)
        return -1; // 0 is "not protected", never a password's checksum
    for (int i = 0; i < d->passwords.size(); ++i) {
        if (paradoxPasswordChecksum(d->passwords.at(i)) == checksum)
            return i;
    }
    return -1;
}

QString Session::password(int index) const { return d->passwords.value(index); }

void Session::setNetDir(const QString& folder)
{
    d->netDir = folder;
    d->netDirChecked = false;
}
QString Session::netDir() const { return d->netDir; }
void Session::setPrivateDir(const QString& folder) { d->privateDir = folder; }
QString Session::privateDir() const { return d->privateDir; }

void Session::setAliasFile(const QString& path) { d->aliasFile = path; }

QString Session::aliasFile() const
{
    if (!d->aliasFile.isEmpty())
        return d->aliasFile;
    return JoinPath(AppPaths::executableFolder(), QStringLiteral("ALIASES.INI"));
}

QStringList Session::aliasParams(const QString& alias) const
{
    const IniFile ini = IniFile::fromFile(aliasFile());
    for (const QString& section : ini.sections()) {
        if (section.compare(alias, Qt::CaseInsensitive) == 0)
            return ini.sectionLines(section);
    }
    throw DatabaseError(QStringLiteral("Unknown database: %1.").arg(alias));
}

QString Session::folderOfAliasLines(const QStringList& lines)
{
    static const QLatin1String key("PATH=");
    QString folder;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(key, 0, Qt::CaseInsensitive);
        if (at >= 0)
            folder = IniFile::unquoted(line.mid(at + key.size()).trimmed());
    }
    return folder;
}

QString Session::aliasFolder(const QString& alias) const
{
    return folderOfAliasLines(aliasParams(alias));
}

void Session::reset() { d = std::make_unique<Private>(); }

std::shared_ptr<SharedTableState> Session::tableState(const QString& absolutePath)
{
    auto existing = d->tables.value(absolutePath).lock();
    if (existing)
        return existing;
    auto state = std::make_shared<SharedTableState>();
    state->path = absolutePath;
    d->tables.insert(absolutePath, state);
    return state;
}

void Session::checkNetDir()
{
    if (d->netDirChecked || d->netDir.isEmpty())
        return;
    const QString folder = d->netDir;
    const QFileInfo info(folder);
    const QString hint =
        QStringLiteral(" Run the network set-up tool (netdir) to choose a folder that every user "
                       "can write to.");
    if (!info.exists())
        throw DatabaseError(
            QStringLiteral("The network control directory %1 does not exist.").arg(folder) + hint);
    if (!info.isDir())
        throw DatabaseError(
            QStringLiteral("The network control directory %1 is not a folder.").arg(folder) + hint);
    // Permission bits do not tell the whole story (network drives, the
    // administrator), so try to write a file there.
    QTemporaryFile probe(JoinPath(folder, QStringLiteral("tvnet-XXXXXX.tmp")));
    if (!probe.open())
        throw DatabaseError(
            QStringLiteral("The network control directory %1 cannot be written to.").arg(folder) +
            hint);
    probe.close();
    d->netDirChecked = true;
}

void Session::rememberIndexDefs(const QString& absolutePath, const QList<IndexDef>& indexes)
{
    d->indexDefs.insert(absolutePath, indexes);
}

void Session::forgetIndexDefs(const QString& absolutePath)
{
    d->indexDefs.remove(absolutePath);
    d->requiredFields.remove(absolutePath);
}

void Session::rememberRequiredFields(const QString& absolutePath, const QStringList& fields)
{
    d->requiredFields.insert(absolutePath, fields);
}

QStringList Session::rememberedRequiredFields(const QString& absolutePath) const
{
    return d->requiredFields.value(absolutePath);
}

QList<IndexDef> Session::rememberedIndexDefs(const QString& absolutePath, bool* known) const
{
    const auto it = d->indexDefs.constFind(absolutePath);
    if (known)
        *known = it != d->indexDefs.constEnd();
    return it == d->indexDefs.constEnd() ? QList<IndexDef>() : *it;
}
