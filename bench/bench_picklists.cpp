// Filling the pick lists on the field selection page (FillPickFields, as
// SetBook runs it on the way to Page6) from a contact table of 200,000 rows,
// against the same fill from an empty table with the same columns and
// against reading the two table headers with plain file I/O.

#include "BenchSupport.h"
#include "BenchWizard.h"

#include "forms/controls/Picklist.h"

#include <benchmark/benchmark.h>

#include <QDir>

namespace {

void PickListFill(benchmark::State& state, const char* folder)
{
    BenchInstallation installation(BenchSupport::dataFolder(folder));
    TFrmCReport wizard;
    showWizard(wizard);
    try {
        walkToFieldSelection(wizard);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state)
        wizard.FillPickFields(benchControl<QPushButton>(wizard, "BtnNext"));
    state.counters["contact_entries"] =
        benchControl<TPickList>(wizard, "PickContactField")->count();
    state.counters["event_entries"] = benchControl<TPickList>(wizard, "PickEventField")->count();
}

void PickListFillFloor(benchmark::State& state)
{
    const QDir data(BenchSupport::dataFolder("big"));
    const QString contacts = data.filePath(QStringLiteral("CONTACT.DB"));
    const QString events = data.filePath(QStringLiteral("EVENT.DB"));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = BenchSupport::readParadoxHeader(contacts) + BenchSupport::readParadoxHeader(events);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["header_bytes"] = double(bytes);
}

} // namespace

BENCHMARK_CAPTURE(PickListFill, Contacts200k, "big")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PickListFill, EmptyTable, "empty")->Unit(benchmark::kMillisecond);
BENCHMARK(PickListFillFloor)->Name("PickListFill/HeaderBytes")->Unit(benchmark::kMillisecond);
