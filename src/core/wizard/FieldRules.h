#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The rules by which the user's picks become the report's ordered field list:
// one memo per report, "CustomID" first, the memo last, and which moves of the
// field order are refused. Everything here works on plain lists; the wizard
// copies its controls in and the results back out, and shows the messages.
namespace FieldRules {

QString bothMemosContactMessage(); // "You cannot choose both memo fields (1)"
QString bothMemosEventMessage();   // "You cannot choose both memo fields (2)"
QString customIdFirstMessage();    // "The CustomID field must appear FIRST on the list"
QString memoLastMessage();         // "The Memo Field must be last."

// The two pick lists with their selection, and the wizard's memo flags and count.
struct PickState
{
    QStringList contactEntries;
    QList<bool> contactSelected; // one per contact entry (missing ones read as false)
    QStringList eventEntries;
    QList<bool> eventSelected;
    bool contactMemoChosen = false;
    bool eventMemoChosen = false;
    int selectedCount = 0;
};

// The click rule of both pick lists: recounts the selection and refuses a
// memo picked while the other list's memo is chosen (deselecting it in
// `state`). Returns the refusal messages in the order they are due.
QStringList PickContactFieldClick(PickState& state, const QString& eventKind);

// Text of LblSelected: "(" + n + " fields selected)".
QString selectedCountLabel(int count);

// One RecordDBType call: the layout row's Field, its Header and its DbType
// (0 contact field or "CustomID", 1 event field).
struct RecordedField
{
    QString field;
    QString header;
    int dbType = 0;

    friend bool operator==(const RecordedField&, const RecordedField&) = default;
};

// What entering the "Field Order" page builds from the selection.
struct FieldOrder
{
    QStringList entries;          // lbAllFields, top to bottom
    QList<RecordedField> records; // RecordDBType calls, in this order
};

// Builds the field-order list from the selected entries (each list in
// pick-list order; event entries are captions): "CustomID" first, then the
// contact entries, then the event entries, the memo last. Nothing selected
// gives no result ("No Fields Selected.").
std::optional<FieldOrder> FillFullList(const QStringList& selectedContacts,
                                       const QStringList& selectedEvents, const QString& eventKind,
                                       bool detailLevel);

// The ordering rules: "CustomID" only first, a memo only last. Returns false
// and sets `message` (when given) to the message of the first broken rule.
bool qOKFieldPositions(const QStringList& order, const QString& eventKind,
                       QString* message = nullptr);

// Result of a press of "Move Up" or "Move Down".
struct MoveResult
{
    QStringList order; // the new order, or the order before the press when refused
    int selected = -1; // selected entry afterwards; -1 after a refusal
    QString message;   // the refusal message; empty when the move stands
};

// Moves the selected entry one place up / down. Nothing selected, the first
// entry up or the last entry down change nothing. A move that breaks an
// ordering rule the order kept before is undone with the rule's message.
MoveResult moveFieldUp(const QStringList& order, int selected, const QString& eventKind);
MoveResult moveFieldDown(const QStringList& order, int selected, const QString& eventKind);

} // namespace FieldRules
