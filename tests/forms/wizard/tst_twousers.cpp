// Two users on one data folder, each with their own wizard process (this
// program run again in a child role, on one temporary installation, through
// the real start-up and the real wizard window):
// - a second program is refused the working table with a clear message
//   while the first works, and ends; the first one's rows and report come
//   out intact, and both can still list the reports;
// - two wizards started at the same moment: exactly one gets the table;
// - two processes save a report under the same new name at the same
//   moment: one succeeds, the other is told, and the file is whole.
// The first two also run with the data folder on shares whose locks do not
// hold (granted but not enforced, or refused), where an owner file guards
// the working table instead: a second wizard is refused all the same, an
// owner file of a wizard that was killed is taken over, and one of another
// computer is respected.
#include "ChildProcesses.h"
#include "ChildRun.h"
#include "Controls.h"
#include "ReportRoads.h"
#include "ShareMount.h"

#include "core/app/StartUp.h"
#include "core/store/ReportParser.h"
#include "engine/AppPaths.h"
#include "engine/ParadoxReader.h"
#include "forms/app/WidgetPlatform.h"
#include "forms/store/Repsel.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Roads;

namespace {

// A contact report of `fields` numbered fields, five to a line, with the
// flags in a pattern that differs from field to field.
QByteArray numberedReport(const QString& description, int fields = 4)
{
    QList<ReportFileField> list;
    for (int i = 0; i < fields; ++i)
        list << withFlags(field(0, QStringLiteral("Header %1").arg(i), QStringLiteral("F%1").arg(i),
                                i / 5 + 1, (i % 5) * 20 + 1, (i % 5) * 20 + 15),
                          {.lDots = i % 2 != 0,
                           .rDots = i % 3 != 0,
                           .total = true,
                           .average = i % 4 != 0,
                           .max = true});
    return report(description, QStringLiteral("Contact"), QStringLiteral("Contact"),
                  QStringLiteral("110"), list);
}

// ---- The child's side ------------------------------------------------------

// Reads one line from standard input (the parent's cue); empty at its end.
QByteArray cue()
{
    char line[256];
    if (!std::fgets(line, sizeof line, stdin))
        return QByteArray();
    return QByteArray(line).trimmed();
}

// The program's own start-up on the installation in exe: network control
// directory from NETDIR.INI, private directory, table passwords.
bool startUp(const QString& exe)
{
    AppPaths::setExecutableFolder(exe);
    Session::instance().reset();
    Session::instance().setAliasFile(QDir(exe).filePath(QStringLiteral("ALIASES.INI")));
    return StartUp::prepareSession();
}

void sayBoxes(const ScriptedPlatform& platform)
{
    for (const ScriptedPlatform::Box& b : platform.boxes)
        ChildRun::say(QStringLiteral("box %1 %2")
                          .arg(b.icon == Platform::Icon::Error ? QStringLiteral("error")
                                                               : QStringLiteral("other"),
                               QString(b.text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

// The report list as the selection dialog shows it.
void sayListing(QWidget* owner)
{
    TFrmSelect dialog(owner);
    QStringList names;
    auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("grid"));
    for (int r = 0; grid && r < grid->rowCount(); ++r) {
        if (grid->item(r, 2) && !grid->item(r, 2)->text().isEmpty())
            names << grid->item(r, 2)->text();
    }
    names.sort();
    ChildRun::say(QStringLiteral("listed ") + names.join(QLatin1Char(' ')));
}

// First user: modifies shared.rpt up to "Field Definitions", waits for the
// cue, checks its rows, lists the reports and saves over the report.
int firstUser(const QStringList& args)
{
    using ChildRun::fail;
    ScriptedPlatform platform;
    if (!startUp(args.value(0)))
        return fail(2, QStringLiteral("start-up ended the program"));
    TFrmCReport w;
    w.show();
    if (!startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("shared.rpt")).done)
        return fail(3, QStringLiteral("shared.rpt not listed"));
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                  control<QWidget>(w, "Page10");
         ++i)
        next(w);
    if (control<QStackedWidget>(w, "Notebook1")->currentWidget() != control<QWidget>(w, "Page10") ||
        !platform.boxes.isEmpty())
        return fail(4, QStringLiteral("not on Field Definitions: ") + platform.texts().join(" | "));
    const QList<TableRow> rows = workingRows();
    ChildRun::say(QStringLiteral("ready %1").arg(rows.size()));

    if (cue() != "go")
        return fail(5, QStringLiteral("no cue"));
    // The rows are as they were before the second user tried.
    const QList<TableRow> now = workingRows();
    if (now.size() != rows.size())
        return fail(6, QStringLiteral("rows %1, were %2").arg(now.size()).arg(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        if (!(now[i].f == rows[i].f) || now[i].order != rows[i].order)
            return fail(7, QStringLiteral("row %1 changed").arg(i));
    }
    sayListing(&w);
    platform.queueAnswer(Answer::Yes);
    control<QPushButton>(w, "btMakeReport")->click();
    sayBoxes(platform);
    if (platform.texts().value(1) != QLatin1String("Report successfully created."))
        return fail(8, QStringLiteral("not saved"));
    return 0;
}

// Second user: the whole program, started while the first works, with the
// desktop's own message boxes. It says each box it sees and closes it, then
// how the program ended; then it lists the reports.
int secondUser(const QStringList& args)
{
    AppPaths::setExecutableFolder(args.value(0));
    Session::instance().reset();
    Session::instance().setAliasFile(QDir(args.value(0)).filePath(QStringLiteral("ALIASES.INI")));
    WidgetPlatform desktop;
    Platform::install(&desktop);
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        ChildRun::say(QStringLiteral("box ") +
                      box->text().replace(QLatin1Char('\n'), QLatin1Char(' ')));
        box->button(QMessageBox::Ok)->click();
    });
    closer.start();
    bool shown = false;
    const int code = TFrmCReport::runProgram([&](TFrmCReport&) {
        shown = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    closer.stop();
    ChildRun::say(QStringLiteral("ended %1%2").arg(code).arg(shown ? " shown" : ""));
    Platform::install(nullptr);
    sayListing(nullptr);
    return 0;
}

// Two wizards at once: waits for the cue, opens the wizard, says whether it
// holds the working table, and keeps it until the parent says "end".
int racer(const QStringList& args)
{
    ScriptedPlatform platform;
    if (!startUp(args.value(0)))
        return ChildRun::fail(2, QStringLiteral("start-up ended the program"));
    ChildRun::say(QStringLiteral("waiting"));
    if (cue() != "go")
        return ChildRun::fail(3, QStringLiteral("no cue"));
    TFrmCReport w;
    if (platform.boxes.isEmpty())
        ChildRun::say(QStringLiteral("holds"));
    else
        ChildRun::say(QStringLiteral("refused ") + platform.texts().join(QStringLiteral(" | ")));
    cue(); // "end"
    return 0;
}

// Saves a report of `fields` fields under a new name at the cue.
int saver(const QStringList& args)
{
    const QString path = args.value(0);
    const int fields = args.value(1).toInt();
    const QByteArray bytes = numberedReport(QStringLiteral("By %1").arg(fields), fields);
    ParsedReport parsed = ReportParser::parse(bytes, path);
    const std::optional<ReportFileContent> content = parsed.content();
    if (!content)
        return ChildRun::fail(2, QStringLiteral("no content"));
    ChildRun::say(QStringLiteral("waiting"));
    if (cue() != "go")
        return ChildRun::fail(3, QStringLiteral("no cue"));
    QString error;
    if (ReportFile::saveNew(path, *content, &error))
        ChildRun::say(QStringLiteral("saved"));
    else
        ChildRun::say(QStringLiteral("refused ") + error);
    return 0;
}

int childMain(const QString& role, const QStringList& args)
{
    if (role == QLatin1String("first"))
        return firstUser(args);
    if (role == QLatin1String("second"))
        return secondUser(args);
    if (role == QLatin1String("racer"))
        return racer(args);
    if (role == QLatin1String("saver"))
        return saver(args);
    return ChildRun::fail(1, QStringLiteral("unknown role ") + role);
}

// ---- The parent's side -----------------------------------------------------

QStringList linesOf(const QByteArray& out)
{
    return QString::fromLocal8Bit(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The kinds of data folder the two-wizard tests run on: sharefs options,
// none for the local disk.
void addShares()
{
    QTest::addColumn<QStringList>("share");
    QTest::newRow("local disk") << QStringList{};
    QTest::newRow("locks granted, not enforced") << QStringList{QStringLiteral("--locks=grant")};
    QTest::newRow("no locks") << QStringList{QStringLiteral("--locks=none")};
}

// Moves the installation's data folder onto a share of that kind (nothing
// for the local disk). False (with a failure or a skip recorded) when it
// cannot be mounted.
bool placeDataFolder(WizardFixture& f, const QStringList& share, std::unique_ptr<ShareMount>& mount)
{
    if (share.isEmpty())
        return true;
    if (const QString why = ShareMount::unavailable(); !why.isEmpty()) {
        QTest::qSkip(qPrintable(why), __FILE__, __LINE__);
        return false;
    }
    mount = std::make_unique<ShareMount>(share);
    if (!mount->mounted()) {
        QTest::qFail(qPrintable(mount->error()), __FILE__, __LINE__);
        return false;
    }
    f.dataFolder = mount->path();
    return TempInstallation::writeAliasFile(f.exePath(QStringLiteral("ALIASES.INI")), f.dataFolder);
}

// The refusal where an owner file guards the working table, for the owner
// pid on this computer.
QString ownerRefusal(const WizardFixture& f, const QStringList& share, qint64 pid,
                     const QString& host = QSysInfo::machineHostName())
{
    return QStringLiteral("The table CRDATA.DB is in use by another user: the process %1 on the "
                          "computer %2 holds it. The file system of the folder %3 %4, so the owner "
                          "file %5 guards the table instead.")
        .arg(pid)
        .arg(host, QDir::toNativeSeparators(f.dataFolder),
             share.contains(QStringLiteral("--locks=none"))
                 ? QStringLiteral("does not support locks (No locks available)")
                 : QStringLiteral("grants locks but does not enforce them"),
             QDir::toNativeSeparators(f.dataPath(QStringLiteral("CRDATA.OWN"))));
}

} // namespace

class TestTwoUsers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // The first user modifies a report; a second user starts the program
    // on the same data folder. The second is told the working table is in
    // use and that the program ends, and it ends when the box is closed,
    // without a window that could do nothing; the reports can still be
    // listed. The first one's working table is
    // not touched, its rows are intact, and its report is saved whole.
    void secondWizardIsRefused_data() { addShares(); }
    void secondWizardIsRefused()
    {
        QFETCH(QStringList, share);
        std::unique_ptr<ShareMount> mount;
        WizardFixture f;
        if (!placeDataFolder(f, share, mount))
            return;
        f.makeHostTables();
        const QByteArray shared = numberedReport(QStringLiteral("Shared"), 12);
        const QByteArray other = numberedReport(QStringLiteral("Other"));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("shared.rpt")), shared));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("other.rpt")), other));

        std::unique_ptr<QProcess> first(ChildRun::start(QStringLiteral("first"), {f.exeFolder}));
        const QString ready = waitForLine(first.get(), QStringLiteral("ready"));
        if (ready != QLatin1String("ready 12"))
            QFAIL(qPrintable(ready + ChildRun::finish(first.get(), 1000).describe()));
        const QByteArray table = readAll(f.dataPath(QStringLiteral("CRDATA.DB")));
        QVERIFY(!table.isEmpty());

        const ChildRun::Result second = ChildRun::run(QStringLiteral("second"), {f.exeFolder});
        QVERIFY2(second.finished && second.code == 0, qPrintable(second.describe()));
        const QStringList lines = linesOf(second.out);
        const QString inUse =
            share.isEmpty() ? QStringLiteral("box The working table CRDATA.DB in %1 is in use "
                                             "by another report wizard.")
                                  .arg(QDir::toNativeSeparators(f.dataFolder))
                            : QStringLiteral("box ") + ownerRefusal(f, share, first->processId());
        // One box, which says that the program ends; it ends when the box
        // is closed, with an exit code that says it did not run, and never
        // shows the wizard.
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.value(0).startsWith(inUse), qPrintable(lines.join('\n')));
        QVERIFY2(
            lines.value(0).endsWith(QLatin1String("The program ends when you close this message.")),
            qPrintable(lines.value(0)));
        QCOMPARE(lines.value(1), QStringLiteral("ended %1").arg(TFrmCReport::kExitStartRefused));
        QVERIFY(TFrmCReport::kExitStartRefused != 0);
        QCOMPARE(lines.last(), QStringLiteral("listed other.rpt shared.rpt"));

        // The first one's table was not touched by the second.
        QCOMPARE(readAll(f.dataPath(QStringLiteral("CRDATA.DB"))), table);
        QCOMPARE(readAll(f.dataPath(QStringLiteral("shared.rpt"))), shared);

        first->write("go\n");
        const ChildRun::Result firstDone = ChildRun::finish(first.get(), 120000);
        QVERIFY2(firstDone.finished && firstDone.code == 0, qPrintable(firstDone.describe()));
        QVERIFY2(firstDone.out.contains("listed other.rpt shared.rpt"), firstDone.out.constData());
        // Saved over itself, unchanged: the same bytes; the other report too.
        QCOMPARE(readAll(f.dataPath(QStringLiteral("shared.rpt"))), shared);
        QCOMPARE(readAll(f.dataPath(QStringLiteral("other.rpt"))), other);
        // The owner file went with its wizard.
        QVERIFY(!QFileInfo::exists(f.dataPath(QStringLiteral("CRDATA.OWN"))));
    }

    // Two wizards started at the same moment on one data folder, five
    // times: exactly one holds the working table, the other is told it is
    // in use; the table is a sound, empty table afterwards.
    void twoWizardsAtOnce_data() { addShares(); }
    void twoWizardsAtOnce()
    {
        QFETCH(QStringList, share);
        std::unique_ptr<ShareMount> mount;
        WizardFixture f;
        if (!placeDataFolder(f, share, mount))
            return;
        f.makeHostTables();
        for (int round = 0; round < 5; ++round) {
            std::unique_ptr<QProcess> a(ChildRun::start(QStringLiteral("racer"), {f.exeFolder}));
            std::unique_ptr<QProcess> b(ChildRun::start(QStringLiteral("racer"), {f.exeFolder}));
            QCOMPARE(waitForLine(a.get(), QStringLiteral("waiting")), QStringLiteral("waiting"));
            QCOMPARE(waitForLine(b.get(), QStringLiteral("waiting")), QStringLiteral("waiting"));
            a->write("go\n");
            b->write("go\n");
            const QString sa = waitForLine(a.get(), QString());
            const QString sb = waitForLine(b.get(), QString());
            const qint64 holder = sa == QLatin1String("holds") ? a->processId() : b->processId();
            a->write("end\n");
            b->write("end\n");
            const ChildRun::Result ra = ChildRun::finish(a.get(), 60000);
            const ChildRun::Result rb = ChildRun::finish(b.get(), 60000);
            QVERIFY2(ra.code == 0 && rb.code == 0, qPrintable(ra.describe() + rb.describe()));
            const int holders =
                int(sa == QLatin1String("holds")) + int(sb == QLatin1String("holds"));
            QVERIFY2(holders == 1, qPrintable(sa + QLatin1Char('\n') + sb));
            const QString refused = sa == QLatin1String("holds") ? sb : sa;
            if (share.isEmpty())
                QVERIFY2(refused.startsWith(QLatin1String("refused The working table CRDATA.DB")) &&
                             refused.contains(QLatin1String("in use by another report wizard")),
                         qPrintable(refused));
            else
                QVERIFY2(
                    refused.startsWith(QStringLiteral("refused ") + ownerRefusal(f, share, holder)),
                    qPrintable(refused));
            ParadoxReader reader(f.dataPath(QStringLiteral("CRDATA.DB")));
            QCOMPARE(reader.fields().size(), 14);
            QCOMPARE(reader.readAll().size(), 0);
        }
    }

    // Two processes save a report under the same new name at the same
    // moment, ten times: one is saved, the other is told that the name was
    // taken, and the file holds exactly the winner's bytes.
    void sameNewNameAtOnce_data()
    {
        QTest::addColumn<QStringList>("share");
        QTest::newRow("local disk") << QStringList{};
        // Neither link() nor a rename that refuses to replace: the savers
        // take the name in turn through an owner file of the name.
        QTest::newRow("no hard links, no rename flags")
            << QStringList{QStringLiteral("--no-links"), QStringLiteral("--no-rename-flags")};
    }
    void sameNewNameAtOnce()
    {
        QFETCH(QStringList, share);
        QTemporaryDir local;
        std::unique_ptr<ShareMount> mount;
        if (!share.isEmpty()) {
            if (const QString why = ShareMount::unavailable(); !why.isEmpty())
                QSKIP(qPrintable(why));
            mount = std::make_unique<ShareMount>(share);
            QVERIFY2(mount->mounted(), qPrintable(mount->error()));
        }
        const QDir dir(mount ? mount->path() : local.path());
        int firstWon = 0;
        for (int round = 0; round < 10; ++round) {
            const QString path = dir.filePath(QStringLiteral("race%1.rpt").arg(round));
            // Reports of nearly the same size, so that either may win.
            std::unique_ptr<QProcess> a(ChildRun::start(QStringLiteral("saver"), {path, "40"}));
            std::unique_ptr<QProcess> b(ChildRun::start(QStringLiteral("saver"), {path, "41"}));
            QCOMPARE(waitForLine(a.get(), QStringLiteral("waiting")), QStringLiteral("waiting"));
            QCOMPARE(waitForLine(b.get(), QStringLiteral("waiting")), QStringLiteral("waiting"));
            // Either may hear the cue first.
            for (QProcess* p : round % 2 ? QList<QProcess*>{b.get(), a.get()}
                                         : QList<QProcess*>{a.get(), b.get()}) {
                p->write("go\n");
                p->waitForBytesWritten(1000);
            }
            const ChildRun::Result ra = ChildRun::finish(a.get(), 60000);
            const ChildRun::Result rb = ChildRun::finish(b.get(), 60000);
            QVERIFY2(ra.code == 0 && rb.code == 0, qPrintable(ra.describe() + rb.describe()));
            const bool aSaved = ra.out.trimmed() == "saved";
            const bool bSaved = rb.out.trimmed() == "saved";
            QVERIFY2(aSaved != bSaved, qPrintable(ra.describe() + rb.describe()));
            const QByteArray loser = aSaved ? rb.out : ra.out;
            // Told that the name was taken, or (while the other held the
            // name's owner file) that another user is saving under it.
            QVERIFY2(loser.contains("another user saved a report of that name") ||
                         loser.contains("another user is saving a report of that name"),
                     loser.constData());
            QVERIFY2(loser.contains(QFile::encodeName(QFileInfo(path).fileName())),
                     loser.constData());
            QCOMPARE(readAll(path),
                     numberedReport(aSaved ? QStringLiteral("By 40") : QStringLiteral("By 41"),
                                    aSaved ? 40 : 41));
            firstWon += aSaved;
        }
        qInfo("the first saver won %d of 10 races", firstWon);
        // No temporary files are left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 10);
    }

    // Where an owner file guards the working table: the owner file of a
    // wizard that was killed is taken over by the next wizard on the same
    // computer; one that names a process of another computer is respected,
    // with a message that names the computer, the process and the file,
    // until it is deleted.
    void staleOwnerFile_data()
    {
        QTest::addColumn<QStringList>("share");
        QTest::newRow("locks granted, not enforced")
            << QStringList{QStringLiteral("--locks=grant")};
    }
    void staleOwnerFile()
    {
        QFETCH(QStringList, share);
        std::unique_ptr<ShareMount> mount;
        WizardFixture f;
        if (!placeDataFolder(f, share, mount))
            return;
        f.makeHostTables();
        const QString owner = f.dataPath(QStringLiteral("CRDATA.OWN"));
        // Starts a wizard and returns what it said about the working table.
        auto wizard = [&](bool kill) {
            std::unique_ptr<QProcess> p(ChildRun::start(QStringLiteral("racer"), {f.exeFolder}));
            if (waitForLine(p.get(), QStringLiteral("waiting")) != QLatin1String("waiting"))
                return QStringLiteral("did not start");
            p->write("go\n");
            const QString said = waitForLine(p.get(), QString());
            if (kill) {
                p->kill();
                p->waitForFinished(10000);
            } else {
                p->write("end\n");
                ChildRun::finish(p.get(), 60000);
            }
            return said;
        };

        QCOMPARE(wizard(true), QStringLiteral("holds"));
        QVERIFY(QFileInfo::exists(owner)); // left by the killed wizard
        QCOMPARE(wizard(false), QStringLiteral("holds"));
        QVERIFY(!QFileInfo::exists(owner));

        const QByteArray elsewhere =
            "Tallyvane Pro owner file\nhost=faraway\npid=4242\n"
            "machine=00000000000000000000000000000042\nboot=b\nstarted=7\n";
        QVERIFY(WizardFixture::write(owner, elsewhere));
        const QString refused = wizard(false);
        QVERIFY2(refused.startsWith(QStringLiteral("refused ") +
                                    ownerRefusal(f, share, 4242, QStringLiteral("faraway"))),
                 qPrintable(refused));
        QVERIFY2(refused.contains(QLatin1String("If no report wizard runs there any more, delete "
                                                "that file and try again.")),
                 qPrintable(refused));
        QCOMPARE(readAll(owner), elsewhere);
        QVERIFY(QFile::remove(owner));
        QCOMPARE(wizard(false), QStringLiteral("holds"));
    }

    // In one wizard: the new name was free when the naming dialog checked
    // it, but another user saved a report of that name before the wizard
    // wrote its own. Theirs is kept, the user is told, and a second try
    // under another name works.
    void nameTakenAfterNaming()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        const QByteArray mine = numberedReport(QStringLiteral("Mine"));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("mine.rpt")), mine));
        TFrmCReport& w = f.open();
        QVERIFY(
            startOperation(w, control<QRadioButton>(w, "RbCopy"), QStringLiteral("mine.rpt")).done);
        for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page10");
             ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QVERIFY(f.platform.boxes.isEmpty());

        const QString theirs = f.dataPath(QStringLiteral("fresh.rpt"));
        WizardFixture::withModal(
            [&] { control<QPushButton>(w, "btMakeReport")->click(); },
            [&](QWidget* modal) {
                auto* edit =
                    modal ? modal->findChild<QLineEdit*>(QStringLiteral("EdFileName")) : nullptr;
                if (!edit) {
                    if (modal)
                        modal->close();
                    return;
                }
                QTest::keyClicks(edit, QStringLiteral("fresh"));
                QTest::mouseClick(button(modal, "BitBtn2"), Qt::LeftButton);
                // The dialog has accepted the name; the
                // other user is quicker.
                WizardFixture::write(theirs, "Theirs\r\nContact\r\n");
            });
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY2(f.platform.texts().first().contains(QStringLiteral("fresh.rpt")) &&
                     f.platform.texts().first().contains(QStringLiteral("another user")),
                 qPrintable(f.platform.texts().first()));
        QCOMPARE(readAll(theirs), QByteArray("Theirs\r\nContact\r\n"));
        QCOMPARE(readAll(f.dataPath(QStringLiteral("mine.rpt"))), mine);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));

        f.platform.clear();
        QVERIFY(makeReport(w, {QStringLiteral("fresh2")}));
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Report successfully created.")});
        QCOMPARE(readAll(f.dataPath(QStringLiteral("fresh2.rpt"))), mine);
        QCOMPARE(readAll(theirs), QByteArray("Theirs\r\nContact\r\n"));
    }
};

TV_TEST_MAIN_WITH_CHILDREN(TestTwoUsers, childMain)
#include "tst_twousers.moc"
