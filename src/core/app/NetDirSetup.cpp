#include "core/app/NetDirSetup.h"

#include "core/app/SharedRoutines.h"
#include "engine/AppPaths.h"
#include "engine/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

namespace {

QByteArray encode1252(const QString& text, bool* ok)
{
    // A character the code page lacks would come back as something else, so
    // decoding what was encoded shows whether every character made it.
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    *ok = encoder.isValid() && !encoder.hasError() && QString(decoder.decode(bytes)) == text;
    return bytes;
}

QByteArray trimmedLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return line.trimmed();
}

bool isSectionHeader(const QByteArray& trimmed) { return trimmed.startsWith('['); }

QByteArray sectionName(const QByteArray& trimmed)
{
    const qsizetype close = trimmed.indexOf(']');
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool isKeyLine(const QByteArray& trimmed, const QByteArray& key)
{
    if (trimmed.startsWith(';'))
        return false;
    const qsizetype eq = trimmed.indexOf('=');
    return eq >= 0 && trimmed.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0;
}

} // namespace

QString NetDirSetup::iniPath()
{
    return AppPaths::executableFolder() + QStringLiteral("NETDIR.INI");
}

QString NetDirSetup::currentFolder(const QString& path)
{
    const QString value =
        IniFile::fromFile(path).value(QStringLiteral("Options"), QStringLiteral("NetDir"));
    if (value == QLatin1String("xx") || IsBlank(value))
        return QString();
    return value;
}

QByteArray NetDirSetup::updatedIni(const QByteArray& existing, const QString& folder)
{
    bool ok = false;
    const QByteArray newLine = "NetDir=" + encode1252(folder, &ok);
    if (!ok)
        return QByteArray();

    // Split keeping each line's own ending.
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < existing.size()) {
        qsizetype end = existing.indexOf('\n', pos);
        end = end < 0 ? existing.size() : end + 1;
        lines << existing.mid(pos, end - pos);
        pos = end;
    }
    const QByteArray eol = existing.contains("\r\n") || existing.isEmpty() ? "\r\n" : "\n";

    int sectionAt = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray t = trimmedLine(lines.at(i));
        if (isSectionHeader(t)) {
            if (sectionAt >= 0)
                break; // end of the first "Options" section
            if (sectionName(t).compare("Options", Qt::CaseInsensitive) == 0)
                sectionAt = i;
            continue;
        }
        if (sectionAt >= 0 && isKeyLine(t, "NetDir")) {
            QByteArray ending = lines.at(i).endsWith("\r\n") ? QByteArray("\r\n")
                                : lines.at(i).endsWith('\n') ? QByteArray("\n")
                                                             : QByteArray();
            lines[i] = newLine + ending;
            return lines.join();
        }
    }
    if (!lines.isEmpty() && !lines.last().endsWith('\n'))
        lines.last() += eol;
    if (sectionAt < 0) {
        lines << "[Options]" + eol << newLine + eol;
    } else {
        lines.insert(sectionAt + 1, newLine + eol);
    }
    return lines.join();
}

QString NetDirSetup::apply(const QString& path, const QString& folder, QString* stored)
{
    const QString typed = folder.trimmed();
    if (IsBlank(typed))
        return QStringLiteral("Enter the folder to use as the network control directory.");
    if (typed == QLatin1String("xx"))
        return QStringLiteral("\"xx\" marks a network control directory that is not set up; "
                              "choose another folder name.");

    QString absolute = QDir::cleanPath(QFileInfo(typed).absoluteFilePath());
    absolute = QDir::toNativeSeparators(absolute);
    const QFileInfo info(absolute);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is a file, not a folder.").arg(absolute);
    if (!info.exists() && !QDir().mkpath(absolute))
        return QStringLiteral("The folder %1 cannot be created.").arg(absolute);
    {
        QTemporaryFile probe(QDir(absolute).filePath(QStringLiteral("tvnet-XXXXXX.tmp")));
        if (!probe.open())
            return QStringLiteral("The folder %1 cannot be written to.").arg(absolute);
    }

    QByteArray existing;
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return QStringLiteral("%1 cannot be read: %2").arg(path, in.errorString());
        existing = in.readAll();
        in.close();
    }
    const QByteArray contents = updatedIni(existing, absolute);
    if (contents.isEmpty())
        return QStringLiteral("The folder name %1 holds characters that NETDIR.INI cannot store.")
            .arg(absolute);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() || !out.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(path, out.errorString());
    if (stored)
        *stored = absolute;
    return QString();
}
