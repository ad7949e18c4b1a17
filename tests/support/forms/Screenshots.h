#pragma once

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QWidget>

// Pictures for a person to look at, saved only when TV_SCREENSHOT_DIR names
// a folder (a run under Xvfb, say); without it the tests take none.
namespace Screenshots {

// The folder, made when missing; empty when TV_SCREENSHOT_DIR is not set.
inline QString folder()
{
    const QString dir = qEnvironmentVariable("TV_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    return dir;
}

// Saves `picture` in the folder as `name` (".png" added when the name has
// no suffix). True when saved, or when no folder is set.
inline bool save(const QPixmap& picture, const QString& name)
{
    const QString dir = folder();
    if (dir.isEmpty())
        return true;
    const QString file = QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".png") : name;
    return picture.save(QDir(dir).filePath(file));
}

// Saves `widget` as it paints itself.
inline bool save(QWidget* widget, const QString& name)
{
    return folder().isEmpty() || save(widget->grab(), name);
}

// Saves the whole screen: every window the window system shows, message
// boxes over their owners included.
inline bool saveScreen(const QString& name)
{
    return folder().isEmpty() || save(QGuiApplication::primaryScreen()->grabWindow(0), name);
}

} // namespace Screenshots
