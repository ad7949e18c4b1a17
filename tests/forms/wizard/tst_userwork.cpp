// What the user types, ticks or loads stays where it was put: the field the
// definitions page highlights is the one it edits, loaded attributes and
// typed positions survive a change of the selection or a step back, a column
// count typed on the keyboard counts, long loaded descriptions keep their
// length, texts a report file cannot hold are refused where they are typed,
// and no default position lies off the page. Roads on which a handler shows a
// box are also walked with the desktop's own message box in its own loop.
#include "Controls.h"
#include "RealMessageBoxes.h"
#include "ReportRoads.h"
#include "Screenshots.h"
#include "WizardRoad.h"

#include "engine/ParadoxWriter.h"
#include "forms/store/Getfilr.h"
#include "forms/store/Repcol.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRect>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

using namespace Roads;

namespace {

QStringList entriesOf(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
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

void nextUntil(TFrmCReport& w, QWidget* page)
{
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() != page; ++i)
        next(w);
}

// Create, contact-ordered, contacts only, without the detail level, with
// the given contact fields, on to Page6.
void newReportToSelection(TFrmCReport& w, const QString& description = QStringLiteral("Staff"))
{
    WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
    next(w); // Page2
    WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
    next(w); // Page3
    WizardFixture::clickRadio(control<QRadioButton>(w, "RBContact"));
    next(w); // Page4
    control<QLineEdit>(w, "EdDescription")->selectAll();
    QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), description);
    next(w); // Page5
    WizardFixture::clickRadio(control<QRadioButton>(w, "RBAmPor"));
    next(w); // Page4_5
    WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustNo"));
    next(w); // Page6
}

void selectFields(TFrmCReport& w, const QStringList& fields)
{
    for (const QString& f : fields)
        clickPick(control<TPickList>(w, "PickContactField"), f);
}

