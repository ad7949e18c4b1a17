// "Column and Rows" and "Column Widths" driven as a user drives them: the
// column count set on the way in, the layout grid and its 18-row limit, the
// default positions, and what Previous leaves alone.
#include "Controls.h"
#include "WizardRoad.h"

#include "forms/wizard/BoundedSpinBox.h"

#include <QFile>
#include <QLabel>
#include <QPoint>
#include <QTableWidget>
#include <QTest>

using namespace WizardRoad;

namespace {

// A contact table with the columns F01, F02, ... (all text).
void makeWideContactTable(WizardFixture& f, int columns)
{
    f.makeHostTables();
    QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB")));
    QFile::remove(f.dataPath(QStringLiteral("CONTACT.MB")));
    QList<FieldDef> fields;
    fields << field(QStringLiteral("CustomID"), FieldType::Alpha, 10);
    for (int i = 1; i <= columns; ++i)
        fields << field(QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')), FieldType::Alpha,
                        10);
    ParadoxWriter::writeTable(f.dataPath(QStringLiteral("CONTACT.DB")), fields, 0, {});
}

QString fieldName(int i) { return QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')); }

// Selects the first n F-columns (by the program; the page flow reads the
// selection) and moves on to Page8.
void toLayout(TFrmCReport& w, int n)
{
    for (int i = 1; i <= n; ++i)
        control<TPickList>(w, "PickContactField")
            ->setItemSelected(control<TPickList>(w, "PickContactField")->findItem(fieldName(i)),
                              true);
    next(w);
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page7"));
    next(w);
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page8"));
}

// Types a column count of one digit into SpinCol.
void typeColumns(TFrmCReport& w, int columns)
{
    control<BoundedSpinBox>(w, "SpinCol")->setFocus();
    QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"), QString::number(columns));
    QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_Tab);
}

// The cells of the layout grid, row by row.
QList<QStringList> cells(const TFrmCReport& w)
{
    QList<QStringList> out;
    for (int r = 0; r < control<QTableWidget>(w, "StringGrid1")->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < control<QTableWidget>(w, "StringGrid1")->columnCount(); ++c)
            row << (control<QTableWidget>(w, "StringGrid1")->item(r, c)
                        ? control<QTableWidget>(w, "StringGrid1")->item(r, c)->text()
                        : QString());
        out << row;
    }
    return out;
}

QList<QStringList> widths(const TFrmCReport& w)
{
    QList<QStringList> out;
    for (int r = 0; r < control<QTableWidget>(w, "sgCol")->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < 4; ++c)
            row << (control<QTableWidget>(w, "sgCol")->item(r, c)
                        ? control<QTableWidget>(w, "sgCol")->item(r, c)->text()
                        : QString());
        out << row;
    }
    return out;
}

} // namespace

