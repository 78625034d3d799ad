// zyblctl as an administrator uses it: init in an empty folder, again, on a
// data-link file; pinyin for bulk library files; a hospital's own ICD-10 catalogue.
#include "common/testdb.h"
#include "core/database.h"
#include "core/gbk.h"
#include "core/icd10store.h"
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

// Rows of the diagnosis library in `dir`, -1 when it cannot be read.
int libraryCodes(const QString &dir)
{
    DbConfig config;
    config.file = QDir(dir).filePath(QStringLiteral("ZYBLBMKLib.db"));
    QString error;
    if (!Db::open(config, QStringLiteral("codes"), Db::OpenMode::ReadOnly, &error))
        return -1;
    const int n = Icd10Store(QSqlDatabase::database(QStringLiteral("codes"), false)).count();
    Db::close(QStringLiteral("codes"));
    return n;
}

QString nameOf(const QString &dir, const QString &code)
{
    DbConfig config;
    config.file = QDir(dir).filePath(QStringLiteral("ZYBLBMKLib.db"));
    QString error;
    QString name;
    if (Db::open(config, QStringLiteral("name"), Db::OpenMode::ReadOnly, &error)) {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("name"), false));
        q.prepare(QStringLiteral("SELECT \"MC\" FROM \"BMK_Icd10\" WHERE \"BM\" = :SQLBM"));
        q.bindValue(QStringLiteral(":SQLBM"), code);
        if (q.exec() && q.next())
            name = q.value(0).toString();
    }
    Db::close(QStringLiteral("name"));
    return name;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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

        const int codes = libraryCodes(dir.path());
        QVERIFY2(codes >= 500, qPrintable(QString::number(codes)));
        QVERIFY2(first.out.contains(QStringLiteral("ZYBLBMKLib.db: created or filled, %1 codes").arg(codes)), qPrintable(first.out));

        const QByteArray before = contentDigest(main);
        const QByteArray libraryBefore = contentDigest(library);
        const Run second = zyblctl(dir.path(), {QStringLiteral("init")});
        QVERIFY2(second.status == 0, qPrintable(second.err));
        QVERIFY(second.out.contains(QStringLiteral("up to date")));
        QVERIFY(!second.out.contains(QStringLiteral("created")));
        QCOMPARE(contentDigest(main), before);
        QCOMPARE(contentDigest(library), libraryBefore);
    }

    void initFillsEmptyLibrary()
    {
        QTemporaryDir dir;
        DbConfig config;
        config.file = dir.filePath(QStringLiteral("ZYBLBMKLib.db"));
        QString error;
        QVERIFY(Db::open(config, QStringLiteral("empty"), Db::OpenMode::CreateReadWrite, &error));
        {
            QSqlDatabase db = QSqlDatabase::database(QStringLiteral("empty"));
            QVERIFY(Schema::ensureIcd10(db, &error));
        }
        Db::close(QStringLiteral("empty"));
        QCOMPARE(libraryCodes(dir.path()), 0);
        const Run run = zyblctl(dir.path(), {QStringLiteral("init")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(libraryCodes(dir.path()) >= 500);
        QVERIFY2(run.out.contains(QStringLiteral("ZYBLBMKLib.db: created or filled, %1 codes").arg(libraryCodes(dir.path()))),
                 qPrintable(run.out));
    }

    void importIcd10()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("hospital.csv"));
        writeFile(csv, Gbk::fromUnicode(QStringLiteral("编码,名称\r\nI10,原发性高血压\r\nI1O,笔误\r\n"
                                                       "J18.9,\"肺炎, 未特指\"\r\n")));
        // No library yet: the file is created holding the hospital's codes only.
        const Run run = zyblctl(dir.path(), {QStringLiteral("import-icd10"), QStringLiteral("hospital.csv")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QStringLiteral("line 3: not an ICD-10 code: I1O\n"));
        QCOMPARE(run.out, QStringLiteral("imported 2 codes, skipped 1 lines\n"));
        QCOMPARE(libraryCodes(dir.path()), 2);
        QCOMPARE(nameOf(dir.path(), QStringLiteral("J18.9")), QStringLiteral("肺炎, 未特指"));

        // Nothing usable, or nothing to read: the library keeps its codes.
        writeFile(csv, QByteArray("code,name\nI10,\n"));
        const Run bad = zyblctl(dir.path(), {QStringLiteral("import-icd10"), QStringLiteral("hospital.csv")});
        QCOMPARE(bad.status, 1);
        QVERIFY(bad.err.startsWith(QStringLiteral("line 2: missing name\n")));
        const Run missing = zyblctl(dir.path(), {QStringLiteral("import-icd10"), QStringLiteral("none.csv")});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.contains(QStringLiteral("none.csv")));
        QCOMPARE(libraryCodes(dir.path()), 2);
        QCOMPARE(nameOf(dir.path(), QStringLiteral("I10")), QStringLiteral("原发性高血压"));
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
        QCOMPARE(run.out, QStringLiteral("AMXL\nZS\nAB\n"));
        QCOMPARE(zyblctl(dir.path(), {QStringLiteral("pinyin")}).status, 1);
        QCOMPARE(zyblctl(dir.path(), {QStringLiteral("unknown")}).status, 1);
    }
};

QTEST_GUILESS_MAIN(TestZyblctl)
#include "tst_zyblctl.moc"
