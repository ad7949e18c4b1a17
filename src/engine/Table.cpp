#include "engine/Table.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "engine/Paths.h"
#include "engine/TableLock.h"
#include "engine/TableState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace {

const int kShortMin = -32767; // -32768 is how the file marks an empty short
const int kShortMax = 32767;

QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

bool isTextType(FieldType t)
{
    return t == FieldType::Alpha || t == FieldType::Memo || t == FieldType::FmtMemo;
}

bool isIntegerType(FieldType t)
{
    return t == FieldType::Short || t == FieldType::Long || t == FieldType::AutoInc;
}

bool isFloatType(FieldType t) { return t == FieldType::Number || t == FieldType::Money; }

bool isBinaryType(FieldType t)
{
    return t == FieldType::Bytes || t == FieldType::Blob || t == FieldType::Graphic ||
           t == FieldType::Ole;
}

// -1, 0 or 1 as `x` comes before, with or after `y`.
template <typename T>
int threeWay(const T& x, const T& y)
{
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Orders two stored values: empty first, then by the value's own order.
int compareValues(const QVariant& a, const QVariant& b, bool caseInsensitive)
{
    const bool an = a.isNull();
    const bool bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (a.typeId()) {
    case QMetaType::QString:
        return QString::compare(a.toString(), b.toString(),
                                caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return threeWay(a.toLongLong(), b.toLongLong());
    case QMetaType::Double:
        return threeWay(a.toDouble(), b.toDouble());
    case QMetaType::Bool:
        return int(a.toBool()) - int(b.toBool());
    case QMetaType::QDate:
        return threeWay(a.toDate(), b.toDate());
    case QMetaType::QTime:
        return threeWay(a.toTime(), b.toTime());
    case QMetaType::QDateTime:
        return threeWay(a.toDateTime(), b.toDateTime());
    case QMetaType::QByteArray:
        return a.toByteArray().compare(b.toByteArray());
    default:
        return QString::compare(a.toString(), b.toString());
    }
}

QString displayText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray().toHex());
    default:
        return v.toString();
    }
}

// Logical values as text: what a user or a report file may write.
bool parseLogical(const QString& text, bool* ok)
{
    const QString t = text.trimmed().toLower();
    *ok = true;
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes") ||
        t == QLatin1String("y") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no") ||
        t == QLatin1String("n") || t == QLatin1String("0"))
        return false;
    *ok = false;
    return false;
}

bool parseWholeNumber(const QString& text, qint64* value)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return false;
    bool ok = false;
    *value = t.toLongLong(&ok);
    return ok;
}

bool parseNumber(const QString& text, double* value)
{
    bool ok = false;
    const QString t = text.trimmed();
    *value = QLocale::c().toDouble(t, &ok);
    if (!ok)
        *value = QLocale().toDouble(t, &ok);
    return ok && std::isfinite(*value);
}

// The value read from `text` (trimmed) by the first of `formats` that fits
// it, or an invalid value when none does.
template <typename T>
T parseFirstFormat(const QString& text, std::initializer_list<QString> formats)
{
    const QString t = text.trimmed();
    for (const QString& format : formats) {
        const T value = T::fromString(t, format);
        if (value.isValid())
            return value;
    }
    return T();
}

QDate parseDate(const QString& text)
{
    return parseFirstFormat<QDate>(text, {QStringLiteral("yyyy-MM-dd"), QStringLiteral("M/d/yyyy"),
                                          QStringLiteral("d.M.yyyy")});
}

