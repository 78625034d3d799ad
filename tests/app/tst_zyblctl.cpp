// zyblctl as an administrator uses it: init in an empty folder, again, on a
// data-link file; and pinyin for bulk library files.
#include "common/testdb.h"
#include "core/database.h"
#include "core/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run zyblctl(const QString &dir, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(ZYBLCTL_PATH), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Every table's rows, to see that a second run changes nothing.
QByteArray contentDigest(const QString &file)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    DbConfig config;
    config.file = file;
    QString error;
    if (!Db::open(config, QStringLiteral("digest"), Db::OpenMode::ReadOnly, &error))
        return QByteArray();
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("digest"));
        QSqlQuery tables(db);
        tables.exec(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name"));
        while (tables.next()) {
            hash.addData(tables.value(1).toString().toUtf8());
            QSqlQuery rows(db);
            if (tables.value(1).toString().startsWith(QStringLiteral("CREATE TABLE"))) {
                rows.exec(QStringLiteral("SELECT * FROM ") + Db::quoted(tables.value(0).toString()));
                while (rows.next())
                    for (int i = 0; rows.value(i).isValid(); ++i)
                        hash.addData(rows.value(i).toString().toUtf8());
            }
        }
    }
    Db::close(QStringLiteral("digest"));
    return hash.result();
}

} // namespace

class TestZyblctl : public QObject
{
    Q_OBJECT

private slots:
    void initInEmptyFolder()
    {
        QTemporaryDir dir;
        const Run first = zyblctl(dir.path(), {QStringLiteral("init")});
        QVERIFY2(first.status == 0, qPrintable(first.err));
        QVERIFY(first.out.contains(QStringLiteral("created")));
        const QString main = dir.filePath(QStringLiteral("zybl.db"));
        const QString library = dir.filePath(QStringLiteral("ZYBLBMKLib.db"));
        QVERIFY(QFile::exists(main));
        QVERIFY(QFile::exists(library));

        QString error;
        DbConfig config;
        config.file = main;
        QVERIFY(Db::open(config, QStringLiteral("check"), Db::OpenMode::ReadOnly, &error));
        for (const Schema::Table &t : Schema::mainTables())
            QVERIFY2(Schema::tableExists(QSqlDatabase::database(QStringLiteral("check")), QString::fromLatin1(t.name)), t.name);
        Db::close(QStringLiteral("check"));
        config.file = library;
        QVERIFY(Db::open(config, QStringLiteral("check"), Db::OpenMode::ReadOnly, &error));
        QVERIFY(Schema::tableExists(QSqlDatabase::database(QStringLiteral("check")), QStringLiteral("BMK_Icd10")));
        Db::close(QStringLiteral("check"));

        const QByteArray before = contentDigest(main);
        const QByteArray libraryBefore = contentDigest(library);
        const Run second = zyblctl(dir.path(), {QStringLiteral("init")});
        QVERIFY2(second.status == 0, qPrintable(second.err));
        QVERIFY(second.out.contains(QStringLiteral("up to date")));
        QVERIFY(!second.out.contains(QStringLiteral("created")));
        QCOMPARE(contentDigest(main), before);
        QCOMPARE(contentDigest(library), libraryBefore);
    }

    void initOnDataLinkFile()
    {
        QTemporaryDir dir;
        QFile udl(dir.filePath(QStringLiteral("ward.udl")));
        QVERIFY(udl.open(QIODevice::WriteOnly));
        udl.write("[oledb]\n; Everything after this line is an OLE DB initstring\nProvider=SQLite;Data Source=shared.db\n");
        udl.close();
        const Run run = zyblctl(dir.path(), {QStringLiteral("--udl"), QStringLiteral("ward.udl"), QStringLiteral("init")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("shared.db"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("zybl.db"))));

        QVERIFY(udl.open(QIODevice::WriteOnly | QIODevice::Truncate));
        udl.write("[oledb]\nProvider=Microsoft.Jet.OLEDB.4.0;Data Source=ZYBL.mdb\n");
        udl.close();
        const Run jet = zyblctl(dir.path(), {QStringLiteral("--udl"), QStringLiteral("ward.udl"), QStringLiteral("init")});
        QCOMPARE(jet.status, 1);
        QCOMPARE(jet.err.count(QLatin1Char('\n')), 1);
        QVERIFY(jet.err.contains(QStringLiteral("ward.udl")));
    }

    void initOnPostgres()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("ZYBL_TEST_PG is not set");
        TestDb::Scratch scratch(Dialect::PostgreSQL);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        const DbConfig &c = scratch.config();
        QFile udl(QDir(scratch.dir()).filePath(QStringLiteral("ZYDataLink.udl")));
        QVERIFY(udl.open(QIODevice::WriteOnly));
        udl.write(QStringLiteral("[oledb]\nProvider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4\n")
                      .arg(c.host).arg(c.port).arg(c.database, c.user).toUtf8());
        udl.close();
        const Run first = zyblctl(scratch.dir(), {QStringLiteral("init")});
        QVERIFY2(first.status == 0, qPrintable(first.err));
        QVERIFY(first.out.contains(QStringLiteral("created")));
        const Run second = zyblctl(scratch.dir(), {QStringLiteral("init")});
        QVERIFY2(second.status == 0, qPrintable(second.err));
        QVERIFY(second.out.contains(QStringLiteral("up to date")));
        QVERIFY(Schema::tableExists(scratch.connection(), QStringLiteral("ZYBL_RecipeItem")));
    }

    void pinyinCommand()
    {
        QTemporaryDir dir;
        const Run run = zyblctl(dir.path(), {QStringLiteral("pinyin"), QStringLiteral("阿莫西林"), QStringLiteral("张三"),
                                             QStringLiteral("AB")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("AMXL\nZS\n  \n"));
        QCOMPARE(zyblctl(dir.path(), {QStringLiteral("pinyin")}).status, 1);
        QCOMPARE(zyblctl(dir.path(), {QStringLiteral("unknown")}).status, 1);
    }
};

QTEST_GUILESS_MAIN(TestZyblctl)
#include "tst_zyblctl.moc"
