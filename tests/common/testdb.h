#pragma once

#include "core/datalink.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Throwaway databases for tests: a SQLite file in a temporary folder, or a
// fresh database on the PostgreSQL server that ZYBL_TEST_PG names.
namespace TestDb {

// True when ZYBL_TEST_PG is set.
bool postgresAvailable();

// The server of ZYBL_TEST_PG as a configuration (database = the admin database).
DbConfig postgresServer();

class Scratch
{
public:
    // An empty database of the given dialect; check ok() (PostgreSQL may be absent).
    explicit Scratch(Dialect dialect);
    ~Scratch();

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    const DbConfig &config() const { return m_config; }
    QString dir() const { return m_dir.path(); }

    // A connection of its own to this database, opened on first use.
    QSqlDatabase connection(const QString &name = QStringLiteral("scratch"));

private:
    QTemporaryDir m_dir;
    DbConfig m_config;
    bool m_ok = false;
    QString m_error;
    QStringList m_connections;
};

// How a test hands a database to a child process on its command line:
// "sqlite FILE" or "postgresql HOST PORT DATABASE USER".
QStringList processArguments(const DbConfig &config);
// Reads those words from the front of `args`; `consumed` tells how many.
bool configFromArguments(const QStringList &args, DbConfig *config, int *consumed);
// A child process's start: reads the database words and then exactly `count`
// more arguments into `rest`, and opens the database as `connection`. On a
// wrong command line or a failed open it says why on standard error (`usage`
// for the former) and gives false.
bool openFromArguments(const QStringList &args, int count, const QString &connection, const char *usage,
                       QStringList *rest);

// Adds the two dialects as rows of a data-driven test: column "dialect".
void addDialectRows();
// In a test function: fetches the dialect and skips PostgreSQL when no server is set.
#define ZYBL_FETCH_DIALECT(var)                                                                \
    QFETCH(Dialect, var);                                                                      \
    if (var == Dialect::PostgreSQL && !TestDb::postgresAvailable())                            \
        QSKIP("ZYBL_TEST_PG is not set")

} // namespace TestDb

Q_DECLARE_METATYPE(Dialect)
