// The first two lines of report files as the listing reads them: in pieces,
// stopping after the second line, whatever the line ends and wherever the
// pieces fall; and the listing's order, sorted by keys worked out once.

#include "core/store/ReportList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReportListHead : public QObject
{
    Q_OBJECT

private slots:
    void firstTwoLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("type");
        const QByteArray longLine(700, 'd'); // longer than one piece
        QTest::newRow("crlf") << QByteArray("Weekly\r\nContact\r\nContact\r\n") << "Weekly"
                              << "Contact";
        QTest::newRow("lf") << QByteArray("Weekly\nCalendar\nrest\n") << "Weekly"
                            << "Calendar";
        QTest::newRow("lone cr") << QByteArray("Weekly\rContact\rrest") << "Weekly"
                                 << "Contact";
        QTest::newRow("cr then lf") << QByteArray("Weekly\rContact\nrest") << "Weekly"
                                    << "Contact";
        QTest::newRow("long first line") << longLine + "\r\nContact\r\nmore\r\n"
                                         << QString::fromLatin1(longLine) << "Contact";
        QTest::newRow("second line across pieces")
            << QByteArray(510, 'a') + "\r\n" + QByteArray(600, 'b') + "\r\nnext"
            << QString(510, QLatin1Char('a')) << QString(600, QLatin1Char('b'));
        QTest::newRow("crlf split at a piece end") << QByteArray(511, 'a') + "\r\nContact\r\n"
                                                   << QString(511, QLatin1Char('a')) << "Contact";
        QTest::newRow("one line") << QByteArray("Only") << "Only"
                                  << "";
        QTest::newRow("empty") << QByteArray() << ""
                               << "";
        QTest::newRow("code page") << QByteArray("Caf\xe9 \x80\r\nContact\r\n")
                                   << QString::fromUtf8("Caf\u00e9 \u20ac") << "Contact";
    }
    void firstTwoLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        QFETCH(QString, type);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("one.rpt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();

        QString d, t;
        QVERIFY(ReportList::GetDescription(f.fileName(), &d, &t));
        QCOMPARE(d, description);
        QCOMPARE(t, type);
        const QList<ReportListEntry> listed = ReportList::list(dir.path());
        QCOMPARE(listed.size(), 1);
        QVERIFY(listed.first().readable);
        QCOMPARE(listed.first().description, description);
        QCOMPARE(listed.first().type, type);
    }

    // The sort with keys worked out once gives lessByKey's order, stable.
    void listedInKeyOrder()
    {
        QTemporaryDir dir;
        const QList<QByteArray> descriptions = {"beta", "Alpha", "alpha", "\xe9t\xe9", "Zulu",
                                                "al",   "_x",    "beta",  "\x80uro",   ""};
        for (int i = 0; i < descriptions.size(); ++i) {
            QFile f(dir.filePath(QStringLiteral("r%1.rpt").arg(i)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(descriptions.at(i) + "\r\nContact\r\n");
        }
        const QList<ReportListEntry> listed = ReportList::list(dir.path());
        QCOMPARE(listed.size(), descriptions.size());
        for (int i = 1; i < listed.size(); ++i)
            QVERIFY2(!ReportList::lessByKey(listed.at(i).description, listed.at(i - 1).description),
                     qPrintable(listed.at(i).description));
        // Equal keys keep the name order: "Alpha" (r1) before "alpha" (r2).
        QStringList names;
        for (const ReportListEntry& e : listed)
            names << e.name;
        QVERIFY(names.indexOf(QStringLiteral("r1.rpt")) < names.indexOf(QStringLiteral("r2.rpt")));
        QVERIFY(names.indexOf(QStringLiteral("r0.rpt")) < names.indexOf(QStringLiteral("r7.rpt")));
    }
};

QTEST_GUILESS_MAIN(TestReportListHead)
#include "tst_reportlisthead.moc"
