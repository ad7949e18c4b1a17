#include "core/catalogue/EventFields.h"

#include <QTest>

namespace {

struct Row
{
    const char* field;
    const char* caption;
};

// The tables as the product defines them, written out independently of the
// code under test so that a slip in either shows up.
QList<Row> expectedTable(const QString& kind)
{
    if (kind == "NOTE")
        return {{"EventDate", "Note Date"},
                {"EventTime", "Note Time"},
                {"Who", "Note who"},
                {"Memo", "Notes"}};
    if (kind == "TO-DO")
        return {{"EventDate", "To-do date"}, {"EventTime", "To-do time"},
                {"Who", "To-do who"},        {"Summary", "To-do subject"},
                {"Memo", "To-do notes"},     {"Completed", "Is completed"},
                {"AlarmTime", "Alarm time"}, {"AlarmLead", "Alarm lead time"}};
    if (kind == "MEETING")
        return {{"EventDate", "Meeting date"},    {"EventTime", "Meeting time"},
                {"Who", "Meeting who"},           {"Summary", "Meeting subject"},
                {"Where", "Meeting location"},    {"Memo", "Meeting notes"},
                {"Duration", "Meeting duration"}, {"Completed", "Is completed"},
                {"AlarmTime", "Alarm time"},      {"AlarmLead", "Alarm lead time"}};
    if (kind == "CALL")
        return {{"EventDate", "Phone call date"}, {"EventTime", "Phone call time"},
                {"Who", "Phone call who"},        {"Summary", "Phone call subject"},
                {"ElapsedTime", "Elapsed time"},  {"Memo", "Phone call notes"},
                {"Completed", "Is completed"},    {"AlarmTime", "Alarm time"},
                {"AlarmLead", "Alarm lead time"}};
    if (kind == "LETTER")
        return {{"EventDate", "Letter date"}, {"EventTime", "Letter time"},
                {"Who", "Letter who"},        {"Summary", "Letter subject"},
                {"Status", "Letter status"},  {"TemplateName", "Template name used"},
                {"Memo", "Letter notes"},     {"Completed", "Is completed"},
                {"AlarmTime", "Alarm time"},  {"AlarmLead", "Alarm lead time"}};
    if (kind == "GENERIC")
        return {{"EventDate", "Event date"},  {"EventTime", "Event time"},
                {"Who", "Event who"},         {"Type", "Event type"},
                {"Summary", "Event subject"}, {"ElapsedTime", "Elapsed time"},
                {"Status", "Event status"},   {"Duration", "Event duration"},
                {"Memo", "Event notes"},      {"Completed", "Is completed"},
                {"AlarmTime", "Alarm time"},  {"AlarmLead", "Alarm lead time"}};
    if (kind == "SALE")
        return {{"EventDate", "Sale date"},
                {"EventTime", "Sale time"},
                {"DateCompleted", "Sale date completed"},
                {"TimeCompleted", "Sale time completed"},
                {"WhoCompleted", "Sale who completed"},
                {"Paid", "Sale paid?"},
                {"Who", "Sale who"},
                {"Summary", "Subject"},
                {"Sale", "Amount"},
                {"Memo", "Sale notes"}};
    if (kind == "QUOTE")
        return {{"EventDate", "Quote date"},
                {"EventTime", "Quote time"},
                {"Who", "Quote who"},
                {"DateCompleted", "Quote date completed"},
                {"TimeCompleted", "Quote time completed"},
                {"WhoCompleted", "Quote who completed"},
                {"Completed", "Is completed"},
                {"Summary", "Subject"},
                {"Sale", "Amount"},
                {"Likelyhood", "Probability"},
                {"Memo", "Quote notes"}};
    return {};
}

const QStringList allKinds{"GENERIC", "CALL", "LETTER", "MEETING",
                           "TO-DO",   "NOTE", "SALE",   "QUOTE"};

} // namespace

