#include "SampleData.h"

#include "core/app/StartUp.h"
#include "core/catalogue/UserFields.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxWriter.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <QTime>

#include <algorithm>

namespace SampleData {
namespace {

// A small, fixed pseudo-random sequence (splitmix64): the same seed always
// gives the same data, on every machine and compiler.
class Dice
{
public:
    explicit Dice(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const QList<T>& list)
    {
        return list.at(below(int(list.size())));
    }

private:
    quint64 m_state;
};

QString s(const char* text) { return QString::fromUtf8(text); }

QStringList words(const char* text) { return s(text).split(QLatin1Char('|')); }

FieldDef field(const QString& name, FieldType type, int size = 0)
{
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    return f;
}

const QStringList& firstNames()
{
    static const QStringList list = words(
        "Ada|Alma|Anton|Arlo|Bea|Bennet|Carla|Cyrus|Dana|Delia|Edgar|Elin|Enzo|Fay|Felix|Greta|"
        "Hal|Hedda|Ines|Ivo|Jonas|Juno|Kara|Leif|Lena|Milo|Mira|Nadia|Nils|Odile|Oren|Paula|"
        "Quinn|Rhea|Rufus|Selma|Soren|Tess|Theo|Una|Vera|Wendel|Xenia|Yara|Zeno|Maren|Ottilie|"
        "Ruben|Sanna|Tobin|Livia|Caspar|Imke|Jorah|Kasimir|Lorna|Mattis|Noor|Pim|Rosalind");
    return list;
}

const QStringList& lastNames()
{
    static const QStringList list = words(
        "Abernathy|Baldwin|Carver|Dunmore|Ellery|Fairweather|Gallo|Hargrove|Ibsen|Jessup|Kestrel|"
        "Larkin|Merriweather|Nightingale|Okafor|Pemberton|Quarles|Ravenscroft|Sandoval|Thistle|"
        "Underhill|Vance|Whitlock|Yardley|Zimmer|Ashdown|Brightwater|Colquitt|Delacroix|Everly|"
        "Fenwick|Greenhalgh|Holloway|Inglewood|Juniper|Kingsley|Lindqvist|Marlowe|Northcott|"
        "Oakhurst|Penhallow|Rookwood|Stillwell|Trevanion|Upshaw|Villiers|Winterbourne|Østby|"
        "Müller-Brandt|Ferreira|Castellano|Novak|Haverkamp|Lindgren|O'Donnell|Smythe-Keane");
    return list;
}

const QStringList& companyFirst()
{
    static const QStringList list = words(
        "Amber|Birch|Cobalt|Driftwood|Ember|Fernhill|Granite|Harbor|Indigo|Juniper|Kettle|Lantern|"
        "Meadow|Nimbus|Orchard|Pebble|Quarry|Riverbend|Saffron|Thimble|Upland|Velvet|Willow|"
        "Yellowtail|Zephyr|Copperleaf|Foxglove|Larchmont|Mosswood|Tidewater");
    return list;
}

const QStringList& companySecond()
{
    static const QStringList list = words(
        "Tooling|Bakery|Logistics|Print Works|Garden Supply|Consulting|Optics|Joinery|Textiles|"
        "Analytics|Marine|Dental Care|Books|Coffee Roasters|Plumbing|Ceramics|Freight|Insurance|"
        "Software|Catering");
    return list;
}

const QStringList& companyForm()
{
    static const QStringList list = words("Ltd|Inc.|Co.|LLC|& Sons|Group|Partners||GmbH|S.A.");
    return list;
}

struct Place
{
    const char* city;
    const char* state;
    const char* country;
    const char* zipPrefix;
};

const QList<Place>& places()
{
    static const QList<Place> list = {
        {"Springfield", "IL", "USA", "627"},      {"Riverton", "WY", "USA", "825"},
        {"Fairview", "OR", "USA", "970"},         {"Greenville", "SC", "USA", "296"},
        {"Madison", "WI", "USA", "537"},          {"Clinton", "IA", "USA", "527"},
        {"Georgetown", "TX", "USA", "786"},       {"Salem", "MA", "USA", "019"},
        {"Franklin", "TN", "USA", "370"},         {"Ashland", "KY", "USA", "411"},
        {"Burlington", "VT", "USA", "054"},       {"Miami", "FL", "USA", "332"},
        {"Kingston", "ON", "Canada", "K7L"},      {"Halifax", "NS", "Canada", "B3H"},
        {"Bristol", "", "United Kingdom", "BS1"}, {"Köln", "NRW", "Germany", "506"},
        {"Zürich", "ZH", "Switzerland", "80"},    {"Lyon", "", "France", "690"},
    };
    return list;
}

const QStringList& streets()
{
    static const QStringList list = words(
        "Maple Avenue|Oak Street|Mill Road|Station Lane|Harbour View|Cedar Court|Elm Drive|"
        "Chestnut Way|Orchard Close|Lakeside Boulevard|Quarry Hill|Bridge Street|Market Square|"
        "Willow Crescent|Old Forge Road");
    return list;
}

const QStringList& titles()
{
    static const QStringList list =
        words("Owner|Managing Director|Purchasing Manager|Office Manager|Sales Director|Accountant|"
              "Head of Operations|Project Lead|Buyer|Chief Engineer|Marketing Manager|Assistant|"
              "Technical Director|Consultant");
    return list;
}

QString phone(Dice& dice)
{
    return QStringLiteral("(%1) 555-01%2")
        .arg(dice.between(201, 989))
        .arg(dice.below(100), 2, 10, QLatin1Char('0'));
}

QString asciiFold(QString text)
{
    text.replace(QStringLiteral("ø"), QStringLiteral("o"))
        .replace(QStringLiteral("Ø"), QStringLiteral("O"));
    text.replace(QStringLiteral("ü"), QStringLiteral("u"))
        .replace(QStringLiteral("ö"), QStringLiteral("o"));
    text.remove(QLatin1Char('\'')).remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
    return text.toLower();
}

// The first contact's date and the spread of the others.
const QDate kBaseDate(2019, 3, 4);

const QStringList& memoLines()
{
    static const QStringList list =
        words("Prefers to be called in the morning.|Asked for the new price list.|"
              "Met at the spring trade fair; interested in the service plan.|"
              "Invoices go to the head office, not to this address.|"
              "Send the catalogue by post, not by mail.|Long-standing customer; handle with care.|"
              "Wants a quote for the annual maintenance contract.|"
              "Moved to a new office last year; check the address before mailing.|"
              "Referred by a colleague from the regional association.|"
              "Pays reliably within fourteen days.");
    return list;
}

QString memoText(Dice& dice, int lines)
{
    QStringList parts;
    for (int i = 0; i < lines; ++i)
        parts << dice.pick(memoLines());
    return parts.join(QStringLiteral("\r\n"));
}

} // namespace

TableData contacts(int count)
{
    TableData t;
    t.fileName = QStringLiteral("CONTACT.DB");
    t.password = StartUp::tablePassword(0);
    t.fields = {
        field(s("CustomID"), FieldType::Alpha, 12),   field(s("Company"), FieldType::Alpha, 40),
        field(s("Salutation"), FieldType::Alpha, 10), field(s("FirstName"), FieldType::Alpha, 20),
        field(s("LastName"), FieldType::Alpha, 25),   field(s("Title"), FieldType::Alpha, 30),
        field(s("Address1"), FieldType::Alpha, 40),   field(s("Address2"), FieldType::Alpha, 40),
        field(s("City"), FieldType::Alpha, 25),       field(s("State"), FieldType::Alpha, 15),
        field(s("ZipCode"), FieldType::Alpha, 10),    field(s("Country"), FieldType::Alpha, 20),
        field(s("Phone1"), FieldType::Alpha, 20),     field(s("Phone2"), FieldType::Alpha, 20),
        field(s("Fax"), FieldType::Alpha, 20),        field(s("Email"), FieldType::Alpha, 50),
        field(s("Status"), FieldType::Alpha, 15),     field(s("Created"), FieldType::Date),
        field(s("LastContact"), FieldType::Date),     field(s("LastTime"), FieldType::Time),
        field(s("Modified"), FieldType::Timestamp),   field(s("Revenue"), FieldType::Money),
        field(s("CreditLimit"), FieldType::Money),    field(s("Employees"), FieldType::Long),
        field(s("Rating"), FieldType::Short),         field(s("Discount"), FieldType::Number),
        field(s("Active"), FieldType::Logical),       field(s("Memo"), FieldType::Memo, 60),
    };
    for (int i = 1; i <= 16; ++i)
        t.fields << field(QStringLiteral("User%1").arg(i), FieldType::Alpha, 30);
    t.fields << field(s("Date1"), FieldType::Date) << field(s("Num1"), FieldType::Number)
             << field(s("Money1"), FieldType::Money);

    const QStringList salutations = words("Mr.|Ms.|Dr.|Mx.|Prof.|");
    const QStringList statuses = words("Customer|Prospect|Supplier|Partner|Former customer");
    const QStringList regions = words("North|South|East|West|Central");
    const QStringList sources = words("Trade fair|Web site|Referral|Mailing|Telephone");
    const QStringList sizes = words("Small|Medium|Large");

    Dice dice(20240601);
    t.rows.reserve(count);
    for (int n = 0; n < count; ++n) {
        const QString first = dice.pick(firstNames());
        const QString last = dice.pick(lastNames());
        const QString form = dice.pick(companyForm());
        QString company = dice.pick(companyFirst()) + QLatin1Char(' ') + dice.pick(companySecond());
        if (!form.isEmpty())
            company += QLatin1Char(' ') + form;
        const Place& place = dice.pick(places());
        const QDate created = kBaseDate.addDays(dice.below(1500));
        const QDate lastContact = created.addDays(dice.below(400));

        Row row(t.fields.size());
        int c = 0;
        row[c++] = QStringLiteral("C%1").arg(n + 1, 6, 10, QLatin1Char('0'));
        row[c++] = dice.chance(92) ? QVariant(company) : QVariant();
        const QString salutation = dice.pick(salutations);
        row[c++] = salutation.isEmpty() ? QVariant() : QVariant(salutation);
        row[c++] = first;
        row[c++] = last;
        row[c++] = dice.pick(titles());
        row[c++] = QStringLiteral("%1 %2").arg(dice.between(1, 480)).arg(dice.pick(streets()));
        row[c++] = dice.chance(20)
                       ? QVariant(QStringLiteral("Suite %1").arg(dice.between(100, 950)))
                       : QVariant();
        row[c++] = s(place.city);
        row[c++] = *place.state ? QVariant(s(place.state)) : QVariant();
        row[c++] = QString::fromLatin1(place.zipPrefix) +
                   QStringLiteral("%1").arg(dice.below(100), 2, 10, QLatin1Char('0'));
        row[c++] = s(place.country);
        row[c++] = phone(dice);
        row[c++] = dice.chance(60) ? QVariant(phone(dice)) : QVariant();
        row[c++] = dice.chance(25) ? QVariant(phone(dice)) : QVariant();
        row[c++] = dice.chance(85)
                       ? QVariant(asciiFold(first) + QLatin1Char('.') + asciiFold(last) +
                                  (dice.chance(50) ? QStringLiteral("@example.com")
                                                   : QStringLiteral("@example.org")))
                       : QVariant();
        row[c++] = dice.pick(statuses);
        row[c++] = created;
        row[c++] = dice.chance(90) ? QVariant(lastContact) : QVariant();
        row[c++] =
            dice.chance(90) ? QVariant(QTime(dice.between(8, 17), dice.below(4) * 15)) : QVariant();
        row[c++] =
            QDateTime(lastContact, QTime(dice.between(8, 18), dice.below(60), dice.below(60)));
        row[c++] = dice.chance(80)
                       ? QVariant(double(dice.between(500, 2500000)) + dice.below(100) / 100.0)
                       : QVariant();
        row[c++] = double(dice.between(1, 50) * 1000);
        row[c++] = dice.chance(85) ? QVariant(dice.between(1, 4800)) : QVariant();
        row[c++] = dice.chance(70) ? QVariant(dice.between(1, 5)) : QVariant();
        row[c++] = dice.chance(60) ? QVariant(dice.below(31) / 2.0) : QVariant();
        row[c++] = dice.chance(85);
        row[c++] = dice.chance(65) ? QVariant(memoText(dice, dice.between(1, 5))) : QVariant();
        // User fields: region, source, size, account manager, then sparse extras.
        row[c++] = dice.pick(regions);
        row[c++] = dice.pick(sources);
        row[c++] = dice.pick(sizes);
        row[c++] = dice.pick(firstNames()) + QLatin1Char(' ') + dice.pick(lastNames());
        for (int u = 5; u <= 16; ++u)
            row[c++] = dice.chance(15)
                           ? QVariant(QStringLiteral("Note %1-%2").arg(u).arg(dice.below(90) + 10))
                           : QVariant();
        row[c++] = dice.chance(50) ? QVariant(created.addDays(dice.between(30, 700))) : QVariant();
        row[c++] = dice.chance(50) ? QVariant(dice.between(0, 1000) / 4.0) : QVariant();
        row[c++] = dice.chance(50) ? QVariant(double(dice.between(0, 90000))) : QVariant();
        Q_ASSERT(c == t.fields.size());
        t.rows << row;
    }
    return t;
}

TableData events(int contactCount)
{
    TableData t;
    t.fileName = QStringLiteral("EVENT.DB");
    t.password = StartUp::tablePassword(0);
    t.fields = {
        field(s("EventID"), FieldType::Long),
        field(s("CustomID"), FieldType::Alpha, 12),
        field(s("Kind"), FieldType::Alpha, 1),
        field(s("EventDate"), FieldType::Date),
        field(s("EventTime"), FieldType::Time),
        field(s("Who"), FieldType::Alpha, 30),
        field(s("Type"), FieldType::Alpha, 20),
        field(s("Summary"), FieldType::Alpha, 60),
        field(s("Where"), FieldType::Alpha, 40),
        field(s("Status"), FieldType::Alpha, 20),
        field(s("TemplateName"), FieldType::Alpha, 40),
        field(s("ElapsedTime"), FieldType::Time),
        field(s("Duration"), FieldType::Short),
        field(s("Completed"), FieldType::Logical),
        field(s("AlarmTime"), FieldType::Time),
        field(s("AlarmLead"), FieldType::Short),
        field(s("DateCompleted"), FieldType::Date),
        field(s("TimeCompleted"), FieldType::Time),
        field(s("WhoCompleted"), FieldType::Alpha, 30),
        field(s("Paid"), FieldType::Logical),
        field(s("Sale"), FieldType::Money),
        field(s("Likelyhood"), FieldType::Short),
        field(s("Memo"), FieldType::Memo, 40),
    };
    t.keyFieldCount = 1;

    const QString kinds = QStringLiteral("CLMTNSQE");
    const QStringList staff = words("Ada Kestrel|Milo Fenwick|Rhea Okafor|Tobin Marlowe");
    const QStringList subjects = words(
        "Follow-up on the offer|Annual review|Delivery date|Price list|Service visit|"
        "Training session|New catalogue|Contract renewal|Complaint about packaging|Introduction");
    const QStringList rooms =
        words("Their office|Our showroom|Conference room 2|Trade fair stand|Video call");
    const QStringList letterStates = words("Draft|Sent|Answered");
    const QStringList templates = words("Welcome letter|Price change|Thank you|Reminder");
    const QStringList types = words("Visit|Call back|Demo|Follow-up");

    Dice dice(777001);
    int id = 0;
    const int contactsWithEvents = std::max(1, std::min(contactCount, 300));
    for (int n = 0; n < contactsWithEvents; ++n) {
        const int eventCount = dice.below(4);
        for (int e = 0; e < eventCount; ++e) {
            const QChar kind = kinds.at(dice.below(int(kinds.size())));
            const QDate date = kBaseDate.addDays(300 + dice.below(1400));
            const QTime time(dice.between(8, 17), dice.below(4) * 15);
            const bool completed = dice.chance(60);
            Row row(t.fields.size());
            row[0] = ++id;
            row[1] = QStringLiteral("C%1").arg(n + 1, 6, 10, QLatin1Char('0'));
            row[2] = QString(kind);
            row[3] = date;
            row[4] = time;
            row[5] = dice.pick(staff);
            row[7] = dice.pick(subjects);
            row[13] = completed;
            if (dice.chance(30)) {
                row[14] = time.addSecs(-900);
                row[15] = 15;
            }
            switch (kind.unicode()) {
            case 'C':
                row[11] = QTime(0, dice.between(1, 45), dice.below(60));
                break;
            case 'L':
                row[9] = dice.pick(letterStates);
                row[10] = dice.pick(templates);
                break;
            case 'M':
                row[8] = dice.pick(rooms);
                row[12] = dice.between(1, 8) * 15;
                break;
            case 'E':
                row[6] = dice.pick(types);
                row[9] = completed ? s("Done") : s("Open");
                row[11] = QTime(0, dice.between(5, 59));
                row[12] = dice.between(1, 6) * 30;
                break;
            case 'S':
            case 'Q':
                if (completed || kind == QLatin1Char('S')) {
                    row[16] = date.addDays(dice.between(1, 30));
                    row[17] = QTime(dice.between(9, 16), 0);
                    row[18] = dice.pick(staff);
                }
                row[20] = double(dice.between(100, 250000)) + dice.below(100) / 100.0;
                if (kind == QLatin1Char('S'))
                    row[19] = dice.chance(70);
                else
                    row[21] = dice.between(1, 10) * 10;
                break;
            default:
                break;
            }
            if (dice.chance(kind == QLatin1Char('N') ? 100 : 50))
                row[22] = memoText(dice, dice.between(1, 3));
            t.rows << row;
        }
    }
    return t;
}

TableData databases()
{
    TableData t;
    t.fileName = QStringLiteral("DATABASE.DB");
    t.password = StartUp::tablePassword(1);
    t.fields << field(s("DB"), FieldType::Alpha, 30);
    const QStringList names = userFieldNames();
    for (const QString& name : names)
        t.fields << field(name, FieldType::Alpha, 30);
    t.keyFieldCount = 1;

    auto row = [&](const QString& db, const QList<std::pair<const char*, const char*>>& captions) {
        Row r(t.fields.size());
        r[0] = db;
        for (const auto& [name, caption] : captions)
            r[1 + names.indexOf(QString::fromLatin1(name))] = s(caption);
        t.rows << r;
    };
    row(s("Main Office"), {{"User1", "Region"},
                           {"User2", "Lead source"},
                           {"User3", "Company size"},
                           {"User4", "Account manager"},
                           {"User5", "Industry"},
                           {"Date1", "Contract start"},
                           {"Date2", "Next review"},
                           {"Num1", "Visits per year"},
                           {"Money1", "Open balance"},
                           {"Money2", "Budget"}});
    row(s("Sales Team"), {{"User1", "Territory"},
                          {"User2", "Campaign"},
                          {"User3", "Segment"},
                          {"User4", "Sales rep"},
                          {"User6", "Competitor"},
                          {"Date1", "First order"},
                          {"Num1", "Win chance %"},
                          {"Num2", "Units"},
                          {"Money1", "Forecast"},
                          {"Money8", "Commission"}});
    row(s("Service Desk"), {{"User1", "Area"},
                            {"User4", "Technician"},
                            {"User7", "Contract level"},
                            {"User16", "Escalation contact"},
                            {"Date1", "Warranty until"},
                            {"Date16", "Last inspection"},
                            {"Num8", "Open tickets"}});
    return t;
}

QList<SampleReport> reports()
{
    auto contactField = [](const QString& name, int line, int left, int right) {
        ReportFileField f;
        f.dbType = 0;
        f.field = name;
        f.header = name;
        f.line = line;
        f.lPosition = left;
        f.rPosition = right;
        return f;
    };
    auto eventField = [&](const QString& name, const QString& caption, int line, int left,
                          int right) {
        ReportFileField f = contactField(name, line, left, right);
        f.dbType = 1;
        f.header = caption;
        return f;
    };

    QList<SampleReport> list;
    {
        SampleReport r;
        r.fileName = QStringLiteral("PHONES.rpt");
        r.content.description = QStringLiteral("Phone list");
        r.content.order = ReportOrder::Contact;
        r.content.kind = InfoKind::Contact;
        r.content.printableWidth = 75;
        r.content.fields = {
            contactField(s("Company"), 1, 1, 24), contactField(s("firstlast"), 1, 26, 45),
            contactField(s("Phone1"), 1, 47, 60), contactField(s("Phone2"), 1, 62, 75)};
        r.content.fields[1].header = s("Name");
        r.content.fields[2].lDots = true;
        list << r;
    }
    {
        SampleReport r;
        r.fileName = QStringLiteral("ADDRESS.rpt");
        r.content.description = QStringLiteral("Addresses by region");
        r.content.order = ReportOrder::Contact;
        r.content.kind = InfoKind::Contact;
        r.content.printableWidth = 110;
        r.content.fields = {
            contactField(s("CustomID"), 1, 1, 12),  contactField(s("salutfirstlast"), 1, 14, 45),
            contactField(s("Company"), 1, 47, 80),  contactField(s("User1"), 1, 82, 110),
            contactField(s("Address1"), 2, 14, 45), contactField(s("citystatezip"), 2, 47, 80),
            contactField(s("Revenue"), 2, 82, 110)};
        r.content.fields[0].count = true;
        r.content.fields[6].total = true;
        r.content.fields[6].average = true;
        r.content.fields[6].max = true;
        list << r;
    }
    {
        SampleReport r;
        r.fileName = QStringLiteral("CALLS.rpt");
        r.content.description = QStringLiteral("Calls this quarter");
        r.content.order = ReportOrder::Calendar;
        r.content.kind = InfoKind::Event;
        r.content.printableWidth = 77;
        r.content.fields = {contactField(s("CustomID"), 1, 1, 12),
                            eventField(s("EventDate"), s("Event date"), 1, 14, 25),
                            eventField(s("Who"), s("Event who"), 1, 27, 45),
                            eventField(s("Summary"), s("Event subject"), 1, 47, 77),
                            eventField(s("Memo"), s("Event notes"), 2, 14, 77)};
        r.content.fields[1].lDots = true;
        r.content.fields[1].count = true;
        r.content.fields[1].min = true;
        r.content.fields[1].max = true;
        list << r;
    }
    {
        SampleReport r;
        r.fileName = QStringLiteral("SALES.rpt");
        r.content.description = QStringLiteral("Sales by customer");
        r.content.order = ReportOrder::Contact;
        r.content.kind = InfoKind::Sale;
        r.content.printableWidth = 115;
        r.content.fields = {contactField(s("Company"), 1, 1, 35),
                            eventField(s("EventDate"), s("Sale date"), 1, 37, 50),
                            eventField(s("Summary"), s("Subject"), 1, 52, 90),
                            eventField(s("Sale"), s("Amount"), 1, 92, 115)};
        r.content.fields[3].total = true;
        r.content.fields[3].average = true;
        r.content.fields[3].rDots = true;
        list << r;
    }
    return list;
}

void writeTable(const QString& folder, const TableData& table)
{
    ParadoxWriter::writeTable(QDir(folder).filePath(table.fileName), table.fields,
                              table.keyFieldCount, table.rows, 1252, table.password);
}

QString writeDataFolder(const QString& folder, int contactCount)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 cannot be created.").arg(folder);
    try {
        writeTable(folder, contacts(contactCount));
        writeTable(folder, events(contactCount));
        writeTable(folder, databases());
    } catch (const DatabaseError& e) {
        return e.message();
    }
    for (const SampleReport& r : reports()) {
        QString error;
        if (!ReportFile::save(QDir(folder).filePath(r.fileName), r.content, &error))
            return error;
    }
    return QString();
}

namespace {
QString writeText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    QStringEncoder encoder("windows-1252");
    const QByteArray bytes = encoder.encode(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    return QString();
}
} // namespace

QString writeInstallation(const QString& binFolder)
{
    const QDir bin(QFileInfo(binFolder).absoluteFilePath());
    const QString data = QDir::toNativeSeparators(bin.filePath(QStringLiteral("SampleData")));
    const QString net = QDir::toNativeSeparators(bin.filePath(QStringLiteral("NetCtl")));
    if (!QDir().mkpath(net))
        return QStringLiteral("The folder %1 cannot be created.").arg(net);
    QString error = writeDataFolder(data, 300);
    if (error.isEmpty())
        error = writeText(bin.filePath(QStringLiteral("NETDIR.INI")),
                          QStringLiteral("[Options]\r\nNetDir=%1\r\n").arg(net));
    if (error.isEmpty())
        error =
            writeText(bin.filePath(QStringLiteral("ALIASES.INI")),
                      QStringLiteral("[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=%1\r\n").arg(data));
    return error;
}

} // namespace SampleData
