// Report files: loading a stored report into the wizard, writing the report
// file, "Make Report" and "Check Columns", and the selection dialog and the
// column editor that the page flow opens.
#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/EventFields.h"
#include "core/store/ColumnCheck.h"
#include "core/store/DiskName.h"
#include "core/store/ReportFile.h"
#include "core/store/ReportList.h"
#include "core/store/ReportParser.h"
#include "core/store/WorkingTable.h"
#include "core/wizard/DatabaseAlias.h"
#include "engine/DatabaseError.h"
#include "forms/controls/Picklist.h"
#include "forms/preview/ReportPreviewWindow.h"
#include "forms/store/Getfilr.h"
#include "forms/store/Repcol.h"
#include "forms/store/Repsel.h"
#include "forms/wizard/BoundedSpinBox.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTableWidget>

namespace {

// A report file that cannot be written or loaded. It carries one message for
// the user, naming the file, and reaches the application's error box like
// an error of the engine.
class ReportFileFailure : public DatabaseError
{
public:
    using DatabaseError::DatabaseError;
};

void showInformation(const QString& text)
{
    Platform::instance().messageBox(Platform::Icon::Information, text, Platform::Buttons::Ok);
}

// The report file on disk. A name picked in the selection dialog is bare and
// lower case; the file is the one picked, by the name the folder holds it
// under (two files may differ in case only). A bare name from elsewhere is
// found in the data folder whatever case the folder gives it. A name from
// the naming dialog is already a full path.
QString reportPath(const TFrmCReport& w)
{
    const QString& reportFile = w.ReportFile;
    if (reportFile.isEmpty() || QFileInfo(reportFile).isAbsolute())
        return reportFile;
    const QString folder = AliasPath(DatabaseAlias);
    if (!w.m_reportDiskName.isEmpty() &&
        DiskName::readable(w.m_reportDiskName).compare(reportFile, Qt::CaseInsensitive) == 0)
        return JoinPath(folder, w.m_reportDiskName);
    const QString resolved = ReportList::resolve(folder, reportFile);
    return resolved.isEmpty() ? JoinPath(folder, reportFile) : resolved;
}

QRadioButton* buttonNamed(const TFrmCReport& w, const QString& name)
{
    return w.findChild<QRadioButton*>(name);
}

void check(QRadioButton* button)
{
    if (button)
        button->setChecked(true);
}

} // namespace

// ---- The report in hand ----------------------------------------------------

// The report as the wizard's pages and the table hold it.
ReportFileContent TFrmCReport::reportContent(Table& table) const
{
    ReportFileContent content;
    content.description = m_ui->EdDescription->text();
    content.order = m_ui->rbDateOrdered->isChecked() ? ReportOrder::Calendar : ReportOrder::Contact;
    if (const std::optional<InfoKind> information = checkedInformation())
        content.kind = *information;
    content.printableWidth = m_ui->SpinMargin->boundedValue();
    content.fields = WorkingTable::blocksInPrintOrder(table);
    return content;
}

