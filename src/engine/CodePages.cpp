#include "engine/CodePages.h"

#include "engine/ParadoxFormat.h"

#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <algorithm>
#include <memory>

namespace CodePages {

namespace {

constexpr char16_t Unassigned = 0xFFFD;

bool isWindowsPage(int page) { return (page >= 1250 && page <= 1258) || page == 874; }

// Bytes where Qt's converter and the Unicode mapping tables disagree, beyond
// the general rules in SingleByte's constructor.
struct Fix
{
    int page;
    quint8 byte;
    char16_t character;
};
constexpr Fix fixes[] = {
    // MICRO SIGN, not GREEK SMALL LETTER MU.
    {437, 0xE6, 0x00B5},
    {860, 0xE6, 0x00B5},
    {861, 0xE6, 0x00B5},
    {862, 0xE6, 0x00B5},
    {863, 0xE6, 0x00B5},
    {865, 0xE6, 0x00B5},
    // NOT SIGN, which Qt does not know in code page 852.
    {852, 0xAA, 0x00AC},
    // Arabic DOS: the Arabic percent sign, the isolated forms of TAH and
    // ZAH, SHADDA; 0x9F is unassigned.
    {864, 0x25, 0x066A},
    {864, 0x9F, Unassigned},
    {864, 0xD7, 0xFEC1},
    {864, 0xD8, 0xFEC5},
    {864, 0xF1, 0x0651},
    // Greek DOS: MIDDLE DOT and GREEK TONOS.
    {869, 0x88, 0x00B7},
    {869, 0xEF, 0x0384},
    // Greek Windows: 0xAA is unassigned.
    {1253, 0xAA, Unassigned},
};

constexpr int pages[] = {437, 737, 775, 850, 852,  855,  857,  858,  860,  861,  862,  863,  864,
                         865, 866, 869, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

} // namespace

SingleByte::SingleByte(int codePage)
    : m_codePage(codePage), m_hasMarks(codePage == 1255 || codePage == 1258),
      m_fromUnicode(65536, -1)
{
    QStringDecoder decoder(ParadoxFormat::codecName(codePage).constData(),
                           QStringDecoder::Flag::Stateless);
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString c = decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString();
        char16_t u = c.size() == 1 ? c.at(0).unicode() : Unassigned;
        // Qt's DOS pages move three controls around (0x1A, 0x1C and 0x7F
        // read as U+001C, U+007F and U+001A); in the tables each is itself.
        if (!isWindowsPage(codePage) && (b == 0x1A || b == 0x1C || b == 0x7F))
            u = char16_t(b);
        // Gaps in a page come out as private-use characters; they read as
        // U+FFFD.
        if (u >= 0xE000 && u <= 0xF8FF)
            u = Unassigned;
        m_toUnicode[b] = u;
    }
    for (const Fix& f : fixes)
        if (f.page == codePage)
            m_toUnicode[f.byte] = f.character;
    for (int b = 255; b >= 0; --b) {
        const char16_t u = m_toUnicode[b];
        // A Windows page's gaps between 0x80 and 0x9F read as the C1
        // control of the same number, and that control is written as the
        // byte again, as Windows itself does: text of another code page in a
        // table that records none, or such a byte in a report file, then
        // survives a reading and a writing unchanged.
        if (u != Unassigned)
            m_fromUnicode[u] = qint16(b);
    }
}

QString SingleByte::decode(QByteArrayView bytes) const
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const quint8*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = m_toUnicode[in[i]];
    return text;
}

bool SingleByte::encodeChar(char16_t c, QByteArray* out) const
{
    const qint16 b = m_fromUnicode[c];
    if (b >= 0) {
        out->append(char(b));
        return true;
    }
    // Not in the page as one character. The two pages that hold combining
    // marks (Hebrew and Vietnamese) write a letter as its base and marks
    // (its canonical decomposition), and a duplicate mark as the mark it
    // stands for. Other one-character equivalents (a Greek question mark for
    // a semicolon) and symbols (the Angstrom sign) are different characters,
    // not written.
    if (!m_hasMarks || (c >= 0x2000 && c < 0x2C00))
        return false;
    const QChar ch(c);
    if (ch.decompositionTag() != QChar::Canonical)
        return false;
    const QString parts = QString(ch).normalized(QString::NormalizationForm_D);
    if (parts.size() == 1 && !parts.at(0).isMark())
        return false;
    const auto direct = [this](QChar part) { return m_fromUnicode[part.unicode()]; };
    // The letter with one of its marks, where the page has that letter,
    // then the other marks; else the bare letter and every mark.
    int composed = -1;
    for (qsizetype i = 1; i < parts.size() && composed < 0; ++i) {
        const QString pair = QString(parts.at(0)) + parts.at(i);
        const QString one = pair.normalized(QString::NormalizationForm_C);
        if (one.size() == 1 && direct(one.at(0)) >= 0)
            composed = int(i);
    }
    QByteArray bytes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (composed > 0 && i == composed)
            continue;
        QChar part = parts.at(i);
        if (composed > 0 && i == 0)
            part = (QString(parts.at(0)) + parts.at(composed))
                       .normalized(QString::NormalizationForm_C)
                       .at(0);
        const qint16 byte = direct(part);
        if (byte < 0)
            return false;
        bytes.append(char(byte));
    }
    out->append(bytes);
    return true;
}

bool SingleByte::encode(QStringView text, QByteArray* out, qsizetype* failedAt) const
{
    out->reserve(out->size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!encodeChar(text.at(i).unicode(), out)) {
            if (failedAt)
                *failedAt = i;
            return false;
        }
    }
    return true;
}

QList<int> singleBytePages() { return QList<int>(std::begin(pages), std::end(pages)); }

const SingleByte* singleByte(int codePage)
{
    if (std::find(std::begin(pages), std::end(pages), codePage) == std::end(pages))
        return nullptr;
    static QMutex mutex;
    static QHash<int, std::shared_ptr<const SingleByte>> made;
    const QMutexLocker lock(&mutex);
    auto& table = made[codePage];
    if (!table)
        table = std::make_shared<const SingleByte>(codePage);
    return table.get();
}

} // namespace CodePages
