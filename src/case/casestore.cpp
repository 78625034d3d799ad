#include "case/casestore.h"

#include "case/caseobject.h"
#include "core/casedatamodule.h"
#include "core/database.h"
#include "core/jpegcodec.h"
#include "core/oledate.h"

#include <QSqlQuery>

namespace {

int codeOf(const QString &text, std::initializer_list<const char *> texts)
{
    int code = 1;
    for (const char *t : texts) {
        if (text == QString::fromUtf8(t))
            return code;
        ++code;
    }
    return 0;
}

const char *const kListColumns =
    "SELECT \"CaseSN\", \"PatientID\", \"PatientName\", \"PinYinName\", \"PatientSex\", \"Birthday\", \"Address\", "
    "\"MainDiagnose\", \"InHospitalDate\", \"LastAccessDate\", \"IsLocked\", \"LockOwnerSN\", \"SectionSN\", "
    "\"HasOuted\" FROM \"ZYBL_CaseLibrary\"";

bool changedOneRow(QSqlQuery &q)
{
    return q.exec() && q.numRowsAffected() == 1;
}

} // namespace

int CaseStore::DiplomaCode(const QString &education)
{
    return codeOf(education, {"文盲", "小学", "初中", "高中", "中专", "大专", "本科", "硕士", "博士"});
}

int CaseStore::MarryCode(const QString &marriage)
{
    return codeOf(marriage, {"未婚", "已婚", "离异", "丧偶"});
}

int CaseStore::BloodTypeCode(const QString &bloodType)
{
    return codeOf(bloodType, {"A型", "B型", "AB型", "O型"});
}

CaseStore CaseStore::current()
{
    return CaseStore(Tm_CaseDataModule::currentMainDb());
}

bool CaseStore::LoadCase(const QString &caseNumber, TCaseObject &caseObject, QString *error)
{
    return load(false, -1, caseNumber, caseObject, error);
}

bool CaseStore::LoadSealedCase(int userSN, const QString &caseNumber, TCaseObject &caseObject, QString *error)
{
    return load(true, userSN, caseNumber, caseObject, error);
}

bool CaseStore::load(bool sealedBy, int userSN, const QString &caseNumber, TCaseObject &caseObject, QString *error)
{
    bool isNumber = false;
    const int number = caseNumber.trimmed().toInt(&isNumber);
    if (!isNumber)
        return false;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"CaseData\" FROM \"ZYBL_CaseLibrary\" WHERE \"PatientID\" = :SQLPatientID AND %1")
                  .arg(sealedBy ? QLatin1String("\"IsLocked\" = 1 AND \"LockOwnerSN\" = :SQLUserSN")
                                : QLatin1String("\"IsLocked\" = 0")));
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    if (sealedBy)
        q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    if (!q.exec() || !q.next())
        return false;
    TCaseObject loaded;
    if (!loaded.fromBytes(q.value(0).toByteArray(), error))
        return false;
    loaded.CaseNumber = number;
    caseObject = loaded;
    return true;
}

bool CaseStore::TouchCase(const QString &caseNumber, const QDate &day)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"LastAccessDate\" = :SQLLAD WHERE \"PatientID\" = :SQLPatientID"));
    q.bindValue(QStringLiteral(":SQLLAD"), Db::toDb(day.startOfDay()));
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    return changedOneRow(q);
}

