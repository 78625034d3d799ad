// Start-up of the data module: which database the working folder names, the
// data-link file's forms and errors, and first-start creation.
#include "common/testdb.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeUdl(const QString &dir, const QString &connection, bool utf16)
{
    const QString text = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n")
                         + connection + QStringLiteral("\r\n");
    QFile file(QDir(dir).filePath(QStringLiteral("ZYDataLink.udl")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (utf16) {
        auto encoder = QStringEncoder(QStringEncoder::Utf16LE);
        file.write("\xFF\xFE");
        file.write(QByteArray(encoder(text)));
    } else {
        file.write(text.toUtf8());
    }
}

QString pgConnection(const DbConfig &c)
{
    return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4")
        .arg(c.host).arg(c.port).arg(c.database, c.user);
}

} // namespace

class TestDataModule : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesEmbeddedDefault()
    {
        QTemporaryDir dir;
        QString error;
        {
            auto module = Tm_CaseDataModule::create(dir.path(), &error);
            QVERIFY2(module, qPrintable(error));
            QCOMPARE(Tm_CaseDataModule::instance(), module.get());
            QCOMPARE(module->dialect(), Dialect::SQLite);
            QCOMPARE(module->config().file, QDir(dir.path()).filePath(QStringLiteral("zybl.db")));
            QVERIFY(Schema::tableExists(module->mainDb(), QStringLiteral("ZYBL_CaseLibrary")));
            QVERIFY(Schema::tableExists(module->icd10Db(), QStringLiteral("BMK_Icd10")));
            // The diagnosis library is read-only for the program.
            QSqlQuery q(module->icd10Db());
            QVERIFY(!q.exec(QStringLiteral("INSERT INTO \"BMK_Icd10\" (\"RecordSN\") VALUES (1)")));
        }
        QCOMPARE(Tm_CaseDataModule::instance(), nullptr);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("zybl.db"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("ZYBLBMKLib.db"))));
        // A second start reuses both.
        auto again = Tm_CaseDataModule::create(dir.path(), &error);
        QVERIFY2(again, qPrintable(error));
    }

    void dataLinkForms_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<bool>("utf16");
        QTest::addColumn<QString>("expectedFile");
        QTest::newRow("utf-16 relative") << "Provider=SQLite;Data Source=data\\ward.db" << true << "data/ward.db";
        QTest::newRow("utf-8 quoted") << "Provider=sqlite;Data Source=\"data/ward.db\";Persist Security Info=False" << false << "data/ward.db";
    }
    void dataLinkForms()
    {
        QFETCH(QString, connection);
        QFETCH(bool, utf16);
        QFETCH(QString, expectedFile);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data")));
        writeUdl(dir.path(), connection, utf16);
        const DataLink link = DataLinkFile::read(dir.filePath(QStringLiteral("ZYDataLink.udl")));
        QVERIFY2(link.ok, qPrintable(link.error));
        QCOMPARE(link.config.dialect, Dialect::SQLite);
        QCOMPARE(link.config.file, dir.filePath(expectedFile));

        // The program does not create a file a data-link file names...
        QString error;
        QVERIFY(!Tm_CaseDataModule::create(dir.path(), &error));
        QVERIFY2(error.contains(QStringLiteral("ward.db")) && error.contains(QStringLiteral("zyblctl init")), qPrintable(error));
        QVERIFY(!QFile::exists(dir.filePath(expectedFile)));
        // ...but opens it once the administrator has made it.
        QVERIFY(Tm_CaseDataModule::openMain(link.config, QStringLiteral("init"), true, &error));
        Db::close(QStringLiteral("init"));
        auto module = Tm_CaseDataModule::create(dir.path(), &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->config().file, dir.filePath(expectedFile));
    }

    void postgresDataLink()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("ZYBL_TEST_PG is not set");
        TestDb::Scratch scratch(Dialect::PostgreSQL);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QTemporaryDir dir;
        writeUdl(dir.path(), pgConnection(scratch.config()), true);
        QString error;
        auto module = Tm_CaseDataModule::create(dir.path(), &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->dialect(), Dialect::PostgreSQL);
        QVERIFY(Schema::tableExists(module->mainDb(), QStringLiteral("GLOBAL_UserLib")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("zybl.db"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("ZYBLBMKLib.db"))));
    }

    // Each failure is one message that names the file or server; nothing is created.
    void startFailures_data()
    {
        QTest::addColumn<QString>("udl");          // connection line, empty for none
        QTest::addColumn<QByteArray>("dbBytes");   // content of zybl.db, if any
        QTest::addColumn<QString>("mentions");
        QTest::newRow("jet") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=ZYBL.mdb" << QByteArray()
                             << "Access";
        QTest::newRow("unknown provider") << "Provider=Oracle;Data Source=x" << QByteArray() << "Oracle";
        QTest::newRow("no provider") << "Data Source=x" << QByteArray() << "ZYDataLink.udl";
        QTest::newRow("postgres without database") << "Provider=PostgreSQL;Host=localhost" << QByteArray() << "Database";
        QTest::newRow("bad port") << "Provider=PostgreSQL;Host=h;Database=d;Port=99999" << QByteArray() << "99999";
        QTest::newRow("not a database") << "" << QByteArray(4096, 'x') << "zybl.db";
        QTest::newRow("server not answering") << "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=zybl;User ID=nobody"
                                              << QByteArray() << "127.0.0.1:1";
    }
    void startFailures()
    {
        QFETCH(QString, udl);
        QFETCH(QByteArray, dbBytes);
        QFETCH(QString, mentions);
        QTemporaryDir dir;
        if (!udl.isEmpty())
            writeUdl(dir.path(), udl, true);
        if (!dbBytes.isEmpty()) {
            QFile file(dir.filePath(QStringLiteral("zybl.db")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(dbBytes);
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        QString error;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!Tm_CaseDataModule::create(dir.path(), &error));
        QVERIFY(timer.elapsed() < 10000);
        QVERIFY2(error.contains(mentions), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
        QCOMPARE(Tm_CaseDataModule::instance(), nullptr);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("zybl.db"))).size(), qint64(dbBytes.size()));
    }
};

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_datamodule.moc"
