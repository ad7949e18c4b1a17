#pragma once

#include <QString>

#include <functional>

// The message of the DatabaseError that `action` throws; empty when it throws
// none.
QString errorOf(const std::function<void()>& action);

// The child side of tests that need a table held by another process: opens
// `tableName` of the alias VESKA (as `aliasFile` defines it) exclusively,
// prints "locked" (or "failed: " and the message, returning 1), and keeps it
// open until a line or the end arrives on standard input.
int holdTableLock(const QString& aliasFile, const QString& tableName);
