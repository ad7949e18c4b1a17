#include "core/preview/ReportRows.h"

#include "core/catalogue/EventFields.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTime>

#include <cmath>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

QString fileInFolder(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    const QString plain = dir.filePath(name);
    if (QFileInfo::exists(plain))
        return plain;
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return plain;
}

struct Combination
{
    const char* name;
    QStringList parts;
    QStringList joins;
};

const QList<Combination>& combinations()
{
    static const QList<Combination> list = {
        {"salutfirstlast",
         {QStringLiteral("Salutation"), QStringLiteral("FirstName"), QStringLiteral("LastName")},
         {QStringLiteral(" "), QStringLiteral(" ")}},
        {"firstlast",
         {QStringLiteral("FirstName"), QStringLiteral("LastName")},
         {QStringLiteral(" ")}},
        {"citystatezip",
         {QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("ZipCode")},
         {QStringLiteral(", "), QStringLiteral(" ")}},
    };
    return list;
}

// Another spelling a host's table may use for a combination's column.
int findPart(const QList<FieldDef>& fields, const QString& name)
{
    QStringList names{name};
    if (name == QLatin1String("ZipCode"))
        names << QStringLiteral("Zip") << QStringLiteral("PostalCode")
              << QStringLiteral("PostCode");
    if (name == QLatin1String("FirstName"))
        names << QStringLiteral("First");
    if (name == QLatin1String("LastName"))
        names << QStringLiteral("Last");
    for (const QString& n : names)
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(n, Qt::CaseInsensitive) == 0)
                return i;
    return -1;
}

int findColumn(const QList<FieldDef>& fields, const QString& name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name == name)
            return i;
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int firstOfType(const QList<FieldDef>& fields, FieldType type)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].type == type)
            return i;
    return -1;
}

bool comparableLink(FieldType a, FieldType b)
{
    auto isInt = [](FieldType t) {
        return t == FieldType::Short || t == FieldType::Long || t == FieldType::AutoInc;
    };
    return a == b || (isInt(a) && isInt(b)) || (a == FieldType::Alpha && b == FieldType::Alpha);
}

// The link between the tables: a column of the contact table that the event
// table has too (same name, any case, comparable type). The contact table's
// key columns come first, then names ending in "ID", then any other; the
// event table's own key column (its event number) is no link.
void findLink(ReportPlan& plan, const QList<FieldDef>& contacts, int contactKeys,
              const QList<FieldDef>& events, int eventKeys)
{
    int best = -1, bestScore = -1, bestEvent = -1;
    for (int c = 0; c < contacts.size(); ++c) {
        if (ParadoxFormat::isBlobType(contacts[c].type) || contacts[c].type == FieldType::Logical)
            continue;
        for (int e = 0; e < events.size(); ++e) {
            if (e < eventKeys && !(c < contactKeys))
                continue;
            if (contacts[c].name.compare(events[e].name, Qt::CaseInsensitive) != 0 ||
                !comparableLink(contacts[c].type, events[e].type))
                continue;
            int score = 1;
            if (contacts[c].name.endsWith(QLatin1String("id"), Qt::CaseInsensitive))
                score = 2;
            if (c < contactKeys)
                score = 3;
            if (score > bestScore) {
                best = c;
                bestEvent = e;
                bestScore = score;
            }
        }
    }
    plan.linkContactColumn = best;
    plan.linkEventColumn = bestEvent;
}

} // namespace

