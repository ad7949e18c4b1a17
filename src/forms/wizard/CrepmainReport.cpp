// Report files: loading a stored report into the wizard, writing the report
// file, "Make Report" and "Check Columns", and the selection dialog and the
// column editor that the page flow opens.
#include "forms/wizard/Crepmain.h"

#include "engine/DatabaseError.h"
#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "core/catalogue/EventFields.h"
#include "forms/controls/Picklist.h"
#include "core/store/ColumnCheck.h"
#include "forms/store/Getfilr.h"
#include "forms/preview/ReportPreviewWindow.h"
#include "forms/store/Repcol.h"
#include "core/store/DiskName.h"
#include "core/store/ReportFile.h"
#include "core/store/ReportList.h"
#include "core/store/ReportParser.h"
#include "forms/store/Repsel.h"
#include "forms/wizard/BoundedSpinBox.h"
#include "core/wizard/DatabaseAlias.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>

namespace {

const QString kOrderIndex = QStringLiteral("iOrder");

// A report file that cannot be written or loaded. It carries one message for
// the user, naming the file, and reaches the application's error box like
// an error of the engine.
class ReportFileFailure : public DatabaseError
{
public:
    using DatabaseError::DatabaseError;
};

struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
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

std::optional<int> optionalInt(const Table& table, const QString& field)
{
    if (table.isNull(field))
        return std::nullopt;
    return table.asInteger(field);
}

// Runs work over the rows of the table in "iOrder" order with its bound
// controls suspended, and puts the cursor back on its index and row, so that
// the controls of "Field Definitions" keep showing the field they showed.
template <typename F> void forEachRowInPrintOrder(Table& table, F&& perRow)
{
    table.open();
    if (table.state() != Table::State::Browse)
        table.post();
    const QString index = table.indexName();
    const int position = table.recNo();
    table.disableControls();
    struct Restore
    {
        Table& t;
        const QString& index;
        int position;
        ~Restore()
        {
            try {
                t.setIndexName(index);
                if (position >= 0 && position < t.recordCount())
                    t.moveTo(position);
            } catch (const DatabaseError&) {
                // The rows were read; where the cursor stands is secondary.
            }
            t.enableControls();
        }
    } restore{table, index, position};
    table.setIndexName(kOrderIndex);
    for (table.first(); !table.eof(); table.next())
        perRow(table);
}

ReportFileField fieldOfRow(const Table& t)
{
    ReportFileField f;
    f.dbType = optionalInt(t, QStringLiteral("DbType"));
    f.lDots = t.asBoolean(QStringLiteral("LDots"));
    f.rDots = t.asBoolean(QStringLiteral("RDots"));
    f.header = t.asString(QStringLiteral("Header"));
    f.field = t.asString(QStringLiteral("Field"));
    f.line = optionalInt(t, QStringLiteral("Line"));
    f.lPosition = optionalInt(t, QStringLiteral("LPosition"));
    f.rPosition = optionalInt(t, QStringLiteral("RPosition"));
    f.total = t.asBoolean(QStringLiteral("Total"));
    f.count = t.asBoolean(QStringLiteral("Count"));
    f.average = t.asBoolean(QStringLiteral("Average"));
    f.min = t.asBoolean(QStringLiteral("Min"));
    f.max = t.asBoolean(QStringLiteral("Max"));
    return f;
}

// The report as the wizard's pages and the table hold it.
ReportFileContent contentOf(const TFrmCReport& w, Table& table)
{
    ReportFileContent content;
    content.description = w.EdDescription->text();
    content.order = w.rbDateOrdered->isChecked() ? ReportOrder::Calendar : ReportOrder::Contact;
    for (const QRadioButton* b : {w.RBContact, w.RBEvent, w.RBNote, w.RbCall, w.RBLetter,
                                  w.RbMeeting, w.RbTodo, w.rbSale, w.rbQuote}) {
        if (b->isChecked()) {
            if (auto kind = ReportFile::kindFromButtonName(b->objectName()))
                content.kind = *kind;
            break;
        }
    }
    content.printableWidth = w.SpinMargin->boundedValue();
    forEachRowInPrintOrder(table, [&](Table& t) { content.fields << fieldOfRow(t); });
    return content;
}

// The naming dialog "Save Report File". On OK the wizard takes the new
// file's path and the description as the dialog holds it.
bool askForNewName(TFrmCReport& w)
{
    TFrmFilename dialog(w.EdDescription->text(), &w);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    w.ReportFile = dialog.reportFile();
    w.m_reportDiskName.clear();
    TFrmFilename::setDescription(w.EdDescription, dialog.description());
    return true;
}

// The table's own message, cut where it would quote a whole damaged line.
QString shortened(const QString& message)
{
    constexpr int limit = 240;
    return message.size() <= limit ? message : message.left(limit - 3) + QStringLiteral("...");
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
        Notebook1->setCurrentIndex(0);
        throw ReportFileFailure(message);
    };
    if (!report.ok())
        giveUp(report.errorMessage);

