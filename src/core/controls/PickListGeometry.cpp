#include "core/controls/PickListGeometry.h"

#include "core/controls/InvalidTabStop.h"

#include <algorithm>
#include <limits>

namespace PickListGeometry {

namespace {

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

// The next multiple of `step` (> 0) that is greater than x.
int nextMultiple(int x, qint64 step)
{
    qint64 q = qint64(x) / step;
    if (qint64(x) < 0 && qint64(x) % step != 0)
        --q; // round towards minus infinity
    return clampToInt((q + 1) * step);
}

void appendChecked(const QString& piece, QStringList& entries)
{
    int value = 0;
    if (!parseTabStop(piece, &value))
        throw InvalidTabStop(piece);
    entries << piece;
}

} // namespace

bool parseTabStop(const QString& piece, int* value)
{
    qsizetype i = 0;
    const qsizetype n = piece.size();
    while (i < n && piece.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (piece.at(i) == QLatin1Char('+') || piece.at(i) == QLatin1Char('-'))) {
        negative = piece.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const QChar c = piece.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return false;
    if (value)
        *value = int(result);
    return true;
}

void parseTabStops(const QString& text, QStringList& entries)
{
    entries.clear();
    if (text.isEmpty())
        return;
    QString piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(';') && i > 0) {
            appendChecked(piece, entries);
            piece.clear();
        } else {
            piece += c;
        }
    }
    appendChecked(piece, entries);
}

QString joinTabStops(const QStringList& entries) { return entries.join(QLatin1Char(';')); }

QList<int> tabPositions(const QStringList& entries, int averageCharWidth)
{
    QList<int> positions;
    positions.reserve(entries.size());
    for (const QString& entry : entries) {
        int value = 0;
        if (!parseTabStop(entry, &value))
            throw InvalidTabStop(entry);
        positions << clampToInt(qint64(value) * averageCharWidth);
    }
    return positions;
}

int nextTabPosition(int x, const QList<int>& positions, int averageCharWidth)
{
    const qint64 defaultStep = qint64(defaultTabChars) * averageCharWidth;
    qint64 step = defaultStep;
    if (positions.size() == 1) {
        step = positions.first();
    } else if (positions.size() > 1) {
        for (int p : positions) {
            if (p > x)
                return p;
        }
    }
    if (step <= 0)
        step = defaultStep;
    if (step <= 0)
        return x;
    return nextMultiple(x, step);
}

QRect checkBoxRect(const QRect& item, int itemHeight)
{
    if (itemHeight < 3)
        return QRect();
    return QRect(item.left() + 2, item.top() + 1, itemHeight - 2, itemHeight - 2);
}

QList<QRect> checkMarkStrokes(const QRect& item)
{
    QList<QRect> strokes;
    const int height = std::min(item.height(), maxMarkHeight);
    const int h = (height % 2 != 0) ? height : height - 1;
    const int m = h / 2 + 1;
    const int k = h / 3;
    const int left = item.left();
    const int top = item.top();

    int y = m;
    for (int i = 2; i <= k; ++i) {
        strokes << QRect(left + 1 + i, top + y, 1, 3);
        ++y;
    }
    y -= 2;
    for (int i = k + 1; i <= h - 3; ++i) {
        strokes << QRect(left + 1 + i, top + y, 1, 3);
        --y;
    }
    return strokes;
}

} // namespace PickListGeometry
