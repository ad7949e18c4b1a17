#pragma once

#include <QObject>
#include <QString>
#include <QTest>

// The control `name` of type T inside `window`, found by its object name as
// a user's tools find it. The dialogs keep their controls private; tests
// reach them only this way.
//
// A control that is missing, or of another type, is a broken form rather
// than a failed expectation: the test stops at once with a message naming
// the window, the control and the type, instead of going on with a null
// pointer.
template <class T> T* control(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found) {
        const char* test = QTest::currentTestFunction();
        qFatal("%s: %s has no %s named \"%s\"", test ? test : "(no test)",
               window.metaObject()->className(), T::staticMetaObject.className(), name);
    }
    return found;
}