QTime parseTime(const QString& text)
{
    return parseFirstFormat<QTime>(
        text, {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm"), QStringLiteral("H:mm:ss.zzz")});
}

QDateTime parseTimestamp(const QString& text)
{
    return parseFirstFormat<QDateTime>(
        text, {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
               QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")});
}

// The extensions of the files that make up one Paradox table.
bool isCompanionSuffix(const QString& suffix)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(DB|MB|PX|VAL|TV|FAM|X[0-9A-F]{2}|Y[0-9A-F]{2}|XG[0-9A-F]|YG[0-9A-F])$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(suffix).hasMatch();
}

struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;
};

FileStamp stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

} // namespace

struct Table::Private
{
    Table* q = nullptr;

    QString alias;
    QString tableName;
    bool exclusive = false;
    bool active = false;
    State state = State::Inactive;

    std::shared_ptr<SharedTableState> shared;
    std::shared_ptr<TableLock> lock;

    QList<FieldDef> newFields;
    QList<IndexDef> newIndexes;

    QString indexName;
    // Positions into shared->rows in the order of the current index.
    QList<int> view;
    quint64 viewGeneration = std::numeric_limits<quint64>::max();
    QString viewIndex;
    quint64 currentId = 0;
    int pos = 0;
    bool eof = true;
    bool bof = true;

    Row buffer;
    quint64 editId = 0;
    bool modified = false;

    struct Range
    {
        qint64 minimum;
        qint64 maximum;
    };
    QHash<QString, Range> ranges;             // by lower-case field name
    QHash<QString, bool> requiredOverrides;   // by lower-case field name
    QHash<QString, QString> labels;           // by lower-case field name

    // The field as messages name it: its display label, or its name.
    QString label(int field) const
    {
        const QString& name = fields().at(field).name;
        return labels.value(name.toLower(), name);
    }

    int disableCount = 0;

    // Posts kept in memory while a batch is open (see beginBatch()).
    int batchDepth = 0;
    bool unwritten = false;

    // Positions into shared->rows in the order of the primary key, for the
    // key check of a post: a binary search instead of a look at every row.
    std::vector<int> keyOrder;
    quint64 keyOrderGeneration = std::numeric_limits<quint64>::max();

    // --- helpers -----------------------------------------------------------

    QString displayName() const { return tableName; }

    DatabaseError notOpen() const
    {
        return DatabaseError(
            QStringLiteral("The table %1 is not open.").arg(displayName()));
    }

    void requireActive() const
    {
        if (!active)
            throw notOpen();
    }

    // What picks the file, or how it is held, changes only while the table
    // is closed; `doing` completes "Close the table X before ...".
    void requireClosed(const char* doing) const
    {
        if (active)
            throw DatabaseError(QStringLiteral("Close the table %1 before %2.")
                                    .arg(displayName(), QLatin1String(doing)));
    }

    // Points the cursor at another database or table name. The shared rows
    // and the lock belong to the file named before, so both are let go.
    void rename(QString& name, const QString& newName, const char* doing)
    {
        if (newName == name)
            return;
        requireClosed(doing);
        name = newName;
        shared.reset();
        releaseLock();
    }

    // The table file's path: the alias folder joined with the table name.
    // A file whose name differs only in case is found as well, since the
    // tables come from a system whose file names ignore case.
    QString resolvePath() const
    {
        if (alias.isEmpty())
            throw DatabaseError(QStringLiteral("No database is set for the table %1.")
                                    .arg(displayName()));
        if (tableName.isEmpty())
            throw DatabaseError(QStringLiteral("No table name is set for the database %1.")
                                    .arg(alias));
        const QString folder = Session::instance().aliasFolder(alias);
        // Without a folder the table would land in whatever the current
        // folder happens to be; refuse instead.
        if (IsBlank(folder))
            throw DatabaseError(QStringLiteral("The database %1 names no folder: set its PATH= "
                                               "line in %2.")
                                    .arg(alias, QDir::toNativeSeparators(
                                                    Session::instance().aliasFile())));
        const QString path = JoinPath(folder, tableName);
        if (QFileInfo::exists(path))
            return QFileInfo(path).absoluteFilePath();
        const QDir dir(folder);
        const QStringList names = dir.entryList(QDir::Files);
        for (const QString& name : names) {
            if (name.compare(tableName, Qt::CaseInsensitive) == 0)
                return dir.absoluteFilePath(name);
        }
        return QFileInfo(path).absoluteFilePath();
    }

    QString folderOf(const QString& path) const { return QFileInfo(path).absolutePath(); }

    void requireFolder(const QString& path) const
    {
        const QString folder = folderOf(path);
        if (!QFileInfo(folder).isDir())
            throw DatabaseError(QStringLiteral("The folder %1 of the database %2 cannot be found.")
                                    .arg(QDir::toNativeSeparators(folder), alias));
    }

    void requireFile(const QString& path) const
    {
        requireFolder(path);
        if (!QFileInfo(path).isFile())
            throw DatabaseError(QStringLiteral("The table %1 cannot be found in %2.")
                                    .arg(displayName(),
                                         QDir::toNativeSeparators(folderOf(path))));
    }

    void bindState(const QString& path)
    {
        if (!shared || shared->path != path) {
            shared = Session::instance().tableState(path);
            viewGeneration = std::numeric_limits<quint64>::max();
            keyOrderGeneration = std::numeric_limits<quint64>::max();
        }
    }

    // Reads the header into the shared state unless it is current.
    void loadHeader(const QString& path)
    {
        bindState(path);
        const FileStamp stamp = stampOf(path);
        if (shared->headerRead && stamp.size == shared->fileSize &&
            stamp.modified == shared->fileModified)
            return;
        ParadoxReader reader(path);
        shared->invalidate();
        shared->fields = reader.fields();
        const QStringList required = Session::instance().rememberedRequiredFields(path);
        for (FieldDef& f : shared->fields) {
            if (required.contains(f.name, Qt::CaseInsensitive))
                f.required = true;
        }
        shared->keyFieldCount = reader.keyFieldCount();
        shared->codePage = reader.codePage();
        shared->encrypted = reader.encrypted();
        shared->passwordChecksum = reader.passwordChecksum();
        bool known = false;
        shared->indexes = Session::instance().rememberedIndexDefs(path, &known);
        if (!known && shared->keyFieldCount > 0) {
            IndexDef primary;
            primary.primary = true;
            primary.unique = true;
            for (int i = 0; i < shared->keyFieldCount && i < shared->fields.size(); ++i)
                primary.fields << shared->fields.at(i).name;
            shared->indexes << primary;
        }
        shared->fileSize = stamp.size;
        shared->fileModified = stamp.modified;
        shared->headerRead = true;
    }

    // The header, for a cursor that may be closed.
    void ensureHeader()
    {
        if (active && shared && shared->headerRead)
            return;
        Session::instance().checkNetDir();
        const QString path = resolvePath();
        requireFile(path);
        loadHeader(path);
    }

    void ensureRows()
    {
        requireActive();
        if (!shared->headerRead)
            loadHeader(shared->path);
        if (shared->rowsRead)
            return;
        ParadoxReader reader(shared->path);
        if (reader.encrypted()) {
            const int index = Session::instance().matchPassword(reader.passwordChecksum());
            if (index < 0)
                throw DatabaseError(
                    QStringLiteral("The table %1 is encrypted, and none of the passwords "
                                   "of this program opens it.")
                        .arg(displayName()));
            reader.setPassword(Session::instance().password(index));
        }
        const QList<Row> rows = reader.readAll();
        shared->rows.clear();
        shared->rows.reserve(rows.size());
        for (const Row& row : rows) {
            Row values = row;
            values.resize(shared->fields.size());
            shared->rows.append({shared->nextRowId++, values});
        }
        shared->rowsRead = true;
        ++shared->generation;
    }

    const QList<FieldDef>& fields() const { return shared->fields; }

    int fieldIndexOf(const QString& name) const
    {
        if (!shared)
            return -1;
        for (int i = 0; i < shared->fields.size(); ++i) {
            if (shared->fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    int requireField(const QString& name) const
    {
        const int i = fieldIndexOf(name);
        if (i < 0)
            throw DatabaseError(QStringLiteral("Field '%1' not found in the table %2.")
                                    .arg(name, displayName()));
        return i;
    }

    // The index in use: the named one, or the primary index for "".
    IndexDef currentIndex() const
    {
        for (const IndexDef& def : shared->indexes) {
            if (indexName.isEmpty() ? def.primary
                                    : def.name.compare(indexName, Qt::CaseInsensitive) == 0)
                return def;
        }
        if (indexName.isEmpty())
            return IndexDef(); // no primary index: file order
        throw DatabaseError(QStringLiteral("The table %1 has no index named '%2'.")
                                .arg(displayName(), indexName));
    }

    QList<int> indexFieldPositions(const IndexDef& def) const
    {
        QList<int> positions;
        for (const QString& name : def.fields)
            positions << requireField(name);
        return positions;
    }

    int compareRows(const Row& a, const Row& b, const QList<int>& positions,
                    bool caseInsensitive) const
    {
        for (int p : positions) {
            const int c = compareValues(a.value(p), b.value(p), caseInsensitive);
            if (c != 0)
                return c;
        }
        return 0;
    }

    // The order of a view on an index: by the index's fields, rows with
    // equal keys by the primary key (as the engine keeps a secondary index),
    // then as they are stored.
    auto viewOrder(const IndexDef& def, const QList<int>& positions) const
    {
        return [this, positions, key = primaryPositions(),
                caseInsensitive = def.caseInsensitive](int x, int y) {
            const Row& a = shared->rows.at(x).values;
            const Row& b = shared->rows.at(y).values;
            const int c = compareRows(a, b, positions, caseInsensitive);
            if (c != 0 || key.isEmpty() || key == positions)
                return c < 0;
            return compareRows(a, b, key, false) < 0;
        };
    }

    // Brings the cursor's order and position up to date with the shared rows.
    void sync()
    {
        requireActive();
        ensureRows();
        if (viewGeneration == shared->generation && viewIndex == indexName)
            return;
        const IndexDef def = currentIndex();
        const QList<int> positions = indexFieldPositions(def);
        view.resize(shared->rows.size());
        for (int i = 0; i < view.size(); ++i)
            view[i] = i;
        if (!positions.isEmpty())
            std::stable_sort(view.begin(), view.end(), viewOrder(def, positions));
        viewGeneration = shared->generation;
        viewIndex = indexName;
        placeOnCurrent();
    }

    // Puts the last of the shared rows, just appended, into the view at the
    // place a stable sort would give it (after its equals), and marks the
    // view current.
    int takeLastRowIntoView()
    {
        const int last = int(shared->rows.size()) - 1;
        const IndexDef def = currentIndex();
        const QList<int> positions = indexFieldPositions(def);
        auto at = view.end();
        if (!positions.isEmpty())
            at = std::upper_bound(view.begin(), view.end(), last, viewOrder(def, positions));
        const int placed = int(at - view.begin());
        view.insert(placed, last);
        viewGeneration = shared->generation;
        viewIndex = indexName;
        return placed;
    }

    // Puts the shared row at `rowIndex`, whose values changed, back into the
    // current view at its new place. Returns that place.
    int reseatRowInView(int rowIndex)
    {
        const IndexDef def = currentIndex();
        const QList<int> positions = indexFieldPositions(def);
        int at = -1;
        if (pos >= 0 && pos < view.size() && view.at(pos) == rowIndex)
            at = pos;
        for (int i = 0; at < 0 && i < view.size(); ++i) {
            if (view.at(i) == rowIndex)
                at = i;
        }
        if (at < 0 || positions.isEmpty())
            return at;
        view.removeAt(at);
        const auto place =
            std::upper_bound(view.begin(), view.end(), rowIndex, viewOrder(def, positions));
        const int placed = int(place - view.begin());
        view.insert(placed, rowIndex);
        return placed;
    }

    // The primary-key order of the shared rows, made again only when the
    // rows changed in a way that was not kept up in it.
    const std::vector<int>& primaryOrder()
    {
        if (keyOrderGeneration == shared->generation)
            return keyOrder;
        const QList<int> key = primaryPositions();
        keyOrder.resize(size_t(shared->rows.size()));
        for (size_t i = 0; i < keyOrder.size(); ++i)
            keyOrder[i] = int(i);
        std::stable_sort(keyOrder.begin(), keyOrder.end(), [&](int x, int y) {
            return compareRows(shared->rows.at(x).values, shared->rows.at(y).values, key, false) <
                   0;
        });
        keyOrderGeneration = shared->generation;
        return keyOrder;
    }

    // Where `values` would stand in the primary-key order; *clash is set to
    // the position of a row (other than `skip`) with the same key, or -1.
    size_t primaryPlace(const Row& values, int skip, int* clash)
    {
        const QList<int> key = primaryPositions();
        const std::vector<int>& order = primaryOrder();
        const auto first = std::lower_bound(order.begin(), order.end(), 0, [&](int x, int) {
            return compareRows(shared->rows.at(x).values, values, key, false) < 0;
        });
        *clash = -1;
        for (auto it = first; it != order.end(); ++it) {
            if (compareRows(shared->rows.at(*it).values, values, key, false) != 0)
                break;
            if (*it != skip) {
                *clash = *it;
                break;
            }
        }
        return size_t(first - order.begin());
    }

    // Finds the current row again after the order changed; a row that has
    // gone leaves the cursor on the row that took its place.
    void placeOnCurrent()
    {
        if (view.isEmpty()) {
            pos = -1;
            currentId = 0;
            eof = bof = true;
            return;
        }
        if (currentId != 0) {
            for (int i = 0; i < view.size(); ++i) {
                if (shared->rows.at(view.at(i)).id == currentId) {
                    pos = i;
                    return;
                }
            }
        }
        pos = std::clamp(pos, 0, int(view.size()) - 1);
        currentId = shared->rows.at(view.at(pos)).id;
    }

    const Row* currentRow()
    {
        sync();
        if (pos < 0 || pos >= view.size())
            return nullptr;
        return &shared->rows.at(view.at(pos)).values;
    }

    void moveToPosition(int position)
    {
        sync();
        if (view.isEmpty()) {
            pos = -1;
            currentId = 0;
            eof = bof = true;
            return;
        }
        pos = std::clamp(position, 0, int(view.size()) - 1);
        currentId = shared->rows.at(view.at(pos)).id;
        bof = pos == 0;
        eof = false;
    }

    void setState(State s)
    {
        if (state == s)
            return;
        state = s;
        emit q->stateChanged();
    }

    void changed()
    {
        if (disableCount == 0)
            emit q->dataChanged();
    }

    // A pending edit is stored before the cursor moves: posted when
    // something was changed, dropped otherwise.
    void checkBrowseMode()
    {
        if (state == State::Edit || state == State::Insert) {
            if (modified)
                q->post();
            else
                q->cancel();
        }
    }

    void requireEditing() const
    {
        if (state != State::Edit && state != State::Insert)
            throw DatabaseError(QStringLiteral("The table %1 is not being edited: start an "
                                               "insert or edit first.")
                                    .arg(displayName()));
    }

    bool isRequired(int field) const
    {
        const auto it = requiredOverrides.constFind(fields().at(field).name.toLower());
        if (it != requiredOverrides.constEnd())
            return *it;
        return fields().at(field).required;
    }

    void checkRange(int field, qint64 value, const QString& text) const
    {
        const auto it = ranges.constFind(fields().at(field).name.toLower());
        if (it == ranges.constEnd())
            return;
        if (value < it->minimum || value > it->maximum)
            throw DatabaseError(
                QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                               "%3 to %4.")
                    .arg(quoted(text), label(field))
                    .arg(it->minimum)
                    .arg(it->maximum));
    }

    void checkRangeDouble(int field, double value, const QString& text) const
    {
        const auto it = ranges.constFind(fields().at(field).name.toLower());
        if (it == ranges.constEnd())
            return;
        if (value < double(it->minimum) || value > double(it->maximum))
            throw DatabaseError(
                QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                               "%3 to %4.")
                    .arg(quoted(text), label(field))
                    .arg(it->minimum)
                    .arg(it->maximum));
    }

    DatabaseError conversionError(const QString& text, const QString& kind, int field) const
    {
        return DatabaseError(QStringLiteral("%1 is not a valid %2 value for field '%3'.")
                                 .arg(quoted(text), kind, label(field)));
    }

    // A date, time or timestamp read from `text`, or the refusal when the
    // text read as none.
    template <typename T>
    QVariant validOrRefused(const T& value, const QString& text, const QString& kind,
                            int field) const
    {
        if (!value.isValid())
            throw conversionError(text, kind, field);
        return value;
    }

    // Turns a text into the stored value of a field, or refuses it.
    QVariant fromText(int field, const QString& text) const
    {
        const FieldDef& def = fields().at(field);
        if (text.isEmpty())
            return QVariant();
        if (isTextType(def.type)) {
            if (def.type == FieldType::Alpha && def.size > 0 && text.size() > def.size)
                throw DatabaseError(
                    QStringLiteral("The text %1 is too long for field '%2', which holds at most "
                                   "%3 characters.")
                        .arg(quoted(text), label(field))
                        .arg(def.size));
            return text;
        }
        if (text.trimmed().isEmpty())
            return QVariant();
        if (isIntegerType(def.type)) {
            qint64 value = 0;
            if (!parseWholeNumber(text, &value) || value < std::numeric_limits<int>::min() ||
                value > std::numeric_limits<int>::max())
                throw conversionError(text, QStringLiteral("integer"), field);
            return fromInteger(field, value, text.trimmed());
        }
        if (isFloatType(def.type)) {
            double value = 0;
            if (!parseNumber(text, &value))
                throw conversionError(text, QStringLiteral("floating point"), field);
            checkRangeDouble(field, value, text.trimmed());
            return value;
        }
        switch (def.type) {
        case FieldType::Logical: {
            bool ok = false;
            const bool value = parseLogical(text, &ok);
            if (!ok)
                throw conversionError(text, QStringLiteral("logical"), field);
            return value;
        }
        case FieldType::Date:
            return validOrRefused(parseDate(text), text, QStringLiteral("date"), field);
        case FieldType::Time:
            return validOrRefused(parseTime(text), text, QStringLiteral("time"), field);
        case FieldType::Timestamp:
            return validOrRefused(parseTimestamp(text), text, QStringLiteral("date and time"),
                                  field);
        case FieldType::Bcd: {
            double value = 0;
            if (!parseNumber(text, &value))
                throw conversionError(text, QStringLiteral("numeric"), field);
            return text.trimmed();
        }
        default:
            break;
        }
        if (isBinaryType(def.type))
            return text.toLatin1();
        return text;
    }

    QVariant fromInteger(int field, qint64 value, const QString& text) const
    {
        const FieldDef& def = fields().at(field);
        if (isIntegerType(def.type)) {
            const qint64 lo = def.type == FieldType::Short ? kShortMin
                                                           : qint64(std::numeric_limits<int>::min()) + 1;
            const qint64 hi = def.type == FieldType::Short ? kShortMax
                                                           : qint64(std::numeric_limits<int>::max());
            if (value < lo || value > hi)
                throw DatabaseError(
                    QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is "
                                   "%3 to %4.")
                        .arg(quoted(text), label(field))
                        .arg(lo)
                        .arg(hi));
            checkRange(field, value, text);
            return int(value);
        }
        if (isFloatType(def.type)) {
            checkRange(field, value, text);
            return double(value);
        }
        if (def.type == FieldType::Logical)
            return value != 0;
        return fromText(field, text);
    }

    QVariant convert(int field, const QVariant& value) const
    {
        if (value.isNull() || !value.isValid())
            return QVariant();
        const FieldDef& def = fields().at(field);
        switch (value.typeId()) {
        case QMetaType::QString:
            return fromText(field, value.toString());
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
            return fromInteger(field, value.toLongLong(), value.toString());
        case QMetaType::Bool:
            if (def.type == FieldType::Logical)
                return value.toBool();
            if (isIntegerType(def.type) || isFloatType(def.type))
                return fromInteger(field, value.toBool() ? 1 : 0, value.toString());
            return fromText(field, displayText(value));
        case QMetaType::Double:
        case QMetaType::Float:
            if (isFloatType(def.type)) {
                checkRangeDouble(field, value.toDouble(), displayText(value));
                return value.toDouble();
            }
            return fromText(field, displayText(value));
        case QMetaType::QDate:
            if (def.type == FieldType::Date)
                return value.toDate();
            if (def.type == FieldType::Timestamp)
                return QDateTime(value.toDate(), QTime(0, 0));
            return fromText(field, displayText(value));
        case QMetaType::QTime:
            if (def.type == FieldType::Time)
                return value.toTime();
            return fromText(field, displayText(value));
        case QMetaType::QDateTime:
            if (def.type == FieldType::Timestamp)
                return value.toDateTime();
            if (def.type == FieldType::Date)
                return value.toDateTime().date();
            if (def.type == FieldType::Time)
                return value.toDateTime().time();
            return fromText(field, displayText(value));
        case QMetaType::QByteArray:
            if (isBinaryType(def.type))
                return value.toByteArray();
            return fromText(field, QString::fromLatin1(value.toByteArray()));
        default:
            return fromText(field, value.toString());
        }
    }

    void assign(int field, const QVariant& stored)
    {
        requireEditing();
        buffer[field] = stored;
        modified = true;
        changed();
    }

    // The key of a row in the given index, for messages.
    QString keyText(const Row& row, const QList<int>& positions) const
    {
        QStringList parts;
        for (int p : positions)
            parts << displayText(row.value(p));
        return parts.join(QStringLiteral(", "));
    }

    QList<int> primaryPositions() const
    {
        QList<int> positions;
        for (int i = 0; i < shared->keyFieldCount && i < shared->fields.size(); ++i)
            positions << i;
        return positions;
    }

    // Writes the rows to the table file and makes them the shared rows.
    // Refuses a change of a table this program may not change.
    void requireWritable() const
    {
        if (shared->encrypted)
            throw DatabaseError(QStringLiteral("The table %1 is encrypted; this program can read "
                                               "it but not change it.")
                                    .arg(displayName()));
        if (!lock && TableLock::lockedElsewhere(shared->path))
            throw DatabaseError(
                QStringLiteral("The table %1 is in use by another user.").arg(displayName()));
    }

    void store(QList<StoredRow> rows)
    {
        requireWritable();
        // In a batch the rows are put in key order once, when they are
        // written: the cursors order their own views by index anyway.
        if (batchDepth > 0) {
            shared->rows = std::move(rows);
            ++shared->generation;
            unwritten = true;
            return;
        }
        sortByPrimaryKey(rows);
        writeRows(rows);
        shared->rows = std::move(rows);
        ++shared->generation;
    }

    // The file keeps its rows in the order of the primary key.
    void sortByPrimaryKey(QList<StoredRow>& rows) const
    {
        const QList<int> key = primaryPositions();
        if (key.isEmpty())
            return;
        std::stable_sort(rows.begin(), rows.end(), [&](const StoredRow& a, const StoredRow& b) {
            return compareRows(a.values, b.values, key, false) < 0;
        });
    }

    // Writes rows to the table file.
    void writeRows(const QList<StoredRow>& rows)
    {
        QList<Row> values;
        values.reserve(rows.size());
        for (const StoredRow& row : rows)
            values << row.values;
        ParadoxWriter::writeTable(shared->path, shared->fields, shared->keyFieldCount, values,
                                  shared->codePage > 0 ? shared->codePage : 1252);
        const FileStamp stamp = stampOf(shared->path);
        shared->fileSize = stamp.size;
        shared->fileModified = stamp.modified;
    }

    // Ends every batch of this cursor (the controls it quietened hear
    // again) and writes what they kept back.
    void endBatches()
    {
        disableCount = std::max(0, disableCount - batchDepth);
        batchDepth = 0;
        if (!unwritten)
            return;
        unwritten = false;
        QList<StoredRow> rows = shared->rows;
        sortByPrimaryKey(rows);
        writeRows(rows);
        shared->rows = std::move(rows);
        ++shared->generation;
    }

    void releaseLock() { lock.reset(); }

    // The files that make up the table at `path`, the table file first.
    QStringList companionFiles(const QString& path) const
    {
        const QFileInfo info(path);
        const QDir dir = info.absoluteDir();
        QString base = info.fileName();
        const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            base.truncate(dot);
        QStringList files;
        for (const QString& name : dir.entryList(QDir::Files)) {
            const qsizetype d = name.lastIndexOf(QLatin1Char('.'));
            if (d <= 0)
                continue;
            if (name.left(d).compare(base, Qt::CaseInsensitive) != 0)
                continue;
            if (!isCompanionSuffix(name.mid(d + 1)))
                continue;
            files << dir.absoluteFilePath(name);
        }
        return files;
    }
};

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
}

