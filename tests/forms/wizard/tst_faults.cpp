// Faults from outside the program, injected while the real wizard works:
// - the disk fills while a report is written (a child process with a file
//   size limit makes the write fail part way);
// - the data folder vanishes or becomes a file between the listing and the
//   load, or a listed report is deleted or replaced by a folder;
// - the network control directory is missing or is a file;
// - the private directory cannot be created.
// Each test states the outcome: nothing lost, one clear error, no crash,
// and the wizard goes on once the fault is gone.
#include "ChildRun.h"
#include "Controls.h"
#include "ReportRoads.h"

#include "core/app/StartUp.h"
#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QMap>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Roads;

namespace {

// A report larger than the working table it loads into: 150 fields with
// long headers and names and both dot lines, fifteen to a print line.
QByteArray largeReport(const QString& description)
{
    QList<ReportFileField> fields;
    for (int i = 0; i < 150; ++i) {
        ReportFileField f = field(0,
                                  QStringLiteral("Header %1 ")
                                      .arg(i, 3, 10, QLatin1Char('0'))
                                      .leftJustified(50, QLatin1Char('h')),
                                  QStringLiteral("Field%1")
                                      .arg(i, 3, 10, QLatin1Char('0'))
                                      .leftJustified(50, QLatin1Char('f')),
                                  i / 15 + 1, (i % 15) * 7 + 1, (i % 15) * 7 + 6);
        fields << withFlags(f, {.lDots = true,
                                .rDots = true,
                                .total = i % 2 != 0,
                                .count = i % 3 != 0,
                                .average = i % 5 != 0,
                                .min = i % 7 != 0,
                                .max = true});
    }
    return report(description, QStringLiteral("Contact"), QStringLiteral("Contact"),
                  QStringLiteral("115"), fields);
}

// Stand-ins for file size limits worked out from the sizes at hand.
enum Limit { kTableFits = -1, kHalfFits = -2, kAllButOne = -3, kEverything = -4 };

void nextUntil(TFrmCReport& w, QWidget* page)
{
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() != page; ++i)
        next(w);
}

} // namespace

