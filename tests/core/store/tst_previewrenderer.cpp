// The page preview's picture, looked at pixel by pixel: box edges stand at
// the columns their positions give, the printable width is marked, warned
// columns are the ones the position check refuses, labels stay in their box.

#include "core/store/ColumnCheck.h"
#include "core/store/PreviewRenderer.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPoint>
#include <QRandomGenerator>
#include <QRect>
#include <QTest>

#include <algorithm>
#include <set>

namespace {

using Columns = QList<PreviewColumn>;

PreviewColumn col(int line, int left, int right, const QString& label = QString())
{
    return PreviewColumn{label, line, left, right};
}

// x of the pixel columns in row y that have exactly this colour.
std::set<int> columnsOfColour(const QImage& image, int y, QRgb colour)
{
    std::set<int> xs;
    for (int x = 0; x < image.width(); ++x) {
        if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
            xs.insert(x);
    }
    return xs;
}

int bandMiddle(int line)
{
    return PreviewRenderer::rulerHeight + (line - 1) * PreviewRenderer::bandHeight +
           PreviewRenderer::bandHeight / 2;
}

const QString kOverlap = QStringLiteral("There are overlaps for right margin ");
const QString kLeftRight = QStringLiteral("LEFT Margin is less than RIGHT margin");
const QString kBeyond = QStringLiteral("RIGHT margin greater than Right margin MAX of ");

} // namespace

class TestPreviewRenderer : public QObject
{
    Q_OBJECT

private slots:
    // The ruler's inch numbers keep clear of the printable width's mark and
    // of its text, on every width and at every scale; the numbers that stay
    // lie inside the picture.
    void rulerNumbersKeepClearOfTheWidthMark()
    {
        const Columns columns{col(1, 1, 24), col(1, 25, 48)};
        int checked = 0;
        for (int pixels : {220, 400, 614, 900, 1400}) {
            for (int width = 1; width <= 200; ++width) {
                const PreviewLayout l = PreviewRenderer::layoutToFit(columns, width, pixels);
                const PreviewRenderer::RulerText limit = PreviewRenderer::limitText(l);
                const int mark = l.xFor(width);
                const QRect picture(QPoint(0, 0), l.size);
                QVERIFY2(picture.contains(limit.rect), qPrintable(QString::number(width)));
                const QList<PreviewRenderer::RulerText> numbers = PreviewRenderer::rulerNumbers(l);
                if (width >= 30)
                    QVERIFY(numbers.size() >= 2);
                for (const PreviewRenderer::RulerText& n : numbers) {
                    const QString where =
                        QStringLiteral("width %1, %2 px: %3").arg(width).arg(pixels).arg(n.text);
                    QVERIFY2(!n.rect
                                  .adjusted(-PreviewRenderer::rulerTextGap, 0,
                                            PreviewRenderer::rulerTextGap, 0)
                                  .intersects(limit.rect),
                             qPrintable(where));
                    QVERIFY2(mark < n.rect.left() - 5 || mark > n.rect.right() + 5,
                             qPrintable(where));
                    QVERIFY2(picture.contains(n.rect), qPrintable(where));
                    ++checked;
                }
            }
        }
        QVERIFY(checked > 1000);
    }

    // A label longer than its box ends in an ellipsis and fits the box; one
    // that fits is written whole.
    void labelsAreCutWithAnEllipsis()
    {
        const QString label = QStringLiteral("Header of a rather long field");
        const PreviewLayout l =
            PreviewRenderer::layout({col(1, 1, 8, label), col(1, 10, 70, label)}, 75, 6.0);
        const QFontMetrics fm(PreviewRenderer::labelFont());
        const QString narrow = PreviewRenderer::boxText(l.boxes[0]);
        QVERIFY2(narrow.endsWith(QChar(0x2026)), qPrintable(narrow));
        QVERIFY(narrow.size() > 1);
        QVERIFY(fm.horizontalAdvance(narrow) <= PreviewRenderer::boxTextRect(l.boxes[0]).width());
        QCOMPARE(PreviewRenderer::boxText(l.boxes[1]), label);
    }

