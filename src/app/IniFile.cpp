#include "app/IniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace {
QString decode1252(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

// Calls visit(section, line) for every non-comment line inside a section.
template <typename Visit> void walk(const QByteArray& bytes, Visit visit)
{
    const QString text = decode1252(bytes);
    QString section;
    bool inSection = false;
    qsizetype pos = 0;
    while (pos <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
        if (end < 0)
            end = text.size();
        QString line = text.mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            section = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
            section = section.trimmed();
            inSection = true;
            continue;
        }
        if (inSection && !visit(section, trimmed))
            return;
    }
}
} // namespace

IniFile IniFile::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniFile();
    // Profile files are small; a huge one is not a profile file.
    return fromBytes(file.read(1 << 20));
}

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    IniFile ini;
    ini.m_bytes = bytes;
    return ini;
}

namespace {
// The value of the first key of that name in a section of that name.
bool lookup(const QByteArray& bytes, const QString& section, const QString& key, QString* value)
{
    bool found = false;
    walk(bytes, [&](const QString& sec, const QString& line) {
        if (sec.compare(section, Qt::CaseInsensitive) != 0)
            return true;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return true;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            return true;
        *value = line.mid(eq + 1).trimmed();
        found = true;
        return false;
    });
    return found;
}
} // namespace

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const
{
    QString result;
    return lookup(m_bytes, section, key, &result) ? result : defaultValue;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    QString ignored;
    return lookup(m_bytes, section, key, &ignored);
}

QStringList IniFile::sectionLines(const QString& section) const
{
    QStringList lines;
    walk(m_bytes, [&](const QString& sec, const QString& line) {
        if (sec.compare(section, Qt::CaseInsensitive) == 0)
            lines << line;
        return true;
    });
    return lines;
}

QStringList IniFile::sections() const
{
    QStringList result;
    const QString text = decode1252(m_bytes);
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
            bool seen = false;
            for (const QString& s : result)
                seen = seen || s.compare(name, Qt::CaseInsensitive) == 0;
            if (!seen)
                result << name;
        }
    }
    return result;
}
