// "Pre&view" in the wizard: on the "Field Definitions" page it opens the
// preview of the report in hand, read from the alias's data folder with the
// session's table passwords.

#include "PreviewTables.h"
#include "ReportRoads.h"

#include "core/app/StartUp.h"
#include "forms/preview/ReportPreviewWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Roads;

class TestWizardPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    void previewFromPage10()
    {
        WizardFixture f;
        PreviewTables::write(f.dataFolder, 0, true, StartUp::tablePassword(0));
        createWorkingTable();
        QString error;
        QVERIFY(ReportFile::save(f.dataPath(QStringLiteral("revenue.rpt")),
                                 PreviewTables::contactReport(), &error));
        TFrmCReport& w = f.open();
        QVERIFY(startOperation(w, w.RbModify, QStringLiteral("revenue.rpt")).done);
        for (int i = 0; i < 15 && w.Notebook1->currentWidget() != w.Page10; ++i)
            next(w);
        QCOMPARE(w.Notebook1->currentWidget(), w.Page10);
        auto* button = w.findChild<QPushButton*>(QStringLiteral("BtnPreview"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Pre&view"));
        QVERIFY(button->isVisible());

        QString cls, line, fit;
        WizardFixture::withModal([&] { QTest::mouseClick(button, Qt::LeftButton); },
                                 [&](QWidget* modal) {
                                     auto* preview = qobject_cast<ReportPreviewWindow*>(modal);
                                     if (!preview)
                                         return;
                                     cls = QString::fromLatin1(modal->metaObject()->className());
                                     preview->waitForScan();
                                     line = preview->currentPage().lines.value(3).text;
                                     if (auto* l = preview->findChild<QLabel*>(QStringLiteral("LblFit")))
                                         fit = l->text();
                                     if (!qEnvironmentVariableIsEmpty("TV_SCREENSHOTS"))
                                         preview->grab().save(qEnvironmentVariable("TV_SCREENSHOTS") +
                                                              QStringLiteral("/preview.png"));
                                     preview->accept();
                                 });
        QCOMPARE(cls, QStringLiteral("ReportPreviewWindow"));
        QCOMPARE(line.left(20), QString::fromUtf8("Boreal\u2026+18 ...250.00"));
        QVERIFY2(fit.contains("Company: 1 of 3 values do not fit 10 characters"), qPrintable(fit));
        QVERIFY(f.platform.boxes.isEmpty());
    }
};

QTEST_MAIN(TestWizardPreview)
#include "tst_wizardpreview.moc"
