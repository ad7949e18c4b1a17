// Feeds arbitrary bytes to the Paradox table reader as a .DB file and its
// .MB memo file: open, list the fields, read every row. Anything but a
// DatabaseError (a crash, a sanitizer report, a hang) is a finding.
//
// Input layout: 4 bytes little-endian length n of the table file, then n
// bytes of the table file, then the memo file (the rest). A length beyond the
// input takes the whole rest as the table file and writes no memo file.

#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

void writeFile(const QString& path, const char* data, qsizetype size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const quint32 dbLength = quint32(data[0]) | (quint32(data[1]) << 8) | (quint32(data[2]) << 16) |
                             (quint32(data[3]) << 24);
    const qsizetype rest = qsizetype(size - 4);
    const qsizetype dbSize = dbLength <= quint32(rest) ? qsizetype(dbLength) : rest;

    const QString db = workDir().filePath(QStringLiteral("T.DB"));
    const QString mb = workDir().filePath(QStringLiteral("T.MB"));
    writeFile(db, bytes + 4, dbSize);
    if (dbSize < rest)
        writeFile(mb, bytes + 4 + dbSize, rest - dbSize);
    else
        QFile::remove(mb);

    try {
        ParadoxReader reader(db);
        (void)reader.fields();
        (void)reader.tableName();
        // The protected seeds (ours and one pxlib wrote) have this password,
        // so their blocks are unscrambled and the rows behind them reached.
        reader.setPassword(QStringLiteral("password"));
        reader.readAll();
    } catch (const DatabaseError&) {
        // A refused file is the expected outcome for most inputs.
    }
    return 0;
}
