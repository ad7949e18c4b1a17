#include "engine/OwnerFile.h"

#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// No save takes this long: a temporary this old whose writer cannot be
// asked is left over.
constexpr qint64 kStaleSeconds = 60 * 60;

QString firstLineOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(f.readLine(256)).trimmed();
}

// The start time of a process: field 22 of /proc/PID/stat, after the
// command name (which may hold blanks and parentheses).
QString startTimeOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray stat = f.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return QString();
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // After the name: state is field 3, start time field 22.
    return fields.size() > 19 ? QString::fromLatin1(fields.at(19)) : QString();
}

QString hostName()
{
#ifdef Q_OS_UNIX
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) == 0)
        return QString::fromLocal8Bit(name);
#endif
    return QString();
}

#ifdef Q_OS_UNIX
// Serialises the takeover of stale owner files among the processes of this
// computer (the only ones that may take one over) with a lock on a local
// file, which a local disk enforces.
class LocalTakeoverLock
{
public:
    explicit LocalTakeoverLock(const QString& ownerPath)
    {
        const QByteArray hash =
            QCryptographicHash::hash(QFile::encodeName(QFileInfo(ownerPath).absoluteFilePath()),
                                     QCryptographicHash::Sha1)
                .toHex()
                .left(20);
        const QByteArray path = QFile::encodeName(
            QDir(QDir::tempPath())
                .filePath(
                    QStringLiteral("tallyvane-owner-%1.lock").arg(QString::fromLatin1(hash))));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd >= 0)
            ::fchmod(m_fd, 0666); // every user of this computer takes it
        else
            m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (m_fd < 0)
            return;
        int r;
        do
            r = ::flock(m_fd, LOCK_EX);
        while (r != 0 && errno == EINTR);
        m_held = r == 0;
    }
    ~LocalTakeoverLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
#endif

QByteArray ownerText(const ProcessIdentity& id)
{
    return QStringLiteral("Tallyvane Pro owner file\nhost=%1\npid=%2\nmachine=%3\nboot=%4\n"
                          "started=%5\n")
        .arg(id.host)
        .arg(id.pid)
        .arg(id.machine, id.boot, id.started)
        .toUtf8();
}

bool sameIdentity(const ProcessIdentity& a, const ProcessIdentity& b)
{
    return a.pid == b.pid && a.host == b.host && a.machine == b.machine && a.boot == b.boot &&
           a.started == b.started;
}

// Temporary names of this version, and of older ones (which carry no
// host, or nothing of their writer at all).
const QRegularExpression& currentPattern()
{
    static const QRegularExpression re(
        QStringLiteral("^\\.(.+)\\.~([A-Za-z0-9_-]*)~([0-9]+)~[A-Za-z0-9]{6,8}\\.tmp$"));
    return re;
}

const QRegularExpression& oldPatterns()
{
    // A new report's temporary (".NAME.PID-HEX.tmp"), a table's
    // (".NAME.DB.XXXXXX") and a report's of the earlier safe save
    // ("NAME.rpt.XXXXXX": six letters, both cases, with a capital after the
    // first letter, so that a user's own "weekly.rpt.Backup" is never taken
    // for one).
    static const QRegularExpression re(QStringLiteral(
        "^(\\..+\\.[0-9]+-[0-9a-f]{8}\\.tmp"
        "|\\..+\\.(DB|MB|PX|db|mb|px)\\.[A-Za-z]{6}"
        "|[^.].*\\.[rR][pP][tT]\\.(?=[A-Za-z]*[a-z])(?=[A-Za-z][A-Za-z]*[A-Z])[A-Za-z]{6})$"));
    return re;
}

const QRegularExpression& claimPattern()
{
    static const QRegularExpression re(QStringLiteral("^\\..+\\.[rR][pP][tT]\\.owner$"));
    return re;
}

} // namespace

