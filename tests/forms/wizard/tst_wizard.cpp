// The wizard window driven as a user drives it: the pages and their order,
// Next and Previous, the checks on the way, the bottom panel's buttons.
#include "Controls.h"
#include "WizardFixture.h"

#include "core/app/HelpFile.h"
#include "engine/DatabaseError.h"
#include "forms/app/HelpWidget.h"
#include "forms/app/WidgetPlatform.h"
#include "forms/controls/About.h"
#include "forms/controls/Picklist.h"
#include "forms/wizard/BoundedSpinBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSet>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWidget>

using Answer = Platform::Answer;

class TestWizard : public QObject
{
    Q_OBJECT

    static int page(const TFrmCReport& w)
    {
        return control<QStackedWidget>(w, "Notebook1")->currentIndex();
    }

    // Where Previous and Next stand on the page shown.
    static void verifyButtons(const TFrmCReport& w)
    {
        const int shown = page(w);
        QCOMPARE(w.CurrentPage, shown);
        QCOMPARE(control<QPushButton>(w, "BtnPrior")->isEnabled(), shown != 0);
        QCOMPARE(control<QPushButton>(w, "BtnNext")->isEnabled(), shown != 10);
    }

    static void next(TFrmCReport& w)
    {
        QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
    }
    static void prior(TFrmCReport& w)
    {
        QTest::mouseClick(control<QPushButton>(w, "BtnPrior"), Qt::LeftButton);
    }

    // A report file in the data folder, in the report file layout.
    static QByteArray reportFile(const QByteArray& description, const QByteArray& order,
                                 const QByteArray& kind)
    {
        return description + "\r\n" + order + "\r\n" + kind + "\r\n75\r\n0\r\n";
    }

