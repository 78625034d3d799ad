#include "core/schema.h"

#include "core/database.h"
#include "core/shareddefs.h"

#include <QCryptographicHash>
#include <QSqlQuery>

namespace Schema {

namespace {

using T = Type;

// Version 1: the tables as the system first shipped them.
// Version 2: GLOBAL_UserLib.Password holds a password hash (128 characters).
// Version 3: two covering indexes on the case table for the case list.
constexpr int kCurrentVersion = 3;
const char *const kVersionTable = "ZYBL_SchemaVersion";

// The case list walks these in its order (a department's cases, or everyone's)
// and tests every quick-search column inside the index, so a search reads
// table rows only for the cases it shows, whatever the table's size.
const std::vector<const char *> kCaseListIndex = {"SectionSN", "PinYinName", "PatientName", "CaseSN", "HasOuted",
                                                  "WuBi", "PatientID", "MainDiagnose"};
const std::vector<const char *> kCaseSearchIndex = {"PinYinName", "PatientName", "CaseSN", "SectionSN", "HasOuted",
                                                    "WuBi", "PatientID", "MainDiagnose"};

std::vector<Table> buildMainTables()
{
    std::vector<Table> t;

    // Cases and case pages
    t.push_back({"ZYBL_CaseLibrary", "CaseSN", {
        {"PatientID", T::Text, 10}, {"PatientName", T::Text, 10}, {"PatientSex", T::Text, 3},
        {"Address", T::Text, 50}, {"CaseData", T::Blob}, {"CaseSN", T::Int32},
        {"IsLocked", T::Word}, {"LockOwnerSN", T::Int32}, {"PatientImage", T::Blob},
        {"PinYinName", T::Text, 10}, {"LastAccessDate", T::DateTime}, {"P1", T::Blob}, {"P2", T::Blob},
        {"Birthday", T::DateTime}, {"WuBi", T::Text, 10}, {"MainDiagnose", T::Text, 250},
        {"MainDiagnoseICD10", T::Text, 50}, {"PersonalCaree", T::Text, 250}, {"FamilyCaree", T::Text, 250},
        {"SmokeCount", T::Int32}, {"DrinkCount", T::Int32}, {"SmokeKeepMonth", T::Int32},
        {"DrinkKeepMonth", T::Int32}, {"Diploma", T::Int32}, {"MarryFlag", T::Int32},
        {"NativePlace", T::Text, 50}, {"Occupation", T::Text, 50}, {"WorkUnit", T::Text, 250},
        {"WokrUnitTel", T::Text, 50}, {"ContactTel", T::Text, 50}, {"Identity", T::Text, 20},
        {"PostZip", T::Text, 10}, {"ContactPerson", T::Text, 50}, {"ContactPersonRelation", T::Text, 50},
        {"ContactPersonAddress", T::Text, 250}, {"ContactPersonTel", T::Text, 50},
        {"OlderSickness", T::Text, 250}, {"HypersenceDrug", T::Text, 250}, {"ABOBloodType", T::Int32},
        {"RHBloodType", T::Int32}, {"CustomCoding", T::Text, 50}, {"National", T::Text, 50},
        {"Country", T::Text, 50}, {"MemberShip", T::Int32}, {"OutHospitalDate", T::DateTime},
        {"SectionSN", T::Int32}, {"OwnDoctorSN", T::Int32}, {"OwnNurseSN", T::Int32}, {"BedNoSN", T::Int32},
        {"InHospitalDate", T::DateTime}, {"HasOuted", T::YesNo}, {"IntroduceDoctorSN", T::Int32},
        {"PayFeeType", T::Int32}, {"PayFeeTotal", T::Double}, {"UsedFeeTotal", T::Double},
    }, {{"PatientName"}, {"PinYinName"}, {"WuBi"}, {"SectionSN", "HasOuted"}, {"HasOuted"},
        {"LockOwnerSN"}, {"BedNoSN"}, {"OwnDoctorSN"}, {"InHospitalDate"}, {"OutHospitalDate"},
        kCaseListIndex, kCaseSearchIndex},
       {"PatientID"}});

    t.push_back({"ZYBL_BCJLLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"CaseSN", T::Int32}, {"Title", T::Text, 50}, {"Content", T::Memo},
        {"DateTime", T::DateTime}, {"HasCheckPointed", T::YesNo}, {"UpperWriterSN", T::Int32},
        {"LowerWriterSN", T::Int32},
    }, {{"CaseSN", "DateTime"}}, {}});