ReportPlan ReportPlan::make(const QString& dataFolder, const ReportFileContent& report,
                            const QStringList& passwords)
{
    ReportPlan plan;
    plan.report = report;
    plan.passwords = passwords;
    plan.contactPath = fileInFolder(dataFolder, QStringLiteral("CONTACT.DB"));
    plan.eventPath = fileInFolder(dataFolder, QStringLiteral("EVENT.DB"));
    plan.contactOrdered = report.order == ReportOrder::Contact;

    QList<FieldDef> contactFields, eventFields;
    int contactKeys = 0, eventKeys = 0;
    try {
        ColumnReader contacts(plan.contactPath, passwords);
        contactFields = contacts.fields();
        contactKeys = contacts.keyFieldCount();
    } catch (const DatabaseError& e) {
        plan.error = e.message();
        return plan;
    }
    const QString kind = eventKeywordOf(report.kind);
    bool hasEventFields = false;
    for (const ReportFileField& f : report.fields)
        hasEventFields = hasEventFields || f.dbType.value_or(0) == 1;
    plan.usesEvents = !plan.contactOrdered || (hasEventFields && !kind.isEmpty());
    if (plan.usesEvents || hasEventFields) {
        try {
            ColumnReader events(plan.eventPath, passwords);
            eventFields = events.fields();
            eventKeys = events.keyFieldCount();
        } catch (const DatabaseError& e) {
            if (plan.usesEvents) {
                plan.error = e.message();
                return plan;
            }
            plan.assumptions << QStringLiteral("The event table cannot be read (%1); event fields "
                                               "are left empty.")
                                    .arg(e.message());
        }
    }

    for (const ReportFileField& def : report.fields) {
        PreviewField f;
        f.def = def;
        f.placed = def.line && def.lPosition && def.rPosition && *def.line >= 1 &&
                   *def.lPosition >= 1 && *def.rPosition >= *def.lPosition;
        f.width = f.placed ? *def.rPosition - *def.lPosition + 1 : 0;
        const QString lower = def.field.toLower();
        const auto combo =
            std::find_if(combinations().begin(), combinations().end(),
                         [&](const Combination& c) { return lower == QLatin1String(c.name); });
        if (def.dbType.value_or(0) == 1) {
            f.column = findColumn(eventFields, def.field);
            if (f.column < 0)
                f.column = findColumn(eventFields, CaptionToField(kind, def.field));
            if (f.column >= 0) {
                f.source = PreviewField::Source::Event;
                f.type = eventFields[f.column].type;
            }
        } else if (combo != combinations().end() && findColumn(contactFields, def.field) < 0) {
            f.source = PreviewField::Source::Combination;
            for (const QString& part : combo->parts)
                f.parts << findPart(contactFields, part);
            f.joins = combo->joins;
            f.type = FieldType::Alpha;
        } else {
            f.column = findColumn(contactFields, def.field);
            if (f.column >= 0) {
                f.source = PreviewField::Source::Contact;
                f.type = contactFields[f.column].type;
            }
        }
        if (f.source == PreviewField::Source::Missing)
            plan.assumptions << QStringLiteral(
                                    "The field %1 is in neither table; it is shown empty.")
                                    .arg(def.field);
        else if (!f.placed)
            plan.assumptions << QStringLiteral(
                                    "The field %1 has no complete line and positions; it "
                                    "is not printed.")
                                    .arg(def.field);
        f.allowed = f.source == PreviewField::Source::Missing ? SummaryRule{}
                                                              : SummaryRule::forType(f.type);
        plan.fields << f;
    }

    if (!plan.usesEvents) {
        if (hasEventFields)
            plan.assumptions << QStringLiteral(
                "The report has no event kind; its event fields are left empty.");
        plan.assumptions << QStringLiteral("One record per contact, in the order of the contact "
                                           "table's key.");
        return plan;
    }

    const EventKindInfo* info = eventKindInfo(kind);
    plan.kindCode = info ? info->code : QChar(u'E');
    plan.kindColumn = findColumn(eventFields, QStringLiteral("Kind"));
    plan.dateColumn = findColumn(eventFields, QStringLiteral("EventDate"));
    if (plan.dateColumn < 0)
        plan.dateColumn = firstOfType(eventFields, FieldType::Date);
    plan.timeColumn = findColumn(eventFields, QStringLiteral("EventTime"));
    if (plan.timeColumn < 0)
        plan.timeColumn = firstOfType(eventFields, FieldType::Time);
    findLink(plan, contactFields, contactKeys, eventFields, eventKeys);

    if (plan.kindColumn >= 0)
        plan.assumptions << QStringLiteral("Events of this report: those whose %1 is \"%2\".")
                                .arg(eventFields[plan.kindColumn].name, QString(plan.kindCode));
    else
        plan.assumptions << QStringLiteral("The event table has no Kind column: every event is "
                                           "taken as one of this report's kind.");
    if (plan.linked())
        plan.assumptions << QStringLiteral("Events are linked to contacts by %1.")
                                .arg(contactFields[plan.linkContactColumn].name);
    else
        plan.assumptions << QStringLiteral("No column links events to contacts: the event "
                                           "fields are shown alone.");
    const QString dateName = plan.dateColumn >= 0 ? eventFields[plan.dateColumn].name : QString();
    const QString timeName = plan.timeColumn >= 0 ? eventFields[plan.timeColumn].name : QString();
    const QString when = dateName.isEmpty()   ? QStringLiteral("table order")
                         : timeName.isEmpty() ? dateName
                                              : QStringLiteral("%1 and %2").arg(dateName, timeName);
    if (plan.contactOrdered && plan.linked())
        plan.assumptions << QStringLiteral("Each contact in key order, once per event (by %1), "
                                           "or once with empty event fields.")
                                .arg(when);
    else if (plan.contactOrdered)
        plan.assumptions << QStringLiteral("One record per contact, in key order.");
    else
        plan.assumptions << QStringLiteral("One record per event, ordered by %1.").arg(when);
    if (!plan.linked() && plan.contactOrdered)
        plan.usesEvents = false;
    return plan;
}

