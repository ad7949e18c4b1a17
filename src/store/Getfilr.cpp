#include "store/Getfilr.h"

#include "ui_Getfilr.h"

#include "app/SharedRoutines.h"
#include "store/ReportList.h"
#include "wizard/DatabaseAlias.h"

#include <QEvent>

TFrmFilename::TFrmFilename(const QString& description, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFrmFilename>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // FormCreate: start from the wizard's description.
    ui->EdDescription->setText(description);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFrmFilename::BitBtn2Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

TFrmFilename::~TFrmFilename() = default;

QString TFrmFilename::description() const { return ui->EdDescription->text(); }

void TFrmFilename::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFrmFilename::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFrmFilename::FormActivate() { ui->EdFileName->setFocus(Qt::ActiveWindowFocusReason); }

void TFrmFilename::BitBtn2Click()
{
    const NameCheckResult check =
        ReportList::checkNewName(AliasPath(DatabaseAlias), ui->EdFileName->text());
    if (!check.ok()) {
        ShowError(check.message);
        // A name with illegal characters is dropped; a taken one stays to be
        // changed.
        if (check.check == NameCheck::IllegalCharacters)
            ui->EdFileName->clear();
        ui->EdFileName->setFocus();
        return;
    }
    m_reportFile = check.path;
    accept();
}
