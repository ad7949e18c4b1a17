// The shared data folder as other users and other programs leave it:
// - a report file, the working table or its lock file that is a symbolic
//   link to a file outside the data folder: every save replaces the link
//   itself, and nothing outside the folder is written or created;
// - a save killed at each request it makes to the file system, on shares
//   with and without hard links and renames that refuse to replace (a
//   FUSE file system of the tests' own, which kills the saver): a report's
//   name only ever shows a whole report;
// - temporaries left by killed saves (this version's and older ones): the
//   wizard removes them when it lists or saves, never those of a live
//   program or of other people, and never lists them.
#include "ChildProcesses.h"
#include "ChildRun.h"
#include "Controls.h"
#include "ReportRoads.h"
#include "ShareMount.h"

#include "core/store/ReportParser.h"
#include "engine/OwnerFile.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Roads;

namespace {

ReportFileContent contentOf(const QByteArray& bytes)
{
    return *ReportParser::parse(bytes, QStringLiteral("sample.rpt")).content();
}

bool isLink(const QString& path) { return QFileInfo(path).isSymLink(); }

bool setAge(const QString& path, int seconds)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                         QFileDevice::FileModificationTime);
}

// The child's side: saves "Mine" at path (as a new name, or over the file
// there) at the parent's cue.
int killedSaver(const QStringList& args)
{
    const QString path = args.value(0);
    const bool newName = args.value(1) == QLatin1String("new");
    const ReportFileContent content = contentOf(sampleReport(QStringLiteral("Mine")));
    ChildRun::say(QStringLiteral("waiting"));
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return ChildRun::fail(3, QStringLiteral("no cue"));
    QString error;
    const bool saved = newName ? ReportFile::saveNew(path, content, &error)
                               : ReportFile::save(path, content, &error);
    ChildRun::say(saved ? QStringLiteral("saved") : QStringLiteral("refused ") + error);
    return 0;
}

int childMain(const QString& role, const QStringList& args)
{
    if (role == QLatin1String("killedsaver"))
        return killedSaver(args);
    return ChildRun::fail(1, QStringLiteral("unknown role ") + role);
}

} // namespace

