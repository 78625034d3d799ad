// Child process of the sealing race: as operator USER, tries to seal cases
// 1..COUNT once each and prints the numbers it sealed.
//   sealrace sqlite FILE USER COUNT
//   sealrace postgresql HOST PORT DATABASE DBUSER USER COUNT
#include "case/casestore.h"
#include "common/testdb.h"
#include "core/database.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    DbConfig config;
    int next = 0;
    if (!TestDb::configFromArguments(args, &config, &next) || args.size() != next + 2) {
        std::fputs("usage: sealrace sqlite FILE USER COUNT | sealrace postgresql HOST PORT DB DBUSER USER COUNT\n", stderr);
        return 1;
    }
    QString error;
    if (!Db::open(config, QStringLiteral("race"), Db::OpenMode::ReadWrite, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int user = args.at(next).toInt();
    const int count = args.at(next + 1).toInt();
    CaseStore store(QSqlDatabase::database(QStringLiteral("race")));
    for (int i = 1; i <= count; ++i) {
        if (store.LockCase(user, QString::number(i)))
            std::printf("%d\n", i);
    }
    return 0;
}
