#include "core/icd10store.h"

#include "core/database.h"
#include "core/pinyin.h"
#include "core/schema.h"

#include <QSqlQuery>

int Icd10Store::count()
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM \"BMK_Icd10\"")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QList<Icd10Catalogue::Entry> Icd10Store::FindByPinYin(const QString &initials, bool *ok)
{
    QList<Icd10Catalogue::Entry> entries;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"BM\", \"MC\" FROM \"BMK_Icd10\" WHERE %1 ORDER BY \"BM\"")
                  .arg(Db::likeClause(Db::dialectOf(m_db), QStringLiteral("PY"), QStringLiteral(":SQLPinYin"), initials)));
    q.bindValue(QStringLiteral(":SQLPinYin"), Db::prefixPattern(initials));
    const bool read = q.exec();
    while (read && q.next())
        entries.append({q.value(0).toString(), q.value(1).toString()});
    if (ok)
        *ok = read;
    return entries;
}

bool Icd10Store::replaceAll(const QList<Icd10Catalogue::Entry> &entries, QString *error)
{
    // Initials of a long name would overflow the search column; the doctor
    // types a prefix, so the first ones are what matters.
    const int pyLimit = Schema::maxLength(QStringLiteral("BMK_Icd10"), QStringLiteral("PY"));
    QSqlDatabase db = m_db;
    if (!Db::beginWrite(db, error))
        return false;
    const bool ok = [&] {
        if (!Db::exec(db, QStringLiteral("DELETE FROM \"BMK_Icd10\""), error))
            return false;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"BMK_Icd10\" (\"RecordSN\", \"BM\", \"MC\", \"PY\") "
                                 "VALUES (:SQLRecordSN, :SQLBM, :SQLMC, :SQLPY)"));
        int recordSN = 0;
        for (const Icd10Catalogue::Entry &e : entries) {
            q.bindValue(QStringLiteral(":SQLRecordSN"), ++recordSN);
            q.bindValue(QStringLiteral(":SQLBM"), e.code);
            q.bindValue(QStringLiteral(":SQLMC"), e.name);
            q.bindValue(QStringLiteral(":SQLPY"), GetPinYinInitials(e.name).left(pyLimit));
            if (!Db::exec(q, error))
                return false;
        }
        return true;
    }();
    if (!ok || !Db::commit(db, error)) {
        Db::rollback(db);
        return false;
    }
    return true;
}
