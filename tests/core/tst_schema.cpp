// The schema on both databases: every table and column, text limits that
// hold alike, starter rows, idempotent creation and refused foreign schemas.
#include "common/testdb.h"
#include "core/database.h"
#include "core/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Tables and columns as the system defines them for the main database.
const char *const kExpectedMain[] = {
    "ZYBL_CaseLibrary: PatientID PatientName PatientSex Address CaseData CaseSN IsLocked LockOwnerSN PatientImage PinYinName LastAccessDate P1 P2 Birthday WuBi MainDiagnose MainDiagnoseICD10 PersonalCaree FamilyCaree SmokeCount DrinkCount SmokeKeepMonth DrinkKeepMonth Diploma MarryFlag NativePlace Occupation WorkUnit WokrUnitTel ContactTel Identity PostZip ContactPerson ContactPersonRelation ContactPersonAddress ContactPersonTel OlderSickness HypersenceDrug ABOBloodType RHBloodType CustomCoding National Country MemberShip OutHospitalDate SectionSN OwnDoctorSN OwnNurseSN BedNoSN InHospitalDate HasOuted IntroduceDoctorSN PayFeeType PayFeeTotal UsedFeeTotal",
    "ZYBL_BCJLLibrary: RecordSN CaseSN Title Content DateTime HasCheckPointed UpperWriterSN LowerWriterSN",
    "ZYBL_JKJCLibrary: RecordSN PatientID PatientName ItemType IValue1 IValue2 IValue3 FValue1 FValue2 FValue3 TestTime OperatorSN OperatorName Comment",
    "ZYBL_FZJCLibrary: RecordSN CaseSN MZJLSN NoteID DateTime ReportWorker Result Memo Content",
    "ZYBL_LCZDLibrary: RecordSN CaseSN ZDName ICD_10 ZDDate Memo",
    "ZYBL_MedicalNote: RecordSN CaseSN Title Date DoctorName PatientName Sex Age GZDW XZZ ZJLB ZJHM JBZD YHGJ YSJY JGMC",
    "ZYBL_RecipeLibrary: RecordSN PatientID PatientName DoctorSN DoctorName Date Inhibit TypeFlag Count HasExecuted",
    "ZYBL_RecipeItem: RecordSN RecipeSN DrugSN DrugName GG DW Count Price Usuage GroupFlag",
    "ZYBL_FavoriteRecipe: RecordSN Name RecipeSN OwnerDoctorSN ShareFlag Comment GroupSN",
    "ZYBL_FavoriteRecipeGroup: RecordSN OwnerDoctorSN Name GroupFlag FatherGroupSN",
    "ZYBL_CFYZTemplate: RecordSN Name Usuage Inhibit",
    "RECIPE_YP_DrugLibrary: DrugSN DrugName PinYin WuBi Latin GG DW UnitPrice Usuage Inhibit BookMark Memo",
    "RECIPE_YP_ZYLibrary: DrugSN MC PY WuBi DJ DW GG TypeSN TypeName QTMC XWGJ ZYCD GX XYSYZ YF ZYSX BookMark CKSM",
    "RECIPE_YP_ZYTypeLibrary: RecordSN Name Memo",
    "RECIPE_YP_FJLibrary: RecordSN MC PY WuBi GY GX XYSYZ YF ZYSX BookMark CKSM",
    "RECIPE_YP_FJZCItemLibrary: RecordSN FJSN ZYSN ZYName ZYValue ZYUnit",
    "ZYBL_ZD_ZYDesease: RecordSN Name PinYin Reason Memo",
    "ZYBL_ZD_ZYBZSZ: RecordSN DeseaseSN Name ZH ZF FJ FJSN JJYY FX",
    "ZYBL_ZD_XYDesease: RecordSN MC PY BYBJ LCBX ZDBZ ZLFA BookMark CKSM",
    "ZYBL_WardBedLibrary: RecordSN SectionSN WardName BedName Memo",
    "ZYBL_Fee1LevelLibrary: RecordSN Name PinYin",
    "ZYBL_Fee2LevelLibrary: RecordSN To1LibSN Name PinYin Unit Fee InsureLevel",
    "ZYBL_FeeMemo: RecordSN BatchSN CaseSN Fee1SN Fee2SN FeeTypeFlag DJ SL HJ FeeUnit DateTime SectionSN OwnDoctorSN UserSN",
    "ZYBL_PatientPayFeeLibrary: RecordSN CaseSN UserSN Fee Memo DateTime",
    "ZYBL_NextSNTable: CaseSN DrugSN ZYDrugSN FJSN RecipeSN MZJLSN CheckNotesSN FZJCSN FeeInputBatchSN",
    "GLOBAL_UserLib: RecordSN UserName Password Property UserPicture SectionSN GroupSN UserTypeID UserClassName UserClassID Sex BirthDay Address MobilPhone TelePhone",
    "GLOBAL_SectionLib: RecordSN SectionName SectionAddress SectionFlag SectionType",
    "GLOBAL_UserLoginoutLib: RecordSN UserName UserSN LoginoutRights LoginoutTime LoginoutStationName LoginoutStationIP LoginoutFlag ModuleSN SubModuleSN",
    "GLOBAL_UserWokeNote: RecordSN OwnerSN OwnerName Title Content DateTime HasShared",
    "GLOBAL_UserSMS: RecordSN SenderSN ReceiverSN SenderName ReceiverName Title Content DateTime HasRead",
};

