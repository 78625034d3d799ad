// Loading, saving and sealing cases on both databases, and two workstations
// racing for the same seals.
#include "case/caseobject.h"
#include "case/casestore.h"
#include "common/testdb.h"
#include "core/database.h"
#include "core/schema.h"

#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

bool addCase(const QSqlDatabase &db, int number, const QByteArray &data, int locked = 0, int owner = -1)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"CaseData\", \"IsLocked\", "
                             "\"LockOwnerSN\", \"PinYinName\", \"WuBi\", \"HasOuted\") VALUES (:n, :id, :d, :l, :o, 'PY', 'WB', 0)"));
    q.bindValue(QStringLiteral(":n"), number);
    q.bindValue(QStringLiteral(":id"), QString::number(number));
    q.bindValue(QStringLiteral(":d"), data);
    q.bindValue(QStringLiteral(":l"), locked);
    q.bindValue(QStringLiteral(":o"), owner);
    return q.exec();
}

QVariantMap row(const QSqlDatabase &db, int number)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT * FROM \"ZYBL_CaseLibrary\" WHERE \"CaseSN\" = :n"));
    q.bindValue(QStringLiteral(":n"), number);
    QVariantMap values;
    if (q.exec() && q.next()) {
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            values.insert(r.fieldName(i), q.value(i));
    }
    return values;
}

TCaseObject sample()
{
    TCaseObject c;
    c.PatientName = QStringLiteral("张三");
    c.PatientSex = QStringLiteral("男");
    c.Address = QStringLiteral("澄岭市东街1号");
    c.MainDiagnose = QStringLiteral("社区获得性肺炎");
    c.MainDiagnoseICD10 = QStringLiteral("J18.9");
    c.Education = QStringLiteral("文盲");
    c.Marriage = QStringLiteral("未婚");
    c.BloodType = QStringLiteral("AB型");
    c.SmokeCount = 20;
    c.SmokeKeepMonth = 120;
    c.OutpatientDiagnoses[0][0] = QStringLiteral("高血压");
    return c;
}

struct Db2 {
    explicit Db2(Dialect d) : scratch(d)
    {
        if (!scratch.ok())
            return;
        db = scratch.connection();
        ok = Schema::ensureMain(db, &error);
    }
    TestDb::Scratch scratch;
    QSqlDatabase db;
    bool ok = false;
    QString error;
};

} // namespace

class TestCaseStore : public QObject
{
    Q_OBJECT

private slots:
    void loadAndSave_data() { TestDb::addDialectRows(); }
    void loadAndSave()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        QVERIFY(addCase(d.db, 12, TCaseObject().toBytes()));
        CaseStore store(d.db);

        QVERIFY(store.SaveCase(QStringLiteral("12"), sample()));
        TCaseObject loaded;
        QVERIFY(store.LoadCase(QStringLiteral("12"), loaded));
        QCOMPARE(loaded.CaseNumber, 12);
        TCaseObject expected = sample();
        expected.CaseNumber = 12;
        QVERIFY(loaded == expected);

        const QVariantMap r = row(d.db, 12);
        QCOMPARE(r.value(QStringLiteral("PatientName")).toString(), QStringLiteral("张三"));
        QCOMPARE(r.value(QStringLiteral("MainDiagnoseICD10")).toString(), QStringLiteral("J18.9"));
        QCOMPARE(r.value(QStringLiteral("Diploma")).toInt(), 1);
        QCOMPARE(r.value(QStringLiteral("MarryFlag")).toInt(), 1);
        QCOMPARE(r.value(QStringLiteral("ABOBloodType")).toInt(), 3);
        QCOMPARE(r.value(QStringLiteral("RHBloodType")).toInt(), -1);
        QCOMPARE(r.value(QStringLiteral("SmokeKeepMonth")).toInt(), 120);
        // Never touched by a save.
        QCOMPARE(r.value(QStringLiteral("PinYinName")).toString(), QStringLiteral("PY"));
        QCOMPARE(r.value(QStringLiteral("WuBi")).toString(), QStringLiteral("WB"));