    t.push_back({"ZYBL_JKJCLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"PatientID", T::Int32}, {"PatientName", T::Text, 10},
        {"ItemType", T::Int32}, {"IValue1", T::Int32}, {"IValue2", T::Int32}, {"IValue3", T::Int32},
        {"FValue1", T::Double}, {"FValue2", T::Double}, {"FValue3", T::Double}, {"TestTime", T::DateTime},
        {"OperatorSN", T::Int32}, {"OperatorName", T::Text, 50}, {"Comment", T::Text, 250},
    }, {{"PatientID", "ItemType", "TestTime"}}, {}});

    t.push_back({"ZYBL_FZJCLibrary", "RecordSN", {
        {"RecordSN", T::Int32}, {"CaseSN", T::Int32}, {"MZJLSN", T::Int32}, {"NoteID", T::Text, 20},
        {"DateTime", T::DateTime}, {"ReportWorker", T::Text, 10}, {"Result", T::Text, 250},
        {"Memo", T::Text, 250}, {"Content", T::Blob},
    }, {{"CaseSN"}}, {}});

    t.push_back({"ZYBL_LCZDLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"CaseSN", T::Int32}, {"ZDName", T::Text, 250}, {"ICD_10", T::Text, 50},
        {"ZDDate", T::DateTime}, {"Memo", T::Text, 250},
    }, {{"CaseSN"}}, {}});

    t.push_back({"ZYBL_MedicalNote", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"CaseSN", T::Int32}, {"Title", T::Text, 250}, {"Date", T::DateTime},
        {"DoctorName", T::Text, 50}, {"PatientName", T::Text, 50}, {"Sex", T::Text, 50}, {"Age", T::Text, 50},
        {"GZDW", T::Text, 250}, {"XZZ", T::Text, 250}, {"ZJLB", T::Text, 50}, {"ZJHM", T::Text, 250},
        {"JBZD", T::Text, 250}, {"YHGJ", T::Text, 250}, {"YSJY", T::Text, 250}, {"JGMC", T::Text, 250},
    }, {{"CaseSN"}, {"Date"}}, {}});

    // Prescriptions
    t.push_back({"ZYBL_RecipeLibrary", "RecordSN", {
        {"RecordSN", T::Int32}, {"PatientID", T::Int32}, {"PatientName", T::Text, 50}, {"DoctorSN", T::Int32},
        {"DoctorName", T::Text, 50}, {"Date", T::DateTime}, {"Inhibit", T::Text, 250}, {"TypeFlag", T::Int32},
        {"Count", T::Word}, {"HasExecuted", T::YesNo},
    }, {{"PatientID", "Date"}, {"DoctorSN", "Date"}, {"Date"}}, {}});

    t.push_back({"ZYBL_RecipeItem", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"RecipeSN", T::Int32}, {"DrugSN", T::Int32}, {"DrugName", T::Text, 50},
        {"GG", T::Text, 50}, {"DW", T::Text, 50}, {"Count", T::Word}, {"Price", T::Double},
        {"Usuage", T::Text, 250}, {"GroupFlag", T::Int16},
    }, {{"RecipeSN"}, {"DrugSN"}}, {}});

    t.push_back({"ZYBL_FavoriteRecipe", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"Name", T::Text, 10}, {"RecipeSN", T::Int32}, {"OwnerDoctorSN", T::Int32},
        {"ShareFlag", T::Int32}, {"Comment", T::Text, 250}, {"GroupSN", T::Int32},
    }, {{"OwnerDoctorSN"}, {"GroupSN"}, {"RecipeSN"}}, {}});

    t.push_back({"ZYBL_FavoriteRecipeGroup", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"OwnerDoctorSN", T::Int32}, {"Name", T::Text, 50}, {"GroupFlag", T::Int32},
        {"FatherGroupSN", T::Int32},
    }, {{"OwnerDoctorSN"}, {"FatherGroupSN"}}, {}});

    t.push_back({"ZYBL_CFYZTemplate", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"Name", T::Text, 50}, {"Usuage", T::Text, 200}, {"Inhibit", T::Text, 200},
    }, {{"Name"}}, {}});

    // Drug, herb and formula libraries
    t.push_back({"RECIPE_YP_DrugLibrary", "DrugSN", {
        {"DrugSN", T::Int32}, {"DrugName", T::Text, 50}, {"PinYin", T::Text, 5}, {"WuBi", T::Text, 10},
        {"Latin", T::Text, 50}, {"GG", T::Text, 50}, {"DW", T::Text, 20}, {"UnitPrice", T::Double},
        {"Usuage", T::Memo}, {"Inhibit", T::Memo}, {"BookMark", T::Memo}, {"Memo", T::Memo},
    }, {{"PinYin"}, {"WuBi"}, {"DrugName"}}, {}});

    t.push_back({"RECIPE_YP_ZYLibrary", "DrugSN", {
        {"DrugSN", T::Int32}, {"MC", T::Text, 50}, {"PY", T::Text, 10}, {"WuBi", T::Text, 10}, {"DJ", T::Double},
        {"DW", T::Text, 50}, {"GG", T::Text, 50}, {"TypeSN", T::Int32}, {"TypeName", T::Text, 50},
        {"QTMC", T::Text, 250}, {"XWGJ", T::Text, 250}, {"ZYCD", T::Text, 50}, {"GX", T::Memo},
        {"XYSYZ", T::Memo}, {"YF", T::Memo}, {"ZYSX", T::Memo}, {"BookMark", T::Memo}, {"CKSM", T::Memo},
    }, {{"PY"}, {"WuBi"}, {"MC"}, {"TypeSN"}}, {}});

    t.push_back({"RECIPE_YP_ZYTypeLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"Name", T::Text, 50}, {"Memo", T::Text, 250},
    }, {}, {}});

    t.push_back({"RECIPE_YP_FJLibrary", "RecordSN", {
        {"RecordSN", T::Int32}, {"MC", T::Text, 50}, {"PY", T::Text, 10}, {"WuBi", T::Text, 10},
        {"GY", T::Memo}, {"GX", T::Memo}, {"XYSYZ", T::Memo}, {"YF", T::Memo}, {"ZYSX", T::Memo},
        {"BookMark", T::Memo}, {"CKSM", T::Memo},
    }, {{"PY"}, {"WuBi"}, {"MC"}}, {}});

    t.push_back({"RECIPE_YP_FJZCItemLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"FJSN", T::Int32}, {"ZYSN", T::Int32}, {"ZYName", T::Text, 50},
        {"ZYValue", T::Int32}, {"ZYUnit", T::Text, 10},
    }, {{"FJSN"}, {"ZYSN"}}, {}});

    // Diagnosis knowledge
    t.push_back({"ZYBL_ZD_ZYDesease", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"Name", T::Text, 250}, {"PinYin", T::Text, 50}, {"Reason", T::Blob},
        {"Memo", T::Text, 250},
    }, {{"PinYin"}, {"Name"}}, {}});

    t.push_back({"ZYBL_ZD_ZYBZSZ", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"DeseaseSN", T::Int32}, {"Name", T::Text, 250}, {"ZH", T::Text, 250},
        {"ZF", T::Text, 250}, {"FJ", T::Text, 250}, {"FJSN", T::Int32}, {"JJYY", T::Text, 250},
        {"FX", T::Text, 250},
    }, {{"DeseaseSN"}, {"FJSN"}}, {}});

    t.push_back({"ZYBL_ZD_XYDesease", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"MC", T::Text, 50}, {"PY", T::Text, 50}, {"BYBJ", T::Memo},
        {"LCBX", T::Memo}, {"ZDBZ", T::Memo}, {"ZLFA", T::Memo}, {"BookMark", T::Memo}, {"CKSM", T::Memo},
    }, {{"PY"}, {"MC"}}, {}});

    // Ward and fees
    t.push_back({"ZYBL_WardBedLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"SectionSN", T::Int32}, {"WardName", T::Text, 50}, {"BedName", T::Text, 50},
        {"Memo", T::Text, 250},
    }, {{"SectionSN"}}, {}});

    t.push_back({"ZYBL_Fee1LevelLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"Name", T::Text, 50}, {"PinYin", T::Text, 5},
    }, {}, {}});

    t.push_back({"ZYBL_Fee2LevelLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"To1LibSN", T::Int32}, {"Name", T::Text, 50}, {"PinYin", T::Text, 5},
        {"Unit", T::Text, 50}, {"Fee", T::Double}, {"InsureLevel", T::Int32},
    }, {{"To1LibSN"}, {"PinYin"}}, {}});

    t.push_back({"ZYBL_FeeMemo", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"BatchSN", T::Int32}, {"CaseSN", T::Int32}, {"Fee1SN", T::Int32},
        {"Fee2SN", T::Int32}, {"FeeTypeFlag", T::Int32}, {"DJ", T::Double}, {"SL", T::Double}, {"HJ", T::Double},
        {"FeeUnit", T::Text, 50}, {"DateTime", T::DateTime}, {"SectionSN", T::Int32}, {"OwnDoctorSN", T::Int32},
        {"UserSN", T::Int32},
    }, {{"CaseSN", "DateTime"}, {"BatchSN"}, {"DateTime"}, {"Fee2SN"}}, {}});

    t.push_back({"ZYBL_PatientPayFeeLibrary", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"CaseSN", T::Int32}, {"UserSN", T::Int32}, {"Fee", T::Double},
        {"Memo", T::Text, 250}, {"DateTime", T::DateTime},
    }, {{"CaseSN", "DateTime"}, {"DateTime"}}, {}});

    // System tables
    t.push_back({"ZYBL_NextSNTable", nullptr, {
        {"CaseSN", T::Int32}, {"DrugSN", T::Int32}, {"ZYDrugSN", T::Int32}, {"FJSN", T::Int32},
        {"RecipeSN", T::Int32}, {"MZJLSN", T::Int32}, {"CheckNotesSN", T::Int32}, {"FZJCSN", T::Int32},
        {"FeeInputBatchSN", T::Int32},
    }, {}, {}});

    t.push_back({"GLOBAL_UserLib", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"UserName", T::Text, 10}, {"Password", T::Text, 128}, {"Property", T::Int32},
        {"UserPicture", T::Blob}, {"SectionSN", T::Int32}, {"GroupSN", T::Int32}, {"UserTypeID", T::Int32},
        {"UserClassName", T::Text, 50}, {"UserClassID", T::Int32}, {"Sex", T::Int32}, {"BirthDay", T::DateTime},
        {"Address", T::Text, 250}, {"MobilPhone", T::Text, 50}, {"TelePhone", T::Text, 50},
    }, {{"UserName"}, {"SectionSN"}, {"GroupSN"}}, {}});

    t.push_back({"GLOBAL_SectionLib", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"SectionName", T::FixedText, 21}, {"SectionAddress", T::Text, 250},
        {"SectionFlag", T::Int32}, {"SectionType", T::Int32},
    }, {}, {}});

    t.push_back({"GLOBAL_UserLoginoutLib", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"UserName", T::Text, 10}, {"UserSN", T::Int32}, {"LoginoutRights", T::Int32},
        {"LoginoutTime", T::DateTime}, {"LoginoutStationName", T::Text, 50}, {"LoginoutStationIP", T::Text, 50},
        {"LoginoutFlag", T::Int32}, {"ModuleSN", T::Int32}, {"SubModuleSN", T::Int32},
    }, {{"LoginoutTime"}, {"UserSN"}}, {}});

    t.push_back({"GLOBAL_UserWokeNote", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"OwnerSN", T::Int32}, {"OwnerName", T::Text, 10}, {"Title", T::Text, 250},
        {"Content", T::Blob}, {"DateTime", T::DateTime}, {"HasShared", T::YesNo},
    }, {{"OwnerSN"}, {"HasShared"}}, {}});

    t.push_back({"GLOBAL_UserSMS", "RecordSN", {
        {"RecordSN", T::AutoKey}, {"SenderSN", T::Int32}, {"ReceiverSN", T::Int32}, {"SenderName", T::Text, 50},
        {"ReceiverName", T::Text, 50}, {"Title", T::Text, 250}, {"Content", T::Memo}, {"DateTime", T::DateTime},
        {"HasRead", T::YesNo},
    }, {{"ReceiverSN", "HasRead"}, {"SenderSN"}}, {}});

    return t;
}

