// Report files: loading a stored report into the wizard, writing the report
// file, "Make Report" and "Check Columns", and the selection dialog and the
// column editor that the page flow opens.
#include "wizard/Crepmain.h"

#include "store/Repsel.h"

void TFrmCReport::LoadConfig() {}

void TFrmCReport::WriteTheReportFile(Table&) {}

void TFrmCReport::btMakeReportClick() {}

void TFrmCReport::BtnCheckClick() {}

bool TFrmCReport::selectReport(const QString& title, const QString& selectMode)
{
    TFrmSelect dialog(this);
    dialog.setTitle(title);
    dialog.setSelectMode(selectMode);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (selectMode == QLatin1String("MODIFY"))
        ReportFile = dialog.reportFile();
    return true;
}

bool TFrmCReport::editColumnPositions()
{
    return false;
}
