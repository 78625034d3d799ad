// The ward desk's waits on a database of 100 000 cases: opening the case list,
// each quick-search keystroke of every kind, and opening a case in the case
// window (seal, load, pages attached, shown, then closed). SQLite always,
// PostgreSQL when ZYBL_TEST_PG is set (scripts/with-pg build/bench/bench_cases).
//
// The database is built once per dialect at start: realistic names with their
// pinyin, addresses, diagnoses, 2 % of the patients in hospital, ten
// departments, a photograph on one case in ten.
#include "case/casedataform.h"
#include "case/caselistdlg.h"
#include "case/caselistmodel.h"
#include "case/caseobject.h"
#include "common/testdb.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/jpegcodec.h"
#include "core/oledate.h"
#include "core/pinyin.h"
#include "core/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kCases = 100000;
constexpr int kSections = 10;
constexpr int kSection = 3; // the operator's department

const char *const kSurnames =
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤";
const char *const kGiven =
    "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华玉萍红建国志文海荣春梅德林成永福宝山凤云庆淑珍金"
    "鑫宇浩然子轩梓涵欣怡佳琪思雨晨阳博文嘉怡俊杰雅婷志强丽娟晓东立新海燕秀梅春花德明建华玉兰淑华";
const char *const kDiagnoses[] = {
    "高血压病3级", "2型糖尿病", "社区获得性肺炎", "慢性阻塞性肺疾病急性加重", "冠状动脉粥样硬化性心脏病",
    "急性心肌梗死", "慢性心力衰竭", "脑梗死", "心房颤动", "上消化道出血", "慢性胃炎", "肝硬化失代偿期",
    "慢性肾脏病5期", "支气管哮喘", "缺铁性贫血", "甲状腺功能亢进症", "泌尿道感染", "急性胰腺炎", "急性阑尾炎",
    "胆囊结石伴慢性胆囊炎", "腹股沟疝", "股骨颈骨折", "肠梗阻", "甲状腺结节", "胃恶性肿瘤", "结肠恶性肿瘤",
    "腰椎间盘突出症", "肾结石", "急性胆囊炎", "脑出血", "病毒性肝炎", "肺结核", "急性支气管炎", "帕金森病",
    "癫痫", "类风湿关节炎", "痛风", "骨质疏松症", "贫血", "急性肾盂肾炎"};
const char *const kDistricts[] = {"东城区", "西城区", "河西区", "北山区", "南湖区", "青岚县", "澄江县"};
const char *const kStreets[] = {"和平路", "解放路", "人民路", "青岚大道", "滨河路", "建设街", "文化路", "中山路",
                                "幸福里", "长江路", "黄河路", "光明街"};

struct Database {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TestDb::Scratch> scratch;
    std::unique_ptr<Tm_CaseDataModule> module;
    QString error;
    QString sampleCase; // a case in hospital in the operator's department
};
std::map<Dialect, Database> g_databases;

QString pick(const QString &chars, QRandomGenerator &rng)
{
    return chars.at(int(rng.bounded(chars.size())));
}

QByteArray photograph(int seed)
{
    QImage image(120, 160, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor::fromHsv(seed % 360, 60, 220));
    p.setBrush(QColor::fromHsv((seed * 7) % 360, 120, 160));
    p.drawEllipse(30, 25, 60, 70);
    p.drawRoundedRect(15, 100, 90, 70, 20, 20);
    p.end();
    QByteArray jpeg;
    JpegCodec::encode(image, &jpeg);
    return jpeg;
}

