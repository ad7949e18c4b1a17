#include "core/controls/InvalidTabStop.h"
#include "core/controls/PickListGeometry.h"
#include "forms/controls/Picklist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QList<QRect> rects(std::initializer_list<QRect> list) { return QList<QRect>(list); }

bool isDark(QRgb pixel) { return qGray(pixel) < 128; }

} // namespace

class TestPickList : public QObject
{
    Q_OBJECT

    // A shown list with fixed colours, an item height of 16 and some items.
    std::unique_ptr<TPickList> makeList(const QStringList& items = {"Company", "Memo", "CustomID",
                                                                    "salutfirstlast", "firstlast",
                                                                    "citystatezip"})
    {
        auto list = std::make_unique<TPickList>();
        QPalette pal = list->palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::Highlight, QColor(0, 0, 128));
        pal.setColor(QPalette::HighlightedText, Qt::white);
        list->setPalette(pal);
        list->setFocusPolicy(Qt::NoFocus); // no focus rectangle in the pixel tests
        list->addItems(items);
        list->setMultiSelect(true);
        list->setExtendedSelect(false);
        list->setItemHeight(16);
        list->resize(220, 160);
        list->show();
        if (!QTest::qWaitForWindowExposed(list.get()))
            return nullptr;
        return list;
    }

    static QImage grabViewport(TPickList* list)
    {
        return list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static void clickRow(TPickList* list, int row, Qt::KeyboardModifiers mods = {})
    {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, r.center());
    }

