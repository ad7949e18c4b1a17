// Batched writes of the table cursor: posts and deletes between beginBatch()
// and endBatch() are seen by every cursor of the program at once and reach
// the file once, when the outermost batch ends, or when the cursor closes or
// goes away.

#include "TempInstallation.h"
#include "WorkingCursor.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/Session.h"
#include "engine/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kTable = QStringLiteral("CRDATA.DB");

void addRow(Table& t, const QString& field, int order)
{
    t.insert();
    t.setAsString(QStringLiteral("Field"), field);
    t.setAsInteger(QStringLiteral("Order"), order);
    t.post();
}

} // namespace

class TestTableBatch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_data;

    // Rows in the file as another program would read them.
    qint64 rowsOnDisk() const
    {
        return ParadoxReader(QDir(m_data).filePath(kTable)).readAll().size();
    }
    QStringList fieldsOnDisk() const
    {
        QStringList out;
        for (const Row& r : ParadoxReader(QDir(m_data).filePath(kTable)).readAll())
            out << r.value(0).toString();
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_data = m_root.filePath(QStringLiteral("data"));
        const QString net = m_root.filePath(QStringLiteral("net"));
        QVERIFY(QDir().mkpath(m_data));
        QVERIFY(QDir().mkpath(net));
        const QString aliases = m_root.filePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(TempInstallation::writeAliasFile(aliases, m_data));
        Session::instance().reset();
        Session::instance().setAliasFile(aliases);
        Session::instance().setNetDir(net);
    }

    void init()
    {
        QFile::remove(QDir(m_data).filePath(kTable));
        auto t = workingCursor();
        t->addFieldDef(QStringLiteral("Field"), FieldType::Alpha, 50, true);
        t->addFieldDef(QStringLiteral("Order"), FieldType::Long, 0, true);
        t->addFieldDef(QStringLiteral("Line"), FieldType::Long, 0, false);
        t->addIndexDef(QStringLiteral("PrimaryField"), QStringLiteral("Field"), true, true, false);
        t->addIndexDef(QStringLiteral("iLine"), QStringLiteral("Line"), false, false, true);
        t->createTable();
    }

    // How the batch ends: endBatch(), close(), or the cursor going away.
    void writtenOnceWhenTheBatchEnds_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("endBatch") << 0;
        QTest::newRow("close") << 1;
        QTest::newRow("destroyed") << 2;
    }
    void writtenOnceWhenTheBatchEnds()
    {
        QFETCH(int, ending);
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        addRow(*t, QStringLiteral("Before"), 1);
        QCOMPARE(rowsOnDisk(), 1);

        t->beginBatch();
        addRow(*t, QStringLiteral("Zeta"), 2);
        addRow(*t, QStringLiteral("Alpha"), 3);
        t->first();
        t->deleteRow(); // "Alpha": the primary index orders by Field
        // The cursor and a second cursor of this program see the change; the
        // file does not have it yet.
        QCOMPARE(t->recordCount(), 2);
        QCOMPARE(rowsOnDisk(), 1);
        auto other = workingCursor();
        other->open();
        QCOMPARE(other->recordCount(), 2);
        other->close();
        QCOMPARE(rowsOnDisk(), 1);

        if (ending == 0)
            t->endBatch();
        else if (ending == 1)
            t->close();
        else
            t.reset();
        QCOMPARE(fieldsOnDisk(), (QStringList{QStringLiteral("Before"), QStringLiteral("Zeta")}));
    }

    void nestedBatchesWriteAtTheOutermostEnd()
    {
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        t->beginBatch();
        t->beginBatch();
        addRow(*t, QStringLiteral("One"), 1);
        t->endBatch();
        QCOMPARE(rowsOnDisk(), 0);
        t->endBatch();
        QCOMPARE(rowsOnDisk(), 1);
        t->endBatch(); // no batch open: nothing happens
        QCOMPARE(rowsOnDisk(), 1);
    }

    void boundControlsHearOnceAtTheEnd()
    {
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        QSignalSpy changes(t.get(), &Table::dataChanged);
        t->beginBatch();
        for (int i = 0; i < 5; ++i)
            addRow(*t, QStringLiteral("Row%1").arg(i), i + 1);
        QVERIFY(t->controlsDisabled());
        QCOMPARE(changes.count(), 0);
        t->endBatch();
        QVERIFY(!t->controlsDisabled());
        QCOMPARE(changes.count(), 1);
        // Controls the caller quietened itself stay quiet.
        t->disableControls();
        t->beginBatch();
        addRow(*t, QStringLiteral("Later"), 9);
        t->endBatch();
        QVERIFY(t->controlsDisabled());
        QCOMPARE(changes.count(), 1);
        t->enableControls();
        QCOMPARE(changes.count(), 2);
        QCOMPARE(rowsOnDisk(), 6);
    }

    // Rows added in a batch join the cursor's order where a full sort puts
    // them; rows with equal keys in a secondary index come in primary key
    // order, in a batch or not.
    void addedRowsTakeTheirPlaceInTheOrder_data()
    {
        QTest::addColumn<QString>("index");
        QTest::newRow("primary") << QString();
        QTest::newRow("secondary with equal keys") << QStringLiteral("iLine");
    }
    void addedRowsTakeTheirPlaceInTheOrder()
    {
        QFETCH(QString, index);
        auto order = [](Table& t) {
            QStringList out;
            for (t.first(); !t.eof(); t.next())
                out << t.asString(QStringLiteral("Field"));
            return out;
        };
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        t->setIndexName(index);
        t->beginBatch();
        const QList<int> lines = {3, 1, 2, 1, 3, 2, 1, 2};
        const QStringList names = {QStringLiteral("m"), QStringLiteral("c"), QStringLiteral("x"),
                                   QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("q"),
                                   QStringLiteral("z"), QStringLiteral("d")};
        for (int i = 0; i < names.size(); ++i) {
            t->insert();
            t->setAsString(QStringLiteral("Field"), names.at(i));
            t->setAsInteger(QStringLiteral("Order"), i + 1);
            t->setAsInteger(QStringLiteral("Line"), lines.at(i));
            t->post();
            QCOMPARE(t->asString(QStringLiteral("Field")), names.at(i)); // the new row is current
        }
        // A second cursor sorts the same rows from scratch.
        auto fresh = workingCursor();
        fresh->open();
        fresh->setIndexName(index);
        const QStringList expected = index.isEmpty()
                                         ? QStringList{"a", "b", "c", "d", "m", "q", "x", "z"}
                                         : QStringList{"a", "c", "z", "d", "q", "x", "b", "m"};
        QCOMPARE(order(*fresh), expected);
        QCOMPARE(order(*t), expected);
        t->endBatch();
        QCOMPARE(order(*t), expected);
    }

    // Edits in a batch move their row to its new place in the cursor's
    // order; key search and key refusals agree with a cursor that sorts the
    // rows from scratch; emptying takes every row away in one step.
    void editsKeysAndEmptyingInABatch()
    {
        auto order = [](Table& t) {
            QStringList out;
            for (t.first(); !t.eof(); t.next())
                out << t.asString(QStringLiteral("Field")) + t.asString(QStringLiteral("Line"));
            return out;
        };
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        t->beginBatch();
        for (int i = 0; i < 200; ++i) {
            t->insert();
            t->setAsString(QStringLiteral("Field"),
                           QStringLiteral("f%1").arg(199 - i, 3, 10, QLatin1Char('0')));
            t->setAsInteger(QStringLiteral("Order"), i + 1);
            t->setAsInteger(QStringLiteral("Line"), i % 7);
            t->post();
        }
        t->setIndexName(QStringLiteral("iLine"));
        // Every row found by its line and key, then moved to another line.
        for (int i = 0; i < 200; i += 3) {
            t->setIndexName(QString());
            QVERIFY(t->findKey({QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'))}));
            t->setIndexName(QStringLiteral("iLine"));
            t->edit();
            t->setAsInteger(QStringLiteral("Line"), 9 - i % 5);
            t->post();
            QCOMPARE(t->asString(QStringLiteral("Field")),
                     QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0')));
        }
        QVERIFY(t->findKey({4}));
        QCOMPARE(t->asInteger(QStringLiteral("Line")), 4);
        QVERIFY(!t->findKey({42}));
        auto fresh = workingCursor();
        fresh->open();
        fresh->setIndexName(QStringLiteral("iLine"));
        QCOMPARE(order(*t), order(*fresh));
        // A key taken by a row edited or added in the batch is refused.
        t->setIndexName(QString());
        QVERIFY(t->findKey({QStringLiteral("f010")}));
        t->edit();
        t->setAsString(QStringLiteral("Field"), QStringLiteral("f011"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, t->post());
        t->setAsString(QStringLiteral("Field"), QStringLiteral("g"));
        t->post();
        t->insert();
        t->setAsString(QStringLiteral("Field"), QStringLiteral("g"));
        t->setAsInteger(QStringLiteral("Order"), 1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, t->post());
        t->setAsString(QStringLiteral("Field"), QStringLiteral("f010"));
        t->post();
        t->endBatch();
        QCOMPARE(rowsOnDisk(), 201);

        t->emptyTable();
        QCOMPARE(t->recordCount(), 0);
        QVERIFY(t->eof());
        QCOMPARE(fresh->recordCount(), 0);
        QCOMPARE(rowsOnDisk(), 0);
    }

    void refusalsStillComeAtThePost()
    {
        auto t = workingCursor();
        t->setExclusive(true);
        t->open();
        t->beginBatch();
        addRow(*t, QStringLiteral("Same"), 1);
        bool refused = false;
        try {
            addRow(*t, QStringLiteral("Same"), 2);
        } catch (const DatabaseError&) {
            refused = true;
            t->cancel();
        }
        QVERIFY(refused);
        t->endBatch();
        QCOMPARE(fieldsOnDisk(), QStringList{QStringLiteral("Same")});
    }

    void aClosedCursorCannotStartABatch()
    {
        auto t = workingCursor();
        bool refused = false;
        try {
            t->beginBatch();
        } catch (const DatabaseError&) {
            refused = true;
        }
        QVERIFY(refused);
    }
};

QTEST_GUILESS_MAIN(TestTableBatch)
#include "tst_tablebatch.moc"
