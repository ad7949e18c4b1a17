#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

// The whole content of the file at `path`; empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry under `root`, by its path relative to it, with the bytes of
// each plain file. A folder, link or special file is marked, never read: a
// link may lead to /dev/zero, and a FIFO would block.
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString key = QDir(root).relativeFilePath(path);
        if (info.isSymLink() || !info.isFile())
            files.insert(key, QByteArray("<not a file>"));
        else
            files.insert(key, readAll(path));
    }
    return files;
}
