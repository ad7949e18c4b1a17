#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// The path of a golden file under tests. CTest hands every test the
// source folder in TV_SOURCE_DIR; the file name the compiler recorded for
// the test source is not used, since a compiler cache or another build
// folder can make it relative to a folder the test does not run in.
inline QString goldenFile(const QString& relative)
{
    const QString path =
        QDir(qEnvironmentVariable("TV_SOURCE_DIR")).filePath(QStringLiteral("tests/") + relative);
    return QFileInfo::exists(path) ? path : QString();
}
