#include "core/catalogue/ContactFields.h"

#include <QTest>

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(SummaryOptions)

namespace {

FieldDef def(const char* name, FieldType type)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    return f;
}

QList<FieldDef> sampleContactTable()
{
    return {def("CustomID", FieldType::Alpha), def("LastName", FieldType::Alpha),
            def("Birthday", FieldType::Date),  def("Balance", FieldType::Money),
            def("Visits", FieldType::Short),   def("Memo", FieldType::Memo),
            def("Active", FieldType::Logical), def("Photo", FieldType::Graphic)};
}

// Counted only: what every field the contact table lacks is offered.
const SummaryOptions countOnly{false, true, false, false, false};
const SummaryOptions all{true, true, true, true, true};
const SummaryOptions dateLike{false, true, false, true, true};
const SummaryOptions none{};

} // namespace

class TestContactFields : public QObject
{
    Q_OBJECT

private slots:
    void pickList()
    {
        const QStringList entries = contactPickListEntries(sampleContactTable());
        QCOMPARE(entries,
                 QStringList({"CustomID", "LastName", "Birthday", "Balance", "Visits", "Memo",
                              "Active", "Photo", "salutfirstlast", "firstlast", "citystatezip"}));
        // An empty table still offers the combination fields.
        QCOMPARE(contactPickListEntries({}),
                 QStringList({"salutfirstlast", "firstlast", "citystatezip"}));
        // A table without CustomID or Memo simply has no such entry.
        const QStringList plain = contactPickListEntries({def("Company", FieldType::Alpha)});
        QCOMPARE(plain.size(), 4);
        QCOMPARE(indexOfEntry(plain, "Memo"), -1);
        QCOMPARE(indexOfEntry(plain, "CustomID"), -1);
    }

    void specialFieldsFindTheirEntries()
    {
        const QStringList entries = contactPickListEntries(sampleContactTable());
        const QStringList captions = specialFieldCaptions();
        const QStringList combos = combinationFields();
        QCOMPARE(captions.size(), combos.size());
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(entries.at(indexOfEntry(entries, captions.at(i))), combos.at(i));
        QCOMPARE(indexOfEntry(entries, "customid"), 0);
        QCOMPARE(indexOfEntry(entries, "MEMO"), 5);
        QCOMPARE(indexOfEntry(entries, "Memo "), -1);
        QCOMPARE(indexOfEntry({}, "Memo"), -1);
    }

    void typeRule_data()
    {
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<SummaryOptions>("expected");
        QTest::newRow("alpha") << FieldType::Alpha << countOnly;
        QTest::newRow("logical") << FieldType::Logical << countOnly;
        QTest::newRow("memo") << FieldType::Memo << countOnly;
        QTest::newRow("short") << FieldType::Short << all;
        QTest::newRow("long") << FieldType::Long << all;
        QTest::newRow("number") << FieldType::Number << all;
        QTest::newRow("money") << FieldType::Money << all;
        QTest::newRow("bytes") << FieldType::Bytes << all;
        QTest::newRow("date") << FieldType::Date << dateLike;
        QTest::newRow("time") << FieldType::Time << dateLike;
        QTest::newRow("timestamp") << FieldType::Timestamp << dateLike;
        QTest::newRow("bcd") << FieldType::Bcd << none;
        QTest::newRow("autoinc") << FieldType::AutoInc << none;
        QTest::newRow("binary") << FieldType::Blob << none;
        QTest::newRow("graphic") << FieldType::Graphic << none;
        QTest::newRow("formatted memo") << FieldType::FmtMemo << none;
        QTest::newRow("ole") << FieldType::Ole << none;
        QTest::newRow("unknown code") << static_cast<FieldType>(0x42) << none;
    }
    void typeRule()
    {
        QFETCH(FieldType, type);
        QFETCH(SummaryOptions, expected);
        QCOMPARE(summaryOptionsForType(type), expected);
    }

    void checkFieldTypes_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<SummaryOptions>("expected");
        QTest::newRow("date contact field") << "Birthday" << dateLike;
        QTest::newRow("money contact field") << "Balance" << all;
        QTest::newRow("text contact field") << "LastName" << countOnly;
        QTest::newRow("graphic contact field") << "Photo" << none;
        QTest::newRow("name in other case") << "birthday" << dateLike;
        QTest::newRow("event field") << "EventDate" << countOnly;
        QTest::newRow("event caption") << "Phone call date" << countOnly;
        QTest::newRow("combination field") << "citystatezip" << countOnly;
        QTest::newRow("empty name") << "" << countOnly;
    }
    void checkFieldTypes()
    {
        QFETCH(QString, field);
        QFETCH(SummaryOptions, expected);
        QCOMPARE(CheckFieldTypes(sampleContactTable(), field), expected);
    }

    void noContactTableColumns()
    {
        // Even "Memo" is an event field when the contact table does not define it.
        QCOMPARE(CheckFieldTypes({}, "Memo"), countOnly);
    }
};

QTEST_APPLESS_MAIN(TestContactFields)
#include "tst_contactfields.moc"
