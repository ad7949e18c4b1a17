#include "core/store/DiskName.h"

#include "core/store/Windows1252.h"

#include <QFile>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscapeUnit(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

// The length of the valid UTF-8 sequence at p (at most `left` bytes), or 0.
int sequenceLength(const unsigned char* p, qsizetype left)
{
    const unsigned char b = p[0];
    int n = 0;
    char32_t c = 0;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not
    // valid UTF-8.
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

QString DiskName::fromNative(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString out;
    out.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        const int n = sequenceLength(p + i, size - i);
        if (n == 0) {
            out += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + i, n);
        i += n;
    }
    return out;
}

QByteArray DiskName::toNative(const QString& name)
{
    if (!isEscaped(name))
        return QFile::encodeName(name);
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isEscapeUnit(name.at(i).unicode()))
            continue;
        out += name.mid(start, i - start).toUtf8();
        if (i < name.size())
            out += char(name.at(i).unicode() - kEscapeBase);
        start = i + 1;
    }
    return out;
}

bool DiskName::isEscaped(const QString& name)
{
    for (const QChar c : name) {
        if (isEscapeUnit(c.unicode()))
            return true;
    }
    return false;
}

QString DiskName::readable(const QString& name)
{
    if (!isEscaped(name))
        return name;
    QString out;
    for (const QChar c : name) {
        if (isEscapeUnit(c.unicode()))
            out += Windows1252::decode(QByteArray(1, char(c.unicode() - kEscapeBase)));
        else
            out += c;
    }
    return out;
}
