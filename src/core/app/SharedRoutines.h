#pragma once

#include "engine/Paths.h"

#include <QString>

// Small routines that the wizard, its dialogs and the start-up share.

// The standard error box: exclamation beep, error icon, the text, one OK button.
void ShowError(const QString& message);
// A Yes/No question with the information icon; true only when answered Yes.
bool Confirm(const QString& question);
// The same question with No as the default button, for a Yes that destroys.
bool ConfirmDefaultNo(const QString& question);
// The folder behind a database alias, read as the engine reads it
// (Session::folderOfAliasLines), or empty text. An unknown alias raises the
// session's error.
QString AliasPath(const QString& alias);
// True when every character is an ASCII letter or digit (empty text is valid).
bool IsValidName(const QString& text);
