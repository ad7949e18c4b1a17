// Field selection and field order: the pick lists of "Field Selection", the
// rules by which selected fields may be combined and ordered, the order list
// of "Field Order", the detail level, and the two dialogs of the selection
// page. The rules themselves live in FieldRules; the handlers here copy the
// controls in and the results back out.
#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "core/app/SharedRoutines.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/ContactFields.h"
#include "core/catalogue/EventFields.h"
#include "core/wizard/DatabaseAlias.h"
#include "core/wizard/FieldRules.h"
#include "forms/controls/CombinedFields.h"
#include "forms/controls/Cruser.h"
#include "forms/controls/Picklist.h"
#include "forms/wizard/ListEntries.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

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

} // namespace

// ---- Pick lists ------------------------------------------------------------

void TFrmCReport::FillPickFields(QObject* sender)
{
    // Coming back never rebuilds the lists, and neither does a return to the
    // page when the user has made a selection and touched no earlier choice.
    if (sender == m_ui->BtnPrior)
        return;
    const int selected =
        m_ui->PickContactField->selectedItemCount() + m_ui->PickEventField->selectedItemCount();
    if (selected > 0 && !RefillPickLists)
        return;

    WaitCursor wait;

    // The kind chosen on "Report Information"; contacts only keeps the kind
    // that was there.
    const std::optional<InfoKind> information = checkedInformation();
    if (const EventKindInfo* kind = information ? eventKindFor(*information) : nullptr) {
        EventKind = kind->keyword;
        EventKindCode = kind->code;
        m_ui->LblEvent->setText(kind->heading);
    }

    m_ui->PickContactField->clear();
    m_ui->PickEventField->clear();
    ContactMemoChosen = false;
    EventMemoChosen = false;

    {
        // Opening a table reads its header only: the column list of a large
        // contact table costs no more than that of an empty one. A table that
        // cannot be opened stops the fill with both lists empty.
        const auto closeContacts = qScopeGuard([this] { TblContact.close(); });
        const auto closeEvents = qScopeGuard([this] { TblEvents.close(); });
        TblContact.open();
        TblEvents.open();
        const QStringList contacts = contactPickListEntries(TblContact.fieldDefs());
        QStringList events;
        if (const EventKindInfo* kind = eventKindForCode(EventKindCode))
            events = FillEventFieldList(kind->keyword);
        m_ui->PickContactField->addItems(contacts);
        m_ui->PickEventField->addItems(events);
    }
    m_ui->PickContactField->scrollToTop();

    const bool contactsOnly = m_ui->RBContact->isChecked();
    m_ui->LblEvent->setVisible(!contactsOnly);
    m_ui->PickEventField->setVisible(!contactsOnly);
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
    const auto done = qScopeGuard([this] { --m_controlInput; });
    RefillPickLists = false;
    FieldsChanged = true;

    FieldRules::PickState state;
    state.contactEntries = entriesOf(m_ui->PickContactField);
    state.contactSelected = selectionOf(m_ui->PickContactField);
    state.eventEntries = entriesOf(m_ui->PickEventField);
    state.eventSelected = selectionOf(m_ui->PickEventField);
    state.contactMemoChosen = ContactMemoChosen;
    state.eventMemoChosen = EventMemoChosen;
    const QStringList messages = FieldRules::PickContactFieldClick(state, EventKind);

    // The refused memo is deselected before the user reads why.
    applySelection(m_ui->PickContactField, state.contactSelected);
    applySelection(m_ui->PickEventField, state.eventSelected);
    ContactMemoChosen = state.contactMemoChosen;
    EventMemoChosen = state.eventMemoChosen;
    SelectedCount = state.selectedCount;
    m_ui->LblSelected->setText(FieldRules::selectedCountLabel(SelectedCount));
    for (const QString& message : messages)
        showError(message);

    if (m_ui->SpinCol->value() == 1)
        setColumnCount(Layout::clampColumns(m_ui->lbAllFields->count()));
    SetGrid();
}

// ---- Detail level ------------------------------------------------------------

void TFrmCReport::rbCustYesClick()
{
    const int row = indexOfEntry(entriesOf(m_ui->PickContactField), QStringLiteral("CustomID"));
    if (row >= 0)
        m_ui->PickContactField->setItemSelected(row, true);
    m_ui->PickContactField->scrollToTop();
}

