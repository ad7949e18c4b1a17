// The working table CRDATA.DB: creating and emptying it, recording the
// selected fields, storing their order and positions, and the controls of
// "Field Definitions" that edit its current row.
#include "wizard/Crepmain.h"

#include "catalogue/EventFields.h"

#include <QCheckBox>
#include <QLineEdit>

void TFrmCReport::CreateDataTable() {}

void TFrmCReport::ClearCustomTable(Table&) {}

void TFrmCReport::RecordDBType(const QString&, const QString&, Table&, int) {}

void TFrmCReport::WriteFieldOrders(Table&) {}

void TFrmCReport::WriteColWidthsGridToTable(Table&) {}

void TFrmCReport::CheckFieldTypes() {}

void TFrmCReport::bindFieldControls() {}

void TFrmCReport::showCurrentFieldRow() {}

void TFrmCReport::postPendingFieldEdit() {}
