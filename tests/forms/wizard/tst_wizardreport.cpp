// The wizard and its report files: loading a stored report into the pages
// and the working table, writing the report file from them, the refusals on
// the way, and "Check Columns".
#include "Controls.h"
#include "ReportRoads.h"

#include "engine/DatabaseError.h"
#include "forms/wizard/BoundedSpinBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Roads;

class TestWizardReport : public QObject
{
    Q_OBJECT

    // A fresh installation with the host tables and the working table.
    // Loads a report file through "Modify": Next on the first page, the
    // report picked in the selection dialog.
    static void loadThroughModify(WizardFixture& f, TFrmCReport& w, const QByteArray& bytes,
                                  const QString& name = QStringLiteral("test.rpt"))
    {
        QVERIFY(WizardFixture::write(f.dataPath(name), bytes));
        const Seen seen = startOperation(w, control<QRadioButton>(w, "RbModify"), name);
        QVERIFY(seen.done);
    }

    // The wizard set up to rewrite old.rpt from rows placed in the working
    // table, as after "Modify" (answered Yes when "Make Report" asks).
    static void prepareRewrite(WizardFixture& f, TFrmCReport& w)
    {
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("old.rpt")), "old\r\n"));
        QDir::setCurrent(f.dataFolder);
        w.WizardMode = QStringLiteral("MODIFY");
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        w.ReportFile = QStringLiteral("old.rpt");
    }

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // ---- Loading --------------------------------------------------------

    void loadHeader_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("orderButton");
        QTest::addColumn<QString>("kindButton");
        QTest::addColumn<QString>("paperButton");
        QTest::addColumn<int>("margin");

        QTest::newRow("calendar in lower case: the kind is Event whatever line 3 says")
            << "calendar"
            << "Sale"
            << "110"
            << "rbDateOrdered"
            << "RBEvent"
            << "RbAmLan" << 110;
        QTest::newRow("contact ordered sale") << "Contact"
                                              << "Sale"
                                              << "75"
                                              << "RbContactOrdered"
                                              << "rbSale"
                                              << "RBAmPor" << 75;
        QTest::newRow("to-do in lower case") << "CONTACT"
                                             << "to-do"
                                             << "77"
                                             << "RbContactOrdered"
                                             << "RbTodo"
                                             << "RbA4Por" << 77;
        QTest::newRow("quote, A4 landscape") << "Contact"
                                             << "Quote"
                                             << "115"
                                             << "RbContactOrdered"
                                             << "rbQuote"
                                             << "RBA4Lan" << 115;
        QTest::newRow("custom width") << "Contact"
                                      << "Call"
                                      << "100"
                                      << "RbContactOrdered"
                                      << "RbCall"
                                      << "RbOther" << 100;
        QTest::newRow("unknown keywords leave the buttons") << "Weekly"
                                                            << "Party"
                                                            << "110"
                                                            << "RbContactOrdered"
                                                            << "RBContact"
                                                            << "RbAmLan" << 110;
        QTest::newRow("width beyond the box's limit") << "Contact"
                                                      << "Contact"
                                                      << "250"
                                                      << "RbContactOrdered"
                                                      << "RBContact"
                                                      << "RbOther" << 200;
        QTest::newRow("no whole number as width") << "Contact"
                                                  << "Letter"
                                                  << "wide"
                                                  << "RbContactOrdered"
                                                  << "RBLetter"
                                                  << "RbOther" << 1;
    }
    void loadHeader()
    {
        QFETCH(QString, order);
        QFETCH(QString, kind);
        QFETCH(QString, width);
        QFETCH(QString, orderButton);
        QFETCH(QString, kindButton);
        QFETCH(QString, paperButton);
        QFETCH(int, margin);

        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        loadThroughModify(f, w, report(QStringLiteral("Loaded"), order, kind, width, {}));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Loaded"));
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), QStringLiteral("Loaded"));
        QVERIFY(w.findChild<QRadioButton*>(orderButton)->isChecked());
        QVERIFY(w.findChild<QRadioButton*>(kindButton)->isChecked());
        QVERIFY(w.findChild<QRadioButton*>(paperButton)->isChecked());
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), margin);
        // The custom-width panel shows exactly for a width that is no preset.
        QCOMPARE(control<QFrame>(w, "PnlPrint")->isVisibleTo(control<QWidget>(w, "Page5")),
                 paperButton == QLatin1String("RbOther"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->isEnabled(),
                 paperButton == QLatin1String("RbOther"));
        QCOMPARE(f.platform.boxes.size(), 0);
    }

    // The blocks become rows in file order; the detail level, the count
    // label, the field order and the column count follow them.
    void loadRows()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustNo"));
        QList<ReportFileField> fields = {
            field(0, QStringLiteral("CustomID"), QStringLiteral("CustomID"), 1, 1, 10),
            withFlags(
                field(0, QStringLiteral("Company name"), QStringLiteral("Company"), 1, 12, 40),
                {.lDots = true, .count = true}),
            withFlags(
                field(1, QStringLiteral("Event date"), QStringLiteral("EventDate"), 1, 42, 60),
                {.rDots = true, .min = true, .max = true}),
            field(0, QStringLiteral("City"), QStringLiteral("City"), 2, 12, 40),
            withFlags(field(1, QStringLiteral("Event notes"), QStringLiteral("Memo"), 2, 42, 90),
                      {.lDots = true,
                       .rDots = true,
                       .total = true,
                       .count = true,
                       .average = true,
                       .min = true,
                       .max = true}),
        };
        QByteArray bytes = report(QStringLiteral("Five fields"), QStringLiteral("Contact"),
                                  QStringLiteral("Event"), QStringLiteral("110"), fields);
        // Any text on a dot line sets the flag, not only full stops.
        bytes.replace("0\r\n..............................\r\n\r\nCompany name",
                      "0\r\nxx\r\n\r\nCompany name");
        QVERIFY(bytes.contains("xx\r\n"));
        loadThroughModify(f, w, bytes);

        const QList<TableRow> rows = workingRows();
        QCOMPARE(rows.size(), fields.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].f, fields[i]);
            QCOMPARE(rows[i].order, i + 1);
        }
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(4 Fields Selected)"));
        QVERIFY(control<QRadioButton>(w, "rbCustYes")->isChecked());
        QVERIFY(!control<QLabel>(w, "LblCustYes")->isHidden());
        QVERIFY(!control<QLabel>(w, "LblCustYes2")->isHidden());
        QVERIFY(control<QLabel>(w, "LblCustNo")->isHidden());
        QStringList order;
        for (int i = 0; i < control<QListWidget>(w, "lbAllFields")->count(); ++i)
            order << control<QListWidget>(w, "lbAllFields")->item(i)->text();
        // Event fields stand under their field names after loading.
        QCOMPARE(order, QStringList({"CustomID", "Company", "EventDate", "City", "Memo"}));
        QCOMPARE(w.SelectedCount, 5);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 3);
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void loadEmptyAndWithoutDetailLevel()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        QVERIFY(control<QRadioButton>(w, "rbCustYes")->isChecked());
        loadThroughModify(f, w,
                          report(QStringLiteral("Nothing"), QStringLiteral("Contact"),
                                 QStringLiteral("Contact"), QStringLiteral("75"), {}));
        QCOMPARE(workingRows().size(), 0);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->count(), 0);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(0 Fields Selected)"));
        QVERIFY(control<QRadioButton>(w, "rbCustNo")->isChecked());
        QVERIFY(control<QLabel>(w, "LblCustYes")->isHidden());
        QVERIFY(!control<QLabel>(w, "LblCustNo")->isHidden());
        QCOMPARE(w.SelectedCount, 0);
    }

    // A contacts-only report: the contact memo moves to the end of the
    // order list, the rows keep the file's order.
    void loadMovesTheMemoLast()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        loadThroughModify(
            f, w,
            report(QStringLiteral("Memo first"), QStringLiteral("Contact"),
                   QStringLiteral("Contact"), QStringLiteral("75"),
                   {field(0, QStringLiteral("Memo"), QStringLiteral("Memo"), 1, 1, 20),
                    field(0, QStringLiteral("City"), QStringLiteral("City"), 1, 22, 40)}));
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->count(), 2);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->item(0)->text(), QStringLiteral("City"));
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->item(1)->text(), QStringLiteral("Memo"));
        QCOMPARE(workingRows().at(0).f.field, QStringLiteral("Memo"));
    }

    // The pick lists show the loaded fields selected: contact fields by
    // name, event fields by their caption; a field the lists lack keeps its
    // row but selects nothing.
    void loadSelectsPickLists()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        loadThroughModify(
            f, w,
            report(QStringLiteral("Calls"), QStringLiteral("Contact"), QStringLiteral("Call"),
                   QStringLiteral("110"),
                   {field(0, QStringLiteral("City"), QStringLiteral("city"), 1, 1, 20),
                    field(0, QStringLiteral("Gone"), QStringLiteral("Vanished"), 1, 22, 30),
                    field(1, QStringLiteral("Phone call date"), QStringLiteral("EventDate"), 1, 32,
                          40)}));
        QCOMPARE(w.EventKind, QStringLiteral("CALL"));
        QCOMPARE(control<TPickList>(w, "PickContactField")->selectedItemCount(), 1);
        const int city =
            control<TPickList>(w, "PickContactField")->findItem(QStringLiteral("City"));
        QVERIFY(city >= 0);
        QVERIFY(control<TPickList>(w, "PickContactField")->isItemSelected(city));
        QCOMPARE(control<TPickList>(w, "PickEventField")->selectedItemCount(), 1);
        const int date =
            control<TPickList>(w, "PickEventField")->findItem(QStringLiteral("Phone call date"));
        QVERIFY(date >= 0);
        QVERIFY(control<TPickList>(w, "PickEventField")->isItemSelected(date));
        QCOMPARE(workingRows().size(), 3);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->item(1)->text(),
                 QStringLiteral("Vanished"));
    }

    // A file that cannot be loaded: one error that names the file, the line
    // and the field; back on the first page with the working table empty;
    // nothing written, the pages as they were.
    void badFileReturnsToFirstPage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("columnMode");

        const ReportFileField a =
            field(0, QStringLiteral("City"), QStringLiteral("City"), 1, 1, 20);
        const ReportFileField b =
            field(0, QStringLiteral("Company"), QStringLiteral("Company"), 1, 22, 40);
        auto rep = [](const QList<ReportFileField>& fields) {
            return report(QStringLiteral("Damaged"), QStringLiteral("Contact"),
                          QStringLiteral("Contact"), QStringLiteral("75"), fields);
        };
        QByteArray letter = rep({a, b});
        letter.replace("\r\n22\r\n", "\r\n2x\r\n");
        QTest::newRow("a letter in a position") << letter << 25 << "LPosition" << false;
        QByteArray maybe = rep({a});
        maybe.replace("20\r\nFALSE\r\n", "20\r\nmaybe\r\n");
        QTest::newRow("a flag that is no logical value") << maybe << 14 << "Total" << false;
        QTest::newRow("the same field twice") << rep({a, b, a}) << 36 << "Field" << false;
        ReportFileField unnamed = b;
        unnamed.field.clear();
        QTest::newRow("a field without a name") << rep({a, unnamed}) << 23 << "Field" << true;
        // The table refuses a header longer than its column after one row
        // went in: the table is emptied again.
        QTest::newRow("a file that ends in the middle of a block")
            << rep({a, b}).left(rep({a, b}).indexOf("Company")) << 23 << "Field" << true;
    }
    void badFileReturnsToFirstPage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, column);
        QFETCH(bool, columnMode);

        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Before"));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("bad.rpt")), bytes));
        auto editorOpened = std::make_shared<bool>(false);
        const Seen seen = startOperation(w,
                                         columnMode ? control<QRadioButton>(w, "RBColumn")
                                                    : control<QRadioButton>(w, "RbModify"),
                                         QStringLiteral("bad.rpt"), [editorOpened](QWidget* modal) {
                                             *editorOpened = modal != nullptr;
                                             if (modal)
                                                 modal->close();
                                         });
        QVERIFY(seen.done);
        QVERIFY(!*editorOpened);

        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(w.CurrentPage, 0);
        QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
        QVERIFY(control<QPushButton>(w, "BtnNext")->isEnabled());
        QCOMPARE(f.platform.boxes.size(), 1);
        const ScriptedPlatform::Box box = f.platform.boxes.first();
        QCOMPARE(box.icon, Platform::Icon::Error);
        QVERIFY2(box.text.contains(QStringLiteral("bad.rpt")), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("line %1").arg(line)), qPrintable(box.text));
        QVERIFY2(box.text.contains(column), qPrintable(box.text));
        QCOMPARE(workingRows().size(), 0);
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Before"));
        QCOMPARE(readAll(f.dataPath(QStringLiteral("bad.rpt"))), bytes);
        QCOMPARE(reportFiles(f), QStringList{"bad.rpt"});
        QVERIFY(!QApplication::overrideCursor());
    }

    // The picked report vanishes before it is loaded (another user deleted
    // it): one error naming the file, back on the first page.
    void vanishedReport()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(
            WizardFixture::write(f.dataPath(QStringLiteral("gone.rpt")), "Gone\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        WizardFixture::withModal([&] { next(w); },
                                 [&](QWidget* modal) {
                                     if (!modal || !selectRow(modal, QStringLiteral("gone.rpt")))
                                         return;
                                     QFile::remove(f.dataPath(QStringLiteral("gone.rpt")));
                                     QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
                                 });
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY2(f.platform.texts().first().contains(QStringLiteral("gone.rpt")),
                 qPrintable(f.platform.texts().first()));
        QVERIFY(reportFiles(f).isEmpty());
    }

    // Previous from "Report Information" back to "Report Type" starts the
    // operation afresh: the selection opens again and the report picked
    // there replaces the one loaded before, row for row.
    void previousLoadsAgain()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("first.rpt")),
                                     report("First", "Contact", "Contact", "75",
                                            {field(0, "City", "City", 1, 1, 20),
                                             field(0, "Company", "Company", 1, 22, 40)})));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("second.rpt")),
                                     report("Second", "Contact", "Call", "110",
                                            {field(0, "Company", "Company", 1, 1, 30),
                                             field(1, "Phone call date", "EventDate", 2, 1, 30)})));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("first.rpt"))
                    .done);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        WizardFixture::withModal([&] { prior(w); },
                                 [&](QWidget* modal) {
                                     if (modal && selectRow(modal, QStringLiteral("second.rpt")))
                                         QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
                                 });
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Second"));
        QVERIFY(control<QRadioButton>(w, "RbCall")->isChecked());
        const QList<TableRow> rows = workingRows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].f.field, QStringLiteral("Company"));
        QCOMPARE(rows[0].f.rPosition, 30);
        QCOMPARE(rows[1].f.field, QStringLiteral("EventDate"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
    }

    // ---- Writing --------------------------------------------------------

    // The file written from the pages and the rows, for the cases of the
    // file format that a new selection rarely produces.
    void writeFromRows_data()
    {
        QTest::addColumn<QString>("orderButton");
        QTest::addColumn<QString>("kindButton");
        QTest::addColumn<QString>("paperButton");
        QTest::addColumn<QList<ReportFileField>>("rows");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("contact ordered call report")
            << "RbContactOrdered"
            << "RbCall"
            << "RbAmLan" << QList<ReportFileField>{field(0, "City", "City", 1, 1, 20)}
            << QByteArray("Written\r\nContact\r\nCall\r\n110\r\n1\r\n"
                          "0\r\n\r\n\r\nCity\r\nCity\r\n1\r\n1\r\n20\r\n"
                          "FALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\n");
        QTest::newRow("trailer without leader, leader without trailer")
            << "rbDateOrdered"
            << "RBEvent"
            << "RBAmPor"
            << QList<ReportFileField>{withFlags(field(0, "City", "City", 1, 1, 20),
                                                {.rDots = true, .max = true}),
                                      withFlags(field(1, "Event date", "EventDate", 1, 22, 40),
                                                {.lDots = true, .total = true, .average = true})}
            << QByteArray("Written\r\nCalendar\r\nEvent\r\n75\r\n2\r\n"
                          "0\r\n\r\n..............................\r\nCity\r\nCity\r\n1\r\n1\r\n"
                          "20\r\nFALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\nTRUE\r\n"
                          "1\r\n..............................\r\n\r\nEvent date\r\nEventDate\r\n"
                          "1\r\n22\r\n40\r\nTRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\n");
        QTest::newRow("blank line, positions and type; odd header texts")
            << "RbContactOrdered"
            << "rbSale"
            << "RBA4Lan"
            << QList<ReportFileField>{field(std::nullopt, QStringLiteral(" Co. name. é"), "Company",
                                            std::nullopt, std::nullopt, std::nullopt)}
            << QByteArray("Written\r\nContact\r\nSale\r\n115\r\n1\r\n"
                          "\r\n\r\n\r\n Co. name. \xe9\r\nCompany\r\n\r\n\r\n\r\n"
                          "FALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\nFALSE\r\n");
        QTest::newRow("empty table") << "RbContactOrdered"
                                     << "RBContact"
                                     << "RbA4Por" << QList<ReportFileField>{}
                                     << QByteArray("Written\r\nContact\r\nContact\r\n77\r\n0\r\n");
    }
    void writeFromRows()
    {
        QFETCH(QString, orderButton);
        QFETCH(QString, kindButton);
        QFETCH(QString, paperButton);
        QFETCH(QList<ReportFileField>, rows);
        QFETCH(QByteArray, expected);

        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        prepareRewrite(f, w);
        control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Written"));
        w.findChild<QRadioButton*>(orderButton)->setChecked(true);
        w.findChild<QRadioButton*>(kindButton)->setChecked(true);
        w.findChild<QRadioButton*>(paperButton)->setChecked(true);
        QList<TableRow> tableRows;
        for (int i = 0; i < rows.size(); ++i)
            tableRows << TableRow{rows[i], i + 1};
        insertRows(tableRows);

        f.platform.queueAnswer(Answer::Yes);
        QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
        QCOMPARE(f.platform.texts(), QStringList({"Do you want to overwrite the existing report?",
                                                  "Report successfully created."}));
        QCOMPARE(readAll(f.dataPath(QStringLiteral("old.rpt"))), expected);
        QCOMPARE(reportFiles(f), QStringList{"old.rpt"});
    }

    // A field of line 2 follows every field of line 1, whatever its order.
    void writeInPrintOrder()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        prepareRewrite(f, w);
        insertRows({TableRow{field(0, "B", "B", 2, 1, 10), 1},
                    TableRow{field(0, "C", "C", 1, 30, 40), 3},
                    TableRow{field(0, "A", "A", 1, 1, 10), 2}});
        f.platform.queueAnswer(Answer::Yes);
        QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
        const QList<QByteArray> fileLines =
            readAll(f.dataPath(QStringLiteral("old.rpt"))).split('\n');
        QCOMPARE(fileLines.size(), 5 + 3 * 13 + 1);
        QCOMPARE(fileLines.at(5 + 4), QByteArray("A\r"));
        QCOMPARE(fileLines.at(5 + 13 + 4), QByteArray("C\r"));
        QCOMPARE(fileLines.at(5 + 26 + 4), QByteArray("B\r"));
    }

    // A description that Windows-1252 cannot hold is refused with a clear
    // message before anything is written: when typed on its page, before
    // the naming dialog opens; when typed in the naming dialog, after it.
    // (The working table itself refuses such column headers.) The euro
    // sign, which the character set holds, is written as 0x80.
    void refusedDescription_data()
    {
        QTest::addColumn<bool>("inNamingDialog");
        QTest::newRow("on its page") << false;
        QTest::newRow("in the naming dialog") << true;
    }
    void refusedDescription()
    {
        QFETCH(bool, inNamingDialog);

        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        w.WizardMode = QStringLiteral("CREATE");
        const QString refused = QStringLiteral("Ω report");
        control<QLineEdit>(w, "EdDescription")
            ->setText(inNamingDialog ? QStringLiteral("Fine") : refused);
        insertRows({TableRow{field(0, "City", "City", 1, 1, 20), 1}});
        if (inNamingDialog)
            QVERIFY(makeReport(w, {QStringLiteral("newrep")}, refused));
        else
            QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        const QString text = f.platform.boxes.first().text;
        QVERIFY2(text.contains(QStringLiteral("description")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Windows-1252")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Ω")), qPrintable(text));
        QVERIFY(reportFiles(f).isEmpty());
    }

    void euroSignIsWritten()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        prepareRewrite(f, w);
        control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Prices in €"));
        f.platform.queueAnswer(Answer::Yes);
        QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
        QVERIFY(readAll(f.dataPath(QStringLiteral("old.rpt"))).startsWith("Prices in \x80\r\n"));
    }

    // A write that fails half way (the file size limit of a child process is
    // hit) leaves the old report byte for byte, names the file and does not
    // claim success.
    void failedWriteKeepsOldReport()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        prepareRewrite(f, w);
        const QByteArray before = readAll(f.dataPath(QStringLiteral("old.rpt")));
        QList<TableRow> rows;
        for (int i = 1; i <= 20; ++i)
            rows << TableRow{field(0, QStringLiteral("Header %1").arg(i),
                                   QStringLiteral("F%1").arg(i), 1, i * 10, i * 10 + 5),
                             i};
        insertRows(rows);

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {256, 256};
            setrlimit(RLIMIT_FSIZE, &limit);
            f.platform.clear();
            f.platform.queueAnswer(Answer::Yes);
            control<QPushButton>(w, "btMakeReport")->click();
            const QStringList texts = f.platform.texts();
            // 0: one error naming the file after the question, no success.
            int code = 0;
            if (texts.size() != 2 || texts.contains(QStringLiteral("Report successfully created.")))
                code = 2;
            else if (!texts.at(1).contains(QStringLiteral("old.rpt")))
                code = 3;
            else if (f.platform.boxes.at(1).icon != Platform::Icon::Error)
                code = 4;
            _exit(code);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readAll(f.dataPath(QStringLiteral("old.rpt"))), before);
        QCOMPARE(QDir(f.dataFolder)
                     .entryList({QStringLiteral("*.rpt*"), QStringLiteral(".*rpt*")},
                                QDir::Files | QDir::Hidden),
                 QStringList{"old.rpt"});
    }

    // A report file that cannot be replaced: the error names it, nothing
    // claims success, and the wizard stays on its page.
    void unwritableReportIsReported()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        prepareRewrite(f, w);
        QVERIFY(QFile::remove(f.dataPath(QStringLiteral("old.rpt"))));
        QVERIFY(QDir(f.dataFolder).mkdir(QStringLiteral("old.rpt")));
        f.platform.queueAnswer(Answer::Yes);
        QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
        QCOMPARE(f.platform.boxes.size(), 2);
        QVERIFY(f.platform.texts().at(1).contains(QStringLiteral("old.rpt")));
        QCOMPARE(f.platform.boxes.at(1).icon, Platform::Icon::Error);
        QVERIFY(QFileInfo(f.dataPath(QStringLiteral("old.rpt"))).isDir());
        QVERIFY(!QApplication::overrideCursor());
    }

    // ---- Check Columns --------------------------------------------------

    // "Check Columns" on the "Column Widths" page checks the grid as the
    // user left it: the grid goes into the table first.
    void checkColumnsFromTheGrid()
    {
        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        loadThroughModify(f, w,
                          report("Grid", "Contact", "Contact", "75",
                                 {field(0, "City", "City", 1, 1, 20),
                                  field(0, "Company", "Company", 1, 22, 40)}));
        for (int i = 0; i < 10 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page9");
             ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->rowCount(), 2);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(1, 2)->text(), QStringLiteral("22"));
        QTest::mouseClick(control<QPushButton>(w, "BtnCheck"), Qt::LeftButton);
        QCOMPARE(f.platform.texts(), QStringList{"Columns appear OK."});

        f.platform.clear();
        control<QTableWidget>(w, "sgCol")->item(1, 2)->setText(QStringLiteral("15"));
        QTest::mouseClick(control<QPushButton>(w, "BtnCheck"), Qt::LeftButton);
        QCOMPARE(f.platform.texts(), QStringList{"There are overlaps for right margin 20"});
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Warning);
        QCOMPARE(workingRows().at(1).f.lPosition, 15);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
    }

    void checkColumns_data()
    {
        QTest::addColumn<QList<ReportFileField>>("rows");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("message");
        QTest::addColumn<Platform::Icon>("icon");

        QTest::newRow("apart") << QList<ReportFileField>{field(0, "A", "A", 1, 1, 25),
                                                         field(0, "B", "B", 1, 26, 50)}
                               << 75 << "Columns appear OK." << Platform::Icon::Information;
        QTest::newRow("touching") << QList<ReportFileField>{field(0, "A", "A", 1, 1, 25),
                                                            field(0, "B", "B", 1, 25, 50)}
                                  << 75 << "There are overlaps for right margin 25"
                                  << Platform::Icon::Warning;
        QTest::newRow("beyond the width")
            << QList<ReportFileField>{field(0, "A", "A", 1, 1, 76)} << 75
            << "RIGHT margin greater than Right margin MAX of 75" << Platform::Icon::Warning;
        QTest::newRow("left after right")
            << QList<ReportFileField>{field(0, "A", "A", 2, 40, 30)} << 75
            << "LEFT Margin is less than RIGHT margin" << Platform::Icon::Warning;
    }
    void checkColumns()
    {
        QFETCH(QList<ReportFileField>, rows);
        QFETCH(int, width);
        QFETCH(QString, message);
        QFETCH(Platform::Icon, icon);

        WizardFixture f;
        prepare(f);
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBAmPor"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), width);
        QList<TableRow> tableRows;
        for (int i = 0; i < rows.size(); ++i)
            tableRows << TableRow{rows[i], i + 1};
        insertRows(tableRows);
        control<QPushButton>(w, "BtnCheck")->click();
        QCOMPARE(f.platform.texts(), QStringList{message});
        QCOMPARE(f.platform.boxes.first().icon, icon);
    }
};

QTEST_MAIN(TestWizardReport)
#include "tst_wizardreport.moc"
