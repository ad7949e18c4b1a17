// The shared data folder and the program's profile files as they are met in
// the field, through the real wizard: alias lines written by hand, profile
// files that are pipes or hold quoted values.
#include "Controls.h"
#include "ReportRoads.h"
#include "Screenshots.h"
#include "WizardRoad.h"

#include "core/app/SharedRoutines.h"
#include "core/app/StartUp.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxWriter.h"

#include "forms/app/WidgetPlatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QMessageBox>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Roads;

namespace {

// Opens a named pipe for writing after `seconds` unless stopped first: a
// reader that waits on the pipe is then let go (it reads nothing), so that
// a test of a hang fails instead of hanging.
class PipeWatchdog
{
public:
    PipeWatchdog(const QString& pipe, int seconds)
        : m_pipe(QFile::encodeName(pipe)), m_thread([this, seconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_stop; }))
                  return;
              const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~PipeWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    QByteArray m_pipe;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_stop = false;
    std::thread m_thread;
};

// A file by its raw bytes (a name that may not be valid UTF-8).
bool writeNative(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readNative(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return QByteArray("<missing>");
    QByteArray out;
    char piece[4096];
    for (ssize_t n; (n = ::read(fd, piece, sizeof piece)) > 0;)
        out.append(piece, n);
    ::close(fd);
    return out;
}

QByteArray twoFieldReport(const QString& description)
{
    return report(description, QStringLiteral("Contact"), QStringLiteral("Contact"),
                  QStringLiteral("75"),
                  {field(0, QStringLiteral("City"), QStringLiteral("City"), 1, 1, 20),
                   field(0, QStringLiteral("Company"), QStringLiteral("Company"), 1, 22, 40)});
}

// Chooses an operation and presses Next; in the selection dialog the row of
// the report with this description is picked and OK pressed. *listed gets
// the names the dialog lists.
bool pickByDescription(TFrmCReport& w, QRadioButton* operation, const QString& description,
                       QStringList* listed = nullptr, const QString& screenshot = QString())
{
    WizardFixture::clickRadio(operation);
    bool picked = false;
    WizardFixture::withModal(
        [&] { next(w); },
        [&](QWidget* modal) {
            auto* grid = modal ? modal->findChild<QTableWidget*>(QStringLiteral("grid")) : nullptr;
            if (!grid)
                return;
            // A picture of the dialog, when asked for.
            if (!screenshot.isEmpty())
                Screenshots::save(modal, screenshot);
            for (int r = 0; r < grid->rowCount(); ++r) {
                if (listed && grid->item(r, 2))
                    *listed << grid->item(r, 2)->text();
                if (!picked && grid->item(r, 0) && grid->item(r, 0)->text() == description) {
                    grid->setCurrentCell(r, 0);
                    picked = true;
                }
            }
            QTest::mouseClick(button(modal, picked ? "BtnOk" : "BtnCancel"), Qt::LeftButton);
        });
    return picked;
}

void toPage(TFrmCReport& w, QWidget* page)
{
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() != page; ++i)
        next(w);
}

// Back to the first page with Previous; stepping back onto Page2 starts the
// operation afresh, and the selection dialog that then opens is cancelled.
void toFirstPage(TFrmCReport& w)
{
    for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                  control<QWidget>(w, "Page1");
         ++i)
        clickWithoutDialog(control<QPushButton>(w, "BtnPrior"));
}

// Modify the report with this description: a new description on Page4,
// then Make Report, answered Yes (overwrite).
void modifyAndOverwrite(WizardFixture& f, TFrmCReport& w, const QString& description,
                        const QString& newDescription)
{
    QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"), description));
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page2"));
    QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), description);
    toPage(w, control<QWidget>(w, "Page4"));
    control<QLineEdit>(w, "EdDescription")->setText(newDescription);
    toPage(w, control<QWidget>(w, "Page10"));
    QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
             control<QWidget>(w, "Page10"));
    f.platform.clear();
    f.platform.queueAnswer(Platform::Answer::Yes);
    QVERIFY(clickWithoutDialog(control<QPushButton>(w, "btMakeReport")) == false);
    QCOMPARE(f.platform.texts(),
             QStringList({QStringLiteral("Do you want to overwrite the existing report?"),
                          QStringLiteral("Report successfully created.")}));
    toFirstPage(w);
}

