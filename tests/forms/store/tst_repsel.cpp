#include "Controls.h"
#include "DialogProbe.h"
#include "ScriptedPlatform.h"
#include "StoreFixture.h"

#include "forms/app/WidgetPlatform.h"
#include "forms/store/Repsel.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRect>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

class TestRepsel : public QObject
{
    Q_OBJECT

    static QTableWidget* grid(TFrmSelect& dialog) { return control<QTableWidget>(dialog, "grid"); }
    // The grid's rows as "description|type|name".
    static QStringList rows(TFrmSelect& dialog) { return gridRowTexts(grid(dialog)); }
    static void doubleClickRow(TFrmSelect& dialog, int row)
    {
        QTableWidget* g = grid(dialog);
        const QRect cell = g->visualRect(g->model()->index(row, 0));
        // What the window system delivers for a double-click.
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void show(TFrmSelect& dialog, const QString& mode)
    {
        dialog.setTitle(mode == QLatin1String("DELETE")
                            ? QStringLiteral("Delete an Existing Report")
                            : QStringLiteral("Modify an Existing Report"));
        dialog.setSelectMode(mode);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    static void writeThree(const StoreFixture& fixture)
    {
        QVERIFY(fixture.writeReport(QStringLiteral("zeta.rpt"), "zip code report\r\nContact\r\n"));
        QVERIFY(fixture.writeReport(QStringLiteral("alpha.rpt"), "City report\r\nCalendar\r\n"));
        QVERIFY(fixture.writeReport(QStringLiteral("mid.rpt"), "Birthday Report\r\nContact\r\n"));
        QVERIFY(fixture.writeReport(QStringLiteral("notes.txt"), "Not a report\r\n"));
    }

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }

    void listsByDescriptionAndMakesTheDataFolderCurrent()
    {
        StoreFixture fixture;
        writeThree(fixture);
        ScriptedPlatform platform;
        TFrmSelect dialog;
        show(dialog, QStringLiteral("MODIFY"));

        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select A Report"));
        QTRY_VERIFY2(cutTexts(dialog).isEmpty(),
                     qPrintable(cutTexts(dialog).join(QLatin1Char(','))));
        QCOMPARE(labelText(dialog, "LblTitle"), QStringLiteral("Modify an Existing Report"));
        QCOMPARE(rows(dialog), (QStringList{QStringLiteral("Birthday Report|Contact|mid.rpt"),
                                            QStringLiteral("City report|Calendar|alpha.rpt"),
                                            QStringLiteral("zip code report|Contact|zeta.rpt")}));
        QCOMPARE(labelText(dialog, "lblCount"), QStringLiteral("3"));
        QCOMPARE(labelText(dialog, "Label3"), QStringLiteral("Reports"));
        QTableWidget* g = grid(dialog);
        QCOMPARE(g->horizontalHeaderItem(0)->text(), QStringLiteral("Description"));
        QCOMPARE(g->horizontalHeaderItem(1)->text(), QStringLiteral("Type"));
        QCOMPARE(g->horizontalHeaderItem(2)->text(), QStringLiteral("Name"));
        QCOMPARE(g->columnWidth(0), 248);
        QCOMPARE(g->columnWidth(1), 97);
        QCOMPARE(g->columnWidth(2), 115);
        QCOMPARE(g->currentRow(), 0);
        QVERIFY(g->selectionModel()->isRowSelected(0, {}));
        QVERIFY(findButton(dialog, "BtnOk")->isEnabled());
        QVERIFY(findButton(dialog, "BtnOk")->isDefault());
        QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
                 QFileInfo(fixture.dataFolder).canonicalFilePath());
    }

