#pragma once

#include <QString>
#include <QStringList>

// Everything the program asks of the desktop: message boxes, the beep,
// starting other programs and opening the help. The real implementation
// lives with the widgets; tests install a scripted one that records every
// request and answers message boxes from a queue.
class Platform
{
public:
    enum class Icon { Error, Warning, Information };
    // YesNoDefaultNo: Yes and No with No as the default button, for a
    // question whose Yes destroys something.
    enum class Buttons { Ok, YesNo, YesNoDefaultNo };
    enum class Answer { Ok, Yes, No, Cancel };
    // The standard sounds the program uses (values of the Windows API).
    enum class Sound { Exclamation = 0x30 };

    virtual ~Platform() = default;

    virtual Answer messageBox(Icon icon, const QString& text, Buttons buttons) = 0;
    virtual void beep(Sound sound) = 0;
    // Starts a program without waiting for it. Returns whether it started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Opens the help file at the section of a context number.
    virtual bool openHelp(const QString& helpFile, int context) = 0;

    // The platform in use. Tests replace it with install(); passing nullptr
    // restores the one installed at start-up.
    static Platform& instance();
    static void install(Platform* platform);
    static void setDefault(Platform* platform);
};
