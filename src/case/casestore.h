#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class QSqlQuery;
class TCaseObject;

// One line of the case list.
struct CaseListRow {
    int caseSN = -1;
    QString patientID;
    QString patientName;
    QString pinYinName;
    QString patientSex;
    QDateTime birthday;
    QString address;
    QString mainDiagnose;
    QDateTime inHospitalDate;
    QDateTime lastAccessDate;
    bool isLocked = false;
    int lockOwnerSN = -1;
    int sectionSN = -1;
    bool hasOuted = false;
};

// A case as the admission desk registers it.
struct NewCase {
    int caseSN = -1; // the inpatient number, drawn from the case serial
    QString patientName;
    QString pinYinName;
    QString wuBi;
    QString patientSex;
    QString mainDiagnose;
    QString address;
    QDateTime birthday;
    QDateTime inHospitalDate;
    int payFeeType = -1;
    int introduceDoctorSN = -1;
    int sectionSN = -1;
    int ownDoctorSN = -1;
};

// Which cases the case list shows. Without a quick-search text: the cases in
// hospital (or discharged) of a department (-1 all). With one: the cases of
// that department whose column of the chosen kind contains the text, in
// hospital or not.
struct CaseFilter {
    enum class Kind { PinYin, PatientID, WuBi, PatientName, MainDiagnose };
    bool discharged = false;
    int sectionSN = -1;
    Kind kind = Kind::PinYin;
    QString text; // trimmed by the caller; empty for the plain list
};

// Loading, saving and sealing cases. A case is selected by its PatientID
// text. Every operation reports failure as false and never shows a message:
// its caller words it. Sealing and saving are single conditional statements
// whose affected row count decides, so workstations cannot race each other.
class CaseStore
{
public:
    explicit CaseStore(const QSqlDatabase &db) : m_db(db) {}
    // On the running data module's database (the screens' store).
    static CaseStore current();

    // Fills `caseObject` from a case that exists and is not sealed. A stored
    // form that does not read completely fails the load, so that a half-read
    // case can never be saved over the good one.
    bool LoadCase(const QString &caseNumber, TCaseObject &caseObject, QString *error = nullptr);
    // The same from a case that `userSN` holds sealed: the case window seals
    // first and then reads, so nobody can write between its read and its seal.
    bool LoadSealedCase(int userSN, const QString &caseNumber, TCaseObject &caseObject, QString *error = nullptr);
    // Records that the case was opened on `day` (its LastAccessDate, time 00:00).
    bool TouchCase(const QString &caseNumber, const QDate &day);

    // Writes the case object and its searchable copies into a case that
    // exists and is not sealed.
    bool SaveCase(const QString &caseNumber, const TCaseObject &caseObject);

    // The same, into a case that `userSN` holds sealed (the case window's save,
    // which never lets go of its seal).
    bool SaveSealedCase(int userSN, const QString &caseNumber, const TCaseObject &caseObject);

    // Registers a new inpatient: a free case in hospital, no bed, no nurse, no
    // fees yet, holding `caseObject` as its stored form.
    bool AddCase(const NewCase &newCase, const TCaseObject &caseObject);

    // Discharges a case in hospital at `when`.
    bool DischargeCase(int caseSN, const QDateTime &when);

    // Seals a free case under `userSN`.
    bool LockCase(int userSN, const QString &caseNumber);
    // Unseals a case that `userSN` sealed.
    bool UnlockCase(int userSN, const QString &caseNumber);
    bool IsCaseLocked(const QString &caseNumber);

    // Up to `limit` cases of the filter from `offset` on, in pinyin order, so a
    // list of any length fills as it scrolls.
    QList<CaseListRow> ListCases(const CaseFilter &filter, int offset, int limit, bool *ok = nullptr);
    // The case search: every case (empty text), or the cases whose number is
    // the text read as an integer (-1 when it is none), or whose name, address
    // or main diagnosis contains it. In number order, a page at a time.
    enum class SearchKind { Number, Name, Address, Diagnose };
    QList<CaseListRow> SearchCases(SearchKind kind, const QString &text, int offset, int limit, bool *ok = nullptr);

    // The photograph of one case (JPEG bytes, possibly empty).
    QByteArray PatientImage(int caseSN);

    // The pictures kept in the case row, as JPEG. Loading: false without a
    // row (the image untouched), and false with an empty image when the
    // column is empty or does not decode. Storing: nullptr empties the
    // column; false without a row or when the write fails.
    bool LoadPatientPicture(const QString &caseNumber, QImage *image);
    bool StorePatientPicture(const QString &caseNumber, const QImage *image);
    // Reference pictures 0 and 1 (columns P1 and P2).
    bool LoadReferencePicture(const QString &caseNumber, int index, QImage *image);
    bool StoreReferencePicture(const QString &caseNumber, int index, const QImage *image);

    // Codes of the searchable columns; 0 for any other text.
    static int DiplomaCode(const QString &education);
    static int MarryCode(const QString &marriage);
    static int BloodTypeCode(const QString &bloodType);

private:
    static QList<CaseListRow> readRows(QSqlQuery &q);
    bool loadPicture(const char *column, const QString &caseNumber, QImage *image);
    bool storePicture(const char *column, const QString &caseNumber, const QImage *image);
    // Reads a free case, or (`sealedBy`) one that `userSN` holds sealed.
    bool load(bool sealedBy, int userSN, const QString &caseNumber, TCaseObject &caseObject, QString *error);
    // Writes while the case is free, or (`sealedBy`) while `userSN` holds its seal.
    bool save(bool sealedBy, int userSN, const QString &caseNumber, const TCaseObject &caseObject);

    QSqlDatabase m_db;
};