void TFrmCReport::rbCustNoClick()
{
    const int row = indexOfEntry(entriesOf(m_ui->PickContactField), QStringLiteral("CustomID"));
    if (row >= 0)
        m_ui->PickContactField->setItemSelected(row, false);
    m_ui->PickContactField->scrollToTop();
}

// ---- Field order -------------------------------------------------------------

bool TFrmCReport::FillFullList(QObject* sender)
{
    // Going back never rebuilds the order.
    if (sender == m_ui->BtnPrior)
        return true;
    const bool detailLevel = m_ui->rbCustYes->isChecked();
    const std::optional<FieldRules::FieldOrder> order =
        FieldRules::FillFullList(selectedEntriesOf(m_ui->PickContactField),
                                 selectedEntriesOf(m_ui->PickEventField), EventKind, detailLevel);
    if (!order)
        return false;

    // The rows of fields that stay selected keep everything they hold
    // (header, dot lines, summaries, positions); deselected fields lose their
    // rows and new ones get fresh rows.
    m_ui->lbAllFields->clear();
    QStringList kept;
    for (const FieldRules::RecordedField& record : order->records)
        kept << record.field;
    removeRowsExcept(kept, TblCRData);
    for (const FieldRules::RecordedField& record : order->records)
        RecordDBType(record.field, record.header, TblCRData, record.dbType);
    setEntries(m_ui->lbAllFields, order->entries);

    m_ui->LblCustYes->setVisible(detailLevel);
    m_ui->LblCustYes2->setVisible(detailLevel);
    m_ui->LblCustNo->setVisible(!detailLevel);

    if (m_ui->lbAllFields->count() > 0)
        m_ui->lbAllFields->setCurrentRow(0);
    return true;
}

bool TFrmCReport::qOKFieldPositions()
{
    QString message;
    const bool ok =
        FieldRules::qOKFieldPositions(entriesOf(m_ui->lbAllFields), EventKind, &message);
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
static void applyMove(QListWidget* order, const QListWidget* mirror,
                      const FieldRules::MoveResult& result)
{
    if (!result.message.isEmpty()) {
        ShowError(result.message);
        setEntries(order, entriesOf(mirror));
        order->setCurrentRow(-1);
        order->clearSelection();
        return;
    }
    if (result.order != entriesOf(order))
        setEntries(order, result.order);
    if (result.selected >= 0)
        order->setCurrentRow(result.selected);
}

void TFrmCReport::BtnMoveUpClick()
{
    setEntries(m_ui->lbMirror, entriesOf(m_ui->lbAllFields));
    applyMove(m_ui->lbAllFields, m_ui->lbMirror,
              FieldRules::moveFieldUp(entriesOf(m_ui->lbAllFields), selectedRow(m_ui->lbAllFields),
                                      EventKind));
}

void TFrmCReport::BtnDownClick()
{
    setEntries(m_ui->lbMirror, entriesOf(m_ui->lbAllFields));
    applyMove(m_ui->lbAllFields, m_ui->lbMirror,
              FieldRules::moveFieldDown(entriesOf(m_ui->lbAllFields),
                                        selectedRow(m_ui->lbAllFields), EventKind));
}

// ---- Field definitions -------------------------------------------------------

void TFrmCReport::LBFieldDefsClick()
{
    // In a single-selection list the current entry is the selected one; a
    // click makes an entry current before it shows as selected.
    const int row = m_ui->LBFieldDefs->currentRow();
    if (row < 0)
        return;
    postPendingFieldEdit();
    TblCRData.open();
    TblCRData.setIndexName(QString());
    // A key that is not found leaves the cursor where it was.
    TblCRData.findKey({CaptionToField(EventKind, m_ui->LBFieldDefs->item(row)->text())});
    CheckFieldTypes();
    showCurrentFieldRow();
}

// ---- The dialogs of the selection page ---------------------------------------

void TFrmCReport::BitBtn2Click()
{
    // The boxes act on the contact list directly while the dialog is open.
    TFrmSpecial dialog(m_ui->PickContactField, this);
    dialog.exec();
}

void TFrmCReport::BtnUserClick() { TFrmUser::execute(this, DatabaseAlias); }
