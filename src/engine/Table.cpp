#include "engine/Table.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "engine/TableFiles.h"
#include "engine/TableLock.h"
#include "engine/TableState.h"
#include "engine/TableValues.h"
#include "engine/TableView.h"

#include <algorithm>

using TableValues::compareRows;
using TableValues::displayText;
using TableValues::keyText;

// The cursor's own state: which table it is bound to and how it holds it,
// the definitions for a new table, the pending edit, and the batch and
// quiet-controls counts. The shared rows are read and written here; the
// order and place in them are the view's (TableView), and the columns'
// values are taken by the rules (ColumnRules).
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

    // Declared after `shared` and `tableName`, which it reads.
    TableView cursor{shared, tableName};

    Row buffer;
    quint64 editId = 0;
    bool modified = false;

    ColumnRules rules;

    int disableCount = 0;

    // Posts kept in memory while a batch is open (see beginBatch()).
    int batchDepth = 0;
    bool unwritten = false;

    // --- helpers -----------------------------------------------------------

    QString displayName() const { return tableName; }

    const QList<FieldDef>& fields() const { return shared->fields; }
    const FieldDef& field(int index) const { return shared->fields.at(index); }

    // The field as messages name it: its display label, or its name.
    QString label(int index) const { return rules.label(field(index)); }

    DatabaseError notOpen() const
    {
        return DatabaseError(QStringLiteral("The table %1 is not open.").arg(displayName()));
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

    QString resolvePath() const { return TableFiles::resolvePath(alias, tableName); }
    void requireFolder(const QString& path) const { TableFiles::requireFolder(path, alias); }
    void requireFile(const QString& path) const
    {
        TableFiles::requireFile(path, displayName(), alias);
    }

    void bindState(const QString& path)
    {
        if (!shared || shared->path != path) {
            shared = Session::instance().tableState(path);
            cursor.invalidate();
        }
    }

    // Reads the header into the shared state unless it is current.
    void loadHeader(const QString& path)
    {
        bindState(path);
        const TableFiles::Stamp stamp = TableFiles::stampOf(path);
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

    // Brings the cursor's order and position up to date with the shared rows.
    void sync()
    {
        requireActive();
        ensureRows();
        cursor.update();
    }

    const Row* currentRow()
    {
        sync();
        return cursor.currentRow();
    }

    void moveToPosition(int position)
    {
        sync();
        cursor.moveTo(position);
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

    void assign(int field, const QVariant& stored)
    {
        requireEditing();
        buffer[field] = stored;
        modified = true;
        changed();
    }

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

    // Writes the rows to the table file and makes them the shared rows.
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
        const QList<int> key = cursor.primaryPositions();
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
        const TableFiles::Stamp stamp = TableFiles::stampOf(shared->path);
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
};

Table::Table(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) { d->q = this; }

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
        if (!d->cursor.indexName.isEmpty())
            d->cursor.currentIndex(); // an unknown index name is refused now
    } catch (...) {
        d->releaseLock();
        throw;
    }
    d->active = true;
    d->cursor.invalidate();
    d->cursor.currentId = 0;
    d->cursor.pos = 0;
    d->cursor.bof = true;
    d->cursor.eof = false;
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
    d->cursor.clear();
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
    return d->cursor.fieldIndexOf(field);
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
    TableFiles::removeLeftoverCompanions(path, hasMemo, keyFieldCount > 0);
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
    TableFiles::removeTable(path, d->displayName());
    Session::instance().forgetIndexDefs(path);
    d->shared->invalidate();
    if (d->exclusive)
        d->lock = lock;
}

void Table::setIndexName(const QString& name)
{
    if (!d->active) {
        d->cursor.indexName = name;
        return;
    }
    d->checkBrowseMode();
    // The primary index may be chosen by its name as well.
    QString chosen = name;
    for (const IndexDef& def : d->shared->indexes) {
        if (def.primary && !name.isEmpty() && def.name.compare(name, Qt::CaseInsensitive) == 0)
            chosen.clear();
    }
    const QString previous = d->cursor.indexName;
    d->cursor.indexName = chosen;
    try {
        d->cursor.currentIndex();
    } catch (...) {
        d->cursor.indexName = previous;
        throw;
    }
    d->sync();
    d->changed();
}

