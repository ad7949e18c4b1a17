#include "engine/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    // Profile files are small; a huge one is not a profile file.
    constexpr qint64 kMaxBytes = 1 << 20;
#ifdef Q_OS_UNIX
    // Only a regular file is read. The open does not wait (a named pipe in
    // the file's place would hold the start up for ever), and the kind is
    // taken from the opened file itself, so that nothing can be swapped in
    // between the look and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return IniFile();
    struct stat st
    {
    };
    QByteArray bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char piece[4096];
        while (bytes.size() < kMaxBytes) {
            const ssize_t n = ::read(fd, piece, sizeof piece);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            bytes.append(piece, qsizetype(std::min<qint64>(n, kMaxBytes - bytes.size())));
        }
    }
    ::close(fd);
    return fromBytes(bytes);
#else
    if (!QFileInfo(path).isFile())
        return IniFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniFile();
    return fromBytes(file.read(kMaxBytes));
#endif
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
        *value = IniFile::unquoted(line.mid(eq + 1).trimmed());
        found = true;
        return false;
    });
    return found;
}
} // namespace

QString IniFile::unquoted(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

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
