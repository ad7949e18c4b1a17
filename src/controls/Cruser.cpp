#include "controls/Cruser.h"

#include "app/DatabaseError.h"
#include "app/SharedRoutines.h"
#include "app/Table.h"
#include "app/WaitCursor.h"
#include "catalogue/UserFields.h"
#include "ui_Cruser.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionHeader>

namespace {

const QString cornerText = QStringLiteral("USER FIELD");

} // namespace

TFrmUser::TFrmUser(QWidget* owner, const QString& alias)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFrmUser>()), TblDatabase(new Table(this)), m_alias(alias)
{
    ui->setupUi(this);
    TblDatabase->setObjectName(QStringLiteral("TblDatabase"));
    TblDatabase->setTableName(QStringLiteral("DATABASE.DB"));

    QTableWidget* grid = ui->StringGrid1;
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    grid->setFont(font);
    grid->horizontalHeader()->setFont(font);
    grid->verticalHeader()->setFont(font);
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Text, Qt::black);
    grid->setPalette(pal);

    // One fixed row and one fixed column: the headers, which stay in view
    // while the grid scrolls.
    grid->horizontalHeader()->setMinimumSectionSize(8);
    grid->horizontalHeader()->setDefaultSectionSize(85);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setFixedHeight(17);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setMinimumSectionSize(8);
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setFixedWidth(85);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->verticalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The corner cell shows its heading; the view draws it empty.
    if (auto* corner = grid->findChild<QAbstractButton*>())
        corner->installEventFilter(this);

    setFixedSize(618, 413);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    ui->BitBtn1->setFocus();

    FormCreate();
}

TFrmUser::~TFrmUser() = default;

QStringList TFrmUser::userFieldNames()
{
    return ::userFieldNames();
}

void TFrmUser::FormCreate()
{
    QTableWidget* grid = ui->StringGrid1;
    TblDatabase->setDatabaseName(m_alias);

    const QStringList fields = userFieldNames();
    grid->setRowCount(int(fields.size()));
    grid->setVerticalHeaderLabels(fields);

    WaitCursor wait;

    TblDatabase->open();
    // Asking for every column once makes a table that lacks one fail here,
    // even when it has no records.
    (void)TblDatabase->value(QStringLiteral("DB"));
    for (const QString& field : fields)
        (void)TblDatabase->value(field);

    const int databases = TblDatabase->recordCount();
    grid->setColumnCount(databases);
    QStringList names;
    int col = 0;
    for (TblDatabase->first(); !TblDatabase->eof() && col < databases; TblDatabase->next()) {
        names << TblDatabase->asString(QStringLiteral("DB"));
        for (int row = 0; row < fields.size(); ++row) {
            auto* item = new QTableWidgetItem(TblDatabase->asString(fields.at(row)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid->setItem(row, col, item);
        }
        ++col;
    }
    grid->setHorizontalHeaderLabels(names);
    // The table stays open for as long as the dialog lives.
}

bool TFrmUser::execute(QWidget* owner, const QString& alias)
{
    std::unique_ptr<TFrmUser> dialog;
    try {
        dialog = std::make_unique<TFrmUser>(owner, alias);
    } catch (const DatabaseError& e) {
        ShowError(e.message());
        return false;
    }
    dialog->exec();
    return true;
}

int TFrmUser::colCount() const
{
    return ui->StringGrid1->columnCount() + 1;
}

int TFrmUser::rowCount() const
{
    return ui->StringGrid1->rowCount() + 1;
}

QString TFrmUser::cell(int col, int row) const
{
    const QTableWidget* grid = ui->StringGrid1;
    if (col == 0 && row == 0)
        return cornerText;
    if (col == 0) {
        const QTableWidgetItem* item = grid->verticalHeaderItem(row - 1);
        return item ? item->text() : QString();
    }
    if (row == 0) {
        const QTableWidgetItem* item = grid->horizontalHeaderItem(col - 1);
        return item ? item->text() : QString();
    }
    const QTableWidgetItem* item = grid->item(row - 1, col - 1);
    return item ? item->text() : QString();
}

bool TFrmUser::eventFilter(QObject* watched, QEvent* event)
{
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner && event->type() == QEvent::Paint) {
        QPainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.text = cornerText;
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        painter.setFont(ui->StringGrid1->horizontalHeader()->font());
        option.fontMetrics = painter.fontMetrics();
        corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
