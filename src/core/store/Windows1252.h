#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit character set of report files. Decoding never fails: the five
// byte values that the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) become the control characters of the same number, as Windows itself
// maps them, so that such a file reads and writes back byte for byte.
namespace Windows1252 {

QString decode(const QByteArray& bytes);

// True when every character of the text has a byte in the code page.
bool canEncode(const QString& text);
// Index of the first character without a byte, or -1.
qsizetype firstUnencodable(const QString& text);

// Encodes the text. A character without a byte is never replaced: the result
// is then empty and *ok (when given) is false.
QByteArray encode(const QString& text, bool* ok = nullptr);

// True for the five byte values the code page leaves undefined.
bool isUndefinedByte(unsigned char byte);

} // namespace Windows1252
