#pragma once

#include "core/store/ReportFile.h"
#include "core/store/WorkingTable.h"
#include "core/wizard/Layout.h"
#include "engine/DatabaseError.h"
#include "engine/Table.h"
#include "forms/wizard/BoundedSpinBox.h"

#include <QChar>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QWidget;

namespace Ui {
class TFrmCReport;
}

// The report wizard, the program's main window. It holds the report being
// designed in its controls and in a few fields of its own, and leads the user
// through the eleven pages of Notebook1 with Next and Previous. SetBook, run
// after every move, decides from the chosen operation and the page being
// entered what happens on the way.
//
// The window's work is split over several files by subject:
//   Crepmain.cpp        set-up, page flow, buttons, page setup, event kind
//   CrepmainFields.cpp  pick lists, selection rules, field order, detail level
//   CrepmainLayout.cpp  layout grid and default column positions
//   CrepmainTable.cpp   the working table CRDATA.DB and the bound controls
//   CrepmainReport.cpp  loading and writing report files, the dialogs
// The controls are the Ui object's, private to the window; tests find them
// by their objectNames. The handlers are public, as the pages call them.
class TFrmCReport : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmCReport(QWidget* parent = nullptr);
    ~TFrmCReport() override;

    // ---- The report in hand and the wizard's state -------------------------
    QString WizardMode; // "CREATE", "MODIFY" (modify and copy) or "COLUMN"
    QString ReportFile; // file of the report being modified, or to be written
    // The picked report's name as the data folder holds it (ReportFile is
    // the listed lower-case name, which two files may share); empty once
    // ReportFile names a new file.
    QString m_reportDiskName;
    int CurrentPage = 0;
    bool FieldsChanged = false;
    bool RefillPickLists = false;
    bool GridReady = true;
    bool ContactMemoChosen = false;
    bool EventMemoChosen = false;
    int SelectedCount = 0;
    // Event kind of the report and its one-letter code, set when the pick
    // lists are filled; empty until a kind has been chosen.
    QString EventKind;
    QChar EventKindCode;
    // The help file set at creation: the executable's folder + "creport.hlp".
    QString helpFile() const { return m_helpFile; }

    // True when the window could not start its work (WorkingTableRefused):
    // the user has been told, and the program ends without showing it.
    bool startRefused() const { return m_startRefused; }
    // The program from its start-up checks to the end of its message loop;
    // returns the exit code: 0 after a normal end, 1 when the wizard was
    // refused at its start. beforeShow, when given, runs on the wizard just
    // before it is shown.
    static int runProgram(const std::function<void(TFrmCReport&)>& beforeShow = {});
    static constexpr int kExitStartRefused = 1;

    // The three tables, all through DatabaseAlias.
    Table TblContact; // CONTACT.DB
    Table TblEvents;  // EVENT.DB
    Table TblCRData;  // CRDATA.DB, the working table, opened exclusively

    // ---- Set-up and page flow (Crepmain.cpp) -------------------------------
    void FormCreate();
    void FormShow();
    // sender: BtnNext, BtnPrior, or the window itself at creation.
    void SetBook(QObject* sender);
    // The help context number of a page index.
    static int helpContext(int page);
    // The information chosen on Page3, if any, and the keyword of the event
    // kind it selects (empty for contacts only).
    std::optional<InfoKind> checkedInformation() const;
    QString checkedEventKind() const;

    void BtnNextClick();
    void BtnPriorClick();
    void btExitClick();
    void EdDescriptionChange();
    void BtnHelpClick();
    void BtnSlideShowClick();
    void BtnAboutClick();
    void RBCreateClick();
    void Notebook1Click();
    void RBContactClick();

    // Page5, paper size
    void RBAmPorClick();
    void RbAmLanClick();
    void RbA4PorClick();
    void RBA4LanClick();
    void RbOtherClick();
    void SpinMarginChange();

    // ---- Field selection and order (CrepmainFields.cpp) --------------------
    void FillPickFields(QObject* sender);
    // false when nothing is selected in either pick list.
    bool FillFullList(QObject* sender);
    // The click rule of both pick lists.
    void PickContactFieldClick();
    // ShowError, except inside the handling of a control's own input (a
    // click in a pick list, a step of the column count): there the refused
    // change is undone at once and the box opens once that input has been
    // handled. A modal box inside a control's mouse or key handling leaves
    // the control half way through it: a spin box would keep spinning.
    void showError(const QString& message);
    bool qOKFieldPositions();
    void BtnMoveUpClick();
    void BtnDownClick();
    void LBFieldDefsClick();
    void rbCustYesClick();
    void rbCustNoClick();
    void BitBtn2Click(); // special fields dialog
    void BtnUserClick(); // user field names dialog

    // ---- Layout grid and column positions (CrepmainLayout.cpp) -------------
    void SetGrid();
    void SpinColChange();
    void SpinColClick();
    void FillColTable();
    // Sets the column count from the program. Unlike a change by the user
    // (mouse or keyboard), it does not count as a change of the fields.
    void setColumnCount(int columns);
    // The layout SetGrid built last, and whether its overflow message has
    // been shown (again only after a layout that fits).
    Layout::Grid m_layoutGrid;
    Layout::TooManyFieldsNotice m_tooManyFields;
    // What the positions last stored from "Column Widths" were computed for.
    // Entering the page again with the same field order, column count and
    // printable width shows the stored positions instead of fresh defaults.
    struct StoredPositions
    {
        QStringList order;
        int columns = 0;
        int width = 0;
        bool valid = false;
    };
    StoredPositions m_storedPositions;
    bool storedPositionsStillFit() const;

    // ---- Working table CRDATA.DB (CrepmainTable.cpp) -----------------------
    void CreateDataTable();
    void ClearCustomTable(Table& table);
    void RecordDBType(const QString& fieldName, const QString& header, Table& table, int dbType);
    // Deletes the rows whose field is not one of `fields`; the others keep
    // everything the user or the loader gave them.
    void removeRowsExcept(const QStringList& fields, Table& table);
    void WriteFieldOrders(Table& table);
    void WriteColWidthsGridToTable(Table& table);
    void CheckFieldTypes();
    // Binds the Page10 controls to the current row of TblCRData (DataSource1);
    // called once at creation.
    void bindFieldControls();
    // Shows the current row of TblCRData in the Page10 controls.
    void showCurrentFieldRow();
    // Stores an edit of the current row that is still pending.
    void postPendingFieldEdit();
    // Puts the cursor of TblCRData back on the field that LBFieldDefs
    // highlights, so that the bound controls show and edit that field.
    void followHighlightedField();
    // Leaving the "Column Header" box: a header that a report file cannot
    // hold is refused and the stored one shown again; otherwise the edit is
    // stored.
    void DBEdit1Exit();

    // ---- Report files and the dialogs (CrepmainReport.cpp) -----------------
    void LoadConfig();
    void WriteTheReportFile(Table& table);
    void btMakeReportClick();
    // "Pre&view" on Page10: the report's pages from the host's tables.
    void BtnPreviewClick();
    // The report in hand as the pages and the working table hold it.
    ReportFileContent reportInHand();
    void BtnCheckClick();
    // The selection dialog with a title and "MODIFY" or "DELETE"; true on OK
    // (in "MODIFY" ReportFile then holds the picked file).
    bool selectReport(const QString& title, const QString& selectMode);
    // The column editor on the loaded report; on OK the cursor is refreshed
    // and the report file rewritten. True on OK.
    bool editColumnPositions();
    // The reload branch of FillColTable: sgCol from the rows of CRDATA.DB in
    // "iOrder" order, as loaded from a report file.
    void FillColTableFromRows();

    // ---- Errors ----------------------------------------------------------
    // The application's error box for an error no handler caught.
    static void showUnhandledError(const std::exception& error);
    // Runs a handler; an error of the engine or of file access stops it and
    // is shown in the application's error box.
    template <typename F> static void guarded(F&& handler)
    {
        try {
            handler();
        } catch (const std::exception& error) {
            showUnhandledError(error);
        }
    }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void showPage(int page);
    void moveToPage(QObject* sender); // the steps of SetBook
    void setStandardPaper(int width, const QString& inches);
    void groupInformationChoices();
    auto followingHighlightedField();
    ReportFileContent reportContent(Table& table) const;
    bool askForNewName();
    void writeReportFile(Table& table, bool newName);

    std::unique_ptr<Ui::TFrmCReport> m_ui;
    QButtonGroup* m_kindGroup = nullptr; // Page3's choices, by InfoKind
    bool m_settingColumns = false;
    int m_controlInput = 0; // depth of control input handlers running
    QString m_helpFile;
    bool m_startRefused = false;
};
