#include "core/catalogue/EventFields.h"
#include "core/wizard/FieldRules.h"

#include <QTest>

using namespace FieldRules;

namespace {

const QString msg1 = QStringLiteral("You cannot choose both memo fields (1)");
const QString msg2 = QStringLiteral("You cannot choose both memo fields (2)");
const QString msgCustomId = QStringLiteral("The CustomID field must appear FIRST on the list");
const QString msgMemo = QStringLiteral("The Memo Field must be last.");

const QStringList contacts{"CustomID",       "LastName",  "City",        "Memo",
                           "salutfirstlast", "firstlast", "citystatezip"};

QList<bool> selection(const QStringList& entries, const QStringList& picked)
{
    QList<bool> selected;
    for (const QString& e : entries)
        selected << picked.contains(e);
    return selected;
}

PickState callState(const QStringList& pickedContacts, const QStringList& pickedEvents)
{
    PickState s;
    s.contactEntries = contacts;
    s.contactSelected = selection(contacts, pickedContacts);
    s.eventEntries = FillEventFieldList("CALL");
    s.eventSelected = selection(s.eventEntries, pickedEvents);
    return s;
}

QStringList picked(const QStringList& entries, const QList<bool>& selected)
{
    QStringList out;
    for (int i = 0; i < entries.size(); ++i) {
        if (i < selected.size() && selected.at(i))
            out << entries.at(i);
    }
    return out;
}

} // namespace

class TestFieldRules : public QObject
{
    Q_OBJECT

private slots:
    void contactMemoRefusedWhenEventMemoChosen()
    {
        // The user picked the call notes earlier, and now picks "Memo".
        PickState s = callState({"LastName"}, {"Phone call date", "Phone call notes"});
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QVERIFY(s.eventMemoChosen);
        QCOMPARE(s.selectedCount, 3);

        s.contactSelected[contacts.indexOf("Memo")] = true;
        QCOMPARE(PickContactFieldClick(s, "CALL"), QStringList{msg1});
        QCOMPARE(picked(s.contactEntries, s.contactSelected), QStringList{"LastName"});
        QCOMPARE(picked(s.eventEntries, s.eventSelected),
                 QStringList({"Phone call date", "Phone call notes"}));
        QVERIFY(!s.contactMemoChosen);
        QVERIFY(s.eventMemoChosen);
        QCOMPARE(s.selectedCount, 3);
        QCOMPARE(selectedCountLabel(s.selectedCount), QString("(3 fields selected)"));
    }

    void eventMemoRefusedWhenContactMemoChosen()
    {
        PickState s = callState({"Memo", "City"}, {});
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QVERIFY(s.contactMemoChosen);

        s.eventSelected[s.eventEntries.indexOf("Phone call notes")] = true;
        s.eventSelected[s.eventEntries.indexOf("Phone call who")] = true;
        QCOMPARE(PickContactFieldClick(s, "CALL"), QStringList{msg2});
        QCOMPARE(picked(s.eventEntries, s.eventSelected), QStringList{"Phone call who"});
        QCOMPARE(picked(s.contactEntries, s.contactSelected), QStringList({"City", "Memo"}));
        QVERIFY(s.contactMemoChosen);
        QVERIFY(!s.eventMemoChosen);
        QCOMPARE(s.selectedCount, 3);
    }

    void deselectingOneMemoFreesTheOther()
    {
        PickState s = callState({"Memo"}, {});
        PickContactFieldClick(s, "CALL");
        s.contactSelected[contacts.indexOf("Memo")] = false;
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QVERIFY(!s.contactMemoChosen);
        QCOMPARE(s.selectedCount, 0);
        s.eventSelected[s.eventEntries.indexOf("Phone call notes")] = true;
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QVERIFY(s.eventMemoChosen);
        QCOMPARE(s.selectedCount, 1);
    }

    void memoMatchIsExact()
    {
        // Only the entry "Memo" itself is the contact memo, and only the exact
        // caption is the event memo.
        PickState s;
        s.contactEntries = {"memo", "MEMO"};
        s.contactSelected = {true, true};
        s.eventEntries = {"phone call notes", "Phone call notes"};
        s.eventSelected = {true, false};
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QVERIFY(!s.contactMemoChosen);
        QVERIFY(!s.eventMemoChosen);
        QCOMPARE(s.selectedCount, 3);
    }

    void contactsOnlyReport()
    {
        // No kind: the event memo is "Memo" itself, but the event list is empty.
        PickState s;
        s.contactEntries = contacts;
        s.contactSelected = selection(contacts, {"Memo", "City"});
        QVERIFY(PickContactFieldClick(s, QString()).isEmpty());
        QVERIFY(s.contactMemoChosen);
        QCOMPARE(s.selectedCount, 2);
        QCOMPARE(eventMemoCaption(QString()), QString("Memo"));
    }

    void shortSelectionListsReadAsUnselected()
    {
        PickState s;
        s.contactEntries = contacts;
        s.contactSelected = {false, true};
        s.eventEntries = {"x"};
        QVERIFY(PickContactFieldClick(s, "CALL").isEmpty());
        QCOMPARE(s.selectedCount, 1);
    }

