#include "forms/controls/Cruser.h"

#include "core/app/SharedRoutines.h"
#include "core/app/WaitCursor.h"
#include "core/catalogue/UserFields.h"
#include "engine/DatabaseError.h"
#include "engine/Table.h"
#include "ui_Cruser.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

const QString cornerText = QStringLiteral("USER FIELD");
// The grid's designed column width and row height, the least they may be.
constexpr int kDefaultWidth = 85;
constexpr int kDefaultHeight = 17;

} // namespace

TFrmUser::TFrmUser(QWidget* owner, const QString& alias)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TFrmUser>()), TblDatabase(new Table(this)), m_alias(alias)
{
    m_ui->setupUi(this);
    TblDatabase->setObjectName(QStringLiteral("TblDatabase"));
    TblDatabase->setTableName(QStringLiteral("DATABASE.DB"));

    QTableWidget* grid = m_ui->StringGrid1;
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
    grid->horizontalHeader()->setDefaultSectionSize(kDefaultWidth);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setFixedHeight(kDefaultHeight);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setMinimumSectionSize(8);
    grid->verticalHeader()->setDefaultSectionSize(kDefaultHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setFixedWidth(kDefaultWidth);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->verticalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The corner cell shows its heading; the view draws it empty. The
    // heading is the button's text, so that it is read as the corner's name.
    if (auto* corner = grid->findChild<QAbstractButton*>()) {
        corner->setText(cornerText);
        corner->installEventFilter(this);
    }

    setFixedSize(618, 413);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    m_ui->BitBtn1->setFocus();

    FormCreate();
}

TFrmUser::~TFrmUser() = default;

void TFrmUser::FormCreate()
{
    QTableWidget* grid = m_ui->StringGrid1;
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
    fitGridToContents();
}

void TFrmUser::fitGridToContents()
{
    QTableWidget* grid = m_ui->StringGrid1;
    QHeaderView* top = grid->horizontalHeader();
    QHeaderView* side = grid->verticalHeader();
    const QFontMetrics fm(grid->font());

    // The header texts, the corner's included, measured as the style draws
    // a header section.
    auto sectionWidth = [&](const QString& text) {
        QStyleOptionHeader option;
        option.initFrom(top);
        option.text = text;
        option.fontMetrics = QFontMetrics(top->font());
        return top->style()
            ->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), top)
            .width();
    };
    int sideWidth = std::max(kDefaultWidth, sectionWidth(cornerText));
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (const QTableWidgetItem* item = grid->verticalHeaderItem(r))
            sideWidth = std::max(sideWidth, sectionWidth(item->text()));
    }
    side->setFixedWidth(sideWidth);

    const int rowHeight =
        std::max({kDefaultHeight, fm.height() + 2, QFontMetrics(side->font()).height() + 2});
    side->setDefaultSectionSize(rowHeight);
    top->setFixedHeight(std::max(kDefaultHeight, QFontMetrics(top->font()).height() + 2));

    grid->resizeColumnsToContents();
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* head = grid->horizontalHeaderItem(c);
        const int need = std::max(grid->columnWidth(c), head ? sectionWidth(head->text()) : 0);
        grid->setColumnWidth(c, std::max(kDefaultWidth, need));
    }
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

bool TFrmUser::eventFilter(QObject* watched, QEvent* event)
{
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner && event->type() == QEvent::Paint) {
        QPainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.text = corner->text();
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        painter.setFont(m_ui->StringGrid1->horizontalHeader()->font());
        option.fontMetrics = painter.fontMetrics();
        corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
