// The working table CRDATA.DB as the wizard keeps it: created fresh at start,
// filled from the selection, renumbered and positioned by the page flow,
// edited through the controls of "Field Definitions", and never taken from
// another wizard that works on the same data folder.
#include "Controls.h"
#include "Screenshots.h"
#include "TableErrors.h"
#include "WizardRoad.h"

#include "engine/DatabaseError.h"
#include "engine/TableLock.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>

using namespace WizardRoad;

namespace {

QString crdata(const WizardFixture& f) { return f.dataPath(QStringLiteral("CRDATA.DB")); }

// Types into the cell of sgCol as the user does and confirms with Enter.
void typeCell(QTableWidget* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentCell(row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY2(editor, QApplication::focusWidget()
                         ? QApplication::focusWidget()->metaObject()->className()
                         : "no focus");
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    if (!text.isEmpty())
        QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view stores the text once the event loop runs.
    QTRY_COMPARE(grid->item(row, column)->text(), text);
}

// Clicks a check box where the user would: on its box (a check box stretched
// across a layout is not hit at its centre).
void clickCheck(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

// The selection of a call report with the detail level, up to Page7.
void callReportToFieldOrder(TFrmCReport& w, bool detailLevel = true)
{
    toFieldSelection(w, QStringLiteral("RbCall"), detailLevel);
    for (const char* c : {"Company", "City"})
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QLatin1String(c)));
    for (const char* e : {"Phone call date", "Phone call notes"})
        QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"), QLatin1String(e)));
    next(w);
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page7"));
}

} // namespace

class TestWizardTable : public QObject
{
    Q_OBJECT

private slots:
    // Whatever table of the name was there, the wizard starts with an empty
    // one of fourteen fields and two indexes.
    void freshStart()
    {
        WizardFixture f;
        f.makeHostTables();
        ParadoxWriter::writeTable(crdata(f),
                                  {field("Old", FieldType::Alpha, 10), field("N", FieldType::Long)},
                                  1, {{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}});
        TFrmCReport& w = f.open();
        QVERIFY(f.platform.boxes.isEmpty());

        ParadoxReader reader(crdata(f));
        QCOMPARE(reader.recordCount(), 0);
        struct Expect
        {
            const char* name;
            FieldType type;
        };
        const Expect expected[] = {
            {"Field", FieldType::Alpha},    {"Order", FieldType::Long},
            {"Header", FieldType::Alpha},   {"LDots", FieldType::Logical},
            {"RDots", FieldType::Logical},  {"Total", FieldType::Logical},
            {"Count", FieldType::Logical},  {"Average", FieldType::Logical},
            {"Min", FieldType::Logical},    {"Max", FieldType::Logical},
            {"DbType", FieldType::Long},    {"Line", FieldType::Long},
            {"LPosition", FieldType::Long}, {"RPosition", FieldType::Long},
        };
        const QList<FieldDef> fields = w.TblCRData.fieldDefs();
        QCOMPARE(fields.size(), 14);
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(fields.at(i).name, QLatin1String(expected[i].name));
            QCOMPARE(fields.at(i).type, expected[i].type);
            QCOMPARE(fields.at(i).required, i < 2);
        }
        QCOMPARE(reader.fields().at(0).size, 50);
        QCOMPARE(reader.fields().at(2).size, 50);
        QCOMPARE(reader.keyFieldCount(), 1);

