#pragma once

#include <QString>

// Where the program lives and what lies beside it.
namespace AppPaths {
// The executable's folder, ending in the platform's separator. Tests may
// point it elsewhere with setExecutableFolder().
QString executableFolder();
void setExecutableFolder(const QString& folder); // empty restores the real one
// "Priv" then "Report" under the executable's folder.
QString privateDirectory();
// A program that is "name.exe" on Windows is "name" elsewhere.
QString programName(const QString& windowsName);
} // namespace AppPaths
