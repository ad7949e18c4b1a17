#include "core/store/ReportParser.h"

#include "core/store/DiskName.h"
#include "core/store/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <QSet>

namespace {

constexpr int kDescriptionMax = 30;
constexpr int kTextMax = 50;

// Hands out the lines of the text one by one. A line ends at CR LF, LF or a
// lone CR; lines past the end read as empty.
class LineReader
{
public:
    explicit LineReader(const QString& text) : m_text(text) {}

    // The next line; *present is false once the text is used up.
    QString next(bool* present)
    {
        ++m_line;
        const qsizetype size = m_text.size();
        if (m_pos >= size) {
            *present = false;
            return QString();
        }
        *present = true;
        qsizetype end = m_pos;
        const QChar* data = m_text.constData();
        while (end < size && data[end] != QLatin1Char('\r') && data[end] != QLatin1Char('\n'))
            ++end;
        QString line = m_text.mid(m_pos, end - m_pos);
        if (end + 1 < size && data[end] == QLatin1Char('\r') &&
            data[end + 1] == QLatin1Char('\n')) {
            m_pos = end + 2;
        } else {
            if (m_otherEndsLine == 0)
                m_otherEndsLine = m_line;
            m_pos = end + 1;
        }
        return line;
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    int lineNumber() const { return m_line; }
    int otherEndsLine() const { return m_otherEndsLine; }

private:
    const QString& m_text;
    qsizetype m_pos = 0;
    int m_line = 0;
    int m_otherEndsLine = 0;
};

enum class NumberRead { Empty, Ok, Invalid };

// A whole number in plain decimal with an optional sign, blanks around it
// allowed, within the long integer range.
NumberRead readWholeNumber(const QString& text, int* value)
{
    const QStringView s = QStringView(text).trimmed();
    if (s.isEmpty())
        return NumberRead::Empty;
    qsizetype i = 0;
    bool negative = false;
    if (s[0] == QLatin1Char('+') || s[0] == QLatin1Char('-')) {
        negative = s[0] == QLatin1Char('-');
        ++i;
    }
    if (i == s.size())
        return NumberRead::Invalid;
    qint64 n = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return NumberRead::Invalid;
        n = n * 10 + (c - u'0');
        if (n > qint64(2147483648))
            return NumberRead::Invalid;
    }
    if (negative)
        n = -n;
    if (n > 2147483647 || n < -qint64(2147483648))
        return NumberRead::Invalid;
    *value = int(n);
    return NumberRead::Ok;
}

enum class FlagRead { Empty, True, False, Invalid };

// "TRUE" and "FALSE" in any case, or any leading part of them.
FlagRead readFlag(const QString& text)
{
    const QString s = QStringView(text).trimmed().toString().toUpper();
    if (s.isEmpty())
        return FlagRead::Empty;
    if (QStringLiteral("TRUE").startsWith(s))
        return FlagRead::True;
    if (QStringLiteral("FALSE").startsWith(s))
        return FlagRead::False;
    return FlagRead::Invalid;
}

QString shortened(const QString& text)
{
    return text.size() > 60 ? text.left(57) + QStringLiteral("...") : text;
}

QString shownName(const QString& fileName)
{
    return fileName.isEmpty() ? QStringLiteral("(unnamed)")
                              : QDir::toNativeSeparators(DiskName::readable(fileName));
}

class Parser
{
public:
    Parser(const QString& text, ParsedReport& out) : m_reader(text), m_out(out) {}