bool CaseStore::save(bool sealedBy, int userSN, const QString &caseNumber, const TCaseObject &c)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral(
        "UPDATE \"ZYBL_CaseLibrary\" SET \"PatientName\" = :PatientName, \"PatientSex\" = :PatientSex, "
        "\"Birthday\" = :Birthday, \"CaseData\" = :CaseData, \"Address\" = :Address, \"MainDiagnose\" = :MainDiagnose, "
        "\"MainDiagnoseICD10\" = :MainDiagnoseICD10, \"Diploma\" = :Diploma, \"MarryFlag\" = :MarryFlag, "
        "\"Country\" = :Country, \"National\" = :National, \"NativePlace\" = :NativePlace, "
        "\"Occupation\" = :Occupation, \"WorkUnit\" = :WorkUnit, \"WokrUnitTel\" = :WokrUnitTel, "
        "\"ContactTel\" = :ContactTel, \"Identity\" = :Identity, \"PostZip\" = :PostZip, "
        "\"ContactPerson\" = :ContactPerson, \"ContactPersonRelation\" = :ContactPersonRelation, "
        "\"ContactPersonAddress\" = :ContactPersonAddress, \"ContactPersonTel\" = :ContactPersonTel, "
        "\"OlderSickness\" = :OlderSickness, \"HypersenceDrug\" = :HypersenceDrug, \"ABOBloodType\" = :ABOBloodType, "
        "\"RHBloodType\" = -1, \"CustomCoding\" = :CustomCoding, \"PersonalCaree\" = :PersonalCaree, "
        "\"FamilyCaree\" = :FamilyCaree, \"DrinkKeepMonth\" = :DrinkKeepMonth, \"SmokeKeepMonth\" = :SmokeKeepMonth, "
        "\"DrinkCount\" = :DrinkCount, \"SmokeCount\" = :SmokeCount "
        "WHERE \"PatientID\" = :SQLPatientID AND %1")
                  .arg(sealedBy ? QLatin1String("\"IsLocked\" = 1 AND \"LockOwnerSN\" = :SQLUserSN")
                                : QLatin1String("\"IsLocked\" = 0")));
    q.bindValue(QStringLiteral(":PatientName"), c.PatientName);
    q.bindValue(QStringLiteral(":PatientSex"), c.PatientSex);
    q.bindValue(QStringLiteral(":Birthday"), Db::toDb(OleDate::toDateTime(c.Birthday)));
    q.bindValue(QStringLiteral(":CaseData"), c.toBytes());
    q.bindValue(QStringLiteral(":Address"), c.Address);
    q.bindValue(QStringLiteral(":MainDiagnose"), c.MainDiagnose);
    q.bindValue(QStringLiteral(":MainDiagnoseICD10"), c.MainDiagnoseICD10);
    q.bindValue(QStringLiteral(":Diploma"), DiplomaCode(c.Education));
    q.bindValue(QStringLiteral(":MarryFlag"), MarryCode(c.Marriage));
    q.bindValue(QStringLiteral(":Country"), c.Country);
    q.bindValue(QStringLiteral(":National"), c.National);
    q.bindValue(QStringLiteral(":NativePlace"), c.NativePlace);
    q.bindValue(QStringLiteral(":Occupation"), c.Occupation);
    q.bindValue(QStringLiteral(":WorkUnit"), c.WorkUnit);
    q.bindValue(QStringLiteral(":WokrUnitTel"), c.WokrUnitTel);
    q.bindValue(QStringLiteral(":ContactTel"), c.ContactTel);
    q.bindValue(QStringLiteral(":Identity"), c.Identity);
    q.bindValue(QStringLiteral(":PostZip"), c.PostZip);
    q.bindValue(QStringLiteral(":ContactPerson"), c.ContactPerson);
    q.bindValue(QStringLiteral(":ContactPersonRelation"), c.ContactPersonRelation);
    q.bindValue(QStringLiteral(":ContactPersonAddress"), c.ContactPersonAddress);
    q.bindValue(QStringLiteral(":ContactPersonTel"), c.ContactPersonTel);
    q.bindValue(QStringLiteral(":OlderSickness"), c.OlderSickness);
    q.bindValue(QStringLiteral(":HypersenceDrug"), c.HypersenceDrug);
    q.bindValue(QStringLiteral(":ABOBloodType"), BloodTypeCode(c.BloodType));
    q.bindValue(QStringLiteral(":CustomCoding"), c.CustomCoding);
    q.bindValue(QStringLiteral(":PersonalCaree"), c.PersonalCaree);
    q.bindValue(QStringLiteral(":FamilyCaree"), c.FamilyCaree);
    q.bindValue(QStringLiteral(":DrinkKeepMonth"), c.DrinkKeepMonth);
    q.bindValue(QStringLiteral(":SmokeKeepMonth"), c.SmokeKeepMonth);
    q.bindValue(QStringLiteral(":DrinkCount"), c.DrinkCount);
    q.bindValue(QStringLiteral(":SmokeCount"), c.SmokeCount);
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    if (sealedBy)
        q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    return changedOneRow(q);
}

