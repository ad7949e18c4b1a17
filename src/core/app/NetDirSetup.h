#pragma once

#include <QByteArray>
#include <QString>

// What the network set-up tool does, apart from its window: it stores the
// shared network control directory as key "NetDir" of section "Options" in
// NETDIR.INI beside the programs, after making sure the folder exists and
// can be written to.
namespace NetDirSetup {

// NETDIR.INI in the executable's folder.
QString iniPath();

// The folder the file names now, or empty text when it names none (no file,
// no key, a blank value or the placeholder "xx").
QString currentFolder(const QString& iniPath);

// The file's new contents: the first "NetDir" line of section "Options"
// replaced, or added (with the section when it is missing). Every other line
// stays as it stands, byte for byte. The value is encoded in Windows-1252;
// returns an empty array when it cannot be.
QByteArray updatedIni(const QByteArray& existing, const QString& folder);

// Creates the folder when it is missing, checks that it can be written to,
// and stores it in the file (written to a temporary file and renamed into
// place). A relative folder is taken from the current folder. Returns empty
// text on success, otherwise the reason in plain words; nothing is written
// then. `stored` receives the folder as written to the file.
QString apply(const QString& iniPath, const QString& folder, QString* stored = nullptr);

} // namespace NetDirSetup