    void run()
    {
        m_out.description = line();
        if (m_out.description.size() > kDescriptionMax)
            note(ReportParseNote::DescriptionTooLong);

        m_out.orderText = line();
        m_out.order = ReportFile::orderFromKeyword(m_out.orderText);
        if (!m_out.order)
            note(ReportParseNote::UnknownOrder);

        m_out.kindText = line();
        m_out.kind = ReportFile::kindFromKeyword(m_out.kindText);
        if (!m_out.kind)
            note(ReportParseNote::UnknownKind);

        int width = 0;
        if (readWholeNumber(line(), &width) != NumberRead::Ok) {
            width = 0;
            note(ReportParseNote::BadWidth);
        }
        m_out.printableWidth = width;

        int count = 0;
        if (readWholeNumber(line(), &count) != NumberRead::Ok) {
            count = 0;
            note(ReportParseNote::BadCount);
        }
        m_out.declaredCount = count;
        if (count < 0)
            note(ReportParseNote::NegativeCount);

        // The count is not trusted: a block past the end of the file has an
        // empty field name and stops the loop, so it runs at most once more
        // than the file has blocks, and nothing is reserved by it.
        for (qint64 b = 1; b <= count; ++b) {
            if (!readBlock())
                return;
        }
        if (!m_reader.atEnd())
            note(ReportParseNote::ExtraLines, m_reader.lineNumber() + 1);
    }

    int otherEndsLine() const { return m_reader.otherEndsLine(); }

private:
    QString line()
    {
        bool present = false;
        QString text = m_reader.next(&present);
        if (!present)
            note(ReportParseNote::MissingLines);
        return text;
    }

    void note(ReportParseNote n, int at = 0)
    {
        if (m_out.hasNote(n))
            return;
        m_out.notes.append({n, at ? at : m_reader.lineNumber()});
    }

    bool fail(ReportParseError error, const QString& field, const QString& value,
              const QString& reason, int atLine = 0)
    {
        m_out.error = error;
        m_out.errorLine = atLine ? atLine : m_reader.lineNumber();
        m_out.errorField = field;
        m_out.errorValue = shortened(value);
        m_out.errorMessage = QStringLiteral("The report file %1 cannot be loaded: line %2, field "
                                            "%3: %4")
                                 .arg(shownName(m_out.fileName))
                                 .arg(m_out.errorLine)
                                 .arg(field, reason);
        return false;
    }

    bool number(const char* field, std::optional<int>* target)
    {
        const QString text = line();
        int value = 0;
        switch (readWholeNumber(text, &value)) {
        case NumberRead::Empty:
            target->reset();
            return true;
        case NumberRead::Ok:
            *target = value;
            return true;
        case NumberRead::Invalid:
            break;
        }
        return fail(ReportParseError::BadNumber, QLatin1String(field), text,
                    QStringLiteral("\"%1\" is not a valid whole number.").arg(shortened(text)));
    }

    bool flag(const char* field, bool* target)
    {
        const QString text = line();
        switch (readFlag(text)) {
        case FlagRead::Empty:
            note(ReportParseNote::BlankFlag);
            *target = false;
            return true;
        case FlagRead::True:
            *target = true;
            return true;
        case FlagRead::False:
            *target = false;
            return true;
        case FlagRead::Invalid:
            break;
        }
        return fail(ReportParseError::BadFlag, QLatin1String(field), text,
                    QStringLiteral("\"%1\" is not a valid logical value (TRUE or FALSE).")
                        .arg(shortened(text)));
    }

    bool text(QString* target)
    {
        *target = line();
        if (target->size() > kTextMax)
            note(ReportParseNote::TextTooLong);
        return true;
    }

