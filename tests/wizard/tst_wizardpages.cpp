// Every page of the wizard as the user sees it on the way through a new
// report: no caption or text is cut off. With TV_SCREENSHOT_DIR set, each
// page is also saved there as page1.png ... page10.png.
#include "WizardFixture.h"

#include "controls/Picklist.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

class TestWizardPages : public QObject
{
    Q_OBJECT

    // Texts of the page shown and of the bottom panel that do not fit.
    static QStringList clipped(TFrmCReport& w)
    {
        QStringList result;
        const auto widgets = w.findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (!widget->isVisible())
                continue;
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                if (label->text().isEmpty())
                    continue;
                const bool fits = label->wordWrap()
                                      ? label->height() >= label->heightForWidth(label->width())
                                      : label->width() >= label->sizeHint().width();
                if (!fits)
                    result << label->objectName();
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                if (button->width() < button->sizeHint().width()
                    || button->height() < button->minimumSizeHint().height())
                    result << button->objectName();
            }
        }
        return result;
    }

    static void shoot(TFrmCReport& w, const QString& name)
    {
        QTest::qWait(20);
        const QStringList cut = clipped(w);
        QVERIFY2(cut.isEmpty(), qPrintable(name + QStringLiteral(": ") + cut.join(u' ')));
        const QString folder = qEnvironmentVariable("TV_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            QVERIFY(w.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
        }
    }

    static void clickItem(QListWidget* list, int row)
    {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

private slots:
    void everyPage()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        auto next = [&] { QTest::mouseClick(w.BtnNext, Qt::LeftButton); };

        shoot(w, QStringLiteral("page1"));
        next();
        shoot(w, QStringLiteral("page2"));
        next();
        WizardFixture::clickRadio(w.RbCall);
        shoot(w, QStringLiteral("page3"));
        next();
        QTest::keyClicks(w.EdDescription, QStringLiteral("Calls this week"));
        shoot(w, QStringLiteral("page4"));
        next();
        QCOMPARE(w.Notebook1->currentWidget(), w.Page5);
        shoot(w, QStringLiteral("page5"));
        WizardFixture::clickRadio(w.RbOther);
        shoot(w, QStringLiteral("page5-other"));
        WizardFixture::clickRadio(w.RBAmPor);
        next();
        shoot(w, QStringLiteral("page4_5"));
        next();
        QCOMPARE(w.Notebook1->currentWidget(), w.Page6);
        if (w.PickContactField->count() < 3 || w.PickEventField->count() < 2)
            QSKIP("the pick lists are not filled yet");
        for (int row : {1, 2})
            clickItem(w.PickContactField, row);
        clickItem(w.PickEventField, 0);
        clickItem(w.PickEventField, 1);
        shoot(w, QStringLiteral("page6"));
        for (const char* name : {"page7", "page8", "page9", "page10"}) {
            next();
            shoot(w, QLatin1String(name));
        }
        QCOMPARE(w.Notebook1->currentWidget(), w.Page10);
    }
};

QTEST_MAIN(TestWizardPages)
#include "tst_wizardpages.moc"
