// Peak memory of the wizard with a large contact table: the program's
// start-up steps on an installation whose CONTACT.DB is the one given, the
// wizard shown, then the road of a new report to the field selection page
// (which opens the contact table and fills the pick lists). Prints the peak
// resident set size of the process:
//   bench_wizardmemory DATAFOLDER
//   peak_rss_kb 41234

#include "BenchSupport.h"
#include "BenchWizard.h"

#include <QApplication>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_wizardmemory DATAFOLDER\n");
        return 2;
    }
    {
        BenchInstallation installation(QString::fromLocal8Bit(argv[1]));
        TFrmCReport wizard;
        showWizard(wizard);
        try {
            walkToFieldSelection(wizard);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        QCoreApplication::processEvents();
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_rss_kb %ld\n", usage.ru_maxrss);
    return 0;
}
