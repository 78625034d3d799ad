#include "pages/diagnosisstore.h"

#include "core/database.h"

#include <QSqlQuery>

namespace {

// Empty fields are stored as empty text, not NULL, so that comparing with '' finds them.
QString stored(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

QList<DiagnosisStore::DiagnosisRow> DiagnosisStore::ListDiagnoses(int caseSN, bool *ok)
{
    QList<DiagnosisRow> rows;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"CaseSN\", \"ICD_10\", \"Memo\", \"RecordSN\", \"ZDDate\", \"ZDName\" "
                             "FROM \"ZYBL_LCZDLibrary\" WHERE \"CaseSN\" = :SQLCaseSN ORDER BY \"RecordSN\""));
    q.bindValue(QStringLiteral(":SQLCaseSN"), caseSN);
    const bool read = q.exec();
    while (read && q.next()) {
        DiagnosisRow row;
        row.caseSN = q.value(0).toInt();
        row.icd10 = q.value(1).toString();
        row.memo = q.value(2).toString();
        row.recordSN = q.value(3).toInt();
        row.date = Db::dateTimeFromDb(q.value(4));
        row.name = q.value(5).toString();
        rows.append(row);
    }
    if (ok)
        *ok = read;
    return rows;
}

bool DiagnosisStore::AddDiagnosis(const DiagnosisRow &row, int *recordSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO \"ZYBL_LCZDLibrary\" (\"CaseSN\", \"ZDName\", \"ZDDate\", \"ICD_10\", \"Memo\") "
                             "VALUES (:SQLCaseSN, :SQLName, :SQLDate, :SQLICD10, :SQLMemo) RETURNING \"RecordSN\""));
    q.bindValue(QStringLiteral(":SQLCaseSN"), row.caseSN);
    q.bindValue(QStringLiteral(":SQLName"), stored(row.name));
    q.bindValue(QStringLiteral(":SQLDate"), Db::toDb(row.date));
    q.bindValue(QStringLiteral(":SQLICD10"), stored(row.icd10));
    q.bindValue(QStringLiteral(":SQLMemo"), stored(row.memo));
    if (!q.exec() || !q.next())
        return false;
    if (recordSN)
        *recordSN = q.value(0).toInt();
    return true;
}

bool DiagnosisStore::DeleteDiagnosis(int recordSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM \"ZYBL_LCZDLibrary\" WHERE \"RecordSN\" = :SQLRecordSN"));
    q.bindValue(QStringLiteral(":SQLRecordSN"), recordSN);
    return q.exec() && q.numRowsAffected() == 1;
}
