#include "PreviewTables.h"

#include "engine/ParadoxWriter.h"

#include <QDate>
#include <QDir>
#include <QTime>

namespace PreviewTables {
namespace {
FieldDef def(const char* name, FieldType type, int size = 0)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.size = size;
    return f;
}

ReportFileField field(const char* name, const char* header, int dbType, int left, int right)
{
    ReportFileField f;
    f.dbType = dbType;
    f.field = QString::fromLatin1(name);
    f.header = QString::fromLatin1(header);
    f.line = 1;
    f.lPosition = left;
    f.rPosition = right;
    return f;
}
} // namespace

QString password() { return QStringLiteral("tally42"); }

QStringList passwords() { return {QStringLiteral("other"), password()}; }

void write(const QString& folder, int moreContacts, bool linked, const QString& tablePassword)
{
    QDir().mkpath(folder);
    const QList<FieldDef> contacts = {
        def("CustomID", FieldType::Alpha, 12),  def("Company", FieldType::Alpha, 40),
        def("FirstName", FieldType::Alpha, 20), def("LastName", FieldType::Alpha, 20),
        def("Revenue", FieldType::Money),       def("Created", FieldType::Date),
        def("Memo", FieldType::Memo, 20)};
    QList<Row> rows = {
        {QStringLiteral("C001"), QStringLiteral("Acme"), QStringLiteral("Ada"),
         QStringLiteral("Lane"), 100.5, QDate(2020, 1, 2), QStringLiteral("Pays\r\non time")},
        {QStringLiteral("C002"), QStringLiteral("Borealis Trading Company"), QStringLiteral("Bo"),
         QStringLiteral("Park"), 250.0, QDate(2021, 6, 30), QVariant()},
        {QStringLiteral("C003"), QVariant(), QStringLiteral("Cy"), QVariant(), QVariant(),
         QVariant(), QVariant()},
        {QStringLiteral("C004"), QStringLiteral("Cyan"), QStringLiteral("Di"),
         QStringLiteral("Stone"), 49.5, QDate(2019, 12, 31), QVariant()},
    };
    for (int i = 1; i <= moreContacts; ++i)
        rows << Row{QStringLiteral("C%1").arg(100 + i),
                    QStringLiteral("Filler %1").arg(i),
                    QVariant(),
                    QVariant(),
                    1.0,
                    QVariant(),
                    QVariant()};
    ParadoxWriter::writeTable(QDir(folder).filePath(QStringLiteral("CONTACT.DB")), contacts, 1,
                              rows, 1252, tablePassword.isEmpty() ? password() : tablePassword);

    QList<FieldDef> events = {
        def("EventID", FieldType::Long),   def("CustomID", FieldType::Alpha, 12),
        def("Kind", FieldType::Alpha, 1),  def("EventDate", FieldType::Date),
        def("EventTime", FieldType::Time), def("Summary", FieldType::Alpha, 40)};
    if (!linked)
        events[1].name = QStringLiteral("Person");
    auto event = [](int id, const char* who, const char* kind, QDate date, QTime time,
                    const char* summary) {
        return Row{id,   QString::fromLatin1(who),    QString::fromLatin1(kind), date,
                   time, QString::fromLatin1(summary)};
    };
    const QList<Row> eventRows = {
        event(1, "C002", "C", QDate(2022, 3, 1), QTime(10, 0), "Call about invoice"),
        event(2, "C001", "C", QDate(2022, 1, 15), QTime(9, 30), "First call"),
        event(3, "C001", "M", QDate(2022, 1, 10), QTime(14, 0), "Site meeting"),
        event(4, "C004", "C", QDate(2022, 1, 15), QTime(8, 0), "Early call"),
        event(5, "C999", "C", QDate(2022, 2, 1), QTime(12, 0), "Orphan"),
    };
    ParadoxWriter::writeTable(QDir(folder).filePath(QStringLiteral("EVENT.DB")), events, 1,
                              eventRows, 1252, QString());
}

ReportFileContent contactReport()
{
    ReportFileContent c;
    c.description = QStringLiteral("Revenue list");
    c.order = ReportOrder::Contact;
    c.kind = InfoKind::Contact;
    c.printableWidth = 75;
    c.fields = {field("Company", "Company", 0, 1, 10), field("Revenue", "Revenue", 0, 12, 20),
                field("firstlast", "Name", 0, 22, 35)};
    c.fields[1].lDots = true;
    c.fields[1].total = true;
    c.fields[1].average = true;
    c.fields[1].max = true;
    return c;
}

ReportFileContent callReport(ReportOrder order)
{
    ReportFileContent c;
    c.description = QStringLiteral("Calls");
    c.order = order;
    c.kind = InfoKind::Call;
    c.printableWidth = 110;
    c.fields = {field("Company", "Company", 0, 1, 10),
                field("Summary", "Phone call subject", 1, 12, 40)};
    c.fields[1].count = true;
    return c;
}

} // namespace PreviewTables
