#pragma once

#include <QString>

#include <stdexcept>

// Raised when a pick list's tab stop text holds a piece that is not a whole
// number. The message is the piece itself followed by " is an invalid tab
// stop", so an empty piece gives " is an invalid tab stop".
class InvalidTabStop : public std::runtime_error
{
public:
    explicit InvalidTabStop(const QString& piece)
        : std::runtime_error(messageFor(piece).toStdString()), m_message(messageFor(piece))
    {
    }
    const QString& message() const { return m_message; }

    static QString messageFor(const QString& piece)
    {
        return piece + QStringLiteral(" is an invalid tab stop");
    }

private:
    QString m_message;
};