        const QList<IndexDef> indexes = w.TblCRData.indexDefs();
        QCOMPARE(indexes.size(), 2);
        QCOMPARE(indexes.at(0).name, QStringLiteral("PrimaryField"));
        QCOMPARE(indexes.at(0).fields, QStringList{"Field"});
        QVERIFY(indexes.at(0).primary);
        QVERIFY(indexes.at(0).unique);
        QCOMPARE(indexes.at(1).name, QStringLiteral("iOrder"));
        QCOMPARE(indexes.at(1).fields, QStringList({"Line", "Order"}));
        QVERIFY(!indexes.at(1).primary);
        QVERIFY(!indexes.at(1).unique);
        QVERIFY(indexes.at(1).caseInsensitive);
        // The wizard holds its table from the start.
        QVERIFY(TableLock::heldHere(crdata(f)));
    }

    // Recording a field that has a row changes only its type.
    void recordingAnExistingField()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        callReportToFieldOrder(w);
        Table& t = w.TblCRData;
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("City")}));
        t.edit();
        t.setAsString(QStringLiteral("Header"), QStringLiteral("Town"));
        t.setAsBoolean(QStringLiteral("Total"), true);
        t.post();
        const CrRow before = storedRows(crdata(f)).value(QStringLiteral("City"));

        w.RecordDBType(QStringLiteral("City"), QStringLiteral("Ignored"), t, 1);
        const QMap<QString, CrRow> rows = storedRows(crdata(f));
        QCOMPARE(rows.size(), 5);
        const CrRow after = rows.value(QStringLiteral("City"));
        QCOMPARE(after.header, QStringLiteral("Town"));
        QCOMPARE(after.order, before.order);
        QCOMPARE(after.flags, before.flags);
        QVERIFY(after.flags.at(2));
        QCOMPARE(after.dbType.toInt(), 1);

        // A new one is numbered after the rows there are.
        w.RecordDBType(QStringLiteral("LastName"), QStringLiteral("Name"), t, 0);
        const CrRow added = storedRows(crdata(f)).value(QStringLiteral("LastName"));
        QCOMPARE(added.order.toInt(), 6);
        QCOMPARE(added.header, QStringLiteral("Name"));
        QCOMPARE(added.flags, QList<bool>(7, false));
    }

    // An event field moved to the top gets Order 1, whether the list shows
    // it by caption (a new selection) or by field name (a loaded report).
    void orderAfterMovingAnEventField_data()
    {
        QTest::addColumn<bool>("byFieldName");
        QTest::newRow("caption") << false;
        QTest::newRow("field name") << true;
    }
    void orderAfterMovingAnEventField()
    {
        QFETCH(bool, byFieldName);
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        callReportToFieldOrder(w, false);
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")),
                 QStringList({"Company", "City", "Phone call date", "Phone call notes"}));
        if (byFieldName) {
            control<QListWidget>(w, "lbAllFields")->item(2)->setText(QStringLiteral("EventDate"));
            control<QListWidget>(w, "lbAllFields")->item(3)->setText(QStringLiteral("Memo"));
        }
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 2));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->currentRow(), 0);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        const QMap<QString, CrRow> rows = storedRows(crdata(f));
        QCOMPARE(rows.value("EventDate").order.toInt(), 1);
        QCOMPARE(rows.value("Company").order.toInt(), 2);
        QCOMPARE(rows.value("City").order.toInt(), 3);
        QCOMPARE(rows.value("Memo").order.toInt(), 4);
    }

    // What "Column Widths" stores: a new row for a field without one, a
    // blank for an empty cell, and a refusal for a text that is no number.
    void widthsIntoTheTable()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        callReportToFieldOrder(w);
        next(w); // Page8
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"), QStringLiteral("2"));
        next(w); // Page9
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->rowCount(), 5);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(2, 0)->text(), QStringLiteral("City"));

        // City's row goes; its grid row brings it back.
        Table& t = w.TblCRData;
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("City")}));
        t.deleteRow();
        QCOMPARE(storedRows(crdata(f)).size(), 4);

        // A position with a letter is refused with the table's own message,
        // which names the column as the grid shows it, and nothing of that
        // row is stored.
        typeCell(control<QTableWidget>(w, "sgCol"), 1, 2, QStringLiteral("12a"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(1, 2)->text(), QStringLiteral("12a"));
        f.platform.clear();
        next(w);
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral(
                     "'12a' is not a valid integer value for field 'Starting At'.")});
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(w.CurrentPage, 9);
        QVERIFY(storedRows(crdata(f)).value("Company").left.isNull());
        QCOMPARE(t.state(), Table::State::Browse);

        // An empty start stores a blank.
        typeCell(control<QTableWidget>(w, "sgCol"), 1, 2, QString());
        f.platform.clear();
        next(w);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join('\n')));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        const QMap<QString, CrRow> rows = storedRows(crdata(f));
        QCOMPARE(rows.size(), 5);
        QVERIFY(rows.value("Company").left.isNull());
        QCOMPARE(rows.value("Company").right.toInt(), 41);
        QCOMPARE(rows.value("Company").line.toInt(), 1);
        const CrRow city = rows.value("City");
        QCOMPARE(city.order.toInt(), 3); // its grid row
        QCOMPARE(city.header, QStringLiteral("City"));
        QCOMPARE(city.flags, QList<bool>(7, false));
        QCOMPARE(city.line.toInt(), 1);
        QCOMPARE(city.left.toInt(), 42);
        QCOMPARE(city.right.toInt(), 57);
    }

    // Which summaries "Field Definitions" offers for each kind of field.
    void summariesByType_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QList<bool>>("visible"); // Total, Count, Average, Min, Max
        QTest::newRow("date") << "Birthday" << QList<bool>{false, true, false, true, true};
        QTest::newRow("money") << "Balance" << QList<bool>{true, true, true, true, true};
        QTest::newRow("text") << "Company" << QList<bool>{false, true, false, false, false};
        QTest::newRow("memo") << "Memo" << QList<bool>{false, true, false, false, false};
        QTest::newRow("event field")
            << "Phone call who" << QList<bool>{false, true, false, false, false};
        QTest::newRow("combination")
            << "firstlast" << QList<bool>{false, true, false, false, false};
    }
    void summariesByType()
    {
        QFETCH(QString, entry);
        QFETCH(QList<bool>, visible);
        WizardFixture f;
        f.makeHostTables();
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB")));
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.MB")));
        ParadoxWriter::writeTable(
            f.dataPath(QStringLiteral("CONTACT.DB")),
            {field("CustomID", FieldType::Alpha, 10), field("Company", FieldType::Alpha, 40),
             field("Birthday", FieldType::Date), field("Balance", FieldType::Money),
             field("Memo", FieldType::Memo, 11)},
            0, {});
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"), false);
        const bool event = control<TPickList>(w, "PickEventField")->findItem(entry) >= 0;
        QVERIFY(clickEntry(event ? control<TPickList>(w, "PickEventField")
                                 : control<TPickList>(w, "PickContactField"),
                           entry));
        // Something of the other type first, so that the boxes change.
        if (entry != QLatin1String("Balance"))
            QVERIFY(
                clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Balance")));
        for (int i = 0; i < 4; ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        const int row = int(entries(control<QListWidget>(w, "LBFieldDefs")).indexOf(entry));
        QVERIFY(row >= 0);
        QVERIFY(clickEntry(control<QListWidget>(w, "LBFieldDefs"), row));
        QCOMPARE(w.TblCRData.asString(QStringLiteral("Field")),
                 CaptionToField(QStringLiteral("CALL"), entry));
        const QList<bool> shown = {control<QCheckBox>(w, "DBCBTotal")->isVisible(),
                                   control<QCheckBox>(w, "DBCBCount")->isVisible(),
                                   control<QCheckBox>(w, "DBCBAverage")->isVisible(),
                                   control<QCheckBox>(w, "DBCBMin")->isVisible(),
                                   control<QCheckBox>(w, "DBCBMax")->isVisible()};
        QCOMPARE(shown, visible);
        QVERIFY(control<QCheckBox>(w, "cbDotLead")->isVisible());
        QVERIFY(control<QCheckBox>(w, "cbDotTrail")->isVisible());
        QVERIFY(control<QLineEdit>(w, "DBEdit1")->isVisible());
    }

    // The whole road, by clicks: a contact-ordered call report with the
    // detail level, from Page1 to Page10, and the rows it leaves, worked
    // out by hand (7.5 inches; two columns; S = 26, N = 1 + 2, w = 16).
    void createRoad()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        callReportToFieldOrder(w);
        QCOMPARE(
            entries(control<QListWidget>(w, "lbAllFields")),
            QStringList({"CustomID", "Company", "City", "Phone call date", "Phone call notes"}));
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 3));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        next(w); // Page8
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 5);
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"), QStringLiteral("2"));
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("2"));
        next(w); // Page9
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        next(w); // Page10
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QVERIFY(f.platform.boxes.isEmpty());

        struct Expect
        {
            const char* field;
            const char* header;
            int type, order, line, left, right;
        };
        const Expect expected[] = {
            {"CustomID", "CustomID", 0, 1, 1, 1, 25},
            {"Company", "Company", 0, 2, 1, 26, 41},
            {"EventDate", "Phone call date", 1, 3, 1, 42, 57},
            {"City", "City", 0, 4, 2, 26, 41},
            {"Memo", "Phone call notes", 1, 5, 2, 42, 57},
        };
        QMap<QString, CrRow> rows = storedRows(crdata(f));
        QCOMPARE(rows.size(), 5);
        for (const Expect& e : expected) {
            const CrRow row = rows.value(QLatin1String(e.field));
            QCOMPARE(row.field, QLatin1String(e.field));
            QCOMPARE(row.header, QLatin1String(e.header));
            QCOMPARE(row.dbType.toInt(), e.type);
            QCOMPARE(row.order.toInt(), e.order);
            QCOMPARE(row.line.toInt(), e.line);
            QCOMPARE(row.left.toInt(), e.left);
            QCOMPARE(row.right.toInt(), e.right);
            QCOMPARE(row.flags, QList<bool>(7, false));
        }

        // Page10: the first entry is chosen; the controls edit the row of the
        // entry clicked, and an edit is stored before another row is shown.
        QCOMPARE(control<QListWidget>(w, "LBFieldDefs")->currentRow(), 0);
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("CustomID"));
        QVERIFY(clickEntry(control<QListWidget>(w, "LBFieldDefs"), 2));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Phone call date"));
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isVisible());
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isEnabled());
        clickCheck(control<QCheckBox>(w, "DBCBCount"));
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isChecked());
        clickCheck(control<QCheckBox>(w, "cbDotTrail"));
        QVERIFY(storedRows(crdata(f)).value("EventDate").flags.at(3));
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control<QLineEdit>(w, "DBEdit1"), QStringLiteral("Call date"));
        QVERIFY(clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Company"));
        QVERIFY(!control<QCheckBox>(w, "DBCBCount")->isChecked());
        rows = storedRows(crdata(f));
        QCOMPARE(rows.value("EventDate").header, QStringLiteral("Call date"));
        QCOMPARE(rows.value("EventDate").flags,
                 QList<bool>({false, true, false, true, false, false, false}));
        QVERIFY(clickEntry(control<QListWidget>(w, "LBFieldDefs"), 2));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Call date"));
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isChecked());
        QVERIFY(control<QCheckBox>(w, "cbDotTrail")->isChecked());
        QVERIFY(!control<QCheckBox>(w, "cbDotLead")->isChecked());
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // With TV_SCREENSHOT_DIR set and the sample installation built, saves
    // pictures of "Field Selection" (contacts only, and a call report) and of
    // the pages after it, filled from the sample tables.
    void screenshots()
    {
        if (Screenshots::folder().isEmpty())
            QSKIP("TV_SCREENSHOT_DIR is not set");
        const QString sample = qEnvironmentVariable("TV_BIN_DIR") + QStringLiteral("/SampleData");
        if (!QFileInfo::exists(sample + QStringLiteral("/CONTACT.DB")))
            QSKIP("the sample installation has not been built");
        auto shoot = [&](TFrmCReport& w, const QString& name) {
            QTest::qWait(30);
            QVERIFY(Screenshots::save(&w, name));
        };
        WizardFixture f;
        for (const QString& name : QDir(sample).entryList({"*.DB", "*.MB"}, QDir::Files)) {
            if (!name.startsWith(QLatin1String("CRDATA")))
                QVERIFY(QFile::copy(QDir(sample).filePath(name), f.dataPath(name)));
        }
        {
            TFrmCReport& w = f.open();
            QTest::keyClicks(control<QLineEdit>(w, "EdDescription"),
                             QStringLiteral("Customer addresses"));
            toFieldSelection(w, QStringLiteral("RBContact"), true);
            for (const char* c : {"Company", "FirstName", "LastName", "City", "Phone1"})
                QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QLatin1String(c)));
            control<TPickList>(w, "PickContactField")->scrollToTop();
            shoot(w, QStringLiteral("page6-contacts"));
        }
        TFrmCReport& w = f.open();
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Calls this week"));
        toFieldSelection(w, QStringLiteral("RbCall"), true, QStringLiteral("RbAmLan"));
        for (const char* c : {"Company", "LastName", "Phone1", "Revenue"})
            QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QLatin1String(c)));
        for (const char* e : {"Phone call date", "Phone call subject", "Phone call notes"})
            QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"), QLatin1String(e)));
        control<TPickList>(w, "PickContactField")->scrollToTop();
        shoot(w, QStringLiteral("page6-call"));
        next(w);
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 5));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        shoot(w, QStringLiteral("page7"));
        next(w);
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"), QStringLiteral("3"));
        shoot(w, QStringLiteral("page8"));
        next(w);
        shoot(w, QStringLiteral("page9"));
        next(w);
        QVERIFY(clickEntry(control<QListWidget>(w, "LBFieldDefs"), 5));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Revenue"));
        clickCheck(control<QCheckBox>(w, "DBCBTotal"));
        clickCheck(control<QCheckBox>(w, "DBCBAverage"));
        shoot(w, QStringLiteral("page10"));
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // An alias that leads to no folder (no PATH= line, a blank one, no
    // section for the alias at all): one message that names the fault and
    // says that the program ends, and the window is refused; no table is
    // made anywhere else, the current folder least of all.
    void aliasWithoutFolderEndsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("aliases");
        QTest::addColumn<QString>("fault");
        QTest::newRow("no PATH= line") << QByteArray("[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\n")
                                       << "The database VESKA names no folder";
        QTest::newRow("blank PATH=")
            << QByteArray("[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=  \r\n")
            << "The database VESKA names no folder";
        QTest::newRow("no alias") << QByteArray("[OTHER]\r\nPATH=/tmp\r\n")
                                  << "Unknown database: VESKA.";
    }
    void aliasWithoutFolderEndsTheProgram()
    {
        QFETCH(QByteArray, aliases);
        QFETCH(QString, fault);
        WizardFixture f;
        QVERIFY(WizardFixture::write(f.exePath(QStringLiteral("ALIASES.INI")), aliases));
        const QStringList before = QDir::current().entryList(QDir::Files);
        TFrmCReport& w = f.open();
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        const QString text = f.platform.texts().first();
        QVERIFY2(text.startsWith(fault), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("The program ends when you close this message.")),
                 qPrintable(text));
        QVERIFY(w.startRefused());
        QCOMPARE(QDir::current().entryList(QDir::Files), before);
        f.window.reset();

        // The whole start-up: the same one message, then the end, with an
        // exit code that is not 0 and without showing the wizard.
        f.platform.clear();
        bool shown = false;
        QCOMPARE(TFrmCReport::runProgram([&](TFrmCReport&) { shown = true; }),
                 TFrmCReport::kExitStartRefused);
        QVERIFY(TFrmCReport::kExitStartRefused != 0);
        QVERIFY(!shown);
        QCOMPARE(f.platform.texts().size(), 1);
        QVERIFY2(f.platform.texts().first().startsWith(fault),
                 qPrintable(f.platform.texts().first()));
    }

    // A second wizard on the same data folder: told that the working table
    // is in use, and the first one's table is neither deleted nor emptied.
    void secondWizardLeavesTheTableAlone()
    {
        WizardFixture f;
        f.makeHostTables();
        {
            TFrmCReport& first = f.open();
            first.RecordDBType(QStringLiteral("Company"), QStringLiteral("Company"),
                               first.TblCRData, 0);
            f.window.reset();
        }
        QCOMPARE(storedRows(crdata(f)).size(), 1);

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--hold-lock"), f.exePath(QStringLiteral("ALIASES.INI"))});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("locked"));

        f.platform.clear();
        TFrmCReport& w = f.open();
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY2(f.platform.texts().first().startsWith(
                     QStringLiteral("The working table CRDATA.DB in ")),
                 qPrintable(f.platform.texts().first()));
        QVERIFY(
            f.platform.texts().first().contains(QStringLiteral("in use by another report wizard")));
        // The message says that the program ends: the window is refused,
        // and the start-up does not show it.
        QVERIFY2(f.platform.texts().first().endsWith(
                     QStringLiteral("\r\rThe program ends when you close this message.")),
                 qPrintable(f.platform.texts().first()));
        QVERIFY(w.startRefused());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(storedRows(crdata(f)).size(), 1);

        child.write("\n");
        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);

        // Once the other one is gone, the next wizard starts afresh.
        f.platform.clear();
        QVERIFY(!f.open().startRefused());
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(storedRows(crdata(f)).size(), 0);
    }
};

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0) {
        QCoreApplication app(argc, argv);
        return holdTableLock(QString::fromLocal8Bit(argv[2]), QStringLiteral("CRDATA.DB"));
    }
    QApplication app(argc, argv);
    TestWizardTable test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wizardtable.moc"