// Fills the case table in transactions of multi-row inserts.
bool fill(QSqlDatabase db, QString *error, QString *sampleCase)
{
    QRandomGenerator rng(20261211);
    const QString surnames = QString::fromUtf8(kSurnames);
    const QString given = QString::fromUtf8(kGiven);
    const QString columns = QStringLiteral(
        "\"CaseSN\", \"PatientID\", \"PatientName\", \"PinYinName\", \"WuBi\", \"PatientSex\", \"CaseData\", "
        "\"MainDiagnose\", \"MainDiagnoseICD10\", \"Address\", \"IsLocked\", \"LockOwnerSN\", \"Birthday\", "
        "\"LastAccessDate\", \"InHospitalDate\", \"SectionSN\", \"OwnDoctorSN\", \"OwnNurseSN\", \"BedNoSN\", "
        "\"HasOuted\", \"PatientImage\", \"PayFeeTotal\", \"UsedFeeTotal\"");
    constexpr int kColumns = 23;
    constexpr int kRowsPerStatement = 200;
    QString row = QStringLiteral("(");
    for (int c = 0; c < kColumns; ++c)
        row += c ? QStringLiteral(",?") : QStringLiteral("?");
    row += QLatin1Char(')');
    QStringList rows;
    for (int r = 0; r < kRowsPerStatement; ++r)
        rows << row;
    const QString insert = QStringLiteral("INSERT INTO \"ZYBL_CaseLibrary\" (%1) VALUES %2").arg(columns, rows.join(QLatin1Char(',')));
    QSqlQuery q(db);
    if (!q.prepare(insert)) {
        *error = q.lastError().text();
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (!Db::beginWrite(db, error))
        return false;
    for (int first = 1; first <= kCases; first += kRowsPerStatement) {
        int position = 0;
        for (int n = first; n < first + kRowsPerStatement; ++n) {
            TCaseObject c;
            c.CaseNumber = n;
            c.PatientName = pick(surnames, rng) + pick(given, rng) + (rng.bounded(4) ? pick(given, rng) : QString());
            c.PatientSex = rng.bounded(2) ? QStringLiteral("男") : QStringLiteral("女");
            const QDate birthday = now.date().addDays(-qint64(rng.bounded(1, 95 * 365)));
            c.Birthday = OleDate::fromDateTime(birthday.startOfDay());
            c.AgeDisplay = TCaseObject::AgeText(c.Birthday);
            c.Address = QStringLiteral("澄岭市%1%2%3号")
                            .arg(QString::fromUtf8(kDistricts[rng.bounded(int(std::size(kDistricts)))]),
                                 QString::fromUtf8(kStreets[rng.bounded(int(std::size(kStreets)))]))
                            .arg(rng.bounded(1, 300));
            c.MainDiagnose = QString::fromUtf8(kDiagnoses[rng.bounded(int(std::size(kDiagnoses)))]);
            c.MainDiagnoseICD10 = QStringLiteral("I10");
            c.Occupation = QStringLiteral("工人");
            c.National = QStringLiteral("汉族");
            c.Country = QStringLiteral("中国");
            c.ContactTel = QStringLiteral("139%1").arg(rng.bounded(10000000, 99999999));
            c.Identity = QStringLiteral("370203%1%2").arg(birthday.toString(QStringLiteral("yyyyMMdd"))).arg(rng.bounded(1000, 9999));
            c.PersonalCaree = QStringLiteral("生于本地,久居本地,无疫区接触史,无烟酒嗜好");
            c.FamilyCaree = QStringLiteral("家族中无类似疾病");
            c.OlderSickness = QStringLiteral("既往体健");
            c.OutpatientDiagnoses[0] = {c.MainDiagnose, now.date().toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("I10"),
                                        QStringLiteral("门诊初诊")};
            const QString pinyin = GetPinYinInitials(c.PatientName);
            QString wubi;
            for (const QChar ch : pinyin) // stands in for typed Wubi codes: same length, other letters
                wubi += QChar(u'A' + (ch.unicode() - u'A' + 7) % 26);
            const bool inHospital = rng.bounded(50) == 0;
            const int section = 1 + int(rng.bounded(kSections));
            if (inHospital && section == kSection && sampleCase->isEmpty())
                *sampleCase = QString::number(n);
            const QVariant values[kColumns] = {
                n, QString::number(n), c.PatientName, pinyin, wubi, c.PatientSex, c.toBytes(), c.MainDiagnose,
                c.MainDiagnoseICD10, c.Address, 0, -1, Db::toDb(birthday.startOfDay()),
                Db::toDb(now.addDays(-qint64(rng.bounded(3000)))), Db::toDb(now.addDays(-qint64(rng.bounded(3000)))),
                section, -1, -1, -1, inHospital ? 0 : 1, n % 10 == 0 ? photograph(n) : QByteArray(), 0.0, 0.0};
            for (const QVariant &v : values)
                q.bindValue(position++, v);
        }
        if (!q.exec()) {
            *error = q.lastError().text();
            Db::rollback(db);
            return false;
        }
    }
    if (!Db::commit(db, error))
        return false;
    // Statistics and (PostgreSQL) a visibility map, as autovacuum keeps them on a database in use.
    Db::exec(db, Db::dialectOf(db) == Dialect::PostgreSQL ? QStringLiteral("VACUUM ANALYZE") : QStringLiteral("ANALYZE"),
             nullptr);
    return true;
}

Database *database(Dialect dialect)
{
    auto found = g_databases.find(dialect);
    if (found != g_databases.end())
        return found->second.module ? &found->second : nullptr;
    Database &d = g_databases[dialect];
    d.dir = std::make_unique<QTemporaryDir>();
    if (dialect == Dialect::PostgreSQL) {
        if (!TestDb::postgresAvailable()) {
            d.error = QStringLiteral("ZYBL_TEST_PG is not set");
            return nullptr;
        }
        d.scratch = std::make_unique<TestDb::Scratch>(dialect);
        if (!d.scratch->ok()) {
            d.error = d.scratch->error();
            return nullptr;
        }
        const DbConfig &c = d.scratch->config();
        QFile udl(QDir(d.dir->path()).filePath(QStringLiteral("ZYDataLink.udl")));
        if (!udl.open(QIODevice::WriteOnly))
            return nullptr;
        udl.write(QStringLiteral("[oledb]\r\nProvider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4\r\n")
                      .arg(c.host).arg(c.port).arg(c.database, c.user)
                      .toUtf8());
    }
    QElapsedTimer timer;
    timer.start();
    std::fprintf(stderr, "building %d cases on %s ...\n", kCases, dialect == Dialect::SQLite ? "SQLite" : "PostgreSQL");
    d.module = Tm_CaseDataModule::create(d.dir->path(), &d.error);
    if (!d.module || !fill(d.module->mainDb(), &d.error, &d.sampleCase)) {
        std::fprintf(stderr, "cannot build: %s\n", qPrintable(d.error));
        d.module.reset();
        return nullptr;
    }
    std::fprintf(stderr, "built in %.1f s\n", timer.elapsed() / 1000.0);
    // ZYBL_BENCH_EXPLAIN=1: PostgreSQL writes every plan with its timings to the server's log.
    if (dialect == Dialect::PostgreSQL && qEnvironmentVariableIsSet("ZYBL_BENCH_EXPLAIN")) {
        QSqlDatabase db = d.module->mainDb();
        Db::exec(db, QStringLiteral("LOAD 'auto_explain'"), nullptr);
        Db::exec(db, QStringLiteral("SET auto_explain.log_min_duration = 0"), nullptr);
        Db::exec(db, QStringLiteral("SET auto_explain.log_analyze = on"), nullptr);
    }
    return &d;
}

// Only one data module is current at a time: the one of the dialect being measured.
Database *use(benchmark::State &state, Dialect dialect)
{
    for (auto &[d, db] : g_databases)
        if (d != dialect && db.module)
            db.module.reset(); // frees the other dialect's connections; rebuilt when asked again
    Database *d = database(dialect);
    if (!d)
        state.SkipWithError(qPrintable(g_databases[dialect].error));
    return d;
}

CUserSecurityData operatorRecord()
{
    CUserSecurityData user;
    user.UserName = QStringLiteral("王医生");
    user.UserSN = 1;
    user.Rights = 0xffffffff;
    user.SectionSN = kSection;
    return user;
}

void openCaseList(benchmark::State &state, Dialect dialect)
{
    if (!use(state, dialect))
        return;
    int rows = 0;
    for (auto _ : state) {
        Tm_CaseListDlg dialog(operatorRecord(), QStringLiteral("请选择老病人对应的的病案资料:"), false, kSection);
        dialog.show();
        QCoreApplication::processEvents();
        rows = dialog.model()->rowCount();
    }
    state.counters["rows"] = rows;
}

// One keystroke: the text grows from `before` to `after`.
void quickSearch(benchmark::State &state, Dialect dialect, int kind, const char *before, const char *after, int section)
{
    if (!use(state, dialect))
        return;
    Tm_CaseListDlg dialog(operatorRecord(), QStringLiteral("请选择老病人对应的的病案资料:"), false, section);
    dialog.show();
    dialog.m_ComboBox_SelType->setCurrentIndex(kind);
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        dialog.m_Edit_PinYinOrID->setText(QString::fromUtf8(before));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        dialog.m_Edit_PinYinOrID->setText(QString::fromUtf8(after));
        QCoreApplication::processEvents();
        rows = dialog.model()->rowCount();
    }
    state.counters["rows"] = rows;
}