    // One row per field block, numbered in file order. The rows go in
    // before any page is touched, so that a row the table refuses leaves
    // the pages as they were.
    TblCRData.open();
    // The rows are written to the file once, after the last one, instead of
    // once per row.
    TblCRData.beginBatch();
    auto columnSize = [this](const QString& column) {
        for (const FieldDef& def : TblCRData.fieldDefs()) {
            if (def.name.compare(column, Qt::CaseInsensitive) == 0)
                return def.type == FieldType::Alpha ? int(def.size) : 0;
        }
        return 0;
    };
    const int headerLines = 5;
    const int blockLines = 13;
    QStringList cutFields; // fields whose header or name was too long, as loaded
    for (int b = 0; b < report.fields.size(); ++b) {
        const ReportFileField& f = report.fields.at(b);
        const int firstLine = headerLines + 1 + b * blockLines;
        QString column;
        int line = firstLine;
        try {
            auto setNumber = [&](const char* name, int offset, std::optional<int> value) {
                column = QString::fromLatin1(name);
                line = firstLine + offset;
                if (value)
                    TblCRData.setAsInteger(column, *value);
                else
                    TblCRData.clearValue(column);
            };
            auto setText = [&](const char* name, int offset, const QString& value,
                               const QString& what) {
                column = QString::fromLatin1(name);
                line = firstLine + offset;
                const QString& text = value;
                // A text the table cannot hold is refused here, at its own
                // line, in words that do not quote the whole line back.
                if (text.contains(QChar(0)))
                    throw DatabaseError(QStringLiteral("the %1 holds a zero character, which the "
                                                       "table cannot store.")
                                            .arg(what));
                // A text longer than the table holds (a report made
                // elsewhere) is shortened to fit; the user is told once,
                // below, which fields were.
                const int size = columnSize(column);
                if (size > 0 && text.size() > size) {
                    TblCRData.setAsString(column, text.left(size));
                    if (!cutFields.contains(f.field.left(size)))
                        cutFields << f.field.left(size);
                    return;
                }
                TblCRData.setAsString(column, text);
            };
            auto setFlag = [&](const char* name, int offset, bool value) {
                column = QString::fromLatin1(name);
                line = firstLine + offset;
                TblCRData.setAsBoolean(column, value);
            };
            TblCRData.insert();
            setNumber("Order", 0, b + 1);
            setNumber("DbType", 0, f.dbType);
            setFlag("LDots", 1, f.lDots);
            setFlag("RDots", 2, f.rDots);
            setText("Header", 3, f.header, QStringLiteral("column header"));
            setText("Field", 4, f.field, QStringLiteral("field name"));
            setNumber("Line", 5, f.line);
            setNumber("LPosition", 6, f.lPosition);
            setNumber("RPosition", 7, f.rPosition);
            setFlag("Total", 8, f.total);
            setFlag("Count", 9, f.count);
            setFlag("Average", 10, f.average);
            setFlag("Min", 11, f.min);
            setFlag("Max", 12, f.max);
            column = QStringLiteral("Field");
            line = firstLine + 4;
            TblCRData.post();
        } catch (const DatabaseError& error) {
            if (TblCRData.state() != Table::State::Browse)
                TblCRData.cancel();
            TblCRData.endBatch();
            giveUp(QStringLiteral("The report file %1 cannot be loaded: line %2, field %3: %4")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(line)
                       .arg(column, shortened(error.message())));
        }
    }
    TblCRData.endBatch();