bool CaseStore::SaveCase(const QString &caseNumber, const TCaseObject &caseObject)
{
    return save(false, -1, caseNumber, caseObject);
}

bool CaseStore::SaveSealedCase(int userSN, const QString &caseNumber, const TCaseObject &caseObject)
{
    return save(true, userSN, caseNumber, caseObject);
}

bool CaseStore::AddCase(const NewCase &n, const TCaseObject &caseObject)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral(
        "INSERT INTO \"ZYBL_CaseLibrary\" (\"CaseSN\", \"PatientID\", \"PatientName\", \"PinYinName\", \"WuBi\", "
        "\"PatientSex\", \"CaseData\", \"MainDiagnose\", \"Address\", \"IsLocked\", \"LockOwnerSN\", \"Birthday\", "
        "\"LastAccessDate\", \"InHospitalDate\", \"PayFeeType\", \"IntroduceDoctorSN\", \"SectionSN\", \"OwnDoctorSN\", "
        "\"OwnNurseSN\", \"BedNoSN\", \"HasOuted\", \"PayFeeTotal\", \"UsedFeeTotal\") "
        "VALUES (:CaseSN, :PatientID, :PatientName, :PinYinName, :WuBi, :PatientSex, :CaseData, :MainDiagnose, :Address, "
        "0, -1, :Birthday, :LastAccessDate, :InHospitalDate, :PayFeeType, :IntroduceDoctorSN, :SectionSN, :OwnDoctorSN, "
        "-1, -1, 0, 0, 0)"));
    q.bindValue(QStringLiteral(":CaseSN"), n.caseSN);
    q.bindValue(QStringLiteral(":PatientID"), QString::number(n.caseSN));
    q.bindValue(QStringLiteral(":PatientName"), n.patientName);
    q.bindValue(QStringLiteral(":PinYinName"), n.pinYinName);
    q.bindValue(QStringLiteral(":WuBi"), n.wuBi);
    q.bindValue(QStringLiteral(":PatientSex"), n.patientSex);
    q.bindValue(QStringLiteral(":CaseData"), caseObject.toBytes());
    q.bindValue(QStringLiteral(":MainDiagnose"), n.mainDiagnose);
    q.bindValue(QStringLiteral(":Address"), n.address);
    q.bindValue(QStringLiteral(":Birthday"), Db::toDb(n.birthday));
    q.bindValue(QStringLiteral(":LastAccessDate"), Db::toDb(QDateTime::currentDateTime()));
    q.bindValue(QStringLiteral(":InHospitalDate"), Db::toDb(n.inHospitalDate));
    q.bindValue(QStringLiteral(":PayFeeType"), n.payFeeType);
    q.bindValue(QStringLiteral(":IntroduceDoctorSN"), n.introduceDoctorSN);
    q.bindValue(QStringLiteral(":SectionSN"), n.sectionSN);
    q.bindValue(QStringLiteral(":OwnDoctorSN"), n.ownDoctorSN);
    return changedOneRow(q);
}

bool CaseStore::DischargeCase(int caseSN, const QDateTime &when)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"HasOuted\" = 1, \"OutHospitalDate\" = :SQLOut "
                             "WHERE \"CaseSN\" = :SQLCaseSN AND \"HasOuted\" = 0"));
    q.bindValue(QStringLiteral(":SQLOut"), Db::toDb(when));
    q.bindValue(QStringLiteral(":SQLCaseSN"), caseSN);
    return changedOneRow(q);
}

bool CaseStore::LockCase(int userSN, const QString &caseNumber)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"IsLocked\" = 1, \"LockOwnerSN\" = :SQLUserSN "
                             "WHERE \"PatientID\" = :SQLPatientID AND \"IsLocked\" = 0"));
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    return changedOneRow(q);
}

