// Loading, saving and sealing cases on both databases, and two workstations
// racing for the same seals.
#include "case/caseobject.h"
#include "case/casestore.h"
#include "common/testdb.h"
#include "core/corestore.h"
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

        // Sealed: nobody loads it but through the sealer's own read, a plain save
        // writes nothing, a second seal fails.
        TCaseObject loaded;
        QVERIFY(!store.LoadCase(five, loaded));
        QVERIFY(!store.LoadSealedCase(8, five, loaded));
        QVERIFY(store.LoadSealedCase(7, five, loaded));
        QCOMPARE(loaded.PatientName, QStringLiteral("张三"));
        QCOMPARE(loaded.CaseNumber, 5);
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
        QVERIFY(!store.LoadSealedCase(7, five, loaded));

        // Opening records the day, at midnight.
        QVERIFY(store.TouchCase(five, QDate(2026, 12, 11)));
        QCOMPARE(Db::dateTimeFromDb(row(d.db, 5).value(QStringLiteral("LastAccessDate"))),
                 QDateTime(QDate(2026, 12, 11), QTime(0, 0)));
        QVERIFY(!store.TouchCase(QStringLiteral("404"), QDate(2026, 12, 11)));

        // The administrator's seal is nobody else's to lift.
        QVERIFY(addCase(d.db, 6, sample().toBytes(), 1, 32768));
        QVERIFY(!store.UnlockCase(7, QStringLiteral("6")));
        QVERIFY(store.IsCaseLocked(QStringLiteral("6")));
    }

    // Admission's new row and a discharge, and the department a new row names.
    void addAndDischarge_data() { TestDb::addDialectRows(); }
    void addAndDischarge()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        CoreStore core(d.db);
        const int surgery = core.ensureSection(QStringLiteral("外科"));
        QVERIFY(surgery > 0);
        QCOMPARE(core.ensureSection(QStringLiteral("外科")), surgery);
        QVERIFY(core.ensureSection(QStringLiteral("内科")) != surgery);

        NewCase n;
        n.caseSN = 31;
        n.patientName = QStringLiteral("张三");
        n.pinYinName = QStringLiteral("ZS");
        n.patientSex = QStringLiteral("男");
        n.birthday = QDateTime(QDate(1960, 2, 29), QTime(0, 0));
        n.inHospitalDate = QDateTime(QDate(2026, 12, 1), QTime(9, 30));
        n.sectionSN = surgery;
        CaseStore store(d.db);
        QVERIFY(store.AddCase(n, sample()));
        QVERIFY(!store.AddCase(n, sample())); // the number is taken
        const QVariantMap r = row(d.db, 31);
        QCOMPARE(r.value(QStringLiteral("PatientID")).toString(), QStringLiteral("31"));
        QCOMPARE(r.value(QStringLiteral("IsLocked")).toInt(), 0);
        QCOMPARE(r.value(QStringLiteral("LockOwnerSN")).toInt(), -1);
        QCOMPARE(r.value(QStringLiteral("BedNoSN")).toInt(), -1);
        QCOMPARE(r.value(QStringLiteral("SectionSN")).toInt(), surgery);
        QCOMPARE(Db::dateTimeFromDb(r.value(QStringLiteral("InHospitalDate"))), n.inHospitalDate);
        TCaseObject loaded;
        QVERIFY(store.LoadCase(QStringLiteral("31"), loaded));
        QCOMPARE(loaded.MainDiagnose, sample().MainDiagnose);

        const QDateTime out(QDate(2026, 12, 9), QTime(10, 0));
        QVERIFY(store.DischargeCase(31, out));
        QVERIFY(!store.DischargeCase(31, out)); // only once
        QCOMPARE(row(d.db, 31).value(QStringLiteral("HasOuted")).toInt(), 1);
        QCOMPARE(Db::dateTimeFromDb(row(d.db, 31).value(QStringLiteral("OutHospitalDate"))), out);
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

    void caseList_data()
    {
        QTest::addColumn<Dialect>("dialect");
        QTest::addColumn<int>("kind"); // -1: the plain list
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("discharged");
        QTest::addColumn<int>("section");
        QTest::addColumn<QList<int>>("cases");
        struct Row { const char *name; int kind; const char *text; bool discharged; int section; QList<int> cases; };
        const Row rows[] = {
            {"in hospital", -1, "", false, -1, {3, 12, 1, 5}},
            {"discharged", -1, "", true, -1, {2}},
            {"in hospital of department 2", -1, "", false, 2, {}},
            {"pinyin finds discharged too", 0, "ZS", false, -1, {1, 2}},
            {"pinyin in either case", 0, "zs", false, -1, {1, 2}},
            {"pinyin within department 1", 0, "ZS", false, 1, {1}},
            {"number contains 1", 1, "1", false, -1, {12, 1}},
            {"number that is none", 1, "12a", false, -1, {}},
            {"wubi", 2, "XAD", false, -1, {1}},
            {"name", 3, "王", false, -1, {12}},
            {"% is a percent sign", 4, "%", false, -1, {3}},
            {"_ is an underscore", 3, "_", false, -1, {5}},
            {"a quote is a quote", 3, "'", false, -1, {}},
        };
        for (Dialect d : {Dialect::SQLite, Dialect::PostgreSQL}) {
            for (const Row &r : rows)
                QTest::addRow("%s: %s", d == Dialect::SQLite ? "sqlite" : "postgresql", r.name)
                    << d << r.kind << QString::fromUtf8(r.text) << r.discharged << r.section << r.cases;
        }
    }
    void caseList()
    {
        ZYBL_FETCH_DIALECT(dialect);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(bool, discharged);
        QFETCH(int, section);
        QFETCH(QList<int>, cases);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        struct Case { int sn; const char *name; const char *py; const char *wubi; const char *diagnose; int section; int outed; };
        const Case fixture[] = {
            {1, "张三", "ZS", "XAD", "肺炎", 1, 0},
            {2, "张珊", "ZS", "XAM", "肺炎", 2, 1},
            {3, "李四", "LS", "SLL", "50%烧伤", 1, 0},
            {12, "王五", "WW", "GGG", "高血压", 1, 0},
            {5, "赵_六", "ZL", "FQU", "糖尿病", 1, 0},
        };
        QSqlQuery q(d.db);
        for (const Case &c : fixture) {
            q.prepare(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"PatientName\", "
                                     "\"PinYinName\", \"WuBi\", \"MainDiagnose\", \"SectionSN\", \"HasOuted\", \"IsLocked\") "
                                     "VALUES (:sn, :id, :name, :py, :wb, :dg, :sec, :out, 0)"));
            q.bindValue(QStringLiteral(":sn"), c.sn);
            q.bindValue(QStringLiteral(":id"), QString::number(c.sn));
            q.bindValue(QStringLiteral(":name"), QString::fromUtf8(c.name));
            q.bindValue(QStringLiteral(":py"), QString::fromUtf8(c.py));
            q.bindValue(QStringLiteral(":wb"), QString::fromUtf8(c.wubi));
            q.bindValue(QStringLiteral(":dg"), QString::fromUtf8(c.diagnose));
            q.bindValue(QStringLiteral(":sec"), c.section);
            q.bindValue(QStringLiteral(":out"), c.outed);
            QVERIFY(q.exec());
        }
        CaseFilter filter;
        filter.discharged = discharged;
        filter.sectionSN = section;
        if (kind >= 0) {
            filter.kind = CaseFilter::Kind(kind);
            filter.text = text;
        }
        bool ok = false;
        QList<int> found;
        for (const CaseListRow &r : CaseStore(d.db).ListCases(filter, 0, 100, &ok))
            found << r.caseSN;
        QVERIFY(ok);
        // Chinese names collate differently on the two databases: compare the sets.
        std::sort(found.begin(), found.end());
        std::sort(cases.begin(), cases.end());
        QCOMPARE(found, cases);
    }

    void caseListPagesAndPicture_data() { TestDb::addDialectRows(); }
    void caseListPagesAndPicture()
    {
        ZYBL_FETCH_DIALECT(dialect);
        Db2 d(dialect);
        QVERIFY2(d.ok, qPrintable(d.error + d.scratch.error()));
        for (int i = 1; i <= 25; ++i)
            QVERIFY(addCase(d.db, i, QByteArray()));
        QVERIFY(Db::exec(d.db, QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"PatientName\" = 'N' || \"PatientID\", "
                                              "\"PatientImage\" = NULL"), nullptr));
        CaseStore store(d.db);
        QList<int> all;
        for (int offset = 0; offset < 30; offset += 10) {
            const QList<CaseListRow> page = store.ListCases(CaseFilter(), offset, 10);
            QCOMPARE(page.size(), offset < 20 ? 10 : 5);
            for (const CaseListRow &r : page)
                all << r.caseSN;
        }
        QCOMPARE(QSet<int>(all.begin(), all.end()).size(), 25);
        QVERIFY(store.PatientImage(3).isEmpty());
        QSqlQuery q(d.db);
        q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"PatientImage\" = :img WHERE \"CaseSN\" = 3"));
        q.bindValue(QStringLiteral(":img"), QByteArray("\xFF\xD8jpeg"));
        QVERIFY(q.exec());
        QCOMPARE(store.PatientImage(3), QByteArray("\xFF\xD8jpeg"));
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
