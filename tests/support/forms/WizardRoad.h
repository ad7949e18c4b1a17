#pragma once

#include "Controls.h"
#include "FieldBuilders.h"
#include "WizardFixture.h"

#include "core/catalogue/EventFields.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "forms/controls/Picklist.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

// Walking the wizard the way a user does, and reading what it stored, for the
// tests of the field, layout and working-table pages.
namespace WizardRoad {

inline void next(TFrmCReport& w)
{
    QTest::mouseClick(control<QPushButton>(w, "BtnNext"), Qt::LeftButton);
}
inline void prior(TFrmCReport& w)
{
    QTest::mouseClick(control<QPushButton>(w, "BtnPrior"), Qt::LeftButton);
}

// Create, contact-ordered, from Page1 to Page6 with real clicks. `kind` is
// the objectName of the Page3 choice; `detailLevel` picks the Page4_5 answer;
// `paper` the objectName of the Page5 choice.
inline void toFieldSelection(TFrmCReport& w, const QString& kind = QStringLiteral("RBContact"),
                             bool detailLevel = true,
                             const QString& paper = QStringLiteral("RBAmPor"))
{
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page1"));
    WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
    next(w); // Page2
    WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
    next(w); // Page3
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page3"));
    WizardFixture::clickRadio(w.findChild<QRadioButton*>(kind));
    next(w); // Page4
    if (control<QLineEdit>(w, "EdDescription")->text().isEmpty())
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Test report"));
    next(w); // Page5
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page5"));
    WizardFixture::clickRadio(w.findChild<QRadioButton*>(paper));
    next(w); // Page4_5
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page4_5"));
    WizardFixture::clickRadio(detailLevel ? control<QRadioButton>(w, "rbCustYes")
                                          : control<QRadioButton>(w, "rbCustNo"));
    next(w); // Page6
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page6"));
}

inline QStringList entries(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

inline QStringList selected(const TPickList* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->isItemSelected(i))
            out << list->item(i)->text();
    return out;
}

// Clicks an entry of a list box as the user does (scrolling it into view
// first); fails when the list has no such row.
inline bool clickEntry(QListWidget* list, int row)
{
    if (row < 0 || row >= list->count())
        return false;
    list->scrollToItem(list->item(row));
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

// Clicks the entry of a pick list with this text; fails when it has none.
inline bool clickEntry(TPickList* list, const QString& text)
{
    return clickEntry(static_cast<QListWidget*>(list), list->findItem(text));
}

// The rows of CRDATA.DB as stored on disk, by Field.
struct CrRow
{
    QString field;
    QVariant order;
    QString header;
    QList<bool> flags; // LDots, RDots, Total, Count, Average, Min, Max
    QVariant dbType, line, left, right;
};

inline QMap<QString, CrRow> storedRows(const QString& path)
{
    QMap<QString, CrRow> rows;
    ParadoxReader reader(path);
    for (const Row& r : reader.readAll()) {
        CrRow s;
        s.field = r.value(0).toString();
        s.order = r.value(1);
        s.header = r.value(2).toString();
        for (int i = 3; i <= 9; ++i)
            s.flags << r.value(i).toBool();
        s.dbType = r.value(10);
        s.line = r.value(11);
        s.left = r.value(12);
        s.right = r.value(13);
        rows.insert(s.field, s);
    }
    return rows;
}

using FieldBuilders::field;

} // namespace WizardRoad