// ---- Values -----------------------------------------------------------------

FieldValue RowSource::fieldValue(const PreviewField& field, ColumnReader* contacts,
                                 const char* contact, ColumnReader* events, const char* event,
                                 QByteArray& buffer, QByteArray& partBuffer,
                                 ColumnReader** textReader)
{
    *textReader = contacts;
    switch (field.source) {
    case PreviewField::Source::Contact:
        return contacts->value(contact, field.column, buffer);
    case PreviewField::Source::Event:
        *textReader = events;
        if (!events)
            return {};
        return events->value(event, field.column, buffer);
    case PreviewField::Source::Combination: {
        if (!contact)
            return {};
        buffer.clear();
        for (int i = 0; i < field.parts.size(); ++i) {
            const FieldValue part = contacts->value(contact, field.parts[i], partBuffer);
            if (part.empty)
                continue;
            if (!buffer.isEmpty())
                buffer += field.joins.value(i - 1).toLatin1();
            buffer.append(part.bytes, part.length);
        }
        FieldValue v;
        v.empty = buffer.isEmpty();
        v.bytes = buffer.constData();
        v.length = int(buffer.size());
        v.codePageText = true;
        return v;
    }
    case PreviewField::Source::Missing:
        break;
    }
    return {};
}

// ---- The scan ---------------------------------------------------------------

namespace {

struct EventEntry
{
    QByteArray key; // the link column's bytes
    qint64 day = 0;
    qint64 ms = 0;
    RecordLocator where = NoRecord;
    int sequence = 0;
    RecordLocator contact = NoRecord;
};

// The link column's value as bytes that compare equal for equal values.
QByteArray linkKey(ColumnReader& reader, const char* record, int column)
{
    QByteArray buffer;
    const FieldValue v = reader.value(record, column, buffer);
    return v.empty ? QByteArray() : QByteArray(v.bytes, v.length).toUpper();
}

class Accumulator
{
public:
    // Sizes the result's lists, which the accumulators fill in deliver().
    static void prepare(const ReportPlan& plan, ScanResult& result)
    {
        result.fit.resize(plan.fields.size());
        result.summary.resize(plan.fields.size());
    }

    // Counts the fields marked in `mine` only, so that two accumulators
    // (one on a thread of its own) can share the fields of one scan. Each
    // counts into lists of its own, so that two threads never write to
    // neighbouring counters.
    Accumulator(const ReportPlan& plan, ScanResult& result, const std::vector<bool>& mine)
        : m_plan(plan), m_result(result), m_mine(mine), m_fit(size_t(plan.fields.size())),
          m_summary(size_t(plan.fields.size()))
    {
        for (size_t i = 0; i < m_fit.size(); ++i) {
            if (mine[i])
                m_fit[i].lengths.resize(FieldFit::maxCounted + 1);
            // A plain pointer for the per-value work: the list is not
            // resized while the rows are read.
            m_lengths.push_back(m_fit[i].lengths.data());
        }
        // The fields by where their values come from: a column of the
        // contact or the event table is measured with its neighbours in one
        // call, a combination is put together.
        for (int i = 0; i < plan.fields.size(); ++i) {
            const PreviewField& f = plan.fields[i];
            if (!mine[size_t(i)])
                continue;
            switch (f.source) {
            case PreviewField::Source::Contact:
                m_contactColumns.add(i, f.column);
                break;
            case PreviewField::Source::Event:
                m_eventColumns.add(i, f.column);
                break;
            case PreviewField::Source::Combination:
                m_combinations.push_back(i);
                break;
            case PreviewField::Source::Missing:
                break;
            }
        }
    }

