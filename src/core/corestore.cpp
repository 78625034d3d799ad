#include "core/corestore.h"

#include "core/database.h"
#include "core/textutil.h"

#include <QSqlQuery>
#include <climits>

const char *CoreStore::serialColumn(int kind)
{
    static const char *const columns[kSerialKinds] = {
        "CaseSN", "DrugSN", "ZYDrugSN", "FJSN", "RecipeSN", "MZJLSN", "CheckNotesSN", "FZJCSN", "FeeInputBatchSN",
    };
    return kind >= 0 && kind < kSerialKinds ? columns[kind] : nullptr;
}

int CoreStore::nextSN(int kind)
{
    const char *column = serialColumn(kind);
    if (!column)
        return -1;
    const QString col = Db::quoted(QString::fromLatin1(column));
    // Read and increment in one statement: the row lock (PostgreSQL) or the
    // write lock (SQLite) serialises concurrent draws.
    const QString draw = QStringLiteral("UPDATE \"ZYBL_NextSNTable\" SET %1 = COALESCE(%1, 0) + 1 "
                                        "WHERE COALESCE(%1, 0) < %2 RETURNING %1 - 1")
                             .arg(col).arg(INT_MAX);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlQuery q(m_db);
        if (!q.exec(draw))
            return -1;
        if (q.next())
            return q.value(0).toInt();
        q.finish();

        // No row was drawn: the counter row is missing (create it) or exhausted.
        QSqlDatabase db = m_db;
        if (attempt > 0 || !Db::beginWrite(db, nullptr))
            return -1;
        if (Db::dialectOf(db) == Dialect::PostgreSQL)
            Db::exec(db, QStringLiteral("LOCK TABLE \"ZYBL_NextSNTable\" IN EXCLUSIVE MODE"), nullptr);
        QSqlQuery count(db);
        if (!count.exec(QStringLiteral("SELECT count(*) FROM \"ZYBL_NextSNTable\"")) || !count.next()) {
            Db::rollback(db);
            return -1;
        }
        const bool missing = count.value(0).toInt() == 0;
        count.finish();
        if (!missing) {
            Db::rollback(db);
            return -1; // exhausted
        }
        if (!Db::exec(db, QStringLiteral("INSERT INTO \"ZYBL_NextSNTable\" (\"CaseSN\", \"DrugSN\", \"ZYDrugSN\", "
                                         "\"FJSN\", \"RecipeSN\", \"MZJLSN\", \"CheckNotesSN\", \"FZJCSN\", "
                                         "\"FeeInputBatchSN\") VALUES (0, 0, 0, 0, 0, 0, 0, 0, 0)"), nullptr)
            || !Db::commit(db, nullptr)) {
            Db::rollback(db);
            return -1;
        }
    }
    return -1;
}

QString CoreStore::userName(int userSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"UserName\" FROM \"GLOBAL_UserLib\" WHERE \"RecordSN\" = :SQLUserSN"));
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    if (!q.exec() || !q.next())
        return QString();
    return TrimRight(q.value(0).toString());
}

QString CoreStore::sectionName(int sectionSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"SectionName\" FROM \"GLOBAL_SectionLib\" WHERE \"RecordSN\" = :SQLSectionSN"));
    q.bindValue(QStringLiteral(":SQLSectionSN"), sectionSN);
    if (!q.exec() || !q.next())
        return QString();
    return q.value(0).toString().trimmed();
}

int CoreStore::ensureSection(const QString &name)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"RecordSN\" FROM \"GLOBAL_SectionLib\" WHERE \"SectionName\" = :SQLName "
                             "ORDER BY \"RecordSN\""));
    q.bindValue(QStringLiteral(":SQLName"), name);
    if (!q.exec())
        return -1;
    if (q.next())
        return q.value(0).toInt();
    q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_SectionLib\" (\"SectionName\", \"SectionAddress\", \"SectionFlag\", "
                             "\"SectionType\") VALUES (:SQLName, '', 0, 0) RETURNING \"RecordSN\""));
    q.bindValue(QStringLiteral(":SQLName"), name);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toInt();
}

CoreStore::Found CoreStore::userPicture(int userSN, QByteArray *bytes)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"UserPicture\" FROM \"GLOBAL_UserLib\" WHERE \"RecordSN\" = :SQLUserSN"));
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    if (!q.exec())
        return Found::Error;
    if (!q.next())
        return Found::No;
    *bytes = q.value(0).toByteArray();
    return Found::Yes;
}

bool CoreStore::addUsageTemplate(const QString &name, const QString &usage, const QString &advice)
{
    const QString trimmedName = TrimRight(name);
    if (trimmedName.trimmed().isEmpty())
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CFYZTemplate\" (\"Name\", \"Usuage\", \"Inhibit\") "
                             "VALUES (:SQLName, :SQLUsuage, :SQLInhibit)"));
    q.bindValue(QStringLiteral(":SQLName"), trimmedName);
    q.bindValue(QStringLiteral(":SQLUsuage"), TrimRight(usage));
    q.bindValue(QStringLiteral(":SQLInhibit"), TrimRight(advice));
    return q.exec();
}

void CoreStore::deleteUsageTemplate(int recordSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM \"ZYBL_CFYZTemplate\" WHERE \"RecordSN\" = :SQLRecordSN"));
    q.bindValue(QStringLiteral(":SQLRecordSN"), recordSN);
    q.exec();
}
