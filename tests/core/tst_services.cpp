// The data module's shared services on both databases: serial numbers (also
// drawn by several processes at once), name look-ups, photographs, usage
// templates; and the text helpers behind them.
#include "common/testdb.h"
#include "core/casedatamodule.h"
#include "core/corestore.h"
#include "core/database.h"
#include "core/fieldtext.h"
#include "core/jpegcodec.h"
#include "core/numfmt.h"
#include "core/pinyin.h"
#include "core/schema.h"

#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QtTest>

namespace {

QVariantList serialRow(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    QVariantList row;
    if (q.exec(QStringLiteral("SELECT * FROM \"ZYBL_NextSNTable\"")) && q.next()) {
        for (int i = 0; i < CoreStore::kSerialKinds; ++i)
            row << q.value(i);
    }
    return row;
}

int insertUser(const QSqlDatabase &db, const QString &name, const QByteArray &picture)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"UserPicture\", \"GroupSN\") "
                             "VALUES (:SQLName, :SQLPicture, 8)"));
    q.bindValue(QStringLiteral(":SQLName"), name);
    q.bindValue(QStringLiteral(":SQLPicture"), picture);
    if (!q.exec())
        return -1;
    QSqlQuery last(db);
    last.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"GLOBAL_UserLib\""));
    return last.next() ? last.value(0).toInt() : -1;
}

// A data module on a scratch database of the given dialect.
struct Module {
    explicit Module(Dialect dialect) : scratch(dialect)
    {
        if (!scratch.ok())
            return;
        if (dialect == Dialect::PostgreSQL) {
            QFile udl(QDir(scratch.dir()).filePath(QStringLiteral("ZYDataLink.udl")));
            if (udl.open(QIODevice::WriteOnly))
                udl.write(QStringLiteral("[oledb]\nProvider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4\n")
                              .arg(scratch.config().host).arg(scratch.config().port)
                              .arg(scratch.config().database, scratch.config().user).toUtf8());
        }
        module = Tm_CaseDataModule::create(scratch.dir(), &error);
    }
    TestDb::Scratch scratch;
    std::unique_ptr<Tm_CaseDataModule> module;
    QString error;
};

} // namespace

class TestServices : public QObject
{
    Q_OBJECT

private slots:
    void serialNumbers_data() { TestDb::addDialectRows(); }
    void serialNumbers()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Module m(dialect);
        QVERIFY2(m.module, qPrintable(m.error));
        Tm_CaseDataModule &dm = *m.module;

        for (int kind = 0; kind < 9; ++kind)
            QCOMPARE(dm.GetNextSN(kind), 0);
        QCOMPARE(dm.GetNextSN(0), 1);
        QCOMPARE(dm.GetNextSN(0), 2);
        QCOMPARE(dm.GetNextSN(4), 1);

        // Unknown kinds draw nothing and change nothing.
        const QVariantList before = serialRow(dm.mainDb());
        QCOMPARE(dm.GetNextSN(9), -1);
        QCOMPARE(dm.GetNextSN(-1), -1);
        QCOMPARE(dm.GetNextSN(255), -1);
        QCOMPARE(serialRow(dm.mainDb()), before);

        // A missing counter row is created again, starting at 0.
        QVERIFY(Db::exec(dm.mainDb(), QStringLiteral("DELETE FROM \"ZYBL_NextSNTable\""), nullptr));
        QCOMPARE(dm.GetNextSN(7), 0);
        QCOMPARE(dm.GetNextSN(7), 1);
        QCOMPARE(dm.GetNextSN(8), 0);