    // Moves the counts of this accumulator's fields into the result; once
    // its rows are all counted, on the thread that owns the result.
    void deliver()
    {
        for (size_t i = 0; i < m_fit.size(); ++i) {
            if (!m_mine[i])
                continue;
            m_result.fit[qsizetype(i)] = std::move(m_fit[i]);
            m_result.summary[qsizetype(i)] = m_summary[i];
        }
    }

    static void finish(const ReportPlan& plan, ScanResult& result)
    {
        for (int i = 0; i < plan.fields.size(); ++i)
            if (plan.fields[i].placed)
                result.fit[i].tooLong = result.fit[i].beyond(plan.fields[i].width);
    }

    // Adds the fields of one source (contact or event fields) of a record,
    // counted `weight` times.
    void add(ColumnReader* contacts, const char* contact, ColumnReader* events, const char* event,
             bool eventFields, qint64 weight)
    {
        // The length alone where the type gives it; the text only for a new
        // longest value.
        Columns& direct = eventFields ? m_eventColumns : m_contactColumns;
        ColumnReader* reader = eventFields ? events : contacts;
        const char* record = eventFields ? event : contact;
        if (reader && record && !direct.fields.empty()) {
            reader->measure(record, direct.columns.data(), int(direct.columns.size()),
                            direct.lengths.data(), direct.numbers.data(), m_buffer);
            for (size_t k = 0; k < direct.fields.size(); ++k)
                if (direct.lengths[k] > 0)
                    count(direct.fields[k], direct.lengths[k], direct.numbers[k], contacts, contact,
                          events, event, weight);
        }
        if (eventFields)
            return;
        for (int i : m_combinations) {
            ColumnReader* textReader = nullptr;
            const FieldValue v = RowSource::fieldValue(m_plan.fields[i], contacts, contact, events,
                                                       event, m_buffer, m_partBuffer, &textReader);
            const int n = v.empty ? 0 : textReader->characters(v);
            if (n > 0)
                count(i, n, v.number, contacts, contact, events, event, weight);
        }
    }

private:
    // The direct columns of one table: the fields they are, their columns,
    // and room for one record's lengths and numbers.
    struct Columns
    {
        std::vector<int> fields;
        std::vector<int> columns;
        std::vector<int> lengths;
        std::vector<double> numbers;
        void add(int field, int column)
        {
            fields.push_back(field);
            columns.push_back(column);
            lengths.push_back(0);
            numbers.push_back(0);
        }
    };

    // Counts a value of `n` characters (and its number) of field i.
    void count(int i, int n, double number, ColumnReader* contacts, const char* contact,
               ColumnReader* events, const char* event, qint64 weight)
    {
        FieldFit& fit = m_fit[size_t(i)];
        fit.values += weight;
        m_lengths[size_t(i)][qMin(n, FieldFit::maxCounted)] += weight;
        const PreviewField& f = m_plan.fields[i];
        if (n > fit.longest) {
            ColumnReader* textReader = nullptr;
            const FieldValue v = RowSource::fieldValue(f, contacts, contact, events, event,
                                                       m_buffer, m_partBuffer, &textReader);
            fit.longest = n;
            fit.example = textReader ? textReader->text(v) : QString();
        }
        FieldSummary& s = m_summary[size_t(i)];
        s.count += weight;
        if (f.allowed.total || f.allowed.min) {
            s.sum += number * double(weight);
            if (!s.min || number < *s.min)
                s.min = number;
            if (!s.max || number > *s.max)
                s.max = number;
        }
    }