QString Table::indexName() const { return d->cursor.indexName; }

bool Table::findKey(const QVariantList& values)
{
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    const IndexDef def = d->cursor.currentIndex();
    if (def.fields.isEmpty())
        throw DatabaseError(
            QStringLiteral("The table %1 has no index to search.").arg(d->displayName()));
    const QList<int> positions = d->cursor.indexFieldPositions(def);
    const int n = int(std::min(values.size(), positions.size()));
    Row key(d->fields().size());
    for (int i = 0; i < n; ++i)
        key[positions.at(i)] = d->rules.convert(d->field(positions.at(i)), values.at(i));
    const QList<int> used = positions.mid(0, n);
    const int at = d->cursor.find(def, key, used);
    if (at < 0)
        return false;
    d->moveToPosition(at);
    d->changed();
    return true;
}

void Table::first()
{
    d->requireActive();
    d->checkBrowseMode();
    d->moveToPosition(0);
    d->cursor.bof = true;
    d->changed();
}

void Table::next()
{
    d->requireActive();
    d->checkBrowseMode();
    d->sync();
    if (d->cursor.pos >= 0 && d->cursor.pos + 1 < d->cursor.size()) {
        d->moveToPosition(d->cursor.pos + 1);
        d->changed();
    } else {
        d->cursor.eof = true;
    }
}

bool Table::eof() const
{
    if (!d->active)
        return true;
    d->sync();
    return d->cursor.eof || d->cursor.isEmpty();
}

bool Table::bof() const
{
    if (!d->active)
        return true;
    d->sync();
    return d->cursor.bof || d->cursor.isEmpty();
}

int Table::recordCount() const
{
    d->requireActive();
    d->sync();
    return int(d->cursor.size());
}