bool CaseStore::UnlockCase(int userSN, const QString &caseNumber)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET \"IsLocked\" = 0, \"LockOwnerSN\" = -1 "
                             "WHERE \"PatientID\" = :SQLPatientID AND \"IsLocked\" = 1 AND \"LockOwnerSN\" = :SQLUserSN"));
    q.bindValue(QStringLiteral(":SQLUserSN"), userSN);
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    return changedOneRow(q);
}

bool CaseStore::IsCaseLocked(const QString &caseNumber)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT 1 FROM \"ZYBL_CaseLibrary\" WHERE \"PatientID\" = :SQLPatientID AND \"IsLocked\" = 1"));
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    return q.exec() && q.next();
}

QList<CaseListRow> CaseStore::ListCases(const CaseFilter &filter, int offset, int limit, bool *ok)
{
    const Dialect dialect = Db::dialectOf(m_db);
    QStringList conditions;
    QString pattern;
    if (filter.text.isEmpty()) {
        conditions << QStringLiteral("\"HasOuted\" = :SQLHasOuted");
    } else {
        QString text = filter.text;
        const char *column = "PinYinName";
        switch (filter.kind) {
        case CaseFilter::Kind::PinYin: column = "PinYinName"; break;
        case CaseFilter::Kind::WuBi: column = "WuBi"; break;
        case CaseFilter::Kind::PatientName: column = "PatientName"; break;
        case CaseFilter::Kind::MainDiagnose: column = "MainDiagnose"; break;
        case CaseFilter::Kind::PatientID: {
            // The number typed, read as an integer: -1 when it is none.
            bool isNumber = false;
            const int number = text.toInt(&isNumber);
            text = QString::number(isNumber ? number : -1);
            column = "PatientID";
            break;
        }
        }
        conditions << Db::likeClause(dialect, QString::fromLatin1(column), QStringLiteral(":SQLPattern"), text);
        pattern = Db::containsPattern(text);
    }
    if (filter.sectionSN != -1)
        conditions << QStringLiteral("\"SectionSN\" = :SQLSectionSN");

    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    // The page is chosen from the list's covering indexes alone (every column
    // the conditions and the order need is in them); only its rows are read
    // from the table. A search of 100 000 cases so reads 200 rows, not all.
    const QString order = QStringLiteral(" ORDER BY \"PinYinName\", \"PatientName\", \"CaseSN\"");
    q.prepare(QString::fromLatin1(kListColumns)
              + QStringLiteral(" WHERE \"CaseSN\" IN (SELECT \"CaseSN\" FROM \"ZYBL_CaseLibrary\" WHERE ")
              + conditions.join(QStringLiteral(" AND ")) + order
              + QStringLiteral(" LIMIT :SQLLimit OFFSET :SQLOffset)") + order);
    if (filter.text.isEmpty())
        q.bindValue(QStringLiteral(":SQLHasOuted"), filter.discharged ? 1 : 0);
    else
        q.bindValue(QStringLiteral(":SQLPattern"), pattern);
    if (filter.sectionSN != -1)
        q.bindValue(QStringLiteral(":SQLSectionSN"), filter.sectionSN);
    q.bindValue(QStringLiteral(":SQLLimit"), qMax(0, limit));
    q.bindValue(QStringLiteral(":SQLOffset"), qMax(0, offset));
    const bool done = q.exec();
    QList<CaseListRow> rows = readRows(q);
    if (ok)
        *ok = done;
    return rows;
}

QList<CaseListRow> CaseStore::readRows(QSqlQuery &q)
{
    QList<CaseListRow> rows;
    while (q.isActive() && q.next()) {
        CaseListRow r;
        r.caseSN = q.value(0).toInt();
        r.patientID = q.value(1).toString();
        r.patientName = q.value(2).toString();
        r.pinYinName = q.value(3).toString();
        r.patientSex = q.value(4).toString();
        r.birthday = Db::dateTimeFromDb(q.value(5));
        r.address = q.value(6).toString();
        r.mainDiagnose = q.value(7).toString();
        r.inHospitalDate = Db::dateTimeFromDb(q.value(8));
        r.lastAccessDate = Db::dateTimeFromDb(q.value(9));
        r.isLocked = q.value(10).toInt() != 0;
        r.lockOwnerSN = q.value(11).isNull() ? -1 : q.value(11).toInt();
        r.sectionSN = q.value(12).isNull() ? -1 : q.value(12).toInt();
        r.hasOuted = q.value(13).toInt() != 0;
        rows << r;
    }
    return rows;
}

