// pageroad ROAD.json DATAFOLDER: makes the report that ROAD.json describes
// through the wizard's pages, clicking and typing where a user does, on the
// host tables of DATAFOLDER, and writes it there as PAGEROAD.rpt (its path
// on standard output). The accessibility test makes the same report through
// the accessibility bus and compares the two files byte for byte.
#include "Controls.h"
#include "ReportRoads.h"

#include "forms/controls/Picklist.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <cstdio>
#include <stdexcept>

namespace {

QString plain(QString text) { return text.remove(QLatin1Char('&')); }

[[noreturn]] void stop(const QString& why) { throw std::runtime_error(why.toStdString()); }

template <typename T> T* byText(QWidget* root, const QString& text)
{
    const auto all = root->findChildren<T*>();
    for (T* w : all)
        if (w->isVisible() && plain(w->text()) == text)
            return w;
    stop(QStringLiteral("no control %1 in view").arg(text));
}

QStringList strings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& s : v.toArray())
        out << s.toString();
    return out;
}

void clickItem(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        stop(QStringLiteral("%1 has no entry %2").arg(list->objectName(), text));
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(found.first()).center());
}

void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// A check box is clicked on its box: a box stretched across the page is not
// hit at its centre.
void tick(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
    if (!box->isChecked())
        stop(QStringLiteral("%1 was not ticked").arg(box->objectName()));
}

void expectPage(TFrmCReport& w, QWidget* page)
{
    if (control<QStackedWidget>(w, "Notebook1")->currentWidget() != page)
        stop(QStringLiteral("not on %1 but on %2")
                 .arg(page->objectName(),
                      control<QStackedWidget>(w, "Notebook1")->currentWidget()->objectName()));
}

QString makeReport(const QJsonObject& road, const QString& tables)
{
    WizardFixture f;
    for (const QString& name :
         QDir(tables).entryList({QStringLiteral("*.DB"), QStringLiteral("*.MB")}, QDir::Files))
        QFile::copy(QDir(tables).filePath(name), f.dataPath(name));
    TFrmCReport& w = f.open();

    WizardFixture::clickRadio(control<QRadioButton>(w, "RBCreate"));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page2"));
    WizardFixture::clickRadio(
        byText<QRadioButton>(control<QWidget>(w, "Page2"), road[u"order"].toString()));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page3"));
    WizardFixture::clickRadio(
        byText<QRadioButton>(control<QWidget>(w, "Page3"), road[u"kind"].toString()));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page4"));
    QTest::keyClicks(control<QLineEdit>(w, "EdDescription"), road[u"description"].toString());
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page5"));
    WizardFixture::clickRadio(
        byText<QRadioButton>(control<QWidget>(w, "Page5"), road[u"paper"].toString()));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page4_5"));
    WizardFixture::clickRadio(
        byText<QRadioButton>(control<QWidget>(w, "Page4_5"), road[u"detail"].toString()));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page6"));

    for (const QString& name : strings(road[u"contactFields"]))
        Roads::clickPick(control<TPickList>(w, "PickContactField"), name);
    for (const QString& name : strings(road[u"eventFields"]))
        Roads::clickPick(control<TPickList>(w, "PickEventField"), name);
    const QStringList special = strings(road[u"specialFields"]);
    WizardFixture::withModal([&] { click(control<QPushButton>(w, "BitBtn2")); },
                             [&](QWidget* modal) {
                                 if (!modal)
                                     return;
                                 for (const QString& name : special)
                                     tick(byText<QCheckBox>(modal, name));
                                 click(Roads::button(modal, "BitBtn1"));
                             });
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page7"));

    const int moveUp = road[u"moveUp"].toInt();
    clickItem(control<QListWidget>(w, "lbAllFields"),
              control<QListWidget>(w, "lbAllFields")->item(moveUp)->text());
    click(control<QPushButton>(w, "BtnMoveUp"));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page8"));

    control<BoundedSpinBox>(w, "SpinCol")->setFocus();
    QTest::keyClick(control<BoundedSpinBox>(w, "SpinCol"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(control<BoundedSpinBox>(w, "SpinCol"),
                     QString::number(road[u"columns"].toInt()));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page9"));
    click(control<QPushButton>(w, "BtnCheck"));
    Roads::next(w);
    expectPage(w, control<QWidget>(w, "Page10"));

    const QJsonObject headers = road[u"headers"].toObject();
    const QStringList dots = strings(road[u"dotLeaders"]);
    const QStringList counted = strings(road[u"counted"]);
    for (int row = 0; row < control<QListWidget>(w, "LBFieldDefs")->count(); ++row) {
        const QString field = control<QListWidget>(w, "LBFieldDefs")->item(row)->text();
        if (!headers.contains(field) && !dots.contains(field) && !counted.contains(field))
            continue;
        clickItem(control<QListWidget>(w, "LBFieldDefs"), field);
        if (headers.contains(field)) {
            control<QLineEdit>(w, "DBEdit1")->setFocus();
            control<QLineEdit>(w, "DBEdit1")->selectAll();
            QTest::keyClick(control<QLineEdit>(w, "DBEdit1"), Qt::Key_Delete);
            QTest::keyClicks(control<QLineEdit>(w, "DBEdit1"), headers.value(field).toString());
            control<QListWidget>(w, "LBFieldDefs")->setFocus(); // leaving the box stores the header
        }
        if (dots.contains(field))
            tick(control<QCheckBox>(w, "cbDotLead"));
        if (counted.contains(field))
            tick(control<QCheckBox>(w, "DBCBCount"));
    }

    const QString fileName = QStringLiteral("PAGEROAD");
    if (!Roads::makeReport(w, {fileName}))
        stop(QStringLiteral("no naming dialog"));
    for (const QString& name : QDir(f.dataFolder).entryList(QDir::Files)) {
        if (name.compare(fileName + QStringLiteral(".rpt"), Qt::CaseInsensitive) == 0) {
            const QString target = QDir(tables).filePath(fileName + QStringLiteral(".rpt"));
            QFile::remove(target);
            if (!QFile::copy(f.dataPath(name), target))
                stop(QStringLiteral("cannot write %1").arg(target));
            return target;
        }
    }
    stop(
        QStringLiteral("the report was not written; boxes: %1").arg(f.platform.texts().join(u'|')));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: pageroad ROAD.json DATAFOLDER\n", stderr);
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "pageroad: cannot read %s\n", qPrintable(args.at(1)));
        return 2;
    }
    const QJsonObject road = QJsonDocument::fromJson(file.readAll()).object();
    try {
        const QString made = makeReport(road, QDir(args.at(2)).absolutePath());
        std::printf("%s\n", qPrintable(made));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pageroad: %s\n", e.what());
        return 1;
    }
}