// The child's side of diskFills: args are makeReport, newName, limit (or
// a Limit value) and fits, as 0/1 and numbers. Exit code 0: all as
// expected; otherwise the reason is on standard error.
int diskFillChild(const QStringList& args)
{
    using ChildRun::fail;
    const bool makeReport = args.value(0) == QLatin1String("1");
    const bool newName = args.value(1) == QLatin1String("1");
    int limit = args.value(2).toInt();
    const bool fits = args.value(3) == QLatin1String("1");

    WizardFixture f;
    f.makeHostTables();
    createWorkingTable();
    const QByteArray old =
        makeReport ? largeReport(QStringLiteral("Old")) : sampleReport(QStringLiteral("Old"));
    if (!WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), old))
        return fail(2, QStringLiteral("cannot write old.rpt"));
    TFrmCReport& w = f.open();
    if (!startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("old.rpt")).done)
        return fail(3, QStringLiteral("old.rpt not listed"));
    nextUntil(w, control<QWidget>(w, "Page10"));
    if (control<QStackedWidget>(w, "Notebook1")->currentWidget() != control<QWidget>(w, "Page10") ||
        !f.platform.boxes.isEmpty())
        return fail(4, QStringLiteral("not on Page10: ") + f.platform.texts().join(" | "));
    control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Changed"));
    const QByteArray expected = QByteArray(old).replace("Old\r\n", "Changed\r\n");
    const int reportSize = int(expected.size());
    const int tableSize = int(QFileInfo(f.dataPath(QStringLiteral("CRDATA.DB"))).size());
    if (makeReport && reportSize <= tableSize + 2)
        return fail(5, QStringLiteral("report %1 bytes, table %2").arg(reportSize).arg(tableSize));
    switch (limit) {
    case kTableFits:
        limit = tableSize;
        break;
    case kHalfFits:
        limit = (tableSize + reportSize) / 2;
        break;
    case kAllButOne:
        limit = reportSize - 1;
        break;
    case kEverything:
        limit = qMax(reportSize, tableSize);
        break;
    default:
        break;
    }
    const QString target = newName ? QStringLiteral("fresh.rpt") : QStringLiteral("old.rpt");

    // From here on a file can grow to `limit` bytes only (the soft limit;
    // it is lifted again afterwards).
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit rl = saved;
    rl.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_FSIZE, &rl);
    f.platform.clear();
    QStringList texts;
    if (makeReport) {
        if (newName) {
            f.platform.queueAnswer(Answer::No);
            if (!::makeReport(w, {QStringLiteral("fresh")}))
                return fail(10, QStringLiteral("no naming dialog"));
        } else {
            f.platform.queueAnswer(Answer::Yes);
            control<QPushButton>(w, "btMakeReport")->click();
        }
        texts = f.platform.texts();
        if (texts.size() != 2)
            return fail(11, QStringLiteral("boxes: ") + texts.join(" | "));
        texts.removeFirst(); // the overwrite question
    } else {
        w.ReportFile = newName ? f.dataPath(target) : target;
        try {
            w.WriteTheReportFile(w.TblCRData);
            texts << QStringLiteral("Report successfully created.");
        } catch (const DatabaseError& e) {
            texts << e.message();
        }
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    ChildRun::say(texts.last());

    const bool success = texts.last() == QLatin1String("Report successfully created.");
    if (fits && !success)
        return fail(12, QStringLiteral("not saved with room for it: ") + texts.last());
    if (!fits) {
        if (success)
            return fail(13, QStringLiteral("claimed success with %1 bytes").arg(limit));
        if (!texts.last().contains(target))
            return fail(14, QStringLiteral("the error does not name the file: ") + texts.last());
        if (makeReport && f.platform.boxes.last().icon != Platform::Icon::Error)
            return fail(15, QStringLiteral("not an error box"));
    }
    if (control<QStackedWidget>(w, "Notebook1")->currentWidget() != control<QWidget>(w, "Page10") ||
        QApplication::overrideCursor())
        return fail(16, QStringLiteral("left Page10 or the wait cursor on"));

    // The old report whole, no temporary or partial file left.
    QStringList left = QDir(f.dataFolder).entryList(QDir::Files | QDir::Hidden);
    // The working table and the engine's lock files are not reports.
    left.removeIf([](const QString& n) {
        return n.startsWith(QLatin1String("CRDATA.")) || n.endsWith(QLatin1String(".LCK"));
    });
    QStringList expectedFiles =
        QDir(f.dataFolder).entryList({QStringLiteral("*.DB"), QStringLiteral("*.MB")}, QDir::Files);
    expectedFiles.removeIf([](const QString& n) { return n.startsWith(QLatin1String("CRDATA.")); });
    expectedFiles << QStringLiteral("old.rpt");
    if (fits && newName)
        expectedFiles << QStringLiteral("fresh.rpt");
    left.sort();
    expectedFiles.sort();
    if (left != expectedFiles)
        return fail(17, QStringLiteral("files: ") + left.join(QLatin1Char(' ')));
    const QByteArray nowOld = readAll(f.dataPath(QStringLiteral("old.rpt")));
    if (nowOld != ((fits && !newName) ? expected : old))
        return fail(18, QStringLiteral("old.rpt changed: %1 bytes").arg(nowOld.size()));
    if (fits && newName && readAll(f.dataPath(QStringLiteral("fresh.rpt"))) != expected)
        return fail(19, QStringLiteral("fresh.rpt differs"));
    return 0;
}

