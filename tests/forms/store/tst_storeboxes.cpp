// The report store's dialogs with the desktop's own message boxes: each box
// runs its own modal loop while the dialog is inside a control's handler (a
// double-click in the selection grid, Enter in the name field), and the
// dialog goes on working after it.
#include "RealMessageBoxes.h"
#include "StoreFixture.h"

#include "forms/store/Getfilr.h"
#include "forms/store/Repsel.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRect>
#include <QTableWidget>
#include <QTest>

class TestStoreBoxes : public QObject
{
    Q_OBJECT

    static void doubleClickRow(QTableWidget* g, int row)
    {
        const QRect cell = g->visualRect(g->model()->index(row, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, cell.center());
    }

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }

    // The delete question from a double-click: No keeps the dialog and the
    // file; a second double-click answered Yes deletes it.
    void deleteQuestionFromADoubleClick()
    {
        StoreFixture fixture;
        QVERIFY(fixture.writeReport(QStringLiteral("alpha.rpt"), "City report\r\nCalendar\r\n"));
        QVERIFY(fixture.writeReport(QStringLiteral("beta.rpt"), "Birthday Report\r\nContact\r\n"));
        RealMessageBoxes boxes;
        TFrmSelect dialog;
        dialog.setTitle(QStringLiteral("Delete an Existing Report"));
        dialog.setSelectMode(QStringLiteral("DELETE"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("grid"));

        boxes.queueAnswer(QMessageBox::No);
        doubleClickRow(grid, 1);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts().first(),
                 QStringLiteral("Do you want to delete the alpha.rpt report?"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Information);
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(QFile::exists(fixture.dataPath(QStringLiteral("alpha.rpt"))));
        QCOMPARE(grid->rowCount(), 2);

        boxes.queueAnswer(QMessageBox::Yes);
        doubleClickRow(grid, 0);
        QVERIFY(boxes.waitFor(2));
        QCOMPARE(boxes.texts().last(),
                 QStringLiteral("Do you want to delete the beta.rpt report?"));
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!QFile::exists(fixture.dataPath(QStringLiteral("beta.rpt"))));
        QVERIFY(QFile::exists(fixture.dataPath(QStringLiteral("alpha.rpt"))));
    }

    // An illegal name confirmed with Enter in the name field: the box, then
    // the emptied field takes the next name.
    void illegalNameFromTheKeyboard()
    {
        StoreFixture fixture;
        RealMessageBoxes boxes;
        TFrmFilename dialog(QStringLiteral("Weekly calls"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("EdFileName"));
        QTRY_COMPARE(QApplication::focusWidget(), name);

        QTest::keyClicks(name, QStringLiteral("rep_1"));
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(boxes.waitFor(1));
        QCOMPARE(boxes.texts().first(),
                 QStringLiteral("Filename contains illegal characters.\nYou must use letters and "
                                "digits only.\nPlease re-try."));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(boxes.seen[0].loopsAbove >= 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(name->text(), QString());

        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClicks(name, QStringLiteral("rep1"));
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.reportFile().endsWith(QStringLiteral("rep1.rpt")));
        QCOMPARE(boxes.seen.size(), 1);
    }

    // A description longer than the 30 a user may type is kept whole; typing
    // can shorten it but never lengthen it.
    void longDescriptionIsKeptWhole()
    {
        StoreFixture fixture;
        const QString longText = QStringLiteral("A description of forty characters, long");
        TFrmFilename dialog(longText);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* description = dialog.findChild<QLineEdit*>(QStringLiteral("EdDescription"));
        QCOMPARE(description->text(), longText);
        QCOMPARE(dialog.description(), longText);
        description->setFocus();
        description->end(false);
        QTest::keyClicks(description, QStringLiteral("xy"));
        QCOMPARE(description->text(), longText);
        QTest::keyClick(description, Qt::Key_Backspace);
        QTest::keyClick(description, Qt::Key_Home);
        QTest::keyClicks(description, QStringLiteral("z"));
        QCOMPARE(description->text(), longText.chopped(1));
        // Cleared and typed anew: 30 at most.
        description->selectAll();
        QTest::keyClicks(description, QString(40, QLatin1Char('q')));
        QCOMPARE(description->text(), QString(30, QLatin1Char('q')));
    }
};

QTEST_MAIN(TestStoreBoxes)
#include "tst_storeboxes.moc"