        QVERIFY(!store.SaveCase(QStringLiteral("13"), sample())); // no such case
        QVERIFY(!store.LoadCase(QStringLiteral("13"), loaded));
        QVERIFY(!store.LoadCase(QStringLiteral("12a"), loaded));
    }

    void codes_data()
    {
        QTest::addColumn<QString>("education");
        QTest::addColumn<QString>("marriage");
        QTest::addColumn<QString>("blood");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("first") << "文盲" << "未婚" << "A型" << QList<int>{1, 1, 1};
        QTest::newRow("last") << "博士" << "丧偶" << "O型" << QList<int>{9, 4, 4};
        QTest::newRow("front page only") << "中学" << "不详" << "未查" << QList<int>{0, 0, 0};
        QTest::newRow("whole text only") << "本科 " << "已婚" << "AB型" << QList<int>{0, 2, 3};
    }
    void codes()
    {
        QFETCH(QString, education);
        QFETCH(QString, marriage);
        QFETCH(QString, blood);
        QFETCH(QList<int>, codes);
        QCOMPARE(CaseStore::DiplomaCode(education), codes[0]);
        QCOMPARE(CaseStore::MarryCode(marriage), codes[1]);
        QCOMPARE(CaseStore::BloodTypeCode(blood), codes[2]);
    }

    void sealing_data() { TestDb::addDialectRows(); }
    void sealing()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        QVERIFY(addCase(d.db, 5, sample().toBytes()));
        CaseStore store(d.db);
        const QString five = QStringLiteral("5");

        QVERIFY(!store.IsCaseLocked(five));
        QVERIFY(store.LockCase(7, five));
        QVERIFY(store.IsCaseLocked(five));
        QCOMPARE(row(d.db, 5).value(QStringLiteral("LockOwnerSN")).toInt(), 7);

        // Sealed: nobody loads it, a plain save writes nothing, a second seal fails.
        TCaseObject loaded;
        QVERIFY(!store.LoadCase(five, loaded));
        TCaseObject changed = sample();
        changed.PatientName = QStringLiteral("李四");
        QVERIFY(!store.SaveCase(five, changed));
        QVERIFY(!store.LockCase(7, five));
        QVERIFY(!store.LockCase(8, five));
        QCOMPARE(row(d.db, 5).value(QStringLiteral("PatientName")).toString(), QString());

        // The sealer saves without letting go; someone else cannot.
        QVERIFY(!store.SaveSealedCase(8, five, changed));
        QVERIFY(store.SaveSealedCase(7, five, changed));
        QVERIFY(store.SaveSealedCase(7, five, changed)); // twice in a row
        QVERIFY(store.IsCaseLocked(five));
        QCOMPARE(row(d.db, 5).value(QStringLiteral("PatientName")).toString(), QStringLiteral("李四"));

        // Only the sealer unseals.
        QVERIFY(!store.UnlockCase(8, five));
        QVERIFY(store.IsCaseLocked(five));
        QVERIFY(store.UnlockCase(7, five));
        QVERIFY(!store.IsCaseLocked(five));
        QCOMPARE(row(d.db, 5).value(QStringLiteral("LockOwnerSN")).toInt(), -1);
        QVERIFY(!store.UnlockCase(7, five));
        QVERIFY(!store.SaveSealedCase(7, five, changed)); // free again: the sealed save refuses

        // The administrator's seal is nobody else's to lift.
        QVERIFY(addCase(d.db, 6, sample().toBytes(), 1, 32768));
        QVERIFY(!store.UnlockCase(7, QStringLiteral("6")));
        QVERIFY(store.IsCaseLocked(QStringLiteral("6")));
    }

    // A stored form that does not read fails the load, so it can't be saved over.
    void brokenStoredFormDoesNotLoad_data() { TestDb::addDialectRows(); }
    void brokenStoredFormDoesNotLoad()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        const QByteArray whole = sample().toBytes();
        QVERIFY(addCase(d.db, 1, whole.left(whole.size() / 2)));
        QVERIFY(addCase(d.db, 2, QByteArray()));
        CaseStore store(d.db);
        TCaseObject target;
        target.PatientName = QStringLiteral("原样");
        QString error;
        QVERIFY(!store.LoadCase(QStringLiteral("1"), target, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(target.PatientName, QStringLiteral("原样")); // nothing half-read reaches the caller
        QVERIFY(!store.LoadCase(QStringLiteral("2"), target));
    }

    // Two workstations try to seal the same 400 cases at once: each case is
    // sealed by exactly one of them, and the row names the winner.
    void twoWorkstationsRaceForSeals_data() { TestDb::addDialectRows(); }
    void twoWorkstationsRaceForSeals()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        constexpr int kCases = 400;
        QVERIFY(Db::beginWrite(d.db, nullptr));
        for (int i = 1; i <= kCases; ++i)
            QVERIFY(addCase(d.db, i, QByteArray()));
        QVERIFY(Db::commit(d.db, nullptr));

        const DbConfig &c = d.scratch.config();
        const QStringList target = TestDb::processArguments(c);
        QProcess first, second;
        first.start(QStringLiteral(SEALRACE_PATH), target + QStringList{QStringLiteral("101"), QString::number(kCases)});
        second.start(QStringLiteral(SEALRACE_PATH), target + QStringList{QStringLiteral("202"), QString::number(kCases)});
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        auto wins = [](QProcess &p) {
            QSet<int> set;
            for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
                if (!line.isEmpty())
                    set.insert(line.toInt());
            return set;
        };
        const QSet<int> a = wins(first);
        const QSet<int> b = wins(second);
        QVERIFY(!a.intersects(b));
        QCOMPARE(a.size() + b.size(), kCases);
        QSqlQuery q(d.db);
        QVERIFY(q.exec(QStringLiteral("SELECT \"CaseSN\", \"LockOwnerSN\" FROM \"ZYBL_CaseLibrary\" WHERE \"IsLocked\" = 1")));
        int sealed = 0;
        while (q.next()) {
            ++sealed;
            QCOMPARE(q.value(1).toInt(), a.contains(q.value(0).toInt()) ? 101 : 202);
        }
        QCOMPARE(sealed, kCases);
    }
};

QTEST_GUILESS_MAIN(TestCaseStore)
#include "tst_casestore.moc"