bool makePipe(const QString& path)
{
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // The alias's PATH= line as people write it: in another case, with
    // blanks after the "=" or at the end, in quotes. Tables are read from
    // the folder and a new report is written there, not to the current
    // folder and not under a name that begins with a blank.
    void aliasLineAsWritten_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("Path=") << QStringLiteral("Path=%1");
        QTest::newRow("path=") << QStringLiteral("path=%1");
        QTest::newRow("PATH= folder") << QStringLiteral("PATH= %1  ");
        QTest::newRow("PATH=\"folder\"") << QStringLiteral("PATH=\"%1\"");
    }
    void aliasLineAsWritten()
    {
        QFETCH(QString, line);
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(f.exePath(QStringLiteral("ALIASES.INI")),
                                     "[VESKA]\r\nDEFAULT DRIVER=PARADOX\r\n" +
                                         line.arg(f.dataFolder).toLocal8Bit() + "\r\n"));
        // Elsewhere is current, where a report without its folder would go.
        QVERIFY(QDir::setCurrent(f.exeFolder));
        QCOMPARE(AliasPath(QStringLiteral("VESKA")), f.dataFolder);

        TFrmCReport& w = f.open();
        WizardRoad::toFieldSelection(w);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QVERIFY(WizardRoad::clickEntry(control<TPickList>(w, "PickContactField"),
                                       QStringLiteral("City")));
        for (int i = 0; i < 6 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                     control<QWidget>(w, "Page10");
             ++i)
            next(w);
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QVERIFY(makeReport(w, {QStringLiteral("aliased")}));
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Report successfully created.")});
        QVERIFY(QFileInfo(f.dataPath(QStringLiteral("aliased.rpt"))).isFile());
        QVERIFY(!QFileInfo::exists(f.exePath(QStringLiteral("aliased.rpt"))));
        QVERIFY(QDir(f.dataFolder).entryList({QStringLiteral(" *")}, QDir::AllEntries).isEmpty());
        // The selection dialog lists it from the same folder.
        for (int i = 0; i < 12 && control<QStackedWidget>(w, "Notebook1")->currentWidget() !=
                                      control<QWidget>(w, "Page1");
             ++i)
            prior(w);
        const Seen seen =
            startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("aliased.rpt"));
        QVERIFY(seen.done);
    }

    // Weekly.rpt and weekly.rpt in one (case-sensitive) folder: both are
    // listed as weekly.rpt, and every action acts on the picked one.
    void namesThatDifferInCaseOnly()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        const QByteArray beta = twoFieldReport(QStringLiteral("Beta weekly"));
        // Written elsewhere with LF line ends: the column editor's save
        // shows which file it wrote by giving it CR LF.
        QByteArray betaLf = beta;
        betaLf.replace("\r\n", "\n");
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("Weekly.rpt")),
                                     twoFieldReport(QStringLiteral("Alpha weekly"))));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("weekly.rpt")), betaLf));
        TFrmCReport& w = f.open();

        QStringList listed;
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                  QStringLiteral("Beta weekly"), &listed,
                                  QStringLiteral("report-select-case.png")));
        QCOMPARE(listed, QStringList({QStringLiteral("weekly.rpt"), QStringLiteral("weekly.rpt")}));
        QCOMPARE(w.ReportFile, QStringLiteral("weekly.rpt"));
        QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Beta weekly"));
        toFirstPage(w);

        // Modify, overwrite: the picked file is written, the other kept.
        modifyAndOverwrite(f, w, QStringLiteral("Alpha weekly"), QStringLiteral("Alpha changed"));
        QVERIFY(readAll(f.dataPath(QStringLiteral("Weekly.rpt"))).startsWith("Alpha changed\r\n"));
        QCOMPARE(readAll(f.dataPath(QStringLiteral("weekly.rpt"))), betaLf);

        // Column widths: the editor's OK rewrites the picked file only.
        const QByteArray alpha = readAll(f.dataPath(QStringLiteral("Weekly.rpt")));
        bool editorSeen = false;
        QObject watch;
        watchModal(
            &watch,
            [&](QWidget* modal) {
                editorSeen = true;
                QTest::mouseClick(button(modal, "BtnOK"), Qt::LeftButton);
            },
            [](QWidget* modal) {
                return QLatin1String(modal->metaObject()->className()) == "TFrmColumn";
            });
        f.platform.clear();
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RBColumn"),
                                  QStringLiteral("Beta weekly")));
        QVERIFY(editorSeen);
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Report successfully modified.")});
        QCOMPARE(readAll(f.dataPath(QStringLiteral("weekly.rpt"))), beta);
        QCOMPARE(readAll(f.dataPath(QStringLiteral("Weekly.rpt"))), alpha);

        // Delete removes the picked file only.
        f.platform.clear();
        f.platform.queueAnswer(Platform::Answer::Yes);
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbDelete"),
                                  QStringLiteral("Alpha changed")));
        QCOMPARE(f.platform.texts().value(0),
                 QStringLiteral("Do you want to delete the weekly.rpt report?"));
        QCOMPARE(reportFiles(f), QStringList{QStringLiteral("weekly.rpt")});
        QCOMPARE(readAll(f.dataPath(QStringLiteral("weekly.rpt"))), beta);
    }

    // A name that is not valid UTF-8 (r\xe9sum\xe9.rpt, written in an 8-bit
    // code page): listed readably, loaded, written over and deleted by its
    // own bytes.
    void nameThatIsNotUtf8()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        const QByteArray odd = QFile::encodeName(f.dataFolder) + "/r\xe9sum\xe9.rpt";
        QVERIFY(writeNative(odd, twoFieldReport(QStringLiteral("Latin name"))));
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("plain.rpt")),
                                     twoFieldReport(QStringLiteral("Plain"))));
        TFrmCReport& w = f.open();

        QStringList listed;
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                  QStringLiteral("Latin name"), &listed,
                                  QStringLiteral("report-select-8bit.png")));
        QCOMPARE(listed, QStringList({QStringLiteral("r\u00e9sum\u00e9.rpt"),
                                      QStringLiteral("plain.rpt")}));
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(workingRows().size(), 2);
        toFirstPage(w);

        modifyAndOverwrite(f, w, QStringLiteral("Latin name"), QStringLiteral("Latin changed"));
        QVERIFY(readNative(odd).startsWith("Latin changed\r\n"));
        // Nothing was written under another name.
        QCOMPARE(QDir(f.dataFolder).entryList({QStringLiteral("*.rpt")}, QDir::Files),
                 QStringList{QStringLiteral("plain.rpt")});

        f.platform.clear();
        f.platform.queueAnswer(Platform::Answer::Yes);
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbDelete"),
                                  QStringLiteral("Latin changed")));
        QCOMPARE(readNative(odd), QByteArray("<missing>"));
        QCOMPARE(reportFiles(f), QStringList{QStringLiteral("plain.rpt")});
    }

    // What the writer saves, the loader loads: a contact column named with
    // blanks only goes round the whole wizard.
    void blankColumnNameGoesRound()
    {
        WizardFixture f;
        f.makeHostTables();
        // A contact table, made by another program, with a column of that
        // name (our own writer refuses to make one): written with a stand-in
        // name, which is then overwritten in the header.
        const QString path = f.dataPath(QStringLiteral("CONTACT.DB"));
        QVERIFY(QFile::remove(path));
        ParadoxWriter::writeTable(
            path,
            {FieldBuilders::field(QStringLiteral("City"), FieldType::Alpha, 30),
             FieldBuilders::field(QStringLiteral("QQQ"), FieldType::Alpha, 30)},
            0, {});
        QByteArray bytes = readAll(path);
        QCOMPARE(bytes.count("QQQ\0"), 1);
        bytes.replace("QQQ\0", QByteArray("   \0", 4));
        QVERIFY(WizardFixture::write(path, bytes));
        createWorkingTable();
        TFrmCReport& w = f.open();
        WizardRoad::toFieldSelection(w);
        QVERIFY(WizardRoad::clickEntry(control<TPickList>(w, "PickContactField"),
                                       QStringLiteral("   ")));
        toPage(w, control<QWidget>(w, "Page10"));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page10"));
        QVERIFY(makeReport(w, {QStringLiteral("blanks")}));
        QCOMPARE(f.platform.texts(), QStringList{QStringLiteral("Report successfully created.")});
        QVERIFY(readAll(f.dataPath(QStringLiteral("blanks.rpt"))).contains("\r\n   \r\n"));
        toFirstPage(w);

        f.platform.clear();
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                  QStringLiteral("Test report")));
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QStringList fields;
        for (const TableRow& r : workingRows())
            fields << r.f.field;
        QVERIFY2(fields.contains(QStringLiteral("   ")), qPrintable(fields.join(u'|')));
    }

    // A report made elsewhere with headers and field names longer than the
    // 50 characters the table holds: loaded, shortened, the user told once
    // which fields; saved again it holds the shortened texts and loads
    // without a word.
    void longTextsAreShortened()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        const QString longField = QStringLiteral("F") + QString(99999, QLatin1Char('f'));
        const QString longHeader = QString(60, QLatin1Char('h'));
        QVERIFY(WizardFixture::write(
            f.dataPath(QStringLiteral("long.rpt")),
            report(QStringLiteral("Long texts"), QStringLiteral("Contact"),
                   QStringLiteral("Contact"), QStringLiteral("75"),
                   {field(0, longHeader, QStringLiteral("City"), 1, 1, 20),
                    field(0, QStringLiteral("Fine"), QStringLiteral("Company"), 1, 22, 40),
                    field(0, longHeader, longField, 2, 1, 20)})));
        TFrmCReport& w = f.open();
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                  QStringLiteral("Long texts")));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes.first().icon, Platform::Icon::Information);
        const QString text = f.platform.texts().first();
        QVERIFY2(text.contains(QStringLiteral("long.rpt")), qPrintable(text));
        QVERIFY2(
            text.contains(QStringLiteral("shortened to 50 characters for the fields \"City\", \"") +
                          longField.left(50) + QStringLiteral("\".")),
            qPrintable(text));
        const QList<TableRow> rows = workingRows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).f.header, longHeader.left(50));
        QCOMPARE(rows.at(2).f.field, longField.left(50));
        QCOMPARE(rows.at(2).f.header, longHeader.left(50));
        toFirstPage(w);

        modifyAndOverwrite(f, w, QStringLiteral("Long texts"), QStringLiteral("Long texts"));
        const QByteArray saved = readAll(f.dataPath(QStringLiteral("long.rpt")));
        QVERIFY(saved.contains("\r\n" + longField.left(50).toLatin1() + "\r\n"));
        QVERIFY(!saved.contains(longField.left(51).toLatin1()));
        f.platform.clear();
        QVERIFY(pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                  QStringLiteral("Long texts")));
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        QCOMPARE(workingRows().size(), 3);
    }

    // The word about shortened texts in the program's own message box,
    // closed by the user.
    void shortenedTextsInARealBox()
    {
        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        QVERIFY(WizardFixture::write(
            f.dataPath(QStringLiteral("long.rpt")),
            report(QStringLiteral("Long texts"), QStringLiteral("Contact"),
                   QStringLiteral("Contact"), QStringLiteral("75"),
                   {field(0, QString(70, QLatin1Char('h')), QStringLiteral("City"), 1, 1, 20)})));
        TFrmCReport& w = f.open();
        WidgetPlatform real;
        Platform::install(&real);
        QString seen;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = box->text();
            Screenshots::save(box, QStringLiteral("shortened-texts.png"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        watch.start();
        const bool picked = pickByDescription(w, control<QRadioButton>(w, "RbModify"),
                                              QStringLiteral("Long texts"));
        watch.stop();
        Platform::install(&f.platform);
        QVERIFY(picked);
        QVERIFY2(
            seen.contains(QStringLiteral("shortened to 50 characters for the fields \"City\".")),
            qPrintable(seen));
        QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                 control<QWidget>(w, "Page2"));
        QCOMPARE(workingRows().first().f.header, QString(50, QLatin1Char('h')));
    }

    // NETDIR.INI or ALIASES.INI replaced by a named pipe: the start goes on
    // at once, as if the file were not there (no program holds the other
    // end, and a read would wait for ever).
    void profileFileThatIsAPipe()
    {
        WizardFixture f;
        f.makeHostTables();
        const QString netIni = f.exePath(QStringLiteral("NETDIR.INI"));
        QVERIFY(makePipe(netIni));
        QElapsedTimer clock;
        clock.start();
        {
            PipeWatchdog watchdog(netIni, 5);
            f.platform.queueAnswer(Platform::Answer::No);
            QVERIFY(!StartUp::prepareSession());
        }
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        // Read as missing: the user is asked to set the folder up.
        QCOMPARE(f.platform.texts(),
                 QStringList{QStringLiteral("The shared network control directory has not been "
                                            "initialized.  Do you wish to run the NETDIR command "
                                            "now?")});

        f.platform.clear();
        const QString aliases = f.exePath(QStringLiteral("ALIASES.INI"));
        QVERIFY(makePipe(aliases));
        clock.restart();
        {
            PipeWatchdog watchdog(aliases, 5);
            TFrmCReport& w = f.open();
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
        }
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        // The alias is then unknown, and the wizard says so.
        QVERIFY(!f.platform.boxes.isEmpty());
        QVERIFY2(f.platform.texts().first().contains(QStringLiteral("VESKA")),
                 qPrintable(f.platform.texts().join(" | ")));
    }

    // A quoted value in NETDIR.INI loses its quotes, as Windows' reader
    // drops them: "xx" is the mark of a folder not yet set up, and a quoted
    // folder is that folder.
    void quotedNetDir_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("setUp");
        QTest::newRow("\"xx\"") << QByteArray("\"xx\"") << false;
        QTest::newRow("\"\"") << QByteArray("\"\"") << false;
        QTest::newRow("\"folder\"") << QByteArray("\"%1\"") << true;
        QTest::newRow("'folder'") << QByteArray("'%1'") << true;
        QTest::newRow("\" folder\" kept inside") << QByteArray("\"%1\"x") << true;
    }
    void quotedNetDir()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, setUp);
        WizardFixture f;
        const QByteArray written = QString::fromLatin1(value).arg(f.netFolder).toLocal8Bit();
        QVERIFY(WizardFixture::write(f.exePath(QStringLiteral("NETDIR.INI")),
                                     "[Options]\r\nNetDir=" + written + "\r\n"));
        f.platform.queueAnswer(Platform::Answer::No);
        QCOMPARE(StartUp::prepareSession(), setUp);
        if (!setUp) {
            QCOMPARE(f.platform.boxes.size(), 1);
            QVERIFY(
                f.platform.texts().first().contains(QStringLiteral("has not been initialized")));
            return;
        }
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
        const QString expected =
            value.endsWith('x') ? QString::fromLocal8Bit(written) : f.netFolder;
        QCOMPARE(Session::instance().netDir(), expected);
    }
};

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
