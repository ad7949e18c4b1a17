#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

// The single-byte code pages of Paradox tables, character for character as
// Unicode's mapping tables (and glibc's iconv) define them.
//
// Qt's converter (ICU) is the starting point, but it differs from those
// tables in places: its DOS pages swap the controls 0x1A, 0x1C and 0x7F,
// several pages map a byte to a look-alike (code page 437's 0xE6 is
// U+03BC GREEK SMALL LETTER MU there, where every other reader gives U+00B5
// MICRO SIGN), and bytes that a page leaves unassigned come out as C1
// controls or private-use characters. Those places are corrected here. An
// unassigned byte reads as U+FFFD, and no character is written as it; only
// the gaps of the Windows pages between 0x80 and 0x9F read as the C1 control
// of the same number and are written back from it, as Windows does, so that
// such bytes survive a round trip.
namespace CodePages {

class SingleByte
{
public:
    explicit SingleByte(int codePage); // use singleByte() instead

    int codePage() const { return m_codePage; }
    // The character of each byte (see above for unassigned bytes).
    const std::array<char16_t, 256>& characters() const { return m_toUnicode; }
    QString decode(QByteArrayView bytes) const;
    // The bytes for `text`, or false (with the index of the first character
    // the page cannot hold in *failedAt) when it holds one. A letter with a
    // mark that the page has only as base and combining mark (the Hebrew
    // and Vietnamese Windows pages) is written as the two.
    bool encode(QStringView text, QByteArray* out, qsizetype* failedAt = nullptr) const;

private:
    bool encodeChar(char16_t c, QByteArray* out) const;

    int m_codePage;
    bool m_hasMarks; // the page has combining marks to write decomposed letters with
    std::array<char16_t, 256> m_toUnicode{};
    std::vector<qint16> m_fromUnicode; // by UTF-16 unit; -1 where none
};

// The code pages handled here, in ascending order.
QList<int> singleBytePages();

// The table of a single-byte code page listed above, made once and kept for
// the run; nullptr for any other code page (multi-byte or unknown), which
// goes through Qt's converter as it is.
const SingleByte* singleByte(int codePage);

} // namespace CodePages
