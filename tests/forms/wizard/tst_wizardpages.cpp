// Every page of the wizard as the user sees it on the way through a new
// report: no caption or text is cut off. With TV_SCREENSHOT_DIR set, each
// page is also saved there as page1.png ... page10.png.
#include "Controls.h"
#include "Screenshots.h"
#include "WizardFixture.h"

#include "forms/controls/Picklist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QSet>
#include <QStackedWidget>
#include <QTest>
#include <QWidget>

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
                if (button->width() < button->sizeHint().width() ||
                    button->height() < button->minimumSizeHint().height())
                    result << button->objectName();
            }
        }
        return result;
    }

    // Every control of the page shown can be reached with Tab (a radio
    // button through its group: arrows move within a group).
    static QStringList unreachable(TFrmCReport& w)
    {
        QWidget* start = QApplication::focusWidget();
        QSet<QWidget*> reached;
        for (int i = 0; i < 80; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus)
                break;
            reached.insert(focus);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QStringList result;
        const auto widgets =
            ::control<QStackedWidget>(w, "Notebook1")->currentWidget()->findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (!widget->isVisible() || !widget->isEnabled() ||
                !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy() ||
                qobject_cast<QWidget*>(widget->parent()) != widget->parentWidget())
                continue;
            if (reached.contains(widget) || reached.contains(widget->focusProxy()))
                continue;
            bool viaGroup = false;
            if (qobject_cast<QRadioButton*>(widget)) {
                for (QWidget* r : reached)
                    viaGroup = viaGroup || (qobject_cast<QRadioButton*>(r) &&
                                            r->parentWidget() == widget->parentWidget());
            }
            // Inner parts of a compound control (the line edit of a spin box).
            bool inner = false;
            for (QWidget* r : reached)
                inner = inner || r->isAncestorOf(widget) || widget->isAncestorOf(r);
            if (!viaGroup && !inner)
                result << widget->objectName();
        }
        if (start)
            start->setFocus();
        return result;
    }

    // Alt shortcuts of the enabled controls in view that collide: a collision
    // only moves the focus instead of pressing the button.
    static QStringList sharedShortcuts(TFrmCReport& w)
    {
        QMap<QKeySequence, QString> owners;
        QStringList result;
        const auto widgets = w.findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (!widget->isVisible() || !widget->isEnabled())
                continue;
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
                text = label->text();
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty())
                continue;
            if (owners.contains(key))
                result << owners.value(key) + QLatin1Char('/') + widget->objectName();
            owners.insert(key, widget->objectName());
        }
        return result;
    }

    static void shoot(TFrmCReport& w, const QString& name)
    {
        QTest::qWait(20);
        const QStringList shared = sharedShortcuts(w);
        QVERIFY2(shared.isEmpty(),
                 qPrintable(name + QStringLiteral(" shared shortcuts: ") + shared.join(u' ')));
        const QStringList missed = unreachable(w);
        QVERIFY2(missed.isEmpty(),
                 qPrintable(name + QStringLiteral(" unreachable: ") + missed.join(u' ')));
        const QStringList cut = clipped(w);
        QVERIFY2(cut.isEmpty(), qPrintable(name + QStringLiteral(": ") + cut.join(u' ')));
        QVERIFY(Screenshots::save(&w, name));
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
        auto next = [&] { QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton); };

        shoot(w, QStringLiteral("page1"));
        next();
        shoot(w, QStringLiteral("page2"));
        next();
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
        shoot(w, QStringLiteral("page3"));
        next();
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Calls this week"));
        shoot(w, QStringLiteral("page4"));
        next();
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page5"));
        shoot(w, QStringLiteral("page5"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbOther"));
        shoot(w, QStringLiteral("page5-other"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBAmPor"));
        next();
        shoot(w, QStringLiteral("page4_5"));
        next();
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        if (control<TPickList>(w, "PickContactField")->count() < 3 ||
            control<TPickList>(w, "PickEventField")->count() < 2)
            QSKIP("the pick lists are not filled yet");
        for (int row : {1, 2})
            clickItem(control<TPickList>(w, "PickContactField"), row);
        clickItem(control<TPickList>(w, "PickEventField"), 0);
        clickItem(control<TPickList>(w, "PickEventField"), 1);
        shoot(w, QStringLiteral("page6"));
        for (const char* name : {"page7", "page8", "page9", "page10"}) {
            next();
            shoot(w, QLatin1String(name));
        }
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
    }

    // A page takes its room when it is first shown: one that needs more
    // than the window has (here with a hint many times the designed one)
    // makes the window grow then, every text of it fits, and the window
    // keeps that size on the way back.
    void aPageNeedingMoreRoomGrowsTheWindow()
    {
        WizardFixture f;
        TFrmCReport& w = f.open();
        auto* hint =
            control<QWidget>(w, "Page4")->findChild<QLabel*>(QStringLiteral("LblPage4Hint"));
        QVERIFY(hint && hint->wordWrap());
        hint->setText(QStringList(30, hint->text()).join(u' '));
        const QSize start = w.size();
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QTest::qWait(20);
        QVERIFY2(w.height() > start.height(), qPrintable(QString::number(w.height())));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        const QStringList cut = clipped(w);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u' ')));
        const QSize grown = w.size();
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(control<QPushButton>(w, "BtnPrior"), Qt::LeftButton);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QTest::qWait(20);
        QCOMPARE(w.size(), grown);
        QVERIFY(clipped(w).isEmpty());
    }
};

QTEST_MAIN(TestWizardPages)
#include "tst_wizardpages.moc"
