#include "forms/controls/About.h"

#include "ui_About.h"

#include "forms/app/WidgetFit.h"

#include <QScreen>

TfrmAbout::TfrmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TfrmAbout>())
{
    m_ui->setupUi(this);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    QFont bold = m_ui->lblProgram->font();
    bold.setBold(true);
    m_ui->lblProgram->setFont(bold);
    // The designed size, or more when the fonts present need more room.
    WidgetFit::fixToContents(this, QSize(439, 279));
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::FormCreate()
{
    // The name is shown with two spaces between the words.
    m_ui->lblProgram->setText(QStringLiteral("Tallyvane  Professional"));
    m_ui->OKButton->setFocus();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}
