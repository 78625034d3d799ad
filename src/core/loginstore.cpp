#include "core/loginstore.h"

#include "core/database.h"
#include "core/password.h"
#include "core/rights.h"
#include "core/shareddefs.h"
#include "core/textutil.h"

#include <QDateTime>
#include <QSqlQuery>

QList<LoginStore::Candidate> LoginStore::moduleOperators(bool *ok)
{
    QList<Candidate> operators;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"RecordSN\", \"UserName\" FROM \"GLOBAL_UserLib\" "
                             "WHERE (\"GroupSN\" & :SQLModule) <> 0 ORDER BY \"RecordSN\""));
    q.bindValue(QStringLiteral(":SQLModule"), kThisModule);
    const bool done = q.exec();
    while (done && q.next())
        operators << Candidate{q.value(0).toInt(), TrimRight(q.value(1).toString())};
    if (ok)
        *ok = done;
    return operators;
}

LoginStore::Check LoginStore::checkLogin(int userSN, const QString &typed, CUserSecurityData *user)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"UserName\", \"Password\", \"Property\", \"GroupSN\", \"SectionSN\" "
                             "FROM \"GLOBAL_UserLib\" WHERE \"RecordSN\" = :SQLUserSN"));
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    if (!q.exec())
        return Check::Error;
    if (!q.next())
        return Check::Wrong;
    QString stored = q.value(1).toString();
    if (!Password::Matches(stored, typed))
        return Check::Wrong;
    if (!Password::IsHash(stored)) {
        QString hash;
        if (setPassword(userSN, TrimRight(stored), &hash))
            stored = hash;
    }
    user->UserName = TrimRight(q.value(0).toString());
    user->UserSN = userSN;
    user->Password = stored;
    user->Rights = quint32(q.value(2).toLongLong());
    user->GroupSN = q.value(3).toInt();
    user->SectionSN = q.value(4).isNull() ? -1 : q.value(4).toInt();
    return Check::Ok;
}

bool LoginStore::writeLoginout(const CUserSecurityData &user, int flag)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_UserLoginoutLib\" (\"UserName\", \"UserSN\", \"ModuleSN\", "
                             "\"LoginoutRights\", \"LoginoutTime\", \"LoginoutStationName\", \"LoginoutStationIP\", "
                             "\"LoginoutFlag\") VALUES (:SQLUserName, :SQLUserSN, :SQLModule, :SQLRights, :SQLTime, "
                             ":SQLStation, :SQLAddress, :SQLFlag)"));
    q.bindValue(QStringLiteral(":SQLUserName"), user.UserName);
    q.bindValue(QStringLiteral(":SQLUserSN"), user.UserSN);
    q.bindValue(QStringLiteral(":SQLModule"), kThisModule);
    q.bindValue(QStringLiteral(":SQLRights"), qint32(user.Rights));
    q.bindValue(QStringLiteral(":SQLTime"), Db::toDb(QDateTime::currentDateTime()));
    q.bindValue(QStringLiteral(":SQLStation"), QStringLiteral("单机"));
    q.bindValue(QStringLiteral(":SQLAddress"), QStringLiteral("0.0.0.0"));
    q.bindValue(QStringLiteral(":SQLFlag"), flag);
    return q.exec();
}

bool LoginStore::setPassword(int userSN, const QString &password, QString *storedHash)
{
    const QString hash = Password::Hash(password);
    if (hash.isEmpty())
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"GLOBAL_UserLib\" SET \"Password\" = :SQLPassword WHERE \"RecordSN\" = :SQLUserSN"));
    q.bindValue(QStringLiteral(":SQLPassword"), hash);
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    if (!q.exec() || q.numRowsAffected() != 1)
        return false;
    if (storedHash)
        *storedHash = hash;
    return true;
}

bool LoginStore::isAdministrator(const QString &name, const QString &password)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"UserName\", \"Password\" FROM \"GLOBAL_UserLib\" "
                             "WHERE (\"Property\" & :SQLRight) <> 0"));
    q.bindValue(QStringLiteral(":SQLRight"), qint32(Rights::SystemAdmin));
    if (!q.exec())
        return false;
    while (q.next()) {
        if (TrimRight(q.value(0).toString()) == name && Password::Matches(q.value(1).toString(), password))
            return true;
    }
    return false;
}

bool LoginStore::createFirstAdministrator(const QString &section, const QString &name, const QString &password,
                                          int *userSN, QString *error)
{
    const QString hash = Password::Hash(password);
    if (hash.isEmpty()) {
        if (error)
            *error = QStringLiteral("无法计算口令的散列值");
        return false;
    }
    if (!Db::beginWrite(m_db, error))
        return false;
    auto fail = [&] {
        Db::rollback(m_db);
        return false;
    };
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_SectionLib\" (\"SectionName\", \"SectionAddress\", \"SectionFlag\", "
                             "\"SectionType\") VALUES (:SQLName, '', 0, 0)"));
    q.bindValue(QStringLiteral(":SQLName"), section);
    if (!Db::exec(q, error))
        return fail();
    QSqlQuery key(m_db);
    if (!key.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_SectionLib\"")) || !key.next())
        return fail();
    const int sectionSN = key.value(0).toInt();
    key.finish();

    q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"Password\", \"Property\", \"SectionSN\", "
                             "\"GroupSN\", \"UserTypeID\", \"UserClassName\", \"UserClassID\", \"Sex\") "
                             "VALUES (:SQLName, :SQLPassword, :SQLRights, :SQLSectionSN, :SQLModule, 1, :SQLClass, 0, 1)"));
    q.bindValue(QStringLiteral(":SQLName"), name);
    q.bindValue(QStringLiteral(":SQLPassword"), hash);
    q.bindValue(QStringLiteral(":SQLRights"), qint32(Rights::allRights()));
    q.bindValue(QStringLiteral(":SQLSectionSN"), sectionSN);
    q.bindValue(QStringLiteral(":SQLModule"), kThisModule);
    q.bindValue(QStringLiteral(":SQLClass"), QStringLiteral("未定级"));
    if (!Db::exec(q, error))
        return fail();
    if (!key.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_UserLib\"")) || !key.next())
        return fail();
    if (userSN)
        *userSN = key.value(0).toInt();
    key.finish();
    if (!Db::commit(m_db, error))
        return fail();
    return true;
}
