#include "forms/wizard/Crepmain.h"

#include "ui_Crepmain.h"

#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/EventFields.h"
#include "core/store/ReportFile.h"
#include "core/store/WorkingTable.h"
#include "core/wizard/DatabaseAlias.h"
#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "forms/app/SelectionFollow.h"
#include "forms/controls/About.h"
#include "forms/controls/Picklist.h"
#include "forms/preview/ColumnFitWarnings.h"
#include "forms/store/ColumnPreviewWidget.h"
#include "forms/store/Getfilr.h"

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
#include <QScopeGuard>
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
    : QDialog(parent), m_ui(std::make_unique<Ui::TFrmCReport>())
{
    m_ui->setupUi(this);
    groupInformationChoices();

    // A fixed dialog frame with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // Design-time state of the controls.
    TFrmFilename::limitTypedDescription(m_ui->EdDescription);
    m_ui->SpinMargin->setMaxLength(3);
    m_ui->SpinCol->setMaxLength(2);
    QSizePolicy keep = m_ui->PnlPrint->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_ui->PnlPrint->setSizePolicy(keep);
    m_ui->PnlPrint->hide();
    m_ui->lbMirror->hide();
    m_ui->LblCustYes2->hide();
    m_ui->LblCustNo->hide();
    m_ui->sgCol->setColumnCount(4);
    m_ui->sgCol->setHorizontalHeaderLabels(WorkingTable::gridHeaders());
    m_ui->sgCol->setRowCount(0);

    // The tables as designed; FormCreate points them at the alias.
    TblContact.setTableName(QStringLiteral("CONTACT.DB"));
    TblEvents.setTableName(QStringLiteral("EVENT.DB"));
    WorkingTable::prepare(TblCRData);

    connectHandlers();
    bindFieldControls();

    // The live page preview under the column grid; it edits through sgCol.
    if (auto* previewBox = qobject_cast<QBoxLayout*>(m_ui->PnlPreview->layout())) {
        ColumnPreviewWidget* preview =
            ColumnPreviewWidget::addTo(previewBox, m_ui->sgCol, m_ui->SpinMargin->value());
        preview->setPrintableWidthSource([this] { return m_ui->SpinMargin->value(); });
        preview->setHeaderTable(DatabaseAlias);
        QWidget::setTabOrder(m_ui->BtnCheck, preview);
    }
    // The fit check beside the rows of the column grid.
    new ColumnFitWarnings(
        m_ui->sgCol, [this] { return reportInHand(); }, [] { return AliasPath(DatabaseAlias); },
        {StartUp::tablePassword(0), StartUp::tablePassword(1)});

    // The window is fixed at what the pages shown so far need; a page
    // counts once it is first shown (WizardPage), and then the window
    // grows if that page needs more room. It never shrinks, so that the
    // buttons stay where they are.
    setFixedSize(sizeHint());
    connect(m_ui->Notebook1, &QStackedWidget::currentChanged, this,
            [this] { setFixedSize(size().expandedTo(sizeHint())); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    guarded([this] { FormCreate(); });
}

TFrmCReport::~TFrmCReport() = default;

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

    on(m_ui->BtnNext, &QPushButton::clicked, &TFrmCReport::BtnNextClick);
    on(m_ui->BtnPrior, &QPushButton::clicked, &TFrmCReport::BtnPriorClick);
    on(m_ui->btExit, &QPushButton::clicked, &TFrmCReport::btExitClick);
    on(m_ui->BtnHelp, &QPushButton::clicked, &TFrmCReport::BtnHelpClick);
    on(m_ui->BtnSlideShow, &QPushButton::clicked, &TFrmCReport::BtnSlideShowClick);
    on(m_ui->BtnAbout, &QPushButton::clicked, &TFrmCReport::BtnAboutClick);
    on(m_ui->EdDescription, &QLineEdit::textChanged, &TFrmCReport::EdDescriptionChange);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    on(help, &QShortcut::activated, &TFrmCReport::BtnHelpClick);

    for (QRadioButton* b :
         {m_ui->RBCreate, m_ui->RbModify, m_ui->RbCopy, m_ui->RBColumn, m_ui->RbDelete})
        onChecked(b, &TFrmCReport::RBCreateClick);
    for (QRadioButton* b : {m_ui->RbContactOrdered, m_ui->rbDateOrdered})
        onChecked(b, &TFrmCReport::Notebook1Click);
    for (QRadioButton* b :
         {m_ui->RBContact, m_ui->RBEvent, m_ui->RBNote, m_ui->RbCall, m_ui->RBLetter,
          m_ui->RbMeeting, m_ui->RbTodo, m_ui->rbSale, m_ui->rbQuote})
        onChecked(b, &TFrmCReport::RBContactClick);

    onChecked(m_ui->RBAmPor, &TFrmCReport::RBAmPorClick);
    onChecked(m_ui->RbAmLan, &TFrmCReport::RbAmLanClick);
    onChecked(m_ui->RbA4Por, &TFrmCReport::RbA4PorClick);
    onChecked(m_ui->RBA4Lan, &TFrmCReport::RBA4LanClick);
    onChecked(m_ui->RbOther, &TFrmCReport::RbOtherClick);
    on(m_ui->SpinMargin, &BoundedSpinBox::editTextChanged, &TFrmCReport::SpinMarginChange);

    onChecked(m_ui->rbCustYes, &TFrmCReport::rbCustYesClick);
    onChecked(m_ui->rbCustNo, &TFrmCReport::rbCustNoClick);

    on(m_ui->PickContactField, &TPickList::OnClick, &TFrmCReport::PickContactFieldClick);
    on(m_ui->PickEventField, &TPickList::OnClick, &TFrmCReport::PickContactFieldClick);
    on(m_ui->BitBtn2, &QPushButton::clicked, &TFrmCReport::BitBtn2Click);
    on(m_ui->BtnUser, &QPushButton::clicked, &TFrmCReport::BtnUserClick);

    on(m_ui->BtnMoveUp, &QPushButton::clicked, &TFrmCReport::BtnMoveUpClick);
    on(m_ui->BtnDown, &QPushButton::clicked, &TFrmCReport::BtnDownClick);

    on(m_ui->SpinCol, &QSpinBox::valueChanged, &TFrmCReport::SpinColChange);

    on(m_ui->BtnCheck, &QPushButton::clicked, &TFrmCReport::BtnCheckClick);
    on(m_ui->LBFieldDefs, &QListWidget::currentRowChanged, &TFrmCReport::LBFieldDefsClick);
    // An entry chosen through an assistive tool becomes the current one, as
    // a click makes it: Move Up and Down, and the field's controls, act on it.
    followSelection(m_ui->lbAllFields);
    followSelection(m_ui->LBFieldDefs);
    on(m_ui->btMakeReport, &QPushButton::clicked, &TFrmCReport::btMakeReportClick);
    // "Pre&view" stands above "&Make Report" on Page10.
    QWidget* page10 = m_ui->btMakeReport->parentWidget();
    if (auto* box = page10->findChild<QBoxLayout*>(QStringLiteral("Page10Attributes"))) {
        auto* preview = new QPushButton(QStringLiteral("Pre&view"), page10);
        preview->setObjectName(QStringLiteral("BtnPreview"));
        preview->setAutoDefault(false);
        box->insertWidget(box->indexOf(m_ui->btMakeReport), preview);
        on(preview, &QPushButton::clicked, &TFrmCReport::BtnPreviewClick);
    }

    // Clicks on the page area itself, and on the column count box.
    for (int i = 0; i < m_ui->Notebook1->count(); ++i)
        m_ui->Notebook1->widget(i)->installEventFilter(this);
    m_ui->SpinCol->installEventFilter(this);
    if (auto* edit = m_ui->SpinCol->findChild<QLineEdit*>())
        edit->installEventFilter(this);
}

bool TFrmCReport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && m_ui->Notebook1->indexOf(widget) >= 0)
            guarded([this] { Notebook1Click(); });
        else if (widget && (widget == m_ui->SpinCol || widget->parentWidget() == m_ui->SpinCol))
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

    m_ui->Label1->setText(kCaption);
    setWindowTitle(m_ui->Label1->text());

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

    m_ui->BtnSlideShow->setVisible(slideShowPresent());

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
    if (canFocus(m_ui->BtnNext))
        m_ui->BtnNext->setFocus();
}

