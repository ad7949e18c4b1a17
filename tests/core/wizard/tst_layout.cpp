#include "core/wizard/Layout.h"

#include <QSize>
#include <QTest>

using namespace Layout;

namespace {

QStringList fields(int n, const QString& prefix = QStringLiteral("F"))
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << prefix + QString::number(i);
    return out;
}

// The grid as StringGrid1 shows it, row by row.
QList<QStringList> shown(const Grid& g)
{
    QList<QStringList> out;
    for (int r = 0; r < g.rows; ++r) {
        QStringList row;
        for (int c = 0; c < g.columns; ++c)
            row << g.text(c, r);
        out << row;
    }
    return out;
}

using Rows = QList<QStringList>;
const QStringList header{"Field", "Line", "Starting At", "Ending At"};

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void sevenFieldsInThreeColumns()
    {
        const Grid g = SetGrid({"A", "B", "C", "D", "E", "F", "G"}, 3, false);
        QCOMPARE(g.columns, 3);
        QCOMPARE(g.rows, 3);
        QVERIFY(!g.overflowed);
        QCOMPARE(shown(g), Rows({{"A", "B", "C"}, {"D", "E", "F"}, {"G", "BLANK", "BLANK"}}));
    }

    void columnCountFromFieldCount()
    {
        // Four fields and the count left at 1: the count becomes 4, one row.
        Grid g = SetGrid(fields(4), clampColumns(4), false);
        QCOMPARE(shown(g), Rows({{"F1", "F2", "F3", "F4"}}));

        // Five fields and the detail level: six entries give six columns, of
        // which the leading CustomID is not laid out.
        const QStringList order = QStringList{"CustomID"} + fields(5);
        g = SetGrid(order, clampColumns(order.size()), true);
        QCOMPARE(g.rows, 1);
        QCOMPARE(shown(g), Rows({{"F1", "F2", "F3", "F4", "F5", "BLANK"}}));

        QCOMPARE(clampColumns(25), 20);
        QCOMPARE(clampColumns(0), 1);
        QCOMPARE(clampColumns(-4), 1);
        QCOMPARE(SetGrid(fields(3), 40, false).columns, 20);
        QCOMPARE(SetGrid(fields(3), 0, false).columns, 1);
    }

    void overflow_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("overflowed");
        QTest::addColumn<QStringList>("lastRow");
        QTest::newRow("18 in one column") << 18 << 1 << false << QStringList{"F18"};
        QTest::newRow("19 in one column") << 19 << 1 << true << QStringList{"F19"};
        QTest::newRow("20 in one column") << 20 << 1 << true << QStringList{"F20"};
        QTest::newRow("36 in two columns") << 36 << 2 << false << QStringList{"F35", "F36"};
        QTest::newRow("37 in two columns") << 37 << 2 << true << QStringList{"F37", "F36"};
        QTest::newRow("40 in two columns") << 40 << 2 << true << QStringList{"F39", "F40"};
    }
    void overflow()
    {
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(bool, overflowed);
        QFETCH(QStringList, lastRow);
        const Grid g = SetGrid(fields(count), columns, false);
        QCOMPARE(g.rows, 18);
        QCOMPARE(g.overflowed, overflowed);
        for (int r = 0; r < 17; ++r) {
            for (int c = 0; c < columns; ++c)
                QCOMPARE(g.text(c, r), "F" + QString::number(r * columns + c + 1));
        }
        QCOMPARE(shown(g).last(), lastRow);
    }

    void tooManyFieldsMessageOnce()
    {
        TooManyFieldsNotice notice;
        QCOMPARE(tooManyFieldsMessage(), QString("You cannot have more than 18 fields!"));
        QVERIFY(!notice.take(SetGrid(fields(18), 1, false)));
        QVERIFY(!notice.shown());
        const Grid twenty = SetGrid(fields(20), 1, false);
        QVERIFY(notice.take(twenty));
        QVERIFY(!notice.take(twenty));
        QVERIFY(!notice.take(SetGrid(fields(37), 2, false)));
        notice.reset();
        QVERIFY(notice.take(twenty));
    }

    void emptyAndDetailOnly()
    {
        Grid g = SetGrid({}, 3, false);
        QCOMPARE(g.rows, 1);
        QCOMPARE(shown(g), Rows({{"BLANK", "BLANK", "BLANK"}}));
        g = SetGrid({"CustomID"}, 1, true);
        QCOMPARE(shown(g), Rows({{"BLANK"}}));
        QVERIFY(!g.overflowed);
        QCOMPARE(g.text(5, 0), QString());
        QCOMPARE(g.text(0, 3), QString());
    }

    void detailLevelEntry_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<bool>("detailLevel");
        QTest::addColumn<QStringList>("laidOut");
        QTest::newRow("detail level")
            << QStringList{"CustomID", "A", "B"} << true << QStringList{"A", "B"};
        QTest::newRow("no detail level")
            << QStringList{"CustomID", "A", "B"} << false << QStringList{"CustomID", "A", "B"};
        QTest::newRow("other case") << QStringList{"customID", "A"} << true << QStringList{"A"};
        // Only a leading CustomID has its own column.
        QTest::newRow("first is no CustomID")
            << QStringList{"A", "B"} << true << QStringList{"A", "B"};
    }
    void detailLevelEntry()
    {
        QFETCH(QStringList, order);
        QFETCH(bool, detailLevel);
        QFETCH(QStringList, laidOut);
        QCOMPARE(gridEntries(order, detailLevel), laidOut);
        const Grid g = SetGrid(order, 20, detailLevel);
        QCOMPARE(g.cells.first().mid(0, laidOut.size()), laidOut);
    }

    void cellSizes()
    {
        QCOMPARE(cellSize(QSize(400, 300), SetGrid(fields(7), 3, false)), QSize(133, 100));
        QCOMPARE(cellSize(QSize(401, 299), SetGrid(fields(4), 4, false)), QSize(100, 299));
        QCOMPARE(cellSize(QSize(500, 360), SetGrid(fields(20), 1, false)), QSize(500, 20));
    }

    void branches()
    {
        QVERIFY(detailLevelShown(true, "CREATE", false));
        QVERIFY(detailLevelShown(true, "MODIFY", true));
        QVERIFY(!detailLevelShown(true, "MODIFY", false));
        QVERIFY(!detailLevelShown(true, "COLUMN", false));
        QVERIFY(!detailLevelShown(false, "CREATE", true));
        QVERIFY(usesStoredPositions("MODIFY", false));
        QVERIFY(!usesStoredPositions("MODIFY", true));
        QVERIFY(!usesStoredPositions("CREATE", false));
        QVERIFY(!usesStoredPositions("COLUMN", false));
    }

    void positions_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("detail");
        QTest::addColumn<int>("width");
        QTest::addColumn<Rows>("expected");
        QTest::newRow("W75 five fields three columns")
            << QStringList{"A", "B", "C", "D", "E"} << 3 << false << 75
            << Rows{header,
                    {"A", "1", "1", "24"},
                    {"B", "1", "25", "48"},
                    {"C", "1", "49", "72"},
                    {"D", "2", "1", "24"},
                    {"E", "2", "25", "48"}};
        QTest::newRow("W75 detail level two columns")
            << QStringList{"CustomID", "A", "B", "C", "D"} << 2 << true << 75
            << Rows{header,
                    {"CustomID", "1", "1", "25"},
                    {"A", "1", "26", "41"},
                    {"B", "1", "42", "57"},
                    {"C", "2", "26", "41"},
                    {"D", "2", "42", "57"}};
        QTest::newRow("W110 one row of four")
            << QStringList{"A", "B", "C", "D"} << 4 << false << 110
            << Rows{header,
                    {"A", "1", "1", "27"},
                    {"B", "1", "28", "54"},
                    {"C", "1", "55", "81"},
                    {"D", "1", "82", "108"}};
        QTest::newRow("W75 detail level one field")
            << QStringList{"CustomID", "A"} << 2 << true << 75
            << Rows{header, {"CustomID", "1", "1", "25"}, {"A", "1", "26", "49"}};
        QTest::newRow("detail level alone") << QStringList{"CustomID"} << 1 << true << 75
                                            << Rows{header, {"CustomID", "1", "1", "25"}};
        QTest::newRow("short last line")
            << QStringList{"A", "B", "C", "D", "E", "F", "G"} << 3 << false << 100
            << Rows{header,
                    {"A", "1", "1", "33"},
                    {"B", "1", "34", "66"},
                    {"C", "1", "67", "99"},
                    {"D", "2", "1", "33"},
                    {"E", "2", "34", "66"},
                    {"F", "2", "67", "99"},
                    {"G", "3", "1", "33"}};
        // Without the detail level a CustomID picked by hand is a field like
        // any other: it is laid out and positioned.
        QTest::newRow("hand-picked CustomID")
            << QStringList{"CustomID", "A", "B"} << 3 << false << 75
            << Rows{header,
                    {"CustomID", "1", "1", "24"},
                    {"A", "1", "25", "48"},
                    {"B", "1", "49", "72"}};
        QTest::newRow("event captions")
            << QStringList{"City", "Phone call date", "Phone call notes"} << 2 << false << 61
            << Rows{header,
                    {"City", "1", "1", "30"},
                    {"Phone call date", "1", "31", "60"},
                    {"Phone call notes", "2", "1", "30"}};
        QTest::newRow("nothing") << QStringList{} << 1 << false << 75 << Rows{header};
    }
    void positions()
    {
        QFETCH(QStringList, order);
        QFETCH(int, columns);
        QFETCH(bool, detail);
        QFETCH(int, width);
        QFETCH(Rows, expected);
        const Grid g = SetGrid(order, columns, detail);
        QCOMPARE(FillColTable(order, g, detail, width), expected);
    }

    void lostFieldsKeepTheirLine()
    {
        // Twenty fields in one column: fields 18 and 19 are lost, field 20
        // stands in the last row. Each line holds one field, so every field
        // spans the whole width.
        const QStringList order = fields(20);
        const Grid g = SetGrid(order, 1, false);
        QStringList previous(20);
        previous[17] = "17"; // equal to the line before: still a line of its own
        previous[18] = "x";
        const Rows rows = FillColTable(order, g, false, 75, previous);
        QCOMPARE(rows.size(), 21);
        for (int i = 1; i <= 17; ++i)
            QCOMPARE(rows.at(i),
                     QStringList({"F" + QString::number(i), QString::number(i), "1", "74"}));
        QCOMPARE(rows.at(18), QStringList({"F18", "17", "1", "74"}));
        QCOMPARE(rows.at(19), QStringList({"F19", "x", "1", "74"}));
        QCOMPARE(rows.at(20), QStringList({"F20", "18", "1", "74"}));

        // Without previous texts the lost fields' lines stay empty.
        const Rows fresh = FillColTable(order, g, false, 75);
        QCOMPARE(fresh.at(18).at(1), QString());
        QCOMPARE(fresh.at(19).at(1), QString());
    }

    void lostFieldInTwoColumns()
    {
        // 37 fields in two columns: field 35 is replaced by field 37. The lost
        // field gets the first slot of a line without taking a place, so the
        // two fields of the last row keep the two slots of the page.
        const QStringList order = fields(37);
        const Grid g = SetGrid(order, 2, false);
        const Rows rows = FillColTable(order, g, false, 81);
        QCOMPARE(rows.at(34), QStringList({"F34", "17", "41", "80"}));
        QCOMPARE(rows.at(35), QStringList({"F35", "", "1", "40"}));
        QCOMPARE(rows.at(36), QStringList({"F36", "18", "1", "40"}));
        QCOMPARE(rows.at(37), QStringList({"F37", "18", "41", "80"}));
    }

    // No computed position lies off the page, however the fields overflow
    // the layout or however narrow the page is.
    void positionsStayOnThePage_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("detail");
        QTest::addColumn<int>("width");
        QTest::newRow("37 in 2 columns") << 37 << 2 << false << 75;
        QTest::newRow("19 in 1 column") << 19 << 1 << false << 75;
        QTest::newRow("40 in 1 column, detail") << 40 << 1 << true << 75;
        QTest::newRow("60 in 3 columns, detail") << 60 << 3 << true << 110;
        QTest::newRow("page narrower than the detail column") << 4 << 4 << true << 20;
        QTest::newRow("page of one tenth") << 3 << 3 << false << 1;
    }
    void positionsStayOnThePage()
    {
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(bool, detail);
        QFETCH(int, width);
        QStringList order = fields(count);
        if (detail)
            order.prepend(QStringLiteral("CustomID"));
        const Grid g = SetGrid(order, columns, detail);
        const Rows rows = FillColTable(order, g, detail, width);
        for (int r = 1; r < rows.size(); ++r) {
            const int left = rows.at(r).at(2).toInt();
            const int right = rows.at(r).at(3).toInt();
            QVERIFY2(left >= 1 && left <= right && right <= width,
                     qPrintable(rows.at(r).join(QLatin1Char(' '))));
        }
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