const ProcessIdentity& ProcessIdentity::self()
{
    static const ProcessIdentity id = [] {
        ProcessIdentity p;
        p.host = hostName();
        p.pid = QCoreApplication::applicationPid();
        p.machine = firstLineOf(QStringLiteral("/etc/machine-id"));
        if (p.machine.isEmpty())
            p.machine = firstLineOf(QStringLiteral("/var/lib/dbus/machine-id"));
        p.boot = firstLineOf(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        p.started = startTimeOf(p.pid);
        return p;
    }();
    return id;
}

QString ProcessIdentity::hostInName(const QString& host)
{
    QString out;
    for (const QChar c : host) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('-') || c == QLatin1Char('_');
        out += plain ? c : QLatin1Char('_');
    }
    return out.left(32);
}

bool OwnerFile::sameComputer(const ProcessIdentity& owner)
{
    const ProcessIdentity& me = ProcessIdentity::self();
    if (!owner.machine.isEmpty() && !me.machine.isEmpty())
        return owner.machine == me.machine;
    return !owner.host.isEmpty() && owner.host == me.host;
}

OwnerState OwnerFile::stateOf(const ProcessIdentity& owner)
{
    if (!sameComputer(owner) || owner.pid <= 0)
        return OwnerState::Alive;
    const ProcessIdentity& me = ProcessIdentity::self();
    if (!owner.boot.isEmpty() && !me.boot.isEmpty() && owner.boot != me.boot)
        return OwnerState::Gone; // the computer was restarted since
#ifdef Q_OS_UNIX
    if (::kill(pid_t(owner.pid), 0) != 0 && errno == ESRCH)
        return OwnerState::Gone;
#endif
    // A process of that number that started at another time is another
    // process.
    if (!owner.started.isEmpty()) {
        const QString now = startTimeOf(owner.pid);
        if (!now.isEmpty() && now != owner.started)
            return OwnerState::Gone;
    }
    return OwnerState::Alive;
}

bool OwnerFile::read(const QString& path, ProcessIdentity* owner)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.read(4096).split('\n');
    if (lines.value(0) != "Tallyvane Pro owner file")
        return false;
    ProcessIdentity id;
    bool pidSeen = false;
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "host")
            id.host = value;
        else if (key == "pid")
            id.pid = value.toLongLong(&pidSeen);
        else if (key == "machine")
            id.machine = value;
        else if (key == "boot")
            id.boot = value;
        else if (key == "started")
            id.started = value;
    }
    if (!pidSeen || (id.host.isEmpty() && id.machine.isEmpty()))
        return false;
    *owner = id;
    return true;
}

bool OwnerFile::removeIfStale(const QString& path)
{
#ifdef Q_OS_UNIX
    ProcessIdentity owner;
    if (!read(path, &owner) || stateOf(owner) != OwnerState::Gone)
        return false;
    LocalTakeoverLock serial(path);
    if (!serial.held())
        return false;
    // Read again under the lock: another process of this computer may
    // have taken it over in between.
    ProcessIdentity again;
    if (!read(path, &again) || !sameIdentity(again, owner))
        return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

namespace {

// An owner file is created and then written: one that names nobody may be
// in between. Waits a moment for its owner to appear.
bool waitForOwner(const QString& path, ProcessIdentity* owner)
{
    for (int i = 0; i < 20; ++i) {
        if (!QFileInfo::exists(path))
            return false;
        if (OwnerFile::read(path, owner))
            return true;
        QThread::msleep(100);
    }
    return false;
}

#ifdef Q_OS_UNIX
// Removes an owner file that still names nobody: its maker was stopped
// between creating and writing it. Only the file that was judged goes.
bool removeNameless(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat before;
    if (::lstat(native.constData(), &before) != 0)
        return false;
    LocalTakeoverLock serial(path);
    ProcessIdentity owner;
    struct stat now;
    if (!serial.held() || OwnerFile::read(path, &owner) || ::lstat(native.constData(), &now) != 0 ||
        now.st_ino != before.st_ino || now.st_dev != before.st_dev)
        return false;
    return ::unlink(native.constData()) == 0;
}
#endif

#ifdef Q_OS_UNIX
FileError cannotMake(const QString& path, int err)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(err));
    return FileError(QStringLiteral("The owner file %1 cannot be made (%2).")
                         .arg(QDir::toNativeSeparators(path), reason),
                     path, reason);
}
#endif

} // namespace

