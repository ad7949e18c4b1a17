#pragma once

#include <QString>

// Text and path rules the engine and everything above it share.

// True when the text is empty or holds only spaces, CR, LF or backspaces.
bool IsBlank(const QString& text);
// The folder and the file name joined with the platform's separator; a blank
// folder gives the file name alone, and a folder that already ends in a
// separator gets no second one.
QString JoinPath(const QString& folder, const QString& fileName);
// The separator JoinPath uses: a backslash on Windows, '/' elsewhere.
QChar pathSeparator();