// The naming dialog "Save Report File". On OK the wizard takes the new
// file's path and the description as the dialog holds it.
bool TFrmCReport::askForNewName()
{
    TFrmFilename dialog(m_ui->EdDescription->text(), this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ReportFile = dialog.reportFile();
    m_reportDiskName.clear();
    TFrmFilename::setDescription(m_ui->EdDescription, dialog.description());
    return true;
}

// ---- Loading ---------------------------------------------------------------

void TFrmCReport::LoadConfig()
{
    const QString path = reportPath(*this);
    const ParsedReport report = ReportParser::load(path);

    // A report that cannot be loaded changes nothing in the pages: the
    // working table is emptied, the wizard goes back to the first page and
    // the one error names the file, the line and the field.
    auto giveUp = [this](const QString& message) {
        try {
            ClearCustomTable(TblCRData);
        } catch (const DatabaseError&) {
            // The message below is the one that matters.
        }
        CurrentPage = 0;
        m_ui->Notebook1->setCurrentIndex(0);
        throw ReportFileFailure(message);
    };
    if (!report.ok())
        giveUp(report.errorMessage);

    // One row per field block, numbered in file order. The rows go in
    // before any page is touched, so that a row the table refuses leaves
    // the pages as they were.
    const WorkingTable::LoadResult loaded = WorkingTable::load(TblCRData, report, path);
    if (loaded.error)
        giveUp(*loaded.error);
    const QStringList& cutFields = loaded.cutFields;

    // The header lines. A description longer than the box takes when typed
    // (written by another program) is kept whole, so that writing the report
    // again does not cut it.
    TFrmFilename::setDescription(m_ui->EdDescription, report.description);
    m_ui->LblDesc->setText(report.description);
    if (report.order)
        check(buttonNamed(*this, ReportFile::orderButtonName(*report.order)));
    if (auto kind = ReportFile::kindToCheck(report.kind, m_ui->RbContactOrdered->isChecked()))
        check(qobject_cast<QRadioButton*>(m_kindGroup->button(int(*kind))));
    FillPickFields(this);

    // The width goes into the box (within its limits) and picks the paper.
    m_ui->SpinMargin->setValue(report.printableWidth);
    QRadioButton* paper = buttonNamed(
        *this, ReportFile::paperButtonName(ReportFile::paperButtonForWidth(report.printableWidth)));
    check(paper);
    if (paper == m_ui->RbOther)
        RbOtherClick();

    m_ui->LblSelected->setText(QStringLiteral("(%1 Fields Selected)").arg(report.declaredCount));
    m_ui->rbCustNo->setChecked(true);

    if (report.hasCustomId()) {
        m_ui->LblSelected->setText(
            QStringLiteral("(%1 Fields Selected)").arg(report.declaredCount - 1));
        m_ui->rbCustYes->setChecked(true);
    }

    // The pick lists show the loaded fields as selected.
    for (TPickList* list : {m_ui->PickContactField, m_ui->PickEventField}) {
        for (int r = 0; r < list->count(); ++r)
            list->setItemSelected(r, false);
    }
    QStringList order;
    int lineOne = 0;
    for (const ReportFileField& row : WorkingTable::blocksInPrintOrder(TblCRData)) {
        if (row.dbType == 0) {
            const int r = m_ui->PickContactField->findItem(row.field);
            if (r >= 0)
                m_ui->PickContactField->setItemSelected(r, true);
        } else if (row.dbType == 1) {
            const int r = m_ui->PickEventField->findItem(FieldToCaption(EventKind, row.field));
            if (r >= 0)
                m_ui->PickEventField->setItemSelected(r, true);
        }
        order << row.field;
        if (row.line == 1)
            ++lineOne;
    }

    // The field order as stored, with the memo last.
    m_ui->lbAllFields->clear();
    m_ui->lbAllFields->addItems(order);
    const QString memo = FieldToCaption(EventKind, QStringLiteral("Memo"));
    for (int r = 0; r < m_ui->lbAllFields->count(); ++r) {
        if (m_ui->lbAllFields->item(r)->text().compare(memo, Qt::CaseInsensitive) == 0) {
            m_ui->lbAllFields->addItem(m_ui->lbAllFields->takeItem(r));
            break;
        }
    }

    const bool detailLevel = m_ui->rbCustYes->isChecked();
    if (!detailLevel)
        m_ui->rbCustNo->setChecked(true);
    m_ui->LblCustYes->setVisible(detailLevel);
    m_ui->LblCustYes2->setVisible(detailLevel);
    m_ui->LblCustNo->setVisible(!detailLevel);

    SelectedCount = m_ui->lbAllFields->count();
    setColumnCount(lineOne);
    SetGrid();

    if (!cutFields.isEmpty()) {
        constexpr int kNamed = 10;
        QStringList named = cutFields.mid(0, kNamed);
        for (QString& name : named)
            name = QLatin1Char('"') + name + QLatin1Char('"');
        QString list = named.join(QStringLiteral(", "));
        if (cutFields.size() > kNamed)
            list += QStringLiteral(" and %1 more").arg(cutFields.size() - kNamed);
        showInformation(QStringLiteral("The report file %1 has column headers or field names "
                                       "longer than the 50 characters a report can hold. They "
                                       "were shortened to 50 characters for the fields %2.")
                            .arg(QDir::toNativeSeparators(DiskName::readable(path)), list));
    }
}

void TFrmCReport::FillColTableFromRows()
{
    m_ui->sgCol->setColumnCount(4);
    m_ui->sgCol->setHorizontalHeaderLabels(WorkingTable::gridHeaders());
    m_ui->LBFieldDefs->clear();
    for (int r = 0; r < m_ui->lbAllFields->count(); ++r)
        m_ui->LBFieldDefs->addItem(m_ui->lbAllFields->item(r)->text());

    QList<QStringList> rows;
    auto number = [](std::optional<int> value) {
        return value ? QString::number(*value) : QString();
    };
    for (const ReportFileField& row : WorkingTable::blocksInPrintOrder(TblCRData))
        rows << QStringList{row.field, number(row.line), number(row.lPosition),
                            number(row.rPosition)};
    m_ui->sgCol->clearContents();
    m_ui->sgCol->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(rows[r].value(c));
            // The field column names the row; only the positions are edited.
            if (c == 0)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            m_ui->sgCol->setItem(r, c, item);
        }
    }
}

