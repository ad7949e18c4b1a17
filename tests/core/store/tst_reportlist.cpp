#include "core/app/SharedRoutines.h"
#include "core/store/ReportList.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList descriptions(const QList<ReportListEntry>& entries)
{
    QStringList out;
    for (const ReportListEntry& e : entries)
        out << e.description;
    return out;
}

} // namespace

class TestReportList : public QObject
{
    Q_OBJECT

private slots:
    void listsSortedByDescription()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.rpt"), "zip code report\r\nContact\r\nContact\r\n");
        writeFile(dir.filePath("b.rpt"), "Birthday Report\r\nCalendar\r\n");
        writeFile(dir.filePath("c.rpt"), "City report\r\nContact\r\n");
        writeFile(dir.filePath("notes.txt"), "Not a report\r\n");
        QString error;
        const QList<ReportListEntry> list = ReportList::list(dir.path(), &error);
        QVERIFY(error.isEmpty());
        QCOMPARE(descriptions(list),
                 QStringList({"Birthday Report", "City report", "zip code report"}));
        QCOMPARE(list[0].type, QStringLiteral("Calendar"));
        QCOMPARE(list[0].name, QStringLiteral("b.rpt"));
        QCOMPARE(list[2].type, QStringLiteral("Contact"));
    }

    void entriesAsListed()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("WEEKLY.RPT"), "Weekly\r\nCalendar\r\n");
        writeFile(dir.filePath("one.rpt"), "Only one line");
        writeFile(dir.filePath("lf.Rpt"), "Unix\nContact\n");
        writeFile(dir.filePath("cr.rpt"), "Old\rContact\r");
        writeFile(dir.filePath("empty.rpt"), "");
        writeFile(dir.filePath(".hidden.rpt"), "Hidden\r\nContact\r\n");
        writeFile(dir.filePath("long.rpt"), QByteArray(200000, 'x') + "\r\nContact\r\n");
        writeFile(dir.filePath("euro.rpt"), "\x80 costs\r\nContact\r\n");
        QVERIFY(QDir(dir.path()).mkdir("folder.rpt"));
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("pipe.rpt")).constData(), 0600), 0);

        const QList<ReportListEntry> list = ReportList::list(dir.path());
        QHash<QString, ReportListEntry> byName;
        for (const ReportListEntry& e : list)
            byName.insert(e.name, e);
        QCOMPARE(list.size(), 9); // the sub-folder is no report
        QVERIFY(!byName.contains("folder.rpt"));
        QCOMPARE(byName["weekly.rpt"].diskName, QStringLiteral("WEEKLY.RPT"));
        QCOMPARE(byName["weekly.rpt"].type, QStringLiteral("Calendar"));
        QCOMPARE(byName["one.rpt"].description, QStringLiteral("Only one line"));
        QCOMPARE(byName["one.rpt"].type, QString());
        QCOMPARE(byName["lf.rpt"].type, QStringLiteral("Contact"));
        QCOMPARE(byName["cr.rpt"].type, QStringLiteral("Contact"));
        QCOMPARE(byName["empty.rpt"].description, QString());
        QVERIFY(byName["empty.rpt"].readable);
        QVERIFY(byName.contains(".hidden.rpt"));
        QVERIFY(byName["long.rpt"].description.startsWith("xxxx"));
        QCOMPARE(byName["euro.rpt"].description, QStringLiteral("\u20ac costs"));
        QVERIFY(!byName["pipe.rpt"].readable); // listed, never opened
        // Empty descriptions first.
        QCOMPARE(list[0].description, QString());
    }

    void wholeFolderPathIsUsed()
    {
        QTemporaryDir dir;
        QString folder = dir.path();
        while (folder.size() < 300)
            folder += QStringLiteral("/a_rather_long_folder_name");
        QVERIFY(QDir().mkpath(folder));
        writeFile(folder + "/deep.rpt", "Deep report\r\nContact\r\n");
        const QList<ReportListEntry> list = ReportList::list(folder);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].description, QStringLiteral("Deep report"));
        QVERIFY(ReportList::noReportsText(folder).endsWith(folder + " directory"));
    }

    void missingFolderOrNoReports()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(ReportList::list(dir.filePath("gone"), &error).isEmpty());
        QVERIFY2(error.contains("gone"), qPrintable(error));
        error.clear();
        QVERIFY(ReportList::list(dir.path(), &error).isEmpty());
        QVERIFY(error.isEmpty());
        QCOMPARE(
            ReportList::noReportsText("D:\\DATA"),
            QStringLiteral("There were no report files (*.rpt) found in the D:\\DATA directory"));
    }

    void sortKeys_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("case ignored") << "apple"
                                      << "BANANA" << true;
        QTest::newRow("equal ignoring case") << "abc"
                                             << "ABC" << false;
        QTest::newRow("prefix first") << "City"
                                      << "city report" << true;
        QTest::newRow("digits before letters") << "2nd"
                                               << "A" << true;
        QTest::newRow("underscore after upper case") << "_x"
                                                     << "a" << false; // '_' 0x5F > 'A'
        QTest::newRow("only ASCII upper-cased")
            << QStringLiteral("\u00e9") << QStringLiteral("\u00c9") << false;
        QTest::newRow("by Windows-1252 code")
            << QStringLiteral("\u20ac") << QStringLiteral("\u00a0") << true;
        QTest::newRow("empty first") << ""
                                     << "a" << true;
    }
    void sortKeys()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, less);
        QCOMPARE(ReportList::lessByKey(a, b), less);
    }

    void resolveAndRemove()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("WEEKLY.RPT"), "W\r\n");
        writeFile(dir.filePath("keep.rpt"), "K\r\n");
        QCOMPARE(ReportList::resolve(dir.path(), "weekly.rpt"), JoinPath(dir.path(), "WEEKLY.RPT"));
        QCOMPARE(ReportList::resolve(dir.path(), "new.rpt"), JoinPath(dir.path(), "new.rpt"));
        QCOMPARE(ReportList::resolve(dir.path(), ""), QString());
        QCOMPARE(ReportList::resolve(dir.path(), "../keep.rpt"), QString());

        QVERIFY(!ReportList::remove(dir.path(), ""));
        QVERIFY(!ReportList::remove(dir.path(), "gone.rpt"));
        QVERIFY(!ReportList::remove(dir.path(), "sub/../keep.rpt"));
        QVERIFY(QDir(dir.path()).mkdir("folder.rpt"));
        QVERIFY(!ReportList::remove(dir.path(), "folder.rpt"));
        QVERIFY(
            QFile::setPermissions(dir.filePath("keep.rpt"), QFile::ReadOwner | QFile::ReadUser));
        QVERIFY(!ReportList::remove(dir.path(), "keep.rpt")); // read-only
        QVERIFY(
            QFile::setPermissions(dir.filePath("keep.rpt"), QFile::ReadOwner | QFile::WriteOwner));
        // Only the name the folder holds: the listed lower-case name may be
        // another report's.
        QVERIFY(!ReportList::remove(dir.path(), "weekly.rpt"));
        QVERIFY(QFile::exists(dir.filePath("WEEKLY.RPT")));
        QVERIFY(ReportList::remove(dir.path(), "WEEKLY.RPT"));
        QVERIFY(!QFile::exists(dir.filePath("WEEKLY.RPT")));
        QVERIFY(QFile::exists(dir.filePath("keep.rpt")));

        QCOMPARE(ReportList::deleteQuestion("weekly.rpt"),
                 QStringLiteral("Do you want to delete the weekly.rpt report?"));
        QCOMPARE(ReportList::deleteQuestion(QString(300, 'x')).size(), 255);
    }

    void newNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("message");
        const QString illegal = QStringLiteral("Filename contains illegal characters.\rYou must "
                                               "use letters and digits only.\rPlease re-try.");
        const QString taken = QStringLiteral("Filename already exists. Choose another.");
        QTest::newRow("free") << "Rep2" << int(NameCheck::Ok) << QString();
        QTest::newRow("space") << "rep 1" << int(NameCheck::IllegalCharacters) << illegal;
        QTest::newRow("underscore") << "rep_1" << int(NameCheck::IllegalCharacters) << illegal;
        QTest::newRow("separator") << "..\\x" << int(NameCheck::IllegalCharacters) << illegal;
        QTest::newRow("taken, other case") << "Rep1" << int(NameCheck::Taken) << taken;
        QTest::newRow("taken, upper-case file") << "big" << int(NameCheck::Taken) << taken;
        QTest::newRow("empty") << "" << int(NameCheck::Empty)
                               << QStringLiteral("You must enter a name for the report file.");
        QTest::newRow("device") << "con" << int(NameCheck::ReservedName) << QString();
        QTest::newRow("port") << "LPT1" << int(NameCheck::ReservedName) << QString();
        QTest::newRow("not a port") << "COM10" << int(NameCheck::Ok) << QString();
    }
    void newNames()
    {
        QFETCH(QString, name);
        QFETCH(int, check);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeFile(dir.filePath("rep1.rpt"), "R\r\n");
        writeFile(dir.filePath("BIG.RPT"), "B\r\n");
        writeFile(dir.filePath(".rpt"), "");
        const NameCheckResult r = ReportList::checkNewName(dir.path(), name);
        QCOMPARE(int(r.check), check);
        if (!message.isEmpty())
            QCOMPARE(r.message, message);
        QCOMPARE(r.ok(), !r.message.isEmpty() == false);
        if (r.ok())
            QCOMPARE(r.path, JoinPath(dir.path(), name + ".rpt"));
        else
            QVERIFY(r.path.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReportList)
#include "tst_reportlist.moc"
