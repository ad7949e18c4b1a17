#include "app/TableLock.h"

#include "app/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace {

// The locks this program holds, by lock file path. POSIX record locks belong
// to the process, and closing any descriptor of the file drops them all, so
// the program must never open a held lock file a second time: every cursor
// shares the one handle kept here.
QHash<QString, std::weak_ptr<TableLock>>& registry()
{
    static QHash<QString, std::weak_ptr<TableLock>> locks;
    return locks;
}

QString tableFileName(const QString& tablePath) { return QFileInfo(tablePath).fileName(); }

DatabaseError inUse(const QString& tablePath)
{
    return DatabaseError(
        QStringLiteral("The table %1 is in use by another user.").arg(tableFileName(tablePath)));
}

} // namespace

#ifdef Q_OS_UNIX
struct TableLock::Handle
{
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd); // closing the descriptor releases the record lock
    }
};
#else
struct TableLock::Handle
{
    explicit Handle(const QString& path) : file(path) { file.setStaleLockTime(0); }
    QLockFile file;
};
#endif

TableLock::~TableLock()
{
    registry().remove(m_lockPath);
}

QString TableLock::lockFilePath(const QString& tablePath)
{
    const QFileInfo info(tablePath);
    QString base = info.fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return info.absoluteDir().filePath(base + QStringLiteral(".LCK"));
}

bool TableLock::heldHere(const QString& tablePath)
{
    return !registry().value(lockFilePath(tablePath)).expired();
}

std::shared_ptr<TableLock> TableLock::acquire(const QString& tablePath)
{
    const QString lockPath = lockFilePath(tablePath);
    if (auto held = registry().value(lockPath).lock())
        return held;

    std::shared_ptr<TableLock> lock(new TableLock);
    lock->m_lockPath = lockPath;
#ifdef Q_OS_UNIX
    lock->m_handle = std::make_unique<Handle>();
    const QByteArray native = QFile::encodeName(lockPath);
    lock->m_handle->fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock->m_handle->fd < 0) {
        const int err = errno;
        throw DatabaseError(QStringLiteral("The table %1 cannot be locked: %2 (%3).")
                                .arg(tableFileName(tablePath),
                                     QString::fromLocal8Bit(std::strerror(err)), lockPath));
    }
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (::fcntl(lock->m_handle->fd, F_SETLK, &fl) != 0) {
        const int err = errno;
        if (err == EACCES || err == EAGAIN)
            throw inUse(tablePath);
        throw DatabaseError(QStringLiteral("The table %1 cannot be locked: %2 (%3).")
                                .arg(tableFileName(tablePath),
                                     QString::fromLocal8Bit(std::strerror(err)), lockPath));
    }
#else
    lock->m_handle = std::make_unique<Handle>(lockPath);
    if (!lock->m_handle->file.tryLock(0)) {
        if (lock->m_handle->file.error() == QLockFile::LockFailedError)
            throw inUse(tablePath);
        throw DatabaseError(QStringLiteral("The table %1 cannot be locked (%2).")
                                .arg(tableFileName(tablePath), lockPath));
    }
#endif
    registry().insert(lockPath, lock);
    return lock;
}

bool TableLock::lockedElsewhere(const QString& tablePath)
{
    const QString lockPath = lockFilePath(tablePath);
    if (heldHere(tablePath))
        return false;
    if (!QFileInfo::exists(lockPath))
        return false;
#ifdef Q_OS_UNIX
    // Safe to open and close here: this program holds no lock on the file.
    const QByteArray native = QFile::encodeName(lockPath);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return locked;
#else
    QLockFile probe(lockPath);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
#endif
}
