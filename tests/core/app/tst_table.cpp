// The table cursor on real files: creating the working table, two cursors
// sharing rows, index order and key search, typed reading and writing, every
// refusal with its message, the network control directory check, and locks
// that a second process respects.

#include "TableErrors.h"
#include "TempInstallation.h"
#include "WorkingCursor.h"
#include "core/store/WorkingTable.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxFormat.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "engine/TableLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

const QString kAlias = QStringLiteral("VESKA");

void addRow(Table& t, const QString& field, int order, QVariant line = QVariant())
{
    t.insert();
    t.setAsString(QStringLiteral("Field"), field);
    t.setAsInteger(QStringLiteral("Order"), order);
    t.setAsString(QStringLiteral("Header"), field);
    t.setValue(QStringLiteral("Line"), line);
    t.post();
}

} // namespace

class TestTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_data;
    QString m_aliasFile;
    QString m_netDir;

    std::unique_ptr<Table> openWorking(bool exclusive = true)
    {
        auto t = workingCursor();
        t->setExclusive(exclusive);
        t->open();
        return t;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_data = m_root.filePath(QStringLiteral("data"));
        m_netDir = m_root.filePath(QStringLiteral("netctl"));
        QVERIFY(QDir().mkpath(m_data));
        QVERIFY(QDir().mkpath(m_netDir));
        m_aliasFile = m_root.filePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(TempInstallation::writeAliasFile(m_aliasFile, m_data));
    }

    void init()
    {
        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        Session::instance().setNetDir(m_netDir);
        QDir dir(m_data);
        for (const QString& f : dir.entryList(QDir::Files))
            dir.remove(f);
    }

    void createsTheWorkingTable()
    {
        createWorkingTable();
        QVERIFY(QFileInfo::exists(m_data + QStringLiteral("/CRDATA.DB")));
        auto t = openWorking();
        const QList<FieldDef> fields = t->fieldDefs();
        QCOMPARE(fields.size(), 14);
        QCOMPARE(fields.at(0).name, QStringLiteral("Field"));
        QCOMPARE(fields.at(0).type, FieldType::Alpha);
        QCOMPARE(fields.at(0).size, 50);
        QVERIFY(fields.at(0).required);
        QCOMPARE(fields.at(13).name, QStringLiteral("RPosition"));
        QCOMPARE(fields.at(13).type, FieldType::Long);
        QCOMPARE(t->indexDefs().size(), 2);
        QCOMPARE(t->indexDefs().at(1).fields,
                 (QStringList{QStringLiteral("Line"), QStringLiteral("Order")}));
        QCOMPARE(t->recordCount(), 0);
        QVERIFY(t->eof());
        QCOMPARE(t->recNo(), -1);
        QCOMPARE(t->fieldIndex(QStringLiteral("lposition")), 12);
        QVERIFY(!t->hasField(QStringLiteral("Nope")));
    }

    void recreatingEmptiesTheTable()
    {
        createWorkingTable();
        {
            auto t = openWorking();
            addRow(*t, QStringLiteral("Company"), 1);
        }
        createWorkingTable();
        auto t = openWorking();
        QCOMPARE(t->recordCount(), 0);
    }

    void postedRowsReachTheFile()
    {
        createWorkingTable();
        {
            auto t = openWorking();
            addRow(*t, QStringLiteral("Company"), 1, 1);
            addRow(*t, QStringLiteral("City"), 2, 1);
            t->edit();
            t->setAsBoolean(QStringLiteral("Total"), true);
            t->post();
        }
        ParadoxReader reader(m_data + QStringLiteral("/CRDATA.DB"));
        QCOMPARE(reader.recordCount(), 2);
        QCOMPARE(reader.keyFieldCount(), 1);
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), 2);
        // Stored in key order.
        QCOMPARE(rows.at(0).at(0).toString(), QStringLiteral("City"));
        QCOMPARE(rows.at(0).at(5).toBool(), true);
        QCOMPARE(rows.at(1).at(0).toString(), QStringLiteral("Company"));
        QVERIFY(rows.at(1).at(5).isNull());

        // A fresh session reads them back from the file.
        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        auto again = openWorking();
        QCOMPARE(again->recordCount(), 2);
        QVERIFY(again->findKey({QStringLiteral("Company")}));
        QCOMPARE(again->asInteger(QStringLiteral("Order")), 1);
    }

    void secondCursorSeesPostedRows()
    {
        createWorkingTable();
        auto wizard = openWorking(true);
        addRow(*wizard, QStringLiteral("Company"), 1, 1);

        Table editor;
        editor.setDatabaseName(kAlias);
        editor.setTableName(QStringLiteral("CRDATA.DB"));
        editor.open(); // same program: the exclusive open does not shut it out
        editor.setIndexName(QStringLiteral("iOrder"));
        QCOMPARE(editor.recordCount(), 1);

        addRow(*wizard, QStringLiteral("Phone"), 2, 1);
        QCOMPARE(editor.recordCount(), 2);

        // The editor changes a row; the wizard's cursor, still on that row,
        // sees the new value.
        QVERIFY(wizard->findKey({QStringLiteral("Company")}));
        editor.first();
        QCOMPARE(editor.asString(QStringLiteral("Field")), QStringLiteral("Company"));
        editor.edit();
        editor.setAsString(QStringLiteral("LPosition"), QStringLiteral("25"));
        editor.post();
        wizard->refresh();
        QCOMPARE(wizard->asString(QStringLiteral("Field")), QStringLiteral("Company"));
        QCOMPARE(wizard->asInteger(QStringLiteral("LPosition")), 25);

        // Deleting through one cursor removes the row from the other.
        editor.first();
        editor.deleteRow();
        QCOMPARE(wizard->recordCount(), 1);
        QCOMPARE(wizard->asString(QStringLiteral("Field")), QStringLiteral("Phone"));
    }

    void orderIndexSortsByLineThenOrder()
    {
        createWorkingTable();
        auto t = openWorking();
        addRow(*t, QStringLiteral("A"), 3, 2);
        addRow(*t, QStringLiteral("B"), 2, 1);
        addRow(*t, QStringLiteral("C"), 1, 2);
        addRow(*t, QStringLiteral("D"), 4); // no line: first
        addRow(*t, QStringLiteral("E"), 1, 1);

        auto walk = [&]() {
            QStringList seen;
            for (t->first(); !t->eof(); t->next())
                seen << t->asString(QStringLiteral("Field"));
            return seen.join(QString());
        };
        QCOMPARE(walk(), QStringLiteral("ABCDE"));
        t->setIndexName(QStringLiteral("iOrder"));
        QCOMPARE(walk(), QStringLiteral("DEBCA"));
        t->setIndexName(QStringLiteral("PrimaryField"));
        QCOMPARE(t->indexName(), QString());
        QCOMPARE(walk(), QStringLiteral("ABCDE"));
        t->setIndexName(QString());
        t->moveTo(2);
        QCOMPARE(t->recNo(), 2);
        QCOMPARE(t->asString(QStringLiteral("Field")), QStringLiteral("C"));
        t->moveTo(99);
        QCOMPARE(t->recNo(), 4);
    }

    void findKeyUsesTheCurrentIndex()
    {
        createWorkingTable();
        auto t = openWorking();
        addRow(*t, QStringLiteral("Company"), 1, 1);
        addRow(*t, QStringLiteral("City"), 2, 3);
        QVERIFY(t->findKey({QStringLiteral("City")}));
        QCOMPARE(t->asInteger(QStringLiteral("Order")), 2);
        QVERIFY(!t->findKey({QStringLiteral("city")})); // the primary key minds case
        QCOMPARE(t->asString(QStringLiteral("Field")), QStringLiteral("City")); // not moved
        QVERIFY(!t->findKey({QStringLiteral("Zip")}));
        t->setIndexName(QStringLiteral("iOrder"));
        QVERIFY(t->findKey({1}));
        QCOMPARE(t->asString(QStringLiteral("Field")), QStringLiteral("Company"));
        QVERIFY(t->findKey({QStringLiteral("3"), 2}));
        QCOMPARE(t->asString(QStringLiteral("Field")), QStringLiteral("City"));
    }

    void pendingEditIsPostedBeforeMoving()
    {
        createWorkingTable();
        auto t = openWorking();
        addRow(*t, QStringLiteral("A"), 1);
        addRow(*t, QStringLiteral("B"), 2);
        t->first();
        t->edit();
        t->setAsString(QStringLiteral("Header"), QStringLiteral("Changed"));
        QVERIFY(t->findKey({QStringLiteral("B")}));
        QCOMPARE(t->state(), Table::State::Browse);
        QVERIFY(t->findKey({QStringLiteral("A")}));
        QCOMPARE(t->asString(QStringLiteral("Header")), QStringLiteral("Changed"));

        // Cancel drops the edit.
        t->edit();
        t->setAsString(QStringLiteral("Header"), QStringLiteral("Dropped"));
        t->cancel();
        QCOMPARE(t->asString(QStringLiteral("Header")), QStringLiteral("Changed"));
    }

    void typedValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<int>("asInteger");
        QTest::addColumn<bool>("asBoolean");
        QTest::newRow("long") << "LPosition"
                              << "42"
                              << "42" << 42 << true;
        QTest::newRow("long with blanks") << "LPosition"
                                          << " 7 "
                                          << "7" << 7 << true;
        QTest::newRow("negative long") << "Line"
                                       << "-3"
                                       << "-3" << -3 << true;
        QTest::newRow("empty long") << "LPosition"
                                    << ""
                                    << "" << 0 << false;
        QTest::newRow("blank long") << "LPosition"
                                    << "   "
                                    << "" << 0 << false;
        QTest::newRow("logical True") << "Total"
                                      << "True"
                                      << "True" << 1 << true;
        QTest::newRow("logical f") << "Total"
                                   << "f"
                                   << "False" << 0 << false;
        QTest::newRow("logical empty") << "Total"
                                       << ""
                                       << "" << 0 << false;
        QTest::newRow("text") << "Header"
                              << "Phone 1"
                              << "Phone 1" << 0 << false;
    }

    void typedValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        QFETCH(int, asInteger);
        QFETCH(bool, asBoolean);
        createWorkingTable();
        auto t = openWorking();
        t->insert();
        t->setAsString(QStringLiteral("Field"), QStringLiteral("X"));
        t->setAsInteger(QStringLiteral("Order"), 1);
        t->setAsString(field, text);
        t->post();
        QCOMPARE(t->asString(field), readBack);
        QCOMPARE(t->isNull(field), readBack.isEmpty());
        if (field != QLatin1String("Header")) {
            QCOMPARE(t->asInteger(field), asInteger);
            QCOMPARE(t->asBoolean(field), asBoolean);
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("required field") << "required"
                                        << "A value is required for field 'Field'.";
        QTest::newRow("required by cursor") << "requiredOverride"
                                            << "A value is required for field 'Line'.";
        QTest::newRow("key violation")
            << "key"
            << "Key violation: the table CRDATA.DB already has a row with the key 'Company'.";
        QTest::newRow("not an integer")
            << "integer"
            << "'12a' is not a valid integer value for field 'LPosition'.";
        QTest::newRow("integer too large")
            << "huge"
            << "'3000000000' is not a valid integer value for field 'LPosition'.";
        QTest::newRow("not a logical") << "logical"
                                       << "'maybe' is not a valid logical value for field 'LDots'.";
        QTest::newRow("out of range")
            << "range"
            << "'301' is not a valid value for field 'RPosition'. The allowed range is 1 to 300.";
        QTest::newRow("below range")
            << "rangeLow"
            << "'0' is not a valid value for field 'Line'. The allowed range is 1 to 9.";
        QTest::newRow("text too long")
            << "long"
            << QStringLiteral("The text '%1' is too long for field 'Field', which holds "
                              "at most 50 characters.")
                   .arg(QString(51, QLatin1Char('x')));
        QTest::newRow("unknown field") << "field"
                                       << "Field 'Colour' not found in the table CRDATA.DB.";
        QTest::newRow("not editing")
            << "notEditing"
            << "The table CRDATA.DB is not being edited: start an insert or edit first.";
        QTest::newRow("unknown index") << "index"
                                       << "The table CRDATA.DB has no index named 'iName'.";
        QTest::newRow("missing table")
            << "missingTable"
            << "The table NOPE.DB cannot be found in " + QDir::toNativeSeparators(m_data) + ".";
        QTest::newRow("unknown alias") << "alias"
                                       << "Unknown database: NOSUCH.";
        QTest::newRow("alias without folder")
            << "noPath"
            << "The database EMPTY names no folder: set its PATH= line in " +
                   QDir::toNativeSeparators(m_root.filePath(QStringLiteral("EMPTY.INI"))) + ".";
        QTest::newRow("closed table") << "closed"
                                      << "The table CRDATA.DB is not open.";
        QTest::newRow("delete from empty") << "emptyDelete"
                                           << "The table CRDATA.DB has no row to delete.";
        QTest::newRow("delete an open table") << "deleteOpen"
                                              << "Close the table CRDATA.DB before deleting it.";
    }

    void refusals()
    {
        QFETCH(QString, action);
        QFETCH(QString, message);
        createWorkingTable();
        auto t = openWorking();
        addRow(*t, QStringLiteral("Company"), 1, 1);
        t->setRange(QStringLiteral("Line"), 1, 9);
        t->setRange(QStringLiteral("RPosition"), 300, 1); // given either way round

        const QString error = errorOf([&]() {
            if (action == QLatin1String("required")) {
                t->insert();
                t->setAsInteger(QStringLiteral("Order"), 2);
                t->post();
            } else if (action == QLatin1String("requiredOverride")) {
                t->setRequired(QStringLiteral("Line"), true);
                t->edit();
                t->clearValue(QStringLiteral("Line"));
                t->post();
            } else if (action == QLatin1String("key")) {
                addRow(*t, QStringLiteral("Company"), 2);
            } else if (action == QLatin1String("integer")) {
                t->edit();
                t->setAsString(QStringLiteral("LPosition"), QStringLiteral("12a"));
            } else if (action == QLatin1String("huge")) {
                t->edit();
                t->setAsString(QStringLiteral("LPosition"), QStringLiteral("3000000000"));
            } else if (action == QLatin1String("logical")) {
                t->edit();
                t->setAsString(QStringLiteral("LDots"), QStringLiteral("maybe"));
            } else if (action == QLatin1String("range")) {
                t->edit();
                t->setAsString(QStringLiteral("RPosition"), QStringLiteral("301"));
            } else if (action == QLatin1String("rangeLow")) {
                t->edit();
                t->setAsInteger(QStringLiteral("Line"), 0);
            } else if (action == QLatin1String("long")) {
                t->edit();
                t->setAsString(QStringLiteral("Field"), QString(51, QLatin1Char('x')));
            } else if (action == QLatin1String("field")) {
                t->asString(QStringLiteral("Colour"));
            } else if (action == QLatin1String("notEditing")) {
                t->setAsInteger(QStringLiteral("Line"), 2);
            } else if (action == QLatin1String("index")) {
                t->setIndexName(QStringLiteral("iName"));
            } else if (action == QLatin1String("missingTable")) {
                Table other;
                other.setDatabaseName(kAlias);
                other.setTableName(QStringLiteral("NOPE.DB"));
                other.open();
            } else if (action == QLatin1String("alias")) {
                Table other;
                other.setDatabaseName(QStringLiteral("NOSUCH"));
                other.setTableName(QStringLiteral("CRDATA.DB"));
                other.open();
            } else if (action == QLatin1String("noPath")) {
                // An alias file as shipped, before anyone filled in the folder.
                QFile ini(m_root.filePath(QStringLiteral("EMPTY.INI")));
                QVERIFY(ini.open(QIODevice::WriteOnly));
                ini.write("[EMPTY]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=\r\n");
                ini.close();
                Session::instance().setAliasFile(ini.fileName());
                Table other;
                other.setDatabaseName(QStringLiteral("EMPTY"));
                other.setTableName(QStringLiteral("CRDATA.DB"));
                auto restore = qScopeGuard([&] { Session::instance().setAliasFile(m_aliasFile); });
                other.open();
            } else if (action == QLatin1String("closed")) {
                t->close();
                t->first();
            } else if (action == QLatin1String("emptyDelete")) {
                t->first();
                t->deleteRow();
                t->deleteRow();
            } else if (action == QLatin1String("deleteOpen")) {
                t->deleteTable();
            }
        });
        QCOMPARE(error, message);

        // A refused row is not stored, and the table still holds what it held.
        t->cancel();
        if (action != QLatin1String("emptyDelete") && action != QLatin1String("closed")) {
            QCOMPARE(t->recordCount(), 1);
            t->first();
            QCOMPARE(t->asString(QStringLiteral("Field")), QStringLiteral("Company"));
        }
        t->close();
        ParadoxReader reader(m_data + QStringLiteral("/CRDATA.DB"));
        QCOMPARE(reader.recordCount(), action == QLatin1String("emptyDelete") ? 0 : 1);
    }

    void rangeLimitsAreReported()
    {
        createWorkingTable();
        auto t = openWorking();
        QVERIFY(t->minValue(QStringLiteral("Line")).isNull());
        t->setRange(QStringLiteral("Line"), 1, 9);
        QCOMPARE(t->minValue(QStringLiteral("line")).toInt(), 1);
        QCOMPARE(t->maxValue(QStringLiteral("LINE")).toInt(), 9);
    }

    void openReadsTheHeaderOnly()
    {
        createWorkingTable();
        {
            auto t = openWorking();
            for (int i = 1; i <= 20; ++i)
                addRow(*t, QStringLiteral("F%1").arg(i), i);
        }
        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        Table t;
        t.setDatabaseName(kAlias);
        t.setTableName(QStringLiteral("crdata.db")); // names ignore case
        QCOMPARE(t.fieldDefs().size(), 14);          // header of a closed table
        t.open();
        // The rows were not read: with the file gone they cannot be.
        const QString path = m_data + QStringLiteral("/CRDATA.DB");
        const QString saved = m_root.filePath(QStringLiteral("saved.db"));
        QVERIFY(QFile::rename(path, saved));
        QCOMPARE(t.fieldDefs().size(), 14);
        QVERIFY(!errorOf([&]() { t.recordCount(); }).isEmpty());
        QVERIFY(QFile::rename(saved, path));
        QCOMPARE(t.recordCount(), 20);
    }

    void signalsFollowTheCursor()
    {
        createWorkingTable();
        auto t = openWorking();
        addRow(*t, QStringLiteral("A"), 1);
        addRow(*t, QStringLiteral("B"), 2);
        QSignalSpy changed(t.get(), &Table::dataChanged);
        QSignalSpy state(t.get(), &Table::stateChanged);
        t->first();
        QCOMPARE(changed.size(), 1);
        t->next();
        QCOMPARE(changed.size(), 2);
        t->edit();
        QCOMPARE(state.size(), 1);
        t->setAsString(QStringLiteral("Header"), QStringLiteral("b"));
        QCOMPARE(changed.size(), 4);
        t->post();
        QCOMPARE(state.size(), 2);

        changed.clear();
        t->disableControls();
        t->disableControls();
        QVERIFY(t->controlsDisabled());
        t->first();
        t->next();
        t->enableControls();
        QCOMPARE(changed.size(), 0);
        t->enableControls();
        QVERIFY(!t->controlsDisabled());
        QCOMPARE(changed.size(), 1);
    }

    void deleteTableRemovesItsFiles()
    {
        createWorkingTable();
        QFile stale(m_data + QStringLiteral("/CRDATA.X02"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QFile report(m_data + QStringLiteral("/CRDATA.rpt")); // not part of the table
        QVERIFY(report.open(QIODevice::WriteOnly));
        report.close();

        Table t;
        t.setDatabaseName(kAlias);
        t.setTableName(QStringLiteral("CRDATA.DB"));
        t.deleteTable();
        QVERIFY(!QFileInfo::exists(m_data + QStringLiteral("/CRDATA.DB")));
        QVERIFY(!QFileInfo::exists(m_data + QStringLiteral("/CRDATA.PX")));
        QVERIFY(!stale.exists());
        QVERIFY(report.exists());
        QCOMPARE(errorOf([&]() { t.deleteTable(); }), "The table CRDATA.DB cannot be found in " +
                                                          QDir::toNativeSeparators(m_data) + ".");
    }

    // Dates, times and timestamps typed as text: each format the cursor
    // accepts, blanks around it, and text that fits none.
    void readsDatesAndTimesFromText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected"); // invalid: refused
        const QDate day(2024, 3, 5);
        QTest::newRow("date iso") << "D"
                                  << " 2024-03-05 " << QVariant(day);
        QTest::newRow("date m/d/y") << "D"
                                    << "3/5/2024" << QVariant(day);
        QTest::newRow("date d.m.y") << "D"
                                    << "5.3.2024" << QVariant(day);
        QTest::newRow("date bad") << "D"
                                  << "2024-13-05" << QVariant();
        QTest::newRow("time h:m:s") << "T"
                                    << "9:05:07" << QVariant(QTime(9, 5, 7));
        QTest::newRow("time h:m") << "T"
                                  << "9:05" << QVariant(QTime(9, 5));
        QTest::newRow("time ms") << "T"
                                 << "9:05:07.250" << QVariant(QTime(9, 5, 7, 250));
        QTest::newRow("time bad") << "T"
                                  << "25:00" << QVariant();
        QTest::newRow("stamp space")
            << "S"
            << "2024-03-05 09:05:07" << QVariant(QDateTime(day, QTime(9, 5, 7)));
        QTest::newRow("stamp T") << "S"
                                 << "2024-03-05T09:05:07"
                                 << QVariant(QDateTime(day, QTime(9, 5, 7)));
        QTest::newRow("stamp h:m") << "S"
                                   << "2024-03-05 09:05" << QVariant(QDateTime(day, QTime(9, 5)));
        QTest::newRow("stamp day") << "S"
                                   << "2024-03-05" << QVariant(QDateTime(day, QTime(0, 0)));
        QTest::newRow("stamp bad") << "S"
                                   << "5 March" << QVariant();
    }
    void readsDatesAndTimesFromText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        Table t;
        t.setDatabaseName(kAlias);
        t.setTableName(QStringLiteral("WHEN.DB"));
        t.addFieldDef(QStringLiteral("D"), FieldType::Date, 0, false);
        t.addFieldDef(QStringLiteral("T"), FieldType::Time, 0, false);
        t.addFieldDef(QStringLiteral("S"), FieldType::Timestamp, 0, false);
        t.createTable();
        t.open();
        t.insert();
        const QString error = errorOf([&] { t.setAsString(field, text); });
        if (!expected.isValid()) {
            QVERIFY2(error.contains(text), qPrintable(error));
            return;
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(t.value(field), expected);
    }

    void readsTablesWrittenByOtherTools()
    {
        const QString testdata = qEnvironmentVariable("TV_TESTDATA") + QStringLiteral("/paradox");
        if (!QFileInfo::exists(testdata + QStringLiteral("/country.db")))
            QSKIP("the shared test tables are not there");
        const QString copy = m_root.filePath(QStringLiteral("real"));
        QDir().mkpath(copy);
        QFile::remove(copy + QStringLiteral("/country.db"));
        QVERIFY(QFile::copy(testdata + QStringLiteral("/country.db"),
                            copy + QStringLiteral("/country.db")));
        const QString aliasFile = m_root.filePath(QStringLiteral("REAL.INI"));
        QVERIFY(TempInstallation::writeAliasFile(aliasFile, copy));
        Session::instance().setAliasFile(aliasFile);

        Table t;
        t.setDatabaseName(kAlias);
        t.setTableName(QStringLiteral("COUNTRY.DB"));
        t.open();
        QCOMPARE(t.fieldDefs().size(), 5);
        QCOMPARE(t.indexDefs().size(), 1);
        QVERIFY(t.indexDefs().at(0).primary);
        QCOMPARE(t.recordCount(), 18);
        t.first();
        QCOMPARE(t.asString(QStringLiteral("Name")), QStringLiteral("Argentina"));
        QVERIFY(t.findKey({QStringLiteral("Venezuela")}));
        QCOMPARE(t.asString(QStringLiteral("Capital")), QStringLiteral("Caracas"));
        QCOMPARE(t.asInteger(QStringLiteral("Area")), 912047);
    }

    void encryptedTablesShowColumnsButNotRows()
    {
        createWorkingTable();
        {
            auto t = openWorking();
            addRow(*t, QStringLiteral("Company"), 1);
        }
        // Mark the table as password-protected: a checksum in the header.
        {
            QFile f(m_data + QStringLiteral("/CRDATA.DB"));
            QVERIFY(f.open(QIODevice::ReadWrite));
            for (qint64 offset : {ParadoxFormat::OffEncryption1, ParadoxFormat::OffEncryption2}) {
                f.seek(offset);
                f.write("\x78\x56\x34\x12", 4);
            }
        }
        Session::instance().reset();
        Session::instance().setAliasFile(m_aliasFile);
        Session::instance().addPassword(QStringLiteral("sesame"));
        Table t;
        t.setDatabaseName(kAlias);
        t.setTableName(QStringLiteral("CRDATA.DB"));
        QCOMPARE(t.fieldDefs().size(), 14);
        t.setExclusive(true);
        t.open();
        const QString error = errorOf([&]() { t.recordCount(); });
        QCOMPARE(error,
                 QStringLiteral("The table CRDATA.DB is encrypted, and none of the passwords "
                                "of this program opens it."));
        QVERIFY(!error.contains(QStringLiteral("sesame")));
        // Nothing is written over it either.
        QVERIFY(!errorOf([&]() { t.insert(); }).isEmpty());
    }

    void netDirMustBeUsable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing"
                                 << "The network control directory %1 does not exist.";
        QTest::newRow("a file") << "file"
                                << "The network control directory %1 is not a folder.";
    }

    void netDirMustBeUsable()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        createWorkingTable();
        const QString netDir = m_root.filePath(QStringLiteral("net-") + kind);
        if (kind == QLatin1String("file")) {
            QFile f(netDir);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Session::instance().setNetDir(netDir);
        auto openIt = [&]() {
            Table t;
            t.setDatabaseName(kAlias);
            t.setTableName(QStringLiteral("CRDATA.DB"));
            t.open();
        };
        const QString error = errorOf(openIt);
        QVERIFY2(error.startsWith(message.arg(netDir)), qPrintable(error));
        QVERIFY(error.contains(QStringLiteral("netdir")));
        // Every table operation that touches files is refused the same way.
        QVERIFY(errorOf([&]() {
                    Table t;
                    t.setDatabaseName(kAlias);
                    t.setTableName(QStringLiteral("CRDATA.DB"));
                    t.fieldDefs();
                }).startsWith(message.arg(netDir)));

        // Once the folder is there, the same session opens tables.
        QFile::remove(netDir);
        QVERIFY(QDir().mkpath(netDir));
        QCOMPARE(errorOf(openIt), QString());
        // No probe file is left behind.
        QCOMPARE(QDir(netDir).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void exclusiveOpenIsRefusedToAnotherProcess()
    {
        createWorkingTable();
        {
            auto t = openWorking();
            addRow(*t, QStringLiteral("Company"), 1);
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--hold-lock"), m_aliasFile, QStringLiteral("CRDATA.DB")});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("locked"));
        QVERIFY(TableLock::lockedElsewhere(m_data + QStringLiteral("/CRDATA.DB")));

        const QString inUse = QStringLiteral("The table CRDATA.DB is in use by another user.");
        QCOMPARE(errorOf([&]() { openWorking(true); }), inUse);
        QCOMPARE(errorOf([&]() { openWorking(false); }), inUse);
        // A second wizard can neither recreate nor delete the first one's table.
        QCOMPARE(errorOf([&]() { createWorkingTable(); }), inUse);
        QCOMPARE(errorOf([&]() {
                     Table t;
                     t.setDatabaseName(kAlias);
                     t.setTableName(QStringLiteral("CRDATA.DB"));
                     t.deleteTable();
                 }),
                 inUse);
        QCOMPARE(ParadoxReader(m_data + QStringLiteral("/CRDATA.DB")).recordCount(), 1);
        // The header can still be read: listing columns needs no lock.
        {
            Table t;
            t.setDatabaseName(kAlias);
            t.setTableName(QStringLiteral("CRDATA.DB"));
            QCOMPARE(t.fieldDefs().size(), 14);
        }

        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
        QVERIFY(!TableLock::lockedElsewhere(m_data + QStringLiteral("/CRDATA.DB")));
        auto t = openWorking(true);
        QCOMPARE(t->recordCount(), 1);
    }

    void lockIsHeldFromCreateUntilClose()
    {
        // The wizard creates its table, and holds it from then on, so a
        // second copy started later cannot recreate it under the first.
        Table wizard;
        wizard.setDatabaseName(kAlias);
        wizard.setTableName(QStringLiteral("CRDATA.DB"));
        wizard.setExclusive(true);
        WorkingTable::defineSchema(wizard);
        wizard.createTable();
        const QString path = m_data + QStringLiteral("/CRDATA.DB");
        QVERIFY(TableLock::heldHere(path));
        wizard.open();
        wizard.close();
        QVERIFY(!TableLock::heldHere(path));

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--hold-lock"), m_aliasFile, QStringLiteral("CRDATA.DB")});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("locked"));
        QVERIFY(!errorOf([&]() { wizard.createTable(); }).isEmpty());
        QVERIFY(!TableLock::heldHere(path));
        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(20000));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdTableLock(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_table.moc"
