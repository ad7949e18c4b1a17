#pragma once

#include "core/preview/ReportRows.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The fit check of every report file of a data folder against the rows of
// the folder's own CONTACT.DB and EVENT.DB: for each placed field, how many
// values do not fit its column and the longest of them. Used by
// tallyvane-check --data.

struct DataFitField
{
    QString field;
    QString header;
    int width = 0; // characters, 0 when the field has no complete position
    FieldFit fit;
};

struct DataFitReport
{
    QString fileName;
    QString description;
    QString error; // the file or the tables could not be read
    qint64 records = 0;
    QStringList assumptions;
    QList<DataFitField> fields;

    // Fields with values that do not fit.
    int misfitCount() const;
};

struct DataFitResult
{
    QString folder;
    QString error; // the folder could not be read
    QList<DataFitReport> reports;

    // 0 every value of every report fits, 1 some does not (or a report
    // could not be checked), 2 the check could not run.
    int exitCode() const;
};

class DataFitCheck
{
public:
    static DataFitResult checkFolder(const QString& folder, const QStringList& passwords);
    static DataFitReport checkReport(const QString& folder, const QString& path,
                                     const QStringList& passwords);
    static QString toText(const DataFitResult& result);
    static QByteArray toJson(const DataFitResult& result);
};
