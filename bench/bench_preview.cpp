// The report preview on the 200,000-row contact table (password-protected,
// as the host's is): the fit check of every column, which reads each row
// once and decodes only the report's fields, against reading the table's
// bytes (TableRead/FileBytes); and the first page of an address list, from
// opening the tables to the painted picture.

#include "BenchSupport.h"
#include "PreviewBench.h"

#include "core/app/StartUp.h"
#include "core/preview/PageModel.h"
#include "engine/ParadoxReader.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>

namespace {

QStringList passwords() { return {StartUp::tablePassword(0), StartUp::tablePassword(1)}; }

void fitCheck(benchmark::State& state, const char* data)
{
    const QString folder = BenchSupport::dataFolder(data);
    const ParadoxReader header(QDir(folder).filePath(QStringLiteral("CONTACT.DB")));
    const ReportFileContent report = PreviewBench::everyColumn(header.fields());
    qint64 rows = 0, tooLong = 0;
    for (auto _ : state) {
        const ReportPlan plan = ReportPlan::make(folder, report, passwords());
        const ScanResult scan = scanReport(plan);
        if (!scan.finished) {
            state.SkipWithError(scan.error.toUtf8().constData());
            return;
        }
        rows = qint64(scan.records->size());
        tooLong = 0;
        for (const FieldFit& f : scan.fit)
            tooLong += f.tooLong;
    }
    state.counters["rows"] = double(rows);
    state.counters["fields"] = double(report.fields.size());
    state.counters["too_long"] = double(tooLong);
}

void PreviewFitCheck(benchmark::State& state) { fitCheck(state, "big"); }
// The same contacts unprotected: what unscrambling the blocks costs.
void PreviewFitCheckUnprotected(benchmark::State& state) { fitCheck(state, "bigplain"); }

void PreviewFirstPage(benchmark::State& state)
{
    const QString folder = BenchSupport::dataFolder("big");
    const ReportFileContent report = PreviewBench::addressList();
    int lines = 0;
    for (auto _ : state) {
        const ReportPlan plan = ReportPlan::make(folder, report, passwords());
        RowSource rows(plan);
        const PageModel model(plan);
        const PreviewPage page = model.page(0, rows, rows.recordCount(), nullptr);
        const QImage image = PagePainter::render(page, model, 96);
        benchmark::DoNotOptimize(image.constBits());
        lines = int(page.lines.size());
    }
    state.counters["lines"] = double(lines);
}

} // namespace

// The scan runs on two threads: the time is the wall clock's, and the CPU
// time that of the whole process.
BENCHMARK(PreviewFitCheck)
    ->Name("Preview/FitCheckEveryColumn")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(PreviewFitCheckUnprotected)
    ->Name("Preview/FitCheckEveryColumnUnprotected")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(PreviewFirstPage)->Name("Preview/FirstPage")->Unit(benchmark::kMillisecond);
