#include "core/store/ReportList.h"

#include "core/app/SharedRoutines.h"
#include "core/store/DiskName.h"
#include "core/store/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// Only the start of a file is read for its first two lines.
constexpr qint64 kHeadBytes = 64 * 1024;
constexpr qint64 kPieceBytes = 512;

QString asciiLower(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(char16_t(c.unicode() + (u'a' - u'A')));
    }
    return text;
}

// The sort key's character codes: the Windows-1252 byte where there is one,
// ASCII letters in upper case; characters outside the code page sort after it.
int keyCode(QChar c)
{
    char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        u = char16_t(u - (u'a' - u'A'));
    // ASCII and the range 0xA0 to 0xFF have the same codes in Windows-1252
    // as in Unicode; only the rest needs the code page (the sort compares
    // many characters, and encoding each one costs an allocation).
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return int(u);
    bool ok = false;
    const QByteArray b = Windows1252::encode(QString(QChar(u)), &ok);
    return ok ? int(static_cast<unsigned char>(b[0])) : 0x100 + u;
}

bool hasFolderPart(const QString& name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           name == QLatin1String(".") || name == QLatin1String("..");
}

bool isDeviceName(const QString& name)
{
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                        QStringLiteral("AUX"), QStringLiteral("NUL")};
    const QString upper = name.toUpper();
    if (devices.contains(upper))
        return true;
    return upper.size() == 4 &&
           (upper.startsWith(QLatin1String("COM")) || upper.startsWith(QLatin1String("LPT"))) &&
           upper[3] >= QLatin1Char('1') && upper[3] <= QLatin1Char('9');
}

} // namespace

