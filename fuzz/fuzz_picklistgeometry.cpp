// Feeds arbitrary tab stop texts, tab positions and item heights to the pick
// list's drawing arithmetic. It must not crash, and:
// - a text is either stored whole (and reads back unchanged) or refused with
//   the accepted pieces forming a prefix of it;
// - a tab always moves forward, unless there is no width to move by;
// - the check mark stays inside its item.
#include "core/controls/InvalidTabStop.h"
#include "core/controls/PickListGeometry.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int x = int16_t(data[0] | (data[1] << 8)) * ((data[2] & 0x80) ? 65536 : 1);
    const int average = data[2] & 0x3f;
    const int height = data[3] | ((data[4] & 0x0f) << 8);
    const int left = int(int8_t(data[5])) * 1000;
    data += 6;
    size -= 6;

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList entries;
    bool refused = false;
    try {
        PickListGeometry::parseTabStops(text, entries);
    } catch (const InvalidTabStop& e) {
        refused = true;
        if (!e.message().endsWith(QStringLiteral(" is an invalid tab stop")))
            abort();
    }
    const QString joined = PickListGeometry::joinTabStops(entries);
    if (!refused && joined != text)
        abort();
    if (refused && !entries.isEmpty() && !text.startsWith(joined + QLatin1Char(';')))
        abort();

    const QList<int> positions = PickListGeometry::tabPositions(entries, average); // never throws
    const int next = PickListGeometry::nextTabPosition(x, positions, average);
    if (next < x || (next == x && average > 0 && x < 2147483647))
        abort();

    const QRect item(left, left / 2, height + 4, height);
    for (const QRect& stroke : PickListGeometry::checkMarkStrokes(item)) {
        if (!item.contains(stroke))
            abort();
    }
    return 0;
}
