// The ICD-10 catalogue: reading hospitals' files in either encoding, the
// all-or-nothing replace, the built-in catalogue and the library's first start.
#include "common/testdb.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/gbk.h"
#include "core/icd10catalogue.h"
#include "core/icd10store.h"
#include "core/schema.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Icd10Catalogue::Entry;

QStringList entryTexts(const Icd10Catalogue::Parsed &parsed)
{
    QStringList texts;
    for (const Entry &e : parsed.entries)
        texts << e.code + QLatin1Char('|') + e.name;
    return texts;
}

QStringList skipTexts(const Icd10Catalogue::Parsed &parsed)
{
    QStringList texts;
    for (const Icd10Catalogue::Skip &s : parsed.skipped)
        texts << QStringLiteral("%1: %2").arg(s.line).arg(s.reason);
    return texts;
}

QMap<QString, QString> pinyinByName(const QSqlDatabase &db)
{
    QMap<QString, QString> rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT \"MC\", \"PY\" FROM \"BMK_Icd10\""));
    while (q.next())
        rows.insert(q.value(0).toString(), q.value(1).toString());
    return rows;
}

QString libraryFile(const QTemporaryDir &dir)
{
    return dir.filePath(Tm_CaseDataModule::kIcd10File);
}

int libraryCount(const QTemporaryDir &dir)
{
    DbConfig config;
    config.file = libraryFile(dir);
    QString error;
    if (!Db::open(config, QStringLiteral("count"), Db::OpenMode::ReadOnly, &error))
        return -1;
    const int n = Icd10Store(QSqlDatabase::database(QStringLiteral("count"), false)).count();
    Db::close(QStringLiteral("count"));
    return n;
}

} // namespace

