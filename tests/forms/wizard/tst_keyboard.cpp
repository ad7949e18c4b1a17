// The wizard without a mouse: a new report is made from the first page to
// the saved file with keys alone (Tab, arrows, space, Alt shortcuts, Enter),
// and every page and dialog is checked for what keyboard and screen-reader
// users depend on: each control has an accessible name, each can be reached
// with Tab, and no two controls in view share an Alt shortcut.
//
// No mouse event is sent anywhere in this file.
#include "Controls.h"
#include "FileBytes.h"
#include "WizardFixture.h"

#include "forms/controls/Picklist.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

QWidget* focused() { return QApplication::focusWidget(); }

// Presses a key on whatever has the focus, as the keyboard does.
// Keys go where the keyboard sends them: to the focus of the active window,
// which is the modal dialog while one is open. (The offscreen platform
// activates a new dialog a little after it appears, and leaves no window
// active after one closes; then the key goes to the window the test opened.)
QWidget* g_window = nullptr;

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = focused();
    if (QWidget* modal = QApplication::activeModalWidget();
        modal && (!target || target->window() != modal)) {
        QApplication::setActiveWindow(modal);
        QVERIFY(QTest::qWaitForWindowActive(modal));
        target = focused() ? focused() : modal;
    }
    if (!target)
        target = QApplication::activeWindow();
    if (!target && g_window) {
        QApplication::setActiveWindow(g_window);
        target = focused() ? focused() : g_window;
    }
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void alt(int key) { press(key, Qt::AltModifier); }

// Radio buttons that the arrow keys move between: those of one button group,
// or of one parent when they have no group.
bool sameRadioGroup(QWidget* a, QWidget* b)
{
    auto* ra = qobject_cast<QRadioButton*>(a);
    auto* rb = qobject_cast<QRadioButton*>(b);
    if (!ra || !rb)
        return false;
    if (ra->group() || rb->group())
        return ra->group() == rb->group();
    return ra->parentWidget() == rb->parentWidget();
}

// Presses Tab until `target` (or, for a radio button, a button of its group)
// has the focus. Returns false when a whole round did not get there.
bool tabTo(QWidget* target)
{
    for (int i = 0; i < 60; ++i) {
        QWidget* f = focused();
        if (f == target || sameRadioGroup(f, target))
            return true;
        press(Qt::Key_Tab);
    }
    return false;
}

// Checks a radio button with the keyboard: Tab into its group, then arrows
// (which check the button they move to) until it is checked.
bool chooseRadio(QRadioButton* target)
{
    if (!tabTo(target))
        return false;
    if (focused() == target && !target->isChecked())
        press(Qt::Key_Space);
    for (int i = 0; i < 12 && !target->isChecked(); ++i)
        press(Qt::Key_Down);
    for (int i = 0; i < 12 && !target->isChecked(); ++i)
        press(Qt::Key_Up);
    return target->isChecked();
}

// Toggles entry `row` of a list with the caret keys and the space bar.
void toggleRow(QListWidget* list, int row)
{
    QCOMPARE(focused(), static_cast<QWidget*>(list));
    press(Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        press(Qt::Key_Down);
    press(Qt::Key_Space);
}

// ---- What keyboard and screen-reader users need of a window ----

// Controls that take the focus with Tab; inner parts of compound controls
// (a spin box's line edit) speak through their owner and are left out.
QList<QWidget*> focusableControls(QWidget* root)
{
    QList<QWidget*> result;
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() ||
            w->objectName().startsWith(QLatin1String("qt_")) || w->objectName().isEmpty())
            continue;
        result << w;
    }
    return result;
}

// Controls a screen reader would announce without a name (of those in view
// when `visibleOnly`).
QStringList namelessControls(QWidget* root, bool visibleOnly = false)
{
    QStringList result;
    for (QWidget* w : focusableControls(root)) {
        if (visibleOnly && !w->isVisible())
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty())
            result << w->objectName();
    }
    return result;
}

