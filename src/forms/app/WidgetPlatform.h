#pragma once

#include "core/app/Platform.h"
#include "forms/app/HelpWidget.h"

#include <QPointer>

// The desktop's own message boxes, beep, process start and help viewer.
class WidgetPlatform final : public Platform
{
public:
    WidgetPlatform() = default;
    ~WidgetPlatform() override;
    WidgetPlatform(const WidgetPlatform&) = delete;
    WidgetPlatform& operator=(const WidgetPlatform&) = delete;

    Answer messageBox(Icon icon, const QString& text, Buttons buttons) override;
    void beep(Sound sound) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    // Shows the HTML help beside helpFile in the program's own help window,
    // at the context's section. A help page that is not there is reported.
    bool openHelp(const QString& helpFile, int context) override;

    // The help window, once help was asked for (tests look at it).
    HelpWidget* helpWindow() const { return m_help; }

private:
    QPointer<HelpWidget> m_help;
};
