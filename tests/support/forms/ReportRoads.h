#pragma once

// Helpers for tests that drive the wizard's report operations as a user
// does: the first page, the selection, naming and column dialogs, and the
// working table and report files behind them.

#include "Controls.h"
#include "FieldBuilders.h"
#include "FileBytes.h"
#include "WizardFixture.h"
#include "WorkingCursor.h"
#include "core/store/WorkingTable.h"

#include "core/store/ReportFile.h"
#include "engine/Table.h"
#include "forms/controls/Picklist.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

namespace Roads {

using Answer = Platform::Answer;

// One row of CRDATA.DB as a test writes or reads it.
struct TableRow
{
    ReportFileField f;
    std::optional<int> order;
};

// Every file under `root` with its bytes (see snapshot), without the
// working table's own files, which the wizard recreates and empties by
// design.
inline QMap<QString, QByteArray> reportsAndTables(const QString& root)
{
    QMap<QString, QByteArray> files = snapshot(root);
    for (auto it = files.begin(); it != files.end();) {
        if (QFileInfo(it.key()).fileName().startsWith(QLatin1String("CRDATA."),
                                                      Qt::CaseInsensitive))
            it = files.erase(it);
        else
            ++it;
    }
    return files;
}

// The report files of the data folder, by name.
inline QStringList reportFiles(const WizardFixture& f)
{
    return QDir(f.dataFolder)
        .entryList({QStringLiteral("*.rpt")}, QDir::AllEntries | QDir::Hidden, QDir::Name);
}

// The contact manager's tables and the working table, as the report
// operations find them.
inline void prepare(WizardFixture& f)
{
    f.makeHostTables();
    createWorkingTable();
}

inline void setNumber(Table& t, const QString& name, std::optional<int> value)
{
    if (value)
        t.setAsInteger(name, *value);
    else
        t.clearValue(name);
}

inline void insertRows(const QList<TableRow>& rows)
{
    std::unique_ptr<Table> t(workingCursor());
    t->open();
    for (const TableRow& r : rows) {
        t->insert();
        t->setAsString(QStringLiteral("Field"), r.f.field);
        t->setAsString(QStringLiteral("Header"), r.f.header);
        setNumber(*t, QStringLiteral("Order"), r.order);
        setNumber(*t, QStringLiteral("DbType"), r.f.dbType);
        setNumber(*t, QStringLiteral("Line"), r.f.line);
        setNumber(*t, QStringLiteral("LPosition"), r.f.lPosition);
        setNumber(*t, QStringLiteral("RPosition"), r.f.rPosition);
        t->setAsBoolean(QStringLiteral("LDots"), r.f.lDots);
        t->setAsBoolean(QStringLiteral("RDots"), r.f.rDots);
        t->setAsBoolean(QStringLiteral("Total"), r.f.total);
        t->setAsBoolean(QStringLiteral("Count"), r.f.count);
        t->setAsBoolean(QStringLiteral("Average"), r.f.average);
        t->setAsBoolean(QStringLiteral("Min"), r.f.min);
        t->setAsBoolean(QStringLiteral("Max"), r.f.max);
        t->post();
    }
}

inline std::optional<int> number(const Table& t, const QString& name)
{
    if (t.isNull(name))
        return std::nullopt;
    return t.asInteger(name);
}

// The rows of the working table in "iOrder" order.
inline QList<TableRow> workingRows()
{
    std::unique_ptr<Table> t(workingCursor());
    t->open();
    t->setIndexName(WorkingTable::printOrderIndex);
    QList<TableRow> rows;
    for (t->first(); !t->eof(); t->next()) {
        TableRow r;
        r.f.field = t->asString(QStringLiteral("Field"));
        r.f.header = t->asString(QStringLiteral("Header"));
        r.order = number(*t, QStringLiteral("Order"));
        r.f.dbType = number(*t, QStringLiteral("DbType"));
        r.f.line = number(*t, QStringLiteral("Line"));
        r.f.lPosition = number(*t, QStringLiteral("LPosition"));
        r.f.rPosition = number(*t, QStringLiteral("RPosition"));
        r.f.lDots = t->asBoolean(QStringLiteral("LDots"));
        r.f.rDots = t->asBoolean(QStringLiteral("RDots"));
        r.f.total = t->asBoolean(QStringLiteral("Total"));
        r.f.count = t->asBoolean(QStringLiteral("Count"));
        r.f.average = t->asBoolean(QStringLiteral("Average"));
        r.f.min = t->asBoolean(QStringLiteral("Min"));
        r.f.max = t->asBoolean(QStringLiteral("Max"));
        rows << r;
    }
    return rows;
}

using FieldBuilders::field;

// Report files written by hand.
using FieldBuilders::report;
using FieldBuilders::sampleReport;
using FieldBuilders::withFlags;

inline void next(TFrmCReport& w)
{
    QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
}
inline void prior(TFrmCReport& w)
{
    QTest::mouseClick(control<QPushButton>(w, "BtnPrior"), Qt::LeftButton);
}

inline QPushButton* button(QWidget* modal, const char* name)
{
    return modal ? modal->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
}

// Selects the selection dialog's row of a report file (by its listed name).
inline bool selectRow(QWidget* modal, const QString& name)
{
    auto* grid = modal ? modal->findChild<QTableWidget*>(QStringLiteral("grid")) : nullptr;
    if (!grid)
        return false;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 2) && grid->item(r, 2)->text() == name) {
            grid->setCurrentCell(r, 0);
            return true;
        }
    }
    return false;
}