// Enabled controls in view that a full round of Tab never reaches. A radio
// button counts as reached when one of its group was (arrows move within the
// group).
QStringList unreachableControls(QWidget* root)
{
    QSet<QWidget*> reached;
    press(Qt::Key_Tab); // makes sure the keys reach this window
    for (int i = 0; i < 120; ++i) {
        QWidget* f = focused();
        if (!f)
            break;
        reached.insert(f);
        press(Qt::Key_Tab);
    }
    QStringList result;
    for (QWidget* w : focusableControls(root)) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        bool ok = reached.contains(w);
        for (QWidget* r : std::as_const(reached)) {
            ok = ok || r->isAncestorOf(w) || w->isAncestorOf(r) || sameRadioGroup(r, w);
        }
        if (!ok)
            result << w->objectName();
    }
    return result;
}

// Alt shortcuts that two enabled controls in view share.
QStringList sharedShortcuts(QWidget* root)
{
    QMap<QKeySequence, QString> owners;
    QStringList result;
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
            text = l->text();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty())
            continue;
        if (owners.contains(key))
            result << owners.value(key) + QLatin1Char('/') + w->objectName();
        owners.insert(key, w->objectName());
    }
    return result;
}

// Every problem of one window, in one line per kind, empty when none.
QStringList audit(QWidget* root, const QString& title)
{
    QStringList problems;
    const QStringList nameless = namelessControls(root);
    if (!nameless.isEmpty())
        problems << title + QStringLiteral(": no accessible name: ") + nameless.join(u' ');
    const QStringList shared = sharedShortcuts(root);
    if (!shared.isEmpty())
        problems << title + QStringLiteral(": shared shortcuts: ") + shared.join(u' ');
    const QStringList missed = unreachableControls(root);
    if (!missed.isEmpty())
        problems << title + QStringLiteral(": not reached by Tab: ") + missed.join(u' ');
    return problems;
}

