// The contact manager's tables damaged on the shared drive: CONTACT.DB,
// EVENT.DB and DATABASE.DB cut short, with flipped bits, empty, or a folder
// where the file should be. The wizard reads them on "Field Selection" (the
// contact and event tables) and in "User Fields" (the database table). Each
// damage gives at most one error box, which names the table; the wizard
// stays on a page it can go on from, it never writes to the host's tables,
// and once the table is sound again the same step works.
#include "Controls.h"
#include "FileBytes.h"
#include "WizardRoad.h"

#include "core/catalogue/UserFields.h"
#include "forms/controls/Cruser.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <QTime>
#include <QWidget>

using namespace WizardRoad;

namespace {

// Sound host tables with rows, so that damage can fall on rows as well.
void writeHostTables(WizardFixture& f)
{
    QList<FieldDef> contact = {
        field("CustomID", FieldType::Alpha, 20), field("Company", FieldType::Alpha, 40),
        field("LastName", FieldType::Alpha, 30), field("City", FieldType::Alpha, 30),
        field("Birthday", FieldType::Date),      field("Balance", FieldType::Money),
        field("Visits", FieldType::Long),        field("Memo", FieldType::Memo, 11)};
    QList<Row> contacts;
    for (int i = 0; i < 60; ++i) {
        Row r(contact.size());
        r[0] = QStringLiteral("C%1").arg(i);
        r[1] = QStringLiteral("Company %1").arg(i);
        r[2] = QStringLiteral("Name%1").arg(i);
        r[3] = QStringLiteral("Town %1").arg(i % 7);
        r[4] = QDate(1950 + i % 50, 1 + i % 12, 1 + i % 28);
        r[5] = i * 12.5;
        r[6] = i;
        r[7] = QString(40 + i * 3, QLatin1Char('m'));
        contacts << r;
    }
    ParadoxWriter::writeTable(f.dataPath(QStringLiteral("CONTACT.DB")), contact, 1, contacts);

    QList<FieldDef> event = {
        field("EventDate", FieldType::Date), field("EventTime", FieldType::Time),
        field("Who", FieldType::Alpha, 30), field("Summary", FieldType::Alpha, 60),
        field("Memo", FieldType::Memo, 11)};
    QList<Row> events;
    for (int i = 0; i < 40; ++i) {
        Row r(event.size());
        r[0] = QDate(2020, 1 + i % 12, 1 + i % 28);
        r[1] = QTime(8 + i % 10, 0);
        r[2] = QStringLiteral("Who %1").arg(i);
        r[3] = QStringLiteral("Summary %1").arg(i);
        events << r;
    }
    ParadoxWriter::writeTable(f.dataPath(QStringLiteral("EVENT.DB")), event, 0, events);

    QList<FieldDef> database = {field("DB", FieldType::Alpha, 20)};
    for (const QString& name : userFieldNames())
        database << field(name, FieldType::Alpha, 30);
    QList<Row> databases;
    for (const char* name : {"East", "West", "North"}) {
        Row r(database.size());
        r[0] = QString::fromLatin1(name);
        for (int c = 1; c < database.size(); c += 5)
            r[c] = QStringLiteral("%1 caption %2").arg(QString::fromLatin1(name)).arg(c);
        databases << r;
    }
    ParadoxWriter::writeTable(f.dataPath(QStringLiteral("DATABASE.DB")), database, 0, databases);
}

// What one step of the wizard gave: the boxes it showed and whether it got
// where it was going.
struct Outcome
{
    QList<ScriptedPlatform::Box> boxes;
    bool arrived = false;
};

// Create, from the first page to "Field Selection"; the last Next fills the
// pick lists from the contact and event tables.
Outcome toFieldSelection(WizardFixture& f, TFrmCReport& w)
{
    f.platform.clear();
    WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
    next(w); // Page2
    WizardFixture::clickRadio(control<QRadioButton>(w, "RbContactOrdered"));
    next(w); // Page3
    WizardFixture::clickRadio(control<QRadioButton>(w, "RbCall"));
    next(w); // Page4
    if (control<QLineEdit>(w, "EdDescription")->text().isEmpty())
        QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), QStringLiteral("Damage"));
    next(w); // Page5
    next(w); // Page4_5
    next(w); // Page6: the pick lists are filled here
    Outcome o;
    o.boxes = f.platform.boxes;
    o.arrived =
        control<QStackedWidget>(w, "Notebook1")->currentWidget() == control<QWidget>(w, "Page6") &&
        control<TPickList>(w, "PickContactField")->count() > 0;
    return o;
}

