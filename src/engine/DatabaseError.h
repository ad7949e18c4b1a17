#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the engine: the tables, the table files beneath them
// and the files beside them. It carries a message in plain words for the
// user; callers that do not catch it let it reach the application's error
// box.
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

// A file that cannot be read or written outside the table machinery (an
// owner file, for instance): what the engine raises for plain file access.
// It carries the file's path and the system's reason apart, for callers
// that word the message their own way. Being a DatabaseError, it stops
// every caller that stops on the engine's refusals.
class FileError : public DatabaseError
{
public:
    FileError(const QString& message, const QString& path, const QString& reason)
        : DatabaseError(message), m_path(path), m_reason(reason)
    {
    }
    const QString& path() const { return m_path; }
    // Why, in the system's words ("No such file or directory").
    const QString& reason() const { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};
