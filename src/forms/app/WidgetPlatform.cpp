#include "forms/app/WidgetPlatform.h"

#include "core/app/HelpFile.h"
#include "forms/app/HelpWidget.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

Platform::Answer WidgetPlatform::messageBox(Icon icon, const QString& text, Buttons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QGuiApplication::applicationDisplayName());
    // Messages break lines with a carriage return, as the Windows message
    // box does; Qt's box breaks only at line feeds.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (icon) {
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoDefaultNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

void WidgetPlatform::beep(Sound) { QApplication::beep(); }

bool WidgetPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    // A QProcess object lets us send the child's output to the null device;
    // the static startDetached() would hand it our own pipes.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

WidgetPlatform::~WidgetPlatform() { delete m_help; }

bool WidgetPlatform::openHelp(const QString& helpFile, int context)
{
    const QString page = HelpFile::htmlPath(helpFile);
    if (!QFileInfo(page).isFile()) {
        messageBox(
            Icon::Error,
            QStringLiteral("The help file %1 cannot be found.").arg(QDir::toNativeSeparators(page)),
            Buttons::Ok);
        return false;
    }
    if (!m_help)
        m_help = new HelpWidget;
    m_help->showAt(HelpFile::contextUrl(helpFile, context));
    return true;
}
