#pragma once

#include "core/datalink.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

// The whole schema, defined once; DDL is generated per dialect.
namespace Schema {

enum class Type {
    Text,      // text(n): VARCHAR(n) / TEXT CHECK(length <= n)
    FixedText, // fixed text(n): stored like text(n); readers trim
    Int32,
    Int16,
    Word,      // unsigned 16-bit value, kept in an INTEGER
    Double,
    YesNo,     // SMALLINT 0/1
    DateTime,  // TIMESTAMP(3) / ISO text
    Memo,      // text of any length
    Blob,
    AutoKey,   // autoincrement 32-bit key
};

struct Column {
    const char *name;
    Type type;
    int size = 0; // characters, for Text and FixedText
};

struct Table {
    const char *name;
    const char *key; // primary key column, or nullptr
    std::vector<Column> columns;
    std::vector<std::vector<const char *>> indexes; // columns of each plain index
    std::vector<const char *> unique;               // columns with a unique index
};

// Version of the schema this program writes; older databases are upgraded.
int currentVersion();

const std::vector<Table> &mainTables();
const Table &icd10Table();
const Table *findTable(const QString &name);

// Maximum characters of a text column, 0 for unlimited or unknown. Edits bound
// to a column take this as their limit.
int maxLength(const QString &table, const QString &column);

QStringList createStatements(const Table &table, Dialect dialect);

// Creates the schema and the starter rows on an empty database, or upgrades an
// older one. All or nothing: on failure nothing is left behind. `changed` tells
// whether anything was written.
bool ensureMain(QSqlDatabase &db, QString *error, bool *changed = nullptr);

// Creates the empty ICD-10 table when it is missing.
bool ensureIcd10(QSqlDatabase &db, QString *error, bool *changed = nullptr);

// Version stored in the database, 0 when it has no schema yet, -1 on error.
int storedVersion(const QSqlDatabase &db);

bool tableExists(const QSqlDatabase &db, const QString &table);

} // namespace Schema
