// Feeds arbitrary rows to the column position check: it must not crash, and
// when it passes, every column lies within its own margins and the page.
#include "core/store/ColumnCheck.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Reads a small signed number from the input, so that collisions are likely.
int take(const uint8_t*& data, size_t& size)
{
    if (size == 0)
        return 0;
    const int value = static_cast<int8_t>(*data) * (size > 1 && (data[1] & 0x80) ? 1000 : 1);
    ++data;
    --size;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int maximum = take(data, size) + 128;
    QList<ColumnRow> rows;
    while (size >= 4) {
        const uint8_t blanks = *data;
        ++data;
        --size;
        ColumnRow row;
        row.field = QStringLiteral("F%1").arg(rows.size());
        const int line = take(data, size) & 0x0f;
        const int left = take(data, size);
        const int right = take(data, size);
        if (!(blanks & 1))
            row.line = line;
        if (!(blanks & 2))
            row.left = left;
        if (!(blanks & 4))
            row.right = right;
        rows.append(row);
    }
    const ColumnCheckResult r = ColumnCheck::CheckColumnPositions(maximum, rows);
    if (r.ok()) {
        if (!r.message.isEmpty() || r.row != -1)
            std::abort();
        for (const ColumnRow& row : rows) {
            if (row.left.value_or(0) > row.right.value_or(0) || row.right.value_or(0) > maximum)
                std::abort();
        }
    } else if (r.row < 0 || r.row >= rows.size() || r.message.isEmpty()) {
        std::abort();
    }
    return 0;
}