    // Clicks OK in the selection dialog that is open.
    static void acceptSelection(QWidget* modal)
    {
        QVERIFY(modal);
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("BtnOk"));
        QVERIFY(ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    }

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    void startsOnTheFirstPage()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tallyvane Professional"));
        QCOMPARE(control<QLabel>(w, "Label1")->text(), QStringLiteral("Tallyvane Professional"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        verifyButtons(w);
        QCOMPARE(QApplication::focusWidget(),
                 static_cast<QWidget*>(control<QPushButton>(w, "BtnNext")));
        QVERIFY(control<QPushButton>(w, "BtnNext")->isDefault());
        QVERIFY(control<QRadioButton>(w, "RBCreate")->isChecked());
        QVERIFY(control<QRadioButton>(w, "RbContactOrdered")->isChecked());
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());
        QVERIFY(control<QRadioButton>(w, "rbCustYes")->isChecked());
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
        QVERIFY(w.WizardMode.isEmpty());
        QVERIFY(!w.FieldsChanged);
        QVERIFY(w.GridReady);
        QCOMPARE(w.SelectedCount, 0);
        QVERIFY(w.EventKind.isEmpty());
        QVERIFY(f.platform.boxes.isEmpty());
        // A fixed dialog frame with the system menu only.
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowSystemMenuHint);
        QCOMPARE(w.helpFile(), AppPaths::executableFolder() + QStringLiteral("creport.hlp"));
    }

    // The pages in their order, and every control a page carries, with the
    // texts the user reads.
    void pagesAndControls()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        const QStringList pages = {
            QStringLiteral("Page1"), QStringLiteral("Page2"), QStringLiteral("Page3"),
            QStringLiteral("Page4"), QStringLiteral("Page5"), QStringLiteral("Page4_5"),
            QStringLiteral("Page6"), QStringLiteral("Page7"), QStringLiteral("Page8"),
            QStringLiteral("Page9"), QStringLiteral("Page10")};
        QCOMPARE(::control<QStackedWidget>(w, "Notebook1")->count(), pages.size());
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(::control<QStackedWidget>(w, "Notebook1")->widget(i)->objectName(),
                     pages.at(i));

        struct Expect
        {
            const char* page;
            const char* name;
            const char* text;
        };
        const Expect controls[] = {
            {"Page1", "RBCreate", "&Create a New Report"},
            {"Page1", "RbModify", "&Modify an Existing Report"},
            {"Page1", "RbCopy", "Co&py and Modify an Existing Report"},
            {"Page1", "RBColumn", "Modify Column &Widths of an Existing Report"},
            {"Page1", "RbDelete", "&Delete an Existing Report"},
            {"Page2", "LblTitlePage2", "Report Type"},
            {"Page2", "RbContactOrdered", "Contact Ordered Report"},
            {"Page2", "rbDateOrdered", "Calendar/Date Ordered Report"},
            {"Page3", "LblTitlePage3", "Report Information"},
            {"Page3", "RBContact", "Contact Information Only"},
            {"Page3", "RBEvent", "Include Basic Event Fields"},
            {"Page3", "RBNote", "Include Note Fields"},
            {"Page3", "RbCall", "Include Call Event Fields"},
            {"Page3", "RBLetter", "Include Letter Event Fields"},
            {"Page3", "RbMeeting", "Include Meetings Event Fields"},
            {"Page3", "RbTodo", "Include To-do Fields"},
            {"Page3", "rbSale", "Include Sales Fields"},
            {"Page3", "rbQuote", "Include Quote Fields"},
            {"Page4", "LblTitlePage4", "Report Description"},
            {"Page5", "LblTitlePage5", "Paper Size"},
            {"Page5", "LblPaperHint", "Select the desired paper size for the report."},
            {"Page5", "RBAmPor", "Portrait Mode (8.5 inches x 11 inches)"},
            {"Page5", "RbAmLan", "Landscape Mode (11 inches x 8.5 inches)"},
            {"Page5", "RbA4Por", "A4 Portrait Mode (21 cm x 29.7 cm)"},
            {"Page5", "RBA4Lan", "A4 Landscape Mode (29.7 cm x 21.7 cm)"},
            {"Page5", "RbOther", "Other  Paper Size"},
            {"Page5", "LblTenths", "(in tenths of inches)"},
            {"Page4_5", "LblTitlePage4_5", "Detail Level"},
            {"Page4_5", "rbCustYes", "Yes, use Detail Level"},
            {"Page4_5", "rbCustNo", "No"},
            {"Page6", "LblTitlePage6", "Field Selection"},
            {"Page6", "LblEvent", "Event Fields"},
            {"Page6", "LblSelected", "(0 Fields Selected)"},
            {"Page6", "BitBtn2", "&Special Fields"},
            {"Page6", "BtnUser", "&User Fields"},
            {"Page7", "LblTitlePage7", "Field Order"},
            {"Page7", "LblOrderHint",
             "Select the order from left to right for the fields on the report."},
            {"Page7", "BtnMoveUp", "Move &Up    "},
            {"Page7", "BtnDown", "Move &Down"},
            {"Page8", "LblTitlePage8", "Column and Rows"},
            {"Page8", "Label111", "1"},
            {"Page9", "LblTitlePage9", "Column Widths"},
            {"Page9", "LblWidthsHint",
             "Type in the starting and ending widths of each of the columns. Note: The units "
             "are in tenths of inches."},
            {"Page9", "BtnCheck", "Check Columns"},
            {"Page10", "LblTitlePage10", "Field Definitions"},
            {"Page10", "cbDotLead", "DOT Leaders (....)"},
            {"Page10", "cbDotTrail", "DOT Trailers (....)"},
            {"Page10", "DBCBTotal", "Totaled"},
            {"Page10", "DBCBCount", "Counted"},
            {"Page10", "DBCBAverage", "Averaged"},
            {"Page10", "DBCBMin", "Min Value"},
            {"Page10", "DBCBMax", "Max Value"},
            {"Page10", "btMakeReport", "&Make Report"},
        };
        for (const Expect& e : controls) {
            QWidget* pageWidget = ::control<QStackedWidget>(w, "Notebook1")
                                      ->findChild<QWidget*>(QLatin1String(e.page));
            QVERIFY2(pageWidget, e.page);
            QWidget* control = pageWidget->findChild<QWidget*>(QLatin1String(e.name));
            QVERIFY2(control, e.name);
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(control))
                text = b->text();
            else if (auto* l = qobject_cast<QLabel*>(control))
                text = l->text();
            QCOMPARE(text, QString::fromUtf8(e.text));
        }

        // The bottom panel, left to right.
        const QList<QWidget*> bottom = {
            ::control<QLabel>(w, "LblDesc"),       ::control<QPushButton>(w, "BtnSlideShow"),
            ::control<QPushButton>(w, "BtnAbout"), ::control<QPushButton>(w, "BtnHelp"),
            ::control<QPushButton>(w, "BtnPrior"), ::control<QPushButton>(w, "BtnNext"),
            ::control<QPushButton>(w, "btExit")};
        const QStringList captions = {QString(),
                                      QStringLiteral("Slideshow"),
                                      QStringLiteral("&About"),
                                      QStringLiteral("&Help"),
                                      QStringLiteral("&Previous"),
                                      QStringLiteral("&Next"),
                                      QStringLiteral("E&xit")};
        // (The slide-show button is hidden here: there is no player.)
        ::control<QPushButton>(w, "BtnSlideShow")->show();
        QTest::qWait(0);
        for (int i = 1; i < bottom.size(); ++i) {
            QCOMPARE(qobject_cast<QPushButton*>(bottom.at(i))->text(), captions.at(i));
            QVERIFY(bottom.at(i - 1)->x() < bottom.at(i)->x());
        }
        QVERIFY(!::control<QStackedWidget>(w, "Notebook1")
                     ->isAncestorOf(::control<QPushButton>(w, "BtnNext")));

        // Controls of the later pages exist under their names and kinds.
        QVERIFY(qobject_cast<TPickList*>(::control<TPickList>(w, "PickContactField")));
        QVERIFY(qobject_cast<TPickList*>(::control<TPickList>(w, "PickEventField")));
        QVERIFY(::control<TPickList>(w, "PickContactField")->multiSelect());
        QVERIFY(!::control<TPickList>(w, "PickContactField")->extendedSelect());
        QVERIFY(::control<QWidget>(w, "Page6")
                    ->isAncestorOf(::control<TPickList>(w, "PickContactField")));
        QVERIFY(
            ::control<QWidget>(w, "Page7")->isAncestorOf(::control<QListWidget>(w, "lbAllFields")));
        QVERIFY(::control<QWidget>(w, "Page8")
                    ->isAncestorOf(::control<QTableWidget>(w, "StringGrid1")));
        QVERIFY(!::control<QTableWidget>(w, "StringGrid1")->isEnabled());
        QVERIFY(::control<QWidget>(w, "Page9")->isAncestorOf(::control<QTableWidget>(w, "sgCol")));
        QCOMPARE(::control<QTableWidget>(w, "sgCol")->columnCount(), 4);
        QVERIFY(::control<QWidget>(w, "Page9")->isAncestorOf(::control<QWidget>(w, "PnlPreview")));
        QVERIFY(::control<QWidget>(w, "Page10")
                    ->isAncestorOf(::control<QListWidget>(w, "LBFieldDefs")));
        QCOMPARE(::control<QLineEdit>(w, "EdDescription")->maxLength(), 30);
        QCOMPARE(::control<BoundedSpinBox>(w, "SpinCol")->minimum(), 1);
        QCOMPARE(::control<BoundedSpinBox>(w, "SpinCol")->maximum(), 20);
    }

    // A new contact-ordered report, page by page: the buttons follow the
    // page, the description is asked for, and Page6 needs a selection.
    void createRoad()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();

        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(w.WizardMode, QStringLiteral("CREATE"));
        QVERIFY(w.FieldsChanged);
        verifyButtons(w);

        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());
        verifyButtons(w);

        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QCOMPARE(QApplication::focusWidget(),
                 static_cast<QWidget*>(control<QLineEdit>(w, "EdDescription")));
        verifyButtons(w);
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Customer list"));
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), QStringLiteral("Customer list"));

        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page5"));
        verifyButtons(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4_5"));
        verifyButtons(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        verifyButtons(w);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(0 fields selected)"));

        // Nothing selected: refused, Page6 stays.
        f.platform.clear();
        next(w);
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("No Fields Selected.")});
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        verifyButtons(w);

        // The rest of the road needs a field in the contact list.
        if (control<TPickList>(w, "PickContactField")->count() == 0)
            QSKIP("the contact pick list is not filled yet");
        control<TPickList>(w, "PickContactField")->setItemSelected(0, true);
        f.platform.clear();
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        verifyButtons(w);
        const int fields = control<QListWidget>(w, "lbAllFields")->count();
        QVERIFY(fields >= 1);

        // Onto Page8 by Next with one column: one column per field.
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 1);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        verifyButtons(w);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), qMin(fields, 20));

        // Back onto Page8 from Page9 keeps the count the user chose.
        control<BoundedSpinBox>(w, "SpinCol")->setValue(2);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        verifyButtons(w);
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 2);

        next(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        verifyButtons(w);
        QCOMPARE(QApplication::focusWidget(),
                 static_cast<QWidget*>(control<QListWidget>(w, "LBFieldDefs")));
        QCOMPARE(control<QListWidget>(w, "LBFieldDefs")->currentRow(), 0);
        QVERIFY(control<QListWidget>(w, "LBFieldDefs")->item(0)->isSelected());
        // And all the way back.
        for (QWidget* expected : {control<QWidget>(w, "Page9"), control<QWidget>(w, "Page8"),
                                  control<QWidget>(w, "Page7"), control<QWidget>(w, "Page6"),
                                  control<QWidget>(w, "Page4_5"), control<QWidget>(w, "Page5"),
                                  control<QWidget>(w, "Page4"), control<QWidget>(w, "Page3"),
                                  control<QWidget>(w, "Page2"), control<QWidget>(w, "Page1")}) {
            prior(w);
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(), expected);
            verifyButtons(w);
        }
    }

    // Page8 and Page10 take the focus they should when entered.
    void focusOnLaterPages()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        w.CurrentPage = 7;
        w.FieldsChanged = false;
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        verifyButtons(w);
        QVERIFY(control<BoundedSpinBox>(w, "SpinCol")->hasFocus() ||
                control<BoundedSpinBox>(w, "SpinCol")->isAncestorOf(QApplication::focusWidget()));
    }

    // A date-ordered report skips "Report Information" both ways, and a new
    // one gets the basic event fields.
    void dateOrderedSkipsPage3()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        next(w);
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbDateOrdered"));
        QVERIFY(control<QRadioButton>(w, "rbDateOrdered")->isChecked());
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QCOMPARE(w.CurrentPage, 3);
        QVERIFY(control<QRadioButton>(w, "RBEvent")->isChecked());
        verifyButtons(w);

        f.platform.clear();
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        verifyButtons(w);
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(control<QRadioButton>(w, "RBEvent")->isChecked());

        // Back to contact order: Page3 shows again with contacts only.
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());
    }

    // Create, contact-ordered: the information kind is forced back to
    // contacts only each time Page3 is entered, from either side.
    void contactOrderedForcesContactBothWays()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        next(w);
        next(w);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
        QVERIFY(control<QRadioButton>(w, "RbCall")->isChecked());
        QCOMPARE(w.checkedEventKind(), QStringLiteral("CALL"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());

        WizardFixture::clickRadio(control<QRadioButton>(w, "RbMeeting"));
        prior(w); // Page2: the operation starts afresh
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        next(w);
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());
    }

    // Modify: the loaded information kind is left alone on the way through
    // Page3, in either ordering.
    void modifyForcesNoInformationKind()
    {
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(f.write(f.dataPath(QStringLiteral("calls.rpt")),
                        reportFile("Calls", "Contact", "Call")));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        WizardFixture::withModal([&] { next(w); }, acceptSelection);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(QLatin1Char('|'))));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(w.WizardMode, QStringLiteral("MODIFY"));
        QCOMPARE(w.ReportFile, QStringLiteral("calls.rpt"));
        QVERIFY(!w.FieldsChanged);

        WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        QVERIFY(control<QRadioButton>(w, "RbCall")->isChecked());

        // Previous to Page2 picks the report again.
        bool dialogShown = false;
        WizardFixture::withModal([&] { prior(w); },
                                 [&](QWidget* modal) {
                                     dialogShown = modal != nullptr;
                                     acceptSelection(modal);
                                 });
        QVERIFY(dialogShown);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));

        WizardFixture::clickRadio(control<QRadioButton>(w, "rbDateOrdered"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QVERIFY(control<QRadioButton>(w, "RbCall")->isChecked());
        QVERIFY(!control<QRadioButton>(w, "RBEvent")->isChecked());
    }

    // Modify with the loaded selection left alone: Page6 shows the loaded
    // selection and Page7 the loaded order.
    void modifyKeepsLoadedOrder()
    {
        WizardFixture f;
        f.makeHostTables();
        auto block = [](const QByteArray& field, int left, int right) {
            QByteArray b = "0\r\n\r\n\r\n" + field + "\r\n" + field + "\r\n1\r\n" +
                           QByteArray::number(left) + "\r\n" + QByteArray::number(right) + "\r\n";
            for (int i = 0; i < 5; ++i)
                b += "FALSE\r\n";
            return b;
        };
        QVERIFY(f.write(f.dataPath(QStringLiteral("firms.rpt")),
                        "Firms\r\nContact\r\nContact\r\n75\r\n2\r\n" + block("City", 1, 30) +
                            block("Company", 31, 60)));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        WizardFixture::withModal([&] { next(w); }, acceptSelection);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(u'|')));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Firms"));
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), QStringLiteral("Firms"));
        while (control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                   control<QWidget>(w, "Page6") &&
               control<QPushButton>(w, "BtnNext")->isEnabled())
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        QStringList order;
        for (int i = 0; i < control<QListWidget>(w, "lbAllFields")->count(); ++i)
            order << control<QListWidget>(w, "lbAllFields")->item(i)->text();
        QCOMPARE(order, (QStringList{QStringLiteral("City"), QStringLiteral("Company")}));
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // Cancelling the selection dialog leaves the wizard on Page1.
    void cancelSelectionStaysOnPage1_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("modify") << QStringLiteral("RbModify");
        QTest::newRow("copy") << QStringLiteral("RbCopy");
        QTest::newRow("column") << QStringLiteral("RBColumn");
        QTest::newRow("delete") << QStringLiteral("RbDelete");
    }
    void cancelSelectionStaysOnPage1()
    {
        QFETCH(QString, operation);
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(f.write(f.dataPath(QStringLiteral("calls.rpt")),
                        reportFile("Calls", "Contact", "Call")));
        TFrmCReport& w = f.open();
        w.WizardMode = QStringLiteral("CREATE");
        WizardFixture::clickRadio(w.findChild<QRadioButton*>(operation));
        QString title;
        WizardFixture::withModal(
            [&] { next(w); },
            [&](QWidget* modal) {
                QVERIFY(modal);
                auto* label = modal->findChild<QLabel*>(QStringLiteral("LblTitle"));
                title = label ? label->text() : QString();
                auto* cancel = modal->findChild<QPushButton*>(QStringLiteral("BtnCancel"));
                QVERIFY(cancel);
                QTest::mouseClick(cancel, Qt::LeftButton);
            });
        QCOMPARE(title, operation == QLatin1String("RbDelete")
                            ? QStringLiteral("Delete an Existing Report")
                            : QStringLiteral("Modify an Existing Report"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        verifyButtons(w);
        QVERIFY(QFileInfo::exists(f.dataPath(QStringLiteral("calls.rpt"))));
        // Delete keeps the mode it had; the others set theirs.
        const QString mode = operation == QLatin1String("RbDelete")   ? QStringLiteral("CREATE")
                             : operation == QLatin1String("RBColumn") ? QStringLiteral("COLUMN")
                                                                      : QStringLiteral("MODIFY");
        QCOMPARE(w.WizardMode, mode);
    }

    // A report that cannot be loaded (here: the host's contact table is
    // missing) is reported, and the wizard stays on Page1, ready to go on.
    void failedLoadStaysOnPage1()
    {
        WizardFixture f;
        QVERIFY(f.write(f.dataPath(QStringLiteral("calls.rpt")),
                        reportFile("Calls", "Contact", "Call")));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbModify"));
        WizardFixture::withModal([&] { next(w); }, acceptSelection);
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY(f.platform.boxes.first().text.contains(QStringLiteral("CONTACT.DB")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        verifyButtons(w);
        QVERIFY(!QApplication::overrideCursor());
    }

    // Delete: the picked report is asked about, removed, and the wizard is
    // back on Page1.
    void deleteRemovesTheReport()
    {
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(f.write(f.dataPath(QStringLiteral("calls.rpt")),
                        reportFile("Calls", "Contact", "Call")));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbDelete"));
        f.platform.queueAnswer(Answer::Yes);
        WizardFixture::withModal([&] { next(w); }, acceptSelection);
        QVERIFY(f.platform.texts().contains(
            QStringLiteral("Do you want to delete the calls.rpt report?")));
        QVERIFY(!QFileInfo::exists(f.dataPath(QStringLiteral("calls.rpt"))));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        verifyButtons(w);
    }

    // Column positions: whatever the editor answers, the wizard ends on Page1.
    void columnPositionsReturnToPage1()
    {
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(f.write(f.dataPath(QStringLiteral("calls.rpt")),
                        reportFile("Calls", "Contact", "Call")));
        TFrmCReport& w = f.open();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBColumn"));
        WizardFixture::withModal([&] { next(w); },
                                 [&](QWidget* modal) {
                                     acceptSelection(modal);
                                     // The column editor, when there is one, is cancelled.
                                     QTimer::singleShot(50, [] {
                                         if (QWidget* editor = QApplication::activeModalWidget())
                                             editor->close();
                                     });
                                 });
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
        QCOMPARE(w.WizardMode, QStringLiteral("COLUMN"));
        verifyButtons(w);
    }

    void descriptionIsRequired_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("spaces") << QStringLiteral("   ") << true;
        QTest::newRow("text") << QStringLiteral("Birthdays") << true;
        QTest::newRow("thirty") << QString(30, QLatin1Char('x')) << true;
    }
    void descriptionIsRequired()
    {
        QFETCH(QString, description);
        QFETCH(bool, accepted);
        WizardFixture f;
        TFrmCReport& w = f.open();
        next(w);
        next(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), description);
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), description);
        f.platform.clear();
        next(w);
        verifyButtons(w);
        if (accepted) {
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page5"));
            QVERIFY(f.platform.boxes.isEmpty());
        } else {
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page4"));
            QCOMPARE(f.platform.texts(),
                     QStringList{QStringLiteral("You must enter a description.")});
            QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
            QCOMPARE(f.platform.m_beeps.size(), 1);
            QCOMPARE(QApplication::focusWidget(),
                     static_cast<QWidget*>(control<QLineEdit>(w, "EdDescription")));
        }
    }

    // The description never grows past 30 characters.
    void descriptionLimit()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QString(40, QLatin1Char('y')));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text().size(), 30);
    }

    // An empty description met by Previous (the naming dialog can empty it)
    // sends the user to Page4, where the description is typed.
    void emptyDescriptionFromBehind()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        w.CurrentPage = 5;
        control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(5);
        control<QPushButton>(w, "BtnPrior")->setEnabled(true);
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        verifyButtons(w);
    }

    void exitAsks_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void exitAsks()
    {
        QFETCH(bool, yes);
        WizardFixture f;
        TFrmCReport& w = f.open();
        f.platform.queueAnswer(yes ? Answer::Yes : Answer::No);
        QTest::mouseClick(control<QPushButton>(w, "btExit"), Qt::LeftButton);
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().text, QStringLiteral("Exit now. Are you sure?"));
        QCOMPARE(f.platform.boxes.first().buttons, Platform::Buttons::YesNo);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Information);
        QCOMPARE(w.isVisible(), !yes);
    }

    // Closing through the system menu asks nothing; Escape does not close.
    void closeWithoutQuestion()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void helpContexts_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("context");
        const int contexts[] = {100, 200, 300, 400, 500, 550, 600, 650, 700, 750, 800};
        for (int i = 0; i < 11; ++i)
            QTest::addRow("page index %d", i) << i << contexts[i];
    }
    void helpContexts()
    {
        QFETCH(int, page);
        QFETCH(int, context);
        WizardFixture f;
        TFrmCReport& w = f.open();
        control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(page);
        QTest::mouseClick(control<QPushButton>(w, "BtnHelp"), Qt::LeftButton);
        QCOMPARE(f.platform.m_helps.size(), 1);
        QCOMPARE(f.platform.m_helps.first().context, context);
        QCOMPARE(f.platform.m_helps.first().file,
                 AppPaths::executableFolder() + QStringLiteral("creport.hlp"));
        // F1 asks for the same section.
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(f.platform.m_helps.size(), 2);
        QCOMPARE(f.platform.m_helps.last().context, context);
    }

    // Help and F1 in the real help window: our HTML page, opened at the
    // section of the page shown, its heading at the top of the window; one
    // window, moved to the next section on the next request. A page of
    // help that is missing is reported, not silently ignored.
    void helpWindowShowsThePagesSection()
    {
        WizardFixture f;
        QVERIFY(QFile::copy(qEnvironmentVariable("TV_SOURCE_DIR") +
                                QStringLiteral("/help/creport.html"),
                            f.exePath(QStringLiteral("creport.html"))));
        WidgetPlatform desktop;
        Platform::install(&desktop);
        auto restore = qScopeGuard([&] { Platform::install(&f.platform); });
        TFrmCReport& w = f.open();

        struct Step
        {
            int page;
            bool f1;
            const char* heading;
        };
        const Step steps[] = {{0, false, "Choosing what to do"},
                              {3, true, "Report Description"},
                              {8, false, "Column and Rows"},
                              {10, true, "Field Definitions and Make Report"}};
        for (const Step& step : steps) {
            control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(step.page);
            if (step.f1) {
                QApplication::setActiveWindow(&w);
                QTest::keyClick(&w, Qt::Key_F1);
            } else {
                QTest::mouseClick(control<QPushButton>(w, "BtnHelp"), Qt::LeftButton);
            }
            HelpWidget* help = desktop.helpWindow();
            QVERIFY(help);
            QVERIFY(QTest::qWaitForWindowExposed(help));
            auto* browser = control<QTextBrowser>(*help, "HelpBrowser");
            QCOMPARE(browser->source().fileName(), QStringLiteral("creport.html"));
            QVERIFY(browser->toPlainText().contains(QStringLiteral("Tallyvane Pro")));
            const QString top = browser->cursorForPosition(QPoint(8, 4)).block().text();
            QVERIFY2(top == QLatin1String(step.heading) ||
                         browser->verticalScrollBar()->value() ==
                             browser->verticalScrollBar()->maximum(),
                     qPrintable(top));
            QVERIFY2(browser->verticalScrollBar()->value() > 0 || step.page == 0, qPrintable(top));
            const QWidgetList tops = QApplication::topLevelWidgets();
            QCOMPARE(std::count_if(tops.begin(), tops.end(),
                                   [](const QWidget* t) {
                                       return qobject_cast<const HelpWidget*>(t) && t->isVisible();
                                   }),
                     1);
        }
        // With TV_SCREENSHOT_DIR set, a picture of the help window at the
        // section of "Report Description".
        if (const QString dir = qEnvironmentVariable("TV_SCREENSHOT_DIR"); !dir.isEmpty()) {
            control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(3);
            QTest::mouseClick(control<QPushButton>(w, "BtnHelp"), Qt::LeftButton);
            QTest::qWait(200);
            QVERIFY(
                desktop.helpWindow()->grab().save(QDir(dir).filePath(QStringLiteral("help.png"))));
        }
        // The help never keeps the program running on its own.
        QVERIFY(!desktop.helpWindow()->testAttribute(Qt::WA_QuitOnClose));

        QVERIFY(QFile::remove(f.exePath(QStringLiteral("creport.html"))));
        desktop.helpWindow()->close();
        QString told;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        QTest::mouseClick(control<QPushButton>(w, "BtnHelp"), Qt::LeftButton);
        QCOMPARE(told,
                 QStringLiteral("The help file %1 cannot be found.")
                     .arg(QDir::toNativeSeparators(f.exePath(QStringLiteral("creport.html")))));
        QVERIFY(!desktop.helpWindow()->isVisible());
    }

    // The help page has a section for every page's context number, and the
    // wizard's help file name leads to it.
    void helpPageHasEveryContext()
    {
        QFile page(qEnvironmentVariable("TV_SOURCE_DIR") + QStringLiteral("/help/creport.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (int page = 0; page < 11; ++page) {
            const QString anchor =
                QStringLiteral("id=\"context-%1\"").arg(TFrmCReport::helpContext(page));
            QVERIFY2(html.contains(anchor), qPrintable(anchor));
        }
        WizardFixture f;
        TFrmCReport& w = f.open();
        const QUrl url = HelpFile::contextUrl(w.helpFile(), 650);
        QCOMPARE(url.fragment(), QStringLiteral("context-650"));
        QVERIFY(url.toLocalFile().endsWith(QStringLiteral("/creport.html")));
    }

    void aboutBox()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        bool seen = false;
        WizardFixture::withModal(
            [&] { QTest::mouseClick(control<QPushButton>(w, "BtnAbout"), Qt::LeftButton); },
            [&](QWidget* modal) {
                seen = qobject_cast<TfrmAbout*>(modal) != nullptr;
                if (modal)
                    modal->close();
            });
        QVERIFY(seen);
        QVERIFY(w.isVisible());
    }

    void slideShow_data()
    {
        QTest::addColumn<bool>("player");
        QTest::addColumn<bool>("slides");
        QTest::newRow("both") << true << true;
        QTest::newRow("player only") << true << false;
        QTest::newRow("slides only") << false << true;
        QTest::newRow("neither") << false << false;
    }
    void slideShow()
    {
        QFETCH(bool, player);
        QFETCH(bool, slides);
        WizardFixture f;
        const QString playerPath = f.exePath(AppPaths::programName(QStringLiteral("player.exe")));
        const QString slidesPath = f.exePath(QStringLiteral("vxaddon.dmr"));
        if (player)
            QVERIFY(f.write(playerPath, "#!/bin/sh\n"));
        if (slides)
            QVERIFY(f.write(slidesPath, "slides"));
        TFrmCReport& w = f.open();
        QCOMPARE(control<QPushButton>(w, "BtnSlideShow")->isVisible(), player && slides);
        if (!(player && slides)) {
            // Even when reached by the program, nothing starts.
            w.BtnSlideShowClick();
            QVERIFY(f.platform.m_starts.isEmpty());
            return;
        }
        QTest::mouseClick(control<QPushButton>(w, "BtnSlideShow"), Qt::LeftButton);
        QCOMPARE(f.platform.m_starts.size(), 1);
        QCOMPARE(QFileInfo(f.platform.m_starts.first().program).canonicalFilePath(),
                 QFileInfo(playerPath).canonicalFilePath());
        QCOMPARE(f.platform.m_starts.first().arguments.size(), 1);
        QCOMPARE(QFileInfo(f.platform.m_starts.first().arguments.first()).canonicalFilePath(),
                 QFileInfo(slidesPath).canonicalFilePath());
    }

    // Clicks on the choices of the first three pages, and on the page area,
    // ask for the pick lists to be filled again.
    void refillAfterEarlierChoices_data()
    {
        QTest::addColumn<int>("pageIndex");
        QTest::addColumn<QString>("control");
        QTest::newRow("operation") << 0 << QStringLiteral("RbCopy");
        QTest::newRow("create") << 0 << QStringLiteral("RBCreate");
        QTest::newRow("ordering") << 1 << QStringLiteral("rbDateOrdered");
        QTest::newRow("kind") << 2 << QStringLiteral("RBNote");
        QTest::newRow("page area") << 1 << QString();
    }
    void refillAfterEarlierChoices()
    {
        QFETCH(int, pageIndex);
        QFETCH(QString, control);
        WizardFixture f;
        TFrmCReport& w = f.open();
        if (control == QLatin1String("RBCreate"))
            WizardFixture::clickRadio(::control<QRadioButton>(w, "RbModify"));
        ::control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(pageIndex);
        w.RefillPickLists = false;
        if (control.isEmpty()) {
            QWidget* pageWidget = ::control<QStackedWidget>(w, "Notebook1")->currentWidget();
            QPoint empty(-1, -1);
            for (int y = pageWidget->height() - 2; y > 0 && empty.x() < 0; y -= 4)
                for (int x = pageWidget->width() - 2; x > 0; x -= 4)
                    if (!pageWidget->childAt(x, y)) {
                        empty = QPoint(x, y);
                        break;
                    }
            QVERIFY(empty.x() >= 0);
            QTest::mouseClick(pageWidget, Qt::LeftButton, Qt::NoModifier, empty);
        } else {
            WizardFixture::clickRadio(w.findChild<QRadioButton*>(control));
        }
        QVERIFY(w.RefillPickLists);
        // Other clicks leave it alone.
        w.RefillPickLists = false;
        QTest::mouseClick(::control<QPushButton>(w, "BtnHelp"), Qt::LeftButton);
        QVERIFY(!w.RefillPickLists);
    }

    // Each information choice names its event kind; contacts only names none.
    void eventKindOfChoice_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("kind");
        QTest::newRow("contact") << "RBContact"
                                 << "";
        QTest::newRow("event") << "RBEvent"
                               << "GENERIC";
        QTest::newRow("note") << "RBNote"
                              << "NOTE";
        QTest::newRow("call") << "RbCall"
                              << "CALL";
        QTest::newRow("letter") << "RBLetter"
                                << "LETTER";
        QTest::newRow("meeting") << "RbMeeting"
                                 << "MEETING";
        QTest::newRow("todo") << "RbTodo"
                              << "TO-DO";
        QTest::newRow("sale") << "rbSale"
                              << "SALE";
        QTest::newRow("quote") << "rbQuote"
                               << "QUOTE";
    }
    void eventKindOfChoice()
    {
        QFETCH(QString, control);
        QFETCH(QString, kind);
        WizardFixture f;
        TFrmCReport& w = f.open();
        ::control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(2);
        WizardFixture::clickRadio(w.findChild<QRadioButton*>(control));
        QCOMPARE(w.checkedEventKind(), kind);
    }

    // Alt shortcuts reach the buttons; Enter presses Next.
    void keyboard()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        // (A shortcut presses its button with a short animation.)
        QTest::keyClick(&w, Qt::Key_M, Qt::AltModifier);
        QTRY_VERIFY(control<QRadioButton>(w, "RbModify")->isChecked());
        QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(control<QRadioButton>(w, "RBCreate")->isChecked());
        QTest::keyClick(&w, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));
        QTest::keyClick(&w, Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
        control<QPushButton>(w, "BtnNext")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));

        // Every enabled control of a page can be reached with Tab.
        w.CurrentPage = 1;
        next(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QSet<QWidget*> reached;
        for (int i = 0; i < 40; ++i) {
            reached.insert(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (QWidget* c : {static_cast<QWidget*>(control<QLineEdit>(w, "EdDescription")),
                           static_cast<QWidget*>(control<QPushButton>(w, "BtnNext")),
                           static_cast<QWidget*>(control<QPushButton>(w, "BtnPrior")),
                           static_cast<QWidget*>(control<QPushButton>(w, "btExit")),
                           static_cast<QWidget*>(control<QPushButton>(w, "BtnHelp")),
                           static_cast<QWidget*>(control<QPushButton>(w, "BtnAbout"))})
            QVERIFY2(reached.contains(c), qPrintable(c->objectName()));
    }

    // ---- Paper size ------------------------------------------------------

    void paperStartState()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(4);
        QVERIFY(control<QRadioButton>(w, "RBAmPor")->isChecked());
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 75);
        QVERIFY(!control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        QVERIFY(!control<QFrame>(w, "PnlPrint")->isVisible());
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), QStringLiteral("(7.5\")"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->minimum(), 1);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->maximum(), 200);
    }

    void paperPresets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("label");
        QTest::newRow("US portrait") << "RBAmPor" << 75 << "(7.5\")";
        QTest::newRow("US landscape") << "RbAmLan" << 110 << "(11.0\")";
        QTest::newRow("A4 portrait") << "RbA4Por" << 77 << "(7.7\")";
        QTest::newRow("A4 landscape") << "RBA4Lan" << 115 << "(11.5\")";
    }
    void paperPresets()
    {
        QFETCH(QString, button);
        QFETCH(int, width);
        QFETCH(QString, label);
        WizardFixture f;
        TFrmCReport& w = f.open();
        // The presets show a full stop even where the comma is the separator.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(4);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbOther"));
        WizardFixture::clickRadio(w.findChild<QRadioButton*>(button));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), width);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), label);
        QVERIFY(!control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        QVERIFY(!control<QFrame>(w, "PnlPrint")->isVisible());

        // Other keeps the width and shows it, now with the user's separator.
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbOther"));
        QVERIFY(control<QFrame>(w, "PnlPrint")->isVisible());
        QVERIFY(control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), width);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), label);
        control<BoundedSpinBox>(w, "SpinMargin")->stepUp();
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(),
                 QStringLiteral("(") + QLocale().toString((width + 1) / 10.0, 'f', 1) +
                     QStringLiteral("\")"));
        QVERIFY(control<QLabel>(w, "LblMargin")->text().contains(QLatin1Char(',')));
        QLocale::setDefault(QLocale::c());
    }

    void typedWidths_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("label");
        QTest::newRow("96") << "96"
                            << "(9.6\")" << 96 << "(9.6\")";
        QTest::newRow("5") << "5"
                           << "(0.5\")" << 5 << "(0.5\")";
        QTest::newRow("250 to the upper bound") << "250"
                                                << "(20.0\")" << 200 << "(20.0\")";
        QTest::newRow("0 to the lower bound") << "0"
                                              << "(0.1\")" << 1 << "(0.1\")";
        QTest::newRow("200") << "200"
                             << "(20.0\")" << 200 << "(20.0\")";
        QTest::newRow("four digits cut to three") << "1234"
                                                  << "(12.3\")" << 123 << "(12.3\")";
        QTest::newRow("letters refused") << "9a6"
                                         << "(9.6\")" << 96 << "(9.6\")";
        QTest::newRow("emptied") << ""
                                 << "(11.5\")" << 115 << "(11.5\")";
    }
    void typedWidths()
    {
        QFETCH(QString, typed);
        QFETCH(QString, whileTyping);
        QFETCH(int, kept);
        QFETCH(QString, label);
        WizardFixture f;
        TFrmCReport& w = f.open();
        QLocale::setDefault(QLocale::c());
        w.CurrentPage = 4;
        control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(4);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBA4Lan"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbOther"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 115);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), QStringLiteral("(11.5\")"));
        control<BoundedSpinBox>(w, "SpinMargin")->setFocus();
        QVERIFY(control<BoundedSpinBox>(w, "SpinMargin")->hasFocus());
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinMargin"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(control<BoundedSpinBox>(w, "SpinMargin"), Qt::Key_Delete);
        QTest::keyClicks(control<BoundedSpinBox>(w, "SpinMargin"), typed);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), whileTyping);
        // Leaving the field keeps a width within 1 to 200.
        control<QPushButton>(w, "BtnNext")->setFocus();
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), kept);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->text(), QString::number(kept));
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), label);
    }

    // A width set by the program is bounded too.
    void programWidthsBounded()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        QLocale::setDefault(QLocale::c());
        control<BoundedSpinBox>(w, "SpinMargin")->setValue(500);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 200);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), QStringLiteral("(20.0\")"));
        control<BoundedSpinBox>(w, "SpinMargin")->setValue(-4);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 1);
        QCOMPARE(control<QLabel>(w, "LblMargin")->text(), QStringLiteral("(0.1\")"));
    }

    // A radio button checked by the program runs its click handler.
    void programCheckRunsClickHandler()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        control<BoundedSpinBox>(w, "SpinMargin")->setValue(100);
        control<QRadioButton>(w, "RbOther")->setChecked(true);
        QVERIFY(control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 100);
        control<QRadioButton>(w, "RbAmLan")->setChecked(true);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 110);
        QVERIFY(!control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        QVERIFY(!control<QRadioButton>(w, "RbOther")->isChecked());

        w.RefillPickLists = false;
        control<QRadioButton>(w, "rbQuote")->setChecked(true);
        QVERIFY(w.RefillPickLists);
    }

    // An error the engine raises inside a handler reaches the error box.
    void unhandledErrorsAreShown()
    {
        WizardFixture f;
        TFrmCReport::guarded([] { throw DatabaseError(QStringLiteral("Table is busy.")); });
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Table is busy.")});
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
