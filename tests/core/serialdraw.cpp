// Child process of the serial-number tests and benchmark: draws COUNT numbers
// of KIND from one database and prints them, one per line.
//   serialdraw sqlite FILE KIND COUNT
//   serialdraw postgresql HOST PORT DATABASE USER KIND COUNT
#include "core/corestore.h"
#include "common/testdb.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList rest;
    if (!TestDb::openFromArguments(app.arguments().mid(1), 2, QStringLiteral("draw"),
                                   "serialdraw sqlite FILE KIND COUNT | serialdraw postgresql HOST PORT DB USER KIND COUNT",
                                   &rest))
        return 1;
    const int kind = rest.at(0).toInt();
    const int count = rest.at(1).toInt();
    CoreStore store(QSqlDatabase::database(QStringLiteral("draw")));
    for (int i = 0; i < count; ++i)
        std::printf("%d\n", store.nextSN(kind));
    return 0;
}
