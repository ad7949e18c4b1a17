#include "core/store/ReportFile.h"

#include "core/store/DiskName.h"
#include "core/store/Windows1252.h"
#include "engine/DatabaseError.h"
#include "engine/OwnerFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Message for a text that cannot be stored, or nothing.
std::optional<QString> checkText(const QString& what, const QString& text)
{
    const qsizetype cr = text.indexOf(QLatin1Char('\r'));
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    if (cr >= 0 || lf >= 0) {
        return QStringLiteral("%1 contains a line break, which a report file cannot hold. "
                              "Remove it and save again.")
            .arg(what);
    }
    const qsizetype bad = Windows1252::firstUnencodable(text);
    if (bad >= 0) {
        // A surrogate pair is one character to the user.
        QString ch = text.mid(bad, 1);
        uint code = text[bad].unicode();
        if (text[bad].isHighSurrogate() && bad + 1 < text.size() &&
            text[bad + 1].isLowSurrogate()) {
            ch = text.mid(bad, 2);
            code = QChar::surrogateToUcs4(text[bad], text[bad + 1]);
        }
        return QStringLiteral("%1 contains the character \"%2\" (U+%3), which a report file "
                              "cannot hold: report files use the Windows-1252 character set. "
                              "Replace the character and save again.")
            .arg(what, ch, QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper());
    }
    return std::nullopt;
}

void addLine(QByteArray& out, const QString& text)
{
    out += Windows1252::encode(text);
    out += "\r\n";
}

void addNumber(QByteArray& out, std::optional<int> value)
{
    if (value)
        out += QByteArray::number(*value);
    out += "\r\n";
}

void addFlag(QByteArray& out, bool value) { out += value ? "TRUE\r\n" : "FALSE\r\n"; }

} // namespace

const QString ReportFile::dotLine() { return QString(30, QLatin1Char('.')); }

QString ReportFile::orderKeyword(ReportOrder order)
{
    return order == ReportOrder::Calendar ? QStringLiteral("Calendar") : QStringLiteral("Contact");
}

QString ReportFile::kindKeyword(InfoKind kind)
{
    const EventKindInfo* info = eventKindFor(kind);
    return info ? info->fileKeyword : contactOnlyKeyword();
}

std::optional<ReportOrder> ReportFile::orderFromKeyword(const QString& text)
{
    const QString upper = text.toUpper();
    if (upper == QLatin1String("CONTACT"))
        return ReportOrder::Contact;
    if (upper == QLatin1String("CALENDAR"))
        return ReportOrder::Calendar;
    return std::nullopt;
}

std::optional<InfoKind> ReportFile::kindFromKeyword(const QString& text)
{
    const QString upper = text.toUpper();
    if (upper == contactOnlyKeyword().toUpper())
        return InfoKind::Contact;
    for (const EventKindInfo& info : eventKinds()) {
        if (upper == info.fileKeyword.toUpper())
            return info.infoKind;
    }
    return std::nullopt;
}

std::optional<InfoKind> ReportFile::kindToCheck(std::optional<InfoKind> fileKind,
                                                bool contactOrdered)
{
    if (!contactOrdered)
        return InfoKind::Event;
    return fileKind;
}

PaperButton ReportFile::paperButtonForWidth(int width)
{
    switch (width) {
    case 75:
        return PaperButton::AmPor;
    case 77:
        return PaperButton::A4Por;
    case 110:
        return PaperButton::AmLan;
    case 115:
        return PaperButton::A4Lan;
    default:
        return PaperButton::Other;
    }
}

QString ReportFile::orderButtonName(ReportOrder order)
{
    return order == ReportOrder::Calendar ? QStringLiteral("rbDateOrdered")
                                          : QStringLiteral("RbContactOrdered");
}

QString ReportFile::paperButtonName(PaperButton paper)
{
    switch (paper) {
    case PaperButton::AmPor:
        return QStringLiteral("RBAmPor");
    case PaperButton::A4Por:
        return QStringLiteral("RbA4Por");
    case PaperButton::AmLan:
        return QStringLiteral("RbAmLan");
    case PaperButton::A4Lan:
        return QStringLiteral("RBA4Lan");
    case PaperButton::Other:
        break;
    }
    return QStringLiteral("RbOther");
}

std::optional<QString> ReportFile::checkDescription(const QString& description)
{
    return checkText(QStringLiteral("The report description"), description);
}

namespace {
// How a message names a field: by its name, or by its number when its name
// itself is the problem.
QString fieldNameInMessage(const QString& field, qsizetype number)
{
    return checkText(QString(), field) ? QStringLiteral("number %1").arg(number)
                                       : QStringLiteral("\"%1\"").arg(field);
}
} // namespace

std::optional<QString> ReportFile::checkHeader(const QString& field, const QString& header)
{
    return checkText(
        QStringLiteral("The column header of field %1").arg(fieldNameInMessage(field, 1)), header);
}

