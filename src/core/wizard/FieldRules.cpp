#include "core/wizard/FieldRules.h"

#include "core/catalogue/EventFields.h"

namespace FieldRules {

namespace {

const QString customIdName = QStringLiteral("CustomID");
const QString memoName = QStringLiteral("Memo");

bool isCustomId(const QString& entry) { return entry.toLower() == u"customid"; }

bool isMemo(const QString& entry, const QString& eventKind)
{
    return entry.toLower() == u"memo" || CaptionToField(eventKind, entry).toLower() == u"memo";
}

bool customIdRuleBroken(const QStringList& order)
{
    for (int i = 1; i < order.size(); ++i) {
        if (isCustomId(order.at(i)))
            return true;
    }
    return false;
}

bool memoRuleBroken(const QStringList& order, const QString& eventKind)
{
    for (int i = 0; i + 1 < order.size(); ++i) {
        if (isMemo(order.at(i), eventKind))
            return true;
    }
    return false;
}

// Moves the first entry equal to `text` (without regard to case) to the end.
void moveToEnd(QStringList& list, const QString& text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0) {
            list.append(list.takeAt(i));
            return;
        }
    }
}

bool isSelected(const QList<bool>& selected, int i)
{
    return i < selected.size() && selected.at(i);
}

void setSelected(QList<bool>& selected, int i, bool on)
{
    while (selected.size() <= i)
        selected.append(false);
    selected[i] = on;
}

MoveResult move(const QStringList& order, int selected, int step, const QString& eventKind)
{
    MoveResult result{order, selected, QString()};
    const int target = selected + step;
    if (selected < 0 || selected >= order.size() || target < 0 || target >= order.size())
        return result;
    result.order.move(selected, target);
    result.selected = target;

    // A rule that the order broke already does not hold the user back: that
    // happens with orders loaded from older report files, and refusing every
    // move would leave no way to repair them.
    QString message;
    if (customIdRuleBroken(result.order) && !customIdRuleBroken(order))
        message = customIdFirstMessage();
    else if (memoRuleBroken(result.order, eventKind) && !memoRuleBroken(order, eventKind))
        message = memoLastMessage();
    if (!message.isEmpty())
        result = MoveResult{order, -1, message};
    return result;
}

} // namespace

QString bothMemosContactMessage()
{
    return QStringLiteral("You cannot choose both memo fields (1)");
}

QString bothMemosEventMessage() { return QStringLiteral("You cannot choose both memo fields (2)"); }

QString customIdFirstMessage()
{
    return QStringLiteral("The CustomID field must appear FIRST on the list");
}

QString memoLastMessage() { return QStringLiteral("The Memo Field must be last."); }

QStringList PickContactFieldClick(PickState& state, const QString& eventKind)
{
    QStringList messages;
    state.selectedCount = 0;

    for (int i = 0; i < state.contactEntries.size(); ++i) {
        const bool memo = state.contactEntries.at(i) == memoName;
        const bool selected = isSelected(state.contactSelected, i);
        if (memo)
            state.contactMemoChosen = selected;
        if (!selected)
            continue;
        ++state.selectedCount;
        if (memo)
            state.contactMemoChosen = true;
        if (state.contactMemoChosen && state.eventMemoChosen) {
            messages << bothMemosContactMessage();
            setSelected(state.contactSelected, i, false);
            state.contactMemoChosen = false;
            --state.selectedCount;
        }
    }

    const QString eventMemo = eventMemoCaption(eventKind);
    for (int i = 0; i < state.eventEntries.size(); ++i) {
        const bool memo = state.eventEntries.at(i) == eventMemo;
        const bool selected = isSelected(state.eventSelected, i);
        if (memo)
            state.eventMemoChosen = selected;
        if (!selected)
            continue;
        ++state.selectedCount;
        if (memo)
            state.eventMemoChosen = true;
        if (state.contactMemoChosen && state.eventMemoChosen) {
            messages << bothMemosEventMessage();
            setSelected(state.eventSelected, i, false);
            state.eventMemoChosen = false;
            --state.selectedCount;
        }
    }
    return messages;
}

QString selectedCountLabel(int count) { return QStringLiteral("(%1 fields selected)").arg(count); }

std::optional<FieldOrder> FillFullList(const QStringList& selectedContacts,
                                       const QStringList& selectedEvents, const QString& eventKind,
                                       bool detailLevel)
{
    if (selectedContacts.isEmpty() && selectedEvents.isEmpty())
        return std::nullopt;

    FieldOrder result;
    auto add = [&result](const QString& entry, const RecordedField& record) {
        result.entries << entry;
        result.records << record;
    };

    if (detailLevel) {
        add(customIdName, {customIdName, customIdName, 0});
    } else {
        // Without the detail level a CustomID picked by hand is an ordinary
        // field, but it still leads the list: the ordering rules would refuse
        // every move that could bring it there.
        for (const QString& entry : selectedContacts) {
            if (isCustomId(entry)) {
                add(entry, {entry, entry, 0});
                break;
            }
        }
    }
    for (const QString& entry : selectedContacts) {
        if (isCustomId(entry) && (detailLevel || result.entries.contains(entry)))
            continue;
        add(entry, {entry, entry, 0});
    }
    for (const QString& caption : selectedEvents)
        add(caption, {CaptionToField(eventKind, caption), caption, 1});

    moveToEnd(result.entries, eventMemoCaption(eventKind));
    moveToEnd(result.entries, memoName);
    return result;
}

bool qOKFieldPositions(const QStringList& order, const QString& eventKind, QString* message)
{
    QString broken;
    if (customIdRuleBroken(order))
        broken = customIdFirstMessage();
    else if (memoRuleBroken(order, eventKind))
        broken = memoLastMessage();
    if (message)
        *message = broken;
    return broken.isEmpty();
}

MoveResult moveFieldUp(const QStringList& order, int selected, const QString& eventKind)
{
    return move(order, selected, -1, eventKind);
}

MoveResult moveFieldDown(const QStringList& order, int selected, const QString& eventKind)
{
    return move(order, selected, +1, eventKind);
}

} // namespace FieldRules