// Copies the generated sample tables (contacts, events, databases) and
// reports into the fixture's data folder; falls back to the fixture's small
// tables.
void sampleTables(WizardFixture& f)
{
    const QDir sample(qEnvironmentVariable("TV_BIN_DIR") + QStringLiteral("/SampleData"));
    bool copied = sample.exists(QStringLiteral("CONTACT.DB"));
    if (copied) {
        for (const QString& name : sample.entryList(
                 {QStringLiteral("*.DB"), QStringLiteral("*.MB"), QStringLiteral("*.rpt")},
                 QDir::Files)) {
            if (name.compare(QLatin1String("CRDATA.DB"), Qt::CaseInsensitive) != 0)
                copied = QFile::copy(sample.filePath(name), f.dataPath(name)) && copied;
        }
    }
    if (!copied)
        f.makeHostTables();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }
    void cleanup() { g_window = nullptr; }

    // A new report from the first page to the saved file, keys only.
    void createRoadByKeyboard()
    {
        WizardFixture f;
        sampleTables(f);
        TFrmCReport& w = f.open();
        g_window = &w;

        // Page1: the focus starts on Next; Alt+C picks "Create".
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        QCOMPARE(focused(), static_cast<QWidget*>(control<QPushButton>(w, "BtnNext")));
        alt(Qt::Key_M);
        QTRY_VERIFY(control<QRadioButton>(w, "RbModify")->isChecked());
        alt(Qt::Key_C);
        QTRY_VERIFY(control<QRadioButton>(w, "RBCreate")->isChecked());
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));

        // Page2: the ordering by arrows (date ordered and back).
        QVERIFY(chooseRadio(control<QRadioButton>(w, "rbDateOrdered")));
        QVERIFY(chooseRadio(control<QRadioButton>(w, "RbContactOrdered")));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page3"));

        // Page3: calls with the contact fields.
        QVERIFY(control<QRadioButton>(w, "RBContact")->isChecked());
        QVERIFY(chooseRadio(control<QRadioButton>(w, "RbCall")));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page4"));

        // Page4: the description box has the focus; Next with it empty is
        // refused and leaves the focus there.
        QCOMPARE(focused(), static_cast<QWidget*>(control<QLineEdit>(w, "EdDescription")));
        control<QLineEdit>(w, "EdDescription")->selectAll();
        press(Qt::Key_Delete);
        alt(Qt::Key_N);
        QTRY_VERIFY(f.platform.texts().contains(QStringLiteral("You must enter a description.")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4"));
        QCOMPARE(focused(), static_cast<QWidget*>(control<QLineEdit>(w, "EdDescription")));
        QTest::keyClicks(focused(), QStringLiteral("Calls by keyboard"));
        QCOMPARE(control<QLabel>(w, "LblDesc")->text(), QStringLiteral("Calls by keyboard"));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page5"));

        // Page5: A4 portrait, then a custom width typed into the spin box
        // that Alt+W reaches.
        QVERIFY(chooseRadio(control<QRadioButton>(w, "RbA4Por")));
        QVERIFY(chooseRadio(control<QRadioButton>(w, "RbOther")));
        QTRY_VERIFY(control<BoundedSpinBox>(w, "SpinMargin")->isEnabled());
        alt(Qt::Key_W);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(control<BoundedSpinBox>(w, "SpinMargin")));
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focused(), QStringLiteral("90"));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinMargin")->value(), 90);
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page4_5"));

        // Page4_5: no detail level.
        QVERIFY(chooseRadio(control<QRadioButton>(w, "rbCustNo")));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page6"));

        // Page6: Alt+O reaches the contact fields; the caret keys and the
        // space bar pick two of them (not the memo); Tab reaches the event
        // fields, where the space bar picks the first.
        QVERIFY(control<TPickList>(w, "PickContactField")->count() > 3);
        QVERIFY(control<TPickList>(w, "PickEventField")->count() > 0);
        alt(Qt::Key_O);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(control<TPickList>(w, "PickContactField")));
        QStringList picked;
        for (int row = 0;
             row < control<TPickList>(w, "PickContactField")->count() && picked.size() < 2; ++row) {
            const QString text = control<TPickList>(w, "PickContactField")->item(row)->text();
            if (text.contains(QLatin1String("memo"), Qt::CaseInsensitive) ||
                text.contains(QLatin1String("customid"), Qt::CaseInsensitive))
                continue;
            toggleRow(control<TPickList>(w, "PickContactField"), row);
            QVERIFY2(control<TPickList>(w, "PickContactField")->isItemSelected(row),
                     qPrintable(text));
            picked << text;
        }
        QVERIFY(tabTo(control<TPickList>(w, "PickEventField")));
        int eventRow = 0;
        while (control<TPickList>(w, "PickEventField")
                   ->item(eventRow)
                   ->text()
                   .contains(QLatin1String("memo"), Qt::CaseInsensitive))
            ++eventRow;
        toggleRow(control<TPickList>(w, "PickEventField"), eventRow);
        QVERIFY(control<TPickList>(w, "PickEventField")->isItemSelected(eventRow));
        const QStringList boxesBefore = f.platform.texts();
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page7"));
        QCOMPARE(f.platform.texts(), boxesBefore);

        // Page7: three fields; the second is moved up with Alt+U.
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->count(), 3);
        const QString second = control<QListWidget>(w, "lbAllFields")->item(1)->text();
        QVERIFY(tabTo(control<QListWidget>(w, "lbAllFields")));
        press(Qt::Key_Home);
        press(Qt::Key_Down);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->currentRow(), 1);
        alt(Qt::Key_U);
        QTRY_COMPARE(control<QListWidget>(w, "lbAllFields")->item(0)->text(), second);
        const QString firstField = control<QListWidget>(w, "lbAllFields")->item(0)->text();
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page8"));

        // Page8: the column count has the focus and holds the number of
        // fields; the down arrow makes it two columns.
        QCOMPARE(focused(), static_cast<QWidget*>(control<BoundedSpinBox>(w, "SpinCol")));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 3);
        press(Qt::Key_Down);
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 2);
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page9"));

        // Page9: Tab to "Check Columns" and press it with the space bar.
        QVERIFY(tabTo(control<QPushButton>(w, "BtnCheck")));
        f.platform.clear();
        press(Qt::Key_Space);
        QTRY_COMPARE(f.platform.boxes.size(), 1);
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page10"));

        // Page10: the field list has the focus with its first entry chosen;
        // Alt+E reaches the column header, Tab the dot leader box.
        QCOMPARE(focused(), static_cast<QWidget*>(control<QListWidget>(w, "LBFieldDefs")));
        QCOMPARE(control<QListWidget>(w, "LBFieldDefs")->currentRow(), 0);
        QVERIFY(!control<QPushButton>(w, "BtnNext")->isEnabled());
        alt(Qt::Key_E);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(control<QLineEdit>(w, "DBEdit1")));
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focused(), QStringLiteral("Typed Header"));
        QVERIFY(tabTo(control<QCheckBox>(w, "cbDotLead")));
        press(Qt::Key_Space);
        QVERIFY(control<QCheckBox>(w, "cbDotLead")->isChecked());

        // "Make Report" (Alt+M) asks for the file name: type it and press
        // Enter.
        f.platform.clear();
        QString dialogTitle;
        QString typedInto;
        QStringList namingProblems;
        WizardFixture::withModal(
            [&] { alt(Qt::Key_M); },
            [&](QWidget* modal) {
                if (!modal)
                    return;
                dialogTitle = modal->windowTitle();
                namingProblems = audit(modal, modal->objectName());
                if (auto* name = modal->findChild<QLineEdit*>(QStringLiteral("EdFileName"))) {
                    tabTo(name);
                    typedInto = focused()->objectName();
                    QTest::keyClicks(focused(), QStringLiteral("KEYRD"));
                }
                press(Qt::Key_Return);
                if (modal->isVisible())
                    static_cast<QDialog*>(modal)->reject();
            });
        QCOMPARE(dialogTitle, QStringLiteral("Save Report File"));
        QCOMPARE(typedInto, QStringLiteral("EdFileName"));
        QVERIFY2(namingProblems.isEmpty(), qPrintable(namingProblems.join(u'\n')));
        QTRY_VERIFY(f.platform.texts().contains(QStringLiteral("Report successfully created.")));

        // The report as the contact manager will read it.
        QString file;
        for (const QString& name : QDir(f.dataFolder).entryList(QDir::Files))
            if (name.compare(QLatin1String("KEYRD.rpt"), Qt::CaseInsensitive) == 0)
                file = f.dataPath(name);
        QVERIFY2(!file.isEmpty(), "KEYRD.rpt was not written");
        const QList<QByteArray> lines = readAll(file).split('\n');
        QVERIFY(lines.size() > 5 + 3 * 13);
        QCOMPARE(lines.at(0).trimmed(), QByteArray("Calls by keyboard"));
        QCOMPARE(lines.at(3).trimmed(), QByteArray("90"));
        QCOMPARE(lines.at(4).trimmed(), QByteArray("3"));
        // The first field block: the field moved to the front, with the
        // header typed and its dot leader.
        QCOMPARE(lines.at(5 + 3).trimmed(), QByteArray("Typed Header"));
        QVERIFY(!lines.at(5 + 1).trimmed().isEmpty());
        QVERIFY(lines.at(5 + 4).trimmed().size() > 0);
        Q_UNUSED(firstField);
    }

    // Each page of the wizard and the bottom panel: names, Tab, shortcuts.
    void wizardPages()
    {
        WizardFixture f;
        sampleTables(f);
        TFrmCReport& w = f.open();
        QStringList problems;
        QStringList nameless;
        for (int page = 0; page < control<QStackedWidget>(w, "Notebook1")->count(); ++page) {
            control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(page);
            QTest::qWait(10);
            control<QPushButton>(w, "BtnNext")->setFocus();
            const QString name =
                control<QStackedWidget>(w, "Notebook1")->currentWidget()->objectName();
            for (const QString& n : namelessControls(&w, true))
                if (!nameless.contains(n))
                    nameless << n;
            const QStringList shared = sharedShortcuts(&w);
            if (!shared.isEmpty())
                problems << name + QStringLiteral(": shared shortcuts: ") + shared.join(u' ');
            const QStringList missed = unreachableControls(&w);
            if (!missed.isEmpty())
                problems << name + QStringLiteral(": not reached by Tab: ") + missed.join(u' ');
        }
        if (!nameless.isEmpty())
            problems << QStringLiteral("no accessible name: ") + nameless.join(u' ');
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The dialogs, each opened from the wizard with its shortcut or with
    // the key that leads to it.
    void dialogs()
    {
        WizardFixture f;
        sampleTables(f);
        TFrmCReport& w = f.open();
        g_window = &w;
        QStringList problems;
        QStringList seen;
        const auto check = [&](QWidget* modal) {
            if (!modal)
                return;
            seen << modal->objectName();
            QTest::qWait(10);
            problems << audit(modal, modal->objectName());
            press(Qt::Key_Escape);
            if (modal->isVisible())
                static_cast<QDialog*>(modal)->reject();
        };

        // The about box.
        WizardFixture::withModal([&] { alt(Qt::Key_A); }, check);

        // The selection dialog, on the way to modifying a report.
        QVERIFY(chooseRadio(control<QRadioButton>(w, "RbModify")));
        WizardFixture::withModal([&] { alt(Qt::Key_N); }, check);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));

        // The special-field and user-field dialogs of Page6.
        alt(Qt::Key_C);
        QTRY_VERIFY(control<QRadioButton>(w, "RBCreate")->isChecked());
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page3"));
        alt(Qt::Key_N);
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page4"));
        QTest::keyClicks(focused(), QStringLiteral("Dialogs"));
        for (QWidget* page : {control<QWidget>(w, "Page5"), control<QWidget>(w, "Page4_5"),
                              control<QWidget>(w, "Page6")}) {
            alt(Qt::Key_N);
            QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(), page);
        }
        WizardFixture::withModal([&] { alt(Qt::Key_S); }, check);
        WizardFixture::withModal([&] { alt(Qt::Key_U); }, check);

        // The column editor: Alt+W on Page1, Next, Enter on the first report
        // of the selection dialog; the editor opens when that dialog closes.
        for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page1");
             ++i) {
            const int before = control<QStackedWidget>(w, "Notebook1")->currentIndex();
            alt(Qt::Key_P);
            QTRY_VERIFY(control<QStackedWidget>(w, "Notebook1")->currentIndex() != before);
        }
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page1"));
        alt(Qt::Key_W);
        QTRY_VERIFY(control<QRadioButton>(w, "RBColumn")->isChecked());
        QTimer* editorWatch = watchModal(&w, check, [](QWidget* modal) {
            return modal->objectName() == QLatin1String("TFrmColumn");
        });
        WizardFixture::withModal([&] { alt(Qt::Key_N); },
                                 [&](QWidget* modal) {
                                     if (!modal)
                                         return;
                                     press(Qt::Key_Home);
                                     press(Qt::Key_Return);
                                 });
        QTRY_VERIFY(!editorWatch->isActive());
        QTRY_COMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));

        QCOMPARE(seen, (QStringList{QStringLiteral("TfrmAbout"), QStringLiteral("TFrmSelect"),
                                    QStringLiteral("TFrmSpecial"), QStringLiteral("TFrmUser"),
                                    QStringLiteral("TFrmColumn")}));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // Every Alt shortcut of a round button, a check box or a label does what
    // its caption promises on each page: the button is chosen (a check box
    // ticked), the label's control gets the focus. (Push buttons are pressed
    // by their shortcuts on the roads above.)
    void everyShortcutActs()
    {
        WizardFixture f;
        sampleTables(f);
        TFrmCReport& w = f.open();
        g_window = &w;
        QStringList failures;
        int tried = 0;
        for (int page = 0; page < control<QStackedWidget>(w, "Notebook1")->count(); ++page) {
            control<QStackedWidget>(w, "Notebook1")->setCurrentIndex(page);
            if (control<QStackedWidget>(w, "Notebook1")->currentWidget() ==
                control<QWidget>(w, "Page5"))
                control<QRadioButton>(w, "RbOther")
                    ->setChecked(true); // the printable width is open then
            QTest::qWait(10);
            const auto widgets =
                control<QStackedWidget>(w, "Notebook1")->currentWidget()->findChildren<QWidget*>();
            for (QWidget* c : widgets) {
                if (!c->isVisible() || !c->isEnabled())
                    continue;
                QWidget* expectFocus = nullptr;
                QString text;
                auto* box = qobject_cast<QAbstractButton*>(c);
                if (box && box->isCheckable()) {
                    text = box->text();
                    expectFocus = box;
                } else if (auto* label = qobject_cast<QLabel*>(c); label && label->buddy()) {
                    text = label->text();
                    expectFocus = label->buddy();
                }
                const QKeySequence key = QKeySequence::mnemonic(text);
                if (key.isEmpty() || !expectFocus->isEnabled())
                    continue;
                ++tried;
                control<QPushButton>(w, "BtnNext")->setFocus();
                const bool wasChecked = box && box->isChecked();
                press(key[0].key(), Qt::AltModifier);
                // (A shortcut presses its button with a short animation.)
                const auto acted = [&] {
                    const bool focusOk =
                        focused() == expectFocus || (expectFocus->focusProxy() == focused());
                    if (qobject_cast<QRadioButton*>(box))
                        return focusOk && box->isChecked();
                    if (box)
                        return focusOk && box->isChecked() != wasChecked;
                    return focusOk;
                };
                for (int t = 0; t < 100 && !acted(); ++t)
                    QTest::qWait(10);
                if (!acted())
                    failures
                        << control<QStackedWidget>(w, "Notebook1")->currentWidget()->objectName() +
                               QLatin1Char(':') + c->objectName();
            }
        }
        QVERIFY2(tried >= 9, qPrintable(QString::number(tried)));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u' ')));
    }

    // The help has a section for each window, and its keyboard table names
    // every Alt shortcut the wizard has.
    void helpCoversEveryWindowAndShortcut()
    {
        QFile file(qEnvironmentVariable("TV_SOURCE_DIR") + QStringLiteral("/help/creport.html"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QString help = QString::fromUtf8(file.readAll());
        for (const char* id :
             {"context-100", "context-200", "context-300", "context-400", "context-500",
              "context-550", "context-600", "context-650", "context-700", "context-750",
              "context-800", "dialog-select", "dialog-save", "dialog-columns", "dialog-user",
              "dialog-special", "dialog-about", "keyboard"})
            QVERIFY2(help.contains(QStringLiteral("id=\"%1\"").arg(QLatin1String(id))), id);

        WizardFixture f;
        sampleTables(f);
        TFrmCReport& w = f.open();
        const auto widgets = w.findChildren<QWidget*>();
        QStringList missing;
        for (QWidget* c : widgets) {
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(c))
                text = b->text();
            else if (auto* l = qobject_cast<QLabel*>(c); l && l->buddy())
                text = l->text();
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty())
                continue;
            const QString named =
                QStringLiteral("<kbd>Alt+%1</kbd>").arg(QKeySequence(key[0].key()).toString());
            if (!help.contains(named))
                missing << c->objectName() + QLatin1Char('=') + named;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
