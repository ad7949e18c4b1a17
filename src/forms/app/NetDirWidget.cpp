#include "forms/app/NetDirWidget.h"

#include "core/app/NetDirSetup.h"
#include "core/app/Platform.h"
#include "core/app/SharedRoutines.h"

#include "ui_NetDirWidget.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>

NetDirWidget::NetDirWidget(const QString& iniPath, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::NetDirWidget>()), m_iniPath(iniPath)
{
    m_ui->setupUi(this);
    m_ui->LblIniFile->setText(tr("Stored in %1").arg(QDir::toNativeSeparators(iniPath)));
    m_ui->EdNetDir->setText(NetDirSetup::currentFolder(iniPath));
    connect(m_ui->BtnBrowse, &QPushButton::clicked, this, &NetDirWidget::browse);
    connect(m_ui->ButtonBox, &QDialogButtonBox::accepted, this, &NetDirWidget::accept);
    connect(m_ui->ButtonBox, &QDialogButtonBox::rejected, this, &NetDirWidget::reject);
}

NetDirWidget::~NetDirWidget() = default;

QString NetDirWidget::folder() const { return m_ui->EdNetDir->text(); }

void NetDirWidget::browse()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, tr("Network Control Directory"), folder());
    if (!chosen.isEmpty())
        m_ui->EdNetDir->setText(QDir::toNativeSeparators(chosen));
}

void NetDirWidget::accept()
{
    QString stored;
    const QString error = NetDirSetup::apply(m_iniPath, folder(), &stored);
    if (!error.isEmpty()) {
        ShowError(error);
        m_ui->EdNetDir->setFocus();
        return;
    }
    m_ui->EdNetDir->setText(stored);
    Platform::instance().messageBox(
        Platform::Icon::Information,
        tr("The network control directory is now %1.\nStart the report wizard again to use it.")
            .arg(stored),
        Platform::Buttons::Ok);
    QDialog::accept();
}
