#include "common/testdb.h"

#include "core/database.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTest>
#include <atomic>
#include <cstdio>

namespace TestDb {

namespace {

std::atomic<int> g_counter{0};

// key=value pairs of a libpq connection string (no quoting needed for ours).
QString conninfoValue(const QString &conninfo, const QString &key)
{
    for (const QString &part : conninfo.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq) == key)
            return part.mid(eq + 1);
    }
    return QString();
}

bool adminExec(const QString &sql, QString *error)
{
    const QString name = QStringLiteral("testdb_admin");
    if (!QSqlDatabase::contains(name) && !Db::open(postgresServer(), name, Db::OpenMode::ReadWrite, error))
        return false;
    return Db::exec(QSqlDatabase::database(name, false), sql, error);
}

} // namespace

bool postgresAvailable()
{
    return !qEnvironmentVariableIsEmpty("ZYBL_TEST_PG");
}

DbConfig postgresServer()
{
    const QString conninfo = qEnvironmentVariable("ZYBL_TEST_PG");
    DbConfig config;
    config.dialect = Dialect::PostgreSQL;
    config.host = conninfoValue(conninfo, QStringLiteral("host"));
    const QString port = conninfoValue(conninfo, QStringLiteral("port"));
    config.port = port.isEmpty() ? 5432 : port.toInt();
    config.database = conninfoValue(conninfo, QStringLiteral("dbname"));
    if (config.database.isEmpty())
        config.database = QStringLiteral("postgres");
    config.user = conninfoValue(conninfo, QStringLiteral("user"));
    return config;
}

Scratch::Scratch(Dialect dialect)
{
    m_config.dialect = dialect;
    if (dialect == Dialect::SQLite) {
        m_config.file = m_dir.filePath(QStringLiteral("zybl.db"));
        m_ok = m_dir.isValid();
        return;
    }
    if (!postgresAvailable()) {
        m_error = QStringLiteral("ZYBL_TEST_PG is not set");
        return;
    }
    m_config = postgresServer();
    m_config.database = QStringLiteral("zybl_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_counter);
    m_ok = adminExec(QStringLiteral("CREATE DATABASE \"%1\"").arg(m_config.database), &m_error);
}

Scratch::~Scratch()
{
    for (const QString &name : std::as_const(m_connections))
        Db::close(name);
    if (m_ok && m_config.dialect == Dialect::PostgreSQL)
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(m_config.database), nullptr);
}

QSqlDatabase Scratch::connection(const QString &name)
{
    if (!QSqlDatabase::contains(name)) {
        QString error;
        if (!Db::open(m_config, name, Db::OpenMode::CreateReadWrite, &error))
            qWarning("cannot open scratch database: %s", qPrintable(error));
        else
            m_connections << name;
    }
    return QSqlDatabase::database(name, false);
}

QStringList processArguments(const DbConfig &c)
{
    if (c.dialect == Dialect::SQLite)
        return {QStringLiteral("sqlite"), c.file};
    return {QStringLiteral("postgresql"), c.host, QString::number(c.port), c.database, c.user};
}

bool configFromArguments(const QStringList &args, DbConfig *config, int *consumed)
{
    if (args.size() >= 2 && args.at(0) == QLatin1String("sqlite")) {
        config->dialect = Dialect::SQLite;
        config->file = args.at(1);
        *consumed = 2;
        return true;
    }
    if (args.size() >= 5 && args.at(0) == QLatin1String("postgresql")) {
        config->dialect = Dialect::PostgreSQL;
        config->host = args.at(1);
        config->port = args.at(2).toInt();
        config->database = args.at(3);
        config->user = args.at(4);
        *consumed = 5;
        return true;
    }
    return false;
}

bool openFromArguments(const QStringList &args, int count, const QString &connection, const char *usage,
                       QStringList *rest)
{
    DbConfig config;
    int next = 0;
    if (!configFromArguments(args, &config, &next) || args.size() != next + count) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    QString error;
    if (!Db::open(config, connection, Db::OpenMode::ReadWrite, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    *rest = args.mid(next);
    return true;
}

void addDialectRows()
{
    QTest::addColumn<Dialect>("dialect");
    QTest::newRow("sqlite") << Dialect::SQLite;
    QTest::newRow("postgresql") << Dialect::PostgreSQL;
}

} // namespace TestDb
