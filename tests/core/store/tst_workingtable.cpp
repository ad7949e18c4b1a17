// The wizard's working table apart from the window: its schema, the rows
// the pages write, and the way between its rows and a report file's blocks.
#include "StoreFixture.h"
#include "core/store/ReportFile.h"
#include "core/store/ReportParser.h"
#include "core/store/WorkingTable.h"
#include "engine/DatabaseError.h"
#include "engine/TableLock.h"

#include <QFileInfo>
#include <QTest>

namespace {

const QString kAlias = QStringLiteral("VESKA");

ReportFileField block(const QString& field, std::optional<int> line, std::optional<int> left,
                      std::optional<int> right)
{
    ReportFileField f;
    f.field = field;
    f.header = field + QStringLiteral(" header");
    f.dbType = 0;
    f.line = line;
    f.lPosition = left;
    f.rPosition = right;
    return f;
}

// A report whose blocks are already in print order: a field without a line
// first, then by line, in file order within a line.
ReportFileContent sample()
{
    ReportFileContent c;
    c.description = QStringLiteral("Calls by city");
    c.order = ReportOrder::Contact;
    c.kind = InfoKind::Call;
    c.printableWidth = 75;
    ReportFileField none = block(QStringLiteral("Memo"), std::nullopt, std::nullopt, std::nullopt);
    ReportFileField company = block(QStringLiteral("Company"), 1, 1, 30);
    company.lDots = company.total = company.max = true;
    ReportFileField city = block(QStringLiteral("City"), 1, 31, 50);
    city.rDots = city.count = true;
    ReportFileField summary = block(QStringLiteral("Summary"), 2, 1, 60);
    summary.dbType = 1;
    summary.header = QStringLiteral("Caf\u00e9 notes");
    summary.average = summary.min = true;
    c.fields = {none, company, city, summary};
    return c;
}

ParsedReport parsed(const ReportFileContent& content)
{
    const std::optional<QByteArray> bytes = ReportFile::encode(content);
    if (!bytes)
        qFatal("sample report cannot be encoded");
    return ReportParser::parse(*bytes, QStringLiteral("sample.rpt"));
}

QStringList fieldsOf(const QList<ReportFileField>& blocks)
{
    QStringList out;
    for (const ReportFileField& b : blocks)
        out << b.field;
    return out;
}

} // namespace

class TestWorkingTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreFixture> m_fixture;
    std::unique_ptr<Table> m_table;

    Table& made()
    {
        WorkingTable::create(*m_table, kAlias);
        m_table->open();
        return *m_table;
    }

