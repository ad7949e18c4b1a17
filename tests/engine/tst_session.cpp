// The database session: aliases, passwords, the network control directory
// check, shared table states, and the lock files beside tables.

#include "TableErrors.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/Session.h"
#include "engine/TableLock.h"
#include "engine/TableState.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write a test file");
    f.write(bytes);
}
} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

private slots:
    void init() { Session::instance().reset(); }

    void aliasesComeFromTheAliasFile()
    {
        const QString ini = m_root.filePath(QStringLiteral("ALIASES.INI"));
        writeFile(ini, "[OTHER]\r\nPATH=/elsewhere\r\n"
                       "[veska]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=F:\\SHARED\\DATA\r\n");
        Session::instance().setAliasFile(ini);
        QCOMPARE(Session::instance().aliasFile(), ini);
        QCOMPARE(Session::instance().aliasParams(QStringLiteral("VESKA")),
                 (QStringList{QStringLiteral("DEFAULT DRIVER=PARADOX"),
                              QStringLiteral("PATH=F:\\SHARED\\DATA")}));
        QCOMPARE(Session::instance().aliasFolder(QStringLiteral("VESKA")),
                 QStringLiteral("F:\\SHARED\\DATA"));
        QCOMPARE(errorOf([] { Session::instance().aliasParams(QStringLiteral("NOPE")); }),
                 QStringLiteral("Unknown database: NOPE."));
        // A missing alias file knows no alias at all.
        Session::instance().setAliasFile(m_root.filePath(QStringLiteral("missing.ini")));
        QCOMPARE(errorOf([] { Session::instance().aliasFolder(QStringLiteral("VESKA")); }),
                 QStringLiteral("Unknown database: VESKA."));
    }

    void passwordsAreMatchedByChecksum()
    {
        Session& s = Session::instance();
        QCOMPARE(s.passwordCount(), 0);
        s.addPassword(QStringLiteral("first"));
        s.addPassword(QStringLiteral("seconds"));
        QCOMPARE(s.passwordCount(), 2);
        QCOMPARE(s.password(1), QStringLiteral("seconds"));
        QCOMPARE(s.password(5), QString());
        QCOMPARE(s.matchPassword(paradoxPasswordChecksum(QStringLiteral("seconds"))), 1);
        QCOMPARE(s.matchPassword(paradoxPasswordChecksum(QStringLiteral("first"))), 0);
        QCOMPARE(s.matchPassword(paradoxPasswordChecksum(QStringLiteral("First"))), -1);
        // 0 marks an unprotected table; not even an empty password has it.
        s.addPassword(QString());
        QCOMPARE(s.matchPassword(0), -1);
        s.reset();
        QCOMPARE(s.passwordCount(), 0);
    }

    void netDirIsCheckedOncePerSetting()
    {
        Session& s = Session::instance();
        s.checkNetDir(); // none set: nothing to check

        const QString missing = m_root.filePath(QStringLiteral("no-such-folder"));
        s.setNetDir(missing);
        QVERIFY(errorOf([&] { s.checkNetDir(); })
                    .startsWith(QStringLiteral("The network control directory %1 does not exist.")
                                    .arg(missing)));
        // A refusal is not remembered: once the folder is there it passes.
        QVERIFY(QDir().mkpath(missing));
        QCOMPARE(errorOf([&] { s.checkNetDir(); }), QString());

        const QString file = m_root.filePath(QStringLiteral("a-file"));
        writeFile(file, "x");
        s.setNetDir(file);
        QVERIFY(
            errorOf([&] { s.checkNetDir(); })
                .startsWith(
                    QStringLiteral("The network control directory %1 is not a folder.").arg(file)));
        QCOMPARE(s.netDir(), file);
    }

    void tableStatesAreSharedWhileInUse()
    {
        Session& s = Session::instance();
        auto a = s.tableState(QStringLiteral("/data/A.DB"));
        auto b = s.tableState(QStringLiteral("/data/A.DB"));
        auto c = s.tableState(QStringLiteral("/data/B.DB"));
        QCOMPARE(a.get(), b.get());
        QVERIFY(a.get() != c.get());
        a->rows.append({1, Row{QStringLiteral("x")}});
        QCOMPARE(b->rows.size(), 1);
        a.reset();
        b.reset();
        // Once nobody uses it, the state is dropped and read again later.
        QCOMPARE(s.tableState(QStringLiteral("/data/A.DB"))->rows.size(), 0);
    }

    void indexDefinitionsAreRemembered()
    {
        Session& s = Session::instance();
        bool known = true;
        QVERIFY(s.rememberedIndexDefs(QStringLiteral("/d/T.DB"), &known).isEmpty());
        QVERIFY(!known);
        IndexDef def;
        def.name = QStringLiteral("iOrder");
        def.fields = {QStringLiteral("Line"), QStringLiteral("Order")};
        s.rememberIndexDefs(QStringLiteral("/d/T.DB"), {def});
        s.rememberRequiredFields(QStringLiteral("/d/T.DB"), {QStringLiteral("Field")});
        QCOMPARE(s.rememberedIndexDefs(QStringLiteral("/d/T.DB"), &known).size(), 1);
        QVERIFY(known);
        QCOMPARE(s.rememberedRequiredFields(QStringLiteral("/d/T.DB")),
                 QStringList{QStringLiteral("Field")});
        s.forgetIndexDefs(QStringLiteral("/d/T.DB"));
        QVERIFY(s.rememberedIndexDefs(QStringLiteral("/d/T.DB"), &known).isEmpty());
        QVERIFY(s.rememberedRequiredFields(QStringLiteral("/d/T.DB")).isEmpty());
    }

    void lockFilesLieBesideTheTable()
    {
        const QString table = m_root.filePath(QStringLiteral("CRDATA.DB"));
        QCOMPARE(TableLock::lockFilePath(table), m_root.filePath(QStringLiteral("CRDATA.LCK")));
        QCOMPARE(TableLock::lockFilePath(m_root.filePath(QStringLiteral("noext"))),
                 m_root.filePath(QStringLiteral("noext.LCK")));

        QVERIFY(!TableLock::heldHere(table));
        {
            auto first = TableLock::acquire(table);
            auto second = TableLock::acquire(table); // shared within the program
            QCOMPARE(first.get(), second.get());
            QVERIFY(TableLock::heldHere(table));
            QVERIFY(!TableLock::lockedElsewhere(table));
            first.reset();
            QVERIFY(TableLock::heldHere(table));
        }
        QVERIFY(!TableLock::heldHere(table));
        // The lock file stays, unlocked.
        QVERIFY(QFileInfo::exists(m_root.filePath(QStringLiteral("CRDATA.LCK"))));
        QVERIFY(!TableLock::lockedElsewhere(table));

        // A folder that does not exist cannot hold a lock file.
        const QString nowhere = m_root.filePath(QStringLiteral("nowhere/T.DB"));
        QVERIFY(errorOf([&] {
                    TableLock::acquire(nowhere);
                }).startsWith(QStringLiteral("The table T.DB cannot be locked: ")));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
