#include "ShareMount.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>

namespace {

dev_t deviceOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

} // namespace

QString ShareMount::unavailable()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("/dev/fuse is missing on this machine: FUSE file systems cannot be "
                              "mounted here");
    return QString();
}

ShareMount::ShareMount(const QStringList& options)
{
    const QString program = qEnvironmentVariable("TV_SHAREFS");
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("sharefs not found (TV_SHAREFS=%1)").arg(program);
        return;
    }
    QDir(m_root.path()).mkdir(QStringLiteral("backing"));
    QDir(m_root.path()).mkdir(QStringLiteral("share"));
    const QString mountPoint = path();
    const dev_t before = deviceOf(mountPoint);
    m_fs = std::make_unique<QProcess>();
    m_fs->setProgram(program);
    m_fs->setArguments(QStringList{m_root.filePath(QStringLiteral("backing")), mountPoint} +
                       options);
    m_fs->setProcessChannelMode(QProcess::SeparateChannels);
    m_fs->start();
    if (!m_fs->waitForStarted(5000)) {
        m_error = QStringLiteral("sharefs did not start: ") + m_fs->errorString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_fs->state() == QProcess::Running) {
        if (deviceOf(mountPoint) != before) {
            m_mounted = true;
            return;
        }
        QThread::msleep(10);
    }
    m_error = QStringLiteral("sharefs did not mount: ") +
              QString::fromLocal8Bit(m_fs->readAllStandardError());
}

ShareMount::~ShareMount()
{
    if (!m_fs)
        return;
    if (m_mounted)
        QProcess::execute(QStringLiteral("fusermount3"),
                          {QStringLiteral("-u"), QStringLiteral("-z"), path()});
    m_fs->closeWriteChannel();
    m_fs->terminate();
    if (!m_fs->waitForFinished(5000)) {
        m_fs->kill();
        m_fs->waitForFinished(2000);
    }
}

QString ShareMount::path() const { return m_root.filePath(QStringLiteral("share")); }

QString ShareMount::filePath(const QString& name) const { return QDir(path()).filePath(name); }

bool ShareMount::command(const QByteArray& line, QByteArray* answer)
{
    if (!m_fs || m_fs->state() != QProcess::Running)
        return false;
    m_fs->write(line + '\n');
    m_fs->waitForBytesWritten(2000);
    QByteArray last;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        while (m_fs->canReadLine()) {
            const QByteArray got = m_fs->readLine().trimmed();
            if (got == "ok") {
                if (answer)
                    *answer = last;
                return true;
            }
            last = got;
        }
        m_fs->waitForReadyRead(100);
    }
    return false;
}
