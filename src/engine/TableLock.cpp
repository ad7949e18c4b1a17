#include "engine/TableLock.h"

#include "engine/DatabaseError.h"
#include "engine/OwnerFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
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

TableInUse inUse(const QString& tablePath)
{
    return TableInUse(
        QStringLiteral("The table %1 is in use by another user.").arg(tableFileName(tablePath)));
}

} // namespace

#ifdef Q_OS_UNIX
struct TableLock::Handle
{
    int fd = -1;
    QString ownerPath; // the owner file that guards the table, when locks do not
    ~Handle()
    {
        if (!ownerPath.isEmpty())
            OwnerFile::release(ownerPath);
        if (fd >= 0)
            ::close(fd); // closing the descriptor releases the record lock
    }
};

namespace {

// What the folder's file system makes of record locks.
enum class LockSupport { Enforced, NotEnforced, None };

bool refusedLock(int err) { return err == EACCES || err == EAGAIN; }

int setLock(int fd, int cmd)
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    int r;
    do
        r = ::fcntl(fd, cmd, &fl);
    while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
}

// Opens (or makes) the lock file itself: a link in its place is replaced,
// never followed out of the folder.
int openLockFile(const QByteArray& native)
{
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno == ELOOP && ::unlink(native.constData()) == 0)
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    return fd;
}

// A granted lock is trusted only when it excludes: a child process asks
// for it through a second open file description of the lock file, as a
// lock of that description and as a lock of the process, and both must be
// refused. Some shares grant every lock and enforce none. The test runs in
// the child because closing any descriptor of the file in this process
// would drop the lock held. Between fork and _exit the child makes plain
// system calls only.
bool lockExcludes(const QByteArray& native)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            ::_exit(2);
        int verdict = 0;
        for (const int cmd : {F_OFD_SETLK, F_SETLK}) {
            struct flock fl;
            std::memset(&fl, 0, sizeof fl);
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            if (::fcntl(fd, cmd, &fl) == 0) {
                // Given back at once: a share may remember it otherwise.
                fl.l_type = F_UNLCK;
                ::fcntl(fd, cmd, &fl);
                verdict = 1;
            } else if (errno != EACCES && errno != EAGAIN &&
                       !(cmd == F_OFD_SETLK && errno == EINVAL)) {
                verdict = 2;
            }
        }
        ::_exit(verdict);
    }
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(child, &status, 0);
    while (r < 0 && errno == EINTR);
    return r == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QString ownerFilePath(const QString& lockPath)
{
    QString path = lockPath;
    path.chop(4); // ".LCK"
    return path + QStringLiteral(".OWN");
}

} // namespace
#else
struct TableLock::Handle
{
    explicit Handle(const QString& path) : file(path) { file.setStaleLockTime(0); }
    QLockFile file;
};
#endif

TableLock::~TableLock() { registry().remove(m_lockPath); }

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
    const QString folder = QDir::toNativeSeparators(QFileInfo(tablePath).absolutePath());
    lock->m_handle->fd = openLockFile(native);
    if (lock->m_handle->fd < 0) {
        const int err = errno;
        throw DatabaseError(QStringLiteral("The table %1 cannot be locked: %2 (%3).")
                                .arg(tableFileName(tablePath),
                                     QString::fromLocal8Bit(std::strerror(err)), lockPath));
    }
    // A lock of the process, which every share that locks at all releases
    // when the descriptor is closed (including the program's end).
    const int err = setLock(lock->m_handle->fd, F_SETLK);
    if (refusedLock(err))
        throw inUse(tablePath);
    const LockSupport support = err != 0               ? LockSupport::None
                                : lockExcludes(native) ? LockSupport::Enforced
                                                       : LockSupport::NotEnforced;

    // Where locks do not hold, an owner file guards the table instead; where
    // they do, an owner file left by a program that found them weak is still
    // respected.
    const QString ownerPath = ownerFilePath(lockPath);
    const QString why =
        support == LockSupport::None
            ? QStringLiteral("The file system of the folder %1 does not support locks (%2), so "
                             "the owner file %3 guards the table instead.")
                  .arg(folder, QString::fromLocal8Bit(std::strerror(err)),
                       QDir::toNativeSeparators(ownerPath))
        : support == LockSupport::NotEnforced
            ? QStringLiteral("The file system of the folder %1 grants locks but does not enforce "
                             "them, so the owner file %2 guards the table instead.")
                  .arg(folder, QDir::toNativeSeparators(ownerPath))
            : QStringLiteral("Another program found that locks do not hold in the folder %1 and "
                             "guards the table with the owner file %2.")
                  .arg(folder, QDir::toNativeSeparators(ownerPath));
    if (support != LockSupport::Enforced || QFileInfo::exists(ownerPath) ||
        QFileInfo(ownerPath).isSymLink()) {
        OwnerFile::Claim claim;
        try {
            claim = OwnerFile::claim(ownerPath);
        } catch (const FileError& error) {
            throw DatabaseError(QStringLiteral("The table %1 cannot be locked: the owner file %2 "
                                               "cannot be made (%3). %4")
                                    .arg(tableFileName(tablePath),
                                         QDir::toNativeSeparators(ownerPath), error.reason(), why));
        }
        if (claim.result == OwnerFile::Result::HeldByOther)
            throw TableInUse(
                QStringLiteral("The table %1 is in use by another user: %2 holds it. %3 If no "
                               "report wizard runs there any more, delete that file and try "
                               "again.")
                    .arg(tableFileName(tablePath), OwnerFile::describe(claim), why));
        // Taken: released with the lock. On a share whose locks hold, the
        // owner file left by another program is gone now and stays gone.
        if (support != LockSupport::Enforced)
            lock->m_handle->ownerPath = ownerPath;
        else
            OwnerFile::release(ownerPath);
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