    void boxEdgesStandAtTheirPositions_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<Columns>("columns");
        QTest::newRow("default three on 7.5in")
            << 75 << Columns{col(1, 1, 24), col(1, 25, 48), col(1, 49, 72)};
        QTest::newRow("detail level and two lines")
            << 75
            << Columns{col(1, 1, 25), col(1, 26, 41), col(1, 42, 57), col(2, 26, 41),
                       col(2, 42, 57)};
        QTest::newRow("apart, narrow and two tenths wide")
            << 110 << Columns{col(1, 3, 9), col(1, 20, 21), col(1, 40, 108)};
        QTest::newRow("third line only") << 80 << Columns{col(3, 10, 30)};
    }
    void boxEdgesStandAtTheirPositions()
    {
        QFETCH(int, width);
        QFETCH(Columns, columns);
        // Four pixels a tenth: position p ends at pixel gutter + 4p - 1.
        const PreviewLayout layout = PreviewRenderer::layout(columns, width, 4.0);
        const QImage image = PreviewRenderer::render(layout);
        const int gutter = PreviewRenderer::gutter;

        QMap<int, std::set<int>> expected; // by line: frame columns
        int lines = 1;
        for (const PreviewColumn& c : columns) {
            expected[*c.line].insert(gutter + 4 * (*c.left - 1));
            expected[*c.line].insert(gutter + 4 * *c.right - 1);
            lines = std::max(lines, *c.line);
        }
        QCOMPARE(layout.lineCount, lines);
        QCOMPARE(image.height(),
                 PreviewRenderer::rulerHeight + lines * PreviewRenderer::bandHeight + 1);
        for (int line = 1; line <= lines; ++line) {
            const std::set<int> found =
                columnsOfColour(image, bandMiddle(line), PreviewRenderer::boxFrameColour());
            QStringList f, e;
            for (int x : found)
                f << QString::number(x);
            for (int x : expected.value(line))
                e << QString::number(x);
            QCOMPARE(f.join(' '), e.join(' '));
        }
        // Inside each box, next to its edges, is its fill.
        for (const PreviewColumn& c : columns) {
            const int l = gutter + 4 * (*c.left - 1);
            const int r = gutter + 4 * *c.right - 1;
            if (r - l >= 2) {
                QCOMPARE(image.pixel(l + 1, bandMiddle(*c.line)) & 0xffffff,
                         PreviewRenderer::boxFillColour() & 0xffffff);
                QCOMPARE(image.pixel(r - 1, bandMiddle(*c.line)) & 0xffffff,
                         PreviewRenderer::boxFillColour() & 0xffffff);
            }
        }
    }

    void fittedScaleKeepsEdgesProportional()
    {
        // 7.5 inches on 700 pixels: the ruler spans 8 inches, so a tenth is
        // (700 - gutter - margin) / 80 pixels; every edge within half a pixel.
        const Columns columns{col(1, 1, 24), col(1, 25, 48), col(1, 49, 75)};
        const QImage image = PreviewRenderer::render(columns, 75, 700);
        QCOMPARE(image.width(), 700);
        const double tenth =
            double(700 - PreviewRenderer::gutter - PreviewRenderer::rightMargin) / 80;
        const std::set<int> found =
            columnsOfColour(image, bandMiddle(1), PreviewRenderer::boxFrameColour());
        QCOMPARE(int(found.size()), 6);
        std::vector<double> ideal;
        for (const PreviewColumn& c : columns) {
            ideal.push_back(PreviewRenderer::gutter + (*c.left - 1) * tenth);
            ideal.push_back(PreviewRenderer::gutter + *c.right * tenth - 1);
        }
        int i = 0;
        for (int x : found) {
            QVERIFY2(
                std::abs(x - ideal[i]) <= 1.0,
                qPrintable(QStringLiteral("edge %1 at %2, ideal %3").arg(i).arg(x).arg(ideal[i])));
            ++i;
        }
    }

    void printableWidthIsMarked()
    {
        const Columns columns{col(1, 1, 30), col(2, 50, 60)};
        const PreviewLayout layout = PreviewRenderer::layout(columns, 75, 4.0);
        const QImage image = PreviewRenderer::render(layout);
        const int limitX = PreviewRenderer::gutter + 4 * 75;
        // The mark runs down the ruler and both bands.
        for (int y : {PreviewRenderer::rulerHeight - 5, bandMiddle(1), bandMiddle(2)})
            QCOMPARE(image.pixel(limitX, y) & 0xffffff, PreviewRenderer::limitColour() & 0xffffff);
        // Past it, the paper is shaded; before it, it is not.
        QCOMPARE(image.pixel(limitX + 3, bandMiddle(1)) & 0xffffff,
                 PreviewRenderer::beyondColour() & 0xffffff);
        QVERIFY((image.pixel(limitX - 3, bandMiddle(1)) & 0xffffff) !=
                (PreviewRenderer::beyondColour() & 0xffffff));
        // The ruler reaches to 8 inches, the next whole inch.
        QCOMPARE(layout.span, 80);
        QCOMPARE(image.width(), PreviewRenderer::gutter + 4 * 80 + PreviewRenderer::rightMargin);
    }

    void rulerHasInchAndTenthTicks()
    {
        // The printable width, 2.5 inches, is marked in its own colour over
        // the tick at 25; the ruler runs on to 3 inches.
        const PreviewLayout layout = PreviewRenderer::layout({}, 25, 4.0);
        const QImage image = PreviewRenderer::render(layout);
        const int base = PreviewRenderer::rulerHeight - 1;
        const QRgb ink = qRgb(0x30, 0x30, 0x30);
        auto isInk = [&](int x, int y) {
            return (image.pixel(x, y) & 0xffffff) == (ink & 0xffffff);
        };
        QCOMPARE(layout.span, 30);
        for (int t = 0; t <= 30; ++t) {
            const int x = PreviewRenderer::gutter + 4 * t;
            if (t == 25) {
                QCOMPARE(image.pixel(x, base - 2) & 0xffffff,
                         PreviewRenderer::limitColour() & 0xffffff);
                continue;
            }
            QVERIFY2(isInk(x, base - 2), qPrintable(QStringLiteral("tenth %1").arg(t)));
            QCOMPARE(isInk(x, base - 5), t % 5 == 0);  // half inches are longer
            QCOMPARE(isInk(x, base - 9), t % 10 == 0); // inches longer still
        }
        // Between ticks the ruler is bare.
        QVERIFY(!isInk(PreviewRenderer::gutter + 2, base - 2));
    }

    void warnedColumnsAreDrawnInWarningColour()
    {
        // Line 1: two columns that touch at 25 (an overlap by the check's
        // rule; the second is drawn over the first's right edge), line 2: one past the width of 75
        // and one the wrong way round.
        const Columns columns{col(1, 1, 25), col(1, 25, 50), col(1, 60, 70), col(2, 60, 80),
                              col(2, 40, 30)};
        const PreviewLayout layout = PreviewRenderer::layout(columns, 75, 4.0);
        const QImage image = PreviewRenderer::render(layout);
        const int g = PreviewRenderer::gutter;
        const std::set<int> warned1 =
            columnsOfColour(image, bandMiddle(1), PreviewRenderer::warningFrameColour());
        QCOMPARE(warned1, (std::set<int>{g, g + 4 * 24, g + 4 * 50 - 1}));
        const std::set<int> clean1 =
            columnsOfColour(image, bandMiddle(1), PreviewRenderer::boxFrameColour());
        QCOMPARE(clean1, (std::set<int>{g + 4 * 59, g + 4 * 70 - 1}));
        // A left margin past the right one covers the same tenths as 30 to 40.
        const std::set<int> warned2 =
            columnsOfColour(image, bandMiddle(2), PreviewRenderer::warningFrameColour());
        QCOMPARE(warned2, (std::set<int>{g + 4 * 59, g + 4 * 80 - 1, g + 4 * 29, g + 4 * 40 - 1}));

        QCOMPARE(layout.boxes[1].warnings, QStringList{kOverlap + "25"});
        QCOMPARE(PreviewRenderer::toolTip(layout.boxes[3]), kBeyond + "75");
        QCOMPARE(PreviewRenderer::toolTip(layout.boxes[4]), kLeftRight);
        QCOMPARE(PreviewRenderer::toolTip(layout.boxes[2]),
                 QStringLiteral(": line 1, 60 to 70 (5.9\" to 7.0\")"));
    }

    void warningsFollowTheCheck_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<Columns>("columns");
        QTest::addColumn<QList<QStringList>>("warnings");
        using W = QList<QStringList>;
        QTest::newRow("apart") << 110 << Columns{col(1, 1, 25), col(1, 26, 50)} << W{{}, {}};
        QTest::newRow("touching") << 110 << Columns{col(1, 1, 25), col(1, 25, 50)}
                                  << W{{kOverlap + "25"}, {kOverlap + "25"}};
        QTest::newRow("out of field order") << 110 << Columns{col(1, 30, 40), col(1, 10, 20)}
                                            << W{{kOverlap + "30"}, {kOverlap + "30"}};
        QTest::newRow("only the pair that overlaps")
            << 110 << Columns{col(1, 1, 10), col(1, 20, 30), col(1, 25, 40)}
            << W{{}, {kOverlap + "30"}, {kOverlap + "30"}};
        QTest::newRow("last column one tenth wide passes")
            << 110 << Columns{col(1, 10, 20), col(1, 30, 30)} << W{{}, {}};
        QTest::newRow("same column first is reported")
            << 110 << Columns{col(1, 30, 30), col(1, 40, 50)}
            << W{{kOverlap + "30"}, {kOverlap + "30"}};
        QTest::newRow("different lines, same margins")
            << 110 << Columns{col(1, 1, 25), col(2, 1, 25)} << W{{}, {}};
        QTest::newRow("line 11 is not checked for overlaps")
            << 110 << Columns{col(11, 1, 25), col(11, 1, 25)} << W{{}, {}};
        QTest::newRow("right margin equal to the width passes")
            << 75 << Columns{col(1, 1, 75)} << W{{}};
        QTest::newRow("right margin past the width")
            << 75 << Columns{col(1, 1, 76)} << W{{kBeyond + "75"}};
        QTest::newRow("wrong way round and past the width")
            << 75 << Columns{col(1, 90, 80), col(1, 1, 10)} << W{{kLeftRight, kBeyond + "75"}, {}};
        QTest::newRow("blank margins count as 0")
            << 75 << Columns{PreviewColumn{QString(), 1, std::nullopt, 10}, col(1, 5, 20)}
            << W{{kOverlap + "10"}, {kOverlap + "10"}};
    }
    void warningsFollowTheCheck()
    {
        QFETCH(int, width);
        QFETCH(Columns, columns);
        QFETCH(QList<QStringList>, warnings);
        QCOMPARE(PreviewRenderer::columnWarnings(width, columns), warnings);
    }

    void warningsAgreeWithTheCheckOnRandomLayouts()
    {
        // Whatever the positions, the preview warns of something exactly when
        // "Check Columns" refuses, and the check's own message is among the
        // warnings of the column it names.
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 3000; ++round) {
            const int n = int(rng.bounded(1, 6));
            const int width = int(rng.bounded(20, 120));
            Columns columns;
            QList<ColumnRow> rows;
            for (int i = 0; i < n; ++i)
                columns << col(int(rng.bounded(1, 3)), int(rng.bounded(1, 130)),
                               int(rng.bounded(1, 130)));
            std::stable_sort(
                columns.begin(), columns.end(),
                [](const PreviewColumn& a, const PreviewColumn& b) { return *a.line < *b.line; });
            for (const PreviewColumn& c : columns)
                rows << ColumnRow{c.label, c.line, c.left, c.right};
            const ColumnCheckResult check = ColumnCheck::CheckColumnPositions(width, rows);
            const QList<QStringList> warnings = PreviewRenderer::columnWarnings(width, columns);
            const bool anyWarning = std::any_of(warnings.begin(), warnings.end(),
                                                [](const QStringList& w) { return !w.isEmpty(); });
            QCOMPARE(anyWarning, !check.ok());
            if (!check.ok())
                QVERIFY2(warnings[check.row].contains(check.message), qPrintable(check.message));
        }
    }

    void labelsAreClippedToTheirBox()
    {
        Columns bare{col(1, 10, 14), col(1, 20, 60)};
        Columns labelled = bare;
        labelled[0].label = QStringLiteral("A very long column header that cannot fit");
        labelled[1].label = QStringLiteral("Company");
        const PreviewLayout layout = PreviewRenderer::layout(labelled, 75, 4.0);
        const QImage withText = PreviewRenderer::render(layout);
        const QImage without = PreviewRenderer::render(PreviewRenderer::layout(bare, 75, 4.0));
        QCOMPARE(withText.size(), without.size());
        int changed = 0;
        for (int y = 0; y < withText.height(); ++y) {
            for (int x = 0; x < withText.width(); ++x) {
                if (withText.pixel(x, y) == without.pixel(x, y))
                    continue;
                ++changed;
                const QPoint at(x, y);
                QVERIFY2(layout.boxes[0].rect.contains(at) || layout.boxes[1].rect.contains(at),
                         qPrintable(QStringLiteral("text at %1,%2 outside its box").arg(x).arg(y)));
            }
        }
        QVERIFY2(changed > 20, "the labels were not drawn");
    }

    void onlyPlaceableColumnsGetABox()
    {
        const Columns columns{col(1, 1, 20),
                              PreviewColumn{QStringLiteral("no line"), {}, 1, 5},
                              PreviewColumn{QStringLiteral("no right"), 1, 30, {}},
                              col(0, 1, 5),
                              col(PreviewRenderer::maxLines + 1, 1, 5),
                              col(2, 30, 40)};
        const PreviewLayout layout = PreviewRenderer::layout(columns, 75, 3.0);
        QCOMPARE(layout.boxes.size(), 2);
        QCOMPARE(layout.boxes[0].row, 0);
        QCOMPARE(layout.boxes[1].row, 5);
        QCOMPARE(layout.boxOfRow(5), 1);
        QCOMPARE(layout.boxOfRow(1), -1);
        QCOMPARE(layout.lineCount, 2);
        QVERIFY(layout.bandRect(2).contains(layout.boxes[1].rect));
    }

    void hitTestingFindsBodyAndEdges()
    {
        const PreviewLayout layout =
            PreviewRenderer::layout({col(1, 11, 30), col(2, 5, 5)}, 75, 4.0);
        const QRect r = layout.boxes[0].rect; // x 66 .. 145
        QCOMPARE(r.left(), PreviewRenderer::gutter + 40);
        QCOMPARE(r.right(), PreviewRenderer::gutter + 119);
        const int y = r.center().y();
        PreviewHit hit;
        QCOMPARE(layout.boxAt({r.center().x(), y}, &hit), 0);
        QCOMPARE(hit, PreviewHit::Body);
        QCOMPARE(layout.boxAt({r.left() + 1, y}, &hit), 0);
        QCOMPARE(hit, PreviewHit::LeftEdge);
        QCOMPARE(layout.boxAt({r.right(), y}, &hit), 0);
        QCOMPARE(hit, PreviewHit::RightEdge);
        QCOMPARE(layout.boxAt({r.right() + 1, y}, &hit), -1);
        QCOMPARE(hit, PreviewHit::None);
        QCOMPARE(layout.boxAt({r.center().x(), r.top() - 1}), -1);
        // A box one tenth wide still has a middle to take hold of.
        const QRect narrow = layout.boxes[1].rect;
        QCOMPARE(narrow.width(), 4);
        QCOMPARE(layout.boxAt({narrow.left() + 2, narrow.center().y()}, &hit), 1);
        QCOMPARE(hit, PreviewHit::Body);
        // Pixels back to tenths.
        QCOMPARE(layout.tenthsAt(PreviewRenderer::gutter + 40), 10.0);
    }
};

QTEST_MAIN(TestPreviewRenderer)
#include "tst_previewrenderer.moc"
