#include "forms/controls/Crspecia.h"

#include "forms/app/WidgetFit.h"
#include "forms/controls/Picklist.h"
#include "ui_Crspecia.h"

#include <QScreen>

TFrmSpecial::TFrmSpecial(TPickList* contactList, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::CustomizeWindowHint),
      ui(std::make_unique<Ui::TFrmSpecial>()), m_contactList(contactList)
{
    ui->setupUi(this);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    setFont(font);

    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(19);
    title.setBold(true);
    ui->LblTitle->setFont(title);
    QPalette navy = ui->LblTitle->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    ui->LblTitle->setPalette(navy);

    for (QCheckBox* box : {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3}) {
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
    }

    // The designed size, or more when the fonts present need more room.
    WidgetFit::fixToContents(this, QSize(461, 233));
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());

    loadFromPickList();

    for (QCheckBox* box : {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3})
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox1Click(box); });
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    ui->CheckBox1->setFocus();
}

TFrmSpecial::~TFrmSpecial() = default;

QCheckBox* TFrmSpecial::checkBox(int number) const
{
    switch (number) {
    case 1:
        return ui->CheckBox1;
    case 2:
        return ui->CheckBox2;
    case 3:
        return ui->CheckBox3;
    default:
        return nullptr;
    }
}

void TFrmSpecial::loadFromPickList()
{
    if (!m_contactList)
        return;
    for (QCheckBox* box : {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3}) {
        const int row = m_contactList->findItem(box->text());
        if (row >= 0)
            box->setChecked(m_contactList->isItemSelected(row));
    }
}

void TFrmSpecial::CheckBox1Click(QCheckBox* sender)
{
    if (!m_contactList || !sender)
        return;
    const int row = m_contactList->findItem(sender->text());
    if (row >= 0)
        m_contactList->setItemSelected(row, sender->isChecked());
}