    const ReportPlan& m_plan;
    ScanResult& m_result;
    std::vector<bool> m_mine;
    std::vector<FieldFit> m_fit;
    std::vector<FieldSummary> m_summary;
    std::vector<qint64*> m_lengths;
    Columns m_contactColumns;
    Columns m_eventColumns;
    std::vector<int> m_combinations;
    QByteArray m_buffer;
    QByteArray m_partBuffer;
};

// What measuring a field costs per record, roughly, in units of an alpha
// field's length; and what reading and unscrambling a record costs.
int fieldCost(const PreviewField& f, const ColumnReader& contacts)
{
    if (f.source == PreviewField::Source::Combination)
        return 2 + 2 * int(f.parts.size());
    switch (contacts.type(f.column)) {
    case FieldType::Alpha:
        return 1;
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return 55;
    default:
        return 2;
    }
}

// Which fields the side thread measures: contact fields and combinations,
// shared out so that both threads carry about the same load, the reading
// thread's own reading counted in. Event fields stay with the reading
// thread, which reads the events.
std::vector<bool> sideFields(const ReportPlan& plan, const ColumnReader& contacts)
{
    std::vector<std::pair<int, int>> costs; // (cost, field)
    for (int i = 0; i < plan.fields.size(); ++i) {
        const PreviewField& f = plan.fields[i];
        if (f.source == PreviewField::Source::Contact ||
            f.source == PreviewField::Source::Combination)
            costs.emplace_back(fieldCost(f, contacts), i);
    }
    std::stable_sort(costs.begin(), costs.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    int reading = contacts.recordSize() / (contacts.encrypted() ? 16 : 48);
    int side = 0;
    std::vector<bool> result(size_t(plan.fields.size()), false);
    for (const auto& [cost, field] : costs) {
        if (side <= reading) {
            result[size_t(field)] = true;
            side += cost;
        } else {
            reading += cost;
        }
    }
    return result;
}

// A second thread that measures some of the contact fields while the scan's
// own thread reads and unscrambles the blocks and measures the rest. Each
// field is measured by one thread alone, in record order, so the result is
// what one thread would find. The blocks are handed on as they were read
// (shared, not copied); the side thread has a reader of its own for the
// memo file and the code page.
class SideScan
{
public:
    SideScan(const ReportPlan& plan, ScanResult& result, const std::vector<bool>& fields,
             int recordSize)
        : m_plan(plan), m_acc(plan, result, fields), m_recordSize(recordSize)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~SideScan()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_ready.notify_all();
        m_room.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    SideScan(const SideScan&) = delete;
    SideScan& operator=(const SideScan&) = delete;

    // A block of contacts: each record counted weights[slot] times (0: not
    // at all), or once each when weights is empty. False once the side
    // thread has failed.
    bool add(const QByteArray& block, int count, std::vector<qint64> weights = {})
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_queue.size() < MaxQueued || m_stop || m_failed; });
        if (m_failed || m_stop)
            return !m_failed;
        m_queue.push_back({block, count, std::move(weights)});
        lock.unlock();
        m_ready.notify_one();
        return true;
    }

    // Waits until every block handed on is measured; throws the
    // DatabaseError the side thread met.
    void finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_ready.notify_all();
        m_thread.join();
        if (m_failed)
            throw DatabaseError(m_error);
        m_acc.deliver();
    }

private:
    struct Batch
    {
        QByteArray block;
        int count = 0;
        std::vector<qint64> weights;
    };
    static constexpr size_t MaxQueued = 64;

    void run()
    {
        try {
            ColumnReader contacts(m_plan.contactPath, m_plan.passwords);
            // The file was opened twice; a table changed in between has
            // records of another shape.
            if (contacts.recordSize() != m_recordSize)
                throw DatabaseError(
                    QStringLiteral("%1 changed while it was read.")
                        .arg(QDir::toNativeSeparators(QFileInfo(m_plan.contactPath).fileName())));
            for (;;) {
                Batch batch;
                {
                    std::unique_lock lock(m_mutex);
                    m_ready.wait(lock, [this] { return !m_queue.empty() || m_closed || m_stop; });
                    if (m_stop || m_queue.empty())
                        return;
                    batch = std::move(m_queue.front());
                    m_queue.pop_front();
                }
                m_room.notify_one();
                for (int r = 0; r < batch.count; ++r) {
                    const qint64 weight = batch.weights.empty() ? 1 : batch.weights[size_t(r)];
                    if (weight > 0)
                        m_acc.add(&contacts, contacts.inBlock(batch.block, r), nullptr, nullptr,
                                  false, weight);
                }
            }
        } catch (const DatabaseError& e) {
            fail(e.message());
        } catch (const std::exception& e) {
            fail(QString::fromLocal8Bit(e.what()));
        }
    }

    void fail(const QString& message)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_failed = true;
            m_error = message;
        }
        m_room.notify_all();
    }

    const ReportPlan& m_plan;
    Accumulator m_acc;
    const int m_recordSize;
    std::mutex m_mutex;
    std::condition_variable m_ready; // a block is queued, or the scan is over
    std::condition_variable m_room;  // the queue has room, or the side thread failed
    std::deque<Batch> m_queue;
    bool m_closed = false;
    bool m_stop = false;
    bool m_failed = false;
    QString m_error;
    std::thread m_thread;
};

} // namespace

