#include "Controls.h"
#include "DialogProbe.h"
#include "ScriptedPlatform.h"
#include "StoreFixture.h"

#include "core/app/SharedRoutines.h"
#include "forms/store/Getfilr.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

class TestGetfilr : public QObject
{
    Q_OBJECT

    static QLineEdit* edit(TFrmFilename& dialog, const char* name)
    {
        return control<QLineEdit>(dialog, name);
    }

    // Types text key by key, accented letters included.
    static void type(QWidget* widget, const QString& text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }

    void layoutAndStart()
    {
        StoreFixture fixture;
        TFrmFilename dialog(QStringLiteral("Weekly calls"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save Report File"));
        QCOMPARE(edit(dialog, "EdDescription")->text(), QStringLiteral("Weekly calls"));
        QCOMPARE(edit(dialog, "EdDescription")->maxLength(), 30);
        QCOMPARE(edit(dialog, "EdFileName")->maxLength(), 8);
        QCOMPARE(findButton(dialog, "BitBtn2")->text(), QStringLiteral("OK"));
        QVERIFY(findButton(dialog, "BitBtn2")->isDefault());
        QCOMPARE(findButton(dialog, "BitBtn1")->text(), QStringLiteral("Cancel"));
        // The name field has the focus as soon as the dialog is up.
        QTRY_COMPARE(QApplication::focusWidget(), edit(dialog, "EdFileName"));
        // The window cannot be resized, and shows every text whole.
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QTRY_VERIFY2(cutTexts(dialog).isEmpty(),
                     qPrintable(cutTexts(dialog).join(QLatin1Char(','))));
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("fieldAfter");
        const QString illegal = QStringLiteral(
            "Filename contains illegal characters.\rYou must use letters and digits only.\r"
            "Please re-try.");
        const QString taken = QStringLiteral("Filename already exists. Choose another.");
        QTest::newRow("space") << "rep 1" << illegal << "";
        QTest::newRow("underscore") << "rep_1" << illegal << "";
        QTest::newRow("dot") << "rep.1" << illegal << "";
        QTest::newRow("accent") << QStringLiteral("r\u00e9p1") << illegal << "";
        QTest::newRow("taken, other case") << "Rep1" << taken << "Rep1";
        QTest::newRow("taken, same case") << "rep1" << taken << "rep1";
        QTest::newRow("taken, upper-case file") << "weekly" << taken << "weekly";
        QTest::newRow("device name")
            << "con"
            << "con is a name that Windows keeps for a device. Choose another."
            << "con";
        QTest::newRow("empty") << ""
                               << "You must enter a name for the report file."
                               << "";
    }
    void refusedNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, fieldAfter);
        StoreFixture fixture;
        QVERIFY(fixture.writeReport(QStringLiteral("rep1.rpt"), "Old\r\nContact\r\n"));
        QVERIFY(fixture.writeReport(QStringLiteral("WEEKLY.RPT"), "Old\r\nContact\r\n"));
        // Even a left-over file called ".rpt" does not make an empty name acceptable.
        QVERIFY(fixture.writeReport(QStringLiteral(".rpt"), "Old\r\nContact\r\n"));
        ScriptedPlatform platform;

        TFrmFilename dialog(QStringLiteral("Desc"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        type(edit(dialog, "EdFileName"), typed);
        QTest::mouseClick(findButton(dialog, "BitBtn2"), Qt::LeftButton);

        QCOMPARE(platform.texts(), QStringList{message});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Error);
        QCOMPARE(platform.m_beeps.size(), 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.reportFile().isEmpty());
        QCOMPARE(edit(dialog, "EdFileName")->text(), fieldAfter);
        QCOMPARE(QApplication::focusWidget(), edit(dialog, "EdFileName"));
        // No file was made.
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void acceptedNameHandsBackPathAndDescription()
    {
        StoreFixture fixture;
        QVERIFY(fixture.writeReport(QStringLiteral("rep1.rpt"), "Old\r\nContact\r\n"));
        ScriptedPlatform platform;

        TFrmFilename dialog(QStringLiteral("Weekly calls"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit* description = edit(dialog, "EdDescription");
        description->selectAll();
        QTest::keyClicks(description, QStringLiteral("Calls of the week"));
        // The length limits hold for typing.
        QTest::keyClicks(edit(dialog, "EdFileName"), QStringLiteral("Rep2TooLong"));
        QCOMPARE(edit(dialog, "EdFileName")->text(), QStringLiteral("Rep2TooL"));
        // Enter presses the default button.
        QTest::keyClick(edit(dialog, "EdFileName"), Qt::Key_Return);

        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.reportFile(), JoinPath(fixture.dataFolder, QStringLiteral("Rep2TooL.rpt")));
        QCOMPARE(dialog.description(), QStringLiteral("Calls of the week"));
    }

    void refusalThenRetrySucceeds()
    {
        StoreFixture fixture;
        ScriptedPlatform platform;
        TFrmFilename dialog(QStringLiteral("Desc"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(edit(dialog, "EdFileName"), QStringLiteral("a-b"));
        QTest::mouseClick(findButton(dialog, "BitBtn2"), Qt::LeftButton);
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY(dialog.isVisible());
        // The emptied field takes the next try directly.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
        QTest::mouseClick(findButton(dialog, "BitBtn2"), Qt::LeftButton);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.reportFile(), JoinPath(fixture.dataFolder, QStringLiteral("ab.rpt")));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("button") << false;
        QTest::newRow("escape") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, byEscape);
        StoreFixture fixture;
        ScriptedPlatform platform;
        TFrmFilename dialog(QStringLiteral("Desc"));
        int result = -1;
        QTimer::singleShot(0, &dialog, [&] {
            auto* active = qobject_cast<TFrmFilename*>(QApplication::activeModalWidget());
            if (!active)
                return;
            QTest::keyClicks(edit(*active, "EdFileName"), QStringLiteral("New1"));
            if (byEscape)
                QTest::keyClick(edit(*active, "EdFileName"), Qt::Key_Escape);
            else
                QTest::mouseClick(findButton(*active, "BitBtn1"), Qt::LeftButton);
        });
        result = dialog.exec();
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(dialog.reportFile().isEmpty());
        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(QDir(fixture.dataFolder).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestGetfilr)
#include "tst_getfilr.moc"