// "User Fields" on "Field Selection": the dialog reads DATABASE.DB.
Outcome userFields(WizardFixture& f, TFrmCReport& w)
{
    f.platform.clear();
    Outcome o;
    WizardFixture::withModal(
        [&] { QTest::mouseClick(control<QPushButton>(w, "BtnUser"), Qt::LeftButton); },
        [&](QWidget* modal) {
            if (qobject_cast<TFrmUser*>(modal)) {
                o.arrived = control<QTableWidget>(*modal, "StringGrid1")->columnCount() > 0;
                modal->close();
            } else if (modal) {
                modal->close();
            }
        });
    o.boxes = f.platform.boxes;
    return o;
}

// Back to the first page, as a user would after an error.
void backToFirstPage(TFrmCReport& w)
{
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                  control<QWidget>(w, "Page1");
         ++i)
        prior(w);
}

} // namespace

class TestBadTables : public QObject
{
    Q_OBJECT

    int m_refused = 0;
    int m_accepted = 0;

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }
    void cleanupTestCase()
    {
        qInfo("damaged tables: %d refused with an error, %d read without one", m_refused,
              m_accepted);
    }

    void damagedTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("amount");
        // Whether the damage must be refused; otherwise either outcome is
        // acceptable as long as it is a clean one.
        QTest::addColumn<bool>("mustRefuse");

        for (const char* table : {"CONTACT.DB", "EVENT.DB", "DATABASE.DB"}) {
            auto add = [&](const QString& damage, int amount, bool mustRefuse) {
                QTest::addRow("%s %s %d", table, qPrintable(damage), amount)
                    << QString::fromLatin1(table) << damage << amount << mustRefuse;
            };
            add(QStringLiteral("missing"), 0, true);
            add(QStringLiteral("zero-length"), 0, true);
            add(QStringLiteral("folder"), 0, true);
            // Cut inside the header, inside the field list, and inside the rows.
            for (int size : {1, 2, 60, 120, 300, 700, 2048, 2049, 3000, 5000})
                add(QStringLiteral("cut to"), size, size < 300);
            add(QStringLiteral("cut by"), 1, false);
            // One bit flipped in the first 256 bytes (the header's numbers
            // and the start of the field list), then anywhere; and a run of
            // garbage bytes.
            for (int seed = 1; seed <= 20; ++seed)
                add(QStringLiteral("bit flip"), seed, false);
            for (int seed = 1; seed <= 4; ++seed)
                add(QStringLiteral("garbage"), seed, false);
            // A header whose block size (in KiB) is larger than the file.
            add(QStringLiteral("block size"), 32, true);
        }
        QTest::addRow("CONTACT.MB zero-length")
            << QStringLiteral("CONTACT.MB") << QStringLiteral("zero-length") << 0 << false;
    }
    void damagedTable()
    {
        QFETCH(QString, table);
        QFETCH(QString, damage);
        QFETCH(int, amount);
        QFETCH(bool, mustRefuse);

        WizardFixture f;
        writeHostTables(f);
        const QString path = f.dataPath(table);
        const QByteArray sound = readAll(path);
        QVERIFY(!sound.isEmpty());

        if (damage == QLatin1String("missing")) {
            QVERIFY(QFile::remove(path));
        } else if (damage == QLatin1String("zero-length")) {
            QVERIFY(WizardFixture::write(path, QByteArray()));
        } else if (damage == QLatin1String("folder")) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir(f.dataFolder).mkdir(table));
        } else if (damage == QLatin1String("cut to")) {
            QVERIFY(WizardFixture::write(path, sound.left(amount)));
        } else if (damage == QLatin1String("cut by")) {
            QVERIFY(WizardFixture::write(path, sound.chopped(amount)));
        } else if (damage == QLatin1String("bit flip")) {
            QRandomGenerator random(quint32(amount) * 7919u + quint32(qHash(table)));
            QByteArray bytes = sound;
            const int span =
                amount <= 14 ? int(qMin<qsizetype>(256, bytes.size())) : int(bytes.size());
            const int at = random.bounded(span);
            bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
            QVERIFY(WizardFixture::write(path, bytes));
        } else if (damage == QLatin1String("block size")) {
            QByteArray bytes = sound;
            QVERIFY(bytes.size() < amount * 1024);
            bytes[0x05] = char(amount);
            QVERIFY(WizardFixture::write(path, bytes));
        } else if (damage == QLatin1String("garbage")) {
            QRandomGenerator random(quint32(amount) * 104729u + quint32(qHash(table)));
            QByteArray bytes = sound;
            const int at = random.bounded(int(qMin<qsizetype>(1024, bytes.size())));
            for (int i = at; i < qMin<qsizetype>(at + 64, bytes.size()); ++i)
                bytes[i] = char(random.bounded(256));
            QVERIFY(WizardFixture::write(path, bytes));
        }
        const QByteArray damaged = readAll(path);

        TFrmCReport& w = f.open();
        QVERIFY(f.platform.boxes.isEmpty()); // the host's tables are not read at start
        Outcome o = toFieldSelection(f, w);
        if (o.arrived)
            o = table == QLatin1String("DATABASE.DB") ? userFields(f, w) : o;

        // At most one box; an error names the table.
        QVERIFY2(o.boxes.size() <= 1, qPrintable(f.platform.texts().join(QStringLiteral(" | "))));
        const bool refused = !o.boxes.isEmpty();
        const QString base = QFileInfo(table).completeBaseName();
        if (refused) {
            const ScriptedPlatform::Box box = o.boxes.first();
            QCOMPARE(box.icon, Platform::Icon::Error);
            QVERIFY2(box.text.contains(base + QStringLiteral(".DB"), Qt::CaseInsensitive),
                     qPrintable(box.text));
            QVERIFY2(box.text.size() < 600, qPrintable(box.text.left(600)));
            QVERIFY(!o.arrived);
            if (damage == QLatin1String("block size"))
                QVERIFY2(box.text.contains(QStringLiteral("block size of 32768 bytes is larger")),
                         qPrintable(box.text));
            if (qEnvironmentVariableIsSet("TV_SHOW_BOXES"))
                qInfo().noquote() << box.text;
            ++m_refused;
        } else {
            QVERIFY(o.arrived);
            ++m_accepted;
        }
        if (mustRefuse)
            QVERIFY2(refused, "the damage went unnoticed");
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QApplication::activeModalWidget());

        // Nothing was written to the host's table.
        if (damage == QLatin1String("folder"))
            QVERIFY(QFileInfo(path).isDir());
        else if (damage != QLatin1String("missing"))
            QCOMPARE(readAll(path), damaged);

        // The wizard stays usable: with the table sound again, the same step
        // works from where the user is.
        if (QFileInfo(path).isDir())
            QVERIFY(QDir(path).removeRecursively());
        QVERIFY(WizardFixture::write(path, sound));
        f.platform.clear();
        if (table == QLatin1String("DATABASE.DB")) {
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page6"));
            const Outcome again = userFields(f, w);
            QVERIFY2(again.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
            QVERIFY(again.arrived);
        } else {
            if (refused) {
                // The failed move left the wizard on the page before.
                QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                         control<QWidget>(w, "Page4_5"));
                next(w);
            } else {
                backToFirstPage(w);
                QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                         control<QWidget>(w, "Page1"));
                toFieldSelection(f, w);
            }
            QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page6"));
            QVERIFY(control<TPickList>(w, "PickContactField")->count() > 0);
        }
    }
};

QTEST_MAIN(TestBadTables)
#include "tst_badtables.moc"