int childMain(const QString& role, const QStringList& args)
{
    if (role == QLatin1String("diskfill"))
        return diskFillChild(args);
    return ChildRun::fail(1, QStringLiteral("unknown role ") + role);
}

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // ---- The disk fills while a report is written ------------------------

    // A loaded report is changed and saved over itself (Modify, Yes) or
    // under a new name (Modify, No, then the naming dialog) in a child
    // process whose file size limit lets only `limit` bytes of a file reach
    // the disk. Two roads: the report writer that Make Report and the column
    // editor call, on a small report; and the whole Make Report on a report
    // larger than the working table, so that the table's own writes fit and
    // the report's does not. The old report stays byte for byte, no new or
    // temporary file is left, the error names the file and success is not
    // claimed. With room for the whole file the save goes through.
    void diskFills_data()
    {
        QTest::addColumn<bool>("makeReport");
        QTest::addColumn<bool>("newName");
        QTest::addColumn<int>("limit"); // or one of the kLimit values
        QTest::addColumn<bool>("fits");
        for (bool makeReport : {false, true}) {
            for (bool newName : {false, true}) {
                const char* road = makeReport ? "Make Report" : "writer";
                const char* how = newName ? "new name" : "overwrite";
                if (!makeReport) {
                    for (int limit : {0, 1, 64, 200})
                        QTest::addRow("%s, %s, %d bytes fit", road, how, limit)
                            << makeReport << newName << limit << false;
                } else {
                    QTest::addRow("%s, %s, the table fits", road, how)
                        << makeReport << newName << int(kTableFits) << false;
                    QTest::addRow("%s, %s, half the report fits", road, how)
                        << makeReport << newName << int(kHalfFits) << false;
                }
                QTest::addRow("%s, %s, all but one byte fits", road, how)
                    << makeReport << newName << int(kAllButOne) << false;
                QTest::addRow("%s, %s, everything fits", road, how)
                    << makeReport << newName << int(kEverything) << true;
            }
        }
    }
    void diskFills()
    {
        QFETCH(bool, makeReport);
        QFETCH(bool, newName);
        QFETCH(int, limit);
        QFETCH(bool, fits);
        const ChildRun::Result r = ChildRun::run(
            QStringLiteral("diskfill"), {QString::number(makeReport), QString::number(newName),
                                         QString::number(limit), QString::number(fits)});
        QVERIFY2(r.finished && r.code == 0, qPrintable(r.describe()));
    }

    // ---- The data folder or a report changes under the selection dialog --

    // The report is picked in the list; before OK another user (or the
    // network) changes things. The load stops with one error naming the
    // report, the wizard is back on the first page, and nothing of the
    // data folder is lost. Once the folder is back, the same load works.
    void changedAfterListing_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("operation");
        for (const char* op : {"RbModify", "RbCopy", "RBColumn"}) {
            for (const char* change : {"folder vanishes", "folder becomes a file", "report deleted",
                                       "report becomes a folder", "report becomes a pipe"})
                QTest::addRow("%s, %s", change, op)
                    << QString::fromLatin1(change) << QString::fromLatin1(op);
        }
    }
    void changedAfterListing()
    {
        QFETCH(QString, change);
        QFETCH(QString, operation);

        WizardFixture f;
        prepare(f);
        const QByteArray bytes = sampleReport(QStringLiteral("Listed"));
        const QString report = f.dataPath(QStringLiteral("listed.rpt"));
        QVERIFY(WizardFixture::write(report, bytes));
        TFrmCReport& w = f.open();
        const QString parked = f.dataFolder + QStringLiteral(".parked");
        QMap<QString, QByteArray> before;

        WizardFixture::clickRadio(w.findChild<QRadioButton*>(operation));
        bool picked = false;
        WizardFixture::withModal(
            [&] { next(w); },
            [&](QWidget* modal) {
                if (!modal || !selectRow(modal, QStringLiteral("listed.rpt"))) {
                    if (modal)
                        modal->close();
                    return;
                }
                picked = true;
                before = reportsAndTables(f.dataFolder);
                if (change == QLatin1String("folder vanishes")) {
                    QDir().rename(f.dataFolder, parked);
                } else if (change == QLatin1String("folder becomes a file")) {
                    QDir().rename(f.dataFolder, parked);
                    WizardFixture::write(f.dataFolder, "not a folder");
                } else if (change == QLatin1String("report deleted")) {
                    QFile::remove(report);
                } else if (change == QLatin1String("report becomes a folder")) {
                    QFile::remove(report);
                    QDir().mkdir(report);
                } else if (change == QLatin1String("report becomes a pipe")) {
                    QFile::remove(report);
                    ::mkfifo(QFile::encodeName(report).constData(), 0600);
                }
                QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
            });
        QVERIFY(picked);

        // One error that names the report; the first page; no editor opened.
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY2(f.platform.texts().first().contains(QStringLiteral("listed.rpt")),
                 qPrintable(f.platform.texts().first()));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(w.CurrentPage, 0);
        QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QApplication::activeModalWidget());

        // Nothing lost: the folder, wherever it went, holds what it held.
        if (change.startsWith(QLatin1String("folder"))) {
            QCOMPARE(reportsAndTables(parked), before);
            if (QFileInfo(f.dataFolder).isFile())
                QCOMPARE(readAll(f.dataFolder), QByteArray("not a folder"));
            QVERIFY(QFile::remove(f.dataFolder) || !QFileInfo::exists(f.dataFolder));
            QVERIFY(QDir().rename(parked, f.dataFolder));
        } else {
            QMap<QString, QByteArray> after = reportsAndTables(f.dataFolder);
            before.remove(QStringLiteral("listed.rpt"));
            after.remove(QStringLiteral("listed.rpt"));
            QCOMPARE(after, before);
            QFile::remove(report);
            QDir().rmdir(report);
            QVERIFY(WizardFixture::write(report, bytes));
        }

        // The fault is gone: the same operation works.
        f.platform.clear();
        if (operation == QLatin1String("RBColumn")) {
            bool editor = false;
            startOperation(w, control<QRadioButton>(w, "RBColumn"), QStringLiteral("listed.rpt"),
                           [&editor](QWidget* modal) {
                               editor = modal != nullptr;
                               if (modal)
                                   modal->close();
                           });
            QTRY_VERIFY(editor);
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
        } else {
            QVERIFY(startOperation(w, w.findChild<QRadioButton*>(operation),
                                   QStringLiteral("listed.rpt"))
                        .done);
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));
            QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Listed"));
            QCOMPARE(workingRows().size(), 4);
        }
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(readAll(report), bytes);
    }

    // Delete: the listed report is already gone when the user confirms.
    // "Unable to delete report", the dialog stays open with its list, and
    // nothing else in the folder is touched.
    void deletedWhileListedForDelete()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(
            WizardFixture::write(f.dataPath(QStringLiteral("gone.rpt")), "Gone\r\nContact\r\n"));
        QVERIFY(
            WizardFixture::write(f.dataPath(QStringLiteral("kept.rpt")), "Kept\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        const QMap<QString, QByteArray> before = reportsAndTables(f.dataFolder);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbDelete"));
        bool stayedOpen = false;
        WizardFixture::withModal([&] { next(w); },
                                 [&](QWidget* modal) {
                                     if (!modal || !selectRow(modal, QStringLiteral("gone.rpt")))
                                         return;
                                     QFile::remove(f.dataPath(QStringLiteral("gone.rpt")));
                                     f.platform.queueAnswer(Answer::Yes);
                                     QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
                                     stayedOpen = modal->isVisible();
                                     QTest::mouseClick(button(modal, "BtnCancel"), Qt::LeftButton);
                                 });
        QVERIFY(stayedOpen);
        QCOMPARE(f.platform.texts(), QStringList({"Do you want to delete the gone.rpt report?",
                                                  "Unable to delete report"}));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QMap<QString, QByteArray> expected = before;
        expected.remove(QStringLiteral("gone.rpt"));
        QCOMPARE(reportsAndTables(f.dataFolder), expected);
    }

    // The data folder is gone before the listing: the selection dialog says
    // so and offers only Cancel; the wizard stays on the first page.
    void dataFolderGoneBeforeListing()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("one.rpt")), "One\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        const QString parked = f.dataFolder + QStringLiteral(".parked");
        QVERIFY(QDir().rename(f.dataFolder, parked));
        const Seen seen =
            startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("one.rpt"));
        QVERIFY(!seen.done);
        QVERIFY(f.platform.boxes.size() >= 1);
        for (const ScriptedPlatform::Box& b : f.platform.boxes)
            QCOMPARE(b.icon, Platform::Icon::Error);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(readAll(QDir(parked).filePath(QStringLiteral("one.rpt"))),
                 QByteArray("One\r\nContact\r\n"));
        QVERIFY(QDir().rename(parked, f.dataFolder));
        f.platform.clear();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("one.rpt"))
                    .done);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // ---- The network control directory ----------------------------------

    // Missing, or a file: the first table open at start-up is refused with
    // one error naming the folder; the wizard opens on the first page and
    // nothing is created in the data folder. Once the folder exists, Next
    // works without a restart.
    void netDirUnusable_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a file") << "file";
    }
    void netDirUnusable()
    {
        QFETCH(QString, fault);
        WizardFixture f;
        f.makeHostTables();
        const QString net = f.netFolder + QStringLiteral("-shared");
        if (fault == QLatin1String("file"))
            QVERIFY(WizardFixture::write(net, "a file"));
        Session::instance().reset();
        Session::instance().setAliasFile(f.exePath(QStringLiteral("ALIASES.INI")));
        Session::instance().setNetDir(net);
        const QMap<QString, QByteArray> before = snapshot(f.dataFolder);

        TFrmCReport& w = f.open();
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY2(f.platform.texts().first().contains(net), qPrintable(f.platform.texts().first()));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(snapshot(f.dataFolder), before);

        // Next is refused the same way, and nothing is written.
        f.platform.clear();
        next(w);
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.texts().first().contains(net));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(snapshot(f.dataFolder), before);

        // Set up: the wizard goes on.
        QFile::remove(net);
        QVERIFY(QDir().mkpath(net));
        f.platform.clear();
        next(w);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
    }

    // ---- The private directory ------------------------------------------

    // A file stands where the private directory (Priv/Report beside the
    // program) should be made: the start-up's own message names it once,
    // start-up goes on, and the wizard works.
    void privateDirCannotBeMade_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("Priv is a file") << "Priv";
        QTest::newRow("Priv/Report is a file") << "Priv/Report";
    }
    void privateDirCannotBeMade()
    {
        QFETCH(QString, blocker);
        WizardFixture f;
        prepare(f);
        if (blocker.contains(QLatin1Char('/')))
            QVERIFY(QDir(f.exeFolder).mkpath(QStringLiteral("Priv")));
        QVERIFY(WizardFixture::write(f.exePath(blocker), "in the way"));
        Session::instance().reset();
        Session::instance().setAliasFile(f.exePath(QStringLiteral("ALIASES.INI")));

        QVERIFY(StartUp::prepareSession());
        const QString priv = AppPaths::privateDirectory();
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral("Could not create the private directory ") + priv});
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QCOMPARE(Session::instance().privateDir(), priv);
        QCOMPARE(readAll(f.exePath(blocker)), QByteArray("in the way"));

        f.platform.clear();
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("one.rpt")), sampleReport("One")));
        TFrmCReport& w = f.open();
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("one.rpt"))
                    .done);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(workingRows().size(), 4);
    }
};

TV_TEST_MAIN_WITH_CHILDREN(TestFaults, childMain)
#include "tst_faults.moc"
