// Child process of the serial-number tests and benchmark: draws COUNT numbers
// of KIND from one database and prints them, one per line.
//   serialdraw sqlite FILE KIND COUNT
//   serialdraw postgresql HOST PORT DATABASE USER KIND COUNT
#include "core/corestore.h"
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
        std::fputs("usage: serialdraw sqlite FILE KIND COUNT | serialdraw postgresql HOST PORT DB USER KIND COUNT\n", stderr);
        return 1;
    }
    QString error;
    if (!Db::open(config, QStringLiteral("draw"), Db::OpenMode::ReadWrite, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int kind = args.at(next).toInt();
    const int count = args.at(next + 1).toInt();
    CoreStore store(QSqlDatabase::database(QStringLiteral("draw")));
    for (int i = 0; i < count; ++i)
        std::printf("%d\n", store.nextSN(kind));
    return 0;
}