    bool readBlock()
    {
        // The lines are read into the row first; the row is then refused
        // for a missing or repeated field name, as the table refuses a post.
        ReportFileField f;
        if (!number("DbType", &f.dbType))
            return false;
        f.lDots = !line().isEmpty();
        f.rDots = !line().isEmpty();
        text(&f.header);
        bool fieldPresent = false;
        f.field = m_reader.next(&fieldPresent);
        if (!fieldPresent)
            note(ReportParseNote::MissingLines);
        if (f.field.size() > kTextMax)
            note(ReportParseNote::TextTooLong);
        const int fieldLine = m_reader.lineNumber();
        if (!number("Line", &f.line) || !number("LPosition", &f.lPosition) ||
            !number("RPosition", &f.rPosition))
            return false;
        if (!flag("Total", &f.total) || !flag("Count", &f.count) || !flag("Average", &f.average) ||
            !flag("Min", &f.min) || !flag("Max", &f.max))
            return false;

        // A name of blanks only is a name: the table takes it, and the
        // writer writes it (a contact column may be named so).
        if (f.field.isEmpty()) {
            const QString reason =
                !fieldPresent ? QStringLiteral("the file ends before field %1 of %2.")
                                    .arg(m_out.fields.size() + 1)
                                    .arg(m_out.declaredCount)
                              : QStringLiteral("the field name is empty, but every field needs "
                                               "one.");
            return fail(ReportParseError::MissingField, QStringLiteral("Field"), f.field, reason,
                        fieldLine);
        }
        // Field names are the key of the layout table, which holds their
        // first 50 characters (longer ones are shortened on loading).
        if (m_seen.contains(f.field.left(kTextMax))) {
            return fail(ReportParseError::DuplicateField, QStringLiteral("Field"), f.field,
                        QStringLiteral("the field \"%1\" appears twice in the report.")
                            .arg(shortened(f.field)),
                        fieldLine);
        }
        m_seen.insert(f.field.left(kTextMax));
        m_out.fields.append(f);
        return true;
    }

    LineReader m_reader;
    ParsedReport& m_out;
    QSet<QString> m_seen;
};

} // namespace

bool ParsedReport::hasNote(ReportParseNote note) const
{
    for (const ReportParseNoteEntry& e : notes) {
        if (e.note == note)
            return true;
    }
    return false;
}