QList<CaseListRow> CaseStore::SearchCases(SearchKind kind, const QString &text, int offset, int limit, bool *ok)
{
    QString condition;
    QVariant value;
    if (!text.isEmpty()) {
        if (kind == SearchKind::Number) {
            bool isNumber = false;
            const int number = text.toInt(&isNumber);
            condition = QStringLiteral("\"CaseSN\" = :SQLValue");
            value = isNumber ? number : -1;
        } else {
            const char *column = kind == SearchKind::Name ? "PatientName" : kind == SearchKind::Address ? "Address" : "MainDiagnose";
            condition = Db::likeClause(Db::dialectOf(m_db), QString::fromLatin1(column), QStringLiteral(":SQLValue"), text);
            value = Db::containsPattern(text);
        }
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    // `condition` is one of the fixed fragments above; the text itself is bound.
    const QString where = condition.isEmpty() ? QString() : QStringLiteral(" WHERE %1").arg(condition);
    q.prepare(QStringLiteral("%1%2 ORDER BY \"CaseSN\" LIMIT :SQLLimit OFFSET :SQLOffset")
                  .arg(QLatin1String(kListColumns), where));
    if (!condition.isEmpty())
        q.bindValue(QStringLiteral(":SQLValue"), value);
    q.bindValue(QStringLiteral(":SQLLimit"), qMax(0, limit));
    q.bindValue(QStringLiteral(":SQLOffset"), qMax(0, offset));
    const bool done = q.exec();
    QList<CaseListRow> rows = readRows(q);
    if (ok)
        *ok = done;
    return rows;
}

QByteArray CaseStore::PatientImage(int caseSN)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT \"PatientImage\" FROM \"ZYBL_CaseLibrary\" WHERE \"CaseSN\" = :SQLCaseSN"));
    q.bindValue(QStringLiteral(":SQLCaseSN"), caseSN);
    return q.exec() && q.next() ? q.value(0).toByteArray() : QByteArray();
}

bool CaseStore::loadPicture(const char *column, const QString &caseNumber, QImage *image)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT %1 FROM \"ZYBL_CaseLibrary\" WHERE \"PatientID\" = :SQLPatientID")
                  .arg(Db::quoted(QString::fromLatin1(column))));
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    if (!q.exec() || !q.next())
        return false;
    const QByteArray jpeg = q.value(0).toByteArray();
    if (jpeg.isEmpty() || !JpegCodec::decode(jpeg, image)) {
        *image = QImage();
        return false;
    }
    return true;
}

bool CaseStore::storePicture(const char *column, const QString &caseNumber, const QImage *image)
{
    QByteArray jpeg;
    if (image && !image->isNull() && !JpegCodec::encode(*image, &jpeg))
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE \"ZYBL_CaseLibrary\" SET %1 = :SQLPicture WHERE \"PatientID\" = :SQLPatientID")
                  .arg(Db::quoted(QString::fromLatin1(column))));
    q.bindValue(QStringLiteral(":SQLPicture"), jpeg);
    q.bindValue(QStringLiteral(":SQLPatientID"), caseNumber);
    return changedOneRow(q);
}

bool CaseStore::LoadPatientPicture(const QString &caseNumber, QImage *image)
{
    return loadPicture("PatientImage", caseNumber, image);
}

bool CaseStore::StorePatientPicture(const QString &caseNumber, const QImage *image)
{
    return storePicture("PatientImage", caseNumber, image);
}

bool CaseStore::LoadReferencePicture(const QString &caseNumber, int index, QImage *image)
{
    return (index == 0 || index == 1) && loadPicture(index == 0 ? "P1" : "P2", caseNumber, image);
}

bool CaseStore::StoreReferencePicture(const QString &caseNumber, int index, const QImage *image)
{
    return (index == 0 || index == 1) && storePicture(index == 0 ? "P1" : "P2", caseNumber, image);
}