QString columnType(const Column &c, Dialect d, bool isKey)
{
    const bool pg = d == Dialect::PostgreSQL;
    const QString name = Db::quoted(QString::fromLatin1(c.name));
    switch (c.type) {
    case T::Text:
    case T::FixedText:
        return pg ? QStringLiteral("VARCHAR(%1)").arg(c.size)
                  : QStringLiteral("TEXT CHECK(length(%1) <= %2)").arg(name).arg(c.size);
    case T::Int32:
        return isKey ? QStringLiteral("INTEGER PRIMARY KEY") : QStringLiteral("INTEGER");
    case T::Int16:
        return pg ? QStringLiteral("SMALLINT") : QStringLiteral("INTEGER CHECK(%1 BETWEEN -32768 AND 32767)").arg(name);
    case T::Word:
        return QStringLiteral("INTEGER DEFAULT 0 CHECK(%1 BETWEEN 0 AND 65535)").arg(name);
    case T::Double:
        return pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    case T::YesNo:
        return pg ? QStringLiteral("SMALLINT DEFAULT 0") : QStringLiteral("INTEGER DEFAULT 0");
    case T::DateTime:
        return pg ? QStringLiteral("TIMESTAMP(3)") : QStringLiteral("TEXT");
    case T::Memo:
        return QStringLiteral("TEXT");
    case T::Blob:
        return pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    case T::AutoKey:
        return pg ? QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                  : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    return QString();
}

QString indexName(const char *table, const std::vector<const char *> &columns, bool unique)
{
    QString name = QString::fromLatin1(unique ? "UX_" : "IX_") + QString::fromLatin1(table);
    for (const char *c : columns)
        name += QLatin1Char('_') + QString::fromLatin1(c);
    // PostgreSQL cuts names at 63 bytes; keep long ones distinct within that.
    if (name.size() > 63) {
        const QByteArray hash = QCryptographicHash::hash(name.toLatin1(), QCryptographicHash::Sha1).toHex().left(8);
        name = name.left(54) + QLatin1Char('_') + QString::fromLatin1(hash);
    }
    return name;
}

QString indexStatement(const char *table, const std::vector<const char *> &columns, bool unique)
{
    QStringList cols;
    for (const char *c : columns)
        cols << Db::quoted(QString::fromLatin1(c));
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(),
             Db::quoted(indexName(table, columns, unique)),
             Db::quoted(QString::fromLatin1(table)), cols.join(QStringLiteral(", ")));
}

