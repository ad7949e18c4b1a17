// The layout of the fields in columns and print lines ("Column and Rows") and
// the default column positions ("Column Widths").
#include "wizard/Crepmain.h"

#include <QTableWidget>

void TFrmCReport::SetGrid() {}

void TFrmCReport::SpinColChange() {}

void TFrmCReport::SpinColClick() {}

void TFrmCReport::FillColTable() {}
