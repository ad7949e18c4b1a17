#include "ScriptedPlatform.h"
#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "engine/AppPaths.h"
#include "engine/DatabaseError.h"
#include "engine/IniFile.h"
#include "engine/Session.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSharedRoutines : public QObject
{
    Q_OBJECT

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString s = pathSeparator();
        QTest::newRow("plain") << "DATA"
                               << "A.rpt"
                               << "DATA" + s + "A.rpt";
        QTest::newRow("trailing separator") << "DATA" + s << "A.rpt"
                                            << "DATA" + s + "A.rpt";
        QTest::newRow("empty folder") << ""
                                      << "A.rpt"
                                      << "A.rpt";
        QTest::newRow("blank folder") << "   "
                                      << "A.rpt"
                                      << "A.rpt";
        QTest::newRow("name with separator") << "DATA" << s + "A.rpt"
                                             << "DATA" + s + s + "A.rpt";
    }
    void joinPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(JoinPath(folder, name), expected);
    }

    void isBlankAndIsValidName()
    {
        QVERIFY(IsBlank(QString()));
        QVERIFY(IsBlank(QStringLiteral("\r\n")));
        QVERIFY(IsBlank(QStringLiteral(" \b ")));
        QVERIFY(!IsBlank(QStringLiteral("\t")));
        QVERIFY(!IsBlank(QStringLiteral("  x")));

        QVERIFY(IsValidName(QStringLiteral("Sales2")));
        QVERIFY(IsValidName(QString()));
        QVERIFY(!IsValidName(QStringLiteral("Sales 2")));
        QVERIFY(!IsValidName(QStringLiteral("Sales-2")));
        QVERIFY(!IsValidName(QStringLiteral("Sales_2")));
        QVERIFY(!IsValidName(QStringLiteral("Sal\u00e9s")));
    }

    void showErrorBeepsAndConfirmDoesNot()
    {
        ScriptedPlatform platform;
        ShowError(QStringLiteral("Broken"));
        QCOMPARE(platform.m_beeps.size(), 1);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Error);
        QCOMPARE(platform.boxes[0].buttons, Platform::Buttons::Ok);

        platform.clear();
        platform.queueAnswer(Platform::Answer::No);
        QVERIFY(!Confirm(QStringLiteral("Sure?")));
        platform.queueAnswer(Platform::Answer::Yes);
        QVERIFY(Confirm(QStringLiteral("Sure?")));
        QVERIFY(platform.m_beeps.isEmpty());
        QCOMPARE(platform.boxes[0].icon, Platform::Icon::Information);
        QCOMPARE(platform.boxes[0].buttons, Platform::Buttons::YesNo);
    }

    void aliasPath()
    {
        QTemporaryDir dir;
        const QString aliases = dir.filePath(QStringLiteral("ALIASES.INI"));
        writeFile(aliases,
                  "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\nPATH=F:\\SHARED\\DATA\r\n"
                  "[OTHER]\r\nXPATH=one\r\nPATH=two\r\n[NOPATH]\r\nDEFAULT DRIVER=PARADOX\r\n");
        Session::instance().setAliasFile(aliases);
        QCOMPARE(AliasPath(QStringLiteral("VESKA")), QStringLiteral("F:\\SHARED\\DATA"));
        // Every line containing PATH= counts, and the last one wins.
        QCOMPARE(AliasPath(QStringLiteral("OTHER")), QStringLiteral("two"));
        QCOMPARE(AliasPath(QStringLiteral("NOPATH")), QString());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, AliasPath(QStringLiteral("NOWHERE")));
        Session::instance().setAliasFile(QString());
    }

    void iniRules()
    {
        const IniFile ini =
            IniFile::fromBytes("; comment\r\n[options]\r\n  NETDIR =  F:\\NETCTL  \r\n"
                               "netdir=second\r\n;NetDir=commented\r\n"
                               "[Other]\r\nKey=caf\xe9\r\n");
        QCOMPARE(ini.value(QStringLiteral("Options"), QStringLiteral("NetDir")),
                 QStringLiteral("F:\\NETCTL"));
        QCOMPARE(ini.value(QStringLiteral("OTHER"), QStringLiteral("key")),
                 QStringLiteral("caf\u00e9"));
        QCOMPARE(ini.value(QStringLiteral("Other"), QStringLiteral("none"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(!ini.contains(QStringLiteral("Missing"), QStringLiteral("NetDir")));
        // A key is present whatever its value holds, even the text that
        // contains() once used as its "missing" marker.
        const IniFile odd = IniFile::fromBytes("[S]\nk=\x01missing\x01\nempty=\n");
        QVERIFY(odd.contains(QStringLiteral("s"), QStringLiteral("K")));
        QVERIFY(odd.contains(QStringLiteral("S"), QStringLiteral("empty")));
        QCOMPARE(odd.value(QStringLiteral("S"), QStringLiteral("empty"), QStringLiteral("d")),
                 QString());
    }

    void checkNetDir_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no file at all
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("folder");
        QTest::newRow("no file") << QByteArray() << false << QString();
        QTest::newRow("no key") << QByteArray("[Options]\r\nOther=1\r\n") << false << QString();
        QTest::newRow("xx") << QByteArray("[Options]\r\nNetDir=xx\r\n") << false << QString();
        QTest::newRow("XX") << QByteArray("[Options]\r\nNetDir=XX\r\n") << true << "XX";
        QTest::newRow("one slash")
            << QByteArray("[Options]\r\nNetDir=F:\\NETCTL/\r\n") << true << "F:\\NETCTL";
        QTest::newRow("two slashes")
            << QByteArray("[Options]\r\nNetDir=F:\\NETCTL//\r\n") << true << "F:\\NETCTL/";
        QTest::newRow("backslash")
            << QByteArray("[Options]\r\nNetDir=F:\\NETCTL\\\r\n") << true << "F:\\NETCTL\\";
        QTest::newRow("empty") << QByteArray("[Options]\r\nNetDir=\r\n") << false << QString();
        QTest::newRow("blanks") << QByteArray("[Options]\r\nNetDir=    \r\n") << false << QString();
        QTest::newRow("mixed case")
            << QByteArray("[oPtIoNs]\r\nnEtDiR=/srv/net\r\n") << true << "/srv/net";
        QTest::newRow("only slash")
            << QByteArray("[Options]\r\nNetDir=/\r\n") << false << QString();
    }
    void checkNetDir()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, ok);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        AppPaths::setExecutableFolder(dir.path());
        if (!ini.isEmpty())
            writeFile(dir.filePath(QStringLiteral("NETDIR.INI")), ini);

        for (auto answer : {Platform::Answer::No, Platform::Answer::Yes}) {
            ScriptedPlatform platform;
            platform.queueAnswer(answer);
            QString result;
            QCOMPARE(StartUp::CheckNetDir(result), ok);
            if (ok) {
                QCOMPARE(result, folder);
                QVERIFY(platform.boxes.isEmpty());
                continue;
            }
            QCOMPARE(platform.boxes.size(), 1);
            QCOMPARE(platform.boxes[0].text,
                     QStringLiteral("The shared network control directory has not been "
                                    "initialized.  Do you wish to run the NETDIR command now?"));
            QCOMPARE(platform.boxes[0].icon, Platform::Icon::Information);
            QCOMPARE(platform.m_starts.size(), answer == Platform::Answer::Yes ? 1 : 0);
            if (!platform.m_starts.isEmpty())
                QVERIFY(platform.m_starts[0].program.endsWith(QStringLiteral("netdir")));
        }
        AppPaths::setExecutableFolder(QString());
    }

    void privateDirectoryFailureIsReportedAndStartUpGoesOn()
    {
        QTemporaryDir dir;
        AppPaths::setExecutableFolder(dir.path());
        writeFile(dir.filePath(QStringLiteral("NETDIR.INI")), "[Options]\r\nNetDir=/srv/net\r\n");
        // A file where the folder "Priv" should be: the folder cannot be made.
        writeFile(dir.filePath(QStringLiteral("Priv")), "not a folder");
        Session::instance().reset();
        ScriptedPlatform platform;
        QVERIFY(StartUp::prepareSession());
        QCOMPARE(platform.texts(),
                 QStringList{QStringLiteral("Could not create the private directory ") +
                             AppPaths::privateDirectory()});
        QCOMPARE(Session::instance().privateDir(), AppPaths::privateDirectory());
        QCOMPARE(Session::instance().netDir(), QStringLiteral("/srv/net"));
        QCOMPARE(Session::instance().passwordCount(), 2);
        QCOMPARE(Session::instance().password(0).size(), 6);
        QCOMPARE(Session::instance().password(1).size(), 7);
        Session::instance().reset();
        AppPaths::setExecutableFolder(QString());
    }
};

QTEST_GUILESS_MAIN(TestSharedRoutines)
#include "tst_sharedroutines.moc"
