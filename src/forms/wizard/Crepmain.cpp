#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/EventFields.h"
#include "forms/controls/About.h"
#include "forms/controls/Picklist.h"
#include "forms/preview/ColumnFitWarnings.h"
#include "forms/store/ColumnPreviewWidget.h"
#include "forms/store/Getfilr.h"
#include "core/store/ReportFile.h"
#include "core/wizard/DatabaseAlias.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QTableWidget>

#include <iterator>
#include <optional>

namespace {

const QString kCaption = QStringLiteral("Tallyvane Professional");
const QString kPlayer = QStringLiteral("player.exe");
const QString kSlides = QStringLiteral("vxaddon.dmr");

// The focus goes only to a control that can take it.
bool canFocus(const QWidget* widget)
{
    return widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus;
}

QString playerPath()
{
    return JoinPath(AppPaths::executableFolder(), AppPaths::programName(kPlayer));
}

QString slidesPath() { return JoinPath(AppPaths::executableFolder(), kSlides); }

bool slideShowPresent()
{
    return QFileInfo(playerPath()).isFile() && QFileInfo(slidesPath()).isFile();
}

} // namespace

TFrmCReport::TFrmCReport(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFrmCReport>())
{
    ui->setupUi(this);
    bindControls();

    // A fixed dialog frame with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // Design-time state of the controls.
    TFrmFilename::limitTypedDescription(EdDescription);
    SpinMargin->setMaxLength(3);
    SpinCol->setMaxLength(2);
    QSizePolicy keep = PnlPrint->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    PnlPrint->setSizePolicy(keep);
    PnlPrint->hide();
    lbMirror->hide();
    LblCustYes2->hide();
    LblCustNo->hide();
    sgCol->setColumnCount(4);
    sgCol->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Line"),
                                      QStringLiteral("Starting At"), QStringLiteral("Ending At")});
    sgCol->setRowCount(0);

    // The tables as designed; FormCreate points them at the alias.
    TblContact.setTableName(QStringLiteral("CONTACT.DB"));
    TblEvents.setTableName(QStringLiteral("EVENT.DB"));
    TblCRData.setTableName(QStringLiteral("CRDATA.DB"));
    TblCRData.setExclusive(true);
    // Refused positions are named as the "Column Widths" grid shows them.
    TblCRData.setDisplayLabel(QStringLiteral("LPosition"), QStringLiteral("Starting At"));
    TblCRData.setDisplayLabel(QStringLiteral("RPosition"), QStringLiteral("Ending At"));

    connectHandlers();
    bindFieldControls();

    // The live page preview under the column grid; it edits through sgCol.
    if (auto* previewBox = qobject_cast<QBoxLayout*>(PnlPreview->layout())) {
        ColumnPreviewWidget* preview =
            ColumnPreviewWidget::addTo(previewBox, sgCol, SpinMargin->value());
        preview->setPrintableWidthSource([this] { return SpinMargin->value(); });
        preview->setHeaderTable(DatabaseAlias);
        QWidget::setTabOrder(BtnCheck, preview);
    }
    // The fit check beside the rows of the column grid.
    new ColumnFitWarnings(
        sgCol, [this] { return reportInHand(); }, [] { return AliasPath(DatabaseAlias); },
        {StartUp::tablePassword(0), StartUp::tablePassword(1)});

    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    guarded([this] { FormCreate(); });
}

TFrmCReport::~TFrmCReport() = default;

