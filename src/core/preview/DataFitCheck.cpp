#include "core/preview/DataFitCheck.h"

#include "core/store/ReportParser.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

int DataFitReport::misfitCount() const
{
    int n = 0;
    for (const DataFitField& f : fields)
        n += f.width > 0 && f.fit.beyond(f.width) > 0;
    return n;
}

int DataFitResult::exitCode() const
{
    if (!error.isEmpty())
        return 2;
    for (const DataFitReport& r : reports)
        if (!r.error.isEmpty() || r.misfitCount() > 0)
            return 1;
    return 0;
}

DataFitReport DataFitCheck::checkReport(const QString& folder, const QString& path,
                                        const QStringList& passwords)
{
    DataFitReport report;
    report.fileName = QFileInfo(path).fileName();
    const ParsedReport parsed = ReportParser::load(path);
    report.description = parsed.description;
    const std::optional<ReportFileContent> content = parsed.content();
    if (!parsed.ok() || !content) {
        report.error = parsed.ok() ? QStringLiteral("The report's order or kind is unknown.")
                                   : parsed.errorMessage;
        return report;
    }
    const ReportPlan plan = ReportPlan::make(folder, *content, passwords);
    report.assumptions = plan.assumptions;
    const ScanResult scan = scanReport(plan);
    if (!scan.finished) {
        report.error = scan.error;
        return report;
    }
    report.records = scan.records ? qint64(scan.records->size()) : 0;
    for (int i = 0; i < plan.fields.size(); ++i) {
        const PreviewField& f = plan.fields[i];
        report.fields << DataFitField{f.def.field, f.def.header, f.placed ? f.width : 0,
                                      scan.fit.value(i)};
    }
    return report;
}

DataFitResult DataFitCheck::checkFolder(const QString& folder, const QStringList& passwords)
{
    DataFitResult result;
    result.folder = folder;
    const QDir dir(folder);
    if (!dir.exists()) {
        result.error =
            QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    QStringList files;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (name.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
            files << name;
    for (const QString& name : files)
        result.reports << checkReport(folder, dir.filePath(name), passwords);
    return result;
}

QString DataFitCheck::toText(const DataFitResult& result)
{
    QString out;
    if (!result.error.isEmpty())
        return result.error + QLatin1Char('\n');
    out += QStringLiteral("Fit check of %1 against its tables: %2 report%3\n")
               .arg(QDir::toNativeSeparators(result.folder))
               .arg(result.reports.size())
               .arg(result.reports.size() == 1 ? QString() : QStringLiteral("s"));
    for (const DataFitReport& r : result.reports) {
        if (!r.error.isEmpty()) {
            out += QStringLiteral("%1 \"%2\": not checked: %3\n")
                       .arg(r.fileName, r.description, r.error);
            continue;
        }
        const int misfits = r.misfitCount();
        out += QStringLiteral("%1 \"%2\": %3 records, %4\n")
                   .arg(r.fileName, r.description)
                   .arg(r.records)
                   .arg(misfits == 0 ? QStringLiteral("every value fits")
                                     : QStringLiteral("%1 field%2 with values that do not fit")
                                           .arg(misfits)
                                           .arg(misfits == 1 ? QString() : QStringLiteral("s")));
        for (const DataFitField& f : r.fields) {
            const QString message = fitMessage(f.fit, f.width);
            if (!message.isEmpty())
                out += QStringLiteral("  %1: %2\n").arg(f.field, message);
        }
    }
    return out;
}

QByteArray DataFitCheck::toJson(const DataFitResult& result)
{
    QJsonObject root;
    root.insert(QStringLiteral("folder"), QDir::toNativeSeparators(result.folder));
    if (!result.error.isEmpty())
        root.insert(QStringLiteral("error"), result.error);
    QJsonArray reports;
    for (const DataFitReport& r : result.reports) {
        QJsonObject o;
        o.insert(QStringLiteral("file"), r.fileName);
        o.insert(QStringLiteral("description"), r.description);
        if (!r.error.isEmpty()) {
            o.insert(QStringLiteral("error"), r.error);
        } else {
            o.insert(QStringLiteral("records"), double(r.records));
            o.insert(QStringLiteral("assumptions"), QJsonArray::fromStringList(r.assumptions));
            QJsonArray fields;
            for (const DataFitField& f : r.fields) {
                QJsonObject fo;
                fo.insert(QStringLiteral("field"), f.field);
                fo.insert(QStringLiteral("header"), f.header);
                fo.insert(QStringLiteral("width"), f.width);
                fo.insert(QStringLiteral("values"), double(f.fit.values));
                const qint64 beyond = f.width > 0 ? f.fit.beyond(f.width) : 0;
                fo.insert(QStringLiteral("tooLong"), double(beyond));
                if (beyond > 0) {
                    fo.insert(QStringLiteral("longest"), f.fit.longest);
                    fo.insert(QStringLiteral("example"), f.fit.example);
                }
                fields.append(fo);
            }
            o.insert(QStringLiteral("fields"), fields);
            o.insert(QStringLiteral("fits"), r.misfitCount() == 0);
        }
        reports.append(o);
    }
    root.insert(QStringLiteral("reports"), reports);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
