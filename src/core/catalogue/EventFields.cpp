#include "core/catalogue/EventFields.h"

namespace {

using Table = QList<EventFieldEntry>;

EventFieldEntry e(const char16_t* field, const char16_t* caption)
{
    return EventFieldEntry{QString::fromUtf16(field), QString::fromUtf16(caption)};
}

const Table& noteTable()
{
    static const Table t{
        e(u"EventDate", u"Note Date"),
        e(u"EventTime", u"Note Time"),
        e(u"Who", u"Note who"),
        e(u"Memo", u"Notes"),
    };
    return t;
}

const Table& todoTable()
{
    static const Table t{
        e(u"EventDate", u"To-do date"), e(u"EventTime", u"To-do time"),
        e(u"Who", u"To-do who"),        e(u"Summary", u"To-do subject"),
        e(u"Memo", u"To-do notes"),     e(u"Completed", u"Is completed"),
        e(u"AlarmTime", u"Alarm time"), e(u"AlarmLead", u"Alarm lead time"),
    };
    return t;
}

const Table& meetingTable()
{
    static const Table t{
        e(u"EventDate", u"Meeting date"),    e(u"EventTime", u"Meeting time"),
        e(u"Who", u"Meeting who"),           e(u"Summary", u"Meeting subject"),
        e(u"Where", u"Meeting location"),    e(u"Memo", u"Meeting notes"),
        e(u"Duration", u"Meeting duration"), e(u"Completed", u"Is completed"),
        e(u"AlarmTime", u"Alarm time"),      e(u"AlarmLead", u"Alarm lead time"),
    };
    return t;
}

const Table& callTable()
{
    static const Table t{
        e(u"EventDate", u"Phone call date"), e(u"EventTime", u"Phone call time"),
        e(u"Who", u"Phone call who"),        e(u"Summary", u"Phone call subject"),
        e(u"ElapsedTime", u"Elapsed time"),  e(u"Memo", u"Phone call notes"),
        e(u"Completed", u"Is completed"),    e(u"AlarmTime", u"Alarm time"),
        e(u"AlarmLead", u"Alarm lead time"),
    };
    return t;
}

const Table& letterTable()
{
    static const Table t{
        e(u"EventDate", u"Letter date"), e(u"EventTime", u"Letter time"),
        e(u"Who", u"Letter who"),        e(u"Summary", u"Letter subject"),
        e(u"Status", u"Letter status"),  e(u"TemplateName", u"Template name used"),
        e(u"Memo", u"Letter notes"),     e(u"Completed", u"Is completed"),
        e(u"AlarmTime", u"Alarm time"),  e(u"AlarmLead", u"Alarm lead time"),
    };
    return t;
}

const Table& genericTable()
{
    static const Table t{
        e(u"EventDate", u"Event date"),  e(u"EventTime", u"Event time"),
        e(u"Who", u"Event who"),         e(u"Type", u"Event type"),
        e(u"Summary", u"Event subject"), e(u"ElapsedTime", u"Elapsed time"),
        e(u"Status", u"Event status"),   e(u"Duration", u"Event duration"),
        e(u"Memo", u"Event notes"),      e(u"Completed", u"Is completed"),
        e(u"AlarmTime", u"Alarm time"),  e(u"AlarmLead", u"Alarm lead time"),
    };
    return t;
}

const Table& saleTable()
{
    static const Table t{
        e(u"EventDate", u"Sale date"),
        e(u"EventTime", u"Sale time"),
        e(u"DateCompleted", u"Sale date completed"),
        e(u"TimeCompleted", u"Sale time completed"),
        e(u"WhoCompleted", u"Sale who completed"),
        e(u"Paid", u"Sale paid?"),
        e(u"Who", u"Sale who"),
        e(u"Summary", u"Subject"),
        e(u"Sale", u"Amount"),
        e(u"Memo", u"Sale notes"),
    };
    return t;
}

const Table& quoteTable()
{
    static const Table t{
        e(u"EventDate", u"Quote date"),
        e(u"EventTime", u"Quote time"),
        e(u"Who", u"Quote who"),
        e(u"DateCompleted", u"Quote date completed"),
        e(u"TimeCompleted", u"Quote time completed"),
        e(u"WhoCompleted", u"Quote who completed"),
        e(u"Completed", u"Is completed"),
        e(u"Summary", u"Subject"),
        e(u"Sale", u"Amount"),
        e(u"Likelyhood", u"Probability"),
        e(u"Memo", u"Quote notes"),
    };
    return t;
}

const Table& emptyTable()
{
    static const Table t;
    return t;
}

} // namespace

