#pragma once

#include "core/preview/ColumnReader.h"
#include "core/store/ReportFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Which rows a report prints, read from the host's tables in the data folder:
//   - a contact-ordered report of contact fields: one record per contact, in
//     the contact table's key order (the order of its data blocks);
//   - a date-ordered report: one record per event of the report's kind, in
//     date and time order, with the fields of its contact;
//   - a contact-ordered report with event fields: each contact in key order,
//     once per event of the kind (in date and time order), or once with the
//     event fields empty when it has none.
// How events meet contacts is found from the tables' own columns (see
// ReportPlan::make); what was assumed is said in ReportPlan::assumptions.

// One field of the report and where its values come from.
struct PreviewField
{
    enum class Source { Contact, Event, Combination, Missing };

    ReportFileField def;
    Source source = Source::Missing;
    int column = -1;   // in its table
    QList<int> parts;  // a combination's contact columns (-1 for one that is missing)
    QStringList joins; // a combination's separator before each part after the first
    FieldType type = FieldType::Alpha;
    bool placed = false; // line and both positions hold usable values
    int width = 0;       // characters (tenths of an inch) from LPosition to RPosition
    SummaryRule allowed; // which summaries the field's type allows
};

// How the rows of a report are read; made from the tables' headers alone.
struct ReportPlan
{
    QString contactPath;
    QString eventPath;
    QStringList passwords;
    ReportFileContent report;
    QList<PreviewField> fields;

    bool contactOrdered = true;
    bool usesEvents = false; // records come from events (or contacts with their events)
    QChar kindCode;          // the kind's letter; null for contact-only reports
    int linkContactColumn = -1;
    int linkEventColumn = -1;
    int kindColumn = -1; // in the event table
    int dateColumn = -1;
    int timeColumn = -1;
    QStringList assumptions; // said in the preview window, one sentence each
    QString error;           // why nothing can be read (a table missing or damaged)

    // Reads the headers of CONTACT.DB and EVENT.DB of the folder (any case
    // of the names) and resolves the report's fields.
    static ReportPlan make(const QString& dataFolder, const ReportFileContent& report,
                           const QStringList& passwords);
    bool linked() const { return linkContactColumn >= 0 && linkEventColumn >= 0; }
};

// One printed record: its contact and its event (either may be NoRecord).
struct RecordRef
{
    RecordLocator contact = NoRecord;
    RecordLocator event = NoRecord;
};

// The fit of one field over all rows.
struct FieldFit
{
    static constexpr int maxCounted = 400; // longer values are counted together

    qint64 values = 0;  // rows with a value
    qint64 tooLong = 0; // of them, longer than the field's column
    int longest = 0;    // characters of the longest value
    QString example;    // that value
    // lengths[n]: values of n characters (the last entry: maxCounted or more),
    // so that the fit of any other width needs no second reading.
    QList<qint64> lengths;

    // Values longer than `width` characters.
    qint64 beyond(int width) const;
};

// What the fit check says about a field of `width` characters: empty when
// every value fits, otherwise how many do not and the longest of them, e.g.
// "1 of 3 values do not fit 10 characters; the longest has 24: Borealis...".
QString fitMessage(const FieldFit& fit, int width);

struct FieldSummary
{
    qint64 count = 0;
    double sum = 0;
    std::optional<double> min;
    std::optional<double> max;
};

struct ScanResult
{
    bool finished = false; // false when cancelled (or failed)
    QString error;
    std::shared_ptr<const std::vector<RecordRef>> records;
    QList<FieldFit> fit;         // per field of the plan
    QList<FieldSummary> summary; // per field of the plan
};

// Reads every row once: the record index, each field's fit and its
// summaries. `progress` gets the share done (0 to 1) now and then and
// returns false to stop; `cancel` stops as well. Runs in any thread: it
// opens readers of its own.
ScanResult scanReport(const ReportPlan& plan, const std::function<bool(double)>& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

// The texts of records for the pages, one QStringList per record with a
// text per field of the plan (uncut, empty for no value).
class RowSource
{
public:
    explicit RowSource(const ReportPlan& plan);
    ~RowSource();

    // Gives the index a scan made. Until then a contact-only report is read
    // straight from the table's start; a report of events has no rows yet.
    void setRecords(std::shared_ptr<const std::vector<RecordRef>> records);
    bool hasIndex() const { return bool(m_records); }
    // Without an index: the header's record count for a contact-only report.
    qint64 recordCount() const;
    bool countKnown() const;

    QList<QStringList> records(qint64 first, int count);

    // The printed value of a field from the two records (either may be
    // null), and the reader whose code page its text is in.
    static FieldValue fieldValue(const PreviewField& field, ColumnReader* contacts,
                                 const char* contact, ColumnReader* events, const char* event,
                                 QByteArray& buffer, QByteArray& partBuffer,
                                 ColumnReader** textReader);

private:
    ReportPlan m_plan;
    std::unique_ptr<ColumnReader> m_contacts;
    std::unique_ptr<ColumnReader> m_events;
    std::shared_ptr<const std::vector<RecordRef>> m_records;
};

// The summaries a field shows, with their labels: (label, value text).
// Summaries its type does not allow are listed with an explanation.
QList<std::pair<QString, QString>> summaryTexts(const PreviewField& field, const FieldSummary& s);
