// The five operations of the wizard's first page, each from the first page
// to its end, as a user clicks them: create a report, modify it (overwrite
// or save under a new name), copy it, edit its column positions, delete it.
#include "Controls.h"
#include "GoldenFile.h"
#include "ReportRoads.h"

#include "forms/wizard/BoundedSpinBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QRect>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTest>
#include <QWidget>

using namespace Roads;

namespace {

// Presses Next until the page is shown (at most ten times).
void nextUntil(TFrmCReport& w, QWidget* page)
{
    for (int i = 0; i < 10 && control<QStackedWidget>(w, "Notebook1")->currentWidget() != page; ++i)
        next(w);
}

// Clicks an entry of a plain list where the user would.
void clickEntry(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
}

// Clicks a check box where the user would: on its indicator.
void clickBox(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

// A report with a detail-level field, contact fields, an event field of the
// kind, every flag set somewhere and a field without positions.
QByteArray reportOfKind(const QString& description, const QString& order, const QString& kind,
                        const QString& eventCaption, const QString& width = QStringLiteral("110"))
{
    QList<ReportFileField> fields = {
        withFlags(field(0, "CustomID", "CustomID", 1, 1, 10), {.lDots = true, .count = true}),
        withFlags(field(0, "Company name", "Company", 1, 12, 40),
                  {.rDots = true, .total = true, .average = true}),
    };
    if (!eventCaption.isEmpty())
        fields << withFlags(field(1, eventCaption, "EventDate", 1, 42, 60),
                            {.count = true, .min = true, .max = true});
    fields << withFlags(field(0, "Town", "City", 2, std::nullopt, std::nullopt),
                        {.lDots = true, .rDots = true});
    fields << withFlags(field(0, "Notes", "Memo", 2, 42, 100),
                        {.total = true, .count = true, .average = true, .min = true, .max = true});
    return report(description, order, kind, width, fields);
}

} // namespace

class TestOperations : public QObject
{
    Q_OBJECT

    static QStringList entries(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // Each operation but create opens the selection dialog with its title;
    // Cancel there leaves the wizard on the first page.
    void selectionTitles_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("title");
        QTest::newRow("modify") << "RbModify"
                                << "Modify an Existing Report";
        QTest::newRow("copy") << "RbCopy"
                              << "Modify an Existing Report";
        QTest::newRow("column positions") << "RBColumn"
                                          << "Modify an Existing Report";
        QTest::newRow("delete") << "RbDelete"
                                << "Delete an Existing Report";
    }
    void selectionTitles()
    {
        QFETCH(QString, operation);
        QFETCH(QString, title);
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath("one.rpt"), "One\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        const Seen seen = startOperation(w, w.findChild<QRadioButton*>(operation), QString());
        QCOMPARE(seen.title, QStringLiteral("Select A Report"));
        QCOMPARE(seen.label, title);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
        QCOMPARE(readAll(f.dataPath("one.rpt")), QByteArray("One\r\nContact\r\n"));
    }

