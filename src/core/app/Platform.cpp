#include "core/app/Platform.h"

#include <QtGlobal>

namespace {
Platform* g_default = nullptr;
Platform* g_current = nullptr;

// Used when no desktop platform was installed (command-line tools): boxes
// go to standard error and are answered with their safest button.
class ConsolePlatform final : public Platform
{
public:
    Answer messageBox(Icon, const QString& text, Buttons buttons) override
    {
        qWarning("%s", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    void beep(Sound) override {}
    bool startProgram(const QString&, const QStringList&) override { return false; }
    bool openHelp(const QString&, int) override { return false; }
};
} // namespace

Platform& Platform::instance()
{
    if (g_current)
        return *g_current;
    if (g_default)
        return *g_default;
    static ConsolePlatform console;
    return console;
}

void Platform::install(Platform* platform) { g_current = platform; }

void Platform::setDefault(Platform* platform) { g_default = platform; }