QStringList columnsOf(const QSqlDatabase &db, const QString &table)
{
    QStringList names;
    const QSqlRecord record = db.record(Db::quoted(table));
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    if (names.isEmpty()) { // QPSQL wants the bare name for its catalogue look-up
        const QSqlRecord bare = db.record(table);
        for (int i = 0; i < bare.count(); ++i)
            names << bare.fieldName(i);
    }
    return names;
}

bool insertText(QSqlDatabase &db, const QString &table, const QString &column, const QString &value)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (:SQLValue)").arg(Db::quoted(table), Db::quoted(column)));
    q.bindValue(QStringLiteral(":SQLValue"), value);
    return q.exec();
}

} // namespace

// The case table's indexes that lead with the list's columns, by name.
static QStringList caseListIndexes(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    q.exec(Db::dialectOf(db) == Dialect::PostgreSQL
               ? QStringLiteral("SELECT indexname FROM pg_indexes WHERE tablename = 'ZYBL_CaseLibrary'")
               : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'ZYBL_CaseLibrary'"));
    QStringList names;
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (name.startsWith(QStringLiteral("IX_ZYBL_CaseLibrary_SectionSN_PinYinName"))
            || name.startsWith(QStringLiteral("IX_ZYBL_CaseLibrary_PinYinName_PatientName")))
            names << name;
    }
    names.sort();
    return names;
}

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void createsEveryTableAndColumn_data() { TestDb::addDialectRows(); }
    void createsEveryTableAndColumn()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        bool changed = false;
        QVERIFY2(Schema::ensureMain(db, &error, &changed), qPrintable(error));
        QVERIFY(changed);
        QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());

        for (const char *line : kExpectedMain) {
            const QString text = QString::fromLatin1(line);
            const QString table = text.section(QLatin1Char(':'), 0, 0);
            const QStringList expected = text.section(QLatin1Char(':'), 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QVERIFY2(Schema::tableExists(db, table), qPrintable(table));
            QCOMPARE(columnsOf(db, table), expected);
        }
        QCOMPARE(int(Schema::mainTables().size()), int(std::size(kExpectedMain)));

        // A second run finds nothing to do.
        QVERIFY2(Schema::ensureMain(db, &error, &changed), qPrintable(error));
        QVERIFY(!changed);
    }

    void icd10Library_data() { TestDb::addDialectRows(); }
    void icd10Library()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        bool changed = false;
        QVERIFY2(Schema::ensureIcd10(db, &error, &changed), qPrintable(error));
        QVERIFY(changed);
        QCOMPARE(columnsOf(db, QStringLiteral("BMK_Icd10")),
                 QStringList({QStringLiteral("RecordSN"), QStringLiteral("BM"), QStringLiteral("MC"), QStringLiteral("PY")}));
        QVERIFY(Schema::ensureIcd10(db, &error, &changed));
        QVERIFY(!changed);
    }

    // text(n) counts characters, and both databases refuse one more.
    void textLimits_data()
    {
        QTest::addColumn<Dialect>("dialect");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        const QString ten = QStringLiteral("0123456789");
        const QString tenHan = QStringLiteral("张王李赵刘陈杨黄周吴");
        for (Dialect d : {Dialect::SQLite, Dialect::PostgreSQL}) {
            const char *n = d == Dialect::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s: 10 ascii", n) << d << "GLOBAL_UserLib" << "UserName" << ten << true;
            QTest::addRow("%s: 11 ascii", n) << d << "GLOBAL_UserLib" << "UserName" << ten + QLatin1Char('x') << false;
            QTest::addRow("%s: 10 chinese", n) << d << "GLOBAL_UserLib" << "UserName" << tenHan << true;
            QTest::addRow("%s: 11 chinese", n) << d << "GLOBAL_UserLib" << "UserName" << tenHan + QStringLiteral("郑") << false;
            QTest::addRow("%s: fixed 21", n) << d << "GLOBAL_SectionLib" << "SectionName" << QString(21, QLatin1Char('a')) << true;
            QTest::addRow("%s: fixed 22", n) << d << "GLOBAL_SectionLib" << "SectionName" << QString(22, QLatin1Char('a')) << false;
            QTest::addRow("%s: memo 100k", n) << d << "ZYBL_BCJLLibrary" << "Content" << QString(100000, QChar(0x75C5)) << true;
        }
    }
    void textLimits()
    {
        ZYBL_FETCH_DIALECT(dialect);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        QCOMPARE(insertText(db, table, column, value), accepted);
    }

    void starterRowsAndKeys_data() { TestDb::addDialectRows(); }
    void starterRowsAndKeys()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));

        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT * FROM \"ZYBL_NextSNTable\"")));
        QVERIFY(q.next());
        for (int i = 0; i < q.record().count(); ++i)
            QCOMPARE(q.value(i).toInt(), 0);
        QVERIFY(!q.next());

        QVERIFY(q.exec(QStringLiteral("SELECT \"RecordSN\", \"Name\" FROM \"ZYBL_Fee1LevelLibrary\" ORDER BY \"RecordSN\"")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 3);
        QCOMPARE(q.value(1).toString(), QStringLiteral("中药费"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 9);
        QCOMPARE(q.value(1).toString(), QStringLiteral("西药费"));
        QVERIFY(!q.next());

        // Nothing else: no operator, no department, no case.
        for (const char *table : {"GLOBAL_UserLib", "GLOBAL_SectionLib", "ZYBL_CaseLibrary", "ZYBL_Fee2LevelLibrary"}) {
            QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM ") + Db::quoted(QString::fromLatin1(table))));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }

        // A new category never takes a reserved key.
        QVERIFY(insertText(db, QStringLiteral("ZYBL_Fee1LevelLibrary"), QStringLiteral("Name"), QStringLiteral("检查费")));
        QVERIFY(q.exec(QStringLiteral("SELECT max(\"RecordSN\") FROM \"ZYBL_Fee1LevelLibrary\"")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 10);

        // Keys drawn from the serial table are unique; so is the case number text.
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\") VALUES (1, '1')")));
        QVERIFY(!q.exec(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\") VALUES (1, '2')")));
        QVERIFY(!q.exec(QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\") VALUES (2, '1')")));
        QCOMPARE(Schema::maxLength(QStringLiteral("GLOBAL_UserLib"), QStringLiteral("UserName")), 10);
        QCOMPARE(Schema::maxLength(QStringLiteral("ZYBL_BCJLLibrary"), QStringLiteral("Content")), 0);
        // Word and int16 columns hold their ranges on both databases.
        QVERIFY(q.exec(QStringLiteral("INSERT INTO \"ZYBL_RecipeItem\" (\"Count\", \"GroupFlag\") VALUES (65535, -32768)")));
        QVERIFY(!q.exec(QStringLiteral("INSERT INTO \"ZYBL_RecipeItem\" (\"Count\") VALUES (65536)")));
        QVERIFY(!q.exec(QStringLiteral("INSERT INTO \"ZYBL_RecipeItem\" (\"GroupFlag\") VALUES (32768)")));
    }

    void dateTimesRoundTrip_data() { TestDb::addDialectRows(); }
    void dateTimesRoundTrip()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));

        const QDateTime stamps[] = {
            QDateTime(QDate(2003, 3, 20), QTime(23, 59, 59, 999)),
            QDateTime(QDate(1899, 12, 30), QTime(0, 0)),
            QDateTime(QDate(2026, 12, 11), QTime(8, 5, 3, 7)),
        };
        QSqlQuery q(db);
        for (const QDateTime &stamp : stamps) {
            q.prepare(QStringLiteral("INSERT INTO \"ZYBL_PatientPayFeeLibrary\" (\"CaseSN\", \"DateTime\") VALUES (7, :SQLTime)"));
            q.bindValue(QStringLiteral(":SQLTime"), Db::toDb(stamp));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        // Ordering and range filters work on the stored values.
        q.prepare(QStringLiteral("SELECT \"DateTime\" FROM \"ZYBL_PatientPayFeeLibrary\" "
                                 "WHERE \"DateTime\" BETWEEN :SQLFrom AND :SQLTo ORDER BY \"DateTime\""));
        q.bindValue(QStringLiteral(":SQLFrom"), Db::toDb(QDateTime(QDate(2003, 3, 20), QTime(0, 0))));
        q.bindValue(QStringLiteral(":SQLTo"), Db::toDb(QDateTime(QDate(2026, 12, 11), QTime(23, 59, 59, 999))));
        QVERIFY(q.exec());
        QVERIFY(q.next());
        QCOMPARE(Db::dateTimeFromDb(q.value(0)), stamps[0]);
        QVERIFY(q.next());
        QCOMPARE(Db::dateTimeFromDb(q.value(0)), stamps[2]);
        QVERIFY(!q.next());
    }

    void likePatternsMatchLiterally_data() { TestDb::addDialectRows(); }
    void likePatternsMatchLiterally()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        for (const char *name : {"50%off", "500ff", "a_b", "axb", "Zhang", "张三"})
            QVERIFY(insertText(db, QStringLiteral("ZYBL_CFYZTemplate"), QStringLiteral("Name"), QString::fromUtf8(name)));
        auto count = [&](const QString &text) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT count(*) FROM \"ZYBL_CFYZTemplate\" WHERE ")
                      + Db::likeClause(dialect, QStringLiteral("Name"), QStringLiteral(":SQLPattern"), text));
            q.bindValue(QStringLiteral(":SQLPattern"), Db::containsPattern(text));
            return q.exec() && q.next() ? q.value(0).toInt() : -1;
        };
        QCOMPARE(count(QStringLiteral("%")), 1);
        QCOMPARE(count(QStringLiteral("_")), 1);
        QCOMPARE(count(QStringLiteral("zhang")), 1); // letters match either case
        QCOMPARE(count(QStringLiteral("'")), 0);
        QCOMPARE(count(QStringLiteral("50")), 2); // no letters: the plain LIKE
        QCOMPARE(count(QStringLiteral("张")), 1);
    }

    // A version 1 database (passwords of at most 10 characters) is upgraded in
    // place: the column takes a password hash and every row stays.
    void upgradesFromVersion1_data() { TestDb::addDialectRows(); }
    void upgradesFromVersion1()
    {
        ZYBL_FETCH_DIALECT(dialect);
        TestDb::Scratch scratch(dialect);
        QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
        QSqlDatabase db = scratch.connection();
        QString error;
        QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
        // Make it what version 1 created.
        if (dialect == Dialect::PostgreSQL) {
            QVERIFY(Db::exec(db, QStringLiteral("ALTER TABLE \"GLOBAL_UserLib\" ALTER COLUMN \"Password\" TYPE VARCHAR(10)"), &error));
        } else {
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'GLOBAL_UserLib'")) && q.next());
            QString ddl = q.value(0).toString();
            q.finish();
            ddl.replace(QStringLiteral("length(\"Password\") <= 128"), QStringLiteral("length(\"Password\") <= 10"));
            QVERIFY(Db::exec(db, QStringLiteral("DROP TABLE \"GLOBAL_UserLib\""), &error));
            QVERIFY(Db::exec(db, ddl, &error));
            QVERIFY(Db::exec(db, QStringLiteral("CREATE INDEX \"IX_GLOBAL_UserLib_UserName\" ON \"GLOBAL_UserLib\" (\"UserName\")"), &error));
        }
        // Nor had it the case list's covering indexes.
        const QStringList covering = caseListIndexes(db);
        QCOMPARE(covering.size(), 2);
        for (const QString &index : covering)
            QVERIFY(Db::exec(db, QStringLiteral("DROP INDEX \"%1\"").arg(index), &error));
        QVERIFY(Db::exec(db, QStringLiteral("UPDATE \"ZYBL_SchemaVersion\" SET \"Version\" = 1"), &error));
        QVERIFY(Db::exec(db, QStringLiteral("INSERT INTO \"GLOBAL_UserLib\" (\"UserName\", \"Password\", \"GroupSN\") "
                                            "VALUES ('王医生', '1234567890', 8)"), &error));
        QVERIFY(!insertText(db, QStringLiteral("GLOBAL_UserLib"), QStringLiteral("Password"), QString(11, QLatin1Char('p'))));

        bool changed = false;
        QVERIFY2(Schema::ensureMain(db, &error, &changed), qPrintable(error));
        QVERIFY(changed);
        QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());
        QCOMPARE(caseListIndexes(db), covering);
        QVERIFY(insertText(db, QStringLiteral("GLOBAL_UserLib"), QStringLiteral("Password"), QString(128, QLatin1Char('p'))));
        QVERIFY(!insertText(db, QStringLiteral("GLOBAL_UserLib"), QStringLiteral("Password"), QString(129, QLatin1Char('p'))));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT \"RecordSN\", \"UserName\", \"Password\", \"GroupSN\" FROM \"GLOBAL_UserLib\" ORDER BY \"RecordSN\"")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), QStringLiteral("王医生"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("1234567890"));
        QCOMPARE(q.value(3).toInt(), 8);
        QCOMPARE(columnsOf(db, QStringLiteral("GLOBAL_UserLib")).size(), 15);
        // New rows keep taking fresh keys.
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2);
    }

    void refusesForeignOrNewerSchemas_data() { TestDb::addDialectRows(); }
    void refusesForeignOrNewerSchemas()
    {
        ZYBL_FETCH_DIALECT(dialect);
        {
            TestDb::Scratch scratch(dialect);
            QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
            QSqlDatabase db = scratch.connection();
            QString error;
            QVERIFY2(Schema::ensureMain(db, &error), qPrintable(error));
            QVERIFY(Db::exec(db, QStringLiteral("UPDATE \"ZYBL_SchemaVersion\" SET \"Version\" = 99"), &error));
            QVERIFY(!Schema::ensureMain(db, &error));
            QVERIFY2(error.contains(QStringLiteral("99")), qPrintable(error));
        }
        {
            TestDb::Scratch scratch(dialect);
            QVERIFY2(scratch.ok(), qPrintable(scratch.error()));
            QSqlDatabase db = scratch.connection();
            QString error;
            QVERIFY(Db::exec(db, QStringLiteral("CREATE TABLE \"ZYBL_CaseLibrary\" (\"PatientID\" VARCHAR(10))"), &error));
            QVERIFY(!Schema::ensureMain(db, &error));
            // All or nothing: the failed attempt created no table.
            QVERIFY(!Schema::tableExists(db, QStringLiteral("GLOBAL_UserLib")));
            QVERIFY(!Schema::tableExists(db, QStringLiteral("ZYBL_SchemaVersion")));
        }
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