bool run(const QSqlDatabase &db, const QString &sql, QString *error)
{
    QString why;
    if (Db::exec(db, sql, &why))
        return true;
    if (error)
        *error = why + QStringLiteral(" [") + sql.left(120) + QStringLiteral("]");
    return false;
}

bool insertStarterRows(const QSqlDatabase &db, QString *error)
{
    const Dialect d = Db::dialectOf(db);
    if (!run(db, QStringLiteral("INSERT INTO \"ZYBL_NextSNTable\" (\"CaseSN\", \"DrugSN\", \"ZYDrugSN\", \"FJSN\", "
                                "\"RecipeSN\", \"MZJLSN\", \"CheckNotesSN\", \"FZJCSN\", \"FeeInputBatchSN\") "
                                "VALUES (0, 0, 0, 0, 0, 0, 0, 0, 0)"), error))
        return false;
    struct Category { int key; const char *name; const char *pinyin; };
    const Category reserved[] = {{kFeeCategoryHerbal, "中药费", "ZYF"}, {kFeeCategoryWestern, "西药费", "XYF"}};
    for (const Category &c : reserved) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"ZYBL_Fee1LevelLibrary\" (\"RecordSN\", \"Name\", \"PinYin\") "
                                 "VALUES (:SQLKey, :SQLName, :SQLPinYin)"));
        q.bindValue(QStringLiteral(":SQLKey"), c.key);
        q.bindValue(QStringLiteral(":SQLName"), QString::fromUtf8(c.name));
        q.bindValue(QStringLiteral(":SQLPinYin"), QString::fromLatin1(c.pinyin));
        if (!Db::exec(q, error))
            return false;
    }
    // Explicit keys do not move PostgreSQL's identity; new categories must not collide.
    if (d == Dialect::PostgreSQL
        && !run(db, QStringLiteral("SELECT setval(pg_get_serial_sequence('\"ZYBL_Fee1LevelLibrary\"', 'RecordSN'), "
                                   "(SELECT max(\"RecordSN\") FROM \"ZYBL_Fee1LevelLibrary\"))"), error))
        return false;
    return true;
}