private slots:
    void init()
    {
        m_fixture = std::make_unique<StoreFixture>();
        m_table = std::make_unique<Table>();
        WorkingTable::prepare(*m_table);
    }
    void cleanup()
    {
        m_table.reset();
        m_fixture.reset();
    }

    // Made anew, in the folder of the alias, held by this cursor alone; a
    // second cursor on the folder is refused, naming the table as in use.
    void createAndRefuse()
    {
        Table& t = made();
        const QString path = m_fixture->dataPath(WorkingTable::tableName);
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(TableLock::heldHere(path));
        QCOMPARE(t.fieldDefs().size(), 14);
        QCOMPARE(t.indexDefs().at(1).name, WorkingTable::printOrderIndex);
        WorkingTable::recordField(t, QStringLiteral("Company"), QStringLiteral("Firm"), 0);

        // Made again: the old rows are gone.
        WorkingTable::create(t, kAlias);
        t.open();
        QCOMPARE(t.recordCount(), 0);

        // An alias without a folder has no place for the table.
        Table nowhere;
        QVERIFY_THROWS_EXCEPTION(WorkingTableRefused,
                                 WorkingTable::create(nowhere, QStringLiteral("NOSUCHALIAS")));
    }

    // A parsed report goes in row by row and comes out as the same blocks,
    // so that writing it again gives the same bytes.
    void loadAndReadBack()
    {
        Table& t = made();
        const ReportFileContent content = sample();
        const WorkingTable::LoadResult result =
            WorkingTable::load(t, parsed(content), QStringLiteral("/data/sample.rpt"));
        QVERIFY(!result.error);
        QVERIFY(result.cutFields.isEmpty());
        QCOMPARE(t.recordCount(), 4);

        const QList<ReportFileField> blocks = WorkingTable::blocksInPrintOrder(t);
        QCOMPARE(blocks, content.fields);
        ReportFileContent again = content;
        again.fields = blocks;
        QCOMPARE(ReportFile::encode(again), ReportFile::encode(content));

        // Rows are numbered in file order.
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("City")}));
        QCOMPARE(t.asInteger(WorkingTable::Order), 3);
    }

    // Reading the rows in print order leaves the cursor on its index and
    // row: the controls bound to it go on showing the same field.
    void readingKeepsTheCursor()
    {
        Table& t = made();
        QVERIFY(!WorkingTable::load(t, parsed(sample()), QStringLiteral("x.rpt")).error);
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("Summary")}));
        WorkingTable::blocksInPrintOrder(t);
        QCOMPARE(t.indexName(), QString());
        QCOMPARE(t.asString(WorkingTable::Field), QStringLiteral("Summary"));
        WorkingTable::writeOrders(t, {QStringLiteral("Summary"), QStringLiteral("Company")});
        QCOMPARE(t.asString(WorkingTable::Field), QStringLiteral("Summary"));
    }

    // A text the table cannot hold stops the load at its own line and column,
    // naming the file; one longer than a row holds is cut and reported.
    void loadErrors_data()
    {
        QTest::addColumn<int>("blockIndex");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString zero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("zero in header")
            << 1 << "Header" << zero
            << "The report file /data/bad.rpt cannot be loaded: line 22, field Header: the column "
               "header holds a zero character, which the table cannot store.";
        QTest::newRow("zero in field name")
            << 3 << "Field" << zero
            << "The report file /data/bad.rpt cannot be loaded: line 49, field Field: the field "
               "name holds a zero character, which the table cannot store.";
        QTest::newRow("long header") << 2 << "Header" << QString(60, QLatin1Char('h')) << QString();
        QTest::newRow("long field") << 0 << "Field" << QString(70, QLatin1Char('f')) << QString();
    }
    void loadErrors()
    {
        QFETCH(int, blockIndex);
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        Table& t = made();
        ParsedReport report = parsed(sample());
        ReportFileField& target = report.fields[blockIndex];
        (column == QLatin1String("Header") ? target.header : target.field) = text;
        const WorkingTable::LoadResult result =
            WorkingTable::load(t, report, QStringLiteral("/data/bad.rpt"));
        if (!expected.isEmpty()) {
            QCOMPARE(result.error, std::optional<QString>(expected));
            QCOMPARE(t.state(), Table::State::Browse);
            QCOMPARE(t.recordCount(), blockIndex); // the blocks before it went in
            return;
        }
        QVERIFY(!result.error);
        QCOMPARE(result.cutFields, QStringList{report.fields.at(blockIndex).field.left(50)});
        QCOMPARE(t.recordCount(), 4);
        const ReportFileField stored = WorkingTable::blocksInPrintOrder(t).at(blockIndex);
        QCOMPARE(column == QLatin1String("Header") ? stored.header : stored.field, text.left(50));
    }

    // What the field pages write: a new field is numbered after the rows
    // there are with every flag false; recording it again changes its type
    // only; deselected fields lose their rows; the order renumbers the rows
    // there are.
    void fieldRows()
    {
        Table& t = made();
        WorkingTable::recordField(t, QStringLiteral("Company"), QStringLiteral("Company"), 0);
        WorkingTable::recordField(t, QStringLiteral("City"), QStringLiteral("Town"), 0);
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("City")}));
        QCOMPARE(t.asInteger(WorkingTable::Order), 2);
        for (const QString& flag : WorkingTable::flagColumns())
            QVERIFY(!t.asBoolean(flag));
        t.edit();
        t.setAsBoolean(WorkingTable::Total, true);
        t.post();

        WorkingTable::recordField(t, QStringLiteral("City"), QStringLiteral("Ignored"), 1);
        QVERIFY(t.findKey({QStringLiteral("City")}));
        QCOMPARE(t.asString(WorkingTable::Header), QStringLiteral("Town"));
        QCOMPARE(t.asInteger(WorkingTable::DbType), 1);
        QVERIFY(t.asBoolean(WorkingTable::Total));

        WorkingTable::recordField(t, QStringLiteral("Who"), QStringLiteral("Who"), 1);
        WorkingTable::writeOrders(t, {QStringLiteral("Who"), QStringLiteral("Nowhere"),
                                      QStringLiteral("City"), QStringLiteral("Company")});
        QVERIFY(t.findKey({QStringLiteral("Who")}));
        QCOMPARE(t.asInteger(WorkingTable::Order), 1);
        QVERIFY(t.findKey({QStringLiteral("Company")}));
        QCOMPARE(t.asInteger(WorkingTable::Order), 4);

        WorkingTable::removeRowsExcept(t, {QStringLiteral("City"), QStringLiteral("Nowhere")});
        QCOMPARE(fieldsOf(WorkingTable::blocksInPrintOrder(t)), QStringList{"City"});
    }

    // The grid's positions go into the rows; a field without a row gets one
    // numbered by its grid row; a position that is no whole number is refused
    // under the grid's name for its column, and nothing of that row is kept.
    void positions()
    {
        Table& t = made();
        WorkingTable::recordField(t, QStringLiteral("Company"), QStringLiteral("Firm"), 0);
        WorkingTable::writePositions(
            t, {{QStringLiteral("CustomID"), QStringLiteral("CustomID"), "1", "1", "10"},
                {QStringLiteral("Company"), QStringLiteral("Unused"), "2", "11", "40"}});
        const QList<ReportFileField> blocks = WorkingTable::blocksInPrintOrder(t);
        QCOMPARE(fieldsOf(blocks), QStringList({"CustomID", "Company"}));
        QCOMPARE(blocks.at(0).header, QStringLiteral("CustomID"));
        QCOMPARE(blocks.at(0).rPosition, 10);
        QCOMPARE(blocks.at(1).header, QStringLiteral("Firm"));
        QCOMPARE(blocks.at(1).lPosition, 11);
        t.setIndexName(QString());
        QVERIFY(t.findKey({QStringLiteral("CustomID")}));
        QCOMPARE(t.asInteger(WorkingTable::Order), 1);

        QString message;
        try {
            WorkingTable::writePositions(
                t, {{QStringLiteral("Company"), QString(), "3", "eleven", "40"}});
        } catch (const DatabaseError& error) {
            message = error.message();
        }
        QVERIFY2(message.contains(QLatin1String("Starting At")), qPrintable(message));
        QCOMPARE(t.state(), Table::State::Browse);
        QVERIFY(t.findKey({QStringLiteral("Company")}));
        QCOMPARE(t.asInteger(WorkingTable::Line), 2);
    }
};

QTEST_GUILESS_MAIN(TestWorkingTable)
#include "tst_workingtable.moc"
