#include "Controls.h"
#include "ModalWatch.h"
#include "Screenshots.h"
#include "ScriptedPlatform.h"
#include "TempInstallation.h"
#include "core/app/StartUp.h"
#include "core/catalogue/UserFields.h"
#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "forms/app/WidgetPlatform.h"
#include "forms/controls/About.h"
#include "forms/controls/CombinedFields.h"
#include "forms/controls/Cruser.h"
#include "forms/controls/Picklist.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QPoint>
#include <QProcess>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QSignalSpy>
#include <QSize>
#include <QStyle>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace {

const QString kAlias = QStringLiteral("VESKA");

// Runs `act` on the modal window that the next action opens, then closes it
// if `act` did not, and sets `seen`. The polling stops when `watch` goes.
void onNextModal(QObject* watch, const std::function<void(QWidget*)>& act, bool* seen)
{
    *seen = false;
    watchModal(
        watch,
        [act, seen](QWidget* modal) {
            *seen = true;
            act(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                dialog->reject();
        },
        {}, 10);
}

// Every label of a window shows its whole text: a single line fits its width,
// a word-wrapped text fits its height.
QStringList clippedLabels(QWidget* window)
{
    QStringList clipped;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        const QSize hint = label->sizeHint();
        const bool fits = label->wordWrap()
                              ? label->heightForWidth(label->width()) <= label->height()
                              : hint.width() <= label->width() && hint.height() <= label->height();
        if (!fits)
            clipped << QStringLiteral("%1 %2x%3 needs %4x%5")
                           .arg(label->objectName())
                           .arg(label->width())
                           .arg(label->height())
                           .arg(hint.width())
                           .arg(label->wordWrap() ? label->heightForWidth(label->width())
                                                  : hint.height());
        if (!window->rect().contains(label->mapTo(window, label->rect().bottomRight())))
            clipped << label->objectName() + QStringLiteral(" (outside)");
    }
    return clipped;
}

// Texts of a grid that its cells or headers cut off: each cell's text with
// the margins the view draws around it must fit its column, and each header
// label its section; the corner's heading counts as a vertical header label.
QStringList cutTexts(QTableWidget* grid)
{
    QStringList cut;
    const QFontMetrics cellFont(grid->font());
    const int cellMargin =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    const int headerMargin = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
    const QFontMetrics top(grid->horizontalHeader()->font());
    const QFontMetrics side(grid->verticalHeader()->font());
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* head = grid->horizontalHeaderItem(c);
        if (head && top.horizontalAdvance(head->text()) + headerMargin > grid->columnWidth(c))
            cut << head->text();
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QTableWidgetItem* item = grid->item(r, c);
            if (item &&
                cellFont.horizontalAdvance(item->text()) + cellMargin > grid->columnWidth(c))
                cut << item->text();
            if (c == 0 && cellFont.height() > grid->rowHeight(r))
                cut << QStringLiteral("row %1 height").arg(r);
        }
    }
    QStringList sideTexts{QStringLiteral("USER FIELD")};
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (const QTableWidgetItem* item = grid->verticalHeaderItem(r))
            sideTexts << item->text();
    }
    for (const QString& text : sideTexts) {
        if (side.horizontalAdvance(text) + headerMargin > grid->verticalHeader()->width())
            cut << text;
    }
    if (top.height() > grid->horizontalHeader()->height())
        cut << QStringLiteral("header height");
    return cut;
}

// A cell of the user field grid read as a string grid: row 0 holds the
// database names, column 0 the field names, and the corner its heading.
QString userCell(const QWidget& dialog, int col, int row)
{
    const auto* grid = control<QTableWidget>(dialog, "StringGrid1");
    const QTableWidgetItem* item = nullptr;
    if (col == 0 && row == 0) {
        const auto* corner = grid->findChild<QAbstractButton*>();
        return corner ? corner->text() : QString();
    }
    if (col == 0)
        item = grid->verticalHeaderItem(row - 1);
    else if (row == 0)
        item = grid->horizontalHeaderItem(col - 1);
    else
        item = grid->item(row - 1, col - 1);
    return item ? item->text() : QString();
}
// Columns and rows of that string grid, headings included.
int userColumns(const QWidget& dialog)
{
    return control<QTableWidget>(dialog, "StringGrid1")->columnCount() + 1;
}
int userRows(const QWidget& dialog)
{
    return control<QTableWidget>(dialog, "StringGrid1")->rowCount() + 1;
}