class TestWizardLayout : public QObject
{
    Q_OBJECT

private slots:
    void enteringThePage_data()
    {
        QTest::addColumn<bool>("detailLevel");
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QStringList>("row");
        QTest::newRow("four fields") << false << 4 << 4 << QStringList{"F01", "F02", "F03", "F04"};
        QTest::newRow("five fields and the detail level")
            << true << 5 << 6 << QStringList{"F01", "F02", "F03", "F04", "F05", "BLANK"};
    }
    void enteringThePage()
    {
        QFETCH(bool, detailLevel);
        QFETCH(int, fields);
        QFETCH(int, columns);
        QFETCH(QStringList, row);
        WizardFixture f;
        makeWideContactTable(f, 8);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), detailLevel);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
        toLayout(w, fields);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), columns);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("1"));
        QCOMPARE(cells(w), QList<QStringList>{row});
        QVERIFY(w.GridReady);
        QVERIFY(f.platform.boxes.isEmpty());
        // The cells fill the grid area.
        QTRY_COMPARE(control<QTableWidget>(w, "StringGrid1")->columnWidth(0),
                     control<QTableWidget>(w, "StringGrid1")->viewport()->width() / columns);
        QCOMPARE(control<QTableWidget>(w, "StringGrid1")->rowHeight(0),
                 control<QTableWidget>(w, "StringGrid1")->viewport()->height());
    }

    void threeColumns()
    {
        WizardFixture f;
        makeWideContactTable(f, 8);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        toLayout(w, 7);
        typeColumns(w, 3);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 3);
        QCOMPARE(cells(w),
                 QList<QStringList>(
                     {{"F01", "F02", "F03"}, {"F04", "F05", "F06"}, {"F07", "BLANK", "BLANK"}}));
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("3"));
        QTRY_COMPARE(control<QTableWidget>(w, "StringGrid1")->rowHeight(0),
                     control<QTableWidget>(w, "StringGrid1")->viewport()->height() / 3);
    }

    // Past 18 rows the last row is reused and the user is told once.
    void eighteenRows()
    {
        WizardFixture f;
        makeWideContactTable(f, 38);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        toLayout(w, 20);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 20);
        QVERIFY(f.platform.boxes.isEmpty());

        typeColumns(w, 1);
        QTRY_COMPARE(f.platform.texts(),
                     QStringList{QStringLiteral("You cannot have more than 18 fields!")});
        QCOMPARE(control<QTableWidget>(w, "StringGrid1")->rowCount(), 18);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("18"));
        for (int r = 0; r < 17; ++r)
            QCOMPARE(control<QTableWidget>(w, "StringGrid1")->item(r, 0)->text(), fieldName(r + 1));
        QCOMPARE(control<QTableWidget>(w, "StringGrid1")->item(17, 0)->text(), fieldName(20));

        // Page9: the lost fields start lines of their own.
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->rowCount(), 20);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(19, 1)->text(), QStringLiteral("18"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(19, 2)->text(), QStringLiteral("1"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(19, 3)->text(), QStringLiteral("74"));
    }

    void twoColumnsLimit_data()
    {
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("message");
        QTest::newRow("36 fields") << 36 << false;
        QTest::newRow("37 fields") << 37 << true;
    }
    void twoColumnsLimit()
    {
        QFETCH(int, fields);
        QFETCH(bool, message);
        WizardFixture f;
        makeWideContactTable(f, 38);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        toLayout(w, fields);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 20);
        typeColumns(w, 2);
        QTest::qWait(20); // the box opens once the key has been handled
        QCOMPARE(f.platform.boxes.size(), message ? 1 : 0);
        QCOMPARE(control<QTableWidget>(w, "StringGrid1")->rowCount(), 18);
        QCOMPARE(control<QTableWidget>(w, "StringGrid1")->item(17, (fields - 1) % 2)->text(),
                 fieldName(fields));
    }

    // Previous from Page9 leaves the count and the layout; a click in the
    // count box marks the fields as changed.
    void previousKeepsTheLayout()
    {
        WizardFixture f;
        makeWideContactTable(f, 8);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        toLayout(w, 4);
        typeColumns(w, 2);
        const QList<QStringList> layout = cells(w);
        QCOMPARE(layout, QList<QStringList>({{"F01", "F02"}, {"F03", "F04"}}));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 2);
        QCOMPARE(cells(w), layout);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("2"));

        w.FieldsChanged = false;
        w.setColumnCount(3); // by the program: not a change by the user
        QVERIFY(!w.FieldsChanged);
        QTest::mouseClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, control<BoundedSpinBox>(w, "SpinCol")->height() / 2));
        QVERIFY(w.FieldsChanged);
    }

    // Default positions, worked out by hand.
    void positions_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("detailLevel");
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QList<QStringList>>("expected");
        QTest::newRow("11 inches, one row of four")
            << "RbAmLan" << false << 4 << 4
            << QList<QStringList>{{"F01", "1", "1", "27"},
                                  {"F02", "1", "28", "54"},
                                  {"F03", "1", "55", "81"},
                                  {"F04", "1", "82", "108"}};
        QTest::newRow("detail level and one field")
            << "RBAmPor" << true << 1 << 1
            << QList<QStringList>{{"CustomID", "1", "1", "25"}, {"F01", "1", "26", "49"}};
        QTest::newRow("five fields in three columns")
            << "RBAmPor" << false << 5 << 3
            << QList<QStringList>{{"F01", "1", "1", "24"},
                                  {"F02", "1", "25", "48"},
                                  {"F03", "1", "49", "72"},
                                  {"F04", "2", "1", "24"},
                                  {"F05", "2", "25", "48"}};
        QTest::newRow("detail level, four fields in two columns")
            << "RBAmPor" << true << 4 << 2
            << QList<QStringList>{{"CustomID", "1", "1", "25"},
                                  {"F01", "1", "26", "41"},
                                  {"F02", "1", "42", "57"},
                                  {"F03", "2", "26", "41"},
                                  {"F04", "2", "42", "57"}};
    }
    void positions()
    {
        QFETCH(QString, paper);
        QFETCH(bool, detailLevel);
        QFETCH(int, fields);
        QFETCH(int, columns);
        QFETCH(QList<QStringList>, expected);
        WizardFixture f;
        makeWideContactTable(f, 8);
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), detailLevel, paper);
        toLayout(w, fields);
        if (control<BoundedSpinBox>(w, "SpinCol")->value() != columns)
            typeColumns(w, columns);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), columns);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->columnCount(), 4);
        QStringList headers;
        for (int c = 0; c < 4; ++c)
            headers << control<QTableWidget>(w, "sgCol")->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, QStringList({"Field", "Line", "Starting At", "Ending At"}));
        QCOMPARE(widths(w), expected);
        // Only the positions can be edited.
        for (int r = 0; r < control<QTableWidget>(w, "sgCol")->rowCount(); ++r) {
            QVERIFY(!(control<QTableWidget>(w, "sgCol")->item(r, 0)->flags() & Qt::ItemIsEditable));
            QVERIFY(!(control<QTableWidget>(w, "sgCol")->item(r, 1)->flags() & Qt::ItemIsEditable));
            QVERIFY(control<QTableWidget>(w, "sgCol")->item(r, 2)->flags() & Qt::ItemIsEditable);
        }
        QCOMPARE(entries(control<QListWidget>(w, "LBFieldDefs")),
                 entries(control<QListWidget>(w, "lbAllFields")));
    }
};

QTEST_MAIN(TestWizardLayout)
#include "tst_wizardlayout.moc"
