#pragma once

#include <QString>

// Small routines that the wizard, its dialogs and the start-up share.

// The standard error box: exclamation beep, error icon, the text, one OK button.
void ShowError(const QString& message);
// A Yes/No question with the information icon; true only when answered Yes.
bool Confirm(const QString& question);
// The same question with No as the default button, for a Yes that destroys.
bool ConfirmDefaultNo(const QString& question);
// True when the text is empty or holds only spaces, CR, LF or backspaces.
bool IsBlank(const QString& text);
// The folder and the file name joined with the platform's separator; a blank
// folder gives the file name alone, and a folder that already ends in a
// separator gets no second one.
QString JoinPath(const QString& folder, const QString& fileName);
// The folder behind a database alias, read as the engine reads it
// (Session::folderOfAliasLines), or empty text. An unknown alias raises the
// session's error.
QString AliasPath(const QString& alias);
// True when every character is an ASCII letter or digit (empty text is valid).
bool IsValidName(const QString& text);

// The separator JoinPath uses: a backslash on Windows, '/' elsewhere.
QChar pathSeparator();