class TestEventFields : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("information");
        QTest::addColumn<QString>("fileKeyword");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QChar>("code");
        QTest::addColumn<int>("fields");
        QTest::newRow("GENERIC") << "GENERIC" << int(InfoKind::Event) << "Event"
                                 << "Include Basic Event Fields"
                                 << "Event-related Fields" << QChar('E') << 12;
        QTest::newRow("CALL") << "CALL" << int(InfoKind::Call) << "Call"
                              << "Include Call Event Fields"
                              << "Call-related Fields" << QChar('C') << 9;
        QTest::newRow("LETTER") << "LETTER" << int(InfoKind::Letter) << "Letter"
                                << "Include Letter Event Fields"
                                << "Letter-related Fields" << QChar('L') << 10;
        QTest::newRow("MEETING") << "MEETING" << int(InfoKind::Meeting) << "Meeting"
                                 << "Include Meetings Event Fields"
                                 << "Meeting-related Fields" << QChar('M') << 10;
        QTest::newRow("TO-DO") << "TO-DO" << int(InfoKind::ToDo) << "TO-DO"
                               << "Include To-do Fields"
                               << "To-do - related Fields" << QChar('T') << 8;
        QTest::newRow("NOTE") << "NOTE" << int(InfoKind::Note) << "Note"
                              << "Include Note Fields"
                              << "Note-related Fields" << QChar('N') << 4;
        QTest::newRow("SALE") << "SALE" << int(InfoKind::Sale) << "Sale"
                              << "Include Sales Fields"
                              << "Sale-related Fields" << QChar('S') << 10;
        QTest::newRow("QUOTE") << "QUOTE" << int(InfoKind::Quote) << "Quote"
                               << "Include Quote Fields"
                               << "Quote-related Fields" << QChar('Q') << 11;
    }
    void kinds()
    {
        QFETCH(QString, keyword);
        QFETCH(int, information);
        QFETCH(QString, fileKeyword);
        QFETCH(QString, choice);
        QFETCH(QString, heading);
        QFETCH(QChar, code);
        QFETCH(int, fields);

        const EventKindInfo* info = eventKindInfo(keyword);
        QVERIFY(info);
        QCOMPARE(info->keyword, keyword);
        QCOMPARE(info->infoKind, InfoKind(information));
        QCOMPARE(info->fileKeyword, fileKeyword);
        QCOMPARE(info->choiceCaption, choice);
        QCOMPARE(info->heading, heading);
        QCOMPARE(info->code, code);
        QCOMPARE(eventKindFor(InfoKind(information)), info);
        QCOMPARE(eventKindForCode(code), info);
        QVERIFY(isEventKind(keyword));
        QCOMPARE(eventFieldTable(keyword).size(), fields);
    }

    void kindOrderAndUnknowns()
    {
        QStringList keywords;
        for (const EventKindInfo& info : eventKinds())
            keywords << info.keyword;
        QCOMPARE(keywords, allKinds);

        for (const QString& kind :
             {QString(), QString("call"), QString("CALL "), QString("TODO"), QString("Contact")}) {
            QVERIFY2(!isEventKind(kind), qPrintable(kind));
            QVERIFY(eventFieldTable(kind).isEmpty());
        }
        QCOMPARE(eventKindFor(InfoKind::Contact), nullptr);
        QCOMPARE(contactOnlyKeyword(), QString("Contact"));
        QCOMPARE(eventKindForCode(QChar('c')), nullptr);
        QCOMPARE(eventKindForCode(QChar()), nullptr);
        QCOMPARE(contactOnlyCaption(), QString("Contact Information Only"));
        QCOMPARE(eventHeadingDefault(), QString("Event Fields"));
    }

    void tables_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString& kind : allKinds)
            QTest::newRow(qPrintable(kind)) << kind;
    }
    void tables()
    {
        QFETCH(QString, kind);
        const QList<Row> expected = expectedTable(kind);
        const QList<EventFieldEntry>& table = eventFieldTable(kind);
        QCOMPARE(table.size(), expected.size());
        QStringList captions;
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(table.at(i).fieldName, QString(expected.at(i).field));
            QCOMPARE(table.at(i).caption, QString(expected.at(i).caption));
            captions << expected.at(i).caption;
            // Names and captions are unique within a table, so both lookups
            // find exactly this entry.
            QCOMPARE(FieldToCaption(kind, expected.at(i).field), QString(expected.at(i).caption));
            QCOMPARE(CaptionToField(kind, expected.at(i).caption), QString(expected.at(i).field));
        }
        QCOMPARE(FillEventFieldList(kind), captions);
        // Every table has the memo column, and its caption is the event memo.
        QVERIFY(eventMemoCaption(kind) != "Memo");
        QCOMPARE(CaptionToField(kind, eventMemoCaption(kind)), QString("Memo"));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("caption"); // FieldToCaption(kind, input)
        QTest::addColumn<QString>("field");   // CaptionToField(kind, input)
        QTest::newRow("call memo") << "CALL"
                                   << "Memo"
                                   << "Phone call notes"
                                   << "Memo";
        QTest::newRow("call notes") << "CALL"
                                    << "Phone call notes"
                                    << "Phone call notes"
                                    << "Memo";
        QTest::newRow("sale summary") << "SALE"
                                      << "Summary"
                                      << "Subject"
                                      << "Summary";
        QTest::newRow("quote amount") << "QUOTE"
                                      << "Amount"
                                      << "Amount"
                                      << "Sale";
        QTest::newRow("quote likelyhood") << "QUOTE"
                                          << "Likelyhood"
                                          << "Probability"
                                          << "Likelyhood";
        QTest::newRow("quote likelihood spelled right") << "QUOTE"
                                                        << "Likelihood"
                                                        << "Likelihood"
                                                        << "Likelihood";
        QTest::newRow("lower-case kind") << "call"
                                         << "Memo"
                                         << "Memo"
                                         << "Memo";
        QTest::newRow("empty kind") << ""
                                    << "Memo"
                                    << "Memo"
                                    << "Memo";
        QTest::newRow("empty kind caption") << ""
                                            << "Phone call notes"
                                            << "Phone call notes"
                                            << "Phone call notes";
        QTest::newRow("caption case matters") << "CALL"
                                              << "phone call notes"
                                              << "phone call notes"
                                              << "phone call notes";
        QTest::newRow("name case matters") << "CALL"
                                           << "memo"
                                           << "memo"
                                           << "memo";
        QTest::newRow("no trimming") << "CALL"
                                     << "Memo "
                                     << "Memo "
                                     << "Memo ";
        QTest::newRow("contact name") << "CALL"
                                      << "LastName"
                                      << "LastName"
                                      << "LastName";
        QTest::newRow("empty input") << "CALL"
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("note capitals") << "NOTE"
                                       << "EventDate"
                                       << "Note Date"
                                       << "EventDate";
        QTest::newRow("note lower date") << "NOTE"
                                         << "Note date"
                                         << "Note date"
                                         << "Note date";
        QTest::newRow("field name of other kind") << "NOTE"
                                                  << "Summary"
                                                  << "Summary"
                                                  << "Summary";
    }
    void lookups()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, caption);
        QFETCH(QString, field);
        QCOMPARE(FieldToCaption(kind, input), caption);
        QCOMPARE(CaptionToField(kind, input), field);
    }

    void sharedCaptions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("kindsWithIt");
        QTest::newRow("Is completed")
            << "Is completed"
            << "Completed" << QStringList{"GENERIC", "CALL", "LETTER", "MEETING", "TO-DO", "QUOTE"};
        QTest::newRow("Alarm time")
            << "Alarm time"
            << "AlarmTime" << QStringList{"GENERIC", "CALL", "LETTER", "MEETING", "TO-DO"};
        QTest::newRow("Alarm lead time")
            << "Alarm lead time"
            << "AlarmLead" << QStringList{"GENERIC", "CALL", "LETTER", "MEETING", "TO-DO"};
        QTest::newRow("Elapsed time") << "Elapsed time"
                                      << "ElapsedTime" << QStringList{"GENERIC", "CALL"};
        QTest::newRow("Subject") << "Subject"
                                 << "Summary" << QStringList{"SALE", "QUOTE"};
        QTest::newRow("Amount") << "Amount"
                                << "Sale" << QStringList{"SALE", "QUOTE"};
    }
    void sharedCaptions()
    {
        QFETCH(QString, caption);
        QFETCH(QString, field);
        QFETCH(QStringList, kindsWithIt);
        for (const QString& kind : allKinds) {
            const QString expected = kindsWithIt.contains(kind) ? field : caption;
            QCOMPARE(CaptionToField(kind, caption), expected);
        }
    }

    void fillEventFieldList()
    {
        QCOMPARE(FillEventFieldList("NOTE"),
                 QStringList({"Note Date", "Note Time", "Note who", "Notes"}));
        QCOMPARE(FillEventFieldList("CALL").size(), 9);
        QCOMPARE(FillEventFieldList("CALL").first(), QString("Phone call date"));
        QVERIFY(FillEventFieldList(QString()).isEmpty());
        QVERIFY(FillEventFieldList("note").isEmpty());
    }

    void eventMemo()
    {
        QCOMPARE(eventMemoCaption("CALL"), QString("Phone call notes"));
        QCOMPARE(eventMemoCaption("NOTE"), QString("Notes"));
        QCOMPARE(eventMemoCaption("TO-DO"), QString("To-do notes"));
        QCOMPARE(eventMemoCaption(QString()), QString("Memo"));
        QCOMPARE(eventMemoCaption("Call"), QString("Memo"));
    }
};

QTEST_APPLESS_MAIN(TestEventFields)
#include "tst_eventfields.moc"