        // An exhausted counter says so instead of wrapping round.
        QVERIFY(Db::exec(dm.mainDb(), QStringLiteral("UPDATE \"ZYBL_NextSNTable\" SET \"FJSN\" = 2147483646"), nullptr));
        QCOMPARE(dm.GetNextSN(3), 2147483646);
        QCOMPARE(dm.GetNextSN(3), -1);
    }

    void serialNumbersReadOnly()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(Tm_CaseDataModule::openMain(DataLinkFile::embeddedDefault(dir.path()), QStringLiteral("rw"), true, &error));
        Db::close(QStringLiteral("rw"));
        QVERIFY(Db::open(DataLinkFile::embeddedDefault(dir.path()), QStringLiteral("ro"), Db::OpenMode::ReadOnly, &error));
        QCOMPARE(CoreStore(QSqlDatabase::database(QStringLiteral("ro"))).nextSN(0), -1);
        Db::close(QStringLiteral("ro"));
    }

    // Eight workstations draw 500 numbers each at once: no number twice.
    void serialNumbersAcrossProcesses_data() { TestDb::addDialectRows(); }
    void serialNumbersAcrossProcesses()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        {
            QSqlDatabase db = scratch.connection();
            QString error;
            QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        }
        const DbConfig &c = scratch.config();
        const QStringList target = TestDb::processArguments(c);
        constexpr int kProcesses = 8;
        constexpr int kEach = 500;
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < kProcesses; ++i) {
            auto child = std::make_unique<QProcess>();
            child->start(QStringLiteral(SERIALDRAW_PATH), target + QStringList{QStringLiteral("4"), QString::number(kEach)});
            children.push_back(std::move(child));
        }
        QSet<int> seen;
        for (auto &child : children) {
            QVERIFY(child->waitForFinished(120000));
            QCOMPARE(child->exitCode(), 0);
            const QList<QByteArray> lines = child->readAllStandardOutput().split('\n');
            int drawn = 0;
            for (const QByteArray &line : lines) {
                if (line.isEmpty())
                    continue;
                const int number = line.toInt();
                QVERIFY2(number >= 0, "a draw failed");
                QVERIFY2(!seen.contains(number), qPrintable(QStringLiteral("number %1 drawn twice").arg(number)));
                seen.insert(number);
                ++drawn;
            }
            QCOMPARE(drawn, kEach);
        }
        QCOMPARE(seen.size(), kProcesses * kEach);
        QCOMPARE(*std::max_element(seen.begin(), seen.end()), kProcesses * kEach - 1);
    }

    void namesAndPictures_data() { TestDb::addDialectRows(); }
    void namesAndPictures()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Module m(dialect);
        QVERIFY2(m.module, qPrintable(m.error));
        Tm_CaseDataModule &dm = *m.module;
        const QSqlDatabase db = dm.mainDb();

        QImage photo(40, 30, QImage::Format_RGB32);
        photo.fill(QColor(200, 40, 40));
        QByteArray jpeg;
        QVERIFY(JpegCodec::encode(photo, &jpeg));
        const int withPhoto = insertUser(db, QStringLiteral("王医生  "), jpeg);
        const int broken = insertUser(db, QStringLiteral("李护士"), QByteArray("not a jpeg"));
        const int empty = insertUser(db, QStringLiteral("赵"), QByteArray());
        QVERIFY(withPhoto > 0 && broken > 0 && empty > 0);
        QVERIFY(Db::exec(db, QStringLiteral("INSERT INTO \"GLOBAL_SectionLib\" (\"SectionName\") VALUES ('  内科    ')"), nullptr));

        QCOMPARE(dm.GetUserNameBySN(withPhoto), QStringLiteral("王医生"));
        QCOMPARE(dm.GetUserNameBySN(-1), QString());
        QCOMPARE(dm.GetUserNameBySN(999), QString());
        QCOMPARE(dm.GetSectionNameBySN(1), QStringLiteral("内科"));
        QCOMPARE(dm.GetSectionNameBySN(2), QString());
        QCOMPARE(dm.LockOwnerText(-1), QStringLiteral("无"));
        QCOMPARE(dm.LockOwnerText(32768), QStringLiteral("管理员"));
        QCOMPARE(dm.LockOwnerText(withPhoto), QStringLiteral("王医生"));

        QImage picture(5, 5, QImage::Format_RGB32);
        QVERIFY(dm.LoadUserPicture(QString::number(withPhoto), &picture));
        QCOMPARE(picture.size(), QSize(40, 30));
        QVERIFY(!dm.LoadUserPicture(QString::number(broken), &picture));
        QVERIFY(picture.isNull()); // an undecodable picture clears it
        picture = QImage(5, 5, QImage::Format_RGB32);
        QVERIFY(!dm.LoadUserPicture(QString::number(empty), &picture));
        QVERIFY(picture.isNull());
        picture = QImage(5, 5, QImage::Format_RGB32);
        QVERIFY(!dm.LoadUserPicture(QStringLiteral("999"), &picture));
        QCOMPARE(picture.size(), QSize(5, 5)); // no such user: untouched
        QVERIFY(!dm.LoadUserPicture(QStringLiteral("1 OR 1=1"), &picture));
        QCOMPARE(picture.size(), QSize(5, 5));
    }

    void usageTemplates_data() { TestDb::addDialectRows(); }
    void usageTemplates()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Module m(dialect);
        QVERIFY2(m.module, qPrintable(m.error));
        Tm_CaseDataModule &dm = *m.module;
        QVERIFY(dm.AddUsageTemplate(QStringLiteral("饭后 "), QStringLiteral("每日三次  "), QStringLiteral("忌辛辣 ")));
        QVERIFY(!dm.AddUsageTemplate(QStringLiteral("   "), QStringLiteral("x"), QStringLiteral("y")));
        QVERIFY(!dm.AddUsageTemplate(QString(51, QLatin1Char('n')), QString(), QString())); // too long: refused
        QSqlQuery q(dm.mainDb());
        QVERIFY(q.exec(QStringLiteral("SELECT \"RecordSN\", \"Name\", \"Usuage\", \"Inhibit\" FROM \"ZYBL_CFYZTemplate\"")));
        QVERIFY(q.next());
        const int key = q.value(0).toInt();
        QCOMPARE(q.value(1).toString(), QStringLiteral("饭后"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("每日三次"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("忌辛辣"));
        QVERIFY(!q.next());
        dm.DeleteUsageTemplate(key + 100); // none: nothing happens
        dm.DeleteUsageTemplate(key);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM \"ZYBL_CFYZTemplate\"")) && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }

    void pinyinInitials_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("initials");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("D5C5 C8FD") << "张三" << "ZS";
        QTest::newRow("D1A0") << "薛" << "X";
        QTest::newRow("second level D8A1") << "亍" << " ";
        QTest::newRow("first and last codes") << "啊座" << "AZ";
        QTest::newRow("letters and digits stand for themselves") << "Ab9" << "AB9";
        QTest::newRow("each character by its own code") << "2型糖尿病" << "2XTNB";
        QTest::newRow("mixed") << "IgA肾病" << "IGASB";
        QTest::newRow("punctuation") << "高血压(原发性)" << "GXY YFX ";
        QTest::newRow("common name") << "欧阳明日" << "OYMR";
        QTest::newRow("drug") << "阿莫西林胶囊" << "AMXLJN";
        QTest::newRow("outside GBK") << "😀" << "  ";
    }
    void pinyinInitials()
    {
        QFETCH(QString, text);
        QFETCH(QString, initials);
        QCOMPARE(GetPinYinInitials(text), initials);
    }

    void numbersAndFieldTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 3.0 << 2 << "3";
        QTest::newRow("one decimal") << 12.5 << 2 << "12.5";
        QTest::newRow("half to even down") << 0.125 << 2 << "0.12";
        QTest::newRow("half to even up") << 0.375 << 2 << "0.38";
        QTest::newRow("2.675 is 267.5 units") << 2.675 << 2 << "2.68";
        QTest::newRow("2.665 is 266.5 units") << 2.665 << 2 << "2.66";
        QTest::newRow("three decimals") << 1.23456 << 3 << "1.235";
        QTest::newRow("negative zero") << -0.001 << 2 << "0";
        QTest::newRow("negative") << -7.255 << 2 << "-7.26";
        QTest::newRow("large") << 1234567.0 << 2 << "1234567";
    }
    void numbersAndFieldTexts()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(NumFmt::Shortest(value, decimals), text);
        if (decimals == 2)
            QCOMPARE(FieldText::Price(value), text);
    }

    void fieldTexts()
    {
        QCOMPARE(FieldText::RecipeType(0), QStringLiteral("单项处方"));
        QCOMPARE(FieldText::RecipeType(1), QStringLiteral("组合处方"));
        QCOMPARE(FieldText::RecipeType(2), QStringLiteral("中药处方"));
        QCOMPARE(FieldText::RecipeType(3), QStringLiteral("不详"));
        QCOMPARE(FieldText::RecipeExecuted(true), QStringLiteral("住院记帐"));
        QCOMPARE(FieldText::RecipeExecuted(false), QStringLiteral("未记帐"));
        QCOMPARE(FieldText::Date(QDateTime(QDate(2003, 3, 2), QTime(23, 1))), QStringLiteral("2003-03-02"));
        QCOMPARE(FieldText::Date(QDateTime()), QString());
        int lookups = 0;
        auto lookup = [&](int) { ++lookups; return QStringLiteral("x"); };
        QCOMPARE(FieldText::LockOwner(-1, lookup), QStringLiteral("无"));
        QCOMPARE(FieldText::LockOwner(32768, lookup), QStringLiteral("管理员"));
        QCOMPARE(lookups, 0);
    }
};

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