// Types into a cell of sgCol and confirms with Enter.
void typeCell(QTableWidget* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentCell(row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(grid->item(row, column)->text(), text);
}

void clickCheck(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

TableRow rowOf(const QString& field)
{
    for (const TableRow& r : workingRows()) {
        if (r.f.field == field)
            return r;
    }
    return {};
}

// A stored report of three contact fields with headers, dot lines,
// summaries and hand-made positions on two lines.
QByteArray loadedReport(const QString& description = QStringLiteral("Loaded"))
{
    return report(description, QStringLiteral("Contact"), QStringLiteral("Contact"),
                  QStringLiteral("75"),
                  {withFlags(field(0, "Firm", "Company", 1, 3, 30), {.lDots = true, .count = true}),
                   withFlags(field(0, "Town", "City", 1, 35, 60), {.rDots = true, .count = true}),
                   field(0, "Born", "Birthday", 2, 5, 20)});
}

const QString kCyrillic = QStringLiteral("Отчёт");

// Types any text, one key event a character, as a keyboard layout would.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class TestUserWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // After "Make Report" the bound controls edit the highlighted field.
    void makeReportKeepsTheHighlightedField()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        selectFields(w, {"Company", "LastName", "City"});
        nextUntil(w, control<QWidget>(w, "Page10"));
        QCOMPARE(entriesOf(control<QListWidget>(w, "LBFieldDefs")),
                 (QStringList{"Company", "LastName", "City"}));
        QVERIFY(WizardRoad::clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("LastName"));

        QVERIFY(makeReport(w, {QStringLiteral("staff")}));
        QCOMPARE(f.platform.texts().last(), QStringLiteral("Report successfully created."));
        QCOMPARE(control<QListWidget>(w, "LBFieldDefs")->currentRow(), 1);
        QCOMPARE(w.TblCRData.asString(QStringLiteral("Field")), QStringLiteral("LastName"));
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("LastName"));

        // What the user now types and ticks goes to the highlighted field.
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "DBEdit1"), QStringLiteral("Surname"));
        QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_Tab);
        clickCheck(control<QCheckBox>(w, "cbDotLead"));
        QCOMPARE(rowOf(QStringLiteral("LastName")).f.header, QStringLiteral("Surname"));
        QVERIFY(rowOf(QStringLiteral("LastName")).f.lDots);
        QCOMPARE(rowOf(QStringLiteral("City")).f.header, QStringLiteral("City"));
        QVERIFY(!rowOf(QStringLiteral("City")).f.lDots);

        // "Check Columns" on the way back leaves the highlight's row too.
        prior(w);
        QTest::mouseClick(control<QPushButton>(w, "BtnCheck"), Qt::LeftButton);
        QCOMPARE(w.TblCRData.asString(QStringLiteral("Field")), QStringLiteral("LastName"));
    }

    // Modify, then change the selection: the rows of the fields that stay
    // keep what was loaded; a deselected field goes, a new one is fresh.
    void changingTheSelectionKeepsLoadedRows()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), loadedReport()));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("old.rpt"))
                    .done);
        nextUntil(w, control<QWidget>(w, "Page6"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        clickPick(control<TPickList>(w, "PickContactField"), QStringLiteral("LastName")); // added
        clickPick(control<TPickList>(w, "PickContactField"),
                  QStringLiteral("Birthday")); // deselected
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));

        QStringList fields;
        for (const TableRow& r : workingRows())
            fields << r.f.field;
        fields.sort();
        QCOMPARE(fields, (QStringList{"City", "Company", "LastName"}));
        const TableRow company = rowOf(QStringLiteral("Company"));
        QCOMPARE(company.f.header, QStringLiteral("Firm"));
        QVERIFY(company.f.lDots && company.f.count && !company.f.rDots);
        QCOMPARE(company.f.lPosition, std::optional<int>(3));
        const TableRow city = rowOf(QStringLiteral("City"));
        QCOMPARE(city.f.header, QStringLiteral("Town"));
        QVERIFY(city.f.rDots && city.f.count);
        const TableRow added = rowOf(QStringLiteral("LastName"));
        QCOMPARE(added.f.header, QStringLiteral("LastName"));
        QVERIFY(!added.f.lDots && !added.f.rDots && !added.f.count);

        // The layout changed, so "Column Widths" computes fresh positions;
        // the written report still carries the loaded headers and flags.
        nextUntil(w, control<QWidget>(w, "Page10"));
        QCOMPARE(widths(w).value(0), (QStringList{"Company", "1", "1", "37"}));
        f.platform.queueAnswer(Answer::Yes);
        control<QPushButton>(w, "btMakeReport")->click();
        const QByteArray written = readAll(f.dataPath(QStringLiteral("old.rpt")));
        QVERIFY(written.contains("\r\nFirm\r\nCompany\r\n"));
        QVERIFY(written.contains("\r\nTown\r\nCity\r\n"));
        QVERIFY(!written.contains("Birthday"));
    }

    // Positions typed on "Column Widths" come back after Previous and Next
    // as long as the layout they were made for stands.
    void typedPositionsSurviveAStepBack()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        selectFields(w, {"Company", "LastName", "City"});
        nextUntil(w, control<QWidget>(w, "Page9"));
        QCOMPARE(widths(w).value(1), (QStringList{"LastName", "1", "25", "48"}));
        typeCell(control<QTableWidget>(w, "sgCol"), 1, 2, QStringLiteral("30"));
        typeCell(control<QTableWidget>(w, "sgCol"), 1, 3, QStringLiteral("44"));
        const QList<QStringList> typed = widths(w);
        next(w); // Page10 stores them

        prior(w); // Page9 again
        QCOMPARE(widths(w), typed);
        prior(w); // Page8
        next(w);  // Page9
        QCOMPARE(widths(w), typed);
        next(w);
        QCOMPARE(rowOf(QStringLiteral("LastName")).f.lPosition, std::optional<int>(30));

        // Another column count: the defaults for the new layout.
        prior(w);
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_Down);
        next(w);
        QCOMPARE(widths(w).value(1), (QStringList{"LastName", "1", "38", "74"}));
    }

    // In Modify a column count changed from the keyboard reaches the report
    // like one changed with the mouse; the count the loader sets does not.
    void keyboardColumnCountCounts_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("untouched") << false;
        QTest::newRow("arrow key") << true;
    }
    void keyboardColumnCountCounts()
    {
        QFETCH(bool, byKeyboard);
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), loadedReport()));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("old.rpt"))
                    .done);
        QVERIFY(!w.FieldsChanged);
        nextUntil(w, control<QWidget>(w, "Page8"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 2);
        if (byKeyboard) {
            // The selection dialog has gone; the wizard is the active window.
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            control<BoundedSpinBox>(w, "SpinCol")->setFocus();
            QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_Up);
            QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 3);
        }
        QCOMPARE(w.FieldsChanged, byKeyboard);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        if (byKeyboard) {
            QCOMPARE(widths(w), (QList<QStringList>{{"Company", "1", "1", "24"},
                                                    {"City", "1", "25", "48"},
                                                    {"Birthday", "1", "49", "72"}}));
        } else {
            QCOMPARE(widths(w), (QList<QStringList>{{"Company", "1", "3", "30"},
                                                    {"City", "1", "35", "60"},
                                                    {"Birthday", "2", "5", "20"}}));
        }
    }

    // A loaded description longer than 30 characters is kept whole on every
    // road, and never lets the user type more than 30.
    void longLoadedDescription_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::newRow("modify, no, new name") << false;
        QTest::newRow("copy") << true;
    }
    void longLoadedDescription()
    {
        QFETCH(bool, copy);
        const QString longText = QStringLiteral("A description of forty characters, long");
        QCOMPARE(longText.size(), 39);
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(
            WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), loadedReport(longText)));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w,
                               copy ? control<QRadioButton>(w, "RbCopy")
                                    : control<QRadioButton>(w, "RbModify"),
                               QStringLiteral("old.rpt"))
                    .done);
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), longText);

        // Typing at the end does not lengthen it.
        nextUntil(w, control<QWidget>(w, "Page4"));
        control<QLineEdit>(w, "EdDescription")->setFocus();
        control<QLineEdit>(w, "EdDescription")->end(false);
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("xyz"));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), longText);

        nextUntil(w, control<QWidget>(w, "Page10"));
        if (!copy)
            f.platform.queueAnswer(Answer::No);
        QString inDialog;
        bool named = false;
        WizardFixture::withModal(
            [&] { control<QPushButton>(w, "btMakeReport")->click(); },
            [&](QWidget* modal) {
                if (!modal)
                    return;
                inDialog = modal->findChild<QLineEdit*>(QStringLiteral("EdDescription"))->text();
                auto* name = modal->findChild<QLineEdit*>(QStringLiteral("EdFileName"));
                QTest::keyClicks(name, QStringLiteral("copy1"));
                QTest::mouseClick(button(modal, "BitBtn2"), Qt::LeftButton);
                named = !modal->isVisible();
            });
        QVERIFY(named);
        QCOMPARE(inDialog, longText);
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), longText);
        const QByteArray written = readAll(f.dataPath(QStringLiteral("copy1.rpt")));
        QVERIFY(written.startsWith(longText.toLatin1() + "\r\n"));

        // A new report afterwards: a typed description is at most 30. (Back
        // past Page3 the selection dialog opens again; it is cancelled.)
        for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page1");
             ++i) {
            if (control<QStackedWidget>(w, "Notebook1")->currentWidget() ==
                control<QWidget>(w, "Page3")) {
                WizardFixture::withModal([&] { prior(w); },
                                         [](QWidget* modal) {
                                             if (modal)
                                                 QTest::mouseClick(button(modal, "BtnCancel"),
                                                                   Qt::LeftButton);
                                         });
            } else {
                prior(w);
            }
        }
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        newReportToSelection(w, QString(40, QLatin1Char('d')));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QString(30, QLatin1Char('d')));
    }

    // Text that a report file cannot hold is refused where it is typed,
    // with the message "Make Report" would give.
    void unwritableDescriptionStaysOnItsPage()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
        nextUntil(w, control<QWidget>(w, "Page4"));
        typeText(control<QLineEdit>(w, "EdDescription"), kCyrillic);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QCOMPARE(w.CurrentPage, 3);
        QCOMPARE(f.platform.texts(), QStringList{*ReportFile::checkDescription(kCyrillic)});
        QVERIFY(f.platform.texts().first().contains(QStringLiteral("Windows-1252")));
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY(control<QLineEdit>(w, "EdDescription")->hasFocus());

        control<QLineEdit>(w, "EdDescription")->selectAll();
        typeText(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Caf\u00e9 \u20ac report"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page5"));
        QCOMPARE(f.platform.boxes.size(), 1);
    }

    void unwritableHeaderIsRefusedOnLeavingTheBox()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        selectFields(w, {"Company", "City"});
        nextUntil(w, control<QWidget>(w, "Page10"));
        QVERIFY(WizardRoad::clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1));
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        typeText(control<QLineEdit>(w, "DBEdit1"), kCyrillic);
        QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_Tab);
        QTRY_COMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.texts().first(),
                 *ReportFile::checkHeader(QStringLiteral("City"), kCyrillic));
        QVERIFY(f.platform.texts().first().startsWith(
            QStringLiteral("The column header of field \"City\" contains")));
        // The stored header is shown again, and nothing was stored.
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("City"));
        QCOMPARE(rowOf(QStringLiteral("City")).f.header, QStringLiteral("City"));
        QCOMPARE(w.TblCRData.state(), Table::State::Browse);
    }

    // No default position lies past the printable width when the layout
    // loses fields; the layout's message stays.
    void defaultPositionsStayOnThePage_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::newRow("37 fields in 2 columns") << 37 << 2;
        QTest::newRow("19 fields in 1 column") << 19 << 1;
    }
    void defaultPositionsStayOnThePage()
    {
        QFETCH(int, count);
        QFETCH(int, columns);
        WizardFixture f;
        f.makeHostTables();
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB")));
        QList<FieldDef> fields;
        for (int i = 1; i <= count; ++i)
            fields << field(QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')), FieldType::Alpha,
                            10);
        ParadoxWriter::writeTable(f.dataPath(QStringLiteral("CONTACT.DB")), fields, 0, {});
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        for (int i = 0; i < control<TPickList>(w, "PickContactField")->count(); ++i) {
            if (control<TPickList>(w, "PickContactField")
                    ->item(i)
                    ->text()
                    .startsWith(QLatin1Char('F')))
                control<TPickList>(w, "PickContactField")->setItemSelected(i, true);
        }
        nextUntil(w, control<QWidget>(w, "Page8"));
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        control<BoundedSpinBox>(w, "SpinCol")->selectAll();
        QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"), QString::number(columns));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QTRY_VERIFY(
            f.platform.texts().contains(QStringLiteral("You cannot have more than 18 fields!")));
        const QList<QStringList> rows = widths(w);
        QCOMPARE(rows.size(), count);
        for (const QStringList& row : rows) {
            const int left = row.at(2).toInt();
            const int right = row.at(3).toInt();
            QVERIFY2(left >= 1 && left <= right && right <= 75, qPrintable(row.join(u' ')));
        }
    }

    // ---- The same roads with the desktop's own boxes ----------------------

    // A header refused on leaving the box: the box runs its own loop after
    // the focus has moved, and the user goes on editing.
    void refusedHeaderInARealBox()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        selectFields(w, {"Company", "City"});
        nextUntil(w, control<QWidget>(w, "Page10"));
        RealMessageBoxes boxes;
        QVERIFY(WizardRoad::clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1));
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        typeText(control<QLineEdit>(w, "DBEdit1"), kCyrillic);
        // Leaving by a click on another field.
        QVERIFY(WizardRoad::clickEntry(control<QListWidget>(w, "LBFieldDefs"), 0));
        QVERIFY(boxes.waitFor(1));
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.texts().first(),
                 *ReportFile::checkHeader(QStringLiteral("City"), kCyrillic));
        QCOMPARE(control<QListWidget>(w, "LBFieldDefs")->currentRow(), 0);
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Company"));
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "DBEdit1"), QStringLiteral("Firm"));
        QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_Return);
        QCOMPARE(rowOf(QStringLiteral("Company")).f.header, QStringLiteral("Firm"));
        QCOMPARE(rowOf(QStringLiteral("City")).f.header, QStringLiteral("City"));
        QCOMPARE(boxes.seen.size(), 1);
    }

    // The memo rule refuses a click in a pick list: the box runs its own
    // loop in the middle of the list's mouse handling, and the list goes on
    // working.
    void pickListInARealBox()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
        next(w);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
        next(w);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
        next(w);
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Calls"));
        nextUntil(w, control<QWidget>(w, "Page4_5"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustNo"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));

        RealMessageBoxes boxes;
        clickPick(control<TPickList>(w, "PickEventField"), QStringLiteral("Phone call notes"));
        clickPick(control<TPickList>(w, "PickContactField"), QStringLiteral("Memo"));
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("You cannot choose both memo fields (1)")});
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QVERIFY(!WizardRoad::selected(control<TPickList>(w, "PickContactField"))
                     .contains(QStringLiteral("Memo")));
        clickPick(control<TPickList>(w, "PickContactField"), QStringLiteral("Company"));
        QCOMPARE(WizardRoad::selected(control<TPickList>(w, "PickContactField")),
                 QStringList{"Company"});
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        QCOMPARE(entriesOf(control<QListWidget>(w, "lbAllFields")),
                 (QStringList{"Company", "Phone call notes"}));
    }

    // The layout's message from the column count box, set with a click on
    // its arrow and from the keyboard: the box runs its own loop in the
    // middle of the spin box's handling, and the count does not run on.
    void columnCountInARealBox()
    {
        WizardFixture f;
        f.makeHostTables();
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB")));
        QList<FieldDef> fields;
        for (int i = 1; i <= 19; ++i)
            fields << field(QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')), FieldType::Alpha,
                            10);
        ParadoxWriter::writeTable(f.dataPath(QStringLiteral("CONTACT.DB")), fields, 0, {});
        TFrmCReport& w = f.open();
        newReportToSelection(w);
        for (int i = 0; i < control<TPickList>(w, "PickContactField")->count(); ++i) {
            if (control<TPickList>(w, "PickContactField")
                    ->item(i)
                    ->text()
                    .startsWith(QLatin1Char('F')))
                control<TPickList>(w, "PickContactField")->setItemSelected(i, true);
        }
        nextUntil(w, control<QWidget>(w, "Page8"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 19);
        control<BoundedSpinBox>(w, "SpinCol")->setValue(2);

        RealMessageBoxes boxes;
        // A click on the down arrow: 2 -> 1 column, 19 rows.
        QStyleOptionSpinBox option;
        option.initFrom(control<BoundedSpinBox>(w, "SpinCol"));
        option.subControls = QStyle::SC_SpinBoxDown;
        option.stepEnabled = QAbstractSpinBox::StepDownEnabled | QAbstractSpinBox::StepUpEnabled;
        const QRect down = control<BoundedSpinBox>(w, "SpinCol")
                               ->style()
                               ->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown,
                                                control<BoundedSpinBox>(w, "SpinCol"));
        QTest::mouseClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::LeftButton, Qt::NoModifier,
                          down.center());
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("You cannot have more than 18 fields!")});
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QTest::qWait(600); // longer than the spin box's repeat delay
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("18"));

        // From the keyboard: up to 2 (fits), back to 1 (the message again).
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        control<BoundedSpinBox>(w, "SpinCol")->setFocus();
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_Up);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("10"));
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_Down);
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(boxes.seen.size(), 2);
    }

    void emptyDescriptionInARealBox()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        RealMessageBoxes boxes;
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
        nextUntil(w, control<QWidget>(w, "Page4"));
        control<QLineEdit>(w, "EdDescription")->clear();
        QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("You must enter a description.")});
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        typeText(control<QLineEdit>(w, "EdDescription"), kCyrillic);
        QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(boxes.texts().last(), *ReportFile::checkDescription(kCyrillic));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
    }

    // With TV_SCREENSHOT_DIR set (and a real screen, as under Xvfb), saves
    // the screen with the refusal boxes open over the pages and dialogs.
    void screenshots()
    {
        if (Screenshots::folder().isEmpty())
            QSKIP("TV_SCREENSHOT_DIR is not set");
        auto screen = [&](const QString& name) { QVERIFY(Screenshots::saveScreen(name)); };
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), loadedReport()));
        TFrmCReport& w = f.open();
        RealMessageBoxes boxes;
        QString shot;
        boxes.onBox = [&](QMessageBox* box) {
            if (shot.isEmpty())
                return;
            QTest::qWait(100);
            box->repaint();
            screen(shot);
            shot.clear();
        };

        WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
        nextUntil(w, control<QWidget>(w, "Page4"));
        control<QLineEdit>(w, "EdDescription")->clear();
        typeText(control<QLineEdit>(w, "EdDescription"), kCyrillic);
        shot = QStringLiteral("page4-refused");
        next(w);
        QVERIFY(boxes.waitFor(1));
        control<QLineEdit>(w, "EdDescription")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Staff"));
        nextUntil(w, control<QWidget>(w, "Page4_5"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustNo"));
        next(w);
        selectFields(w, {"Company", "LastName", "City"});
        nextUntil(w, control<QWidget>(w, "Page9"));
        typeCell(control<QTableWidget>(w, "sgCol"), 1, 2, QStringLiteral("30"));
        next(w);
        prior(w);
        QTest::qWait(50);
        screen(QStringLiteral("page9-typed-positions-kept"));
        next(w);
        QVERIFY(WizardRoad::clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1));
        control<QLineEdit>(w, "DBEdit1")->setFocus();
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        typeText(control<QLineEdit>(w, "DBEdit1"), kCyrillic);
        shot = QStringLiteral("page10-header-refused");
        QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_Tab);
        QVERIFY(boxes.waitFor(2));

        // The column editor over the loaded report, with a refused line.
        TFrmColumn editor(&w);
        editor.openTable(QStringLiteral("VESKA"));
        editor.setReportName(QStringLiteral("Staff"));
        editor.setMargin(75);
        editor.show();
        QApplication::setActiveWindow(&editor); // no window manager under Xvfb
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* grid = editor.findChild<QTableWidget*>(QStringLiteral("DBGrid1"));
        shot = QStringLiteral("column-editor-refused");
        grid->setFocus();
        grid->setCurrentCell(0, 1);
        QTest::keyClick(grid, Qt::Key_F2);
        auto* cell = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(cell);
        cell->selectAll();
        QTest::keyClicks(cell, QStringLiteral("10"));
        QTest::keyClick(cell, Qt::Key_Return);
        QVERIFY(boxes.waitFor(3));
        QTest::mouseClick(control<QPushButton>(editor, "BtnCancel"), Qt::LeftButton);

        // The naming dialog keeps a long description whole.
        TFrmFilename naming(QStringLiteral("A description of forty characters, long"), &w);
        naming.show();
        QApplication::setActiveWindow(&naming);
        QVERIFY(QTest::qWaitForWindowExposed(&naming));
        QTest::qWait(50);
        screen(QStringLiteral("report-name-long-description"));
        naming.reject();
    }
};

QTEST_MAIN(TestUserWork)
#include "tst_userwork.moc"
