#include "store/Getfilr.h"

#include "ui_Getfilr.h"

#include "app/SharedRoutines.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>

namespace {
const QString kAlias = QStringLiteral("VESKA");
const QString kExtension = QStringLiteral(".rpt");

// Report names are compared without regard to case, as the host's file
// system does; a case-sensitive folder may hold "REP1.RPT" as well as "rep1.rpt".
bool reportExists(const QString& folder, const QString& fileName)
{
    if (QFileInfo::exists(JoinPath(folder, fileName)))
        return true;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

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
    const QString name = ui->EdFileName->text();
    if (!IsValidName(name)) {
        ShowError(QStringLiteral("Filename contains illegal characters.\rYou must use letters "
                                 "and digits only.\rPlease re-try."));
        ui->EdFileName->clear();
        ui->EdFileName->setFocus();
        return;
    }
    // An empty name would make a file called ".rpt" that nobody can pick
    // by name; ask for one instead.
    if (name.isEmpty()) {
        ShowError(QStringLiteral("You must enter a name for the report file."));
        ui->EdFileName->setFocus();
        return;
    }
    const QString folder = AliasPath(kAlias);
    const QString fileName = name + kExtension;
    if (reportExists(folder, fileName)) {
        ShowError(QStringLiteral("Filename already exists. Choose another."));
        ui->EdFileName->setFocus();
        return;
    }
    m_reportFile = JoinPath(folder, fileName);
    accept();
}