// What a test saw in a modal window.
struct Seen
{
    QString className;
    QString title;  // window title
    QString label;  // a label of interest (LblTitle, LblReportName, ...)
    QString detail; // another one (LblMargin)
    bool done = false;
};

// Chooses an operation on the first page and presses Next; the selection
// dialog that opens picks `name` and presses OK (an empty name presses
// Cancel). `afterPick`, when given, handles the next modal window (the
// column editor).
inline Seen startOperation(TFrmCReport& w, QRadioButton* operation, const QString& name,
                           const std::function<void(QWidget*)>& afterPick = {})
{
    WizardFixture::clickRadio(operation);
    Seen seen;
    // The watch for the window after the selection ends with this call.
    QObject watch;
    WizardFixture::withModal(
        [&] { next(w); },
        [&](QWidget* modal) {
            if (!modal)
                return;
            seen.className = QString::fromLatin1(modal->metaObject()->className());
            seen.title = modal->windowTitle();
            if (auto* l = modal->findChild<QLabel*>(QStringLiteral("LblTitle")))
                seen.label = l->text();
            if (afterPick) {
                // The next window opens once the selection closes.
                // The selection dialog is watched through a guard: the
                // next window is often made at the very address the
                // closed one had (both live on the stack in turn), so
                // comparing raw pointers would never see it open.
                const QPointer<QWidget> selection(modal);
                watchModal(
                    &watch, afterPick,
                    [selection](QWidget* now) { return now != selection.data(); }, 20, 200);
            }
            if (name.isEmpty() || !selectRow(modal, name)) {
                QTest::mouseClick(button(modal, "BtnCancel"), Qt::LeftButton);
                return;
            }
            seen.done = true;
            QTest::mouseClick(button(modal, "BtnOk"), Qt::LeftButton);
        });
    return seen;
}

// Presses "Make Report"; the naming dialog, when it opens, gets each name of
// `names` in turn and OK (refused names leave it open); with no name left
// it is cancelled. Returns whether a naming dialog was seen.
inline bool makeReport(TFrmCReport& w, const QStringList& names = {},
                       const QString& description = QString())
{
    bool seen = false;
    WizardFixture::withModal([&] { control<QPushButton>(w, "btMakeReport")->click(); },
                             [&](QWidget* modal) {
                                 if (!modal)
                                     return;
                                 seen = modal->windowTitle() == QStringLiteral("Save Report File");
                                 auto* edit =
                                     modal->findChild<QLineEdit*>(QStringLiteral("EdFileName"));
                                 auto* desc =
                                     modal->findChild<QLineEdit*>(QStringLiteral("EdDescription"));
                                 if (desc && !description.isEmpty())
                                     desc->setText(description);
                                 for (const QString& name : names) {
                                     if (!modal->isVisible())
                                         break;
                                     edit->clear();
                                     QTest::keyClicks(edit, name);
                                     QTest::mouseClick(button(modal, "BitBtn2"), Qt::LeftButton);
                                 }
                                 if (modal->isVisible())
                                     QTest::mouseClick(button(modal, "BitBtn1"), Qt::LeftButton);
                             });
    return seen;
}

// Clicks a button whose work is expected to open no modal window; one that
// opens all the same is closed. Returns whether one opened.
inline bool clickWithoutDialog(QAbstractButton* b)
{
    bool opened = false;
    QTimer guard;
    guard.setInterval(50);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    guard.start();
    b->click();
    return opened;
}

// Clicks an item of a pick list where the user would.
inline void clickPick(TPickList* list, const QString& text)
{
    const int row = list->findItem(text);
    if (row < 0)
        return;
    list->scrollToItem(list->item(row));
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

} // namespace Roads