// ---- Page flow -------------------------------------------------------------

int TFrmCReport::helpContext(int page)
{
    static const int contexts[] = {100, 200, 300, 400, 500, 550, 600, 650, 700, 750, 800};
    if (page < 0 || page >= int(std::size(contexts)))
        return contexts[0];
    return contexts[page];
}

void TFrmCReport::showPage(int page) { m_ui->Notebook1->setCurrentIndex(page); }

void TFrmCReport::SetBook(QObject* sender)
{
    // Whatever happens below, Previous and Next follow the page shown.
    const auto buttons = qScopeGuard([this] {
        const int shown = m_ui->Notebook1->currentIndex();
        m_ui->BtnPrior->setEnabled(shown != 0);
        m_ui->BtnNext->setEnabled(shown != m_ui->Notebook1->count() - 1);
    });

    try {
        moveToPage(sender);
    } catch (...) {
        // A move that failed half way leaves the wizard on the page it
        // shows, so that Next and Previous go on from there.
        CurrentPage = m_ui->Notebook1->currentIndex();
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
        if (m_ui->RbModify->isChecked() || m_ui->RbCopy->isChecked())
            WizardMode = QStringLiteral("MODIFY");
        else if (m_ui->RBColumn->isChecked())
            WizardMode = QStringLiteral("COLUMN");
        else if (m_ui->RBCreate->isChecked()) {
            WizardMode = QStringLiteral("CREATE");
            FieldsChanged = true;
        }
        // Delete keeps the former mode.

        if (!m_ui->RBCreate->isChecked()) {
            const bool deleting = m_ui->RbDelete->isChecked();
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
    if (m_ui->RBColumn->isChecked()) {
        editColumnPositions();
        showPage(0);
        CurrentPage = 0;
        return;
    }

    // 3. "Report Information" is skipped for date-ordered reports; a new
    //    report gets the information kind that goes with its ordering.
    if (CurrentPage == 2) {
        const bool creating = WizardMode == QLatin1String("CREATE");
        if (m_ui->rbDateOrdered->isChecked()) {
            if (sender == m_ui->BtnNext)
                ++CurrentPage;
            else if (sender == m_ui->BtnPrior)
                --CurrentPage;
            if (creating)
                m_ui->RBEvent->setChecked(true);
        } else if (m_ui->RbContactOrdered->isChecked() && creating) {
            m_ui->RBContact->setChecked(true);
        }
    }

    // 4. No way past "Report Description" without a description, nor with
    //    one that a report file cannot hold (refused here, where it was
    //    typed, rather than at "Make Report").
    if (CurrentPage == 4) {
        std::optional<QString> refusal;
        if (m_ui->EdDescription->text().isEmpty())
            refusal = QStringLiteral("You must enter a description.");
        else if (sender == m_ui->BtnNext)
            refusal = ReportFile::checkDescription(m_ui->EdDescription->text());
        if (refusal) {
            ShowError(*refusal);
            CurrentPage = 3;
            showPage(3);
            if (canFocus(m_ui->EdDescription))
                m_ui->EdDescription->setFocus();
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
    if (CurrentPage == 8 && sender != m_ui->BtnPrior) {
        {
            WaitCursor wait;
            WriteFieldOrders(TblCRData);
        }
        if (m_ui->SpinCol->value() == 1)
            setColumnCount(m_ui->lbAllFields->count());
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
    if (CurrentPage == 3 && canFocus(m_ui->EdDescription))
        m_ui->EdDescription->setFocus();
    if (CurrentPage == 8 && canFocus(m_ui->SpinCol))
        m_ui->SpinCol->setFocus();
    if (CurrentPage == 10 && canFocus(m_ui->LBFieldDefs)) {
        m_ui->LBFieldDefs->setFocus();
        if (m_ui->LBFieldDefs->count() > 0) {
            m_ui->LBFieldDefs->setCurrentRow(0);
            m_ui->LBFieldDefs->item(0)->setSelected(true);
        }
        LBFieldDefsClick();
    }
    if (CurrentPage == 6) {
        const int selected = int(m_ui->PickContactField->selectedItems().size() +
                                 m_ui->PickEventField->selectedItems().size());
        m_ui->LblSelected->setText(QStringLiteral("(%1 fields selected)").arg(selected));
    }
}

std::optional<InfoKind> TFrmCReport::checkedInformation() const
{
    const int id = m_kindGroup->checkedId();
    if (id < 0)
        return std::nullopt;
    return InfoKind(id);
}

QString TFrmCReport::checkedEventKind() const
{
    const std::optional<InfoKind> information = checkedInformation();
    const EventKindInfo* kind = information ? eventKindFor(*information) : nullptr;
    return kind ? kind->keyword : QString();
}

void TFrmCReport::groupInformationChoices()
{
    // The choices of "Report Information" by the kind each stands for.
    m_kindGroup = new QButtonGroup(this);
    const std::pair<QRadioButton*, InfoKind> choices[] = {
        {m_ui->RBContact, InfoKind::Contact}, {m_ui->RBEvent, InfoKind::Event},
        {m_ui->RBNote, InfoKind::Note},       {m_ui->RbCall, InfoKind::Call},
        {m_ui->RBLetter, InfoKind::Letter},   {m_ui->RbMeeting, InfoKind::Meeting},
        {m_ui->RbTodo, InfoKind::ToDo},       {m_ui->rbSale, InfoKind::Sale},
        {m_ui->rbQuote, InfoKind::Quote},
    };
    for (const auto& [button, kind] : choices)
        m_kindGroup->addButton(button, int(kind));
}

// ---- Buttons ---------------------------------------------------------------

void TFrmCReport::BtnNextClick()
{
    ++CurrentPage;
    SetBook(m_ui->BtnNext);
}

void TFrmCReport::BtnPriorClick()
{
    --CurrentPage;
    SetBook(m_ui->BtnPrior);
}

void TFrmCReport::btExitClick()
{
    if (Confirm(QStringLiteral("Exit now. Are you sure?")))
        close();
}

void TFrmCReport::EdDescriptionChange() { m_ui->LblDesc->setText(m_ui->EdDescription->text()); }

void TFrmCReport::BtnHelpClick()
{
    Platform::instance().openHelp(m_helpFile, helpContext(m_ui->Notebook1->currentIndex()));
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
    m_ui->SpinMargin->setValue(width);
    // The presets always show a full stop, whatever the regional settings.
    m_ui->LblMargin->setText(QStringLiteral("(") + inches + QStringLiteral("\")"));
    m_ui->SpinMargin->setEnabled(false);
    m_ui->PnlPrint->hide();
}

void TFrmCReport::RBAmPorClick() { setStandardPaper(75, QStringLiteral("7.5")); }

void TFrmCReport::RbAmLanClick() { setStandardPaper(110, QStringLiteral("11.0")); }

void TFrmCReport::RbA4PorClick() { setStandardPaper(77, QStringLiteral("7.7")); }

void TFrmCReport::RBA4LanClick() { setStandardPaper(115, QStringLiteral("11.5")); }

void TFrmCReport::RbOtherClick()
{
    m_ui->SpinMargin->setEnabled(true);
    m_ui->PnlPrint->show();
}

void TFrmCReport::SpinMarginChange()
{
    // Typed widths follow the user's regional decimal separator.
    const double inches = m_ui->SpinMargin->boundedValue() / 10.0;
    m_ui->LblMargin->setText(QStringLiteral("(") + QLocale().toString(inches, 'f', 1) +
                             QStringLiteral("\")"));
}
