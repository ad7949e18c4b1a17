#pragma once

#include "core/app/Platform.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

// What the benchmarks share: where the prepared data lies, a throw-away
// installation around a data folder, a platform that never blocks, and the
// plain POSIX file reads and writes that make the floors.
namespace BenchSupport {

// The folder scripts/bench.sh prepared (TV_BENCH_DATA):
//   big/    CONTACT.DB with 200,000 contacts, EVENT.DB, DATABASE.DB (all
//           password-protected, as the host's are)
//   bigplain/  the same 200,000 contacts in an unprotected CONTACT.DB
//   empty/  CONTACT.DB with the same columns and no rows, EVENT.DB, DATABASE.DB
//   small/  the sample data folder (300 contacts)
// Ends the program with a message when it is not set.
QString dataRoot();
QString dataFolder(const char* name);

// The program's folder (where tallyvane, bench_barewindow and the sample
// installation are).
QString binFolder();

// Plain file I/O for the floors. Each returns the number of bytes moved and
// throws std::runtime_error when the file cannot be read or written.
std::int64_t readWholeFile(const QString& path);
// Reads the header of a Paradox table: its length is in bytes 2 and 3.
std::int64_t readParadoxHeader(const QString& path);
QByteArray fileBytes(const QString& path);
// Writes the bytes to a new file in place of the old; with `durable`, goes on as the
// program's safe save must: to a temporary file, flushed to disk, renamed
// over the target.
void writeFile(const QString& path, const QByteArray& bytes, bool durable);

} // namespace BenchSupport

// Message boxes never wait for an answer here: they are counted, printed to
// standard error (a benchmark that shows one is measuring the wrong thing),
// and answered Yes/OK.
class BenchPlatform : public Platform
{
public:
    Answer messageBox(Icon icon, const QString& text, Buttons buttons) override;
    void beep(Sound) override {}
    bool startProgram(const QString&, const QStringList&) override { return false; }
    bool openHelp(const QString&, int) override { return false; }
    int boxes = 0;
};

// A throw-away executable folder with NETDIR.INI and ALIASES.INI (alias VESKA
// on `dataFolder`), and a network control folder, set up in the session the
// way the program's start-up sets it. The session is reset on exit.
class BenchInstallation
{
public:
    explicit BenchInstallation(const QString& dataFolder);
    ~BenchInstallation();
    BenchInstallation(const BenchInstallation&) = delete;
    BenchInstallation& operator=(const BenchInstallation&) = delete;

    QString dataFolder() const { return m_dataFolder; }

private:
    QTemporaryDir m_root;
    QString m_dataFolder;
    QString m_previousFolder;
    BenchPlatform m_platform;
};
