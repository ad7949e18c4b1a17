// Field selection and field order: the pick lists of "Field Selection", the
// rules by which selected fields may be combined and ordered, the order list
// of "Field Order", the detail level, and the two dialogs of the selection
// page. The rules themselves live in FieldRules; the handlers here copy the
// controls in and the results back out.
#include "forms/wizard/Crepmain.h"

#include "core/app/SharedRoutines.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/ContactFields.h"
#include "core/catalogue/EventFields.h"
#include "forms/controls/Crspecia.h"
#include "forms/controls/Cruser.h"
#include "forms/controls/Picklist.h"
#include "forms/wizard/ListEntries.h"
#include "core/wizard/DatabaseAlias.h"
#include "core/wizard/FieldRules.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

QStringList selectedEntriesOf(const TPickList* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        if (list->isItemSelected(i))
            entries << list->item(i)->text();
    }
    return entries;
}

QList<bool> selectionOf(const TPickList* list)
{
    QList<bool> selected;
    selected.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        selected << list->isItemSelected(i);
    return selected;
}

// Gives the list the selection worked out by the rules, without any
// notification.
void applySelection(TPickList* list, const QList<bool>& selected)
{
    for (int i = 0; i < list->count(); ++i) {
        const bool on = i < selected.size() && selected.at(i);
        if (list->isItemSelected(i) != on)
            list->setItemSelected(i, on);
    }
}

void setEntries(QListWidget* list, const QStringList& entries)
{
    list->clear();
    list->addItems(entries);
}

// Closes a table when the scope ends, also on an error.
class CloseOnExit
{
public:
    explicit CloseOnExit(Table& table) : m_table(table) {}
    ~CloseOnExit() { m_table.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Table& m_table;
};

} // namespace

// ---- Pick lists ------------------------------------------------------------

void TFrmCReport::FillPickFields(QObject* sender)
{
    // Coming back never rebuilds the lists, and neither does a return to the
    // page when the user has made a selection and touched no earlier choice.
    if (sender == BtnPrior)
        return;
    const int selected = PickContactField->selectedItemCount() + PickEventField->selectedItemCount();
    if (selected > 0 && !RefillPickLists)
        return;

    WaitCursor wait;

    // The kind chosen on "Report Information"; contacts only keeps the kind
    // that was there.
    for (const QRadioButton* choice :
         {RBEvent, RBNote, RbCall, RBLetter, RbMeeting, RbTodo, rbSale, rbQuote}) {
        if (!choice->isChecked())
            continue;
        if (const EventKindInfo* kind = eventKindForControl(choice->objectName())) {
            EventKind = kind->keyword;
            EventKindCode = kind->code;
            LblEvent->setText(kind->heading);
        }
        break;
    }

    PickContactField->clear();
    PickEventField->clear();
    ContactMemoChosen = false;
    EventMemoChosen = false;

    {
        // Opening a table reads its header only: the column list of a large
        // contact table costs no more than that of an empty one. A table that
        // cannot be opened stops the fill with both lists empty.
        CloseOnExit closeContacts(TblContact);
        CloseOnExit closeEvents(TblEvents);
        TblContact.open();
        TblEvents.open();
        const QStringList contacts = contactPickListEntries(TblContact.fieldDefs());
        QStringList events;
        if (const EventKindInfo* kind = eventKindForCode(EventKindCode))
            events = FillEventFieldList(kind->keyword);
        PickContactField->addItems(contacts);
        PickEventField->addItems(events);
    }
    PickContactField->scrollToTop();

    const bool contactsOnly = RBContact->isChecked();
    LblEvent->setVisible(!contactsOnly);
    PickEventField->setVisible(!contactsOnly);
}

void TFrmCReport::showError(const QString& message)
{
    if (m_controlInput == 0) {
        ShowError(message);
        return;
    }
    QMetaObject::invokeMethod(
        this, [message] { ShowError(message); }, Qt::QueuedConnection);
}

void TFrmCReport::PickContactFieldClick()
{
    ++m_controlInput;
    struct Done
    {
        int& depth;
        ~Done() { --depth; }
    } done{m_controlInput};
    RefillPickLists = false;
    FieldsChanged = true;

    FieldRules::PickState state;
    state.contactEntries = entriesOf(PickContactField);
    state.contactSelected = selectionOf(PickContactField);
    state.eventEntries = entriesOf(PickEventField);
    state.eventSelected = selectionOf(PickEventField);
    state.contactMemoChosen = ContactMemoChosen;
    state.eventMemoChosen = EventMemoChosen;
    const QStringList messages = FieldRules::PickContactFieldClick(state, EventKind);

    // The refused memo is deselected before the user reads why.
    applySelection(PickContactField, state.contactSelected);
    applySelection(PickEventField, state.eventSelected);
    ContactMemoChosen = state.contactMemoChosen;
    EventMemoChosen = state.eventMemoChosen;
    SelectedCount = state.selectedCount;
    LblSelected->setText(FieldRules::selectedCountLabel(SelectedCount));
    for (const QString& message : messages)
        showError(message);

    if (SpinCol->value() == 1)
        setColumnCount(Layout::clampColumns(lbAllFields->count()));
    SetGrid();
}