// Check box 1, 2 or 3 of the special fields dialog.
QCheckBox* specialBox(const QWidget& dialog, int number)
{
    const QByteArray name = "CheckBox" + QByteArray::number(number);
    return control<QCheckBox>(dialog, name.constData());
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_data;
    QString m_aliasFile;
    QString m_netDir;

    static QList<FieldDef> databaseFields(const QString& leaveOut = QString())
    {
        QList<FieldDef> fields;
        QStringList names{QStringLiteral("DB")};
        names << ::userFieldNames();
        for (const QString& name : names) {
            if (name == leaveOut)
                continue;
            FieldDef def;
            def.name = name;
            def.type = FieldType::Alpha;
            def.size = 30;
            fields << def;
        }
        return fields;
    }

    // One row per database: its name, then a caption for each user field
    // ("<db> <field>"), except the fields listed in `empty`.
    static Row databaseRow(const QList<FieldDef>& fields, const QString& db,
                           const QStringList& empty = {})
    {
        Row row;
        for (const FieldDef& def : fields) {
            if (def.name == QLatin1String("DB"))
                row << db;
            else if (empty.contains(def.name))
                row << QVariant();
            else
                row << QString(db.left(4) + QLatin1Char(' ') + def.name);
        }
        return row;
    }

    void writeDatabaseTable(const QList<FieldDef>& fields, const QList<Row>& rows)
    {
        ParadoxWriter::writeTable(QDir(m_data).filePath(QStringLiteral("DATABASE.DB")), fields, 0,
                                  rows);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_data = m_root.filePath(QStringLiteral("data"));
        m_netDir = m_root.filePath(QStringLiteral("netctl"));
        const QString& netDir = m_netDir;
        QVERIFY(QDir().mkpath(m_data));
        QVERIFY(QDir().mkpath(netDir));
        m_aliasFile = m_root.filePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(TempInstallation::writeAliasFile(m_aliasFile, m_data));
        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        Session::instance().setNetDir(netDir);
        QVERIFY(!QApplication::font().family().isEmpty());
    }

    void init()
    {
        QDir dir(m_data);
        for (const QString& f : dir.entryList(QDir::Files))
            QVERIFY(dir.remove(f));
    }

    void userFieldNames()
    {
        const QStringList names = ::userFieldNames();
        QCOMPARE(names.size(), 48);
        QCOMPARE(names.first(), QStringLiteral("User1"));
        QCOMPARE(names.at(15), QStringLiteral("User16"));
        QCOMPARE(names.at(16), QStringLiteral("Date1"));
        QCOMPARE(names.at(32), QStringLiteral("Num1"));
        QCOMPARE(names.at(40), QStringLiteral("Money1"));
        QCOMPARE(names.last(), QStringLiteral("Money8"));
    }

    void userGridThreeDatabases()
    {
        const QList<FieldDef> fields = databaseFields();
        // Not in alphabetical order: the grid follows the table's order.
        writeDatabaseTable(fields,
                           {databaseRow(fields, QStringLiteral("Zeta Office")),
                            databaseRow(fields, QStringLiteral("Head Office"),
                                        {QStringLiteral("User3"), QStringLiteral("Money8")}),
                            databaseRow(fields, QStringLiteral("Archive"))});

        TFrmUser dialog(nullptr, kAlias);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("User Field Definitions"));
        QCOMPARE(dialog.size(), QSize(618, 413)); // the grid scrolls
        QCOMPARE(userColumns(dialog), 4);
        QCOMPARE(userRows(dialog), 49);
        QCOMPARE(userCell(dialog, 0, 0), QStringLiteral("USER FIELD"));
        QCOMPARE(userCell(dialog, 0, 1), QStringLiteral("User1"));
        QCOMPARE(userCell(dialog, 0, 17), QStringLiteral("Date1"));
        QCOMPARE(userCell(dialog, 0, 48), QStringLiteral("Money8"));
        QCOMPARE(userCell(dialog, 1, 0), QStringLiteral("Zeta Office"));
        QCOMPARE(userCell(dialog, 2, 0), QStringLiteral("Head Office"));
        QCOMPARE(userCell(dialog, 3, 0), QStringLiteral("Archive"));
        QCOMPARE(userCell(dialog, 1, 1), QStringLiteral("Zeta User1"));
        QCOMPARE(userCell(dialog, 3, 40), QStringLiteral("Arch Num8"));
        QCOMPARE(userCell(dialog, 2, 48), QString()); // left empty by that database
        QCOMPARE(userCell(dialog, 2, 3), QString());
        QCOMPARE(userCell(dialog, 0, 3), QStringLiteral("User3")); // the label stays
        QCOMPARE(userCell(dialog, 2, 4), QStringLiteral("Head User4"));

        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        QVERIFY(grid);
        QCOMPARE(grid->geometry(), QRect(8, 12, 601, 349));
        QCOMPARE(grid->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(grid->font().pixelSize(), 13);
        // The designed sizes are the least; the texts decide beyond them.
        QVERIFY(grid->columnWidth(0) >= 85);
        QVERIFY(grid->rowHeight(0) >= 17);
        QVERIFY2(cutTexts(grid).isEmpty(), qPrintable(cutTexts(grid).join(QLatin1Char(','))));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
        QVERIFY(ok && ok->isDefault());
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(dialog.rect().contains(ok->geometry()));
        QVERIFY(dialog.findChild<QObject*>(QStringLiteral("TblDatabase")));
    }

    void userGridNoDatabases()
    {
        writeDatabaseTable(databaseFields(), {});
        TFrmUser dialog(nullptr, kAlias);
        QCOMPARE(userColumns(dialog), 1);
        QCOMPARE(userRows(dialog), 49);
        QCOMPARE(userCell(dialog, 0, 48), QStringLiteral("Money8"));
    }

    void userDialogRefusesBadTables_data()
    {
        QTest::addColumn<QString>("leaveOut"); // "-" writes no table at all
        QTest::addColumn<bool>("withRows");
        QTest::addColumn<QString>("named");
        QTest::newRow("no table") << "-" << true << "DATABASE.DB";
        QTest::newRow("no Num5") << "Num5" << true << "Num5";
        QTest::newRow("no DB") << "DB" << true << "DB";
        QTest::newRow("no Money8, no rows") << "Money8" << false << "Money8";
    }
    void userDialogRefusesBadTables()
    {
        QFETCH(QString, leaveOut);
        QFETCH(bool, withRows);
        QFETCH(QString, named);
        if (leaveOut != QLatin1String("-")) {
            const QList<FieldDef> fields = databaseFields(leaveOut);
            QList<Row> rows;
            if (withRows)
                rows << databaseRow(fields, QStringLiteral("Main"));
            writeDatabaseTable(fields, rows);
        }

        // Creating the dialog raises the engine's error.
        QString message;
        try {
            TFrmUser dialog(nullptr, kAlias);
        } catch (const DatabaseError& e) {
            message = e.message();
        }
        QVERIFY2(message.contains(named), qPrintable(message));

        // Through execute() the error reaches the standard error box and no
        // dialog is shown.
        ScriptedPlatform platform;
        bool seen = false;
        QObject watch;
        onNextModal(
            &watch, [](QWidget*) {}, &seen);
        QVERIFY(!TFrmUser::execute(nullptr, kAlias));
        QTest::qWait(50);
        QVERIFY(!seen);
        QCOMPARE(platform.texts(), QStringList{message});
        QCOMPARE(platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY(!QApplication::overrideCursor()); // the wait cursor is gone

        // The same in the desktop's own box, in its own modal loop: the one
        // window that opens is the error box, and nothing is left open.
        WidgetPlatform desktop;
        Platform::install(&desktop);
        qDeleteAll(watch.findChildren<QTimer*>()); // the watch above saw nothing
        QStringList opened;
        onNextModal(
            &watch,
            [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                opened << (box ? box->text() : w->metaObject()->className());
                if (box)
                    box->button(QMessageBox::Ok)->click();
            },
            &seen);
        QVERIFY(!TFrmUser::execute(nullptr, kAlias));
        Platform::install(&platform);
        QVERIFY(seen);
        QCOMPARE(opened, QStringList{message});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void userDialogShownModally()
    {
        const QList<FieldDef> fields = databaseFields();
        writeDatabaseTable(fields, {databaseRow(fields, QStringLiteral("Main"))});
        QWidget owner;
        QString title;
        bool wasModal = false;
        QWidget* parent = nullptr;
        bool seen = false;
        QObject watch;
        onNextModal(
            &watch,
            [&](QWidget* w) {
                title = w->windowTitle();
                wasModal = w->isModal();
                parent = w->parentWidget();
                QTest::keyClick(w, Qt::Key_Return); // the default button
            },
            &seen);
        QVERIFY(TFrmUser::execute(&owner, kAlias));
        QVERIFY(seen);
        QCOMPARE(title, QStringLiteral("User Field Definitions"));
        QVERIFY(wasModal);
        QCOMPARE(parent, &owner);
        QVERIFY(owner.findChildren<TFrmUser*>().isEmpty()); // released
    }

    // The sample installation's DATABASE.DB is password-protected like the
    // host's. Without the program's passwords the dialog is refused with the
    // engine's message; with them (as start-up registers them) it shows
    // every record.
    void userGridFromProtectedSampleTable()
    {
        QProcess generator;
        generator.start(QDir(qEnvironmentVariable("TV_BIN_DIR"))
                            .filePath(AppPaths::programName(QStringLiteral("makesample.exe"))),
                        {m_data});
        QVERIFY(generator.waitForFinished(120000));
        QCOMPARE(generator.exitCode(), 0);
        const QString path = QDir(m_data).filePath(QStringLiteral("DATABASE.DB"));
        ParadoxReader reader(path);
        QVERIFY(reader.encrypted());

        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        Session::instance().setNetDir(m_netDir);
        {
            ScriptedPlatform platform;
            QVERIFY(!TFrmUser::execute(nullptr, kAlias));
            QCOMPARE(platform.texts(),
                     QStringList{QStringLiteral("The table DATABASE.DB is encrypted, and none of "
                                                "the passwords of this program opens it.")});
        }

        StartUp::registerTablePasswords();
        reader.setPassword(StartUp::tablePassword(1));
        const QList<Row> records = reader.readAll();
        QVERIFY(records.size() >= 2);
        QStringList names;
        for (const FieldDef& f : reader.fields())
            names << f.name;

        QStringList mismatches;
        int columns = 0;
        bool seen = false;
        QObject watch;
        onNextModal(
            &watch,
            [&](QWidget* w) {
                auto* dialog = qobject_cast<TFrmUser*>(w);
                if (!dialog)
                    return;
                columns = userColumns(*dialog);
                for (int c = 0; c < records.size(); ++c) {
                    const Row& record = records.at(c);
                    if (userCell(*dialog, c + 1, 0) !=
                        record.at(names.indexOf(QStringLiteral("DB"))).toString())
                        mismatches << QStringLiteral("database %1").arg(c + 1);
                    for (int r = 1; r <= 48; ++r) {
                        const QString field = userCell(*dialog, 0, r);
                        if (userCell(*dialog, c + 1, r) !=
                            record.at(names.indexOf(field)).toString())
                            mismatches << QStringLiteral("%1 of database %2").arg(field).arg(c + 1);
                    }
                }
                Screenshots::save(w, QStringLiteral("user-field-definitions-protected-sample.png"));
                QTest::keyClick(w, Qt::Key_Return);
            },
            &seen);
        QVERIFY(TFrmUser::execute(nullptr, kAlias));
        QVERIFY(seen);
        QCOMPARE(columns, int(records.size()) + 1);
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(QStringLiteral(", "))));
    }

    void aboutBox()
    {
        TfrmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QVERIFY(about.width() >= 439 && about.height() >= 279);
        QVERIFY(about.width() <= 439 + 60 && about.height() <= 279 + 60);
        // Two spaces, unlike the caption stored with the form.
        QCOMPARE(control<QLabel>(about, "lblProgram")->text(),
                 QStringLiteral("Tallyvane  Professional"));
        QVERIFY(control<QLabel>(about, "lblProgram")->font().bold());
        QCOMPARE(control<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 3.0"));
        QCOMPARE(about.font().family(), QStringLiteral("Arial"));
        QCOMPARE(about.font().pixelSize(), 13);
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("OKButton"));
        QVERIFY(ok && ok->isDefault());

        bool seen = false;
        bool okHadFocus = false;
        QStringList clipped;
        QObject watch;
        onNextModal(
            &watch,
            [&](QWidget* w) {
                okHadFocus = QApplication::focusWidget() ==
                             w->findChild<QPushButton*>(QStringLiteral("OKButton"));
                clipped = clippedLabels(w);
                QTest::keyClick(w, Qt::Key_Return);
            },
            &seen);
        QCOMPARE(about.exec(), int(QDialog::Accepted));
        QVERIFY(seen);
        QVERIFY(okHadFocus);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char(','))));
    }

    void specialFieldsFollowThePickList()
    {
        TPickList list;
        list.setMultiSelect(true);
        list.setExtendedSelect(false);
        list.addItems({"Company", "Memo", "salutfirstlast", "firstlast", "citystatezip"});
        list.setItemSelected(3, true); // firstlast
        QSignalSpy clicks(&list, &TPickList::OnClick);
        QSignalSpy changes(&list, &TPickList::OnChange);
        QSignalSpy selectionSignals(&list, &QListWidget::itemSelectionChanged);

        TFrmSpecial dialog(&list);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Special Fields"));
        QVERIFY(dialog.width() >= 461 && dialog.height() >= 233);
        QCOMPARE(specialBox(dialog, 1)->text(), QStringLiteral("SalutFirstLast"));
        QCOMPARE(specialBox(dialog, 2)->text(), QStringLiteral("FirstLast"));
        QCOMPARE(specialBox(dialog, 3)->text(), QStringLiteral("CityStateZip"));
        QVERIFY(!specialBox(dialog, 1)->isChecked());
        QVERIFY(specialBox(dialog, 2)->isChecked());
        QVERIFY(!specialBox(dialog, 3)->isChecked());
        selectionSignals.clear();

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Unticking FirstLast deselects the entry at once.
        QTest::mouseClick(specialBox(dialog, 2), Qt::LeftButton, {},
                          QPoint(8, specialBox(dialog, 2)->height() / 2));
        QVERIFY(!specialBox(dialog, 2)->isChecked());
        QVERIFY(!list.isItemSelected(3));
        // The space bar ticks CityStateZip.
        specialBox(dialog, 3)->setFocus();
        QTest::keyClick(specialBox(dialog, 3), Qt::Key_Space);
        QVERIFY(list.isItemSelected(4));
        QVERIFY(!list.isItemSelected(2));
        // Ticking it back again.
        QTest::mouseClick(specialBox(dialog, 2), Qt::LeftButton, {},
                          QPoint(8, specialBox(dialog, 2)->height() / 2));
        QVERIFY(list.isItemSelected(3));
        // None of this is a click in the pick list.
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(changes.count(), 0);
        QVERIFY(selectionSignals.count() > 0); // the selection did change

        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1")),
                          Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(list.isItemSelected(3) && list.isItemSelected(4));
        QCOMPARE(list.selectedItemCount(), 2);
    }

    void specialFieldsLookUpIgnoringCase()
    {
        TPickList list;
        list.setMultiSelect(true);
        list.addItems({"FIRSTLAST", "firstlast"});
        list.setItemSelected(0, true);
        TFrmSpecial dialog(&list);
        QVERIFY(specialBox(dialog, 2)->isChecked()); // the first match counts
        specialBox(dialog, 2)->click();
        QVERIFY(!list.isItemSelected(0));
        QVERIFY(!list.isItemSelected(1));
        specialBox(dialog, 2)->click();
        QVERIFY(list.isItemSelected(0));
        QVERIFY(!list.isItemSelected(1));
    }

    // Captions and database names wider than the designed column, in
    // whatever font stands in for the grid's: every text is shown whole,
    // in the real dialog as the user opens it.
    void userGridFitsLongTexts()
    {
        const QList<FieldDef> fields = databaseFields();
        Row service = databaseRow(fields, QStringLiteral("Service Desk and Support"));
        service[1] = QStringLiteral("Service Desk");
        service[17] = QStringLiteral("Renewal date of the contract");
        writeDatabaseTable(fields, {service, databaseRow(fields, QStringLiteral("Head Office"))});

        TFrmUser dialog(nullptr, kAlias);
        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        QVERIFY(grid);
        QStringList cut;
        bool seen = false;
        QObject watch;
        onNextModal(
            &watch, [&](QWidget*) { cut = cutTexts(grid); }, &seen);
        dialog.exec();
        QVERIFY(seen);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char(','))));
        QVERIFY(grid->columnWidth(0) > 85);
    }

    void specialFieldsWithoutEntries()
    {
        TPickList empty;
        TFrmSpecial dialog(&empty);
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(!specialBox(dialog, i)->isChecked());
            specialBox(dialog, i)->click();
            QVERIFY(specialBox(dialog, i)->isChecked());
        }
        QCOMPARE(empty.count(), 0);
        TFrmSpecial noList(nullptr); // tolerated
        specialBox(noList, 1)->click();
    }

    void specialFieldsLayout()
    {
        TPickList list;
        TFrmSpecial dialog(&list);
        auto* title = dialog.findChild<QLabel*>(QStringLiteral("LblTitle"));
        QVERIFY(title);
        QCOMPARE(title->text(), QStringLiteral("Special Fields"));
        QCOMPARE(title->font().pixelSize(), 19);
        QVERIFY(title->font().bold());
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(dialog.findChild<QGroupBox*>(QStringLiteral("GroupBox2"))->title(),
                 QStringLiteral("Combination Fields"));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("Label3"))
                    ->text()
                    .endsWith(QStringLiteral("to one column. (Miami, FL 33201)")));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(specialBox(dialog, i)->font().bold());
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));

        bool seen = false;
        QStringList clipped;
        QObject watch;
        onNextModal(
            &watch,
            [&](QWidget* w) {
                clipped = clippedLabels(w);
                for (int i = 1; i <= 3; ++i) {
                    QCheckBox* box = specialBox(*w, i);
                    if (box->sizeHint().width() > box->width() ||
                        !w->rect().contains(box->mapTo(w, box->rect().bottomRight())))
                        clipped << box->objectName();
                }
                QTest::keyClick(w, Qt::Key_Return);
            },
            &seen);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(seen);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char(','))));
    }

    // With TV_SCREENSHOT_DIR set, saves pictures of the dialogs and of a pick
    // list for the documentation.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("TV_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("TV_SCREENSHOT_DIR is not set");
        QVERIFY(QDir().mkpath(dir));

        const QList<FieldDef> fields = databaseFields();
        const QStringList captions{"Account no.", "Region",    "Referred by", "Industry",
                                   "Spouse",      "Assistant", "Web site",    "Newsletter"};
        QList<Row> rows;
        const QStringList dbs{"Customers", "Suppliers", "Members"};
        for (int d = 0; d < dbs.size(); ++d) {
            Row row{dbs.at(d)};
            for (int i = 1; i < fields.size(); ++i) {
                const QString& name = fields.at(i).name;
                if (name.startsWith(QLatin1String("User")) && i <= captions.size())
                    row << QString(captions.at((i - 1 + d) % captions.size()));
                else if (name == QLatin1String("Date1"))
                    row << QStringLiteral("Birthday");
                else if (name == QLatin1String("Date2") && d != 1)
                    row << QStringLiteral("Renewal date");
                else if (name == QLatin1String("Money1"))
                    row << QStringLiteral("Credit limit");
                else
                    row << QVariant();
            }
            rows << row;
        }
        writeDatabaseTable(fields, rows);

        // On a real display the picture includes the window manager's frame
        // and title bar; offscreen it is the window's contents.
        auto save = [&](QWidget* w, const QString& name) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QPixmap picture;
            if (QGuiApplication::platformName() == QLatin1String("xcb")) {
                QTest::qWait(400);
                picture = w->screen()->grabWindow(0, w->frameGeometry().x(), w->frameGeometry().y(),
                                                  w->frameGeometry().width(),
                                                  w->frameGeometry().height());
            } else {
                picture = w->grab();
            }
            QVERIFY(picture.save(QDir(dir).filePath(name)));
        };
        {
            TFrmUser user(nullptr, kAlias);
            save(&user, QStringLiteral("user-field-definitions.png"));
        }
        TPickList list;
        list.setMultiSelect(true);
        list.setExtendedSelect(false);
        list.addItems({"Company", "Contact", "Phone\t(main)", "Memo", "CustomID", "salutfirstlast",
                       "firstlast", "citystatezip"});
        list.setTabStops(QStringLiteral("14"));
        for (int row : {0, 2, 6})
            list.setItemSelected(row, true);
        list.resize(220, 150);
        list.move(100, 100);
        list.setWindowTitle(QStringLiteral("Pick list"));
        save(&list, QStringLiteral("pick-list.png"));
        {
            TFrmSpecial special(&list);
            save(&special, QStringLiteral("combination-fields.png"));
        }
        {
            TfrmAbout about;
            save(&about, QStringLiteral("about.png"));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
