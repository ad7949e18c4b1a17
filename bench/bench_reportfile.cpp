// Loading a report of 200 fields into the wizard (LoadConfig: the parse, one
// row of the working table per field, the pages and the pick lists) and
// writing it back (WriteTheReportFile: the rows in print order, the text and
// the safe save), against reading and writing the same bytes with plain
// file I/O.

#include "BenchSupport.h"
#include "BenchWizard.h"

#include "core/store/ReportFile.h"
#include "engine/ParadoxReader.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

namespace {

constexpr int kFields = 200;
// Twelve fields to a print line, seventeen lines: the most lines the layout
// grid takes is eighteen.
constexpr int kPerLine = 12;
const QString kReportName = QStringLiteral("big200.rpt");
const QString kWrittenName = QStringLiteral("written.rpt");

// A contact-ordered report of 200 fields, twelve to a print line: the columns
// of the contact table first, then made-up user columns. Written once.
QString reportPath()
{
    const QDir data(BenchSupport::dataFolder("small"));
    const QString path = data.filePath(kReportName);
    if (QFile::exists(path))
        return path;
    ReportFileContent content;
    content.description = QStringLiteral("Everything about a contact");
    content.order = ReportOrder::Contact;
    content.kind = InfoKind::Contact;
    content.printableWidth = 75;
    QStringList names;
    const ParadoxReader contacts(data.filePath(QStringLiteral("CONTACT.DB")));
    for (const FieldDef& f : contacts.fields()) {
        if (f.type != FieldType::Memo)
            names << f.name;
    }
    for (int i = 1; names.size() < kFields - 1; ++i)
        names << QStringLiteral("Extra%1").arg(i, 3, 10, QLatin1Char('0'));
    names << QStringLiteral("Memo");
    for (int i = 0; i < names.size(); ++i) {
        ReportFileField f;
        f.dbType = 0;
        f.field = names.at(i);
        f.header = names.at(i) + QLatin1Char(':');
        f.line = i / kPerLine + 1;
        f.lPosition = (i % kPerLine) * 6;
        f.rPosition = (i % kPerLine) * 6 + 5;
        f.lDots = i % 7 == 0;
        f.count = true;
        f.total = i % 11 == 0;
        content.fields << f;
    }
    QString error;
    if (!ReportFile::save(path, content, &error))
        throw std::runtime_error(error.toStdString());
    return path;
}

struct LoadedWizard
{
    explicit LoadedWizard(const QString& report) : installation(BenchSupport::dataFolder("small"))
    {
        showWizard(wizard);
        benchControl<QRadioButton>(wizard, "RbModify")->setChecked(true);
        wizard.WizardMode = QStringLiteral("MODIFY");
        wizard.ReportFile = report;
        wizard.ClearCustomTable(wizard.TblCRData);
        wizard.LoadConfig();
    }
    BenchInstallation installation;
    TFrmCReport wizard;
};

void ReportLoad(benchmark::State& state)
{
    LoadedWizard loaded(reportPath());
    TFrmCReport& w = loaded.wizard;
    for (auto _ : state) {
        state.PauseTiming();
        w.ClearCustomTable(w.TblCRData);
        state.ResumeTiming();
        w.LoadConfig();
    }
    state.counters["rows"] = w.TblCRData.recordCount();
}

void ReportWrite(benchmark::State& state)
{
    const QString source = reportPath();
    LoadedWizard loaded(source);
    TFrmCReport& w = loaded.wizard;
    w.ReportFile = QDir(BenchSupport::dataFolder("small")).filePath(kWrittenName);
    for (auto _ : state)
        w.WriteTheReportFile(w.TblCRData);
    if (BenchSupport::fileBytes(w.ReportFile) != BenchSupport::fileBytes(source))
        state.SkipWithError("the report written back differs from the one loaded");
}

void ReportReadFloor(benchmark::State& state)
{
    const QString path = reportPath();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = BenchSupport::readWholeFile(path);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

void ReportWriteFloor(benchmark::State& state, bool durable)
{
    const QByteArray bytes = BenchSupport::fileBytes(reportPath());
    const QString target = QDir(BenchSupport::dataFolder("small")).filePath(kWrittenName);
    for (auto _ : state)
        BenchSupport::writeFile(target, bytes, durable);
    state.counters["bytes"] = double(bytes.size());
}

} // namespace

BENCHMARK(ReportLoad)->Name("ReportFile/LoadConfig")->Unit(benchmark::kMillisecond);
BENCHMARK(ReportReadFloor)->Name("ReportFile/PlainRead")->Unit(benchmark::kMillisecond);
BENCHMARK(ReportWrite)->Name("ReportFile/WriteTheReportFile")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReportWriteFloor, PlainWrite, false)
    ->Name("ReportFile/PlainWrite")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReportWriteFloor, PlainWriteFsyncRename, true)
    ->Name("ReportFile/PlainWriteFsyncRename")
    ->Unit(benchmark::kMillisecond);