    // A new report through every page, named in the naming dialog after two
    // refused names: the file is, byte for byte, the 31-line example of the
    // weekly events report.
    void createWeeklyEvents()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath("taken.rpt"), "Taken\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        QVERIFY(control<QRadioButton>(w, "RBCreate")->isChecked());
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbDateOrdered"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QVERIFY(control<QRadioButton>(w, "RBEvent")->isChecked());
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), "Weekly events");
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page5"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbAmLan"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 110);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4_5"));
        QVERIFY(control<QRadioButton>(w, "rbCustYes")->isChecked());
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        clickPick(control<TPickList>(w, "PickEventField"), QStringLiteral("Event date"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")),
                 QStringList({"CustomID", "Event date"}));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->rowCount(), 2);
        const QStringList cells[] = {{"1", "1", "25"}, {"1", "26", "67"}};
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                QTableWidgetItem* item = control<QTableWidget>(w, "sgCol")->item(r, c + 1);
                QVERIFY(item);
                item->setText(cells[r][c]);
            }
        }
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QCOMPARE(entries(control<QListWidget>(w, "LBFieldDefs")),
                 QStringList({"CustomID", "Event date"}));
        clickEntry(control<QListWidget>(w, "LBFieldDefs"), 1);
        QCOMPARE(control<QLineEdit>(w, "DBEdit1")->text(), QStringLiteral("Event date"));
        clickBox(control<QCheckBox>(w, "cbDotLead"));
        QVERIFY(control<QCheckBox>(w, "cbDotLead")->isChecked());
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isVisible());
        clickBox(control<QCheckBox>(w, "DBCBCount"));
        QVERIFY(control<QCheckBox>(w, "DBCBCount")->isChecked());
        QVERIFY(f.platform.boxes.isEmpty());

        QVERIFY(makeReport(w, {"rep 1", "Taken", "weekly"}));
        QCOMPARE(f.platform.texts(),
                 QStringList({"Filename contains illegal characters.\rYou must use letters and "
                              "digits only.\rPlease re-try.",
                              "Filename already exists. Choose another.",
                              "Report successfully created."}));
        QCOMPARE(f.platform.boxes.last().icon, Platform::Icon::Information);
        const QByteArray golden = readAll(goldenFile(QStringLiteral("golden/weekly.rpt")));
        QVERIFY(!golden.isEmpty());
        QCOMPARE(readAll(f.dataPath("weekly.rpt")), golden);
        QCOMPARE(golden.count("\r\n"), 31);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QCOMPARE(readAll(f.dataPath("taken.rpt")), QByteArray("Taken\r\nContact\r\n"));

        // Cancel in the naming dialog writes nothing and says nothing.
        f.platform.clear();
        QVERIFY(QFile::remove(f.dataPath("weekly.rpt")));
        QVERIFY(makeReport(w));
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(reportFiles(f), QStringList{"taken.rpt"});
    }

    // Writing, loading and writing again gives the same bytes, for every
    // kind of report, by both roads that write a loaded report again: the
    // column editor's OK and "Modify" through every page, answered Yes.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("throughEditor");
        struct Kind
        {
            const char* order;
            const char* kind;
            const char* caption;
        };
        const Kind kinds[] = {
            {"Contact", "Contact", ""},           {"Contact", "Event", "Event date"},
            {"Contact", "Note", "Note Date"},     {"Contact", "Call", "Phone call date"},
            {"Contact", "Letter", "Letter date"}, {"Contact", "Meeting", "Meeting date"},
            {"Contact", "TO-DO", "To-do date"},   {"Contact", "Sale", "Sale date"},
            {"Contact", "Quote", "Quote date"},   {"Calendar", "Event", "Event date"},
        };
        for (bool editor : {true, false}) {
            for (const Kind& k : kinds) {
                const QByteArray bytes = reportOfKind(QStringLiteral("Round trip"), k.order, k.kind,
                                                      QString::fromUtf8(k.caption));
                QTest::addRow("%s %s, %s", k.order, k.kind, editor ? "column editor" : "modify")
                    << bytes << editor;
            }
        }
        // Written by another program: longer than the box takes when typed.
        QTest::newRow("long description, column editor")
            << reportOfKind("A description of forty-two characters ...", "Contact", "Contact", "")
            << true;
        QTest::newRow("custom width, modify")
            << reportOfKind("Odd width", "Contact", "Call", "Phone call date", "93") << false;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, throughEditor);

        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath("trip.rpt"), bytes));
        TFrmCReport& w = f.open();
        if (throughEditor) {
            bool editorSeen = false;
            startOperation(w, control<QRadioButton>(w, "RBColumn"), "trip.rpt",
                           [&](QWidget* editor) {
                               editorSeen = editor != nullptr;
                               if (editor)
                                   QTest::mouseClick(button(editor, "BtnOK"), Qt::LeftButton);
                           });
            QVERIFY(editorSeen);
            QCOMPARE(f.platform.texts(), QStringList{"Report successfully modified."});
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
        } else {
            QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), "trip.rpt").done);
            nextUntil(w, control<QWidget>(w, "Page10"));
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page10"));
            QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join('|')));
            f.platform.queueAnswer(Answer::Yes);
            QVERIFY(!clickWithoutDialog(control<QPushButton>(w, "btMakeReport")));
            QCOMPARE(f.platform.texts(),
                     QStringList({"Do you want to overwrite the existing report?",
                                  "Report successfully created."}));
        }
        QCOMPARE(readAll(f.dataPath("trip.rpt")), bytes);
        QCOMPARE(reportFiles(f), QStringList{"trip.rpt"});
    }

    // Modify: Yes overwrites the picked report with the changes; No asks
    // for a name, and Cancel there writes nothing; No and a new name leave
    // the picked report as it was.
    void modifyAnswers_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("newName");
        QTest::newRow("yes") << Answer::Yes << QString();
        QTest::newRow("no, then cancel") << Answer::No << QString();
        QTest::newRow("no, then a new name") << Answer::No << "renamed";
    }
    void modifyAnswers()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, newName);

        WizardFixture f;
        prepare(f);
        const QByteArray before = reportOfKind("Mine", "Contact", "Call", "Phone call date");
        // On a case-sensitive disk the listed name is lower case.
        QVERIFY(WizardFixture::write(f.dataPath("MINE.RPT"), before));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbModify"), "mine.rpt").done);
        QCOMPARE(w.ReportFile, QStringLiteral("mine.rpt"));
        nextUntil(w, control<QWidget>(w, "Page10"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        // A new column header for the first field.
        clickEntry(control<QListWidget>(w, "LBFieldDefs"), 0);
        control<QLineEdit>(w, "DBEdit1")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "DBEdit1"), "Customer");
        f.platform.queueAnswer(answer);
        const bool named = makeReport(w, newName.isEmpty() ? QStringList() : QStringList{newName});
        QCOMPARE(named, answer == Answer::No);
        QCOMPARE(f.platform.texts().first(),
                 QStringLiteral("Do you want to overwrite the existing report?"));

        QByteArray changed = before;
        changed.replace("0\r\n..............................\r\n\r\nCustomID\r\n",
                        "0\r\n..............................\r\n\r\nCustomer\r\n");
        QVERIFY(changed != before);
        if (answer == Answer::Yes) {
            QCOMPARE(readAll(f.dataPath("MINE.RPT")), changed);
            QCOMPARE(reportFiles(f), QStringList{"MINE.RPT"});
        } else if (newName.isEmpty()) {
            QCOMPARE(f.platform.texts().size(), 1);
            QCOMPARE(readAll(f.dataPath("MINE.RPT")), before);
            QCOMPARE(reportFiles(f), QStringList{"MINE.RPT"});
        } else {
            QCOMPARE(readAll(f.dataPath("MINE.RPT")), before);
            QCOMPARE(readAll(f.dataPath(newName + ".rpt")), changed);
            QCOMPARE(w.ReportFile, f.dataPath(newName + ".rpt"));
        }
        const bool written = answer == Answer::Yes || !newName.isEmpty();
        QCOMPARE(f.platform.texts().contains(QStringLiteral("Report successfully created.")),
                 written);
    }

    // Copy always asks for a name; the description may change there; the
    // picked report is left as it was.
    void copyAsksForAName()
    {
        WizardFixture f;
        prepare(f);
        const QByteArray before = reportOfKind("Original", "Calendar", "Event", "Event date");
        QVERIFY(WizardFixture::write(f.dataPath("orig.rpt"), before));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, control<QRadioButton>(w, "RbCopy"), "orig.rpt").done);
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Original"));
        nextUntil(w, control<QWidget>(w, "Page10"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QVERIFY(makeReport(w, {"copy1"}, QStringLiteral("The copy")));
        QCOMPARE(f.platform.texts(), QStringList{"Report successfully created."});
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("The copy"));
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), QStringLiteral("The copy"));
        QCOMPARE(readAll(f.dataPath("orig.rpt")), before);
        QByteArray copy = before;
        copy.replace("Original\r\n", "The copy\r\n");
        QCOMPARE(readAll(f.dataPath("copy1.rpt")), copy);
    }

    // Column positions: the editor shows the report's name and width; OK
    // rewrites the file with the edited position, Cancel leaves it alone;
    // either way the wizard is back on the first page.
    void columnPositions_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void columnPositions()
    {
        QFETCH(bool, ok);
        WizardFixture f;
        prepare(f);
        const QByteArray before =
            reportOfKind("Columns", "Contact", "Meeting", "Meeting date", "100");
        QVERIFY(WizardFixture::write(f.dataPath("cols.rpt"), before));
        TFrmCReport& w = f.open();
        QString name, margin;
        bool edited = false;
        startOperation(w, control<QRadioButton>(w, "RBColumn"), "cols.rpt", [&](QWidget* editor) {
            if (!editor)
                return;
            name = editor->findChild<QLabel*>("LblReportName")->text();
            margin = editor->findChild<QLabel*>("LblMargin")->text();
            auto* grid = editor->findChild<QTableWidget*>("DBGrid1");
            // The company's right margin, 40, becomes 41.
            for (int r = 0; r < grid->rowCount(); ++r) {
                if (grid->item(r, 0)->text() == QLatin1String("Company")) {
                    grid->item(r, 3)->setText("41");
                    edited = true;
                }
            }
            QTest::mouseClick(button(editor, ok ? "BtnOK" : "BtnCancel"), Qt::LeftButton);
        });
        QVERIFY(edited);
        QCOMPARE(name, QStringLiteral("Columns"));
        QCOMPARE(margin, QStringLiteral("100"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(w.CurrentPage, 0);
        QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
        QByteArray after = before;
        after.replace("Company\r\n1\r\n12\r\n40\r\n", "Company\r\n1\r\n12\r\n41\r\n");
        QVERIFY(after != before);
        QCOMPARE(readAll(f.dataPath("cols.rpt")), ok ? after : before);
        QCOMPARE(f.platform.texts(),
                 ok ? QStringList{"Report successfully modified."} : QStringList{});
    }

    // The column editor's OK when the report cannot be written: the error
    // names the file, success is not claimed, the editor stays open.
    void columnEditorWriteFails()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath("cols.rpt"),
                                     reportOfKind("Columns", "Contact", "Contact", "")));
        TFrmCReport& w = f.open();
        bool stayedOpen = false;
        startOperation(w, control<QRadioButton>(w, "RBColumn"), "cols.rpt", [&](QWidget* editor) {
            if (!editor)
                return;
            // Something takes the report's place before OK.
            QFile::remove(f.dataPath("cols.rpt"));
            QDir(f.dataFolder).mkdir("cols.rpt");
            QTest::mouseClick(button(editor, "BtnOK"), Qt::LeftButton);
            stayedOpen = editor->isVisible();
            QTest::mouseClick(button(editor, "BtnCancel"), Qt::LeftButton);
        });
        QVERIFY(stayedOpen);
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY2(f.platform.texts().first().contains("cols.rpt"),
                 qPrintable(f.platform.texts().first()));
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY(QFileInfo(f.dataPath("cols.rpt")).isDir());
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
    }

    // Delete: No keeps the dialog open and the file; Yes deletes the file
    // and the wizard is back on the first page.
    void deleteAsksFirst()
    {
        WizardFixture f;
        prepare(f);
        QVERIFY(WizardFixture::write(f.dataPath("gone.rpt"), "Gone\r\nContact\r\n"));
        QVERIFY(WizardFixture::write(f.dataPath("kept.rpt"), "Kept\r\nContact\r\n"));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbDelete"));
        bool openAfterNo = false;
        bool existedAfterNo = false;
        WizardFixture::withModal([&] { next(w); },
                                 [&](QWidget* modal) {
                                     if (!modal || !selectRow(modal, "gone.rpt"))
                                         return;
                                     f.platform.queueAnswer(Answer::No);
                                     QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
                                     openAfterNo = modal->isVisible();
                                     existedAfterNo = QFile::exists(f.dataPath("gone.rpt"));
                                     f.platform.queueAnswer(Answer::Yes);
                                     QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
                                 });
        QVERIFY(openAfterNo);
        QVERIFY(existedAfterNo);
        QCOMPARE(f.platform.texts(), QStringList({"Do you want to delete the gone.rpt report?",
                                                  "Do you want to delete the gone.rpt report?"}));
        QCOMPARE(reportFiles(f), QStringList{"kept.rpt"});
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
    }
};

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