void TFrmCReport::bindControls()
{
    Notebook1 = ui->Notebook1;
    Page1 = ui->Page1;
    Page2 = ui->Page2;
    Page3 = ui->Page3;
    Page4 = ui->Page4;
    Page5 = ui->Page5;
    Page4_5 = ui->Page4_5;
    Page6 = ui->Page6;
    Page7 = ui->Page7;
    Page8 = ui->Page8;
    Page9 = ui->Page9;
    Page10 = ui->Page10;

    Label1 = ui->Label1;
    RBCreate = ui->RBCreate;
    RbModify = ui->RbModify;
    RbCopy = ui->RbCopy;
    RBColumn = ui->RBColumn;
    RbDelete = ui->RbDelete;

    RbContactOrdered = ui->RbContactOrdered;
    rbDateOrdered = ui->rbDateOrdered;

    RBContact = ui->RBContact;
    RBEvent = ui->RBEvent;
    RBNote = ui->RBNote;
    RbCall = ui->RbCall;
    RBLetter = ui->RBLetter;
    RbMeeting = ui->RbMeeting;
    RbTodo = ui->RbTodo;
    rbSale = ui->rbSale;
    rbQuote = ui->rbQuote;

    EdDescription = ui->EdDescription;

    RBAmPor = ui->RBAmPor;
    RbAmLan = ui->RbAmLan;
    RbA4Por = ui->RbA4Por;
    RBA4Lan = ui->RBA4Lan;
    RbOther = ui->RbOther;
    PnlPrint = ui->PnlPrint;
    SpinMargin = ui->SpinMargin;
    LblMargin = ui->LblMargin;
    m_paperGroup = ui->PaperGroup;

    rbCustYes = ui->rbCustYes;
    rbCustNo = ui->rbCustNo;

    PickContactField = ui->PickContactField;
    PickEventField = ui->PickEventField;
    LblEvent = ui->LblEvent;
    LblSelected = ui->LblSelected;
    BitBtn2 = ui->BitBtn2;
    BtnUser = ui->BtnUser;

    lbAllFields = ui->lbAllFields;
    lbMirror = ui->lbMirror;
    BtnMoveUp = ui->BtnMoveUp;
    BtnDown = ui->BtnDown;
    LblCustYes = ui->LblCustYes;
    LblCustNo = ui->LblCustNo;

    SpinCol = ui->SpinCol;
    Label111 = ui->Label111;
    StringGrid1 = ui->StringGrid1;
    LblCustYes2 = ui->LblCustYes2;

    sgCol = ui->sgCol;
    BtnCheck = ui->BtnCheck;
    PnlPreview = ui->PnlPreview;

    LBFieldDefs = ui->LBFieldDefs;
    DBEdit1 = ui->DBEdit1;
    cbDotLead = ui->cbDotLead;
    cbDotTrail = ui->cbDotTrail;
    DBCBTotal = ui->DBCBTotal;
    DBCBCount = ui->DBCBCount;
    DBCBAverage = ui->DBCBAverage;
    DBCBMin = ui->DBCBMin;
    DBCBMax = ui->DBCBMax;
    btMakeReport = ui->btMakeReport;

    LblDesc = ui->LblDesc;
    BtnSlideShow = ui->BtnSlideShow;
    BtnAbout = ui->BtnAbout;
    BtnHelp = ui->BtnHelp;
    BtnPrior = ui->BtnPrior;
    BtnNext = ui->BtnNext;
    btExit = ui->btExit;
}