Table::~Table()
{
    try {
        d->endBatches();
    } catch (const DatabaseError&) {
        // Nothing can be reported from a dying cursor.
    }
    // No signals from a dying cursor: its controls may be gone already.
    d->active = false;
    d->state = State::Inactive;
    d->releaseLock();
}

void Table::setDatabaseName(const QString& alias)
{
    d->rename(d->alias, alias, "changing its database");
}

QString Table::databaseName() const { return d->alias; }

void Table::setTableName(const QString& name)
{
    d->rename(d->tableName, name, "changing its name");
}

QString Table::tableName() const { return d->tableName; }

QString Table::filePath() const
{
    if (d->shared && d->active)
        return d->shared->path;
    return d->resolvePath();
}

void Table::setExclusive(bool exclusive)
{
    if (exclusive == d->exclusive)
        return;
    d->requireClosed("changing how it is opened");
    d->exclusive = exclusive;
    if (!exclusive)
        d->releaseLock();
}

bool Table::exclusive() const { return d->exclusive; }

void Table::open()
{
    if (d->active)
        return;
    Session::instance().checkNetDir();
    const QString path = d->resolvePath();
    d->requireFile(path);
    if (d->exclusive) {
        if (!d->lock)
            d->lock = TableLock::acquire(path);
    } else if (TableLock::lockedElsewhere(path)) {
        throw DatabaseError(
            QStringLiteral("The table %1 is in use by another user.").arg(d->displayName()));
    }
    try {
        d->loadHeader(path);
        if (!d->indexName.isEmpty())
            d->currentIndex(); // an unknown index name is refused now
    } catch (...) {
        d->releaseLock();
        throw;
    }
    d->active = true;
    d->viewGeneration = std::numeric_limits<quint64>::max();
    d->keyOrderGeneration = std::numeric_limits<quint64>::max();
    d->currentId = 0;
    d->pos = 0;
    d->bof = true;
    d->eof = false;
    d->buffer.clear();
    d->modified = false;
    d->setState(State::Browse);
    d->changed();
}