// ---- Detail level ------------------------------------------------------------

void TFrmCReport::rbCustYesClick()
{
    const int row = indexOfEntry(entriesOf(PickContactField), QStringLiteral("CustomID"));
    if (row >= 0)
        PickContactField->setItemSelected(row, true);
    PickContactField->scrollToTop();
}

void TFrmCReport::rbCustNoClick()
{
    const int row = indexOfEntry(entriesOf(PickContactField), QStringLiteral("CustomID"));
    if (row >= 0)
        PickContactField->setItemSelected(row, false);
    PickContactField->scrollToTop();
}

// ---- Field order -------------------------------------------------------------

bool TFrmCReport::FillFullList(QObject* sender)
{
    // Going back never rebuilds the order.
    if (sender == BtnPrior)
        return true;
    const bool detailLevel = rbCustYes->isChecked();
    const std::optional<FieldRules::FieldOrder> order =
        FieldRules::FillFullList(selectedEntriesOf(PickContactField),
                                 selectedEntriesOf(PickEventField), EventKind, detailLevel);
    if (!order)
        return false;

    // The rows of fields that stay selected keep everything they hold
    // (header, dot lines, summaries, positions); deselected fields lose their
    // rows and new ones get fresh rows.
    lbAllFields->clear();
    QStringList kept;
    for (const FieldRules::RecordedField& record : order->records)
        kept << record.field;
    removeRowsExcept(kept, TblCRData);
    for (const FieldRules::RecordedField& record : order->records)
        RecordDBType(record.field, record.header, TblCRData, record.dbType);
    setEntries(lbAllFields, order->entries);

    LblCustYes->setVisible(detailLevel);
    LblCustYes2->setVisible(detailLevel);
    LblCustNo->setVisible(!detailLevel);

    if (lbAllFields->count() > 0)
        lbAllFields->setCurrentRow(0);
    return true;
}

bool TFrmCReport::qOKFieldPositions()
{
    QString message;
    const bool ok = FieldRules::qOKFieldPositions(entriesOf(lbAllFields), EventKind, &message);
    if (!ok)
        ShowError(message);
    return ok;
}

namespace {

// The selected entry of the order list, or -1.
int selectedRow(const QListWidget* list)
{
    const QListWidgetItem* current = list->currentItem();
    return current && current->isSelected() ? list->row(current) : -1;
}

} // namespace

// Shared by Move Up and Move Down: the backup is taken first; a refused move
// puts the backup back, with nothing selected.
static void applyMove(TFrmCReport& w, const FieldRules::MoveResult& result)
{
    if (!result.message.isEmpty()) {
        ShowError(result.message);
        setEntries(w.lbAllFields, entriesOf(w.lbMirror));
        w.lbAllFields->setCurrentRow(-1);
        w.lbAllFields->clearSelection();
        return;
    }
    if (result.order != entriesOf(w.lbAllFields))
        setEntries(w.lbAllFields, result.order);
    if (result.selected >= 0)
        w.lbAllFields->setCurrentRow(result.selected);
}

void TFrmCReport::BtnMoveUpClick()
{
    setEntries(lbMirror, entriesOf(lbAllFields));
    applyMove(*this, FieldRules::moveFieldUp(entriesOf(lbAllFields), selectedRow(lbAllFields),
                                             EventKind));
}

void TFrmCReport::BtnDownClick()
{
    setEntries(lbMirror, entriesOf(lbAllFields));
    applyMove(*this, FieldRules::moveFieldDown(entriesOf(lbAllFields), selectedRow(lbAllFields),
                                               EventKind));
}

// ---- Field definitions -------------------------------------------------------

void TFrmCReport::LBFieldDefsClick()
{
    // In a single-selection list the current entry is the selected one; a
    // click makes an entry current before it shows as selected.
    const int row = LBFieldDefs->currentRow();
    if (row < 0)
        return;
    postPendingFieldEdit();
    TblCRData.open();
    TblCRData.setIndexName(QString());
    // A key that is not found leaves the cursor where it was.
    TblCRData.findKey({CaptionToField(EventKind, LBFieldDefs->item(row)->text())});
    CheckFieldTypes();
    showCurrentFieldRow();
}

// ---- The dialogs of the selection page ---------------------------------------

void TFrmCReport::BitBtn2Click()
{
    // The boxes act on the contact list directly while the dialog is open.
    TFrmSpecial dialog(PickContactField, this);
    dialog.exec();
}

void TFrmCReport::BtnUserClick()
{
    TFrmUser::execute(this, DatabaseAlias);
}
