// makesample: writes the made-up sample data of the installation.
//
//   makesample --install BINDIR     the whole sample installation in BINDIR
//   makesample DIR                  the data folder only (tables and reports)
//   makesample --contacts N DIR     CONTACT.DB alone with N contacts, for
//                                   measuring large tables
//   makesample --contacts N --unprotected DIR
//                                   the same without password protection, to
//                                   measure what the protection costs
//
// Tables are password-protected like the host's (see SampleData.h).
//
// The output depends on nothing but the arguments: the same build always
// writes the same bytes.

#include "SampleData.h"

#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {
int fail(const QString& message)
{
    std::fprintf(stderr, "makesample: %s\n", qPrintable(message));
    return 1;
}

int usage()
{
    return fail(QStringLiteral("usage: makesample --install BINDIR | makesample DIR | "
                               "makesample --contacts N [--unprotected] DIR"));
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    if (args.size() == 2 && args.at(0) == QLatin1String("--install")) {
        const QString error = SampleData::writeInstallation(args.at(1));
        return error.isEmpty() ? 0 : fail(error);
    }
    const bool unprotected = args.size() == 4 && args.at(2) == QLatin1String("--unprotected");
    if ((args.size() == 3 || unprotected) && args.at(0) == QLatin1String("--contacts")) {
        bool ok = false;
        const int count = args.at(1).toInt(&ok);
        if (!ok || count < 0)
            return fail(QStringLiteral("%1 is not a number of contacts").arg(args.at(1)));
        const QString folder = args.last();
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("the folder %1 cannot be created").arg(folder));
        try {
            SampleData::TableData table = SampleData::contacts(count);
            if (unprotected)
                table.password.clear();
            SampleData::writeTable(folder, table);
        } catch (const DatabaseError& e) {
            return fail(e.message());
        }
        return 0;
    }
    if (args.size() == 1 && !args.at(0).startsWith(QLatin1String("--"))) {
        const QString error = SampleData::writeDataFolder(args.at(0), 300);
        return error.isEmpty() ? 0 : fail(error);
    }
    return usage();
}
