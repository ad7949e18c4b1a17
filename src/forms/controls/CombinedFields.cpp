#include "forms/controls/CombinedFields.h"

#include "forms/app/WidgetFit.h"
#include "forms/controls/Picklist.h"
#include "ui_CombinedFields.h"

#include <QScreen>

TFrmSpecial::TFrmSpecial(TPickList* contactList, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::CustomizeWindowHint),
      m_ui(std::make_unique<Ui::TFrmSpecial>()), m_contactList(contactList)
{
    m_ui->setupUi(this);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    setFont(font);

    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(19);
    title.setBold(true);
    m_ui->LblTitle->setFont(title);
    QPalette navy = m_ui->LblTitle->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_ui->LblTitle->setPalette(navy);

    for (QCheckBox* box : {m_ui->CheckBox1, m_ui->CheckBox2, m_ui->CheckBox3}) {
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
    }

    // The designed size, or more when the fonts present need more room.
    WidgetFit::fixToContents(this, QSize(461, 233));
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());

    loadFromPickList();

    for (QCheckBox* box : {m_ui->CheckBox1, m_ui->CheckBox2, m_ui->CheckBox3})
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox1Click(box); });
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    m_ui->CheckBox1->setFocus();
}

TFrmSpecial::~TFrmSpecial() = default;

void TFrmSpecial::loadFromPickList()
{
    if (!m_contactList)
        return;
    for (QCheckBox* box : {m_ui->CheckBox1, m_ui->CheckBox2, m_ui->CheckBox3}) {
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