namespace {

// The start of a file that is known to be a regular file, read in small
// pieces until the second line has ended: on a network drive every byte
// costs time, and the rest of the file is not needed. Nothing when it cannot
// be read.
std::optional<QByteArray> readHead(const QString& path)
{
    QByteArray head;
    auto twoLinesRead = [&head] {
        const qsizetype first = head.indexOf('\n');
        return first >= 0 && head.indexOf('\n', first + 1) >= 0;
    };
#ifdef Q_OS_UNIX
    // Plain calls: open, read, close, and no more (a listing of thousands
    // of reports pays for every extra look at a file). O_NONBLOCK keeps a
    // pipe put in the file's place since the listing from blocking.
    const int fd = ::open(DiskName::toNative(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char piece[kPieceBytes];
    while (head.size() < kHeadBytes && !twoLinesRead()) {
        const ssize_t n =
            ::read(fd, piece, size_t(std::min(kPieceBytes, kHeadBytes - head.size())));
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        head.append(piece, n);
    }
    ::close(fd);
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    while (head.size() < kHeadBytes && !twoLinesRead()) {
        const QByteArray piece = file.read(std::min(kPieceBytes, kHeadBytes - head.size()));
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        if (piece.isEmpty())
            break;
        head += piece;
    }
#endif
    return head;
}

// GetDescription for a file known to be a regular file.
bool describeRegularFile(const QString& path, QString* description, QString* type)
{
    description->clear();
    type->clear();
    const std::optional<QByteArray> read = readHead(path);
    if (!read)
        return false;
    const QByteArray& head = *read;
    // Only the first two lines are decoded: both end by the second line
    // feed, when there is one.
    const qsizetype first = head.indexOf('\n');
    const qsizetype second = first < 0 ? -1 : head.indexOf('\n', first + 1);
    const QString text = Windows1252::decode(second < 0 ? head : head.left(second + 1));
    // Lines end at CR LF, LF or a lone CR.
    auto lineEnd = [&text](qsizetype from) {
        qsizetype i = from;
        while (i < text.size() && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            ++i;
        return i;
    };
    const qsizetype end1 = lineEnd(0);
    *description = text.left(end1);
    if (end1 >= text.size())
        return true;
    qsizetype start2 = end1 + 1;
    if (text[end1] == QLatin1Char('\r') && start2 < text.size() &&
        text[start2] == QLatin1Char('\n'))
        ++start2;
    *type = text.mid(start2, lineEnd(start2) - start2);
    return true;
}

} // namespace

bool ReportList::GetDescription(const QString& path, QString* description, QString* type)
{
    description->clear();
    type->clear();
    // Pipes and devices are not read: opening one could wait for ever.
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::stat(DiskName::toNative(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
#else
    if (!QFileInfo(path).isFile())
        return false;
#endif
    return describeRegularFile(path, description, type);
}

bool ReportList::lessByKey(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int ca = keyCode(a[i]);
        const int cb = keyCode(b[i]);
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

void ReportList::SortGridRows(QList<ReportListEntry>& entries)
{
    // The keys are worked out once per entry, not once per comparison; they
    // compare code by code, a prefix first, exactly as lessByKey().
    struct Keyed
    {
        std::u32string key;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& text = entries.at(i).description;
        std::u32string key;
        key.reserve(size_t(text.size()));
        for (const QChar c : text)
            key.push_back(char32_t(keyCode(c)));
        keyed.push_back({std::move(key), i});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed& x, const Keyed& y) { return x.key < y.key; });
    QList<ReportListEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed& k : keyed)
        sorted.append(std::move(entries[k.index]));
    entries = std::move(sorted);
}

QList<ReportListEntry> ReportList::list(const QString& folder, QString* error)
{
    QList<ReportListEntry> entries;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        if (error)
            *error = QStringLiteral("The data folder %1 cannot be opened.")
                         .arg(QDir::toNativeSeparators(folder));
        return entries;
    }
#ifdef Q_OS_UNIX
    // Read with the system's own calls: Qt's listing leaves out names that
    // are not valid UTF-8, and those are reports too.
    const QByteArray nativeFolder = DiskName::toNative(folder);
    DIR* listing = ::opendir(nativeFolder.constData());
    if (!listing) {
        if (error)
            *error = QStringLiteral("The data folder %1 cannot be opened.")
                         .arg(QDir::toNativeSeparators(folder));
        return entries;
    }
    while (const dirent* d = ::readdir(listing)) {
        const QByteArray raw(d->d_name);
        if (raw.size() < 4 || ::strcasecmp(raw.constData() + raw.size() - 4, ".rpt") != 0)
            continue;
        const QByteArray nativePath = nativeFolder + '/' + raw;
        // The listing tells most entries' kind; links and file systems that
        // do not say are looked at (a link counts as what it points to).
        bool isDir = d->d_type == DT_DIR;
        bool isFile = d->d_type == DT_REG;
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st
            {
            };
            if (::stat(nativePath.constData(), &st) == 0) {
                isDir = S_ISDIR(st.st_mode);
                isFile = S_ISREG(st.st_mode);
            }
        }
        if (isDir)
            continue;
        ReportListEntry e;
        e.diskName = DiskName::fromNative(raw);
        e.name = asciiLower(DiskName::readable(e.diskName));
        e.readable = isFile &&
                     describeRegularFile(DiskName::fromNative(nativePath), &e.description, &e.type);
        entries.append(e);
    }
    ::closedir(listing);
    // By name first, so that reports with the same description come in the
    // same order every time.
    std::sort(
        entries.begin(), entries.end(),
        [](const ReportListEntry& a, const ReportListEntry& b) { return a.diskName < b.diskName; });
#else
    // Sorted by name first, so that reports with the same description come
    // in the same order every time.
    // The listing knows each entry's kind already: no second look at the
    // disk to leave out folders.
    const QFileInfoList infos = dir.entryInfoList(
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos) {
        const QString diskName = info.fileName();
        if (!diskName.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
            continue;
        if (info.isDir())
            continue;
        const QString path = info.filePath();
        ReportListEntry e;
        e.diskName = diskName;
        e.name = asciiLower(diskName);
        // The listing already tells a regular file from a pipe or device.
        e.readable = info.isFile() && describeRegularFile(path, &e.description, &e.type);
        entries.append(e);
    }
#endif
    SortGridRows(entries);
    return entries;
}

QString ReportList::noReportsText(const QString& folder)
{
    return QStringLiteral("There were no report files (*.rpt) found in the %1 directory")
        .arg(folder);
}

QString ReportList::deleteQuestion(const QString& name)
{
    return QStringLiteral("Do you want to delete the %1 report?").arg(name).left(255);
}

QString ReportList::resolve(const QString& folder, const QString& name)
{
    if (name.isEmpty() || hasFolderPart(name))
        return QString();
    const QString plain = JoinPath(folder, name);
    if (QFileInfo::exists(plain))
        return plain;
    const QStringList entries =
        QDir(folder.isEmpty() ? QStringLiteral(".") : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return JoinPath(folder, entry);
    }
    return plain;
}

bool ReportList::remove(const QString& folder, const QString& diskName)
{
    if (diskName.isEmpty() || hasFolderPart(diskName))
        return false;
    // Exactly the entry that was listed: another of the same name in
    // another case is another report.
    const QString path = JoinPath(folder, diskName);
#ifdef Q_OS_UNIX
    const QByteArray native = DiskName::toNative(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // A report marked read-only is protected: the file system would let its
    // folder's owner remove it, but the user asked for it to stay.
    if (!(st.st_mode & S_IWUSR))
        return false;
    return ::unlink(native.constData()) == 0;
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // A report marked read-only is protected: the file system would let its
    // folder's owner remove it, but the user asked for it to stay.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        return false;
    return QFile::remove(path);
#endif
}

NameCheckResult ReportList::checkNewName(const QString& folder, const QString& name)
{
    NameCheckResult r;
    if (!IsValidName(name)) {
        r.check = NameCheck::IllegalCharacters;
        r.message = QStringLiteral("Filename contains illegal characters.\rYou must use letters "
                                   "and digits only.\rPlease re-try.");
        return r;
    }
    if (name.isEmpty()) {
        r.check = NameCheck::Empty;
        r.message = QStringLiteral("You must enter a name for the report file.");
        return r;
    }
    if (isDeviceName(name)) {
        r.check = NameCheck::ReservedName;
        r.message = QStringLiteral("%1 is a name that Windows keeps for a device. Choose another.")
                        .arg(name);
        return r;
    }
    const QString fileName = name + QStringLiteral(".rpt");
    const QString existing = resolve(folder, fileName);
    if (QFileInfo::exists(existing)) {
        r.check = NameCheck::Taken;
        r.message = QStringLiteral("Filename already exists. Choose another.");
        return r;
    }
    r.path = JoinPath(folder, fileName);
    return r;
}