void openCase(benchmark::State &state, Dialect dialect)
{
    Database *d = use(state, dialect);
    if (!d)
        return;
    Settings::writeText(Settings::kGeneralSection, QStringLiteral("SaveHintCloseCase"), QStringLiteral("0"));
    for (auto _ : state) {
        TCaseDataForm form(nullptr, d->sampleCase, operatorRecord(), 30);
        form.show();
        QCoreApplication::processEvents();
        if (form.loadFailed() || !form.caseObject())
            state.SkipWithError("the case did not open");
        form.close();
    }
}

void registerAll()
{
    for (Dialect dialect : {Dialect::SQLite, Dialect::PostgreSQL}) {
        const std::string db = dialect == Dialect::SQLite ? "SQLite" : "PostgreSQL";
        benchmark::RegisterBenchmark(("OpenCaseList/" + db).c_str(), openCaseList, dialect)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        struct Keystroke { const char *name; int kind; const char *before; const char *after; };
        // The kinds in the list's order: pinyin, number, Wubi, name, diagnosis.
        const Keystroke keys[] = {
            {"PinYin/first", 0, "", "Z"},       {"PinYin/third", 0, "ZX", "ZXL"},
            {"Number/first", 1, "", "1"},       {"Number/fifth", 1, "1234", "12345"},
            {"WuBi/first", 2, "", "G"},         {"WuBi/third", 2, "GE", "GES"},
            {"Name/first", 3, "", "张"},        {"Name/third", 3, "张秀", "张秀英"},
            {"Diagnose/first", 4, "", "慢"},    {"Diagnose/fourth", 4, "慢性阻", "慢性阻塞"},
        };
        for (const Keystroke &k : keys) {
            for (int section : {kSection, -1}) {
                const std::string name = "QuickSearch/" + db + "/" + k.name + (section < 0 ? "/all-departments" : "");
                benchmark::RegisterBenchmark(name.c_str(), quickSearch, dialect, k.kind, k.before, k.after, section)
                    ->Unit(benchmark::kMillisecond)->UseRealTime();
            }
        }
        benchmark::RegisterBenchmark(("OpenCase/" + db).c_str(), openCase, dialect)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Corvane Software"), QStringLiteral("Halvern")).clear();
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_databases.clear();
    return 0;
}
