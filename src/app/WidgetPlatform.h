#pragma once

#include "app/Platform.h"

// The desktop's own message boxes, beep, process start and help viewer.
class WidgetPlatform final : public Platform
{
public:
    Answer messageBox(Icon icon, const QString& text, Buttons buttons) override;
    void beep(Sound sound) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool openHelp(const QString& helpFile, int context) override;
};
