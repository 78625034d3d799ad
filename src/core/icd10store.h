#pragma once

#include "core/icd10catalogue.h"

#include <QSqlDatabase>
#include <QString>

// The rows of the diagnosis library's BMK_Icd10 table.
class Icd10Store
{
public:
    explicit Icd10Store(const QSqlDatabase &db) : m_db(db) {}

    // Number of codes, -1 when the table cannot be read.
    int count();

    // The codes whose pinyin initials start with `initials` (% and _ taken
    // literally, letters in either case), in code order. Empty with `ok`
    // false when the table cannot be read.
    QList<Icd10Catalogue::Entry> FindByPinYin(const QString &initials, bool *ok = nullptr);

    // Replaces every row with `entries` (RecordSN 1..n, PY their pinyin
    // initials) in one transaction: on failure the old rows stay and `error`
    // says why.
    bool replaceAll(const QList<Icd10Catalogue::Entry> &entries, QString *error);

private:
    QSqlDatabase m_db;
};