    // The header lines. A description longer than the box takes when typed
    // (written by another program) is kept whole, so that writing the report
    // again does not cut it.
    TFrmFilename::setDescription(EdDescription, report.description);
    LblDesc->setText(report.description);
    if (report.order)
        check(buttonNamed(*this, ReportFile::orderButtonName(*report.order)));
    if (auto kind = ReportFile::kindToCheck(report.kind, RbContactOrdered->isChecked()))
        check(buttonNamed(*this, ReportFile::kindButtonName(*kind)));
    FillPickFields(this);

    // The width goes into the box (within its limits) and picks the paper.
    SpinMargin->setValue(report.printableWidth);
    QRadioButton* paper =
        buttonNamed(*this, ReportFile::paperButtonName(
                               ReportFile::paperButtonForWidth(report.printableWidth)));
    check(paper);
    if (paper == RbOther)
        RbOtherClick();

    LblSelected->setText(QStringLiteral("(%1 Fields Selected)").arg(report.declaredCount));
    rbCustNo->setChecked(true);

    if (report.hasCustomId()) {
        LblSelected->setText(QStringLiteral("(%1 Fields Selected)").arg(report.declaredCount - 1));
        rbCustYes->setChecked(true);
    }

    // The pick lists show the loaded fields as selected.
    for (TPickList* list : {PickContactField, PickEventField}) {
        for (int r = 0; r < list->count(); ++r)
            list->setItemSelected(r, false);
    }
    QStringList order;
    int lineOne = 0;
    forEachRowInPrintOrder(TblCRData, [&](Table& t) {
        const QString field = t.asString(QStringLiteral("Field"));
        const QString type = t.asString(QStringLiteral("DbType"));
        if (type == QLatin1String("0")) {
            const int row = PickContactField->findItem(field);
            if (row >= 0)
                PickContactField->setItemSelected(row, true);
        } else if (type == QLatin1String("1")) {
            const int row = PickEventField->findItem(FieldToCaption(EventKind, field));
            if (row >= 0)
                PickEventField->setItemSelected(row, true);
        }
        order << field;
        if (optionalInt(t, QStringLiteral("Line")) == 1)
            ++lineOne;
    });

    // The field order as stored, with the memo last.
    lbAllFields->clear();
    lbAllFields->addItems(order);
    const QString memo = FieldToCaption(EventKind, QStringLiteral("Memo"));
    for (int r = 0; r < lbAllFields->count(); ++r) {
        if (lbAllFields->item(r)->text().compare(memo, Qt::CaseInsensitive) == 0) {
            lbAllFields->addItem(lbAllFields->takeItem(r));
            break;
        }
    }

    const bool detailLevel = rbCustYes->isChecked();
    if (!detailLevel)
        rbCustNo->setChecked(true);
    LblCustYes->setVisible(detailLevel);
    LblCustYes2->setVisible(detailLevel);
    LblCustNo->setVisible(!detailLevel);

    SelectedCount = lbAllFields->count();
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
    sgCol->setColumnCount(4);
    sgCol->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Line"),
                                      QStringLiteral("Starting At"), QStringLiteral("Ending At")});
    LBFieldDefs->clear();
    for (int r = 0; r < lbAllFields->count(); ++r)
        LBFieldDefs->addItem(lbAllFields->item(r)->text());

    QList<QStringList> rows;
    forEachRowInPrintOrder(TblCRData, [&](Table& t) {
        rows << QStringList{t.asString(QStringLiteral("Field")), t.asString(QStringLiteral("Line")),
                            t.asString(QStringLiteral("LPosition")),
                            t.asString(QStringLiteral("RPosition"))};
    });
    sgCol->clearContents();
    sgCol->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(rows[r].value(c));
            // The field column names the row; only the positions are edited.
            if (c == 0)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            sgCol->setItem(r, c, item);
        }
    }
}

