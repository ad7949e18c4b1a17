// tallyvane-check --data: the fit check of every report of a folder against
// the folder's own tables, as text and as JSON, with its exit codes.

#include "PreviewTables.h"

#include "core/app/StartUp.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run check(const QStringList& args)
{
    QProcess p;
    p.start(QDir(qEnvironmentVariable("TV_BIN_DIR")).filePath(QStringLiteral("tallyvane-check")),
            args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestTallyvaneCheckData : public QObject
{
    Q_OBJECT

private slots:
    void everyReportOfTheFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        PreviewTables::write(folder, 0, true, StartUp::tablePassword(0));
        QString error;
        QVERIFY(ReportFile::save(QDir(folder).filePath("revenue.rpt"),
                                 PreviewTables::contactReport(), &error));
        QVERIFY(ReportFile::save(QDir(folder).filePath("calls.rpt"),
                                 PreviewTables::callReport(ReportOrder::Calendar), &error));
        QFile broken(QDir(folder).filePath("broken.rpt"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("Broken\r\nContact\r\nContact\r\n75\r\n1\r\nx\r\n");
        broken.close();

        const Run text = check({"--data", folder});
        QCOMPARE(text.exitCode, 1);
        const QStringList lines = text.out.split('\n');
        QVERIFY2(lines.value(0).endsWith("against its tables: 3 reports"), qPrintable(text.out));
        QVERIFY(lines.value(1).startsWith("broken.rpt \"Broken\": not checked: "));
        QCOMPARE(lines.value(2),
                 QStringLiteral("calls.rpt \"Calls\": 4 records, 1 field with values "
                                "that do not fit"));
        QCOMPARE(lines.value(3),
                 QStringLiteral("  Company: 1 of 3 values do not fit 10 characters; "
                                "the longest has 24: Borealis Trading Company"));
        QCOMPARE(lines.value(4), QStringLiteral("revenue.rpt \"Revenue list\": 4 records, 1 field "
                                                "with values that do not fit"));

        const Run json = check({"--data", "--format", "json", folder});
        QCOMPARE(json.exitCode, 1);
        const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
        const QJsonArray reports = root.value("reports").toArray();
        QCOMPARE(reports.size(), 3);
        QVERIFY(reports[0].toObject().contains("error"));
        const QJsonObject revenue = reports[2].toObject();
        QCOMPARE(revenue.value("records").toInt(), 4);
        QCOMPARE(revenue.value("fits").toBool(), false);
        const QJsonObject company = revenue.value("fields").toArray()[0].toObject();
        QCOMPARE(company.value("field").toString(), QStringLiteral("Company"));
        QCOMPARE(company.value("width").toInt(), 10);
        QCOMPARE(company.value("values").toInt(), 3);
        QCOMPARE(company.value("tooLong").toInt(), 1);
        QCOMPARE(company.value("longest").toInt(), 24);
        QCOMPARE(company.value("example").toString(), QStringLiteral("Borealis Trading Company"));
        const QJsonObject name = revenue.value("fields").toArray()[2].toObject();
        QCOMPARE(name.value("tooLong").toInt(), 0);
        QVERIFY(!name.contains("example"));

        // With room for every value, and no broken file, the check passes.
        QVERIFY(QFile::remove(broken.fileName()));
        QVERIFY(QFile::remove(QDir(folder).filePath("calls.rpt")));
        ReportFileContent wide = PreviewTables::contactReport();
        wide.fields[0].line = 2;
        wide.fields[0].rPosition = 30;
        QVERIFY(ReportFile::save(QDir(folder).filePath("revenue.rpt"), wide, &error));
        const Run clean = check({"--data", folder});
        QCOMPARE(clean.exitCode, 0);
        QVERIFY2(clean.out.contains("revenue.rpt \"Revenue list\": 4 records, every value fits"),
                 qPrintable(clean.out));

        const Run missing = check({"--data", dir.filePath("nowhere")});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY(missing.err.contains("does not exist"));
    }
};

QTEST_MAIN(TestTallyvaneCheckData)
#include "tst_tallyvanecheckdata.moc"
