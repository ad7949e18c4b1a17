#include "ScriptedPlatform.h"

ScriptedPlatform::ScriptedPlatform() { Platform::install(this); }

ScriptedPlatform::~ScriptedPlatform() { Platform::install(nullptr); }

Platform::Answer ScriptedPlatform::messageBox(Icon icon, const QString& text, Buttons buttons)
{
    boxes << Box{icon, text, buttons};
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

QStringList ScriptedPlatform::texts() const
{
    QStringList result;
    for (const Box& box : boxes)
        result << box.text;
    return result;
}

void ScriptedPlatform::clear()
{
    boxes.clear();
    m_beeps.clear();
    m_starts.clear();
    m_helps.clear();
    m_answers.clear();
}
