#pragma once

#include <QString>
#include <QUrl>

// The help ships as one HTML page with an anchor per context number
// ("#context-100"). The program names its help file "creport.hlp" as before;
// the HTML page beside it with the same base name is what is opened.
namespace HelpFile {
QString htmlPath(const QString& helpFile);
QUrl contextUrl(const QString& helpFile, int context);
} // namespace HelpFile
