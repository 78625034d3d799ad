#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The diagnoses made for a case over time (ZYBL_LCZDLibrary).
class DiagnosisStore
{
public:
    struct DiagnosisRow {
        int recordSN = -1;
        int caseSN = -1;
        QString name;
        QDateTime date;
        QString icd10;
        QString memo;
    };

    explicit DiagnosisStore(const QSqlDatabase &db) : m_db(db) {}

    // The case's diagnoses in the order they were added; empty with `ok`
    // false when the table cannot be read.
    QList<DiagnosisRow> ListDiagnoses(int caseSN, bool *ok = nullptr);
    // Stores the row as given (its recordSN is ignored) and hands back the
    // number the database gave it.
    bool AddDiagnosis(const DiagnosisRow &row, int *recordSN = nullptr);
    // False also when there was no such row.
    bool DeleteDiagnosis(int recordSN);

private:
    QSqlDatabase m_db;
};
