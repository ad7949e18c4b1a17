#pragma once

#include <QByteArray>
#include <QString>

// File names as the folder holds them. A shared folder may hold names that
// are not valid UTF-8 (written by a program that used an 8-bit code page).
// Such a name is kept in a QString with each byte that is not part of a
// valid UTF-8 sequence stored as the lone surrogate U+DC00 + byte, so that
// it goes back to exactly its bytes; a valid name is its plain text. File
// access by such a name goes through toNative(): Qt's own file classes
// cannot reach it.
namespace DiskName {

// The name (or path) of the given bytes, and back.
QString fromNative(const QByteArray& bytes);
QByteArray toNative(const QString& name);
// True when the name holds bytes that are not valid UTF-8.
bool isEscaped(const QString& name);
// What a user is shown: each odd byte read as Windows-1252, the code page of
// the reports' own texts (a name written on Windows in that code page reads
// as it was typed).
QString readable(const QString& name);

} // namespace DiskName
