// "Pre&view" in the wizard: on the "Field Definitions" page it opens the
// preview of the report in hand, read from the alias's data folder with the
// session's table passwords.

#include "Controls.h"
#include "PreviewTables.h"
#include "ReportRoads.h"
#include "Screenshots.h"
#include "ShareMount.h"

#include "core/app/StartUp.h"
#include "forms/preview/ColumnFitWarnings.h"
#include "forms/preview/ReportPreviewWindow.h"
#include "forms/store/Repcol.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

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
        QVERIFY(
            startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("revenue.rpt"))
                .done);
        for (int i = 0; i < 15 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page10");
             ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
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
                                     if (auto* l =
                                             preview->findChild<QLabel*>(QStringLiteral("LblFit")))
                                         fit = l->text();
                                     Screenshots::save(preview, QStringLiteral("report-preview"));
                                     preview->accept();
                                 });
        QCOMPARE(cls, QStringLiteral("ReportPreviewWindow"));
        QCOMPARE(line.left(20), QString::fromUtf8("Boreal\u2026+18 ...250.00"));
        QVERIFY2(fit.contains("Company: 1 of 3 values do not fit 10 characters"), qPrintable(fit));
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // Page9: the rows whose values do not fit are marked beside the grid, and
    // follow the widths as they are typed.
    // On a slow share the check shows its progress with Cancel, and a
    // cancelled check says so; the grid answers meanwhile.
    void fitCheckOnASlowShareCancels()
    {
        if (const QString why = ShareMount::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ShareMount share({QStringLiteral("--read-delay-ms=40")});
        QVERIFY2(share.mounted(), qPrintable(share.error()));
        PreviewTables::write(share.path(), 20000);
        QWidget window;
        auto* box = new QVBoxLayout(&window);
        auto* grid = new QTableWidget(1, 4, &window);
        box->addWidget(grid);
        const QStringList cells{"Company", "1", "1", "10"};
        for (int c = 0; c < cells.size(); ++c)
            grid->setItem(0, c, new QTableWidgetItem(cells[c]));
        const QString folder = share.path();
        auto* fit = new ColumnFitWarnings(
            grid, [] { return PreviewTables::contactReport(); }, [folder] { return folder; },
            PreviewTables::passwords());
        window.show();
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("FitProgress"));
        auto* cancel = window.findChild<QPushButton*>(QStringLiteral("BtnFitCancel"));
        QVERIFY(bar && cancel);
        QTRY_VERIFY(fit->running());
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 5000);
        QVERIFY(fit->running());
        QVERIFY(cancel->isVisible());
        grid->item(0, 3)->setText(QStringLiteral("12")); // typed while it reads
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!fit->running());
        QVERIFY(!fit->finished());
        QVERIFY(!bar->isVisible());
        QVERIFY2(fit->summaryLabel()->text().contains("not finished"),
                 qPrintable(fit->summaryLabel()->text()));
        QVERIFY(fit->rowWarning(0).isEmpty());
    }

    void fitWarningsOnPage9()
    {
        WizardFixture f;
        PreviewTables::write(f.dataFolder, 0, true, StartUp::tablePassword(0));
        createWorkingTable();
        QString error;
        QVERIFY(ReportFile::save(f.dataPath(QStringLiteral("revenue.rpt")),
                                 PreviewTables::contactReport(), &error));
        TFrmCReport& w = f.open();
        QVERIFY(
            startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("revenue.rpt"))
                .done);
        for (int i = 0; i < 15 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page9");
             ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));
        auto* fit = control<QTableWidget>(w, "sgCol")->findChild<ColumnFitWarnings*>();
        QVERIFY(fit);
        QTRY_VERIFY(fit->running() || fit->finished());
        fit->waitForScan();
        QVERIFY(fit->finished());
        auto rowOf = [&](const QString& field) {
            for (int r = 0; r < control<QTableWidget>(w, "sgCol")->rowCount(); ++r)
                if (control<QTableWidget>(w, "sgCol")->item(r, 0) &&
                    control<QTableWidget>(w, "sgCol")->item(r, 0)->text() == field)
                    return r;
            return -1;
        };
        const int company = rowOf(QStringLiteral("Company"));
        const int revenue = rowOf(QStringLiteral("Revenue"));
        QVERIFY(company >= 0 && revenue >= 0);
        const QString expected = QStringLiteral(
            "1 of 3 values do not fit 10 characters; the longest has 24: Borealis Trading Company");
        QCOMPARE(fit->rowWarning(company), expected);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(company, 0)->toolTip(), expected);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(company, 3)->background().color().rgb(),
                 ColumnFitWarnings::warningColour());
        QVERIFY(fit->rowWarning(revenue).isEmpty());
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(revenue, 0)->data(Qt::BackgroundRole),
                 QVariant());
        QCOMPARE(fit->summaryLabel()->text(), QStringLiteral("Fit check: Company: ") + expected);
        QVERIFY(fit->summaryLabel()->isVisible());
        QVERIFY(Screenshots::save(&w, QStringLiteral("page9-fit-warning")));

        // Wider: 24 characters fit; narrower: Acme and Cyan (4) fit 4, not 3.
        control<QTableWidget>(w, "sgCol")->item(company, 3)->setText(QStringLiteral("24"));
        QTRY_VERIFY(fit->rowWarning(company).isEmpty());
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(company, 0)->data(Qt::BackgroundRole),
                 QVariant());
        QCOMPARE(fit->summaryLabel()->text(),
                 QStringLiteral("Fit check: every value fits its column."));
        control<QTableWidget>(w, "sgCol")->item(company, 3)->setText(QStringLiteral("3"));
        QTRY_VERIFY(
            fit->rowWarning(company).startsWith(QStringLiteral("3 of 3 values do not fit 3")));
        QVERIFY(!fit->running()); // the widths need no second reading
    }

    // In the column editor the preview shows the positions as typed, before
    // OK has written anything.
    void previewFromTheColumnEditor()
    {
        WizardFixture f;
        PreviewTables::write(f.dataFolder, 0, true, StartUp::tablePassword(0));
        createWorkingTable();
        QString error;
        QVERIFY(ReportFile::save(f.dataPath(QStringLiteral("revenue.rpt")),
                                 PreviewTables::contactReport(), &error));
        const QByteArray before = readAll(f.dataPath(QStringLiteral("revenue.rpt")));
        TFrmCReport& w = f.open();
        QString firstLine, companyLine;
        bool buttonShown = false;
        startOperation(
            w, control<QRadioButton>(w, "RBColumn"), QStringLiteral("revenue.rpt"),
            [&](QWidget* modal) {
                auto* editor = qobject_cast<TFrmColumn*>(modal);
                if (!editor)
                    return;
                auto* button = editor->findChild<QPushButton*>(QStringLiteral("BtnPreview"));
                buttonShown = button && button->isVisible();
                // Company's right margin from 10 to 8, typed and not yet posted.
                auto* grid = editor->findChild<QTableWidget*>(QStringLiteral("DBGrid1"));
                for (int r = 0; r < grid->rowCount(); ++r)
                    if (grid->item(r, 0) && grid->item(r, 0)->text() == QLatin1String("Company"))
                        grid->setCurrentCell(r, 3);
                grid->setFocus();
                QTest::keyClick(grid, Qt::Key_F2);
                if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                    edit->selectAll();
                    QTest::keyClicks(edit, QStringLiteral("8"));
                }
                QTimer::singleShot(200, [&] {
                    if (auto* p =
                            qobject_cast<ReportPreviewWindow*>(QApplication::activeModalWidget())) {
                        p->waitForScan();
                        firstLine = p->currentPage().lines.value(0).text;
                        companyLine = p->currentPage().lines.value(3).text;
                        p->accept();
                    }
                });
                if (button)
                    QTest::mouseClick(button, Qt::LeftButton);
                QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BtnCancel")),
                                  Qt::LeftButton);
            });
        QVERIFY(buttonShown);
        QCOMPARE(companyLine.left(20), QString::fromUtf8("Bore\u2026+20   ...250.00"));
        QVERIFY(firstLine.startsWith(QStringLiteral("Company")));
        // Cancel: the report file is as it was.
        QCOMPARE(readAll(f.dataPath(QStringLiteral("revenue.rpt"))), before);
    }
};

QTEST_MAIN(TestWizardPreview)
#include "tst_wizardpreview.moc"