class TestIcd10 : public QObject
{
    Q_OBJECT

private slots:
    // The same catalogue saved three ways reads the same.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("code,name\r\nI10,特发性（原发性）高血压\r\n\r\nJ18.9,\"肺炎, 未特指\"\r\n"
                                            "E11.9,2型糖尿病不伴有并发症\r\n");
        QTest::newRow("utf-8") << text.toUtf8();
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        QTest::newRow("gbk") << Gbk::fromUnicode(text);
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        const Icd10Catalogue::Parsed parsed = Icd10Catalogue::parse(bytes);
        QCOMPARE(entryTexts(parsed), QStringList({QStringLiteral("I10|特发性（原发性）高血压"),
                                                  QStringLiteral("J18.9|肺炎, 未特指"),
                                                  QStringLiteral("E11.9|2型糖尿病不伴有并发症")}));
        QCOMPARE(skipTexts(parsed), QStringList());
    }

    // Each kind of bad line is skipped with its line number; good lines around it stay.
    void skippedLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("skips");
        const QString longName = QString(91, QChar(0x75C5));
        QTest::newRow("missing name") << "I10,\nK29.7,胃炎" << QStringList{"K29.7|胃炎"}
                                      << QStringList{"1: missing name"};
        QTest::newRow("missing code") << "I10,高血压\n ,胃炎" << QStringList{"I10|高血压"}
                                      << QStringList{"2: missing code"};
        QTest::newRow("code too long") << "I10,高血压\nI10.x00x0011,高血压" << QStringList{"I10|高血压"}
                                       << QStringList{"2: code longer than 10 characters"};
        QTest::newRow("name too long") << "I10," + longName + "\nI11.9,高血压性心脏病" << QStringList{"I11.9|高血压性心脏病"}
                                       << QStringList{"1: name longer than 90 characters"};
        QTest::newRow("not icd-10") << "code,name\nI1O,高血压\n110,高血压\nI10,高血压" << QStringList{"I10|高血压"}
                                    << QStringList{"2: not an ICD-10 code: I1O", "3: not an ICD-10 code: 110"};
        QTest::newRow("duplicate") << "I10,高血压\nI10,原发性高血压\nI10,又一个" << QStringList{"I10|高血压"}
                                   << QStringList{"2: duplicate code I10 (first on line 1)",
                                                  "3: duplicate code I10 (first on line 1)"};
        QTest::newRow("unquoted comma") << "J18.9,肺炎, 未特指\nJ18.0,支气管肺炎" << QStringList{"J18.0|支气管肺炎"}
                                        << QStringList{"1: more than two fields (quote a name that contains a comma)"};
        QTest::newRow("open quote") << "J18.9,\"肺炎, 未特指\nJ18.0,支气管肺炎" << QStringList{"J18.0|支气管肺炎"}
                                    << QStringList{"1: unterminated quote"};
        QTest::newRow("clinical forms") << "I10.x00,原发性高血压\nA17.0+,结核性脑膜炎\nG01*,细菌性脑膜炎\n\"E11.9\",\"2型\"\"糖尿病\"\"\""
                                        << QStringList{"I10.x00|原发性高血压", "A17.0+|结核性脑膜炎", "G01*|细菌性脑膜炎",
                                                       "E11.9|2型\"糖尿病\""}
                                        << QStringList{};
    }
    void skippedLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, skips);
        const Icd10Catalogue::Parsed parsed = Icd10Catalogue::parse(text.toUtf8());
        QCOMPARE(entryTexts(parsed), entries);
        QCOMPARE(skipTexts(parsed), skips);
    }

    void replaceIsAllOrNothing_data() { TestDb::addDialectRows(); }
    void replaceIsAllOrNothing()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureIcd10(db, &error), qPrintable(error));
        Icd10Store store(db);
        QVERIFY2(store.replaceAll({{"I99", "旧的"}}, &error), qPrintable(error));
        QVERIFY2(store.replaceAll({{"I10", "高血压"}, {"I63.9", "脑梗死"}, {"K29.7", "胃炎"}}, &error), qPrintable(error));
        QCOMPARE(store.count(), 3);
        const QMap<QString, QString> py = pinyinByName(db);
        QCOMPARE(py.value(QStringLiteral("高血压")), QStringLiteral("GXY"));
        QCOMPARE(py.value(QStringLiteral("脑梗死")), QStringLiteral("NGS"));
        QCOMPARE(py.value(QStringLiteral("胃炎")), QStringLiteral("WY"));
        QSqlQuery search(db);
        search.prepare(QStringLiteral("SELECT \"BM\" FROM \"BMK_Icd10\" WHERE \"PY\" LIKE :SQLPinYin"));
        search.bindValue(QStringLiteral(":SQLPinYin"), QStringLiteral("GXY%"));
        QVERIFY(search.exec() && search.next());
        QCOMPARE(search.value(0).toString(), QStringLiteral("I10"));

        // The column refuses the last row, after the delete and two inserts ran.
        error.clear();
        QVERIFY(!store.replaceAll({{"J18.9", "肺炎"}, {"J18.0", "支气管肺炎"}, {"J44.9", QString(91, QChar(0x75C5))}}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(store.count(), 3);
        QCOMPARE(pinyinByName(db).keys(), QStringList({"胃炎", "脑梗死", "高血压"}));
    }

    void builtInCatalogue()
    {
        const Icd10Catalogue::Parsed parsed = Icd10Catalogue::parse(Icd10Catalogue::embedded());
        QCOMPARE(skipTexts(parsed), QStringList());
        QVERIFY2(parsed.entries.size() >= 500, qPrintable(QString::number(parsed.entries.size())));
        QSet<QString> codes;
        for (const Entry &e : parsed.entries) {
            QVERIFY2(Icd10Catalogue::isCodeShaped(e.code), qPrintable(e.code));
            codes.insert(e.code);
        }
        QCOMPARE(codes.size(), parsed.entries.size());

        TestDb::Scratch scratch(Dialect::SQLite);
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY(Schema::ensureIcd10(db, &error));
        QVERIFY2(Icd10Store(db).replaceAll(parsed.entries, &error), qPrintable(error));
        QCOMPARE(Icd10Store(db).count(), parsed.entries.size());
        static const QRegularExpression initials(QStringLiteral("^[A-Z0-9 ]+$"));
        const QMap<QString, QString> py = pinyinByName(db);
        for (auto it = py.cbegin(); it != py.cend(); ++it) {
            QVERIFY2(initials.match(it.value()).hasMatch(), qPrintable(it.key()));
            QCOMPARE(it.value().size(), qMin<qsizetype>(it.key().size(), 45));
        }
        QCOMPARE(py.value(QStringLiteral("脑梗死")), QStringLiteral("NGS"));
        QCOMPARE(py.value(QStringLiteral("2型糖尿病不伴有并发症")), QStringLiteral("2XTNBBBYBFZ"));
    }

    // The library is filled when it is created; rows already there are left alone,
    // and an empty table is filled only when asked.
    void firstStartFillsLibrary()
    {
        QTemporaryDir dir;
        QString error;
        bool changed = false;
        QVERIFY2(Tm_CaseDataModule::openIcd10(dir.path(), QStringLiteral("lib"), &error, &changed), qPrintable(error));
        QVERIFY(changed);
        const int builtIn = Icd10Store(QSqlDatabase::database(QStringLiteral("lib"), false)).count();
        Db::close(QStringLiteral("lib"));
        QVERIFY(builtIn >= 500);

        DbConfig config;
        config.file = libraryFile(dir);
        QVERIFY(Db::open(config, QStringLiteral("rw"), Db::OpenMode::ReadWrite, &error));
        QVERIFY(Icd10Store(QSqlDatabase::database(QStringLiteral("rw"), false)).replaceAll({{"I10", "高血压"}}, &error));
        QVERIFY(Tm_CaseDataModule::openIcd10(dir.path(), QStringLiteral("lib"), &error, &changed, true));
        Db::close(QStringLiteral("lib"));
        QVERIFY(!changed);
        QCOMPARE(libraryCount(dir), 1);

        QVERIFY(Icd10Store(QSqlDatabase::database(QStringLiteral("rw"), false)).replaceAll({}, &error));
        Db::close(QStringLiteral("rw"));
        QVERIFY(Tm_CaseDataModule::openIcd10(dir.path(), QStringLiteral("lib"), &error, &changed));
        Db::close(QStringLiteral("lib"));
        QVERIFY(!changed);
        QCOMPARE(libraryCount(dir), 0);
        QVERIFY(Tm_CaseDataModule::openIcd10(dir.path(), QStringLiteral("lib"), &error, &changed, true));
        Db::close(QStringLiteral("lib"));
        QVERIFY(changed);
        QCOMPARE(libraryCount(dir), builtIn);
    }
};

QTEST_GUILESS_MAIN(TestIcd10)
#include "tst_icd10.moc"