bool createTable(const QSqlDatabase &db, const Table &table, QString *error);

const Table &tableNamed(const char *name)
{
    for (const Table &t : mainTables()) {
        if (qstrcmp(t.name, name) == 0)
            return t;
    }
    Q_UNREACHABLE();
}

// SQLite cannot change a column's CHECK in place: build the table anew from
// its current definition and move the rows over.
bool rebuildSqliteTable(const QSqlDatabase &db, const Table &table, QString *error)
{
    const QString name = QString::fromLatin1(table.name);
    const QString old = name + QStringLiteral("_old");
    QStringList columns;
    for (const Column &c : table.columns)
        columns << Db::quoted(QString::fromLatin1(c.name));
    const QString list = columns.join(QStringLiteral(", "));
    if (!run(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Db::quoted(name), Db::quoted(old)), error))
        return false;
    // The renamed table keeps its indexes under their names; drop them first.
    QSqlQuery indexes(db);
    indexes.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = :SQLTable "
                                   "AND sql IS NOT NULL"));
    indexes.bindValue(QStringLiteral(":SQLTable"), old);
    if (!Db::exec(indexes, error))
        return false;
    QStringList names;
    while (indexes.next())
        names << indexes.value(0).toString();
    indexes.finish();
    for (const QString &index : std::as_const(names)) {
        if (!run(db, QStringLiteral("DROP INDEX %1").arg(Db::quoted(index)), error))
            return false;
    }
    return createTable(db, table, error)
           && run(db, QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(Db::quoted(name), list, Db::quoted(old)), error)
           && run(db, QStringLiteral("DROP TABLE %1").arg(Db::quoted(old)), error);
}

