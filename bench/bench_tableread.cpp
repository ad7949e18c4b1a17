// Reading every row and every field of the 200,000-row contact table: with
// the table reader (ParadoxReader::forEachRow), and through the engine
// cursor (Table: open, first, value of every column, next), against reading
// the bytes of CONTACT.DB and CONTACT.MB with plain file I/O. The table is
// password-protected, as the host's is; the reader also reads the same
// contacts unprotected, to show what unscrambling costs.

#include "BenchSupport.h"

#include "core/app/StartUp.h"
#include "engine/ParadoxReader.h"
#include "engine/Table.h"

#include <benchmark/benchmark.h>

#include <QDir>

namespace {

QString contactTable()
{
    return QDir(BenchSupport::dataFolder("big")).filePath(QStringLiteral("CONTACT.DB"));
}
QString contactMemos()
{
    return QDir(BenchSupport::dataFolder("big")).filePath(QStringLiteral("CONTACT.MB"));
}
QString unprotectedTable()
{
    return QDir(BenchSupport::dataFolder("bigplain")).filePath(QStringLiteral("CONTACT.DB"));
}

void readEveryRow(benchmark::State& state, const QString& path)
{
    qint64 rows = 0;
    qint64 bytes = 0;
    const QString password = StartUp::tablePassword(0);
    for (auto _ : state) {
        ParadoxReader reader(path);
        reader.setPassword(password);
        rows = 0;
        reader.forEachRow([&](const Row& row) {
            for (const QVariant& value : row)
                benchmark::DoNotOptimize(value.constData());
            ++rows;
            return true;
        });
        bytes = reader.bytesRead();
    }
    state.counters["rows"] = double(rows);
    state.counters["bytes_read"] = double(bytes);
}

void TableReadReader(benchmark::State& state) { readEveryRow(state, contactTable()); }
void TableReadUnprotected(benchmark::State& state) { readEveryRow(state, unprotectedTable()); }

void TableReadCursor(benchmark::State& state)
{
    BenchInstallation installation(BenchSupport::dataFolder("big"));
    qint64 rows = 0;
    for (auto _ : state) {
        // A new cursor each time: the rows are read from the file again once
        // the last cursor on it has gone.
        Table table;
        table.setDatabaseName(QStringLiteral("VESKA"));
        table.setTableName(QStringLiteral("CONTACT.DB"));
        table.open();
        QStringList names;
        for (const FieldDef& f : table.fieldDefs())
            names << f.name;
        rows = 0;
        for (table.first(); !table.eof(); table.next()) {
            for (const QString& name : names) {
                const QVariant value = table.value(name);
                benchmark::DoNotOptimize(value.constData());
            }
            ++rows;
        }
    }
    state.counters["rows"] = double(rows);
}

void TableReadFloor(benchmark::State& state)
{
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = BenchSupport::readWholeFile(contactTable()) +
                BenchSupport::readWholeFile(contactMemos());
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

} // namespace

BENCHMARK(TableReadReader)->Name("TableRead/ParadoxReader")->Unit(benchmark::kMillisecond);
BENCHMARK(TableReadUnprotected)
    ->Name("TableRead/ParadoxReaderUnprotected")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TableReadCursor)->Name("TableRead/TableCursor")->Unit(benchmark::kMillisecond);
BENCHMARK(TableReadFloor)->Name("TableRead/FileBytes")->Unit(benchmark::kMillisecond);
