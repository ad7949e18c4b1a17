// tallyvane-check: checks the report files of the shared data folder, or
// lists the fields of the host's tables as the wizard sees them.
//
//   tallyvane-check [--format text|json] [FOLDER]
//   tallyvane-check --fields [--format text|json] [TABLE]
//   tallyvane-check --data [--format text|json] [FOLDER]
//
// Exit code: 0 every report clean, 1 some report has a problem, 2 the check
// could not run. With --data: 0 every value of every report fits its
// column, 1 some do not (or a report could not be checked).

#include "core/app/StartUp.h"
#include "core/preview/DataFitCheck.h"
#include "core/store/FolderCheck.h"
#include "core/wizard/DatabaseAlias.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

void print(FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int fail(const QString& message)
{
    print(stderr, QStringLiteral("tallyvane-check: %1\n").arg(message).toUtf8());
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallyvane-check"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks the report files of a data folder (by default the folder of the "
                       "alias %1) the way the wizard would load and check them.\n"
                       "Exit code: 0 all reports clean, 1 a report has a problem, 2 the check "
                       "could not run.")
            .arg(DatabaseAlias));
    parser.addHelpOption();
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("Output format: text (default) or json."),
                                    QStringLiteral("format"), QStringLiteral("text"));
    const QCommandLineOption fields(
        QStringLiteral("fields"),
        QStringLiteral("List the fields of TABLE (a file, or a table of the alias folder) "
                       "instead; by default CONTACT.DB and EVENT.DB of the alias folder."));
    const QCommandLineOption data(
        QStringLiteral("data"),
        QStringLiteral("Check instead, for every report of FOLDER, which values of the folder's "
                       "CONTACT.DB and EVENT.DB do not fit their columns."));
    parser.addOption(format);
    parser.addOption(fields);
    parser.addOption(data);
    parser.addPositionalArgument(QStringLiteral("FOLDER|TABLE"),
                                 QStringLiteral("The folder to check, or with --fields the table."),
                                 QStringLiteral("[FOLDER|TABLE]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, parser.helpText().toUtf8());
        return 0;
    }
    const QString formatName = parser.value(format);
    if (formatName != QLatin1String("text") && formatName != QLatin1String("json"))
        return fail(QStringLiteral("unknown format \"%1\"; use text or json.").arg(formatName));
    const bool json = formatName == QLatin1String("json");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return fail(QStringLiteral("give one folder or table at most."));

    // The alias folder, when it is needed.
    auto aliasFolder = [](QString* error) {
        return FolderCheck::aliasFolder(DatabaseAlias, error);
    };

    if (parser.isSet(fields)) {
        QList<TableFields> tables;
        QString error;
        if (!positional.isEmpty() && QFileInfo(positional[0]).isFile()) {
            tables << FolderCheck::readFields(positional[0], positional[0]);
        } else {
            const QString folder = aliasFolder(&error);
            if (folder.isEmpty())
                return fail(error);
            const QStringList names =
                positional.isEmpty() ? QStringList{QLatin1String(FolderCheck::contactTableName),
                                                   QLatin1String(FolderCheck::eventTableName)}
                                     : positional;
            for (const QString& name : names)
                tables << FolderCheck::readFields(name, FolderCheck::fileInFolder(folder, name));
        }
        print(stdout, json ? FolderCheck::fieldsToJson(tables)
                           : FolderCheck::fieldsToText(tables).toUtf8());
        for (const TableFields& t : tables) {
            if (!t.error.isEmpty())
                return 2;
        }
        return 0;
    }

    if (parser.isSet(data)) {
        QString folder = positional.value(0);
        if (folder.isEmpty()) {
            QString error;
            folder = aliasFolder(&error);
            if (folder.isEmpty())
                return fail(error);
        }
        const DataFitResult result = DataFitCheck::checkFolder(
            folder, {StartUp::tablePassword(0), StartUp::tablePassword(1)});
        if (!json && !result.error.isEmpty())
            return fail(result.error);
        print(stdout, json ? DataFitCheck::toJson(result) : DataFitCheck::toText(result).toUtf8());
        return result.exitCode();
    }

    QString folder;
    if (!positional.isEmpty()) {
        folder = positional[0];
    } else {
        QString error;
        folder = aliasFolder(&error);
        if (folder.isEmpty()) {
            if (json) {
                FolderCheckResult none;
                none.error = error;
                print(stdout, FolderCheck::toJson(none));
                return 2;
            }
            return fail(error);
        }
    }
    const FolderCheckResult result = FolderCheck::checkFolder(folder);
    if (json) {
        print(stdout, FolderCheck::toJson(result));
    } else if (!result.ran) {
        return fail(result.error);
    } else {
        print(stdout, FolderCheck::toText(result).toUtf8());
    }
    return result.exitCode();
}