class TestShares : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // ---- Links -----------------------------------------------------------

    // The report picked for Modify (saved over with Yes) or for the column
    // editor (OK) is a link to a report outside the data folder. The save
    // replaces the link with the new report; the file outside keeps its
    // bytes.
    void linkedReportIsReplaced_data()
    {
        QTest::addColumn<QString>("road");
        QTest::newRow("overwrite") << QStringLiteral("overwrite");
        QTest::newRow("column editor") << QStringLiteral("column editor");
    }
    void linkedReportIsReplaced()
    {
        QFETCH(QString, road);
        QTemporaryDir outside;
        WizardFixture f;
        prepare(f);
        const QByteArray theirs = sampleReport(QStringLiteral("Outside"));
        const QString target = outside.filePath(QStringLiteral("real.rpt"));
        QVERIFY(WizardFixture::write(target, theirs));
        const QString link = f.dataPath(QStringLiteral("linked.rpt"));
        QVERIFY(QFile::link(target, link));
        TFrmCReport& w = f.open();

        if (road == QLatin1String("overwrite")) {
            QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"),
                                   QStringLiteral("linked.rpt"))
                        .done);
            for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                          control<QWidget>(w, "Page10");
                 ++i)
                next(w);
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page10"));
            control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Changed"));
            f.platform.queueAnswer(Answer::Yes);
            control<QPushButton>(w, "btMakeReport")->click();
            QCOMPARE(f.platform.texts().value(1), QStringLiteral("Report successfully created."));
            QCOMPARE(readAll(link), QByteArray(theirs).replace("Outside\r\n", "Changed\r\n"));
        } else {
            bool edited = false;
            startOperation(w, control<QRadioButton>(w, "RBColumn"), QStringLiteral("linked.rpt"),
                           [&](QWidget* editor) {
                               if (!editor)
                                   return;
                               auto* grid =
                                   editor->findChild<QTableWidget*>(QStringLiteral("DBGrid1"));
                               for (int r = 0; grid && r < grid->rowCount(); ++r) {
                                   if (grid->item(r, 0)->text() == QLatin1String("Company")) {
                                       grid->item(r, 3)->setText(QStringLiteral("41"));
                                       edited = true;
                                   }
                               }
                               QTest::mouseClick(button(editor, "BtnOK"), Qt::LeftButton);
                           });
            QVERIFY(edited);
            QCOMPARE(f.platform.texts(),
                     QStringList{QStringLiteral("Report successfully modified.")});
            QCOMPARE(readAll(link), QByteArray(theirs).replace("Company\r\n1\r\n12\r\n40\r\n",
                                                               "Company\r\n1\r\n12\r\n41\r\n"));
        }
        QVERIFY(!isLink(link));
        QCOMPARE(readAll(target), theirs);
    }

    // A name chosen in the naming dialog (Copy) where a dangling link
    // stands: the save is refused as for a taken name, and the link's
    // target is not created.
    void newNameOnDanglingLink()
    {
        QTemporaryDir outside;
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("mine.rpt")), sampleReport("Mine")));
        const QString target = outside.filePath(QStringLiteral("nothing.rpt"));
        QVERIFY(QFile::link(target, f.dataPath(QStringLiteral("copy1.rpt"))));
        TFrmCReport& w = f.open();
        QVERIFY(
            startOperation(w, control<QRadioButton>(w, "RbCopy"), QStringLiteral("mine.rpt")).done);
        for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page10");
             ++i)
            next(w);
        QVERIFY(makeReport(w, {QStringLiteral("copy1")}));
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY2(f.platform.texts().first().contains(QLatin1String("copy1.rpt")) &&
                     f.platform.texts().first().contains(QLatin1String("another user")),
                 qPrintable(f.platform.texts().first()));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(isLink(f.dataPath(QStringLiteral("copy1.rpt"))));
    }

    // The working table and its lock file are links to files outside the
    // data folder when the wizard opens and a report is loaded: the wizard
    // makes its own files in their place; the file outside keeps its bytes
    // and the lock file's target is never created.
    void linkedWorkingTable()
    {
        QTemporaryDir outside;
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("one.rpt")), sampleReport("One")));
        const QString table = outside.filePath(QStringLiteral("table.DB"));
        const QString lock = outside.filePath(QStringLiteral("lock"));
        QVERIFY(WizardFixture::write(table, "not the wizard's"));
        for (const char* name : {"CRDATA.DB", "CRDATA.LCK"})
            QFile::remove(f.dataPath(QLatin1String(name)));
        QVERIFY(QFile::link(table, f.dataPath(QStringLiteral("CRDATA.DB"))));
        QVERIFY(QFile::link(lock, f.dataPath(QStringLiteral("CRDATA.LCK"))));

        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("one.rpt"))
                    .done);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(workingRows().size(), 4); // the sample report's fields
        QCOMPARE(readAll(table), QByteArray("not the wizard's"));
        QVERIFY(!QFileInfo::exists(lock));
        QVERIFY(!isLink(f.dataPath(QStringLiteral("CRDATA.DB"))));
        QVERIFY(!isLink(f.dataPath(QStringLiteral("CRDATA.LCK"))));
    }

    // ---- Killed saves ----------------------------------------------------

    // A save is killed at its first, second, third ... request to the file
    // system until one runs to its end, each time from the same start.
    // After every kill the report's name shows nothing or the whole new
    // report (a new name), or the old or the new report whole (a save over
    // it); no other report name appears. Then saves are killed at every
    // third request without tidying up in between, and one that runs to its
    // end leaves only the report: what the killed ones left is removed.
    void killedSaves_data()
    {
        QTest::addColumn<QStringList>("share");
        QTest::addColumn<bool>("newName");
        const QStringList noLinks{QStringLiteral("--no-links")};
        const QStringList neither{QStringLiteral("--no-links"),
                                  QStringLiteral("--no-rename-flags")};
        QTest::newRow("new name, ordinary share") << QStringList{} << true;
        QTest::newRow("new name, no rename flags")
            << QStringList{QStringLiteral("--no-rename-flags")} << true;
        QTest::newRow("new name, no hard links") << noLinks << true;
        QTest::newRow("new name, no hard links, no rename flags") << neither << true;
        QTest::newRow("over a report, no hard links, no rename flags") << neither << false;
    }
    void killedSaves()
    {
        QFETCH(QStringList, share);
        QFETCH(bool, newName);
        if (const QString why = ShareMount::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ShareMount mount(share);
        QVERIFY2(mount.mounted(), qPrintable(mount.error()));
        const QDir folder(mount.path());
        const QString path = mount.filePath(QStringLiteral("new2.rpt"));
        const QByteArray old = sampleReport(QStringLiteral("Old"));
        const QByteArray mine = sampleReport(QStringLiteral("Mine"));
        auto restart = [&] {
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
                QFile::remove(folder.filePath(name));
            return newName || WizardFixture::write(path, old);
        };
        // Runs one save killed at its nth request (0: not killed); "saved",
        // "killed", or what went wrong.
        auto save = [&](int n) {
            std::unique_ptr<QProcess> p(
                ChildRun::start(QStringLiteral("killedsaver"),
                                {path, newName ? QStringLiteral("new") : QStringLiteral("over")}));
            if (waitForLine(p.get(), QStringLiteral("waiting")) != QLatin1String("waiting"))
                return QStringLiteral("did not start");
            if (n > 0 && !mount.killAt(p->processId(), n))
                return QStringLiteral("not armed");
            p->write("go\n");
            const ChildRun::Result r = ChildRun::finish(p.get(), 30000);
            mount.command("arm 0 0");
            if (r.code == 0 && r.out.trimmed() == "saved")
                return QStringLiteral("saved");
            return r.finished && r.code == -1 ? QStringLiteral("killed") : r.describe();
        };
        // The name shows nothing or a whole report, and no other name shows.
        auto checkNames = [&](int n) {
            const QStringList reports =
                folder.entryList({QStringLiteral("*.rpt")}, QDir::Files | QDir::Hidden);
            if (!reports.isEmpty() && reports != QStringList{QStringLiteral("new2.rpt")})
                return QStringLiteral("killed at request %1: %2").arg(n).arg(reports.join(' '));
            if (!QFileInfo::exists(path))
                return newName
                           ? QString()
                           : QStringLiteral("killed at request %1: the old report is gone").arg(n);
            const QByteArray now = readAll(path);
            if (now == mine || (!newName && now == old))
                return QString();
            return QStringLiteral("killed at request %1: new2.rpt holds %2 bytes")
                .arg(n)
                .arg(now.size());
        };

        int kills = 0;
        QString outcome;
        for (int n = 1; n <= 100 && outcome != QLatin1String("saved"); ++n) {
            QVERIFY(restart());
            outcome = save(n);
            QVERIFY2(outcome == QLatin1String("saved") || outcome == QLatin1String("killed"),
                     qPrintable(outcome));
            kills += outcome == QLatin1String("killed");
            const QString wrong = checkNames(n);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
        QCOMPARE(outcome, QStringLiteral("saved"));
        qInfo("killed at each of the first %d requests of the save", kills);
        QVERIFY(kills >= 5);
        QCOMPARE(readAll(path), mine);

        // Leftovers of killed saves, then a save that runs to its end.
        QVERIFY(restart());
        for (int n = 2; n < kills; n += 3) {
            QCOMPARE(save(n), QStringLiteral("killed"));
            const QString wrong = checkNames(n);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
            if (newName)
                QFile::remove(path); // saved before the kill: the name is free again
        }
        QVERIFY(folder.entryList(QDir::Files | QDir::Hidden).size() > (newName ? 0 : 1));
        QCOMPARE(save(0), QStringLiteral("saved"));
        QCOMPARE(readAll(path), mine);
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("new2.rpt")});
    }

    // ---- Temporaries left behind -----------------------------------------

    // The data folder holds temporaries of this program: of killed saves on
    // this computer, of a live save (this process), of another computer,
    // of older versions, and owner files of report names. Listing the
    // reports for Modify removes exactly the stale ones and lists none of
    // them; files of other programs stay.
    void staleTemporaries()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("real.rpt")), sampleReport("Real")));
        const QString host = ProcessIdentity::hostInName(QSysInfo::machineHostName());
        const qint64 ended = endedProcess();
        const qint64 self = QCoreApplication::applicationPid();
        const int hours2 = 2 * 3600;
        const QByteArray ownerHere = QStringLiteral("Tallyvane Pro owner file\nhost=%1\npid=%2\n")
                                         .arg(QSysInfo::machineHostName())
                                         .arg(ended)
                                         .toUtf8();
        const QByteArray ownerFar =
            "Tallyvane Pro owner "
            "file\nhost=faraway\npid=12\nmachine=0000000000000000000000000000004f\n";
        struct Leftover
        {
            QString name;
            int age;
            QByteArray bytes;
            bool stale;
        };
        const QList<Leftover> files = {
            {QStringLiteral(".gone.rpt.~%1~%2~0badcafe.tmp").arg(host).arg(ended), 0, "x", true},
            {QStringLiteral(".CRDATA.DB.~%1~%2~aBcDeF.tmp").arg(host).arg(ended), 0, "x", true},
            {QStringLiteral(".live.rpt.~%1~%2~0badcafe.tmp").arg(host).arg(self), hours2, "x",
             false},
            {QStringLiteral(".far.rpt.~faraway~%1~0badcafe.tmp").arg(ended), 60, "x", false},
            {QStringLiteral(".far2.rpt.~faraway~%1~0badcafe.tmp").arg(ended), hours2, "x", true},
            {QStringLiteral("base.rpt.jxRJEL"), hours2, "Base\r\n", true},
            {QStringLiteral("now.rpt.kqWZoP"), 60, "Now\r\n", false},
            {QStringLiteral("weekly.rpt.backup"), hours2, "Kept\r\n", false},
            {QStringLiteral(".CRDATA.DB.aBcDeF"), hours2, "x", true},
            {QStringLiteral(".old.rpt.4242-0badcafe.tmp"), hours2, "x", true},
            {QStringLiteral(".new2.rpt.owner"), 0, ownerHere, true},
            {QStringLiteral(".far.rpt.owner"), hours2, ownerFar, false},
            {QStringLiteral(".notes.tmp"), hours2, "x", false},
        };
        for (const Leftover& l : files) {
            QVERIFY(WizardFixture::write(f.dataPath(l.name), l.bytes));
            if (l.age > 0)
                QVERIFY(setAge(f.dataPath(l.name), l.age));
        }

        TFrmCReport& w = f.open();
        QStringList listed;
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        WizardFixture::withModal(
            [&] { next(w); },
            [&](QWidget* modal) {
                auto* grid =
                    modal ? modal->findChild<QTableWidget*>(QStringLiteral("grid")) : nullptr;
                for (int r = 0; grid && r < grid->rowCount(); ++r) {
                    if (grid->item(r, 2) && !grid->item(r, 2)->text().isEmpty())
                        listed << grid->item(r, 2)->text();
                }
                if (modal)
                    QTest::mouseClick(button(modal, "BtnCancel"), Qt::LeftButton);
            });
        QCOMPARE(listed, QStringList{QStringLiteral("real.rpt")});
        for (const Leftover& l : files)
            QVERIFY2(QFileInfo::exists(f.dataPath(l.name)) != l.stale, qPrintable(l.name));
    }
};

TV_TEST_MAIN_WITH_CHILDREN(TestShares, childMain)
#include "tst_shares.moc"
