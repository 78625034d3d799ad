// The diagnoses of a case on both databases, and the pinyin search of the ICD-10 library.
#include "common/testdb.h"
#include "core/database.h"
#include "core/icd10store.h"
#include "core/schema.h"
#include "pages/diagnosisstore.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

using Row = DiagnosisStore::DiagnosisRow;

Row diagnosis(int caseSN, const QString &name, const QDate &day, const QString &icd10, const QString &memo)
{
    Row r;
    r.caseSN = caseSN;
    r.name = name;
    r.date = day.startOfDay();
    r.icd10 = icd10;
    r.memo = memo;
    return r;
}

QStringList describe(const QList<Row> &rows)
{
    QStringList texts;
    for (const Row &r : rows)
        texts << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(r.caseSN)
                     .arg(r.name, r.date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), r.icd10, r.memo);
    return texts;
}

} // namespace

class TestLCZDDlg : public QObject
{
    Q_OBJECT

private slots:
    void store_data() { TestDb::addDialectRows(); }
    void store()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        DiagnosisStore store(db);

        bool ok = false;
        QVERIFY(store.ListDiagnoses(5, &ok).isEmpty());
        QVERIFY(ok);
        int first = -1, second = -1, other = -1;
        QVERIFY(store.AddDiagnosis(diagnosis(5, QStringLiteral("高血压"), QDate(2024, 3, 5), QStringLiteral("I10"),
                                             QStringLiteral("晨起头晕")), &first));
        QVERIFY(store.AddDiagnosis(diagnosis(6, QStringLiteral("胃炎"), QDate(2024, 3, 6), QString(), QString()), &other));
        QVERIFY(store.AddDiagnosis(diagnosis(5, QStringLiteral("脑梗死"), QDate(2025, 1, 31), QString(), QString()), &second));
        QVERIFY(first > 0 && second > other && other > first);

        const QList<Row> rows = store.ListDiagnoses(5, &ok);
        QVERIFY(ok);
        QCOMPARE(describe(rows), QStringList({"5|高血压|2024-03-05 00:00:00|I10|晨起头晕", "5|脑梗死|2025-01-31 00:00:00||"}));
        QCOMPARE(rows.at(0).recordSN, first);
        QCOMPARE(rows.at(1).recordSN, second);
        // Empty fields are empty text, not NULL.
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM \"ZYBL_LCZDLibrary\" WHERE \"ICD_10\" = '' AND \"Memo\" = ''")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2);

        // The column refuses an overlong name; nothing is stored.
        QVERIFY(!store.AddDiagnosis(diagnosis(5, QString(251, QChar(0x75C5)), QDate(2024, 1, 1), QString(), QString())));
        QCOMPARE(store.ListDiagnoses(5).size(), 2);

        QVERIFY(store.DeleteDiagnosis(first));
        QVERIFY(!store.DeleteDiagnosis(first));
        QCOMPARE(describe(store.ListDiagnoses(5)), QStringList({"5|脑梗死|2025-01-31 00:00:00||"}));
        QCOMPARE(store.ListDiagnoses(6).size(), 1);

        // A table that cannot be read says so.
        QVERIFY(q.exec(QStringLiteral("DROP TABLE \"ZYBL_LCZDLibrary\"")));
        QVERIFY(store.ListDiagnoses(5, &ok).isEmpty());
        QVERIFY(!ok);
    }

    void findByPinYin_data() { TestDb::addDialectRows(); }
    void findByPinYin()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureIcd10(db, &error), qPrintable(error));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"BMK_Icd10\" (\"RecordSN\", \"BM\", \"MC\", \"PY\") VALUES (:sn, :bm, :mc, :py)"));
        int sn = 0;
        struct Code { const char *bm, *mc, *py; };
        const Code rows[] = {{"Z09", "九", "ABC"}, {"A01", "一", "A_C"}, {"B02", "二", "AXC"}, {"C03", "三", "A%D"},
                             {"D04", "四", "AXD"}, {"E05", "五", "XAB"}, {"F06", "六", "AB"}};
        for (const Code &row : rows) {
            q.bindValue(QStringLiteral(":sn"), ++sn);
            q.bindValue(QStringLiteral(":bm"), QString::fromUtf8(row.bm));
            q.bindValue(QStringLiteral(":mc"), QString::fromUtf8(row.mc));
            q.bindValue(QStringLiteral(":py"), QString::fromUtf8(row.py));
            QVERIFY(q.exec());
        }
        auto codes = [&db](const QString &initials) {
            bool ok = false;
            QStringList found;
            for (const Icd10Catalogue::Entry &e : Icd10Store(db).FindByPinYin(initials, &ok))
                found << e.code + QLatin1Char(' ') + e.name;
            if (!ok)
                found << QStringLiteral("failed");
            return found;
        };
        QCOMPARE(codes(QStringLiteral("AB")), QStringList({"F06 六", "Z09 九"}));
        QCOMPARE(codes(QStringLiteral("ab")), QStringList({"F06 六", "Z09 九"}));
        QCOMPARE(codes(QStringLiteral("A_")), QStringList({"A01 一"}));
        QCOMPARE(codes(QStringLiteral("A%")), QStringList({"C03 三"}));
        QCOMPARE(codes(QStringLiteral("AX")), QStringList({"B02 二", "D04 四"}));
        QCOMPARE(codes(QStringLiteral("Q")), QStringList());
        QVERIFY(q.exec(QStringLiteral("DROP TABLE \"BMK_Icd10\"")));
        QCOMPARE(codes(QStringLiteral("AB")), QStringList({"failed"}));
    }
};

QTEST_GUILESS_MAIN(TestLCZDDlg)
#include "tst_lczddlg.moc"