bool ParsedReport::hasCustomId() const
{
    for (const ReportFileField& f : fields) {
        if (f.field.compare(QLatin1String("customid"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int ParsedReport::selectedCountLabel() const
{
    return hasCustomId() ? declaredCount - 1 : declaredCount;
}

int ParsedReport::lineOneCount() const
{
    int n = 0;
    for (const ReportFileField& f : fields) {
        if (f.line == 1)
            ++n;
    }
    return n;
}

std::optional<ReportFileContent> ParsedReport::content() const
{
    if (!order || !kind)
        return std::nullopt;
    ReportFileContent c;
    c.description = description;
    c.order = *order;
    c.kind = *kind;
    c.printableWidth = printableWidth;
    c.fields = fields;
    return c;
}

ParsedReport ReportParser::parse(const QByteArray& bytes, const QString& fileName)
{
    ParsedReport out;
    out.fileName = fileName;
    if (bytes.size() > maxFileSize) {
        out.error = ReportParseError::TooLarge;
        out.errorMessage = QStringLiteral("The report file %1 cannot be loaded: at %2 bytes it is "
                                          "far larger than a report file can be.")
                               .arg(shownName(fileName))
                               .arg(bytes.size());
        return out;
    }

    const QString text = Windows1252::decode(bytes);
    Parser parser(text, out);
    parser.run();

    // Notes about the bytes themselves, with the line where each first occurs.
    auto lineOf = [&](qsizetype index) {
        int line = 1;
        for (qsizetype i = 0; i < index; ++i) {
            if (bytes[i] == '\n' ||
                (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
                ++line;
        }
        return line;
    };
    if (parser.otherEndsLine() > 0)
        out.notes.append({ReportParseNote::OtherLineEnds, parser.otherEndsLine()});
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        out.notes.append({ReportParseNote::NulCharacter, lineOf(nul)});
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (Windows1252::isUndefinedByte(static_cast<unsigned char>(bytes[i]))) {
            out.notes.append({ReportParseNote::UndefinedCharacter, lineOf(i)});
            break;
        }
    }
    return out;
}

ParsedReport ReportParser::load(const QString& path)
{
    const QString shown = shownName(QFileInfo(path).absoluteFilePath());
    auto refuse = [&](ReportParseError error, const QString& reason) {
        ParsedReport out;
        out.fileName = path;
        out.error = error;
        out.errorMessage =
            QStringLiteral("The report file %1 cannot be read: %2").arg(shown, reason);
        return out;
    };

    if (path.isEmpty())
        return refuse(ReportParseError::CannotRead, QStringLiteral("no file name was given."));
#ifdef Q_OS_UNIX
    // The system's own calls: the name may hold bytes that are not valid
    // UTF-8 (see DiskName), and the kind is taken from the opened file, so
    // that nothing can be swapped in between the look and the read.
    // O_NONBLOCK keeps a pipe in the file's place from blocking the open.
    const int fd = ::open(DiskName::toNative(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return refuse(ReportParseError::CannotRead, QStringLiteral("the file does not exist."));
        return refuse(ReportParseError::CannotRead, QString::fromLocal8Bit(std::strerror(err)));
    }
    struct Close
    {
        int fd;
        ~Close() { ::close(fd); }
    } closeOnReturn{fd};
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return refuse(ReportParseError::CannotRead, QString::fromLocal8Bit(std::strerror(errno)));
    // Folders, pipes and devices are not report files.
    if (!S_ISREG(st.st_mode))
        return refuse(ReportParseError::CannotRead, QStringLiteral("it is not a regular file."));
    if (st.st_size > maxFileSize)
        return refuse(ReportParseError::TooLarge,
                      QStringLiteral("at %1 bytes it is far larger than a report file can be.")
                          .arg(qint64(st.st_size)));
    QByteArray bytes;
    char piece[65536];
    while (bytes.size() <= maxFileSize) {
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return refuse(ReportParseError::CannotRead,
                          QString::fromLocal8Bit(std::strerror(errno)));
        if (n == 0)
            break;
        bytes.append(piece, n);
    }
    if (bytes.size() > maxFileSize)
        return refuse(ReportParseError::TooLarge,
                      QStringLiteral("it is far larger than a report file can be."));
    return parse(bytes, path);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(ReportParseError::CannotRead, QStringLiteral("the file does not exist."));
    // Folders, pipes and devices are not report files; opening a pipe could
    // wait for ever.
    if (!info.isFile())
        return refuse(ReportParseError::CannotRead, QStringLiteral("it is not a regular file."));
    if (info.size() > maxFileSize)
        return refuse(ReportParseError::TooLarge,
                      QStringLiteral("at %1 bytes it is far larger than a report file can be.")
                          .arg(info.size()));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(ReportParseError::CannotRead, file.errorString());
    const QByteArray bytes = file.read(maxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(ReportParseError::CannotRead, file.errorString());
    if (bytes.size() > maxFileSize)
        return refuse(ReportParseError::TooLarge,
                      QStringLiteral("it is far larger than a report file can be."));
    return parse(bytes, path);
#endif
}

QString ReportParser::noteText(ReportParseNote note)
{
    switch (note) {
    case ReportParseNote::OtherLineEnds:
        return QStringLiteral("Some lines do not end in CR LF.");
    case ReportParseNote::MissingLines:
        return QStringLiteral("The file ends early; the missing lines were read as empty.");
    case ReportParseNote::ExtraLines:
        return QStringLiteral("Lines after the last field were ignored.");
    case ReportParseNote::UnknownOrder:
        return QStringLiteral("The report order is neither Contact nor Calendar and was ignored.");
    case ReportParseNote::UnknownKind:
        return QStringLiteral("The information kind is not known and was ignored.");
    case ReportParseNote::BadWidth:
        return QStringLiteral("The printable width is not a whole number; 0 was used.");
    case ReportParseNote::BadCount:
        return QStringLiteral("The field count is not a whole number; no fields were read.");
    case ReportParseNote::NegativeCount:
        return QStringLiteral("The field count is below zero; no fields were read.");
    case ReportParseNote::BlankFlag:
        return QStringLiteral("An empty summary flag was read as FALSE.");
    case ReportParseNote::NulCharacter:
        return QStringLiteral("The file contains NUL characters.");
    case ReportParseNote::UndefinedCharacter:
        return QStringLiteral("The file contains bytes that are not Windows-1252 characters.");
    case ReportParseNote::DescriptionTooLong:
        return QStringLiteral("The description is longer than 30 characters.");
    case ReportParseNote::TextTooLong:
        return QStringLiteral("A column header or field name is longer than 50 characters.");
    }
    return QString();
}