int Table::recNo() const
{
    if (!d->active)
        return -1;
    d->sync();
    return d->cursor.isEmpty() ? -1 : d->cursor.pos;
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
    const TableFiles::Stamp stamp = TableFiles::stampOf(d->shared->path);
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
    d->editId = d->cursor.currentId;
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
        const bool empty =
            v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
        if (empty && d->rules.isRequired(fields.at(i)) && fields.at(i).type != FieldType::AutoInc)
            throw DatabaseError(
                QStringLiteral("A value is required for field '%1'.").arg(d->label(i)));
    }

    const QList<StoredRow>& stored = d->shared->rows;
    const bool viewCurrent = d->cursor.isCurrent();
    int editIndex = -1;
    if (d->state == State::Edit) {
        // Mostly the row being edited is the current one.
        if (viewCurrent && d->cursor.pos >= 0 && d->cursor.pos < d->cursor.size() &&
            stored.at(d->cursor.rowAt(d->cursor.pos)).id == d->editId)
            editIndex = d->cursor.rowAt(d->cursor.pos);
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
    const QList<int> key = d->cursor.primaryPositions();
    size_t keyPlace = 0;
    if (!key.isEmpty()) {
        int clash = -1;
        keyPlace = d->cursor.primaryPlace(values, editIndex, &clash);
        if (clash >= 0)
            throw DatabaseError(QStringLiteral("Key violation: the table %1 already has a "
                                               "row with the key '%2'.")
                                    .arg(d->displayName(), keyText(values, key)));
    }
    for (const IndexDef& def : d->shared->indexes) {
        if (!def.unique || def.primary)
            continue;
        const QList<int> positions = d->cursor.indexFieldPositions(def);
        for (int i = 0; i < stored.size(); ++i) {
            if (i == editIndex)
                continue;
            if (compareRows(stored.at(i).values, values, positions, def.caseInsensitive) == 0)
                throw DatabaseError(QStringLiteral("Key violation: the table %1 already has a "
                                                   "row with the key '%2'.")
                                        .arg(d->displayName(), keyText(values, positions)));
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
        const bool keyOrderCurrent = d->cursor.keyOrderCurrent();
        if (editIndex >= 0) {
            const bool keyKept = compareRows(stored.at(editIndex).values, values, key, false) == 0;
            d->shared->rows[editIndex].values = values;
            ++d->shared->generation;
            if (viewCurrent) {
                d->cursor.markCurrent();
                placed = d->cursor.reseatRowInView(editIndex);
            }
            if (keyOrderCurrent && keyKept)
                d->cursor.markKeyOrderCurrent();
        } else {
            id = d->shared->nextRowId++;
            d->shared->rows.append({id, values});
            ++d->shared->generation;
            if (keyOrderCurrent && !key.isEmpty())
                d->cursor.insertIntoKeyOrder(keyPlace, int(d->shared->rows.size()) - 1);
            if (viewCurrent)
                placed = d->cursor.takeLastRowIntoView();
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
    d->cursor.currentId = id;
    d->buffer.clear();
    d->modified = false;
    d->editId = 0;
    d->sync();
    if (placed >= 0)
        d->cursor.pos = placed;
    else
        d->cursor.placeOnCurrent();
    d->cursor.eof = false;
    d->cursor.bof = d->cursor.pos == 0;
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
    const quint64 target = id != 0 ? id : d->cursor.currentId;
    QList<StoredRow> rows = d->shared->rows;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).id == target) {
            rows.removeAt(i);
            break;
        }
    }
    const int oldPos = d->cursor.pos;
    d->store(std::move(rows));
    // The row after the deleted one takes its place.
    d->cursor.currentId = 0;
    d->cursor.pos = oldPos;
    d->sync();
    d->cursor.eof = d->cursor.isEmpty();
    d->cursor.bof = d->cursor.pos <= 0;
    d->changed();
}

void Table::emptyTable()
{
    d->requireActive();
    cancel();
    d->ensureRows();
    d->store({});
    d->cursor.currentId = 0;
    d->cursor.pos = 0;
    d->sync();
    d->cursor.eof = d->cursor.bof = true;
    d->changed();
}

QVariant Table::value(const QString& field) const
{
    d->requireActive();
    const int i = d->cursor.requireField(field);
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
    return d->rules.toInteger(d->field(d->cursor.requireField(field)), v);
}

bool Table::asBoolean(const QString& field) const
{
    const QVariant v = value(field);
    return d->rules.toBoolean(d->field(d->cursor.requireField(field)), v);
}

void Table::setValue(const QString& field, const QVariant& value)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->cursor.requireField(field);
    d->assign(i, d->rules.convert(d->field(i), value));
}

void Table::setAsString(const QString& field, const QString& text)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->cursor.requireField(field);
    d->assign(i, d->rules.fromText(d->field(i), text));
}

void Table::setAsInteger(const QString& field, int value)
{
    d->requireActive();
    d->requireEditing();
    const int i = d->cursor.requireField(field);
    d->assign(i, d->rules.fromInteger(d->field(i), value, QString::number(value)));
}

void Table::setAsBoolean(const QString& field, bool value) { setValue(field, QVariant(value)); }

void Table::clearValue(const QString& field)
{
    d->requireActive();
    d->requireEditing();
    d->assign(d->cursor.requireField(field), QVariant());
}

void Table::setRange(const QString& field, int minimum, int maximum)
{
    d->rules.setRange(field, minimum, maximum);
}

void Table::setDisplayLabel(const QString& field, const QString& label)
{
    d->rules.setLabel(field, label);
}

void Table::setRequired(const QString& field, bool required)
{
    d->rules.setRequired(field, required);
}

QVariant Table::minValue(const QString& field) const { return d->rules.minValue(field); }

QVariant Table::maxValue(const QString& field) const { return d->rules.maxValue(field); }

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