// ---- Writing ---------------------------------------------------------------

namespace {

// Writes the wizard's report file. A name just chosen in the naming dialog
// must still be free when the file is written: another user may have saved
// a report of that name since, and theirs is not replaced.
void writeReportFile(TFrmCReport& w, Table& table, bool newName)
{
    if (&table == &w.TblCRData)
        w.postPendingFieldEdit();
    if (w.ReportFile.isEmpty())
        throw ReportFileFailure(QStringLiteral("No report file was chosen; nothing was written."));
    const ReportFileContent content = contentOf(w, table);
    QString error;
    bool saved = false;
    {
        WaitCursor wait;
        const QString path = reportPath(w);
        saved = newName ? ReportFile::saveNew(path, content, &error)
                        : ReportFile::save(path, content, &error);
    }
    if (!saved)
        throw ReportFileFailure(error);
}

} // namespace

void TFrmCReport::WriteTheReportFile(Table& table) { writeReportFile(*this, table, false); }

namespace {
// At the end of a handler, whatever way it ends: the cursor back on the field
// that "Field Definitions" highlights.
struct FollowHighlightedField
{
    TFrmCReport& w;
    ~FollowHighlightedField()
    {
        try {
            w.followHighlightedField();
        } catch (const DatabaseError&) {
            // The handler's own error, if any, is the one reported.
        }
    }
};
} // namespace

void TFrmCReport::btMakeReportClick()
{
    FollowHighlightedField follow{*this};
    postPendingFieldEdit();
    // Texts that a report file cannot hold are refused before a name is
    // asked for or anything is stored.
    if (auto problem = ReportFile::checkTexts(contentOf(*this, TblCRData))) {
        ShowError(*problem);
        return;
    }

    bool ok = true;
    bool newName = false;
    if (WizardMode == QLatin1String("CREATE")) {
        ok = newName = askForNewName(*this);
    } else if (WizardMode == QLatin1String("MODIFY") && RbModify->isChecked()) {
        if (!Confirm(QStringLiteral("Do you want to overwrite the existing report?")))
            ok = newName = askForNewName(*this);
    } else if (WizardMode == QLatin1String("MODIFY") && RbCopy->isChecked()) {
        ok = newName = askForNewName(*this);
    }
    if (!ok)
        return;

    {
        WaitCursor wait;
        WriteColWidthsGridToTable(TblCRData);
    }
    writeReportFile(*this, TblCRData, newName);
    showInformation(QStringLiteral("Report successfully created."));
}

ReportFileContent TFrmCReport::reportInHand() { return contentOf(*this, TblCRData); }

void TFrmCReport::BtnPreviewClick()
{
    postPendingFieldEdit();
    ReportPreviewWindow::showFor(contentOf(*this, TblCRData), this);
}

void TFrmCReport::BtnCheckClick()
{
    FollowHighlightedField follow{*this};
    WriteColWidthsGridToTable(TblCRData);
    QList<ColumnRow> rows;
    forEachRowInPrintOrder(TblCRData, [&](Table& t) {
        rows << ColumnRow{t.asString(QStringLiteral("Field")),
                          optionalInt(t, QStringLiteral("Line")),
                          optionalInt(t, QStringLiteral("LPosition")),
                          optionalInt(t, QStringLiteral("RPosition"))};
    });
    const ColumnCheckResult result =
        ColumnCheck::CheckColumnPositions(SpinMargin->boundedValue(), rows);
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
    dialog.setReportName(EdDescription->text());
    dialog.setMargin(SpinMargin->value());
    // OK rewrites the report file before the editor reports success; a
    // write that fails is shown and the editor stays open.
    dialog.setSaveAction([this] {
        TblCRData.refresh();
        WriteTheReportFile(TblCRData);
    });
    // The editor's positions, through the wizard's refreshed cursor.
    dialog.setPreviewAction([this, &dialog] {
        TblCRData.refresh();
        ReportPreviewWindow::showFor(contentOf(*this, TblCRData), &dialog);
    });
    return dialog.exec() == QDialog::Accepted;
}