ScanResult scanReport(const ReportPlan& plan, const std::function<bool(double)>& progress,
                      const std::atomic<bool>* cancel)
{
    ScanResult result;
    if (!plan.error.isEmpty()) {
        result.error = plan.error;
        return result;
    }
    auto records = std::make_shared<std::vector<RecordRef>>();
    Accumulator::prepare(plan, result);
    bool stopped = false;
    qint64 seen = 0;
    // Called once per record read; false stops the reading.
    auto tick = [&](double share) {
        if ((++seen & 1023) != 0)
            return true;
        if ((cancel && cancel->load(std::memory_order_relaxed)) ||
            (progress && (seen & 4095) == 0 && !progress(qBound(0.0, share, 1.0))))
            stopped = true;
        return !stopped;
    };

    try {
        ColumnReader contacts(plan.contactPath, plan.passwords);
        const double contactTotal = double(qMax<qint64>(1, contacts.recordCountHint()));
        std::unique_ptr<ColumnReader> events;
        bool hasEventSource = false;
        for (const PreviewField& f : plan.fields)
            hasEventSource = hasEventSource || f.source == PreviewField::Source::Event;
        if (plan.usesEvents || (hasEventSource && QFileInfo::exists(plan.eventPath))) {
            try {
                events = std::make_unique<ColumnReader>(plan.eventPath, plan.passwords);
            } catch (const DatabaseError&) {
                if (plan.usesEvents)
                    throw;
            }
        }

        // The contact fields are shared with a side thread (see SideScan).
        const std::vector<bool> sideMask = sideFields(plan, contacts);
        std::vector<bool> mainMask(sideMask.size());
        for (size_t i = 0; i < sideMask.size(); ++i)
            mainMask[i] = !sideMask[i];
        Accumulator acc(plan, result, mainMask);
        std::optional<SideScan> side;
        if (std::find(sideMask.begin(), sideMask.end(), true) != sideMask.end())
            side.emplace(plan, result, sideMask, contacts.recordSize());

        if (!plan.usesEvents) {
            records->reserve(size_t(qMax<qint64>(0, contacts.recordCountHint())));
            qint64 n = 0;
            contacts.forEachBlock([&](const QByteArray& block, int number, int count) {
                if (side && !side->add(block, count))
                    return false; // its error is thrown below
                for (int r = 0; r < count; ++r) {
                    const char* rec = contacts.inBlock(block, r);
                    records->push_back({packLocator(number, r), NoRecord});
                    acc.add(&contacts, rec, events.get(), nullptr, false, 1);
                    if (!tick(double(++n) / contactTotal))
                        return false;
                }
                return true;
            });
        } else {
            // The events of the report's kind, with their link and time.
            std::vector<EventEntry> list;
            const double eventTotal = double(qMax<qint64>(1, events->recordCountHint()));
            const double eventShare =
                eventTotal / (eventTotal + (plan.linked() ? contactTotal : 0.0));
            QByteArray buffer;
            qint64 n = 0;
            events->forEach([&](const char* rec, RecordLocator where) {
                ++n;
                if (plan.kindColumn >= 0) {
                    const FieldValue k = events->value(rec, plan.kindColumn, buffer);
                    if (k.empty || QChar(QLatin1Char(k.bytes[0])).toUpper() != plan.kindCode)
                        return tick(eventShare * double(n) / eventTotal);
                }
                EventEntry e;
                if (plan.linked())
                    e.key = linkKey(*events, rec, plan.linkEventColumn);
                if (plan.dateColumn >= 0)
                    e.day = qint64(events->value(rec, plan.dateColumn, buffer).number);
                if (plan.timeColumn >= 0)
                    e.ms = qint64(events->value(rec, plan.timeColumn, buffer).number);
                e.where = where;
                e.sequence = int(list.size());
                list.push_back(std::move(e));
                return tick(eventShare * double(n) / eventTotal);
            });
            std::sort(list.begin(), list.end(), [](const EventEntry& a, const EventEntry& b) {
                if (a.day != b.day)
                    return a.day < b.day;
                if (a.ms != b.ms)
                    return a.ms < b.ms;
                return a.sequence < b.sequence;
            });
            std::vector<bool> printed(list.size(), !plan.contactOrdered);
            if (!stopped && plan.linked()) {
                QHash<QByteArray, QList<int>> byKey; // events of each contact, in time order
                for (int i = 0; i < int(list.size()); ++i)
                    if (!list[size_t(i)].key.isEmpty())
                        byKey[list[size_t(i)].key] << i;
                qint64 c = 0;
                contacts.forEachBlock([&](const QByteArray& block, int number, int blockCount) {
                    // How often each contact of the block is printed.
                    std::vector<qint64> weights(size_t(blockCount), 0);
                    for (int r = 0; r < blockCount; ++r) {
                        const char* rec = contacts.inBlock(block, r);
                        const RecordLocator where = packLocator(number, r);
                        const auto it = byKey.find(linkKey(contacts, rec, plan.linkContactColumn));
                        qint64 count = 0;
                        if (it != byKey.end()) {
                            count = it->size();
                            for (int i : *it) {
                                list[size_t(i)].contact = where;
                                if (plan.contactOrdered) {
                                    records->push_back({where, list[size_t(i)].where});
                                    printed[size_t(i)] = true;
                                }
                            }
                            byKey.erase(it); // a second contact of the same key gets no events
                        }
                        if (plan.contactOrdered && count == 0)
                            records->push_back({where, NoRecord});
                        const qint64 weight = plan.contactOrdered ? qMax<qint64>(1, count) : count;
                        weights[size_t(r)] = weight;
                        if (weight > 0)
                            acc.add(&contacts, rec, events.get(), nullptr, false, weight);
                        if (!tick(eventShare + (1 - eventShare) * double(++c) / contactTotal))
                            return false;
                    }
                    return !side || side->add(block, blockCount, std::move(weights));
                });
            }
            if (!stopped && !plan.contactOrdered) {
                records->reserve(list.size());
                for (const EventEntry& e : list)
                    records->push_back({e.contact, e.where});
            }
            // The event fields of the events printed, read in file order.
            if (!stopped) {
                std::vector<RecordLocator> order;
                for (size_t i = 0; i < list.size(); ++i)
                    if (printed[i])
                        order.push_back(list[i].where);
                std::sort(order.begin(), order.end());
                for (RecordLocator where : order)
                    acc.add(&contacts, nullptr, events.get(), events->record(where), true, 1);
            }
        }
        if (side && !stopped)
            side->finish();
        acc.deliver();
    } catch (const DatabaseError& e) {
        result.error = e.message();
        return result;
    }
    if (stopped)
        return result;
    if (progress)
        progress(1.0);
    Accumulator::finish(plan, result);
    result.records = std::move(records);
    result.finished = true;
    return result;
}