    void oddFiles_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("row");
        QTest::newRow("upper-case name")
            << "WEEKLY.RPT" << QByteArray("Weekly\r\nCalendar\r\n") << "Weekly|Calendar|weekly.rpt";
        QTest::newRow("one line") << "one.rpt" << QByteArray("Only a description")
                                  << "Only a description||one.rpt";
        QTest::newRow("empty file") << "empty.rpt" << QByteArray() << "||empty.rpt";
        QTest::newRow("LF line ends")
            << "unix.rpt" << QByteArray("Unix\nContact\n") << "Unix|Contact|unix.rpt";
        QTest::newRow("Windows-1252") << "cafe.rpt" << QByteArray("Caf\xe9 list\r\nContact\r\n")
                                      << QStringLiteral("Caf\u00e9 list|Contact|cafe.rpt");
    }
    void oddFiles()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, contents);
        QFETCH(QString, row);
        StoreFixture fixture;
        QVERIFY(fixture.writeReport(fileName, contents));
        ScriptedPlatform platform;
        TFrmSelect dialog;
        show(dialog, QStringLiteral("MODIFY"));
        // A single report: exactly one row below the header, and the count 1.
        QCOMPARE(rows(dialog), QStringList{row});
        QCOMPARE(labelText(dialog, "lblCount"), QStringLiteral("1"));

        QTest::mouseClick(findButton(dialog, "BtnOk"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.reportFile(), row.section(QLatin1Char('|'), 2));
        QVERIFY(platform.boxes.isEmpty());
    }

    void longDataFolderIsUsedWhole()
    {
        StoreFixture fixture;
        QString deep = fixture.dataFolder;
        while (deep.size() <= 200)
            deep += QStringLiteral("/a_rather_long_folder_name");
        QVERIFY(QDir().mkpath(deep));
        const QString aliases = QDir(fixture.exeFolder).filePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(StoreFixture::write(aliases, "[VESKA]\r\nPATH=" + deep.toLocal8Bit() + "\r\n"));
        QVERIFY(StoreFixture::write(QDir(deep).filePath(QStringLiteral("deep.rpt")),
                                    "Deep\r\nContact\r\n"));
        ScriptedPlatform platform;
        TFrmSelect dialog;
        show(dialog, QStringLiteral("MODIFY"));
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(rows(dialog), QStringList{QStringLiteral("Deep|Contact|deep.rpt")});
        QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
                 QFileInfo(deep).canonicalFilePath());
    }

    void pickByKeyboardAndDoubleClick()
    {
        StoreFixture fixture;
        writeThree(fixture);
        ScriptedPlatform platform;
        {
            TFrmSelect dialog;
            show(dialog, QStringLiteral("MODIFY"));
            QTest::keyClick(grid(dialog), Qt::Key_Down);
            QTest::keyClick(grid(dialog), Qt::Key_Return);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.reportFile(), QStringLiteral("alpha.rpt"));
        }
        {
            TFrmSelect dialog;
            show(dialog, QStringLiteral("MODIFY"));
            doubleClickRow(dialog, 2);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.reportFile(), QStringLiteral("zeta.rpt"));
        }
        QVERIFY(platform.boxes.isEmpty());
        // Picking for modify deletes nothing.
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files).size(), 4);
    }

    void cancelChangesNothing()
    {
        StoreFixture fixture;
        writeThree(fixture);
        ScriptedPlatform platform;
        for (const QString& mode : {QStringLiteral("MODIFY"), QStringLiteral("DELETE")}) {
            TFrmSelect dialog;
            dialog.setSelectMode(mode);
            QTimer::singleShot(0, &dialog, [] {
                if (auto* active = qobject_cast<TFrmSelect*>(QApplication::activeModalWidget()))
                    QTest::mouseClick(findButton(*active, "BtnCancel"), Qt::LeftButton);
            });
            QCOMPARE(dialog.exec(), int(QDialog::Rejected));
            QVERIFY(dialog.reportFile().isEmpty());
        }
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files).size(), 4);
    }

    void noReports()
    {
        StoreFixture fixture;
        QVERIFY(QDir(fixture.dataFolder).mkdir(QStringLiteral("folder.rpt")));
        ScriptedPlatform platform;
        TFrmSelect dialog;
        QCOMPARE(platform.texts(),
                 QStringList{
                     QStringLiteral("There were no report files (*.rpt) found in the %1 directory")
                         .arg(fixture.dataFolder)});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Error);
        show(dialog, QStringLiteral("MODIFY"));
        QVERIFY(!findButton(dialog, "BtnOk")->isEnabled());
        QCOMPARE(grid(dialog)->rowCount(), 19);
        QCOMPARE(grid(dialog)->horizontalHeaderItem(0)->text(), QStringLiteral("Description"));

        // A double-click or Enter on an empty row does nothing.
        platform.clear();
        doubleClickRow(dialog, 0);
        QTest::keyClick(grid(dialog), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.reportFile().isEmpty());
        QVERIFY(platform.boxes.isEmpty());
        dialog.setSelectMode(QStringLiteral("DELETE"));
        doubleClickRow(dialog, 3);
        QVERIFY(dialog.isVisible());
        QVERIFY(platform.boxes.isEmpty());
        QVERIFY(QFileInfo(fixture.dataPath(QStringLiteral("folder.rpt"))).isDir());
    }

    void missingDataFolder()
    {
        StoreFixture fixture;
        const QString missing = fixture.dataPath(QStringLiteral("gone"));
        const QString aliases = QDir(fixture.exeFolder).filePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(StoreFixture::write(aliases, "[VESKA]\r\nPATH=" + missing.toLocal8Bit() + "\r\n"));
        const QString before = QDir::currentPath();
        ScriptedPlatform platform;
        TFrmSelect dialog;
        QCOMPARE(platform.texts(),
                 QStringList{QStringLiteral("The data folder %1 cannot be opened.")
                                 .arg(QDir::toNativeSeparators(missing))});
        show(dialog, QStringLiteral("MODIFY"));
        QVERIFY(!findButton(dialog, "BtnOk")->isEnabled());
        QCOMPARE(QDir::currentPath(), before);
    }

    void deleteAnsweredNoKeepsTheDialog()
    {
        StoreFixture fixture;
        writeThree(fixture);
        ScriptedPlatform platform;
        platform.queueAnswer(Platform::Answer::No);
        TFrmSelect dialog;
        show(dialog, QStringLiteral("DELETE"));
        QCOMPARE(labelText(dialog, "LblTitle"), QStringLiteral("Delete an Existing Report"));
        const QStringList before = rows(dialog);
        QTest::mouseClick(findButton(dialog, "BtnOk"), Qt::LeftButton);

        QCOMPARE(platform.texts(),
                 QStringList{QStringLiteral("Do you want to delete the mid.rpt report?")});
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Information);
        QCOMPARE(platform.boxes[0].buttons, Platform::Buttons::YesNoDefaultNo);
        QVERIFY(dialog.isVisible());
        QCOMPARE(rows(dialog), before);
        QVERIFY(QFile::exists(fixture.dataPath(QStringLiteral("mid.rpt"))));
        QVERIFY(dialog.reportFile().isEmpty());
    }

    void deleteAnsweredYesRemovesOnlyThatFile()
    {
        StoreFixture fixture;
        writeThree(fixture);
        QVERIFY(fixture.writeReport(QStringLiteral("OLD.RPT"), "Old one\r\nContact\r\n"));
        ScriptedPlatform platform;
        platform.queueAnswer(Platform::Answer::Yes);
        TFrmSelect dialog;
        show(dialog, QStringLiteral("DELETE"));
        // "Old one" is the third row; the file has an upper-case name on disk.
        QCOMPARE(grid(dialog)->item(2, 2)->text(), QStringLiteral("old.rpt"));
        doubleClickRow(dialog, 2);

        QCOMPARE(platform.texts(),
                 QStringList{QStringLiteral("Do you want to delete the old.rpt report?")});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!QFile::exists(fixture.dataPath(QStringLiteral("OLD.RPT"))));
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files),
                 (QStringList{QStringLiteral("alpha.rpt"), QStringLiteral("mid.rpt"),
                              QStringLiteral("notes.txt"), QStringLiteral("zeta.rpt")}));
        QVERIFY(dialog.reportFile().isEmpty());
    }

    // The delete question in the desktop's own box, in its own modal loop:
    // Enter takes its default button, No, and the report stays; Yes
    // deletes it.
    void deleteQuestionDefaultsToNo()
    {
        StoreFixture fixture;
        writeThree(fixture);
        WidgetPlatform desktop;
        Platform::install(&desktop);
        auto restore = qScopeGuard([] { Platform::install(nullptr); });
        TFrmSelect dialog;
        show(dialog, QStringLiteral("DELETE"));

        for (const bool yes : {false, true}) {
            QString text;
            QString defaultButton;
            QTimer::singleShot(50, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                text = box->text();
                defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
                if (yes)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key_Return);
            });
            QTest::mouseClick(findButton(dialog, "BtnOk"), Qt::LeftButton);
            QCOMPARE(text, QStringLiteral("Do you want to delete the mid.rpt report?"));
            QCOMPARE(defaultButton.remove(QLatin1Char('&')), QStringLiteral("No"));
            QCOMPARE(QFile::exists(fixture.dataPath(QStringLiteral("mid.rpt"))), !yes);
            QCOMPARE(dialog.isVisible(), !yes);
        }
    }

    void deleteOfAVanishedFileIsReported()
    {
        StoreFixture fixture;
        writeThree(fixture);
        ScriptedPlatform platform;
        platform.queueAnswer(Platform::Answer::Yes);
        TFrmSelect dialog;
        show(dialog, QStringLiteral("DELETE"));
        // Another user removed the report after the list was read.
        QVERIFY(QFile::remove(fixture.dataPath(QStringLiteral("mid.rpt"))));
        QTest::mouseClick(findButton(dialog, "BtnOk"), Qt::LeftButton);

        QCOMPARE(platform.texts(),
                 (QStringList{QStringLiteral("Do you want to delete the mid.rpt report?"),
                              QStringLiteral("Unable to delete report")}));
        QCOMPARE(platform.boxes[1].icon, Platform::Icon::Error);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files).size(), 3);
    }

    void longDeleteQuestionIsCut()
    {
        StoreFixture fixture;
        const QString name = QString(240, QLatin1Char('x')) + QStringLiteral(".rpt");
        QVERIFY(fixture.writeReport(name, "Long\r\nContact\r\n"));
        ScriptedPlatform platform;
        TFrmSelect dialog;
        show(dialog, QStringLiteral("DELETE"));
        QTest::mouseClick(findButton(dialog, "BtnOk"), Qt::LeftButton);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text.size(), 255);
        QVERIFY(platform.boxes[0].text.startsWith(QStringLiteral("Do you want to delete the xxx")));
        QVERIFY(QFile::exists(fixture.dataPath(name)));
    }
};

QTEST_MAIN(TestRepsel)
#include "tst_repsel.moc"
