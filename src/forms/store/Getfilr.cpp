#include "forms/store/Getfilr.h"

#include "ui_Getfilr.h"

#include "core/app/SharedRoutines.h"
#include "core/store/ReportList.h"
#include "core/wizard/DatabaseAlias.h"

#include <QEvent>
#include <QLineEdit>

#include <algorithm>

TFrmFilename::TFrmFilename(const QString& description, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFrmFilename>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // FormCreate: start from the wizard's description, whole.
    limitTypedDescription(m_ui->EdDescription);
    setDescription(m_ui->EdDescription, description);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmFilename::BitBtn2Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

TFrmFilename::~TFrmFilename() = default;

void TFrmFilename::limitTypedDescription(QLineEdit* edit)
{
    edit->setMaxLength(std::max(TypedDescriptionLength, int(edit->text().size())));
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const int limit = std::max(TypedDescriptionLength, int(text.size()));
        if (limit == edit->maxLength())
            return;
        // A new limit makes the box take its text anew; the cursor stays.
        const int cursor = edit->cursorPosition();
        edit->setMaxLength(limit);
        edit->setCursorPosition(cursor);
    });
}

void TFrmFilename::setDescription(QLineEdit* edit, const QString& description)
{
    // Raised first: the box cuts a text longer than its limit.
    edit->setMaxLength(std::max(TypedDescriptionLength, int(description.size())));
    edit->setText(description);
}

QString TFrmFilename::description() const { return m_ui->EdDescription->text(); }

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

void TFrmFilename::FormActivate() { m_ui->EdFileName->setFocus(Qt::ActiveWindowFocusReason); }

void TFrmFilename::BitBtn2Click()
{
    const NameCheckResult check =
        ReportList::checkNewName(AliasPath(DatabaseAlias), m_ui->EdFileName->text());
    if (!check.ok()) {
        ShowError(check.message);
        // A name with illegal characters is dropped; a taken one stays to be
        // changed.
        if (check.check == NameCheck::IllegalCharacters)
            m_ui->EdFileName->clear();
        m_ui->EdFileName->setFocus();
        return;
    }
    m_reportFile = check.path;
    accept();
}