OwnerFile::Claim OwnerFile::claim(const QString& path)
{
    Claim c;
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const QByteArray text = ownerText(ProcessIdentity::self());
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
            const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
            ::close(fd);
            if (!written || !synced) {
                const int err = errno;
                ::unlink(native.constData());
                throw cannotMake(path, err);
            }
            c.result = Result::Taken;
            return c;
        }
        if (errno != EEXIST)
            throw cannotMake(path, errno);
        ProcessIdentity holder;
        c.holderKnown = waitForOwner(path, &holder);
        if (c.holderKnown && sameIdentity(holder, ProcessIdentity::self())) {
            c.result = Result::Taken; // ours already
            return c;
        }
        c.holder = holder;
        if (!c.holderKnown) {
            if (!QFileInfo::exists(path) || removeNameless(path))
                continue;
            break;
        }
        if (!removeIfStale(path))
            break;
    }
    c.result = Result::HeldByOther;
#else
    Q_UNUSED(path);
    c.result = Result::Taken;
#endif
    return c;
}

void OwnerFile::release(const QString& path)
{
    ProcessIdentity owner;
    if (read(path, &owner) && sameIdentity(owner, ProcessIdentity::self()))
        QFile::remove(path);
}

QString OwnerFile::describe(const Claim& claim)
{
    if (!claim.holderKnown)
        return QStringLiteral("a program whose name the file does not give");
    return QStringLiteral("the process %1 on the computer %2")
        .arg(claim.holder.pid)
        .arg(claim.holder.host.isEmpty() ? QStringLiteral("(no name)") : claim.holder.host);
}

QString OwnerFile::temporaryTemplate(const QString& fileName)
{
    return QStringLiteral(".%1.~%2~%3~XXXXXX.tmp")
        .arg(fileName, ProcessIdentity::hostInName(ProcessIdentity::self().host))
        .arg(ProcessIdentity::self().pid);
}

QString OwnerFile::temporaryName(const QString& fileName)
{
    QString name = temporaryTemplate(fileName);
    const quint32 random = QRandomGenerator::global()->generate();
    return name.replace(QStringLiteral("~XXXXXX."),
                        QStringLiteral("~%1.").arg(random, 8, 16, QLatin1Char('0')));
}

bool OwnerFile::isOurTemporary(const QString& name)
{
    return currentPattern().match(name).hasMatch() || oldPatterns().match(name).hasMatch() ||
           claimPattern().match(name).hasMatch();
}

int OwnerFile::removeStaleTemporaries(const QString& folder)
{
    int removed = 0;
#ifdef Q_OS_UNIX
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QDateTime oldest = QDateTime::currentDateTimeUtc().addSecs(-kStaleSeconds);
    const ProcessIdentity& me = ProcessIdentity::self();
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        bool stale = false;
        const QRegularExpressionMatch m = currentPattern().match(name);
        if (claimPattern().match(name).hasMatch()) {
            // An owner file of a report name: by its owner; one that names
            // nobody by its age.
            ProcessIdentity owner;
            if (read(path, &owner)) {
                removed += removeIfStale(path) ? 1 : 0;
                continue;
            }
        } else if (m.hasMatch()) {
            ProcessIdentity writer;
            writer.host = m.captured(2);
            writer.pid = m.captured(3).toLongLong();
            if (writer.host == ProcessIdentity::hostInName(me.host)) {
                // Judged by the process alone: the name carries no more.
                ProcessIdentity local = writer;
                local.host = me.host;
                local.machine = me.machine;
                stale = stateOf(local) == OwnerState::Gone;
                if (!stale)
                    continue;
            }
        } else if (!oldPatterns().match(name).hasMatch()) {
            continue;
        }
        if (!stale) {
            // Another computer's, or an older version's: only by its age.
            struct stat st;
            if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            stale = QDateTime::fromSecsSinceEpoch(st.st_mtime, Qt::UTC) < oldest;
        }
        if (stale && ::unlink(QFile::encodeName(path).constData()) == 0)
            ++removed;
    }
#else
    Q_UNUSED(folder);
#endif
    return removed;
}