void Table::close()
{
    if (d->active)
        d->endBatches();
    d->releaseLock();
    if (!d->active)
        return;
    d->active = false;
    d->buffer.clear();
    d->modified = false;
    d->view.clear();
    d->viewGeneration = std::numeric_limits<quint64>::max();
    d->keyOrderGeneration = std::numeric_limits<quint64>::max();
    d->currentId = 0;
    d->setState(State::Inactive);
    d->changed();
}

bool Table::isActive() const { return d->active; }

Table::State Table::state() const { return d->state; }

QList<FieldDef> Table::fieldDefs() const
{
    d->ensureHeader();
    return d->shared->fields;
}

int Table::fieldIndex(const QString& field) const
{
    d->ensureHeader();
    return d->fieldIndexOf(field);
}

bool Table::hasField(const QString& field) const { return fieldIndex(field) >= 0; }

QList<IndexDef> Table::indexDefs() const
{
    d->ensureHeader();
    return d->shared->indexes;
}

void Table::clearFieldDefs() { d->newFields.clear(); }

void Table::addFieldDef(const QString& name, FieldType type, int size, bool required)
{
    FieldDef def;
    def.name = name;
    def.type = type;
    def.size = size;
    def.required = required;
    d->newFields << def;
}

void Table::clearIndexDefs() { d->newIndexes.clear(); }