bool widenPassword(const QSqlDatabase &db, QString *error)
{
    if (Db::dialectOf(db) == Dialect::PostgreSQL)
        return run(db, QStringLiteral("ALTER TABLE \"GLOBAL_UserLib\" ALTER COLUMN \"Password\" TYPE VARCHAR(128)"), error);
    return rebuildSqliteTable(db, tableNamed("GLOBAL_UserLib"), error);
}

bool addCaseListIndexes(const QSqlDatabase &db, QString *error)
{
    return run(db, indexStatement("ZYBL_CaseLibrary", kCaseListIndex, false), error)
           && run(db, indexStatement("ZYBL_CaseLibrary", kCaseSearchIndex, false), error);
}

// Forward-only upgrades: kUpgrades[i] takes a database from version i + 1 to i + 2.
using Upgrade = bool (*)(const QSqlDatabase &, QString *);
const std::vector<Upgrade> kUpgrades = {widenPassword, addCaseListIndexes};

bool lockForSchema(QSqlDatabase &db, QString *error)
{
    if (!Db::beginWrite(db, error))
        return false;
    // Several workstations may start on a new server at once: one creates, the others wait.
    if (Db::dialectOf(db) == Dialect::PostgreSQL
        && !run(db, QStringLiteral("SELECT pg_advisory_xact_lock(80080801)"), error)) {
        Db::rollback(db);
        return false;
    }
    return true;
}

bool createTable(const QSqlDatabase &db, const Table &table, QString *error)
{
    for (const QString &sql : createStatements(table, Db::dialectOf(db))) {
        if (!run(db, sql, error))
            return false;
    }
    return true;
}

} // namespace

int currentVersion()
{
    return kCurrentVersion;
}

const std::vector<Table> &mainTables()
{
    static const std::vector<Table> tables = buildMainTables();
    return tables;
}

const Table &icd10Table()
{
    static const Table table{"BMK_Icd10", "RecordSN", {
        {"RecordSN", T::Int32}, {"BM", T::Text, 10}, {"MC", T::Text, 90}, {"PY", T::Text, 45},
    }, {{"PY"}, {"BM"}}, {}};
    return table;
}

const Table *findTable(const QString &name)
{
    for (const Table &t : mainTables()) {
        if (name == QLatin1String(t.name))
            return &t;
    }
    if (name == QLatin1String(icd10Table().name))
        return &icd10Table();
    return nullptr;
}

