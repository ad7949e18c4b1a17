#include "core/app/SharedRoutines.h"

#include "core/app/Platform.h"
#include "engine/Session.h"

#include <QStringList>

void ShowError(const QString& message)
{
    Platform::instance().beep(Platform::Sound::Exclamation);
    Platform::instance().messageBox(Platform::Icon::Error, message, Platform::Buttons::Ok);
}

bool Confirm(const QString& question)
{
    return Platform::instance().messageBox(Platform::Icon::Information, question,
                                           Platform::Buttons::YesNo) == Platform::Answer::Yes;
}

bool ConfirmDefaultNo(const QString& question)
{
    return Platform::instance().messageBox(Platform::Icon::Information, question,
                                           Platform::Buttons::YesNoDefaultNo) ==
           Platform::Answer::Yes;
}

QString AliasPath(const QString& alias)
{
    // The engine's own reading of the alias, so that reports are written
    // where the tables are read.
    return Session::instance().aliasFolder(alias);
}

bool IsValidName(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        const bool letter = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        if (!digit && !letter)
            return false;
    }
    return true;
}