void TFrmCReport::connectHandlers()
{
    // Every handler runs guarded: an error of the engine or of file access
    // stops the handler and is shown in the application's error box.
    auto on = [this](auto* sender, auto signal, void (TFrmCReport::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    // A radio button runs its click handler whenever it becomes checked, by
    // the user or by the program.
    auto onChecked = [this](QRadioButton* button, void (TFrmCReport::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                guarded([&] { (this->*handler)(); });
        });
    };

    on(BtnNext, &QPushButton::clicked, &TFrmCReport::BtnNextClick);
    on(BtnPrior, &QPushButton::clicked, &TFrmCReport::BtnPriorClick);
    on(btExit, &QPushButton::clicked, &TFrmCReport::btExitClick);
    on(BtnHelp, &QPushButton::clicked, &TFrmCReport::BtnHelpClick);
    on(BtnSlideShow, &QPushButton::clicked, &TFrmCReport::BtnSlideShowClick);
    on(BtnAbout, &QPushButton::clicked, &TFrmCReport::BtnAboutClick);
    on(EdDescription, &QLineEdit::textChanged, &TFrmCReport::EdDescriptionChange);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    on(help, &QShortcut::activated, &TFrmCReport::BtnHelpClick);

    for (QRadioButton* b : {RBCreate, RbModify, RbCopy, RBColumn, RbDelete})
        onChecked(b, &TFrmCReport::RBCreateClick);
    for (QRadioButton* b : {RbContactOrdered, rbDateOrdered})
        onChecked(b, &TFrmCReport::Notebook1Click);
    for (QRadioButton* b :
         {RBContact, RBEvent, RBNote, RbCall, RBLetter, RbMeeting, RbTodo, rbSale, rbQuote})
        onChecked(b, &TFrmCReport::RBContactClick);

    onChecked(RBAmPor, &TFrmCReport::RBAmPorClick);
    onChecked(RbAmLan, &TFrmCReport::RbAmLanClick);
    onChecked(RbA4Por, &TFrmCReport::RbA4PorClick);
    onChecked(RBA4Lan, &TFrmCReport::RBA4LanClick);
    onChecked(RbOther, &TFrmCReport::RbOtherClick);
    on(SpinMargin, &BoundedSpinBox::editTextChanged, &TFrmCReport::SpinMarginChange);

    onChecked(rbCustYes, &TFrmCReport::rbCustYesClick);
    onChecked(rbCustNo, &TFrmCReport::rbCustNoClick);

    on(PickContactField, &TPickList::OnClick, &TFrmCReport::PickContactFieldClick);
    on(PickEventField, &TPickList::OnClick, &TFrmCReport::PickContactFieldClick);
    on(BitBtn2, &QPushButton::clicked, &TFrmCReport::BitBtn2Click);
    on(BtnUser, &QPushButton::clicked, &TFrmCReport::BtnUserClick);

    on(BtnMoveUp, &QPushButton::clicked, &TFrmCReport::BtnMoveUpClick);
    on(BtnDown, &QPushButton::clicked, &TFrmCReport::BtnDownClick);

    on(SpinCol, &QSpinBox::valueChanged, &TFrmCReport::SpinColChange);

    on(BtnCheck, &QPushButton::clicked, &TFrmCReport::BtnCheckClick);
    on(LBFieldDefs, &QListWidget::currentRowChanged, &TFrmCReport::LBFieldDefsClick);
    on(btMakeReport, &QPushButton::clicked, &TFrmCReport::btMakeReportClick);
    // "Pre&view" stands above "&Make Report" on Page10.
    QWidget* page10 = btMakeReport->parentWidget();
    if (auto* box = page10->findChild<QBoxLayout*>(QStringLiteral("Page10Attributes"))) {
        auto* preview = new QPushButton(QStringLiteral("Pre&view"), page10);
        preview->setObjectName(QStringLiteral("BtnPreview"));
        preview->setAutoDefault(false);
        box->insertWidget(box->indexOf(btMakeReport), preview);
        on(preview, &QPushButton::clicked, &TFrmCReport::BtnPreviewClick);
    }

    // Clicks on the page area itself, and on the column count box.
    for (int i = 0; i < Notebook1->count(); ++i)
        Notebook1->widget(i)->installEventFilter(this);
    SpinCol->installEventFilter(this);
    if (auto* edit = SpinCol->findChild<QLineEdit*>())
        edit->installEventFilter(this);
}

bool TFrmCReport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && Notebook1->indexOf(widget) >= 0)
            guarded([this] { Notebook1Click(); });
        else if (widget && (widget == SpinCol || widget->parentWidget() == SpinCol))
            guarded([this] { SpinColClick(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmCReport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(); });
}

void TFrmCReport::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the wizard: only Exit (with its question) and the
    // system menu do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmCReport::showUnhandledError(const std::exception& error)
{
    QString text;
    if (const auto* db = dynamic_cast<const DatabaseError*>(&error))
        text = db->message();
    else
        text = QString::fromLocal8Bit(error.what());
    // The wait cursor of an interrupted action must not hang over the box.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    Platform::instance().messageBox(Platform::Icon::Error, text, Platform::Buttons::Ok);
}

// ---- Set-up --------------------------------------------------------------

void TFrmCReport::FormCreate()
{
    DatabaseAlias = QStringLiteral("VESKA");

    Label1->setText(kCaption);
    setWindowTitle(Label1->text());

    TblEvents.setDatabaseName(DatabaseAlias);
    TblContact.setDatabaseName(DatabaseAlias);
    TblCRData.setDatabaseName(DatabaseAlias);

    // A working table that cannot be made for now (the network control
    // directory is not usable yet) is reported, and made again when the
    // user starts an operation. An alias without a folder, or a working
    // table held by another wizard, leaves nothing to work on: the program
    // ends once the user has read why.
    try {
        WaitCursor wait;
        CreateDataTable();
    } catch (const WorkingTableRefused& error) {
        m_startRefused = true;
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        Platform::instance().messageBox(
            Platform::Icon::Error,
            error.message() + QStringLiteral("\r\rThe program ends when you close this message."),
            Platform::Buttons::Ok);
    } catch (const std::exception& error) {
        showUnhandledError(error);
    }

    BtnSlideShow->setVisible(slideShowPresent());

    m_helpFile = AppPaths::executableFolder() + QStringLiteral("creport.hlp");

    FieldsChanged = false;
    ContactMemoChosen = false;
    EventMemoChosen = false;
    CurrentPage = 0;
    SelectedCount = 0;
    GridReady = true;

    SetBook(this);
}