// ---- Writing ---------------------------------------------------------------

// Writes the wizard's report file. A name just chosen in the naming dialog
// must still be free when the file is written: another user may have saved
// a report of that name since, and theirs is not replaced.
void TFrmCReport::writeReportFile(Table& table, bool newName)
{
    if (&table == &TblCRData)
        postPendingFieldEdit();
    if (ReportFile.isEmpty())
        throw ReportFileFailure(QStringLiteral("No report file was chosen; nothing was written."));
    const ReportFileContent content = reportContent(table);
    QString error;
    bool saved = false;
    {
        WaitCursor wait;
        const QString path = reportPath(*this);
        saved = newName ? ReportFile::saveNew(path, content, &error)
                        : ReportFile::save(path, content, &error);
    }
    if (!saved)
        throw ReportFileFailure(error);
}

void TFrmCReport::WriteTheReportFile(Table& table) { writeReportFile(table, false); }

// At the end of a handler, whatever way it ends: the cursor back on the field
// that "Field Definitions" highlights.
auto TFrmCReport::followingHighlightedField()
{
    return qScopeGuard([this] {
        try {
            followHighlightedField();
        } catch (const DatabaseError&) {
            // The handler's own error, if any, is the one reported.
        }
    });
}

void TFrmCReport::btMakeReportClick()
{
    const auto follow = followingHighlightedField();
    postPendingFieldEdit();
    // Texts that a report file cannot hold are refused before a name is
    // asked for or anything is stored.
    if (auto problem = ReportFile::checkTexts(reportContent(TblCRData))) {
        ShowError(*problem);
        return;
    }

    bool ok = true;
    bool newName = false;
    if (WizardMode == QLatin1String("CREATE")) {
        ok = newName = askForNewName();
    } else if (WizardMode == QLatin1String("MODIFY") && m_ui->RbModify->isChecked()) {
        if (!Confirm(QStringLiteral("Do you want to overwrite the existing report?")))
            ok = newName = askForNewName();
    } else if (WizardMode == QLatin1String("MODIFY") && m_ui->RbCopy->isChecked()) {
        ok = newName = askForNewName();
    }
    if (!ok)
        return;

    {
        WaitCursor wait;
        WriteColWidthsGridToTable(TblCRData);
    }
    writeReportFile(TblCRData, newName);
    showInformation(QStringLiteral("Report successfully created."));
}

ReportFileContent TFrmCReport::reportInHand() { return reportContent(TblCRData); }

void TFrmCReport::BtnPreviewClick()
{
    postPendingFieldEdit();
    ReportPreviewWindow::showFor(reportContent(TblCRData), this);
}

void TFrmCReport::BtnCheckClick()
{
    const auto follow = followingHighlightedField();
    WriteColWidthsGridToTable(TblCRData);
    QList<ColumnRow> rows;
    for (const ReportFileField& row : WorkingTable::blocksInPrintOrder(TblCRData))
        rows << ColumnRow{row.field, row.line, row.lPosition, row.rPosition};
    const ColumnCheckResult result =
        ColumnCheck::CheckColumnPositions(m_ui->SpinMargin->boundedValue(), rows);
    if (!result.ok()) {
        Platform::instance().messageBox(Platform::Icon::Warning, result.message,
                                        Platform::Buttons::Ok);
        return;
    }
    showInformation(ColumnCheck::wizardOkText());
}

// ---- Dialogs ---------------------------------------------------------------

bool TFrmCReport::selectReport(const QString& title, const QString& selectMode)
{
    TFrmSelect dialog(this);
    dialog.setTitle(title);
    dialog.setSelectMode(selectMode);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (selectMode == QLatin1String("MODIFY")) {
        ReportFile = dialog.reportFile();
        m_reportDiskName = dialog.reportDiskName();
    }
    return true;
}

bool TFrmCReport::editColumnPositions()
{
    TFrmColumn dialog(this);
    try {
        dialog.openTable(DatabaseAlias);
    } catch (const DatabaseError& error) {
        showUnhandledError(error);
        return false;
    }
    dialog.setReportName(m_ui->EdDescription->text());
    dialog.setMargin(m_ui->SpinMargin->value());
    // OK rewrites the report file before the editor reports success; a
    // write that fails is shown and the editor stays open.
    dialog.setSaveAction([this] {
        TblCRData.refresh();
        WriteTheReportFile(TblCRData);
    });
    // The editor's positions, through the wizard's refreshed cursor.
    dialog.setPreviewAction([this, &dialog] {
        TblCRData.refresh();
        ReportPreviewWindow::showFor(reportContent(TblCRData), &dialog);
    });
    return dialog.exec() == QDialog::Accepted;
}
