#include "core/database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

namespace {

QString driverText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text.simplified(); // one line: libpq's messages span several

}

bool openSqlite(const DbConfig &config, const QString &name, Db::OpenMode mode, QString *error)
{
    const QString shown = QDir::toNativeSeparators(config.file);
    const QFileInfo info(config.file);
    if (mode != Db::OpenMode::CreateReadWrite && !info.exists()) {
        *error = QStringLiteral("找不到数据库文件“%1”。请检查数据连接文件 ZYDataLink.udl 中的 Data Source, "
                                "或在该目录运行“zyblctl init”创建数据库。").arg(shown);
        return false;
    }
    if (mode == Db::OpenMode::CreateReadWrite && !info.absoluteDir().exists()) {
        *error = QStringLiteral("数据库文件“%1”所在的目录不存在。请检查路径。").arg(shown);
        return false;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(config.file);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000");
    if (mode == Db::OpenMode::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open()) {
        *error = QStringLiteral("无法打开数据库文件“%1”: %2。请检查该文件是否可以读写。")
                     .arg(shown, driverText(db.lastError()));
        return false;
    }
    // SQLite opens lazily: a file that is no database fails only at the first read.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        *error = QStringLiteral("文件“%1”不是可用的数据库: %2。请检查数据连接文件指定的是否是本系统的数据库。")
                     .arg(shown, driverText(probe.lastError()));
        return false;
    }
    if (mode != Db::OpenMode::ReadOnly) {
        if (!probe.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !probe.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
            *error = QStringLiteral("无法以读写方式使用数据库文件“%1”: %2。请检查该文件及其目录的写权限。")
                         .arg(shown, driverText(probe.lastError()));
            return false;
        }
    }
    return true;
}

bool openPostgres(const DbConfig &config, const QString &name, QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(config.host);
    db.setPort(config.port);
    db.setDatabaseName(config.database);
    if (!config.user.isEmpty())
        db.setUserName(config.user);
    db.setConnectOptions(QStringLiteral("connect_timeout=5;application_name=zybl"));
    if (!db.open()) {
        *error = QStringLiteral("无法连接%1 (用户“%2”): %3。请确认服务器已启动、网络可以连通, "
                                "数据连接文件 ZYDataLink.udl 中的连接参数正确, 并在口令文件 (.pgpass) 或环境变量 PGPASSWORD 中给出口令。")
                     .arg(config.describe(), config.user, driverText(db.lastError()));
        return false;
    }
    QSqlQuery setup(db);
    setup.exec(QStringLiteral("SET client_min_messages TO warning"));
    return true;
}

QString escapedForLike(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

} // namespace

namespace Db {

bool open(const DbConfig &config, const QString &connectionName, OpenMode mode, QString *error)
{
    QString message;
    bool ok = false;
    {
        if (config.dialect == Dialect::SQLite)
            ok = openSqlite(config, connectionName, mode, &message);
        else
            ok = openPostgres(config, connectionName, &message);
    }
    if (!ok) {
        close(connectionName);
        if (error)
            *error = message;
    }
    return ok;
}

void close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

Dialect dialectOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Dialect::PostgreSQL : Dialect::SQLite;
}

QString quoted(const QString &identifier)
{
    QString inner = identifier;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString containsPattern(const QString &text)
{
    return QLatin1Char('%') + escapedForLike(text) + QLatin1Char('%');
}

QString prefixPattern(const QString &text)
{
    return escapedForLike(text) + QLatin1Char('%');
}

QString likeClause(const Dialect dialect, const QString &column, const QString &param, const QString &text)
{
    // SQLite's LIKE ignores ASCII case already; PostgreSQL needs ILIKE.
    const bool caseless = !text.isNull() && text.toUpper() == text.toLower();
    const QString op = dialect == Dialect::PostgreSQL && !caseless ? QStringLiteral(" ILIKE ") : QStringLiteral(" LIKE ");
    return quoted(column) + op + param + QStringLiteral(" ESCAPE '\\'");
}

bool exec(QSqlQuery &query, QString *error)
{
    if (query.exec())
        return true;
    if (error)
        *error = driverText(query.lastError());
    return false;
}

bool exec(const QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = driverText(query.lastError());
    return false;
}

bool beginWrite(QSqlDatabase &db, QString *error)
{
    if (dialectOf(db) == Dialect::SQLite)
        return exec(db, QStringLiteral("BEGIN IMMEDIATE"), error);
    if (db.transaction())
        return true;
    if (error)
        *error = driverText(db.lastError());
    return false;
}

bool commit(QSqlDatabase &db, QString *error)
{
    if (dialectOf(db) == Dialect::SQLite)
        return exec(db, QStringLiteral("COMMIT"), error);
    if (db.commit())
        return true;
    if (error)
        *error = driverText(db.lastError());
    return false;
}

void rollback(QSqlDatabase &db)
{
    if (dialectOf(db) == Dialect::SQLite)
        exec(db, QStringLiteral("ROLLBACK"), nullptr);
    else
        db.rollback();
}

QVariant toDb(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return QVariant(QMetaType(QMetaType::QDateTime));
    // Local wall-clock time without a zone, in one fixed form, so that SQLite's
    // text comparisons order dates correctly.
    const QDateTime local(dateTime.date(), dateTime.time());
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QDateTime dateTimeFromDb(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    if (value.metaType().id() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), dt.time());
    }
    const QString text = value.toString().trimmed();
    QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODate);
    if (!dt.isValid())
        return QDateTime();
    return QDateTime(dt.date(), dt.time());
}

} // namespace Db
