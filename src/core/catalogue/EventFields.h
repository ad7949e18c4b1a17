#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// The kinds of calendar event a report can be based on, and for each kind the
// fixed table of event columns it may print with the caption the wizard shows
// for each. All lookups are free functions over constant tables; kinds and
// names compare exactly (case matters, no trimming).

// The information a report is based on, as line 3 of a report file names
// it, in the order of the choices of the "Report Information" page: contacts
// only, or contacts with the events of one kind.
enum class InfoKind { Contact, Event, Note, Call, Letter, Meeting, ToDo, Sale, Quote };

// One row of a kind's field table: the column of EVENT.DB and its caption.
struct EventFieldEntry
{
    QString fieldName;
    QString caption;
};

// One event kind as the "Report Information" page offers it.
struct EventKindInfo
{
    QString keyword;       // "GENERIC", "CALL", ...
    QChar code;            // the one-letter EventKindCode
    InfoKind infoKind;     // the information choice that selects it
    QString fileKeyword;   // line 3 of a report file: "Event", "Call", ...
    QString choiceCaption; // caption of that radio button
    QString heading;       // text of LblEvent above the event pick list
};

// The eight kinds in the order of the page's choices (GENERIC first, QUOTE last).
const QList<EventKindInfo>& eventKinds();
// The kind with this exact keyword, or nullptr.
const EventKindInfo* eventKindInfo(const QString& kind);
// The kind that an information choice selects, or nullptr for
// InfoKind::Contact, which selects none.
const EventKindInfo* eventKindFor(InfoKind infoKind);
// The keyword of the event kind an information choice selects ("CALL", ...);
// empty for InfoKind::Contact.
QString eventKeywordOf(InfoKind infoKind);
// The kind with this one-letter code, or nullptr.
const EventKindInfo* eventKindForCode(QChar code);
// True for the eight keywords only.
bool isEventKind(const QString& kind);

// The remaining choice, which selects no kind, and its keyword in a report
// file.
inline QString contactOnlyKeyword() { return QStringLiteral("Contact"); }
inline QString contactOnlyCaption() { return QStringLiteral("Contact Information Only"); }
// Design caption of LblEvent, shown until a kind has been chosen.
inline QString eventHeadingDefault() { return QStringLiteral("Event Fields"); }

// The field table of a kind in pick-list order; empty for anything but the
// eight keywords.
const QList<EventFieldEntry>& eventFieldTable(const QString& kind);

// Caption of the kind's entry whose field name equals `name`; `name` itself
// when the kind is unknown or has no such entry.
QString FieldToCaption(const QString& kind, const QString& name);
// Field name of the kind's entry whose caption equals `caption`; `caption`
// itself when nothing matches.
QString CaptionToField(const QString& kind, const QString& caption);
// The captions of the kind's table in table order (the event pick list);
// empty for anything but the eight keywords.
QStringList FillEventFieldList(const QString& kind);
// The caption of the kind's memo column ("Phone call notes" for "CALL");
// "Memo" when the kind is empty or unknown.
QString eventMemoCaption(const QString& kind);