void TFrmCReport::FormShow()
{
    if (canFocus(BtnNext))
        BtnNext->setFocus();
}

// ---- Page flow -------------------------------------------------------------

int TFrmCReport::helpContext(int page)
{
    static const int contexts[] = {100, 200, 300, 400, 500, 550, 600, 650, 700, 750, 800};
    if (page < 0 || page >= int(std::size(contexts)))
        return contexts[0];
    return contexts[page];
}

void TFrmCReport::showPage(int page) { Notebook1->setCurrentIndex(page); }

void TFrmCReport::SetBook(QObject* sender)
{
    // Whatever happens below, Previous and Next follow the page shown.
    struct ButtonState
    {
        TFrmCReport* w;
        ~ButtonState()
        {
            const int shown = w->Notebook1->currentIndex();
            w->BtnPrior->setEnabled(shown != 0);
            w->BtnNext->setEnabled(shown != w->Notebook1->count() - 1);
        }
    } buttons{this};

    try {
        moveToPage(sender);
    } catch (...) {
        // A move that failed half way leaves the wizard on the page it
        // shows, so that Next and Previous go on from there.
        CurrentPage = Notebook1->currentIndex();
        throw;
    }
}

void TFrmCReport::moveToPage(QObject* sender)
{

    // 1. Leaving the first page (or coming back to Page2 from Page3): the
    //    operation starts afresh.
    if (CurrentPage == 1) {
        FieldsChanged = false;
        {
            WaitCursor wait;
            ClearCustomTable(TblCRData);
        }
        if (RbModify->isChecked() || RbCopy->isChecked())
            WizardMode = QStringLiteral("MODIFY");
        else if (RBColumn->isChecked())
            WizardMode = QStringLiteral("COLUMN");
        else if (RBCreate->isChecked()) {
            WizardMode = QStringLiteral("CREATE");
            FieldsChanged = true;
        }
        // Delete keeps the former mode.

        if (!RBCreate->isChecked()) {
            const bool deleting = RbDelete->isChecked();
            const bool ok = deleting ? selectReport(QStringLiteral("Delete an Existing Report"),
                                                    QStringLiteral("DELETE"))
                                     : selectReport(QStringLiteral("Modify an Existing Report"),
                                                    QStringLiteral("MODIFY"));
            if (!ok || deleting) {
                CurrentPage = 0;
                showPage(0);
                return;
            }
            WaitCursor wait;
            LoadConfig();
            FillColTable();
        }
    }

    // 2. Column positions: the editor, then back to the first page.
    if (RBColumn->isChecked()) {
        editColumnPositions();
        showPage(0);
        CurrentPage = 0;
        return;
    }

    // 3. "Report Information" is skipped for date-ordered reports; a new
    //    report gets the information kind that goes with its ordering.
    if (CurrentPage == 2) {
        const bool creating = WizardMode == QLatin1String("CREATE");
        if (rbDateOrdered->isChecked()) {
            if (sender == BtnNext)
                ++CurrentPage;
            else if (sender == BtnPrior)
                --CurrentPage;
            if (creating)
                RBEvent->setChecked(true);
        } else if (RbContactOrdered->isChecked() && creating) {
            RBContact->setChecked(true);
        }
    }

    // 4. No way past "Report Description" without a description, nor with
    //    one that a report file cannot hold (refused here, where it was
    //    typed, rather than at "Make Report").
    if (CurrentPage == 4) {
        std::optional<QString> refusal;
        if (EdDescription->text().isEmpty())
            refusal = QStringLiteral("You must enter a description.");
        else if (sender == BtnNext)
            refusal = ReportFile::checkDescription(EdDescription->text());
        if (refusal) {
            ShowError(*refusal);
            CurrentPage = 3;
            showPage(3);
            if (canFocus(EdDescription))
                EdDescription->setFocus();
            return;
        }
    }

    // 5. A new report's pick lists.
    if (CurrentPage == 6 && WizardMode == QLatin1String("CREATE"))
        FillPickFields(sender);

    // 6. The field order from the selection.
    if (CurrentPage == 7 && FieldsChanged) {
        if (!FillFullList(sender)) {
            ShowError(QStringLiteral("No Fields Selected."));
            CurrentPage = 6;
            return;
        }
    }

    // 7. Onto "Column and Rows" going forward: store the order, lay it out.
    if (CurrentPage == 8 && sender != BtnPrior) {
        {
            WaitCursor wait;
            WriteFieldOrders(TblCRData);
        }
        if (SpinCol->value() == 1)
            setColumnCount(lbAllFields->count());
        SetGrid();
    }

    // 8. The column positions.
    if (CurrentPage == 9) {
        WaitCursor wait;
        FillColTable();
    }

    // 9. The positions into the table.
    if (CurrentPage == 10) {
        WaitCursor wait;
        WriteColWidthsGridToTable(TblCRData);
    }

    // 10. Show the page.
    showPage(CurrentPage);
    if (CurrentPage == 3 && canFocus(EdDescription))
        EdDescription->setFocus();
    if (CurrentPage == 8 && canFocus(SpinCol))
        SpinCol->setFocus();
    if (CurrentPage == 10 && canFocus(LBFieldDefs)) {
        LBFieldDefs->setFocus();
        if (LBFieldDefs->count() > 0) {
            LBFieldDefs->setCurrentRow(0);
            LBFieldDefs->item(0)->setSelected(true);
        }
        LBFieldDefsClick();
    }
    if (CurrentPage == 6) {
        const int selected = int(PickContactField->selectedItems().size()
                                 + PickEventField->selectedItems().size());
        LblSelected->setText(QStringLiteral("(%1 fields selected)").arg(selected));
    }
}