void Table::addIndexDef(const QString& name, const QString& fields, bool primary, bool unique,
                        bool caseInsensitive)
{
    IndexDef def;
    def.name = name;
    for (const QString& f : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        def.fields << f.trimmed();
    def.primary = primary;
    def.unique = unique || primary;
    def.caseInsensitive = caseInsensitive;
    d->newIndexes << def;
}

void Table::createTable()
{
    d->requireClosed("creating it again");
    Session::instance().checkNetDir();
    const QString path = d->resolvePath();
    d->requireFolder(path);

    if (d->newFields.isEmpty())
        throw DatabaseError(
            QStringLiteral("The table %1 cannot be created without fields.").arg(d->displayName()));
    for (int i = 0; i < d->newFields.size(); ++i) {
        const QString& name = d->newFields.at(i).name;
        if (name.trimmed().isEmpty())
            throw DatabaseError(QStringLiteral("Field %1 of the table %2 has no name.")
                                    .arg(i + 1)
                                    .arg(d->displayName()));
        for (int j = 0; j < i; ++j) {
            if (d->newFields.at(j).name.compare(name, Qt::CaseInsensitive) == 0)
                throw DatabaseError(QStringLiteral("The table %1 names the field '%2' twice.")
                                        .arg(d->displayName(), name));
        }
    }

    // The primary key of a Paradox table is its leading fields, in order.
    int keyFieldCount = 0;
    int primaries = 0;
    for (const IndexDef& def : d->newIndexes) {
        for (const QString& f : def.fields) {
            bool found = false;
            for (const FieldDef& field : d->newFields)
                found = found || field.name.compare(f, Qt::CaseInsensitive) == 0;
            if (!found)
                throw DatabaseError(QStringLiteral("The index '%1' of the table %2 names the "
                                                   "unknown field '%3'.")
                                        .arg(def.name, d->displayName(), f));
        }
        if (!def.primary)
            continue;
        ++primaries;
        for (int i = 0; i < def.fields.size(); ++i) {
            if (i >= d->newFields.size() ||
                def.fields.at(i).compare(d->newFields.at(i).name, Qt::CaseInsensitive) != 0)
                throw DatabaseError(QStringLiteral("The primary index of the table %1 must be on "
                                                   "its leading fields, in order.")
                                        .arg(d->displayName()));
        }
        keyFieldCount = int(def.fields.size());
    }
    if (primaries > 1)
        throw DatabaseError(
            QStringLiteral("The table %1 can have only one primary index.").arg(d->displayName()));

    std::shared_ptr<TableLock> lock = d->lock ? d->lock : TableLock::acquire(path);
    d->bindState(path);
    ParadoxWriter::writeTable(path, d->newFields, keyFieldCount, {}, 1252);
    // Files of an earlier table of this name that the new one does not have.
    bool hasMemo = false;
    for (const FieldDef& f : d->newFields)
        hasMemo = hasMemo || f.type == FieldType::Memo || f.type == FieldType::FmtMemo;
    for (const QString& file : d->companionFiles(path)) {
        const QString suffix = QFileInfo(file).suffix().toUpper();
        const bool keep = suffix == QLatin1String("DB") || (suffix == QLatin1String("MB") && hasMemo) ||
                          (suffix == QLatin1String("PX") && keyFieldCount > 0);
        if (!keep)
            QFile::remove(file);
    }
    Session::instance().rememberIndexDefs(path, d->newIndexes);
    QStringList required;
    for (const FieldDef& f : d->newFields) {
        if (f.required)
            required << f.name;
    }
    Session::instance().rememberRequiredFields(path, required);
    d->shared->invalidate();
    if (d->exclusive)
        d->lock = lock;
}

void Table::deleteTable()
{
    d->requireClosed("deleting it");
    Session::instance().checkNetDir();
    const QString path = d->resolvePath();
    d->requireFile(path);
    std::shared_ptr<TableLock> lock = d->lock ? d->lock : TableLock::acquire(path);
    d->bindState(path);
    // The table file goes last, so that a failure leaves a table that can
    // still be found and deleted again.
    QStringList files = d->companionFiles(path);
    files.removeAll(path);
    files << path;
    for (const QString& file : files) {
        if (QFileInfo::exists(file) && !QFile::remove(file))
            throw DatabaseError(QStringLiteral("The table %1 cannot be deleted: %2 cannot be "
                                               "removed.")
                                    .arg(d->displayName(), QDir::toNativeSeparators(file)));
    }
    Session::instance().forgetIndexDefs(path);
    d->shared->invalidate();
    if (d->exclusive)
        d->lock = lock;
}

void Table::setIndexName(const QString& name)
{
    if (!d->active) {
        d->indexName = name;
        return;
    }
    d->checkBrowseMode();
    // The primary index may be chosen by its name as well.
    QString chosen = name;
    for (const IndexDef& def : d->shared->indexes) {
        if (def.primary && !name.isEmpty() && def.name.compare(name, Qt::CaseInsensitive) == 0)
            chosen.clear();
    }
    const QString previous = d->indexName;
    d->indexName = chosen;
    try {
        d->currentIndex();
    } catch (...) {
        d->indexName = previous;
        throw;
    }
    d->sync();
    d->changed();
}

QString Table::indexName() const { return d->indexName; }

bool Table::findKey(const QVariantList& values)
{
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    const IndexDef def = d->currentIndex();
    if (def.fields.isEmpty())
        throw DatabaseError(QStringLiteral("The table %1 has no index to search.")
                                .arg(d->displayName()));
    const QList<int> positions = d->indexFieldPositions(def);
    const int n = int(std::min(values.size(), positions.size()));
    Row key(d->fields().size());
    for (int i = 0; i < n; ++i)
        key[positions.at(i)] = d->convert(positions.at(i), values.at(i));
    const QList<int> used = positions.mid(0, n);
    // The view is in the index's order, so the first row with the key is
    // found by halving.
    const auto at = std::lower_bound(d->view.cbegin(), d->view.cend(), 0, [&](int x, int) {
        return d->compareRows(d->shared->rows.at(x).values, key, used, def.caseInsensitive) < 0;
    });
    if (at == d->view.cend() ||
        d->compareRows(d->shared->rows.at(*at).values, key, used, def.caseInsensitive) != 0)
        return false;
    d->moveToPosition(int(at - d->view.cbegin()));
    d->changed();
    return true;
}

void Table::first()
{
    d->requireActive();
    d->checkBrowseMode();
    d->moveToPosition(0);
    d->bof = true;
    d->changed();
}

void Table::next()
{
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->pos >= 0 && d->pos + 1 < d->view.size()) {
        d->moveToPosition(d->pos + 1);
        d->changed();
    } else {
        d->eof = true;
    }
}

