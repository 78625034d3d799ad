// Child process of the sealing race: as operator USER, tries to seal cases
// 1..COUNT once each and prints the numbers it sealed.
//   sealrace sqlite FILE USER COUNT
//   sealrace postgresql HOST PORT DATABASE DBUSER USER COUNT
#include "case/casestore.h"
#include "core/database.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    DbConfig config;
    int next = 0;
    if (args.size() == 4 && args.at(0) == QLatin1String("sqlite")) {
        config.file = args.at(1);
        next = 2;
    } else if (args.size() == 7 && args.at(0) == QLatin1String("postgresql")) {
        config.dialect = Dialect::PostgreSQL;
        config.host = args.at(1);
        config.port = args.at(2).toInt();
        config.database = args.at(3);
        config.user = args.at(4);
        next = 5;
    } else {
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
