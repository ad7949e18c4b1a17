#pragma once

#include <QByteArray>
#include <QString>

// A reader for Windows profile (.INI) files with the rules Windows applies:
// section and key names compare without regard to case, values are trimmed
// of surrounding blanks, only whole lines starting with ';' are comments,
// the text is Windows-1252, and the first matching key wins. A value in one
// pair of double (or single) quotes loses them, as Windows' reader drops
// them. Backslashes are kept as they stand (unlike QSettings). Only regular
// files are read.
class IniFile
{
public:
    IniFile() = default;
    static IniFile fromFile(const QString& path); // a missing file reads as empty
    static IniFile fromBytes(const QByteArray& bytes);

    // The value of key in section, or defaultValue when either is missing.
    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    bool contains(const QString& section, const QString& key) const;
    // The value without one pair of surrounding quotes, as Windows' reader
    // gives it.
    static QString unquoted(const QString& value);
    // Every "NAME=value" line of a section, as it stands but trimmed.
    QStringList sectionLines(const QString& section) const;
    QStringList sections() const;

private:
    QByteArray m_bytes;
};
