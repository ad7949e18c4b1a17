#include "wizard/Crepmain.h"

TFrmCReport::TFrmCReport(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tallyvane Professional"));
}
