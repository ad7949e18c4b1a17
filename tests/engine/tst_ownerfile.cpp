// Owner files and the names of temporaries: when an owner counts as gone
// (and its mark may be taken over or removed), and when it must be left
// alone.
#include "ChildProcesses.h"

#include "engine/OwnerFile.h"

#include "engine/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace {

QByteArray ownerText(const ProcessIdentity& id)
{
    return QStringLiteral(
               "Tallyvane Pro owner file\nhost=%1\npid=%2\nmachine=%3\nboot=%4\nstarted=%5\n")
        .arg(id.host)
        .arg(id.pid)
        .arg(id.machine, id.boot, id.started)
        .toUtf8();
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestOwnerFile : public QObject
{
    Q_OBJECT

private slots:
    // This process is alive; a process of this computer that ended, one
    // whose number now belongs to a process started at another time, and
    // one of an earlier boot are gone; a process of another computer counts
    // as alive whatever its number.
    void ownerStates()
    {
        const ProcessIdentity& me = ProcessIdentity::self();
        QVERIFY(me.pid > 0);
        QVERIFY(!me.host.isEmpty());
        QCOMPARE(OwnerFile::stateOf(me), OwnerState::Alive);

        ProcessIdentity ended = me;
        ended.pid = endedProcess();
        QCOMPARE(OwnerFile::stateOf(ended), OwnerState::Gone);

        ProcessIdentity reused = me;
        reused.started = QStringLiteral("1");
        QCOMPARE(OwnerFile::stateOf(reused),
                 me.started.isEmpty() ? OwnerState::Alive : OwnerState::Gone);

        ProcessIdentity earlierBoot = me;
        earlierBoot.boot = QStringLiteral("another boot");
        QCOMPARE(OwnerFile::stateOf(earlierBoot),
                 me.boot.isEmpty() ? OwnerState::Alive : OwnerState::Gone);

        ProcessIdentity elsewhere = ended;
        elsewhere.host = QStringLiteral("faraway");
        elsewhere.machine = QStringLiteral("0000000000000000000000000000beef");
        QCOMPARE(OwnerFile::stateOf(elsewhere), OwnerState::Alive);
    }

    // Claiming: a free name is taken and released; this process's own file
    // is its own; a gone owner's is taken over; a live one's and another
    // computer's are left as they are; one that names nobody is taken over
    // after a wait.
    void claims()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.OWN"));
        QCOMPARE(OwnerFile::claim(path).result, OwnerFile::Result::Taken);
        ProcessIdentity read;
        QVERIFY(OwnerFile::read(path, &read));
        QCOMPARE(read.pid, ProcessIdentity::self().pid);
        QCOMPARE(OwnerFile::claim(path).result, OwnerFile::Result::Taken);
        OwnerFile::release(path);
        QVERIFY(!QFile::exists(path));

        ProcessIdentity ended = ProcessIdentity::self();
        ended.pid = endedProcess();
        QVERIFY(write(path, ownerText(ended)));
        QCOMPARE(OwnerFile::claim(path).result, OwnerFile::Result::Taken);
        QVERIFY(OwnerFile::read(path, &read));
        QCOMPARE(read.pid, ProcessIdentity::self().pid);
        QFile::remove(path);

        QProcess live;
        live.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(live.waitForStarted());
        ProcessIdentity other = ProcessIdentity::self();
        other.pid = live.processId();
        other.started.clear();
        QVERIFY(write(path, ownerText(other)));
        OwnerFile::Claim c = OwnerFile::claim(path);
        QCOMPARE(c.result, OwnerFile::Result::HeldByOther);
        QCOMPARE(
            OwnerFile::describe(c),
            QStringLiteral("the process %1 on the computer %2").arg(other.pid).arg(other.host));
        OwnerFile::release(path); // not ours: stays
        QVERIFY(QFile::exists(path));
        live.kill();
        live.waitForFinished();

        ended.host = QStringLiteral("faraway");
        ended.machine = QStringLiteral("0000000000000000000000000000beef");
        QVERIFY(write(path, ownerText(ended)));
        QCOMPARE(OwnerFile::claim(path).result, OwnerFile::Result::HeldByOther);
        QVERIFY(!OwnerFile::removeIfStale(path));

        QVERIFY(write(path, QByteArray()));
        QCOMPARE(OwnerFile::claim(path).result, OwnerFile::Result::Taken);
        QVERIFY(OwnerFile::read(path, &read));
        QCOMPARE(read.pid, ProcessIdentity::self().pid);
    }

    // An owner file that cannot be made at all is a file error naming the
    // file and the system's reason, not a claim held by someone else.
    void claimFailures()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gone/T.OWN"));
        try {
            OwnerFile::claim(path);
            QFAIL("a claim in a missing folder was not refused");
        } catch (const FileError& error) {
            QCOMPARE(error.path(), path);
            QCOMPARE(error.reason(), QString::fromLocal8Bit(std::strerror(ENOENT)));
            QCOMPARE(error.message(), QStringLiteral("The owner file %1 cannot be made (%2).")
                                          .arg(QDir::toNativeSeparators(path), error.reason()));
        }
        QVERIFY(!QFile::exists(path));
    }

    // Temporary names carry host and process and are recognised; report
    // names and other programs' files are not taken for temporaries.
    void temporaryNames()
    {
        const QString name = OwnerFile::temporaryName(QStringLiteral("weekly.rpt"));
        QVERIFY2(name.startsWith(QStringLiteral(".weekly.rpt.~%1~%2~")
                                     .arg(ProcessIdentity::hostInName(ProcessIdentity::self().host))
                                     .arg(ProcessIdentity::self().pid)),
                 qPrintable(name));
        QVERIFY(name.endsWith(QLatin1String(".tmp")));
        QVERIFY(OwnerFile::isOurTemporary(name));
        QCOMPARE(ProcessIdentity::hostInName(QStringLiteral("pc 1.example~x")),
                 QStringLiteral("pc_1_example_x"));
        for (const char* ours :
             {"base.rpt.jxRJEL", ".CRDATA.DB.aBcDeF", ".x.rpt.12-0badcafe.tmp", ".x.rpt.owner"})
            QVERIFY2(OwnerFile::isOurTemporary(QLatin1String(ours)), ours);
        for (const char* theirs : {"weekly.rpt", "weekly.rpt.backup", "weekly.rpt.BACKUP",
                                   "weekly.rpt.Backup", ".notes.tmp", "CRDATA.OWN"})
            QVERIFY2(!OwnerFile::isOurTemporary(QLatin1String(theirs)), theirs);
    }
};

QTEST_GUILESS_MAIN(TestOwnerFile)
#include "tst_ownerfile.moc"
