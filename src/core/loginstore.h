#pragma once

#include "core/usersecurity.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The statements behind logging in: the operators of this module, password
// checks and changes, the login log, and the first administrator.
class LoginStore
{
public:
    explicit LoginStore(const QSqlDatabase &db) : m_db(db) {}

    struct Candidate {
        int userSN;
        QString name; // trailing blanks removed
    };
    // Operators whose module number has this system's bit, in table order.
    QList<Candidate> moduleOperators(bool *ok = nullptr);

    enum class Check { Ok, Wrong, Error };
    // Checks `typed` (as typed) against the operator's stored password and,
    // when it matches, fills `user`. A password still kept in clear is
    // replaced by its hash on the way.
    Check checkLogin(int userSN, const QString &typed, CUserSecurityData *user);

    // Appends a login (flag 1) or logout (flag 0) row for `user`.
    bool writeLoginout(const CUserSecurityData &user, int flag);

    // Stores the hash of `password` for the operator; false when there is no
    // such operator. `storedHash` receives what was stored.
    bool setPassword(int userSN, const QString &password, QString *storedHash = nullptr);

    // Whether `name` and `password` are those of an operator who holds the
    // administrator right.
    bool isAdministrator(const QString &name, const QString &password);

    // First start: a department and an operator of this module with every
    // right, in one transaction. The new operator's key in `userSN`.
    bool createFirstAdministrator(const QString &section, const QString &name, const QString &password,
                                  int *userSN, QString *error);

private:
    QSqlDatabase m_db;
};
