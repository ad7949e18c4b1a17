#pragma once

#include "core/app/Platform.h"

#include <QList>
#include <QStringList>

// A platform for tests: records every message box, beep, program start and
// help request, and answers message boxes from a queue (OK or Yes/No boxes
// with no queued answer get OK or No). Installs itself for its lifetime.
class ScriptedPlatform final : public Platform
{
public:
    struct Box
    {
        Icon icon;
        QString text;
        Buttons buttons;
    };
    struct Start
    {
        QString program;
        QStringList arguments;
    };
    struct Help
    {
        QString file;
        int context;
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;

    void queueAnswer(Answer answer) { m_answers << answer; }

    Answer messageBox(Icon icon, const QString& text, Buttons buttons) override;
    void beep(Sound sound) override { m_beeps << sound; }
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        m_starts << Start{program, arguments};
        return true;
    }
    bool openHelp(const QString& helpFile, int context) override
    {
        m_helps << Help{helpFile, context};
        return true;
    }

    QList<Box> boxes;
    QStringList texts() const;
    QList<Sound> m_beeps;
    QList<Start> m_starts;
    QList<Help> m_helps;
    void clear();

private:
    QList<Answer> m_answers;
};
