#pragma once

#include "core/datalink.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Opening connections and the few places where SQLite and PostgreSQL differ.
namespace Db {

enum class OpenMode {
    ReadWrite,       // the file must exist (SQLite)
    CreateReadWrite, // create the SQLite file when missing
    ReadOnly,
};

// Opens a connection named `connectionName`. On failure the connection is
// removed again and `error` holds one message naming the database and what to do.
bool open(const DbConfig &config, const QString &connectionName, OpenMode mode, QString *error);

// Closes and removes a connection.
void close(const QString &connectionName);

Dialect dialectOf(const QSqlDatabase &db);

// "name" double-quoted, so that PostgreSQL keeps the case.
QString quoted(const QString &identifier);

// A LIKE pattern that matches `text` anywhere, with % _ and \ taken literally;
// use it with likeClause(), which adds the ESCAPE and the case rule.
QString containsPattern(const QString &text);
// The same for text that the value must start with.
QString prefixPattern(const QString &text);
// `"column" LIKE :param ESCAPE '\'`, case-insensitive on both databases.
// Given the text searched for, PostgreSQL's slower ILIKE is used only when
// that text has letters with a case (Chinese characters and digits have none).
QString likeClause(const Dialect dialect, const QString &column, const QString &param,
                   const QString &text = QString());

// Runs one statement; on failure fills `error` with the driver's text.
bool exec(QSqlQuery &query, QString *error);
bool exec(const QSqlDatabase &db, const QString &sql, QString *error);

// Starts a write transaction that holds the database's write lock at once
// (BEGIN IMMEDIATE on SQLite), so that read-then-write steps do not race.
bool beginWrite(QSqlDatabase &db, QString *error);
bool commit(QSqlDatabase &db, QString *error);
void rollback(QSqlDatabase &db);

// Date-time values bound to and read from date-time columns.
QVariant toDb(const QDateTime &dateTime);
QDateTime dateTimeFromDb(const QVariant &value);

} // namespace Db