bool Table::eof() const
{
    if (!d->active)
        return true;
    d->sync();
    return d->eof || d->view.isEmpty();
}

bool Table::bof() const
{
    if (!d->active)
        return true;
    d->sync();
    return d->bof || d->view.isEmpty();
}

int Table::recordCount() const
{
    d->requireActive();
    d->sync();
    return int(d->view.size());
}

int Table::recNo() const
{
    if (!d->active)
        return -1;
    d->sync();
    return d->view.isEmpty() ? -1 : d->pos;
}

void Table::moveTo(int position)
{
    d->requireActive();
    d->checkBrowseMode();
    d->moveToPosition(position);
    d->changed();
}

void Table::refresh()
{
    d->requireActive();
    d->checkBrowseMode();
    const FileStamp stamp = stampOf(d->shared->path);
    if (stamp.size != d->shared->fileSize || stamp.modified != d->shared->fileModified) {
        // Another program changed the file: read it again.
        if (stamp.size < 0)
            d->requireFile(d->shared->path);
        d->loadHeader(d->shared->path);
    }
    d->sync();
    d->changed();
}

void Table::insert()
{
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    d->buffer = Row(d->fields().size());
    d->editId = 0;
    d->modified = false;
    d->setState(State::Insert);
    d->changed();
}

