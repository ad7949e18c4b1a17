#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A folder on sharefs (tests/sharefs), a FUSE file system of the tests'
// own that mirrors a backing folder and behaves like an unusual network
// share: options "--locks=grant" (locks granted, none enforced),
// "--locks=none" (every lock fails), "--no-links", "--no-rename-flags",
// "--read-delay-ms=N" (a slow network).
// Mounted for the object's lifetime; the destructor unmounts, and the file
// system also unmounts itself when the test process dies.
class ShareMount
{
public:
    explicit ShareMount(const QStringList& options);
    ~ShareMount();
    ShareMount(const ShareMount&) = delete;
    ShareMount& operator=(const ShareMount&) = delete;

    // Empty when FUSE can be used here; otherwise why not (no /dev/fuse).
    static QString unavailable();

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString path() const;                        // the mount point
    QString filePath(const QString& name) const; // a file in it

    // Sends a command to the file system (see sharefs.cpp) and waits for
    // its answer; the line before "ok", if any, goes to *answer.
    bool command(const QByteArray& line, QByteArray* answer = nullptr);
    // Kills process pid at its nth request to the file system.
    bool killAt(qint64 pid, int n)
    {
        return command("arm " + QByteArray::number(pid) + ' ' + QByteArray::number(n));
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<QProcess> m_fs;
    bool m_mounted = false;
    QString m_error;
};
