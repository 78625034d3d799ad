#pragma once

#include <QString>

enum class Dialect { SQLite, PostgreSQL };

// Where a database lives. For SQLite `file` is an absolute path; for
// PostgreSQL the password comes from libpq's password file or environment.
struct DbConfig {
    Dialect dialect = Dialect::SQLite;
    QString file;
    QString host;
    int port = 5432;
    QString database;
    QString user;

    // "数据库文件 “/srv/zybl.db”" or "数据库服务器 host:5432 上的数据库 “zybl”"
    QString describe() const;
};

struct DataLink {
    bool ok = false;
    DbConfig config;
    QString error; // one clear message when !ok
};

namespace DataLinkFile {

inline const QString kFileName = QStringLiteral("ZYDataLink.udl");
inline const QString kDefaultDatabase = QStringLiteral("zybl.db");

// Reads a data-link file: UTF-16LE with BOM or UTF-8, an "[oledb]" section
// whose connection-string line names the provider. Relative SQLite paths are
// taken from the file's own folder.
DataLink read(const QString &udlPath);

// Parses "Provider=...;Data Source=..." or "Provider=PostgreSQL;Host=...".
// `source` names where the text came from, for the messages.
DataLink parse(const QString &connectionString, const QString &baseDir, const QString &source);

// The embedded default: zybl.db in the given folder.
DbConfig embeddedDefault(const QString &dir);

} // namespace DataLinkFile