int maxLength(const QString &table, const QString &column)
{
    const Table *t = findTable(table);
    if (!t)
        return 0;
    for (const Column &c : t->columns) {
        if (column == QLatin1String(c.name))
            return (c.type == T::Text || c.type == T::FixedText) ? c.size : 0;
    }
    return 0;
}

QStringList createStatements(const Table &table, Dialect dialect)
{
    QStringList columns;
    for (const Column &c : table.columns) {
        const bool isKey = table.key && qstrcmp(table.key, c.name) == 0;
        columns << Db::quoted(QString::fromLatin1(c.name)) + QLatin1Char(' ') + columnType(c, dialect, isKey);
    }
    QStringList statements;
    statements << QStringLiteral("CREATE TABLE %1 (\n  %2\n)")
                      .arg(Db::quoted(QString::fromLatin1(table.name)), columns.join(QStringLiteral(",\n  ")));
    for (const char *u : table.unique)
        statements << indexStatement(table.name, {u}, true);
    for (const auto &index : table.indexes)
        statements << indexStatement(table.name, index, false);
    return statements;
}

bool tableExists(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q(db);
    if (Db::dialectOf(db) == Dialect::PostgreSQL)
        q.prepare(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
                                 "AND table_name = :SQLName"));
    else
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :SQLName"));
    q.bindValue(QStringLiteral(":SQLName"), table);
    return q.exec() && q.next();
}

int storedVersion(const QSqlDatabase &db)
{
    if (!tableExists(db, QString::fromLatin1(kVersionTable)))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT max(\"Version\") FROM \"ZYBL_SchemaVersion\"")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool ensureMain(QSqlDatabase &db, QString *error, bool *changed)
{
    if (changed)
        *changed = false;
    // Cheap check first, without taking the write lock, for the common case.
    const int before = storedVersion(db);
    if (before == kCurrentVersion)
        return true;

    if (!lockForSchema(db, error))
        return false;
    bool wrote = false;
    const bool ok = [&] {
        int version = storedVersion(db);
        if (version < 0) {
            if (error)
                *error = QStringLiteral("无法读取数据库的结构版本");
            return false;
        }
        if (version == kCurrentVersion) // another workstation came first
            return true;
        if (version > kCurrentVersion) {
            if (error)
                *error = QStringLiteral("数据库的结构版本 %1 比本程序 (版本 %2) 新, 请升级本程序。")
                             .arg(version).arg(kCurrentVersion);
            return false;
        }
        if (version == 0) {
            if (tableExists(db, QStringLiteral("ZYBL_CaseLibrary"))) {
                if (error)
                    *error = QStringLiteral("数据库中已有病案表, 却没有本系统的结构版本记录; 它不是本系统建立的数据库。");
                return false;
            }
            for (const Table &table : mainTables()) {
                if (!createTable(db, table, error))
                    return false;
            }
            if (!run(db, QStringLiteral("CREATE TABLE \"ZYBL_SchemaVersion\" (\"Version\" INTEGER NOT NULL)"), error)
                || !insertStarterRows(db, error))
                return false;
            wrote = true;
        } else {
            for (int v = version; v < kCurrentVersion; ++v) {
                if (!kUpgrades[size_t(v - 1)](db, error))
                    return false;
            }
            if (!run(db, QStringLiteral("DELETE FROM \"ZYBL_SchemaVersion\""), error))
                return false;
            wrote = true;
        }
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"ZYBL_SchemaVersion\" (\"Version\") VALUES (:SQLVersion)"));
        q.bindValue(QStringLiteral(":SQLVersion"), kCurrentVersion);
        return Db::exec(q, error);
    }();
    if (!ok) {
        Db::rollback(db);
        return false;
    }
    if (!Db::commit(db, error)) {
        Db::rollback(db);
        return false;
    }
    if (changed)
        *changed = wrote;
    return true;
}

bool ensureIcd10(QSqlDatabase &db, QString *error, bool *changed)
{
    if (changed)
        *changed = false;
    if (tableExists(db, QString::fromLatin1(icd10Table().name)))
        return true;
    if (!lockForSchema(db, error))
        return false;
    if (tableExists(db, QString::fromLatin1(icd10Table().name))) {
        Db::rollback(db);
        return true;
    }
    if (!createTable(db, icd10Table(), error) || !Db::commit(db, error)) {
        Db::rollback(db);
        return false;
    }
    if (changed)
        *changed = true;
    return true;
}

} // namespace Schema
