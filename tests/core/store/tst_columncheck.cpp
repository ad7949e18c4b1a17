#include "core/store/ColumnCheck.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

using Rows = QList<ColumnRow>;

ColumnRow row(int line, int left, int right, const QString& field = QStringLiteral("F"))
{
    return ColumnRow{field, line, left, right};
}

} // namespace

class TestColumnCheck : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("warning"); // empty: passes
        QTest::addColumn<int>("row");

        const QString overlap = QStringLiteral("There are overlaps for right margin ");
        const QString leftRight = QStringLiteral("LEFT Margin is less than RIGHT margin");
        const QString beyond = QStringLiteral("RIGHT margin greater than Right margin MAX of ");

        QTest::newRow("apart") << 110 << Rows{row(1, 1, 25), row(1, 26, 50)} << QString() << -1;
        QTest::newRow("touching 25/25")
            << 110 << Rows{row(1, 1, 25), row(1, 25, 50)} << overlap + "25" << 1;
        QTest::newRow("30-40 before 10-20")
            << 110 << Rows{row(1, 30, 40), row(1, 10, 20)} << overlap + "30" << 0;
        QTest::newRow("inside another")
            << 110 << Rows{row(1, 10, 50), row(1, 20, 30)} << overlap + "50" << 0;
        QTest::newRow("left after right, whatever else")
            << 110 << Rows{row(1, 30, 40), row(1, 10, 20), row(2, 40, 30)} << leftRight << 2;
        QTest::newRow("left after right before the maximum")
            << 75 << Rows{row(1, 1, 200), row(1, 40, 30)} << leftRight << 1;
        QTest::newRow("beyond the maximum")
            << 75 << Rows{row(1, 1, 20), row(1, 30, 76)} << beyond + "75" << 1;
        QTest::newRow("at the maximum")
            << 75 << Rows{row(1, 1, 20), row(1, 30, 75)} << QString() << -1;
        QTest::newRow("maximum checked before overlaps")
            << 75 << Rows{row(1, 30, 40), row(1, 10, 20), row(3, 1, 90)} << beyond + "75" << 2;
        QTest::newRow("line 11 not checked")
            << 110 << Rows{row(1, 1, 10), row(11, 30, 40), row(11, 10, 20)} << QString() << -1;
        QTest::newRow("line 10 checked")
            << 110 << Rows{row(10, 30, 40), row(10, 10, 20)} << overlap + "30" << 0;
        QTest::newRow("line 0 and blank line not checked")
            << 110
            << Rows{row(0, 30, 40), row(0, 10, 20), ColumnRow{"B", std::nullopt, 30, 40},
                    ColumnRow{"C", std::nullopt, 10, 20}}
            << QString() << -1;
        QTest::newRow("equal last column passes")
            << 110 << Rows{row(1, 10, 20), row(1, 30, 30)} << QString() << -1;
        QTest::newRow("equal first column reported")
            << 110 << Rows{row(1, 30, 30), row(1, 40, 50)} << overlap + "30" << 0;
        QTest::newRow("equal middle column reported")
            << 110 << Rows{row(1, 1, 5), row(1, 30, 30), row(1, 40, 50)} << overlap + "30" << 1;
        QTest::newRow("equal column alone passes")
            << 110 << Rows{row(1, 30, 30)} << QString() << -1;
        QTest::newRow("same margins on different lines")
            << 110 << Rows{row(1, 10, 20), row(2, 10, 20), row(3, 10, 20)} << QString() << -1;
        // Repeats beyond the sorted margins: only the line's last margin may repeat.
        QTest::newRow("same margins on one line")
            << 110 << Rows{row(2, 10, 20), row(2, 10, 20)} << overlap + "10" << 1;
        QTest::newRow("column inside, margins reused")
            << 110 << Rows{row(1, 10, 20), row(1, 30, 40), row(1, 20, 30)} << overlap + "20" << 2;
        QTest::newRow("equal last column touching the one before")
            << 110 << Rows{row(1, 10, 20), row(1, 20, 20)} << QString() << -1;
        QTest::newRow("first line fine, second overlaps")
            << 110 << Rows{row(1, 1, 9), row(1, 10, 20), row(2, 5, 15), row(2, 15, 25)}
            << overlap + "15" << 3;
        QTest::newRow("lowest line reported first")
            << 110 << Rows{row(2, 50, 60), row(2, 1, 5), row(3, 40, 45), row(3, 1, 2)}
            << overlap + "50" << 0;
        // A blank margin counts as 0, like an equal first column at 0.
        QTest::newRow("blank positions count as 0")
            << 110 << Rows{ColumnRow{"A", 1, std::nullopt, std::nullopt}, row(1, 1, 5)}
            << overlap + "0" << 0;
        QTest::newRow("blank left after a column")
            << 110 << Rows{row(1, 1, 5), ColumnRow{"A", 1, std::nullopt, 9}} << overlap + "1" << 0;
        QTest::newRow("negative margins compare as numbers")
            << 110 << Rows{row(1, -10, -5), row(1, 3, 9)} << QString() << -1;
        QTest::newRow("no rows") << 110 << Rows{} << QString() << -1;
        QTest::newRow("maximum 0, right 1") << 0 << Rows{row(1, 0, 1)} << beyond + "0" << 0;
    }
    void check()
    {
        QFETCH(int, maximum);
        QFETCH(Rows, rows);
        QFETCH(QString, warning);
        QFETCH(int, row);
        const ColumnCheckResult r = ColumnCheck::CheckColumnPositions(maximum, rows);
        QCOMPARE(r.message, warning);
        QCOMPARE(r.ok(), warning.isEmpty());
        QCOMPARE(r.row, row);
    }

    void warningKindsAndValues()
    {
        ColumnCheckResult r =
            ColumnCheck::CheckColumnPositions(110, {row(1, 1, 25), row(1, 25, 50)});
        QCOMPARE(r.warning, ColumnWarning::Overlap);
        QCOMPARE(r.value, 25);
        r = ColumnCheck::CheckColumnPositions(75, {row(1, 1, 76)});
        QCOMPARE(r.warning, ColumnWarning::BeyondMaximum);
        QCOMPARE(r.value, 75);
        r = ColumnCheck::CheckColumnPositions(75, {row(1, 9, 8)});
        QCOMPARE(r.warning, ColumnWarning::LeftAfterRight);
        QCOMPARE(ColumnCheck::editorOkText(), QStringLiteral("Columns check out OK"));
        QCOMPARE(ColumnCheck::wizardOkText(), QStringLiteral("Columns appear OK."));
    }

    void manyRowsStayFast()
    {
        Rows rows;
        for (int i = 0; i < 100000; ++i)
            rows << row(1 + i % 10, i * 3 + 1, i * 3 + 2);
        QElapsedTimer t;
        t.start();
        QVERIFY(ColumnCheck::CheckColumnPositions(1000000, rows).ok());
        QVERIFY(t.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestColumnCheck)
#include "tst_columncheck.moc"
