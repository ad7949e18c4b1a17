#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTest>

#include <source_location>

// The control of `window` with this objectName, as a T: how the tests reach
// the controls of a window, which keeps them private. A control that is
// missing, or of another type, fails the running test where it was asked for
// and ends the test program: every step after it would act on nothing.
template <typename T>
T* control(const QObject& window, const char* name,
           const std::source_location where = std::source_location::current())
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found) {
        const QByteArray message = QByteArray("no control \"") + name + "\" of type " +
                                   T::staticMetaObject.className() + " in " +
                                   window.metaObject()->className();
        QTest::qFail(message.constData(), where.file_name(), int(where.line()));
        qFatal("%s", message.constData());
    }
    return found;
}
