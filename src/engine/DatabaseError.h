#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the table engine and of the table files beneath it.
// It carries a message in plain words for the user; callers that do not catch
// it let it reach the application's error box.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A table that another user or process holds. Callers that must tell "in
// use" apart from other refusals (the wizard's start-up, which cannot work
// without its working table) catch this one.
class TableInUse : public DatabaseError
{
public:
    using DatabaseError::DatabaseError;
};