    void label()
    {
        QCOMPARE(selectedCountLabel(0), QString("(0 fields selected)"));
        QCOMPARE(selectedCountLabel(12), QString("(12 fields selected)"));
    }

    void fillFullListNothingSelected()
    {
        QVERIFY(!FillFullList({}, {}, "CALL", true).has_value());
        QVERIFY(!FillFullList({}, {}, QString(), false).has_value());
    }

    void fillFullListDetailLevel()
    {
        const auto result = FillFullList({"LastName"}, {"Phone call date"}, "CALL", true);
        QVERIFY(result);
        QCOMPARE(result->entries, QStringList({"CustomID", "LastName", "Phone call date"}));
        const QList<RecordedField> expected{{"CustomID", "CustomID", 0},
                                            {"LastName", "LastName", 0},
                                            {"EventDate", "Phone call date", 1}};
        QCOMPARE(result->records, expected);
    }

    void fillFullListCustomIdOnce_data()
    {
        QTest::addColumn<QStringList>("contacts");
        QTest::newRow("same case") << QStringList{"City", "CustomID", "LastName"};
        QTest::newRow("other case") << QStringList{"City", "customid", "LastName"};
    }
    void fillFullListCustomIdOnce()
    {
        QFETCH(QStringList, contacts);
        const auto result = FillFullList(contacts, {}, "CALL", true);
        QVERIFY(result);
        QCOMPARE(result->entries, QStringList({"CustomID", "City", "LastName"}));
        QCOMPARE(result->records.size(), 3);
        QCOMPARE(result->records.first(), (RecordedField{"CustomID", "CustomID", 0}));
    }

    void fillFullListHandPickedCustomIdLeads()
    {
        // Without the detail level a picked CustomID is an ordinary field, but
        // it leads the list so that the ordering rules hold from the start.
        const auto result = FillFullList({"City", "CustomID", "LastName"}, {}, QString(), false);
        QVERIFY(result);
        QCOMPARE(result->entries, QStringList({"CustomID", "City", "LastName"}));
        QCOMPARE(result->records.first(), (RecordedField{"CustomID", "CustomID", 0}));
        QVERIFY(qOKFieldPositions(result->entries, QString()));
    }

    void fillFullListWithoutDetailLevel()
    {
        const auto result = FillFullList({}, {"Notes", "Note Date"}, "NOTE", false);
        QVERIFY(result);
        QCOMPARE(result->entries, QStringList({"Note Date", "Notes"}));
        const QList<RecordedField> expected{{"Memo", "Notes", 1}, {"EventDate", "Note Date", 1}};
        QCOMPARE(result->records, expected);
    }

    void fillFullListMemoLast_data()
    {
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("contact memo first")
            << QStringList{"Memo", "LastName", "City", "firstlast"} << QStringList{} << QString()
            << QStringList{"CustomID", "LastName", "City", "firstlast", "Memo"};
        QTest::newRow("contact memo middle")
            << QStringList{"LastName", "Memo", "City"} << QStringList{"Phone call who"} << "CALL"
            << QStringList{"CustomID", "LastName", "City", "Phone call who", "Memo"};
        QTest::newRow("event memo")
            << QStringList{"LastName"}
            << QStringList{"Phone call date", "Phone call notes", "Alarm time"} << "CALL"
            << QStringList{"CustomID", "LastName", "Phone call date", "Alarm time",
                           "Phone call notes"};
        QTest::newRow("memo in other case") << QStringList{"memo", "City"} << QStringList{}
                                            << "SALE" << QStringList{"CustomID", "City", "memo"};
    }
    void fillFullListMemoLast()
    {
        QFETCH(QStringList, contacts);
        QFETCH(QStringList, events);
        QFETCH(QString, kind);
        QFETCH(QStringList, expected);
        const auto result = FillFullList(contacts, events, kind, true);
        QVERIFY(result);
        QCOMPARE(result->entries, expected);
        QVERIFY(qOKFieldPositions(result->entries, kind));
        // The rows are recorded in pick-list order; only the list puts the memo last.
        QCOMPARE(result->records.size(), expected.size());
        if (!contacts.isEmpty())
            QCOMPARE(result->records.at(1).field, contacts.first());
    }

