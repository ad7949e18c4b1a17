// The live page preview on a column grid, driven with real mouse and key
// events: it follows the grid (keystrokes included), selects rows, and moves
// columns and edges by writing the grid's cells as a user would.

#include "Controls.h"
#include "Screenshots.h"
#include "StoreFixture.h"
#include "WizardFixture.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "forms/controls/Picklist.h"
#include "forms/store/ColumnPreviewWidget.h"
#include "forms/store/Repcol.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

namespace {

struct Row
{
    QString field;
    QString line;
    QString left;
    QString right;
};

// Field and line read-only, as on the "Column Widths" page.
void fill(QTableWidget& grid, const QList<Row>& rows)
{
    grid.clearContents();
    grid.setColumnCount(4);
    grid.setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells{rows[r].field, rows[r].line, rows[r].left, rows[r].right};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c < 2)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            grid.setItem(r, c, item);
        }
    }
}

QString cell(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

} // namespace

class TestPreviewWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    QTableWidget* m_grid = nullptr;
    ColumnPreviewWidget* m_preview = nullptr;
    QList<QPair<int, int>> m_changes; // (row, column) of every itemChanged

    int x(double tenths) const { return m_preview->previewLayout().xFor(tenths); }

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_grid = new QTableWidget;
        layout->addWidget(m_grid);
        fill(*m_grid, {{"Company", "1", "1", "24"},
                       {"FirstLast", "1", "25", "48"},
                       {"Phone", "1", "49", "72"},
                       {"City", "2", "1", "24"}});
        m_preview = ColumnPreviewWidget::addTo(layout, m_grid, 75);
        m_window->resize(700, 400);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_changes.clear();
        connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
            m_changes << qMakePair(item->row(), item->column());
        });
    }
    void cleanup() { m_window.reset(); }

    void boxesStandWhereTheGridSays()
    {
        const PreviewLayout& l = m_preview->previewLayout();
        QCOMPARE(l.boxes.size(), 4);
        QCOMPARE(l.lineCount, 2);
        QCOMPARE(m_preview->boxRect(1).left(), x(24));
        QCOMPARE(m_preview->boxRect(1).right(), x(48) - 1);
        QVERIFY(m_preview->boxRect(3).top() > m_preview->boxRect(0).bottom());
        QVERIFY(m_preview->font().family().size() > 0);

        // An edit of the grid moves the box, and a third line adds a band.
        m_grid->item(2, 3)->setText(QStringLiteral("60"));
        QCOMPARE(m_preview->boxRect(2).right(), x(60) - 1);
        m_grid->setRowCount(5);
        m_grid->setItem(4, 0, new QTableWidgetItem(QStringLiteral("Zip")));
        m_grid->setItem(4, 1, new QTableWidgetItem(QStringLiteral("3")));
        m_grid->setItem(4, 2, new QTableWidgetItem(QStringLiteral("10")));
        m_grid->setItem(4, 3, new QTableWidgetItem(QStringLiteral("20")));
        QCOMPARE(m_preview->previewLayout().lineCount, 3);
        QTRY_COMPARE(m_preview->minimumHeight(),
                     PreviewRenderer::rulerHeight + 3 * PreviewRenderer::bandHeight + 1);
        // A cell that holds no number leaves its field without a box.
        m_grid->item(4, 2)->setText(QStringLiteral("1O"));
        QVERIFY(m_preview->boxRect(4).isEmpty());
        // A wider page widens the limit.
        m_preview->setPrintableWidth(110);
        QCOMPARE(m_preview->previewLayout().printableWidth, 110);
    }

    void followsEveryKeystroke()
    {
        m_grid->setFocus();
        m_grid->setCurrentCell(0, 3);
        m_grid->editItem(m_grid->item(0, 3));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("3"));
        QCOMPARE(m_preview->columns()[0].right, std::optional<int>(3));
        QCOMPARE(m_preview->boxRect(0).right(), x(3) - 1);
        QTest::keyClicks(editor, QStringLiteral("0"));
        QCOMPARE(m_preview->boxRect(0).right(), x(30) - 1);
        // Typing past the next column's start is an overlap at once.
        QCOMPARE(m_preview->boxToolTip(0),
                 QStringLiteral("There are overlaps for right margin 30"));
        QVERIFY(m_changes.isEmpty()); // nothing is stored while typing
        // Escape drops the typed text and the box goes back.
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_COMPARE(m_preview->boxRect(0).right(), x(24) - 1);
        QCOMPARE(cell(*m_grid, 0, 3), QStringLiteral("24"));
        QCOMPARE(m_preview->boxToolTip(0),
                 QStringLiteral("Company: line 1, 1 to 24 (0.0\" to 2.4\")"));
    }

    void clickingABoxSelectsItsRow()
    {
        m_grid->setCurrentCell(0, 3);
        QTest::mouseClick(m_preview, Qt::LeftButton, {}, m_preview->boxRect(2).center());
        QCOMPARE(m_grid->currentRow(), 2);
        QCOMPARE(m_grid->currentColumn(), 3); // the column the user was in
        QTest::mouseClick(m_preview, Qt::LeftButton, {}, m_preview->boxRect(3).center());
        QCOMPARE(m_grid->currentRow(), 3);
        QVERIFY(m_changes.isEmpty()); // a click moves nothing
        QVERIFY(m_preview->hasFocus());
    }

    void draggingABoxMovesTheColumn()
    {
        const QRect box = m_preview->boxRect(1);
        const double scale = m_preview->previewLayout().scale;
        const QPoint start = box.center();
        QTest::mousePress(m_preview, Qt::LeftButton, {}, start);
        QCOMPARE(m_grid->currentRow(), 1);
        // Three tenths and a bit to the right: whole tenths only.
        QTest::mouseMove(m_preview, start + QPoint(int(3.3 * scale), 0));
        QCOMPARE(cell(*m_grid, 1, 2), QStringLiteral("28"));
        QCOMPARE(cell(*m_grid, 1, 3), QStringLiteral("51"));
        QTest::mouseMove(m_preview, start + QPoint(int(10.2 * scale), 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, start + QPoint(int(10.2 * scale), 0));
        QCOMPARE(cell(*m_grid, 1, 2), QStringLiteral("35"));
        QCOMPARE(cell(*m_grid, 1, 3), QStringLiteral("58"));
        // The grid follows and the preview follows the grid.
        QCOMPARE(m_preview->boxRect(1).left(), x(34));
        // Only the dragged row's two position cells were written.
        for (const auto& change : m_changes) {
            QCOMPARE(change.first, 1);
            QVERIFY(change.second == 2 || change.second == 3);
        }
        QVERIFY(m_changes.size() >= 2);
        // 35 to 58 overlaps Phone at 49: both are warned.
        QCOMPARE(m_preview->boxToolTip(1),
                 QStringLiteral("There are overlaps for right margin 58"));
        QCOMPARE(m_preview->boxToolTip(2),
                 QStringLiteral("There are overlaps for right margin 58"));
    }

    void draggingStopsAtOneAndThreeHundred()
    {
        const QPoint start = m_preview->boxRect(3).center();
        QTest::mousePress(m_preview, Qt::LeftButton, {}, start);
        QTest::mouseMove(m_preview, start + QPoint(-300, 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, start + QPoint(-300, 0));
        QCOMPARE(cell(*m_grid, 3, 2), QStringLiteral("1")); // was already at 1
        QCOMPARE(cell(*m_grid, 3, 3), QStringLiteral("24"));

        // Far to the right: the column keeps its width and ends at 300.
        const double scale = m_preview->previewLayout().scale;
        const QPoint from = m_preview->boxRect(3).center();
        QTest::mousePress(m_preview, Qt::LeftButton, {}, from);
        QTest::mouseMove(m_preview, from + QPoint(int(400 * scale), 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, from + QPoint(int(400 * scale), 0));
        QCOMPARE(cell(*m_grid, 3, 2), QStringLiteral("277"));
        QCOMPARE(cell(*m_grid, 3, 3), QStringLiteral("300"));
        QCOMPARE(m_preview->boxToolTip(3),
                 QStringLiteral("RIGHT margin greater than Right margin MAX of 75"));
    }

    void draggingAnEdgeMovesThatPosition()
    {
        const double scale = m_preview->previewLayout().scale;
        // Right edge of Phone (49 to 72) out by five tenths.
        QRect box = m_preview->boxRect(2);
        QPoint grip(box.right() - 1, box.center().y());
        QTest::mousePress(m_preview, Qt::LeftButton, {}, grip);
        QTest::mouseMove(m_preview, grip + QPoint(int(5 * scale), 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, grip + QPoint(int(5 * scale), 0));
        QCOMPARE(cell(*m_grid, 2, 2), QStringLiteral("49"));
        QCOMPARE(cell(*m_grid, 2, 3), QStringLiteral("77"));
        QCOMPARE(m_preview->boxToolTip(2),
                 QStringLiteral("RIGHT margin greater than Right margin MAX of 75"));

        // Left edge of FirstLast (25 to 48) in by four tenths, then past its
        // right edge: it stops there.
        box = m_preview->boxRect(1);
        grip = QPoint(box.left() + 1, box.center().y());
        QTest::mousePress(m_preview, Qt::LeftButton, {}, grip);
        QTest::mouseMove(m_preview, grip + QPoint(int(4 * scale), 0));
        QCOMPARE(cell(*m_grid, 1, 2), QStringLiteral("29"));
        QCOMPARE(cell(*m_grid, 1, 3), QStringLiteral("48"));
        QTest::mouseMove(m_preview, grip + QPoint(int(60 * scale), 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, grip + QPoint(int(60 * scale), 0));
        QCOMPARE(cell(*m_grid, 1, 2), QStringLiteral("48"));
        QCOMPARE(cell(*m_grid, 1, 3), QStringLiteral("48"));
    }

    void escapePutsADraggedColumnBack()
    {
        const QPoint start = m_preview->boxRect(0).center();
        QTest::mousePress(m_preview, Qt::LeftButton, {}, start);
        QTest::mouseMove(m_preview, start + QPoint(60, 0));
        QVERIFY(cell(*m_grid, 0, 2) != QStringLiteral("1"));
        QTest::keyClick(m_preview, Qt::Key_Escape);
        QCOMPARE(cell(*m_grid, 0, 2), QStringLiteral("1"));
        QCOMPARE(cell(*m_grid, 0, 3), QStringLiteral("24"));
        // The release after Escape moves nothing.
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, start + QPoint(90, 0));
        QCOMPARE(cell(*m_grid, 0, 2), QStringLiteral("1"));
    }

    void readOnlyCellsAreNotWritten()
    {
        // A grid whose position cells cannot be edited cannot be changed
        // from the preview either.
        for (int c = 2; c < 4; ++c)
            m_grid->item(0, c)->setFlags(m_grid->item(0, c)->flags() & ~Qt::ItemIsEditable);
        m_changes.clear();
        const QPoint start = m_preview->boxRect(0).center();
        QTest::mousePress(m_preview, Qt::LeftButton, {}, start);
        QTest::mouseMove(m_preview, start + QPoint(80, 0));
        QTest::mouseRelease(m_preview, Qt::LeftButton, {}, start + QPoint(80, 0));
        QCOMPARE(cell(*m_grid, 0, 2), QStringLiteral("1"));
        QVERIFY(m_changes.isEmpty());
    }

    void keyboardMovesTheSelectedColumn_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("right") << int(Qt::Key_Right) << 0 << "26"
                               << "49";
        QTest::newRow("left") << int(Qt::Key_Left) << 0 << "24"
                              << "47";
        QTest::newRow("ctrl right: an inch")
            << int(Qt::Key_Right) << int(Qt::ControlModifier) << "35"
            << "58";
        QTest::newRow("shift left: narrower") << int(Qt::Key_Left) << int(Qt::ShiftModifier) << "25"
                                              << "47";
        QTest::newRow("alt right: left edge in")
            << int(Qt::Key_Right) << int(Qt::AltModifier) << "26"
            << "48";
    }
    void keyboardMovesTheSelectedColumn()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, left);
        QFETCH(QString, right);
        m_preview->setFocus();
        m_grid->setCurrentCell(0, 2);
        QTest::keyClick(m_preview, Qt::Key_Down);
        QCOMPARE(m_grid->currentRow(), 1);
        QTest::keyClick(m_preview, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(cell(*m_grid, 1, 2), left);
        QCOMPARE(cell(*m_grid, 1, 3), right);
        QTest::keyClick(m_preview, Qt::Key_End);
        QCOMPARE(m_grid->currentRow(), 3);
        QTest::keyClick(m_preview, Qt::Key_Home);
        QCOMPARE(m_grid->currentRow(), 0);
    }

    void toolTipShowsTheWarning()
    {
        m_grid->item(0, 3)->setText(QStringLiteral("30"));
        const QPoint at = m_preview->boxRect(0).center();
        QHelpEvent help(QEvent::ToolTip, at, m_preview->mapToGlobal(at));
        QApplication::sendEvent(m_preview, &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("There are overlaps for right margin 30"));
        QToolTip::hideText();
    }

    // The check's warnings are written under the preview, each once after
    // the fields it concerns, and go when the columns are mended.
    void warningsAreWrittenBesideThePreview()
    {
        QLabel* label = m_preview->warningLabel();
        QVERIFY(label);
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QString());
        m_grid->item(0, 3)->setText(QStringLiteral("30"));
        QTRY_COMPARE(label->text(),
                     QStringLiteral("Company, FirstLast: There are overlaps for right margin 30"));
        m_grid->item(3, 3)->setText(QStringLiteral("80"));
        QTRY_COMPARE(label->text(),
                     QStringLiteral("Company, FirstLast: There are overlaps for right margin 30\n"
                                    "City: RIGHT margin greater than Right margin MAX of 75"));
        QVERIFY(label->height() >= 2 * label->fontMetrics().height());
        // Under the preview, inside the window.
        const QWidget* area = m_window->findChild<QWidget*>(QStringLiteral("ColumnPreviewArea"));
        QVERIFY(label->mapTo(m_window.get(), QPoint(0, 0)).y() >=
                area->mapTo(m_window.get(), QPoint(0, area->height())).y());
        m_grid->item(0, 3)->setText(QStringLiteral("24"));
        m_grid->item(3, 3)->setText(QStringLiteral("24"));
        QTRY_COMPARE(label->text(), QString());
    }

    void labelsComeFromTheLookup()
    {
        m_preview->setLabelLookup([](const QString& field) { return field.toUpper(); });
        QCOMPARE(m_preview->previewLayout().boxes[0].label, QStringLiteral("COMPANY"));
    }

    void widthFromASource()
    {
        int width = 75;
        m_preview->setPrintableWidthSource([&width] { return width; });
        QCOMPARE(m_preview->previewLayout().printableWidth, 75);
        QCOMPARE(m_preview->boxToolTip(2),
                 QStringLiteral("Phone: line 1, 49 to 72 (4.8\" to 7.2\")"));
        width = 70;
        QCOMPARE(m_preview->previewLayout().printableWidth, 70);
        QCOMPARE(m_preview->boxToolTip(2),
                 QStringLiteral("RIGHT margin greater than Right margin MAX of 70"));
        m_preview->setPrintableWidthSource({});
    }

    void headersFromTheLayoutTable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QList<FieldDef> fields{{"Field", FieldType::Alpha, 50, 0, true},
                                     {"Header", FieldType::Alpha, 50, 0, false}};
        const QString table = dir.filePath("CRDATA.DB");
        ParadoxWriter::writeTable(table, fields, 1,
                                  {{QStringLiteral("Company"), QStringLiteral("Firm")},
                                   {QStringLiteral("FirstLast"), QStringLiteral("Name")},
                                   {QStringLiteral("Phone"), QString()}});
        QFile aliases(dir.filePath("ALIASES.INI"));
        QVERIFY(aliases.open(QIODevice::WriteOnly));
        aliases.write(("[PREVIEWTEST]\r\nPATH=" + dir.path() + "\r\n").toUtf8());
        aliases.close();
        Session::instance().setAliasFile(aliases.fileName());

        m_preview->setHeaderTable(QStringLiteral("PREVIEWTEST"));
        auto labels = [this] {
            QStringList out;
            for (const PreviewBox& b : m_preview->previewLayout().boxes)
                out << b.label;
            return out;
        };
        // No header, or no row: the grid's text.
        QCOMPARE(labels(), (QStringList{"Firm", "Name", "Phone", "City"}));
        // A grid filled anew reads the headers again.
        ParadoxWriter::writeTable(table, fields, 1,
                                  {{QStringLiteral("Company"), QStringLiteral("Company name")}});
        fill(*m_grid, {{"Company", "1", "1", "24"}, {"FirstLast", "1", "25", "48"}});
        QCOMPARE(labels(), (QStringList{"Company name", "FirstLast"}));
        // An unknown alias leaves the grid's texts.
        m_preview->setHeaderTable(QStringLiteral("NOSUCHALIAS"));
        QCOMPARE(labels(), (QStringList{"Company", "FirstLast"}));
        Session::instance().reset();
    }

    void inTheWizardsColumnWidthsPage()
    {
        // The real wizard, walked to "Column Widths" with real clicks: the
        // detail level, three contact fields, one line, 7.5 inches.
        cleanup();
        WizardFixture f;
        f.makeHostTables();
        TFrmCReport& w = f.open();
        auto next = [&] { QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton); };
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
        next(); // Page2
        next(); // Page3
        next(); // Page4
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"),
                         QStringLiteral("Contacts by city"));
        next(); // Page5
        WizardFixture::clickRadio(control<QRadioButton>(w, "RBAmPor"));
        next(); // Page4_5
        WizardFixture::clickRadio(control<QRadioButton>(w, "rbCustYes"));
        next(); // Page6
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page6"));
        for (int row : {1, 2, 3}) {
            const QRect r =
                control<TPickList>(w, "PickContactField")
                    ->visualItemRect(control<TPickList>(w, "PickContactField")->item(row));
            QTest::mouseClick(control<TPickList>(w, "PickContactField")->viewport(), Qt::LeftButton,
                              {}, r.center());
        }
        next(); // Page7
        next(); // Page8
        next(); // Page9
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page9"));

        auto* preview = control<QWidget>(w, "PnlPreview")->findChild<ColumnPreviewWidget*>();
        QVERIFY(preview);
        QTRY_VERIFY(preview->isVisible() && preview->width() > 300);
        QCOMPARE(preview->grid(), control<QTableWidget>(w, "sgCol"));
        QCOMPARE(preview->printableWidth(), 75);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->rowCount(), 4);
        QCOMPARE(preview->previewLayout().boxes.size(), 4);
        QStringList labels;
        for (const PreviewBox& b : preview->previewLayout().boxes)
            labels << b.label;
        QCOMPARE(labels, (QStringList{"CustomID", "Company", "LastName", "City"}));
        for (int r = 0; r < 4; ++r)
            QVERIFY2(preview->boxToolTip(r).startsWith(
                         control<QTableWidget>(w, "sgCol")->item(r, 0)->text() + ": line 1"),
                     qPrintable(preview->boxToolTip(r)));
        auto shoot = [&](const QString& name) {
            if (Screenshots::folder().isEmpty())
                return;
            QTest::qWait(20);
            QVERIFY(Screenshots::save(&w, name));
        };
        shoot(QStringLiteral("preview-clean.png"));

        // Drag City's box left by five tenths onto LastName, and widen
        // LastName past the printable width from the keyboard.
        const QString cityLeft = control<QTableWidget>(w, "sgCol")->item(3, 2)->text();
        const double scale = preview->previewLayout().scale;
        const QPoint start = preview->boxRect(3).center();
        QTest::mousePress(preview, Qt::LeftButton, {}, start);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->currentRow(), 3);
        QTest::mouseMove(preview, start - QPoint(int(5.2 * scale), 0));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, start - QPoint(int(5.2 * scale), 0));
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(3, 2)->text(),
                 QString::number(cityLeft.toInt() - 5));
        QTest::mouseClick(preview, Qt::LeftButton, {}, preview->boxRect(2).center());
        QCOMPARE(control<QTableWidget>(w, "sgCol")->currentRow(), 2);
        const int lastNameRight = control<QTableWidget>(w, "sgCol")->item(2, 3)->text().toInt();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(preview, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(control<QTableWidget>(w, "sgCol")->item(2, 3)->text(),
                 QString::number(lastNameRight + 30));
        QVERIFY(preview->boxToolTip(3).startsWith(
            QStringLiteral("There are overlaps for right margin ")));
        QVERIFY(preview->boxToolTip(2).contains(
            QStringLiteral("RIGHT margin greater than Right margin MAX of 75")));
        control<QTableWidget>(w, "sgCol")->setCurrentCell(0, 2);
        shoot(QStringLiteral("preview-warnings.png"));

        // "Check Columns" stores the grid and agrees with the preview.
        QTest::mouseClick(control<QPushButton>(w, "BtnCheck"), Qt::LeftButton);
        QVERIFY(!f.platform.boxes.isEmpty());
        QCOMPARE(f.platform.boxes.last().text,
                 QStringLiteral("RIGHT margin greater than Right margin MAX of 75"));
    }

    void inTheColumnEditor()
    {
        // The column editor's preview writes through its grid, which posts
        // each cell to the working table: only the dragged row's positions
        // change there.
        cleanup();
        StoreFixture fixture;
        ScriptedPlatform platform;
        {
            Table t;
            t.setDatabaseName(QStringLiteral("VESKA"));
            t.setTableName(QStringLiteral("CRDATA.DB"));
            t.addFieldDef(QStringLiteral("Field"), FieldType::Alpha, 50, true);
            t.addFieldDef(QStringLiteral("Order"), FieldType::Long, 0, true);
            t.addFieldDef(QStringLiteral("Header"), FieldType::Alpha, 50, false);
            for (const char* number : {"Line", "LPosition", "RPosition"})
                t.addFieldDef(QString::fromLatin1(number), FieldType::Long, 0, false);
            t.addIndexDef(QStringLiteral("PrimaryField"), QStringLiteral("Field"), true, true,
                          false);
            t.addIndexDef(QStringLiteral("iOrder"), QStringLiteral("Line;Order"), false, false,
                          true);
            t.createTable();
            t.open();
            const QList<QStringList> rows{{"Company", "1", "Firm", "1", "1", "30"},
                                          {"Phone", "2", "Telephone", "1", "31", "50"},
                                          {"City", "3", "Town", "2", "1", "30"}};
            for (const QStringList& r : rows) {
                t.insert();
                const QStringList names{"Field", "Order",     "Header",
                                        "Line",  "LPosition", "RPosition"};
                for (int i = 0; i < names.size(); ++i)
                    t.setAsString(names[i], r[i]);
                t.post();
            }
            t.close();
        }
        auto stored = [] {
            Table t;
            t.setDatabaseName(QStringLiteral("VESKA"));
            t.setTableName(QStringLiteral("CRDATA.DB"));
            t.open();
            QStringList out;
            for (t.first(); !t.eof(); t.next()) {
                QStringList parts;
                for (const char* f : {"Field", "Order", "Header", "Line", "LPosition", "RPosition"})
                    parts << t.asString(QString::fromLatin1(f));
                out << parts.join(u' ');
            }
            out.sort();
            return out;
        };

        TFrmColumn dialog;
        dialog.openTable(QStringLiteral("VESKA"));
        dialog.setReportName(QStringLiteral("Phone list"));
        dialog.setMargin(75);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* preview = dialog.findChild<ColumnPreviewWidget*>();
        QVERIFY(preview);
        QCOMPARE(preview->printableWidth(), 75);
        QTRY_COMPARE(preview->previewLayout().boxes.size(), 3);
        QCOMPARE(preview->previewLayout().boxes[0].label, QStringLiteral("Firm"));
        QCOMPARE(preview->previewLayout().boxes[2].label, QStringLiteral("Town"));

        // Phone's right edge out by thirty tenths, past the width.
        const double scale = preview->previewLayout().scale;
        const QRect box = preview->boxRect(1);
        const QPoint grip(box.right() - 1, box.center().y());
        QTest::mousePress(preview, Qt::LeftButton, {}, grip);
        QTest::mouseMove(preview, grip + QPoint(int(30.3 * scale), 0));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, grip + QPoint(int(30.3 * scale), 0));
        QTRY_COMPARE(stored(), (QStringList{"City 3 Town 2 1 30", "Company 1 Firm 1 1 30",
                                            "Phone 2 Telephone 1 31 80"}));
        QTRY_COMPARE(preview->boxToolTip(1),
                     QStringLiteral("RIGHT margin greater than Right margin MAX of 75"));
        QVERIFY(platform.boxes.isEmpty());
        if (!Screenshots::folder().isEmpty()) {
            QTest::qWait(20);
            QVERIFY(Screenshots::save(&dialog, QStringLiteral("preview-editor.png")));
        }
        // Cancel puts the positions back, as for any edit in the editor.
        QTest::mouseClick(control<QPushButton>(dialog, "BtnCancel"), Qt::LeftButton);
        QCOMPARE(stored(), (QStringList{"City 3 Town 2 1 30", "Company 1 Firm 1 1 30",
                                        "Phone 2 Telephone 1 31 50"}));
    }
};

QTEST_MAIN(TestPreviewWidget)
#include "tst_previewwidget.moc"
