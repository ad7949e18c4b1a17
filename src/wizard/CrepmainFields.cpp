// Field selection and field order: the pick lists of "Field Selection", the
// rules by which selected fields may be combined and ordered, the order list
// of "Field Order", the detail level, and the two dialogs of the selection
// page.
#include "wizard/Crepmain.h"

#include "catalogue/EventFields.h"
#include "controls/Picklist.h"

#include <QListWidget>
#include <QPushButton>

void TFrmCReport::FillPickFields(QObject*) {}

bool TFrmCReport::FillFullList(QObject* sender)
{
    // Going back never rebuilds the order.
    if (sender == BtnPrior)
        return true;
    if (PickContactField->selectedItems().isEmpty() && PickEventField->selectedItems().isEmpty())
        return false;
    return true;
}

void TFrmCReport::PickContactFieldClick() {}

bool TFrmCReport::qOKFieldPositions()
{
    return true;
}

void TFrmCReport::BtnMoveUpClick() {}

void TFrmCReport::BtnDownClick() {}

void TFrmCReport::LBFieldDefsClick() {}

void TFrmCReport::rbCustYesClick() {}

void TFrmCReport::rbCustNoClick() {}

void TFrmCReport::BitBtn2Click() {}

void TFrmCReport::BtnUserClick() {}
