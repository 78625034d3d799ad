// Child process of the sealing race: as operator USER, tries to seal cases
// 1..COUNT once each and prints the numbers it sealed.
//   sealrace sqlite FILE USER COUNT
//   sealrace postgresql HOST PORT DATABASE DBUSER USER COUNT
#include "case/casestore.h"
#include "common/testdb.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList rest;
    if (!TestDb::openFromArguments(app.arguments().mid(1), 2, QStringLiteral("race"),
                                   "sealrace sqlite FILE USER COUNT | sealrace postgresql HOST PORT DB DBUSER USER COUNT",
                                   &rest))
        return 1;
    const int user = rest.at(0).toInt();
    const int count = rest.at(1).toInt();
    CaseStore store(QSqlDatabase::database(QStringLiteral("race")));
    for (int i = 1; i <= count; ++i) {
        if (store.LockCase(user, QString::number(i)))
            std::printf("%d\n", i);
    }
    return 0;
}
