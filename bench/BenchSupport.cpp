#include "BenchSupport.h"

#include "core/app/StartUp.h"
#include "engine/AppPaths.h"
#include "engine/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& what, const QString& path)
{
    throw std::runtime_error(QStringLiteral("%1 %2").arg(what, path).toStdString());
}

class Fd
{
public:
    Fd(const QString& path, int flags, mode_t mode = 0644)
        : m_fd(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, mode))
    {
        if (m_fd < 0)
            fail(QStringLiteral("cannot open"), path);
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

void writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n <= 0)
            fail(QStringLiteral("cannot write"), path);
        p += n;
        left -= n;
    }
}

} // namespace

namespace BenchSupport {

QString dataRoot()
{
    const QString root = qEnvironmentVariable("TV_BENCH_DATA");
    if (root.isEmpty() || !QDir(root).exists()) {
        std::fprintf(stderr,
                     "TV_BENCH_DATA does not name the prepared data; run scripts/bench.sh\n");
        std::exit(2);
    }
    return root;
}

QString dataFolder(const char* name)
{
    return QDir(dataRoot()).filePath(QString::fromLatin1(name));
}

QString binFolder() { return QCoreApplication::applicationDirPath(); }

std::int64_t readWholeFile(const QString& path)
{
    Fd fd(path, O_RDONLY);
    static char buffer[1 << 16];
    std::int64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            fail(QStringLiteral("cannot read"), path);
        if (n == 0)
            return total;
        total += n;
    }
}

std::int64_t readParadoxHeader(const QString& path)
{
    Fd fd(path, O_RDONLY);
    unsigned char head[4];
    if (::read(fd.get(), head, sizeof head) != sizeof head)
        fail(QStringLiteral("cannot read"), path);
    const int headerSize = head[2] | (head[3] << 8);
    char buffer[1 << 16];
    const ssize_t rest = headerSize - 4;
    if (rest < 0 || ::read(fd.get(), buffer, size_t(rest)) != rest)
        fail(QStringLiteral("cannot read the header of"), path);
    return headerSize;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot open"), path);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes, bool durable)
{
    if (!durable) {
        // A new file: truncating one that holds data makes the file system
        // flush it on close, which is not the least a write costs.
        ::unlink(QFile::encodeName(path).constData());
        Fd fd(path, O_WRONLY | O_CREAT | O_EXCL);
        writeAll(fd.get(), bytes, path);
        return;
    }
    const QString temporary = path + QStringLiteral(".tmp");
    {
        Fd fd(temporary, O_WRONLY | O_CREAT | O_TRUNC);
        writeAll(fd.get(), bytes, temporary);
        if (::fsync(fd.get()) != 0)
            fail(QStringLiteral("cannot flush"), temporary);
    }
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) !=
        0)
        fail(QStringLiteral("cannot rename"), temporary);
}

} // namespace BenchSupport

Platform::Answer BenchPlatform::messageBox(Icon, const QString& text, Buttons buttons)
{
    ++boxes;
    std::fprintf(stderr, "benchmark saw a message box: %s\n", qPrintable(text));
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

BenchInstallation::BenchInstallation(const QString& dataFolder)
    : m_dataFolder(dataFolder), m_previousFolder(QDir::currentPath())
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("exe"));
    root.mkpath(QStringLiteral("net"));
    const QString exe = root.filePath(QStringLiteral("exe"));
    const QString net = root.filePath(QStringLiteral("net"));
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            fail(QStringLiteral("cannot write"), path);
    };
    write(QDir(exe).filePath(QStringLiteral("NETDIR.INI")),
          "[Options]\r\nNetDir=" + net.toLocal8Bit() + "\r\n");
    const QString aliases = QDir(exe).filePath(QStringLiteral("ALIASES.INI"));
    write(aliases,
          "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=" + dataFolder.toLocal8Bit() + "\r\n");
    Session::instance().reset();
    StartUp::registerTablePasswords(); // the tables are protected like the host's
    AppPaths::setExecutableFolder(exe);
    Session::instance().setAliasFile(aliases);
    Session::instance().setNetDir(net);
    Session::instance().setPrivateDir(m_root.path());
    Platform::install(&m_platform);
}

BenchInstallation::~BenchInstallation()
{
    Platform::install(nullptr);
    QDir::setCurrent(m_previousFolder);
    Session::instance().reset();
    Session::instance().setAliasFile(QString());
    AppPaths::setExecutableFolder(QString());
}