void Table::edit()
{
    d->requireActive();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    const Row* row = d->currentRow();
    if (!row) {
        insert(); // an empty table has no row to edit: a new one is started
        return;
    }
    d->buffer = *row;
    d->editId = d->currentId;
    d->modified = false;
    d->setState(State::Edit);
    d->changed();
}

void Table::post()
{
    d->requireActive();
    d->requireEditing();
    d->ensureRows();
    const QList<FieldDef>& fields = d->fields();
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant& v = d->buffer.value(i);
        const bool empty = v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
        if (empty && d->isRequired(i) && fields.at(i).type != FieldType::AutoInc)
            throw DatabaseError(
                QStringLiteral("A value is required for field '%1'.").arg(d->label(i)));
    }

    const QList<StoredRow>& stored = d->shared->rows;
    const bool viewCurrent =
        d->viewGeneration == d->shared->generation && d->viewIndex == d->indexName;
    int editIndex = -1;
    if (d->state == State::Edit) {
        // Mostly the row being edited is the current one.
        if (viewCurrent && d->pos >= 0 && d->pos < d->view.size() &&
            stored.at(d->view.at(d->pos)).id == d->editId)
            editIndex = d->view.at(d->pos);
        for (int i = 0; editIndex < 0 && i < stored.size(); ++i) {
            if (stored.at(i).id == d->editId)
                editIndex = i;
        }
        if (editIndex < 0)
            throw DatabaseError(QStringLiteral("The row being edited in the table %1 has been "
                                               "deleted in the meantime.")
                                    .arg(d->displayName()));
    }

    Row values = d->buffer;
    // Auto-increment fields number new rows from the highest value so far.
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).type != FieldType::AutoInc || !values.at(i).isNull())
            continue;
        int highest = 0;
        for (const StoredRow& r : stored)
            highest = std::max(highest, r.values.value(i).toInt());
        values[i] = highest + 1;
    }

    // Unique keys: the primary key (found in its order) and every other
    // unique index.
    const QList<int> key = d->primaryPositions();
    size_t keyPlace = 0;
    if (!key.isEmpty()) {
        int clash = -1;
        keyPlace = d->primaryPlace(values, editIndex, &clash);
        if (clash >= 0)
            throw DatabaseError(QStringLiteral("Key violation: the table %1 already has a "
                                               "row with the key '%2'.")
                                    .arg(d->displayName(), d->keyText(values, key)));
    }
    for (const IndexDef& def : d->shared->indexes) {
        if (!def.unique || def.primary)
            continue;
        const QList<int> positions = d->indexFieldPositions(def);
        for (int i = 0; i < stored.size(); ++i) {
            if (i == editIndex)
                continue;
            if (d->compareRows(stored.at(i).values, values, positions, def.caseInsensitive) == 0)
                throw DatabaseError(QStringLiteral("Key violation: the table %1 already has a "
                                                   "row with the key '%2'.")
                                        .arg(d->displayName(), d->keyText(values, positions)));
        }
    }

    quint64 id = d->editId;
    // Where the posted row stands in this cursor's view, when known without
    // a search.
    int placed = -1;
    if (d->batchDepth > 0) {
        // In a batch nothing is written until it ends, so the rows change
        // in place: copying every row for each post made a long batch
        // quadratic. The cursor's view and the key order take the row in at
        // its place instead of being sorted again.
        d->requireWritable();
        const bool keyOrderCurrent = d->keyOrderGeneration == d->shared->generation;
        if (editIndex >= 0) {
            const bool keyKept =
                d->compareRows(stored.at(editIndex).values, values, key, false) == 0;
            d->shared->rows[editIndex].values = values;
            ++d->shared->generation;
            if (viewCurrent) {
                d->viewGeneration = d->shared->generation;
                placed = d->reseatRowInView(editIndex);
            }
            if (keyOrderCurrent && keyKept)
                d->keyOrderGeneration = d->shared->generation;
        } else {
            id = d->shared->nextRowId++;
            d->shared->rows.append({id, values});
            ++d->shared->generation;
            if (keyOrderCurrent && !key.isEmpty()) {
                d->keyOrder.insert(d->keyOrder.begin() + qsizetype(keyPlace),
                                   int(d->shared->rows.size()) - 1);
                d->keyOrderGeneration = d->shared->generation;
            }
            if (viewCurrent)
                placed = d->takeLastRowIntoView();
        }
        d->unwritten = true;
    } else {
        QList<StoredRow> rows = d->shared->rows;
        if (editIndex >= 0) {
            rows[editIndex].values = values;
        } else {
            id = d->shared->nextRowId++;
            rows.append({id, values});
        }
        d->store(std::move(rows));
    }
    d->currentId = id;
    d->buffer.clear();
    d->modified = false;
    d->editId = 0;
    d->sync();
    if (placed >= 0)
        d->pos = placed;
    else
        d->placeOnCurrent();
    d->eof = false;
    d->bof = d->pos == 0;
    d->setState(State::Browse);
    d->changed();
}