const QList<EventKindInfo>& eventKinds()
{
    static const QList<EventKindInfo> kinds{
        {QStringLiteral("GENERIC"), u'E', InfoKind::Event, QStringLiteral("Event"),
         QStringLiteral("Include Basic Event Fields"), QStringLiteral("Event-related Fields")},
        {QStringLiteral("CALL"), u'C', InfoKind::Call, QStringLiteral("Call"),
         QStringLiteral("Include Call Event Fields"), QStringLiteral("Call-related Fields")},
        {QStringLiteral("LETTER"), u'L', InfoKind::Letter, QStringLiteral("Letter"),
         QStringLiteral("Include Letter Event Fields"), QStringLiteral("Letter-related Fields")},
        {QStringLiteral("MEETING"), u'M', InfoKind::Meeting, QStringLiteral("Meeting"),
         QStringLiteral("Include Meetings Event Fields"), QStringLiteral("Meeting-related Fields")},
        {QStringLiteral("TO-DO"), u'T', InfoKind::ToDo, QStringLiteral("TO-DO"),
         QStringLiteral("Include To-do Fields"), QStringLiteral("To-do - related Fields")},
        {QStringLiteral("NOTE"), u'N', InfoKind::Note, QStringLiteral("Note"),
         QStringLiteral("Include Note Fields"), QStringLiteral("Note-related Fields")},
        {QStringLiteral("SALE"), u'S', InfoKind::Sale, QStringLiteral("Sale"),
         QStringLiteral("Include Sales Fields"), QStringLiteral("Sale-related Fields")},
        {QStringLiteral("QUOTE"), u'Q', InfoKind::Quote, QStringLiteral("Quote"),
         QStringLiteral("Include Quote Fields"), QStringLiteral("Quote-related Fields")},
    };
    return kinds;
}

const EventKindInfo* eventKindInfo(const QString& kind)
{
    for (const EventKindInfo& info : eventKinds()) {
        if (info.keyword == kind)
            return &info;
    }
    return nullptr;
}

const EventKindInfo* eventKindFor(InfoKind infoKind)
{
    for (const EventKindInfo& info : eventKinds()) {
        if (info.infoKind == infoKind)
            return &info;
    }
    return nullptr;
}

const EventKindInfo* eventKindForCode(QChar code)
{
    for (const EventKindInfo& info : eventKinds()) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

bool isEventKind(const QString& kind) { return eventKindInfo(kind) != nullptr; }

const QList<EventFieldEntry>& eventFieldTable(const QString& kind)
{
    if (kind == u"GENERIC")
        return genericTable();
    if (kind == u"CALL")
        return callTable();
    if (kind == u"LETTER")
        return letterTable();
    if (kind == u"MEETING")
        return meetingTable();
    if (kind == u"TO-DO")
        return todoTable();
    if (kind == u"NOTE")
        return noteTable();
    if (kind == u"SALE")
        return saleTable();
    if (kind == u"QUOTE")
        return quoteTable();
    return emptyTable();
}

QString FieldToCaption(const QString& kind, const QString& name)
{
    for (const EventFieldEntry& entry : eventFieldTable(kind)) {
        if (entry.fieldName == name)
            return entry.caption;
    }
    return name;
}

QString CaptionToField(const QString& kind, const QString& caption)
{
    for (const EventFieldEntry& entry : eventFieldTable(kind)) {
        if (entry.caption == caption)
            return entry.fieldName;
    }
    return caption;
}

QStringList FillEventFieldList(const QString& kind)
{
    QStringList captions;
    for (const EventFieldEntry& entry : eventFieldTable(kind))
        captions << entry.caption;
    return captions;
}

QString eventMemoCaption(const QString& kind)
{
    return FieldToCaption(kind, QStringLiteral("Memo"));
}

QString eventKeywordOf(InfoKind infoKind)
{
    const EventKindInfo* kind = eventKindFor(infoKind);
    return kind ? kind->keyword : QString();
}
