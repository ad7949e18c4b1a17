// Listing 10,000 report files in the selection dialog (opening it: the
// folder listing, the first two lines of every file, the grid and its sort),
// against a plain loop that lists the folder and reads the first two lines of
// each file with POSIX calls.

#include "BenchSupport.h"

#include "core/store/ReportFile.h"
#include "core/store/ReportList.h"
#include "forms/store/Repsel.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTableWidget>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kReports = 10000;

// A folder of 10,000 plausible reports with descriptions in no particular
// order, made once and kept beside the other prepared data.
QString reportFolder()
{
    const QString folder = QDir(BenchSupport::dataRoot()).filePath(QStringLiteral("reports10k"));
    QDir dir(folder);
    if (dir.entryList({QStringLiteral("*.rpt")}, QDir::Files).size() == kReports)
        return folder;
    dir.mkpath(QStringLiteral("."));
    const QStringList words = {QStringLiteral("Weekly"),   QStringLiteral("Sales"),
                               QStringLiteral("Calls"),    QStringLiteral("Regional"),
                               QStringLiteral("Customer"), QStringLiteral("Follow-up"),
                               QStringLiteral("Quarter"),  QStringLiteral("Open"),
                               QStringLiteral("Quotes"),   QStringLiteral("Phone list")};
    QRandomGenerator random(20261207);
    for (int i = 0; i < kReports; ++i) {
        ReportFileContent content;
        content.description = QStringLiteral("%1 %2 %3")
                                  .arg(words.at(random.bounded(int(words.size()))),
                                       words.at(random.bounded(int(words.size()))))
                                  .arg(random.bounded(100000));
        content.order = i % 3 == 0 ? ReportOrder::Calendar : ReportOrder::Contact;
        content.kind = i % 3 == 0 ? InfoKind::Call : InfoKind::Contact;
        content.printableWidth = 75;
        for (const char* name :
             {"Company", "LastName", "FirstName", "Phone1", "City", "State", "Zip", "Memo"}) {
            ReportFileField f;
            f.dbType = 0;
            f.field = QString::fromLatin1(name);
            f.header = f.field;
            f.line = 1;
            f.lPosition = 0;
            f.rPosition = 10;
            f.count = true;
            content.fields << f;
        }
        QFile file(dir.filePath(QStringLiteral("R%1.rpt").arg(i, 5, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(*ReportFile::encode(content));
    }
    return folder;
}

void ReportListDialog(benchmark::State& state)
{
    const QString folder = reportFolder();
    BenchInstallation installation(folder);
    for (auto _ : state) {
        TFrmSelect dialog; // reads the list into its grid on creation
        const auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("grid"));
        if (!grid || grid->rowCount() == 0) {
            state.SkipWithError("the selection dialog listed nothing");
            break;
        }
    }
}

// The listing without the grid: ReportList::list, sort included.
void ReportListCore(benchmark::State& state)
{
    const QString folder = reportFolder();
    qsizetype n = 0;
    for (auto _ : state) {
        n = ReportList::list(folder).size();
        benchmark::DoNotOptimize(n);
    }
    state.counters["reports"] = double(n);
}

// The least the listing could cost: readdir, and for every "*.rpt" entry
// open, read until the second line end, close.
void ReportListFloor(benchmark::State& state)
{
    const QByteArray folder = QFile::encodeName(reportFolder());
    int n = 0;
    for (auto _ : state) {
        n = 0;
        DIR* dir = ::opendir(folder.constData());
        if (!dir) {
            state.SkipWithError("cannot list the folder");
            break;
        }
        const int dirFd = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            const size_t len = std::strlen(entry->d_name);
            if (len < 4 || ::strcasecmp(entry->d_name + len - 4, ".rpt") != 0)
                continue;
            const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            char buffer[256];
            int lineEnds = 0;
            ssize_t got;
            while (lineEnds < 2 && (got = ::read(fd, buffer, sizeof buffer)) > 0) {
                for (ssize_t i = 0; i < got && lineEnds < 2; ++i)
                    lineEnds += buffer[i] == '\n';
            }
            ::close(fd);
            ++n;
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(n);
    }
    state.counters["reports"] = n;
}

} // namespace

BENCHMARK(ReportListDialog)->Name("ReportList/SelectionDialog")->Unit(benchmark::kMillisecond);
BENCHMARK(ReportListCore)->Name("ReportList/ListOnly")->Unit(benchmark::kMillisecond);
BENCHMARK(ReportListFloor)->Name("ReportList/PlainLoop")->Unit(benchmark::kMillisecond);