std::optional<QString> ReportFile::checkTexts(const ReportFileContent& content)
{
    if (auto message = checkDescription(content.description))
        return message;
    for (qsizetype i = 0; i < content.fields.size(); ++i) {
        const ReportFileField& f = content.fields[i];
        const QString name = fieldNameInMessage(f.field, i + 1);
        if (auto message =
                checkText(QStringLiteral("The field name of field %1").arg(name), f.field))
            return message;
        // The loader refuses a zero character in a field name or header (the
        // working table cannot store one): the writer does not write one.
        for (const auto& [what, text] : {std::pair{QStringLiteral("field name"), f.field},
                                         std::pair{QStringLiteral("column header"), f.header}}) {
            if (text.contains(QChar(0)))
                return QStringLiteral("The %1 of field %2 contains a zero character, which a "
                                      "report file cannot hold. Remove it and save again.")
                    .arg(what, name);
        }
        if (auto message =
                checkText(QStringLiteral("The column header of field %1").arg(name), f.header))
            return message;
    }
    return std::nullopt;
}

std::optional<QByteArray> ReportFile::encode(const ReportFileContent& content, QString* error)
{
    if (auto message = checkTexts(content)) {
        if (error)
            *error = *message;
        return std::nullopt;
    }
    const QString dots = dotLine();
    QByteArray out;
    out.reserve(64 + content.fields.size() * 128);
    addLine(out, content.description);
    addLine(out, orderKeyword(content.order));
    addLine(out, kindKeyword(content.kind));
    addNumber(out, content.printableWidth);
    addNumber(out, int(content.fields.size()));
    for (const ReportFileField& f : content.fields) {
        addNumber(out, f.dbType);
        addLine(out, f.lDots ? dots : QString());
        addLine(out, f.rDots ? dots : QString());
        addLine(out, f.header);
        addLine(out, f.field);
        addNumber(out, f.line);
        addNumber(out, f.lPosition);
        addNumber(out, f.rPosition);
        addFlag(out, f.total);
        addFlag(out, f.count);
        addFlag(out, f.average);
        addFlag(out, f.min);
        addFlag(out, f.max);
    }
    return out;
}

#ifdef Q_OS_UNIX
namespace {

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)) + QLatin1Char('.'); }