qint64 FieldFit::beyond(int width) const
{
    qint64 n = 0;
    for (int len = qMax(0, width + 1); len < lengths.size(); ++len)
        n += lengths[len];
    return n;
}

QString fitMessage(const FieldFit& fit, int width)
{
    const qint64 n = fit.beyond(width);
    if (n == 0 || width <= 0)
        return QString();
    QString example = fit.example;
    if (example.size() > 60)
        example = example.left(57) + QStringLiteral("...");
    return QStringLiteral("%1 of %2 values do not fit %3 characters; the longest has %4: %5")
        .arg(n)
        .arg(fit.values)
        .arg(width)
        .arg(fit.longest)
        .arg(example);
}

// ---- Rows for the pages -----------------------------------------------------

RowSource::RowSource(const ReportPlan& plan) : m_plan(plan)
{
    if (!plan.error.isEmpty())
        return;
    try {
        m_contacts = std::make_unique<ColumnReader>(plan.contactPath, plan.passwords);
    } catch (const DatabaseError&) {
    }
    try {
        if (QFileInfo::exists(plan.eventPath))
            m_events = std::make_unique<ColumnReader>(plan.eventPath, plan.passwords);
    } catch (const DatabaseError&) {
    }
}

RowSource::~RowSource() = default;

void RowSource::setRecords(std::shared_ptr<const std::vector<RecordRef>> records)
{
    m_records = std::move(records);
}

