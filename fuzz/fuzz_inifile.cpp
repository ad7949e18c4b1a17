// Feeds arbitrary bytes to the Windows profile (.INI) reader. It must not
// crash or hang, and its answers must agree with each other:
// - a value comes back trimmed, less one pair of surrounding quotes;
// - a key is either present (the same value whatever the default) or absent
//   (the default comes back unchanged);
// - a present key's line is among its section's lines;
// - sections() names every section once, without regard to case.
//
// Input layout: one byte n, then n bytes of section name, one byte m, then m
// bytes of key name (both read as Latin-1), then the file itself.
#include "engine/IniFile.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

QString takeName(const uint8_t*& data, size_t& size)
{
    if (size == 0)
        return QString();
    size_t n = *data;
    ++data;
    --size;
    if (n > size)
        n = size;
    const QString name = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(n));
    data += n;
    size -= n;
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString section = takeName(data, size);
    const QString key = takeName(data, size);
    const IniFile ini =
        IniFile::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    const QString a = QString(QChar(2)) + QStringLiteral("default-a");
    const QString b = QString(QChar(2)) + QStringLiteral("default-b");
    const QString va = ini.value(section, key, a);
    const QString vb = ini.value(section, key, b);
    const bool present = ini.contains(section, key);
    if (present) {
        if (va != vb)
            std::abort();
        // The key's line sits in its section.
        bool found = false;
        for (const QString& line : ini.sectionLines(section)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                if (IniFile::unquoted(line.mid(eq + 1).trimmed()) != va)
                    std::abort(); // the first match wins
                found = true;
                break;
            }
        }
        if (!found)
            std::abort();
    } else if (va != a || vb != b) {
        std::abort();
    }

    const QStringList sections = ini.sections();
    for (qsizetype i = 0; i < sections.size(); ++i) {
        for (qsizetype j = i + 1; j < sections.size(); ++j) {
            if (sections[i].compare(sections[j], Qt::CaseInsensitive) == 0)
                std::abort();
        }
    }
    return 0;
}
