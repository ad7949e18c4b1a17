#pragma once

#include "engine/ParadoxTypes.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

struct SharedTableState;

// A cursor on one Paradox table, bound to a database alias and a table name
// in the alias's folder. It offers what the wizard and its dialogs need of a
// database engine: open and exclusive open, the field and index lists,
// create and delete, index choice and key search, navigation, editing with
// insert/edit/post/cancel/delete, typed reading and writing of columns, and
// suspension of bound controls. Every refusal raises DatabaseError with a
// message in plain words.
class Table : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    void setDatabaseName(const QString& alias);
    QString databaseName() const;
    void setTableName(const QString& name);
    QString tableName() const;
    // Full path of the table file (alias folder joined with the table name).
    QString filePath() const;

    // Exclusive opens take a lock that other processes respect.
    void setExclusive(bool exclusive);
    bool exclusive() const;

    void open();  // no effect when already open
    void close(); // no effect when closed; a pending edit is cancelled
    bool isActive() const;
    State state() const;

    // Columns of the table in order (the table must be open, or the header
    // is read for the purpose). Name lookups are case-insensitive.
    QList<FieldDef> fieldDefs() const;
    int fieldIndex(const QString& field) const; // -1 when missing
    bool hasField(const QString& field) const;
    QList<IndexDef> indexDefs() const;

    // Definitions for createTable().
    void clearFieldDefs();
    void addFieldDef(const QString& name, FieldType type, int size, bool required);
    void clearIndexDefs();
    // fields separated by ';'
    void addIndexDef(const QString& name, const QString& fields, bool primary, bool unique,
                     bool caseInsensitive);
    void createTable(); // writes an empty table; it stays closed
    void deleteTable(); // removes the table and its companion files

    // Index choice: "" or the primary index's name selects the primary index.
    void setIndexName(const QString& name);
    QString indexName() const;
    // Finds the row whose key in the current index equals the values and
    // makes it current; false leaves the cursor where it was.
    bool findKey(const QVariantList& values);

    void first();
    void next();
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    int recNo() const; // 0-based position in the current order, -1 when empty
    void moveTo(int position);
    void refresh(); // re-read what other cursors or processes have stored

    void insert(); // starts a new row; it becomes current when posted
    void edit();
    void post();
    void cancel();
    void deleteRow();
    // Deletes every row in one step (a pending edit is dropped).
    void emptyTable();

    // Reading the current row (of the pending edit while one is open).
    QVariant value(const QString& field) const;
    bool isNull(const QString& field) const;
    QString asString(const QString& field) const;
    int asInteger(const QString& field) const;  // empty reads as 0
    bool asBoolean(const QString& field) const; // empty reads as false

    // Writing the current row; needs Edit or Insert state. An empty text
    // stores an empty value. A text that is not a number or logical value
    // for the column's type, or a value out of range, raises DatabaseError
    // naming the value and the column.
    void setValue(const QString& field, const QVariant& value);
    void setAsString(const QString& field, const QString& text);
    void setAsInteger(const QString& field, int value);
    void setAsBoolean(const QString& field, bool value);
    void clearValue(const QString& field);

    // Per-column limits checked on assignment (used by the column editor).
    void setRange(const QString& field, int minimum, int maximum);

    // The name by which this cursor's messages call a column (the caption
    // the user sees it under); without one, the column's own name.
    void setDisplayLabel(const QString& field, const QString& label);

    // Makes a column required, or not, for posts through this cursor whatever
    // the table's own definition says (the column editor requires its grid
    // columns).
    void setRequired(const QString& field, bool required);

    // The limits given with setRange(), or an empty value when there are none.
    QVariant minValue(const QString& field) const;
    QVariant maxValue(const QString& field) const;

    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // Many posts in a row: between beginBatch() and endBatch() posts and
    // deletes change the rows in memory, which every cursor of this program
    // on the table sees at once, and the table file is written once, when
    // the outermost batch ends, instead of once per post. Controls bound to
    // this cursor are quiet meanwhile (as with disableControls()) and hear
    // once at the end. Closing or destroying the cursor ends its batches. Meant for a table this
    // program holds exclusively (the working table), which no other program reads in the meantime.
    // endBatch() raises DatabaseError when the file cannot be written.
    void beginBatch();
    void endBatch();

signals:
    // The current row moved, or its values changed, or the table opened or
    // closed: controls bound to the table re-read what they show.
    void dataChanged();
    void stateChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Keeps the controls bound to a table still during a bulk change; they read
// the table once when the scope ends.
class QuietControls
{
public:
    explicit QuietControls(Table& table) : m_table(table) { m_table.disableControls(); }
    ~QuietControls() { m_table.enableControls(); }
    QuietControls(const QuietControls&) = delete;
    QuietControls& operator=(const QuietControls&) = delete;

private:
    Table& m_table;
};

// Writes the table file once for a run of posts or deletes instead of once
// per row (see Table::beginBatch). finish() writes it and lets a failure
// through; a run cut short by an error is written on the way out as far as
// it can be, and the error that cut it short is the one that travels on.
class BatchedWrites
{
public:
    explicit BatchedWrites(Table& table) : m_table(table) { m_table.beginBatch(); }
    ~BatchedWrites()
    {
        if (m_finished)
            return;
        try {
            m_table.endBatch();
        } catch (...) {
        }
    }
    void finish()
    {
        m_finished = true;
        m_table.endBatch();
    }
    BatchedWrites(const BatchedWrites&) = delete;
    BatchedWrites& operator=(const BatchedWrites&) = delete;

private:
    Table& m_table;
    bool m_finished = false;
};
