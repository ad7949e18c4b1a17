// "Field Selection" and "Field Order" driven as a user drives them: what the
// pick lists hold and when they are rebuilt, the memo rule, the field order
// built from the selection, the moves that are refused, the detail level and
// the two dialogs of the selection page.
#include "Controls.h"
#include "WizardRoad.h"

#include "core/catalogue/UserFields.h"
#include "engine/DatabaseError.h"
#include "engine/TableState.h"
#include "forms/controls/Cruser.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

using namespace WizardRoad;

namespace {

const QStringList kCallCaptions = {"Phone call date",    "Phone call time", "Phone call who",
                                   "Phone call subject", "Elapsed time",    "Phone call notes",
                                   "Is completed",       "Alarm time",      "Alarm lead time"};

const QStringList kHostContactEntries = {"CustomID",       "Company",   "LastName",
                                         "City",           "Birthday",  "Memo",
                                         "salutfirstlast", "firstlast", "citystatezip"};

// Bytes this process has read through read calls so far, or -1 where the
// system does not tell.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = io.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

class TestWizardFields : public QObject
{
    Q_OBJECT

private slots:
    // ---- What the pick lists hold -----------------------------------------

    void contactsOnly()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w);
        QCOMPARE(entries(control<TPickList>(w, "PickContactField")), kHostContactEntries);
        QVERIFY(!control<TPickList>(w, "PickEventField")->isVisible());
        QVERIFY(!control<QLabel>(w, "LblEvent")->isVisible());
        QCOMPARE(control<TPickList>(w, "PickEventField")->count(), 0);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(0 fields selected)"));
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        // Both tables are closed again after the fill.
        QVERIFY(!w.TblContact.isActive());
        QVERIFY(!w.TblEvents.isActive());
    }

    void eventKinds_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("call") << "RbCall"
                              << "CALL"
                              << "Call-related Fields"
                              << "Phone call date" << 9;
        QTest::newRow("meeting") << "RbMeeting"
                                 << "MEETING"
                                 << "Meeting-related Fields" << QString() << -1;
        QTest::newRow("quote") << "rbQuote"
                               << "QUOTE"
                               << "Quote-related Fields" << QString() << -1;
    }
    void eventKinds()
    {
        QFETCH(QString, control);
        QFETCH(QString, heading);
        QFETCH(QString, first);
        QFETCH(int, count);
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        QFETCH(QString, keyword);
        toFieldSelection(w, control);
        const EventKindInfo* kind = eventKindInfo(keyword);
        QVERIFY(kind);
        QCOMPARE(w.EventKind, kind->keyword);
        QCOMPARE(w.EventKindCode, kind->code);
        QCOMPARE(::control<QLabel>(w, "LblEvent")->text(), heading);
        QVERIFY(::control<QLabel>(w, "LblEvent")->isVisible());
        QVERIFY(::control<TPickList>(w, "PickEventField")->isVisible());
        QCOMPARE(entries(::control<TPickList>(w, "PickEventField")),
                 FillEventFieldList(kind->keyword));
        if (count >= 0) {
            QCOMPARE(::control<TPickList>(w, "PickEventField")->count(), count);
            QCOMPARE(entries(::control<TPickList>(w, "PickEventField")), kCallCaptions);
            QCOMPARE(::control<TPickList>(w, "PickEventField")->item(0)->text(), first);
        }
        QCOMPARE(entries(::control<TPickList>(w, "PickContactField")), kHostContactEntries);
    }

    // Previous never rebuilds; Next back keeps a selection; an earlier
    // choice touched in between rebuilds both lists with nothing selected.
    void whenTheListsAreRebuilt()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Company")));
        QVERIFY(
            clickEntry(control<TPickList>(w, "PickEventField"), QStringLiteral("Phone call who")));
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        QVERIFY(!w.RefillPickLists);

        // Forward and back: kept.
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"Company"});
        QCOMPARE(selected(control<TPickList>(w, "PickEventField")), QStringList{"Phone call who"});
        // Back to Page5 and forward again: still kept.
        prior(w);
        prior(w);
        next(w);
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"Company"});
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));

        // Even with RefillPickLists set, Previous never rebuilds.
        next(w);
        w.RefillPickLists = true;
        prior(w);
        QCOMPARE(selected(control<TPickList>(w, "PickEventField")), QStringList{"Phone call who"});

        // Back to Page3, another kind, forward: rebuilt, nothing selected.
        for (int i = 0; i < 4; ++i)
            prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBLetter"));
        for (int i = 0; i < 4; ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        QCOMPARE(w.EventKind, QStringLiteral("LETTER"));
        QVERIFY(selected(control<TPickList>(w, "PickContactField")).isEmpty());
        QCOMPARE(entries(control<TPickList>(w, "PickEventField")),
                 FillEventFieldList(QStringLiteral("LETTER")));
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(0 fields selected)"));
    }

    // Calls first, then contacts only: the kind stays "CALL", the event
    // list is hidden.
    void contactsOnlyKeepsTheKind()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QCOMPARE(control<QLabel>(w, "LblEvent")->text(), QStringLiteral("Call-related Fields"));
        for (int i = 0; i < 4; ++i)
            prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page3"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBContact"));
        for (int i = 0; i < 4; ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        QCOMPARE(w.EventKind, QStringLiteral("CALL"));
        QCOMPARE(control<QLabel>(w, "LblEvent")->text(), QStringLiteral("Call-related Fields"));
        QVERIFY(!control<TPickList>(w, "PickEventField")->isVisible());
        QVERIFY(!control<QLabel>(w, "LblEvent")->isVisible());
    }

    // A contact table without "CustomID" or "Memo" just has no such entry;
    // nothing else changes, the detail level still leads the order.
    void tableWithoutSpecialColumns()
    {
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB"))));
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.MB")));
        ParadoxWriter::writeTable(
            f.dataPath(QStringLiteral("CONTACT.DB")),
            {field("Name", FieldType::Alpha, 30), field("Phone", FieldType::Alpha, 20)}, 0, {});
        TFrmCReport& w = f.open();
        toFieldSelection(w);
        QCOMPARE(entries(control<TPickList>(w, "PickContactField")),
                 QStringList({"Name", "Phone", "salutfirstlast", "firstlast", "citystatezip"}));
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Phone")));
        next(w);
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")),
                 QStringList({"CustomID", "Phone"}));
    }

    // A table that cannot be opened: the engine's error, both lists empty,
    // the cursor back to normal.
    void missingTable_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("contact") << "CONTACT.DB";
        QTest::newRow("event") << "EVENT.DB";
    }
    void missingTable()
    {
        QFETCH(QString, missing);
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QVERIFY(control<TPickList>(w, "PickContactField")->count() > 0);

        // Back to Page3, the table goes, forward again.
        for (int i = 0; i < 4; ++i)
            prior(w);
        WizardFixture::clickRadio(control<QRadioButton>(w, "RbMeeting"));
        QVERIFY(QFile::remove(f.dataPath(missing)));
        f.platform.clear();
        for (int i = 0; i < 4; ++i)
            next(w);
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QVERIFY2(f.platform.texts().first().contains(missing),
                 qPrintable(f.platform.texts().first()));
        QCOMPARE(control<TPickList>(w, "PickContactField")->count(), 0);
        QCOMPARE(control<TPickList>(w, "PickEventField")->count(), 0);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!w.TblContact.isActive());
        QVERIFY(!w.TblEvents.isActive());
    }

    // The column list of a large contact table costs what that of an empty
    // one does: no row is read.
    void largeContactTableReadsNoRows()
    {
        WizardFixture f;
        f.makeHostTables();
        QVERIFY(QFile::remove(f.dataPath(QStringLiteral("CONTACT.DB"))));
        QFile::remove(f.dataPath(QStringLiteral("CONTACT.MB")));
        const QList<FieldDef> fields = {
            field("CustomID", FieldType::Alpha, 20), field("Company", FieldType::Alpha, 60),
            field("City", FieldType::Alpha, 40), field("Balance", FieldType::Money)};
        QList<Row> rows;
        rows.reserve(200000);
        for (int i = 0; i < 200000; ++i)
            rows << Row{QStringLiteral("C%1").arg(i, 7, 10, QLatin1Char('0')),
                        QStringLiteral("Company number %1").arg(i), QStringLiteral("Springfield"),
                        double(i) / 4};
        const QString path = f.dataPath(QStringLiteral("CONTACT.DB"));
        ParadoxWriter::writeTable(path, fields, 1, rows);
        rows.clear();
        const qint64 size = QFileInfo(path).size();
        QVERIFY(size > 20'000'000);

        TFrmCReport& w = f.open();
        const qint64 before = bytesReadSoFar();
        toFieldSelection(w);
        const qint64 after = bytesReadSoFar();
        QCOMPARE(entries(control<TPickList>(w, "PickContactField")),
                 QStringList({"CustomID", "Company", "City", "Balance", "salutfirstlast",
                              "firstlast", "citystatezip"}));
        // The engine holds the table's header but has read none of its rows.
        const std::shared_ptr<SharedTableState> state =
            Session::instance().tableState(QFileInfo(path).absoluteFilePath());
        QVERIFY(state->headerRead);
        QVERIFY(!state->rowsRead);
        QVERIFY(state->rows.isEmpty());
        if (before >= 0 && after >= 0)
            QVERIFY2(after - before < size / 20,
                     qPrintable(QStringLiteral("%1 bytes read").arg(after - before)));
    }

    // The sample installation that the build makes, when it is there.
    void sampleInstallation()
    {
        const QString sample = qEnvironmentVariable("TV_BIN_DIR") + QStringLiteral("/SampleData");
        if (!QFileInfo::exists(sample + QStringLiteral("/CONTACT.DB")))
            QSKIP("the sample installation has not been built");
        WizardFixture f;
        for (const QString& name : QDir(sample).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(sample).filePath(name), f.dataPath(name)));
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QVERIFY(f.platform.boxes.isEmpty());
        const QStringList contacts = entries(control<TPickList>(w, "PickContactField"));
        QVERIFY(contacts.size() > 30);
        QVERIFY(contacts.contains(QStringLiteral("CustomID")));
        QVERIFY(contacts.contains(QStringLiteral("Memo")));
        QCOMPARE(contacts.mid(contacts.size() - 3),
                 QStringList({"salutfirstlast", "firstlast", "citystatezip"}));
        QCOMPARE(entries(control<TPickList>(w, "PickEventField")), kCallCaptions);
    }

    // ---- The memo rule ------------------------------------------------------

    void bothMemosRefused()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("City")));
        QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"),
                           QStringLiteral("Phone call notes")));
        QVERIFY(w.EventMemoChosen);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        f.platform.clear();

        // The contact memo after the event memo: refused with (1).
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Memo")));
        // The entry is deselected at once; the box opens once the click has
        // been handled.
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"City"});
        QTRY_COMPARE(f.platform.texts(),
                     QStringList{QStringLiteral("You cannot choose both memo fields (1)")});
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Error);
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"City"});
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        QCOMPARE(w.SelectedCount, 2);
        QVERIFY(!w.ContactMemoChosen);
        QVERIFY(w.EventMemoChosen);

        // The other way round: refused with (2).
        QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"),
                           QStringLiteral("Phone call notes"))); // off
        QVERIFY(!w.EventMemoChosen);
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Memo")));
        QVERIFY(w.ContactMemoChosen);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        f.platform.clear();
        QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"),
                           QStringLiteral("Phone call notes")));
        QTRY_COMPARE(f.platform.texts(),
                     QStringList{QStringLiteral("You cannot choose both memo fields (2)")});
        QVERIFY(selected(control<TPickList>(w, "PickEventField")).isEmpty());
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")),
                 QStringList({"City", "Memo"}));
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        QVERIFY(w.FieldsChanged);
    }

    // Contacts only: the event memo is "Memo" itself, but the event list is
    // empty, so the contact memo is never refused.
    void contactsOnlyMemo()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w);
        QVERIFY(w.EventKind.isEmpty());
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Memo")));
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"Memo"});
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(1 fields selected)"));
    }

    // ---- The field order --------------------------------------------------

    void fieldOrderFromSelection_data()
    {
        QTest::addColumn<bool>("detailLevel");
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("detail, one column, one call caption")
            << true << QStringList{"City"} << QStringList{"Phone call date"}
            << QStringList{"CustomID", "City", "Phone call date"};
        QTest::newRow("CustomID picked as well")
            << true << QStringList{"CustomID", "Company"} << QStringList{}
            << QStringList{"CustomID", "Company"};
        QTest::newRow("memo last wherever it stands")
            << false << QStringList{"Company", "Memo", "LastName", "City"} << QStringList{}
            << QStringList{"Company", "LastName", "City", "Memo"};
        QTest::newRow("event memo last")
            << true << QStringList{"Company"} << QStringList{"Phone call who", "Phone call notes"}
            << QStringList{"CustomID", "Company", "Phone call who", "Phone call notes"};
        QTest::newRow("no detail level, events only")
            << false << QStringList{} << QStringList{"Elapsed time"} << QStringList{"Elapsed time"};
    }
    void fieldOrderFromSelection()
    {
        QFETCH(bool, detailLevel);
        QFETCH(QStringList, contacts);
        QFETCH(QStringList, events);
        QFETCH(QStringList, order);
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"), detailLevel);
        for (const QString& c : contacts)
            QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), c));
        for (const QString& e : events)
            QVERIFY(clickEntry(control<TPickList>(w, "PickEventField"), e));
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), order);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->currentRow(), 0);
        QCOMPARE(control<QLabel>(w, "LblCustYes")->isVisible(), detailLevel);
        QCOMPARE(control<QLabel>(w, "LblCustNo")->isVisible(), !detailLevel);
        QCOMPARE(control<QLabel>(w, "LblCustYes2")->isVisibleTo(control<QWidget>(w, "Page8")),
                 detailLevel);

        // The rows: the detail level first, then the contact fields, then the
        // event fields, in pick-list order.
        const QMap<QString, CrRow> rows = storedRows(f.dataPath(QStringLiteral("CRDATA.DB")));
        QStringList expected;
        if (detailLevel)
            expected << QStringLiteral("CustomID");
        QStringList inListOrder = contacts;
        std::sort(inListOrder.begin(), inListOrder.end(), [](const QString& a, const QString& b) {
            return kHostContactEntries.indexOf(a) < kHostContactEntries.indexOf(b);
        });
        for (const QString& c : inListOrder)
            if (!expected.contains(c))
                expected << c;
        for (const QString& e : events)
            expected << CaptionToField(QStringLiteral("CALL"), e);
        QCOMPARE(rows.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const CrRow row = rows.value(expected.at(i));
            QCOMPARE(row.field, expected.at(i));
            QCOMPARE(row.order.toInt(), i + 1);
            const bool event = i >= expected.size() - events.size();
            QCOMPARE(row.dbType.toInt(), event ? 1 : 0);
            QCOMPARE(row.header,
                     event ? events.at(i - (expected.size() - events.size())) : expected.at(i));
            QCOMPARE(row.flags, QList<bool>(7, false));
            QVERIFY(row.line.isNull());
            QVERIFY(row.left.isNull());
            QVERIFY(row.right.isNull());
        }
    }

    // The worked case: ("CustomID", "CustomID", 0), (the column twice, 0),
    // ("EventDate", "Phone call date", 1).
    void recordedRowsOfACallReport()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Company")));
        QVERIFY(
            clickEntry(control<TPickList>(w, "PickEventField"), QStringLiteral("Phone call date")));
        next(w);
        const QMap<QString, CrRow> rows = storedRows(f.dataPath(QStringLiteral("CRDATA.DB")));
        QCOMPARE(rows.keys(), QStringList({"Company", "CustomID", "EventDate"}));
        QCOMPARE(rows["CustomID"].header, QStringLiteral("CustomID"));
        QCOMPARE(rows["CustomID"].dbType.toInt(), 0);
        QCOMPARE(rows["Company"].header, QStringLiteral("Company"));
        QCOMPARE(rows["Company"].dbType.toInt(), 0);
        QCOMPARE(rows["EventDate"].header, QStringLiteral("Phone call date"));
        QCOMPARE(rows["EventDate"].dbType.toInt(), 1);
    }

    // Moves: refused ones restore the order, none moves past the ends.
    void moves()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RbCall"));
        for (const char* c : {"Company", "City", "Memo"})
            QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QLatin1String(c)));
        QVERIFY(
            clickEntry(control<TPickList>(w, "PickEventField"), QStringLiteral("Phone call who")));
        next(w);
        const QStringList start = {"CustomID", "Company", "City", "Phone call who", "Memo"};
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);
        f.platform.clear();

        // The memo up: refused, order back, nothing selected.
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 4));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("The Memo Field must be last.")});
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);
        QVERIFY(control<QListWidget>(w, "lbAllFields")->selectedItems().isEmpty());
        QCOMPARE(entries(control<QListWidget>(w, "lbMirror")), start);

        // The entry below CustomID up: refused.
        f.platform.clear();
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 1));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral("The CustomID field must appear FIRST on the list")});
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);
        QVERIFY(control<QListWidget>(w, "lbAllFields")->selectedItems().isEmpty());

        // CustomID down: refused the same way.
        f.platform.clear();
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 0));
        QTest::mouseClick(control<QPushButton>(w, "BtnDown"), Qt::LeftButton);
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral("The CustomID field must appear FIRST on the list")});
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);

        // The first up and the last down: nothing, no message.
        f.platform.clear();
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 0));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 4));
        QTest::mouseClick(control<QPushButton>(w, "BtnDown"), Qt::LeftButton);
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->currentRow(), 4);

        // Nothing selected: nothing moves.
        control<QListWidget>(w, "lbAllFields")->clearSelection();
        control<QListWidget>(w, "lbAllFields")->setCurrentRow(-1);
        QTest::mouseClick(control<QPushButton>(w, "BtnDown"), Qt::LeftButton);
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), start);

        // An ordinary move stands and keeps its entry selected.
        QVERIFY(clickEntry(control<QListWidget>(w, "lbAllFields"), 3));
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(w, "BtnMoveUp"), Qt::LeftButton);
        QVERIFY(f.platform.boxes.isEmpty());
        const QStringList moved = {"CustomID", "Phone call who", "Company", "City", "Memo"};
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), moved);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->currentRow(), 1);
        QVERIFY(control<QListWidget>(w, "lbAllFields")->currentItem()->isSelected());
        QVERIFY(w.qOKFieldPositions());

        // Page8 and back with Previous: the user's order stays.
        next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page8"));
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page7"));
        QCOMPARE(entries(control<QListWidget>(w, "lbAllFields")), moved);
    }

    // ---- Detail level ------------------------------------------------------

    void detailLevelSelectsCustomId()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        QVERIFY(selected(control<TPickList>(w, "PickContactField")).isEmpty());
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("City")));
        prior(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page4_5"));
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustYes"));
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")),
                 QStringList({"CustomID", "City"}));
        QCOMPARE(control<TPickList>(w, "PickContactField")->verticalScrollBar()->value(), 0);
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustNo"));
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"City"});
        // Back on Page6 the count follows what is selected.
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustYes"));
        next(w);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), QStringLiteral("(2 fields selected)"));
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")),
                 QStringList({"CustomID", "City"}));
    }

    // ---- The two dialogs ------------------------------------------------------

    void specialFieldsFollowTheList()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w);
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("firstlast")));
        w.FieldsChanged = false;
        const QString label = control<QLabel>(w, "LblSelected")->text();
        bool startedChecked = false;
        bool followsOff = true;
        bool followsOn = false;
        WizardFixture::withModal(
            [&] { QTest::mouseClick(control<QPushButton>(w, "BitBtn2"), Qt::LeftButton); },
            [&](QWidget* modal) {
                QVERIFY(modal);
                auto* box = modal->findChild<QCheckBox*>(QStringLiteral("CheckBox2"));
                QVERIFY(box);
                startedChecked = box->isChecked();
                QTest::mouseClick(box, Qt::LeftButton);
                followsOff = selected(control<TPickList>(w, "PickContactField"))
                                 .contains(QStringLiteral("firstlast"));
                QTest::mouseClick(box, Qt::LeftButton);
                QTest::mouseClick(box, Qt::LeftButton);
                auto* other = modal->findChild<QCheckBox*>(QStringLiteral("CheckBox3"));
                QTest::mouseClick(other, Qt::LeftButton);
                followsOn = selected(control<TPickList>(w, "PickContactField"))
                                .contains(QStringLiteral("citystatezip"));
                modal->close();
            });
        QVERIFY(startedChecked);
        QVERIFY(!followsOff);
        QVERIFY(followsOn);
        QCOMPARE(selected(control<TPickList>(w, "PickContactField")), QStringList{"citystatezip"});
        // Not a click in the list: no rule ran.
        QVERIFY(!w.FieldsChanged);
        QCOMPARE(control<QLabel>(w, "LblSelected")->text(), label);
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void userFields()
    {
        WizardFixture f;
        f.makeHostTables();
        QList<FieldDef> fields = {field("DB", FieldType::Alpha, 20)};
        for (const QString& name : userFieldNames())
            fields << field(name, FieldType::Alpha, 30);
        Row east(fields.size());
        east[0] = QStringLiteral("East");
        east[1] = QStringLiteral("Region");
        Row west(fields.size());
        west[0] = QStringLiteral("West");
        ParadoxWriter::writeTable(f.dataPath(QStringLiteral("DATABASE.DB")), fields, 0,
                                  {east, west});
        TFrmCReport& w = f.open();
        toFieldSelection(w);
        QStringList heads;
        WizardFixture::withModal(
            [&] { QTest::mouseClick(control<QPushButton>(w, "BtnUser"), Qt::LeftButton); },
            [&](QWidget* modal) {
                QVERIFY(modal);
                QVERIFY(qobject_cast<TFrmUser*>(modal));
                auto* grid = control<QTableWidget>(*modal, "StringGrid1");
                for (int c = 0; c < grid->columnCount(); ++c)
                    heads << grid->horizontalHeaderItem(c)->text();
                heads << grid->item(0, 0)->text();
                modal->close();
            });
        QCOMPARE(heads, QStringList({"East", "West", "Region"}));
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));

        // Without the table: the engine's error, and no dialog.
        QVERIFY(QFile::remove(f.dataPath(QStringLiteral("DATABASE.DB"))));
        QTest::mouseClick(control<QPushButton>(w, "BtnUser"), Qt::LeftButton);
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.texts().first().contains(QStringLiteral("DATABASE.DB")));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A click in the list with the column count at 1 sets it from the order
    // list of the previous visit.
    void clickSetsTheColumnCount()
    {
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        toFieldSelection(w, QStringLiteral("RBContact"), false);
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Company")));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(),
                 1); // the order list is still empty
        for (const char* c : {"City", "LastName"})
            QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QLatin1String(c)));
        next(w);
        QCOMPARE(control<QListWidget>(w, "lbAllFields")->count(), 3);
        prior(w);
        control<BoundedSpinBox>(w, "SpinCol")->setValue(1);
        QVERIFY(clickEntry(control<TPickList>(w, "PickContactField"), QStringLiteral("Birthday")));
        QCOMPARE(control<BoundedSpinBox>(w, "SpinCol")->value(), 3);
        QCOMPARE(control<QLabel>(w, "Label111")->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestWizardFields)
#include "tst_wizardfields.moc"
