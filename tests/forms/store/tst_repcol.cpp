#include "Controls.h"
#include "DialogProbe.h"
#include "RealMessageBoxes.h"
#include "ScriptedPlatform.h"
#include "StoreFixture.h"
#include "core/store/WorkingTable.h"

#include "engine/DatabaseError.h"
#include "engine/Table.h"
#include "forms/app/WidgetPlatform.h"
#include "forms/store/Repcol.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <optional>

namespace {
// One row of the working table: field, order, line, left and right margin
// (a missing value is a blank field).
struct Placed
{
    QString field;
    int order;
    std::optional<int> line;
    std::optional<int> left;
    std::optional<int> right;
};
} // namespace

Q_DECLARE_METATYPE(QList<Placed>)

class TestRepcol : public QObject
{
    Q_OBJECT

    static void createTable(const QList<Placed>& rows)
    {
        Table t;
        t.setDatabaseName(QStringLiteral("VESKA"));
        t.setTableName(QStringLiteral("CRDATA.DB"));
        WorkingTable::defineSchema(t);
        t.createTable();
        t.open();
        for (const Placed& r : rows) {
            t.insert();
            t.setAsString(QStringLiteral("Field"), r.field);
            t.setAsInteger(QStringLiteral("Order"), r.order);
            t.setAsString(QStringLiteral("Header"), QStringLiteral("Header of ") + r.field);
            t.setAsBoolean(QStringLiteral("Total"), r.order % 2 == 0);
            if (r.line)
                t.setAsInteger(QStringLiteral("Line"), *r.line);
            if (r.left)
                t.setAsInteger(QStringLiteral("LPosition"), *r.left);
            if (r.right)
                t.setAsInteger(QStringLiteral("RPosition"), *r.right);
            t.post();
        }
        t.close();
    }

    // Every row of the table through a fresh cursor, by field name:
    // "line left right header total" with blanks as "-".
    static QMap<QString, QString> tableRows()
    {
        Table t;
        t.setDatabaseName(QStringLiteral("VESKA"));
        t.setTableName(QStringLiteral("CRDATA.DB"));
        t.open();
        QMap<QString, QString> result;
        for (t.first(); !t.eof(); t.next()) {
            QStringList parts;
            for (const char* f : {"Line", "LPosition", "RPosition"}) {
                const QString name = QString::fromLatin1(f);
                parts << (t.isNull(name) ? QStringLiteral("-") : t.asString(name));
            }
            parts << t.asString(QStringLiteral("Header"))
                  << (t.asBoolean(QStringLiteral("Total")) ? QStringLiteral("T")
                                                           : QStringLiteral("F"));
            result.insert(t.asString(QStringLiteral("Field")), parts.join(QLatin1Char(' ')));
        }
        return result;
    }

    static QList<Placed> sampleRows()
    {
        return {{QStringLiteral("Company"), 1, 1, 1, 25},
                {QStringLiteral("Phone"), 3, 1, 60, 80},
                {QStringLiteral("Contact"), 2, 1, 30, 55},
                {QStringLiteral("Memo"), 4, 12, 5, 90},
                {QStringLiteral("City"), 5, 2, std::nullopt, std::nullopt}};
    }