    void orderingRules_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QStringList{} << "CALL" << QString();
        QTest::newRow("memo alone") << QStringList{"Memo"} << "CALL" << QString();
        QTest::newRow("customid alone") << QStringList{"CustomID"} << "CALL" << QString();
        QTest::newRow("customid first")
            << QStringList{"CustomID", "A", "Memo"} << "CALL" << QString();
        QTest::newRow("customid second") << QStringList{"A", "CustomID"} << "CALL" << msgCustomId;
        QTest::newRow("customid lower case")
            << QStringList{"A", "B", "customid"} << "" << msgCustomId;
        QTest::newRow("memo first") << QStringList{"Memo", "A"} << "CALL" << msgMemo;
        QTest::newRow("memo upper case") << QStringList{"A", "MEMO", "B"} << "" << msgMemo;
        QTest::newRow("event memo by caption")
            << QStringList{"Phone call notes", "A"} << "CALL" << msgMemo;
        QTest::newRow("event memo last")
            << QStringList{"A", "Phone call notes"} << "CALL" << QString();
        QTest::newRow("caption of another kind")
            << QStringList{"Notes", "A"} << "CALL" << QString();
        QTest::newRow("note memo") << QStringList{"Notes", "A"} << "NOTE" << msgMemo;
        QTest::newRow("caption without kind")
            << QStringList{"Phone call notes", "A"} << "" << QString();
        QTest::newRow("both broken") << QStringList{"Memo", "CustomID"} << "" << msgCustomId;
    }
    void orderingRules()
    {
        QFETCH(QStringList, order);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString got = "unchanged";
        QCOMPARE(qOKFieldPositions(order, kind, &got), message.isEmpty());
        QCOMPARE(got, message);
        QCOMPARE(qOKFieldPositions(order, kind), message.isEmpty());
    }

    void moves_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QString>("message");
        const QStringList base{"CustomID", "A", "B", "Memo"};
        QTest::newRow("memo up refused") << base << "" << true << 3 << base << -1 << msgMemo;
        QTest::newRow("below customid up refused")
            << base << "" << true << 1 << base << -1 << msgCustomId;
        QTest::newRow("customid down refused")
            << base << "" << false << 0 << base << -1 << msgCustomId;
        QTest::newRow("above memo down refused")
            << base << "" << false << 2 << base << -1 << msgMemo;
        QTest::newRow("middle up") << base << "" << true << 2
                                   << QStringList{"CustomID", "B", "A", "Memo"} << 1 << QString();
        QTest::newRow("middle down") << base << "" << false << 1
                                     << QStringList{"CustomID", "B", "A", "Memo"} << 2 << QString();
        QTest::newRow("first up") << base << "" << true << 0 << base << 0 << QString();
        QTest::newRow("last down") << base << "" << false << 3 << base << 3 << QString();
        QTest::newRow("nothing selected up") << base << "" << true << -1 << base << -1 << QString();
        QTest::newRow("nothing selected down")
            << base << "" << false << -1 << base << -1 << QString();
        QTest::newRow("selection out of range")
            << base << "" << false << 7 << base << 7 << QString();
        QTest::newRow("empty list")
            << QStringList{} << "" << true << 0 << QStringList{} << 0 << QString();
        const QStringList call{"A", "Phone call date", "Phone call notes"};
        QTest::newRow("event memo up refused")
            << call << "CALL" << true << 2 << call << -1 << msgMemo;
        QTest::newRow("event entries swap")
            << call << "CALL" << false << 0
            << QStringList{"Phone call date", "A", "Phone call notes"} << 1 << QString();
        QTest::newRow("memo caption without kind is ordinary")
            << QStringList{"A", "Phone call notes"} << "" << true << 1
            << QStringList{"Phone call notes", "A"} << 0 << QString();
        // Orders loaded from older files may already break a rule; moves that
        // repair them, or keep them as broken as they were, are not refused.
        const QStringList loaded{"A", "B", "CustomID", "C"};
        QTest::newRow("repairing customid")
            << loaded << "" << true << 2 << QStringList{"A", "CustomID", "B", "C"} << 1
            << QString();
        QTest::newRow("other move in broken order")
            << loaded << "" << false << 0 << QStringList{"B", "A", "CustomID", "C"} << 1
            << QString();
        QTest::newRow("new break in broken order")
            << QStringList{"A", "CustomID", "Memo"} << "" << true << 2
            << QStringList{"A", "CustomID", "Memo"} << -1 << msgMemo;
    }
    void moves()
    {
        QFETCH(QStringList, order);
        QFETCH(QString, kind);
        QFETCH(bool, up);
        QFETCH(int, selected);
        QFETCH(QStringList, expected);
        QFETCH(int, selectedAfter);
        QFETCH(QString, message);
        const MoveResult r =
            up ? moveFieldUp(order, selected, kind) : moveFieldDown(order, selected, kind);
        QCOMPARE(r.order, expected);
        QCOMPARE(r.selected, selectedAfter);
        QCOMPARE(r.message, message);
    }

    void eventEntryClimbsUpToCustomId()
    {
        // An event entry climbs past the contact entries and stops below CustomID.
        const auto built =
            FillFullList({"LastName", "City", "Memo"}, {"Phone call who"}, "CALL", true);
        QVERIFY(built);
        QStringList order = built->entries;
        MoveResult r = moveFieldUp(order, 3, "CALL");
        QCOMPARE(r.order, QStringList({"CustomID", "LastName", "Phone call who", "City", "Memo"}));
        r = moveFieldUp(r.order, r.selected, "CALL");
        r = moveFieldUp(r.order, r.selected, "CALL");
        QCOMPARE(r.message, msgCustomId);
        QCOMPARE(r.order, QStringList({"CustomID", "Phone call who", "LastName", "City", "Memo"}));
    }
};

QTEST_APPLESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