// Writes all bytes to fd and flushes them to the disk. Returns 0, or the
// errno of the failure with *written holding how many bytes went to the
// disk.
int writeAll(int fd, const QByteArray& bytes, qsizetype* written)
{
    *written = 0;
    while (*written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + *written, size_t(bytes.size() - *written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        *written += n;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

QString shortWrite(int err, qsizetype written, qsizetype size)
{
    if (written > 0 && written < size)
        return QStringLiteral("the disk took only %1 of its %2 bytes (it may be full).")
            .arg(written)
            .arg(size);
    return errnoText(err);
}

// A temporary file beside the report, named after this process (see
// OwnerFile), holding the report's bytes on the disk. It is removed when
// it goes out of scope unless it was given its name.
class Temporary
{
public:
    ~Temporary()
    {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    // Creates it in folder and writes bytes; nothing (and *error set) on
    // failure. mode: the permissions it gets (-1: the usual for a new file).
    bool write(const QDir& folder, const QString& fileName, const QByteArray& bytes, int mode,
               QString* error)
    {
        int fd = -1;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            const QByteArray name =
                QFile::encodeName(folder.filePath(OwnerFile::temporaryName(fileName)));
            fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        0666);
            if (fd >= 0)
                m_path = name;
            else if (errno != EEXIST) {
                *error = errnoText(errno);
                return false;
            }
        }
        if (fd < 0) {
            *error = QStringLiteral("no temporary file could be made beside it.");
            return false;
        }
        if (mode >= 0)
            ::fchmod(fd, mode_t(mode));
        qsizetype written = 0;
        const int err = writeAll(fd, bytes, &written);
        if (::close(fd) != 0 && err == 0) {
            *error = errnoText(errno);
            return false;
        }
        if (err != 0) {
            *error = shortWrite(err, written, bytes.size());
            return false;
        }
        return true;
    }
    const QByteArray& path() const { return m_path; }
    // It has its final name now: nothing to remove.
    void named() { m_path.clear(); }

private:
    QByteArray m_path;
};

// Flushes the folder's entry for a renamed file to the disk, where the file
// system allows it.
void syncFolder(const QDir& folder)
{
    const int fd = ::open(QFile::encodeName(folder.absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Every save ends by removing what killed saves left in the folder.
struct SweepAfterSave
{
    QString folder;
    ~SweepAfterSave() { OwnerFile::removeStaleTemporaries(folder); }
};

} // namespace
#endif

bool ReportFile::save(const QString& path, const ReportFileContent& content, QString* error)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(DiskName::readable(info.absoluteFilePath()));
    auto fail = [&](const QString& reason) {
        if (error)
            *error =
                QStringLiteral("The report file %1 could not be written: %2").arg(shown, reason);
        return false;
    };

    QString textError;
    const std::optional<QByteArray> bytes = encode(content, &textError);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("The report file %1 was not written. %2").arg(shown, textError);
        return false;
    }
    if (path.isEmpty())
        return fail(QStringLiteral("no file name was given."));

#ifdef Q_OS_UNIX
    // The name itself is looked at, not what a link there points to: the
    // new file replaces the link, and nothing is written outside the
    // folder. The name is reached by its own bytes, which need not be
    // valid UTF-8 (see DiskName).
    const QByteArray target = DiskName::toNative(info.absoluteFilePath());
    int mode = -1;
    struct stat st;
    if (::lstat(target.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(QStringLiteral("a folder of that name is in the way."));
        if (S_ISREG(st.st_mode)) {
            if (::access(target.constData(), W_OK) != 0)
                return fail(QStringLiteral("the existing report is read-only."));
            mode = int(st.st_mode & 07777); // the new file keeps the old one's permissions
        }
    }
    const QDir folder = info.absoluteDir();
    SweepAfterSave sweep{folder.absolutePath()};
    Temporary temp;
    QString reason;
    if (!temp.write(folder, info.fileName(), *bytes, mode, &reason))
        return fail(reason);
    // rename() replaces the name in one step, whatever it was (a link
    // included): the old report stays whole until the new one is.
    if (::rename(temp.path().constData(), target.constData()) != 0)
        return fail(errnoText(errno));
    temp.named();
    syncFolder(folder);
    return true;
#else
    if (info.isDir())
        return fail(QStringLiteral("a folder of that name is in the way."));
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("the existing report is read-only."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (const qint64 written = file.write(*bytes); written != bytes->size()) {
        const QString reason =
            written >= 0 ? QStringLiteral("the disk took only %1 of its %2 bytes (it may be full).")
                               .arg(written)
                               .arg(bytes->size())
                         : file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
#endif
}

bool ReportFile::saveNew(const QString& path, const ReportFileContent& content, QString* error)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    auto fail = [&](const QString& reason) {
        if (error)
            *error =
                QStringLiteral("The report file %1 could not be written: %2").arg(shown, reason);
        return false;
    };
    auto taken = [&] {
        return fail(QStringLiteral("another user saved a report of that name a moment ago, and it "
                                   "was left as it is. Make the report again under another name."));
    };

    QString textError;
    const std::optional<QByteArray> bytes = encode(content, &textError);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("The report file %1 was not written. %2").arg(shown, textError);
        return false;
    }
    if (path.isEmpty())
        return fail(QStringLiteral("no file name was given."));
    if (info.exists() || info.isSymLink())
        return taken();

#ifdef Q_OS_UNIX
    // The bytes go to a temporary file first, which then takes the name in
    // one step that refuses an existing name: the name never shows an empty
    // or partial report, whenever the program is stopped.
    const QDir folder = info.absoluteDir();
    SweepAfterSave sweep{folder.absolutePath()};
    Temporary temp;
    QString reason;
    if (!temp.write(folder, info.fileName(), *bytes, -1, &reason))
        return fail(reason);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());

    // A rename that refuses to replace, where the file system has one.
    if (::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, target.constData(),
                    RENAME_NOREPLACE) == 0) {
        temp.named();
        syncFolder(folder);
        return true;
    }
    if (errno == EEXIST)
        return taken();
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return fail(errnoText(errno));

    // A second name for the file, which link() refuses when it exists.
    if (::link(temp.path().constData(), target.constData()) == 0) {
        syncFolder(folder);
        return true;
    }
    const int linkErr = errno;
    if (linkErr == EEXIST)
        return taken();
    if (linkErr != EPERM && linkErr != ENOSYS && linkErr != EOPNOTSUPP && linkErr != EXDEV &&
        linkErr != EMLINK)
        return fail(errnoText(linkErr));

    // Neither: the savers of this program take the name in turn, through an
    // owner file for the name; under it, a plain rename is given the name
    // only when it is still free.
    const QString claimPath = folder.filePath(QStringLiteral(".%1.owner").arg(info.fileName()));
    OwnerFile::Claim claim;
    try {
        claim = OwnerFile::claim(claimPath);
    } catch (const FileError& claimError) {
        return fail(claimError.reason() + QLatin1Char('.'));
    }
    if (claim.result == OwnerFile::Result::HeldByOther)
        return fail(QStringLiteral("another user is saving a report of that name at this moment "
                                   "(%1, as %2 says). Make the report again under another name.")
                        .arg(OwnerFile::describe(claim), QDir::toNativeSeparators(claimPath)));
    struct ReleaseClaim
    {
        const QString& path;
        ~ReleaseClaim() { OwnerFile::release(path); }
    } releaseClaim{claimPath};
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return taken();
    if (::rename(temp.path().constData(), target.constData()) != 0)
        return fail(errnoText(errno));
    temp.named();
    syncFolder(folder);
    return true;
#else
    // Elsewhere a rename does not replace an existing file.
    QTemporaryFile temp(info.absoluteDir().filePath(QStringLiteral(".XXXXXX.tmp")));
    if (!temp.open())
        return fail(temp.errorString());
    if (temp.write(*bytes) != bytes->size() || !temp.flush())
        return fail(temp.errorString());
    temp.close();
    if (!QFile::rename(temp.fileName(), path))
        return QFileInfo::exists(path) ? taken() : fail(temp.errorString());
    temp.setAutoRemove(false);
    return true;
#endif
}