    static QTableWidget* grid(TFrmColumn& d) { return control<QTableWidget>(d, "DBGrid1"); }
    static QStringList gridRows(TFrmColumn& d) { return gridRowTexts(grid(d)); }
    static int rowOf(TFrmColumn& d, const QString& field)
    {
        QTableWidget* g = grid(d);
        for (int r = 0; r < g->rowCount(); ++r) {
            if (g->item(r, 0) && g->item(r, 0)->text() == field)
                return r;
        }
        return -1;
    }
    // Types a new value into a cell the way a user does: F2, replace, Enter.
    static void editCell(TFrmColumn& d, const QString& field, int column, const QString& text)
    {
        QTableWidget* g = grid(d);
        const int row = rowOf(d, field);
        QVERIFY(row >= 0);
        g->setFocus();
        g->setCurrentCell(row, column);
        QTest::keyClick(g, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else
            QTest::keyClicks(editor, text);
        QPointer<QLineEdit> open = editor;
        QTest::keyClick(editor, Qt::Key_Return);
        // The grid stores the cell and re-reads its cursor once the event
        // loop runs; wait until the editor is gone and the grid is filled.
        QTRY_VERIFY(open.isNull());
        QCoreApplication::processEvents();
    }
    static void open(TFrmColumn& d, int margin = 100)
    {
        d.openTable(QStringLiteral("VESKA"));
        d.setReportName(QStringLiteral("Weekly calls"));
        d.setMargin(margin);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }

    void showsTheRowsInPrintOrder()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        ScriptedPlatform platform;
        TFrmColumn dialog;
        open(dialog, 75);

        QCOMPARE(dialog.windowTitle(), QStringLiteral("Column Widths"));
        QTRY_VERIFY2(cutTexts(dialog).isEmpty(),
                     qPrintable(cutTexts(dialog).join(QLatin1Char(','))));
        QCOMPARE(labelText(dialog, "LblReportName"), QStringLiteral("Weekly calls"));
        QCOMPARE(labelText(dialog, "LblMargin"), QStringLiteral("75"));
        QVERIFY(dialog.findChild<QLabel*>("Label2")->text() ==
                QStringLiteral("The left and right margins are in tenths of inches."));
        QCOMPARE(findButton(dialog, "BtnOK")->text(), QStringLiteral("OK"));
        QVERIFY(findButton(dialog, "BtnOK")->isDefault());
        QCOMPARE(findButton(dialog, "BtnCheck")->text(), QStringLiteral("Check for Errors"));
        QCOMPARE(findButton(dialog, "BtnCancel")->text(), QStringLiteral("Cancel"));
        QTableWidget* g = grid(dialog);
        QStringList headers;
        for (int c = 0; c < g->columnCount(); ++c)
            headers << g->horizontalHeaderItem(c)->text();
        QCOMPARE(headers,
                 (QStringList{QStringLiteral("Field"), QStringLiteral("Line"),
                              QStringLiteral("Left Margin"), QStringLiteral("Right Margin")}));
        // By line, then by field order; a blank line sorts first, and a line
        // above 9 is shown as it stands.
        QCOMPARE(gridRows(dialog),
                 (QStringList{QStringLiteral("Company|1|1|25"), QStringLiteral("Contact|1|30|55"),
                              QStringLiteral("Phone|1|60|80"), QStringLiteral("City|2||"),
                              QStringLiteral("Memo|12|5|90")}));
        // The field column cannot be edited.
        g->setCurrentCell(0, 0);
        QTest::keyClick(g, Qt::Key_F2);
        QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Company"));
        // Tab leaves the grid for the buttons.
        g->setFocus();
        QTest::keyClick(g, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), findButton(dialog, "BtnCheck"));
        QVERIFY(platform.boxes.isEmpty());
    }

    void editsArePostedThroughTheTable()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        ScriptedPlatform platform;
        TFrmColumn dialog;
        open(dialog);

        editCell(dialog, QStringLiteral("Company"), 1, QStringLiteral("2"));
        editCell(dialog, QStringLiteral("Phone"), 2, QStringLiteral("61"));
        editCell(dialog, QStringLiteral("Phone"), 3, QStringLiteral("300"));
        editCell(dialog, QStringLiteral("Memo"), 2, QStringLiteral("1"));
        QVERIFY(platform.boxes.isEmpty());
        // The row moved to its new place in print order.
        QCOMPARE(gridRows(dialog),
                 (QStringList{QStringLiteral("Contact|1|30|55"), QStringLiteral("Phone|1|61|300"),
                              QStringLiteral("Company|2|1|25"), QStringLiteral("City|2||"),
                              QStringLiteral("Memo|12|1|90")}));
        // Another cursor sees the posted rows; other columns are untouched.
        const auto rows = tableRows();
        QCOMPARE(rows.value(QStringLiteral("Company")),
                 QStringLiteral("2 1 25 Header of Company F"));
        QCOMPARE(rows.value(QStringLiteral("Phone")), QStringLiteral("1 61 300 Header of Phone F"));
        QCOMPARE(rows.value(QStringLiteral("Memo")), QStringLiteral("12 1 90 Header of Memo T"));
    }

    void refusedValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("line 10") << "Company" << 1 << "10"
                                 << "'10' is not a valid value for field 'Line'. The allowed "
                                    "range is 1 to 9.";
        QTest::newRow("line 0") << "Company" << 1 << "0"
                                << "'0' is not a valid value for field 'Line'. The allowed range "
                                   "is 1 to 9.";
        QTest::newRow("left 301") << "Phone" << 2 << "301"
                                  << "'301' is not a valid value for field 'Left Margin'. The "
                                     "allowed range is 1 to 300.";
        QTest::newRow("right 0")
            << "Phone" << 3 << "0"
            << "'0' is not a valid value for field 'Right Margin'. The allowed "
               "range is 1 to 300.";
        QTest::newRow("negative") << "Phone" << 3 << "-5"
                                  << "'-5' is not a valid value for field 'Right Margin'. The "
                                     "allowed range is 1 to 300.";
        QTest::newRow("letters") << "Phone" << 2 << "12a"
                                 << "'12a' is not a valid integer value for field 'Left Margin'.";
        QTest::newRow("blank line") << "Company" << 1 << ""
                                    << "A value is required for field 'Line'.";
        QTest::newRow("blank right") << "Phone" << 3 << ""
                                     << "A value is required for field 'Right Margin'.";
    }
    void refusedValues()
    {
        QFETCH(QString, field);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        StoreFixture fixture;
        createTable(sampleRows());
        const auto before = tableRows();
        ScriptedPlatform platform;
        TFrmColumn dialog;
        open(dialog);
        const QStringList gridBefore = gridRows(dialog);

        editCell(dialog, field, column, typed);
        QCOMPARE(platform.texts(), QStringList{message});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Error);
        // The cell shows the stored value again, and nothing was stored.
        QCOMPARE(gridRows(dialog), gridBefore);
        QCOMPARE(tableRows(), before);
        QVERIFY(dialog.isVisible());
        QCOMPARE(control<Table>(dialog, "tblColumn")->state(), Table::State::Browse);

        // The next edit goes through.
        platform.clear();
        editCell(dialog, field, column, QStringLiteral("3"));
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(grid(dialog)->item(rowOf(dialog, field), column)->text(), QStringLiteral("3"));
    }

    // The same refusals with the desktop's own box, which runs a modal loop
    // of its own while the grid has just committed its editor: the box is
    // dismissed, the refused value is undone, and editing goes on.
    void refusedValueInARealBox_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("line 10") << "Company" << 1 << "10"
                                 << "'10' is not a valid value for field 'Line'. The allowed "
                                    "range is 1 to 9.";
        QTest::newRow("blank cell") << "Phone" << 2 << ""
                                    << "A value is required for field 'Left Margin'.";
    }
    void refusedValueInARealBox()
    {
        QFETCH(QString, field);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        StoreFixture fixture;
        createTable(sampleRows());
        const auto before = tableRows();
        RealMessageBoxes boxes;
        TFrmColumn dialog;
        open(dialog);
        const QStringList gridBefore = gridRows(dialog);

        editCell(dialog, field, column, typed);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(), QStringList{message});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QTest::qWait(50);
        QCOMPARE(gridRows(dialog), gridBefore);
        QCOMPARE(tableRows(), before);

        // The user goes on: the same cell again, then another one, then OK.
        editCell(dialog, field, column, QStringLiteral("3"));
        editCell(dialog, QStringLiteral("City"), 3, QStringLiteral("70"));
        QTest::qWait(50);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(grid(dialog)->item(rowOf(dialog, field), column)->text(), QStringLiteral("3"));
        QTest::mouseClick(findButton(dialog, "BtnOK"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(boxes.texts().last(), QStringLiteral("Report successfully modified."));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(tableRows().value(QStringLiteral("City")).startsWith(QStringLiteral("2 - 70")));
    }

    // A value typed and left by clicking OK is stored before the dialog
    // closes; a refused one keeps it open with the box.
    void okStoresTheCellJustLeft()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        RealMessageBoxes boxes;
        TFrmColumn dialog;
        open(dialog);
        QTableWidget* g = grid(dialog);
        auto typeAndClickOk = [&](const QString& text) {
            g->setFocus();
            g->setCurrentCell(rowOf(dialog, QStringLiteral("Phone")), 3);
            QTest::keyClick(g, Qt::Key_F2);
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, text);
            // The press on OK takes the focus from the editor, which commits it.
            QTest::mouseClick(findButton(dialog, "BtnOK"), Qt::LeftButton);
        };
        typeAndClickOk(QStringLiteral("400"));
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral(
                                    "'400' is not a valid value for field 'Right Margin'. The "
                                    "allowed range is 1 to 300.")});
        QVERIFY(dialog.isVisible());
        QTest::qWait(50);
        QCOMPARE(g->item(rowOf(dialog, QStringLiteral("Phone")), 3)->text(), QStringLiteral("80"));

        typeAndClickOk(QStringLiteral("90"));
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(boxes.texts().last(), QStringLiteral("Report successfully modified."));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(tableRows().value(QStringLiteral("Phone")),
                 QStringLiteral("1 60 90 Header of Phone F"));
    }

    // "Check for Errors" with the desktop's own box: the warning runs its
    // own loop and the dialog goes on.
    void checkWarningInARealBox()
    {
        StoreFixture fixture;
        createTable({{"A", 1, 1, 1, 25}, {"B", 2, 1, 25, 50}});
        RealMessageBoxes boxes;
        TFrmColumn dialog;
        open(dialog, 75);
        QTest::mouseClick(findButton(dialog, "BtnCheck"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("There are overlaps for right margin 25")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        editCell(dialog, QStringLiteral("B"), 2, QStringLiteral("26"));
        QTest::mouseClick(findButton(dialog, "BtnCheck"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(boxes.texts().last(), QStringLiteral("Columns check out OK"));
        QVERIFY(dialog.isVisible());
    }

    // Tab stores the cell and goes on typing in the next one: storing the
    // first does not throw away what is being typed in the second.
    void tabToTheNextCellKeepsTheTyping()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        ScriptedPlatform platform;
        TFrmColumn dialog;
        open(dialog);
        QTableWidget* g = grid(dialog);
        g->setFocus();
        g->setCurrentCell(rowOf(dialog, QStringLiteral("Phone")), 2);
        QTest::keyClick(g, Qt::Key_F2);
        auto* first = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(first);
        first->selectAll();
        QTest::keyClicks(first, QStringLiteral("62"));
        QTest::keyClick(first, Qt::Key_Tab);
        // The next cell's editor opens while the first cell is stored.
        QLineEdit* second = nullptr;
        QTRY_VERIFY((second = qobject_cast<QLineEdit*>(QApplication::focusWidget())) != nullptr &&
                    second != first);
        QPointer<QLineEdit> open = second;
        QTest::qWait(30);
        QVERIFY(!open.isNull());
        second->selectAll();
        QTest::keyClicks(second, QStringLiteral("90"));
        QTest::keyClick(second, Qt::Key_Return);
        QTRY_VERIFY(open.isNull());
        QTest::qWait(30);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(tableRows().value(QStringLiteral("Phone")),
                 QStringLiteral("1 62 90 Header of Phone F"));
    }

    void checkForErrors_data()
    {
        QTest::addColumn<QList<Placed>>("rows");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QString>("message"); // empty: the positions check out
        const QString overlap = QStringLiteral("There are overlaps for right margin ");
        QTest::newRow("apart") << QList<Placed>{{"A", 1, 1, 1, 25}, {"B", 2, 1, 26, 50}} << 75
                               << QString();
        QTest::newRow("touching") << QList<Placed>{{"A", 1, 1, 1, 25}, {"B", 2, 1, 25, 50}} << 75
                                  << overlap + "25";
        QTest::newRow("out of order")
            << QList<Placed>{{"A", 1, 1, 30, 40}, {"B", 2, 1, 10, 20}} << 75 << overlap + "30";
        QTest::newRow("left after right")
            << QList<Placed>{{"A", 1, 1, 1, 25}, {"B", 2, 1, 40, 30}, {"C", 3, 1, 10, 90}} << 75
            << QStringLiteral("LEFT Margin is less than RIGHT margin");
        QTest::newRow("beyond maximum")
            << QList<Placed>{{"A", 1, 1, 1, 25}, {"B", 2, 1, 30, 76}} << 75
            << QStringLiteral("RIGHT margin greater than Right margin MAX of 75");
        QTest::newRow("at maximum")
            << QList<Placed>{{"A", 1, 1, 1, 25}, {"B", 2, 1, 30, 75}} << 75 << QString();
        QTest::newRow("line 11 unchecked")
            << QList<Placed>{{"A", 1, 11, 1, 25}, {"B", 2, 11, 10, 50}} << 75 << QString();
        QTest::newRow("equal last column")
            << QList<Placed>{{"A", 1, 1, 10, 20}, {"B", 2, 1, 30, 30}} << 75 << QString();
        QTest::newRow("equal first column")
            << QList<Placed>{{"A", 1, 1, 30, 30}, {"B", 2, 1, 40, 50}} << 75 << overlap + "30";
        QTest::newRow("different lines")
            << QList<Placed>{{"A", 1, 1, 10, 20}, {"B", 2, 2, 10, 20}} << 75 << QString();
    }
    // "Check for Errors" in the desktop's own box, in its own modal loop,
    // closed with Enter: the dialog, its grid and its rows stay as they were.
    void checkInARealBox()
    {
        StoreFixture fixture;
        createTable({{"Company", 1, 1, 1, 25}, {"Phone", 2, 1, 25, 50}});
        WidgetPlatform desktop;
        Platform::install(&desktop);
        auto restore = qScopeGuard([] { Platform::install(nullptr); });
        TFrmColumn dialog;
        open(dialog, 75);
        const QStringList before = gridRows(dialog);
        QString text;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        QTest::mouseClick(findButton(dialog, "BtnCheck"), Qt::LeftButton);
        QCOMPARE(text, QStringLiteral("There are overlaps for right margin 25"));
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(gridRows(dialog), before);
    }

    void checkForErrors()
    {
        QFETCH(QList<Placed>, rows);
        QFETCH(int, margin);
        QFETCH(QString, message);
        StoreFixture fixture;
        createTable(rows);
        ScriptedPlatform platform;
        TFrmColumn dialog;
        open(dialog, margin);
        QTableWidget* g = grid(dialog);
        g->setCurrentCell(1, 2);
        const QStringList before = gridRows(dialog);

        QTest::mouseClick(findButton(dialog, "BtnCheck"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(platform.boxes.size(), 1);
        if (message.isEmpty()) {
            QCOMPARE(platform.boxes[0].text, QStringLiteral("Columns check out OK"));
            QCOMPARE(platform.boxes[0].icon, Platform::Icon::Information);
        } else {
            QCOMPARE(platform.boxes[0].text, message);
            QCOMPARE(platform.boxes[0].icon, Platform::Icon::Warning);
        }
        QCOMPARE(platform.boxes[0].buttons, Platform::Buttons::Ok);
        // The check leaves the dialog, the grid and its current cell alone.
        QVERIFY(dialog.isVisible());
        QCOMPARE(gridRows(dialog), before);
        QCOMPARE(g->currentRow(), 1);
        QCOMPARE(g->currentColumn(), 2);
    }

    void okKeepsTheEditsBesideTheWizardsCursor()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        // The wizard holds its own cursor open, exclusively.
        Table wizard;
        wizard.setDatabaseName(QStringLiteral("VESKA"));
        wizard.setTableName(QStringLiteral("CRDATA.DB"));
        wizard.setExclusive(true);
        wizard.open();
        ScriptedPlatform platform;
        TFrmColumn dialog;
        int saves = 0;
        QString wizardSaw;
        dialog.setSaveAction([&] {
            ++saves;
            wizard.refresh();
            wizard.setIndexName(QString());
            QVERIFY(wizard.findKey({QStringLiteral("Phone")}));
            wizardSaw = wizard.asString(QStringLiteral("RPosition"));
        });
        open(dialog);
        // Overlapping positions: OK does not run the check.
        editCell(dialog, QStringLiteral("Phone"), 3, QStringLiteral("200"));
        editCell(dialog, QStringLiteral("Phone"), 2, QStringLiteral("10"));
        QTest::mouseClick(findButton(dialog, "BtnOK"), Qt::LeftButton);

        QCOMPARE(platform.texts(), QStringList{QStringLiteral("Report successfully modified.")});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Information);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(saves, 1);
        QCOMPARE(wizardSaw, QStringLiteral("200"));
        wizard.close();
        QCOMPARE(tableRows().value(QStringLiteral("Phone")),
                 QStringLiteral("1 10 200 Header of Phone F"));
    }

    void failedSaveIsNotReportedAsSuccess()
    {
        StoreFixture fixture;
        createTable(sampleRows());
        ScriptedPlatform platform;
        TFrmColumn dialog;
        bool fail = true;
        dialog.setSaveAction([&] {
            if (fail)
                throw DatabaseError(
                    QStringLiteral("The report file weekly.rpt cannot be written."));
        });
        open(dialog);
        QTest::mouseClick(findButton(dialog, "BtnOK"), Qt::LeftButton);
        QCOMPARE(platform.texts(),
                 QStringList{QStringLiteral("The report file weekly.rpt cannot be written.")});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Error);
        QVERIFY(dialog.isVisible());

        platform.clear();
        fail = false;
        QTest::keyClick(grid(dialog), Qt::Key_Return);
        QCOMPARE(platform.texts(), QStringList{QStringLiteral("Report successfully modified.")});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void cancelPutsTheRowsBack_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("button") << false;
        QTest::newRow("escape") << true;
    }
    void cancelPutsTheRowsBack()
    {
        QFETCH(bool, byEscape);
        StoreFixture fixture;
        createTable(sampleRows());
        const auto before = tableRows();
        ScriptedPlatform platform;
        TFrmColumn dialog;
        bool saved = false;
        dialog.setSaveAction([&] { saved = true; });
        dialog.openTable(QStringLiteral("VESKA"));
        dialog.setMargin(100);
        bool edited = false;
        QTimer::singleShot(0, &dialog, [&] {
            auto* active = qobject_cast<TFrmColumn*>(QApplication::activeModalWidget());
            if (!active || !QTest::qWaitForWindowActive(active))
                return;
            editCell(*active, QStringLiteral("Memo"), 1, QStringLiteral("3"));
            editCell(*active, QStringLiteral("Company"), 2, QStringLiteral("7"));
            editCell(*active, QStringLiteral("City"), 2, QStringLiteral("8"));
            edited = tableRows() != before;
            if (byEscape)
                QTest::keyClick(grid(*active), Qt::Key_Escape);
            else
                QTest::mouseClick(findButton(*active, "BtnCancel"), Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(edited);
        QVERIFY(!saved);
        QVERIFY(platform.boxes.isEmpty());
        // Line 12 and the blank positions are back as they were.
        QCOMPARE(tableRows(), before);
    }
};

QTEST_MAIN(TestRepcol)
#include "tst_repcol.moc"
