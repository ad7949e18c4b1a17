// The network set-up tool: how it updates NETDIR.INI, the folder checks, and
// that the start-up check reads back what it stored.

#include "Controls.h"
#include "FileBytes.h"
#include "ScriptedPlatform.h"
#include "core/app/NetDirSetup.h"
#include "core/app/StartUp.h"
#include "engine/AppPaths.h"
#include "forms/app/NetDirWidget.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestNetDirSetup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

private slots:
    void cleanup() { AppPaths::setExecutableFolder(QString()); }

    void updatesOnlyTheKey_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << QByteArray("[Options]\r\nNetDir=/n\r\n");
        QTest::newRow("replaces the value") << QByteArray("[Options]\r\nNetDir=xx\r\nOther=1\r\n")
                                            << QByteArray("[Options]\r\nNetDir=/n\r\nOther=1\r\n");
        QTest::newRow("names ignore case") << QByteArray("[OPTIONS]\r\n  netdir = F:\\OLD\r\n")
                                           << QByteArray("[OPTIONS]\r\nNetDir=/n\r\n");
        QTest::newRow("adds the key to the section")
            << QByteArray("[Other]\r\nNetDir=keep\r\n[Options]\r\nA=1\r\n")
            << QByteArray("[Other]\r\nNetDir=keep\r\n[Options]\r\nNetDir=/n\r\nA=1\r\n");
        QTest::newRow("adds the section")
            << QByteArray("; comment\r\n[Other]\r\nA=1")
            << QByteArray("; comment\r\n[Other]\r\nA=1\r\n[Options]\r\nNetDir=/n\r\n");
        QTest::newRow("a commented key is not the key")
            << QByteArray("[Options]\n;NetDir=old\n")
            << QByteArray("[Options]\nNetDir=/n\n;NetDir=old\n");
        QTest::newRow("only the first is replaced")
            << QByteArray("[Options]\r\nNetDir=a\r\nNetDir=b\r\n")
            << QByteArray("[Options]\r\nNetDir=/n\r\nNetDir=b\r\n");
        QTest::newRow("other bytes stay") << QByteArray("[Options]\r\nNote=Caf\xe9\r\nNetDir=a")
                                          << QByteArray("[Options]\r\nNote=Caf\xe9\r\nNetDir=/n");
    }

    void updatesOnlyTheKey()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(NetDirSetup::updatedIni(before, QStringLiteral("/n")), after);
    }

    void refusesWhatTheFileCannotHold()
    {
        QCOMPARE(NetDirSetup::updatedIni(QByteArray(), QStringLiteral("/\u0416")), QByteArray());
        QCOMPARE(NetDirSetup::updatedIni(QByteArray(), QStringLiteral("/Caf\u00e9")),
                 QByteArray("[Options]\r\nNetDir=/Caf\xe9\r\n"));
    }

    void storesAFolderTheStartUpAccepts()
    {
        const QString exeFolder = m_root.filePath(QStringLiteral("app1"));
        QVERIFY(QDir().mkpath(exeFolder));
        AppPaths::setExecutableFolder(exeFolder);
        const QString ini = NetDirSetup::iniPath();
        QCOMPARE(ini, exeFolder + QStringLiteral("/NETDIR.INI"));
        QCOMPARE(NetDirSetup::currentFolder(ini), QString());

        const QString net = m_root.filePath(QStringLiteral("shared/net ctl"));
        QString stored;
        QCOMPARE(
            NetDirSetup::apply(ini, QStringLiteral("  ") + net + QStringLiteral("/  "), &stored),
            QString());
        QCOMPARE(stored, net);
        QVERIFY(QFileInfo(net).isDir());
        QCOMPARE(QDir(net).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QCOMPARE(NetDirSetup::currentFolder(ini), net);

        ScriptedPlatform platform;
        QString folder;
        QVERIFY(StartUp::CheckNetDir(folder));
        QCOMPARE(folder, net);
        QVERIFY(platform.boxes.isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << "   "
                               << "Enter the folder to use as the network control directory.";
        QTest::newRow("placeholder") << "xx"
                                     << "\"xx\" marks a network control directory that is not set "
                                        "up; choose another folder name.";
        QTest::newRow("a file") << "FILE"
                                << "%1 is a file, not a folder.";
        QTest::newRow("under a file") << "FILE/sub"
                                      << "The folder %1 cannot be created.";
    }

    void refusals()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        const QString file = m_root.filePath(QStringLiteral("a-file"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        folder.replace(QStringLiteral("FILE"), file);
        const QString ini = m_root.filePath(QStringLiteral("refused.ini"));
        QCOMPARE(NetDirSetup::apply(ini, folder), message.arg(folder));
        QVERIFY(!QFileInfo::exists(ini)); // nothing written
    }

    void windowStoresTheFolder()
    {
        ScriptedPlatform platform;
        const QString ini = m_root.filePath(QStringLiteral("window.ini"));
        NetDirWidget window(ini);
        window.show();
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("EdNetDir"));
        QVERIFY(edit);
        QCOMPARE(edit->text(), QString());
        auto* ok = window.findChild<QDialogButtonBox*>(QStringLiteral("ButtonBox"))
                       ->button(QDialogButtonBox::Ok);

        // A file where the folder should be: the error box, and the window stays.
        const QString file = m_root.filePath(QStringLiteral("not-a-folder"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QTest::keyClicks(edit, file);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes.at(0).icon, Platform::Icon::Error);
        QVERIFY(window.isVisible());
        QVERIFY(!QFileInfo::exists(ini));

        const QString net = m_root.filePath(QStringLiteral("window-net"));
        edit->clear();
        QTest::keyClicks(edit, net);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(platform.boxes.size(), 2);
        QCOMPARE(platform.boxes.at(1).icon, Platform::Icon::Information);
        QVERIFY(platform.boxes.at(1).text.contains(net));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(readAll(ini), QByteArray("[Options]\r\nNetDir=") + net.toLocal8Bit() + "\r\n");

        // Opened again, the window shows what is stored.
        NetDirWidget again(ini);
        QCOMPARE(control<QLineEdit>(again, "EdNetDir")->text(), net);
    }
};

QTEST_MAIN(TestNetDirSetup)
#include "tst_netdirsetup.moc"