private slots:
    void initTestCase() { QVERIFY(!QApplication::font().family().isEmpty()); }

    void defaults()
    {
        TPickList list;
        QCOMPARE(list.useTabStops(), true);
        QCOMPARE(list.selectedStyle(), TPickList::psCheckbox);
        QCOMPARE(list.tabStops(), QString());
        QCOMPARE(list.itemHeight(), 16);
        QCOMPARE(list.lastItemIndex(), -1);
        QCOMPARE(list.multiSelect(), false);
        QCOMPARE(list.extendedSelect(), true);
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
        // The properties are reachable by name, as a form file sets them.
        QVERIFY(list.setProperty("TabStops", QStringLiteral("4;8")));
        QCOMPARE(list.property("TabStops").toString(), QStringLiteral("4;8"));
        QVERIFY(list.setProperty("SelectedStyle", int(TPickList::psBoldText)));
        QCOMPARE(list.selectedStyle(), TPickList::psBoldText);
    }

    void tabStops_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("error");

        QTest::newRow("three") << "10;20;35" << QStringList{"10", "20", "35"} << QString();
        QTest::newRow("leading blank kept") << " 10;20" << QStringList{" 10", "20"} << QString();
        QTest::newRow("signs") << "-5;+7" << QStringList{"-5", "+7"} << QString();
        QTest::newRow("empty") << "" << QStringList{} << QString();
        QTest::newRow("int limits")
            << "2147483647;-2147483648" << QStringList{"2147483647", "-2147483648"} << QString();
        QTest::newRow("empty piece") << "10;;20" << QStringList{"10"} << " is an invalid tab stop";
        QTest::newRow("leading separator")
            << ";10" << QStringList{} << ";10 is an invalid tab stop";
        QTest::newRow("separator alone") << ";" << QStringList{} << "; is an invalid tab stop";
        QTest::newRow("trailing separator")
            << "12;" << QStringList{"12"} << " is an invalid tab stop";
        QTest::newRow("letters") << "1;x;3" << QStringList{"1"} << "x is an invalid tab stop";
        QTest::newRow("trailing blank") << "10 " << QStringList{} << "10  is an invalid tab stop";
        QTest::newRow("too large")
            << "5;2147483648" << QStringList{"5"} << "2147483648 is an invalid tab stop";
        QTest::newRow("sign alone") << "-" << QStringList{} << "- is an invalid tab stop";
        QTest::newRow("blank alone") << " " << QStringList{} << "  is an invalid tab stop";
        QTest::newRow("decimal") << "1.5" << QStringList{} << "1.5 is an invalid tab stop";
    }
    void tabStops()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QFETCH(QString, error);

        TPickList list;
        list.setTabStops(QStringLiteral("99;98")); // replaced whatever happens
        QString message;
        try {
            list.setTabStops(text);
        } catch (const InvalidTabStop& e) {
            message = e.message();
            QCOMPARE(QString::fromStdString(e.what()), message);
        }
        QCOMPARE(message, error);
        QCOMPARE(list.tabStopList(), entries);
        QCOMPARE(list.tabStops(), entries.join(QLatin1Char(';')));
    }

    void repaintOnlyOnRealChange()
    {
        auto list = makeList();
        QVERIFY(list);
        PaintCounter counter;
        list->viewport()->installEventFilter(&counter);
        auto paintsAfter = [&](auto action) {
            QTest::qWait(30); // let earlier layouts and repaints settle
            counter.paints = 0;
            action();
            QTest::qWait(30);
            return counter.paints;
        };

        QCOMPARE(paintsAfter([&] { list->setSelectedStyle(TPickList::psCheckbox); }), 0);
        QVERIFY(paintsAfter([&] { list->setSelectedStyle(TPickList::psBoldText); }) > 0);
        QCOMPARE(paintsAfter([&] { list->setUseTabStops(true); }), 0);
        QVERIFY(paintsAfter([&] { list->setUseTabStops(false); }) > 0);
        QVERIFY(paintsAfter([&] { list->setTabStops(QStringLiteral("4")); }) > 0);
        QCOMPARE(paintsAfter([&] { list->setTabStops(QString()); }), 0);
        QCOMPARE(paintsAfter([&] {
                     QVERIFY_THROWS_EXCEPTION(InvalidTabStop,
                                              list->setTabStops(QStringLiteral("4;x")));
                 }),
                 0);
        QCOMPARE(list->tabStops(), QStringLiteral("4"));
    }

    void nextTabPosition_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<int>("average");
        QTest::addColumn<int>("expected");

        QTest::newRow("default: first stop") << 20 << QList<int>{} << 7 << 56;
        QTest::newRow("default: on a stop moves on") << 56 << QList<int>{} << 7 << 112;
        QTest::newRow("default: from 0") << 0 << QList<int>{} << 7 << 56;
        QTest::newRow("one stop repeats") << 45 << QList<int>{30} << 7 << 60;
        QTest::newRow("one stop before it") << 10 << QList<int>{30} << 7 << 30;
        QTest::newRow("several: next one") << 25 << QList<int>{10, 30, 50} << 7 << 30;
        QTest::newRow("several: exactly on one") << 30 << QList<int>{10, 30, 50} << 7 << 50;
        QTest::newRow("several: past the last") << 60 << QList<int>{10, 30, 50} << 7 << 112;
        QTest::newRow("zero stop falls back") << 5 << QList<int>{0} << 7 << 56;
        QTest::newRow("negative stop falls back") << 5 << QList<int>{-30} << 7 << 56;
        QTest::newRow("no width: stays") << 5 << QList<int>{} << 0 << 5;
        QTest::newRow("negative x") << -3 << QList<int>{} << 7 << 0;
        QTest::newRow("near int max") << 2147483600 << QList<int>{} << 8 << 2147483647;
    }
    void nextTabPosition()
    {
        QFETCH(int, x);
        QFETCH(QList<int>, positions);
        QFETCH(int, average);
        QFETCH(int, expected);
        QCOMPARE(PickListGeometry::nextTabPosition(x, positions, average), expected);
    }

    void tabPositionsScaleAndClamp()
    {
        QCOMPARE(PickListGeometry::tabPositions({"10", " 20", "-1"}, 6), (QList<int>{60, 120, -6}));
        QCOMPARE(PickListGeometry::tabPositions({"2147483647"}, 7), QList<int>{2147483647});
        QCOMPARE(PickListGeometry::tabPositions({"-2147483648"}, 7), QList<int>{-2147483647 - 1});
        QVERIFY_THROWS_EXCEPTION(InvalidTabStop, PickListGeometry::tabPositions({"1", ""}, 6));
    }

    void checkMarkGeometry_data()
    {
        QTest::addColumn<QRect>("item");
        QTest::addColumn<QList<QRect>>("strokes");

        // Height 16: h = 15, m = 8, k = 5. Short arm columns 3..6 from row 8
        // down; long arm columns 7..13 from row 10 up to row 4.
        QList<QRect> sixteen;
        for (int i = 0; i < 4; ++i)
            sixteen << QRect(3 + i, 8 + i, 1, 3);
        for (int i = 0; i < 7; ++i)
            sixteen << QRect(7 + i, 10 - i, 1, 3);
        QTest::newRow("16 at origin") << QRect(0, 0, 200, 16) << sixteen;

        QList<QRect> moved;
        for (const QRect& r : sixteen)
            moved << r.translated(5, 32);
        QTest::newRow("16 moved") << QRect(5, 32, 200, 16) << moved;
        // An odd height is used as it is: 15 gives the same mark as 16.
        QTest::newRow("15") << QRect(0, 0, 200, 15) << sixteen;
        // Height 5: k = 1, so no short arm; the long arm is one stroke two rows
        // above the middle.
        QTest::newRow("5") << QRect(0, 0, 100, 5) << rects({QRect(3, 1, 1, 3)});
        // Height 4 is treated as 3: no stroke at all.
        QTest::newRow("4") << QRect(0, 0, 100, 4) << QList<QRect>{};
        QTest::newRow("empty") << QRect(0, 0, 100, 0) << QList<QRect>{};
    }
    void checkMarkGeometry()
    {
        QFETCH(QRect, item);
        QFETCH(QList<QRect>, strokes);
        QCOMPARE(PickListGeometry::checkMarkStrokes(item), strokes);
    }

    // For every height the mark is one connected V inside its item: one
    // stroke per column, left to right, each one row lower (short arm) or
    // higher (long arm) than the one before, turning once.
    void checkMarkShape()
    {
        for (int height = 0; height <= 200; ++height) {
            const QRect item(7, 40, height + 2, height);
            const QList<QRect> strokes = PickListGeometry::checkMarkStrokes(item);
            const int h = height % 2 ? height : height - 1;
            QCOMPARE(strokes.size(), std::max(0, h - 4));
            int turns = 0;
            for (qsizetype i = 0; i < strokes.size(); ++i) {
                const QRect& s = strokes.at(i);
                QVERIFY2(item.contains(s), qPrintable(QString::number(height)));
                QCOMPARE(s.size(), QSize(1, 3));
                if (i == 0)
                    continue;
                const QRect& before = strokes.at(i - 1);
                QCOMPARE(s.left(), before.left() + 1);
                const int step = s.top() - before.top();
                QVERIFY(step == 1 || step == -1);
                if (i >= 2 && step != strokes.at(i - 1).top() - strokes.at(i - 2).top())
                    ++turns;
            }
            QVERIFY(turns <= 1);
        }
    }

    void checkBoxGeometry()
    {
        QCOMPARE(PickListGeometry::checkBoxRect(QRect(0, 0, 200, 16), 16),
                 QRect(QPoint(2, 1), QPoint(15, 14)));
        QCOMPARE(PickListGeometry::checkBoxRect(QRect(10, 48, 200, 16), 16),
                 QRect(QPoint(12, 49), QPoint(25, 62)));
        QVERIFY(PickListGeometry::checkBoxRect(QRect(0, 0, 200, 2), 2).isEmpty());
        QCOMPARE(PickListGeometry::checkBoxTextX(QRect(10, 0, 200, 16), 16), 30);
        QCOMPARE(PickListGeometry::plainTextX(QRect(10, 0, 200, 16)), 12);
    }

    // The drawn item, pixel by pixel, against the box and the check mark.
    void checkBoxPixels()
    {
        auto list = makeList();
        QVERIFY(list);
        list->setItemSelected(1, true);
        list->setItemIndex(1); // the current item gets no highlight either
        QVERIFY(list->isItemSelected(1));
        const QRect selectedRect = list->visualItemRect(list->item(1));
        const QRect plainRect = list->visualItemRect(list->item(2));
        QCOMPARE(selectedRect.height(), 16);
        const QImage image = grabViewport(list.get());

        for (const bool selected : {true, false}) {
            const QRect item = selected ? selectedRect : plainRect;
            const int L = item.left();
            const int T = item.top();
            auto expectedDark = [&](int x, int y) {
                const bool outline = (x >= L + 2 && x <= L + 15 && (y == T + 1 || y == T + 14)) ||
                                     (y >= T + 1 && y <= T + 14 && (x == L + 2 || x == L + 15));
                if (outline)
                    return true;
                if (!selected)
                    return false;
                if (x >= L + 3 && x <= L + 6) { // short arm
                    const int top = T + 8 + (x - L - 3);
                    return y >= top && y <= top + 2;
                }
                if (x >= L + 7 && x <= L + 13) { // long arm
                    const int top = T + 10 - (x - L - 7);
                    return y >= top && y <= top + 2;
                }
                return false;
            };
            // Everything left of the text: the box, the mark and background.
            for (int y = T; y < T + 16; ++y) {
                for (int x = L; x < L + 20; ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    const QRgb expected = expectedDark(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                    if (pixel != expected)
                        QFAIL(qPrintable(QStringLiteral("selected=%1 pixel (%2,%3) is %4")
                                             .arg(selected)
                                             .arg(x - L)
                                             .arg(y - T)
                                             .arg(pixel, 8, 16)));
                }
            }
            // The text begins at L + 20; the rest of the row is list colour
            // (no highlight for the selected, current item).
            bool text = false;
            for (int y = T; y < T + 16; ++y) {
                for (int x = L + 20; x < L + 60; ++x)
                    text = text || isDark(image.pixel(x, y));
            }
            QVERIFY(text);
            QCOMPARE(image.pixel(item.right() - 1, T + 8), qRgb(255, 255, 255));
        }
    }

    void styles()
    {
        auto list = makeList();
        QVERIFY(list);
        list->setItemSelected(0, true);
        const QRect r = list->visualItemRect(list->item(0));

        // Bold text: the selected text is drawn heavier than the same text
        // unselected.
        list->setSelectedStyle(TPickList::psBoldText);
        auto darkPixels = [&](const QImage& image) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x < r.left() + 120; ++x)
                    n += isDark(image.pixel(x, y)) ? 1 : 0;
            return n;
        };
        const int boldDark = darkPixels(grabViewport(list.get()));
        list->setItemSelected(0, false);
        const int plainDark = darkPixels(grabViewport(list.get()));
        QVERIFY2(boldDark > plainDark,
                 qPrintable(QStringLiteral("%1 vs %2").arg(boldDark).arg(plainDark)));
        // Text starts at L + 2 in the bold style.
        {
            const QImage image = grabViewport(list.get());
            bool early = false;
            for (int y = r.top(); y <= r.bottom(); ++y)
                early = early || isDark(image.pixel(r.left(), y)) ||
                        isDark(image.pixel(r.left() + 1, y));
            QVERIFY(!early);
        }

        // Standard: the platform highlights the selected item.
        list->setItemSelected(0, true);
        list->setSelectedStyle(TPickList::psStandard);
        const QRect sr = list->visualItemRect(list->item(0));
        QCOMPARE(grabViewport(list.get()).pixel(sr.right() - 2, sr.center().y()), qRgb(0, 0, 128));

        // Owner-drawn without a handler: plain text on the highlight.
        list->setSelectedStyle(TPickList::psOwnerDraw);
        QCOMPARE(list->visualItemRect(list->item(0)).height(), 16);
        QCOMPARE(grabViewport(list.get()).pixel(r.right() - 2, r.center().y()), qRgb(0, 0, 128));

        // Owner-drawn with a handler: the handler draws every item.
        QList<int> drawn;
        bool sawSelected = false;
        connect(list.get(), &TPickList::OnDrawItem, this,
                [&](QPainter* painter, int index, const QRect& rect, bool selected) {
                    drawn << index;
                    if (index == 0)
                        sawSelected = selected;
                    painter->fillRect(rect, Qt::red);
                });
        const QImage custom = grabViewport(list.get());
        QVERIFY(drawn.contains(0) && drawn.contains(5));
        QVERIFY(sawSelected);
        QCOMPARE(custom.pixel(r.center()), qRgb(255, 0, 0));
    }

    void itemHeight()
    {
        auto list = makeList();
        QVERIFY(list);
        list->setItemHeight(20);
        QCOMPARE(list->visualItemRect(list->item(1)).height(), 20);
        QCOMPARE(list->visualItemRect(list->item(1)).top(), 20);
        list->setItemHeight(0); // ignored
        QCOMPARE(list->itemHeight(), 20);
    }

    // Tabs move the text to the tab stops, counted in average character widths
    // from the list's left edge.
    void tabExpansionPixels()
    {
        auto list = makeList({QStringLiteral("W\tW")});
        QVERIFY(list);
        list->setTabStops(QStringLiteral("12"));
        const QFontMetrics metrics(list->font());
        const int stop = 12 * metrics.averageCharWidth();
        const QRect r = list->visualItemRect(list->item(0));
        const int textX = r.left() + 16 + 4;
        QVERIFY(stop > textX + metrics.horizontalAdvance(QLatin1Char('W')) + 2);

        auto firstDarkFrom = [&](const QImage& image, int from) {
            for (int x = from; x < image.width(); ++x)
                for (int y = r.top(); y <= r.bottom(); ++y)
                    if (isDark(image.pixel(x, y)))
                        return x;
            return -1;
        };
        auto firstDarkAfterGap = [&](const QImage& image) {
            // Skip the first W, then find where the second begins.
            int x = firstDarkFrom(image, textX);
            while (x < image.width()) {
                bool any = false;
                for (int y = r.top(); y <= r.bottom(); ++y)
                    any = any || isDark(image.pixel(x, y));
                if (!any)
                    break;
                ++x;
            }
            return firstDarkFrom(image, x);
        };
        QImage image = grabViewport(list.get());
        QVERIFY(firstDarkFrom(image, textX) <= textX + 2);
        const int second = firstDarkAfterGap(image);
        QVERIFY2(second >= stop && second <= stop + 2, qPrintable(QString::number(second)));

        // Two stops: the second W lands on the first stop beyond the first W.
        list->setTabStops(QStringLiteral("2;15"));
        image = grabViewport(list.get());
        const int second2 = firstDarkAfterGap(image);
        const int stop2 = 15 * metrics.averageCharWidth();
        QVERIFY2(second2 >= stop2 && second2 <= stop2 + 2, qPrintable(QString::number(second2)));

        // Without tab stops in use, the text is not laid out on them.
        list->setTabStops(QStringLiteral("30"));
        list->setUseTabStops(false);
        image = grabViewport(list.get());
        QVERIFY(firstDarkAfterGap(image) < 30 * metrics.averageCharWidth());
    }

    void clickAndChange()
    {
        auto list = makeList();
        QVERIFY(list);
        QSignalSpy clicks(list.get(), &TPickList::OnClick);
        QSignalSpy changes(list.get(), &TPickList::OnChange);

        clickRow(list.get(), 2);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().first().value<TPickList*>(), list.get());
        QCOMPARE(list->lastItemIndex(), 2);
        QVERIFY(list->isItemSelected(2));

        // The same item again: a click, no change; the item toggles off.
        clickRow(list.get(), 2);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(changes.count(), 1);
        QVERIFY(!list->isItemSelected(2));

        clickRow(list.get(), 0);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(list->lastItemIndex(), 0);

        // The program's selections notify nobody.
        list->setItemSelected(4, true);
        list->item(5)->setSelected(true);
        list->setItemIndex(3);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(list->selectedItemCount(), 3);
    }

    void firstClickOnFirstItemIsAChange()
    {
        auto list = makeList();
        QVERIFY(list);
        QSignalSpy changes(list.get(), &TPickList::OnChange);
        clickRow(list.get(), 0);
        QCOMPARE(changes.count(), 1);
    }

    void keyboard()
    {
        auto list = makeList();
        QVERIFY(list);
        list->setFocusPolicy(Qt::StrongFocus);
        list->activateWindow();
        list->setFocus();
        QSignalSpy clicks(list.get(), &TPickList::OnClick);
        QSignalSpy changes(list.get(), &TPickList::OnChange);
        list->setItemIndex(0); // moves the caret, selects nothing
        QCOMPARE(list->itemIndex(), 0);
        QCOMPARE(list->selectedItemCount(), 0);

        // Arrows move through the list without selecting.
        QTest::keyClick(list.get(), Qt::Key_Down);
        QTest::keyClick(list.get(), Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
        QCOMPARE(list->selectedItemCount(), 0);
        QCOMPARE(clicks.count(), 0);

        QTest::keyClick(list.get(), Qt::Key_Space);
        QVERIFY(list->isItemSelected(2));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(changes.count(), 1);

        QTest::keyClick(list.get(), Qt::Key_Down);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QVERIFY(list->isItemSelected(2));
        QVERIFY(list->isItemSelected(3));
        QCOMPARE(changes.count(), 2);

        QTest::keyClick(list.get(), Qt::Key_Space);
        QVERIFY(!list->isItemSelected(3));
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(changes.count(), 2);
    }

    void selectionModes()
    {
        auto list = makeList();
        QVERIFY(list);

        list->setMultiSelect(false);
        list->setItemIndex(2); // a single-selection list selects its current item
        QVERIFY(list->isItemSelected(2));
        clickRow(list.get(), 1);
        clickRow(list.get(), 3);
        QCOMPARE(list->selectedItemCount(), 1);
        QVERIFY(list->isItemSelected(3));

        list->clearSelection();
        list->setMultiSelect(true);
        list->setExtendedSelect(true);
        clickRow(list.get(), 1);
        clickRow(list.get(), 3, Qt::ControlModifier);
        QCOMPARE(list->selectedItemCount(), 2);
        clickRow(list.get(), 4);
        QCOMPARE(list->selectedItemCount(), 1);
        clickRow(list.get(), 1, Qt::ShiftModifier);
        QCOMPARE(list->selectedItemCount(), 4);
    }

    void findItem()
    {
        TPickList list;
        list.addItems({"Memo", "FirstLast", "firstlast", "Company"});
        QCOMPARE(list.findItem(QStringLiteral("FIRSTLAST")), 1);
        QCOMPARE(list.findItem(QStringLiteral("memo")), 0);
        QCOMPARE(list.findItem(QStringLiteral("first")), -1);
        QCOMPARE(list.findItem(QString()), -1);
        QVERIFY(!list.isItemSelected(-1));
        list.setItemSelected(99, true); // out of range: nothing happens
        QCOMPARE(list.selectedItemCount(), 0);
    }
};

QTEST_MAIN(TestPickList)
#include "tst_picklist.moc"
