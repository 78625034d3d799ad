#include "core/datalink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>

QString DbConfig::describe() const
{
    if (dialect == Dialect::SQLite)
        return QStringLiteral("数据库文件“%1”").arg(QDir::toNativeSeparators(file));
    return QStringLiteral("数据库服务器 %1:%2 上的数据库“%3”").arg(host).arg(port).arg(database);
}

namespace {

QString decodeFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        auto decoder = QStringDecoder(QStringDecoder::Utf16LE);
        return decoder(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

QString hint()
{
    return QStringLiteral("连接串应为 Provider=SQLite;Data Source=数据库文件 "
                          "或 Provider=PostgreSQL;Host=服务器;Port=5432;Database=数据库;User ID=用户名。");
}

} // namespace

namespace DataLinkFile {

DbConfig embeddedDefault(const QString &dir)
{
    DbConfig config;
    config.dialect = Dialect::SQLite;
    config.file = QDir(dir).absoluteFilePath(kDefaultDatabase);
    return config;
}

DataLink read(const QString &udlPath)
{
    DataLink link;
    const QString shown = QDir::toNativeSeparators(QFileInfo(udlPath).absoluteFilePath());
    QFile file(udlPath);
    if (!file.open(QIODevice::ReadOnly)) {
        link.error = QStringLiteral("无法读取数据连接文件“%1”: %2。请检查该文件的访问权限。")
                         .arg(shown, file.errorString());
        return link;
    }
    const QString text = decodeFile(file.readAll());

    bool inOledb = false;
    QString connection;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inOledb = line.compare(QStringLiteral("[oledb]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inOledb && line.contains(QStringLiteral("Provider"), Qt::CaseInsensitive)) {
            connection = line;
            break;
        }
    }
    if (connection.isEmpty()) {
        link.error = QStringLiteral("数据连接文件“%1”中没有 [oledb] 段的连接串。%2").arg(shown, hint());
        return link;
    }
    return parse(connection, QFileInfo(udlPath).absolutePath(), shown);
}

DataLink parse(const QString &connectionString, const QString &baseDir, const QString &source)
{
    DataLink link;
    QString provider, dataSource, host, port, database, user;
    for (const QString &part : connectionString.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        QString value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\'')))
            && value.endsWith(value.at(0)))
            value = value.mid(1, value.size() - 2);
        if (key == QLatin1String("provider"))
            provider = value;
        else if (key == QLatin1String("data source"))
            dataSource = value;
        else if (key == QLatin1String("host") || key == QLatin1String("server"))
            host = value;
        else if (key == QLatin1String("port"))
            port = value;
        else if (key == QLatin1String("database") || key == QLatin1String("initial catalog"))
            database = value;
        else if (key == QLatin1String("user id") || key == QLatin1String("user") || key == QLatin1String("uid"))
            user = value;
    }

    if (provider.startsWith(QStringLiteral("Microsoft.Jet"), Qt::CaseInsensitive)
        || provider.startsWith(QStringLiteral("Microsoft.ACE"), Qt::CaseInsensitive)) {
        link.error = QStringLiteral("数据连接文件“%1”指定的是 Access (Jet) 数据库“%2”, 本系统不能打开这种数据库。%3")
                         .arg(source, dataSource, hint());
        return link;
    }
    if (provider.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        if (dataSource.isEmpty()) {
            link.error = QStringLiteral("数据连接文件“%1”没有给出 Data Source (数据库文件)。%2").arg(source, hint());
            return link;
        }
        // Data-link files written on Windows use backslashes.
        link.config.dialect = Dialect::SQLite;
        link.config.file = QDir::cleanPath(QDir(baseDir).absoluteFilePath(QString(dataSource).replace(QLatin1Char('\\'), QLatin1Char('/'))));
        link.ok = true;
        return link;
    }
    if (provider.compare(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        if (host.isEmpty() || database.isEmpty()) {
            link.error = QStringLiteral("数据连接文件“%1”缺少 Host (服务器) 或 Database (数据库)。%2").arg(source, hint());
            return link;
        }
        link.config.dialect = Dialect::PostgreSQL;
        link.config.host = host;
        link.config.database = database;
        link.config.user = user;
        if (!port.isEmpty()) {
            bool ok = false;
            const int number = port.toInt(&ok);
            if (!ok || number <= 0 || number > 65535) {
                link.error = QStringLiteral("数据连接文件“%1”中的端口“%2”无效。%3").arg(source, port, hint());
                return link;
            }
            link.config.port = number;
        }
        link.ok = true;
        return link;
    }
    link.error = QStringLiteral("数据连接文件“%1”指定了本系统不支持的数据提供者“%2”。%3")
                     .arg(source, provider.isEmpty() ? QStringLiteral("(空)") : provider, hint());
    return link;
}

} // namespace DataLinkFile
