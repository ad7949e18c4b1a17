// The sample-data generator and the sample installation in the build tree:
// same bytes on every run, the columns the wizard relies on, and a start-up
// that finds NETDIR.INI and the alias.

#include "ScriptedPlatform.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "core/catalogue/EventFields.h"
#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxReader.h"
#include "engine/Session.h"
#include "engine/Table.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString binDir() { return qEnvironmentVariable("TV_BIN_DIR"); }

QString generator()
{
    return QDir(binDir()).filePath(AppPaths::programName(QStringLiteral("makesample.exe")));
}

int run(const QStringList& args)
{
    QProcess p;
    p.start(generator(), args);
    if (!p.waitForFinished(120000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Every file under a folder with a hash of its bytes, by relative path.
QMap<QString, QByteArray> fingerprint(const QString& folder)
{
    QMap<QString, QByteArray> result;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            result.insert(QDir(folder).relativeFilePath(path),
                          QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return result;
}

QStringList columnNames(const QString& path)
{
    QStringList names;
    const ParadoxReader reader(path);
    for (const FieldDef& f : reader.fields())
        names << f.name;
    return names;
}

} // namespace

class TestMakeSample : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_install;

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(generator()))
            QSKIP("the generator has not been built");
        QVERIFY(m_root.isValid());
        m_install = m_root.filePath(QStringLiteral("one"));
        QCOMPARE(run({QStringLiteral("--install"), m_install}), 0);
    }

    void cleanup()
    {
        AppPaths::setExecutableFolder(QString());
        Session::instance().reset();
    }

    void sameBytesEveryTime()
    {
        const QString second = m_root.filePath(QStringLiteral("two"));
        QCOMPARE(run({QStringLiteral("--install"), second}), 0);
        auto a = fingerprint(m_install);
        auto b = fingerprint(second);
        // The INI files name their own folders; everything else is equal.
        for (const char* ini : {"NETDIR.INI", "ALIASES.INI"}) {
            QVERIFY(a.remove(QString::fromLatin1(ini)) == 1);
            QVERIFY(b.remove(QString::fromLatin1(ini)) == 1);
        }
        QVERIFY(a.contains(QStringLiteral("SampleData/CONTACT.DB")));
        QVERIFY(a.contains(QStringLiteral("SampleData/EVENT.DB")));
        QVERIFY(a.contains(QStringLiteral("SampleData/DATABASE.DB")));
        QCOMPARE(a, b);
    }

    void contactTableHasEveryKindOfColumn()
    {
        const QString path = m_install + QStringLiteral("/SampleData/CONTACT.DB");
        ParadoxReader reader(path);
        QVERIFY(reader.fields().size() >= 38);
        QVERIFY(reader.recordCount() >= 200);
        QSet<FieldType> types;
        for (const FieldDef& f : reader.fields())
            types.insert(f.type);
        for (FieldType t : {FieldType::Alpha, FieldType::Logical, FieldType::Memo, FieldType::Short,
                            FieldType::Long, FieldType::Number, FieldType::Money, FieldType::Date,
                            FieldType::Time, FieldType::Timestamp})
            QVERIFY2(types.contains(t), qPrintable(fieldTypeName(t)));
        const QStringList names = columnNames(path);
        QVERIFY(names.contains(QStringLiteral("CustomID")));
        QVERIFY(names.contains(QStringLiteral("Memo")));
        for (int i = 1; i <= 16; ++i)
            QVERIFY(names.contains(QStringLiteral("User%1").arg(i)));

        // The rows read back with the first table password, as the host's
        // protected table; no two contacts share a CustomID, and memos
        // longer than the record's share come back whole.
        QVERIFY(reader.encrypted());
        reader.setPassword(StartUp::tablePassword(1));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, reader.readAll());
        reader.setPassword(StartUp::tablePassword(0));
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), int(reader.recordCount()));
        QSet<QString> ids;
        int longMemos = 0;
        const int memo = int(names.indexOf(QStringLiteral("Memo")));
        for (const Row& row : rows) {
            ids.insert(row.at(0).toString());
            longMemos += row.at(memo).toString().size() > 60 ? 1 : 0;
        }
        QCOMPARE(ids.size(), rows.size());
        QVERIFY(longMemos > 10);
    }

    void eventTableHasEveryEventColumn()
    {
        const QStringList names = columnNames(m_install + QStringLiteral("/SampleData/EVENT.DB"));
        for (const EventKindInfo& kind : eventKinds()) {
            for (const EventFieldEntry& entry : eventFieldTable(kind.keyword))
                QVERIFY2(names.contains(entry.fieldName),
                         qPrintable(kind.keyword + QLatin1Char(' ') + entry.fieldName));
        }
        QVERIFY(ParadoxReader(m_install + QStringLiteral("/SampleData/EVENT.DB")).recordCount() >
                100);
    }

    void databaseTableHasTheCaptionColumns()
    {
        const QString path = m_install + QStringLiteral("/SampleData/DATABASE.DB");
        const QStringList names = columnNames(path);
        QCOMPARE(names.size(), 49);
        QCOMPARE(names.first(), QStringLiteral("DB"));
        QCOMPARE(names.at(1), QStringLiteral("User1"));
        QCOMPARE(names.at(17), QStringLiteral("Date1"));
        QCOMPARE(names.at(33), QStringLiteral("Num1"));
        QCOMPARE(names.last(), QStringLiteral("Money8"));
        // Protected with the second table password.
        ParadoxReader reader(path);
        reader.setPassword(StartUp::tablePassword(0));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, reader.readAll());
        reader.setPassword(StartUp::tablePassword(1));
        const QList<Row> rows = reader.readAll();
        QVERIFY(rows.size() >= 2 && rows.size() <= 3);
    }

    void reportFilesAreWindowsText()
    {
        const QDir data(m_install + QStringLiteral("/SampleData"));
        const QStringList reports = data.entryList({QStringLiteral("*.rpt")}, QDir::Files);
        QVERIFY(reports.size() >= 3);
        for (const QString& name : reports) {
            QVERIFY(IsValidName(QFileInfo(name).completeBaseName()));
            QVERIFY(QFileInfo(name).completeBaseName().size() <= 8);
            QFile f(data.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QVERIFY(bytes.endsWith("\r\n"));
            const QList<QByteArray> lines = bytes.chopped(2).split('\n');
            for (const QByteArray& line : lines.mid(0, lines.size() - 1))
                QVERIFY(line.endsWith('\r'));
            const int count = lines.at(4).trimmed().toInt();
            QVERIFY(count > 0);
            QCOMPARE(lines.size(), 5 + 13 * count);
        }
    }

    void startUpFindsTheInstallation()
    {
        ScriptedPlatform platform;
        AppPaths::setExecutableFolder(m_install);
        QVERIFY(StartUp::prepareSession());
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(Session::instance().netDir(),
                 QDir::toNativeSeparators(m_install + QStringLiteral("/NetCtl")));
        Session::instance().setAliasFile(m_install + QStringLiteral("/ALIASES.INI"));
        QCOMPARE(AliasPath(QStringLiteral("VESKA")),
                 QDir::toNativeSeparators(m_install + QStringLiteral("/SampleData")));
        Table contact;
        contact.setDatabaseName(QStringLiteral("VESKA"));
        contact.setTableName(QStringLiteral("CONTACT.DB"));
        contact.open();
        QVERIFY(contact.recordCount() >= 200);
        QVERIFY(contact.hasField(QStringLiteral("CustomID")));
        // The start-up's passwords open the protected rows.
        contact.first();
        QVERIFY(!contact.eof());
        QVERIFY(!contact.value(QStringLiteral("CustomID")).toString().isEmpty());
    }

    void buildTreeHoldsTheInstallation()
    {
        const QDir bin(binDir());
        if (!bin.exists(QStringLiteral("ALIASES.INI")))
            QSKIP("the sample installation has not been laid out in this build");
        QVERIFY(bin.exists(QStringLiteral("NETDIR.INI")));
        QVERIFY(bin.exists(QStringLiteral("SampleData/CONTACT.DB")));
        AppPaths::setExecutableFolder(bin.absolutePath());
        QString folder;
        ScriptedPlatform platform;
        QVERIFY(StartUp::CheckNetDir(folder));
        QVERIFY(QFileInfo(folder).isDir());
        Session::instance().setAliasFile(bin.filePath(QStringLiteral("ALIASES.INI")));
        QVERIFY(QFileInfo(Session::instance().aliasFolder(QStringLiteral("VESKA"))).isDir());
    }

    void makesBigContactTables()
    {
        const QString folder = m_root.filePath(QStringLiteral("big"));
        QCOMPARE(run({QStringLiteral("--contacts"), QStringLiteral("2500"), folder}), 0);
        ParadoxReader reader(folder + QStringLiteral("/CONTACT.DB"));
        QCOMPARE(reader.recordCount(), 2500);
        QCOMPARE(reader.passwordChecksum(), paradoxPasswordChecksum(StartUp::tablePassword(0)));
        reader.setPassword(StartUp::tablePassword(0));
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), 2500);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/EVENT.DB")));

        // The same contacts unprotected, for measuring what protection costs.
        const QString plain = m_root.filePath(QStringLiteral("plain"));
        QCOMPARE(run({QStringLiteral("--contacts"), QStringLiteral("2500"),
                      QStringLiteral("--unprotected"), plain}),
                 0);
        ParadoxReader plainReader(plain + QStringLiteral("/CONTACT.DB"));
        QVERIFY(!plainReader.encrypted());
        QCOMPARE(plainReader.readAll(), rows);
        QCOMPARE(run({QStringLiteral("--contacts"), QStringLiteral("many"), folder}), 1);
        QCOMPARE(run({}), 1);
    }
};

QTEST_GUILESS_MAIN(TestMakeSample)
#include "tst_makesample.moc"
