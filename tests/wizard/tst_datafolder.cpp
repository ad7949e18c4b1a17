// The shared data folder and the program's profile files as they are met in
// the field, through the real wizard: alias lines written by hand, profile
// files that are pipes or hold quoted values.
#include "ReportRoads.h"
#include "WizardRoad.h"

#include "app/SharedRoutines.h"
#include "app/StartUp.h"

#include <QFileInfo>
#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Roads;

namespace {

// Opens a named pipe for writing after `seconds` unless stopped first: a
// reader that waits on the pipe is then let go (it reads nothing), so that
// a test of a hang fails instead of hanging.
class PipeWatchdog
{
public:
    PipeWatchdog(const QString& pipe, int seconds)
        : m_pipe(QFile::encodeName(pipe)), m_thread([this, seconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_stop; }))
                  return;
              const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~PipeWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    QByteArray m_pipe;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_stop = false;
    std::thread m_thread;
};

bool makePipe(const QString& path)
{
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // The alias's PATH= line as people write it: in another case, with
    // blanks after the "=" or at the end, in quotes. Tables are read from
    // the folder and a new report is written there, not to the current
    // folder and not under a name that begins with a blank.
    void aliasLineAsWritten_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("Path=") << QStringLiteral("Path=%1");
        QTest::newRow("path=") << QStringLiteral("path=%1");
        QTest::newRow("PATH= folder") << QStringLiteral("PATH= %1  ");
        QTest::newRow("PATH=\"folder\"") << QStringLiteral("PATH=\"%1\"");
    }
    void aliasLineAsWritten()
    {
        QFETCH(QString, line);
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(f.exePath(QStringLiteral("ALIASES.INI")),
                                     "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\n" +
                                         line.arg(f.dataFolder).toLocal8Bit() + "\r\n"));
        // Elsewhere is current, where a report without its folder would go.
        QVERIFY(QDir::setCurrent(f.exeFolder));
        QCOMPARE(AliasPath(QStringLiteral("VESKA")), f.dataFolder);

        TFrmCReport& w = f.open();
        WizardRoad::toFieldSelection(w);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QVERIFY(WizardRoad::clickEntry(w.PickContactField, QStringLiteral("City")));
        for (int i = 0; i < 6 && w.Notebook1->currentWidget() != w.Page10; ++i)
            next(w);
        QCOMPARE(w.Notebook1->currentWidget(), w.Page10);
        QVERIFY(makeReport(w, {QStringLiteral("aliased")}));
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Report successfully created.")});
        QVERIFY(QFileInfo(f.dataPath(QStringLiteral("aliased.rpt"))).isFile());
        QVERIFY(!QFileInfo::exists(f.exePath(QStringLiteral("aliased.rpt"))));
        QVERIFY(QDir(f.dataFolder).entryList({QStringLiteral(" *")}, QDir::AllEntries).isEmpty());
        // The selection dialog lists it from the same folder.
        for (int i = 0; i < 12 && w.Notebook1->currentWidget() != w.Page1; ++i)
            prior(w);
        const Seen seen = startOperation(w, w.RbModify, QStringLiteral("aliased.rpt"));
        QVERIFY(seen.done);
    }

    // NETDIR.INI or ALIASES.INI replaced by a named pipe: the start goes on
    // at once, as if the file were not there (no program holds the other
    // end, and a read would wait for ever).
    void profileFileThatIsAPipe()
    {
        WizardFixture f;
        f.makeHostTables();
        const QString netIni = f.exePath(QStringLiteral("NETDIR.INI"));
        QVERIFY(makePipe(netIni));
        QElapsedTimer clock;
        clock.start();
        {
            PipeWatchdog watchdog(netIni, 5);
            f.platform.queueAnswer(Platform::Answer::No);
            QVERIFY(!StartUp::prepareSession());
        }
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        // Read as missing: the user is asked to set the folder up.
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral("The shared network control directory has not been "
                                            "initialized.  Do you wish to run the NETDIR command "
                                            "now?")});

        f.platform.clear();
        const QString aliases = f.exePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(makePipe(aliases));
        clock.restart();
        {
            PipeWatchdog watchdog(aliases, 5);
            TFrmCReport& w = f.open();
            QCOMPARE(w.Notebook1->currentWidget(), w.Page1);
        }
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        // The alias is then unknown, and the wizard says so.
        QVERIFY(!f.platform.boxes.isEmpty());
        QVERIFY2(f.platform.texts().first().contains(QStringLiteral("VESKA")),
                 qPrintable(f.platform.texts().join(" | ")));
    }

    // A quoted value in NETDIR.INI loses its quotes, as Windows' reader
    // drops them: "xx" is the mark of a folder not yet set up, and a quoted
    // folder is that folder.
    void quotedNetDir_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("setUp");
        QTest::newRow("\"xx\"") << QByteArray("\"xx\"") << false;
        QTest::newRow("\"\"") << QByteArray("\"\"") << false;
        QTest::newRow("\"folder\"") << QByteArray("\"%1\"") << true;
        QTest::newRow("'folder'") << QByteArray("'%1'") << true;
        QTest::newRow("\" folder\" kept inside") << QByteArray("\"%1\"x") << true;
    }
    void quotedNetDir()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, setUp);
        WizardFixture f;
        const QByteArray written = QString::fromLatin1(value).arg(f.netFolder).toLocal8Bit();
        QVERIFY(WizardFixture::write(f.exePath(QStringLiteral("NETDIR.INI")),
                                     "[Options]\r\nNetDir=" + written + "\r\n"));
        f.platform.queueAnswer(Platform::Answer::No);
        QCOMPARE(StartUp::prepareSession(), setUp);
        if (!setUp) {
            QCOMPARE(f.platform.boxes.size(), 1);
            QVERIFY(
                f.platform.texts().first().contains(QStringLiteral("has not been initialized")));
            return;
        }
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        const QString expected =
            value.endsWith('x') ? QString::fromLocal8Bit(written) : f.netFolder;
        QCOMPARE(Session::instance().netDir(), expected);
    }
};

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