qint64 RowSource::recordCount() const
{
    if (m_records)
        return qint64(m_records->size());
    if (!m_plan.usesEvents && m_contacts)
        return m_contacts->recordCountHint();
    return 0;
}

bool RowSource::countKnown() const { return bool(m_records); }

QList<QStringList> RowSource::records(qint64 first, int count)
{
    QList<QStringList> out;
    if (!m_contacts || count <= 0 || first < 0)
        return out;
    QByteArray buffer, partBuffer;
    auto texts = [&](const char* contact, const char* event) {
        QStringList row;
        for (const PreviewField& f : m_plan.fields) {
            ColumnReader* reader = nullptr;
            const FieldValue v = fieldValue(f, m_contacts.get(), contact, m_events.get(), event,
                                            buffer, partBuffer, &reader);
            row << (v.empty || !reader ? QString() : reader->text(v));
        }
        return row;
    };
    if (m_records) {
        for (qint64 i = first; i < qint64(m_records->size()) && out.size() < count; ++i) {
            const RecordRef& r = (*m_records)[size_t(i)];
            // Each reader keeps its own block, so both records stay valid.
            const char* event =
                m_events && r.event != NoRecord ? m_events->record(r.event) : nullptr;
            out << texts(m_contacts->record(r.contact), event);
        }
        return out;
    }
    if (m_plan.usesEvents)
        return out;
    qint64 n = 0;
    m_contacts->forEach([&](const char* rec, RecordLocator) {
        if (n++ >= first)
            out << texts(rec, nullptr);
        return out.size() < count;
    });
    return out;
}

// ---- Summaries --------------------------------------------------------------

namespace {

QString numberText(FieldType type, double v, bool average)
{
    switch (type) {
    case FieldType::Date: {
        const QDate d = ParadoxFormat::dateFromDayNumber(qint64(std::llround(v)));
        return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : QString();
    }
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(int(v)).toString(
            int(v) % 60000 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    case FieldType::Timestamp: {
        const qint64 days = qint64(std::floor(v / 86400000.0));
        const QDate d = ParadoxFormat::dateFromDayNumber(days);
        const QTime t = QTime::fromMSecsSinceStartOfDay(int(v - double(days) * 86400000.0));
        return d.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char(' ') +
               t.toString(QStringLiteral("HH:mm"));
    }
    case FieldType::Money:
        return QString::number(v, 'f', 2);
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return average ? QString::number(v, 'f', 2) : QString::number(qint64(std::llround(v)));
    default:
        return QString::number(v, 'g', 15);
    }
}

} // namespace

QList<std::pair<QString, QString>> summaryTexts(const PreviewField& field, const FieldSummary& s)
{
    QList<std::pair<QString, QString>> out;
    const ReportFileField& d = field.def;
    const SummaryRule& a = field.allowed;
    const QString notHere = QStringLiteral("not for this type");
    const bool none = s.count == 0;
    if (d.total)
        out.append(
            {QStringLiteral("Total"), a.total ? numberText(field.type, s.sum, false) : notHere});
    if (d.count)
        out.append({QStringLiteral("Count"), a.count ? QString::number(s.count) : notHere});
    if (d.average)
        out.append({QStringLiteral("Average"),
                    !a.average ? notHere
                    : none     ? QStringLiteral("no values")
                               : numberText(field.type, s.sum / double(s.count), true)});
    if (d.min)
        out.append({QStringLiteral("Min"), !a.min   ? notHere
                                           : !s.min ? QStringLiteral("no values")
                                                    : numberText(field.type, *s.min, false)});
    if (d.max)
        out.append({QStringLiteral("Max"), !a.max   ? notHere
                                           : !s.max ? QStringLiteral("no values")
                                                    : numberText(field.type, *s.max, false)});
    return out;
}
