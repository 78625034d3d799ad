#include "case/democases.h"

#include "case/caseobject.h"
#include "case/casestore.h"
#include "core/casedatamodule.h"
#include "core/corestore.h"
#include "core/database.h"
#include "core/loginstore.h"
#include "core/oledate.h"
#include "core/pinyin.h"
#include "pages/diagnosisstore.h"

#include <QHash>

namespace DemoCases {

namespace {

struct Patient {
    const char *name;
    const char *sex;
    const char *birthday;
    int department; // 0 内科, 1 外科
    const char *diagnosis;
    const char *icd10;
    const char *occupation;
    bool discharged;
};

const Patient kPatients[] = {
    {"王建国", "男", "1952-03-14", 0, "高血压病3级(极高危)", "I10", "退休工人", false},
    {"李秀英", "女", "1949-11-02", 0, "2型糖尿病伴周围神经病变", "E11.4", "退休教师", false},
    {"张伟", "男", "1978-06-21", 0, "社区获得性肺炎", "J18.9", "公司职员", false},
    {"刘淑珍", "女", "1946-08-30", 0, "慢性阻塞性肺疾病急性加重", "J44.1", "农民", false},
    {"陈志强", "男", "1961-01-09", 0, "冠状动脉粥样硬化性心脏病", "I25.1", "个体经营", false},
    {"杨桂兰", "女", "1955-04-17", 0, "慢性心力衰竭", "I50.9", "家务", false},
    {"赵德福", "男", "1944-12-25", 0, "脑梗死", "I63.9", "离休干部", false},
    {"黄丽", "女", "1983-09-05", 0, "缺铁性贫血", "D50.9", "营业员", false},
    {"周永平", "男", "1958-07-11", 0, "心房颤动", "I48", "司机", false},
    {"吴玉梅", "女", "1967-02-28", 0, "甲状腺功能亢进症", "E05.9", "会计", false},
    {"徐明", "男", "1990-10-03", 0, "上消化道出血", "K92.2", "厨师", false},
    {"孙红", "女", "1972-05-19", 0, "泌尿道感染", "N39.0", "纺织工人", false},
    {"马金山", "男", "1950-09-08", 0, "肝硬化失代偿期", "K74.6", "农民", false},
    {"朱秀兰", "女", "1948-03-03", 0, "慢性肾脏病5期", "N18.5", "退休工人", false},
    {"胡勇", "男", "1985-12-12", 0, "支气管哮喘急性发作", "J45.9", "工程师", false},
    {"林静", "女", "1995-07-07", 0, "急性上呼吸道感染", "J06.9", "学生", false},
    {"郭文华", "男", "1963-04-01", 0, "急性非ST段抬高型心肌梗死", "I21.4", "教师", false},
    {"何凤英", "女", "1958-10-20", 0, "慢性胃炎", "K29.5", "家务", false},
    {"高春霞", "女", "1969-01-15", 0, "2型糖尿病", "E11.9", "保洁员", true},
    {"罗成", "男", "1975-03-22", 0, "肺炎", "J18.9", "快递员", true},
    {"王海涛", "男", "1988-02-14", 1, "急性阑尾炎", "K35.8", "程序员", false},
    {"李明", "男", "1970-08-08", 1, "胆囊结石伴慢性胆囊炎", "K80.1", "公务员", false},
    {"张芳", "女", "1981-11-30", 1, "甲状腺结节", "E04.1", "医药代表", false},
    {"刘洪", "男", "1956-05-05", 1, "腹股沟疝", "K40.9", "渔民", false},
    {"陈秀珍", "女", "1940-02-02", 1, "股骨颈骨折", "S72.0", "退休工人", false},
    {"杨军", "男", "1966-06-16", 1, "胃恶性肿瘤", "C16.9", "建筑工人", false},
    {"赵敏", "女", "1979-09-09", 1, "乳腺肿物", "N63", "银行职员", false},
    {"黄庆", "男", "1959-12-01", 1, "肠梗阻", "K56.6", "个体经营", false},
    {"周娟", "女", "1992-04-25", 1, "急性胆囊炎", "K81.0", "护士", false},
    {"吴刚", "男", "1964-01-31", 1, "腰椎间盘突出症", "M51.2", "搬运工", false},
    {"徐桂芳", "女", "1953-07-19", 1, "结肠恶性肿瘤", "C18.9", "退休职工", false},
    {"孙杰", "男", "1998-10-10", 1, "肾结石", "N20.0", "学生", false},
    {"马云", "男", "1974-03-08", 1, "急性阑尾炎", "K35.8", "出租车司机", true},
};

const char *const kDistricts[] = {"东城区", "西城区", "河西区", "北山区", "南湖区"};
const char *const kStreets[] = {"和平路", "解放路", "人民路", "青岚大道", "滨河路", "建设街", "文化路", "中山路"};
const char *const kNativePlaces[] = {"山东青岛", "山东烟台", "江苏徐州", "河北沧州", "河南商丘", "辽宁大连"};
const char *const kEducations[] = {"小学", "中学", "中学", "中专", "大学", "中学", "文盲", "研究生"};
const char *const kBloodTypes[] = {"A型", "B型", "O型", "AB型", "O型", "A型"};
const char *const kRelations[] = {"配偶", "儿子", "女儿", "父亲", "母亲"};
const char *const kContacts[] = {"王芳", "李强", "张丽", "刘军", "陈红", "杨明"};

// The first key of the Wubi code of each character the demo names use.
const QHash<QChar, QChar> &wubiKeys()
{
    static const QHash<QChar, QChar> keys = [] {
        QHash<QChar, QChar> k;
        const char *const pairs[] = {
            "王G", "李S", "张X", "刘Y", "陈B", "杨S", "赵F", "黄A", "周M", "吴K", "徐T", "孙B", "马C", "朱R",
            "胡D", "林S", "郭Y", "何W", "高Y", "罗L", "明J", "华W", "秀T", "英A", "建V", "国L", "伟W", "芳A",
            "丽G", "强X", "军P", "平G", "红X", "梅S", "兰U", "文Y", "海I", "玉G", "桂S", "志F", "刚M", "春D",
            "霞F", "金Q", "德T", "荣A", "淑I", "珍G", "福P", "成D", "永Y", "敏T", "杰S", "静G", "娟V", "洪I",
            "涛I", "勇C", "宝P", "山M", "凤M", "云F", "庆Y",
        };
        for (const char *pair : pairs) {
            const QString p = QString::fromUtf8(pair);
            k.insert(p.at(0), p.at(1));
        }
        return k;
    }();
    return keys;
}

// An identity number of the national form with its check character.
QString identityNumber(const QDate &birthday, int serial, bool male)
{
    QString id = QStringLiteral("370203") + birthday.toString(QStringLiteral("yyyyMMdd"))
                 + QStringLiteral("%1").arg(serial % 100, 2, 10, QLatin1Char('0'))
                 + QString::number(male ? 1 + 2 * (serial % 5) : 2 * (serial % 5));
    static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += id.at(i).digitValue() * weights[i];
    return id + QString::fromLatin1("10X98765432").at(sum % 11);
}

} // namespace

QString WuBiInitials(const QString &name)
{
    QString code;
    for (const QChar c : name) {
        const auto it = wubiKeys().constFind(c);
        if (it == wubiKeys().constEnd())
            return QString();
        code += *it;
    }
    return code;
}

bool Ensure(QString *error)
{
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    if (!dm)
        return false;
    QSqlDatabase db = dm->mainDb();
    CaseStore cases(db);
    bool ok = false;
    const bool hasCases = !cases.SearchCases(CaseStore::SearchKind::Name, QString(), 0, 1, &ok).isEmpty();
    if (!ok || hasCases) {
        if (!ok && error)
            *error = QStringLiteral("无法读取病案资料");
        return ok;
    }

    CoreStore core(db);
    const int sections[2] = {core.ensureSection(QStringLiteral("内科")), core.ensureSection(QStringLiteral("外科"))};
    const QList<LoginStore::Candidate> operators = LoginStore(db).moduleOperators();
    const int doctor = operators.isEmpty() ? -1 : operators.first().userSN;
    if (sections[0] < 0 || sections[1] < 0) {
        if (error)
            *error = QStringLiteral("无法建立演示科室");
        return false;
    }

    if (!Db::beginWrite(db, error))
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    int index = 0;
    for (const Patient &p : kPatients) {
        int caseSN = dm->GetNextSN(0);
        if (caseSN == 0) // a fresh counter starts at 0; no ward numbers a patient 0
            caseSN = dm->GetNextSN(0);
        const bool male = QString::fromUtf8(p.sex) == QStringLiteral("男");
        const QDate birthday = QDate::fromString(QString::fromLatin1(p.birthday), Qt::ISODate);
        const QDateTime admitted(now.date().addDays(-(1 + (index * 7) % 23)), QTime(8 + index % 9, (index * 13) % 60));
        const int age = birthday.daysTo(now.date()) / 365;

        TCaseObject c;
        c.CaseNumber = caseSN;
        c.PatientName = QString::fromUtf8(p.name);
        c.PatientSex = QString::fromUtf8(p.sex);
        c.Birthday = OleDate::fromDateTime(birthday.startOfDay());
        c.AgeDisplay = TCaseObject::AgeText(c.Birthday);
        c.Education = QString::fromUtf8(kEducations[index % std::size(kEducations)]);
        c.Marriage = age < 25 ? QStringLiteral("未婚") : index % 11 == 5 ? QStringLiteral("丧偶") : QStringLiteral("已婚");
        c.National = index % 10 == 3 ? QStringLiteral("回族") : index % 10 == 7 ? QStringLiteral("满族") : QStringLiteral("汉族");
        c.Country = QStringLiteral("中国");
        c.NativePlace = QString::fromUtf8(kNativePlaces[index % std::size(kNativePlaces)]);
        c.Occupation = QString::fromUtf8(p.occupation);
        c.WorkUnit = c.Occupation.contains(QStringLiteral("退休")) || c.Occupation == QStringLiteral("家务")
                         ? QString()
                         : QStringLiteral("澄岭市%1").arg(QString::fromUtf8(kDistricts[(index + 2) % 5]));
        c.Address = QStringLiteral("澄岭市%1%2%3号")
                        .arg(QString::fromUtf8(kDistricts[index % std::size(kDistricts)]),
                             QString::fromUtf8(kStreets[(index * 3) % std::size(kStreets)]))
                        .arg(10 + (index * 37) % 190);
        c.ContactTel = QStringLiteral("13%1").arg(qint64(705000000) + index * 1357913LL % 99999999, 9, 10, QLatin1Char('0'));
        c.Identity = identityNumber(birthday, index + 11, male);
        c.PostZip = QStringLiteral("2660%1").arg(index % 9 + 1, 2, 10, QLatin1Char('0'));
        c.ContactPerson = QString::fromUtf8(kContacts[index % std::size(kContacts)]);
        c.ContactPersonRelation = QString::fromUtf8(kRelations[index % std::size(kRelations)]);
        c.ContactPersonAddress = c.Address;
        c.ContactPersonTel = QStringLiteral("0532-8%1").arg(3000000 + (index * 7919) % 999999, 7, 10, QLatin1Char('0'));
        c.BloodType = QString::fromUtf8(kBloodTypes[index % std::size(kBloodTypes)]);
        c.HypersenceDrug = index % 6 == 1 ? QStringLiteral("青霉素") : index % 9 == 4 ? QStringLiteral("磺胺类药物") : QString();
        c.OlderSickness = age >= 60 ? (index % 2 ? QStringLiteral("高血压病史十余年") : QStringLiteral("2型糖尿病史五年"))
                                    : QString();
        c.MainDiagnose = QString::fromUtf8(p.diagnosis);
        c.MainDiagnoseICD10 = QString::fromLatin1(p.icd10);
        c.PersonalCaree = QStringLiteral("生于%1,久居本地,无疫区接触史").arg(c.NativePlace);
        c.FamilyCaree = index % 4 == 0 ? QStringLiteral("父亲患高血压病") : QStringLiteral("家族中无类似疾病");
        if (male && index % 3 != 2) {
            c.SmokeCount = 10 + index % 3 * 5;
            c.SmokeKeepMonth = 12 * (5 + index % 20);
        }
        if (male && index % 4 == 0) {
            c.DrinkCount = 2;
            c.DrinkKeepMonth = 12 * (3 + index % 10);
        }
        c.OutpatientDiagnoses[0] = {c.MainDiagnose, admitted.date().toString(QStringLiteral("yyyy-MM-dd")),
                                    c.MainDiagnoseICD10, QStringLiteral("门诊初诊")};

        NewCase n;
        n.caseSN = caseSN;
        n.patientName = c.PatientName;
        n.pinYinName = GetPinYinInitials(c.PatientName);
        n.wuBi = WuBiInitials(c.PatientName);
        n.patientSex = c.PatientSex;
        n.mainDiagnose = c.MainDiagnose;
        n.address = c.Address;
        n.birthday = birthday.startOfDay();
        n.inHospitalDate = admitted;
        n.sectionSN = sections[p.department];
        n.ownDoctorSN = p.department == 0 ? doctor : -1;
        DiagnosisStore::DiagnosisRow diagnosis;
        diagnosis.caseSN = caseSN;
        diagnosis.name = c.MainDiagnose;
        diagnosis.date = admitted.date().startOfDay();
        diagnosis.icd10 = c.MainDiagnoseICD10;
        diagnosis.memo = QStringLiteral("门诊初诊");
        const bool added = caseSN >= 0 && cases.AddCase(n, c) && DiagnosisStore(db).AddDiagnosis(diagnosis)
                           // The searchable copies of the particulars, as every later save writes them.
                           && cases.SaveCase(QString::number(caseSN), c)
                           && (!p.discharged || cases.DischargeCase(caseSN, admitted.addDays(6)));
        if (!added) {
            Db::rollback(db);
            if (error)
                *error = QStringLiteral("无法写入演示病案 %1").arg(c.PatientName);
            return false;
        }
        ++index;
    }
    return Db::commit(db, error);
}

} // namespace DemoCases