QString TFrmCReport::checkedEventKind() const
{
    for (const QRadioButton* b :
         {RBEvent, RBNote, RbCall, RBLetter, RbMeeting, RbTodo, rbSale, rbQuote}) {
        if (b->isChecked()) {
            if (const EventKindInfo* kind = eventKindForControl(b->objectName()))
                return kind->keyword;
        }
    }
    return QString();
}

// ---- Buttons ---------------------------------------------------------------

void TFrmCReport::BtnNextClick()
{
    ++CurrentPage;
    SetBook(BtnNext);
}

void TFrmCReport::BtnPriorClick()
{
    --CurrentPage;
    SetBook(BtnPrior);
}

void TFrmCReport::btExitClick()
{
    if (Confirm(QStringLiteral("Exit now. Are you sure?")))
        close();
}

void TFrmCReport::EdDescriptionChange() { LblDesc->setText(EdDescription->text()); }

void TFrmCReport::BtnHelpClick()
{
    Platform::instance().openHelp(m_helpFile, helpContext(Notebook1->currentIndex()));
}

void TFrmCReport::BtnSlideShowClick()
{
    const QString player = playerPath();
    const QString slides = slidesPath();
    if (QFileInfo(player).isFile() && QFileInfo(slides).isFile())
        Platform::instance().startProgram(player, {slides});
}

void TFrmCReport::BtnAboutClick()
{
    TfrmAbout about(this);
    about.exec();
}

void TFrmCReport::RBCreateClick() { RefillPickLists = true; }

void TFrmCReport::Notebook1Click() { RefillPickLists = true; }

void TFrmCReport::RBContactClick() { RefillPickLists = true; }

// ---- Paper size ------------------------------------------------------------

void TFrmCReport::setStandardPaper(int width, const QString& inches)
{
    SpinMargin->setValue(width);
    // The presets always show a full stop, whatever the regional settings.
    LblMargin->setText(QStringLiteral("(") + inches + QStringLiteral("\")"));
    SpinMargin->setEnabled(false);
    PnlPrint->hide();
}

void TFrmCReport::RBAmPorClick() { setStandardPaper(75, QStringLiteral("7.5")); }

void TFrmCReport::RbAmLanClick() { setStandardPaper(110, QStringLiteral("11.0")); }

void TFrmCReport::RbA4PorClick() { setStandardPaper(77, QStringLiteral("7.7")); }

void TFrmCReport::RBA4LanClick() { setStandardPaper(115, QStringLiteral("11.5")); }

void TFrmCReport::RbOtherClick()
{
    SpinMargin->setEnabled(true);
    PnlPrint->show();
}

void TFrmCReport::SpinMarginChange()
{
    // Typed widths follow the user's regional decimal separator.
    const double inches = SpinMargin->boundedValue() / 10.0;
    LblMargin->setText(QStringLiteral("(") + QLocale().toString(inches, 'f', 1)
                       + QStringLiteral("\")"));
}
