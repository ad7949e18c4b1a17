// Peak memory of the preview on a large table: the fit check of every
// column of the data folder's CONTACT.DB, then the first, a middle and the
// last page of it painted. Prints the process's peak resident set size:
//   peak_rss_kb 41234
//   bench_previewmemory DATAFOLDER

#include "PreviewBench.h"

#include "core/app/StartUp.h"
#include "core/preview/PageModel.h"
#include "engine/ParadoxReader.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_previewmemory DATAFOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QStringList passwords{StartUp::tablePassword(0), StartUp::tablePassword(1)};
    const ParadoxReader header(QDir(folder).filePath(QStringLiteral("CONTACT.DB")));
    const ReportPlan plan =
        ReportPlan::make(folder, PreviewBench::everyColumn(header.fields()), passwords);
    const ScanResult scan = scanReport(plan);
    if (!scan.finished) {
        std::fprintf(stderr, "%s\n", qPrintable(scan.error));
        return 1;
    }
    RowSource rows(plan);
    rows.setRecords(scan.records);
    const PageModel model(plan);
    const int pages = model.pageCount(rows.recordCount());
    for (int i : {0, pages / 2, pages - 1}) {
        const QImage image =
            PagePainter::render(model.page(i, rows, rows.recordCount(), &scan), model, 96);
        if (image.isNull())
            return 1;
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("pages %d\nrecords %lld\npeak_rss_kb %ld\n", pages,
                static_cast<long long>(rows.recordCount()), usage.ru_maxrss);
    return 0;
}