void Table::cancel()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    d->buffer.clear();
    d->modified = false;
    d->editId = 0;
    d->setState(State::Browse);
    d->changed();
}

void Table::deleteRow()
{
    d->requireActive();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    const quint64 id = d->state == State::Edit ? d->editId : 0;
    if (d->state == State::Edit)
        cancel();
    const Row* row = d->currentRow();
    if (!row)
        throw DatabaseError(
            QStringLiteral("The table %1 has no row to delete.").arg(d->displayName()));
    const quint64 target = id != 0 ? id : d->currentId;
    QList<StoredRow> rows = d->shared->rows;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).id == target) {
            rows.removeAt(i);
            break;
        }
    }
    const int oldPos = d->pos;
    d->store(std::move(rows));
    // The row after the deleted one takes its place.
    d->currentId = 0;
    d->pos = oldPos;
    d->sync();
    d->eof = d->view.isEmpty();
    d->bof = d->pos <= 0;
    d->changed();
}

void Table::emptyTable()
{
    d->requireActive();
    cancel();
    d->ensureRows();
    d->store({});
    d->currentId = 0;
    d->pos = 0;
    d->sync();
    d->eof = d->bof = true;
    d->changed();
}

QVariant Table::value(const QString& field) const
{
    d->requireActive();
    const int i = d->requireField(field);
    if (d->state == State::Edit || d->state == State::Insert)
        return d->buffer.value(i);
    const Row* row = d->currentRow();
    return row ? row->value(i) : QVariant();
}

bool Table::isNull(const QString& field) const { return value(field).isNull(); }

QString Table::asString(const QString& field) const { return displayText(value(field)); }

int Table::asInteger(const QString& field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Double: {
        const double x = v.toDouble();
        if (x < std::numeric_limits<int>::min() || x > std::numeric_limits<int>::max())
            throw DatabaseError(QStringLiteral("%1 is not a valid integer value for field '%2'.")
                                    .arg(quoted(displayText(v)), d->label(d->requireField(field))));
        return int(std::llround(x));
    }
    default: {
        qint64 n = 0;
        const QString text = displayText(v);
        if (!parseWholeNumber(text, &n) || n < std::numeric_limits<int>::min() ||
            n > std::numeric_limits<int>::max())
            throw DatabaseError(QStringLiteral("%1 is not a valid integer value for field '%2'.")
                                    .arg(quoted(text), d->label(d->requireField(field))));
        return int(n);
    }
    }
}

bool Table::asBoolean(const QString& field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::Double:
        return v.toDouble() != 0;
    default: {
        bool ok = false;
        const bool b = parseLogical(displayText(v), &ok);
        if (!ok)
            throw DatabaseError(QStringLiteral("%1 is not a valid logical value for field '%2'.")
                                    .arg(quoted(displayText(v)),
                                         d->label(d->requireField(field))));
        return b;
    }
    }
}

void Table::setValue(const QString& field, const QVariant& value)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->requireField(field);
    d->assign(i, d->convert(i, value));
}

void Table::setAsString(const QString& field, const QString& text)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->requireField(field);
    d->assign(i, d->fromText(i, text));
}

void Table::setAsInteger(const QString& field, int value)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->requireField(field);
    d->assign(i, d->fromInteger(i, value, QString::number(value)));
}

void Table::setAsBoolean(const QString& field, bool value)
{
    setValue(field, QVariant(value));
}

void Table::clearValue(const QString& field)
{
    d->requireActive();
    d->requireEditing();
    d->assign(d->requireField(field), QVariant());
}

void Table::setRange(const QString& field, int minimum, int maximum)
{
    d->ranges.insert(field.toLower(), {qint64(std::min(minimum, maximum)),
                                       qint64(std::max(minimum, maximum))});
}

void Table::setDisplayLabel(const QString& field, const QString& label)
{
    d->labels.insert(field.toLower(), label);
}

void Table::setRequired(const QString& field, bool required)
{
    d->requiredOverrides.insert(field.toLower(), required);
}

QVariant Table::minValue(const QString& field) const
{
    const auto it = d->ranges.constFind(field.toLower());
    return it == d->ranges.constEnd() ? QVariant() : QVariant(int(it->minimum));
}

QVariant Table::maxValue(const QString& field) const
{
    const auto it = d->ranges.constFind(field.toLower());
    return it == d->ranges.constEnd() ? QVariant() : QVariant(int(it->maximum));
}

void Table::disableControls() { ++d->disableCount; }

void Table::enableControls()
{
    if (d->disableCount == 0)
        return;
    if (--d->disableCount == 0)
        emit dataChanged();
}

bool Table::controlsDisabled() const { return d->disableCount > 0; }

void Table::beginBatch()
{
    d->requireActive();
    ++d->batchDepth;
    disableControls();
}

void Table::endBatch()
{
    if (d->batchDepth == 0)
        return;
    if (d->batchDepth > 1) {
        --d->batchDepth;
        enableControls();
        return;
    }
    // The controls hear of the changes once, written or not.
    struct Enable
    {
        Table* table;
        ~Enable() { table->enableControls(); }
    } enable{this};
    ++d->disableCount; // endBatches() takes back the batch's own count
    d->endBatches();
}
